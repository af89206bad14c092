// The window's benchmark runs from a console: each through RunBenchmark,
// whose boxes print "caption: text" lines where there is no window.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the routines named (button label or caption, any case) in the order
// given, or all five in button order when names is empty. Returns 0 when
// every order check passed, 1 when one failed, 2 (with a message on err)
// when a name is unknown, before anything runs.
int RunWindowRuns(const std::vector<std::string>& names, std::ostream& err);

