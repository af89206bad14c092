/* Sorts of several element types, for the loading tests, built once per
 * form (TYPED_FORM):
 *
 *   1  a typed table: "Typed: shell" of i32, u64 and string, its entries
 *      apart, and "Typed: f64" of f64 alone between them
 *   2  no table: orvandel_sort and orvandel_sort_string
 *   3  the table of 1 with "Typed: shell"'s string entry made one of record
 *      in a measuring child: types that differ from the ones the tool
 *      checked when it opened the library first
 */
#include <orvandel/sort_plugin.h>
#include <string.h>
#include "shell_sort.h"
#if TYPED_FORM == 3
#include <stdio.h>
#endif

/* An insertion sort of T in the order LESS(a, b), as NAME: quick enough
 * for the tests' sizes, and not the tool's own code. */
#define INSERTION_SORT(NAME, T, LESS)                            \
    static void NAME(T* first, T* last) {                        \
        for (T* i = first + 1; i < last; ++i) {                  \
            const T v = *i;                                      \
            T* j = i;                                            \
            for (; j > first && LESS(v, j[-1]); --j) *j = j[-1]; \
            *j = v;                                              \
        }                                                        \
    }

#define NUMBER_LESS(a, b) ((a) < (b))

static int string_less(orvandel_string a, orvandel_string b) {
    const int order = memcmp(a.bytes, b.bytes, a.size < b.size ? a.size : b.size);
    return order < 0 || (order == 0 && a.size < b.size);
}

INSERTION_SORT(sort_strings, orvandel_string, string_less)

#if TYPED_FORM == 2
ORVANDEL_EXPORT void orvandel_sort(int32_t* first, int32_t* last) {
    shell_sort(first, last);
}

ORVANDEL_EXPORT void orvandel_sort_string(orvandel_string* first, orvandel_string* last) {
    sort_strings(first, last);
}
#else
INSERTION_SORT(sort_u64, uint64_t, NUMBER_LESS)
INSERTION_SORT(sort_f64, double, NUMBER_LESS)

#if TYPED_FORM == 3
/* Written to in a measuring child only, before the tool reads the table. */
static struct orvandel_typed_sort_entry sorts[] = {
#else
static const struct orvandel_typed_sort_entry sorts[] = {
#endif
    {"Typed: shell", ORVANDEL_I32, {.i32 = shell_sort}},
    {"Typed: f64", ORVANDEL_F64, {.f64 = sort_f64}},
    {"Typed: shell", ORVANDEL_U64, {.u64 = sort_u64}},
    {"Typed: shell", ORVANDEL_STRING, {.string = sort_strings}},
};

ORVANDEL_EXPORT const struct orvandel_typed_sort_table orvandel_sort_table = {ORVANDEL_TYPED_SORT_ABI_VERSION, 4,
                                                                              sorts};
#endif

#if TYPED_FORM == 3
/* Whether this process's command line has the tool's measuring-child flag
 * (Linux's /proc, which the sandbox leaves readable). */
static int in_measuring_child(void) {
    char line[4096];
    FILE* file = fopen("/proc/self/cmdline", "rb");
    if (file == NULL) return 0;
    const size_t read = fread(line, 1, sizeof line - 1, file);
    fclose(file);
    line[read] = '\0';
    for (size_t at = 0; at < read; at += strlen(line + at) + 1)
        if (strcmp(line + at, "--measuring-child") == 0) return 1;
    return 0;
}

__attribute__((constructor)) static void OtherTypesWhenMeasuring(void) {
    if (in_measuring_child()) sorts[3].type = ORVANDEL_RECORD;
}
#endif
