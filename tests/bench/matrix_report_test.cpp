// Timing of small sorts in batches, the units of the table, the matrix
// reports read back (the table by cell, long-form CSV and JSON, the
// markdown pivot, the crosses of the scaling chart), and the files and
// exit status when the command line or an output is wrong.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "bench/measure/batch.h"
#include "bench/app/measure_command.h"
#include "bench/app/options.h"
#include "bench/app/new_file.h"
#include "bench/app/output_file.h"
#include "bench/measure/reference_sorts.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/patterns.h"
#include "bench/measure/repetitions.h"
#include "bench/compare/comparison.h"
#include "bench/compare/comparison_report.h"
#include "bench/report/columns.h"
#include "bench/report/format.h"
#include "bench/export/forms.h"
#include "bench/report/report.h"
#include "bench/report/writers.h"
#include "core/benchmark_run.h"
#include "tests/bench/test_routines.h"

namespace {

// What the fake clock saw of the batch's copies each time it was read.
struct ClockWatch {
    const std::vector<std::int32_t>* data = nullptr;
    const std::vector<std::int32_t>* copies = nullptr;
    int batch = 0;
    std::vector<int> freshCopies;   // copies still equal to the data, per reading
    std::vector<int> sortedCopies;  // copies in order from slot 1 on, per reading
};
ClockWatch watch;
int sortsCalled = 0;

// Reads the copies as TimeBatch lays them out: each followed by its guard slot.
double WatchingClock() {
    const std::size_t n = watch.data->size();
    const std::size_t stride = n + 1;
    int fresh = 0, sorted = 0;
    for (int k = 0; k < watch.batch && watch.copies->size() >= stride * static_cast<std::size_t>(k + 1); ++k) {
        const auto first = watch.copies->begin() + static_cast<std::ptrdiff_t>(stride) * k;
        fresh += std::equal(first, first + static_cast<std::ptrdiff_t>(n), watch.data->begin()) ? 1 : 0;
        sorted += std::is_sorted(first + 1, first + static_cast<std::ptrdiff_t>(n)) ? 1 : 0;
    }
    watch.freshCopies.push_back(fresh);
    watch.sortedCopies.push_back(sorted);
    return 10.0 * static_cast<double>(watch.freshCopies.size());  // 10, then 20 ms
}

void CountingSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    ++sortsCalled;
    std::sort(slots + lo, slots + hi);
}

// Sorts, except that its third call leaves slot 17 above slot 18.
void BrokenOnThirdCall(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    CountingSort(slots, lo, hi);
    if (sortsCalled == 3) std::swap(slots[17], slots[18]);
}

// One data set sorted again and again: the cell of a shape without a seed.
CellData OneDataSet(const std::vector<std::int32_t>& values) {
    return CellData{FindPattern("ascending"), static_cast<std::int32_t>(values.size()), 1, false, values};
}

const Contender kCounting{"Counting", "", CountingSort, BoundForm::kExclusiveUpper, false, 1};
const Contender kBrokenOnThird{"Third", "", BrokenOnThirdCall, BoundForm::kExclusiveUpper, false, 1};

Contender Named(const std::string& name, bool reference, int threads = 1) {
    return Contender{name, reference ? "" : "L", CountingSort, BoundForm::kExclusiveUpper, reference, threads};
}

Measurement Cell(const Contender& contender, const std::string& pattern, std::int32_t count,
                 std::vector<double> times, End end = End::kMeasured) {
    Measurement row;
    row.contender = contender;
    row.pattern = pattern;
    row.count = count;
    row.times = std::move(times);
    row.ticks.assign(row.times.size(), 0);
    row.outcome.end = end;
    row.batch = 7;
    return row;
}

// Two shapes at one size: a routine in microseconds, the baseline, a
// parallel reference, and one row for each way a cell can end unfinished.
Report MatrixReport() {
    Report report;
    report.settings.timeLimitSeconds = 10;
    report.settings.runs = 3;
    report.system.cpu = "Test CPU";
    report.system.cores = 2;
    report.patterns = {"ascending", "random"};
    report.counts = {1001};
    const Contender routine = Named("Quick", false), baseline = Named(kBaselineName, true),
                    parallel = Named("par sort", true, 4), hungry = Named("Hungry", false);
    for (const std::string& pattern : report.patterns) {
        const double scale = pattern == "ascending" ? 1 : 100;
        report.rows.push_back(Cell(routine, pattern, 1001, {0.0046 * scale, 0.0050 * scale, 0.0048 * scale}));
        report.rows.push_back(Cell(baseline, pattern, 1001, {0.0020 * scale, 0.0020 * scale, 0.0020 * scale}));
        report.rows.push_back(Cell(parallel, pattern, 1001, {0.000850, 0.000850, 0.000850}));
        report.rows.push_back(Cell(hungry, pattern, 1001, {}, pattern == "ascending" ? End::kStackExhausted
                                                                                    : End::kPredictedOver));
    }
    report.rows.back().predictedMs = 312000;
    Measurement over = Cell(Named("Slow", false), "random", 1001, {}, End::kOverLimit);
    Measurement broken = Cell(Named("Broken", false), "random", 1001, {});
    broken.outcome = {End::kFailed, "", {SortCheck::kOrder, 17}};
    Measurement crashed = Cell(Named("Crash, \"bad\"", false), "random", 1001, {}, End::kCrashed);
    crashed.outcome.detail = "killed by signal 11 (Segmentation fault)";
    Measurement changed = Cell(Named("Changed", false), "random", 1001, {});
    changed.outcome = {End::kFailed, "", {SortCheck::kValues, 3, 7, 4}};
    Measurement spilled = Cell(Named("Spilled", false), "random", 1001, {});
    spilled.outcome = {End::kFailed, "", {SortCheck::kRange, 1001}};
    report.rows.insert(report.rows.end(), {over, broken, crashed, changed, spilled});
    return report;
}

std::vector<std::string> CsvFields(const std::string& line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t k = 0; k < line.size(); ++k) {
        const char c = line[k];
        if (c == '"' && quoted && k + 1 < line.size() && line[k + 1] == '"') fields.back() += line[++k];
        else if (c == '"') quoted = !quoted;
        else if (c == ',' && !quoted) fields.emplace_back();
        else fields.back() += c;
    }
    return fields;
}

// The cells of a table line, split where two or more spaces stand.
std::vector<std::string> TableCells(const std::string& line) {
    std::vector<std::string> cells;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t gap = line.find("  ", at);
        cells.push_back(line.substr(at, gap - at));
        if (gap == std::string::npos) break;
        at = line.find_first_not_of(' ', gap);
    }
    return cells;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

}  // namespace

