#include "bench/suite/child_reports.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

bool ReadNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && std::isfinite(value) && value >= 0;
}

bool ReadWhole(const std::string& text, long long low, long long high, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

// Generous, since a slow machine must not cost a cell; the point is only
// that a stopped or hung child cannot hold the run forever. Starting,
// generating the data and moving between repetitions are all linear in
// the count.
constexpr double kReportGraceSeconds = 5;
constexpr double kReportSecondsPerValue = 100e-9;

// Whole seconds, so that the message naming it is exact.
double ReportAllowanceSeconds(const MeasureSettings& settings) {
    return std::ceil(settings.timeLimitSeconds + kReportGraceSeconds + settings.count * kReportSecondsPerValue);
}

Clock::time_point After(double seconds) {
    return Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string EndText(const ChildStatus& status) {
    switch (status.end) {
        case ChildEnd::kStackOverflow: return "ran out of stack";
        case ChildEnd::kCrashed: return status.description;
        case ChildEnd::kExited: break;
    }
    return "exited with status " + std::to_string(status.exitCode);
}

