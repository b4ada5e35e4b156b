// The main() of the core tests: Outlook's stand-in is installed as the program's main() installs
// it, then GoogleTest runs.
#include "platform/outlook/OutlookApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    twinleaf::outlook::registerOutlookApplication();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
