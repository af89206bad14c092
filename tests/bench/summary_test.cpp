// Each contender's summary over the matrix against a model written apart
// from it: the ratio of medians cell by cell, their geometric mean as the
// root of a product, the cells left out and the ones counted as failed.
#include "bench/report/summary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "bench/measure/reference_sorts.h"

namespace {

void Sorting(std::int32_t* slots, std::int32_t lo, std::int32_t hi) { std::sort(slots + lo, slots + hi); }

Measurement Row(const std::string& name, const std::string& pattern, std::int32_t count, std::vector<double> times,
                End end = End::kMeasured, bool loaded = false) {
    Measurement row;
    row.contender = Contender{name, "", Sorting, BoundForm::kExclusiveUpper, name == kBaselineName, 1};
    if (loaded) row.contender.library = "libmine.so";
    row.pattern = pattern;
    row.count = count;
    row.times = std::move(times);
    row.outcome.end = end;
    return row;
}

double ModelMedian(std::vector<double> sample) {
    std::sort(sample.begin(), sample.end());
    const std::size_t n = sample.size();
    return n % 2 ? sample[n / 2] : (sample[n / 2 - 1] + sample[n / 2]) / 2;
}

struct Model {
    std::string name;
    int cells = 0, unfinished = 0;
    double product = 1, best = INFINITY, worst = 0;
};

// The summaries as a reader of the table would work them out.
std::vector<Model> ModelOf(const Report& report) {
    std::map<std::string, double> baseline;
    for (const Measurement& row : report.rows)
        if (row.contender.name == kBaselineName && row.outcome.end == End::kMeasured)
            baseline[row.pattern + std::to_string(row.count)] = ModelMedian(row.times);
    std::vector<Model> loaded, others;
    for (const Measurement& row : report.rows) {
        if (row.contender.name == kBaselineName) continue;
        std::vector<Model>& group = row.contender.library.empty() ? others : loaded;
        auto model = std::find_if(group.begin(), group.end(), [&](const Model& m) { return m.name == row.contender.name; });
        if (model == group.end()) model = group.insert(group.end(), Model{row.contender.name});
        const bool failing = row.outcome.end != End::kMeasured && row.outcome.end != End::kNotSorted;
        model->unfinished += failing;
        const auto base = baseline.find(row.pattern + std::to_string(row.count));
        if (row.outcome.end != End::kMeasured || base == baseline.end()) continue;
        const double ratio = ModelMedian(row.times) / base->second;
        ++model->cells;
        model->product *= ratio;
        model->best = std::min(model->best, ratio);
        model->worst = std::max(model->worst, ratio);
    }
    loaded.insert(loaded.end(), others.begin(), others.end());
    return loaded;
}

Report Matrix(std::vector<Measurement> rows) {
    Report report;
    report.patterns = {"random", "ascending"};
    report.counts = {1000, 10000};
    report.rows = std::move(rows);
    return report;
}

}  // namespace

TEST(BenchSummary, EachContenderAgainstAModelOfItsCells) {
    const std::vector<double> base = {2, 2.2, 1.8, 2.1, 1.9};
    const struct {
        const char* what;
        Report report;
    } rows[] = {
        {"one cell", Matrix({Row(kBaselineName, "random", 1000, base), Row("Quick", "random", 1000, {3, 3.1, 2.9})})},
        {"failed cells counted and left out, n/a ones neither",
         Matrix({Row(kBaselineName, "random", 1000, base), Row(kBaselineName, "ascending", 1000, {1, 1, 1}),
                 Row(kBaselineName, "random", 10000, {20, 21, 22}), Row(kBaselineName, "ascending", 10000, {9}),
                 Row("Quick", "random", 1000, {1, 1.2, 0.9}), Row("Quick", "ascending", 1000, {8, 9, 7}),
                 Row("Quick", "random", 10000, {}, End::kCrashed), Row("Quick", "ascending", 10000, {}, End::kNotSorted),
                 Row("Slow", "random", 1000, {}, End::kOverLimit), Row("Slow", "ascending", 1000, {}, End::kFailed)})},
        {"a cell without std::sort's figure is left out, not failed",
         Matrix({Row(kBaselineName, "random", 1000, {}, End::kCrashed), Row(kBaselineName, "ascending", 1000, base),
                 Row("Quick", "random", 1000, {5}), Row("Quick", "ascending", 1000, {7, 8})})},
        {"the user's loaded sorts first",
         Matrix({Row("Quick", "random", 1000, {4}), Row(kBaselineName, "random", 1000, base),
                 Row("Mine", "random", 1000, {1.5}, End::kMeasured, true), Row("Ref", "random", 1000, {2.5}),
                 Row("Also mine", "random", 1000, {}, End::kStackExhausted, true)})},
    };
    for (const auto& row : rows) {
        const std::vector<ContenderSummary> summaries = Summaries(row.report);
        const std::vector<Model> model = ModelOf(row.report);
        ASSERT_EQ(summaries.size(), model.size()) << row.what;
        for (std::size_t k = 0; k < model.size(); ++k) {
            const ContenderSummary& s = summaries[k];
            const Model& m = model[k];
            SCOPED_TRACE(std::string(row.what) + ": " + m.name);
            EXPECT_EQ(s.name, m.name);
            EXPECT_EQ(s.cells, m.cells);
            EXPECT_EQ(s.unfinished, m.unfinished);
            if (m.cells == 0) continue;
            EXPECT_NEAR(s.overall.value, std::pow(m.product, 1.0 / m.cells), 1e-12);
            EXPECT_NEAR(s.best.ratio, m.best, 1e-12);
            EXPECT_NEAR(s.worst.ratio, m.worst, 1e-12);
            EXPECT_LE(s.overall.interval.low, s.overall.value);
            EXPECT_GE(s.overall.interval.high, s.overall.value);
        }
    }
}

// The line the table ends with, worked by hand: ratios 0.5 and 4 at steady
// runs, so the interval is the point 1.41.
TEST(BenchSummary, TheLineNamesTheOverallRatioItsIntervalAndTheExtremeCells) {
    Report report = Matrix({Row(kBaselineName, "random", 1000, {2, 2, 2}), Row(kBaselineName, "ascending", 10000, {1}),
                            Row("Mine", "random", 1000, {1, 1}, End::kMeasured, true),
                            Row("Mine", "ascending", 10000, {4}, End::kMeasured, true),
                            Row("Mine", "random", 10000, {}, End::kCrashed, true)});
    const std::vector<ContenderSummary> summaries = Summaries(report);
    ASSERT_EQ(summaries.size(), 1u);
    EXPECT_EQ(SummaryLine(report, summaries[0]),
              "Mine: 1.41x std::sort overall [1.41, 1.41] over 2 cells; best random 1e3 0.50x, worst ascending 1e4 "
              "4.00x; 1 failed");
    report.types = {ElementType::kI32, ElementType::kString};
    EXPECT_NE(SummaryLine(report, summaries[0]).find("best random 1e3 i32 0.50x"), std::string::npos);
}

TEST(BenchSummary, SizesAsTheOptionsTakeThem) {
    const std::pair<std::int64_t, const char*> rows[] = {
        {0, "0"}, {300, "300"}, {999, "999"}, {1000, "1e3"}, {1234, "1234"}, {2500, "2.5e3"},
        {100000, "1e5"}, {5000000, "5e6"}, {2500000, "2.5e6"}, {120000, "1.2e5"}, {123000, "123000"},
    };
    for (const auto& [count, text] : rows) EXPECT_EQ(SizeText(count), text) << count;
}
