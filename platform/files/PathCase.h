// Windows ignores the letter case of file names and Linux does not. Palm Desktop's folders and
// files were named on Windows by several programs ("MemoPad" beside "memopad", "Address.mdb"
// beside "address.MDB"), so a path the program builds may differ in case from what is on disk.
#pragma once

#include <filesystem>

namespace twinleaf {

// Walks `path` component by component. A component that exists as written is kept; one that does
// not is replaced by an entry of its folder whose name differs from it only in ASCII case (when
// several do, the first in byte order, so the answer does not depend on the directory's order).
// From the first component that cannot be found at all, the rest is kept as written, so the
// result names the path a create would use.
std::filesystem::path resolvePathCase(const std::filesystem::path& path);

} // namespace twinleaf
