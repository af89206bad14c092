// --help: the option table as text, which help2man also makes the manual
// page of (bench/orvandel-bench.h2m adds its other sections).
#pragma once

#include <ostream>

void PrintHelp(std::ostream& out);
