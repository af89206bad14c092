// The command line as the option table drives it: the words a person types,
// the one line a wrong one gets, the defaults a line without options gets,
// and --help, which the manual page is made from.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "bench/app/help.h"
#include "bench/app/option_table.h"
#include "bench/app/options.h"
#include "bench/measure/refusal.h"

namespace {

struct Line {
    CommandLine parsed;
    std::string out, err;
};

Line Parse(std::vector<std::string> words) {
    words.insert(words.begin(), "orvandel-bench");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    std::ostringstream out, err;
    Line line{ParseCommandLine(static_cast<int>(argv.size()), argv.data(), out, err), "", ""};
    line.out = out.str();
    line.err = err.str();
    return line;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) line += " '" + word + "'";
    return line;
}

// text with every run of spaces and line breaks made one space, so a
// sentence is found however --help wrapped it.
std::string OneLine(const std::string& text) {
    std::string flat;
    for (char c : text) {
        const char d = c == '\n' ? ' ' : c;
        if (!(d == ' ' && !flat.empty() && flat.back() == ' ')) flat += d;
    }
    return flat;
}

// A value each option takes, to try it where it is not allowed.
std::vector<std::string> Use(const OptionEntry& entry) {
    std::vector<std::string> words = {entry.name};
    const bool percent = entry.valueName && std::string(entry.valueName) == "PCT";
    const std::string file = std::string(entry.name) == "--chart" ? "x.svg" : "x.json";  // the one form each takes
    if (entry.values >= 1) words.push_back(entry.defaultText ? entry.defaultText : percent ? "5" : file);
    if (entry.values == 2) words.push_back("y.json");
    return words;
}

}  // namespace

