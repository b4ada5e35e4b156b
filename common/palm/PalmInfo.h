// The Palm side of one kind of data, written once for every kind: the facade that finds which
// storage form a user's folder holds, keeps one item per listed Palm record with the common record
// made from it, and writes common records back; and the storage forms it asks in turn.
//
// A kind is described by a struct. The facade needs its common record and list (CommRec, CommMgr),
// its item (Item: a PmItem over its common record, whose row Classic(item) and the other forms'
// accessors give as that form's record through RowIn) and which status words are listed (Listed).
// The classic form adds the classic file and record (ClassicFile, ClassicRec, kClassicFileKind,
// Classic(item)), the two mappings (ClassicToCommon, CommonToClassic), the category resolution
// (ResolveCategory) and the kind's folder (kFolder).
#pragma once

// FindMatch results and source types, shared by every kind, are declared with the contacts.
#include "common/misc/CommAddr.h"
#include "common/misc/CxList.h"
#include "common/palm/PalmClassic.h"
#include "common/palm/PalmEnv.h"
#include "common/palm/PalmExtended.h"
#include "platform/Assert.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace twinleaf {

// One listed Palm record: the row it stands for in the loaded form's own list, which owns it and
// keeps it in place until the form is unloaded; the form it came from; and the common record made
// from it. The row is not copied: the item is a handle, so a listed record costs its row and its
// common record and nothing more. The common record carries a copy of the item as its Native
// block, which is valid while the form that made it stays loaded.
template <class CommRec> struct PmItem {
    PalmFormat format;
    void* source;
    CommRec* commEntry;
};

// The item's row as the record of the form it came from.
template <class Rec, class CommRec> Rec& RowIn(PmItem<CommRec>& item) {
    return *static_cast<Rec*>(item.source);
}
template <class Rec, class CommRec> const Rec& RowIn(const PmItem<CommRec>& item) {
    return *static_cast<const Rec*>(item.source);
}

// What a common record made from a row of that form says it came from.
inline std::int32_t PalmSourceTypeOf(PalmFormat format) {
    switch (format) {
    case PalmFormat::Extended:
        return kSourcePalmExtended;
    case PalmFormat::Desktop6:
        return kSourcePalmDesktop6;
    default:
        return kSourcePalm;
    }
}

// The item a common record carries as its Native block when it was made from a row of that form;
// null for any other record.
template <class Item, class CommRec>
const Item* ListedItemOf(const CommRec& rec, PalmFormat format) {
    if (rec.SourceType != PalmSourceTypeOf(format) || rec.Native == nullptr ||
        rec.NativeSize != sizeof(Item)) {
        return nullptr;
    }
    const Item* item = static_cast<const Item*>(rec.Native);
    return item->format == format ? item : nullptr;
}

// A record through a row of a form and back, as an update would write it: fields the row has no
// place for come back as the row has them, texts cut to the row's fields and the common record's.
// The row is the Palm record of the pair (`rec` or `counterpart`, where one of the two came from
// the form), so that what the row has beside the record's values (a pager number taking a phone
// slot) stays as the update would leave it; a blank row when neither did. A text the record leaves
// empty stays empty, though an update would keep the row's: a text one side has and the other
// lacks may be new on the side that has it, and a pair that compared the same would never carry
// it across.
template <class Item, class Rec, class CommRec>
void HeldThroughRow(PalmFormat format, const CommRec& rec, const CommRec& counterpart,
                    void (*toRow)(const CommRec&, Rec&), void (*toCommon)(const Rec&, CommRec&),
                    std::span<const CommField> fields, CommRec& held) {
    const Item* item = ListedItemOf<Item>(rec, format);
    if (item == nullptr) {
        item = ListedItemOf<Item>(counterpart, format);
    }
    Rec record{};
    if (item != nullptr) {
        record = RowIn<Rec>(*item);
    }
    toRow(rec, record);
    toCommon(record, held);
    ClearTextsEmptyIn(fields, &held, &rec);
}

// Records marked deleted or archived stay in the file but are neither listed nor synchronised.
inline bool IsListedStatus(std::int32_t status) {
    return ((status & 0xFF) & (palm::kStatusDeleted | palm::kStatusArchived)) == 0;
}

