// Reporting of a failed internal precondition.
#include "platform/Assert.h"

#include <cstdio>
#include <cstdlib>

namespace twinleaf {

void assertionFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "Assertion failed: %s, file %s, line %d\n", condition, file, line);
    std::fflush(stderr);
    std::abort();
}

} // namespace twinleaf
