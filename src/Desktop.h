// The desktop program: what `twinleaf` without a command runs.
#pragma once

namespace twinleaf {

int runDesktop(int argc, char** argv);

} // namespace twinleaf