// One storage form of one kind, as the facade sees it. File forms keep the changes in memory
// until Save; a database form stores every added or changed row at once (StoreRow) and has
// nothing left to do at Save.
template <class Kind> class PmStorageForm {
public:
    using CommRec = typename Kind::CommRec;
    using Item = typename Kind::Item;
    using HeldAs = void (*)(const CommRec& rec, const CommRec& counterpart, CommRec& held);

    virtual ~PmStorageForm() = default;

    virtual PalmFormat Format() const = 0;
    // Where the form keeps the user's data; empty when the user has no data folder.
    virtual std::string PathForUser(std::uint32_t user) const = 0;
    virtual FormSniff Bid(const std::string& path) = 0;
    virtual bool Load(const std::string& path) = 0;
    virtual void Unload() = 0;
    // Why the last Load or Save did not fully succeed, naming the file.
    virtual std::string LastError() const = 0;

    // The loaded rows in order, as opaque links into the form's own list.
    virtual void* FirstRow() = 0;
    virtual void* NextRow() = 0;
    virtual std::int32_t RowStatus(const void* row) const = 0;
    // Whether a row the status lists is one the user sees; a kind may keep rows that are not.
    virtual bool RowShown(const void* row) const {
        static_cast<void>(row);
        return true;
    }
    virtual std::uint32_t RowRecordId(const void* row) const = 0;
    // Makes `item` stand for `row`: format, source and its own copy of the record.
    virtual void TakeRow(void* row, Item& item) = 0;
    // The Palm-to-common mapping of the item's record.
    virtual void ToCommon(const Item& item, CommRec& common) const = 0;
    // A common record as this form would keep it in place of the record it is compared with:
    // what it reads back as once written. Null when the form keeps every common field whole.
    virtual HeldAs HeldAsCommon() const { return nullptr; }
    // A new record: the mapping onto the item's zeroed record, marked new; AppendRow then hands
    // a copy to the form's list and points the item at it.
    virtual void PrepareRow(const CommRec& common, Item& item) = 0;
    virtual bool AppendRow(Item& item) = 0;
    // The mapping on top of the item's record, marked changed, copied over its source.
    virtual bool UpdateRow(const CommRec& common, Item& item) = 0;

    virtual bool storesRowsAtOnce() const { return false; }
    virtual bool StoreRow(Item& item) {
        static_cast<void>(item);
        return true;
    }
    // A form that stores rows at once keeps them pending until Save.
    virtual bool Save() = 0;
    // Why the loaded data must not be written (naming the file); empty when it may be.
    virtual std::string WriteRefusal() { return {}; }
};

// The classic .dat file of a kind, over the kind's classic file object, which it owns. A kind may
// present another file of the same shape to it (PmExtendedForm below): such a kind names its
// format (kFileFormat), its sniffer (Sniff) and what a new record gets beyond the added mark and
// the new position (MarkNew).
template <class Kind> struct FacadeKindOf { using type = Kind; };
template <class Kind>
requires requires {
    typename Kind::FacadeKind;
}
struct FacadeKindOf<Kind> {
    using type = typename Kind::FacadeKind;
};

template <class Kind>
class PmClassicForm : public PmStorageForm<typename FacadeKindOf<Kind>::type> {
public:
    using CommRec = typename Kind::CommRec;
    using Item = typename Kind::Item;
    using File = typename Kind::ClassicFile;
    using Rec = typename Kind::ClassicRec;
    using HeldAs = typename PmStorageForm<typename FacadeKindOf<Kind>::type>::HeldAs;

    File& GetFile() { return m_file; }

    static constexpr PalmFormat kFormat = [] {
        if constexpr (requires { Kind::kFileFormat; }) {
            return Kind::kFileFormat;
        } else {
            return PalmFormat::Classic;
        }
    }();

    PalmFormat Format() const override { return kFormat; }
    std::string PathForUser(std::uint32_t user) const override {
        return PalmUserFilePath(user, Kind::kClassicFileKind.folder, Kind::kClassicFileKind.file);
    }
    FormSniff Bid(const std::string& path) override {
        if constexpr (requires { Kind::Sniff(path); }) {
            return Kind::Sniff(path);
        } else {
            return SniffClassicFile(path, Kind::kClassicFileKind.versionTag,
                                    Kind::kClassicFileKind.description);
        }
    }
    bool Load(const std::string& path) override { return m_file.Load(path.c_str()); }
    void Unload() override { m_file.Unload(); }
    std::string LastError() const override { return m_file.GetLastError(); }

