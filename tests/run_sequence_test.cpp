// When a run raises and restores the priority, and what its time covers, as
// seen from outside the run: by the routine it calls, by the boxes it
// shows, and by clocks read around it. Under Windows the services are the
// real ones.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <string>

#include "core/benchmark_run.h"
#include "sorts/routine_table.h"
#include "tests/support/box_log.h"
#include "tests/support/scratch_dir.h"

namespace {

// What the routine under test saw: the priority class it ran at, and the
// tick count just before and just after the real sort.
struct SortSeen {
    DWORD priorityClass;
    DWORD startTick;
    DWORD endTick;
};
SortSeen sortSeen;

void TimedSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    sortSeen.priorityClass = GetPriorityClass(GetCurrentProcess());
    sortSeen.startTick = GetTickCount();
    RoutineTable[0].routine(slots, lo, hi);
    sortSeen.endTick = GetTickCount();
}

void TimedSortThenBreakSlot17(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    TimedSort(slots, lo, hi);
    slots[17] = INT_MAX;
}

struct RunCase {
    const char* name;
    SortRoutine routine;
    int boxes;  // the result box, after a failed check also the failure and dump boxes
};

const RunCase RunCases[] = {
    {"ordered", TimedSort, 1},
    {"descent at 17", TimedSortThenBreakSlot17, 3},
};

// A directory holds the dump's name, so a failed run's dump is refused at
// once instead of writing 5,000,000 lines.
class RunAsSeenOutside : public InScratchDir {
protected:
    void SetUp() override {
        InScratchDir::SetUp();
        std::filesystem::create_directory(kResultFileName);
    }
};

// The priority is raised for the sort and normal again before the first
// box: no box waits for a person at raised priority.
TEST_F(RunAsSeenOutside, SortsRaisedAndShowsEveryBoxAtNormalPriority) {
    for (const RunCase& run : RunCases) {
        SCOPED_TRACE(run.name);
        sortSeen = SortSeen{};
        const auto boxes = RecordBoxes(
            [&] { RunBenchmark(nullptr, run.routine, BoundForm::kExclusiveUpper, "Timed"); });
        if (sortSeen.priorityClass == NORMAL_PRIORITY_CLASS)
            GTEST_SKIP() << "the priority raise was refused to this process, so a box shown "
                            "at raised priority could not be told apart";
        EXPECT_NE(sortSeen.priorityClass, 0u);
        ASSERT_EQ(static_cast<int>(boxes.size()), run.boxes);
        for (const ShownBox& box : boxes)
            EXPECT_EQ(box.priorityClass, NORMAL_PRIORITY_CLASS) << box.caption << ": " << box.text;
        EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), NORMAL_PRIORITY_CLASS);
    }
}

// The shown number is the tick count's elapsed time over an interval that
// holds the sort and lies inside the call: at least the ticks the sort
// took, at most the ticks and the steady clock's time around the call, the
// latter with one step of the coarsest tick count (1/64 s on Windows).
TEST_F(RunAsSeenOutside, ShowsTheTicksElapsedOverTheSortNotARawTick) {
    constexpr std::int64_t kCoarsestTickStep = 16;
    for (const RunCase& run : RunCases) {
        SCOPED_TRACE(run.name);
        const DWORD outsideStart = GetTickCount();
        const auto steadyStart = std::chrono::steady_clock::now();
        const auto boxes = RecordBoxes(
            [&] { RunBenchmark(nullptr, run.routine, BoundForm::kExclusiveUpper, "Timed"); });
        const auto steadyEnd = std::chrono::steady_clock::now();
        const DWORD outsideEnd = GetTickCount();

        ASSERT_EQ(static_cast<int>(boxes.size()), run.boxes);
        const std::string& text = boxes.back().text;
        ASSERT_FALSE(text.empty());
        ASSERT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text;
        const std::int64_t shown = std::stoll(text);
        const std::int64_t steadyMs =
            std::chrono::duration_cast<std::chrono::milliseconds>(steadyEnd - steadyStart).count();
        EXPECT_GE(shown, std::int64_t{ElapsedTicks(sortSeen.startTick, sortSeen.endTick)});
        EXPECT_LE(shown, std::int64_t{ElapsedTicks(outsideStart, outsideEnd)});
        EXPECT_LE(shown, steadyMs + kCoarsestTickStep);
    }
}

}  // namespace
