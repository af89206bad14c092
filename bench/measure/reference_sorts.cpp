#include "bench/measure/reference_sorts.h"

#include <algorithm>

#ifdef ORVANDEL_HAVE_PDQSORT
#include <boost/sort/pdqsort/pdqsort.hpp>
#endif
#ifdef ORVANDEL_HAVE_VQSORT
#include <hwy/contrib/sort/vqsort.h>
#endif
#ifdef ORVANDEL_HAVE_SPREADSORT
#include <boost/sort/spreadsort/integer_sort.hpp>
#endif
#ifdef ORVANDEL_HAVE_IPS4O
#include <ips4o.hpp>
#endif
#ifdef ORVANDEL_HAVE_PARALLEL_STD_SORT
#include <execution>
#include <tbb/task_arena.h>
#endif

namespace {

// Sorts with a comparator that counts its calls: the library's own
// comparisons, whatever its algorithm. Exchanges and recursion stay inside
// the library, unseen.
template <typename Sort>
OperationCounts CountComparisons(Sort sort, std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    OperationCounts counts;
    sort(slots + lo, slots + hi, [&counts](std::int32_t a, std::int32_t b) {
        ++counts.comparisons;
        return a < b;
    });
    return counts;
}

// Why the sorts without a counter have none.
constexpr char kRadix[] = "a radix sort: it does not compare elements pairwise";
constexpr char kVector[] = "a vector sort: it takes no comparator";
constexpr char kParallel[] = "a parallel sort: its threads would share one counter, and race on it";
// Why the sorts that draw at random have no machine counts.
constexpr char kRandomSamples[] =
    "draws its samples from the system's random source, so no two runs do the same work";

void StdSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
}

void StdStableSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::stable_sort(slots + lo, slots + hi);
}

OperationCounts CountStdSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons([](auto first, auto last, auto less) { std::sort(first, last, less); }, slots, lo, hi);
}

OperationCounts CountStdStableSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons([](auto first, auto last, auto less) { std::stable_sort(first, last, less); }, slots,
                            lo, hi);
}

#ifdef ORVANDEL_HAVE_PDQSORT
void BoostPdqsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    boost::sort::pdqsort(slots + lo, slots + hi);
}

OperationCounts CountBoostPdqsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons([](auto first, auto last, auto less) { boost::sort::pdqsort(first, last, less); },
                            slots, lo, hi);
}
#endif

#ifdef ORVANDEL_HAVE_VQSORT
void HighwayVqsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    // The sorter owns scratch space; building it once keeps that allocation
    // out of every timed call.
    static const hwy::Sorter sorter;
    sorter(slots + lo, static_cast<std::size_t>(hi - lo), hwy::SortAscending());
}
#endif

#ifdef ORVANDEL_HAVE_SPREADSORT
// A radix sort on the integer keys, falling back to std::sort for small
// ranges: the kind of sort a user picks for plain integers.
void BoostSpreadsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    boost::sort::spreadsort::integer_sort(slots + lo, slots + hi);
}
#endif

#ifdef ORVANDEL_HAVE_IPS4O
void Ips4oSequential(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    ips4o::sort(slots + lo, slots + hi);
}

OperationCounts CountIps4oSequential(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons([](auto first, auto last, auto less) { ips4o::sort(first, last, less); }, slots, lo,
                            hi);
}

void Ips4oParallel(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    ips4o::parallel::sort(slots + lo, slots + hi);
}
#endif

#ifdef ORVANDEL_HAVE_PARALLEL_STD_SORT
void StdSortParallel(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(std::execution::par, slots + lo, slots + hi);
}
#endif

}  // namespace

const std::vector<ReferenceSort>& ReferenceSorts() {
    static const std::vector<ReferenceSort> sorts = {
        {kBaselineName, StdSort, 1, CountStdSort},
        {"std::stable_sort", StdStableSort, 1, CountStdStableSort},
#ifdef ORVANDEL_HAVE_PDQSORT
        {"boost::pdqsort", BoostPdqsort, 1, CountBoostPdqsort},
#endif
#ifdef ORVANDEL_HAVE_VQSORT
        {"hwy::VQSort", HighwayVqsort, 1, nullptr, kVector, kRandomSamples},
#endif
#ifdef ORVANDEL_HAVE_SPREADSORT
        {"boost::spreadsort", BoostSpreadsort, 1, nullptr, kRadix},
#endif
#ifdef ORVANDEL_HAVE_IPS4O
        {"ips4o::sort", Ips4oSequential, 1, CountIps4oSequential, "", kRandomSamples},
        {"ips4o::parallel::sort", Ips4oParallel, ips4o::DefaultThreadPool::maxNumThreads(), nullptr, kParallel},
#endif
#ifdef ORVANDEL_HAVE_PARALLEL_STD_SORT
        {"std::sort(par)", StdSortParallel, tbb::this_task_arena::max_concurrency(), nullptr, kParallel},
#endif
    };
    return sorts;
}

const std::vector<std::string>& MissingReferenceNotes() {
    static const std::vector<std::string> notes = {
#ifndef ORVANDEL_HAVE_PDQSORT
        "note: boost::pdqsort left out: Boost's pdqsort header was not found at configure time",
#endif
#ifndef ORVANDEL_HAVE_VQSORT
        "note: hwy::VQSort left out: Highway's vqsort was not found at configure time",
#endif
#ifndef ORVANDEL_HAVE_SPREADSORT
        "note: boost::spreadsort left out: Boost's spreadsort header was not found at configure time",
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
