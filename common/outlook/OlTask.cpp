// Outlook tasks: reading the tasks folder into common records and writing records back.
#include "common/outlook/OlTask.h"

#include "common/misc/CxDateTime.h"

#include <cstddef>
#include <string_view>

namespace twinleaf {

using namespace win;

namespace {

constexpr LONG kTasksFolder = 13; // olFolderTasks
constexpr LONG kTaskItem = 3;     // olTaskItem

#define IMAGE(field) OL_FIELD(OlTaskImage, field)
#define RECORD(field) OL_RECORD(CommTaskRec, field)
#define PROPERTY(property, value, flags, record)                                                   \
    { u## #property, OlValue::value, OlScope::Item, flags, IMAGE(property), record }

// In the order the properties are written. The dates, the importance and the body are converted
// by hand, so they stay out of the record columns here.
const OlProperty kTaskProperties[] = {
    PROPERTY(Body, Text, 0, OL_IMAGE_ONLY),
    PROPERTY(CardData, Text, 0, RECORD(CardData)),
    PROPERTY(Complete, Bool, 0, RECORD(Completed)),
    PROPERTY(DueDate, Date, kOlPositiveOnly, OL_IMAGE_ONLY),
    PROPERTY(EntryID, Text, kOlReadOnly, RECORD(EntryID)),
    PROPERTY(Importance, Long, 0, OL_IMAGE_ONLY),
    PROPERTY(IsRecurring, Bool, kOlReadOnly, RECORD(IsRecurring)),
    PROPERTY(Mileage, Text, 0, RECORD(Mileage)),
    PROPERTY(Ordinal, Long, 0, RECORD(Ordinal)),
    PROPERTY(PercentComplete, Long, 0, RECORD(PercentComplete)),
    PROPERTY(ReminderSet, Bool, 0, RECORD(ReminderSet)),
    PROPERTY(ReminderOverrideDefault, Bool, 0, RECORD(ReminderOverrideDefault)),
    PROPERTY(ReminderPlaySound, Bool, 0, RECORD(ReminderPlaySound)),
    PROPERTY(ReminderSoundFile, Text, 0, RECORD(ReminderSoundFile)),
    PROPERTY(ReminderTime, Date, kOlPositiveOnly, OL_IMAGE_ONLY),
    PROPERTY(ResponseState, Long, 0, RECORD(ResponseState)),
    PROPERTY(Role, Text, 0, RECORD(Role)),
    PROPERTY(Sensitivity, Long, 0, RECORD(Sensitivity)),
    PROPERTY(StartDate, Date, kOlPositiveOnly, OL_IMAGE_ONLY),
    PROPERTY(Status, Long, 0, RECORD(Status)),
    PROPERTY(Subject, Text, 0, RECORD(Subject)),
    PROPERTY(TeamTask, Bool, 0, RECORD(TeamTask)),
    PROPERTY(TotalWork, Long, 0, RECORD(TotalWork)),
    {nullptr, OlValue::Text, OlScope::Item, kOlReadOnly, IMAGE(FolderName), OL_IMAGE_ONLY},
    PROPERTY(CreationTime, Date, kOlReadOnly, RECORD(CreationTime)),
    PROPERTY(LastModificationTime, Date, kOlReadOnly, RECORD(LastModificationTime)),
};

#undef PROPERTY
#undef RECORD
#undef IMAGE

std::int32_t inRange(std::int32_t value, std::int32_t highest) {
    return value >= 0 && value <= highest ? value : 0;
}

// An automation date as a time value; 0 for no date and for one a time value cannot hold.
std::int32_t timeOf(DATE date) {
    if (date <= 1.0) {
        return 0;
    }
    const std::int32_t time = VariantTimeToTimeT(date);
    return time < 0 ? 0 : time;
}

// A time value as an automation date: 0 clears it; one that cannot be converted leaves it.
void dateOf(std::int32_t time, DATE& date) {
    if (time == 0) {
        date = 0;
        return;
    }
    TimeTToVariantTime(time, &date);
}

} // namespace

template class OlItemUtil<OlTaskKind>;

const OlItemKind& OlTaskKind::Description() {
    static const OlItemKind kind{kTasksFolder, kTaskItem, kTaskProperties, nullptr, nullptr};
    return kind;
}

std::int32_t PriorityOfImportance(LONG importance) {
    return importance == 2 ? kTaskHigh : importance == 0 ? kTaskLow : kTaskNormal;
}

// Outlook's olTaskComplete.
constexpr LONG kTaskStatusComplete = 2;

LONG ImportanceOfPriority(std::int32_t priority) {
    return priority == kTaskHigh ? 2 : priority == kTaskLow ? 0 : 1;
}

void OlTaskUtil::ImageToRecord(const OlTaskImage* pImage, CommTaskRec* pRec) {
    OlItemUtil::ImageToRecord(pImage, pRec);
    copyToField(pRec->Note, fieldText(pImage->Body));
    pRec->DueDate = timeOf(pImage->DueDate);
    pRec->StartDate = timeOf(pImage->StartDate);
    pRec->ReminderTime = timeOf(pImage->ReminderTime);
    pRec->Alarm = pRec->ReminderSet;
    pRec->Priority = PriorityOfImportance(pImage->Importance);
    pRec->Sensitivity = inRange(pRec->Sensitivity, 3);
    pRec->Private = pRec->Sensitivity != 0 ? 1 : 0;
    pRec->Status = inRange(pRec->Status, 4);
    pRec->ResponseState = inRange(pRec->ResponseState, 3);
}

// Every due date is written, whatever its year; only a task without one gives none.
void OlTaskUtil::RecordToImage(const CommTaskRec* pRec, OlTaskImage* pImage) {
    OlItemUtil::RecordToImage(pRec, pImage);
    copyToField(pImage->Body, fieldText(pRec->Note));
    dateOf(pRec->DueDate, pImage->DueDate);
    dateOf(pRec->StartDate, pImage->StartDate);
    dateOf(pRec->ReminderTime, pImage->ReminderTime);
    pImage->Importance = ImportanceOfPriority(pRec->Priority);
    pImage->ReminderSet = pRec->ReminderSet != 0 || pRec->Alarm != 0 ? 1 : 0;
    pImage->Sensitivity = inRange(pRec->Sensitivity, 3);
    if (pImage->Sensitivity == 0 && pRec->Private != 0) {
        pImage->Sensitivity = 2;
    }
    pImage->Status = inRange(pRec->Status, 4);
    // Status is written after Complete and says it again: a record marked done by a side that has
    // no status (Palm) must not leave the item "not started", nor one reopened stay "complete".
    if (pRec->Completed != 0) {
        pImage->Status = kTaskStatusComplete;
    } else if (pImage->Status == kTaskStatusComplete) {
        pImage->Status = 0;
    }
    pImage->ResponseState = inRange(pRec->ResponseState, 3);
}

bool OlTaskUtil::UpdateItem(const CommTaskRec* pRec, int nIndex) {
    if (!OlItemUtil::UpdateItem(pRec, nIndex)) {
        return false;
    }
    if (m_pRecs != nullptr) {
        m_pRecs->MergeAt(pRec, nIndex);
    }
    return true;
}

bool OlTaskUtil::UsesProperty(const OlProperty& property, const void* pImage,
                              OlDirection direction) const {
    if (direction != OlDirection::Write ||
        static_cast<const OlTaskImage*>(pImage)->ReminderSet != 0) {
        return true;
    }
    const std::u16string_view name = property.name;
    return name != u"ReminderOverrideDefault" && name != u"ReminderPlaySound" &&
           name != u"ReminderSoundFile" && name != u"ReminderTime";
}

} // namespace twinleaf