    void* FirstRow() override { return m_file.GetRecords()->First(); }
    void* NextRow() override { return m_file.GetRecords()->Next(); }
    std::int32_t RowStatus(const void* row) const override {
        return static_cast<const Rec*>(row)->Status;
    }
    std::uint32_t RowRecordId(const void* row) const override {
        return static_cast<std::uint32_t>(static_cast<const Rec*>(row)->RecordId);
    }
    bool RowShown(const void* row) const override {
        if constexpr (requires(const Rec& rec) { Kind::ClassicShown(rec); }) {
            return Kind::ClassicShown(*static_cast<const Rec*>(row));
        } else {
            return true;
        }
    }
    void TakeRow(void* row, Item& item) override {
        item.format = kFormat;
        item.source = row;
    }
    void ToCommon(const Item& item, CommRec& common) const override {
        Kind::ClassicToCommon(Kind::Classic(item), common);
    }
    HeldAs HeldAsCommon() const override { return &Held; }
    // A new record is made in the form's staging row and copied into the list by AppendRow.
    void PrepareRow(const CommRec& common, Item& item) override {
        m_staged = Rec{};
        item.format = kFormat;
        item.source = &m_staged;
        Rec& record = m_staged;
        Kind::CommonToClassic(common, record);
        Kind::ResolveCategory(m_file, record);
        record.Status |= palm::kStatusAdded;
        record.Position = palm::kNewRecordPosition;
        if constexpr (requires { Kind::MarkNew(m_file, record); }) {
            Kind::MarkNew(m_file, record);
        }
    }
    bool AppendRow(Item& item) override {
        auto& records = *m_file.GetRecords();
        if (item.source != &m_staged || !records.Add(&m_staged)) {
            return false;
        }
        item.source = records.At(records.Count() - 1);
        return true;
    }
    bool UpdateRow(const CommRec& common, Item& item) override {
        if (item.format != kFormat) {
            return false;
        }
        Rec& record = Kind::Classic(item);
        MapOnto(common, item.commEntry, record);
        Kind::ResolveCategory(m_file, record);
        record.Status |= palm::kStatusChanged;
        return true;
    }
    bool Save() override { return m_file.SaveInPlace(); }

private:
    static void Held(const CommRec& rec, const CommRec& counterpart, CommRec& held) {
        HeldThroughRow<Item, Rec>(kFormat, rec, counterpart, &Kind::CommonToClassic,
                                  &Kind::ClassicToCommon, Kind::CommMgr::Fields(), held);
    }
    // The mapping of `common` onto the row, leaving out the texts that equal those of the row's
    // own common record: they bring nothing new, and written, they would put the common record's
    // cut form over a longer text the row holds. Where leaving a text out would not keep the
    // row's value (a mapping that copies empty texts too), the whole record is mapped.
    static void MapOnto(const CommRec& common, const CommRec* own, Rec& record) {
        if (own != nullptr) {
            const Rec before = record;
            CommRec update = common;
            LeaveUnchangedTexts(Kind::CommMgr::Fields(), &update, own);
            Kind::CommonToClassic(update, record);
            CommRec back{};
            Kind::ClassicToCommon(record, back);
            if (TextsLeftAsTheyWere(common, update, back, *own)) {
                return;
            }
            record = before;
        }
        Kind::CommonToClassic(common, record);
    }
    static bool TextsLeftAsTheyWere(const CommRec& common, const CommRec& update,
                                    const CommRec& back, const CommRec& own) {
        for (const CommField& field : Kind::CommMgr::Fields()) {
            const auto at = [&field](const CommRec& rec) -> const TextValue& {
                return TextAt(field, &rec);
            };
            const bool leftOut =
                field.kind == FieldType::Text && at(update).empty() && !at(common).empty();
            if (leftOut && at(back).view() != at(own).view()) {
                return false;
            }
        }
        return true;
    }
    File m_file;
    Rec m_staged{};
};

