#include "tests/bench/test_routines.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

#include "bench/measure/reference_sorts.h"
#include "bench/suite/child_process.h"

namespace {

// Deeper than any stack: 2^30 frames of 64 KiB.
constexpr std::int32_t kUnreachableDepth = 1 << 30;

// Sorts, then puts a value one above its neighbour's at slot 17: ascending
// order broken there, and a value that was never given.
void BrokenAtSeventeen(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
    slots[17] = slots[18] + 1;
}

// The frame is used after the call, so the call cannot become a jump. Each
// frame touches one page of its 64 KiB, so the stack runs out quickly.
std::int32_t Dive(std::int32_t depth) {
    volatile char frame[1 << 16];
    frame[depth % sizeof frame] = static_cast<char>(depth);
    if (depth == kUnreachableDepth) return 0;
    return Dive(depth + 1) + frame[depth % sizeof frame];
}

void StackHungry(std::int32_t* slots, std::int32_t lo, std::int32_t) {
    slots[lo] += Dive(0);
}

void StdSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
}

// Sleeps rather than spins: the time limit must end it, not the machine.
void Endless(std::int32_t*, std::int32_t, std::int32_t) {
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}

void Abort(std::int32_t*, std::int32_t, std::int32_t) {
    std::abort();
}

// Sorts, then writes a sample of its own making on its child's report
// channel, as a sort that finds the channel can.
void Forge(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
    WriteToParent("sample 0 0.000001 0 1 0 -1 0 0 1\n");
}

// Says on the report channel that a repetition starts, again and again,
// and never returns: a deadline that moved with such lines would never come.
void Restart(std::int32_t*, std::int32_t, std::int32_t) {
    for (;;) {
        WriteToParent("started 1\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

// A process that outlives the sort unless its cell ends it: on Windows
// this program again, told to sleep; elsewhere a fork, which also holds
// the child's pipes open. It never ends by itself, so that only its cell's
// end can have ended it. Its id goes to the file kTestSleeperFile names.
long StartSleeper() {
#ifdef _WIN32
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" " + kTestSleeperFlag;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(process.dwProcessId);
#else
    const pid_t pid = fork();
    if (pid == 0) {
        for (;;) pause();
    }
    return pid;
#endif
}

void SortAndLeaveASleeper(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
    static const long sleeper = StartSleeper();  // one for the process is enough
    if (const char* file = std::getenv(kTestSleeperFile)) std::ofstream(file, std::ios::app) << sleeper << '\n';
}

// Every value given, folded in order: a draw's own name.
void SortAndRecord(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::uint64_t name = 14695981039346656037ull;
    for (std::int32_t k = lo; k < hi; ++k) name = (name ^ static_cast<std::uint32_t>(slots[k])) * 1099511628211ull;
    std::sort(slots + lo, slots + hi);
    if (const char* file = std::getenv(kTestRecordFile)) std::ofstream(file, std::ios::app) << name << '\n';
}

// The routine itself as its count: the counting pass meets what the timed
// runs would, and counts nothing.
template <SortRoutine kRoutine>
OperationCounts Uncounted(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    kRoutine(slots, lo, hi);
    return {};
}

// std::sort's comparisons, as the std::sort reference counts them.
OperationCounts CountedStdSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return ReferenceSorts().front().counter(slots, lo, hi);
}

}  // namespace

const Contender kBroken{"Broken", "Break", BrokenAtSeventeen, BoundForm::kExclusiveUpper, false, 1};
const Contender kStackHungry{"Stack hungry", "", StackHungry, BoundForm::kExclusiveUpper, false, 1,
                             Uncounted<StackHungry>};
const Contender kEndless{"Endless", "", Endless, BoundForm::kExclusiveUpper, false, 1, Uncounted<Endless>};
const Contender kAborting{"Aborting", "", Abort, BoundForm::kExclusiveUpper, false, 1, Uncounted<Abort>};
const Contender kCounted{"Counted", "Count", StdSort, BoundForm::kExclusiveUpper, false, 1, CountedStdSort};
const Contender kSleeperStarter{"Sleeper starter", "", SortAndLeaveASleeper, BoundForm::kExclusiveUpper, false, 1};
const Contender kForger{"Forger", "", Forge, BoundForm::kExclusiveUpper, false, 1};
const Contender kRestarter{"Restarter", "", Restart, BoundForm::kExclusiveUpper, false, 1};
const Contender kRecorder{"Recorder", "", SortAndRecord, BoundForm::kExclusiveUpper, false, 1};

std::vector<Contender> TestContenders() {
    std::vector<Contender> all = AllContenders();
    all.insert(all.end(), {kBroken, kStackHungry, kEndless, kAborting, kCounted, kForger, kRestarter, kSleeperStarter,
                           kRecorder});
    return all;
}
