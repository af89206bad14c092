/* Sorts that fail on purpose, one way each, for the tests of the guard:
 * each must cost only its own cells while the rest of the suite is
 * measured. Not an example to follow. The symbol chooses the failure:
 *
 *   broken_crash         writes through a null pointer
 *   broken_hang          never returns
 *   broken_write_past    sorts, then changes the slot just past the range
 *   broken_write_before  sorts, then changes the slot just before it
 *   broken_order         leaves the range in descending order
 */
/* Installed, the header is <orvandel/sort_plugin.h>; from here it builds
 * straight from a clone, with no -I. */
#include "../include/orvandel/sort_plugin.h"
#include "insertion_sort.h"

#include <stddef.h>

ORVANDEL_EXPORT void broken_crash(int32_t* first, int32_t* last) {
    volatile int32_t* volatile nowhere = NULL;
    *nowhere = (int32_t)(last - first);
}

ORVANDEL_EXPORT void broken_hang(int32_t* first, int32_t* last) {
    volatile int32_t* slot = first;
    for (;;) *slot = *(last - 1);
}

ORVANDEL_EXPORT void broken_write_past(int32_t* first, int32_t* last) {
    insertion_sort(first, last);
    *last ^= 1; /* a change whatever the slot held */
}

ORVANDEL_EXPORT void broken_write_before(int32_t* first, int32_t* last) {
    insertion_sort(first, last);
    first[-1] ^= 1;
}

ORVANDEL_EXPORT void broken_order(int32_t* first, int32_t* last) {
    insertion_sort(first, last);
    for (int32_t* l = first, *r = last - 1; l < r; ++l, --r) {
        const int32_t t = *l;
        *l = *r;
        *r = t;
    }
}
