#include "bench/measure/machine_counts.h"

#include <string>

bool operator==(const MachineCounts& a, const MachineCounts& b) {
    return a.instructions == b.instructions && a.conditionalBranches == b.conditionalBranches &&
           a.conditionalMisses == b.conditionalMisses && a.indirectBranches == b.indirectBranches &&
           a.indirectMisses == b.indirectMisses && a.firstLevelMisses == b.firstLevelMisses &&
           a.lastLevelMisses == b.lastLevelMisses;
}

std::uint64_t PartOf(const CountLimit& limit, const MachineCounts& counts) {
    return counts.*limit.part + (limit.alsoPart ? counts.*limit.alsoPart : 0);
}

const CountLimit* BrokenCountLimit(const MachineCounts& counts) {
    for (const CountLimit& limit : kCountLimits)
        if (PartOf(limit, counts) > counts.*limit.whole) return &limit;
    return nullptr;
}

const char* SimulatedCachesText() {
    static const std::string text = [] {
        std::string all;
        for (const SimulatedCache& cache : kSimulatedCaches)
            all += std::string(all.empty() ? "" : ", ") + cache.name + ' ' + std::to_string(cache.bytes) + " B " +
                   std::to_string(cache.ways) + "-way " + std::to_string(cache.lineBytes) + " B lines";
        return all;
    }();
    return text.c_str();
}
