// Any text after the hive signature: the parser must answer without fault, for a key at the root
// and one a few levels down.
#include "platform/registry/RegistryView.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string hive = "WINE REGISTRY Version 2\n";
    hive.append(reinterpret_cast<const char*>(data), size);
    for (const char* path : {"", "Software", "Software\\U.S. Robotics\\Pilot Desktop\\Core"}) {
        if (auto key = twinleaf::findKeyInHive(hive, path)) {
            key->find("DesktopPath");
        }
    }
    return 0;
}
