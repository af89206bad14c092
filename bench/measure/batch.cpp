#include "bench/measure/batch.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "bench/measure/sort_check.h"
#include "core/benchmark_run.h"
#include "platform/win32.h"
#include "sorts/typed_routines.h"

double SteadyMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int BatchSize(double oneSortMs, double minTimeMs, double timeLimitMs, std::int32_t count, std::uint64_t valueBytes) {
    const double room = static_cast<double>(kBatchBytes / (valueBytes * static_cast<std::uint64_t>(count)));
    const double longest = std::min(minTimeMs, timeLimitMs / 2);
    const double wanted = oneSortMs > 0 ? std::ceil(longest / oneSortMs) : room;
    return static_cast<int>(std::max(1.0, std::min({wanted, room, 1e9})));
}

template <>
SortCall<std::int32_t> CallOf(const Contender& contender) {
    return {contender.routine, contender.plugin, contender.bounds};
}

template <typename T>
SortCall<T> CallOf(const Contender& contender) {
    return {SortOf<T>(contender.typed).sort};
}

template <>
void SortSlots(const SortCall<std::int32_t>& call, std::int32_t* slots, std::int32_t count) {
    if (call.plugin != nullptr)
        call.plugin(slots + kLowerBound, slots + count);
    else
        call.routine(slots, kLowerBound, UpperBound(call.bounds, count));
}

template <typename T>
void SortSlots(const SortCall<T>& call, T* slots, std::int32_t count) {
    call.sort(slots + kLowerBound, slots + count);
}

template <typename T>
Sample TimeBatch(const Contender& contender, const CellData& data, std::int64_t firstDraw, int batch,
                 Copies<T>& copies, MillisecondClock clock) {
    const std::int32_t count = data.count;
    // Each copy is followed by its own guard slot, so a write just past one
    // copy's range is told from a write just before the next one's.
    const std::size_t stride = static_cast<std::size_t>(count) + 1;
    const std::size_t bytes = ElementBytes<T>(count);
    copies.slots.resize(stride * static_cast<std::size_t>(batch));
    copies.bytes.resize(bytes * static_cast<std::size_t>(batch));
    std::vector<WrittenCopy<T>> written;
    for (int k = 0; k < batch; ++k)
        written.push_back(WriteCopy(data, firstDraw + k, copies.slots.data() + k * stride, copies.bytes.data() + k * bytes));
    const SortCall<T> call = CallOf<T>(contender);

    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    const DWORD startTick = GetTickCount();
    const double start = clock();
    for (int k = 0; k < batch; ++k) SortSlots(call, copies.slots.data() + k * stride, count);
    const double end = clock();
    const DWORD endTick = GetTickCount();
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);

    Sample timing{(end - start) / batch, ElapsedTicks(startTick, endTick), batch, {}, 0};
    for (int k = 0; k < batch && !timing.failure.failed(); ++k)
        timing.failure = CheckCopy(data, written[static_cast<std::size_t>(k)], copies.slots.data() + k * stride);
    return timing;
}

#define ORVANDEL_INSTANTIATE(T)                                                                      \
    template SortCall<T> CallOf<T>(const Contender&);                                                \
    template void SortSlots<T>(const SortCall<T>&, T*, std::int32_t);                                \
    template Sample TimeBatch<T>(const Contender&, const CellData&, std::int64_t, int, Copies<T>&, \
                                 MillisecondClock);
ORVANDEL_FOR_TYPED_ELEMENTS(ORVANDEL_INSTANTIATE)
template Sample TimeBatch<std::int32_t>(const Contender&, const CellData&, std::int64_t, int, Copies<std::int32_t>&,
                                        MillisecondClock);
