// How the command line shows a sync plan: one line per record with its action, the fields an
// update changes and what the target cannot hold; or the same as a JSON document, whose shape
// is a stable contract (README.md).
#pragma once

#include "common/sync/DataKind.h"
#include "common/sync/SyncPlan.h"

#include <ostream>
#include <string>

namespace twinleaf::cli {

// `kind` and `mode` are the command line's words (contacts, p2o, ...).
void printPlan(std::ostream& out, const std::string& kind, const std::string& mode,
               const SyncPlan& plan);
void printPlanJson(std::ostream& out, const std::string& kind, const std::string& mode,
                   const SyncPlan& plan);
// Each loss as a warning line: "twinleaf: warning: NAME: FIELD: LOST".
void printLosses(std::ostream& err, const SyncPlan& plan);

} // namespace twinleaf::cli