// A kind's extended file as the file form sees it. The kind names its extended file and record
// (ExtendedFile, ExtendedRec, kExtendedFileKind, Extended(item)), the two mappings
// (ExtendedToCommon, CommonToExtended) and a ResolveCategory for the extended record.
template <class Kind> struct PmExtendedView {
    using FacadeKind = Kind;
    using CommRec = typename Kind::CommRec;
    using CommMgr = typename Kind::CommMgr;
    using Item = typename Kind::Item;
    using ClassicFile = typename Kind::ExtendedFile;
    using ClassicRec = typename Kind::ExtendedRec;

    static constexpr PalmFormat kFileFormat = PalmFormat::Extended;
    static inline const ExtendedFileKind& kClassicFileKind = Kind::kExtendedFileKind;

    static FormSniff Sniff(const std::string& path) {
        return SniffExtendedFile(path, Kind::kExtendedFileKind);
    }
    static ClassicRec& Classic(Item& item) { return Kind::Extended(item); }
    static const ClassicRec& Classic(const Item& item) { return Kind::Extended(item); }
    static void ClassicToCommon(const ClassicRec& palmRec, CommRec& common) {
        Kind::ExtendedToCommon(palmRec, common);
    }
    static void CommonToClassic(const CommRec& common, ClassicRec& palmRec) {
        Kind::CommonToExtended(common, palmRec);
    }
    static bool ResolveCategory(ClassicFile& file, ClassicRec& record) {
        return Kind::ResolveCategory(file, record);
    }
    // A new row takes the next sequence number the file can give, its place in the rows, and
    // blobs tagged by their field.
    static void MarkNew(ClassicFile& file, ClassicRec& record) {
        record.SequenceNo = file.NextSequenceNo();
        record.EntryIndex =
            static_cast<std::int32_t>(file.GetRecords()->Count()) * file.GetSchema().fieldsPerRow;
        std::int32_t tag = palm::kFieldBlobFirst;
        for (BlobValue* blob : {&record.Blob1, &record.Blob2, &record.Blob3, &record.Blob4}) {
            if (blob->Word0 == 0) {
                blob->Word0 = tag;
            }
            ++tag;
        }
    }
};

// The extended .dat file of a kind: the same file form over the kind's extended file object.
template <class Kind> using PmExtendedForm = PmClassicForm<PmExtendedView<Kind>>;

// A form that is recognised and named in the error, but not read yet: its Load always fails.
template <class Kind> class PmRecognisedForm : public PmStorageForm<Kind> {
public:
    using CommRec = typename Kind::CommRec;
    using Item = typename Kind::Item;
    using Sniffer = bool (*)(const std::string& path);

    PmRecognisedForm(PalmFormat format, const char* file, Sniffer sniffer, const char* note)
        : m_format(format), m_file(file), m_sniffer(sniffer), m_note(note) {}

    PalmFormat Format() const override { return m_format; }
    std::string PathForUser(std::uint32_t user) const override {
        return PalmUserFilePath(user, Kind::kFolder, m_file);
    }
    FormSniff Bid(const std::string& path) override {
        return {m_sniffer(path) ? FormBid::Readable : FormBid::NotMine, {}};
    }
    bool Load(const std::string& path) override {
        m_lastError = path + ": " + m_note + ", which is not read yet";
        return false;
    }
    void Unload() override {}
    std::string LastError() const override { return m_lastError; }
    void* FirstRow() override { return nullptr; }
    void* NextRow() override { return nullptr; }
    std::int32_t RowStatus(const void*) const override { return 0; }
    std::uint32_t RowRecordId(const void*) const override { return 0; }
    void TakeRow(void*, Item&) override {}
    void ToCommon(const Item&, CommRec&) const override {}
    void PrepareRow(const CommRec&, Item&) override {}
    bool AppendRow(Item&) override { return false; }
    bool UpdateRow(const CommRec&, Item&) override { return false; }
    bool Save() override { return false; }

private:
    PalmFormat m_format;
    const char* m_file;
    Sniffer m_sniffer;
    const char* m_note;
    std::string m_lastError;
};

