// The independent readers some tests check our files with are Python modules; this finds a Python
// that has one.
#pragma once

#include <string>

namespace twinleaf::test {

// The system's Python first (a pyenv "python3" on the PATH may lack Debian's modules), then the one
// on the PATH; "" when neither can import the module.
std::string pythonWithModule(const std::string& module);

} // namespace twinleaf::test
