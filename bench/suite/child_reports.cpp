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

// A decimal number, not negative, or false.
bool ReadNumber(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= 0;
}

// A whole number in low ... high, or false.
bool ReadWhole(const std::string& text, long long low, long long high, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 10);
    return !text.empty() && *end == '\0' && value >= low && value <= high;
}

bool PrepareChild(bool read, const char* flag, const MeasureSettings& settings, CellData& data, int& status) {
    status = 2;
    if (!read) {
        std::fprintf(stderr, "orvandel-bench: %s: arguments this program did not write\n", flag);
        return false;
    }
    // Before the data, which may take long: an orphan would sort on for no one.
    if (!StaysWithParent()) return false;
    std::string error;
    status = 1;
    if (!GenerateData(settings, data, error)) {
        std::fprintf(stderr, "orvandel-bench: %s\n", error.c_str());
        return false;
    }
    status = 0;
    return true;
}

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
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

std::string CrashText(const ChildStatus& status, bool silent, const MeasureSettings& settings) {
    if (silent) return "no report within " + Number(ReportAllowanceSeconds(settings)) + " s";
    return EndText(status);
}

ChildRead FollowLines(ChildProcess& child, const Clock::time_point& deadline,
                      const std::function<void(const std::string& line)>& take) {
    std::string pending;
    for (;;) {
        const double timeout = std::max(0.0, std::chrono::duration<double>(deadline - Clock::now()).count());
        const ChildRead read = ReadChild(child, timeout, pending);
        if (read != ChildRead::kData) return read;
        for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
            std::string line = pending.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();  // a text-mode pipe
            take(line);
        }
    }
}
