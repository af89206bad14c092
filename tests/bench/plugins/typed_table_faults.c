/* Typed tables (version 2) the tool must refuse, built once per fault
 * (TABLE_FAULT): entries that cannot be read as written. */
#include <orvandel/sort_plugin.h>
#include <stddef.h>
#include "shell_sort.h"

static void sort_u64(uint64_t* first, uint64_t* last) {
    (void)first;
    (void)last;
}

#if TABLE_FAULT == 1
/* One name's sort of i32 given twice, apart. */
static const struct orvandel_typed_sort_entry sorts[] = {{"Twice", ORVANDEL_I32, {.i32 = shell_sort}},
                                                         {"Twice", ORVANDEL_U64, {.u64 = sort_u64}},
                                                         {"Twice", ORVANDEL_I32, {.i32 = shell_sort}}};
#elif TABLE_FAULT == 2
/* A type past the last one the header names. */
static const struct orvandel_typed_sort_entry sorts[] = {{"Typed", ORVANDEL_I32, {.i32 = shell_sort}},
                                                         {"Typed", ORVANDEL_RECORD + 1, {.u64 = sort_u64}}};
#elif TABLE_FAULT == 3
/* An entry without its sort. */
static const struct orvandel_typed_sort_entry sorts[] = {{"Typed", ORVANDEL_I32, {.i32 = shell_sort}},
                                                         {"Typed", ORVANDEL_U64, {.u64 = sort_u64}},
                                                         {"Typed", ORVANDEL_STRING, {.string = NULL}}};
#elif TABLE_FAULT == 4
/* Entries, and a count of none. */
static const struct orvandel_typed_sort_entry sorts[] = {{"Typed", ORVANDEL_I32, {.i32 = shell_sort}},
                                                         {"Typed", ORVANDEL_U64, {.u64 = sort_u64}}};
#endif

ORVANDEL_EXPORT const struct orvandel_typed_sort_table orvandel_sort_table = {
    ORVANDEL_TYPED_SORT_ABI_VERSION, TABLE_FAULT == 4 ? 0 : sizeof sorts / sizeof sorts[0], sorts};
