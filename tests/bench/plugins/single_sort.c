/* A library with the one default symbol and no table: named after its file. */
#include <orvandel/sort_plugin.h>
#include "insertion_sort.h"

ORVANDEL_EXPORT void orvandel_sort(int32_t* first, int32_t* last) {
    insertion_sort(first, last);
}
