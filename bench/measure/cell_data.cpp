#include "bench/measure/cell_data.h"

#include <algorithm>
#include <new>

namespace {

constexpr std::int64_t kSeeds = 2147483646;  // the generator's seeds: 1 ... kSeeds

}  // namespace

std::uint64_t DataBytes(std::int32_t count, ElementType type) {
    const std::uint64_t drawn = type == ElementType::kI32 ? sizeof(std::int32_t) : 2 * sizeof(std::int32_t);
    return (drawn + EntryOf(type).bytes) * static_cast<std::uint64_t>(count);
}

Check MemoryFits(std::int32_t count, std::uint64_t processes, const SystemInfo& system, ElementType type) {
    constexpr std::uint64_t kMebibyte = 1024 * 1024;
    const std::uint64_t limit = system.memoryLimitBytes;
    const bool limited = limit != 0 && (system.memoryBytes == 0 || limit < system.memoryBytes);
    const std::uint64_t memory = limited ? limit : system.memoryBytes;
    const std::uint64_t needed = DataBytes(count, type) * processes;
    if (memory == 0 || needed <= memory / 2) return Passed{};
    const std::string each = processes > 1 ? " in each of " + std::to_string(processes) + " processes" : "";
    const std::string mebibytes = std::to_string(memory / kMebibyte) + " MiB";
    return Refusal{"--count " + std::to_string(count) + " needs " + std::to_string(needed / kMebibyte) +
                   " MiB for the values and their working copy" +
                   (type == ElementType::kI32 ? "" : std::string(" as ") + ElementTypeName(type)) + each + ", more than half of " +
                   (limited ? "the " + mebibytes + " its control group allows" : "this machine's " + mebibytes)};
}

std::uint32_t DrawSeed(std::uint32_t seed, std::int64_t draw) {
    return static_cast<std::uint32_t>((static_cast<std::int64_t>(seed) - 1 + draw % kSeeds) % kSeeds + 1);
}

bool SortsDistinctDraws(const MeasureSettings& settings) {
    return !settings.sameData && settings.count < kDistinctDrawsBelow && FindPattern(settings.pattern)->seeded;
}

Result<CellData> GenerateData(const MeasureSettings& settings) {
    CellData data;
    data.pattern = FindPattern(settings.pattern);
    data.count = settings.count;
    data.seed = settings.seed;
    data.distinct = SortsDistinctDraws(settings);
    try {
        data.first.resize(static_cast<std::size_t>(settings.count));
    } catch (const std::bad_alloc&) {
        return Refusal{"not enough memory for " + std::to_string(settings.count) + " values"};
    }
    data.pattern->fill(data.first.data(), data.count, data.seed);
    return data;
}

void WriteDraw(const CellData& data, std::int64_t draw, std::int32_t* slots) {
    if (data.distinct && draw != 0)
        data.pattern->fill(slots, data.count, DrawSeed(data.seed, draw));
    else
        std::copy(data.first.begin(), data.first.end(), slots);
}
