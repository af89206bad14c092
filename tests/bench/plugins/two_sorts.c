/* A table of two sorts, for the loading tests: both names must come out of
 * the table as written, and both sorts must sort. */
#include <orvandel/sort_plugin.h>
#include "insertion_sort.h"
#include "shell_sort.h"

static const struct orvandel_sort_entry sorts[] = {{"Two: insertion", insertion_sort}, {"Two: shell", shell_sort}};

ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 2, sorts};
