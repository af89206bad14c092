#include "sorts/sedgewick_sort.h"

#include "sorts/sedgewick_steps.h"

void SedgewickSortTail(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    SedgewickTailSteps(slots, l, r);
}

void SedgewickSortUnrolled(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    SedgewickUnrolledSteps(slots, l, r);
}
