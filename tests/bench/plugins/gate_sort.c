/* One sort built twice for the gate on instructions: as it is, and with
 * EXTRA_PASS one more pass over its range before sorting, which changes no
 * slot but executes a few more instructions per element: what
 * --fail-if-more-instructions must catch, while the same library measured
 * twice must show no change at all. */
#include <orvandel/sort_plugin.h>
#include "shell_sort.h"

static void gate_sort(int32_t* first, int32_t* last) {
#ifdef EXTRA_PASS
    for (volatile int32_t* slot = first; slot < last; ++slot) *slot = *slot;
#endif
    shell_sort(first, last);
}

static const struct orvandel_sort_entry sorts[] = {{"Gate sort", gate_sort}};

ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 1, sorts};
