// Test doubles around the sync controller: the two sides of any kind over simple records that
// pair by name and differ by value, following the rules the real facades and Outlook access
// follow towards the controller, and a window that records what the controller showed and
// answers the conflict alert from a script.
#pragma once

#include "common/sync/KindSides.h"
#include "common/sync/KindTable.h"
#include "common/sync/Options.h"
#include "common/sync/SyncUi.h"
#include "platform/files/AtomicFile.h"

#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace twinleaf::test {

// Records pair by name; a pair whose values differ is "different".
struct FakeRecord {
    std::string name;
    std::string value;
    std::int32_t CompareStatus = 0;
};

inline FakeRecord record(const char* name, const char* value = "") {
    return {name, value, 0};
}

// Both sides of one kind. The Palm side opens the kind's stored user from `users` (a user not in
// it has no file), takes writes in memory as a facade does (WriteRecord adds or updates through
// its own match, UpdateRecord merges non-empty values) and writes them to `users` on a save that
// succeeds; the Outlook side reads `folder`, creates items in it with their records, and, as for
// real contacts, UpdateItem stores what it wrote without merging it into its list. `palmPartial`
// and `outlookSkipped`, when set, make the next load report that side as read only in part.
class FakeSides final : public KindSides {
public:
    explicit FakeSides(DataKind kind) : m_kind(kind) {}

    // The kind's table would read a fake record as one of the kind's own.
    std::optional<std::string> recordName(const void* record) const override {
        return static_cast<const FakeRecord*>(record)->name;
    }

    std::map<std::int32_t, std::vector<FakeRecord>> users; // what each Palm user's file holds
    std::vector<FakeRecord> folder;                        // the Outlook folder
    bool saveSucceeds = true;
    bool createSucceeds = true;
    std::string createRefusal; // what the store says when it refuses a creation
    std::string saveFailure = ": not saved: No space left on device"; // after the file name
    std::string fileName = "/home/user/Palm/ann/address/address.dat";
    std::string palmPartial;
    std::string outlookSkipped;
    // Records of these names are written to Palm without part of what they hold, and reported.
    std::set<std::string> unheld;
    // Records of these names lose this much of their value on either side, as the plan lists it.
    std::map<std::string, std::string> losses;
    // What the Palm side says when it may only be read (empty: it may be written).
    std::string writeRefusal;

    std::vector<std::int32_t> opened; // user ids, one per open
    int reloads = 0;
    int saves = 0;
    std::vector<std::string> palmWrites;    // "add Ann", "update 0 Ann"
    std::vector<std::string> outlookWrites; // "create Ann", "update 0 Ann"

    void openPalm(const OptionBlock& options) override {
        const std::int32_t user = options.*describeKind(m_kind).userId;
        opened.push_back(user);
        m_palm.clear();
        m_openUser = user;
        const auto found = users.find(user);
        m_palmOpen = found != users.end();
        if (m_palmOpen) {
            m_palm.assign(found->second.begin(), found->second.end());
        }
        m_palmRead = !m_palmOpen ? SideRead{ReadState::Unreadable, fileName + ": no such file"}
                     : palmPartial.empty() ? SideRead{}
                                           : SideRead{ReadState::Partial, palmPartial};
    }
    void reloadOutlook() override {
        ++reloads;
        m_outlook.assign(folder.begin(), folder.end());
        m_outlookRead =
            outlookSkipped.empty() ? SideRead{} : SideRead{ReadState::Partial, outlookSkipped};
    }
    SideRead palmRead() const override { return m_palmRead; }
    SideRead outlookRead() const override { return m_outlookRead; }
    std::vector<void*> palmRecords() override { return pointers(m_palm); }
    std::vector<void*> outlookRecords() override { return pointers(m_outlook); }
    void compare() override {
        for (FakeRecord& rec : m_palm) {
            rec.CompareStatus = statusFor(find(m_outlook, &rec).code);
        }
        for (FakeRecord& rec : m_outlook) {
            rec.CompareStatus = statusFor(find(m_palm, &rec).code);
        }
    }
    int compareStatus(const void* rec) const override {
        return static_cast<const FakeRecord*>(rec)->CompareStatus;
    }
    RecordMatch findInOutlook(void* rec) override { return find(m_outlook, rec); }
    RecordMatch findInPalm(void* rec) override { return find(m_palm, rec); }

    bool saveRecord(void* rec) override {
        const RecordMatch match = find(m_outlook, rec);
        if (match.code == 2) {
            return createItemFrom(rec);
        }
        if (match.code != 3) {
            return false;
        }
        static_cast<FakeRecord*>(match.record)->value = typed(rec).value;
        return updateItem(rec, match.position);
    }
    bool createItemFrom(void* rec) override {
        if (!createSucceeds) {
            if (!createRefusal.empty()) {
                outlook::storeWarning(createRefusal);
            }
            return false;
        }
        outlookWrites.push_back("create " + typed(rec).name);
        m_outlook.push_back(typed(rec));
        if (!writesWithheld()) {
            folder.push_back(typed(rec));
        }
        return true;
    }
    bool updateItem(void* rec, int position) override {
        outlookWrites.push_back("update " + std::to_string(position) + " " + typed(rec).name);
        if (position >= 0 && static_cast<std::size_t>(position) < folder.size() &&
            !writesWithheld()) {
            folder[static_cast<std::size_t>(position)].value = typed(rec).value;
        }
        return true;
    }

