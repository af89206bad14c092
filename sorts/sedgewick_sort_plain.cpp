// Built without optimisation in every configuration: this is the baseline
// offered to the user to improve on. The steps' templates have internal
// linkage, so this file compiles an unoptimised copy of its own, partition
// included.
#include "sorts/sedgewick_sort.h"

#include "sorts/sedgewick_steps.h"

void SedgewickSortPlain(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    SedgewickPlainSteps(slots, l, r);
}
