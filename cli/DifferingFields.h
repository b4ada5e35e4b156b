// What makes two matched records "different": the compared fields whose values disagree, for
// compare to show beside each different pair.
#pragma once

#include "common/sync/KindTable.h"

#include <string>
#include <vector>

namespace twinleaf::cli {

struct DifferingPair {
    void* palm;
    void* outlook;
    std::vector<std::string> fields; // display names of the fields, in table order
};

// For each Palm row whose status is "different", in row order: its counterpart among the Outlook
// rows (the first in list order that shares a matching key, as the comparison takes it) and the
// compared fields in which the two disagree. Kinds without records answer nothing.
std::vector<DifferingPair> differingPairs(DataKind kind, const std::vector<void*>& palm,
                                          const std::vector<void*>& outlook);

} // namespace twinleaf::cli