TEST(BenchBatch, CopiesAreMadeBeforeTheClockStartsAndCheckedAfterItStops) {
    std::vector<std::int32_t> data = {9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
    Copies<std::int32_t> copies;
    watch = ClockWatch{&data, &copies.slots, 4, {}, {}};
    sortsCalled = 0;
    const Sample timing = TimeBatch(kCounting, OneDataSet(data), 0, 4, copies, WatchingClock);
    EXPECT_EQ(sortsCalled, 4);
    EXPECT_EQ(watch.freshCopies, (std::vector<int>{4, 0}));   // start: four fresh copies
    EXPECT_EQ(watch.sortedCopies, (std::vector<int>{0, 4}));  // stop: all four sorted
    EXPECT_DOUBLE_EQ(timing.perSortMs, 10.0 / 4);
    EXPECT_FALSE(timing.failure.failed());
    EXPECT_EQ(data, (std::vector<std::int32_t>{9, 8, 7, 6, 5, 4, 3, 2, 1, 0}));  // the original untouched
}

TEST(BenchBatch, AFailedCopyIsFoundWhereverItIsInTheBatch) {
    std::vector<std::int32_t> data(40);
    for (std::size_t k = 0; k < data.size(); ++k) data[k] = static_cast<std::int32_t>(data.size() - k);
    Copies<std::int32_t> copies;
    watch = ClockWatch{&data, &copies.slots, 4, {}, {}};
    sortsCalled = 0;
    const SortFailure third = TimeBatch(kBrokenOnThird, OneDataSet(data), 0, 4, copies, WatchingClock).failure;
    EXPECT_EQ(third.check, SortCheck::kOrder);
    EXPECT_EQ(third.slot, 17);
    EXPECT_FALSE(TimeBatch(kBrokenOnThird, OneDataSet(data), 4, 4, copies, WatchingClock).failure.failed());  // calls 5 to 8
}

TEST(BenchBatch, BatchSizeReachesTheMinimumTimeWithinItsMemory) {
    struct Case {
        double oneSortMs, minTimeMs, timeLimitMs;
        std::int32_t count;
        int expected;
    } cases[] = {
        {0.01, 5, 1e4, 1000, 500},     {0.011, 5, 1e4, 1000, 455}, {5, 5, 1e4, 1000, 1},
        {300, 5, 1e4, 5000000, 1},     {4.99, 5, 1e4, 1000, 2},    {0, 5, 1e4, 1000, static_cast<int>(kBatchBytes / 4000)},
        {1e-6, 5, 1e4, 10000000, 1},   // a batch of copies would not fit: one copy
        {1e-6, 5, 1e4, 4000000, 4},    // 64 MiB hold four copies of 16 MB
        {1, 5000, 1000, 1000, 500},    // the limit is per sort: a batch lasts half of it at most
        {1, 5000, 10001, 1000, 5000},  // ... and the minimum time where that is shorter
        {800, 5000, 1000, 1000, 1},    // a sort longer than half the limit is a sample of its own
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatchSize(c.oneSortMs, c.minTimeMs, c.timeLimitMs, c.count), c.expected)
            << c.oneSortMs << ' ' << c.minTimeMs << ' ' << c.timeLimitMs << ' ' << c.count;
}

// A clock that only the sorts move, each call by its cost in callCosts
// (the last for every later call): the batches found are exact, whatever
// the machine does meanwhile.
double costedNow = 0;
std::vector<double> callCosts;

double CostedClock() {
    return costedNow;
}

void CostingSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    costedNow += callCosts[std::min(static_cast<std::size_t>(sortsCalled), callCosts.size() - 1)];
    CountingSort(slots, lo, hi);
}

TEST(BenchBatch, TheBatchIsFoundFirstAndAgainWarmAtTheFirstTimedRepetition) {
    const Contender costing{"Costing", "", CostingSort, BoundForm::kExclusiveUpper, false, 1};
    // A sample lasts 2 ms at least: four sorts of 0.5 ms.
    const struct Case {
        const char* what;
        std::vector<double> costs;
        int warmup;
        std::vector<int> batches;  // of each repetition, warm-ups first
    } cases[] = {
        {"steady", {0.5}, 1, {4, 4, 4, 4}},
        {"a slow first call", {300, 0.5}, 1, {1, 4, 4, 4}},
        {"slow first calls, two warm-ups", {300, 300, 0.5}, 2, {1, 1, 4, 4, 4}},
        {"a slow first call, no warm-up: the user's to see", {300, 0.5}, 0, {1, 1, 1}},
        {"slow only once warm", {0.5, 0.5, 0.5, 0.5, 0.5, 3}, 1, {4, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        MeasureSettings settings;
        settings.count = 200;
        settings.runs = 3;
        settings.warmup = c.warmup;
        settings.minTimeMs = 2;
        const Result<CellData> generated = GenerateData(settings);
        ASSERT_TRUE(generated) << generated.why();
        Copies<std::int32_t> copies;
        callCosts = c.costs;
        sortsCalled = 0;
        std::vector<int> batches;
        std::int64_t drawn = 0;
        for (const Repetition& r : Schedule(1, settings)) {
            const std::optional<int> batch =
                FindsBatch(r, settings) ? std::nullopt : std::optional<int>(batches.back());
            const Sample s = RunRepetition(costing, *generated, settings, drawn, batch, copies, CostedClock);
            batches.push_back(s.batch);
            drawn = s.draws;
            // Every sort took a draw of its own, the finding ones too.
            EXPECT_EQ(drawn, sortsCalled) << c.what;
        }
        EXPECT_EQ(batches, c.batches) << c.what;
    }
}

TEST(BenchUnits, DurationsKeepThreeFiguresInTheirUnit) {
    const std::pair<double, const char*> cases[] = {
        {0.000000850, "0.85 ns"}, {0.0000085, "8.50 ns"},  {0.000085, "85.0 ns"},  {0.00085, "850 ns"},
        {0.0009994, "999 ns"},    {0.0009996, "1.00 \u00b5s"}, {0.00452, "4.52 \u00b5s"}, {0.0452, "45.2 \u00b5s"},
        {0.452, "452 \u00b5s"},   {4.52, "4.52 ms"},     {312.1, "312 ms"},     {999.4, "999 ms"},
        {999.6, "1.00 s"},        {12400, "12.4 s"},     {3.12e6, "3120 s"},    {0, "0.00 ns"},
    };
    for (const auto& [ms, text] : cases) EXPECT_EQ(Duration(ms), text) << ms;
}

TEST(BenchMatrixReport, TableGroupsByShapeAndSizeWithUnitsAndReasons) {
    std::ostringstream out;
    WriteReport(out, MatrixReport(), ReportFormat::kTable);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_GE(lines.size(), 20u) << out.str();
    EXPECT_EQ(lines[0].rfind("shapes ascending, random at 1001 values, time limit 10 s, from seed", 0), 0u) << lines[0];
    EXPECT_EQ(lines[2], "ascending, 1001 values");
    EXPECT_EQ(TableCells(lines[3]),
              (std::vector<std::string>{"Routine", "min", "median", "mean +- sd", "max", "ns/element", "vs std::sort"}));
    EXPECT_EQ(TableCells(lines[4]), (std::vector<std::string>{"Quick", "4.60 \u00b5s", "4.80 \u00b5s",
                                                              "4.80 \u00b5s +- 4.2%", "5.00 \u00b5s", "4.80", "2.40x"}));
    EXPECT_EQ(TableCells(lines[6]),
              (std::vector<std::string>{"par sort (reference, 4 threads)", "850 ns", "850 ns", "850 ns +- 0.0%",
                                        "850 ns", "0.85", "0.42x"}));
    EXPECT_EQ(TableCells(lines[7]), (std::vector<std::string>{"Hungry", "stack exhausted"}));
    EXPECT_EQ(lines[9], "random, 1001 values");
    EXPECT_EQ(TableCells(lines[11])[2], "480 \u00b5s");
    EXPECT_EQ(TableCells(lines[14]), (std::vector<std::string>{"Hungry", "predicted over 10 s (about 312 s)"}));
    EXPECT_EQ(TableCells(lines[15]), (std::vector<std::string>{"Slow", "over 10 s"}));
    EXPECT_EQ(TableCells(lines[16]), (std::vector<std::string>{"Broken", "failed at slot 17"}));
    EXPECT_EQ(TableCells(lines[18]),
              (std::vector<std::string>{"Changed", "changed its values: slot 3 holds 7 where the sorted input holds 4"}));
    EXPECT_EQ(TableCells(lines[19]), (std::vector<std::string>{"Spilled", "wrote outside its range at slot 1001"}));
    // Columns line up on screen: the figures end in one column, whatever bytes µ takes.
    const auto width = [](const std::string& line) {
        return std::count_if(line.begin(), line.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
    };
    EXPECT_EQ(width(lines[3]), width(lines[4]));
    EXPECT_EQ(width(lines[4]), width(lines[6]));
}

TEST(BenchMatrixReport, LongFormCsvReadsBackOneLinePerCellWithEveryRepetition) {
    const Report report = MatrixReport();
    std::ostringstream out;
    WriteReport(out, report, ReportFormat::kCsv);
    const std::vector<std::string> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), report.rows.size() + 1);
    const std::vector<std::string> header = CsvFields(lines[0]);
    const auto column = [&](const std::vector<std::string>& fields, const std::string& name) {
        const auto at = std::find(header.begin(), header.end(), name);
        EXPECT_NE(at, header.end()) << name;
        return fields.at(static_cast<std::size_t>(at - header.begin()));
    };
    for (std::size_t k = 0; k < report.rows.size(); ++k) {
        const Measurement& row = report.rows[k];
        const std::vector<std::string> fields = CsvFields(lines[k + 1]);
        ASSERT_EQ(fields.size(), header.size()) << lines[k + 1];
        EXPECT_EQ(column(fields, "name"), row.contender.name);
        EXPECT_EQ(column(fields, "pattern"), row.pattern);
        EXPECT_EQ(column(fields, "count"), "1001");
        EXPECT_EQ(column(fields, "threads"), std::to_string(row.contender.threads));
        EXPECT_EQ(column(fields, "batch"), "7");
        std::istringstream times(column(fields, "times_ms"));
        std::vector<double> read;
        for (double t; times >> t;) read.push_back(t);
        ASSERT_EQ(read.size(), row.times.size()) << lines[k + 1];
        for (std::size_t r = 0; r < read.size(); ++r) EXPECT_NEAR(read[r], row.times[r], 5e-7);
    }
    const std::vector<std::string> quick = CsvFields(lines[1]);
    EXPECT_EQ(column(quick, "median_ms"), "0.004800");
    EXPECT_EQ(column(quick, "ns_per_element"), "4.800");
    EXPECT_EQ(column(quick, "ratio_to_std_sort"), "2.4000");
    EXPECT_EQ(column(quick, "status"), "measured");
    const struct {
        std::size_t line;
        const char* status;
        const char* slot;
        const char* check;
    } failures[] = {
        {1, "measured", "", ""},
        {4, "stack exhausted", "", ""},
        {10, "failed at slot 17", "17", "order"},
        {12, "changed its values: slot 3 holds 7 where the sorted input holds 4", "3", "values"},
        {13, "wrote outside its range at slot 1001", "1001", "range"},
    };
    for (const auto& f : failures) {
        const std::vector<std::string> fields = CsvFields(lines[f.line]);
        EXPECT_EQ(column(fields, "status"), f.status);
        EXPECT_EQ(column(fields, "failed_slot"), f.slot) << f.status;
        EXPECT_EQ(column(fields, "failed_check"), f.check) << f.status;
    }
    EXPECT_EQ(column(CsvFields(lines[10]), "median_ms"), "");
    EXPECT_EQ(column(CsvFields(lines[11]), "status"), "crashed: killed by signal 11 (Segmentation fault)");
    EXPECT_EQ(column(CsvFields(lines[11]), "name"), "Crash, \"bad\"");
}

TEST(BenchMatrixReport, JsonRowsCarryTheirCellAndEveryRepetition) {
    const Report report = MatrixReport();
    std::ostringstream out;
    WriteReport(out, report, ReportFormat::kJson);
    const nlohmann::json json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["settings"]["patterns"], (std::vector<std::string>{"ascending", "random"}));
    EXPECT_EQ(json["settings"]["counts"], (std::vector<int>{1001}));
    EXPECT_EQ(json["settings"]["seed"], 87654321u);
    EXPECT_FALSE(json["settings"].contains("count"));
    ASSERT_EQ(json["rows"].size(), report.rows.size());
    for (std::size_t k = 0; k < report.rows.size(); ++k) {
        const nlohmann::json& row = json["rows"][k];
        EXPECT_EQ(row["name"], report.rows[k].contender.name);
        EXPECT_EQ(row["pattern"], report.rows[k].pattern);
        EXPECT_EQ(row["count"], 1001);
        EXPECT_EQ(row["times_ms"].get<std::vector<double>>(), report.rows[k].times);
    }
    EXPECT_DOUBLE_EQ(json["rows"][0]["ns_per_element"].get<double>(), 4.8);
    EXPECT_EQ(json["rows"][2]["threads"], 4);
    EXPECT_FALSE(json["rows"][3].contains("median_ms"));
}

