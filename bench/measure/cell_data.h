// The values one cell sorts, and whether the machine can hold them.
//
// A cell's draws are numbered: draw n is the shape filled from seed + n,
// wrapped into the generator's seeds, so draw 0 is the seed's own data.
// Below kDistinctDrawsBelow values every sort of a seeded shape gets a draw
// of its own: a branch predictor learns the whole run of comparison
// outcomes of a few thousand values sorted again and again, and would time
// a memorised input instead of a sort. From that size on, and for shapes
// the seed does not change, every sort sorts draw 0.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/element_types.h"
#include "bench/measure/measurement.h"
#include "bench/measure/patterns.h"
#include "bench/measure/refusal.h"
#include "bench/measure/system_info.h"

constexpr std::int32_t kDistinctDrawsBelow = 1000000;
// The most values a cell holds: its slots are indexed by signed 32-bit numbers.
constexpr std::int64_t kLargestCount = 2147483647;

struct CellData {
    const InputPattern* pattern = nullptr;
    std::int32_t count = 0;
    std::uint32_t seed = 0;
    bool distinct = false;            // every sort gets a draw of its own
    std::vector<std::int32_t> first;  // draw 0
};

// Bytes of data the measurement holds: the generated values, the copy that
// is sorted as elements of type, and the values a copy of another type than
// int32_t is made from.
std::uint64_t DataBytes(std::int32_t count, ElementType type);

// Whether count values can be measured by processes that each hold them at
// once, on a machine as system describes it: its physical memory, or the
// limit of its control groups where that is lower (0: unknown, none);
// refused with why not. The data must leave half of that memory free: an
// overcommitting system would otherwise accept it and fail while filling,
// and a limited group would have its processes killed.
Check MemoryFits(std::int32_t count, std::uint64_t processes, const SystemInfo& system,
                 ElementType type = ElementType::kI32);

// The seed of draw n: seed + n, wrapped into 1 ... 2147483646.
std::uint32_t DrawSeed(std::uint32_t seed, std::int64_t draw);

// Whether the cell of settings gives every sort a draw of its own.
bool SortsDistinctDraws(const MeasureSettings& settings);

// The cell of settings, with its draw 0 generated; refused when the values
// cannot be allocated.
Result<CellData> GenerateData(const MeasureSettings& settings);

// Writes draw n of the cell to slots (data.count of them): draw 0 copied,
// any other generated, or draw 0 again when the cell sorts one data set.
void WriteDraw(const CellData& data, std::int64_t draw, std::int32_t* slots);
