// Test doubles around the sync controller: a contact facade and an Outlook contact access that
// keep real CommAddrMgr lists and behave as the real ones do towards the controller, and a
// window that records what the controller showed and answers the conflict alert from a script.
#pragma once

#include "common/misc/CommAddr.h"
#include "common/sync/ContactKind.h"
#include "common/sync/KindSides.h"
#include "common/sync/SyncUi.h"
#include "platform/text/FieldText.h"

#include <cstdlib>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace twinleaf::test {

inline CommAddrRec contact(const char* first, const char* last, const char* workPhone = "",
                           const char* company = "") {
    CommAddrRec rec{};
    copyToField(rec.FirstName, first);
    copyToField(rec.LastName, last);
    copyToField(rec.WorkPhone, workPhone);
    copyToField(rec.Company, company);
    return rec;
}

// Stands in for PmAddrInfo: Open fills the list from the user's records; the writes follow the
// facade's rules (WriteRecord through FindMatch, UpdateRecord merging into the list).
class FakeAddrFacade {
public:
    std::map<std::int32_t, std::vector<CommAddrRec>> users; // what each Palm user's file holds
    bool saveSucceeds = true;
    std::string fileName = "/home/user/Palm/ann/address/address.dat";
    std::string lastError;

    std::vector<std::int32_t> opened; // user ids, one per Open
    bool swapName = false;
    int saves = 0;
    std::vector<std::string> writes; // "add Ann", "update 0 Ann"

    void SetSwapName(bool flag) { swapName = flag; }
    bool Open(std::uint32_t userId) {
        opened.push_back(static_cast<std::int32_t>(userId));
        m_list.RemoveAll();
        const auto user = users.find(userId);
        m_open = user != users.end();
        if (m_open) {
            for (CommAddrRec& rec : user->second) {
                m_list.AddCopy(&rec);
            }
        }
        return m_open;
    }
    CommAddrMgr* GetCommMgr() { return &m_list; }
    bool WriteRecord(CommAddrRec* rec) {
        int position = 0;
        switch (m_list.FindMatch(rec, nullptr, &position)) {
        case kMatchNotFound:
            return AddRecord(rec);
        case kMatchDifferent:
            return UpdateRecord(rec, position);
        default:
            return false;
        }
    }
    bool AddRecord(CommAddrRec* rec) {
        if (!m_open) {
            return false;
        }
        writes.push_back(std::string("add ") + rec->FirstName);
        return m_list.AddCopy(rec) != nullptr;
    }
    bool UpdateRecord(CommAddrRec* rec, int position) {
        if (!m_open || !m_list.MergeAt(rec, position)) {
            return false;
        }
        writes.push_back("update " + std::to_string(position) + " " + rec->FirstName);
        return true;
    }
    bool Save() {
        ++saves;
        if (!saveSucceeds) {
            lastError = fileName + ": not saved: No space left on device";
        }
        return saveSucceeds;
    }
    const std::string& GetLastError() const { return lastError; }

private:
    CommAddrMgr m_list;
    bool m_open = false;
};

// The image a created Outlook item leaves in its record's Native block.
struct FakeImage {
    int itemNumber;
};

// Stands in for OlAddrUtil: the folder is a vector of records; SaveRecord, CreateItem and
// UpdateItem follow the access's rules, and UpdateItem, as for real contacts, does not merge the
// record into the list.
class FakeOlAddr {
public:
    std::vector<CommAddrRec> folder;
    bool createSucceeds = true;

    const std::int32_t* customMap = nullptr;
    int reloads = 0;
    std::vector<std::string> writes; // "create Ann", "update 0 Ann"

