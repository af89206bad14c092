// The values one cell sorts, and whether the machine can hold them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/measurement.h"

// Bytes of data the measurement holds: the generated values and the copy
// that is sorted.
std::uint64_t DataBytes(std::int32_t count);

// Why count values cannot be measured on a machine with memoryBytes of
// physical memory (0: unknown), or empty when they can. The data must leave
// half of the memory free: an overcommitting system would otherwise accept
// it and fail while filling.
std::string MemoryShortfall(std::int32_t count, std::uint64_t memoryBytes);

// The values of one cell: settings.pattern filled for settings.count from
// settings.seed. Returns false, with error set, when they cannot be allocated.
bool GenerateData(const MeasureSettings& settings, std::vector<std::int32_t>& data, std::string& error);
