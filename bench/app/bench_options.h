// What the command line asks for, as the option table fills it in
// (option_table.h) and every command reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/compare/comparison.h"
#include "bench/export/forms.h"
#include "bench/measure/measurement.h"

struct BenchOptions {
    std::vector<std::string> names;
    std::string filter;
    bool list = false;
    bool version = false;
    bool measuring = false;  // a measuring option was given
    MeasureSettings settings;        // count, pattern and type: the first of counts, patterns and types
    std::vector<std::string> patterns = {"window"};
    std::vector<ElementType> types = {ElementType::kI32};
    std::vector<std::int32_t> counts = {MeasureSettings().count};  // ascending
    ReportFormat format = ReportFormat::kTable;
    std::string exportPath;
    ReportFormat exportFormat = ReportFormat::kTable;
    std::string chartPath;
    std::string baselinePath;      // compare the run with this saved report
    std::string saveBaselinePath;  // also save the run's JSON report here
    std::vector<std::string> comparePaths;  // two saved reports: baseline, current
    std::vector<std::string> libraries;     // --sort-library values: PATH[:SYMBOL[@TYPE][=NAME]]
    double noisePercent = kDefaultNoisePercent;  // smaller changes count as no change
    double failIfSlowerPercent = -1;  // exit status 3 beyond it; negative: never
    double failIfMoreInstructionsPercent = -1;  // exit status 3 when instructions grow beyond it; negative: never
    bool colour = false;           // standard output is a terminal that shows colour
};
