// What the tool's children share: how numbers travel in their arguments
// and reports, the deadlines the parent reads them with, and the words for
// how a child ended.
#pragma once

#include <chrono>
#include <string>

#include "bench/measure/measurement.h"
#include "bench/suite/child_process.h"

using Clock = std::chrono::steady_clock;

// A number as a child's argument or report: every digit it has.
std::string Number(double value);

// A decimal number, not negative, or false.
bool ReadNumber(const std::string& text, double& value);

// A whole number in low ... high, or false.
bool ReadWhole(const std::string& text, long long low, long long high, long long& value);

// How long a child may go without a report while it is not sorting: the
// time limit, and room to start, generate, copy and check the data.
double ReportAllowanceSeconds(const MeasureSettings& settings);

Clock::time_point After(double seconds);

// How long a child whose reports have ended is given to end by itself: a
// process closes its pipes a moment before it can be waited for.
constexpr double kEndingSeconds = 1;

// How a child ended: the signal or exception that ended it, its stack
// running out, or its exit status (a fault the sanitizers catch ends it
// with a status rather than a signal).
std::string EndText(const ChildStatus& status);

