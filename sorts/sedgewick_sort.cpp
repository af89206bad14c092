#include "sorts/sedgewick_sort.h"

#include "sorts/sedgewick_partition.h"

namespace {

// Steps of the unrolled scans. Each returns true while its scan goes on.
inline bool StepUp(const std::int32_t* slots, std::int32_t v, std::int32_t& i) {
    return slots[++i] < v;
}

inline bool StepDown(const std::int32_t* slots, std::int32_t v, std::int32_t& j,
                     std::int32_t l) {
    return slots[--j] > v && j != l;
}

}  // namespace

void SedgewickSortTail(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    while (r > l) {
        const std::int32_t i = PartitionSedgewick(slots, l, r);
        SedgewickSortTail(slots, l, i - 1);
        l = i + 1;
    }
}

void SedgewickSortUnrolled(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    if (r <= l) return;
    const std::int32_t v = slots[r];
    std::int32_t i = l - 1;
    std::int32_t j = r;
    for (;;) {
        while (StepUp(slots, v, i) && StepUp(slots, v, i) && StepUp(slots, v, i) &&
               StepUp(slots, v, i) && StepUp(slots, v, i) && StepUp(slots, v, i) &&
               StepUp(slots, v, i) && StepUp(slots, v, i)) {
        }
        while (StepDown(slots, v, j, l) && StepDown(slots, v, j, l)) {
        }
        if (i >= j) break;
        std::swap(slots[i], slots[j]);
    }
    std::swap(slots[i], slots[r]);
    SedgewickSortUnrolled(slots, l, i - 1);
    SedgewickSortUnrolled(slots, i + 1, r);
}
