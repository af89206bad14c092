// The comparison as the tool runs it: --compare on saved files, --baseline
// checked before anything is measured, exit statuses, files written.
#include "bench/app/compare_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "bench/app/measure_command.h"
#include "bench/compare/saved_report.h"
#include "bench/stats/bootstrap.h"
#include "bench/measure/reference_sorts.h"
#include "bench/suite/machine_counting.h"
#include "tests/bench/test_routines.h"

namespace {

using Json = nlohmann::json;

// Measured like any routine, in a measuring child of the test program.
const Contender kYardstick{kBaselineName, "", nullptr, BoundForm::kExclusiveUpper, true};

// A folder of this test program's own, gone when it ends: two builds'
// suites run at once write no file of each other's.
struct RunFolder {
    std::filesystem::path path = std::filesystem::temp_directory_path() /
                                 ("orvandel-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    RunFolder() { std::filesystem::create_directories(path); }
    ~RunFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

std::string TempPath(const std::string& name) {
    static const RunFolder folder;
    return (folder.path / ("orvandel-test-" + name)).string();
}

// A saved report of one routine with times scaled by factor.
std::string SaveReport(const std::string& name, double factor, std::uint32_t seed = 87654321) {
    Json rows = Json::array();
    for (const char* routine : {"Counted", "std::sort"}) {
        std::vector<double> times;
        for (double t : {10.0, 10.4, 9.8, 10.1, 9.9, 10.3, 10.2}) times.push_back(t * factor);
        rows.push_back({{"name", routine}, {"times_ms", times}});
    }
    const Json json = {{"schema_version", 1},
                       {"settings", {{"seed", seed}, {"count", 3000}}},
                       {"context", {{"cpu", "cpu"}, {"cores", 2}, {"os", "os"}, {"compiler", "gcc"}, {"flags", "-O2"}}},
                       {"rows", rows}};
    const std::string path = TempPath(name);
    std::ofstream(path) << json.dump();
    return path;
}

// The report of SaveReport with 60 cells of kLargestResample runs added:
// more than a comparison may resample, 240,056 values a resample compared
// with itself, until a --filter narrows it.
std::string SaveCrowdedReport(const std::string& name) {
    const std::string path = SaveReport(name, 1);
    Json crowded = Json::parse(std::ifstream(path));
    const Json runs = std::vector<double>(kLargestResample, 10.0);
    for (int k = 0; k < 60; ++k) crowded["rows"].push_back({{"name", "sort " + std::to_string(k)}, {"times_ms", runs}});
    std::ofstream(path) << crowded.dump();
    return path;
}

BenchOptions Comparing(const std::string& baseline, const std::string& current) {
    BenchOptions options;
    options.measuring = true;
    options.comparePaths = {baseline, current};
    options.format = ReportFormat::kJson;
    return options;
}

BenchOptions Measuring(const std::string& baseline) {
    BenchOptions options;
    options.measuring = true;
    options.settings.count = 3000;
    options.counts = {3000};
    options.settings.runs = 5;
    options.baselinePath = baseline;
    return options;
}

}  // namespace

TEST(BenchCompareCommand, SlowerCellsFailTheGuardBeyondItsPercent) {
    const std::string base = SaveReport("base.json", 1), slow = SaveReport("slow.json", 2);
    struct Case {
        double failIfSlower;
        int status;
    };
    for (const Case& c : {Case{-1, 0}, Case{0, 3}, Case{50, 3}, Case{99.9, 3}, Case{100, 0}}) {
        BenchOptions options = Comparing(base, slow);
        options.failIfSlowerPercent = c.failIfSlower;
        std::ostringstream out, err;
        EXPECT_EQ(RunCompareCommand(options, out, err), c.status) << c.failIfSlower << err.str();
        const Json cells = Json::parse(out.str())["comparison"]["cells"];
        ASSERT_EQ(cells.size(), 2u);
        EXPECT_EQ(cells[0]["verdict"], "slower");
        EXPECT_EQ(cells[0]["ratio"], 2.0);
    }
    // The other way round it is faster, which no guard minds.
    BenchOptions options = Comparing(slow, base);
    options.failIfSlowerPercent = 0;
    std::ostringstream out, err;
    EXPECT_EQ(RunCompareCommand(options, out, err), 0);
    EXPECT_EQ(Json::parse(out.str())["comparison"]["cells"][1]["verdict"], "faster");
}

TEST(BenchCompareCommand, AReportAgainstItselfChangesNothing) {
    const std::string base = SaveReport("same.json", 1);
    BenchOptions options = Comparing(base, base);
    options.format = ReportFormat::kTable;
    options.exportPath = TempPath("same.csv");
    options.exportFormat = ReportFormat::kCsv;
    options.chartPath = TempPath("same.svg");
    std::ostringstream out, err;
    ASSERT_EQ(RunCompareCommand(options, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("\nCounted    window 3000   10.1 ms  10.1 ms   +0.0%  1.000x ["),
              std::string::npos) << out.str();
    EXPECT_NE(out.str().find("  1.0000  no significant change\nstd::sort  window 3000 "), std::string::npos);
    // The overall change names both ends of an interval across none.
    const std::size_t overall = out.str().find("\nCounted: no change overall [");
    ASSERT_NE(overall, std::string::npos) << out.str();
    const std::string said = out.str().substr(overall + 1, out.str().find('\n', overall + 1) - overall - 1);
    EXPECT_NE(said.find("% slower, "), std::string::npos) << said;
    EXPECT_EQ(said.substr(said.size() - 21), "% faster] over 1 cell") << said;
    std::ifstream csv(options.exportPath);
    std::string header, first, second;
    std::getline(csv, header);
    std::getline(csv, first);
    std::getline(csv, second);
    // U = 7 * 7 / 2, and an overall change of none whose interval holds 1.
    const std::string unchanged = ",24.5,1.000000,false,no significant change,1.0000,";
    for (const std::string& line : {first, second}) {
        const std::size_t at = line.find(unchanged);
        ASSERT_NE(at, std::string::npos) << line;
        const std::string interval = line.substr(at + unchanged.size());
        const double low = std::stod(interval), high = std::stod(interval.substr(interval.find(',') + 1));
        EXPECT_LT(low, 1) << line;
        EXPECT_GT(high, 1) << line;
    }
    EXPECT_EQ(first.rfind("Counted,false,window,3000,i32,7,7,10.100000,10.100000,1.0000,", 0), 0u) << first;
    EXPECT_EQ(second.rfind("std::sort,false,", 0), 0u) << second;
    std::ifstream chart(options.chartPath);
    const std::string svg((std::istreambuf_iterator<char>(chart)), std::istreambuf_iterator<char>());
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);
}

TEST(BenchCompareCommand, ReportsThatCannotBeComparedAreRefusedInOneLine) {
    const std::string base = SaveReport("refused.json", 1), seed = SaveReport("seed.json", 1, 5);
    const std::string missing = TempPath("missing.json");
    std::filesystem::remove(missing);
    const std::string folder = TempPath("folder.json");
    std::filesystem::create_directories(folder);
    // Past the bound by one byte, without writing them: the size alone refuses it.
    const std::string large = TempPath("large.json");
    std::ofstream(large).close();
    std::filesystem::resize_file(large, kMaxReportBytes + 1);
    const std::string fitting = TempPath("fitting.json");  // read whole, and refused for its zero bytes
    std::ofstream(fitting).close();
    std::filesystem::resize_file(fitting, kMaxReportBytes);
    // Many rows with the repeat last: found by a set, not by a pass over every row for each.
    Json manyRows = Json::parse(std::ifstream(base));
    const Json row = manyRows["rows"][0];
    for (int k = 0; k < 30000; ++k) {
        manyRows["rows"].push_back(row);
        manyRows["rows"].back()["name"] = std::to_string(k);
    }
    manyRows["rows"].push_back(manyRows["rows"][2]);
    const std::string many = TempPath("many.json");
    std::ofstream(many) << manyRows.dump();
    // A name the --filter regex would take minutes over, or overflow the stack on.
    Json longNamed = Json::parse(std::ifstream(base));
    longNamed["rows"][1]["name"] = std::string(60000, 'a');
    const std::string longName = TempPath("long-name.json");
    std::ofstream(longName) << longNamed.dump();
    BenchOptions filtered = Comparing(base, longName);
    filtered.filter = ".*z";
    // Hand-edited as no run writes it: an empty name, and machine counts past their instructions.
    Json unnamed = Json::parse(std::ifstream(base));
    unnamed["rows"][1]["name"] = "";
    const std::string emptyName = TempPath("empty-name.json");
    std::ofstream(emptyName) << unnamed.dump();
    Json forged = Json::parse(std::ifstream(base));
    forged["schema_version"] = 4;
    forged["rows"][0]["machine_counts"] = {{"status", "counted"}, {"instructions", 1000}, {"conditional_branches", 0},
                                           {"conditional_mispredicted", 0}, {"indirect_branches", 100000000000000000ull},
                                           {"indirect_mispredicted", 0}, {"d1_misses", 0}, {"ll_misses", 0}};
    const std::string forgedCounts = TempPath("forged-counts.json");
    std::ofstream(forgedCounts) << forged.dump();
    // Cells of many runs, too many to resample: a --filter of one leaves few enough.
    const std::string tooMany = SaveCrowdedReport("too-many.json");
    std::vector<std::pair<BenchOptions, std::string>> cases = {
        {Comparing(missing, base), missing + ": no such file"},
        {Comparing(base, missing), missing + ": no such file"},
        {Comparing(base, seed), base + ": other data than " + seed + ": seed 87654321 against 5"},
        {Comparing(folder, base), folder + ": is a folder, not a report"},
        {Comparing(base, large), large + ": is larger than 64 MiB, more than any report"},
        {Comparing(fitting, base), fitting + ": is not valid JSON (at byte 1)"},
        {filtered, longName + ": row 2 has a name longer than 200 bytes"},
        {Comparing(base, many), many + ": row 30003 (\"0\") repeats a cell (\"window\", 3000 values)"},
        {Comparing(base, emptyName), emptyName + ": row 2 (\"\") has a name the names rule refuses: it is empty"},
        {Comparing(forgedCounts, base), forgedCounts + ": row 1 (\"Counted\") has machine_counts.conditional_branches + "
                                        "indirect_branches = 100000000000000000, more than its instructions (1000): "
                                        "no run gives that"},
        {Comparing(tooMany, tooMany), "the cells to compare draw 240056 values a resample, more than the 200000 a "
                                      "comparison's bootstrap can take; choose fewer with --filter or routine names"},
    };
    // Files that never end or block the opening, where the system has them:
    // opened, either would hang the test until its timeout.
    const std::string notRegular = ": is not a regular file, so not a saved report";
    if (std::filesystem::exists("/dev/zero")) cases.push_back({Comparing(base, "/dev/zero"), "/dev/zero" + notRegular});
    const std::string fifo = TempPath("fifo.json");
    std::filesystem::remove(fifo);
    if (std::system(("mkfifo " + fifo + " 2>/dev/null").c_str()) == 0)
        cases.push_back({Comparing(fifo, base), fifo + notRegular});
    BenchOptions narrowed = Comparing(tooMany, tooMany);
    narrowed.filter = "^sort 7$";
    std::ostringstream narrowedOut, narrowedErr;
    EXPECT_EQ(RunCompareCommand(narrowed, narrowedOut, narrowedErr, true), 0) << narrowedErr.str();
    EXPECT_EQ(narrowedErr.str(), "") << "a short comparison shows no progress";
    for (const auto& [options, message] : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(RunCompareCommand(options, out, err), 2) << message;
        EXPECT_EQ(err.str(), "orvandel-bench: " + message + "\n");
        EXPECT_EQ(out.str(), "");
    }
}

TEST(BenchCompareCommand, ABaselineThatDoesNotFitIsRefusedBeforeMeasuring) {
    const std::string truncated = TempPath("truncated.json");
    std::ofstream(truncated) << "{\"schema_version\": 1, \"rows\": [";
    const std::string otherCount = SaveReport("count.json", 1);
    const std::string crowded = SaveCrowdedReport("crowded.json");
    const std::pair<BenchOptions, std::string> cases[] = {
        {Measuring(truncated), truncated + ": is truncated: the JSON stops after 31 bytes"},
        {Measuring(TempPath("no-such.json")), TempPath("no-such.json") + ": no such file"},
        {Measuring(otherCount), otherCount + ": other data than this run: 3000 values (window) against "
                                             "4000 values (window)"},
        {Measuring(crowded), crowded + ": the cells to compare draw 240056 values a resample, more than the 200000 "
                                       "a comparison's bootstrap can take; choose fewer with --filter or routine names"},
    };
    // The progress line, asked for here, would show the first repetition:
    // refused before it, err holds nothing else, not even its clearing.
    for (auto [bad, message] : cases) {
        bad.settings.count = message.find("4000") != std::string::npos ? 4000 : 3000;
        bad.counts = {bad.settings.count};
        std::ostringstream out, err;
        EXPECT_EQ(RunMeasureCommand(bad, {kCounted, kYardstick}, out, err, true), 2);
        EXPECT_EQ(err.str(), "orvandel-bench: " + message + "\n");
        EXPECT_EQ(out.str(), "");
    }
}

// Where this build cannot count (on Windows, in a sanitizers' build, without
// valgrind), a run with machine counts says why in one line and shows every
// count n/a, and a gate on instructions is refused before measuring;
// anywhere else the same run counts every row.
TEST(BenchCompareCommand, MachineCountsOrOneLineSayingWhyNot) {
    const std::string unavailable = MachineCountsUnavailable();
    BenchOptions options = Measuring("");
    options.settings.machineCounts = true;
    options.settings.runs = 1;
    options.format = ReportFormat::kJson;
    std::ostringstream out, err;
    ASSERT_EQ(RunMeasureCommand(options, {kCounted, kYardstick}, out, err, false), 0) << err.str();
    EXPECT_EQ(err.str(), unavailable.empty() ? "" : "orvandel-bench: machine counts n/a: " + unavailable + "\n");
    const Json json = Json::parse(out.str());
    ASSERT_EQ(json["rows"].size(), 2u);
    for (const Json& row : json["rows"]) {
        const Json& counts = row["machine_counts"];
        EXPECT_EQ(counts["status"], unavailable.empty() ? "counted" : "not-countable") << counts;
        if (!unavailable.empty()) {
            EXPECT_EQ(counts["reason"], unavailable);
        }
    }

    options.baselinePath = TempPath("never-read.json");
    options.failIfMoreInstructionsPercent = 1;
    std::ostringstream gatedOut, gatedErr;
    EXPECT_EQ(RunMeasureCommand(options, {kCounted, kYardstick}, gatedOut, gatedErr, false), 2);
    EXPECT_EQ(gatedErr.str(), "orvandel-bench: " + (unavailable.empty()
                                                         ? options.baselinePath + ": no such file"
                                                         : "--fail-if-more-instructions cannot count: " + unavailable) +
                                  "\n");
    EXPECT_EQ(gatedOut.str(), "");
}

TEST(BenchCompareCommand, ARunIsSavedAndComparedWithTheSavedRun) {
    const std::string saved = TempPath("saved.json");
    BenchOptions save = Measuring("");
    save.saveBaselinePath = saved;
    std::ostringstream out, err;
    ASSERT_EQ(RunMeasureCommand(save, {kCounted, kYardstick}, out, err, false), 0) << err.str();
    EXPECT_EQ(out.str().find("baseline ms"), std::string::npos);  // a plain report without a baseline

    BenchOptions compare = Measuring(saved);
    compare.format = ReportFormat::kJson;
    compare.names = {"count"};
    std::ostringstream compared, errors;
    ASSERT_EQ(RunMeasureCommand(compare, {kCounted, kYardstick}, compared, errors, false), 0) << errors.str();
    const Json json = Json::parse(compared.str());
    EXPECT_EQ(json["schema_version"], 6);
    EXPECT_EQ(json["rows"].size(), 2u);  // the run's own report
    const Json& comparison = json["comparison"];
    EXPECT_EQ(comparison["baseline"], saved);
    EXPECT_EQ(comparison["current"], "this run");
    EXPECT_TRUE(comparison["warnings"].empty());
    ASSERT_EQ(comparison["cells"].size(), 2u);
    for (const Json& cell : comparison["cells"]) {
        EXPECT_EQ(cell["baseline_runs"], 5);
        EXPECT_EQ(cell["current_runs"], 5);
        EXPECT_FALSE(cell["p_value"].is_null());
    }
}

TEST(BenchCompareCommand, OptionsOfAComparison) {
    struct Case {
        std::vector<const char*> args;
        int exitCode;  // 0: parsed
        const char* message;
    };
    const Case cases[] = {
        {{"--compare", "a.json", "b.json", "--noise", "5", "--fail-if-slower", "10"}, 0, ""},
        {{"--compare", "a.json", "b.json", "--runs", "3"}, 2, "--runs excludes --compare"},
        {{"--compare", "a.json", "b.json", "--save-baseline", "c.json"}, 2, "excludes --compare"},
        {{"--compare", "a.json"}, 2, "--compare"},
        {{"--noise", "5"}, 2, "--noise needs --baseline or --compare"},
        {{"--baseline", "a.json", "--runs", "10001"}, 2, "--runs: \"10001\" is not a whole number from 1 to 10000"},
        {{"--fail-if-slower", "5", "--runs", "3"}, 2, "--fail-if-slower needs --baseline or --compare"},
        {{"--baseline", "a.json", "--fail-if-slower", "-1"}, 2, "--fail-if-slower"},
        {{"--baseline", "a.json", "--noise", "101"}, 2, "--noise"},
    };
    for (const Case& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("orvandel-bench")};
        for (const char* arg : c.args) argv.push_back(const_cast<char*>(arg));
        std::ostringstream out, err;
        const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
        EXPECT_EQ(line.exitCode, c.exitCode) << c.args[0] << ' ' << err.str();
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        if (c.exitCode != 0) continue;
        EXPECT_EQ(line.options.comparePaths, (std::vector<std::string>{"a.json", "b.json"}));
        EXPECT_EQ(line.options.noisePercent, 5);
        EXPECT_EQ(line.options.failIfSlowerPercent, 10);
    }
}
