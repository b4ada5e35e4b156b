// Finding a different Palm record's counterpart and the fields that set them apart, through the
// record's own field table and matching keys, so that the answer is the comparison's.
#include "cli/DifferingFields.h"

#include "common/misc/CommAddr.h"
#include "common/misc/CommRecord.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace twinleaf::cli {
namespace {

template <class Traits>
std::vector<DifferingPair> pairsOf(const std::vector<void*>& palm,
                                   const std::vector<void*>& outlook) {
    using Record = typename Traits::Record;
    const auto isDifferent = [](const void* row) {
        return static_cast<const Record*>(row)->CompareStatus == 2;
    };
    if (std::none_of(palm.begin(), palm.end(), isDifferent)) {
        return {};
    }
    // Outlook rows under the hashes of their keys, in row order, so the first that shares a key
    // is the one the comparison matched. A candidate's keys are made again when it is checked:
    // holding every row's keys would cost more than the rows' own texts.
    std::unordered_multimap<std::uint64_t, std::size_t> byKey;
    for (std::size_t i = 0; i < outlook.size(); ++i) {
        MatchKey keys[Traits::kMaxKeys];
        const std::size_t count = Traits::Keys(*static_cast<const Record*>(outlook[i]), keys);
        for (std::size_t k = 0; k < count; ++k) {
            byKey.emplace(KeyHash(keys[k]), i);
        }
    }
    const auto hasKey = [&outlook](std::size_t row, const MatchKey& key) {
        MatchKey keys[Traits::kMaxKeys];
        const std::size_t count = Traits::Keys(*static_cast<const Record*>(outlook[row]), keys);
        return std::any_of(keys, keys + count,
                           [&key](const MatchKey& other) { return SameKey(key, other); });
    };
    std::vector<DifferingPair> pairs;
    for (void* row : palm) {
        const auto* rec = static_cast<const Record*>(row);
        if (!isDifferent(row)) {
            continue;
        }
        MatchKey keys[Traits::kMaxKeys];
        const std::size_t count = Traits::Keys(*rec, keys);
        std::size_t best = outlook.size();
        for (std::size_t k = 0; k < count; ++k) {
            const auto [first, last] = byKey.equal_range(KeyHash(keys[k]));
            for (auto it = first; it != last; ++it) {
                if (it->second < best && hasKey(it->second, keys[k])) {
                    best = it->second;
                }
            }
        }
        if (best == outlook.size()) {
            continue;
        }
        DifferingPair pair{row, outlook[best], {}};
        for (const CommField& field : Traits::Fields()) {
            if (field.compared && !FieldsEqual({&field, 1}, rec, outlook[best])) {
                pair.fields.emplace_back(field.descName != nullptr && *field.descName != '\0'
                                             ? field.descName
                                             : field.name);
            }
        }
        pairs.push_back(std::move(pair));
    }
    return pairs;
}

} // namespace

std::vector<DifferingPair> differingPairs(DataKind kind, const std::vector<void*>& palm,
                                          const std::vector<void*>& outlook) {
    if (kind == DataKind::Addr) {
        return pairsOf<AddrRecordTraits>(palm, outlook);
    }
    return {};
}

} // namespace twinleaf::cli
