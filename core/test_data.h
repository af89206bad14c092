// The benchmark's test data: the minimal standard generator (Park-Miller,
// evaluated by Schrage's method) and the fill of a test array with its draws.
#pragma once

#include <cstdint>

// The window's test array, and the seed every run starts its data from.
constexpr std::int32_t kSlotCount = 5000000;
constexpr std::uint32_t kRunSeed = 87654321;

// The state becomes seed; the next draw starts from it.
void SeedGenerator(std::uint32_t seed);

// Advances the generator and returns its draw modulo bound, in 0 ... bound - 1.
// A bound of 0 stands for 2^32: the draw itself is returned.
std::uint32_t NextBelow(std::uint32_t bound);

// Stores one draw below bound in each of slots 0 ... count - 1, in that order.
void FillTestArray(std::int32_t* slots, std::int32_t count, std::uint32_t bound);
