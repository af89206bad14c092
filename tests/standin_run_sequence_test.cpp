// The exact order of a run's steps, as the stand-in reports its service
// calls and the routine under test adds its sort, with the priority class
// and the tick count at each. The dump is refused at once (a directory
// holds its name): writing 5,000,000 lines would take seconds, and where
// its creation comes in the run is seen all the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/benchmark_run.h"
#include "core/test_data.h"
#include "sorts/routine_table.h"
#include "tests/support/scratch_dir.h"

namespace {

// The counter starts far from zero, so that a raw tick is never taken for
// an elapsed time; every box and the dump's creation then take as long
// as a slow person and a slow disk might, so that any of them inside the
// timed interval would show.
constexpr DWORD kFirstTick = 2000000000;
constexpr DWORD kSlowStep = 1000000;

struct Event {
    std::string name;  // "sort", or the service with its class, file, or box caption: text
    DWORD priorityClass;
    DWORD tick;        // the counter at the call; 0 for the sort
};

std::vector<Event> events;
std::vector<std::int32_t> fixedData;  // what the fill must have left before the raise
std::int32_t* block = nullptr;
bool filledAtRaise = false;
int ticksRead = 0;

void Add(const std::string& name, DWORD tick) {
    events.push_back({name, GetPriorityClass(GetCurrentProcess()), tick});
}

void Observe(const StandinCall& call) {
    const std::string service = call.service;
    if (service == "GlobalAlloc") block = static_cast<std::int32_t*>(call.block);
    if (service == "SetPriorityClass" && call.number == REALTIME_PRIORITY_CLASS)
        filledAtRaise = block != nullptr && std::equal(fixedData.begin(), fixedData.end(), block);

    if (service == "SetPriorityClass")
        Add(service + (call.number == REALTIME_PRIORITY_CLASS ? " realtime" : " normal"), call.tick);
    else if (service == "MessageBoxA")
        Add(service + " " + call.caption + ": " + call.text, call.tick);
    else if (service == "CreateFileA")
        Add(service + " " + call.text, call.tick);
    else
        Add(service, call.tick);

    // A descent planted when the end tick is read must go unseen: the order
    // check belongs to the timed interval and so precedes that tick.
    if (service == "GetTickCount" && ++ticksRead == 2) block[99] = INT_MAX;
    if (service == "MessageBoxA" || service == "CreateFileA") StandinSetTickCount(call.tick + kSlowStep);
}

void Sort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    Add("sort", 0);
    RoutineTable[0].routine(slots, lo, hi);
}

void SortThenBreakSlot17(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    Sort(slots, lo, hi);
    slots[17] = INT_MAX;
}

// Where a case's expected sequence holds this, the result box shows the
// ticks elapsed between the run's two readings of the counter.
const std::string kElapsed = "ELAPSED";

struct SequenceCase {
    const char* name;
    SortRoutine routine;
    bool arrayRefused;
    std::vector<std::string> expected;
};

const std::string kResultBox = "MessageBoxA Run: " + kElapsed;

const SequenceCase SequenceCases[] = {
    {"ordered", Sort, false,
     {"GlobalAlloc", "SetPriorityClass realtime", "GetTickCount", "sort", "GetTickCount",
      "SetPriorityClass normal", kResultBox, "GlobalFree"}},
    {"descent", SortThenBreakSlot17, false,
     {"GlobalAlloc", "SetPriorityClass realtime", "GetTickCount", "sort", "GetTickCount",
      "SetPriorityClass normal", "MessageBoxA Failed at index: 17", "CreateFileA result.txt",
      std::string("MessageBoxA Run: ") + kDumpFailedText, kResultBox, "GlobalFree"}},
    {"no array", Sort, true,
     {"GlobalAlloc", std::string("MessageBoxA Run: ") + kNoMemoryText}},
};

class RunSequence : public InScratchDir {
protected:
    static void SetUpTestSuite() {
        fixedData.resize(kSlotCount);
        SeedGenerator(kRunSeed);
        FillTestArray(fixedData.data(), kSlotCount, kDrawBound);
    }

    static void TearDownTestSuite() { std::vector<std::int32_t>().swap(fixedData); }

    void TearDown() override {
        StandinObserveCalls(nullptr);
        StandinLimitGlobalAlloc(SIZE_MAX);
        InScratchDir::TearDown();
    }

    static std::vector<Event> Trace(const SequenceCase& run) {
        events.clear();
        block = nullptr;
        filledAtRaise = false;
        ticksRead = 0;
        std::filesystem::create_directory(kResultFileName);
        StandinLimitGlobalAlloc(run.arrayRefused ? kSlotCount : SIZE_MAX);
        StandinSetTickCount(kFirstTick);
        testing::internal::CaptureStdout();
        StandinObserveCalls(Observe);
        RunBenchmark(nullptr, run.routine, BoundForm::kExclusiveUpper, "Run");
        StandinObserveCalls(nullptr);
        testing::internal::GetCapturedStdout();
        StandinLimitGlobalAlloc(SIZE_MAX);
        return events;
    }
};

std::vector<std::string> NamesOf(const std::vector<Event>& trace) {
    std::vector<std::string> names;
    for (const Event& event : trace) names.push_back(event.name);
    return names;
}

std::vector<DWORD> TicksRead(const std::vector<Event>& trace) {
    std::vector<DWORD> ticks;
    for (const Event& event : trace)
        if (event.name == "GetTickCount") ticks.push_back(event.tick);
    return ticks;
}

// Seed, obtain and fill, raise, start tick, sort, check, end tick, normal
// priority; then the failure box and the dump, the result box, release.
TEST_F(RunSequence, StepsComeInTheirOrderAndTheResultBoxShowsTheirElapsedTicks) {
    for (const SequenceCase& run : SequenceCases) {
        SCOPED_TRACE(run.name);
        const std::vector<Event> trace = Trace(run);
        const std::vector<DWORD> ticks = TicksRead(trace);
        std::vector<std::string> expected = run.expected;
        if (ticks.size() == 2) {
            const DWORD elapsed = ElapsedTicks(ticks[0], ticks[1]);
            EXPECT_LT(elapsed, kSlowStep);
            std::replace(expected.begin(), expected.end(), kResultBox,
                         "MessageBoxA Run: " + std::to_string(elapsed));
        }
        EXPECT_EQ(NamesOf(trace), expected);
        EXPECT_EQ(filledAtRaise, !run.arrayRefused) << "the array was not filled before the raise";
    }
}

// After a failed check: both tick readings and the sort at raised
// priority; the boxes, the dump and the release at normal priority.
TEST_F(RunSequence, BoxesAndDumpComeAtNormalPriority) {
    const std::vector<Event> trace = Trace(SequenceCases[1]);  // descent
    const auto sort = std::find_if(trace.begin(), trace.end(),
                                   [](const Event& event) { return event.name == "sort"; });
    ASSERT_NE(sort, trace.end());
    if (sort->priorityClass == NORMAL_PRIORITY_CLASS)
        GTEST_SKIP() << "this process may not lower its nice value (RLIMIT_NICE), so the "
                        "raised priority cannot be seen";
    for (const Event& event : trace) {
        const bool raised = event.name == "SetPriorityClass realtime" ||
                            event.name == "GetTickCount" || event.name == "sort";
        EXPECT_EQ(event.priorityClass, raised ? REALTIME_PRIORITY_CLASS : NORMAL_PRIORITY_CLASS)
            << event.name;
    }
}

}  // namespace
