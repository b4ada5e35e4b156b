// The common memo record described once: its field table, the descriptor table and the field
// texts read off it.
#include "common/misc/CommNote.h"

#include "common/misc/CxDateTime.h"
#include "platform/Assert.h"
#include "platform/text/FieldText.h"

#include <cstdio>
#include <cstring>

namespace twinleaf {
namespace {

std::int32_t intOf(const void* member) {
    std::int32_t value = 0;
    std::memcpy(&value, member, sizeof value);
    return value;
}

bool colorText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    char text[16];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(intOf(member)));
    copyToField(szBuf, nBufLen, text);
    return true;
}

// Palm memos carry no time stamps: 0 is "none", not 30 December 1899.
bool timeText(const void* member, char* szBuf, std::uint32_t nBufLen) {
    double date = 0;
    std::memcpy(&date, member, sizeof date);
    char text[64] = {};
    if (date != 0 && FormatVariantTime(date, text, sizeof text)) {
        copyToField(szBuf, nBufLen, text);
    }
    return true;
}

constexpr bool kCompared = true;
constexpr bool kIgnored = false;

#define TL_DESC(name, kind, compared, merge, id, label, size, format)                              \
    CommField {                                                                                    \
#name, TL_OFFSET_WIDTH(CommNoteRec, name), FieldType::kind, compared, merge, id, label,    \
            size, format                                                                           \
    }

// A merge takes the incoming colour and privacy as they come and the texts only when they are
// set, so it never erases a memo's text; the merged record stays "same" until compared again.
const CommField kFields[] = {
    TL_DESC(Color, Int32, kIgnored, FieldMerge::Always, 0, "Color", 4, colorText),
    TL_DESC(Private, Int32, kIgnored, FieldMerge::Always, 1, "Private", 4, YesNoFieldText),
    TL_DESC(Subject, Text, kCompared, FieldMerge::IfNotEmpty, 2, "Subject", 256, nullptr),
    TL_DESC(Note, Text, kCompared, FieldMerge::IfNotEmpty, 3, "Note", 8192, nullptr),
    TL_DESC(Category, Text, kIgnored, FieldMerge::Keep, 4, "Category", 64, NoFieldText),
    TL_DESC(CreationTime, Date, kIgnored, FieldMerge::Keep, 5, "Creation Time", 8, timeText),
    TL_DESC(LastModificationTime, Date, kIgnored, FieldMerge::Keep, 6, "Last Modification Time", 8,
            timeText),
    TL_DESC(SourceType, Int32, kIgnored, FieldMerge::Keep, 7, "Source", 4, NoFieldText),
    TL_DESC(CompareStatus, Int32, kIgnored, FieldMerge::Clear, 8, "Status", 4, NoFieldText),
    TL_DESC(IDInteger, Int32, kIgnored, FieldMerge::Keep, 9, "ID(Integer)", 4, NoFieldText),
    TL_DESC(IDString, Text, kIgnored, FieldMerge::Keep, 10, "ID(String)", 32, NoFieldText),
};

#undef TL_DESC

} // namespace

std::span<const CommField> NoteFieldLayoutTable() {
    return kFields;
}

bool FindFieldDesc(std::uint32_t id, NoteFieldDesc* pDesc) {
    if (pDesc == nullptr || id >= kNoteFieldDescRows) {
        return false;
    }
    const CommField& field = kFields[id];
    *pDesc = NoteFieldDesc{};
    pDesc->nId = id;
    copyToField(pDesc->szName, field.descName);
    pDesc->nSize = field.descSize;
    return true;
}

bool GetFieldText(const CommNoteRec* pRec, const NoteFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen) {
    TL_ASSERT(pRec && pField && szBuf);
    return FieldTextOfRow(pField->nId < kNoteFieldDescRows ? &kFields[pField->nId] : nullptr, pRec,
                          szBuf, nBufLen);
}

} // namespace twinleaf
