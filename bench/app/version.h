// What --version says: which build of the tool this is, for a bug report
// or beside a set of figures.
#pragma once

#include <ostream>

// The project version and source revision, the compiler and the flags the
// routines were built with, and the optional references built in or left
// out. The first line, "orvandel-bench VERSION", is what help2man reads.
void PrintVersion(std::ostream& out);
