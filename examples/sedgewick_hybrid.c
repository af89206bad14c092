/* The "Optimise Me" exercise done right: the plain Sedgewick routine (pivot
 * the last slot, scans that stop on equal values) with the two classic
 * improvements of Sedgewick's own text. The pivot is the median of the
 * first, middle and last slots, so sorted input in either direction splits
 * evenly instead of costing quadratic time; and sub-ranges of fewer than
 * kCutoff slots are left for one insertion sort over the whole range at the
 * end, which finishes them with less work than partitioning would.
 *
 * The same steps sort strings too: the typed table at the end names both
 * sorts as one, which the tool measures on each of its two types.
 *
 *   cc -O2 -shared -fPIC sedgewick_hybrid.c -o libsedgewick_hybrid.so
 *   orvandel-bench --sort-library ./libsedgewick_hybrid.so --type i32,string
 */
/* Installed, the header is <orvandel/sort_plugin.h>; from here it builds
 * straight from a clone, with no -I. */
#include "../include/orvandel/sort_plugin.h"

#include <string.h>

/* Below this many slots a sub-range is left to the final insertion sort. */
enum { kCutoff = 16 };

/* The steps for elements of type T in the order LESS(a, b), as the sort
 * NAME; each step is named after it. Written once, made for each type. */
#define SEDGEWICK_HYBRID(NAME, T, LESS)                                              \
    static void NAME##_swap(T* a, T* b) {                                            \
        const T t = *a;                                                              \
        *a = *b;                                                                     \
        *b = t;                                                                      \
    }                                                                                \
                                                                                     \
    /* Orders l, the middle and r so that the median of the three ends up in r,   \
     * the pivot slot, with a value no larger at l. */                               \
    static void NAME##_median_to_last(T* l, T* r) {                                  \
        T* m = l + (r - l) / 2;                                                      \
        if (LESS(*m, *l)) NAME##_swap(m, l);                                         \
        if (LESS(*r, *l)) NAME##_swap(r, l);                                         \
        if (LESS(*m, *r)) NAME##_swap(m, r);                                         \
    }                                                                                \
                                                                                     \
    /* Partitions l ... r (inclusive, r - l >= 2) around the value in r, as the    \
     * plain routine does: the upward scan stops at r at the latest, the           \
     * downward scan at l, which holds a value no larger than the pivot.           \
     * Returns the pivot's final slot. */                                            \
    static T* NAME##_partition(T* l, T* r) {                                         \
        const T v = *r;                                                              \
        T* i = l - 1;                                                                \
        T* j = r;                                                                    \
        for (;;) {                                                                   \
            while (LESS(*++i, v)) {                                                  \
            }                                                                        \
            while (LESS(v, *--j)) {                                                  \
            }                                                                        \
            if (i >= j) break;                                                       \
            NAME##_swap(i, j);                                                       \
        }                                                                            \
        NAME##_swap(i, r);                                                           \
        return i;                                                                    \
    }                                                                                \
                                                                                     \
    /* Partitions l ... r down to sub-ranges under kCutoff slots, recursing on     \
     * the smaller side so the stack stays logarithmic. */                           \
    static void NAME##_quicksort(T* l, T* r) {                                       \
        while (r - l + 1 >= kCutoff) {                                               \
            NAME##_median_to_last(l, r);                                             \
            T* i = NAME##_partition(l, r);                                           \
            if (i - l < r - i) {                                                     \
                NAME##_quicksort(l, i - 1);                                          \
                l = i + 1;                                                           \
            } else {                                                                 \
                NAME##_quicksort(i + 1, r);                                          \
                r = i - 1;                                                           \
            }                                                                        \
        }                                                                            \
    }                                                                                \
                                                                                     \
    /* Each value moves left past the larger values before it, stopping at        \
     * first. */                                                                     \
    static void NAME##_insertion_sort(T* first, T* last) {                          \
        for (T* i = first + 1; i < last; ++i) {                                      \
            const T v = *i;                                                          \
            T* j = i;                                                                \
            for (; j > first && LESS(v, j[-1]); --j) *j = j[-1];                     \
            *j = v;                                                                  \
        }                                                                            \
    }                                                                                \
                                                                                     \
    static void NAME(T* first, T* last) {                                            \
        if (last - first < 2) return;                                                \
        NAME##_quicksort(first, last - 1);                                           \
        NAME##_insertion_sort(first, last);                                          \
    }

#define NUMBER_LESS(a, b) ((a) < (b))

/* The tool's order of strings: bytes compared as unsigned (memcmp's
 * order), a prefix before the longer string. */
static int string_less(orvandel_string a, orvandel_string b) {
    const int order = memcmp(a.bytes, b.bytes, a.size < b.size ? a.size : b.size);
    return order < 0 || (order == 0 && a.size < b.size);
}

SEDGEWICK_HYBRID(sedgewick_hybrid, int32_t, NUMBER_LESS)
SEDGEWICK_HYBRID(sedgewick_hybrid_strings, orvandel_string, string_less)

static const struct orvandel_typed_sort_entry sorts[] = {
    {"Sedgewick hybrid C", ORVANDEL_I32, {.i32 = sedgewick_hybrid}},
    {"Sedgewick hybrid C", ORVANDEL_STRING, {.string = sedgewick_hybrid_strings}},
};

ORVANDEL_EXPORT const struct orvandel_typed_sort_table orvandel_sort_table = {ORVANDEL_TYPED_SORT_ABI_VERSION, 2, sorts};
