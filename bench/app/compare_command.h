// --compare: two saved reports compared, measuring nothing.
#pragma once

#include <ostream>

#include "bench/app/options.h"

// --compare A B: 0, 1 when standard output or a file could not be written,
// 2 when an output is refused (before anything is read), a report cannot
// be read or the two cannot be compared, 3 as GateStatus. Progress goes to
// err when showProgress and the comparison is long.
int RunCompareCommand(const BenchOptions& options, std::ostream& out, std::ostream& err, bool showProgress);

// The same, with progress when standard error is a terminal.
int RunCompareCommand(const BenchOptions& options, std::ostream& out, std::ostream& err);