// A row's status is a value to switch on; why a cell has no figures is in
// fields of its own, present only where they say something.
TEST(BenchMatrixReport, JsonStatusIsAValueWithItsDetailsBeside) {
    std::ostringstream out;
    WriteReport(out, MatrixReport(), ReportFormat::kJson);
    const nlohmann::json rows = nlohmann::json::parse(out.str())["rows"];
    const nlohmann::json none;
    const struct {
        std::size_t row;
        const char* status;
        nlohmann::json details;  // the failure's fields, time_limit_s, predicted_ms and crash, those present
    } cases[] = {
        {0, "measured", {{"failed_slot", none}, {"failed_check", none}}},
        {3, "stack-exhausted", {{"failed_slot", none}, {"failed_check", none}}},
        {7, "predicted-over",
         {{"failed_slot", none}, {"failed_check", none}, {"time_limit_s", 10.0}, {"predicted_ms", 312000.0}}},
        {8, "over-time-limit", {{"failed_slot", none}, {"failed_check", none}, {"time_limit_s", 10.0}}},
        {9, "failed", {{"failed_slot", 17}, {"failed_check", "order"}}},
        {10, "crashed",
         {{"failed_slot", none}, {"failed_check", none}, {"crash", "killed by signal 11 (Segmentation fault)"}}},
        {11, "failed", {{"failed_slot", 3}, {"failed_check", "values"}, {"held_value", 7}, {"expected_value", 4}}},
        {12, "failed", {{"failed_slot", 1001}, {"failed_check", "range"}}},
    };
    ASSERT_EQ(rows.size(), 13u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        const nlohmann::json& row = rows[c.row];
        EXPECT_EQ(row["status"], c.status);
        nlohmann::json details = nlohmann::json::object();
        for (const char* key : {"failed_slot", "failed_check", "held_value", "expected_value", "time_limit_s",
                                "predicted_ms", "crash"})
            if (row.contains(key)) details[key] = row[key];
        EXPECT_EQ(details, c.details);
        EXPECT_EQ(row.contains("median_ms"), c.row == 0);
    }
}

namespace {

// The window's form: one cell of 1001 values, a routine in microseconds,
// std::sort, and a routine whose sorts failed.
Report WindowReport() {
    Report report;
    report.settings.count = 1001;
    report.settings.runs = 3;
    report.system.cpu = "Test CPU";
    report.counts = {1001};
    report.rows = {Cell(Named("Quick", false), "window", 1001, {0.400, 0.410, 0.405}),
                   Cell(Named(kBaselineName, true), "window", 1001, {0.25, 0.25, 0.25}),
                   Cell(Named("Broken", false), "window", 1001, {})};
    report.rows.back().outcome = {End::kFailed, "", {SortCheck::kOrder, 17}};
    return report;
}

Report CountedReport() {
    Report report = MatrixReport();
    report.settings.operations = true;
    return report;
}

Comparison AgainstItself(const Report& report) {
    SavedReport saved;
    saved.source = "base.json";
    for (const Measurement& row : report.rows)
        if (!row.times.empty()) {
            SavedCell cell;
            cell.name = row.contender.name;
            cell.pattern = row.pattern;
            cell.count = row.count;
            cell.reference = row.contender.reference;
            cell.times = row.times;
            saved.cells.push_back(cell);
        }
    SavedReport current = saved;
    current.source = "this run";
    return Compare(saved, current, 0.02);
}

std::string Written(ReportFormat format, const Report& report) {
    std::ostringstream out;
    WriteReport(out, report, format);
    return out.str();
}

std::string WrittenCompared(ReportFormat format, const Report* report, const Comparison& comparison) {
    std::ostringstream out;
    WriteComparedReport(out, report, comparison, format, false);
    return out.str();
}

}  // namespace

