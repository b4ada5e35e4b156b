// The Outlook access written once for every kind of item. A kind is an image struct (the
// in-memory copy of one item's properties) and a table saying, for each property, its name, its
// automation type, where it lives in the image and in the kind's common record. OlFolderUtil
// opens the kind's default folder and runs the table loops and the automation steps on untyped
// images, so that code exists once; OlItemUtil<Kind> adds the kind's record list and the typed
// operations the sync controller calls, which only the kind's own record and list types can give.
#pragma once

#include "common/misc/CommAddr.h"
#include "common/outlook/OlComm.h"
#include "platform/text/FieldText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <span>
#include <vector>

namespace twinleaf {

// The automation type a property is read and written with: GetText/PutText, GetLong/PutLong,
// GetBool/PutBool (a one-byte image field), GetDate/PutDate.
enum class OlValue : std::uint8_t { Text, Long, Bool, Date };
// Where a property is reached: on the item, or on the object the item's "GetRecurrencePattern"
// gives, which is asked for once per read or write and only when a pattern property is used.
enum class OlScope : std::uint8_t { Item, Pattern };
enum class OlDirection : std::uint8_t { Read, Write };

// Outlook keeps the value; it is read and handed to the record, never written or taken from one.
inline constexpr std::uint8_t kOlReadOnly = 1;
// Zero stands for "not set" and is not written: a number only above 0, a date only above 1.0.
inline constexpr std::uint8_t kOlPositiveOnly = 2;

struct OlProperty {
    const char16_t* name; // null: a field of the image only, never read or written
    OlValue value;
    OlScope scope;
    std::uint8_t flags;
    std::size_t imageOffset;
    std::size_t imageWidth;
    // -1: kept in the image only. Texts are cut to the narrower field; numbers and booleans are
    // converted between widths (a boolean as 0 or 1); a date needs fields of the same width.
    std::ptrdiff_t recordOffset;
    std::size_t recordWidth;
};

// Offset and width of a field, as the table's columns want them.
#define OL_FIELD(Struct, field) TL_OFFSET_WIDTH(Struct, field)
#define OL_RECORD(Struct, field)                                                                   \
    static_cast<std::ptrdiff_t>(offsetof(Struct, field)),                                          \
        MemberWidth<decltype(Struct::field)>::value
#define OL_IMAGE_ONLY -1, 0

// What the untyped part needs of a kind. The two log texts are written with WriteStamped after
// the folder opened and when its "Items" could not be read; null writes nothing.
struct OlItemKind {
    win::LONG folder;   // the default folder's number
    win::LONG itemType; // what "Add" is called with
    std::span<const OlProperty> properties;
    const char* folderOpenedLog;
    const char* itemsFailedLog;
};

class OlFolderUtil : public OlBaseUtil {
public:
    OlFolderUtil(const OlItemKind& kind, const char* szName);
    ~OlFolderUtil() override;

    // The base connection, then the kind's default folder; without the folder nothing is held.
    bool Connect() override;
    void Disconnect() override;

protected:
    // Whether a property takes part in this read or write of this image. All do unless a kind
    // says otherwise, e.g. a body behind a switch or a pattern only on a recurring item.
    virtual bool UsesProperty(const OlProperty& property, const void* pImage,
                              OlDirection direction) const;
    // One item of the folder walk, with the folder's "Name".
    virtual void AddFolderItem(CDispCmd& item, const char* szFolderName) = 0;

    // Walks the folder in its order; false when its "Items" cannot be read.
    bool EnumerateFolder();
    // A new item of the kind, or the item at a list position (the collection counts from 1);
    // null when Outlook gives none.
    std::unique_ptr<CDispCmd> AddNewItem();
    std::unique_ptr<CDispCmd> ItemAt(int nIndex);

