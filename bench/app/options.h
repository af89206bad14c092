// The command line of orvandel-bench, read in three steps: the options as
// declared in the table (bench/app/option_table.h) with their defaults,
// the words parsed into options and values, and the whole checked.
//
// Without measuring options it is the window's run from a console: the
// named routines, or all five, each through RunBenchmark. Any option the
// table marks as measuring turns it into the statistics tool; --compare
// measures nothing: it compares two saved reports.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "bench/measure/measurement.h"
#include "bench/export/forms.h"

struct BenchOptions {
    std::vector<std::string> names;
    std::string filter;
    bool list = false;
    bool version = false;
    bool measuring = false;  // a measuring option was given
    MeasureSettings settings;        // count and pattern: the first of counts and patterns
    std::vector<std::string> patterns = {"window"};
    std::vector<std::int32_t> counts = {MeasureSettings().count};  // ascending
    ReportFormat format = ReportFormat::kTable;
    std::string exportPath;
    ReportFormat exportFormat = ReportFormat::kTable;
    std::string chartPath;
    std::string baselinePath;      // compare the run with this saved report
    std::string saveBaselinePath;  // also save the run's JSON report here
    std::vector<std::string> comparePaths;  // two saved reports: baseline, current
    std::vector<std::string> libraries;     // --sort-library values: PATH[:SYMBOL[=NAME]]
    double noisePercent = 2;       // smaller changes count as no change
    double failIfSlowerPercent = -1;  // exit status 3 beyond it; negative: never
    double failIfMoreInstructionsPercent = -1;  // exit status 3 when instructions grow beyond it; negative: never
    bool colour = false;           // standard output is a terminal that shows colour
};

struct CommandLine {
    bool exit = false;  // help was shown or the line was wrong: exit with exitCode
    int exitCode = 0;
    BenchOptions options;
};

// Parses argv; help goes to out, a refusal to err (exit code 2).
CommandLine ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err);
