#include "bench/app/option_table.h"

#include <limits>

#include "bench/app/option_values.h"
#include "bench/compare/saved_report.h"
#include "bench/measure/name_pattern.h"
#include "bench/measure/sort_library.h"

namespace {

constexpr double kLongestLimit = 86400;     // seconds: a day per repetition
constexpr double kLongestMinTime = 10000;   // milliseconds
constexpr int kMostRepetitions = 1000000;
constexpr double kNoLimit = std::numeric_limits<double>::infinity();

// The defaults that other parts of the program own, as the command line
// writes them.
const std::string kDefaultCount = std::to_string(kSlotCount);
const std::string kDefaultSeed = std::to_string(kRunSeed);
const std::string kDefaultNoiseText = std::to_string(kDefaultNoisePercent);

// Keeps a value that was read, or passes its refusal on.
template <typename T, typename Into>
Check Keep(const Result<T>& read, Into& into) {
    if (!read) return Refusal{read.why()};
    into = *read;
    return Passed{};
}

Check Set(bool& flag) {
    flag = true;
    return Passed{};
}

Check Text(const std::string& value, std::string& into) {
    into = value;
    return Passed{};
}

Check Append(const std::string& value, std::vector<std::string>& into) {
    into.push_back(value);
    return Passed{};
}

Check ReadFormat(const std::string& value, BenchOptions& o) {
    const std::optional<ReportFormat> format = FormatNamed(value);
    if (!format) return Refusal{"\"" + value + "\" is not a form: " + FormNames()};
    o.format = *format;
    return Passed{};
}

Check ReadExport(const std::string& value, BenchOptions& o) {
    const std::optional<ReportFormat> format = FormatOfPath(value);
    if (!format)
        return Refusal{"cannot tell the format of \"" + value + "\"; name it " + FormExtensions()};
    o.exportPath = value;
    o.exportFormat = *format;
    return Passed{};
}

// A file that only one form may be written to, as its extension says:
// a chart is SVG, a baseline JSON, whatever the file is called otherwise.
Check ReadPathOf(ReportFormat form, const char* what, const std::string& value, std::string& into) {
    if (FormatOfPath(value) != form)
        return Refusal{"\"" + value + "\" would hold " + what + "; name it " + FormExtensions(form)};
    into = value;
    return Passed{};
}

// The forms as the table of forms names them (its array is constant, set
// before any of these).
const std::string kFormatHelp = "Standard output as " + FormNames();
const std::string kExportHelp = "Also write the report to FILE (" + FormExtensions() + ")";

// A time's forms as its reader names them, and the unit of a bare number
// as the option reads it.
std::string TimeHelp(const char* what, TimeUnit bare) {
    return std::string(what) + ": " + kTimeForms + " (a bare number is " + bare.name + ")";
}
const std::string kTimeLimitHelp = TimeHelp("The longest one repetition may take", kSecond);
const std::string kMinTimeHelp =
    TimeHelp("The shortest a timed sample lasts, sorting copies back to back", kMillisecond);

// A value the loader could not use is refused with the line, before any
// library is opened.
Check ReadLibrary(const std::string& value, BenchOptions& o) {
    const Result<LibraryParts> parts = ParseLibraryValue(value);
    if (!parts) return Refusal{"\"" + value + "\": " + parts.why()};
    return Append(value, o.libraries);
}

// A pattern --filter cannot read is refused with the line, before any
// file is read or library opened.
Check ReadFilter(const std::string& value, BenchOptions& o) {
    const Result<NamePattern> pattern = NamePattern::Compile(value);
    if (!pattern) return Refusal{pattern.why()};
    return Text(value, o.filter);
}

using O = BenchOptions;
using S = const std::string;

const std::vector<OptionEntry> kOptions = {
    {"--help", "-h", nullptr, 0, nullptr, "Print this help message and exit", kStandalone | kHelp, nullptr},
    {"--list", "-l", nullptr, 0, nullptr, "Print the routines and references and exit", kStandalone,
     [](S&, O& o) { return Set(o.list); }},
    {"--version", "-V", nullptr, 0, nullptr,
     "Print the version, source revision, compiler, flags and references built in, and exit", kStandalone,
     [](S&, O& o) { return Set(o.version); }},
    {"--runs", "-r", "N", 1, "5", "Timed repetitions per routine", kMeasures,
     [](S& v, O& o) { return Keep(ParseWholeNumber(v, 1, kMaxRuns), o.settings.runs); }},
    {"--warmup", "-w", "N", 1, "1", "Untimed repetitions before them", kMeasures,
     [](S& v, O& o) { return Keep(ParseWholeNumber(v, 0, kMostRepetitions), o.settings.warmup); }},
    {"--filter", nullptr, "PATTERN", 1, nullptr,
     "Run only the routines and references whose name or label PATTERN finds (a regular expression of "
     "literal bytes, . [...] \\d \\w \\s ( ) | * + ? ^ $, at most 256 bytes), plus those named and "
     "std::sort",
     kMeasures | kWithCompare, [](S& v, O& o) { return ReadFilter(v, o); }},
    {"--interleave", nullptr, nullptr, 0, nullptr,
     "One repetition of each routine in turn, so drift does not favour one", kMeasures,
     [](S&, O& o) { return Set(o.settings.interleave); }},
    {"--operations", nullptr, nullptr, 0, nullptr,
     "Also count each routine's comparisons, exchanges, calls and recursion depth", kMeasures,
     [](S&, O& o) { return Set(o.settings.operations); }},
    {"--machine-counts", nullptr, nullptr, 0, nullptr,
     "Also count each routine's instructions, branch misses and cache misses on the cell's first draw, under "
     "valgrind's callgrind with fixed simulated caches",
     kMeasures, [](S&, O& o) { return Set(o.settings.machineCounts); }},
    {"--same-data", nullptr, nullptr, 0, nullptr,
     "Sort the seed's data every time, also where each sort would get a new draw", kMeasures,
     [](S&, O& o) { return Set(o.settings.sameData); }},
    {"--count", "-c", "N", 1, kDefaultCount.c_str(),
     "Values generated; slots 1 ... N-1 are sorted; a list such as 1000,1e5,2.5M measures each size", kMeasures,
     [](S& v, O& o) { return Keep(ParseCountList(v), o.counts); }},
    {"--seed", nullptr, "N", 1, kDefaultSeed.c_str(), "Generator seed, 1 ... 2147483646", kMeasures,
     [](S& v, O& o) { return Keep(ParseSeed(v), o.settings.seed); }},
    {"--format", nullptr, "FORM", 1, "table", kFormatHelp.c_str(), kMeasures | kWithCompare,
     ReadFormat},
    {"--export", nullptr, "FILE", 1, nullptr, kExportHelp.c_str(), kMeasures | kWithCompare,
     ReadExport},
    {"--chart", nullptr, "FILE", 1, nullptr,
     "Write a bar chart of the medians to FILE.svg; with several sizes, time per element against size (with "
     "--operations comparisons, with --machine-counts branch misses)",
     kMeasures | kWithCompare,
     [](S& v, O& o) { return ReadPathOf(ReportFormat::kSvg, "an SVG chart", v, o.chartPath); }},
    {"--pattern", "-p", "SHAPES", 1, "window", "Input shapes, comma-separated, or all (--list shows them)", kMeasures,
     [](S& v, O& o) { return Keep(ParsePatternList(v), o.patterns); }},
    {"--type", "-t", "TYPES", 1, "i32",
     "Element types the values are sorted as, comma-separated (i32, u64, f64, string, record), or all",
     kMeasures, [](S& v, O& o) { return Keep(ParseTypeList(v), o.types); }},
    {"--time-limit", nullptr, "TIME", 1, "10s", kTimeLimitHelp.c_str(), kMeasures,
     [](S& v, O& o) { return Keep(ParseTime(v, kSecond, kLongestLimit), o.settings.timeLimitSeconds); }},
    {"--min-time", nullptr, "TIME", 1, "5ms", kMinTimeHelp.c_str(), kMeasures,
     [](S& v, O& o) { return Keep(ParseTime(v, kMillisecond, kLongestMinTime), o.settings.minTimeMs); }},
    {"--save-baseline", nullptr, "FILE", 1, nullptr, "Also save the JSON report to FILE.json", kMeasures,
     [](S& v, O& o) { return ReadPathOf(ReportFormat::kJson, "a JSON report", v, o.saveBaselinePath); }},
    {"--baseline", nullptr, "FILE", 1, nullptr, "Compare the run with the report saved in FILE.json", kMeasures,
     [](S& v, O& o) { return Text(v, o.baselinePath); }},
    {"--noise", nullptr, "PCT", 1, kDefaultNoiseText.c_str(), "Changes below PCT count as none",
     kWithCompare | kNeedsComparison,
     [](S& v, O& o) { return Keep(ParsePercent(v, 100), o.noisePercent); }},
    {"--fail-if-slower", nullptr, "PCT", 1, nullptr, "Exit status 3 when a cell is slower by more than PCT",
     kWithCompare | kNeedsComparison,
     [](S& v, O& o) { return Keep(ParsePercent(v, kNoLimit), o.failIfSlowerPercent); }},
    {"--fail-if-more-instructions", nullptr, "PCT", 1, nullptr,
     "Exit status 3 when a cell's counted instructions grew by more than PCT: exact, so it cannot flake",
     kWithCompare | kNeedsComparison | kNeedsMachineCounts,
     [](S& v, O& o) { return Keep(ParsePercent(v, kNoLimit), o.failIfMoreInstructionsPercent); }},
    {"--sort-library", nullptr, "PATH[:SYMBOL[@TYPE][=NAME]]", 1, nullptr,
     "Also measure the sorts of a shared library of your own (repeatable; see include/orvandel/sort_plugin.h)",
     kMeasures | kRepeatable, ReadLibrary},
    {"--compare", nullptr, "A.json B.json", 2, nullptr,
     "Compare two saved JSON reports, A as the baseline, measuring nothing", kWithCompare,
     [](S& v, O& o) { return Append(v, o.comparePaths); }},
};

}  // namespace

const std::vector<OptionEntry>& OptionTable() {
    return kOptions;
}

const OptionEntry* FindOption(const std::string& name) {
    for (const OptionEntry& entry : kOptions)
        if (name == entry.name || (entry.shortName != nullptr && name == entry.shortName)) return &entry;
    return nullptr;
}
