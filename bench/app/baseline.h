// A run compared with a saved report: --baseline is read and checked
// before anything is measured, and compared with the run after it.
#pragma once

#include <string>

#include "bench/app/options.h"
#include "bench/compare/comparison.h"
#include "bench/compare/saved_report.h"
#include "bench/report/report.h"

// The data a measurement with these options will make, as cells without
// times: one per pattern and count.
SavedReport PlannedReport(const BenchOptions& options);

// Reads the --baseline file, if one is given, and checks that it holds the
// data options will measure (an empty report when none is given). The
// refusal names the file.
Result<SavedReport> ReadBaseline(const BenchOptions& options);

// The measured report against the baseline, in the selected cells.
Comparison CompareWithRun(const BenchOptions& options, SavedReport baseline, const Report& report);

// 3 when --fail-if-slower finds a cell slower by more than its percent,
// otherwise 0.
int SlowerStatus(const BenchOptions& options, const Comparison& comparison);
