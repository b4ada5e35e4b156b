// The plan as text and as JSON.
#include "cli/PlanOutput.h"

#include "cli/RecordJson.h"

#include <algorithm>
#include <array>

namespace twinleaf::cli {
namespace {

constexpr std::array<PlanAction, 6> kActions = {
    PlanAction::CreateInOutlook, PlanAction::UpdateOutlook, PlanAction::CreateInPalm,
    PlanAction::UpdatePalm,      PlanAction::Same,          PlanAction::Undecided};

const char* actionText(PlanAction action) {
    switch (action) {
    case PlanAction::CreateInOutlook:
        return "create in Outlook";
    case PlanAction::UpdateOutlook:
        return "update Outlook item";
    case PlanAction::CreateInPalm:
        return "create in Palm";
    case PlanAction::UpdatePalm:
        return "update Palm record";
    case PlanAction::Same:
        return "skipped as the same";
    case PlanAction::Undecided:
        return "conflict, asked when run";
    }
    return "";
}

std::size_t countOf(const SyncPlan& plan, PlanAction action) {
    std::size_t count = 0;
    for (const PlanEntry& entry : plan.entries) {
        count += entry.action == action ? 1 : 0;
    }
    return count;
}

std::size_t conflictsOf(const SyncPlan& plan) {
    std::size_t count = 0;
    for (const PlanEntry& entry : plan.entries) {
        count += entry.conflict ? 1 : 0;
    }
    return count;
}

// A value in a text line: quoted, line breaks shown as \n so that each change stays one line.
std::string quoted(const std::string& text) {
    std::string shown = "\"";
    for (const char c : text) {
        shown += c == '\n' ? std::string("\\n") : c == '\r' ? std::string() : std::string(1, c);
    }
    return shown + "\"";
}

} // namespace

void printPlan(std::ostream& out, const std::string& kind, const std::string& mode,
               const SyncPlan& plan) {
    out << "Plan of sync " << kind << " --mode " << mode << " (nothing was written):\n";
    for (const PlanEntry& entry : plan.entries) {
        std::string action = actionText(entry.action);
        if (entry.conflict && entry.action != PlanAction::Undecided) {
            action = "conflict, rule: " + action;
        }
        action.resize(std::max<std::size_t>(action.size() + 1, 30), ' ');
        out << "  " << action << (entry.name.empty() ? "(no name)" : entry.name) << "\n";
        for (const FieldChange& change : entry.changes) {
            out << "      " << change.field << ": " << quoted(change.before) << " -> "
                << quoted(change.after) << "\n";
        }
        for (const FieldLoss& loss : entry.losses) {
            out << "      loses " << loss.field << ": " << loss.lost << "\n";
        }
    }
    out << plan.counted() << " records would be updated:";
    const char* separator = " ";
    for (const PlanAction action : kActions) {
        if (const std::size_t count = countOf(plan, action); count > 0) {
            out << separator << count << " " << actionText(action);
            separator = ", ";
        }
    }
    out << (plan.entries.empty() ? " nothing" : "") << ". Losses: " << plan.lossCount() << ".\n";
}

void printPlanJson(std::ostream& out, const std::string& kind, const std::string& mode,
                   const SyncPlan& plan) {
    out << "{\n  \"kind\": " << jsonString(kind) << ",\n  \"mode\": " << jsonString(mode)
        << ",\n  \"updated\": " << plan.counted() << ",\n  \"counts\": {";
    for (const PlanAction action : kActions) {
        out << (action == kActions.front() ? "" : ", ") << jsonString(planActionWord(action))
            << ": " << countOf(plan, action);
    }
    out << "},\n  \"conflicts\": " << conflictsOf(plan) << ",\n  \"losses\": " << plan.lossCount()
        << ",\n  \"records\": [";
    for (std::size_t i = 0; i < plan.entries.size(); ++i) {
        const PlanEntry& entry = plan.entries[i];
        out << (i == 0 ? "\n    {" : ",\n    {")
            << "\"action\": " << jsonString(planActionWord(entry.action))
            << ", \"name\": " << jsonString(entry.name)
            << ", \"conflict\": " << (entry.conflict ? "true" : "false")
            << ", \"counted\": " << (entry.counted ? "true" : "false") << ", \"changes\": [";
        for (std::size_t c = 0; c < entry.changes.size(); ++c) {
            const FieldChange& change = entry.changes[c];
            out << (c == 0 ? "" : ", ") << "{\"field\": " << jsonString(change.field)
                << ", \"old\": " << jsonString(change.before)
                << ", \"new\": " << jsonString(change.after) << "}";
        }
        out << "], \"losses\": [";
        for (std::size_t l = 0; l < entry.losses.size(); ++l) {
            const FieldLoss& loss = entry.losses[l];
            out << (l == 0 ? "" : ", ") << "{\"field\": " << jsonString(loss.field)
                << ", \"lost\": " << jsonString(loss.lost) << "}";
        }
        out << "]}";
    }
    out << (plan.entries.empty() ? "]" : "\n  ]") << "\n}\n";
}

void printLosses(std::ostream& err, const SyncPlan& plan) {
    for (const PlanEntry& entry : plan.entries) {
        for (const FieldLoss& loss : entry.losses) {
            err << "twinleaf: warning: " << entry.name << ": " << loss.field << ": " << loss.lost
                << "\n";
        }
    }
}

} // namespace twinleaf::cli
