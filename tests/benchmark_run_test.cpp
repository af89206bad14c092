#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <utility>
#include <vector>

#include "core/benchmark_run.h"
#include "core/test_data.h"
#include "sorts/routine_table.h"
#include "tests/support/box_log.h"
#include "tests/support/same_bytes.h"
#include "tests/support/scratch_dir.h"

namespace {

bool IsBareNumber(const std::string& text) {
    return !text.empty() && text.size() <= 10 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// What the routine under test saw and left behind, kept by the wrappers below
// because the run releases its array before it returns.
struct Observation {
    int calls = 0;
    std::int32_t lo = 0;
    std::int32_t hi = 0;
    std::int32_t slot0 = 0;
    std::int32_t slot1 = 0;
    std::int32_t lastSlot = 0;
    bool sortedFromSlot1 = false;
};
Observation seen;

void Observe(const std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    ++seen.calls;
    seen.lo = lo;
    seen.hi = hi;
    seen.slot0 = slots[0];
    seen.slot1 = slots[1];
    seen.lastSlot = slots[kSlotCount - 1];
    seen.sortedFromSlot1 = std::is_sorted(slots + 1, slots + kSlotCount);
}

template <int Row>
void ObservedRoutine(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    RoutineTable[Row].routine(slots, lo, hi);
    Observe(slots, lo, hi);
}

constexpr SortRoutine kObserved[kRoutineCount] = {ObservedRoutine<0>, ObservedRoutine<1>,
                                                  ObservedRoutine<2>, ObservedRoutine<3>,
                                                  ObservedRoutine<4>};

// Sorts correctly, then breaks the order at slot 17.
void SortThenSwapSlot17(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    RoutineTable[0].routine(slots, lo, hi);
    std::swap(slots[17], slots[18]);
    Observe(slots, lo, hi);
}

void LeaveUnsorted(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    Observe(slots, lo, hi);
}

std::vector<std::int32_t> FixedSeedArray() {
    std::vector<std::int32_t> slots(kSlotCount);
    SeedGenerator(kRunSeed);
    FillTestArray(slots.data(), kSlotCount, kDrawBound);
    return slots;
}

std::string DumpOf(const std::vector<std::int32_t>& slots) {
    std::string text;
    for (const std::int32_t value : slots)
        text += std::to_string(static_cast<std::uint32_t>(value)) + "\r\n";
    return text;
}

TEST(FindFirstDescent, SortedOrEqualNeighboursHaveNone) {
    const std::int32_t slots[] = {-3, -3, 0, 0, 0, 5, INT_MAX, INT_MAX};
    EXPECT_EQ(FindFirstDescent(slots, 0, 8), kNoDescent);
}

TEST(FindFirstDescent, DescentAtTheFirstPairIsNotMistakenForNone) {
    const std::int32_t slots[] = {9, 1, 2, 3};
    EXPECT_EQ(FindFirstDescent(slots, 0, 4), 0);
    EXPECT_EQ(FindFirstDescent(slots, 1, 4), kNoDescent);
}

TEST(FindFirstDescent, ReportsTheFirstOfSeveralBySlotIndex) {
    std::vector<std::int32_t> slots(40);
    for (int k = 0; k < 40; ++k) slots[k] = k;
    std::swap(slots[17], slots[18]);
    std::swap(slots[30], slots[31]);
    EXPECT_EQ(FindFirstDescent(slots.data(), 1, 40), 17);
    EXPECT_EQ(FindFirstDescent(slots.data(), 18, 40), 30);
}

TEST(FindFirstDescent, ComparesSignedAndReadsNothingAtOrBeyondCount) {
    const std::int32_t slots[] = {INT_MIN, -1, 0, INT_MAX, INT_MIN};
    EXPECT_EQ(FindFirstDescent(slots, 0, 4), kNoDescent);
    EXPECT_EQ(FindFirstDescent(slots, 0, 5), 3);
    EXPECT_EQ(FindFirstDescent(slots, 0, 1), kNoDescent);
    EXPECT_EQ(FindFirstDescent(slots, 0, 0), kNoDescent);
}

TEST(ElapsedTicks, PlainAndAcrossAWrapOfTheCounter) {
    EXPECT_EQ(ElapsedTicks(100, 350), 250u);
    EXPECT_EQ(ElapsedTicks(7, 7), 0u);
    EXPECT_EQ(ElapsedTicks(0xFFFFFFF0u, 0x10u), 0x20u);
    EXPECT_EQ(ElapsedTicks(0xFFFFFFFFu, 0u), 1u);
}

class ResultFile : public InScratchDir {};

TEST_F(ResultFile, UnsignedDecimalLinesEachEndedByCrLf) {
    const std::int32_t slots[] = {0, 1, -1, INT_MIN, INT_MAX, 42, 1000000};
    ASSERT_TRUE(WriteResultFile(slots, 7));
    EXPECT_EQ(ReadBytes(kResultFileName),
              "0\r\n1\r\n4294967295\r\n2147483648\r\n2147483647\r\n42\r\n1000000\r\n");
}

TEST_F(ResultFile, ReplacesALongerOlderFileCompletely) {
    std::ofstream(kResultFileName, std::ios::binary) << std::string(5000, 'x');
    const std::int32_t slots[] = {12, 3};
    ASSERT_TRUE(WriteResultFile(slots, 2));
    EXPECT_EQ(ReadBytes(kResultFileName), "12\r\n3\r\n");
    ASSERT_TRUE(WriteResultFile(slots, 0));
    EXPECT_EQ(ReadBytes(kResultFileName), "");
}

TEST_F(ResultFile, ANameThatCannotBeCreatedIsReported) {
    std::filesystem::create_directory(kResultFileName);
    const std::int32_t slots[] = {1};
    EXPECT_FALSE(WriteResultFile(slots, 1));
}

class Run : public InScratchDir {
protected:
    void SetUp() override {
        InScratchDir::SetUp();
        seen = Observation{};
    }
};

TEST_F(Run, EveryRoutineSortsTheFixedDataAndShowsOnlyItsTime) {
    const std::vector<std::int32_t> data = FixedSeedArray();
    const std::int32_t smallest = *std::min_element(data.begin() + 1, data.end());
    for (int row = 0; row < kRoutineCount; ++row) {
        const RoutineEntry& entry = RoutineTable[row];
        SCOPED_TRACE(entry.caption);
        seen = Observation{};
        bool ordered = false;
        const auto boxes = RecordBoxes([&] {
            ordered = RunBenchmark(nullptr, kObserved[row], entry.bounds, entry.caption);
        });
        EXPECT_TRUE(ordered);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, entry.caption);
        EXPECT_TRUE(IsBareNumber(boxes[0].text)) << boxes[0].text;

        EXPECT_EQ(seen.calls, 1);
        EXPECT_EQ(seen.lo, 1);
        // The last slot is 4,999,999: exclusive routines get one past it.
        EXPECT_EQ(seen.hi, entry.bounds == BoundForm::kExclusiveUpper ? 5000000 : 4999999);
        EXPECT_TRUE(seen.sortedFromSlot1);
        EXPECT_EQ(seen.slot0, data[0]);
        EXPECT_EQ(seen.slot1, smallest);
        EXPECT_FALSE(std::filesystem::exists(kResultFileName));
    }
}

TEST_F(Run, BrokenRoutineShowsIndexThenDumpsThenShowsTime) {
    bool ordered = true;
    const auto boxes = RecordBoxes([&] {
        ordered = RunBenchmark(nullptr, SortThenSwapSlot17, BoundForm::kExclusiveUpper, "Broken");
    });
    EXPECT_FALSE(ordered);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Failed at index");
    EXPECT_EQ(boxes[0].text, "17");
    EXPECT_EQ(boxes[1].caption, "Broken");
    EXPECT_TRUE(IsBareNumber(boxes[1].text)) << boxes[1].text;

    std::vector<std::int32_t> expected = FixedSeedArray();
    std::sort(expected.begin() + 1, expected.end());
    std::swap(expected[17], expected[18]);
    EXPECT_TRUE(SameBytes(ReadBytes(kResultFileName), DumpOf(expected)));
}

TEST_F(Run, UnsortedSlotsReportTheirFirstDescentNotTheUnsortedSlotZero) {
    const std::vector<std::int32_t> data = FixedSeedArray();
    std::int32_t firstDescent = 1;
    while (data[firstDescent] <= data[firstDescent + 1]) ++firstDescent;
    const auto boxes = RecordBoxes(
        [] { RunBenchmark(nullptr, LeaveUnsorted, BoundForm::kExclusiveUpper, "Idle"); });
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Failed at index");
    EXPECT_EQ(boxes[0].text, std::to_string(firstDescent));
    EXPECT_EQ(boxes[1].caption, "Idle");
    EXPECT_TRUE(SameBytes(ReadBytes(kResultFileName), DumpOf(data)));
}

TEST_F(Run, ADumpThatCannotBeWrittenIsSaidBeforeTheTime) {
    std::filesystem::create_directory(kResultFileName);
    const auto boxes = RecordBoxes(
        [] { RunBenchmark(nullptr, SortThenSwapSlot17, BoundForm::kExclusiveUpper, "Broken"); });
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].caption, "Failed at index");
    EXPECT_EQ(boxes[1].caption, "Broken");
    EXPECT_EQ(boxes[1].text, kDumpFailedText);
    EXPECT_EQ(boxes[2].caption, "Broken");
    EXPECT_TRUE(IsBareNumber(boxes[2].text));
}

TEST_F(Run, EveryRunSortsTheSameData) {
    RecordBoxes([] { RunBenchmark(nullptr, kObserved[2], BoundForm::kInclusiveUpper, "a"); });
    const Observation first = seen;
    NextBelow(kDrawBound);  // disturb the generator between runs
    RecordBoxes([] { RunBenchmark(nullptr, kObserved[2], BoundForm::kInclusiveUpper, "b"); });
    EXPECT_EQ(seen.slot0, first.slot0);
    EXPECT_EQ(seen.slot1, first.slot1);
    EXPECT_EQ(seen.lastSlot, first.lastSlot);
}

}  // namespace