TEST(BenchReportForms, EachFormWritesItsOwnKindInEveryRole) {
    const Report window = WindowReport(), matrix = MatrixReport();
    const Comparison comparison = AgainstItself(matrix);
    const std::string matrixStart = "shapes ascending, random at 1001 values, time limit 10 s, from seed";
    const struct {
        ReportFormat format;
        std::string window, matrix, compared, saved;  // how each output starts
        std::string comparedHolds;                     // and what the run with its comparison holds
    } rows[] = {
        {ReportFormat::kTable, "1001 values from seed", matrixStart, matrixStart, "Medians of this run",
         "\nascending, 1001 values\nRoutine  "},
        {ReportFormat::kMarkdown, "1001 values from seed", matrixStart, matrixStart, "Medians of this run",
         "\n| Routine | ascending | random |\n"},
        {ReportFormat::kJson, "{\n", "{\n", "{\n", "{\n", "\"comparison\": {"},
        {ReportFormat::kCsv, "name,label,reference,runs,draws,min_ms,", "name,label,reference,threads,pattern,",
         "name,reference,pattern,count,type,baseline_runs,", "name,reference,pattern,count,type,baseline_runs,", ""},
        {ReportFormat::kHtml, "<!DOCTYPE html>", "<!DOCTYPE html>", "<!DOCTYPE html>", "<!DOCTYPE html>",
         "<h2>Comparison</h2>"},
        {ReportFormat::kSvg, "<?xml", "<?xml", "<?xml", "<?xml", "Median sort time: grey base.json, blue this run"},
    };
    for (const auto& row : rows) {
        const std::string name = FormOf(row.format).name;
        const std::string compared = WrittenCompared(row.format, &matrix, comparison);
        EXPECT_EQ(Written(row.format, window).rfind(row.window, 0), 0u) << name;
        EXPECT_EQ(Written(row.format, matrix).rfind(row.matrix, 0), 0u) << name;
        EXPECT_EQ(compared.rfind(row.compared, 0), 0u) << name << '\n' << compared;
        EXPECT_EQ(WrittenCompared(row.format, nullptr, comparison).rfind(row.saved, 0), 0u) << name;
        EXPECT_NE(compared.find(row.comparedHolds), std::string::npos) << name << '\n' << compared;
    }
    EXPECT_EQ(nlohmann::json::parse(WrittenCompared(ReportFormat::kJson, &matrix, comparison))["rows"].size(), matrix.rows.size());
}

TEST(BenchReportForms, OneSetOfColumnsInEveryFormThatShowsThem) {
    using Words = std::vector<std::string>;
    const Words counted = {"cmp/element", "exch/element", "depth", "cmp/(n log2 n)", "stack"};
    const Words countedFields = {"operations_status", "comparisons", "exchanges", "calls", "depth",
                                 "comparisons_per_n_log2_n", "stack_bytes"};
    const auto joined = [](Words first, const Words& second) {
        first.insert(first.end(), second.begin(), second.end());
        return first;
    };
    const Words matrixText = {"Routine", "min", "median", "mean +- sd", "max", "ns/element", "vs std::sort"};
    const Words matrixFields = {"name", "label", "reference", "threads", "pattern", "count", "type", "runs", "batch", "draws",
                          "min_ms", "median_ms", "mean_ms", "stddev_ms", "max_ms", "ns_per_element",
                          "ratio_to_std_sort", "status", "failed_slot", "failed_check", "times_ms"};
    const struct {
        const char* form;
        Report report;
        Words text, fields;
        std::size_t headingLine;  // of the aligned table
    } rows[] = {
        {"window", WindowReport(),
         {"Routine", "min", "median", "mean +- sd", "max", "Melem/s", "vs std::sort"},
         {"name", "label", "reference", "runs", "draws", "min_ms", "median_ms", "mean_ms", "stddev_ms", "max_ms",
          "throughput_meps", "ratio_to_std_sort", "failed_slot", "failed_check"},
         2},
        {"matrix", MatrixReport(), matrixText, matrixFields, 3},
        {"counted", CountedReport(), joined(matrixText, counted), joined(matrixFields, countedFields), 3},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Headings(TextColumns(row.report)), row.text) << row.form;
        EXPECT_EQ(FieldNames(FieldColumns(row.report)), row.fields) << row.form;
        // Every heading has a field, which the forms that sort by it read.
        for (const Column* column : TextColumns(row.report)) EXPECT_NE(column->field, nullptr) << column->heading;
        const std::vector<std::string> table = Lines(Written(ReportFormat::kTable, row.report));
        ASSERT_GT(table.size(), row.headingLine) << row.form;
        EXPECT_EQ(TableCells(table[row.headingLine]), row.text) << row.form;
        // The matrix's CSV carries each contender's summary after its columns.
        const Words summary = IsMatrix(row.report) ? Words{"overall_ratio", "overall_low", "overall_high"} : Words{};
        EXPECT_EQ(CsvFields(Lines(Written(ReportFormat::kCsv, row.report))[0]), joined(row.fields, summary)) << row.form;
    }
}

namespace {

// One shape at two sizes with machine counts: two contenders counted, and
// one row for each way a count can end without counts.
Report MachineReport() {
    Report report;
    report.settings.machineCounts = true;
    report.settings.timeLimitSeconds = 10;
    report.settings.runs = 3;
    report.system.cpu = "Test CPU";
    report.patterns = {"random"};
    report.counts = {1001, 10001};
    const auto counted = [](Measurement row, const MachineCounts& counts) {
        row.machine.outcome.end = End::kCounted;
        row.machine.counts = counts;
        return row;
    };
    const auto ended = [](Measurement row, End end, const std::string& why) {
        row.machine.outcome.end = end;
        row.machine.outcome.detail = why;
        return row;
    };
    const std::vector<double> times = {0.05, 0.05, 0.05};
    for (const std::int32_t count : report.counts) {
        const std::uint64_t n = static_cast<std::uint64_t>(count - 1);
        report.rows.push_back(counted(Cell(Named("Quick", false), "random", count, times),
                                      {224 * n, 42 * n, 7 * n + n / 10, 3, 1, n / 4, n / 20}));
        report.rows.push_back(counted(Cell(Named(kBaselineName, true), "random", count, times),
                                      {129 * n, 24 * n, 7 * n, 0, 0, n / 2, n / 8}));
    }
    Measurement parallel = ended(Cell(Named("par sort", true, 4), "random", 1001, times), End::kNotCountable,
                                 "sorts on 4 threads, which valgrind runs one at a time");
    Measurement crashed = ended(Cell(Named("Crash", false), "random", 1001, times), End::kCrashed,
                                "killed by signal 11 (Segmentation fault)");
    Measurement over = ended(Cell(Named("Slow", false), "random", 1001, times), End::kOverLimit, "");
    Measurement untimed = ended(Cell(Named("Untimed", false), "random", 1001, {}, End::kOverLimit),
                                End::kNotTimed, "");
    Measurement broken = ended(Cell(Named("Broken", false), "random", 1001, times), End::kFailed, "");
    broken.machine.outcome.failure = {SortCheck::kOrder, 17};
    report.rows.insert(report.rows.end(), {parallel, crashed, over, untimed, broken});
    return report;
}

}  // namespace

