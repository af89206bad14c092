// The measurement and its reports, on small generated data: the schedule,
// the order check of every repetition, and the JSON and CSV read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <sstream>

#include "bench/app/measure_command.h"
#include "bench/app/option_values.h"
#include "bench/app/options.h"
#include "bench/measure/reference_sorts.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/repetitions.h"
#include "bench/suite/prediction.h"
#include "bench/suite/matrix.h"
#include "tests/bench/test_routines.h"

namespace {

void StdSortRange(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
}

const Contender kStdSort{kBaselineName, "", StdSortRange, BoundForm::kExclusiveUpper, true, 1};

BenchOptions SmallRun(ReportFormat format) {
    BenchOptions options;
    options.measuring = true;
    options.settings.count = 3000;
    options.settings.runs = 3;
    options.settings.warmup = 1;
    options.format = format;
    options.counts = {options.settings.count};
    return options;
}

std::vector<std::vector<std::string>> CsvLines(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields(1);
        for (char c : line) {
            if (c == ',')
                fields.emplace_back();
            else
                fields.back() += c;
        }
        lines.push_back(fields);
    }
    return lines;
}

}  // namespace

TEST(BenchSchedule, BlocksWithoutInterleaving) {
    MeasureSettings settings;
    settings.runs = 2;
    settings.warmup = 1;
    const std::vector<Repetition> order = Schedule(2, settings);
    ASSERT_EQ(order.size(), 6u);
    const int contenders[] = {0, 0, 0, 1, 1, 1};
    const bool timed[] = {false, true, true, false, true, true};
    for (std::size_t k = 0; k < order.size(); ++k) {
        EXPECT_EQ(order[k].contender, contenders[k]) << k;
        EXPECT_EQ(order[k].timed, timed[k]) << k;
    }
}

TEST(BenchSchedule, InterleavedRoundsStartOneContenderLaterEachTime) {
    MeasureSettings settings;
    settings.runs = 2;
    settings.warmup = 1;
    settings.interleave = true;
    const std::vector<Repetition> order = Schedule(3, settings);
    ASSERT_EQ(order.size(), 9u);
    const int contenders[] = {0, 1, 2, 1, 2, 0, 2, 0, 1};
    for (std::size_t k = 0; k < order.size(); ++k) {
        EXPECT_EQ(order[k].contender, contenders[k]) << k;
        EXPECT_EQ(order[k].timed, k >= 3) << k;
    }
}

TEST(BenchMeasure, EveryContenderGetsOneTimeAndTickPerRun) {
    MeasureSettings settings;
    settings.count = 2000;
    settings.runs = 4;
    settings.interleave = true;
    const Result<std::vector<Measurement>> measured =
        MeasureSuite(AllContenders(), settings, {"window"}, {settings.count}, {ElementType::kI32}, nullptr);
    ASSERT_TRUE(measured) << measured.why();
    const std::vector<Measurement>& results = *measured;
    ASSERT_EQ(results.size(), AllContenders().size());
    for (const Measurement& row : results) {
        EXPECT_EQ(row.outcome.end, End::kMeasured) << row.contender.name;
        EXPECT_EQ(row.times.size(), 4u) << row.contender.name;
        EXPECT_EQ(row.ticks.size(), 4u) << row.contender.name;
    }
}

TEST(BenchMeasure, BrokenRoutineIsReportedWithItsSlotAndExitsNonZero) {
    std::ostringstream out, err;
    const int status = RunMeasureCommand(SmallRun(ReportFormat::kTable), {kBroken, kStdSort}, out,
                                         err, false);
    EXPECT_EQ(status, 1);
    const std::string table = out.str();
    const std::size_t failure = table.find("FAILED: changed its values: slot 17 holds 13 where the sorted input holds 12\n");
    ASSERT_NE(failure, std::string::npos) << table;
    const std::size_t lineStart = table.rfind('\n', failure) + 1;
    EXPECT_EQ(table.compare(lineStart, 7, "Broken "), 0) << table;
    EXPECT_NE(err.str().find("Broken: changed its values: slot 17 holds 13 where the sorted input holds 12\n"), std::string::npos);
}

