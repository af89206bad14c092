// Behaviour that only the stand-in platform layer can be made to show.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <sys/resource.h>

#include "core/benchmark_run.h"
#include "sorts/routine_table.h"
#include "tests/support/box_log.h"
#include "tests/support/scratch_dir.h"

namespace {

int NiceNow() {
    errno = 0;
    return getpriority(PRIO_PROCESS, 0);
}

int routineCalls = 0;
int niceDuringRoutine = 0;

void RecordPriority(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    ++routineCalls;
    niceDuringRoutine = NiceNow();
    RoutineTable[0].routine(slots, lo, hi);
}

class StandinRun : public InScratchDir {
protected:
    void SetUp() override {
        InScratchDir::SetUp();
        routineCalls = 0;
    }
    void TearDown() override {
        StandinLimitGlobalAlloc(SIZE_MAX);
        InScratchDir::TearDown();
    }
};

TEST_F(StandinRun, ABlockThatCannotBeObtainedIsSaidAndNothingRuns) {
    StandinLimitGlobalAlloc(sizeof(std::int32_t) * kSlotCount - 1);
    const int niceBefore = NiceNow();
    bool ordered = true;
    const auto boxes = RecordBoxes([&] {
        ordered = RunBenchmark(nullptr, RecordPriority, BoundForm::kExclusiveUpper, "Full Optimised C");
    });
    EXPECT_FALSE(ordered);
    EXPECT_EQ(routineCalls, 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Full Optimised C");
    EXPECT_EQ(boxes[0].text, kNoMemoryText);
    EXPECT_EQ(NiceNow(), niceBefore);
}

TEST_F(StandinRun, PriorityIsRaisedForTheSortOnlyAndThenRestored) {
    const int niceBefore = NiceNow();
    RecordBoxes([] { RunBenchmark(nullptr, RecordPriority, BoundForm::kExclusiveUpper, "x"); });
    EXPECT_EQ(routineCalls, 1);
    if (niceDuringRoutine == niceBefore)
        GTEST_SKIP() << "this process may not lower its nice value (RLIMIT_NICE)";
    EXPECT_LT(niceDuringRoutine, niceBefore);
    if (geteuid() == 0) {
        EXPECT_EQ(niceDuringRoutine, -20);
    }
    EXPECT_EQ(NiceNow(), niceBefore);
}

TEST_F(StandinRun, ADumpCutShortByAFullDiskIsReported) {
    std::filesystem::create_symlink("/dev/full", kResultFileName);
    const std::int32_t slots[] = {1, 2, 3};
    EXPECT_FALSE(WriteResultFile(slots, 3));
}

TEST(Standin, MessageBoxPrintsCaptionAndTextOnOneLine) {
    testing::internal::CaptureStdout();
    MessageBoxA(nullptr, "512", "Full Optimised C", MB_OK);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Full Optimised C: 512\n");
}

TEST(Standin, GlobalAllocZeroFills) {
    auto* block = static_cast<unsigned char*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 4096));
    ASSERT_NE(block, nullptr);
    for (int k = 0; k < 4096; ++k) ASSERT_EQ(block[k], 0);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

// It moves by the milliseconds of the monotonic clock that passed between
// two reads, however long this process waited between them: the step is
// bounded by that clock's time around the two reads, not by a guess.
TEST(Standin, TickCountMovesForward) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point beforeStart = Clock::now();
    const DWORD start = GetTickCount();
    DWORD now = start;
    for (;;) {
        const Clock::time_point beforeRead = Clock::now();
        now = GetTickCount();
        if (now != start) break;
        beforeStart = beforeRead;  // the last read that still gave start
    }
    const double passedMs = std::chrono::duration<double, std::milli>(Clock::now() - beforeStart).count();
    EXPECT_LE(ElapsedTicks(start, now), passedMs + 1);
}

}  // namespace
