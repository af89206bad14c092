/* Libraries that go wrong as they are opened, before any sort is called:
 * built once per fault (LOAD_FAULT), so the probe that opens them must
 * survive each. */
#define _GNU_SOURCE /* fork, setsid, pause */
#include <orvandel/sort_plugin.h>
#include <stddef.h>
#if LOAD_FAULT == 6 || LOAD_FAULT == 7
#include <unistd.h>
#endif

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
#elif LOAD_FAULT == 8
/* A finaliser that never returns: the process that loaded it must still
 * end once its work is reported. */
__attribute__((destructor)) static void HangAtExit(void) {
    for (volatile int forever = 1; forever;) {
    }
}
#elif LOAD_FAULT == 6
/* An initialiser that leaves a daemon behind, to outlive the tool and
 * rewrite what it saved. */
__attribute__((constructor)) static void DaemonOnLoad(void) {
    if (fork() == 0 && setsid() > 0 && fork() == 0)
        for (;;) pause();
}
#elif LOAD_FAULT == 7
/* An initialiser that reports a sort the library never exported, with the
 * yardstick's name, on the descriptor the probe reports on, as the first
 * library's: a probe that loaded another library first would blame that. */
__attribute__((constructor)) static void ForgeOnLoad(void) {
    static const char forged[] = "loading 0\nsort i32 std::sort\n";
    if (write(3, forged, sizeof forged - 1) < 0) {
        /* no such descriptor: nothing to forge */
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
