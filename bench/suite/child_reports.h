// What the two kinds of guarded child (measuring and counting) share: how
// numbers travel in their arguments and reports, and how the parent reads
// the reports with a deadline.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "bench/measure/cell_data.h"
#include "bench/measure/measurement.h"
#include "bench/suite/child_process.h"

using Clock = std::chrono::steady_clock;

// A number as a child's argument or report: every digit it has.
std::string Number(double value);

// A decimal number, not negative, or false.
bool ReadNumber(const std::string& text, double& value);

// A whole number in low ... high, or false.
bool ReadWhole(const std::string& text, long long low, long long high, long long& value);

// A child's start once it has read its arguments (read: whether they made
// sense): stays with its parent and generates the cell's data. False, with
// the exit status and a message on standard error, when it cannot go on:
// arguments this program did not write (2), a parent already gone (2, said
// nothing) or data that cannot be allocated (1).
bool PrepareChild(bool read, const char* flag, const MeasureSettings& settings, CellData& data, int& status);

// One report line of a child to its parent, sent at once.
void Say(const std::string& line);

// How long a child may go without a report while it is not sorting: the
// time limit, and room to start, generate, copy and check the data.
double ReportAllowanceSeconds(const MeasureSettings& settings);

Clock::time_point After(double seconds);

// How a child ended: the signal or exception that ended it, its stack
// running out, or its exit status (a fault the sanitizers catch ends it
// with a status rather than a signal).
std::string EndText(const ChildStatus& status);

// How a child that did not finish its work ended, for a crashed row:
// silent when it sent no report within the allowance and was killed.
std::string CrashText(const ChildStatus& status, bool silent, const MeasureSettings& settings);

// Hands every whole line the child writes to take, which may move the
// deadline, until the child closes its output (kEnd) or the deadline passes
// without a report (kTimeout).
ChildRead FollowLines(ChildProcess& child, const Clock::time_point& deadline,
                      const std::function<void(const std::string& line)>& take);
