#include "bench/measure/cell_data.h"

#include <new>

#include "bench/measure/patterns.h"

std::uint64_t DataBytes(std::int32_t count) {
    return 2 * sizeof(std::int32_t) * static_cast<std::uint64_t>(count);
}

std::string MemoryShortfall(std::int32_t count, std::uint64_t memoryBytes) {
    constexpr std::uint64_t kMebibyte = 1024 * 1024;
    const std::uint64_t needed = DataBytes(count);
    if (memoryBytes == 0 || needed <= memoryBytes / 2) return "";
    return "--count " + std::to_string(count) + " needs " + std::to_string(needed / kMebibyte) +
           " MiB for the values and their working copy, more than half of this machine's " +
           std::to_string(memoryBytes / kMebibyte) + " MiB";
}

bool GenerateData(const MeasureSettings& settings, std::vector<std::int32_t>& data, std::string& error) {
    try {
        data.resize(static_cast<std::size_t>(settings.count));
    } catch (const std::bad_alloc&) {
        error = "not enough memory for " + std::to_string(settings.count) + " values";
        return false;
    }
    FindPattern(settings.pattern)->fill(data.data(), settings.count, settings.seed);
    return true;
}
