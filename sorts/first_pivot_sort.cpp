#include "sorts/first_pivot_sort.h"

#include <utility>

namespace {

// Partition invariant for both members, pivot p kept in slot lo:
//   lo + 1 ... i - 1  hold values <= p
//   i ... j - 1       not yet examined
//   j ... hi - 1      hold values > p
// A slot larger than p is exchanged with slot j - 1, and i stays put so the
// value brought in is examined next.

// Ends a partition whose scan stopped at i == j: puts the pivot into its
// final slot i - 1 and returns that slot.
inline std::int32_t PlacePivot(std::int32_t* slots, std::int32_t lo, std::int32_t i) {
    const std::int32_t m = i - 1;
    std::swap(slots[lo], slots[m]);
    return m;
}

// One step of the unrolled scan over the slot at i. Returns true when the
// pass may go on: the slot was not larger than p and i, moved on, is still
// below j.
inline bool ScanStep(std::int32_t p, std::int32_t*& i, const std::int32_t* j) {
    if (*i > p) return false;
    return ++i < j;
}

}  // namespace

void FirstPivotSortTail(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    while (hi - lo > 1) {
        const std::int32_t p = slots[lo];
        std::int32_t i = lo + 1;
        std::int32_t j = hi;
        while (i < j) {
            if (slots[i] > p)
                std::swap(slots[i], slots[--j]);
            else
                ++i;
        }
        const std::int32_t m = PlacePivot(slots, lo, i);
        if (m - lo > 1) FirstPivotSortTail(slots, lo, m);
        lo = j;  // the loop test ends it when the right sub-range has one slot or none
    }
}

// The scan works on pointers rather than indices: each step then reads at a
// fixed offset from i, and a pass that starts again after an exchange does
// not rebuild its address from an index first. Comparisons and exchanges
// are the same as in the index form.
void FirstPivotSortUnrolled(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    if (hi - lo < 2) return;
    const std::int32_t p = slots[lo];
    std::int32_t* i = slots + lo + 1;
    std::int32_t* j = slots + hi;
    while (i < j) {
        if (ScanStep(p, i, j) && ScanStep(p, i, j) && ScanStep(p, i, j) &&
            ScanStep(p, i, j) && ScanStep(p, i, j) && ScanStep(p, i, j) &&
            ScanStep(p, i, j) && ScanStep(p, i, j))
            continue;
        // The pass stopped early: either at a larger slot (i < j), which is
        // exchanged before the next pass, or because i reached j.
        if (i < j) std::swap(*i, *--j);
    }
    const auto split = static_cast<std::int32_t>(j - slots);
    const std::int32_t m = PlacePivot(slots, lo, split);
    if (m - lo > 1) FirstPivotSortUnrolled(slots, lo, m);
    if (hi - split > 1) FirstPivotSortUnrolled(slots, split, hi);
}
