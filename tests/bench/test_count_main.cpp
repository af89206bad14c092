// The tests' counting program: what the tool's orvandel-count is, with the
// test routines besides, so that the machine-count pass can be handed
// sorts that break, hang or abort under valgrind.
#include <string>

#include "bench/suite/child_process.h"
#include "bench/suite/measuring_child.h"
#include "tests/bench/test_routines.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kMeasuringChildFlag)
        EndChildProcess(RunMeasuringChild({argv + 2, argv + argc}, TestContenders()));
    return 2;
}
