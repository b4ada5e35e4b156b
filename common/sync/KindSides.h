// The two sides of one kind as the sync controller sees them: a Palm facade and an Outlook access
// object, each with its common record list, reached through records passed as untyped pointers.
// The controller's algorithm is written once against this; KindSidesOf turns a kind's own
// facade, access and list classes into it, and a kind without them yet gets EmptySides.
#pragma once

#include "common/misc/CommRecord.h"
#include "common/sync/DataKind.h"
#include "common/sync/SyncPlan.h"
#include "platform/codepage/Codepage.h"
#include "platform/outlook/OutlookStore.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace twinleaf {

struct OptionBlock;

// What FindMatch gave: the result code (-1 no record, 1 same, 2 not found, 3 different), the
// matching record and its position in the list searched.
struct RecordMatch {
    int code = -1;
    void* record = nullptr;
    int position = 0;
};

// The result of writing the Palm data back. When it failed, `file` names the file that was not
// written and `reason` says why, for the message that tells the user.
struct PalmSaveResult {
    bool ok = false;
    std::string file;
    std::string reason;
};

// How completely a side was read at its last load. `problem` names the files or folder and says
// what went wrong (UTF-8, one line per file); it is empty when the side was read completely.
enum class ReadState { Complete, Partial, Unreadable };
struct SideRead {
    ReadState state = ReadState::Complete;
    std::string problem;
};

class KindSides {
public:
    virtual ~KindSides() = default;

    // How the last openPalm and the last reloadOutlook went. A side that was not read
    // completely must not be written from, nor, where its unread part would be lost, written to.
    virtual SideRead palmRead() const { return {}; }
    virtual SideRead outlookRead() const { return {}; }

    // Palm side: open the kind's Palm user (contacts set the name swap first).
    virtual void openPalm(const OptionBlock& options) = 0;
    // Outlook side: read the default folder again.
    virtual void reloadOutlook() = 0;
    virtual std::vector<void*> palmRecords() = 0;
    virtual std::vector<void*> outlookRecords() = 0;
    // CompareStatus of the Palm list against the Outlook list, then the other way round.
    virtual void compare() = 0;
    // CompareStatus of one of the two lists' records: 0 same, 1 new, 2 different.
    virtual int compareStatus(const void* record) const = 0;

    virtual RecordMatch findInOutlook(void* record) = 0;
    virtual RecordMatch findInPalm(void* record) = 0;

    // Outlook SaveRecord.
    virtual bool saveRecord(void* record) = 0;
    // A new Outlook item made from a Palm record: the Outlook access's CreateAndAdd, which makes
    // the item from a copy of the record and appends the copy, with the new item's image, to its
    // list. The Palm record keeps its own Native block.
    virtual bool createItemFrom(void* palmRecord) = 0;
    virtual bool updateItem(void* record, int position) = 0;

    // Palm WriteRecord, AddRecord, UpdateRecord and Save.
    virtual bool writeRecord(void* record) = 0;
    virtual bool addRecord(void* record) = 0;
    virtual bool updateRecord(void* record, int position) = 0;
    virtual PalmSaveResult savePalm() = 0;
    // Why the Palm data must not be written (Windows-1252, naming the file): a run that would
    // change it is refused before anything is written. Empty when it may be written.
    virtual std::string palmWriteRefusal() { return {}; }
    // A Palm write that failed and left changes pending: the run must save, so that the failure
    // is reported and what it began is given up.
    virtual bool palmStoreFailed() { return false; }
    // One line per record written to Palm since the last call that the Palm data could not hold
    // whole (Windows-1252, naming the record); the list is emptied.
    virtual std::vector<std::string> takePalmWarnings() { return {}; }

