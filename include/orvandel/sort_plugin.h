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
 *   - or a single sort called orvandel_sort, named after the library file,
 *     and beside it, or instead of it, one sort per further element type:
 *     orvandel_sort_u64, orvandel_sort_f64, orvandel_sort_string and
 *     orvandel_sort_record. They make one sort, measured on each type the
 *     library exports.
 *
 * Each sort receives the half-open range first ... last - 1 and must leave
 * it in ascending order, in place, reading and writing nothing outside it.
 * The tool hands over slots 1 ... count - 1 of its array, exactly the slots
 * the window's routines sort. The element types and their orders:
 *
 *   i32     int32_t           ascending (orvandel_sort_fn, version 1's type)
 *   u64     uint64_t          ascending
 *   f64     double            ascending by <; never NaN or -0
 *   string  orvandel_string   bytes compared as unsigned, a prefix first
 *   record  orvandel_record   ascending by key; the payload moves with it
 *
 * A named symbol is of type i32 unless the name says otherwise after an
 * '@': --sort-library ./libmine.so:sort_words@string=Mine.
 *
 * Only plain C types cross this boundary, so a sort may be written in C,
 * C++ (inside extern "C"), assembly, or anything else that can export a C
 * function. */
#ifndef ORVANDEL_SORT_PLUGIN_H
#define ORVANDEL_SORT_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The version of each table's layout. The tool refuses a table with a
 * version it does not know, so a changed layout can never be read as an
 * older one. */
#define ORVANDEL_SORT_ABI_VERSION 1
/* The version of the typed table, whose entries say their element type. */
#define ORVANDEL_TYPED_SORT_ABI_VERSION 2

#if defined(_WIN32)
#define ORVANDEL_EXPORT __declspec(dllexport)
#else
#define ORVANDEL_EXPORT __attribute__((visibility("default")))
#endif

/* A string: a view of bytes the tool owns. A sort moves the views and
 * never writes the bytes. */
typedef struct {
    const char* bytes;
    size_t size;
} orvandel_string;

/* A 64-byte record, sorted by key; its payload must travel with its key. */
typedef struct {
    uint64_t key;
    uint8_t payload[56];
} orvandel_record;

/* Sorts first ... last - 1 ascending, in place: one form per element type. */
typedef void (*orvandel_sort_fn)(int32_t* first, int32_t* last);
typedef void (*orvandel_sort_u64_fn)(uint64_t* first, uint64_t* last);
typedef void (*orvandel_sort_f64_fn)(double* first, double* last);
typedef void (*orvandel_sort_string_fn)(orvandel_string* first, orvandel_string* last);
typedef void (*orvandel_sort_record_fn)(orvandel_record* first, orvandel_record* last);

/* The element types, as a table entry of version 2 names them. */
enum orvandel_element_type {
    ORVANDEL_I32 = 0,
    ORVANDEL_U64 = 1,
    ORVANDEL_F64 = 2,
    ORVANDEL_STRING = 3,
    ORVANDEL_RECORD = 4
};

/* An entry of a version 1 table: a sort of int32_t. */
struct orvandel_sort_entry {
    const char* name;     /* shown in every report; 1 to 200 bytes */
    orvandel_sort_fn sort;
};

/* A sort of any one element type. */
union orvandel_any_sort {
    orvandel_sort_fn i32;
    orvandel_sort_u64_fn u64;
    orvandel_sort_f64_fn f64;
    orvandel_sort_string_fn string;
    orvandel_sort_record_fn record;
};

/* An entry of a typed table: a sort of one element type, the member of
 * sort that type names. Entries with the same name are one sort, measured
 * on each of their types. */
struct orvandel_typed_sort_entry {
    const char* name;     /* shown in every report; 1 to 200 bytes */
    uint32_t type;        /* an orvandel_element_type */
    union orvandel_any_sort sort;
};

/* The table of int32_t sorts (version 1). */
struct orvandel_sort_table {
    uint32_t abi_version; /* ORVANDEL_SORT_ABI_VERSION */
    uint32_t count;       /* entries in sorts, 1 to 64 */
    const struct orvandel_sort_entry* sorts;
};

/* The typed table (version 2), exported under the same symbol: the version
 * first says which of the two it is. */
struct orvandel_typed_sort_table {
    uint32_t abi_version; /* ORVANDEL_TYPED_SORT_ABI_VERSION */
    uint32_t count;       /* entries in sorts, 1 to 64 */
    const struct orvandel_typed_sort_entry* sorts;
};

/* A library with several sorts defines one of them, for example:
 *
 *   static const struct orvandel_sort_entry sorts[] = {{"Mine", my_sort}};
 *   ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table =
 *       {ORVANDEL_SORT_ABI_VERSION, 1, sorts};
 *
 * or, with types:
 *
 *   static const struct orvandel_typed_sort_entry sorts[] = {
 *       {"Mine", ORVANDEL_I32, {.i32 = my_sort}},
 *       {"Mine", ORVANDEL_STRING, {.string = my_sort_strings}}};
 *   ORVANDEL_EXPORT const struct orvandel_typed_sort_table orvandel_sort_table =
 *       {ORVANDEL_TYPED_SORT_ABI_VERSION, 2, sorts};
 *
 * The tool only reads it, and opens the library only in child processes
 * of its own: one to check it, and one per measurement to sort. */
#define ORVANDEL_SORT_TABLE_SYMBOL "orvandel_sort_table"
#define ORVANDEL_SORT_SYMBOL "orvandel_sort"
#define ORVANDEL_SORT_U64_SYMBOL "orvandel_sort_u64"
#define ORVANDEL_SORT_F64_SYMBOL "orvandel_sort_f64"
#define ORVANDEL_SORT_STRING_SYMBOL "orvandel_sort_string"
#define ORVANDEL_SORT_RECORD_SYMBOL "orvandel_sort_record"

#ifdef __cplusplus
}
#endif

#endif
