// The steps of the first-pivot members, over any slot type (see
// routine_steps.h). Bounds are exclusive: lo ... hi - 1.
#pragma once

#include <cstdint>
#include <utility>

#include "sorts/routine_steps.h"

namespace {

// Partition invariant for both members, pivot p kept in slot lo:
//   lo + 1 ... i - 1  hold values <= p
//   i ... j - 1       not yet examined
//   j ... hi - 1      hold values > p
// A slot larger than p is exchanged with slot j - 1, and i stays put so the
// value brought in is examined next.

// Ends a partition whose scan stopped at i == j: puts the pivot into its
// final slot i - 1 and returns that slot.
template <typename Slot>
inline std::int32_t PlacePivot(Slot* slots, std::int32_t lo, std::int32_t i) {
    using std::swap;
    const std::int32_t m = i - 1;
    swap(slots[lo], slots[m]);
    return m;
}

// One step of the unrolled scan over the slot at i. Returns true when the
// pass may go on: the slot was not larger than p and i, moved on, is still
// below j.
template <typename Slot>
inline bool ScanStep(const Slot& p, Slot*& i, const Slot* j) {
    if (*i > p) return false;
    return ++i < j;
}

// One slot per scan step; recurses on the left sub-range only and iterates
// on the right one. Fewer than two slots: nothing happens.
template <typename Slot, typename Watch = NoWatch>
ORVANDEL_ROUTINE_STEPS
void FirstPivotTailSteps(Slot* slots, std::int32_t lo, std::int32_t hi) {
    Watch::Enter(lo, hi);
    using std::swap;
    while (hi - lo > 1) {
        const Slot p = slots[lo];
        std::int32_t i = lo + 1;
        std::int32_t j = hi;
        while (i < j) {
            if (slots[i] > p)
                swap(slots[i], slots[--j]);
            else
                ++i;
        }
        const std::int32_t m = PlacePivot(slots, lo, i);
        if (m - lo > 1) FirstPivotTailSteps<Slot, Watch>(slots, lo, m);
        lo = j;  // the loop test ends it when the right sub-range has one slot or none
    }
}

// The scan as passes of eight steps, each with its own bound test; recurses
// on both sub-ranges, the left one first. It works on pointers rather than
// indices: each step then reads at a fixed offset from i, and a pass that
// starts again after an exchange does not rebuild its address from an index
// first. Comparisons and exchanges are the same as in the index form.
template <typename Slot, typename Watch = NoWatch>
ORVANDEL_ROUTINE_STEPS
void FirstPivotUnrolledSteps(Slot* slots, std::int32_t lo, std::int32_t hi) {
    Watch::Enter(lo, hi);
    using std::swap;
    if (hi - lo < 2) return;
    const Slot p = slots[lo];
    Slot* i = slots + lo + 1;
    Slot* j = slots + hi;
    while (i < j) {
        if (ScanStep(p, i, j) && ScanStep(p, i, j) && ScanStep(p, i, j) &&
            ScanStep(p, i, j) && ScanStep(p, i, j) && ScanStep(p, i, j) &&
            ScanStep(p, i, j) && ScanStep(p, i, j))
            continue;
        // The pass stopped early: either at a larger slot (i < j), which is
        // exchanged before the next pass, or because i reached j.
        if (i < j) swap(*i, *--j);
    }
    const auto split = static_cast<std::int32_t>(j - slots);
    const std::int32_t m = PlacePivot(slots, lo, split);
    if (m - lo > 1) FirstPivotUnrolledSteps<Slot, Watch>(slots, lo, m);
    if (hi - split > 1) FirstPivotUnrolledSteps<Slot, Watch>(slots, split, hi);
}

}  // namespace
