// The single-step Sedgewick partition shared by the tail-iterating and the
// plain member. Internal linkage on purpose: the plain member's file is
// built without optimisation and must get its own unoptimised copy, not
// share one with the optimised file.
#pragma once

#include <cstdint>
#include <utility>

// Partitions slots l ... r (l < r) around v = slot r and returns the pivot's
// final slot i: slots l ... i - 1 hold values <= v, slots i + 1 ... r values >= v.
// The upward scan needs no bound test, since slot r holds v and stops it;
// the downward scan compares slot l before stopping there.
static inline std::int32_t PartitionSedgewick(std::int32_t* slots, std::int32_t l,
                                              std::int32_t r) {
    const std::int32_t v = slots[r];
    std::int32_t i = l - 1;
    std::int32_t j = r;
    for (;;) {
        while (slots[++i] < v) {
        }
        while (slots[--j] > v) {
            if (j == l) break;
        }
        if (i >= j) break;
        std::swap(slots[i], slots[j]);
    }
    std::swap(slots[i], slots[r]);
    return i;
}