template <class Kind> class PmInfo {
public:
    using CommRec = typename Kind::CommRec;
    using CommMgr = typename Kind::CommMgr;
    using Item = typename Kind::Item;
    using Form = PmStorageForm<Kind>;

    PmInfo() : m_pItems(new (std::nothrow) CxList), m_pCommMgr(new (std::nothrow) CommMgr) {
        TL_ASSERT(m_pItems && m_pCommMgr);
    }
    virtual ~PmInfo() {
        Close();
        delete m_pItems;
        delete m_pCommMgr;
    }
    PmInfo(const PmInfo&) = delete;
    PmInfo& operator=(const PmInfo&) = delete;

    // Loads the user's data from the first form that takes it, in the order the forms were
    // added. False (format Invalid) when none does.
    bool Open(std::uint32_t userId) {
        Close();
        char folder[win::MAX_PATH];
        if (!GetUserDataFolder(userId, folder)) {
            m_format = PalmFormat::Invalid;
            m_lastError = "Palm user " + std::to_string(userId) + " has no data folder";
            return false;
        }
        return OpenWith([userId](const Form& form) { return form.PathForUser(userId); });
    }
    // The same for one given file of any form the facade knows.
    bool OpenPath(const char* path) {
        Close();
        const std::string file = path == nullptr ? std::string() : std::string(path);
        return OpenWith([&file](const Form&) { return file; });
    }
    void Close() {
        m_format = PalmFormat::None;
        for (const auto& form : m_forms) {
            form->Unload();
        }
        m_pItems->Clear(true);
        m_pCommMgr->RemoveAll();
        m_pCommMgr->SetHeldAs(nullptr);
        m_lastError.clear();
        m_bStoreFailed = false;
        m_loadedPath.clear();
    }
    bool IsOpen() const { return Loaded() != nullptr; }
    PalmFormat GetFormat() const { return m_format; }
    // The file or database the open form loaded; empty when none is open.
    const std::string& GetLoadedPath() const { return m_loadedPath; }
    CommMgr* GetCommMgr() { return m_pCommMgr; }
    Item* First() { return static_cast<Item*>(m_pItems->First()); }
    Item* Next() { return static_cast<Item*>(m_pItems->Next()); }

    // Adds the record when the list has no counterpart, updates the counterpart when it differs;
    // false when the two are the same.
    bool WriteRecord(const CommRec* pRec) {
        if (pRec == nullptr) {
            return false;
        }
        int position = 0;
        switch (m_pCommMgr->FindMatch(pRec, nullptr, &position)) {
        case kMatchNotFound:
            return AddRecord(pRec);
        case kMatchDifferent:
            return UpdateRecord(pRec, position);
        default:
            return false;
        }
    }
    bool AddRecord(const CommRec* pRec) {
        Form* form = Writable();
        if (pRec == nullptr || form == nullptr) {
            return false;
        }
        auto* item = static_cast<Item*>(std::calloc(1, sizeof(Item)));
        if (item == nullptr) {
            return false;
        }
        form->PrepareRow(*pRec, *item);
        CommRec* entry = m_pCommMgr->AddCopy(pRec);
        if (entry == nullptr || !form->AppendRow(*item)) {
            std::free(item);
            return false;
        }
        item->commEntry = entry;
        m_pItems->Add(item);
        if (form->storesRowsAtOnce() && !form->StoreRow(*item)) {
            m_bStoreFailed = true;
            return false;
        }
        NoteUnheld(*pRec);
        return true;
    }
    // Overwrites listed record n (its position in the common list).
    bool UpdateRecord(const CommRec* pRec, int n) {
        Form* form = Writable();
        if (pRec == nullptr || n < 0 || form == nullptr) {
            return false;
        }
        auto* item = static_cast<Item*>(m_pItems->GetAt(static_cast<std::uint32_t>(n)));
        if (item == nullptr || !form->UpdateRow(*pRec, *item)) {
            return false;
        }
        m_pCommMgr->MergeAt(pRec, n);
        if (form->storesRowsAtOnce() && !form->StoreRow(*item)) {
            m_bStoreFailed = true;
            return false;
        }
        NoteUnheld(*pRec);
        return true;
    }
    // Writes the loaded file back in place; a database form makes the rows it stored lasting.
    bool Save() {
        Form* form = Loaded();
        if (form == nullptr) {
            return false;
        }
        m_bStoreFailed = false;
        if (!form->Save()) {
            m_lastError = form->LastError();
            return false;
        }
        return true;
    }

    // Why the loaded data must not be written, naming the file; empty when it may be.
    std::string WriteRefusal() const {
        Form* form = Loaded();
        return form == nullptr ? std::string() : form->WriteRefusal();
    }
    // A row that a database form could not store since the last Save: Save then reports it.
    bool StoreFailed() const { return m_bStoreFailed; }

    // Why the last Open, OpenPath or Save failed, naming the file; or, after an Open that read
    // only part of the file, what was left out.
    const std::string& GetLastError() const { return m_lastError; }

    // One line per record written since the last call that the Palm data could not hold whole
    // (Windows-1252, naming the record), for the user to be told; the list is emptied.
    std::vector<std::string> TakeWarnings() { return std::exchange(m_warnings, {}); }

protected:
    // Forms are asked in the order they are added.
    void AddForm(std::unique_ptr<Form> form) { m_forms.push_back(std::move(form)); }

    // Which form loads the file, without building any items; the facade is left closed.
    PalmFormat DetectFormat(const char* path) {
        Close();
        const std::string file = path == nullptr ? std::string() : std::string(path);
        PalmFormat found = PalmFormat::Invalid;
        for (const auto& form : m_forms) {
            if (form->Bid(file).bid == FormBid::Readable && form->Load(file)) {
                found = form->Format();
            }
            form->Unload();
            if (found != PalmFormat::Invalid) {
                break;
            }
        }
        return found;
    }

private:
    Form* Writable() {
        Form* form = Loaded();
        if (form != nullptr) {
            if (std::string refusal = form->WriteRefusal(); !refusal.empty()) {
                m_lastError = std::move(refusal);
                return nullptr;
            }
        }
        return form;
    }
    Form* Loaded() const {
        for (const auto& form : m_forms) {
            if (form->Format() == m_format) {
                return form.get();
            }
        }
        return nullptr;
    }

    // Every form bids for its file; the first that bids Readable and loads wins. A form that
    // recognised the file but could not use it explains more than a later "not mine", so its
    // note is kept; a "not mine" note is kept only when no form recognised anything.
    template <class PathOf> bool OpenWith(const PathOf& pathOf) {
        std::string recognised;
        std::string notMine;
        for (const auto& form : m_forms) {
            const std::string path = pathOf(*form);
            FormSniff sniff = form->Bid(path);
            if (sniff.bid == FormBid::Readable) {
                if (form->Load(path)) {
                    m_format = form->Format();
                    m_loadedPath = path;
                    // Records are compared as this form can keep them, so that what it cannot
                    // hold does not keep a synchronised pair different.
                    m_pCommMgr->SetHeldAs(form->HeldAsCommon());
                    // A file read only in part is listed as far as it is whole; the error says
                    // what is missing.
                    m_lastError = form->LastError();
                    BuildItems(*form);
                    return true;
                }
                sniff.note = form->LastError();
                form->Unload();
            }
            (sniff.bid == FormBid::NotMine ? notMine : recognised) = sniff.note;
        }
        m_format = PalmFormat::Invalid;
        m_lastError = recognised.empty() ? notMine : recognised;
        return false;
    }

    void BuildItems(Form& form) {
        // The common record is made in place in the list: an empty record carrying the item as
        // its Native block is added, then filled, which spares a second copy of every record.
        CommRec blank{};
        blank.SourceType = PalmSourceTypeOf(m_format);
        blank.NativeSize = sizeof(Item);
        // Both lists grow in step: entry n of the common list is item n.
        for (void* row = form.FirstRow(); row != nullptr; row = form.NextRow()) {
            const std::int32_t status = form.RowStatus(row);
            if (!Kind::Listed(status) || !form.RowShown(row)) {
                continue;
            }
            auto* item = static_cast<Item*>(std::malloc(sizeof(Item)));
            if (item == nullptr) {
                continue;
            }
            item->commEntry = nullptr;
            form.TakeRow(row, *item);
            SetRecordId(blank, form.RowRecordId(row));
            blank.CompareStatus = status;
            blank.Native = item;
            CommRec* entry = m_pCommMgr->AddCopy(&blank);
            if (entry == nullptr) {
                std::free(item);
                continue;
            }
            form.ToCommon(*item, *entry);
            item->commEntry = entry;
            m_pItems->Add(item);
        }
    }

    // A kind that says what the loaded form's records cannot hold (Unheld: a line naming the
    // record, empty when it holds all of it) has each such write reported.
    void NoteUnheld(const CommRec& rec) {
        if constexpr (requires { Kind::Unheld(rec, m_format); }) {
            if (std::string line = Kind::Unheld(rec, m_format); !line.empty()) {
                m_warnings.push_back(std::move(line));
            }
        }
    }

    // Kinds name the member that carries the Palm record's id differently.
    static void SetRecordId(CommRec& rec, std::uint32_t id) {
        if constexpr (requires { rec.IDInteger; }) {
            rec.IDInteger = static_cast<std::int32_t>(id);
        } else {
            rec.SourceRecordId = id;
        }
    }

    PalmFormat m_format = PalmFormat::None;
    std::vector<std::unique_ptr<Form>> m_forms;
    CxList* m_pItems;
    CommMgr* m_pCommMgr;
    std::string m_lastError;
    std::string m_loadedPath;
    std::vector<std::string> m_warnings;
    bool m_bStoreFailed = false;
};

} // namespace twinleaf
