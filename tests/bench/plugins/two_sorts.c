/* A table of two sorts, for the loading tests: both names must come out of
 * the table as written, and both sorts must sort. */
#include <orvandel/sort_plugin.h>
#include "insertion_sort.h"

/* Gaps of Ciura's sequence, the last one an insertion sort. */
static void shell_sort(int32_t* first, int32_t* last) {
    static const long gaps[] = {701, 301, 132, 57, 23, 10, 4, 1};
    for (unsigned g = 0; g < sizeof gaps / sizeof gaps[0]; ++g)
        for (int32_t* i = first + gaps[g]; i < last; ++i) {
            const int32_t v = *i;
            int32_t* j = i;
            for (; j - first >= gaps[g] && v < *(j - gaps[g]); j -= gaps[g]) *j = *(j - gaps[g]);
            *j = v;
        }
}

static const struct orvandel_sort_entry sorts[] = {{"Two: insertion", insertion_sort}, {"Two: shell", shell_sort}};

ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 2, sorts};
