// Built without optimisation in every configuration: this is the baseline
// offered to the user to improve on.
#include "sorts/sedgewick_sort.h"

#include "sorts/sedgewick_partition.h"

void SedgewickSortPlain(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    if (r <= l) return;
    const std::int32_t i = PartitionSedgewick(slots, l, r);
    SedgewickSortPlain(slots, l, i - 1);
    SedgewickSortPlain(slots, i + 1, r);
}
