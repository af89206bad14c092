/* A table written for another version of the interface, later or earlier
 * (TABLE_VERSION_OFFSET), which this tool must refuse rather than read in
 * the layout it knows. */
#include <orvandel/sort_plugin.h>

ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {
    ORVANDEL_SORT_ABI_VERSION + TABLE_VERSION_OFFSET, 0, 0};