// Every figure of the machine counts in every form, exactly; a row without
// them says why in each.
TEST(BenchReportForms, MachineCountsInEveryFormWithTheReasonForNone) {
    const Report report = MachineReport();
    using Words = std::vector<std::string>;
    EXPECT_EQ(Headings(TextColumns(report)),
              (Words{"Routine", "min", "median", "mean +- sd", "max", "ns/element", "vs std::sort", "instr/element",
                     "br miss/element", "D1 miss/element"}));
    // The first sizes's rows: what each form shows of Quick, std::sort and
    // the five without counts.
    const struct {
        ReportFormat format;
        Words holds;
    } forms[] = {
        {ReportFormat::kMarkdown,
         {"| Quick | 224.0 / 7.10 / 0.250 | 224.0 / 7.10 / 0.250 |", "| par sort (reference, 4 threads) | n/a |",
          "| Crash | crashed: killed by signal 11 (Segmentation fault) |", "| Slow | over 1000 s |",
          "simulated caches (I1 32768 B 8-way 64 B lines, D1 32768 B 8-way 64 B lines, LL 8388608 B 16-way 64 B "
          "lines)"}},
        {ReportFormat::kHtml,
         {"<td data-v=\"224000\">224.0</td><td data-v=\"7100\">7.10</td><td data-v=\"250\">0.250</td>",
          "<td data-v=\"\">n/a</td>", "value=\"branch-misses\"/> branch misses"}},
        {ReportFormat::kSvg,
         {"Mispredicted branches per element against size", "Quick, random, 1001 values: 7.100 mispredicted branches/element",
          "std::sort, random, 10001 values: 7.000 mispredicted branches/element", "par sort, random, 1001 values: n/a",
          "Slow, random, 1001 values: over 1000 s", "Untimed, random, 1001 values: over 10 s"}},
    };
    // The table: the last cells of each row of the first size.
    const std::map<std::string, Words> ends = {
        {"Quick", {"224.0", "7.10", "0.250"}},
        {"std::sort (reference)", {"129.0", "7.00", "0.500"}},
        {"par sort (reference, 4 threads)", {"1.00x", "n/a"}},
        {"Crash", {"1.00x", "crashed: killed by signal 11 (Segmentation fault)"}},
        {"Slow", {"1.00x", "over 1000 s"}},
        {"Untimed", {"Untimed", "over 10 s"}},
        {"Broken", {"1.00x", "failed at slot 17"}},
    };
    const std::vector<std::string> table = Lines(Written(ReportFormat::kTable, report));
    ASSERT_GT(table.size(), 4 + ends.size());
    for (std::size_t k = 4; k < 4 + ends.size(); ++k) {
        const Words cells = TableCells(table[k]);
        const Words& end = ends.at(cells[0]);
        ASSERT_GE(cells.size(), end.size()) << table[k];
        EXPECT_EQ(Words(cells.end() - static_cast<std::ptrdiff_t>(end.size()), cells.end()), end) << table[k];
    }
    for (const auto& form : forms) {
        const std::string written = Written(form.format, report);
        for (const std::string& part : form.holds)
            EXPECT_NE(written.find(part), std::string::npos) << FormOf(form.format).name << " lacks " << part << "\n"
                                                             << written;
    }

    // CSV: whole counts and six decimals per element, and the reason.
    const std::vector<std::string> csv = Lines(Written(ReportFormat::kCsv, report));
    const Words heading = CsvFields(csv[0]);
    const auto field = [&](std::size_t line, const std::string& name) {
        const auto at = std::find(heading.begin(), heading.end(), name);
        return at == heading.end() ? std::string("no field ") + name : CsvFields(csv[line])[at - heading.begin()];
    };
    const struct {
        std::size_t line;
        const char* field;
        const char* value;
    } fields[] = {
        {1, "machine_status", "counted"},    {1, "instructions", "224000"},      {1, "conditional_branches", "42000"},
        {1, "conditional_mispredicted", "7100"}, {1, "indirect_branches", "3"}, {1, "indirect_mispredicted", "1"},
        {1, "d1_misses", "250"},             {1, "ll_misses", "50"},            {1, "machine_reason", ""},
        {1, "instructions_per_element", "224.000000"}, {1, "conditional_branches_per_element", "42.000000"},
        {1, "conditional_mispredicted_per_element", "7.100000"}, {1, "d1_misses_per_element", "0.250000"},
        {1, "ll_misses_per_element", "0.050000"},
        {3, "instructions", "2240000"},      {3, "conditional_mispredicted_per_element", "7.100000"},
        {5, "machine_status", "n/a"},        {5, "machine_reason", "sorts on 4 threads, which valgrind runs one at a time"},
        {5, "instructions", ""},             {5, "ll_misses_per_element", ""},
        {6, "machine_status", "crashed: killed by signal 11 (Segmentation fault)"}, {7, "machine_status", "over 1000 s"},
        {8, "machine_status", "not counted"}, {9, "machine_status", "failed at slot 17"},
    };
    for (const auto& f : fields) EXPECT_EQ(field(f.line, f.field), f.value) << "line " << f.line << " " << f.field;

    // JSON: the counts, each per element, and why not; read back exactly.
    const nlohmann::json json = nlohmann::json::parse(Written(ReportFormat::kJson, report));
    EXPECT_EQ(json["settings"]["machine_counts"]["time_limit_s"], 1000);
    const nlohmann::json& quick = json["rows"][0]["machine_counts"];
    EXPECT_EQ(quick["conditional_mispredicted"], 7100);
    EXPECT_DOUBLE_EQ(quick["conditional_mispredicted_per_element"].get<double>(), 7.1);
    EXPECT_EQ(json["rows"][4]["machine_counts"],
              (nlohmann::json{{"status", "not-countable"}, {"reason", "sorts on 4 threads, which valgrind runs one at a time"}}));
    EXPECT_EQ(json["rows"][5]["machine_counts"]["crash"], "killed by signal 11 (Segmentation fault)");
    EXPECT_EQ(json["rows"][6]["machine_counts"]["time_limit_s"], 1000);
    EXPECT_EQ(json["rows"][8]["machine_counts"]["failed_check"], "order");
    const Result<SavedReport> parsed = ParseSavedReport(json.dump());
    ASSERT_TRUE(parsed) << parsed.why();
    const SavedReport& saved = *parsed;
    ASSERT_EQ(saved.cells.size(), report.rows.size());
    for (std::size_t k = 0; k < report.rows.size(); ++k) {
        const bool counted = report.rows[k].machine.outcome.end == End::kCounted;
        EXPECT_EQ(saved.cells[k].machineCounted, counted) << k;
        if (counted) {
            EXPECT_TRUE(saved.cells[k].machine == report.rows[k].machine.counts) << k;
        }
    }
}

TEST(BenchReportForms, TheWindowFormShowsEachFigureInItsUnit) {
    const Report report = WindowReport();
    const std::vector<std::string> table = Lines(Written(ReportFormat::kTable, report));
    ASSERT_EQ(table.size(), 6u) << Written(ReportFormat::kTable, report);
    // 1000 sorted slots in 405 µs: 2.47 million a second, 1.62 times std::sort's 250 µs.
    EXPECT_EQ(TableCells(table[3]),
              (std::vector<std::string>{"Quick", "400 \u00b5s", "405 \u00b5s", "405 \u00b5s +- 1.2%", "410 \u00b5s",
                                        "2.5", "1.62x"}));
    EXPECT_EQ(TableCells(table[5]), (std::vector<std::string>{"Broken", "FAILED: order check failed at slot 17"}));
    EXPECT_NE(Written(ReportFormat::kMarkdown, report)
                  .find("\n| Quick | 400 \u00b5s | 405 \u00b5s | 405 \u00b5s +- 1.2% | 410 \u00b5s | 2.5 | 1.62x |\n"
                        "| std::sort (reference) | 250 \u00b5s | 250 \u00b5s | 250 \u00b5s +- 0.0% | 250 \u00b5s | 4.0 | 1.00x |\n"
                        "| Broken | FAILED: order check failed at slot 17 |  |  |  |  |  |\n"),
              std::string::npos)
        << Written(ReportFormat::kMarkdown, report);
    const std::vector<std::string> csv = Lines(Written(ReportFormat::kCsv, report));
    ASSERT_EQ(csv.size(), 4u);
    EXPECT_EQ(csv[1], "Quick,L,false,3,0,0.400000,0.405000,0.405000,0.005000,0.410000,2.469,1.6200,,");
    EXPECT_EQ(csv[3], "Broken,L,false,0,0,,,,,,,,17,order");
}

namespace {

// The attribute's value in an HTML start tag, or "" without it.
std::string Attribute(const std::string& tag, const std::string& name) {
    const std::size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return "";
    const std::size_t from = at + name.size() + 3;
    return tag.substr(from, tag.find('"', from) - from);
}

// The tables of a page's group ("cells" or "comparison"): each a list of
// rows, each row its cells' tags and texts; the heading row first.
struct PageCell {
    std::string tag, text;
};
using PageTable = std::vector<std::vector<PageCell>>;

std::vector<PageTable> PageTables(const std::string& page, const std::string& group) {
    std::vector<PageTable> tables;
    const std::string opening = "<table data-group=\"" + group + "\"";
    for (std::size_t at = page.find(opening); at != std::string::npos; at = page.find(opening, at + 1)) {
        const std::string table = page.substr(at, page.find("</table>", at) - at);
        PageTable rows;
        for (std::size_t row = table.find("<tr"); row != std::string::npos; row = table.find("<tr", row + 1)) {
            const std::string line = table.substr(row, table.find("</tr>", row) - row);
            std::vector<PageCell> cells = {{line.substr(0, line.find('>') + 1), ""}};
            for (std::size_t cell = line.find("<t", 3); cell != std::string::npos; cell = line.find("<t", cell + 1)) {
                const std::size_t text = line.find('>', cell) + 1;
                cells.push_back({line.substr(cell, text - cell), line.substr(text, line.find("</t", text) - text)});
            }
            rows.push_back(cells);
        }
        tables.push_back(rows);
    }
    return tables;
}

}  // namespace

