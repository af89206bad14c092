// The console tool's test program. Like the tool, it is its own measuring
// child: a guarded measurement starts this program again with the child's
// flag, and the child finds the test routines by name.
#include <gtest/gtest.h>

#include <string>

#include "bench/suite/guard.h"
#include "tests/bench/test_routines.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kMeasuringChildFlag)
        return RunMeasuringChild({argv + 2, argv + argc}, TestContenders());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
