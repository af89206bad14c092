// The comparison of two reports: verdict rules at their edges, cells
// matched by name, pattern and count, saved reports read back or refused
// with a reason, and the formats and chart that carry the result.
#include "bench/compare/comparison.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <limits>
#include <random>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "bench/compare/comparison_report.h"
#include "bench/report/format.h"
#include "bench/report/json.h"

namespace {

using Json = nlohmann::json;

SavedCell Cell(const std::string& name, std::vector<double> times, std::int64_t count = 1000,
               const std::string& pattern = "window") {
    SavedCell cell;
    cell.name = name;
    cell.pattern = pattern;
    cell.count = count;
    cell.times = std::move(times);
    return cell;
}

SavedReport Side(const std::string& source, std::vector<SavedCell> cells, std::uint32_t seed = 87654321) {
    SavedReport report;
    report.source = source;
    report.seed = seed;
    report.machine = "cpu, 2 cores, os";
    report.compiler = "gcc 12";
    report.flags = "Release";
    report.cells = std::move(cells);
    return report;
}

std::vector<double> Scaled(const std::vector<double>& times, double factor) {
    std::vector<double> scaled;
    for (double t : times) scaled.push_back(t * factor);
    return scaled;
}

const std::vector<double> kNine = {100, 103, 98, 101, 99, 104, 102, 97, 100.5};

}  // namespace

TEST(BenchComparison, VerdictRulesAtTheirEdges) {
    struct Case {
        double p;
        Interval ratio;
        double noise;
        Verdict verdict;
    };
    // Edges as the tool computes them: a ratio of two medians, noise from
    // --noise PCT over 100.
    const double noise7 = 7.0 / 100, noise14 = 14.0 / 100;
    const Case cases[] = {
        {0.05, {0.5, 0.6}, 0.25, Verdict::kNoChange},  // p must be below 5 %
        {0.0499, {0.5, 0.6}, 0.25, Verdict::kFaster},
        {0.01, {0.5, 0.75}, 0.25, Verdict::kFaster},     // every ratio a full noise below 1
        {0.01, {0.5, 0.7500001}, 0.25, Verdict::kInconclusive},  // reaches into the noise
        {0.01, {1.25, 1.5}, 0.25, Verdict::kSlower},
        {0.0499, {1.25, 1.5}, 0.25, Verdict::kSlower},
        {0.05, {1.25, 1.5}, 0.25, Verdict::kNoChange},
        {0.01, {1.2499999, 1.5}, 0.25, Verdict::kInconclusive},
        {0.01, {0.9, 1.1}, 0.25, Verdict::kNoChange},  // a change, but all of it within the noise
        {0.01, {0.75, 1.25}, 0.25, Verdict::kNoChange},
        {0.01, {0.7499999, 1.25}, 0.25, Verdict::kInconclusive},
        {0.01, {0.75, 1.2500001}, 0.25, Verdict::kInconclusive},
        {0.01, {0.5, 1.5}, 0.0, Verdict::kInconclusive},  // across 1
        {0.5, {0.5, 1.5}, 0.0, Verdict::kNoChange},
        {0.01, {0.9, 0.99}, 0.0, Verdict::kFaster},
        {0.01, {1.01, 1.1}, 0.0, Verdict::kSlower},
        // Exact inputs on the edge are a change on both sides alike.
        {0.01, {107.0 / 100, 1.2}, noise7, Verdict::kSlower},
        {0.01, {0.8, 93.0 / 100}, noise7, Verdict::kFaster},
        {0.01, {114.0 / 100, 1.2}, noise14, Verdict::kSlower},
        {0.01, {0.8, 86.0 / 100}, noise14, Verdict::kFaster},
        {0.01, {106.9 / 100, 1.2}, noise7, Verdict::kInconclusive},
        {0.01, {0.8, 93.1 / 100}, noise7, Verdict::kInconclusive},
        {0.01, {93.0 / 100, 107.0 / 100}, noise7, Verdict::kNoChange},
        {0.01, {2, std::numeric_limits<double>::infinity()}, noise7, Verdict::kSlower},  // from a median of 0
    };
    for (const Case& c : cases)
        EXPECT_STREQ(VerdictName(Decide(c.p, c.ratio, c.noise)), VerdictName(c.verdict))
            << "p " << c.p << ", [" << c.ratio.low << ", " << c.ratio.high << "], noise " << c.noise;
}

TEST(BenchComparison, CellsAreMatchedByNamePatternAndCount) {
    const SavedReport baseline = Side("base.json", {
        Cell("Halved", kNine),
        Cell("Same", kNine),
        Cell("Doubled", kNine),
        Cell("Gone", kNine),
        Cell("Same", kNine, 2000),  // another size: a cell of its own
        Cell("Few", {1, 2, 3, 4}),
    });
    const SavedReport current = Side("this run", {
        Cell("New", kNine),
        Cell("Doubled", Scaled(kNine, 2)),
        Cell("Same", kNine),
        Cell("Halved", Scaled(kNine, 0.5)),
        Cell("Same", kNine, 1000, "sorted"),
        Cell("Few", {1, 2, 3, 4, 5, 6}),
    });
    const Comparison comparison = Compare(baseline, current, 0.02);
    struct Expected {
        const char* name;
        Verdict verdict;
        int baselineRuns;
        int currentRuns;
    };
    const Expected expected[] = {
        {"Halved", Verdict::kFaster, 9, 9},       {"Same", Verdict::kNoChange, 9, 9},
        {"Doubled", Verdict::kSlower, 9, 9},      {"Gone", Verdict::kOnlyBaseline, 9, 0},
        {"Same", Verdict::kOnlyBaseline, 9, 0},   {"Few", Verdict::kTooFew, 4, 6},
        {"New", Verdict::kOnlyCurrent, 0, 9},     {"Same", Verdict::kOnlyCurrent, 0, 9},
    };
    ASSERT_EQ(comparison.cells.size(), std::size(expected));
    for (std::size_t k = 0; k < std::size(expected); ++k) {
        const CellComparison& cell = comparison.cells[k];
        EXPECT_EQ(cell.name, expected[k].name) << k;
        EXPECT_EQ(cell.verdict, expected[k].verdict) << k;
        EXPECT_EQ(cell.baselineRuns, expected[k].baselineRuns) << k;
        EXPECT_EQ(cell.currentRuns, expected[k].currentRuns) << k;
    }
    EXPECT_EQ(comparison.cells[4].count, 2000);
    EXPECT_EQ(comparison.cells[7].pattern, "sorted");

    const CellComparison& halved = comparison.cells[0];
    EXPECT_EQ(halved.baselineMedian, 100.5);
    EXPECT_EQ(halved.currentMedian, 50.25);
    EXPECT_EQ(halved.ratio, 0.5);
    EXPECT_LT(halved.ratioInterval.low, 0.5);
    EXPECT_GT(halved.ratioInterval.high, 0.5);
    EXPECT_LT(halved.ratioInterval.high, 0.98);
    EXPECT_EQ(halved.test.u, 0);
    EXPECT_TRUE(halved.test.exact);
    EXPECT_NEAR(halved.test.p, 2.0 / 48620, 1e-15);  // 2 / C(18, 9): fully separated
    EXPECT_EQ(comparison.cells[2].test.u, 81);        // every doubled time above every baseline one
    EXPECT_EQ(comparison.cells[1].test.p, 1);
    EXPECT_LE(comparison.cells[1].ratioInterval.low, 1);
    EXPECT_GE(comparison.cells[1].ratioInterval.high, 1);

    EXPECT_EQ(VerdictText(comparison, comparison.cells[3]), "only in base.json");
    EXPECT_EQ(VerdictText(comparison, comparison.cells[6]), "only in this run");
    EXPECT_EQ(VerdictText(comparison, comparison.cells[5]),
              "sample too small to decide (4 and 6 runs; 5 a side would do)");
}

