// Sorts of the user's own, loaded from shared libraries named with
// --sort-library PATH[:SYMBOL[@TYPE][=NAME]] (include/orvandel/sort_plugin.h).
// A child of the measuring process loads them to validate them before
// anything is measured (suite/library_probe.h); each guarded child loads
// them again and sorts with them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/refusal.h"

// The longest name of a sort, in bytes: every report holds it on one line
// and the saved-report reader takes no longer one.
constexpr std::size_t kLongestSortName = 200;

// The parts of one --sort-library value.
struct LibraryParts {
    std::string path;
    std::string symbol;  // empty: the library's table, or else its orvandel_sort and kin
    std::string type;    // after '@': the element type the symbol sorts; empty: i32
    std::string name;    // empty: the symbol's, or the file's for orvandel_sort
};

// Splits value at the first ':' that a C identifier follows, then maybe an
// '@' and a TYPE, up to the end or an '=' and the name: so a Windows drive
// ("C:\sorts\mine.dll") or a folder with a colon stays in the path. No C
// identifier holds an '@', so none is read as a TYPE.
LibraryParts SplitLibraryValue(const std::string& value);

// SplitLibraryValue's parts of a value the tool can use: one without
// control characters, with a path, with a TYPE after '@' that names an
// element type, and with a NAME after '=' that the names rule accepts.
Result<LibraryParts> ParseLibraryValue(const std::string& value);

// The names rule, for every name of a loaded sort wherever it comes from
// (a table's entry, =NAME, a symbol, a file's name). A name is 1 to kLongestSortName bytes of valid UTF-8 that
// Printable leaves as it is (no control character, no mark that reorders
// text), without a space at either end, so that no name passes for
// another on a terminal or in a report. Refused with why name cannot be one.
Check CheckSortName(const std::string& name);

// A loaded sort's name that the names rule accepts and no contender has
// yet (in any case); refused with why, and how to give another.
Check CheckNewSortName(const std::string& name, const std::vector<Contender>& contenders);

// A loaded sort of some element type, called only once cast back to its
// own form (RangeSort, PluginSort).
using AnySort = void (*)();
// A loaded sort's sort of each element type, by ElementType; null where it
// has none.
using PluginSorts = std::array<AnySort, kElementTypeCount>;

// A contender for a sort that value loads, named name, which sorts the
// element types types and no other: each other type's reason (NotSorted)
// says that its library exports no sort of it. sorts holds its sort of
// each of types; null in a process that only names it.
Contender LoadedContender(const std::string& name, const std::string& value, const std::vector<ElementType>& types,
                          const PluginSorts* sorts);

// Loads the sorts of every value of --sort-library and appends them to
// contenders, each carrying the value that loads it. A table of version 2
// makes one contender of the entries of each name, measured on each of
// their types; a library without a table makes one of orvandel_sort and
// orvandel_sort_u64 and kin, of the types it exports. Refused with a
// one-line message naming the value when a library cannot be opened, has
// no such symbol, a table of another version or with a bad entry (no name,
// no sort, a type that is none, a name's type given twice), or a sort
// whose name another contender has (any case) or that the names rule
// refuses, or when the value itself is refused (ParseLibraryValue).
Check AddLibrarySorts(const std::vector<std::string>& values, std::vector<Contender>& contenders);

// AddLibrarySorts for one value, its library opened from openAs (a file
// held open for the run) rather than the path it names.
Check AddLibrarySort(const std::string& value, const std::string& openAs, std::vector<Contender>& contenders);
