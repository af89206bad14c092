// The guarded measurement: routines that exhaust their stack, never end or
// break the order cost their own cell only, the rest of the matrix is measured, no child
// process is left behind; and the prediction that skips hopeless cells.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#ifndef _WIN32
#include <errno.h>
#include <sys/wait.h>
#endif

#include "bench/suite/guard.h"
#include "bench/app/measure_command.h"
#include "bench/measure/reference_sorts.h"
#include "bench/suite/matrix.h"
#include "bench/suite/prediction.h"
#include "tests/bench/test_routines.h"

namespace {

const Contender& StdSort() {
    static const Contender baseline = [] {
        for (const Contender& c : AllContenders())
            if (c.name == kBaselineName) return c;
        return Contender{};
    }();
    return baseline;
}

MeasureSettings Quick() {
    MeasureSettings settings;
    settings.count = 1000;
    settings.runs = 3;
    settings.warmup = 1;
    settings.minTimeMs = 0.5;
    return settings;
}

// Every child has been waited for: none is left running or as a zombie.
void ExpectNoChildLeft() {
#ifndef _WIN32
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
#endif
}

struct Started {
    std::vector<std::string> names;
    std::vector<int> done;
};

ProgressReport Recorder(Started& started) {
    return [&started](const std::string& name, int done, int) {
        started.names.push_back(name);
        started.done.push_back(done);
    };
}

int Count(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<int>(std::count(names.begin(), names.end(), name));
}

Measurement Row(CellEnd end, std::int32_t count, std::vector<double> times, double predictedMs = 0) {
    Measurement row;
    row.contender = StdSort();
    row.count = count;
    row.times = std::move(times);
    row.end = end;
    row.predictedMs = predictedMs;
    return row;
}

}  // namespace

TEST(BenchGuard, AStackOverflowOrAFailedCheckEndsItsRowOnlyAndTheMatrixGoesOn) {
    MeasureSettings settings = Quick();
    settings.interleave = true;  // the failing routines interrupt the others' rounds
    std::vector<Measurement> rows;
    std::string error;
    Started started;
    // The baseline first: the child that overflows has measured something already.
    ASSERT_TRUE(MeasureSuite({StdSort(), kStackHungry, kBroken}, settings, {"ascending", "random"}, {1000},
                             Recorder(started), rows, error))
        << error;
    ExpectNoChildLeft();

    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t cell = 0; cell < 2; ++cell) {
        const std::string pattern = cell == 0 ? "ascending" : "random";
        const Measurement* row = &rows[3 * cell];
        EXPECT_EQ(row[0].pattern, pattern);
        EXPECT_EQ(row[0].end, CellEnd::kMeasured);
        EXPECT_EQ(row[0].failedSlot, -1);
        EXPECT_EQ(row[0].times.size(), 3u);  // every run, despite the restart in its rounds
        EXPECT_EQ(row[0].ticks.size(), 3u);
        EXPECT_EQ(row[1].end, CellEnd::kStackExhausted);
        EXPECT_TRUE(row[1].times.empty());
        EXPECT_EQ(row[2].end, CellEnd::kMeasured);
        EXPECT_EQ(row[2].failedSlot, 17);
        EXPECT_TRUE(row[2].times.empty());
        // The failing rows end in their first repetition, each repetition is
        // started once, in schedule order.
        const std::string where = pattern + " 1000: ";
        EXPECT_EQ(Count(started.names, where + "Stack hungry"), 1);
        EXPECT_EQ(Count(started.names, where + "Broken"), 1);
        EXPECT_EQ(Count(started.names, where + kBaselineName), 4);
    }
    EXPECT_TRUE(std::is_sorted(started.done.begin(), started.done.end()));
    EXPECT_EQ(std::adjacent_find(started.done.begin(), started.done.end()), started.done.end());
}

TEST(BenchGuard, CellsMarkedInEveryReportAndTheExitStatusIsOne) {
    BenchOptions options;
    options.measuring = true;
    options.settings = Quick();
    options.settings.timeLimitSeconds = 3;  // room for a loaded machine to fill the stack
    options.patterns = {"all-equal"};
    options.counts = {500};
    options.format = ReportFormat::kJson;
    std::ostringstream out, err;
    EXPECT_EQ(RunMeasureCommand(options, {kEndless, kStackHungry, kBroken, StdSort()}, out, err, false), 1);
    ExpectNoChildLeft();
    const nlohmann::json rows = nlohmann::json::parse(out.str())["rows"];
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0]["status"], "over 3 s");
    EXPECT_EQ(rows[1]["status"], "stack exhausted");
    EXPECT_EQ(rows[2]["status"], "failed at slot 17");
    EXPECT_EQ(rows[3]["status"], "measured");
    EXPECT_EQ(err.str(),
              "orvandel-bench: Endless (all-equal, 500 values): over 3 s\n"
              "orvandel-bench: Stack hungry (all-equal, 500 values): stack exhausted\n"
              "orvandel-bench: Broken (all-equal, 500 values): order check failed at slot 17\n");
}