TEST(BenchComparison, FiveRunsASideAreEnoughAndAFailedCheckDecidesNothing) {
    const std::vector<double> five = {10, 11, 12, 13, 14};
    SavedCell failed = Cell("Broken", {});
    failed.failed = true;
    const Comparison comparison = Compare(Side("a", {Cell("Five", five), Cell("Four", {10, 11, 12, 13}), failed}),
                                          Side("b", {Cell("Five", Scaled(five, 3)), Cell("Four", Scaled(five, 3)),
                                                     Cell("Broken", five)}),
                                          0.02);
    ASSERT_EQ(comparison.cells.size(), 3u);
    EXPECT_EQ(comparison.cells[0].verdict, Verdict::kSlower);
    EXPECT_EQ(comparison.cells[1].verdict, Verdict::kTooFew);
    EXPECT_EQ(comparison.cells[2].verdict, Verdict::kFailed);
    EXPECT_FALSE(Tested(comparison.cells[2]));
    EXPECT_TRUE(Tested(comparison.cells[1]));
}

// The values one resample of every bootstrap draws, counted apart from the
// comparison: each side's median of every cell, and both sides again for
// the ratio of a cell with runs on both.
std::uint64_t DrawnPerResample(const SavedReport& baseline, const SavedReport& current) {
    const auto drawn = [](const SavedCell& cell) -> std::uint64_t {
        return std::min<std::uint64_t>(cell.times.size(), kLargestResample);
    };
    std::uint64_t values = 0;
    for (const SavedCell& cell : current.cells) values += drawn(cell);
    for (const SavedCell& before : baseline.cells) {
        values += drawn(before);
        for (const SavedCell& after : current.cells)
            if (after.name == before.name && after.pattern == before.pattern && after.count == before.count &&
                !after.times.empty() && !before.times.empty())
                values += drawn(before) + drawn(after);
    }
    return values;
}

// Cells of many runs: the resamples shrink so that the whole comparison
// draws within the bound, each bootstrap still makes enough, and a long
// comparison tells its progress cell by cell; ordinary cells keep them all.
TEST(BenchComparison, ResamplingIsBoundedByTheRunsRead) {
    std::mt19937_64 random(3);
    const auto times = [&](std::size_t runs) {
        std::vector<double> drawn;
        for (std::size_t k = 0; k < runs; ++k) drawn.push_back(100 + static_cast<double>(random() % 1000) / 100);
        return drawn;
    };
    std::vector<SavedCell> before, after;
    for (int k = 0; k < 7; ++k) {
        before.push_back(Cell("sort " + std::to_string(k), times(2 * kLargestResample)));
        after.push_back(Cell("sort " + std::to_string(k), times(3 * kLargestResample)));
    }
    after.push_back(Cell("only after", times(9)));
    const SavedReport baseline = Side("a.json", before), current = Side("b.json", after);
    std::vector<std::pair<std::size_t, std::size_t>> heard;
    const Comparison many = Compare(baseline, current, kDefaultNoise,
                                    [&](std::size_t done, std::size_t total) { heard.emplace_back(done, total); });
    const std::uint64_t values = DrawnPerResample(baseline, current);
    EXPECT_LT(many.resamples, kBootstrapResamples);
    EXPECT_GE(many.resamples, kFewestResamples);
    EXPECT_LE(static_cast<std::uint64_t>(many.resamples) * values, kResampledValues);
    EXPECT_GT(static_cast<std::uint64_t>(many.resamples + 1) * values, kResampledValues);
    ASSERT_TRUE(Resamplable(baseline, current));
    ASSERT_EQ(heard.size(), many.cells.size());
    for (std::size_t k = 0; k < heard.size(); ++k) EXPECT_EQ(heard[k], std::make_pair(k, many.cells.size()));

    heard.clear();
    const SavedReport few = Side("c.json", {Cell("sort 0", kNine)});
    const Comparison ordinary = Compare(few, few, kDefaultNoise,
                                        [&](std::size_t done, std::size_t total) { heard.emplace_back(done, total); });
    EXPECT_EQ(ordinary.resamples, kBootstrapResamples);
    EXPECT_TRUE(heard.empty());
    const Interval whole = BootstrapRatioInterval(kNine, kNine);
    EXPECT_EQ(ordinary.cells[0].ratioInterval.low, whole.low);
    EXPECT_EQ(ordinary.cells[0].ratioInterval.high, whole.high);
}

// Cells too many for kFewestResamples each are refused before any is
// resampled, with what to do; one cell fewer passes.
TEST(BenchComparison, CellsTooManyToResampleAreRefused) {
    const std::uint64_t most = kResampledValues / kFewestResamples;
    const std::uint64_t perCell = 4 * kLargestResample;  // both medians and the ratio
    std::vector<SavedCell> cells;
    while (cells.size() * perCell <= most)
        cells.push_back(Cell("sort " + std::to_string(cells.size()), std::vector<double>(kLargestResample, 1.0)));
    const SavedReport tooMany = Side("a.json", cells);
    const Check refused = Resamplable(tooMany, tooMany);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.why(), "the cells to compare draw " + std::to_string(cells.size() * perCell) +
                                 " values a resample, more than the " + std::to_string(most) +
                                 " a comparison's bootstrap can take; choose fewer with --filter or routine names");
    cells.pop_back();
    const SavedReport fitting = Side("a.json", cells);
    EXPECT_TRUE(Resamplable(fitting, fitting));
}

