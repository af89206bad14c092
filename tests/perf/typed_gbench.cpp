// An independent check of the console tool's figures for the element types
// beyond int32_t, on Google Benchmark and over the same typed objects the
// tool measures (sorts/typed_routines.h) beside std::sort. Every iteration
// copies a different draw of a pool too large for the branch predictor to
// learn (at least 2^21 values), made by the tool's own maps from its random
// shape, and sorts the copy; BM_TypedCopy times the copy alone.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "bench/measure/element_types.h"
#include "bench/measure/patterns.h"
#include "core/test_data.h"
#include "sorts/element_order.h"
#include "sorts/typed_routines.h"

namespace {

constexpr std::int32_t kCounts[] = {1000, 100000};
constexpr std::int64_t kPoolValues = std::int64_t{1} << 21;

// A pool of draws of one type, back to back, and the bytes its strings
// point at (never written by a sort: it moves the views).
template <typename T>
struct Pool {
    std::int32_t count = 0;
    std::int32_t draws = 0;
    std::vector<T> values;
    std::vector<char> bytes;
};

template <typename T>
T Element(std::int32_t drawn, char*& bytes) {
    if constexpr (std::is_same_v<T, std::uint64_t>) return U64Of(drawn);
    else if constexpr (std::is_same_v<T, double>) return F64Of(drawn);
    else if constexpr (std::is_same_v<T, orvandel_string>) return StringOf(drawn, bytes);
    else return RecordOf(drawn);
}

template <typename T>
const Pool<T>& PoolOf(std::int32_t count) {
    static std::vector<Pool<T>> pools;
    for (const Pool<T>& pool : pools)
        if (pool.count == count) return pool;
    Pool<T> pool;
    pool.count = count;
    pool.draws = static_cast<std::int32_t>((kPoolValues + count - 1) / count);
    const auto values = static_cast<std::size_t>(pool.draws) * static_cast<std::size_t>(count);
    pool.values.resize(values);
    pool.bytes.resize(std::is_same_v<T, orvandel_string> ? values * kStringBytesAtMost : 0);
    char* bytes = pool.bytes.data();
    std::vector<std::int32_t> drawn(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < pool.draws; ++k) {
        FindPattern("random")->fill(drawn.data(), count, kRunSeed + static_cast<std::uint32_t>(k));
        for (std::int32_t v = 0; v < count; ++v)
            pool.values[static_cast<std::size_t>(k) * count + v] = Element<T>(drawn[static_cast<std::size_t>(v)], bytes);
    }
    pools.push_back(std::move(pool));
    return pools.back();
}

template <typename T>
void StdSort(T* first, T* last) {
    std::sort(first, last);
}

// Times sort over copies of the pool's draws, one draw an iteration, and
// checks the last one ascends.
template <typename T>
void TimeSorts(benchmark::State& state, void (*sort)(T*, T*), bool sorting) {
    const Pool<T>& pool = PoolOf<T>(static_cast<std::int32_t>(state.range(0)));
    std::vector<T> work(static_cast<std::size_t>(pool.count));
    std::int32_t next = 0;
    for (auto _ : state) {
        std::memcpy(static_cast<void*>(work.data()), pool.values.data() + static_cast<std::size_t>(next) * pool.count,
                    work.size() * sizeof(T));
        if (sorting) sort(work.data(), work.data() + work.size());
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
        if (++next == pool.draws) next = 0;
    }
    if (sorting && !std::is_sorted(work.begin(), work.end(), std::less<>{})) state.SkipWithError("out of order");
    state.counters["draws"] = pool.draws;
}

template <typename T>
void Register(const char* type) {
    const struct {
        const char* name;
        void (*sort)(T*, T*);
    } sorts[] = {{"Full Optimised C", FirstPivotTailRange<T>},
                 {"Sedgewick qsort C", SedgewickTailRange<T>},
                 {"std::sort", StdSort<T>}};
    for (const auto& sort : sorts) {
        const std::string name = std::string("BM_TypedSort/") + type + "/" + sort.name;
        auto* benchmark = benchmark::RegisterBenchmark(name.c_str(), [sort](benchmark::State& state) {
            TimeSorts<T>(state, sort.sort, true);
        });
        for (const std::int32_t count : kCounts) benchmark->Arg(count);
        benchmark->Unit(benchmark::kMicrosecond);
    }
    const std::string copy = std::string("BM_TypedCopy/") + type;
    auto* benchmark = benchmark::RegisterBenchmark(
        copy.c_str(), [](benchmark::State& state) { TimeSorts<T>(state, StdSort<T>, false); });
    for (const std::int32_t count : kCounts) benchmark->Arg(count);
    benchmark->Unit(benchmark::kMicrosecond);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    Register<std::uint64_t>("u64");
    Register<double>("f64");
    Register<orvandel_string>("string");
    Register<orvandel_record>("record");
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
