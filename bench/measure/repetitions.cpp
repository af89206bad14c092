#include "bench/measure/repetitions.h"

#include <algorithm>

#include "bench/measure/batch.h"
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
