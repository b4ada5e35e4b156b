// The common memo record: what the Palm memo facade and the Outlook notes access both convert
// their items into. Memos are matched by their subject (the first line) and compared by their
// whole text; colour, privacy and category never make two memos different. Described by one
// field table, as the other kinds are.
#pragma once

#include "common/misc/CommRecord.h"
#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace twinleaf {

struct CommNoteRec {
    std::int32_t Color; // as Outlook numbers it
    std::int32_t Private;
    TextField<256> Subject; // the first line of the text
    TextField<8192> Note;   // the whole text
    TextField<64> Category;
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    std::int32_t SourceType;
    std::int32_t CompareStatus; // 0 same, 1 new, 2 different; the loader's status word before that
    std::int32_t IDInteger;     // the Palm record's id
    TextField<32> IDString;     // the Outlook entry id
    void* Native;               // owned, from malloc; copied with the record
    std::uint32_t NativeSize;
};

// One row of the memo descriptor table (columns, the conflict alert).
struct NoteFieldDesc {
    std::uint32_t nId;
    char szName[32];
    std::uint32_t nSize;
};

inline constexpr std::size_t kNoteFieldDescRows = 11;

// Every member of CommNoteRec in declaration order but Native and NativeSize.
std::span<const CommField> NoteFieldLayoutTable();

// Copies the row with that id; false for an id the table lacks.
bool FindFieldDesc(std::uint32_t id, NoteFieldDesc* pDesc);

// Writes the display text of one field into szBuf, cut to nBufLen - 1 characters; an id without
// text gives an empty text. A missing record, descriptor or buffer is a programming error.
bool GetFieldText(const CommNoteRec* pRec, const NoteFieldDesc* pField, char* szBuf,
                  std::uint32_t nBufLen);

// Two memos are candidates for each other when their subjects agree.
struct NoteRecordTraits {
    using Record = CommNoteRec;
    static constexpr std::size_t kMaxKeys = 1;
    static std::span<const CommField> Fields() { return NoteFieldLayoutTable(); }
    static std::size_t Keys(const CommNoteRec& rec, MatchKey* keys) {
        keys[0] = MatchKey{0, 1, {KeyPart(rec.Subject), {}, {}}};
        return 1;
    }
};

class CommNoteMgr : public CommRecordMgr<NoteRecordTraits> {};

} // namespace twinleaf