TEST(BenchComparison, OtherDataIsRefusedAndOtherContextWarned) {
    const SavedReport baseline = Side("base.json", {Cell("A", kNine, 1000), Cell("A", kNine, 5000, "sorted")});
    EXPECT_EQ(DataMismatch(baseline, Side("this run", {Cell("", {}, 5000, "sorted")})), "");
    EXPECT_EQ(DataMismatch(baseline, Side("this run", {Cell("", {}, 1000)}, 5)),
              "base.json: other data than this run: seed 87654321 against 5");
    EXPECT_EQ(DataMismatch(baseline, Side("this run", {Cell("", {}, 5000), Cell("", {}, 1000, "sorted")})),
              "base.json: other data than this run: 1000 values (window), 5000 values (sorted) against "
              "5000 values (window), 1000 values (sorted)");

    SavedReport other = Side("b.json", {});
    EXPECT_TRUE(ContextWarnings(baseline, other).empty());
    other.compiler = "clang 14";
    other.flags = "Debug";
    EXPECT_EQ(ContextWarnings(baseline, other),
              (std::vector<std::string>{"warning: other compiler: base.json \"gcc 12\", b.json \"clang 14\"",
                                        "warning: other flags: base.json \"Release\", b.json \"Debug\""}));
    other = Side("b.json", {});
    other.machine = "elsewhere";
    EXPECT_EQ(ContextWarnings(baseline, other).size(), 1u);

    // A run that sorted new draws against one that sorted one data set over and over.
    SavedCell drawn = Cell("A", kNine);
    drawn.draws = 41;
    other = Side("b.json", {Cell("A", kNine), drawn});
    other.draws = DrawsMethod(other.cells);
    SavedReport old = baseline;
    old.draws = DrawsMethod(old.cells);
    EXPECT_EQ(ContextWarnings(old, other), (std::vector<std::string>{
        "warning: other draws: base.json \"the same data every sort\", b.json \"a new draw every sort\""}));
}

TEST(BenchComparison, FailIfSlowerLooksAtSlowerCellsBeyondThePercent) {
    Comparison comparison;
    CellComparison cell;
    cell.ratio = 1.5;
    for (Verdict verdict : {Verdict::kFaster, Verdict::kNoChange, Verdict::kInconclusive, Verdict::kTooFew,
                            Verdict::kSlower}) {
        cell.verdict = verdict;
        comparison.cells = {cell};
        EXPECT_EQ(SlowerBeyond(comparison, 49.9), verdict == Verdict::kSlower) << VerdictName(verdict);
    }
    EXPECT_FALSE(SlowerBeyond(comparison, 50));  // by more than the percent
    EXPECT_TRUE(SlowerBeyond(comparison, 0));
}

// Whole comparisons at their edges, with --noise and --fail-if-slower as
// the command line gives them. Nine equal times a side make the interval
// the one ratio of the medians, so an exact change meets an edge exactly.
TEST(BenchComparison, ChangesAtTheirExactEdges) {
    const auto nine = [](double ms) { return std::vector<double>(9, ms); };
    // Two modes, 27 and 23 times against 25 and 25, the current 1.5 ms
    // later in each: every test says it is slower, but its median may
    // come from either mode, so the interval reaches from 0.8 to 1.3.
    std::vector<double> before, after;
    for (int k = 0; k < 50; ++k) {
        before.push_back((k < 27 ? 100 : 125) + 0.01 * (k % 27));
        after.push_back((k < 25 ? 101.5 : 126.5) + 0.01 * (k % 25));
    }
    struct Case {
        const char* what;
        std::vector<double> baseline, current;
        double noisePercent;
        Verdict verdict;
        double failIfSlowerPercent;
        bool fails;
    };
    const Case cases[] = {
        {"+7% with noise 7", nine(100), nine(107), 7, Verdict::kSlower, 7, false},
        {"-7% with noise 7", nine(100), nine(93), 7, Verdict::kFaster, 0, false},
        {"+14% with noise 14", nine(100), nine(114), 14, Verdict::kSlower, 13.9, true},
        {"-33% with noise 33", nine(100), nine(67), 33, Verdict::kFaster, 0, false},
        {"+6.9% with noise 7", nine(100), nine(106.9), 7, Verdict::kNoChange, 0, false},
        {"-6.9% with noise 7", nine(100), nine(93.1), 7, Verdict::kNoChange, 0, false},
        {"+5% fails beyond 5", nine(100), nine(105), 2, Verdict::kSlower, 5, false},
        {"+5% fails beyond 4.9", nine(100), nine(105), 2, Verdict::kSlower, 4.9, true},
        {"+20% fails beyond 20", nine(100), nine(120), 2, Verdict::kSlower, 20, false},
        {"+20.001% fails beyond 20", nine(100), nine(120.001), 2, Verdict::kSlower, 20, true},
        {"+3% fails beyond 3", nine(0.1), nine(0.103), 2, Verdict::kSlower, 3, false},
        {"+3.1% fails beyond 3", nine(0.1), nine(0.1031), 2, Verdict::kSlower, 3, true},
        {"-50% fails at nothing", nine(100), nine(50), 2, Verdict::kFaster, 0, false},
        {"bimodal, +13.8%", before, after, 2, Verdict::kInconclusive, 0, false},
    };
    for (const Case& c : cases) {
        const Comparison comparison =
            Compare(Side("a", {Cell("X", c.baseline)}), Side("b", {Cell("X", c.current)}), c.noisePercent / 100);
        ASSERT_EQ(comparison.cells.size(), 1u);
        const CellComparison& cell = comparison.cells[0];
        EXPECT_STREQ(VerdictName(cell.verdict), VerdictName(c.verdict)) << c.what << ", p " << cell.test.p
                                           << ", [" << cell.ratioInterval.low << ", " << cell.ratioInterval.high << "]";
        EXPECT_LT(cell.test.p, kSignificance) << c.what;
        EXPECT_EQ(SlowerBeyond(comparison, c.failIfSlowerPercent), c.fails) << c.what;
    }
    const CellComparison bimodal =
        Compare(Side("a", {Cell("X", before)}), Side("b", {Cell("X", after)}), 0.02).cells[0];
    EXPECT_LT(bimodal.test.p, 1e-4);
    EXPECT_LT(bimodal.ratioInterval.low, 1);
    EXPECT_GT(bimodal.ratioInterval.high, 1.02);
    EXPECT_NEAR(bimodal.ratio, 1.138, 0.001);
    Comparison named;
    named.noise = 0.02;
    EXPECT_EQ(VerdictName(bimodal.verdict), std::string("inconclusive"));
    EXPECT_EQ(VerdictText(named, bimodal), "inconclusive: p < 0.05, but the interval reaches within 2.0% of no change");
}

TEST(BenchComparison, SelectionKeepsTheNamedCellsAndTheYardstick) {
    SavedReport baseline = Side("a", {Cell("Full Optimised C", kNine), Cell("std::sort", kNine),
                                      Cell("Sedgewick qsort C", kNine)});
    baseline.cells[0].label = "Qsort C";
    SavedReport current = baseline;
    ASSERT_TRUE(SelectCells({"qsort c"}, "", baseline, current));
    for (const SavedReport* report : {&baseline, &current}) {
        ASSERT_EQ(report->cells.size(), 2u);
        EXPECT_EQ(report->cells[0].name, "Full Optimised C");
        EXPECT_EQ(report->cells[1].name, "std::sort");
    }
    const Check unknown = SelectCells({"Bubble"}, "", baseline, current);
    ASSERT_FALSE(unknown);
    EXPECT_NE(unknown.why().find("unknown routine \"Bubble\""), std::string::npos) << unknown.why();
    EXPECT_EQ(SelectCells({"qsort-c"}, "", baseline, current).why(),
              "unknown routine \"qsort-c\" (did you mean Qsort C?; --list shows the names)");
}