    bool Reload() {
        ++reloads;
        m_list.RemoveAll();
        for (CommAddrRec& rec : folder) {
            m_list.AddCopy(&rec);
        }
        return true;
    }
    CommAddrMgr* GetRecords() { return &m_list; }
    void SetCustomMap(const std::int32_t* map) { customMap = map; }
    bool SaveRecord(const CommAddrRec* rec) {
        CommAddrRec* match = nullptr;
        int position = 0;
        switch (m_list.FindMatch(rec, &match, &position)) {
        case kMatchDifferent: {
            void* native = match->Native;
            const std::uint32_t nativeSize = match->NativeSize;
            *match = *rec;
            match->Native = native;
            match->NativeSize = nativeSize;
            return UpdateItem(match, position);
        }
        case kMatchNotFound: {
            CommAddrRec copy = *rec;
            if (!CreateItem(&copy)) {
                return false;
            }
            m_list.AddCopy(&copy);
            std::free(copy.Native);
            return true;
        }
        default:
            return false;
        }
    }
    bool CreateItem(CommAddrRec* rec) {
        if (!createSucceeds) {
            return false;
        }
        writes.push_back(std::string("create ") + rec->FirstName);
        auto* image = static_cast<FakeImage*>(std::malloc(sizeof(FakeImage)));
        image->itemNumber = static_cast<int>(writes.size());
        rec->Native = image;
        rec->NativeSize = sizeof(FakeImage);
        return true;
    }
    bool UpdateItem(CommAddrRec* rec, int position) {
        writes.push_back("update " + std::to_string(position) + " " + rec->FirstName);
        return true;
    }

private:
    CommAddrMgr m_list;
};

inline std::string palmFileName(FakeAddrFacade& palm) {
    return palm.fileName;
}

using FakeContactKind = ContactKindOf<FakeAddrFacade, FakeOlAddr>;
using FakeContactSides = KindSidesOf<FakeContactKind>;

struct ShownMessage {
    std::string text;
    std::string caption;
    win::UINT icon;
};

struct AskedConflict {
    DataKind kind;
    std::string palm;    // first name of the Palm record
    std::string outlook; // first name of the Outlook record
};

// Records everything the controller shows; rows and check boxes are kept per view as a list
// model would keep them.
class RecordingUi : public SyncUi {
public:
    struct View {
        std::vector<void*> rows;
        std::vector<bool> checked;
        int fills = 0; // setRows calls
        int repaints = 0;
    };

    std::deque<ConflictAnswer> answers; // the alert's answers, in order; Cancel when none is left
    std::vector<AskedConflict> asked;
    std::vector<ShownMessage> messages;
    std::vector<int> progress;
    std::vector<std::string> events; // cursor, bar and message events in order
    std::map<DataKind, std::int32_t> selectorUser;

    View& view(DataKind kind, ViewSide side) { return m_views[{kind, side}]; }
    void check(DataKind kind, ViewSide side, std::vector<bool> checked) {
        view(kind, side).checked = std::move(checked);
    }

    void setRows(DataKind kind, ViewSide side, std::vector<void*> records) override {
        View& v = view(kind, side);
        v.checked.assign(records.size(), false);
        v.rows = std::move(records);
        ++v.fills;
    }
    void refreshRows(DataKind kind, ViewSide side) override { ++view(kind, side).repaints; }
    std::vector<bool> checkedRows(DataKind kind, ViewSide side) const override {
        const auto v = m_views.find({kind, side});
        return v == m_views.end() ? std::vector<bool>{} : v->second.checked;
    }
    void setChecked(DataKind kind, ViewSide side, std::size_t row, bool checked) override {
        view(kind, side).checked.at(row) = checked;
    }
    void setAllChecked(DataKind kind, ViewSide side, const std::vector<bool>& checked) override {
        view(kind, side).checked = checked;
    }
    void fillUserSelector(DataKind kind, std::int32_t userId) override {
        selectorUser[kind] = userId;
    }
    void setProgress(int percent) override { progress.push_back(percent); }
    void setProgressVisible(bool visible) override {
        events.push_back(visible ? "bar shown" : "bar hidden");
    }
    void setBusyCursor(bool busy) override { events.push_back(busy ? "busy" : "normal cursor"); }
    void showMessage(const std::string& text, const std::string& caption, win::UINT icon) override {
        messages.push_back({text, caption, icon});
        events.push_back("message " + caption);
    }
    ConflictAnswer askConflict(DataKind kind, void* palmRecord, void* outlookRecord) override {
        asked.push_back({kind, static_cast<CommAddrRec*>(palmRecord)->FirstName,
                         static_cast<CommAddrRec*>(outlookRecord)->FirstName});
        if (answers.empty()) {
            return {};
        }
        const ConflictAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

private:
    std::map<std::pair<DataKind, ViewSide>, View> m_views;
};

} // namespace twinleaf::test
