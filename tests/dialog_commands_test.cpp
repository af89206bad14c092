// What the dialog procedure hands to a benchmark run for each command.
// This test program is linked with the unchanged dialog procedure and a
// RunBenchmark of its own, below, that records its arguments instead of
// running: so the test sees which routine a button starts, not only the
// caption its box would show. That RunBenchmark runs the routine it is
// given is the benchmark run's own tests' concern.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "core/benchmark_run.h"
#include "sorts/first_pivot_sort.h"
#include "sorts/sedgewick_sort.h"
#include "ui/main_dialog.h"

namespace {

struct HandedRun {
    HWND owner;
    SortRoutine routine;
    BoundForm bounds;
    std::string caption;
};

std::vector<HandedRun> handedRuns;

}  // namespace

bool RunBenchmark(HWND owner, SortRoutine routine, BoundForm bounds, const char* caption) {
    handedRuns.push_back({owner, routine, bounds, caption});
    return true;
}

namespace {

// The dialog's handle is only passed on, as the owner of the run's boxes.
const HWND kDialog = reinterpret_cast<HWND>(0x5150);

struct RoutineButton {
    WPARAM command;
    const char* routineName;
    SortRoutine routine;
    BoundForm bounds;
    const char* caption;
};

const RoutineButton RoutineButtons[] = {
    {101, "FirstPivotSortTail", FirstPivotSortTail, BoundForm::kExclusiveUpper, "Full Optimised C"},
    {102, "FirstPivotSortUnrolled", FirstPivotSortUnrolled, BoundForm::kExclusiveUpper,
     "Full Optimised MASM"},
    {103, "SedgewickSortTail", SedgewickSortTail, BoundForm::kInclusiveUpper, "Sedgewick qsort C"},
    {104, "SedgewickSortUnrolled", SedgewickSortUnrolled, BoundForm::kInclusiveUpper,
     "Sedgewick qsort MASM"},
    {105, "SedgewickSortPlain", SedgewickSortPlain, BoundForm::kInclusiveUpper,
     "Sedgewick qsort Unoptimised"},
};

TEST(DialogCommands, EachRoutineButtonRunsItsOwnRoutineUnderItsCaption) {
    for (const RoutineButton& button : RoutineButtons) {
        SCOPED_TRACE(std::to_string(button.command) + ", " + button.routineName);
        handedRuns.clear();
        EXPECT_EQ(MainDialogProc(kDialog, WM_COMMAND, button.command, 0), FALSE);
        ASSERT_EQ(handedRuns.size(), 1u);
        EXPECT_TRUE(handedRuns[0].routine == button.routine) << "another routine was run";
        EXPECT_TRUE(handedRuns[0].bounds == button.bounds) << "the other bound form";
        EXPECT_EQ(handedRuns[0].caption, button.caption);
        EXPECT_EQ(handedRuns[0].owner, kDialog);
    }
}

// The whole parameter is the command: a notification code in its high word
// makes it none of the buttons'; neighbours of the routine commands, IDOK,
// and other messages carrying a routine's number start nothing.
TEST(DialogCommands, NothingElseStartsARun) {
    const WPARAM commands[] = {IDOK, 100, 107, MAKEWPARAM(101, EN_CHANGE),
                               MAKEWPARAM(103, BN_DBLCLK), MAKEWPARAM(105, 1)};
    handedRuns.clear();
    for (const WPARAM command : commands)
        EXPECT_EQ(MainDialogProc(kDialog, WM_COMMAND, command, 0), FALSE) << command;
    for (const UINT message : {WM_SYSCOMMAND, WM_NOTIFY, WM_USER})
        EXPECT_EQ(MainDialogProc(kDialog, message, 101, 0), FALSE) << message;
    EXPECT_TRUE(handedRuns.empty()) << handedRuns.size() << " runs, the first under \""
                                    << (handedRuns.empty() ? "" : handedRuns[0].caption) << "\"";
}

}  // namespace
