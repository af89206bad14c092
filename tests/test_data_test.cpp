#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/benchmark_run.h"
#include "core/test_data.h"

namespace {

// The minimal standard generator computed in 64-bit arithmetic: Schrage's
// intermediate value t equals 16807 * s - (2^31 - 1) * (s / 127773), and the
// draw is t taken modulo 2^32 (so a negative t wraps) before the bound.
struct Model {
    std::int64_t state;

    std::uint32_t Next(std::uint32_t bound, bool* negative = nullptr) {
        const std::int64_t m = 2147483647;
        const std::int64_t t = 16807 * state - m * (state / 127773);
        if (negative) *negative = t < 0;
        state = t < 0 ? t + m : t;
        const auto wrapped = static_cast<std::uint64_t>(t) & 0xFFFFFFFFu;
        return static_cast<std::uint32_t>(bound == 0 ? wrapped : wrapped % bound);
    }
};

std::vector<std::int32_t> FixedSeedArray() {
    std::vector<std::int32_t> slots(kSlotCount);
    SeedGenerator(kRunSeed);
    FillTestArray(slots.data(), kSlotCount, kDrawBound);
    return slots;
}

TEST(Generator, MatchesIndependentModelOverManyDrawsIncludingNegativeOnes) {
    for (const std::uint32_t bound : {5000000u, 1u, 7u, 0x7FFFFFFFu, 0u}) {
        SeedGenerator(kRunSeed);
        Model model{kRunSeed};
        int negatives = 0;
        int negativesWhereCorrectionDiffers = 0;
        for (int k = 0; k < 200000; ++k) {
            bool negative = false;
            const std::int64_t before = model.state;
            const std::uint32_t expected = model.Next(bound, &negative);
            ASSERT_EQ(NextBelow(bound), expected) << "draw " << k << " bound " << bound;
            ASSERT_EQ(model.state, (16807 * before) % 2147483647) << "draw " << k;
            if (negative) {
                ++negatives;
                if (bound > 1 && expected != static_cast<std::uint32_t>(model.state) % bound)
                    ++negativesWhereCorrectionDiffers;
            }
        }
        // About one draw in ninety has a negative t with this seed.
        EXPECT_GT(negatives, 200000 / 150) << "bound " << bound;
        EXPECT_LT(negatives, 200000 / 60) << "bound " << bound;
        if (bound == kDrawBound) {
            EXPECT_GT(negativesWhereCorrectionDiffers, 0);
        }
    }
}

TEST(Generator, NegativeStateIsCorrectedBeforeTheNextDraw) {
    // 0x80000001 read as a stored negative t: corrected to 0x80000001 + 0x7FFFFFFF = 0
    // modulo 2^32, and state 0 draws 0.
    SeedGenerator(0x80000001u);
    EXPECT_EQ(NextBelow(0), 0u);
    // 0xFFFFFFFF is t = -1: corrected to 2^31 - 2.
    SeedGenerator(0xFFFFFFFFu);
    Model model{2147483646};
    EXPECT_EQ(NextBelow(0), model.Next(0));
}

TEST(Generator, SeedZeroDrawsZeroForever) {
    SeedGenerator(0);
    for (int k = 0; k < 1000; ++k) ASSERT_EQ(NextBelow(kDrawBound), 0u);
}

TEST(Generator, BoundZeroReturnsTheWholeDrawWithoutDividing) {
    SeedGenerator(kRunSeed);
    Model model{kRunSeed};
    for (int k = 0; k < 1000; ++k) ASSERT_EQ(NextBelow(0), model.Next(0));
}

TEST(Generator, FillWritesExactlyCountSlotsInDrawOrder) {
    std::vector<std::int32_t> slots(12, -5);
    SeedGenerator(kRunSeed);
    FillTestArray(slots.data() + 1, 10, 100);
    Model model{kRunSeed};
    EXPECT_EQ(slots.front(), -5);
    EXPECT_EQ(slots.back(), -5);
    for (int k = 1; k <= 10; ++k) EXPECT_EQ(slots[k], static_cast<std::int32_t>(model.Next(100)));
}

TEST(Generator, FixedSeedArrayIsTheSameEveryTimeAndEverywhere) {
    const std::vector<std::int32_t> first = FixedSeedArray();
    const std::vector<std::int32_t> second = FixedSeedArray();
    EXPECT_EQ(first, second);

    // Pinned from a separate big-integer computation of the same generator.
    const std::vector<std::int32_t> head = {2391205, 619744, 4972496, 1926963,
                                            3657080, 2223766, 3378663, 58863};
    EXPECT_EQ(std::vector<std::int32_t>(first.begin(), first.begin() + 8), head);

    std::uint64_t sum = 0;
    std::uint64_t fnv = 0xcbf29ce484222325u;
    for (const std::int32_t value : first) {
        ASSERT_GE(value, 0);
        ASSERT_LT(value, static_cast<std::int32_t>(kDrawBound));
        sum += static_cast<std::uint64_t>(value);
        auto bits = static_cast<std::uint32_t>(value);
        for (int byte = 0; byte < 4; ++byte, bits >>= 8) {
            fnv ^= bits & 0xFFu;
            fnv *= 0x100000001b3u;
        }
    }
    EXPECT_EQ(sum, 12500120732367u);
    EXPECT_EQ(fnv, 0x7ce3187fc5aaa3c7u);
}

}  // namespace
