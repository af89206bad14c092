/* A table written for a later version of the interface, which this tool
 * must refuse rather than read in the layout it knows. */
#include <orvandel/sort_plugin.h>

ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION + 98, 0, 0};
