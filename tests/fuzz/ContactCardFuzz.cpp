// Any bytes as a contact card: a card the reader takes must be written so that it reads back to
// the same values, kept lines and line origins (group, parameters, extra components), and writing
// what was read back must give the same bytes again.
#include "platform/outlook/OutlookStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using twinleaf::outlook::ContentParam;
using twinleaf::outlook::LineOrigin;
using twinleaf::outlook::StoredItem;

bool readCard(std::string_view bytes, StoredItem& item) {
    using namespace twinleaf::outlook;
    item.kind = &contactKind();
    item.values = initialValues(contactKind());
    std::string error;
    return codecFor(contactKind()).read(bytes, item, error);
}

bool sameParams(const std::vector<ContentParam>& a, const std::vector<ContentParam>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].values != b[i].values) {
            return false;
        }
    }
    return true;
}

bool sameOrigins(const StoredItem& a, const StoredItem& b) {
    if (a.origins.size() != b.origins.size()) {
        return false;
    }
    for (auto x = a.origins.begin(), y = b.origins.begin(); x != a.origins.end(); ++x, ++y) {
        const LineOrigin& p = x->second;
        const LineOrigin& q = y->second;
        if (x->first != y->first || p.group != q.group || !sameParams(p.params, q.params) ||
            p.extraComponents != q.extraComponents) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace twinleaf::outlook;
    StoredItem item;
    if (!readCard(std::string_view(reinterpret_cast<const char*>(data), size), item)) {
        return 0;
    }
    const std::string written = codecFor(contactKind()).write(item);
    StoredItem again;
    if (!readCard(written, again) || again.values != item.values ||
        again.keptLines != item.keptLines || again.version != item.version ||
        !sameOrigins(item, again) || codecFor(contactKind()).write(again) != written) {
        std::abort();
    }
    return 0;
}
