#include "bench/measure/operations.h"

#include <cstring>

#include "sorts/element_order.h"
#include "sorts/first_pivot_steps.h"
#include "sorts/sedgewick_steps.h"
#include "sorts/typed_routines.h"

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
template <typename T>
struct CountingSlot {
    T value;
};

template <typename T>
bool operator<(const CountingSlot<T>& a, const CountingSlot<T>& b) {
    ++tally.counts.comparisons;
    return a.value < b.value;
}

template <typename T>
bool operator>(const CountingSlot<T>& a, const CountingSlot<T>& b) {
    ++tally.counts.comparisons;
    return a.value > b.value;
}

template <typename T>
void swap(CountingSlot<T>& a, CountingSlot<T>& b) {
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

template <typename T>
using CountingSteps = void (*)(CountingSlot<T>*, std::int32_t, std::int32_t);

// Runs steps over counting copies of slots 0 ... last and writes the sorted
// values back, so the caller checks the order as after a timed sort.
template <typename T>
OperationCounts Count(CountingSteps<T> steps, T* slots, std::int32_t lo, std::int32_t hi, std::int32_t last) {
    static_assert(sizeof(CountingSlot<T>) == sizeof(T), "counting copies are written back byte for byte");
    std::vector<CountingSlot<T>> counted(static_cast<std::size_t>(last) + 1);
    std::memcpy(static_cast<void*>(counted.data()), slots, counted.size() * sizeof(T));
    tally = Tally{};
    tally.counts.steps = true;
    steps(counted.data(), lo, hi);
    std::memcpy(slots, static_cast<const void*>(counted.data()), counted.size() * sizeof(T));
    tally.counts.depth = tally.depth.Deepest();
    return tally.counts;
}

// The range first ... last - 1 as slots 0 ... n - 1, with the upper bound of
// an exclusive member (n) or an inclusive one (n - 1).
template <typename T>
std::int32_t Slots(const T* first, const T* last) {
    return static_cast<std::int32_t>(last - first);
}

}  // namespace

OperationCounts CountFirstPivotTail(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return Count<std::int32_t>(FirstPivotTailSteps<CountingSlot<std::int32_t>, CountingWatch>, slots, lo, hi, hi - 1);
}

OperationCounts CountFirstPivotUnrolled(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return Count<std::int32_t>(FirstPivotUnrolledSteps<CountingSlot<std::int32_t>, CountingWatch>, slots, lo, hi,
                               hi - 1);
}

OperationCounts CountSedgewickTail(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    return Count<std::int32_t>(SedgewickTailSteps<CountingSlot<std::int32_t>, CountingWatch>, slots, l, r, r);
}

OperationCounts CountSedgewickUnrolled(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    return Count<std::int32_t>(SedgewickUnrolledSteps<CountingSlot<std::int32_t>, CountingWatch>, slots, l, r, r);
}

OperationCounts CountSedgewickPlain(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    return Count<std::int32_t>(SedgewickPlainSteps<CountingSlot<std::int32_t>, CountingWatch>, slots, l, r, r);
}

template <typename T>
OperationCounts CountFirstPivotTailRange(T* first, T* last) {
    const std::int32_t n = Slots(first, last);
    return Count<T>(FirstPivotTailSteps<CountingSlot<T>, CountingWatch>, first, 0, n, n - 1);
}

template <typename T>
OperationCounts CountFirstPivotUnrolledRange(T* first, T* last) {
    const std::int32_t n = Slots(first, last);
    return Count<T>(FirstPivotUnrolledSteps<CountingSlot<T>, CountingWatch>, first, 0, n, n - 1);
}

template <typename T>
OperationCounts CountSedgewickTailRange(T* first, T* last) {
    const std::int32_t n = Slots(first, last);
    return Count<T>(SedgewickTailSteps<CountingSlot<T>, CountingWatch>, first, 0, n - 1, n - 1);
}

template <typename T>
OperationCounts CountSedgewickUnrolledRange(T* first, T* last) {
    const std::int32_t n = Slots(first, last);
    return Count<T>(SedgewickUnrolledSteps<CountingSlot<T>, CountingWatch>, first, 0, n - 1, n - 1);
}

template <typename T>
OperationCounts CountSedgewickPlainRange(T* first, T* last) {
    const std::int32_t n = Slots(first, last);
    return Count<T>(SedgewickPlainSteps<CountingSlot<T>, CountingWatch>, first, 0, n - 1, n - 1);
}

#define ORVANDEL_INSTANTIATE(T)                                         \
    template OperationCounts CountFirstPivotTailRange<T>(T*, T*);       \
    template OperationCounts CountFirstPivotUnrolledRange<T>(T*, T*);   \
    template OperationCounts CountSedgewickTailRange<T>(T*, T*);        \
    template OperationCounts CountSedgewickUnrolledRange<T>(T*, T*);    \
    template OperationCounts CountSedgewickPlainRange<T>(T*, T*);
ORVANDEL_FOR_TYPED_ELEMENTS(ORVANDEL_INSTANTIATE)
