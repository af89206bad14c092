#include "bench/measure/batch.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "core/benchmark_run.h"
#include "platform/win32.h"

double SteadyMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int BatchSize(double oneSortMs, double minTimeMs, double timeLimitMs, std::int32_t count) {
    const double room = static_cast<double>(kBatchBytes / (sizeof(std::int32_t) * static_cast<std::uint64_t>(count)));
    const double longest = std::min(minTimeMs, timeLimitMs / 2);
    const double wanted = oneSortMs > 0 ? std::ceil(longest / oneSortMs) : room;
    return static_cast<int>(std::max(1.0, std::min({wanted, room, 1e9})));
}

BatchTiming TimeBatch(const Contender& contender, const CellData& data, std::int64_t firstDraw, int batch,
                      std::vector<std::int32_t>& copies, MillisecondClock clock) {
    const std::int32_t count = data.count;
    const auto size = static_cast<std::size_t>(count);
    copies.resize(size * static_cast<std::size_t>(batch));
    for (int k = 0; k < batch; ++k) WriteDraw(data, firstDraw + k, copies.data() + k * size);
    const std::int32_t upper = UpperBound(contender.bounds, count);

    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    const DWORD startTick = GetTickCount();
    const double start = clock();
    for (int k = 0; k < batch; ++k) contender.routine(copies.data() + k * size, kLowerBound, upper);
    const double end = clock();
    const DWORD endTick = GetTickCount();
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);

    BatchTiming timing{(end - start) / batch, ElapsedTicks(startTick, endTick), kNoDescent};
    for (int k = 0; k < batch && timing.failedSlot == kNoDescent; ++k)
        timing.failedSlot = FindFirstDescent(copies.data() + k * size, kLowerBound, count);
    return timing;
}
