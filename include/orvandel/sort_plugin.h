/* Sorts of your own for orvandel-bench --sort-library.
 *
 * A plug-in is a shared library (a .so built with -shared -fPIC, or a DLL)
 * that exports, with C linkage, either
 *
 *   - sort functions of the form orvandel_sort_fn, named on the command
 *     line: --sort-library ./libmine.so:my_sort (the name shown is the
 *     symbol's, or the one after '=': ./libmine.so:my_sort=Mine);
 *   - or, for a bare --sort-library ./libmine.so, the table
 *     orvandel_sort_table below, which names several sorts at once and says
 *     which version of this interface it was written for;
 *   - or a single sort called orvandel_sort, named after the library file.
 *
 * Each sort receives the half-open range first ... last - 1 and must leave
 * it in ascending order of signed 32-bit values, in place, reading and
 * writing nothing outside it. The tool hands over slots 1 ... count - 1 of
 * its array, exactly the slots the window's routines sort.
 *
 * Only plain C types cross this boundary, so a sort may be written in C,
 * C++ (inside extern "C"), assembly, or anything else that can export a C
 * function. */
#ifndef ORVANDEL_SORT_PLUGIN_H
#define ORVANDEL_SORT_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The version of this interface. The tool refuses a table with another one,
 * so a changed layout can never be read as this one. */
#define ORVANDEL_SORT_ABI_VERSION 1

#if defined(_WIN32)
#define ORVANDEL_EXPORT __declspec(dllexport)
#else
#define ORVANDEL_EXPORT __attribute__((visibility("default")))
#endif

/* Sorts first ... last - 1 ascending, in place. */
typedef void (*orvandel_sort_fn)(int32_t* first, int32_t* last);

struct orvandel_sort_entry {
    const char* name;     /* shown in every report; 1 to 200 bytes */
    orvandel_sort_fn sort;
};

struct orvandel_sort_table {
    uint32_t abi_version; /* ORVANDEL_SORT_ABI_VERSION */
    uint32_t count;       /* entries in sorts, 1 to 64 */
    const struct orvandel_sort_entry* sorts;
};

/* A library with several sorts defines it, for example:
 *
 *   static const struct orvandel_sort_entry sorts[] = {{"Mine", my_sort}};
 *   ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table =
 *       {ORVANDEL_SORT_ABI_VERSION, 1, sorts};
 *
 * The tool only reads it, and opens the library only in child processes
 * of its own: one to check it, and one per measurement to sort. */
#define ORVANDEL_SORT_TABLE_SYMBOL "orvandel_sort_table"
#define ORVANDEL_SORT_SYMBOL "orvandel_sort"

#ifdef __cplusplus
}
#endif

#endif
