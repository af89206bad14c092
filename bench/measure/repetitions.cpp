#include "bench/measure/repetitions.h"

#include <algorithm>

#include "sorts/typed_routines.h"

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

bool FindsBatch(const Repetition& repetition, const MeasureSettings& settings) {
    return repetition.round == 0 || repetition.round == settings.warmup;
}

template <typename T>
Sample RunRepetition(const Contender& contender, const CellData& data, const MeasureSettings& settings,
                     std::int64_t firstDraw, std::optional<int> batch, Copies<T>& copies, MillisecondClock clock) {
    const int known = batch.value_or(1);
    Sample sample = TimeBatch(contender, data, firstDraw, known, copies, clock);
    std::int64_t next = firstDraw + known;
    if (!batch && !sample.failure.failed()) {
        const int found =
            BatchSize(sample.perSortMs, settings.minTimeMs, settings.timeLimitSeconds * 1000, settings.count,
                      EntryOf(ElementOf<T>::type).bytes);
        if (found > 1) {
            sample = TimeBatch(contender, data, next, found, copies, clock);
            next += found;
        }
    }
    sample.draws = data.distinct ? next : 1;
    return sample;
}

#define ORVANDEL_INSTANTIATE(T)                                                                                  \
    template Sample RunRepetition<T>(const Contender&, const CellData&, const MeasureSettings&, std::int64_t, \
                                     std::optional<int>, Copies<T>&, MillisecondClock);
ORVANDEL_INSTANTIATE(std::int32_t)
ORVANDEL_FOR_TYPED_ELEMENTS(ORVANDEL_INSTANTIATE)
