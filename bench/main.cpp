// orvandel-bench: the window's five runs from a console, and with measuring
// options a statistics tool comparing them with library sorts.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "bench/app/compare_command.h"
#include "bench/app/list.h"
#include "bench/app/measure_command.h"
#include "bench/app/options.h"
#include "bench/app/terminal.h"
#include "bench/app/version.h"
#include "bench/app/window_runs.h"
#include "bench/measure/contenders.h"
#include "bench/measure/refusal.h"
#include "bench/suite/child_process.h"
#include "bench/suite/guard.h"
#include "bench/suite/interruption.h"
#include "bench/suite/library_probe.h"

namespace {

// ANSI colours: on a terminal, and on a Windows console that accepts
// them once asked to. NO_COLOR set to anything turns them off.
bool StandardOutputTakesColour() {
    if (std::getenv("NO_COLOR") != nullptr) return false;
#ifdef _WIN32
    const HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    return GetConsoleMode(console, &mode) &&
           SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

// The exit status of a command that printed on standard output: a failed
// write there (a full disk) must not pass for success. The measuring
// commands check their own output.
int Printed(int status) {
    std::cout.flush();
    if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout) return status;
    Say(std::cerr, "could not write standard output");
    return status == 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kMeasuringChildFlag)
        EndChildProcess(RunMeasuringChild({argv + 2, argv + argc}, AllContenders()));
    if (argc > 1 && std::string(argv[1]) == kProbingChildFlag)
        EndChildProcess(RunProbingChild({argv + 2, argv + argc}, AllContenders()));
    CommandLine line = ParseCommandLine(argc, argv, std::cout, std::cerr);
    if (line.exit) return line.exitCode;
    if (line.options.version) {
        PrintVersion(std::cout);
        return Printed(0);
    }
    if (line.options.list) {
        ListContenders(std::cout);
        return Printed(0);
    }
    line.options.colour = StandardOutputTakesColour();
    // Here, not in the measuring child: the kernel or a job ends that one with us.
    InstallInterruptionHandlers();
    if (!line.options.comparePaths.empty()) return RunCompareCommand(line.options, std::cout, std::cerr);
    if (!line.options.measuring) return Printed(RunWindowRuns(line.options.names, std::cerr));
    return RunMeasureCommand(line.options, AllContenders(), std::cout, std::cerr,
                             StandardErrorIsTerminal());
}
