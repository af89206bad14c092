/* Libraries that go wrong as they are opened, before any sort is called:
 * built once per fault (LOAD_FAULT), so the probe that opens them must
 * survive each. */
#include <orvandel/sort_plugin.h>
#include <stddef.h>

#if LOAD_FAULT == 1
/* An initialiser that crashes: a write through a null pointer faults the
 * same way on every system (abort() only exits on some). */
__attribute__((constructor)) static void CrashOnLoad(void) {
    volatile int* volatile nowhere = NULL; /* read and written at run time: never optimised away */
    *nowhere = 1;
}
#elif LOAD_FAULT == 2
/* An initialiser that never returns. */
__attribute__((constructor)) static void HangOnLoad(void) {
    for (volatile int forever = 1; forever;) {
    }
}
#endif

#if LOAD_FAULT == 3
/* A table whose entries point nowhere. */
ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {
    ORVANDEL_SORT_ABI_VERSION, 1, (const struct orvandel_sort_entry*)(size_t)16};
#elif LOAD_FAULT == 4
/* A table that counts one sort and has no entries at all. */
ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 1, NULL};
#elif LOAD_FAULT == 5
/* A name that would pass for the yardstick's on a terminal. */
static void Unused(int32_t* first, int32_t* last) {
    (void)first;
    (void)last;
}
static const struct orvandel_sort_entry sorts[] = {{"std::sort ", Unused}};
ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 1, sorts};
#else
static void Unused(int32_t* first, int32_t* last) {
    (void)first;
    (void)last;
}
static const struct orvandel_sort_entry sorts[] = {{"Never loaded", Unused}};
ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 1, sorts};
#endif
