/* The "Optimise Me" exercise done right: the plain Sedgewick routine (pivot
 * the last slot, scans that stop on equal values) with the two classic
 * improvements of Sedgewick's own text. The pivot is the median of the
 * first, middle and last slots, so sorted input in either direction splits
 * evenly instead of costing quadratic time; and sub-ranges of fewer than
 * kCutoff slots are left for one insertion sort over the whole range at the
 * end, which finishes them with less work than partitioning would.
 *
 *   cc -O2 -shared -fPIC sedgewick_hybrid.c -o libsedgewick_hybrid.so
 *   orvandel-bench --sort-library ./libsedgewick_hybrid.so
 */
/* Installed, the header is <orvandel/sort_plugin.h>; from here it builds
 * straight from a clone, with no -I. */
#include "../include/orvandel/sort_plugin.h"
#include "insertion_sort.h"

/* Below this many slots a sub-range is left to the final insertion sort. */
enum { kCutoff = 16 };

static void swap_slots(int32_t* a, int32_t* b) {
    const int32_t t = *a;
    *a = *b;
    *b = t;
}

/* Orders l, the middle and r so that the median of the three ends up in r,
 * the pivot slot, with a value no larger at l. */
static void median_to_last(int32_t* l, int32_t* r) {
    int32_t* m = l + (r - l) / 2;
    if (*m < *l) swap_slots(m, l);
    if (*r < *l) swap_slots(r, l);
    if (*m < *r) swap_slots(m, r);
}

/* Partitions l ... r (inclusive, r - l >= 2) around the value in r, as the
 * plain routine does: the upward scan stops at r at the latest, the
 * downward scan at l, which holds a value no larger than the pivot. Returns
 * the pivot's final slot. */
static int32_t* partition(int32_t* l, int32_t* r) {
    const int32_t v = *r;
    int32_t* i = l - 1;
    int32_t* j = r;
    for (;;) {
        while (*++i < v) {
        }
        while (v < *--j) {
        }
        if (i >= j) break;
        swap_slots(i, j);
    }
    swap_slots(i, r);
    return i;
}

/* Partitions l ... r down to sub-ranges under kCutoff slots, recursing on
 * the smaller side so the stack stays logarithmic. */
static void quicksort(int32_t* l, int32_t* r) {
    while (r - l + 1 >= kCutoff) {
        median_to_last(l, r);
        int32_t* i = partition(l, r);
        if (i - l < r - i) {
            quicksort(l, i - 1);
            l = i + 1;
        } else {
            quicksort(i + 1, r);
            r = i - 1;
        }
    }
}

static void sedgewick_hybrid(int32_t* first, int32_t* last) {
    if (last - first < 2) return;
    quicksort(first, last - 1);
    insertion_sort(first, last);
}

static const struct orvandel_sort_entry sorts[] = {{"Sedgewick hybrid C", sedgewick_hybrid}};

ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 1, sorts};
