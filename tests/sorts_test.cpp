#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

#include "sorts/first_pivot_sort.h"
#include "sorts/routine_table.h"
#include "sorts/sedgewick_sort.h"
#include "tests/support/sort_checks.h"

namespace {

class EveryRoutine : public testing::TestWithParam<int> {
protected:
    const RoutineEntry& Entry() const { return RoutineTable[GetParam()]; }
};

std::string RowName(const testing::TestParamInfo<int>& info) {
    return "command" + std::to_string(RoutineTable[info.param].commandId);
}

TEST_P(EveryRoutine, TwoSlots) {
    EXPECT_EQ(CheckRoutineSorts(Entry(), {5, 3}), "");
    EXPECT_EQ(CheckRoutineSorts(Entry(), {3, 5}), "");
    EXPECT_EQ(CheckRoutineSorts(Entry(), {4, 4}), "");
    EXPECT_EQ(CheckRoutineSorts(Entry(), {INT_MAX, INT_MIN}), "");
}

TEST_P(EveryRoutine, EmptyAndSingleRangesAreLeftAlone) {
    EXPECT_EQ(CheckRoutineSorts(Entry(), {}), "");
    EXPECT_EQ(CheckRoutineSorts(Entry(), {-9}), "");
}

TEST_P(EveryRoutine, AllEqualValues) {
    for (const int n : {3, 8, 9, 17, 1000}) EXPECT_EQ(CheckRoutineSorts(Entry(), std::vector<std::int32_t>(n, 7)), "");
}

TEST_P(EveryRoutine, EveryInputOfUpToSixSlotsOverThreeValues) {
    for (int n = 0; n <= 6; ++n) {
        int combinations = 1;
        for (int k = 0; k < n; ++k) combinations *= 3;
        for (int code = 0; code < combinations; ++code) {
            std::vector<std::int32_t> values;
            for (int k = 0, rest = code; k < n; ++k, rest /= 3) values.push_back(rest % 3 - 1);
            ASSERT_EQ(CheckRoutineSorts(Entry(), values), "");
        }
    }
}

TEST_P(EveryRoutine, RandomSmallArraysWithDuplicatesNegativesAndExtremes) {
    const std::int32_t extremes[] = {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX - 1, INT_MAX};
    std::mt19937 random(12345u + static_cast<unsigned>(GetParam()));
    for (int round = 0; round < 4000; ++round) {
        const int n = static_cast<int>(random() % 41);
        const bool useExtremes = round % 2 == 0;
        std::vector<std::int32_t> values(static_cast<std::size_t>(n));
        for (std::int32_t& value : values)
            value = useExtremes ? extremes[random() % 7] : static_cast<std::int32_t>(random() % 9) - 4;
        ASSERT_EQ(CheckRoutineSorts(Entry(), values), "");
    }
}

TEST_P(EveryRoutine, LargerRandomArrays) {
    std::mt19937 random(777u);
    for (const int n : {100, 1000, 20000}) {
        std::vector<std::int32_t> values(static_cast<std::size_t>(n));
        for (std::int32_t& value : values) value = static_cast<std::int32_t>(random());
        EXPECT_EQ(CheckRoutineSorts(Entry(), values), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, EveryRoutine, testing::Range(0, kRoutineCount), RowName);

TEST(SedgewickFamily, EmptyOrReversedBoundsWriteNothing) {
    for (const SortRoutine routine : {SedgewickSortTail, SedgewickSortUnrolled, SedgewickSortPlain}) {
        std::vector<std::int32_t> slots = {9, 8, 7, 6};
        routine(slots.data(), 2, 2);
        routine(slots.data(), 3, 1);
        EXPECT_EQ(slots, (std::vector<std::int32_t>{9, 8, 7, 6}));
    }
}

TEST(FirstPivotFamily, RangesBelowTwoSlotsWriteNothing) {
    for (const SortRoutine routine : {FirstPivotSortTail, FirstPivotSortUnrolled}) {
        std::vector<std::int32_t> slots = {9, 8, 7, 6};
        routine(slots.data(), 1, 2);
        routine(slots.data(), 2, 2);
        routine(slots.data(), 3, 1);
        EXPECT_EQ(slots, (std::vector<std::int32_t>{9, 8, 7, 6}));
    }
}

TEST(RoutineTable, ButtonOrderCaptionsAndBoundForms) {
    const int ids[] = {101, 102, 103, 104, 105};
    const char* captions[] = {"Full Optimised C", "Full Optimised MASM", "Sedgewick qsort C",
                              "Sedgewick qsort MASM", "Sedgewick qsort Unoptimised"};
    const char* labels[] = {"Qsort C", "Qsort asm", "SB sort C", "SB sort asm", "Optimise Me"};
    const SortRoutine routines[] = {FirstPivotSortTail, FirstPivotSortUnrolled, SedgewickSortTail,
                                    SedgewickSortUnrolled, SedgewickSortPlain};
    for (int k = 0; k < kRoutineCount; ++k) {
        EXPECT_EQ(RoutineTable[k].commandId, ids[k]);
        EXPECT_STREQ(RoutineTable[k].caption, captions[k]);
        EXPECT_STREQ(RoutineTable[k].buttonLabel, labels[k]);
        EXPECT_EQ(RoutineTable[k].routine, routines[k]);
        EXPECT_EQ(RoutineTable[k].bounds,
                  k < 2 ? BoundForm::kExclusiveUpper : BoundForm::kInclusiveUpper);
    }
}

TEST(RoutineTable, FindsByLabelOrCaptionIgnoringCase) {
    EXPECT_EQ(FindRoutine("qsort c"), &RoutineTable[0]);
    EXPECT_EQ(FindRoutine("FULL OPTIMISED MASM"), &RoutineTable[1]);
    EXPECT_EQ(FindRoutine("Optimise Me"), &RoutineTable[4]);
    EXPECT_EQ(FindRoutine("Sedgewick qsort Unoptimised"), &RoutineTable[4]);
    EXPECT_EQ(FindRoutine("Qsort"), nullptr);
    EXPECT_EQ(FindRoutine("Qsort C "), nullptr);
    EXPECT_EQ(FindRoutine(""), nullptr);
}

}  // namespace
