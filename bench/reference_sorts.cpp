#include "bench/reference_sorts.h"

#include <algorithm>

#ifdef ORVANDEL_HAVE_PDQSORT
#include <boost/sort/pdqsort/pdqsort.hpp>
#endif
#ifdef ORVANDEL_HAVE_VQSORT
#include <hwy/contrib/sort/vqsort.h>
#endif

namespace {

void StdSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
}

void StdStableSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::stable_sort(slots + lo, slots + hi);
}

#ifdef ORVANDEL_HAVE_PDQSORT
void BoostPdqsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    boost::sort::pdqsort(slots + lo, slots + hi);
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

}  // namespace

const std::vector<ReferenceSort>& ReferenceSorts() {
    static const std::vector<ReferenceSort> sorts = {
        {kBaselineName, StdSort},
        {"std::stable_sort", StdStableSort},
#ifdef ORVANDEL_HAVE_PDQSORT
        {"boost::pdqsort", BoostPdqsort},
#endif
#ifdef ORVANDEL_HAVE_VQSORT
        {"hwy::VQSort", HighwayVqsort},
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
    };
    return notes;
}
