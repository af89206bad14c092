#include "bench/measure/batch.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "bench/measure/sort_check.h"
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

SortCall CallOf(const Contender& contender) {
    return {contender.routine, contender.plugin, contender.bounds};
}

void SortSlots(const SortCall& call, std::int32_t* slots, std::int32_t count) {
    if (call.plugin != nullptr)
        call.plugin(slots + kLowerBound, slots + count);
    else
        call.routine(slots, kLowerBound, UpperBound(call.bounds, count));
}

void SortSlots(const Contender& contender, std::int32_t* slots, std::int32_t count) {
    SortSlots(CallOf(contender), slots, count);
}

Sample TimeBatch(const Contender& contender, const CellData& data, std::int64_t firstDraw, int batch,
                 std::vector<std::int32_t>& copies, MillisecondClock clock) {
    const std::int32_t count = data.count;
    // Each copy is followed by its own guard slot, so a write just past one
    // copy's range is told from a write just before the next one's.
    const std::size_t stride = static_cast<std::size_t>(count) + 1;
    copies.resize(stride * static_cast<std::size_t>(batch));
    std::vector<WrittenCopy> written;
    for (int k = 0; k < batch; ++k) written.push_back(WriteCopy(data, firstDraw + k, copies.data() + k * stride));

    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    const DWORD startTick = GetTickCount();
    const double start = clock();
    for (int k = 0; k < batch; ++k) SortSlots(contender, copies.data() + k * stride, count);
    const double end = clock();
    const DWORD endTick = GetTickCount();
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);

    Sample timing{(end - start) / batch, ElapsedTicks(startTick, endTick), batch, {}, 0};
    for (int k = 0; k < batch && !timing.failure.failed(); ++k)
        timing.failure = CheckCopy(data, written[static_cast<std::size_t>(k)], copies.data() + k * stride);
    return timing;
}
