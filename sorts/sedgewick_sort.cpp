#include "sorts/sedgewick_sort.h"

#include "sorts/sedgewick_partition.h"

namespace {

// Steps of the unrolled scans, on pointers. Each returns true while its
// scan goes on. The upward scan keeps the slot after the one it examined
// last, so that no pointer ever points before the range.
inline bool StepUp(std::int32_t v, std::int32_t*& after) {
    return *after++ < v;
}

inline bool StepDown(std::int32_t v, std::int32_t*& j, const std::int32_t* left) {
    return *--j > v && j != left;
}

}  // namespace

void SedgewickSortTail(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    while (r > l) {
        const std::int32_t i = PartitionSedgewick(slots, l, r);
        SedgewickSortTail(slots, l, i - 1);
        l = i + 1;
    }
}

// Pointers rather than indices: every step of a pass reads at a fixed offset
// and the exchange needs no address arithmetic. The steps are those of the
// index form.
void SedgewickSortUnrolled(std::int32_t* slots, std::int32_t l, std::int32_t r) {
    if (r <= l) return;
    std::int32_t* const left = slots + l;
    std::int32_t* const right = slots + r;
    const std::int32_t v = *right;
    std::int32_t* after = left;
    std::int32_t* j = right;
    for (;;) {
        while (StepUp(v, after) && StepUp(v, after) && StepUp(v, after) &&
               StepUp(v, after) && StepUp(v, after) && StepUp(v, after) &&
               StepUp(v, after) && StepUp(v, after)) {
        }
        while (StepDown(v, j, left) && StepDown(v, j, left)) {
        }
        if (after > j) break;  // the slot the upward scan stopped on is at or past j
        std::swap(after[-1], *j);
    }
    std::int32_t* const i = after - 1;
    std::swap(*i, *right);
    const auto pivot = static_cast<std::int32_t>(i - slots);
    SedgewickSortUnrolled(slots, l, pivot - 1);
    SedgewickSortUnrolled(slots, pivot + 1, r);
}
