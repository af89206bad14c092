/* The insertion sort the broken sorts sort with before they do their harm,
 * and the tests' libraries with theirs. */
#ifndef ORVANDEL_EXAMPLES_INSERTION_SORT_H
#define ORVANDEL_EXAMPLES_INSERTION_SORT_H

#include <stdint.h>

/* Sorts first ... last - 1 ascending: each value moves left past the
 * larger values before it, stopping at first. */
static void insertion_sort(int32_t* first, int32_t* last) {
    for (int32_t* i = first + 1; i < last; ++i) {
        const int32_t v = *i;
        int32_t* j = i;
        for (; j > first && v < j[-1]; --j) *j = j[-1];
        *j = v;
    }
}

#endif
