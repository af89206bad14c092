// Comparison with saved reports: --baseline checks its file before the
// measurement and compares after it; --compare compares two saved reports.
#pragma once

#include <ostream>
#include <string>

#include "bench/comparison.h"
#include "bench/options.h"
#include "bench/report.h"

// The data a measurement with these options will make, as cells without
// times: one per pattern and count.
SavedReport PlannedReport(const BenchOptions& options);

// Reads the --baseline file, if one is given, and checks that it holds the
// data options will measure. False with a one-line error naming the file.
bool ReadBaseline(const BenchOptions& options, SavedReport& baseline, std::string& error);

// The measured report against the baseline, in the selected cells.
Comparison CompareWithRun(const BenchOptions& options, SavedReport baseline, const Report& report);

// Writes standard output, --export and --chart: the report alone, or, with
// a comparison, the report (if any) and the comparison. False when a file
// could not be written (said on err).
bool WriteOutputs(const BenchOptions& options, const Report* report, const Comparison* comparison,
                  std::ostream& out, std::ostream& err);

// 3 when --fail-if-slower finds a cell slower by more than its percent,
// otherwise 0.
int SlowerStatus(const BenchOptions& options, const Comparison& comparison);

// --compare A B: 0, 1 when a file could not be written, 2 when a report
// cannot be read or the two cannot be compared, 3 as SlowerStatus.
int RunCompareCommand(const BenchOptions& options, std::ostream& out, std::ostream& err);
