// --list: what the console tool can run and measure.
#pragma once

#include <ostream>

// The names --list prints: routines with label and caption, then
// references, then the input shapes.
void ListContenders(std::ostream& out);
