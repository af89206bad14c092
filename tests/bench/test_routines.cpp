#include "tests/bench/test_routines.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "bench/measure/reference_sorts.h"

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

std::vector<Contender> TestContenders() {
    std::vector<Contender> all = AllContenders();
    all.insert(all.end(), {kBroken, kStackHungry, kEndless, kAborting, kCounted});
    return all;
}
