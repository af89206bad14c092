/* The Shell sort the test libraries share: a correct sort of their own,
 * unlike the examples' insertion sort quick enough for every test size. */
#ifndef ORVANDEL_TESTS_SHELL_SORT_H
#define ORVANDEL_TESTS_SHELL_SORT_H

#include <stdint.h>

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

#endif