    // The compared fields in which writing `from` over `onto` changes `onto`, with the texts the
    // list views show. A difference only in what the Palm data cannot hold is no change: the
    // comparison does not count it either.
    virtual std::vector<FieldChange> changedFields(const void* from, const void* onto) {
        static_cast<void>(from);
        static_cast<void>(onto);
        return {};
    }
    // The name a plan gives one of the two lists' records (Windows-1252), for sides whose records
    // are not the kind's own; none lets the kind table name it from its first columns.
    virtual std::optional<std::string> recordName(const void* record) const {
        static_cast<void>(record);
        return std::nullopt;
    }
    // What the Palm data cannot hold of `from`, written as a new record (`onto` null) or over
    // `onto`: texts cut to their field, values it has no place for.
    virtual std::vector<FieldLoss> palmLosses(const void* from, const void* onto) {
        static_cast<void>(from);
        static_cast<void>(onto);
        return {};
    }
    // What an Outlook item cannot hold of `from`, written as a new item or over one: texts longer
    // than the item's properties, values it has no property for.
    virtual std::vector<FieldLoss> outlookLosses(const void* from) {
        static_cast<void>(from);
        return {};
    }
};

// A kind whose records, facade or Outlook access do not exist yet: both sides stay empty.
class EmptySides final : public KindSides {
public:
    void openPalm(const OptionBlock&) override {}
    void reloadOutlook() override {}
    std::vector<void*> palmRecords() override { return {}; }
    std::vector<void*> outlookRecords() override { return {}; }
    void compare() override {}
    int compareStatus(const void*) const override { return 0; }
    RecordMatch findInOutlook(void*) override { return {}; }
    RecordMatch findInPalm(void*) override { return {}; }
    bool saveRecord(void*) override { return false; }
    bool createItemFrom(void*) override { return false; }
    bool updateItem(void*, int) override { return false; }
    bool writeRecord(void*) override { return false; }
    bool addRecord(void*) override { return false; }
    bool updateRecord(void*, int) override { return false; }
    PalmSaveResult savePalm() override { return {true, {}, {}}; }
};

// KindSides over one kind's classes. `Kind` says, in one place, what differs per kind:
//   Record, List, Palm, Outlook            the record, list (a CommRecordMgr), facade and
//                                          access classes
//   State                                  what the kind keeps while it is open (the contacts'
//                                          field map), living longer than facade and access
//   setUp(Palm&, Outlook&, options, State&) the kind's set-up when it is opened (field map,
//                                          appointment bodies)
//   openPalm(Palm&, options)               SetSwapName (contacts) and Open with the user id
//   palmList(Palm&), outlookList(Outlook&) the two common lists
//   compare(List& own, List& other)        CompareWith (or an equivalent that scales)
//   save(Palm&)                            Save, with the file it writes
// The facade and the access are called by the names every kind's classes share: WriteRecord,
// AddRecord, UpdateRecord, Reload, SaveRecord, CreateAndAdd, UpdateItem; how the facade's last
// Open went comes from its IsOpen and GetLastError (which, after an Open that succeeded, says
// what part of the file was left out).
// An Outlook access that puts a record into an item's image and reads one back. The image type
// is asked for first: an access without one is no such access, not an error.
template <class Access, class Record>
concept ImageRoundTrip = requires {
    typename Access::Image;
}
&&requires(Access& access, const Record* rec, Record* back, typename Access::Image* image) {
    access.RecordToImage(rec, image);
    access.ImageToRecord(image, back);
};

