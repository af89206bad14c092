// A run compared with a saved report: --baseline is read and checked
// before anything is measured, and compared with the run after it.
#pragma once

#include <ostream>
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
Comparison CompareWithRun(const BenchOptions& options, SavedReport baseline, const Report& report,
                          const CompareProgress& progress);

// A comparison's progress as the progress line on err; shown becomes true
// once the line is written, for the caller to blank it.
CompareProgress ComparisonProgress(std::ostream& err, bool& shown);

// A gate on instructions (--fail-if-more-instructions) that has no cell
// counted on both sides would pass whatever the build did: refused.
Check GateCanCount(const BenchOptions& options, const Comparison& comparison);

// 3 when --fail-if-slower finds a cell slower by more than its percent, or
// --fail-if-more-instructions a cell whose instructions grew by more than
// its, each such cell named on err; otherwise 0.
int GateStatus(const BenchOptions& options, const Comparison& comparison, std::ostream& err);