TEST(BenchMeasure, BaselineIsAddedWhenTheSelectionLeavesItOut) {
    const Result<std::vector<Contender>> selection =
        SelectContenders(AllContenders(), {"qsort asm"}, "", kBaselineName);
    ASSERT_TRUE(selection);
    ASSERT_EQ(selection->size(), 2u);
    EXPECT_EQ((*selection)[0].name, "Full Optimised MASM");
    EXPECT_EQ((*selection)[1].name, kBaselineName);
}

TEST(BenchMeasure, FilterSelectsByPatternInNameOrLabel) {
    const Result<std::vector<Contender>> selection =
        SelectContenders(AllContenders(), {}, "^SB sort|stable", kBaselineName);
    ASSERT_TRUE(selection);
    std::vector<std::string> names;
    for (const Contender& c : *selection) names.push_back(c.name);
    // The baseline, not matched, comes last.
    EXPECT_EQ(names, (std::vector<std::string>{"Sedgewick qsort C", "Sedgewick qsort MASM",
                                               "std::stable_sort", kBaselineName}));
    EXPECT_EQ(SelectContenders(AllContenders(), {}, "(", kBaselineName).why(),
              "--filter: \"(\" is not a pattern: an unmatched ( at byte 1");
}

TEST(BenchMeasure, JsonHoldsEveryRepetitionAndTheContext) {
    std::ostringstream out, err;
    ASSERT_EQ(RunMeasureCommand(SmallRun(ReportFormat::kJson), {kStdSort, kBroken}, out, err, false), 1);
    const nlohmann::json json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["settings"]["count"], 3000);
    EXPECT_EQ(json["settings"]["seed"], 87654321u);
    EXPECT_EQ(json["settings"]["runs"], 3);
    EXPECT_FALSE(json["context"]["cpu"].get<std::string>().empty());
    EXPECT_FALSE(json["context"]["compiler"].get<std::string>().empty());
    EXPECT_NE(json["context"]["flags"].get<std::string>().find("plain member"), std::string::npos);

    const nlohmann::json& baseline = json["rows"][0];
    EXPECT_EQ(baseline["name"], kBaselineName);
    EXPECT_TRUE(baseline["reference"].get<bool>());
    EXPECT_TRUE(baseline["failed_slot"].is_null());
    const auto times = baseline["times_ms"].get<std::vector<double>>();
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(baseline["ticks_ms_per_batch"].size(), 3u);
    // A new draw for every sort: the warm-up's, at least one, then one to
    // find the batch again and a batch per repetition.
    EXPECT_FALSE(json["settings"]["same_data"].get<bool>());
    const int batch = baseline["batch"].get<int>();
    EXPECT_GE(baseline["draws"].get<int>(), batch > 1 ? 2 + 3 * batch : 4);
    EXPECT_DOUBLE_EQ(baseline["min_ms"].get<double>(), *std::min_element(times.begin(), times.end()));
    EXPECT_DOUBLE_EQ(baseline["max_ms"].get<double>(), *std::max_element(times.begin(), times.end()));
    EXPECT_DOUBLE_EQ(baseline["ratio_to_std_sort"].get<double>(), 1.0);

    const nlohmann::json& broken = json["rows"][1];
    EXPECT_EQ(broken["status"], "failed");
    EXPECT_EQ(broken["failed_slot"], 17);
    EXPECT_EQ(broken["failed_check"], "values");
    EXPECT_EQ(broken["held_value"], 13);
    EXPECT_EQ(broken["expected_value"], 12);
    EXPECT_EQ(broken["draws"], 1);
    EXPECT_TRUE(broken["times_ms"].empty());
    EXPECT_FALSE(broken.contains("median_ms"));
}

