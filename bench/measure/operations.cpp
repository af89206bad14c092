#include "bench/measure/operations.h"

#include <cstring>

#include "sorts/first_pivot_steps.h"
#include "sorts/sedgewick_steps.h"

std::size_t RecursionDepth::Enter(std::int32_t lo, std::int32_t hi) {
    while (!open_.empty() && !(open_.back().first <= lo && hi <= open_.back().second)) open_.pop_back();
    open_.emplace_back(lo, hi);
    deepest_ = std::max(deepest_, open_.size());
    return open_.size();
}

namespace {

// What the counting run in progress has seen. The slots' operators and the
// watch's Enter are static, so they find it here; a plain global rather than
// one per thread, since its counts are bumped billions of times in a
// quadratic cell and must cost no more than an add. One count runs at a
// time: the counting child counts its contenders one after another.
struct Tally {
    OperationCounts counts;
    RecursionDepth depth;
    std::uintptr_t firstLevel = 0;  // a local's address in the outermost call
};
Tally tally;

// A slot that counts its comparisons and exchanges. Copying one (the
// pivot read into a local) is neither.
struct CountingSlot {
    std::int32_t value;
};

bool operator<(const CountingSlot& a, const CountingSlot& b) {
    ++tally.counts.comparisons;
    return a.value < b.value;
}

bool operator>(const CountingSlot& a, const CountingSlot& b) {
    ++tally.counts.comparisons;
    return a.value > b.value;
}

void swap(CountingSlot& a, CountingSlot& b) {
    ++tally.counts.exchanges;
    std::swap(a.value, b.value);
}

// Counts every call and measures one level's stack: the distance between
// a local of the outermost call and one of the first call a level below,
// both in the steps' own frames since Enter is inlined into them.
struct CountingWatch {
    static ORVANDEL_ALWAYS_INLINE void Enter(std::int32_t lo, std::int32_t hi) {
        char local = 0;
        const auto here = reinterpret_cast<std::uintptr_t>(&local);
        ++tally.counts.calls;
        const std::size_t level = tally.depth.Enter(lo, hi);
        if (level == 1 && tally.firstLevel == 0) tally.firstLevel = here;
        if (level == 2 && tally.counts.frameBytes == 0)
            tally.counts.frameBytes = tally.firstLevel > here ? tally.firstLevel - here : here - tally.firstLevel;
    }
};

using CountingSteps = void (*)(CountingSlot*, std::int32_t, std::int32_t);

// Runs steps over counting copies of slots 0 ... last and writes the sorted
// values back, so the caller checks the order as after a timed sort.
OperationCounts Count(CountingSteps steps, std::int32_t* slots, std::int32_t lo, std::int32_t hi,
                      std::int32_t last) {
    std::vector<CountingSlot> counted(static_cast<std::size_t>(last) + 1);
    std::memcpy(counted.data(), slots, counted.size() * sizeof(std::int32_t));
    tally = Tally{};
    tally.counts.steps = true;
    steps(counted.data(), lo, hi);
    std::memcpy(slots, counted.data(), counted.size() * sizeof(std::int32_t));
    tally.counts.depth = tally.depth.Deepest();
    return tally.counts;
}

static_assert(sizeof(CountingSlot) == sizeof(std::int32_t), "counting copies are written back byte for byte");

}  // namespace

OperationCounts CountFirstPivotTail(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return Count(FirstPivotTailSteps<CountingSlot, CountingWatch>, slots, lo, hi, hi - 1);
}

OperationCounts CountFirstPivotUnrolled(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return Count(FirstPivotUnrolledSteps<CountingSlot, CountingWatch>, slots, lo, hi, hi - 1);
}

OperationCounts CountSedgewickTail(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    return Count(SedgewickTailSteps<CountingSlot, CountingWatch>, slots, l, r, r);
}

OperationCounts CountSedgewickUnrolled(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    return Count(SedgewickUnrolledSteps<CountingSlot, CountingWatch>, slots, l, r, r);
}

OperationCounts CountSedgewickPlain(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    return Count(SedgewickPlainSteps<CountingSlot, CountingWatch>, slots, l, r, r);
}