// Rows of whole lines: the one line on standard error (empty when
// accepted) and, for an accepted one, what it means.
TEST(BenchOptionTable, WordsAreReadAsOptionsValuesAndNames) {
    struct Row {
        std::vector<std::string> words;
        std::string err;
        std::vector<std::string> names = {};
        std::vector<std::string> libraries = {};
    };
    const Row rows[] = {
        {{"--runs=3", "--warmup", "0"}, ""},
        {{"--runs"}, "orvandel-bench: --runs needs a value, N\n"},
        {{"--runs", "--warmup", "2"}, "orvandel-bench: --runs needs a value, N\n"},
        {{"--runs", "3", "--runs", "4"}, "orvandel-bench: --runs is given twice\n"},
        {{"--interleave", "--interleave"}, "orvandel-bench: --interleave is given twice\n"},
        {{"--interleave=yes"}, "orvandel-bench: --interleave takes no value\n"},
        {{"--compare=a.json", "b.json"}, "orvandel-bench: --compare takes its values as separate words\n"},
        {{"--compare", "a.json"}, "orvandel-bench: --compare needs 2 values, A.json B.json\n"},
        {{"--compare", "a.json", "--runs", "3"}, "orvandel-bench: --compare needs 2 values, A.json B.json\n"},
        {{"--bogus"}, "orvandel-bench: unknown option --bogus (--help lists them)\n"},
        {{"--runs3"}, "orvandel-bench: unknown option --runs3 (did you mean --runs?; --help lists them)\n"},
        {{"--run"}, "orvandel-bench: unknown option --run (did you mean --runs?; --help lists them)\n"},
        {{"--export-json=r.json"},
         "orvandel-bench: unknown option --export-json (did you mean --export?; --help lists them)\n"},
        {{"-x"}, "orvandel-bench: unknown option -x (--help lists them)\n"},
        {{"-export", "r.csv"}, "orvandel-bench: unknown option -export (did you mean --export?; --help lists them)\n"},
        {{"--bogus=1"}, "orvandel-bench: unknown option --bogus (--help lists them)\n"},
        // Short forms: the value after a space, after '=' or attached;
        // every message names the option by its long name.
        {{"-r"}, "orvandel-bench: --runs needs a value, N\n"},
        {{"-r", "-w", "2"}, "orvandel-bench: --runs needs a value, N\n"},
        {{"--filter", "-r"}, "orvandel-bench: --filter needs a value, PATTERN\n"},
        {{"-r", "3", "--runs", "4"}, "orvandel-bench: --runs is given twice\n"},
        {{"-r="}, "orvandel-bench: --runs: the value is empty\n"},
        {{"-lV"}, "orvandel-bench: --list takes no value\n"},
        {{"--runs="}, "orvandel-bench: --runs: the value is empty\n"},
        {{"--format", "xml"}, "orvandel-bench: --format: \"xml\" is not a form: table, json, csv, markdown, html or svg\n"},
        {{"--export", "r.xyz"},
         "orvandel-bench: --export: cannot tell the format of \"r.xyz\"; name it .txt, .json, .csv, .md, .markdown, .html, .htm or .svg\n"},
        {{"--noise", "3"}, "orvandel-bench: --noise needs --baseline or --compare\n"},
        {{"--fail-if-slower", "3", "--runs", "2"}, "orvandel-bench: --fail-if-slower needs --baseline or --compare\n"},
        {{"--baseline", "b.json", "--noise", "3"}, ""},
        {{"--baseline", "b.json", "--fail-if-more-instructions", "0"},
         "orvandel-bench: --fail-if-more-instructions needs --machine-counts, to count the run's instructions\n"},
        {{"--machine-counts", "--fail-if-more-instructions", "0"},
         "orvandel-bench: --fail-if-more-instructions needs --baseline or --compare\n"},
        {{"--machine-counts", "--baseline", "b.json", "--fail-if-more-instructions", "0"}, ""},
        {{"--compare", "a.json", "b.json", "--fail-if-more-instructions", "0.5"}, ""},
        {{"--compare", "a.json", "b.json", "--machine-counts"},
         "orvandel-bench: --machine-counts excludes --compare, which measures nothing\n"},
        {{"--compare", "a.json", "b.json", "--pattern", "random"},
         "orvandel-bench: --pattern excludes --compare, which measures nothing\n"},
        {{"--compare", "a.json", "b.json", "--time-limit", "2"},
         "orvandel-bench: --time-limit excludes --compare, which measures nothing\n"},
        // A value may begin with one '-': it is refused for what it is.
        {{"--warmup", "-1"}, "orvandel-bench: --warmup: \"-1\" is not a whole number from 0 to 1000000\n"},
        {{"--filter", "-stable"}, ""},
        // After "--" every word is a name, options and help included.
        {{"--runs", "2", "--", "--runs", "--help", "-"}, "", {"--runs", "--help", "-"}},
        {{"-", "Qsort C"}, "", {"-", "Qsort C"}},
        {{"--sort-library", "a.so", "--sort-library=b.so:f=g"}, "", {}, {"a.so", "b.so:f=g"}},
    };
    for (const Row& row : rows) {
        const Line line = Parse(row.words);
        EXPECT_EQ(line.err, row.err) << Joined(row.words);
        EXPECT_EQ(line.parsed.exit, !row.err.empty()) << Joined(row.words);
        EXPECT_EQ(line.parsed.exitCode, row.err.empty() ? 0 : kRefusedStatus) << Joined(row.words);
        if (!row.err.empty()) continue;
        EXPECT_EQ(line.parsed.options.names, row.names) << Joined(row.words);
        EXPECT_EQ(line.parsed.options.libraries, row.libraries) << Joined(row.words);
    }
    EXPECT_EQ(Parse({"--runs=3", "--warmup", "0"}).parsed.options.settings.runs, 3);
    EXPECT_EQ(Parse({"--runs=3", "--warmup", "0"}).parsed.options.settings.warmup, 0);
    for (const std::vector<std::string>& runs : {std::vector<std::string>{"-r", "7"}, {"-r7"}, {"-r=7"}})
        EXPECT_EQ(Parse(runs).parsed.options.settings.runs, 7) << Joined(runs);
    const BenchOptions shortened = Parse({"-w=3", "-c2e3", "-p", "random", "-V", "-l"}).parsed.options;
    EXPECT_TRUE(shortened.settings.warmup == 3 && shortened.counts == std::vector<std::int32_t>{2000} &&
                shortened.patterns == std::vector<std::string>{"random"} && shortened.version && shortened.list);
}

// --help wins wherever it stands before "--", over any fault of the line.
TEST(BenchOptionTable, HelpIsShownWhereverItIsAsked) {
    const std::vector<std::string> lines[] = {
        {"--help"}, {"-h"}, {"--bogus", "--help"}, {"--runs", "-h"}, {"-r", "-h"}};
    for (const std::vector<std::string>& words : lines) {
        const Line line = Parse(words);
        EXPECT_TRUE(line.parsed.exit) << Joined(words);
        EXPECT_EQ(line.parsed.exitCode, 0) << Joined(words);
        EXPECT_EQ(line.err, "") << Joined(words);
        EXPECT_EQ(line.out.rfind(std::string(kHelpOpening) + "Usage: orvandel-bench [OPTIONS] [ROUTINE...]\n", 0), 0u)
            << Joined(words);
    }
}

