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

// One step of the unrolled scan. Returns true when the pass may go on:
// slot i was not larger than p and i is still below j.
inline bool ScanStep(const std::int32_t* slots, std::int32_t p, std::int32_t& i,
                     std::int32_t j) {
    if (slots[i] > p) return false;
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

void FirstPivotSortUnrolled(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    if (hi - lo < 2) return;
    const std::int32_t p = slots[lo];
    std::int32_t i = lo + 1;
    std::int32_t j = hi;
    while (i < j) {
        if (ScanStep(slots, p, i, j) && ScanStep(slots, p, i, j) &&
            ScanStep(slots, p, i, j) && ScanStep(slots, p, i, j) &&
            ScanStep(slots, p, i, j) && ScanStep(slots, p, i, j) &&
            ScanStep(slots, p, i, j) && ScanStep(slots, p, i, j))
            continue;
        // The pass stopped early: either at a larger slot (i < j), which is
        // exchanged before the next pass, or because i reached j.
        if (i < j) std::swap(slots[i], slots[--j]);
    }
    const std::int32_t m = PlacePivot(slots, lo, i);
    if (m - lo > 1) FirstPivotSortUnrolled(slots, lo, m);
    if (hi - j > 1) FirstPivotSortUnrolled(slots, j, hi);
}
