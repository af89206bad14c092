// The references that need a library linked for them: Highway's vqsort,
// ips4o (its parallel sort on OpenMP) and std::execution::par (on TBB).
// Each is in when it was found at configure time (bench/CMakeLists.txt).
#include <algorithm>

#include "bench/measure/reference_sorts.h"

#ifdef ORVANDEL_HAVE_VQSORT
#include <hwy/contrib/sort/vqsort.h>
#endif
#ifdef ORVANDEL_HAVE_IPS4O
#include <ips4o.hpp>
#endif
#ifdef ORVANDEL_HAVE_PARALLEL_STD_SORT
#include <execution>
#include <tbb/task_arena.h>
#endif

namespace {

// Why the sorts without a counter have none.
[[maybe_unused]] constexpr char kVector[] = "a vector sort: it takes no comparator";
[[maybe_unused]] constexpr char kParallel[] = "a parallel sort: its threads would share one counter, and race on it";
// Why the sorts that draw at random have no machine counts.
[[maybe_unused]] constexpr char kRandomSamples[] =
    "draws its samples from the system's random source, so no two runs do the same work";

#ifdef ORVANDEL_HAVE_VQSORT
// The sorter owns scratch space; building it once keeps that allocation
// out of every timed call.
const hwy::Sorter& VqsortSorter() {
    static const hwy::Sorter sorter;
    return sorter;
}

void HighwayVqsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    VqsortSorter()(slots + lo, static_cast<std::size_t>(hi - lo), hwy::SortAscending());
}

// Numbers only: Highway's sorts take integer and floating-point keys.
TypedSorts VqsortTypes() {
    TypedSorts sorts;
    sorts.u64.sort = [](std::uint64_t* first, std::uint64_t* last) {
        VqsortSorter()(first, static_cast<std::size_t>(last - first), hwy::SortAscending());
    };
    sorts.f64.sort = [](double* first, double* last) {
        VqsortSorter()(first, static_cast<std::size_t>(last - first), hwy::SortAscending());
    };
    constexpr char kNumbersOnly[] = "a vector sort of numbers: it sorts integer and floating-point keys only";
    CannotSort<orvandel_string>(sorts, kNumbersOnly);
    CannotSort<orvandel_record>(sorts, kNumbersOnly);
    return sorts;
}
#endif

#ifdef ORVANDEL_HAVE_IPS4O
void Ips4oSequential(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    ips4o::sort(slots + lo, slots + hi);
}

void Ips4oParallel(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    ips4o::parallel::sort(slots + lo, slots + hi);
}

struct Ips4oOf {
    template <typename T, typename Less>
    void operator()(T* first, T* last, Less less) const { ips4o::sort(first, last, less); }
};

struct Ips4oParallelOf {
    template <typename T, typename Less>
    void operator()(T* first, T* last, Less less) const { ips4o::parallel::sort(first, last, less); }
};

OperationCounts CountIps4oSequential(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons(Ips4oOf{}, slots + lo, slots + hi);
}
#endif

#ifdef ORVANDEL_HAVE_PARALLEL_STD_SORT
void StdSortParallel(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(std::execution::par, slots + lo, slots + hi);
}

struct StdSortParallelOf {
    template <typename T, typename Less>
    void operator()(T* first, T* last, Less less) const { std::sort(std::execution::par, first, last, less); }
};
#endif

}  // namespace

const std::vector<ReferenceSort>& LinkedReferenceSorts() {
    static const std::vector<ReferenceSort> sorts = {
#ifdef ORVANDEL_HAVE_VQSORT
        {"hwy::VQSort", HighwayVqsort, 1, nullptr, kVector, kRandomSamples, VqsortTypes()},
#endif
#ifdef ORVANDEL_HAVE_IPS4O
        {"ips4o::sort", Ips4oSequential, 1, CountIps4oSequential, "", kRandomSamples, EveryType<Ips4oOf, true>()},
        {"ips4o::parallel::sort", Ips4oParallel, ips4o::DefaultThreadPool::maxNumThreads(), nullptr, kParallel, "",
         EveryType<Ips4oParallelOf, false>()},
#endif
#ifdef ORVANDEL_HAVE_PARALLEL_STD_SORT
        {"std::sort(par)", StdSortParallel, tbb::this_task_arena::max_concurrency(), nullptr, kParallel, "",
         EveryType<StdSortParallelOf, false>()},
#endif
    };
    return sorts;
}

const std::vector<std::string>& MissingLinkedReferenceNotes() {
    static const std::vector<std::string> notes = {
#ifndef ORVANDEL_HAVE_VQSORT
        "note: hwy::VQSort left out: Highway's vqsort was not found at configure time",
#endif
#ifndef ORVANDEL_HAVE_IPS4O
        "note: ips4o::sort and ips4o::parallel::sort left out: ips4o (libips4o-dev) or OpenMP was not found at configure time",
#endif
#ifndef ORVANDEL_HAVE_PARALLEL_STD_SORT
        "note: std::sort(par) left out: TBB (libtbb-dev), which runs std::execution::par, was not found at configure time",
#endif
    };
    return notes;
}
