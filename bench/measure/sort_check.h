// The checks after every sort of the console tool: that nothing outside the
// sorted range changed, that the range holds exactly the values it was
// given, and that they ascend. An ascending order alone proves little: a
// sort that writes its smallest value everywhere, or copies a neighbour
// over the largest, leaves one too.
#pragma once

#include <cstdint>

#include "bench/measure/cell_data.h"
#include "bench/measure/measurement.h"

// The value of the slot after each copy: a sort that writes one slot past
// its range changes it (unless it writes this very value).
constexpr std::int32_t kGuardValue = 0x5a5a5a5a;

// An order-independent fingerprint of the values in first ... last - 1: the
// sum of a 64-bit mix of each, so it depends on the multiset alone. Two
// multisets that differ by any value lost, added or changed differ in it
// but with odds of about 2^-64.
std::uint64_t ValuesFingerprint(const std::int32_t* first, const std::int32_t* last);

// The first slot of first ... count - 1 where sorted differs from given
// once given's range is put in ascending order, as a kValues failure with
// what each holds there; kPassed when they hold the same multiset (and
// sorted ascends). given is left as it was.
SortFailure FindChangedValue(const std::int32_t* sorted, const std::int32_t* given, std::int32_t first,
                             std::int32_t count);

// What the checks need to know of a copy before it is sorted.
struct WrittenCopy {
    std::int64_t draw;
    std::int32_t slotZero;
    std::uint64_t fingerprint;  // of slots 1 ... count - 1
};

// Writes draw of the cell to copy (data.count slots) and the guard slot
// after it, and takes what the checks compare with.
WrittenCopy WriteCopy(const CellData& data, std::int64_t draw, std::int32_t* copy);

// The checks on a copy its sort has finished with, in order: slot 0 and the
// guard as written, the values as given (a change is found slot by slot
// from the draw written again), then the order.
SortFailure CheckCopy(const CellData& data, const WrittenCopy& written, const std::int32_t* copy);
