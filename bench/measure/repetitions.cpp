#include "bench/measure/repetitions.h"

#include <algorithm>

#include "bench/measure/batch.h"

std::vector<Repetition> Schedule(int contenders, const MeasureSettings& settings) {
    std::vector<Repetition> order;
    const int rounds = settings.warmup + settings.runs;
    if (!settings.interleave) {
        for (int c = 0; c < contenders; ++c)
            for (int round = 0; round < rounds; ++round)
                order.push_back({c, round, round >= settings.warmup});
        return order;
    }
    for (int round = 0; round < rounds; ++round)
        for (int k = 0; k < contenders; ++k)
            order.push_back({(round + k) % contenders, round, round >= settings.warmup});
    return order;
}

namespace {

// The first draw of a contender's sample in round (RunRepetition).
std::int64_t FirstDraw(int round, int batch) {
    return (batch > 1 ? 1 : 0) + static_cast<std::int64_t>(round) * batch;
}

}  // namespace

Sample RunRepetition(const Contender& contender, const CellData& data, const MeasureSettings& settings, int round,
                     std::optional<int> batch, std::vector<std::int32_t>& copies) {
    const int known = batch.value_or(1);
    Sample sample = TimeBatch(contender, data, FirstDraw(round, known), known, copies, SteadyMilliseconds);
    if (!batch && !sample.failure.failed()) {
        const int found =
            BatchSize(sample.perSortMs, settings.minTimeMs, settings.timeLimitSeconds * 1000, settings.count);
        if (found > 1) sample = TimeBatch(contender, data, FirstDraw(round, found), found, copies, SteadyMilliseconds);
    }
    sample.draws = data.distinct ? FirstDraw(round, sample.batch) + sample.batch : 1;
    return sample;
}
