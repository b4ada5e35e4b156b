// Any bytes as a contact card: a card the reader takes must be written so that it reads back to
// the same values and kept lines, and writing what was read back must give the same bytes again
// (which the lines' groups and parameters, as they were read back, decide).
#include "platform/outlook/OutlookStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using twinleaf::outlook::StoredItem;

bool readCard(std::string_view bytes, StoredItem& item) {
    using namespace twinleaf::outlook;
    item.kind = &contactKind();
    item.values = initialValues(contactKind());
    std::string error;
    return codecFor(contactKind()).read(bytes, item, error);
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
        codecFor(contactKind()).write(again) != written) {
        std::abort();
    }
    return 0;
}
