#include "bench/runner.h"

#include <algorithm>
#include <chrono>
#include <new>

#include "core/benchmark_run.h"
#include "core/test_data.h"
#include "platform/win32.h"

namespace {

using Clock = std::chrono::steady_clock;

// One repetition on a fresh copy of the data. The copy and the order check
// lie outside the timed interval; the priority is raised only around it.
void RunOnce(const Contender& contender, const std::vector<std::int32_t>& data,
             std::vector<std::int32_t>& slots, bool timed, Measurement& result) {
    std::copy(data.begin(), data.end(), slots.begin());
    const auto count = static_cast<std::int32_t>(slots.size());

    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    const DWORD startTick = GetTickCount();
    const Clock::time_point start = Clock::now();
    contender.routine(slots.data(), kLowerBound, UpperBound(contender.bounds, count));
    const Clock::time_point end = Clock::now();
    const DWORD endTick = GetTickCount();
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);

    result.failedSlot = FindFirstDescent(slots.data(), kLowerBound, count);
    if (!timed || result.failedSlot != kNoDescent) return;
    result.times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    result.ticks.push_back(ElapsedTicks(startTick, endTick));
}

}  // namespace

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

bool Measure(const std::vector<Contender>& contenders, const MeasureSettings& settings,
             const ProgressReport& progress, std::vector<Measurement>& results,
             std::string& error) {
    std::vector<std::int32_t> data;
    std::vector<std::int32_t> slots;
    try {
        data.resize(static_cast<std::size_t>(settings.count));
        slots.resize(data.size());
    } catch (const std::bad_alloc&) {
        error = "not enough memory for " + std::to_string(settings.count) + " values";
        return false;
    }
    // The window draws below its slot count; so does every count here, which
    // keeps the share of repeated values the same at every size.
    SeedGenerator(settings.seed);
    FillTestArray(data.data(), settings.count, static_cast<std::uint32_t>(settings.count));

    results.clear();
    for (const Contender& contender : contenders) results.push_back({contender, {}, {}, kNoDescent});
    const std::vector<Repetition> order = Schedule(static_cast<int>(contenders.size()), settings);
    for (std::size_t done = 0; done < order.size(); ++done) {
        Measurement& result = results[static_cast<std::size_t>(order[done].contender)];
        if (result.failedSlot != kNoDescent) continue;
        if (progress)
            progress(result.contender.name, static_cast<int>(done), static_cast<int>(order.size()));
        RunOnce(result.contender, data, slots, order[done].timed, result);
    }
    return true;
}