TEST(BenchHtmlReport, ATableAPerCellWithEveryColumnOfTheTableForm) {
    for (const Report& report : {CountedReport(), WindowReport()}) {
        const std::string page = Written(ReportFormat::kHtml, report);
        const std::vector<const Column*> columns = TextColumns(report);
        const std::vector<PageTable> tables = PageTables(page, "cells");
        std::size_t rows = 0, expectedTables = 0;
        for (const std::string& pattern : report.patterns)
            for (const std::int32_t count : report.counts) expectedTables += CellRows(report, pattern, count, ElementType::kI32).empty() ? 0 : 1;
        ASSERT_EQ(tables.size(), expectedTables);
        std::size_t table = 0;
        for (const std::string& pattern : report.patterns)
            for (const std::int32_t count : report.counts) {
                const std::vector<const Measurement*> cellRows = CellRows(report, pattern, count, ElementType::kI32);
                if (cellRows.empty()) continue;
                const PageTable& shown = tables[table++];
                ASSERT_EQ(shown.size(), cellRows.size() + 1);
                std::vector<std::string> headings;
                for (std::size_t k = 1; k < shown[0].size(); ++k) headings.push_back(shown[0][k].text);
                EXPECT_EQ(headings, Headings(columns));
                for (std::size_t r = 0; r < cellRows.size(); ++r) {
                    const RowContext row = ContextOf(report, *cellRows[r]);
                    const std::vector<PageCell>& cells = shown[r + 1];
                    EXPECT_EQ(Attribute(cells[0].tag, "data-contender"), EscapedXml(cellRows[r]->contender.name));
                    const std::vector<std::string> texts = TextCells(row, columns), values = FieldValues(row, columns);
                    ASSERT_EQ(cells.size(), texts.size() + 1) << cells[0].tag;
                    for (std::size_t k = 0; k < texts.size(); ++k) {
                        EXPECT_EQ(cells[k + 1].text, EscapedXml(texts[k]));
                        // A row without figures sorts by its name alone.
                        if (!row.figures.failed || k == 0) {
                            EXPECT_EQ(Attribute(cells[k + 1].tag, "data-v"), EscapedXml(values[k]));
                        }
                    }
                    if (row.figures.failed) {
                        EXPECT_EQ(Attribute(cells[2].tag, "colspan"), std::to_string(columns.size() - 1));
                    }
                    ++rows;
                }
            }
        EXPECT_EQ(rows, report.rows.size());
        // Without scripts everything shows but the controls, which need them.
        EXPECT_NE(page.find("<form id=\"controls\" hidden=\"hidden\">"), std::string::npos);
        EXPECT_EQ(page.find(" hidden=\"hidden\"", page.find('>', page.find("<form id=\"controls\""))), std::string::npos);
    }
}

TEST(BenchHtmlReport, EachVerdictHasItsClassAndEveryFigureItsValue) {
    const Report report = WindowReport();
    SavedReport baseline;
    baseline.source = "base.json";
    const std::vector<double> nine = {1, 1.01, 0.99, 1.02, 0.98, 1.03, 0.97, 1.04, 0.96};
    const auto cell = [&](const std::string& name, double factor) {
        SavedCell c;
        c.name = name;
        c.pattern = "window";
        c.count = 1001;
        for (double t : nine) c.times.push_back(t * factor);
        return c;
    };
    baseline.cells = {cell("Faster", 1), cell("Slower", 1), cell("Same", 1), cell("Gone", 1), cell("Few", 1)};
    SavedReport current;
    current.source = "this run";
    current.cells = {cell("Faster", 0.5), cell("Slower", 2), cell("Same", 1), cell("New", 1), cell("Few", 1)};
    current.cells.back().times.resize(3);
    const Comparison comparison = Compare(baseline, current, 0.02);
    const std::string page = WrittenCompared(ReportFormat::kHtml, &report, comparison);
    const std::vector<PageTable> tables = PageTables(page, "comparison");
    ASSERT_EQ(tables.size(), 1u);
    ASSERT_EQ(tables[0].size(), comparison.cells.size() + 1);
    const std::map<std::string, std::string> classes = {
        {"Faster", "verdict-faster"},        {"Slower", "verdict-slower"},
        {"Same", "verdict-no-significant-change"}, {"Gone", "verdict-only-in-baseline"},
        {"New", "verdict-only-in-current"},  {"Few", "verdict-sample-too-small"}};
    for (std::size_t k = 0; k < comparison.cells.size(); ++k) {
        const CellComparison& c = comparison.cells[k];
        const std::vector<PageCell>& row = tables[0][k + 1];
        EXPECT_EQ(Attribute(row[0].tag, "class"), classes.at(c.name)) << c.name;
        const std::vector<std::string> texts = ComparisonCells(comparison, c, ComparisonColumns(comparison));
        ASSERT_EQ(row.size(), texts.size() + 1);
        for (std::size_t column = 0; column < texts.size(); ++column) EXPECT_EQ(row[column + 1].text, EscapedXml(texts[column]));
        // The medians sort by milliseconds, whatever unit they show in.
        EXPECT_EQ(Attribute(row[3].tag, "data-v"), c.baselineRuns > 0 ? Fixed(c.baselineMedian, 9) : "") << c.name;
    }
    // The verdicts' colours differ: each class's rule has a colour of its own.
    std::set<std::string> colours;
    for (const auto& [name, verdictClass] : classes) {
        const std::size_t rule = page.find("." + verdictClass + " .verdict {");
        ASSERT_NE(rule, std::string::npos) << verdictClass;
        const std::size_t colour = page.find("color: ", rule);
        colours.insert(page.substr(colour, page.find(';', colour) - colour));
    }
    EXPECT_EQ(colours.size(), classes.size());
}

TEST(BenchHtmlReport, TheWholeMatrixWithCountsStaysUnderTwoMegabytes) {
    // Nine shapes, three sizes, thirteen contenders counted: the README's matrix.
    Report report;
    report.settings.operations = true;
    report.settings.timeLimitSeconds = 10;
    report.patterns = {"window", "random", "ascending", "descending", "all-equal", "organ-pipe", "sawtooth",
                       "few-distinct", "nearly-sorted"};
    report.counts = {1000, 100000, 1000000};
    for (const std::string& pattern : report.patterns)
        for (const std::int32_t count : report.counts)
            for (int k = 0; k < 13; ++k) {
                Measurement row = Cell(Named(k == 12 ? std::string(kBaselineName) : "Sort number " + std::to_string(k), k >= 5),
                                       pattern, count, std::vector<double>(9, 0.001 * count * (1 + k)));
                OperationCounts counts;
                counts.comparisons = static_cast<std::uint64_t>(count) * 20;
                counts.steps = true;
                counts.exchanges = static_cast<std::uint64_t>(count) * 5;
                counts.calls = static_cast<std::uint64_t>(count) / 3;
                counts.depth = 40;
                counts.frameBytes = 48;
                row.operations = {{End::kCounted, "", {}}, counts};
                report.rows.push_back(row);
            }
    const std::string page = Written(ReportFormat::kHtml, report);
    EXPECT_LT(page.size(), 2u << 20);
    EXPECT_EQ(PageTables(page, "cells").size(), 27u);
}

