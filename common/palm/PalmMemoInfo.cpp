// The memo facade over the Palm memo forms, and the mappings of the classic memo.
#include "common/palm/PalmMemoInfo.h"

#include "common/palm/PalmDatabaseForm.h"
#include "platform/text/FieldText.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace twinleaf {

// Palm Desktop breaks lines with CR LF, but a memo written by another program may hold a bare
// LF or CR; the subject stops at either, as the Outlook side's first line does, so that the
// pair still matches.
std::string_view MemoSubjectOf(std::string_view text) {
    text = text.substr(0, 255);
    return text.substr(0, text.find_first_of("\r\n"));
}

PmMemoInfo::PmMemoInfo() {
    // The extended memo pad is asked before the Desktop 6 database: a folder holding both was
    // last written by the Desktop that keeps the extended file.
    auto extended = std::make_unique<PmExtendedForm<PmMemoKind>>();
    m_pExtended = &extended->GetFile();
    AddForm(std::move(extended));
    auto desktop6 = std::make_unique<PmDatabaseForm<PmMemoKind>>();
    m_pDesktop6 = &desktop6->GetUtil();
    AddForm(std::move(desktop6));
    auto classic = std::make_unique<PmClassicForm<PmMemoKind>>();
    m_pClassic = &classic->GetFile();
    AddForm(std::move(classic));
}

PalmFormat PmMemoInfo::DetectFileFormat(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return PalmFormat::Invalid;
    }
    PmMemoInfo probe;
    return probe.DetectFormat(path);
}

namespace {

// The classic memo calls its text Text, the extended one Memo; both mean the whole memo.
void memoToCommon(std::string_view text, std::int32_t isPrivate, CommNoteRec& common) {
    copyToField(common.Note, text);
    copyToField(common.Subject, MemoSubjectOf(text));
    common.Private = isPrivate;
}

// Outlook notes have no privacy: a note's record always says "not private", and taking that over
// would make every private memo it updates public.
template <std::size_t N>
void commonToMemo(const CommNoteRec& common, TextField<N>& memo, std::int32_t& isPrivate) {
    const std::string_view text = fieldText(common.Note);
    if (!text.empty()) {
        copyToField(memo, text);
    }
    if (common.SourceType != kSourceOutlook) {
        isPrivate = common.Private;
    }
}

} // namespace

void PmMemoKind::DatabaseToCommon(const PmMemoEx2Rec& row, CommNoteRec& common) {
    memoToCommon(fieldText(row.Note).substr(0, 8191), row.Private, common);
}

void PmMemoKind::CommonToDatabase(const CommNoteRec& common, PmMemoEx2Rec& row) {
    // The column holds more than a memo of the files does; the memo is cut as theirs are.
    copyIfSetWithin(row.Note, fieldText(common.Note), 8191);
    if (common.SourceType != kSourceOutlook) {
        row.Private = common.Private != 0 ? 1 : 0;
    }
}

void PmMemoKind::ClassicToCommon(const PmMemoRec& palmRec, CommNoteRec& common) {
    memoToCommon(fieldText(palmRec.Text), palmRec.Private, common);
}

void PmMemoKind::CommonToClassic(const CommNoteRec& common, PmMemoRec& palmRec) {
    commonToMemo(common, palmRec.Text, palmRec.Private);
}

void PmMemoKind::ExtendedToCommon(const PmMemoExRec& palmRec, CommNoteRec& common) {
    memoToCommon(fieldText(palmRec.Memo), palmRec.Private, common);
}

void PmMemoKind::CommonToExtended(const CommNoteRec& common, PmMemoExRec& palmRec) {
    commonToMemo(common, palmRec.Memo, palmRec.Private);
}

} // namespace twinleaf
