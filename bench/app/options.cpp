#include "bench/app/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <limits>
#include <utility>

#include "bench/app/option_values.h"
#include "bench/measure/cell_data.h"
#include "bench/compare/saved_report.h"

namespace {

constexpr double kLongestLimit = 86400;     // seconds: a day per repetition
constexpr double kLongestMinTime = 10000;   // milliseconds
constexpr int kMostRepetitions = 1000000;
constexpr double kNoLimit = std::numeric_limits<double>::infinity();

const std::string kFooter =
    "Without measuring options it runs the named routines (button label or\n"
    "caption, any case), or all five in button order, as the window does and\n"
    "prints one \"caption: milliseconds\" line each. Any of --runs, --warmup,\n"
    "--filter, --interleave, --count, --seed, --format, --export, --chart,\n"
    "--pattern, --time-limit, --min-time, --same-data, --operations or\n"
    "--sort-library measures instead: repeated runs with statistics, and the\n"
    "library reference sorts (and sorts of your own) beside the five routines.\n"
    "Below " + std::to_string(kDistinctDrawsBelow) + " values every sort of a shape drawn from the\n"
    "seed sorts a new draw (seed, seed + 1, ...), the same sequence for every\n"
    "routine; larger sizes, other shapes and --same-data sort the seed's data\n"
    "every time. With several shapes or sizes, one cell of the table per\n"
    "routine, shape and size. Every routine runs in a child\n"
    "process, so a stack overflow or a run past the time limit ends its cell only.\n"
    "--save-baseline keeps a run's JSON report; --baseline compares a new run\n"
    "with it, cell by cell: change of the median with its 95% interval, the\n"
    "Mann-Whitney U test's p-value, and a verdict. --compare does the same for\n"
    "two saved reports without measuring.\n"
    "Exit status: 0 when every cell finished and every order check passed, 1\n"
    "when one did not, a run could not obtain its array or an output could not\n"
    "be written, 2 for a wrong command line, an output that cannot be created\n"
    "or a report that cannot be compared, 3 when --fail-if-slower finds a cell\n"
    "slower.";

std::string Trimmed(const std::string& message) {
    return message.substr(0, message.find_last_not_of('\n') + 1);
}

// The options whose values our own parsers read, as typed: CLI11 would
// take 010 for octal and accept nan or inf as numbers.
struct OptionTexts {
    std::string runs, warmup, count, seed, pattern, timeLimit, minTime, noise, failIfSlower;
};

// CLI11 takes "" as a value like any other; no option here has a use for it.
bool NoEmptyValue(const CLI::App& app, std::string& error) {
    for (const CLI::Option* option : app.get_options()) {
        const std::vector<std::string>& values = option->results();
        if (option->nonpositional() && std::find(values.begin(), values.end(), "") != values.end()) {
            error = option->get_name() + ": the value is empty";
            return false;
        }
    }
    return true;
}

// Reads the value of every option given among texts into o.
bool ReadValues(const CLI::App& app, const OptionTexts& texts, BenchOptions& o, std::string& error) {
    MeasureSettings& settings = o.settings;
    const std::pair<const char*, std::function<bool()>> readers[] = {
        {"--runs", [&] { return ParseWholeNumber("--runs", texts.runs, 1, kMaxRuns, settings.runs, error); }},
        {"--warmup",
         [&] { return ParseWholeNumber("--warmup", texts.warmup, 0, kMostRepetitions, settings.warmup, error); }},
        {"--count", [&] { return ParseCountList(texts.count, o.counts, error); }},
        {"--seed", [&] { return ParseSeed(texts.seed, settings.seed, error); }},
        {"--pattern", [&] { return ParsePatternList(texts.pattern, o.patterns, error); }},
        {"--time-limit",
         [&] { return ParseDuration("--time-limit", texts.timeLimit, kLongestLimit, settings.timeLimitSeconds, error); }},
        {"--min-time",
         [&] { return ParseDuration("--min-time", texts.minTime, kLongestMinTime, settings.minTimeMs, error); }},
        {"--noise", [&] { return ParseNumber("--noise", texts.noise, 100, o.noisePercent, error); }},
        {"--fail-if-slower",
         [&] { return ParseNumber("--fail-if-slower", texts.failIfSlower, kNoLimit, o.failIfSlowerPercent, error); }},
    };
    for (const auto& [name, read] : readers)
        if (app.count(name) > 0 && !read()) return false;
    settings.count = o.counts.front();
    settings.pattern = o.patterns.front();
    return true;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
    CommandLine line;
    BenchOptions& o = line.options;
    OptionTexts texts;
    std::string format = "table";

    CLI::App app("Times the five quicksort routines of the Orvandel window.", "orvandel-bench");
    app.footer(kFooter);
    app.add_option("routine", o.names, "Routines (and, when measuring, references) to run");
    app.add_flag("--list", o.list, "Print the routines and references and exit");
    app.add_flag("--version", o.version,
                 "Print the version, source revision, compiler, flags and references built in, and exit");
    const std::vector<CLI::Option*> measuring = {
        app.add_option("--runs", texts.runs, "Timed repetitions per routine (default 5)"),
        app.add_option("--warmup", texts.warmup, "Untimed repetitions before them (default 1)"),
        app.add_option("--filter", o.filter, "Also run what this ECMAScript regex finds in a name"),
        app.add_flag("--interleave", o.settings.interleave,
                     "One repetition of each routine in turn, so drift does not favour one"),
        app.add_flag("--operations", o.settings.operations,
                     "Also count each routine's comparisons, exchanges, calls and recursion depth"),
        app.add_flag("--same-data", o.settings.sameData,
                     "Sort the seed's data every time, also where each sort would get a new draw"),
        app.add_option("--count", texts.count,
                       "Values generated; slots 1 ... N-1 are sorted (default 5000000); "
                       "a list such as 1000,1e5,2.5M measures each size"),
        app.add_option("--seed", texts.seed, "Generator seed, 1 ... 2147483646 (default 87654321)"),
        app.add_option("--format", format, "Standard output as table, json, csv or markdown")
            ->check(CLI::IsMember({"table", "json", "csv", "markdown"})),
        app.add_option("--export", o.exportPath, "Also write the report to FILE (.txt .json .csv .md)"),
        app.add_option("--chart", o.chartPath,
                       "Write a bar chart of the medians to FILE.svg; with several sizes, "
                       "time per element against size"),
        app.add_option("--pattern", texts.pattern,
                       "Input shapes, comma-separated, or all (default window; --list shows them)"),
        app.add_option("--time-limit", texts.timeLimit, "Seconds one repetition may take (default 10)"),
        app.add_option("--min-time", texts.minTime,
                       "Milliseconds a timed sample lasts at least, sorting copies back to back (default 5)"),
        app.add_option("--save-baseline", o.saveBaselinePath, "Also save the JSON report to FILE.json"),
        app.add_option("--baseline", o.baselinePath, "Compare the run with the report saved in FILE.json"),
        app.add_option("--noise", texts.noise, "Changes below PCT count as none (default 2)"),
        app.add_option("--fail-if-slower", texts.failIfSlower, "Exit status 3 when a cell is slower by more than PCT"),
        app.add_option("--sort-library", o.libraries,
                       "Also measure the sorts of a shared library of your own (repeatable; see "
                       "include/orvandel/sort_plugin.h)")
            ->type_name("PATH[:SYMBOL[=NAME]]")
            ->allow_extra_args(false),
    };
    CLI::Option* compare = app.add_option("--compare", o.comparePaths,
                                          "Compare two saved JSON reports, A as the baseline, measuring nothing")
                               ->expected(2)
                               ->allow_extra_args(false)
                               ->type_name("A.json B.json");
    for (const char* measured : {"--runs", "--warmup", "--interleave", "--same-data", "--operations", "--count", "--seed", "--save-baseline",
                                 "--baseline", "--sort-library"})
        compare->excludes(app.get_option(measured));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        line.exit = true;
        line.exitCode = app.exit(e, out, err);
        return line;
    } catch (const CLI::ParseError& e) {
        err << "orvandel-bench: " << Trimmed(e.what()) << "\nRun with --help for more information.\n";
        line.exit = true;
        line.exitCode = 2;
        return line;
    }
    for (const CLI::Option* option : measuring) o.measuring = o.measuring || option->count() > 0;

    std::string error;
    bool valid = NoEmptyValue(app, error) && ReadValues(app, texts, o, error);
    const bool comparing = !o.baselinePath.empty() || !o.comparePaths.empty();
    for (const char* name : {"--noise", "--fail-if-slower"})
        if (valid && app.get_option(name)->count() > 0 && !comparing) {
            valid = false;
            error = std::string(name) + " needs --baseline or --compare";
        }
    o.format = *FormatNamed(format);
    if (valid && !o.exportPath.empty()) {
        const std::optional<ReportFormat> exportFormat = FormatOfPath(o.exportPath);
        valid = exportFormat.has_value();
        if (valid) o.exportFormat = *exportFormat;
        else error = "--export: cannot tell the format of \"" + o.exportPath +
                     "\"; name it .txt, .json, .csv or .md";
    }
    if (!valid) {
        err << "orvandel-bench: " << error << '\n';
        line.exit = true;
        line.exitCode = 2;
    }
    return line;
}
