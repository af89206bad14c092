// Library sorts measured beside the five routines as yardsticks. They take
// the routines' form with an exclusive upper bound, so the runner treats
// them alike; they are never counted among the five.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/operations.h"
#include "core/sort_routine.h"
#include "sorts/element_order.h"

struct ReferenceSort {
    const char* name;
    SortRoutine routine;  // sorts slots lo ... hi - 1
    int threads;          // 1, or the threads a parallel sort uses
    OperationCounter counter = nullptr;  // counts its comparisons; null when it cannot be counted
    const char* notCounted = "";         // without a counter: why
    // Why two runs of it never do the same work (it draws its samples from
    // the system's random source), or empty: its machine counts would
    // differ on every run, so it has none.
    const char* notRepeatable = "";
    TypedSorts typed{};  // its sorts of the other element types
};

// The name of the reference every ratio is taken against.
constexpr char kBaselineName[] = "std::sort";

// std::sort first, then those found when the program was configured: the
// sorts whose code is all in headers, then those of linked libraries.
const std::vector<ReferenceSort>& ReferenceSorts();

// One line per optional reference that this build lacks, saying why.
const std::vector<std::string>& MissingReferenceNotes();

// The references that run code of a library linked for them (Highway,
// ips4o's OpenMP, TBB), whose initialisers run when the program loads, and
// the notes of those this build lacks. The tool links them
// (linked_references.cpp); the counting program links none
// (linked_references_none.cpp), so nothing of theirs runs under valgrind.
const std::vector<ReferenceSort>& LinkedReferenceSorts();
const std::vector<std::string>& MissingLinkedReferenceNotes();

// Sorts with a comparator that counts its calls: the library's own
// comparisons, whatever its algorithm. Exchanges and recursion stay inside
// the library, unseen.
// sort(first, last, less) sorts first ... last - 1 of any element type.
template <typename Sort, typename T>
OperationCounts CountComparisons(Sort sort, T* first, T* last) {
    OperationCounts counts;
    sort(first, last, [&counts](const T& a, const T& b) {
        ++counts.comparisons;
        return a < b;
    });
    return counts;
}

// A library sort over every other element type: Sort{}(first, last, less)
// sorts, counted through its comparator when Counted, and why not in
// notCounted.
template <typename Sort, bool Counted>
TypedSorts EveryType() {
    return ForEachType([](auto& typed) {
        using T = ElementOfSort<decltype(typed)>;
        typed.sort = [](T* first, T* last) { Sort{}(first, last, std::less<>{}); };
        if constexpr (Counted) typed.counter = [](T* first, T* last) { return CountComparisons(Sort{}, first, last); };
    });
}

// Why a sort cannot sort a type, for each type it cannot.
template <typename T>
void CannotSort(TypedSorts& sorts, const char* why) {
    SortOf<T>(sorts) = {nullptr, nullptr, why};
}