    bool writeRecord(void* rec) override {
        const RecordMatch match = find(m_palm, rec);
        return match.code == 2   ? addRecord(rec)
               : match.code == 3 ? updateRecord(rec, match.position)
                                 : false;
    }
    bool addRecord(void* rec) override {
        if (!m_palmOpen) {
            return false;
        }
        palmWrites.push_back("add " + typed(rec).name);
        m_palm.push_back(typed(rec));
        noteUnheld(typed(rec));
        return true;
    }
    bool updateRecord(void* rec, int position) override {
        if (!m_palmOpen || position < 0 || static_cast<std::size_t>(position) >= m_palm.size()) {
            return false;
        }
        if (!typed(rec).value.empty()) {
            m_palm[static_cast<std::size_t>(position)].value = typed(rec).value;
        }
        palmWrites.push_back("update " + std::to_string(position) + " " + typed(rec).name);
        noteUnheld(typed(rec));
        return true;
    }
    std::vector<std::string> takePalmWarnings() override { return std::exchange(m_unheld, {}); }
    std::vector<FieldLoss> palmLosses(const void* from, const void*) override {
        return lossesOf(from);
    }
    std::vector<FieldLoss> outlookLosses(const void* from) override { return lossesOf(from); }
    std::string palmWriteRefusal() override { return writeRefusal; }
    PalmSaveResult savePalm() override {
        ++saves;
        if (saveSucceeds) {
            users[m_openUser].assign(m_palm.begin(), m_palm.end());
            return {true, {}, {}};
        }
        return {false, fileName, fileName + saveFailure};
    }

    // The lists as they stand, for checking what a run left behind.
    const std::deque<FakeRecord>& palmList() const { return m_palm; }
    const std::deque<FakeRecord>& outlookList() const { return m_outlook; }

private:
    std::vector<FieldLoss> lossesOf(const void* from) const {
        const auto found = losses.find(static_cast<const FakeRecord*>(from)->name);
        return found == losses.end() ? std::vector<FieldLoss>{}
                                     : std::vector<FieldLoss>{{"value", found->second}};
    }
    static FakeRecord& typed(void* rec) { return *static_cast<FakeRecord*>(rec); }
    void noteUnheld(const FakeRecord& rec) {
        if (unheld.count(rec.name) != 0) {
            m_unheld.push_back("\"" + rec.name + "\": no place for its repeat");
        }
    }
    static int statusFor(int code) { return code == 2 ? 1 : code == 3 ? 2 : 0; }
    static std::vector<void*> pointers(std::deque<FakeRecord>& list) {
        std::vector<void*> result;
        for (FakeRecord& rec : list) {
            result.push_back(&rec);
        }
        return result;
    }
    // The first record of that name: 1 same, 3 different; 2 and the list's size when none.
    static RecordMatch find(std::deque<FakeRecord>& list, void* rec) {
        const FakeRecord& wanted = typed(rec);
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (list[i].name == wanted.name) {
                return {list[i].value == wanted.value ? 1 : 3, &list[i], static_cast<int>(i)};
            }
        }
        return {2, nullptr, static_cast<int>(list.size())};
    }

    DataKind m_kind;
    // Deques keep the records in place while the lists grow, as the real lists do.
    std::deque<FakeRecord> m_palm;
    std::deque<FakeRecord> m_outlook;
    bool m_palmOpen = false;
    std::int32_t m_openUser = 0;
    SideRead m_palmRead;
    SideRead m_outlookRead;
    std::vector<std::string> m_unheld;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    win::UINT icon;
};

struct AskedConflict {
    DataKind kind;
    void* palm;
    void* outlook;
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
    std::deque<bool> confirmations;     // answers to confirmRun, in order; No when none is left
    std::vector<std::string> confirmQuestions;
    std::vector<std::string> reloadQuestions;
    bool reloadAnswer = false;
    std::vector<std::size_t> reviewedLosses; // the losses each review listed
    bool lossesAccepted = false;
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
    bool askReload(const std::string& text) override {
        reloadQuestions.push_back(text);
        events.push_back("reload question");
        return reloadAnswer;
    }
    bool confirmRun(const std::string& text, const std::string& caption) override {
        confirmQuestions.push_back(caption + ": " + text);
        events.push_back("question " + caption);
        if (confirmations.empty()) {
            return false;
        }
        const bool yes = confirmations.front();
        confirmations.pop_front();
        return yes;
    }
    bool confirmLosses(DataKind, const SyncPlan& plan) override {
        reviewedLosses.push_back(plan.lossCount());
        events.push_back("losses shown");
        return lossesAccepted;
    }
    ConflictAnswer askConflict(DataKind kind, void* palmRecord, void* outlookRecord) override {
        asked.push_back({kind, palmRecord, outlookRecord});
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
