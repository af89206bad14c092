// The statistics tool: selection, the measurement, the report on standard
// output, the exported report and the chart.
#pragma once

#include <ostream>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/app/options.h"

// Measures the contenders that options select from all and writes the
// reports. Progress goes to err when showProgress. Returns 0 when every
// order check passed, 1 when one failed or standard output or a file could
// not be written, 2 when the selection, the count or an output is refused.
int RunMeasureCommand(const BenchOptions& options, const std::vector<Contender>& all,
                      std::ostream& out, std::ostream& err, bool showProgress);
