// Outlook notes: reading the notes folder into common memo records and writing records back.
#include "common/outlook/OlNote.h"

#include <string_view>

namespace twinleaf {

using namespace win;

namespace {

constexpr LONG kNotesFolder = 12; // olFolderNotes
constexpr LONG kNoteItem = 5;     // olNoteItem

#define IMAGE(field) OL_FIELD(OlNoteImage, field)
#define RECORD(field) OL_RECORD(CommNoteRec, field)
#define PROPERTY(property, value, flags, record)                                                   \
    { u## #property, OlValue::value, OlScope::Item, flags, IMAGE(property), record }

// In the order the properties are read; only the body and the colour are written. Subject and
// body are cut to the record's widths, the same widths the Palm side cuts a memo's first line and
// text to, so that a long memo still pairs with its note.
const OlProperty kNoteProperties[] = {
    {nullptr, OlValue::Text, OlScope::Item, kOlReadOnly, IMAGE(FolderName), OL_IMAGE_ONLY},
    PROPERTY(EntryID, Text, kOlReadOnly, RECORD(IDString)),
    PROPERTY(Subject, Text, kOlReadOnly, RECORD(Subject)),
    PROPERTY(Body, Text, 0, RECORD(Note)),
    PROPERTY(CreationTime, Date, kOlReadOnly, RECORD(CreationTime)),
    PROPERTY(LastModificationTime, Date, kOlReadOnly, RECORD(LastModificationTime)),
    PROPERTY(Saved, Bool, kOlReadOnly, OL_IMAGE_ONLY),
    PROPERTY(Color, Long, 0, RECORD(Color)),
};

#undef PROPERTY
#undef RECORD
#undef IMAGE

} // namespace

template class OlItemUtil<OlNoteKind>;

const OlItemKind& OlNoteKind::Description() {
    static const OlItemKind kind{kNotesFolder, kNoteItem, kNoteProperties, nullptr, nullptr};
    return kind;
}

bool OlNoteUtil::UpdateItem(const CommNoteRec* pRec, int nIndex) {
    if (!OlItemUtil::UpdateItem(pRec, nIndex)) {
        return false;
    }
    if (m_pRecs != nullptr) {
        m_pRecs->MergeAt(pRec, nIndex);
    }
    return true;
}

void OlNoteUtil::RecordToImage(const CommNoteRec* pRec, OlNoteImage* pImage) {
    const LONG color = pImage->Color;
    OlItemUtil::RecordToImage(pRec, pImage);
    if (pRec->SourceType != kSourceOutlook) {
        pImage->Color = color;
    }
}

bool OlNoteUtil::UsesProperty(const OlProperty& property, const void* pImage,
                              OlDirection direction) const {
    return direction != OlDirection::Write || std::u16string_view(property.name) != u"Body" ||
           static_cast<const OlNoteImage*>(pImage)->Body[0] != '\0';
}

} // namespace twinleaf
