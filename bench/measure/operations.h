// The work a sort does, counted rather than timed: comparisons, exchanges,
// calls and recursion depth. The five routines are counted through their
// own step templates (sorts/*_steps.h) over counting slots, so the code
// counted is the code timed; a library sort through a counting comparator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

struct OperationCounts {
    std::uint64_t comparisons = 0;
    // Exchanges, calls and depth are known for the five routines only: a
    // comparator sees comparisons and nothing else.
    bool steps = false;
    std::uint64_t exchanges = 0;
    std::uint64_t calls = 0;        // of the routine, its recursive calls included
    std::uint64_t depth = 0;        // calls open at once, at the deepest
    std::uint64_t frameBytes = 0;   // stack one level of recursion takes; 0 when it never recursed
};

// Sorts slots lo ... hi like the contender's routine, with the same bound
// form, and counts what it did.
using OperationCounter = OperationCounts (*)(std::int32_t* slots, std::int32_t lo, std::int32_t hi);

// The counters of the five routines, one per product routine.
OperationCounts CountFirstPivotTail(std::int32_t* slots, std::int32_t lo, std::int32_t hi);
OperationCounts CountFirstPivotUnrolled(std::int32_t* slots, std::int32_t lo, std::int32_t hi);
OperationCounts CountSedgewickTail(std::int32_t* slots, std::int32_t l, std::int32_t r);
OperationCounts CountSedgewickUnrolled(std::int32_t* slots, std::int32_t l, std::int32_t r);
OperationCounts CountSedgewickPlain(std::int32_t* slots, std::int32_t l, std::int32_t r);

// The same counters over the half-open range first ... last - 1 of the
// other element types (sorts/typed_routines.h).
template <typename T>
OperationCounts CountFirstPivotTailRange(T* first, T* last);
template <typename T>
OperationCounts CountFirstPivotUnrolledRange(T* first, T* last);
template <typename T>
OperationCounts CountSedgewickTailRange(T* first, T* last);
template <typename T>
OperationCounts CountSedgewickUnrolledRange(T* first, T* last);
template <typename T>
OperationCounts CountSedgewickPlainRange(T* first, T* last);

// Open calls, told of each call's range as it starts. A call's range lies
// within its caller's, and a call that has returned never holds the range
// of a later one, so the calls still open are exactly the ranges that
// contain the new one: those that do not are closed first.
class RecursionDepth {
public:
    // Returns how many calls are open with this one.
    std::size_t Enter(std::int32_t lo, std::int32_t hi);
    std::size_t Deepest() const { return deepest_; }

private:
    std::vector<std::pair<std::int32_t, std::int32_t>> open_;
    std::size_t deepest_ = 0;
};
