// The console tool's test program. Like the tool, it is its own measuring
// child: a guarded measurement starts this program again with the child's
// flag, and the child finds the test routines by name.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <chrono>
#include <thread>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

#include "bench/suite/guard.h"
#include "bench/suite/library_probe.h"
#include "tests/bench/test_routines.h"

namespace {

// A child lost before its first report, on the tests' request: the
// environment's kTestChildFault names what to do ("kill", "stop" or "exit"),
// the shape whose children do it and, optionally, a file that only the one
// child that removes it obeys, so that only the cell's first child fails.
void FailIfAsked(const std::string& pattern) {
    const char* fault = std::getenv(kTestChildFault);
    if (fault == nullptr) return;
    std::istringstream words(fault);
    std::string action, shape, once;
    words >> action >> shape >> once;
    if (shape != pattern || (!once.empty() && std::remove(once.c_str()) != 0)) return;
#ifndef _WIN32
    if (action == "kill") raise(SIGKILL);
    if (action == "stop") raise(SIGSTOP);
#endif
    if (action == "exit") std::_Exit(kTestChildExitStatus);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kTestSleeperFlag) {
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));  // until its job ends it
    }
    if (argc > 1 && std::string(argv[1]) == kMeasuringChildFlag) {
        if (argc > 2) FailIfAsked(argv[2]);
        return RunMeasuringChild({argv + 2, argv + argc}, TestContenders());
    }
    if (argc > 1 && std::string(argv[1]) == kProbingChildFlag)
        return RunProbingChild({argv + 2, argv + argc}, TestContenders());
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
