// The checks after every sort of the console tool: that nothing outside the
// sorted range changed, that the range holds exactly the values it was
// given, and that they ascend. An ascending order alone proves little: a
// sort that writes its smallest value everywhere, or copies a neighbour
// over the largest, leaves one too. Each is written once over the element
// types (element_types.h) and built for all of them.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "bench/measure/cell_data.h"
#include "bench/measure/element_types.h"
#include "bench/measure/measurement.h"

// The value of the slot after each copy: a sort that writes one slot past
// its range changes it (unless it writes this very value).
constexpr std::int32_t kGuardValue = 0x5a5a5a5a;

// The guard slot's element of each type: kGuardValue's bytes repeated, a
// string of them.
template <typename T>
T GuardElement();

// Whether two elements hold the same bytes.
template <typename T>
bool SameElement(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Bytes of room the strings of one copy of count values point at; 0 for
// every other type.
template <typename T>
std::size_t ElementBytes(std::int32_t count) {
    return std::is_same_v<T, orvandel_string> ? static_cast<std::size_t>(count) * kStringBytesAtMost : 0;
}

// An order-independent fingerprint of the values in first ... last - 1: the
// sum of each one's ContentHash, so it depends on the multiset alone. Two
// multisets that differ by any value lost, added or changed differ in it
// but with odds of about 2^-64.
template <typename T>
std::uint64_t ValuesFingerprint(const T* first, const T* last);

// The first slot of first ... count - 1 where sorted differs from given
// once given's range is put in ascending order, as a kValues failure with
// the drawn values each shows there; kPassed when they hold the same
// multiset (and sorted ascends). given is left as it was.
template <typename T>
SortFailure FindChangedValue(const T* sorted, const T* given, std::int32_t first, std::int32_t count);

// What the checks need to know of a copy before it is sorted.
template <typename T>
struct WrittenCopy {
    std::int64_t draw;
    T slotZero;
    std::uint64_t fingerprint;  // of slots 1 ... count - 1
    // The bytes its strings were written to: a view a sort points anywhere
    // else is refused before a check reads through it.
    const char* bytesFirst = nullptr;
    const char* bytesLast = nullptr;
};

// Writes draw of the cell to copy (data.count slots) as elements of T and
// the guard slot after it, and takes what the checks compare with. A
// string copy's bytes go to bytes, ElementBytes<T>(data.count) of room.
template <typename T>
WrittenCopy<T> WriteCopy(const CellData& data, std::int64_t draw, T* copy, char* bytes = nullptr);

// The checks on a copy its sort has finished with, in order: slot 0 and the
// guard as written, the values as given (a change is found slot by slot
// from the draw written again), then the order.
template <typename T>
SortFailure CheckCopy(const CellData& data, const WrittenCopy<T>& written, const T* copy);
