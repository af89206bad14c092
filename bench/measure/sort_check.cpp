#include "bench/measure/sort_check.h"

#include <algorithm>
#include <vector>

#include "core/benchmark_run.h"

namespace {

// splitmix64's finaliser: every input bit reaches every output bit, so the
// sum of mixes does not cancel the way a plain sum of values does (one
// value up by one, another down by one).
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

}  // namespace

std::uint64_t ValuesFingerprint(const std::int32_t* first, const std::int32_t* last) {
    std::uint64_t sum = 0;
    for (const std::int32_t* slot = first; slot != last; ++slot) sum += Mix(static_cast<std::uint32_t>(*slot));
    return sum;
}

SortFailure FindChangedValue(const std::int32_t* sorted, const std::int32_t* given, std::int32_t first,
                             std::int32_t count) {
    std::vector<std::int32_t> expected(given + first, given + count);
    std::sort(expected.begin(), expected.end());
    const auto differs = std::mismatch(expected.begin(), expected.end(), sorted + first);
    if (differs.first == expected.end()) return {};
    const auto slot = static_cast<std::int32_t>(first + (differs.first - expected.begin()));
    return {SortCheck::kValues, slot, *differs.second, *differs.first};
}

WrittenCopy WriteCopy(const CellData& data, std::int64_t draw, std::int32_t* copy) {
    WriteDraw(data, draw, copy);
    copy[data.count] = kGuardValue;
    return {draw, copy[0], ValuesFingerprint(copy + kLowerBound, copy + data.count)};
}

SortFailure CheckCopy(const CellData& data, const WrittenCopy& written, const std::int32_t* copy) {
    const std::int32_t count = data.count;
    if (copy[0] != written.slotZero) return {SortCheck::kRange, 0};
    if (copy[count] != kGuardValue) return {SortCheck::kRange, count};
    if (ValuesFingerprint(copy + kLowerBound, copy + count) != written.fingerprint) {
        std::vector<std::int32_t> given(static_cast<std::size_t>(count));
        WriteDraw(data, written.draw, given.data());
        return FindChangedValue(copy, given.data(), kLowerBound, count);
    }
    const std::int32_t descent = FindFirstDescent(copy, kLowerBound, count);
    if (descent != kNoDescent) return {SortCheck::kOrder, descent};
    return {};
}