// A line without options gets what the measurement and the comparison
// take as their own defaults: the table's defaults, read as typed, cannot
// drift from them.
TEST(BenchOptionTable, DefaultsAreTheMeasurementsOwn) {
    const Line line = Parse({});
    ASSERT_FALSE(line.parsed.exit) << line.err;
    const BenchOptions& o = line.parsed.options;
    const MeasureSettings own;
    EXPECT_EQ(o.settings.runs, own.runs);
    EXPECT_EQ(o.settings.warmup, own.warmup);
    EXPECT_EQ(o.settings.count, own.count);
    EXPECT_EQ(o.settings.seed, own.seed);
    EXPECT_EQ(o.settings.pattern, own.pattern);
    EXPECT_EQ(o.settings.minTimeMs, own.minTimeMs);
    EXPECT_EQ(o.settings.timeLimitSeconds, own.timeLimitSeconds);
    EXPECT_EQ(o.counts, std::vector<std::int32_t>{own.count});
    EXPECT_EQ(o.patterns, std::vector<std::string>{own.pattern});
    EXPECT_EQ(o.noisePercent, 2);
    EXPECT_LT(o.failIfSlowerPercent, 0);
    EXPECT_EQ(o.format, ReportFormat::kTable);
    EXPECT_FALSE(o.measuring);
    EXPECT_FALSE(o.settings.interleave || o.settings.operations || o.settings.sameData || o.list || o.version);
}

// Which options measure and which --compare takes, against the list a
// comparison of saved reports has a use for (written out here, not read
// from the table).
TEST(BenchOptionTable, EveryOptionMeasuresOrIsTakenByCompareAsItShould) {
    const std::set<std::string> withCompare = {"--filter", "--format", "--export", "--chart",
                                               "--noise",  "--fail-if-slower", "--fail-if-more-instructions"};
    const std::set<std::string> notMeasuring = {"--list", "--version", "--noise", "--fail-if-slower",
                                                "--fail-if-more-instructions", "--compare"};
    for (const OptionEntry& entry : OptionTable()) {
        const std::string name = entry.name;
        if (name == "--compare" || (entry.use & kStandalone) != 0) continue;
        std::vector<std::string> words = {"--compare", "a.json", "b.json"};
        const std::vector<std::string> use = Use(entry);
        words.insert(words.end(), use.begin(), use.end());
        const Line compared = Parse(words);
        EXPECT_EQ(compared.err, withCompare.count(name)
                                    ? ""
                                    : "orvandel-bench: " + name + " excludes --compare, which measures nothing\n")
            << name;
        std::vector<std::string> alone = use;
        if (entry.use & kNeedsComparison) alone.insert(alone.end(), {"--baseline", "b.json"});
        if (entry.use & kNeedsMachineCounts) alone.push_back("--machine-counts");
        const Line measured = Parse(alone);
        ASSERT_EQ(measured.err, "") << name;
        const bool measuring = notMeasuring.count(name) == 0 || (entry.use & kNeedsComparison);
        EXPECT_EQ(measured.parsed.options.measuring, measuring) << name;
    }
}