TEST(BenchSavedReport, WhatIsWrongWithAReportIsSaidInOneLine) {
    const Json good = Json::parse(R"({"schema_version": 1, "settings": {"seed": 5, "count": 300},
        "context": {"cpu": "cpu", "cores": 2, "os": "os"}, "rows": [{"name": "A", "times_ms": [1, 2.5]}]})");
    const auto with = [&](const std::string& pointer, const Json& value) {
        Json json = good;
        if (value.is_discarded())
            json.at(Json::json_pointer(pointer).parent_pointer())
                .erase(Json::json_pointer(pointer).back());
        else
            json[Json::json_pointer(pointer)] = value;
        return json.dump();
    };
    // The good report with one value's text replaced, for texts a Json
    // value cannot hold or would take too long to build.
    const auto replaced = [&](const std::string& value, const std::string& text) {
        std::string dumped = good.dump();
        return dumped.replace(dumped.find(value), value.size(), text);
    };
    const auto nested = [](std::size_t levels) { return std::string(levels, '[') + std::string(levels, ']'); };
    const Json remove(Json::value_t::discarded);
    const std::string longest(kMaxNameBytes, 'x'), tooLong(kMaxNameBytes + 1, 'x');
    const std::string badTime = "row 1 (\"A\") has a time of ";
    const std::string outsideADay = " ms; a time is above 0 and at most a day (86400000 ms)";
    const std::pair<std::string, std::string> cases[] = {
        {"", "is empty"},
        {" \n", "is empty"},
        {good.dump().substr(0, 40), "is truncated: the JSON stops after 40 bytes"},
        {"{\"schema_version\": 1,, }", "is not valid JSON (at byte 22)"},
        {"{\"schema_version\": 1]", "is not valid JSON (at byte 21)"},  // wrong at the last byte
        {"[1, 2]", "has no schema_version: not a JSON report of orvandel-bench"},
        {with("/schema_version", remove), "has no schema_version: not a JSON report of orvandel-bench"},
        {with("/schema_version", 2), ""},
        {with("/schema_version", 3), ""},
        {with("/schema_version", 4), ""},
        {with("/schema_version", 5), ""},
        {with("/schema_version", 7), "has schema version 7; this orvandel-bench reads versions 1 to 6"},
        // Types as the tool names them; none means i32.
        {with("/rows/0/type", "record"), ""},
        {with("/rows/0/type", "int"), "row 1 (\"A\") has a type that is not one of i32, u64, f64, string, record"},
        {with("/rows/0/type", ""), "row 1 (\"A\") has a type the names rule refuses: it is empty"},
        {with("/schema_version", 0), "has schema version 0; this orvandel-bench reads versions 1 to 6"},
        {with("/schema_version", "1"), "has schema version of type string; this orvandel-bench reads versions 1 to 6"},
        {with("/settings/seed", remove), "has no settings.seed"},
        {with("/settings/seed", -5), "has no settings.seed"},
        {with("/rows", remove), "has no rows"},
        {with("/rows/0/name", remove), "row 1 has no name"},
        {with("/rows/0/times_ms", remove), "row 1 (\"A\") has no times_ms list of numbers"},
        {with("/rows/0/times_ms/1", "2.5"), "row 1 (\"A\") has no times_ms list of numbers"},
        {with("/settings/count", remove), "row 1 (\"A\") has no count of values"},
        {with("/rows/0/pattern", 3), "row 1 (\"A\") has a pattern that is not text"},
        {with("/rows/0/label", true), "row 1 (\"A\") has a label that is not text"},
        {with("/rows/1", good["rows"][0]), "row 2 (\"A\") repeats a cell (\"window\", 300 values)"},
        {with("/rows/1", Json{{"name", "A"}, {"count", 301}, {"times_ms", {3}}}), ""},
        // A number no double holds.
        {replaced("2.5", "1e309"), "has a number beyond the range of a double"},
        {replaced("300", "-1e309"), "has a number beyond the range of a double"},
        // Nesting: the report's object and 31 arrays inside it are the most read.
        {replaced("\"schema_version\":1", "\"schema_version\":" + nested(31)),
         "has schema version of type array; this orvandel-bench reads versions 1 to 6"},
        {replaced("\"schema_version\":1", "\"schema_version\":" + nested(32)),
         "nests arrays or objects deeper than 32 levels"},
        {replaced("\"schema_version\":1", "\"schema_version\":" + nested(60000)),
         "nests arrays or objects deeper than 32 levels"},
        {replaced("\"cores\":2", "\"cores\":" + nested(60000)), "nests arrays or objects deeper than 32 levels"},
        {replaced("\"cores\":2", "\"cores\":" + nested(30)), ""},  // inside the context object
        // Brackets in strings, after an escaped quote too, nest nothing; many
        // objects side by side are no depth either, and are read in one pass.
        {with("/rows/0/label", "\\\"" + std::string(40, '[')), ""},
        {with("/rows/0/label", "\"" + std::string(40, '{')), ""},
        {with("/wide", Json(std::vector<Json>(200000, Json::object()))), ""},
        // Names, labels and patterns of at most kMaxNameBytes; the row's name only when it is that short.
        {with("/rows/0/name", longest), ""},
        {with("/rows/0/name", tooLong), "row 1 has a name longer than 200 bytes"},
        {with("/rows/0/name", std::string(60000, 'x')), "row 1 has a name longer than 200 bytes"},
        {with("/rows/0/label", tooLong), "row 1 (\"A\") has a label longer than 200 bytes"},
        {with("/rows/0/pattern", tooLong), "row 1 (\"A\") has a pattern longer than 200 bytes"},
        {with("/rows/0/pattern", longest), ""},
        // The names rule of loaded sorts, for names, labels and patterns; a
        // reference's label alone may be empty.
        {with("/rows/0/name", ""), "row 1 (\"\") has a name the names rule refuses: it is empty"},
        {with("/rows/0/name", " A"), "row 1 (\" A\") has a name the names rule refuses: it begins or ends with a space"},
        {with("/rows/0/name", "A\u2060"), "row 1 (\"A\u2060\") has a name the names rule refuses: it has control "
                                         "characters, bytes that are not UTF-8, marks that reorder text or characters "
                                         "that show nothing"},
        {with("/rows/0/label", ""), ""},
        {with("/rows/0/label", "Qsort C "), "row 1 (\"A\") has a label the names rule refuses: it begins or ends with a space"},
        {with("/rows/0/pattern", ""), "row 1 (\"A\") has a pattern the names rule refuses: it is empty"},
        // Counts as a run gives them.
        {with("/settings/count", 2147483647), ""},
        {with("/settings/count", 2147483648), "row 1 (\"A\") has a count of 2147483648 values, more than the 2147483647 a cell holds"},
        {with("/rows/0/draws", 0), ""},
        {with("/rows/0/draws", -1), "row 1 (\"A\") has draws that are not a count"},
        {with("/rows/0/draws", 1.5), "row 1 (\"A\") has draws that are not a count"},
        {with("/rows/0/draws", 9223372036854775808ull), "row 1 (\"A\") has draws that are not a count"},
        {with("/rows/1", Json{{"name", "B\nC"}, {"times_ms", "none"}}),
         "row 2 (\"B\\nC\") has a name the names rule refuses: it has control characters, bytes that are not UTF-8, "
         "marks that reorder text or characters that show nothing"},
        {with("/context/flags", std::string(kMaxContextBytes + 1, 'x')), "context has a flags longer than 4096 bytes"},
        {with("/context/cpu", std::string(kMaxContextBytes, 'x')), ""},
        // Times above 0 and at most a day.
        {with("/rows/0/times_ms/0", -400.0), badTime + "-400.0" + outsideADay},
        {with("/rows/0/times_ms/0", 0), badTime + "0" + outsideADay},
        {with("/rows/0/times_ms/0", -0.0), badTime + "-0.0" + outsideADay},
        {with("/rows/0/times_ms/1", 1e308), badTime + "1e+308" + outsideADay},
        {with("/rows/0/times_ms/1", 86400000.5), badTime + "86400000.5" + outsideADay},
        {with("/rows/0/times_ms/1", 18446744073709551615u), badTime + "18446744073709551615" + outsideADay},
        {with("/rows/0/times_ms/1", 86400000), ""},
        {with("/rows/0/times_ms/1", 5e-324), ""},
        // Repetitions as --runs allows them.
        {with("/rows/0/times_ms", std::vector<double>(kMaxRuns, 1.5)), ""},
        {with("/rows/0/times_ms", std::vector<double>(kMaxRuns + 1, 1.5)),
         "row 1 (\"A\") has 10001 times, more than the 10000 repetitions --runs allows"},
    };
    for (const auto& [text, message] : cases) {
        const std::string shown = text.substr(0, 200);
        const Result<SavedReport> read = ParseSavedReport(text);
        EXPECT_EQ(static_cast<bool>(read), message.empty()) << shown;
        EXPECT_EQ(read ? "" : read.why(), message) << shown;
    }
}