namespace {

// The characters (code points) of UTF-8 text: its bytes that are not continuation bytes.
std::size_t CodePoints(const std::string& text) {
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// Each contender's colours on the page: the fill or stroke (not the dark
// outline of a reference's bar) of every tag naming it, or else of the tag
// after it (a legend's line, a strip's runs).
std::map<std::string, std::vector<std::string>> ColoursOnPage(const std::string& page) {
    static const std::regex kColour(" (?:fill|stroke)=\"(#[0-9a-f]{6})\"");
    std::map<std::string, std::vector<std::string>> colours;
    const std::string key = "data-contender=\"";
    for (std::size_t at = page.find(key); at != std::string::npos; at = page.find(key, at + 1)) {
        const std::size_t from = at + key.size();
        const std::string name = page.substr(from, page.find('"', from) - from);
        const std::size_t tagEnd = page.find('>', at);
        for (const std::string& tag : {page.substr(at, tagEnd - at),
                                       page.substr(tagEnd, page.find('>', tagEnd + 1) - tagEnd)}) {
            std::smatch found;
            if (std::regex_search(tag, found, kColour)) {
                colours[name].push_back(found[1]);
                break;
            }
        }
    }
    return colours;
}

}  // namespace

TEST(BenchHtmlReport, AContenderHasOneColourInEveryChartAndALongNameIsCutInLabelsOnly) {
    // Two long names alike in their first 31 characters, one of them with
    // two-byte characters in them; Quick missing from a cell, so that a
    // row's place in its cell is not its contender's place in the report.
    const std::string alpha = "\u00dcnic\u00f6de sort with a rather long name, variant alpha";
    const std::string beta = "\u00dcnic\u00f6de sort with a rather long name, variant beta";
    Report report;
    report.settings.operations = true;
    report.settings.runs = 4;
    report.patterns = {"ascending", "random"};
    report.counts = {1000, 10000};
    for (const std::string& pattern : report.patterns)
        for (const std::int32_t count : report.counts)
            for (const Contender& contender : {Named("Quick", false), Named(kBaselineName, true), Named(alpha, false),
                                               Named(beta, true)}) {
                if (contender.name == "Quick" && pattern == "ascending" && count == 1000) continue;
                Measurement row = Cell(contender, pattern, count, {0.001 * count, 0.0011 * count, 0.0009 * count, 0.001 * count});
                OperationCounts counts;
                counts.comparisons = static_cast<std::uint64_t>(count) * 12;
                row.operations = {{End::kCounted, "", {}}, counts};
                report.rows.push_back(row);
            }
    const std::string page = Written(ReportFormat::kHtml, report);
    ASSERT_NE(page.find("data-chart=\"counts\""), std::string::npos);

    const std::map<std::string, std::vector<std::string>> colours = ColoursOnPage(page);
    std::set<std::string> used;
    ASSERT_EQ(colours.size(), 4u);
    for (const auto& [name, seen] : colours) {
        // Points of two charts, legends of two, a strip per cell at least.
        EXPECT_GE(seen.size(), 2u * 3 + 2 + 3) << name;
        EXPECT_EQ(std::set<std::string>(seen.begin(), seen.end()).size(), 1u) << name;
        used.insert(seen.front());
    }
    EXPECT_EQ(used.size(), colours.size());

    for (const std::string& name : {alpha, beta}) {
        // The first 31 characters and an ellipsis, counted by hand.
        std::size_t bytes = 0;
        for (std::size_t characters = 0; characters < 31; characters += CodePoints(name.substr(bytes, 1))) ++bytes;
        while ((static_cast<unsigned char>(name[bytes]) & 0xC0) == 0x80) ++bytes;
        const std::string label = name.substr(0, bytes) + "\u2026";
        ASSERT_EQ(CodePoints(label), 32u);
        EXPECT_EQ(page.find(">" + name + "</text>"), std::string::npos) << name << " shows uncut";
        std::size_t labels = 0;
        const std::string titled = ">" + label + "<title>" + name + "</title></text>";
        for (std::size_t at = page.find(titled); at != std::string::npos; at = page.find(titled, at + 1)) ++labels;
        // In the legends of both charts and the strip of every cell.
        EXPECT_EQ(labels, 2u + 4) << name;
    }
}

TEST(BenchHtmlReport, ThousandsOfRunsACellStayUnderTwoMegabytesAndSaySoInTheStrip) {
    Report report;
    report.settings.runs = 3000;
    report.patterns = {"random", "ascending"};
    report.counts = {1000};
    std::vector<double> times;
    for (int k = 0; k < 3000; ++k) times.push_back(1 + k % 97 * 0.001);
    for (const std::string& pattern : report.patterns)
        for (int k = 0; k < 13; ++k)
            report.rows.push_back(Cell(Named(k == 0 ? std::string(kBaselineName) : "Sort " + std::to_string(k), k == 0),
                                       pattern, 1000, times));
    const std::string page = Written(ReportFormat::kHtml, report);
    EXPECT_LT(page.size(), 2u << 20);
    // Every row draws as many dots as the strip says, fewer than its runs.
    const std::string said = "a dot for ";
    const std::size_t at = page.find(said);
    ASSERT_NE(at, std::string::npos);
    const std::size_t drawn = std::stoul(page.substr(at + said.size()));
    EXPECT_NE(page.find("runs of each row, evenly spaced through their order (a row has up to 3000)"),
              std::string::npos);
    std::size_t dots = 0;
    for (std::size_t circle = page.find("<circle cx="); circle != std::string::npos;
         circle = page.find("<circle cx=", circle + 1))
        ++dots;
    EXPECT_EQ(dots, report.rows.size() * drawn);
    EXPECT_LT(drawn, 3000u);
}

TEST(BenchMatrixReport, MarkdownPivotsRoutinesAgainstShapes) {
    std::ostringstream out;
    WriteReport(out, MatrixReport(), ReportFormat::kMarkdown);
    const std::string text = out.str();
    EXPECT_NE(text.find("1001 values:\n\n| Routine | ascending | random |\n|---|---:|---:|\n"
                        "| Quick | 4.80 \u00b5s (2.40x) | 480 \u00b5s (2.40x) |\n"
                        "| std::sort (reference) | 2.00 \u00b5s (1.00x) | 200 \u00b5s (1.00x) |\n"
                        "| par sort (reference, 4 threads) | 850 ns (0.42x) | 850 ns (0.00x) |\n"
                        "| Hungry | stack exhausted | predicted over 10 s (about 312 s) |\n"
                        "| Slow |  | over 10 s |\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("| Changed |  | changed its values: slot 3 holds 7 where the sorted input holds 4 |\n"),
              std::string::npos);
}

TEST(BenchMatrixReport, ScalingChartCrossesEveryCellWithoutAFigure) {
    Report report = MatrixReport();
    report.counts = {1001, 1002};
    for (Measurement row : std::vector<Measurement>(report.rows)) {
        row.count = 1002;
        report.rows.push_back(row);
    }
    std::ostringstream out;
    WriteScalingChart(out, report);
    const std::string svg = out.str();
    const auto occurrences = [&](const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = svg.find(what); at != std::string::npos; at = svg.find(what, at + 1)) ++n;
        return n;
    };
    EXPECT_EQ(occurrences("<g data-role=\"panel\""), 2u);
    EXPECT_EQ(occurrences("<path data-role=\"unfinished\""), 2u * 7);  // seven unfinished rows at each size
    EXPECT_EQ(occurrences("<title>Hungry, ascending, 1002 values: stack exhausted</title>"), 1u);
    EXPECT_EQ(occurrences("<title>Broken, random, 1001 values: failed at slot 17</title>"), 1u);
    EXPECT_EQ(occurrences("<title>Changed, random, 1002 values: changed its values: slot 3 holds 7 where the sorted input "
                          "holds 4</title>"),
              1u);
    EXPECT_EQ(occurrences("<polyline data-role=\"series routine\" stroke-width=\"1.8\" data-name=\"Quick\""), 2u);
    EXPECT_EQ(occurrences("<polyline data-role=\"series reference\""), 4u);
    EXPECT_EQ(occurrences("stroke-dasharray"), 4u + 2);  // the references' lines and legend entries
}

TEST(BenchOutputFile, AFileAppearsWholeOrNotAtAll) {
    const std::filesystem::path folder = testing::TempDir() + "orvandel-output-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    const std::string path = (folder / "out.txt").string();
    const auto entries = [&] {
        return std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator());
    };
    EXPECT_EQ(CannotCreate(path), "");
    EXPECT_EQ(entries(), 0);  // the probe leaves nothing
    ASSERT_TRUE(WriteWholeFile(path, [](std::ostream& out) { out << "first\n"; }));
    // A writer that fails half-way: the complete file from before stays.
    EXPECT_FALSE(WriteWholeFile(path, [](std::ostream& out) {
        out << "half";
        out.setstate(std::ios::badbit);
    }));
    std::string line;
    std::getline(std::ifstream(path) >> std::ws, line);  // closed at once: Windows removes no open file
    EXPECT_EQ(line, "first");
    EXPECT_EQ(entries(), 1);  // no temporary left
    EXPECT_EQ(CannotCreate((folder / "no-such-folder/out.csv").string()),
              "cannot create " + (folder / "no-such-folder/out.csv").string() + ": No such file or directory");
    EXPECT_EQ(CannotCreate(folder.string()),
              "cannot create " + folder.string() + ": it is not a regular file (only a regular file is ever replaced)");
#ifndef _WIN32  // Windows bounds the whole path (MAX_PATH), not the name
    // A name as long as a name may be has a temporary whose name fits too,
    // shortened where a character begins (here inside the µ).
    for (const std::string& name :
         {std::string(250, 'r') + ".json", std::string(242, 'r') + "\xc2\xb5" + std::string(6, 'r') + ".json"}) {
        const std::string longest = (folder / name).string();
        ASSERT_TRUE(WriteWholeFile(longest, [](std::ostream& out) { out << "{}\n"; })) << name.size();
        EXPECT_TRUE(std::filesystem::exists(longest));
        std::filesystem::remove(longest);
        EXPECT_EQ(entries(), 1) << "a temporary was left";
    }
#endif
    std::filesystem::remove_all(folder);
}

