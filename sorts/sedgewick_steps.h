// The steps of the Sedgewick members, over any slot type (see
// routine_steps.h). Bounds are inclusive: l ... r.
#pragma once

#include <cstdint>
#include <utility>

#include "sorts/routine_steps.h"

namespace {

// Partitions slots l ... r (l < r) around v = slot r and returns the pivot's
// final slot i: slots l ... i - 1 hold values <= v, slots i + 1 ... r values >= v.
// The upward scan needs no bound test, since slot r holds v and stops it;
// the downward scan compares slot l before stopping there. Shared by the
// tail-iterating and the plain member; the plain member's file, built
// without optimisation, keeps its own unoptimised copy.
template <typename Slot>
inline std::int32_t PartitionSedgewick(Slot* slots, std::int32_t l, std::int32_t r) {
    using std::swap;
    const Slot v = slots[r];
    std::int32_t i = l - 1;
    std::int32_t j = r;
    for (;;) {
        while (slots[++i] < v) {
        }
        while (slots[--j] > v) {
            if (j == l) break;
        }
        if (i >= j) break;
        swap(slots[i], slots[j]);
    }
    swap(slots[i], slots[r]);
    return i;
}

// One slot per scan step; recurses on the left sub-range and iterates on
// the right one, reading its pivot afresh.
template <typename Slot, typename Watch = NoWatch>
ORVANDEL_ROUTINE_STEPS
void SedgewickTailSteps(Slot* slots, std::int32_t l, std::int32_t r) {
    Watch::Enter(l, r);
    while (r > l) {
        const std::int32_t i = PartitionSedgewick(slots, l, r);
        SedgewickTailSteps<Slot, Watch>(slots, l, i - 1);
        l = i + 1;
    }
}

// The reference form: one partition, then both sub-ranges by recursive
// calls, the left one first.
template <typename Slot, typename Watch = NoWatch>
ORVANDEL_ROUTINE_STEPS
void SedgewickPlainSteps(Slot* slots, std::int32_t l, std::int32_t r) {
    Watch::Enter(l, r);
    if (r <= l) return;
    const std::int32_t i = PartitionSedgewick(slots, l, r);
    SedgewickPlainSteps<Slot, Watch>(slots, l, i - 1);
    SedgewickPlainSteps<Slot, Watch>(slots, i + 1, r);
}

// Steps of the unrolled scans, on pointers. Each returns true while its
// scan goes on. The upward scan keeps the slot after the one it examined
// last, so that no pointer ever points before the range.
template <typename Slot>
inline bool StepUp(const Slot& v, Slot*& after) {
    return *after++ < v;
}

template <typename Slot>
inline bool StepDown(const Slot& v, Slot*& j, const Slot* left) {
    return *--j > v && j != left;
}

// The upward scan unrolled eight-fold, the downward scan two-fold; recurses
// on both sub-ranges, the left one first. Pointers rather than indices:
// every step of a pass reads at a fixed offset and the exchange needs no
// address arithmetic. The steps are those of the index form.
template <typename Slot, typename Watch = NoWatch>
ORVANDEL_ROUTINE_STEPS
void SedgewickUnrolledSteps(Slot* slots, std::int32_t l, std::int32_t r) {
    Watch::Enter(l, r);
    using std::swap;
    if (r <= l) return;
    Slot* const left = slots + l;
    Slot* const right = slots + r;
    const Slot v = *right;
    Slot* after = left;
    Slot* j = right;
    for (;;) {
        while (StepUp(v, after) && StepUp(v, after) && StepUp(v, after) &&
               StepUp(v, after) && StepUp(v, after) && StepUp(v, after) &&
               StepUp(v, after) && StepUp(v, after)) {
        }
        while (StepDown(v, j, left) && StepDown(v, j, left)) {
        }
        if (after > j) break;  // the slot the upward scan stopped on is at or past j
        swap(after[-1], *j);
    }
    Slot* const i = after - 1;
    swap(*i, *right);
    const auto pivot = static_cast<std::int32_t>(i - slots);
    SedgewickUnrolledSteps<Slot, Watch>(slots, l, pivot - 1);
    SedgewickUnrolledSteps<Slot, Watch>(slots, pivot + 1, r);
}

}  // namespace
