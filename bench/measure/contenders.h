// What the console tool can measure: the five routines of the window, in
// button order, the library reference sorts after them, and the sorts
// loaded from the user's own libraries (sort_library.h).
#pragma once

#include "bench/measure/refusal.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "bench/measure/element_types.h"
#include "bench/measure/operations.h"
#include "core/sort_routine.h"

// A loaded sort: the half-open range first ... last - 1, the form of
// include/orvandel/sort_plugin.h.
using PluginSort = void (*)(std::int32_t* first, std::int32_t* last);

// A sort of the half-open range first ... last - 1 of any element type, and
// its counted form (operations.h).
template <typename T>
using RangeSort = void (*)(T* first, T* last);
template <typename T>
using RangeCounter = OperationCounts (*)(T* first, T* last);

// A contender's sort of one element type besides int32_t, or why it has none.
template <typename T>
struct TypedSort {
    using Element = T;
    RangeSort<T> sort = nullptr;
    RangeCounter<T> counter = nullptr;  // null: not counted, for the contender's notCounted reason
    std::string notSorted{};            // without sort: why it cannot sort this type
};

struct TypedSorts {
    TypedSort<std::uint64_t> u64;
    TypedSort<double> f64;
    TypedSort<orvandel_string> string;
    TypedSort<orvandel_record> record;
};

// Sorts with fill(sorts.u64), fill(sorts.f64) and so on: fill sees the
// element type as its argument's Element.
template <typename Fill>
TypedSorts ForEachType(Fill fill) {
    TypedSorts sorts;
    fill(sorts.u64);
    fill(sorts.f64);
    fill(sorts.string);
    fill(sorts.record);
    return sorts;
}

// The element type of a TypedSort, as a fill of ForEachType sees it.
template <typename Sort>
using ElementOfSort = typename std::decay_t<Sort>::Element;

// The member of sorts for T.
template <typename T>
const TypedSort<T>& SortOf(const TypedSorts& sorts) {
    if constexpr (std::is_same_v<T, std::uint64_t>) return sorts.u64;
    else if constexpr (std::is_same_v<T, double>) return sorts.f64;
    else if constexpr (std::is_same_v<T, orvandel_string>) return sorts.string;
    else return sorts.record;
}
template <typename T>
TypedSort<T>& SortOf(TypedSorts& sorts) {
    return const_cast<TypedSort<T>&>(SortOf<T>(static_cast<const TypedSorts&>(sorts)));
}

struct Contender {
    std::string name;   // result caption of a routine, library name of a reference
    std::string label;  // button label of a routine; empty for a reference
    SortRoutine routine;
    BoundForm bounds;
    bool reference;
    int threads = 1;    // threads a parallel reference sorts with
    // Counts the work of one sort (--operations); a contender without one
    // shows "n/a", with notCounted saying why when known.
    OperationCounter counter = nullptr;
    std::string notCounted{};
    std::string notRepeatable{};  // why its machine counts would differ on every run, or empty
    PluginSort plugin = nullptr;  // a loaded sort, called instead of routine (in a guarded child)
    std::string library{};        // with plugin: the --sort-library value that loads it
    TypedSorts typed{};           // its sorts of the other element types
    // Why it cannot sort int32_t: a loaded sort that exports other types only.
    std::string notSortedI32{};
};

// Whether contender holds a sort of T to call: every contender in the
// process that sorts, a loaded one only where its library was opened.
template <typename T>
bool HasSortOf(const Contender& contender) {
    if constexpr (std::is_same_v<T, std::int32_t>) return contender.routine != nullptr || contender.plugin != nullptr;
    else return SortOf<T>(contender.typed).sort != nullptr;
}

// Why contender cannot sort elements of type, or empty when it can. The
// reasons are what the parent knows: it holds no pointer of a loaded sort,
// whose probe tells it what the library lacks; the child that sorts checks
// HasSortOf as well.
std::string NotSorted(const Contender& contender, ElementType type);
// The element types it can sort, in table order.
std::vector<ElementType> SortedTypes(const Contender& contender);
// Whether it can count its work on elements of type (--operations).
bool Countable(const Contender& contender, ElementType type);

std::vector<Contender> AllContenders();

// The contenders that SelectNames chooses by their names and labels, or
// why there are none.
Result<std::vector<Contender>> SelectContenders(const std::vector<Contender>& all,
                           const std::vector<std::string>& names, const std::string& filter,
                           const std::string& baseline);
