/* A library with the one default symbol and no table: named after its file. */
#include <orvandel/sort_plugin.h>

ORVANDEL_EXPORT void orvandel_sort(int32_t* first, int32_t* last) {
    for (int32_t* i = first + 1; i < last; ++i) {
        const int32_t v = *i;
        int32_t* j = i;
        for (; j > first && v < j[-1]; --j) *j = j[-1];
        *j = v;
    }
}
