#include "bench/measure/reference_sorts.h"

#include <algorithm>

#ifdef ORVANDEL_HAVE_PDQSORT
#include <boost/sort/pdqsort/pdqsort.hpp>
#endif
#ifdef ORVANDEL_HAVE_SPREADSORT
#include <boost/sort/spreadsort/integer_sort.hpp>
#endif

namespace {

// Why the sorts without a counter have none.
constexpr char kRadix[] = "a radix sort: it does not compare elements pairwise";

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

#ifdef ORVANDEL_HAVE_SPREADSORT
// A radix sort on the integer keys, falling back to std::sort for small
// ranges: the kind of sort a user picks for plain integers.
void BoostSpreadsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    boost::sort::spreadsort::integer_sort(slots + lo, slots + hi);
}
#endif

}  // namespace

const std::vector<ReferenceSort>& ReferenceSorts() {
    static const std::vector<ReferenceSort> sorts = [] {
        std::vector<ReferenceSort> all = {
            {kBaselineName, StdSort, 1, CountStdSort},
            {"std::stable_sort", StdStableSort, 1, CountStdStableSort},
#ifdef ORVANDEL_HAVE_PDQSORT
            {"boost::pdqsort", BoostPdqsort, 1, CountBoostPdqsort},
#endif
#ifdef ORVANDEL_HAVE_SPREADSORT
            {"boost::spreadsort", BoostSpreadsort, 1, nullptr, kRadix},
#endif
        };
        const std::vector<ReferenceSort>& linked = LinkedReferenceSorts();
        all.insert(all.end(), linked.begin(), linked.end());
        return all;
    }();
    return sorts;
}

const std::vector<std::string>& MissingReferenceNotes() {
    static const std::vector<std::string> notes = [] {
        std::vector<std::string> all = {
#ifndef ORVANDEL_HAVE_PDQSORT
            "note: boost::pdqsort left out: Boost's pdqsort header was not found at configure time",
#endif
#ifndef ORVANDEL_HAVE_SPREADSORT
            "note: boost::spreadsort left out: Boost's spreadsort header was not found at configure time",
#endif
        };
        const std::vector<std::string>& linked = MissingLinkedReferenceNotes();
        all.insert(all.end(), linked.begin(), linked.end());
        return all;
    }();
    return notes;
}