template <class Kind> class KindSidesOf final : public KindSides {
public:
    using Record = typename Kind::Record;
    using List = typename Kind::List;
    using Palm = typename Kind::Palm;
    using Outlook = typename Kind::Outlook;

    // Takes the newly made facade and access and runs the kind's set-up on them.
    // `outlookProblems` are what the Outlook store reported while the access opened its folder:
    // files it skipped, or a folder it could not use.
    KindSidesOf(std::unique_ptr<Palm> palm, std::unique_ptr<Outlook> outlook,
                const OptionBlock& options, std::vector<std::string> outlookProblems = {})
        : m_outlook(std::move(outlook)), m_palm(std::move(palm)),
          m_outlookProblems(std::move(outlookProblems)) {
        Kind::setUp(*m_palm, *m_outlook, options, m_state);
    }

    Palm& palm() { return *m_palm; }
    Outlook& outlook() { return *m_outlook; }

    void openPalm(const OptionBlock& options) override {
        Kind::openPalm(*m_palm, options);
        const std::string error = m_palm->GetLastError();
        m_palmRead = !m_palm->IsOpen() ? SideRead{ReadState::Unreadable, error}
                     : error.empty()   ? SideRead{}
                                       : SideRead{ReadState::Partial, error};
    }
    void reloadOutlook() override { m_outlookReloaded = m_outlook->Reload(); }
    SideRead palmRead() const override { return m_palmRead; }
    SideRead outlookRead() const override {
        std::string problem;
        for (const std::string& line : m_outlookProblems) {
            problem += (problem.empty() ? "" : "\n") + line;
        }
        if (!m_outlookReloaded) {
            return {ReadState::Unreadable,
                    problem.empty() ? "the Outlook folder could not be read" : problem};
        }
        return problem.empty() ? SideRead{} : SideRead{ReadState::Partial, problem};
    }
    std::vector<void*> palmRecords() override { return recordsOf(Kind::palmList(*m_palm)); }
    std::vector<void*> outlookRecords() override {
        return recordsOf(Kind::outlookList(*m_outlook));
    }
    void compare() override {
        List& palmList = Kind::palmList(*m_palm);
        List& outlookList = heldOutlookList();
        Kind::compare(palmList, outlookList);
        Kind::compare(outlookList, palmList);
    }
    int compareStatus(const void* record) const override {
        return static_cast<const Record*>(record)->CompareStatus;
    }

    RecordMatch findInOutlook(void* record) override { return find(heldOutlookList(), record); }
    RecordMatch findInPalm(void* record) override { return find(Kind::palmList(*m_palm), record); }

    // A Palm record written over its Outlook counterpart keeps the counterpart's values that the
    // Palm form could not hold.
    bool saveRecord(void* record) override {
        List& outlookList = heldOutlookList();
        Record* match = nullptr;
        if (outlookList.FindMatch(typed(record), &match) != kMatchDifferent || match == nullptr) {
            return m_outlook->SaveRecord(typed(record));
        }
        Record whole = wholeOver(*typed(record), *match);
        return m_outlook->SaveRecord(&whole);
    }
    bool createItemFrom(void* palmRecord) override {
        return m_outlook->CreateAndAdd(typed(palmRecord));
    }
    bool updateItem(void* record, int position) override {
        const Record* stored =
            position < 0 ? nullptr : heldOutlookList().GetAt(static_cast<std::uint32_t>(position));
        if (stored == nullptr) {
            return m_outlook->UpdateItem(typed(record), position);
        }
        Record whole = wholeOver(*typed(record), *stored);
        return m_outlook->UpdateItem(&whole, position);
    }

    bool writeRecord(void* record) override { return m_palm->WriteRecord(typed(record)); }
    bool addRecord(void* record) override { return m_palm->AddRecord(typed(record)); }
    bool updateRecord(void* record, int position) override {
        return m_palm->UpdateRecord(typed(record), position);
    }
    PalmSaveResult savePalm() override { return Kind::save(*m_palm); }
    std::string palmWriteRefusal() override {
        if constexpr (requires(Palm & palm) { palm.WriteRefusal(); }) {
            return m_palm->WriteRefusal();
        } else {
            return {};
        }
    }
    bool palmStoreFailed() override {
        if constexpr (requires(Palm & palm) { palm.StoreFailed(); }) {
            return m_palm->StoreFailed();
        } else {
            return false;
        }
    }
    std::vector<std::string> takePalmWarnings() override {
        if constexpr (requires(Palm & palm) { palm.TakeWarnings(); }) {
            return m_palm->TakeWarnings();
        } else {
            return {};
        }
    }

    std::vector<FieldChange> changedFields(const void* from, const void* onto) override {
        const auto& a = *static_cast<const Record*>(from);
        const auto& b = *static_cast<const Record*>(onto);
        const typename List::HeldAs heldAs = Kind::palmList(*m_palm).GetHeldAs();
        Record heldA{};
        Record heldB{};
        if (heldAs != nullptr) {
            heldAs(a, b, heldA);
            heldAs(b, a, heldB);
        }
        std::vector<FieldChange> changes;
        for (const CommField& field : List::Fields()) {
            const std::span<const CommField> one(&field, 1);
            if (!field.compared || FieldsEqual(one, &a, &b) ||
                (heldAs != nullptr && FieldsEqual(one, &heldA, &heldB))) {
                continue;
            }
            changes.push_back({fieldName(field), shown(field, b), shown(field, a)});
        }
        return changes;
    }

    // Each field is put through the Palm form and back, as an update or an addition would write
    // it; whatever does not come back as it went in is lost.
    std::vector<FieldLoss> palmLosses(const void* from, const void* onto) override {
        const typename List::HeldAs heldAs = Kind::palmList(*m_palm).GetHeldAs();
        if (heldAs == nullptr) {
            return {};
        }
        const auto& rec = *static_cast<const Record*>(from);
        Record held{};
        heldAs(rec, onto != nullptr ? *static_cast<const Record*>(onto) : rec, held);
        return lossesBetween(rec, held);
    }

    // Each field is put into an item's properties and read back, as the access writes and then
    // reads an item. An update starts from the stored item, but keeps of it only what the record
    // does not carry, so a new item shows the same cuts.
    std::vector<FieldLoss> outlookLosses(const void* from) override {
        if constexpr (ImageRoundTrip<Outlook, Record>) {
            const auto& rec = *static_cast<const Record*>(from);
            const auto image = std::make_unique<typename Outlook::Image>();
            const auto held = std::make_unique<Record>();
            m_outlook->RecordToImage(&rec, image.get());
            m_outlook->ImageToRecord(image.get(), held.get());
            return lossesBetween(rec, *held);
        } else {
            static_cast<void>(from);
            return {};
        }
    }

private:
    static Record* typed(void* record) { return static_cast<Record*>(record); }

    // What `held`, the record as the target keeps it, lost of `rec`. Numbers count only where a
    // merge carries them, as in KeepUnheld: the rest say where a record comes from. A number the
    // comparison ignores is no loss either: such a value (a repeat's end while the repeat has
    // none) may hold anything, and a side that does not keep it drops nothing of the record.
    static std::vector<FieldLoss> lossesBetween(const Record& rec, const Record& held) {
        std::vector<FieldLoss> losses;
        std::size_t rawAt = SIZE_MAX; // the loss that gathers the numbers no view shows
        std::string rawWanted;
        std::string rawKept;
        for (const CommField& field : List::Fields()) {
            const bool text = field.kind == FieldType::Text;
            if (field.kind == FieldType::None || derived(field) || (!text && !field.compared) ||
                (field.merge != FieldMerge::Always && field.merge != FieldMerge::IfNotEmpty)) {
                continue;
            }
            // Nearly every field comes back as it went: only those that differ are formatted.
            if (sameValue(field, rec, held)) {
                continue;
            }
            const std::string wanted = shown(field, rec);
            const std::string kept = shown(field, held);
            if (wanted == kept) {
                continue;
            }
            // Numbers no view shows (the parts of a repeat) go as one: "RepeatType, RepeatWeek:
            // 5, 2 kept as 0, 0".
            if (!text && !described(field)) {
                if (rawAt == SIZE_MAX) {
                    rawAt = losses.size();
                    rawWanted = wanted;
                    rawKept = kept;
                    losses.push_back({field.name, {}});
                } else {
                    losses[rawAt].field += std::string(", ") + field.name;
                    rawWanted += ", " + wanted;
                    rawKept += ", " + kept;
                }
                losses[rawAt].lost = rawWanted + " kept as " + rawKept;
                continue;
            }
            std::string lost;
            if (kept.empty()) {
                lost = "\"" + excerpt(wanted) + "\" has no place";
            } else if (text && wanted.compare(0, kept.size(), kept) == 0) {
                lost = "cut after " + std::to_string(kept.size()) + " bytes, losing \"" +
                       excerpt(wanted.substr(kept.size())) + "\"";
            } else {
                lost = "\"" + excerpt(wanted) + "\" kept as \"" + excerpt(kept) + "\"";
            }
            losses.push_back({fieldName(field), std::move(lost)});
        }
        return losses;
    }

    // A field the other side makes of other fields (a contact's full name): Palm keeping no copy
    // of it loses nothing.
    static bool derived(const CommField& field) {
        if constexpr (requires { Kind::kDerivedFields; }) {
            for (const char* name : Kind::kDerivedFields) {
                if (std::strcmp(name, field.name) == 0) {
                    return true;
                }
            }
        }
        return false;
    }
    // The same text or the same bytes: shown the same, whatever the field's format.
    static bool sameValue(const CommField& field, const Record& a, const Record& b) {
        if (field.kind == FieldType::Text) {
            return TextAt(field, &a).view() == TextAt(field, &b).view();
        }
        const char* left = reinterpret_cast<const char*>(&a) + field.offset;
        const char* right = reinterpret_cast<const char*>(&b) + field.offset;
        return std::memcmp(left, right, field.width) == 0;
    }
    static bool described(const CommField& field) {
        return field.descName != nullptr && *field.descName != '\0';
    }
    static std::string fieldName(const CommField& field) {
        return described(field) ? field.descName : field.name;
    }
    // The field's display text, UTF-8; a number no view formats, as its digits.
    static std::string shown(const CommField& field, const Record& rec) {
        if (field.format == nullptr &&
            (field.kind == FieldType::Int32 || field.kind == FieldType::UInt32)) {
            const char* at = reinterpret_cast<const char*>(&rec) + field.offset;
            if (field.kind == FieldType::Int32) {
                std::int32_t value = 0;
                std::memcpy(&value, at, sizeof value);
                return std::to_string(value);
            }
            std::uint32_t value = 0;
            std::memcpy(&value, at, sizeof value);
            return std::to_string(value);
        }
        std::vector<char> buffer(field.width + 256, '\0');
        FormatField(field, &rec, buffer.data(), static_cast<std::uint32_t>(buffer.size()));
        return ansiToUtf8(buffer.data());
    }
    // A long text as a loss line shows it: its first 60 bytes and how much more there was.
    static std::string excerpt(const std::string& text) {
        constexpr std::size_t kShown = 60;
        if (text.size() <= kShown) {
            return text;
        }
        std::size_t end = kShown;
        while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
            --end; // never in the middle of a UTF-8 sequence
        }
        return text.substr(0, end) + "... (" + std::to_string(text.size()) + " bytes)";
    }

    // A flat copy of `rec` (its Native block still belongs to `rec`) with what Palm could not hold
    // of `stored` given back.
    Record wholeOver(const Record& rec, const Record& stored) {
        Record whole = rec;
        Kind::outlookList(*m_outlook).KeepUnheld(whole, stored);
        return whole;
    }

    // The Outlook list, comparing as the loaded Palm form keeps records: a pair compares the same
    // from either side, and the access does not rewrite an item over what Palm cannot hold. Set
    // before every use, since the Palm side may have been opened on another form meanwhile.
    List& heldOutlookList() {
        List& outlookList = Kind::outlookList(*m_outlook);
        outlookList.SetHeldAs(Kind::palmList(*m_palm).GetHeldAs());
        return outlookList;
    }

    static std::vector<void*> recordsOf(List& list) {
        std::vector<void*> records;
        records.reserve(list.GetCount());
        for (Record* rec = list.First(); rec != nullptr; rec = list.Next()) {
            records.push_back(rec);
        }
        return records;
    }

    static RecordMatch find(List& list, void* record) {
        Record* match = nullptr;
        int position = 0;
        const int code = list.FindMatch(typed(record), &match, &position);
        return {code, match, position};
    }

    // Declared in this order so that closing the kind releases the facade first, then the access,
    // and the state they were set up with last.
    typename Kind::State m_state{};
    std::unique_ptr<Outlook> m_outlook;
    std::unique_ptr<Palm> m_palm;
    std::vector<std::string> m_outlookProblems;
    SideRead m_palmRead;
    bool m_outlookReloaded = true;
};

// A kind's sides with a new facade and access. The Outlook store reports what it cannot read when
// the access opens its folder; those reports are kept with the sides instead of being printed.
template <class Kind> std::unique_ptr<KindSides> makeKindSides(const OptionBlock& options) {
    auto palm = std::make_unique<typename Kind::Palm>();
    std::vector<std::string> problems;
    std::unique_ptr<typename Kind::Outlook> outlook;
    {
        const outlook::ScopedStoreWarnings warnings;
        outlook = std::make_unique<typename Kind::Outlook>();
        problems = warnings.messages();
    }
    return std::make_unique<KindSidesOf<Kind>>(std::move(palm), std::move(outlook), options,
                                               std::move(problems));
}

} // namespace twinleaf
