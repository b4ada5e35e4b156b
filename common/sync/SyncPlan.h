// What a sync run did or, run with its writes withheld, would do: one entry per record it looked
// at, with the action, the fields an update changes and what the target cannot hold. A real run
// and a dry run fill it from the same decisions, so the two cannot disagree on what they count.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace twinleaf {

enum class PlanAction {
    CreateInOutlook,
    UpdateOutlook,
    CreateInPalm,
    UpdatePalm,
    Same,      // matched a record equal to it: nothing to write
    Undecided, // a conflict that only the user can decide; a dry run does not ask
};

// One field an update changes, as the list views show it (UTF-8).
struct FieldChange {
    std::string field;
    std::string before;
    std::string after;
};

// What the target cannot hold of one field of the record written (UTF-8): `lost` says what goes.
struct FieldLoss {
    std::string field;
    std::string lost;
};

struct PlanEntry {
    PlanAction action = PlanAction::Same;
    bool conflict = false; // both sides had the record and differed; the rule decided the action
    bool counted = false;  // the write went through and counts in the run's total
    std::string name;      // the record, as the first columns of its list view name it (UTF-8)
    std::vector<FieldChange> changes;
    std::vector<FieldLoss> losses;
};

struct SyncPlan {
    std::vector<PlanEntry> entries;

    int counted() const {
        int total = 0;
        for (const PlanEntry& entry : entries) {
            total += entry.counted ? 1 : 0;
        }
        return total;
    }
    std::size_t lossCount() const {
        std::size_t total = 0;
        for (const PlanEntry& entry : entries) {
            total += entry.losses.size();
        }
        return total;
    }
};

// The words the command line and its JSON use for an action.
inline const char* planActionWord(PlanAction action) {
    switch (action) {
    case PlanAction::CreateInOutlook:
        return "create-outlook";
    case PlanAction::UpdateOutlook:
        return "update-outlook";
    case PlanAction::CreateInPalm:
        return "create-palm";
    case PlanAction::UpdatePalm:
        return "update-palm";
    case PlanAction::Same:
        return "same";
    case PlanAction::Undecided:
        return "undecided";
    }
    return "same";
}

} // namespace twinleaf
