// What a command writes: standard output, and the files of --export,
// --chart and --save-baseline, for a measured run and a comparison alike.
#pragma once

#include <ostream>
#include <string>

#include "bench/app/options.h"
#include "bench/compare/comparison.h"
#include "bench/measure/refusal.h"
#include "bench/report/report.h"

// Whether every file the options name can be created, no two of them are
// one file and none is one of the reports read (--baseline, --compare); so
// a wrong path is refused before anything is read or measured.
Check OutputsUsable(const BenchOptions& options);

// Writes standard output, --export and --chart: the report alone, or, with
// a comparison, the report (if any) and the comparison; and with a report,
// --save-baseline. The files are written before standard output, so that
// its last lines end what the terminal shows, and even when it fails;
// an HTML page's place is said on err.
// False when standard output or a file could not be written (said on err).
bool WriteOutputs(const BenchOptions& options, const Report* report, const Comparison* comparison,
                  std::ostream& out, std::ostream& err);