TEST(BenchMeasure, CsvHasAHeaderAndOneLinePerRow) {
    std::ostringstream out, err;
    ASSERT_EQ(RunMeasureCommand(SmallRun(ReportFormat::kCsv), {kBroken, kStdSort}, out, err, false), 1);
    const auto lines = CsvLines(out.str());
    ASSERT_EQ(lines.size(), 3u);
    ASSERT_EQ(lines[0].size(), 14u);
    EXPECT_EQ(lines[0][0], "name");
    EXPECT_EQ(lines[0][4], "draws");
    EXPECT_EQ(lines[0][12], "failed_slot");
    EXPECT_EQ(lines[0][13], "failed_check");
    EXPECT_EQ(lines[1], (std::vector<std::string>{"Broken", "Break", "false", "0", "1", "", "", "", "",
                                                  "", "", "", "17", "values"}));
    const auto& baseline = lines[2];
    ASSERT_EQ(baseline.size(), 14u);
    EXPECT_EQ(baseline[0], kBaselineName);
    EXPECT_EQ(baseline[2], "true");
    EXPECT_EQ(baseline[3], "3");
    EXPECT_GT(std::stoll(baseline[4]), 4);
    const double min = std::stod(baseline[5]), median = std::stod(baseline[6]),
                 max = std::stod(baseline[9]);
    EXPECT_LE(min, median);
    EXPECT_LE(median, max);
    EXPECT_EQ(baseline[11], "1.0000");
    EXPECT_EQ(baseline[12], "");
    EXPECT_EQ(baseline[13], "");
}

TEST(BenchMeasure, DataThatLeavesLessThanHalfTheMemoryFreeIsRefused) {
    const struct {
        std::int32_t count;
        std::uint64_t processes, memoryBytes, limitBytes;
        const char* refusal;  // its start; null when the data fits
    } cases[] = {
        {2147483647, 3, 0, 0, nullptr},  // memory unknown: try
        {1000, 1, 16000, 0, nullptr},    // 8000 bytes: exactly half
        {1000, 1, 15999, 0, "--count 1000 needs"},
        // Every process of a cell holds its copy at once.
        {1000, 3, 48000, 0, nullptr},
        {1000, 3, 47999, 0, "--count 1000 needs 0 MiB for the values and their working copy in each of 3 processes, "
                            "more than half of this machine's"},
        // A control group's limit counts where it is the lower.
        {1000, 1, 1u << 30, 16000, nullptr},
        {1000, 1, 1u << 30, 15999, "--count 1000 needs 0 MiB for the values and their working copy, more than half of "
                                   "the 0 MiB its control group allows"},
        {1000, 1, 15999, 1u << 30, "--count 1000 needs 0 MiB for the values and their working copy, more than half of "
                                   "this machine's"},
        {25000000, 1, 0, 256u << 20, "--count 25000000 needs 190 MiB for the values and their working copy, more than "
                                     "half of the 256 MiB its control group allows"},
    };
    for (const auto& c : cases) {
        SystemInfo system;
        system.memoryBytes = c.memoryBytes;
        system.memoryLimitBytes = c.limitBytes;
        const Check fits = MemoryFits(c.count, c.processes, system);
        ASSERT_EQ(static_cast<bool>(fits), c.refusal == nullptr) << c.count << ' ' << c.memoryBytes;
        if (!fits) {
            EXPECT_EQ(fits.why().rfind(c.refusal, 0), 0u) << fits.why();
        }
    }
}

TEST(BenchOptionsParse, CountBoundaries) {
    EXPECT_EQ(*ParseCount("2"), 2);
    EXPECT_EQ(*ParseCount("2147483647"), 2147483647);
    for (const char* wrong : {"1", "0", "2147483648", "99999999999999", "", "-5", "+5", " 5", "5q", "1e"})
        EXPECT_FALSE(ParseCount(wrong)) << wrong;
}

TEST(BenchOptionsParse, SeedBoundaries) {
    EXPECT_EQ(*ParseSeed("1"), 1u);
    EXPECT_EQ(*ParseSeed("2147483646"), 2147483646u);
    for (const char* wrong : {"0", "2147483647", "4294967295", "", "-1", "12a"})
        EXPECT_FALSE(ParseSeed(wrong)) << wrong;
}
