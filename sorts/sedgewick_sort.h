// Sedgewick's quicksort: the last slot of a range is the pivot, and two
// scans moving towards each other exchange the pairs they stop on. Both
// bounds are inclusive; a call with r <= l changes nothing.
#pragma once

#include <cstdint>

// Sorts slots l ... r one slot per scan step; recurses on the left
// sub-range and iterates on the right one.
void SedgewickSortTail(std::int32_t* slots, std::int32_t l, std::int32_t r);

// Sorts slots l ... r with the upward scan unrolled eight-fold and the
// downward scan two-fold; recurses on both sub-ranges.
void SedgewickSortUnrolled(std::int32_t* slots, std::int32_t l, std::int32_t r);

// The reference form: the same steps as SedgewickSortTail, recursing on both
// sub-ranges, and built without optimisation as the baseline to improve on.
void SedgewickSortPlain(std::int32_t* slots, std::int32_t l, std::int32_t r);