// Version 1 said a row's state in prose ("over 10 s"), which still reads
// as a cell without figures; version 2 holds one of six values, and only
// those; version 3 adds the failed check, one of three or null.
TEST(BenchSavedReport, ReadsEachSchemaVersionItKnows) {
    const auto report = [](int version, const Json& status, const Json& fields = Json::object()) {
        Json row = {{"name", "A"}, {"status", status}, {"times_ms", Json::array()}};
        row.update(fields);
        return Json{{"schema_version", version}, {"settings", {{"seed", 5}, {"count", 300}}}, {"rows", {row}}}
            .dump();
    };
    const auto check = [](const Json& name) { return Json{{"failed_slot", 3}, {"failed_check", name}}; };
    std::ifstream saved(ORVANDEL_BENCH_TEST_DATA "/report-v1.json");
    const std::string v1((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    const std::string unknown =
        "row 1 (\"A\") has a status that is not one of "
        "measured, failed, over-time-limit, predicted-over, stack-exhausted, crashed, not-sorted";
    const std::string unknownCheck = "row 1 (\"A\") has a failed_check that is not one of range, values, order or null";
    const struct {
        std::string what, text, error;
        std::vector<bool> failed;  // per cell
    } cases[] = {
        {"version 1 as the tool saved it", v1, "", {false, false, true, false, false, false, true, true}},
        {"version 1, a prose status", report(1, "predicted over 10 s (about 312 s)"), "", {true}},
        {"version 1, measured", report(1, "measured"), "", {false}},
        {"version 2, measured", report(2, "measured"), "", {false}},
        {"version 2, failed", report(2, "failed"), "", {true}},
        {"version 2, over-time-limit", report(2, "over-time-limit"), "", {true}},
        {"version 2, predicted-over", report(2, "predicted-over"), "", {true}},
        {"version 2, stack-exhausted", report(2, "stack-exhausted"), "", {true}},
        {"version 2, crashed", report(2, "crashed"), "", {true}},
        {"version 2, the old prose", report(2, "over 10 s"), unknown, {}},
        {"version 2, a status in another case", report(2, "Measured"), unknown, {}},
        {"version 2, a status that is not text", report(2, 3), unknown, {}},
        {"version 2, a failed_check it never wrote", report(2, "failed", check("descent")), "", {true}},
        {"version 3, measured", report(3, "measured", {{"failed_slot", nullptr}, {"failed_check", nullptr}}), "",
         {false}},
        {"version 3, range", report(3, "failed", check("range")), "", {true}},
        {"version 3, values",
         report(3, "failed",
                {{"failed_slot", 3}, {"failed_check", "values"}, {"held_value", 7}, {"expected_value", 4}}),
         "", {true}},
        {"version 3, order", report(3, "failed", check("order")), "", {true}},
        {"version 3, without failed_check", report(3, "failed", {{"failed_slot", 3}}), "", {true}},
        {"version 3, a check it does not know", report(3, "failed", check("descent")), unknownCheck, {}},
        {"version 3, a check in another case", report(3, "failed", check("Values")), unknownCheck, {}},
        {"version 3, a check that is not text", report(3, "failed", check(2)), unknownCheck, {}},
        {"version 4", report(4, "measured"), "", {false}},
        {"version 5", report(5, "measured"), "", {false}},
        {"version 5, a type the sort could not sort", report(5, "not-sorted"), "", {}},
        {"version 6", report(6, "measured"), "", {false}},
        {"version 7", report(7, "measured"), "has schema version 7; this orvandel-bench reads versions 1 to 6", {}},
    };
    ASSERT_FALSE(v1.empty()) << "the saved version 1 report is missing";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Result<SavedReport> parsed = ParseSavedReport(c.text);
        EXPECT_EQ(static_cast<bool>(parsed), c.error.empty());
        EXPECT_EQ(parsed ? "" : parsed.why(), c.error);
        const SavedReport read = parsed ? *parsed : SavedReport{};
        std::vector<bool> failed;
        for (const SavedCell& cell : read.cells) failed.push_back(cell.failed);
        EXPECT_EQ(failed, c.failed);
    }
}

// Version 4 adds a row's machine counts: read when counted, whole counts
// below 2^62 that one run can give, and nothing else.
TEST(BenchSavedReport, ReadsTheMachineCountsOfVersionFour) {
    const Json counted = {{"status", "counted"},      {"instructions", 1000},         {"conditional_branches", 200},
                          {"conditional_mispredicted", 50}, {"indirect_branches", 3}, {"indirect_mispredicted", 1},
                          {"d1_misses", 40},          {"ll_misses", 7}};
    const auto with = [&](const char* key, const Json& value) {
        Json changed = counted;
        changed[key] = value;
        return changed;
    };
    const auto report = [](int version, const Json& machine) {
        Json row = {{"name", "A"}, {"status", "measured"}, {"times_ms", {1.0}}, {"machine_counts", machine}};
        return Json{{"schema_version", version}, {"settings", {{"seed", 5}, {"count", 300}}}, {"rows", {row}}}.dump();
    };
    const std::string bad = "row 1 (\"A\") has machine_counts";
    const struct {
        const char* what;
        std::string text;
        std::string error;
        bool counted;
        MachineCounts counts;
    } cases[] = {
        {"counted", report(4, counted), "", true, {1000, 200, 50, 3, 1, 40, 7}},
        {"not countable", report(4, {{"status", "not-countable"}, {"reason", "no valgrind"}}), "", false, {}},
        {"crashed", report(4, {{"status", "crashed"}, {"crash", "killed"}}), "", false, {}},
        {"version 3 never wrote them", report(3, with("instructions", "many")), "", false, {}},
        {"the largest count", report(4, with("instructions", 4611686018427387903ull)), "", true,
         {4611686018427387903ull, 200, 50, 3, 1, 40, 7}},
        {"a count of 2^62", report(4, with("instructions", 4611686018427387904ull)), bad + " without a count of instructions", false, {}},
        {"a fraction", report(4, with("d1_misses", 4.5)), bad + " without a count of d1_misses", false, {}},
        {"a negative count", report(4, with("ll_misses", -1)), bad + " without a count of ll_misses", false, {}},
        {"a count as text", report(4, with("conditional_branches", "200")),
         bad + " without a count of conditional_branches", false, {}},
        {"a count left out", report(4, Json{{"status", "counted"}, {"instructions", 5}}),
         bad + " without a count of conditional_branches", false, {}},
        // The limits of one run, as the dump reader applies them: each row breaks one.
        {"more misses than branches", report(4, with("conditional_mispredicted", 201)),
         bad + ".conditional_mispredicted = 201, more than its conditional_branches (200): no run gives that", false, {}},
        {"more indirect misses than indirect branches", report(4, with("indirect_mispredicted", 4)),
         bad + ".indirect_mispredicted = 4, more than its indirect_branches (3): no run gives that", false, {}},
        {"more last-level misses than first", report(4, with("ll_misses", 41)),
         bad + ".ll_misses = 41, more than its d1_misses (40): no run gives that", false, {}},
        {"more branches than instructions", report(4, with("instructions", 199)),
         bad + ".conditional_branches + indirect_branches = 203, more than its instructions (199): no run gives that",
         false, {}},
        {"indirect branches 10^17 above 1,000 instructions", report(4, with("indirect_branches", 100000000000000000ull)),
         bad + ".conditional_branches + indirect_branches = 100000000000000200, more than its instructions (1000): "
               "no run gives that", false, {}},
        {"as many branches as instructions", report(4, with("instructions", 203)), "", true, {203, 200, 50, 3, 1, 40, 7}},
        {"no status", report(4, Json{{"instructions", 5}}), bad + " without a status", false, {}},
        {"not an object", report(4, Json::array()), bad + " without a status", false, {}},
    };
    for (const auto& c : cases) {
        const Result<SavedReport> parsed = ParseSavedReport(c.text);
        EXPECT_EQ(static_cast<bool>(parsed), c.error.empty()) << c.what;
        EXPECT_EQ(parsed ? "" : parsed.why(), c.error) << c.what;
        const SavedReport read = parsed ? *parsed : SavedReport{};
        if (!c.error.empty()) continue;
        ASSERT_EQ(read.cells.size(), 1u) << c.what;
        EXPECT_EQ(read.cells[0].machineCounted, c.counted) << c.what;
        EXPECT_TRUE(read.cells[0].machine == c.counts) << c.what;
    }
}

// The exact change of a count, and the cells whose instructions grew by
// more than a limit.
TEST(BenchComparison, MachineCountsChangeExactly) {
    const struct {
        std::uint64_t baseline, current;
        double change;
    } changes[] = {
        {1000, 1000, 0}, {1000, 1010, 0.01}, {1000, 990, -0.01}, {0, 0, 0}, {4000000000ull, 4000000001ull, 2.5e-10},
    };
    for (const auto& c : changes) EXPECT_DOUBLE_EQ(CountChange(c.baseline, c.current), c.change) << c.baseline;
    EXPECT_EQ(CountChange(0, 1), std::numeric_limits<double>::infinity());

    SavedReport before, after;
    before.seed = after.seed = 5;
    const auto cell = [](const char* name, bool counted, std::uint64_t instructions) {
        SavedCell c{name, "", "random", 1000, false, false, {1, 1, 1, 1, 1}, 1, counted, {}};
        c.machine.instructions = instructions;
        return c;
    };
    before.cells = {cell("same", true, 1000), cell("grown 1%", true, 1000), cell("grown 1.1%", true, 1000),
                    cell("shrunk", true, 1000), cell("counted before only", true, 1000), cell("never", false, 0)};
    after.cells = {cell("same", true, 1000), cell("grown 1%", true, 1010), cell("grown 1.1%", true, 1011),
                   cell("shrunk", true, 500), cell("counted before only", false, 5000), cell("never", false, 0)};
    const Comparison comparison = Compare(before, after, kDefaultNoise);
    std::vector<std::string> grown;
    for (const CellComparison* c : MoreInstructions(comparison, 0.01)) grown.push_back(c->name);
    EXPECT_EQ(grown, std::vector<std::string>{"grown 1.1%"});
    grown.clear();
    for (const CellComparison* c : MoreInstructions(comparison, 0)) grown.push_back(c->name);
    EXPECT_EQ(grown, (std::vector<std::string>{"grown 1%", "grown 1.1%"}));
    EXPECT_FALSE(comparison.cells[4].machine);
    EXPECT_TRUE(comparison.cells[0].machine);
}

TEST(BenchSavedReport, ARunReadsBackAsItsOwnCells) {
    Report run;
    run.settings.count = 4000;
    run.settings.seed = 1234;
    run.system = {"Test CPU", 8, 1 << 30, 0, "TestOS", "gcc 99", "-O9"};
    const Contender routine{"Routine C", "Button", nullptr, BoundForm::kExclusiveUpper, false};
    const Contender yardstick{"std::sort", "", nullptr, BoundForm::kExclusiveUpper, true};
    run.rows.resize(2);
    run.rows[0].contender = routine;
    run.rows[0].times = {1.5, 2.5, 3.25};
    run.rows[0].ticks = {1, 2, 3};
    run.rows[1].contender = yardstick;
    run.rows[1].outcome = {End::kFailed, "", {SortCheck::kValues, 17, 5, 4}};
    for (Measurement& row : run.rows) row.count = 4000;

    const Result<SavedReport> parsed = ParseSavedReport(ReportJson(run).dump());
    ASSERT_TRUE(parsed) << parsed.why();
    const SavedReport& read = *parsed;
    const SavedReport current = CurrentReport(run);
    EXPECT_EQ(read.seed, 1234u);
    EXPECT_EQ(read.machine, "Test CPU, 8 cores, TestOS");
    EXPECT_EQ(read.machine, current.machine);
    EXPECT_EQ(read.compiler, current.compiler);
    EXPECT_EQ(read.flags, current.flags);
    ASSERT_EQ(read.cells.size(), 2u);
    ASSERT_EQ(current.cells.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(read.cells[k].name, current.cells[k].name) << k;
        EXPECT_EQ(read.cells[k].pattern, current.cells[k].pattern) << k;
        EXPECT_EQ(read.cells[k].count, current.cells[k].count) << k;
        EXPECT_EQ(read.cells[k].draws, current.cells[k].draws) << k;
        EXPECT_EQ(read.cells[k].label, current.cells[k].label) << k;
        EXPECT_EQ(read.cells[k].reference, current.cells[k].reference) << k;
        EXPECT_EQ(read.cells[k].failed, current.cells[k].failed) << k;
        EXPECT_EQ(read.cells[k].times, current.cells[k].times) << k;
    }
    EXPECT_EQ(read.cells[0].pattern, "window");
    EXPECT_EQ(read.cells[0].count, 4000);
    EXPECT_EQ(read.cells[0].label, "Button");
    EXPECT_TRUE(read.cells[1].failed);
    EXPECT_TRUE(read.cells[1].reference);
}

TEST(BenchComparisonReport, EveryFormatCarriesTheComparison) {
    // Constant times make every resampled ratio 0.5. The p-value, with
    // ties, is the normal approximation's; SciPy 1.10.1 gives 4.657054587626058e-05 for
    //   python3 -c "from scipy.stats import mannwhitneyu as m; print(m([50]*9, [100]*9))"
    const std::vector<double> constant(9, 100);
    SavedReport baseline = Side("base.json", {Cell("Halved", constant), Cell("Gone", kNine)});
    baseline.cells[1].reference = true;
    SavedReport current = Side("this run", {Cell("Halved", Scaled(constant, 0.5))});
    current.compiler = "clang 14";
    const Comparison comparison = Compare(baseline, current, 0.02);

    std::ostringstream plain, coloured, markdown, csv;
    WriteComparisonTable(plain, comparison, false);
    WriteComparisonTable(coloured, comparison, true);
    const std::string table = plain.str();
    EXPECT_EQ(table.rfind("Medians of this run (current) against base.json (baseline); changes within "
                          "2.0% count as noise\nwarning: other compiler: ", 0), 0u) << table;
    EXPECT_NE(table.find("\nHalved            window 1000    100 ms  50.0 ms  -50.0%  "
                         "0.500x [0.500, 0.500]  <0.0001  faster\n"), std::string::npos) << table;
    EXPECT_NE(table.find("\nGone (reference)  window 1000    100 ms        -       -"), std::string::npos)
        << table;
    EXPECT_EQ(table.substr(table.rfind("\n\n")),
              "\n\nOverall: the geometric mean of each contender's change over the cells compared, with its 95% "
              "interval from every cell's runs.\nHalved: 50.0% faster overall [50.0, 50.0] over 1 cell\n");
    EXPECT_EQ(table.find('\x1b'), std::string::npos);
    EXPECT_NE(coloured.str().find("\x1b[32m-50.0%\x1b[0m"), std::string::npos) << coloured.str();
    EXPECT_EQ(coloured.str().find("\x1b[31m"), std::string::npos);

    WriteComparisonMarkdown(markdown, comparison);
    EXPECT_NE(markdown.str().find("| Halved | window 1000 | 100 ms | 50.0 ms | -50.0% | 0.500x \\[0.500, 0.500\\] | "
                                  "&lt;0.0001 | faster |\n| Gone (reference) | window 1000 | 100 ms | - | - | - | - | "
                                  "only in base.json |\n"), std::string::npos) << markdown.str();
    EXPECT_NE(markdown.str().find("\n- Halved: 50.0% faster overall \\[50.0, 50.0\\] over 1 cell\n"), std::string::npos)
        << markdown.str();

    WriteComparisonCsv(csv, comparison);
    EXPECT_EQ(csv.str(),
              "name,reference,pattern,count,type,baseline_runs,current_runs,baseline_median_ms,current_median_ms,"
              "ratio,ratio_ci_low,ratio_ci_high,u,p_value,p_exact,verdict,overall_ratio,overall_low,overall_high\n"
              "Halved,false,window,1000,i32,9,9,100.000000,50.000000,0.5000,0.5000,0.5000,0.0,0.000047,false,faster,"
              "0.5000,0.5000,0.5000\n"
              "Gone,true,window,1000,i32,9,0,100.500000,,,,,,,,only in baseline,,,\n");

    const Json json = ComparisonJson(comparison);
    EXPECT_EQ(json["baseline"], "base.json");
    EXPECT_EQ(json["noise_pct"], 2.0);
    EXPECT_EQ(json["resamples"], kBootstrapResamples);  // nine runs a side: no bound reached
    EXPECT_EQ(json["warnings"].size(), 1u);
    ASSERT_EQ(json["cells"].size(), 2u);
    const Json& halved = json["cells"][0];
    EXPECT_EQ(halved["verdict"], "faster");
    EXPECT_EQ(halved["ratio"], 0.5);
    EXPECT_EQ(halved["change_pct"], -50.0);
    EXPECT_EQ(halved["ratio_ci"], Json::array({0.5, 0.5}));
    EXPECT_EQ(halved["baseline_median_ms"], 100.0);
    EXPECT_NEAR(halved["p_value"].get<double>(), 4.657054587626058e-05, 1e-15);
    EXPECT_EQ(halved["p_exact"], false);
    const Json& gone = json["cells"][1];
    EXPECT_EQ(gone["verdict"], "only in baseline");
    EXPECT_TRUE(gone["current_median_ms"].is_null());
    EXPECT_TRUE(gone["p_value"].is_null());
    // Only the contender compared on both sides has an overall change.
    ASSERT_EQ(json["overall"].size(), 1u);
    EXPECT_EQ(json["overall"][0]["name"], "Halved");
    EXPECT_EQ(json["overall"][0]["cells"], 1);
    EXPECT_EQ(json["overall"][0]["ratio"], 0.5);
}

// Machine counts on both sides: each cell's exact changes of instructions
// and mispredicted branches in every form, "-" for a cell counted on one
// side only, and no columns at all when no cell has them.
TEST(BenchComparisonReport, MachineCountChangesInEveryForm) {
    const auto counted = [](SavedCell cell, std::uint64_t instructions, std::uint64_t misses) {
        cell.machineCounted = true;
        cell.machine = {instructions, 2 * misses, misses, 3, 1, 40, 7};
        return cell;
    };
    const SavedReport baseline = Side("base.json", {counted(Cell("Grown", kNine), 200000, 700),
                                                    counted(Cell("Same", kNine), 5000, 40),
                                                    counted(Cell("Once", kNine), 9000, 90)});
    const SavedReport current = Side("this run", {counted(Cell("Grown", kNine), 201234, 630),
                                                  counted(Cell("Same", kNine), 5000, 40), Cell("Once", kNine)});
    const Comparison comparison = Compare(baseline, current, 0.02);
    const struct {
        std::size_t cell;
        const char* instructions;
        const char* misses;
    } changes[] = {{0, "+1234 (+0.617%)", "-70 (-10.000%)"}, {1, "0 (0.000%)", "0 (0.000%)"}, {2, "-", "-"}};
    const std::vector<std::string> columns = ComparisonHeadings(ComparisonColumns(comparison));
    ASSERT_EQ(columns.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(columns.begin() + 7, columns.end()),
              (std::vector<std::string>{"instructions", "branch misses", "verdict"}));
    std::ostringstream markdown, csv;
    WriteComparisonMarkdown(markdown, comparison);
    WriteComparisonCsv(csv, comparison);
    const Json json = ComparisonJson(comparison);
    for (const auto& c : changes) {
        const std::vector<std::string> cells = ComparisonCells(comparison, comparison.cells[c.cell], ComparisonColumns(comparison));
        EXPECT_EQ(cells[7], c.instructions) << c.cell;
        EXPECT_EQ(cells[8], c.misses) << c.cell;
        EXPECT_NE(markdown.str().find(" | " + std::string(c.instructions) + " | " + c.misses + " | "), std::string::npos)
            << markdown.str();
    }
    EXPECT_NE(markdown.str().find("|---|---|---:|---:|---:|---:|---:|---:|---:|---|\n"), std::string::npos);
    EXPECT_NE(csv.str().find(",verdict,baseline_instructions,current_instructions,instructions_change_pct,"
                             "baseline_conditional_mispredicted,current_conditional_mispredicted,"
                             "conditional_mispredicted_change_pct,overall_ratio,overall_low,overall_high\n"),
              std::string::npos) << csv.str();
    EXPECT_NE(csv.str().find(",200000,201234,0.617000,700,630,-10.000000,1.0000,"), std::string::npos) << csv.str();
    EXPECT_NE(csv.str().find(",5000,5000,0.000000,40,40,0.000000,1.0000,"), std::string::npos) << csv.str();
    EXPECT_NE(csv.str().find("Once,false,window,1000,i32,9,9,"), std::string::npos);
    EXPECT_NE(csv.str().find("no significant change,,,,,,,1.0000,"), std::string::npos) << csv.str();
    const Json& grown = json["cells"][0]["machine_counts"];
    EXPECT_EQ(grown["baseline"]["instructions"], 200000);
    EXPECT_EQ(grown["current"]["conditional_mispredicted"], 630);
    EXPECT_DOUBLE_EQ(grown["instructions_change_pct"].get<double>(), 0.617);
    EXPECT_DOUBLE_EQ(grown["conditional_mispredicted_change_pct"].get<double>(), -10);
    EXPECT_FALSE(json["cells"][2].contains("machine_counts"));
    EXPECT_EQ(CountChangeText(0, 7), "+7");

    const Comparison uncounted = Compare(Side("base.json", {Cell("A", kNine)}), Side("this run", {Cell("A", kNine)}), 0.02);
    EXPECT_EQ(ComparisonColumns(uncounted).size(), 8u);
    std::ostringstream plainCsv;
    WriteComparisonCsv(plainCsv, uncounted);
    EXPECT_EQ(plainCsv.str().find("instructions"), std::string::npos);
}

TEST(BenchComparisonReport, MediansTakeTheUnitThatShowsTheirChange) {
    // A cell of 10,000 values sorts in about 0.4 ms: one decimal of a
    // millisecond would show 0.4 against 0.5 for a change of +19 %.
    const struct {
        double baseline, current;
        std::vector<std::string> cells;  // baseline, current, change
    } rows[] = {
        {0.405, 0.482, {"405 \u00b5s", "482 \u00b5s", "+19.0%"}},
        {0.0204, 0.0180, {"20.4 \u00b5s", "18.0 \u00b5s", "-11.8%"}},
        {0.00085, 0.00090, {"850 ns", "900 ns", "+5.9%"}},
        {1.5, 1.6, {"1.50 ms", "1.60 ms", "+6.7%"}},
        {2500, 2600, {"2.50 s", "2.60 s", "+4.0%"}},
    };
    for (const auto& row : rows) {
        // kNine's median is 100.5.
        const Comparison comparison = Compare(Side("base.json", {Cell("Quick", Scaled(kNine, row.baseline / 100.5))}),
                                              Side("this run", {Cell("Quick", Scaled(kNine, row.current / 100.5))}), 0.02);
        ASSERT_EQ(comparison.cells.size(), 1u);
        const std::vector<std::string> cells = ComparisonCells(comparison, comparison.cells[0], ComparisonColumns(comparison));
        EXPECT_EQ(std::vector<std::string>(cells.begin() + 2, cells.begin() + 5), row.cells) << row.baseline;
        std::ostringstream csv;
        WriteComparisonCsv(csv, comparison);
        EXPECT_NE(csv.str().find("," + Fixed(row.baseline, 6) + "," + Fixed(row.current, 6) + ","), std::string::npos)
            << csv.str();
    }
}

TEST(BenchComparisonReport, ChartPairsABaselineBarWithACurrentBar) {
    const Comparison comparison = Compare(Side("base.json", {Cell("Halved", kNine), Cell("Gone", kNine)}),
                                          Side("this run", {Cell("Halved", Scaled(kNine, 0.5))}), 0.02);
    std::ostringstream out;
    WriteComparisonChart(out, comparison);
    const std::string svg = out.str();
    const std::regex bar("<rect data-role=\"bar (baseline|current)\" x=\"[0-9.]+\" y=\"([0-9.]+)\" "
                         "width=\"([0-9.]+)\"[^>]*><title>([^<]*)</title>");
    std::vector<std::smatch> bars;
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), bar); it != std::sregex_iterator(); ++it)
        bars.push_back(*it);
    ASSERT_EQ(bars.size(), 3u) << svg;
    EXPECT_EQ(bars[0][1], "baseline");
    EXPECT_EQ(bars[0][4], "Halved, base.json: median 100 ms");
    EXPECT_EQ(bars[1][1], "current");
    EXPECT_EQ(bars[1][4], "Halved, this run: median 50.2 ms");
    EXPECT_EQ(bars[2][1], "baseline");
    EXPECT_EQ(bars[2][4], "Gone, base.json: median 100 ms");
    EXPECT_NEAR(std::stod(bars[1][3]) / std::stod(bars[0][3]), 0.5, 0.002);
    EXPECT_LT(std::stod(bars[0][2]), std::stod(bars[1][2]));  // the baseline's bar on top
    EXPECT_NE(svg.find(">-50.0% faster</text>"), std::string::npos);
    EXPECT_NE(svg.find(">only in base.json</text>"), std::string::npos);
}