TEST(BenchOutputFile, ANewFileIsNeverOneThatIsThere) {
    const std::filesystem::path folder = testing::TempDir() + "orvandel-new-file-test";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    std::ofstream(folder / "victim.txt") << "keep\n";
    std::error_code linked;
    std::filesystem::create_symlink("victim.txt", folder / "link.txt", linked);
    struct Row {
        const char* name;
        bool created;
    };
    for (const Row row : {Row{"victim.txt", false}, Row{"link.txt", false}, Row{"new.txt", true}}) {
        if (std::string(row.name) == "link.txt" && linked) continue;  // no links on this system
        const int handle = CreateNewFile((folder / row.name).string());
        const int error = errno;
        EXPECT_EQ(handle >= 0, row.created) << row.name;
        if (handle >= 0) {
            EXPECT_TRUE(WriteAndClose(handle, "new\n"));
        } else {
            EXPECT_EQ(error, EEXIST) << row.name;
        }
    }
    const auto text = [&](const char* name) {
        std::ifstream file(folder / name);
        return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(text("victim.txt"), "keep\n");
    EXPECT_EQ(text("new.txt"), "new\n");
    std::filesystem::remove_all(folder);
}

TEST(BenchOutputFile, CommandLineFaultsExitWithStatusTwoBeforeMeasuring) {
    const std::vector<std::vector<std::string>> wrong = {
        {"--pattern", "zigzag"}, {"--pattern", ""},       {"--count", "1e3,"},  {"--count", "0.5"},
        {"--time-limit", "0"},   {"--time-limit", "1h"},  {"--min-time", "-1"}, {"--export", "report.xyz"},
    };
    for (const std::vector<std::string>& arguments : wrong) {
        std::vector<std::string> line = {"orvandel-bench"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : line) argv.push_back(word.data());
        std::ostringstream out, err;
        const CommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
        EXPECT_TRUE(parsed.exit) << arguments[0] << ' ' << arguments[1];
        EXPECT_EQ(parsed.exitCode, 2) << arguments[0] << ' ' << arguments[1];
        const std::string message = err.str();
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    }
    BenchOptions options;
    options.measuring = true;
    options.counts = {1000};
    options.exportPath = testing::TempDir() + "no-such-folder/out.csv";
    std::ostringstream out, err;
    EXPECT_EQ(RunMeasureCommand(options, {kBroken}, out, err, false), 2);
    EXPECT_EQ(out.str(), "");  // nothing measured
    EXPECT_EQ(err.str(), "orvandel-bench: cannot create " + options.exportPath + ": No such file or directory\n");
}

// One shape and size sorted as two types: std::sort is twice as fast as
// Quick on i32 and twice as slow on string, so a ratio taken across types
// shows at once. Vector cannot sort strings.
Report TypedReport() {
    Report report = MatrixReport();
    report.patterns = {"random"};
    report.counts = {1001};
    report.types = {ElementType::kI32, ElementType::kString};
    report.rows.clear();
    for (const ElementType type : report.types) {
        const bool strings = type == ElementType::kString;
        const std::vector<double> quick = {2, 2, 2}, baseline(3, strings ? 4.0 : 1.0);
        for (Measurement row : {Cell(Named("Quick", false), "random", 1001, quick),
                                Cell(Named(kBaselineName, true), "random", 1001, baseline),
                                Cell(Named("Vector", true), "random", 1001, {1, 1, 1})}) {
            row.type = type;
            if (strings && row.contender.name == "Vector") {
                row.outcome = {End::kNotSorted, "numbers only", {}};
                row.times.clear();
            }
            report.rows.push_back(row);
        }
    }
    return report;
}

TEST(BenchMatrixReport, EachTypeIsACellOfItsOwnInEveryForm) {
    const Report report = TypedReport();
    const std::vector<std::string> table = Lines(Written(ReportFormat::kTable, report));
    EXPECT_EQ(table[0].rfind("shapes random at 1001 values as i32, string, time limit", 0), 0u) << table[0];
    const struct {
        std::size_t line;
        std::vector<std::string> cells;
    } expected[] = {
        {2, {"random, 1001 values, i32"}},
        {4, {"Quick", "2.00 ms", "2.00 ms", "2.00 ms +- 0.0%", "2.00 ms", "2000.00", "2.00x"}},
        {6, {"Vector (reference)", "1.00 ms", "1.00 ms", "1.00 ms +- 0.0%", "1.00 ms", "1000.00", "1.00x"}},
        {8, {"random, 1001 values, string"}},
        {10, {"Quick", "2.00 ms", "2.00 ms", "2.00 ms +- 0.0%", "2.00 ms", "2000.00", "0.50x"}},
        {12, {"Vector (reference)", "n/a: numbers only"}},
    };
    for (const auto& row : expected) EXPECT_EQ(TableCells(table.at(row.line)), row.cells) << row.line;

    const nlohmann::json json = nlohmann::json::parse(Written(ReportFormat::kJson, report));
    EXPECT_EQ(json["settings"]["types"], (nlohmann::json{"i32", "string"}));
    const std::vector<std::string> csv = Lines(Written(ReportFormat::kCsv, report));
    const std::vector<std::string> header = CsvFields(csv[0]);
    const auto typeColumn = static_cast<std::size_t>(std::find(header.begin(), header.end(), "type") - header.begin());
    for (std::size_t k = 0; k < report.rows.size(); ++k) {
        EXPECT_EQ(json["rows"][k]["type"], ElementTypeName(report.rows[k].type)) << k;
        EXPECT_EQ(CsvFields(csv[k + 1]).at(typeColumn), ElementTypeName(report.rows[k].type)) << k;
    }
    const std::string chart = Written(ReportFormat::kSvg, report);
    // A panel per type, each naming its cell; three equal runs have their median as its interval.
    EXPECT_NE(chart.find(">random, 1001 values, string</text>"), std::string::npos) << chart;
    EXPECT_NE(chart.find("<title>Quick, random, 1001 values, string: median 2.00 ms (95% interval 2.00 ms to 2.00 ms)"
                         "</title>"),
              std::string::npos);
    const std::string markdown = Written(ReportFormat::kMarkdown, report);
    EXPECT_NE(markdown.find("\nrandom, i32:\n"), std::string::npos) << markdown;
    EXPECT_NE(markdown.find("\nrandom, string:\n"), std::string::npos) << markdown;

    // Read back, each cell keeps its type and the one without a sort is
    // left out; compared with itself, every cell meets its own type's twin.
    const Result<SavedReport> saved = ParseSavedReport(json.dump());
    ASSERT_TRUE(saved) << saved.why();
    std::vector<std::string> cells;
    for (const SavedCell& cell : saved->cells) cells.push_back(cell.name + "/" + cell.type);
    EXPECT_EQ(cells, (std::vector<std::string>{"Quick/i32", "std::sort/i32", "Vector/i32", "Quick/string",
                                               "std::sort/string"}));
    const Comparison comparison = Compare(*saved, *saved, kDefaultNoise);
    ASSERT_EQ(comparison.cells.size(), cells.size());
    for (std::size_t k = 0; k < cells.size(); ++k) {
        EXPECT_EQ(comparison.cells[k].type, saved->cells[k].type) << k;
        EXPECT_DOUBLE_EQ(comparison.cells[k].ratio, 1.0) << k;
    }
}
