// An independent check of the console tool's small-size figures, on Google
// Benchmark and over the same objects the tool measures.
//
// Sorting a copy of one data set over and over lets the branch predictor learn
// the whole sequence of comparison outcomes, which flatters every routine at
// sizes whose history fits in its tables. Each row is therefore measured in
// two modes: "same" sorts one draw every iteration, as the tool does;
// "distinct" cycles through a pool of different draws prepared before timing.
// The gap between the two is what the predictor learnt.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "core/benchmark_run.h"
#include "core/sort_routine.h"
#include "core/test_data.h"
#include "orvandel/sort_plugin.h"
#include "sorts/routine_table.h"

namespace {

constexpr std::int64_t kSizes[] = {100, 1000, 10000, 100000};

// A distinct pool holds at least 2^21 values (8 MiB) at every size, far more
// branch outcomes than any predictor keeps: at 100 values that is 20,972
// draws, at 100,000 still 21, each timed once before the cycle repeats.
constexpr std::int64_t kPoolValues = std::int64_t{1} << 21;

enum class Shape { kRandom, kWindow };
enum class Mode { kSame, kDistinct };

const char* ShapeName(Shape shape) {
    return shape == Shape::kRandom ? "random" : "window";
}

const char* ModeName(Mode mode) {
    return mode == Mode::kSame ? "same" : "distinct";
}

// Each value two 16-bit draws, high half first, so that the values cover the
// whole signed range, negatives included.
void FillRandom(std::int32_t* slots, std::int32_t count, std::uint32_t seed) {
    SeedGenerator(seed);
    for (std::int32_t k = 0; k < count; ++k) {
        const std::uint32_t high = NextBelow(0x10000);
        const std::uint32_t low = NextBelow(0x10000);
        slots[k] = static_cast<std::int32_t>(high << 16 | low);
    }
}

// The window's data at this count: draws below the count itself.
void FillWindow(std::int32_t* slots, std::int32_t count, std::uint32_t seed) {
    SeedGenerator(seed);
    FillTestArray(slots, count, static_cast<std::uint32_t>(count));
}

// Draws stored back to back, draw k from seed kRunSeed + k.
struct Pool {
    std::int32_t count = 0;
    std::int32_t draws = 0;
    std::vector<std::int32_t> values;

