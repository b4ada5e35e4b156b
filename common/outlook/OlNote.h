// OlNoteUtil: the Outlook side of the memos tab. It reads every item of Outlook's default notes
// folder into common memo records, creates notes from common records and rewrites existing ones.
// Between an item and a record stands OlNoteImage, the in-memory copy of the note's properties;
// an update starts from the item's own image, so properties the record lacks are written back as
// they were read. Outlook derives a note's subject from the first line
// of its body, so the subject is only ever read.
#pragma once

#include "common/misc/CommNote.h"
#include "common/outlook/OlItem.h"

namespace twinleaf {

// One Outlook note's properties; texts are 8-bit ANSI, the width includes the terminator.
struct OlNoteImage {
    char FolderName[32]; // the folder's "Name"; never written
    char EntryID[32];
    char Subject[256];
    char Body[20480];
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    win::BYTE Saved;
    win::LONG Color;
    win::IDispatch* pItem; // always null in images kept with records
};

struct OlNoteKind {
    using Record = CommNoteRec;
    using List = CommNoteMgr;
    using Image = OlNoteImage;
    // What the record does not carry (categories, say) is written back as the note had it.
    static constexpr bool kUpdateFromStoredImage = true;
    static const OlItemKind& Description();
};

extern template class OlItemUtil<OlNoteKind>;

class OlNoteUtil : public OlItemUtil<OlNoteKind> {
public:
    explicit OlNoteUtil(const char* szName = nullptr) : OlItemUtil(szName) {}

    // Rewrites the note, then merges the record into the list entry at that position, so list
    // and folder agree; the list is left alone when the note could not be written.
    bool UpdateItem(const CommNoteRec* pRec, int nIndex) override;
    // A Palm memo has no colour: it leaves the note's colour as it was (a new note gets 0).
    void RecordToImage(const CommNoteRec* pRec, OlNoteImage* pImage) override;

protected:
    // A memo without text writes no body: a new note is made with its colour only, and an
    // existing note keeps its body.
    bool UsesProperty(const OlProperty& property, const void* pImage,
                      OlDirection direction) const override;
};

} // namespace twinleaf