    // Every property in table order; a failed read leaves its field as it was.
    void ReadProperties(CDispCmd& item, void* pImage);
    // Every writable property in table order, then "Save"; false when the item was not stored.
    bool WriteProperties(CDispCmd& item, const void* pImage);
    void PropertiesToRecord(const void* pImage, void* pRec) const;
    // Image fields without a record column keep what they held.
    void RecordToProperties(const void* pRec, void* pImage) const;
    // Gives `pImage` back the values of `pStored` wherever it agrees with `pRewritten`, the stored
    // image with its own record written back over it: there the record brought nothing new, and
    // what differs from the stored image is only what the record could not hold of it (a text
    // longer than the record's field).
    void KeepUnchangedProperties(void* pImage, const void* pStored, const void* pRewritten) const;

    std::unique_ptr<CDispCmd> m_pFolder;
    bool m_bFolderOpen;

private:
    std::unique_ptr<CDispCmd> OpenItems();
    // The ids of the kind's item properties (DISPID_UNKNOWN where the item has none) for the
    // class the item says it is of; null for an item that does not say.
    const std::vector<win::DISPID>* MemberIdsOf(CDispCmd& item);

    const OlItemKind& m_kind;
    // By OlObjectClass: Outlook gives every item of a class the same member ids, so a folder walk
    // looks each name up once per class rather than once per item.
    std::map<win::LONG, std::vector<win::DISPID>> m_memberIds;
};

// The access over one kind. `Kind` gives:
//   Record, List, Image        the common record, its list and the item image; the image has a
//                              FolderName text field and an IDispatch* pItem, kept null
//   Description()              its OlItemKind, table included
//   kUpdateFromStoredImage     whether UpdateItem starts from the item's own image (properties
//                              the record lacks are written back as read) or from a cleared one
//
// Records carry no image: an image is as large as every property's widest text, so keeping one
// per item would cost several kilobytes per item for what an update can read again from the
// one item it rewrites.
template <class Kind> class OlItemUtil : public OlFolderUtil {
public:
    using Record = typename Kind::Record;
    using List = typename Kind::List;
    using Image = typename Kind::Image;

    explicit OlItemUtil(const char* szName = nullptr)
        : OlFolderUtil(Kind::Description(), szName), m_pRecs(nullptr) {
        Init();
    }
    ~OlItemUtil() override { Shutdown(); }

    bool Reload() override {
        OlBaseUtil::Reload();
        return m_bFolderOpen && m_pFolder != nullptr && EnumerateFolder();
    }
    void Clear() override {
        if (m_pRecs != nullptr) {
            m_pRecs->RemoveAll();
        }
        OlBaseUtil::Clear();
    }
    bool Init() override {
        if (m_pRecs == nullptr) {
            m_pRecs = new List;
        }
        return Connect();
    }
    void Shutdown() override {
        Clear();
        delete m_pRecs;
        m_pRecs = nullptr;
        Disconnect();
    }

    List* GetRecords() { return m_pRecs; }

    // Writes one record to Outlook: creates the item when the list has no counterpart, rewrites
    // it when the counterpart differs. True when an item was created or rewritten.
    bool SaveRecord(const Record* pRec);
    // Creates an item from the record and appends a copy of the record, without Native block,
    // to the list. The record passed in, its Native block included, is not touched.
    bool CreateAndAdd(const Record* pRec);
    // Makes a new item from the record. Virtual, as UpdateItem, for kinds that also mark the
    // record or merge it into the list.
    virtual bool CreateItem(Record* pRec);
    // Rewrites the item at that list position (from 0) with the record.
    virtual bool UpdateItem(const Record* pRec, int nIndex);

    virtual void ReadItem(CDispCmd& item, Image* pImage) {
        ReadProperties(item, pImage);
        pImage->pItem = nullptr;
    }
    // The image of the item at that list position (from 0), as a load reads it; false when there
    // is no such item.
    bool ReadItemAt(int nIndex, Image* pImage) {
        const std::unique_ptr<CDispCmd> item = nIndex >= 0 ? ItemAt(nIndex) : nullptr;
        if (item == nullptr) {
            return false;
        }
        ReadItem(*item, pImage);
        return true;
    }
    // False when the item could not be stored.
    bool WriteItem(CDispCmd& item, const Image* pImage) { return WriteProperties(item, pImage); }
    virtual void ImageToRecord(const Image* pImage, Record* pRec) {
        PropertiesToRecord(pImage, pRec);
        pRec->SourceType = kSourceOutlook;
    }
    virtual void RecordToImage(const Record* pRec, Image* pImage) {
        RecordToProperties(pRec, pImage);
    }

protected:
    void AddFolderItem(CDispCmd& item, const char* szFolderName) override;

    List* m_pRecs;
};

template <class Kind>
void OlItemUtil<Kind>::AddFolderItem(CDispCmd& item, const char* szFolderName) {
    Image image{};
    copyToField(image.FolderName, szFolderName);
    ReadItem(item, &image);
    Record record{};
    ImageToRecord(&image, &record);
    record.SourceType = kSourceOutlook;
    m_pRecs->Add(std::move(record));
}

template <class Kind> bool OlItemUtil<Kind>::CreateItem(Record* pRec) {
    if (pRec == nullptr) {
        return false;
    }
    const std::unique_ptr<CDispCmd> item = AddNewItem();
    if (item == nullptr) {
        return false;
    }
    const auto image = std::make_unique<Image>();
    RecordToImage(pRec, image.get());
    // An item that could not be stored is not in the folder: reporting it as created would put
    // a record into the list that no item stands behind.
    return WriteItem(*item, image.get());
}

template <class Kind> bool OlItemUtil<Kind>::UpdateItem(const Record* pRec, int nIndex) {
    if (pRec == nullptr || nIndex < 0) {
        return false;
    }
    const std::unique_ptr<CDispCmd> item = ItemAt(nIndex);
    if (item == nullptr) {
        return false;
    }
    const auto image = std::make_unique<Image>();
    if constexpr (Kind::kUpdateFromStoredImage) {
        // The item as it stands, with the Outlook-side record at that place, not the record
        // passed in, which may be a Palm record.
        const Record* stored =
            m_pRecs != nullptr ? m_pRecs->GetAt(static_cast<std::uint32_t>(nIndex)) : nullptr;
        if (stored != nullptr) {
            ReadItem(*item, image.get());
            const auto kept = std::make_unique<Image>(*image);
            const auto rewritten = std::make_unique<Image>(*image);
            RecordToImage(stored, rewritten.get());
            RecordToImage(pRec, image.get());
            KeepUnchangedProperties(image.get(), kept.get(), rewritten.get());
            return WriteItem(*item, image.get());
        }
    }
    RecordToImage(pRec, image.get());
    return WriteItem(*item, image.get());
}

template <class Kind> bool OlItemUtil<Kind>::CreateAndAdd(const Record* pRec) {
    if (pRec == nullptr || m_pRecs == nullptr) {
        return false;
    }
    // The list's entry is an Outlook record: the Native block of a Palm record stays with it.
    Record copy = *pRec;
    copy.Native = nullptr;
    copy.NativeSize = 0;
    if (!CreateItem(&copy)) {
        return false;
    }
    m_pRecs->Add(std::move(copy));
    return true;
}

template <class Kind> bool OlItemUtil<Kind>::SaveRecord(const Record* pRec) {
    if (pRec == nullptr || m_pRecs == nullptr || m_pFolder == nullptr) {
        return false;
    }
    Record* match = nullptr;
    int position = 0;
    const int result = m_pRecs->FindMatch(pRec, &match, &position);
    if (result == kMatchDifferent && match != nullptr) {
        // The list changes only once Outlook has the new values, so list and folder agree.
        if (!UpdateItem(pRec, position)) {
            return false;
        }
        void* native = match->Native;
        const std::uint32_t nativeSize = match->NativeSize;
        *match = *pRec;
        match->Native = native;
        match->NativeSize = nativeSize;
        return true;
    }
    return result == kMatchNotFound && CreateAndAdd(pRec);
}

} // namespace twinleaf
