// Any bytes as a contact, appointment, task or note file: the store's codecs must answer without
// fault, and a file they read must be written so that it reads back as the same item.
#include "platform/outlook/OutlookStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool readItem(const twinleaf::outlook::ItemKind& kind, std::string_view bytes,
              twinleaf::outlook::StoredItem& item) {
    item.kind = &kind;
    item.values = twinleaf::outlook::initialValues(kind);
    std::string error;
    return twinleaf::outlook::codecFor(kind).read(bytes, item, error);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace twinleaf::outlook;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const ItemKind* kind : {&contactKind(), &appointmentKind(), &taskKind(), &noteKind()}) {
        StoredItem item;
        if (!readItem(*kind, bytes, item)) {
            continue;
        }
        StoredItem again;
        if (!readItem(*kind, codecFor(*kind).write(item), again) || again.values != item.values) {
            std::abort();
        }
    }
    return 0;
}
