#include "bench/measure/patterns.h"

#include <algorithm>
#include <utility>

#include "core/test_data.h"

namespace {

constexpr std::uint32_t kFewDistinctValues = 16;
constexpr std::int32_t kSawtoothTeeth = 16;
constexpr std::int32_t kNearlySortedPercent = 1;  // exchanges per hundred slots

// The window's run: draws below the count, so the share of repeated values
// is the same at every size.
void FillWindow(std::int32_t* slots, std::int32_t count, std::uint32_t seed) {
    SeedGenerator(seed);
    FillTestArray(slots, count, static_cast<std::uint32_t>(count));
}

// The generator yields 31 bits at most; two 16-bit halves cover the whole
// signed range, negative values and both extremes included.
void FillRandom(std::int32_t* slots, std::int32_t count, std::uint32_t seed) {
    SeedGenerator(seed);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::uint32_t high = NextBelow(0x10000);
        slots[k] = static_cast<std::int32_t>(high << 16 | NextBelow(0x10000));
    }
}

void FillFewDistinct(std::int32_t* slots, std::int32_t count, std::uint32_t seed) {
    SeedGenerator(seed);
    FillTestArray(slots, count, kFewDistinctValues);
}

void FillAscending(std::int32_t* slots, std::int32_t count, std::uint32_t) {
    for (std::int32_t k = 0; k < count; ++k) slots[k] = k;
}

void FillDescending(std::int32_t* slots, std::int32_t count, std::uint32_t) {
    for (std::int32_t k = 0; k < count; ++k) slots[k] = count - 1 - k;
}

void FillOrganPipe(std::int32_t* slots, std::int32_t count, std::uint32_t) {
    for (std::int32_t k = 0; k < count; ++k) slots[k] = std::min(k, count - 1 - k);
}

// Tooth t covers slots t * count / 16 up to (t + 1) * count / 16, so the
// teeth differ in length by one slot at most, whatever the count.
void FillSawtooth(std::int32_t* slots, std::int32_t count, std::uint32_t) {
    const auto edge = [count](std::int64_t tooth) {
        return static_cast<std::int32_t>(tooth * count / kSawtoothTeeth);
    };
    for (std::int32_t tooth = 0; tooth < kSawtoothTeeth; ++tooth)
        for (std::int32_t k = edge(tooth); k < edge(tooth + 1); ++k) slots[k] = k - edge(tooth);
}

void FillAllEqual(std::int32_t* slots, std::int32_t count, std::uint32_t seed) {
    SeedGenerator(seed);
    std::fill(slots, slots + count, static_cast<std::int32_t>(NextBelow(static_cast<std::uint32_t>(count))));
}

void FillNearlySorted(std::int32_t* slots, std::int32_t count, std::uint32_t seed) {
    FillAscending(slots, count, seed);
    SeedGenerator(seed);
    const std::int32_t exchanges = std::max<std::int32_t>(1, count / 100 * kNearlySortedPercent);
    const auto bound = static_cast<std::uint32_t>(count);
    for (std::int32_t k = 0; k < exchanges; ++k) {
        const std::uint32_t a = NextBelow(bound);
        std::swap(slots[a], slots[NextBelow(bound)]);
    }
}

}  // namespace

const std::vector<InputPattern>& InputPatterns() {
    static const std::vector<InputPattern> patterns = {
        {"window", "the window's data: generator draws below the count", FillWindow, true},
        {"random", "generator draws over the whole signed 32-bit range", FillRandom, true},
        {"few-distinct", "generator draws of 16 distinct values, 0 ... 15", FillFewDistinct, true},
        {"ascending", "0, 1, 2 ... count - 1", FillAscending, false},
        {"descending", "count - 1 ... 1, 0", FillDescending, false},
        {"organ-pipe", "rising to the middle, then falling: 0, 1 ... 1, 0", FillOrganPipe, false},
        {"sawtooth", "16 ascending runs of equal length (to a slot), each from 0", FillSawtooth, false},
        {"all-equal", "one generator draw below the count in every slot", FillAllEqual, true},
        {"nearly-sorted", "ascending, then count / 100 exchanges (at least one) of two drawn slots",
         FillNearlySorted, true},
    };
    return patterns;
}

const InputPattern* FindPattern(const std::string& name) {
    for (const InputPattern& pattern : InputPatterns())
        if (name == pattern.name) return &pattern;
    return nullptr;
}