    std::size_t Offset(std::int32_t k) const {
        return static_cast<std::size_t>(k) * static_cast<std::size_t>(count);
    }
    const std::int32_t* Draw(std::int32_t k) const { return values.data() + Offset(k); }
};

std::int32_t DrawsFor(Mode mode, std::int32_t count) {
    if (mode == Mode::kSame) return 1;
    return static_cast<std::int32_t>((kPoolValues + count - 1) / count);
}

// Google Benchmark calls a benchmark several times while it settles the
// iteration count, and every routine wants the same pools: each is generated
// once, on first use, and kept for the whole process (about 70 MiB for all).
const Pool& PoolFor(Shape shape, Mode mode, std::int32_t count) {
    static std::map<std::tuple<Shape, Mode, std::int32_t>, Pool> pools;
    Pool& pool = pools[{shape, mode, count}];
    if (pool.draws != 0) return pool;
    pool.count = count;
    pool.draws = DrawsFor(mode, count);
    pool.values.resize(pool.Offset(pool.draws));
    for (std::int32_t k = 0; k < pool.draws; ++k) {
        std::int32_t* slots = pool.values.data() + pool.Offset(k);
        const std::uint32_t seed = kRunSeed + static_cast<std::uint32_t>(k);
        if (shape == Shape::kRandom)
            FillRandom(slots, count, seed);
        else
            FillWindow(slots, count, seed);
    }
    return pool;
}

// std::sort behind the routines' own form, so that the reference is reached
// through the same indirect call as they are.
void StdSortSlots(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
}

struct Contender {
    const char* name;
    SortRoutine routine;
    BoundForm bounds;
};

// A sort of one's own, opened with dlopen from the very file the tool's
// --sort-library loads: the first sort of its table.
orvandel_sort_fn librarySort = nullptr;

void LibrarySortSlots(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    librarySort(slots + lo, slots + hi);
}

// The library that ORVANDEL_GBENCH_LIBRARY names, if any; its first sort's
// name, or null when it has no table of this interface's version.
const char* OpenLibrarySort(const char* path) {
    void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    const auto* table =
        library ? static_cast<const orvandel_sort_table*>(dlsym(library, ORVANDEL_SORT_TABLE_SYMBOL)) : nullptr;
    if (table == nullptr || table->abi_version != ORVANDEL_SORT_ABI_VERSION || table->count < 1) return nullptr;
    librarySort = table->sorts[0].sort;
    return table->sorts[0].name;
}

std::vector<Contender> Contenders() {
    std::vector<Contender> contenders;
    for (const RoutineEntry& entry : RoutineTable)
        contenders.push_back({entry.caption, entry.routine, entry.bounds});
    contenders.push_back({"std::sort", StdSortSlots, BoundForm::kExclusiveUpper});
    if (const char* path = std::getenv("ORVANDEL_GBENCH_LIBRARY")) {
        const char* name = OpenLibrarySort(path);
        if (name == nullptr) std::fprintf(stderr, "orvandel_gbench: %s: no sort table to load\n", path);
        else contenders.push_back({name, LibrarySortSlots, BoundForm::kExclusiveUpper});
    }
    return contenders;
}

void SetCounters(benchmark::State& state, const Pool& pool) {
    // CPU seconds per element (a rate counter follows the time that sets the
    // iteration count): the console shows "ns", the files a number of seconds.
    state.counters["per_element"] = benchmark::Counter(
        static_cast<double>(pool.count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["draws"] = static_cast<double>(pool.draws);
}

// The draw the last iteration copied: iteration k takes draw k mod pool.
std::int32_t LastDraw(const benchmark::State& state, const Pool& pool) {
    return static_cast<std::int32_t>((state.iterations() - 1) % pool.draws);
}

// Beyond order: the sorted slots must hold the draw's values, and slot 0 its
// first draw, or a routine that loses or invents values would pass.
bool SameValuesSorted(const std::int32_t* draw, const std::vector<std::int32_t>& sorted) {
    std::vector<std::int32_t> expected(draw, draw + sorted.size());
    std::sort(expected.begin() + kLowerBound, expected.end());
    return expected == sorted;
}

// Copies draw k mod pool into the work buffer and sorts it, every iteration.
void TimeSorts(benchmark::State& state, Contender contender, Shape shape, Mode mode) {
    const auto count = static_cast<std::int32_t>(state.range(0));
    const Pool& pool = PoolFor(shape, mode, count);
    std::vector<std::int32_t> work(static_cast<std::size_t>(count));
    const std::int32_t upper = UpperBound(contender.bounds, count);
    const std::size_t bytes = work.size() * sizeof(std::int32_t);

    std::int32_t next = 0;
    for (auto _ : state) {
        std::memcpy(work.data(), pool.Draw(next), bytes);
        contender.routine(work.data(), kLowerBound, upper);
        benchmark::ClobberMemory();
        if (++next == pool.draws) next = 0;
    }

    const std::int32_t last = LastDraw(state, pool);
    const std::int32_t descent = FindFirstDescent(work.data(), kLowerBound, count);
    if (descent != kNoDescent) {
        const std::string message = "out of order at slot " + std::to_string(descent);
        state.SkipWithError(message.c_str());
        return;
    }
    if (!SameValuesSorted(pool.Draw(last), work)) {
        state.SkipWithError("in order, but not the values of the draw");
        return;
    }
    SetCounters(state, pool);
}

// The copy alone, as the sort rows do it, so a reader can take its share out.
void TimeCopies(benchmark::State& state, Shape shape, Mode mode) {
    const auto count = static_cast<std::int32_t>(state.range(0));
    const Pool& pool = PoolFor(shape, mode, count);
    std::vector<std::int32_t> work(static_cast<std::size_t>(count));
    const std::size_t bytes = work.size() * sizeof(std::int32_t);

    std::int32_t next = 0;
    for (auto _ : state) {
        std::memcpy(work.data(), pool.Draw(next), bytes);
        benchmark::DoNotOptimize(work.data());
        benchmark::ClobberMemory();
        if (++next == pool.draws) next = 0;
    }

    if (!std::equal(work.begin(), work.end(), pool.Draw(LastDraw(state, pool)))) {
        state.SkipWithError("the work buffer does not hold the last draw");
        return;
    }
    SetCounters(state, pool);
}

void WithSizes(benchmark::internal::Benchmark* benchmark) {
    for (const std::int64_t size : kSizes) benchmark->Arg(size);
    benchmark->Unit(benchmark::kMicrosecond);
}

constexpr Shape kShapes[] = {Shape::kRandom, Shape::kWindow};
constexpr Mode kModes[] = {Mode::kSame, Mode::kDistinct};

// Routines outermost, so that one routine's "same" and "distinct" rows of a
// shape are printed one after the other.
void RegisterAll() {
    for (const Contender& contender : Contenders())
        for (const Shape shape : kShapes)
            for (const Mode mode : kModes) {
                const std::string name = std::string("BM_Sort/") + contender.name + "/" +
                                         ShapeName(shape) + "/" + ModeName(mode);
                WithSizes(benchmark::RegisterBenchmark(name.c_str(), [=](benchmark::State& state) {
                    TimeSorts(state, contender, shape, mode);
                }));
            }
    for (const Shape shape : kShapes)
        for (const Mode mode : kModes) {
            const std::string name =
                std::string("BM_Copy/") + ShapeName(shape) + "/" + ModeName(mode);
            WithSizes(benchmark::RegisterBenchmark(
                name.c_str(), [=](benchmark::State& state) { TimeCopies(state, shape, mode); }));
        }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::AddCustomContext("data", "draw k from seed " + std::to_string(kRunSeed) +
                                            " + k; distinct pools of at least " +
                                            std::to_string(kPoolValues) + " values");
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
