#include "sorts/first_pivot_sort.h"

#include "sorts/first_pivot_steps.h"

void FirstPivotSortTail(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    FirstPivotTailSteps(slots, lo, hi);
}

void FirstPivotSortUnrolled(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    FirstPivotUnrolledSteps(slots, lo, hi);
}
