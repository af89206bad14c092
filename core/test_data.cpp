#include "core/test_data.h"

namespace {

constexpr std::uint32_t kModulus = 0x7FFFFFFF;    // 2^31 - 1
constexpr std::uint32_t kMultiplier = 16807;
constexpr std::uint32_t kQuotient = 127773;       // kModulus / kMultiplier
constexpr std::uint32_t kRemainder = 2836;        // kModulus % kMultiplier
constexpr std::uint32_t kSignBit = 0x80000000;

// One word for the whole process. A draw may leave it "negative" (top bit
// set); the correction by the modulus waits for the next draw, while the
// draw itself is taken from the uncorrected word.
std::uint32_t generatorState = 0;

}  // namespace

void SeedGenerator(std::uint32_t seed) {
    generatorState = seed;
}

std::uint32_t NextBelow(std::uint32_t bound) {
    std::uint32_t s = generatorState;
    if (s & kSignBit) s += kModulus;
    const std::uint32_t q = s / kQuotient;
    const std::uint32_t r = s % kQuotient;
    const std::uint32_t t = kMultiplier * r - kRemainder * q;  // wraps when "negative"
    generatorState = t;
    return bound == 0 ? t : t % bound;
}

void FillTestArray(std::int32_t* slots, std::int32_t count, std::uint32_t bound) {
    for (std::int32_t k = 0; k < count; ++k)
        slots[k] = static_cast<std::int32_t>(NextBelow(bound));
}
