// The command line of orvandel-bench, read in three steps: the options as
// declared in the table (bench/app/option_table.h) with their defaults,
// the words parsed into options and values, and the whole checked.
//
// Without measuring options it is the window's run from a console: the
// named routines, or all five, each through RunBenchmark. Any option the
// table marks as measuring turns it into the statistics tool; --compare
// measures nothing: it compares two saved reports.
#pragma once

#include <ostream>

#include "bench/app/bench_options.h"

struct CommandLine {
    bool exit = false;  // help was shown or the line was wrong: exit with exitCode
    int exitCode = 0;
    BenchOptions options;
};

// Parses argv; help goes to out, a refusal to err (exit code 2).
CommandLine ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);
