#include "bench/measure/sort_check.h"

#include <algorithm>
#include <vector>

#include "core/benchmark_run.h"
#include "sorts/element_order.h"
#include "sorts/typed_routines.h"

namespace {

// Writes the drawn value as an element of T.
std::uint64_t MakeElement(std::int32_t drawn, std::uint64_t*, char*&) { return U64Of(drawn); }
double MakeElement(std::int32_t drawn, double*, char*&) { return F64Of(drawn); }
orvandel_string MakeElement(std::int32_t drawn, orvandel_string*, char*& bytes) { return StringOf(drawn, bytes); }
orvandel_record MakeElement(std::int32_t drawn, orvandel_record*, char*&) { return RecordOf(drawn); }

constexpr char kGuardBytes[] = "ZZZZ";

// The first slot of first ... count - 2 above the slot after it, or
// kNoDescent: the window's own check for its integers, and the same slot
// for every other type, so one fault is reported at one slot whatever the
// type.
template <typename T>
std::int32_t FirstDescent(const T* copy, std::int32_t first, std::int32_t count) {
    if constexpr (std::is_same_v<T, std::int32_t>) {
        return FindFirstDescent(copy, first, count);
    } else {
        for (std::int32_t k = first; k < count - 1; ++k)
            if (copy[k + 1] < copy[k]) return k;
        return kNoDescent;
    }
}

// Whether two elements hold the same value: a string's bytes wherever they
// lie, since the given values written again point at other room than the
// sorted copy's; any other element's own bytes.
template <typename T>
bool SameValue(const T& a, const T& b) {
    if constexpr (std::is_same_v<T, orvandel_string>)
        return a.size == b.size && (a.size == 0 || std::memcmp(a.bytes, b.bytes, a.size) == 0);
    else
        return SameElement(a, b);
}

// The first slot of 1 ... count - 1 whose string does not lie in the bytes
// its copy was written with, or kNoDescent; none for other types.
template <typename T>
std::int32_t FirstViewAstray(const WrittenCopy<T>& written, const T* copy, std::int32_t count) {
    if constexpr (std::is_same_v<T, orvandel_string>) {
        const auto first = reinterpret_cast<std::uintptr_t>(written.bytesFirst);
        const auto last = reinterpret_cast<std::uintptr_t>(written.bytesLast);
        for (std::int32_t k = kLowerBound; k < count; ++k) {
            const auto at = reinterpret_cast<std::uintptr_t>(copy[k].bytes);
            if (at < first || at > last || copy[k].size > last - at) return k;
        }
    }
    return kNoDescent;
}

}  // namespace

template <typename T>
T GuardElement() {
    T guard;
    if constexpr (std::is_same_v<T, orvandel_string>) {
        guard = {kGuardBytes, sizeof kGuardBytes - 1};
    } else {
        std::memset(static_cast<void*>(&guard), 0x5a, sizeof guard);
    }
    return guard;
}

template <typename T>
std::uint64_t ValuesFingerprint(const T* first, const T* last) {
    std::uint64_t sum = 0;
    for (const T* slot = first; slot != last; ++slot) sum += ContentHash(*slot);
    return sum;
}

template <typename T>
SortFailure FindChangedValue(const T* sorted, const T* given, std::int32_t first, std::int32_t count) {
    std::vector<T> expected(given + first, given + count);
    std::sort(expected.begin(), expected.end(), std::less<>{});
    const auto differs = std::mismatch(expected.begin(), expected.end(), sorted + first, SameValue<T>);
    if (differs.first == expected.end()) return {};
    const auto slot = static_cast<std::int32_t>(first + (differs.first - expected.begin()));
    return {SortCheck::kValues, slot, DrawnValueOf(*differs.second), DrawnValueOf(*differs.first)};
}

template <typename T>
WrittenCopy<T> WriteCopy(const CellData& data, std::int64_t draw, T* copy, char* bytes) {
    const char* const start = bytes;
    if constexpr (std::is_same_v<T, std::int32_t>) {
        WriteDraw(data, draw, copy);
    } else {
        std::vector<std::int32_t> drawn(static_cast<std::size_t>(data.count));
        WriteDraw(data, draw, drawn.data());
        for (std::size_t k = 0; k < drawn.size(); ++k) copy[k] = MakeElement(drawn[k], copy, bytes);
    }
    copy[data.count] = GuardElement<T>();
    return {draw, copy[0], ValuesFingerprint(copy + kLowerBound, copy + data.count), start, bytes};
}

template <typename T>
SortFailure CheckCopy(const CellData& data, const WrittenCopy<T>& written, const T* copy) {
    const std::int32_t count = data.count;
    if (!SameElement(copy[0], written.slotZero)) return {SortCheck::kRange, 0};
    if (!SameElement(copy[count], GuardElement<T>())) return {SortCheck::kRange, count};
    const std::int32_t astray = FirstViewAstray(written, copy, count);
    const bool changed = astray != kNoDescent || ValuesFingerprint(copy + kLowerBound, copy + count) != written.fingerprint;
    if (changed) {
        std::vector<T> given(static_cast<std::size_t>(count) + 1);
        std::vector<char> bytes(ElementBytes<T>(count));
        WriteCopy(data, written.draw, given.data(), bytes.data());
        if (astray == kNoDescent) return FindChangedValue(copy, given.data(), kLowerBound, count);
        // What it points at is not read: the slot shows what belongs there.
        std::sort(given.begin() + kLowerBound, given.begin() + count, std::less<>{});
        const std::int32_t belongs = DrawnValueOf(given[static_cast<std::size_t>(astray)]);
        return {SortCheck::kValues, astray, belongs, belongs};
    }
    const std::int32_t descent = FirstDescent(copy, kLowerBound, count);
    if (descent != kNoDescent) return {SortCheck::kOrder, descent};
    return {};
}

#define ORVANDEL_INSTANTIATE(T)                                                                             \
    template T GuardElement<T>();                                                                           \
    template std::uint64_t ValuesFingerprint<T>(const T*, const T*);                                        \
    template SortFailure FindChangedValue<T>(const T*, const T*, std::int32_t, std::int32_t);               \
    template WrittenCopy<T> WriteCopy<T>(const CellData&, std::int64_t, T*, char*);                         \
    template SortFailure CheckCopy<T>(const CellData&, const WrittenCopy<T>&, const T*);
ORVANDEL_INSTANTIATE(std::int32_t)
ORVANDEL_FOR_TYPED_ELEMENTS(ORVANDEL_INSTANTIATE)
