#include "bench/runner.h"

#include <algorithm>
#include <new>

#include "bench/batch.h"
#include "bench/patterns.h"
#include "core/benchmark_run.h"

std::vector<Repetition> Schedule(int contenders, const MeasureSettings& settings) {
    std::vector<Repetition> order;
    const int rounds = settings.warmup + settings.runs;
    if (!settings.interleave) {
        for (int c = 0; c < contenders; ++c)
            for (int round = 0; round < rounds; ++round)
                order.push_back({c, round >= settings.warmup});
        return order;
    }
    for (int round = 0; round < rounds; ++round)
        for (int k = 0; k < contenders; ++k)
            order.push_back({(round + k) % contenders, round >= settings.warmup});
    return order;
}

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

void RunRepetitions(const std::vector<Contender>& contenders, const std::vector<std::int32_t>& data,
                    const MeasureSettings& settings, const std::vector<Repetition>& order,
                    std::size_t first, std::vector<bool> skip, const RepetitionEvents& events) {
    std::vector<int> batches(contenders.size(), 0);  // 0: not found yet
    std::vector<std::int32_t> copies;
    for (std::size_t done = first; done < order.size(); ++done) {
        const auto c = static_cast<std::size_t>(order[done].contender);
        if (skip[c]) continue;
        events.starting(done);
        int& batch = batches[c];
        BatchTiming timing = TimeBatch(contenders[c], data, std::max(batch, 1), copies, SteadyMilliseconds);
        if (batch == 0 && timing.failedSlot == kNoDescent) {
            batch = BatchSize(timing.perSortMs, settings.minTimeMs, settings.count);
            if (batch > 1) timing = TimeBatch(contenders[c], data, batch, copies, SteadyMilliseconds);
        }
        skip[c] = timing.failedSlot != kNoDescent;
        events.finished({done, timing.perSortMs, timing.ticks, std::max(batch, 1), timing.failedSlot});
    }
}
