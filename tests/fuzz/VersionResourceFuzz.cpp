// Any bytes as a program file: the version reader must answer without reading outside them.
#include "platform/pe/VersionResource.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    twinleaf::readFixedFileInfo(std::span<const std::uint8_t>(data, size));
    return 0;
}
