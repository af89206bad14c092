// Option values as typed on the command line: refused with exit status 2
// and one line naming the option, or read as a person means them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench/app/options.h"

namespace {

struct Row {
    std::vector<std::string> arguments;
    std::string message;  // the one line on standard error; empty when accepted
    std::function<bool(const BenchOptions&)> read = nullptr;  // what an accepted line means
};

CommandLine Parsed(std::vector<std::string> arguments, std::ostream& err) {
    arguments.insert(arguments.begin(), "orvandel-bench");
    std::vector<char*> argv;
    for (std::string& word : arguments) argv.push_back(word.data());
    std::ostringstream out;
    return ParseCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
}

}  // namespace

TEST(BenchOptionValues, RefusedWithTheirMessageOrReadInDecimal) {
    std::vector<Row> rows = {
        {{"--compare", "a.json", "b.json", "--noise", "nan"}, "orvandel-bench: --noise: \"nan\" is not a number\n"},
        {{"--compare", "a.json", "b.json", "--noise", "inf"}, "orvandel-bench: --noise: \"inf\" is not a number\n"},
        {{"--compare", "a.json", "b.json", "--noise", "100.5"},
         "orvandel-bench: --noise: 100.5 is more than the largest allowed, 100%\n"},
        {{"--compare", "a.json", "b.json", "--fail-if-slower", "nan"},
         "orvandel-bench: --fail-if-slower: \"nan\" is not a number\n"},
        {{"--compare", "a.json", "b.json", "--fail-if-slower", "-inf"},
         "orvandel-bench: --fail-if-slower: \"-inf\" is not a number\n"},
        {{"--compare", "a.json", "b.json", "--fail-if-slower", "1e400"},
         "orvandel-bench: --fail-if-slower: \"1e400\" is not a number\n"},
        {{"--time-limit", "inf"},
         "orvandel-bench: --time-limit: \"inf\" is not a time: a number and its unit, us, ms or s, or a bare number "
         "of seconds\n"},
        {{"--min-time", "NaN"},
         "orvandel-bench: --min-time: \"NaN\" is not a time: a number and its unit, us, ms or s, or a bare number of "
         "milliseconds\n"},
        {{"--pattern", "random,Radnom"},
         "orvandel-bench: --pattern: unknown shape \"Radnom\" (did you mean random?; --list shows the shapes, \"all\" "
         "names every one)\n"},
        // Element types: names as --list shows them, all, each once in the order given.
        {{"--type", "u64,Record"},
         "orvandel-bench: --type: unknown type \"Record\" (did you mean record?; --list shows the types, \"all\" "
         "names every one)\n"},
        {{"--type", "i32,"}, "orvandel-bench: --type: unknown type \"\" (--list shows the types, \"all\" names every one)\n"},
        {{"-t", "string,f64,string"}, "",
         [](const BenchOptions& o) {
             return o.types == std::vector<ElementType>{ElementType::kString, ElementType::kF64} &&
                    o.settings.type == ElementType::kString;
         }},
        {{"--type", "all"}, "", [](const BenchOptions& o) { return o.types.size() == kElementTypeCount; }},
        {{}, "", [](const BenchOptions& o) { return o.types == std::vector<ElementType>{ElementType::kI32}; }},
        // Times: a unit of no form, no time at all, a little past the bound, the bound however written.
        {{"--time-limit", "1h"}, "orvandel-bench: --time-limit: \"1h\" is not a time: a number and its unit, us, ms "
                                 "or s, or a bare number of seconds\n"},
        {{"--min-time", "0s"}, "orvandel-bench: --min-time: 0s is too short: a time is more than 0\n"},
        {{"--time-limit", "86400.5"},
         "orvandel-bench: --time-limit: 86400.5 is more than the largest allowed, 86400 s\n"},
        {{"--min-time", "10.0000001s"},
         "orvandel-bench: --min-time: 10.0000001s is more than the largest allowed, 10000 ms\n"},
        {{"--min-time", "0010000.000000000000000000000000000"}, "",
         [](const BenchOptions& o) { return o.settings.minTimeMs == 10000; }},
        {{"--compare", "a.json", "b.json", "--fail-if-slower", "1" + std::string(400, '0')},
         "orvandel-bench: --fail-if-slower: 1" + std::string(400, '0') + " is too large a number\n"},
        {{"--runs", "nan"}, "orvandel-bench: --runs: \"nan\" is not a whole number from 1 to 10000\n"},
        {{"--count", ""}, "orvandel-bench: --count: the value is empty\n"},
        {{"--save-baseline", ""}, "orvandel-bench: --save-baseline: the value is empty\n"},
        {{"--export", ""}, "orvandel-bench: --export: the value is empty\n"},
        {{"--runs", ""}, "orvandel-bench: --runs: the value is empty\n"},
        {{"--filter", ""}, "orvandel-bench: --filter: the value is empty\n"},
        {{"--pattern", ""}, "orvandel-bench: --pattern: the value is empty\n"},
        {{"--compare", "a.json", ""}, "orvandel-bench: --compare: the value is empty\n"},
        {{"--compare", "a.json", "b.json", "--noise", ""}, "orvandel-bench: --noise: the value is empty\n"},
        {{"--runs", "0x10"}, "orvandel-bench: --runs: \"0x10\" is not a whole number from 1 to 10000\n"},
        {{"--runs", "0"}, "orvandel-bench: --runs: \"0\" is not a whole number from 1 to 10000\n"},
        {{"--runs", "10001"}, "orvandel-bench: --runs: \"10001\" is not a whole number from 1 to 10000\n"},
        {{"--warmup", "-1"}, "orvandel-bench: --warmup: \"-1\" is not a whole number from 0 to 1000000\n"},
        {{"--runs", "010"}, "", [](const BenchOptions& o) { return o.settings.runs == 10; }},
        {{"--runs", "0000000000000000000010"}, "", [](const BenchOptions& o) { return o.settings.runs == 10; }},
        {{"--warmup", "007"}, "", [](const BenchOptions& o) { return o.settings.warmup == 7; }},
        {{"--warmup", "0"}, "", [](const BenchOptions& o) { return o.settings.warmup == 0; }},
        {{"--runs", "10000"}, "", [](const BenchOptions& o) { return o.settings.runs == 10000; }},
        {{"--count", "010,1e3"}, "", [](const BenchOptions& o) { return o.counts == std::vector<std::int32_t>{10, 1000}; }},
        {{"--seed", "010"}, "", [](const BenchOptions& o) { return o.settings.seed == 10; }},
        {{"--compare", "a.json", "b.json", "--noise", "100"}, "",
         [](const BenchOptions& o) { return o.noisePercent == 100; }},
        {{"--compare", "a.json", "b.json", "--noise", "0"}, "", [](const BenchOptions& o) { return o.noisePercent == 0; }},
        {{"--compare", "a.json", "b.json", "--fail-if-slower", "012.5"}, "",
         [](const BenchOptions& o) { return o.failIfSlowerPercent == 12.5; }},
        {{"--compare", "a.json", "b.json", "Qsort C", "std::sort"}, "",
         [](const BenchOptions& o) {
             return o.comparePaths == std::vector<std::string>{"a.json", "b.json"} &&
                    o.names == std::vector<std::string>{"Qsort C", "std::sort"};
         }},
        {{"Qsort C", "--compare", "a.json", "b.json"}, "",
         [](const BenchOptions& o) { return o.names == std::vector<std::string>{"Qsort C"}; }},
        // Every form by its name and its extensions; names are exact, extensions in any case.
        {{"--format", "xml"}, "orvandel-bench: --format: \"xml\" is not a form: table, json, csv, markdown, html or svg\n"},
        {{"--format", "Markdown"},
         "orvandel-bench: --format: \"Markdown\" is not a form: table, json, csv, markdown, html or svg\n"},
        {{"--format", "md"}, "orvandel-bench: --format: \"md\" is not a form: table, json, csv, markdown, html or svg\n"},
        {{"--format", "table"}, "", [](const BenchOptions& o) { return o.format == ReportFormat::kTable; }},
        {{"--format", "json"}, "", [](const BenchOptions& o) { return o.format == ReportFormat::kJson; }},
        {{"--format", "csv"}, "", [](const BenchOptions& o) { return o.format == ReportFormat::kCsv; }},
        {{"--format", "markdown"}, "", [](const BenchOptions& o) { return o.format == ReportFormat::kMarkdown; }},
        {{"--format", "svg"}, "", [](const BenchOptions& o) { return o.format == ReportFormat::kSvg; }},
        {{"--format", "html"}, "", [](const BenchOptions& o) { return o.format == ReportFormat::kHtml; }},
        {{"--export", "r.HTM"}, "", [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kHtml; }},
        {{"--export", "r.html"}, "", [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kHtml; }},
        {{"--export", "r.txt"}, "", [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kTable; }},
        {{"--export", "R.JSON"}, "", [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kJson; }},
        {{"--export", "a.b/r.csv"}, "", [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kCsv; }},
        {{"--export", "r.md"}, "", [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kMarkdown; }},
        {{"--export", "r.Markdown"}, "",
         [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kMarkdown; }},
        {{"--export", "c.svg"}, "", [](const BenchOptions& o) { return o.exportFormat == ReportFormat::kSvg; }},
        {{"--export", "r.xyz"},
         "orvandel-bench: --export: cannot tell the format of \"r.xyz\"; name it .txt, .json, .csv, .md, "
         ".markdown, .html, .htm or .svg\n"},
        {{"--export", "r.json/report"},
         "orvandel-bench: --export: cannot tell the format of \"r.json/report\"; name it .txt, .json, .csv, .md, "
         ".markdown, .html, .htm or .svg\n"},
        {{"--export", "r.csv\\report"},
         "orvandel-bench: --export: cannot tell the format of \"r.csv\\report\"; name it .txt, .json, .csv, .md, "
         ".markdown, .html, .htm or .svg\n"},
        {{"--export", "r."},
         "orvandel-bench: --export: cannot tell the format of \"r.\"; name it .txt, .json, .csv, .md, "
         ".markdown, .html, .htm or .svg\n"},
        // A chart is SVG and a baseline JSON, whatever else the name says.
        {{"--chart", "c.SVG"}, "", [](const BenchOptions& o) { return o.chartPath == "c.SVG"; }},
        {{"--chart", "c.json"}, "orvandel-bench: --chart: \"c.json\" would hold an SVG chart; name it .svg\n"},
        {{"--chart", "chart"}, "orvandel-bench: --chart: \"chart\" would hold an SVG chart; name it .svg\n"},
        {{"--save-baseline", "b.Json"}, "", [](const BenchOptions& o) { return o.saveBaselinePath == "b.Json"; }},
        {{"--save-baseline", "sb.txt"},
         "orvandel-bench: --save-baseline: \"sb.txt\" would hold a JSON report; name it .json\n"},
    };
    // Past the bound by a digit however far out, where the nearest double
    // is the bound itself.
    for (std::size_t zeros = 0; zeros < 30; ++zeros) {
        const std::string past = "." + std::string(zeros, '0') + "1";
        rows.push_back({{"--min-time", "10000" + past},
                        "orvandel-bench: --min-time: 10000" + past + " is more than the largest allowed, 10000 ms\n"});
        rows.push_back({{"--compare", "a.json", "b.json", "--noise", "100" + past},
                        "orvandel-bench: --noise: 100" + past + " is more than the largest allowed, 100%\n"});
    }
    for (const Row& row : rows) {
        std::string line;
        for (const std::string& word : row.arguments) line += " '" + word + "'";
        std::ostringstream err;
        const CommandLine parsed = Parsed(row.arguments, err);
        EXPECT_EQ(err.str(), row.message) << line;
        EXPECT_EQ(parsed.exit, !row.message.empty()) << line;
        EXPECT_EQ(parsed.exitCode, row.message.empty() ? 0 : 2) << line;
        if (row.read) {
            EXPECT_TRUE(row.read(parsed.options)) << line;
        }
    }
}

