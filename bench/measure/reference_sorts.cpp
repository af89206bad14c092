#include "bench/measure/reference_sorts.h"

#include <algorithm>

#ifdef ORVANDEL_HAVE_PDQSORT
#include <boost/sort/pdqsort/pdqsort.hpp>
#endif
#ifdef ORVANDEL_HAVE_SPREADSORT
#include <boost/sort/spreadsort/float_sort.hpp>
#include <boost/sort/spreadsort/integer_sort.hpp>
#include <boost/sort/spreadsort/string_sort.hpp>
#endif

#ifdef ORVANDEL_HAVE_SPREADSORT
// string_sort exchanges by an unqualified iter_swap, which for a pointer is
// looked up in its element's namespace, here the global one.
static void iter_swap(orvandel_string* a, orvandel_string* b) {
    std::iter_swap(a, b);
}
#endif

namespace {

// Why the sorts without a counter have none.
constexpr char kRadix[] = "a radix sort: it does not compare elements pairwise";

// The library sorts over any element type, for EveryType.
struct StdSortOf {
    template <typename T, typename Less>
    void operator()(T* first, T* last, Less less) const { std::sort(first, last, less); }
};

struct StdStableSortOf {
    template <typename T, typename Less>
    void operator()(T* first, T* last, Less less) const { std::stable_sort(first, last, less); }
};

void StdSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::sort(slots + lo, slots + hi);
}

void StdStableSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    std::stable_sort(slots + lo, slots + hi);
}

OperationCounts CountStdSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons(StdSortOf{}, slots + lo, slots + hi);
}

OperationCounts CountStdStableSort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons(StdStableSortOf{}, slots + lo, slots + hi);
}

#ifdef ORVANDEL_HAVE_PDQSORT
struct PdqsortOf {
    template <typename T, typename Less>
    void operator()(T* first, T* last, Less less) const { boost::sort::pdqsort(first, last, less); }
};

void BoostPdqsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    boost::sort::pdqsort(slots + lo, slots + hi);
}

OperationCounts CountBoostPdqsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    return CountComparisons(PdqsortOf{}, slots + lo, slots + hi);
}
#endif

#ifdef ORVANDEL_HAVE_SPREADSORT
// A radix sort on the integer keys, falling back to std::sort for small
// ranges: the kind of sort a user picks for plain integers.
void BoostSpreadsort(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    boost::sort::spreadsort::integer_sort(slots + lo, slots + hi);
}

// A string to string_sort: its bytes one at a time, and its length.
struct StringByte {
    unsigned char operator()(const orvandel_string& s, std::size_t at) const {
        return static_cast<unsigned char>(s.bytes[at]);
    }
};

struct StringLength {
    std::size_t operator()(const orvandel_string& s) const { return s.size; }
};

// The form of spreadsort made for each type: integer_sort, float_sort,
// string_sort; none for records.
TypedSorts SpreadsortTypes() {
    TypedSorts sorts;
    sorts.u64.sort = [](std::uint64_t* first, std::uint64_t* last) {
        boost::sort::spreadsort::integer_sort(first, last);
    };
    sorts.f64.sort = [](double* first, double* last) { boost::sort::spreadsort::float_sort(first, last); };
    sorts.string.sort = [](orvandel_string* first, orvandel_string* last) {
        boost::sort::spreadsort::string_sort(first, last, StringByte{}, StringLength{}, std::less<>{});
    };
    CannotSort<orvandel_record>(sorts, "its integer_sort, float_sort and string_sort sort keys, not records that carry a payload");
    return sorts;
}
#endif

}  // namespace

const std::vector<ReferenceSort>& ReferenceSorts() {
    static const std::vector<ReferenceSort> sorts = [] {
        std::vector<ReferenceSort> all = {
            {kBaselineName, StdSort, 1, CountStdSort, "", "", EveryType<StdSortOf, true>()},
            {"std::stable_sort", StdStableSort, 1, CountStdStableSort, "", "", EveryType<StdStableSortOf, true>()},
#ifdef ORVANDEL_HAVE_PDQSORT
            {"boost::pdqsort", BoostPdqsort, 1, CountBoostPdqsort, "", "", EveryType<PdqsortOf, true>()},
#endif
#ifdef ORVANDEL_HAVE_SPREADSORT
            {"boost::spreadsort", BoostSpreadsort, 1, nullptr, kRadix, "", SpreadsortTypes()},
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
