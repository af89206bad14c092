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

namespace {

// The first draw of a contender's sample in round: its sorts take the
// cell's draws in order, one to find its batch and then whole batches, so
// every contender sorts the same sequence of draws, and none twice.
std::int64_t FirstDraw(int round, int batch) {
    return (batch > 1 ? 1 : 0) + static_cast<std::int64_t>(round) * batch;
}

}  // namespace

void RunRepetitions(const std::vector<Contender>& contenders, const CellData& data,
                    const MeasureSettings& settings, const std::vector<Repetition>& order,
                    std::size_t first, std::vector<bool> skip, std::vector<int> batches,
                    const RepetitionEvents& events) {
    std::vector<int> rounds(contenders.size(), 0);
    for (std::size_t done = 0; done < first; ++done) ++rounds[static_cast<std::size_t>(order[done].contender)];
    std::vector<std::int32_t> copies;
    for (std::size_t done = first; done < order.size(); ++done) {
        const auto c = static_cast<std::size_t>(order[done].contender);
        const int round = rounds[c]++;
        if (skip[c]) continue;
        events.starting(done);
        int& batch = batches[c];
        const int known = std::max(batch, 1);
        BatchTiming timing = TimeBatch(contenders[c], data, FirstDraw(round, known), known, copies, SteadyMilliseconds);
        if (batch == 0 && timing.failedSlot == kNoDescent) {
            batch = BatchSize(timing.perSortMs, settings.minTimeMs, settings.timeLimitSeconds * 1000, settings.count);
            if (batch > 1)
                timing = TimeBatch(contenders[c], data, FirstDraw(round, batch), batch, copies, SteadyMilliseconds);
        }
        batch = std::max(batch, 1);
        skip[c] = timing.failedSlot != kNoDescent;
        const std::int64_t draws = data.distinct ? FirstDraw(round, batch) + batch : 1;
        events.finished({done, timing.perSortMs, timing.ticks, batch, timing.failedSlot, draws});
    }
}