// Every unit on both options that take a time, against a model that
// reads the number as a double and scales it by one exact operation.
TEST(BenchOptionValues, TimesAreReadInTheirUnitsAndBareInTheOptions) {
    // Each unit's power of ten of a second; a bare number is the option's.
    const std::pair<std::string, int> units[] = {{"", 0},  {"us", -6}, {"\xc2\xb5s", -6}, {"\xce\xbcs", -6},
                                                 {"ms", -3}, {"s", 0}};
    struct TimeOption {
        std::string name, symbol;
        int power;
        double largest;
        double (*read)(const BenchOptions&);
    };
    const TimeOption options[] = {
        {"--time-limit", "s", 0, 86400, [](const BenchOptions& o) { return o.settings.timeLimitSeconds; }},
        {"--min-time", "ms", -3, 10000, [](const BenchOptions& o) { return o.settings.minTimeMs; }},
    };
    for (const TimeOption& option : options)
        for (const auto& [symbol, power] : units)
            for (const char* number : {"1", "0.5", "250", "12.75", "0.125", "10000", "86400", "86401"}) {
                const std::string text = number + symbol;
                const int shift = (symbol.empty() ? option.power : power) - option.power;
                const double exact = std::strtod(number, nullptr);
                const double value = shift >= 0 ? exact * std::pow(10.0, shift) : exact / std::pow(10.0, -shift);
                std::ostringstream err;
                const CommandLine parsed = Parsed({option.name, text}, err);
                const std::string past = "orvandel-bench: " + option.name + ": " + text +
                                         " is more than the largest allowed, " +
                                         std::to_string(static_cast<int>(option.largest)) + " " + option.symbol + "\n";
                EXPECT_EQ(err.str(), value <= option.largest ? "" : past) << option.name << ' ' << text;
                if (value <= option.largest) {
                    EXPECT_EQ(option.read(parsed.options), value) << option.name << ' ' << text;
                }
            }
}
