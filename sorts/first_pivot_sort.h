// Quicksort with the first slot of a range as pivot and a one-directional
// partition: one scan from the left sends larger values to a region that
// grows from the right end. Upper bounds are exclusive.
#pragma once

#include <cstdint>

// Sorts slots lo ... hi - 1. Examines one slot per scan step; recurses on
// the left sub-range only and iterates on the right one. A range of fewer
// than two slots is left untouched.
void FirstPivotSortTail(std::int32_t* slots, std::int32_t lo, std::int32_t hi);

// Sorts slots lo ... hi - 1 with the same partition, its scan laid out as
// passes of eight steps, each with its own bound test; recurses on both
// sub-ranges. A range of fewer than two slots is left untouched.
void FirstPivotSortUnrolled(std::int32_t* slots, std::int32_t lo, std::int32_t hi);