TEST(BenchGuard, ACellPredictedFarOverTheLimitIsNotStarted) {
    MeasureSettings settings = Quick();
    settings.timeLimitSeconds = 0.2;
    settings.runs = 1;
    std::vector<Measurement> rows;
    std::string error;
    Started started;
    ASSERT_TRUE(MeasureSuite({kEndless, StdSort()}, settings, {"sawtooth"}, {100, 1000, 100000},
                             Recorder(started), rows, error))
        << error;
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].end, CellEnd::kOverLimit);
    EXPECT_EQ(Count(started.names, "sawtooth 100: Endless"), 1);  // stopped in its first repetition
    EXPECT_EQ(Count(started.names, "sawtooth 1000: Endless"), 1);
    // At ten times the size, linear growth from the limit reaches ten limits: not far enough over.
    EXPECT_EQ(rows[2].end, CellEnd::kOverLimit);
    EXPECT_EQ(rows[4].end, CellEnd::kPredictedOver);
    EXPECT_DOUBLE_EQ(rows[4].predictedMs, 200.0 * 100);
    EXPECT_EQ(Count(started.names, "sawtooth 100000: Endless"), 0);
    EXPECT_EQ(rows[5].end, CellEnd::kMeasured);
    ExpectNoChildLeft();
}

TEST(BenchGuard, PredictionGrowsBetweenLinearAndQuadratic) {
    const double limit = 10;
    EXPECT_FALSE(PredictMs({}, 1000, limit).has_value());
    struct Case {
        std::vector<Measurement> smaller;
        std::int32_t count;
        double expected;
    } cases[] = {
        {{Row(CellEnd::kMeasured, 1000, {2, 3, 1})}, 10000, 20},                          // one size: linear from the median
        {{Row(CellEnd::kMeasured, 1000, {1}), Row(CellEnd::kMeasured, 10000, {100})}, 100000, 10000},  // quadratic
        {{Row(CellEnd::kMeasured, 1000, {1}), Row(CellEnd::kMeasured, 10000, {1000})}, 100000, 100000},  // cubic held to quadratic
        {{Row(CellEnd::kMeasured, 1000, {4}), Row(CellEnd::kMeasured, 10000, {8})}, 100000, 80},  // below linear held to linear
        {{Row(CellEnd::kMeasured, 100, {1}), Row(CellEnd::kMeasured, 1000, {4}),
          Row(CellEnd::kMeasured, 10000, {400})}, 20000, 1600},                            // the last two sizes decide
        {{Row(CellEnd::kMeasured, 1000, {1}), Row(CellEnd::kOverLimit, 10000, {})}, 100000, 100000},  // the limit, linearly
        {{Row(CellEnd::kPredictedOver, 10000, {}, 5e5)}, 20000, 1e6},
        {{Row(CellEnd::kMeasured, 1000, {3}), Row(CellEnd::kStackExhausted, 10000, {})}, 100000, 300},  // no figure: left out
        {{Row(CellEnd::kMeasured, 1000, {3}), Row(CellEnd::kCrashed, 10000, {})}, 100000, 300},
    };
    for (const Case& c : cases) {
        const std::optional<double> predicted = PredictMs(c.smaller, c.count, limit);
        ASSERT_TRUE(predicted.has_value());
        EXPECT_NEAR(*predicted, c.expected, c.expected * 1e-9) << c.count << " after " << c.smaller.size();
    }
    Measurement failed = Row(CellEnd::kMeasured, 1000, {});
    failed.failedSlot = 5;
    EXPECT_FALSE(PredictMs({failed}, 10000, limit).has_value());
}

TEST(BenchGuard, ChildRefusesArgumentsItDidNotWrite) {
    const std::vector<Contender> known = TestContenders();
    const std::vector<std::string> good = {"random", "1000", "1", "1", "0", "0", "1", "0", "0", "Broken"};
    for (std::size_t k = 0; k < good.size(); ++k) {
        std::vector<std::string> wrong = good;
        wrong[k] = k == 8 ? "00" : "x";  // a skip mark per contender
        EXPECT_EQ(RunMeasuringChild(wrong, known), 2) << k;
    }
    EXPECT_EQ(RunMeasuringChild({good.begin(), good.end() - 1}, known), 2);
}
