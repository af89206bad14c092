// --help: the option table as text, which help2man also makes the manual
// page of (bench/orvandel-bench.h2m adds its other sections).
#pragma once

#include <ostream>

// The lines --help opens with: what the tool is for.
extern const char kHelpOpening[];

void PrintHelp(std::ostream& out);
