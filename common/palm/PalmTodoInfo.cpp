// The task facade over the Palm to-do forms, and the mappings of the classic to-do.
#include "common/palm/PalmTodoInfo.h"

#include "common/palm/PalmDatabaseForm.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <memory>
#include <string_view>
#include <utility>

namespace twinleaf {
std::int32_t PalmPriorityOf(std::int32_t commonPriority) {
    return commonPriority == kTaskHigh ? 1 : commonPriority == kTaskLow ? 5 : 3;
}

std::int32_t CommonPriorityOf(std::int32_t palmPriority) {
    return palmPriority == 1 ? kTaskHigh : palmPriority == 5 ? kTaskLow : kTaskNormal;
}

PmTodoInfo::PmTodoInfo() {
    auto desktop6 = std::make_unique<PmDatabaseForm<PmTodoKind>>();
    m_pDesktop6 = &desktop6->GetUtil();
    AddForm(std::move(desktop6));
    auto extended = std::make_unique<PmExtendedForm<PmTodoKind>>();
    m_pExtended = &extended->GetFile();
    AddForm(std::move(extended));
    auto classic = std::make_unique<PmClassicForm<PmTodoKind>>();
    m_pClassic = &classic->GetFile();
    AddForm(std::move(classic));
}

PalmFormat PmTodoInfo::DetectFileFormat(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return PalmFormat::Invalid;
    }
    PmTodoInfo probe;
    return probe.DetectFormat(path);
}

namespace {

// The classic and the extended to-do share these fields and their meaning; the extended one
// adds an alarm flag and holds a shorter description.
// Palm's "no due date" is a date of its own; the common record says it with 0.
template <class Rec>
void todoToCommon(const Rec& palmRec, std::int32_t alarm, CommTaskRec& common) {
    copyIfSetWithin(common.Subject, fieldText(palmRec.Description), 254);
    copyIfSetWithin(common.Note, fieldText(palmRec.Note), 8190);
    common.Completed = palmRec.Completed != 0 ? 1 : 0;
    common.Alarm = alarm != 0 ? 1 : 0;
    common.ReminderSet = common.Alarm;
    common.Private = palmRec.Private != 0 ? 1 : 0;
    common.DueDate = palmRec.DueDate == palm::kTodoNoDueDate ? 0 : palmRec.DueDate;
    common.Priority = CommonPriorityOf(palmRec.Priority);
    if (common.Private != 0) {
        common.Sensitivity = 2;
    }
}

template <class Rec>
void commonToTodo(const CommTaskRec& common, std::size_t descriptionLimit, Rec& palmRec) {
    copyIfSetWithin(palmRec.Description, fieldText(common.Subject), descriptionLimit);
    copyIfSetWithin(palmRec.Note, fieldText(common.Note), 8190);
    palmRec.Completed = common.Completed != 0 ? 1 : 0;
    // A task without due date must not become one due on 1 January 1970.
    palmRec.DueDate = common.DueDate == 0 ? palm::kTodoNoDueDate : common.DueDate;
    palmRec.Priority = PalmPriorityOf(common.Priority);
    palmRec.Private = common.Private != 0 || common.Sensitivity != 0 ? 1 : 0;
}

} // namespace

void PmTodoKind::DatabaseToCommon(const PmTodoEx2Rec& row, CommTaskRec& common) {
    copyIfSetWithin(common.Subject, fieldText(row.Description), 254);
    copyIfSetWithin(common.Note, fieldText(row.Note), 8190);
    common.Completed = row.Completed;
    common.Alarm = row.AlarmSet;
    common.ReminderSet = row.AlarmSet;
    common.Private = row.Private;
    common.DueDate = row.DueDate;
    common.Priority = CommonPriorityOf(row.Priority);
    if (common.Private != 0) {
        common.Sensitivity = 2;
    }
}

void PmTodoKind::CommonToDatabase(const CommTaskRec& common, PmTodoEx2Rec& row) {
    copyIfSetWithin(row.Description, fieldText(common.Subject), 254);
    copyIfSetWithin(row.Note, fieldText(common.Note), 2046);
    row.Completed = common.Completed != 0 ? 1 : 0;
    row.DueDate = common.DueDate;
    row.Priority = PalmPriorityOf(common.Priority);
    row.Private = common.Private != 0 || common.Sensitivity != 0 ? 1 : 0;
    row.AlarmSet = common.Alarm != 0 ? 1 : 0;
}

void PmTodoKind::ClassicToCommon(const PmTodoRec& palmRec, CommTaskRec& common) {
    todoToCommon(palmRec, 0, common);
}

void PmTodoKind::CommonToClassic(const CommTaskRec& common, PmTodoRec& palmRec) {
    commonToTodo(common, 8190, palmRec);
}

void PmTodoKind::ExtendedToCommon(const PmTodoExRec& palmRec, CommTaskRec& common) {
    todoToCommon(palmRec, palmRec.Flag20, common);
}

void PmTodoKind::CommonToExtended(const CommTaskRec& common, PmTodoExRec& palmRec) {
    commonToTodo(common, 254, palmRec);
    palmRec.Flag20 = common.Alarm;
}

} // namespace twinleaf
