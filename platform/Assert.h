// The one assertion every broken internal precondition goes through. It prints the condition as
// written, the source file and the line, and stops the program in every build type: a list
// without its nodes or a record without its buffer must never be carried on with.
#pragma once

namespace twinleaf {

[[noreturn]] void assertionFailed(const char* condition, const char* file, int line);

} // namespace twinleaf

#define TL_ASSERT(condition)                                                                       \
    ((condition) ? static_cast<void>(0) : ::twinleaf::assertionFailed(#condition, __FILE__, __LINE__))