// Every fact the help gave before the table drove it, and the value of
// every option named as the manual page shows it.
TEST(BenchOptionTable, HelpKeepsEveryFactAndNamesEveryValue) {
    std::ostringstream text;
    PrintHelp(text);
    const std::string help = OneLine(text.str());
    const char* facts[] = {
        "ROUTINE ... Routines (and, when measuring, references) to run",
        "-h, --help Print this help message and exit",
        "-l, --list Print the routines and references and exit",
        "-V, --version Print the version, source revision, compiler, flags and references built in, and exit",
        "-r, --runs N Timed repetitions per routine (default 5)",
        "-w, --warmup N Untimed repetitions before them (default 1)",
        "--filter PATTERN Run only the routines and references whose name or label PATTERN finds (a regular "
        "expression of literal bytes, . [...] \\d \\w \\s ( ) | * + ? ^ $, at most 256 bytes), plus those named "
        "and std::sort",
        "--interleave One repetition of each routine in turn, so drift does not favour one",
        "--operations Also count each routine's comparisons, exchanges, calls and recursion depth",
        "--same-data Sort the seed's data every time, also where each sort would get a new draw",
        "-c, --count N Values generated; slots 1 ... N-1 are sorted; a list such as 1000,1e5,2.5M measures each size "
        "(default 5000000)",
        "--seed N Generator seed, 1 ... 2147483646 (default 87654321)",
        "--format FORM Standard output as table, json, csv, markdown, html or svg (default table)",
        "--export FILE Also write the report to FILE (.txt, .json, .csv, .md, .markdown, .html, .htm or .svg)",
        "--chart FILE Write a bar chart of the medians to FILE.svg; with several sizes, time per element against "
        "size (with --operations comparisons, with --machine-counts branch misses)",
        "--machine-counts Also count each routine's instructions, branch misses and cache misses on the cell's "
        "first draw, under valgrind's callgrind with fixed simulated caches",
        "--fail-if-more-instructions PCT Exit status 3 when a cell's counted instructions grew by more than PCT: "
        "exact, so it cannot flake",
        "-p, --pattern SHAPES Input shapes, comma-separated, or all (--list shows them) (default window)",
        "--time-limit TIME The longest one repetition may take: a number and its unit, us, ms or s (a bare number "
        "is seconds) (default 10s)",
        "--min-time TIME The shortest a timed sample lasts, sorting copies back to back: a number and its unit, us, "
        "ms or s (a bare number is milliseconds) (default 5ms)",
        "--save-baseline FILE Also save the JSON report to FILE.json",
        "--baseline FILE Compare the run with the report saved in FILE.json",
        "--noise PCT Changes below PCT count as none (default 2)",
        "--fail-if-slower PCT Exit status 3 when a cell is slower by more than PCT",
        "--sort-library PATH[:SYMBOL[@TYPE][=NAME]] Also measure the sorts of a shared library of your own (repeatable; "
        "see include/orvandel/sort_plugin.h)",
        "--compare A.json B.json Compare two saved JSON reports, A as the baseline, measuring nothing",
        "Any of --runs, --warmup, --filter, --interleave, --operations, --machine-counts, --same-data, --count, "
        "--seed, --format, --export, --chart, --pattern, --type, --time-limit, --min-time, --save-baseline, --baseline or "
        "--sort-library measures instead",
        "Below 1000000 values every sort of a shape drawn from the seed sorts a new draw (seed, seed + 1, ...)",
        "Every routine runs in a child process, so a stack overflow or a run past the time limit ends its cell "
        "only.",
        "Mann-Whitney U test's p-value, and a verdict.",
        "besides routine names it takes only --filter, --format, --export, --chart, --noise, --fail-if-slower and "
        "--fail-if-more-instructions.",
        "a sort library that cannot be loaded or whose sorts are refused",
        "3 when --fail-if-slower finds a cell slower or --fail-if-more-instructions a cell whose instructions grew.",
        "a gate on instructions with no cell counted on both sides",
    };
    for (const char* fact : facts) EXPECT_NE(help.find(fact), std::string::npos) << fact;
    // What a parser of its own would add: types of no use to a reader.
    for (const char* noise : {"TEXT", "Excludes", " x 2", "Positionals: routine"})
        EXPECT_EQ(help.find(noise), std::string::npos) << noise;
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(line.size() <= 80 || line.find(' ', 2) == std::string::npos ||
                    line.find("--sort-library PATH") != std::string::npos)
            << line;
}

// Every line of the tool's own on standard error goes through the rule the
// table's names do: nothing in it reaches a terminal raw.
TEST(BenchRefusal, EveryLineOnStandardErrorIsPrintable) {
    const std::pair<std::string, std::string> rows[] = {
        {"plain", "orvandel-bench: plain\n"},
        {"a\x1b[31mred", "orvandel-bench: a\\x1b[31mred\n"},
        {"two\nlines\r", "orvandel-bench: two\\x0alines\\x0d\n"},
        {"csi \xc2\x9b" "2J", "orvandel-bench: csi \\u009b2J\n"},
        {"std::sort\xe2\x80\xae" "gnol", "orvandel-bench: std::sort\\u202egnol\n"},
        {"isolate \xe2\x81\xa6x\xe2\x81\xa9", "orvandel-bench: isolate \\u2066x\\u2069\n"},
        {"mark \xe2\x80\x8f", "orvandel-bench: mark \\u200f\n"},
        {"bad \xff byte", "orvandel-bench: bad \xef\xbf\xbd byte\n"},
        {"\xc3\xa9t\xc3\xa9 \xe2\x80\x94 ok", "orvandel-bench: \xc3\xa9t\xc3\xa9 \xe2\x80\x94 ok\n"},
    };
    for (const auto& [why, line] : rows) {
        std::ostringstream err;
        EXPECT_EQ(Refuse(err, why), kRefusedStatus) << why;
        EXPECT_EQ(err.str(), line) << why;
        std::ostringstream said;
        Say(said, why);
        EXPECT_EQ(said.str(), line) << why;
    }
    std::ostringstream err;
    EXPECT_EQ(Refuse(err, "x", 1), 1);
}
