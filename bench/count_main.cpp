// orvandel-count: the process valgrind runs for one machine count. The same
// measuring child as the tool's own, but linked with none of the references
// that bring a library of their own (reference_sorts.h): under valgrind,
// nothing runs before the count but the C and C++ runtimes and the library
// of the sort it counts.
#include <iostream>
#include <string>

#include "bench/measure/contenders.h"
#include "bench/measure/refusal.h"
#include "bench/suite/child_process.h"
#include "bench/suite/measuring_child.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kMeasuringChildFlag)
        EndChildProcess(RunMeasuringChild({argv + 2, argv + argc}, AllContenders()));
    return Refuse(std::cerr, "orvandel-count counts one sort for orvandel-bench --machine-counts, which starts it; "
                             "it takes no command of its own");
}
