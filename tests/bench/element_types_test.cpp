// The element types: the maps from a cell's int32_t draw to each type
// against a model of each type's order written here, every built-in
// contender on every shape as every type against a sort by that model, the
// checks on faults planted in a sorted copy of each type, and the work of
// the deterministic sorts, counted the same in every type for one draw
// since the maps keep its order and its ties.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <type_traits>
#include <vector>

#include "bench/app/option_values.h"
#include "bench/measure/batch.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/contenders.h"
#include "bench/measure/patterns.h"
#include "bench/measure/sort_check.h"
#include "bench/suite/machine_counting.h"
#include "bench/suite/matrix.h"
#include "core/benchmark_run.h"

namespace {

// The order of each type from its definition, not from the product's
// operators: numbers by value, strings by their bytes read as unsigned with
// a prefix before every longer string, records by key alone.
bool ModelLess(std::int32_t a, std::int32_t b) { return a < b; }
bool ModelLess(std::uint64_t a, std::uint64_t b) { return a < b; }
bool ModelLess(double a, double b) { return a < b; }
bool ModelLess(const orvandel_record& a, const orvandel_record& b) { return a.key < b.key; }
bool ModelLess(const orvandel_string& a, const orvandel_string& b) {
    const auto* x = reinterpret_cast<const unsigned char*>(a.bytes);
    const auto* y = reinterpret_cast<const unsigned char*>(b.bytes);
    return std::lexicographical_compare(x, x + a.size, y, y + b.size);
}

// Everything an element holds: a string's bytes (not where they lie), any
// other element's own bytes. Two elements are equal when these are.
std::string Content(const orvandel_string& s) { return {s.bytes, s.size}; }
template <typename T>
std::string Content(const T& element) {
    return {reinterpret_cast<const char*>(&element), sizeof element};
}

template <typename T>
constexpr bool kIsRecord = std::is_same_v<T, orvandel_record>;

// The product's map of a drawn value to T; a string's bytes go to at.
template <typename T>
T Map(std::int32_t drawn, char*& at) {
    if constexpr (std::is_same_v<T, std::int32_t>) return drawn;
    else if constexpr (std::is_same_v<T, std::uint64_t>) return U64Of(drawn);
    else if constexpr (std::is_same_v<T, double>) return F64Of(drawn);
    else if constexpr (std::is_same_v<T, orvandel_string>) return StringOf(drawn, at);
    else return RecordOf(drawn);
}

// Runs work(TypeTag<T>{}) for each type of the table, named in any failure.
template <typename Work>
void ForEveryType(Work work) {
    for (const ElementTypeEntry& entry : kElementTypes) {
        SCOPED_TRACE(entry.name);
        WithElementType(entry.type, work);
    }
}

// A copy of count slots and its guard, as the tool sorts it, with the
// room its strings' bytes take.
template <typename T>
struct Copy {
    explicit Copy(std::int32_t count)
        : slots(static_cast<std::size_t>(count) + 1), bytes(ElementBytes<T>(count)) {}
    std::vector<T> slots;
    std::vector<char> bytes;
};

CellData Cell(const std::string& pattern, std::int32_t count) {
    MeasureSettings settings;
    settings.pattern = pattern;
    settings.count = count;
    Result<CellData> data = GenerateData(settings);
    EXPECT_TRUE(static_cast<bool>(data)) << data.why();
    return *data;
}

std::string Where(const std::string& pattern, std::int32_t count, const std::string& name = "") {
    return pattern + " " + std::to_string(count) + (name.empty() ? "" : " " + name);
}

// Extremes, their neighbours, the edges of each hexadecimal digit, random
// values with their neighbours and their sign flipped; the fixed values
// twice, so equal values are mapped at two places.
std::vector<std::int32_t> DrawnValues() {
    const std::vector<std::int32_t> fixed = {INT32_MIN, INT32_MIN + 1, INT32_MIN + 2, -65537, -65536, -65535, -256,
                                             -17, -16, -2, -1, 0, 1, 2, 15, 16, 255, 256, 65535, 65536,
                                             0x0fffffff, 0x10000000, INT32_MAX - 1, INT32_MAX};
    std::vector<std::int32_t> values = fixed;
    values.insert(values.end(), fixed.begin(), fixed.end());
    std::mt19937 random(20240611);
    for (int k = 0; k < 100; ++k) {
        const std::uint32_t v = random();
        for (const std::uint32_t neighbour : {v, v - 1, v + 1, v ^ 0x80000000u})
            values.push_back(static_cast<std::int32_t>(neighbour));
    }
    return values;
}

bool IsHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

// Each map against the model: the order and the ties of the drawn values
// kept, the drawn value read back, and what each type promises of its
// elements beyond their order.
TEST(ElementTypes, EachMapKeepsTheOrderAndTheTiesOfTheDrawnValues) {
    const std::vector<std::int32_t> drawn = DrawnValues();
    const std::size_t n = drawn.size();
    ForEveryType([&](auto tag) {
        using T = typename decltype(tag)::type;
        std::vector<char> bytes(n * kStringBytesAtMost);
        char* at = bytes.data();
        std::vector<T> made;
        std::vector<std::string> content;
        for (const std::int32_t v : drawn) {
            made.push_back(Map<T>(v, at));
            content.push_back(Content(made.back()));
        }
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_EQ(DrawnValueOf(made[i]), drawn[i]);
            for (std::size_t j = 0; j < n; ++j) {
                const std::string pair = std::to_string(drawn[i]) + " and " + std::to_string(drawn[j]);
                ASSERT_EQ(ModelLess(made[i], made[j]), drawn[i] < drawn[j]) << pair;
                ASSERT_EQ(content[i] == content[j], drawn[i] == drawn[j]) << pair;
                ASSERT_EQ(ContentHash(made[i]) == ContentHash(made[j]), drawn[i] == drawn[j]) << pair;
            }
        }
        if constexpr (std::is_same_v<T, double>) {
            for (std::size_t i = 0; i < n; ++i) {
                EXPECT_TRUE(std::isfinite(made[i])) << drawn[i];
                EXPECT_FALSE(made[i] == 0 && std::signbit(made[i])) << drawn[i] << " became -0";
            }
        }
        if constexpr (std::is_same_v<T, orvandel_string>) {
            // The prefix is shared, so no comparison is decided in its 8
            // bytes; the 8 digits after it decide every one.
            for (std::size_t i = 0; i < n; ++i) {
                const std::string& s = content[i];
                ASSERT_GE(s.size(), kStringPrefixBytes + 8) << drawn[i];
                EXPECT_LE(s.size(), kStringBytesAtMost) << drawn[i];
                EXPECT_EQ(s.substr(0, kStringPrefixBytes), content[0].substr(0, kStringPrefixBytes)) << drawn[i];
                const std::string digits = s.substr(kStringPrefixBytes, 8);
                EXPECT_TRUE(std::all_of(digits.begin(), digits.end(), IsHexDigit)) << drawn[i] << ": " << digits;
                for (std::size_t j = 0; j < n; ++j)
                    ASSERT_EQ(digits == content[j].substr(kStringPrefixBytes, 8), drawn[i] == drawn[j])
                        << drawn[i] << " and " << drawn[j];
            }
        }
        if constexpr (kIsRecord<T>) {
            // A payload differs from every other key's, so one that left its
            // key is seen.
            for (std::size_t i = 0; i < n; ++i)
                for (std::size_t j = 0; j < n; ++j)
                    ASSERT_EQ(std::memcmp(made[i].payload, made[j].payload, sizeof made[i].payload) == 0,
                              drawn[i] == drawn[j])
                        << drawn[i] << " and " << drawn[j];
        }
    });
}

TEST(ElementTypes, TheTableNamesEachTypeOnceAndDispatchesToIt) {
    EXPECT_EQ(ElementTypeNames(), (std::vector<std::string>{"i32", "u64", "f64", "string", "record"}));
    for (const ElementTypeEntry& entry : kElementTypes) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(FindElementType(entry.name), &entry);
        EXPECT_EQ(&EntryOf(entry.type), &entry);
        WithElementType(entry.type, [&](auto tag) {
            using T = typename decltype(tag)::type;
            EXPECT_EQ(ElementOf<T>::type, entry.type);
            EXPECT_EQ(entry.bytes, sizeof(T) + (std::is_same_v<T, orvandel_string> ? kStringBytesAtMost : 0));
        });
    }
    EXPECT_EQ(FindElementType("all"), nullptr);
}

// What the built-in contenders cannot sort, where they are in the build:
// the vector sort takes numbers only, the radix sorts have no form for a
// key that carries a payload.
struct Unsortable {
    const char* name;
    ElementType type;
};
const Unsortable kUnsortable[] = {
    {"hwy::VQSort", ElementType::kString},
    {"hwy::VQSort", ElementType::kRecord},
    {"boost::spreadsort", ElementType::kRecord},
};

bool Sortable(const Contender& contender, ElementType type) {
    return std::none_of(std::begin(kUnsortable), std::end(kUnsortable),
                        [&](const Unsortable& u) { return contender.name == u.name && type == u.type; });
}

TEST(ElementTypes, ExactlyTheContendersThatCannotSortATypeSayWhy) {
    for (const Contender& contender : AllContenders()) {
        for (const ElementTypeEntry& entry : kElementTypes) {
            const std::string why = NotSorted(contender, entry.type);
            EXPECT_EQ(why.empty(), Sortable(contender, entry.type)) << contender.name << " as " << entry.name << ": " << why;
            WithElementType(entry.type, [&](auto tag) {
                using T = typename decltype(tag)::type;
                if constexpr (!std::is_same_v<T, std::int32_t>) {
                    EXPECT_EQ(SortOf<T>(contender.typed).sort != nullptr, why.empty())
                        << contender.name << " as " << entry.name;
                }
            });
        }
    }
}

// The sorted copy against the given values sorted by the model: the same
// elements slot by slot; records, whose equal keys may end in any order,
// by key slot by slot and by content as a multiset.
template <typename T>
void ExpectModelSorted(std::vector<T> given, const T* sorted, const std::string& where) {
    std::sort(given.begin(), given.end(), [](const T& a, const T& b) { return ModelLess(a, b); });
    std::vector<std::string> expected, found;
    for (std::size_t k = 0; k < given.size(); ++k) {
        const bool same = kIsRecord<T> ? !ModelLess(given[k], sorted[k]) && !ModelLess(sorted[k], given[k])
                                      : Content(given[k]) == Content(sorted[k]);
        ASSERT_TRUE(same) << where << ": element " << k << " shows " << DrawnValueOf(sorted[k]) << ", the model "
                          << DrawnValueOf(given[k]);
        expected.push_back(Content(given[k]));
        found.push_back(Content(sorted[k]));
    }
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    EXPECT_TRUE(expected == found) << where << ": the contents differ as multisets";
}

TEST(ElementTypes, EveryContenderSortsEveryShapeAsEveryTypeLikeTheModel) {
    const std::vector<Contender> all = AllContenders();
    ForEveryType([&](auto tag) {
        using T = typename decltype(tag)::type;
        for (const InputPattern& shape : InputPatterns()) {
            for (const std::int32_t count : {2, 3, 300}) {
                const CellData data = Cell(shape.name, count);
                for (const Contender& contender : all) {
                    if (!NotSorted(contender, ElementOf<T>::type).empty()) continue;
                    const std::string where = Where(shape.name, count, contender.name);
                    Copy<T> copy(count);
                    T* slots = copy.slots.data();
                    const WrittenCopy<T> written = WriteCopy(data, 0, slots, copy.bytes.data());
                    const std::vector<T> given(slots + 1, slots + count);
                    SortSlots(CallOf<T>(contender), slots, count);
                    const SortFailure failure = CheckCopy(data, written, slots);
                    EXPECT_FALSE(failure.failed()) << where << ": slot " << failure.slot;
                    ExpectModelSorted(given, slots + 1, where);
                }
            }
        }
    });
}

// Contenders' sorts of T on elements made by hand, beyond what the maps
// make: bytes either side of 0x80, prefixes, the empty string; records
// whose equal keys carry different payloads.
template <typename T>
void ExpectEveryContenderSortsLikeTheModel(const std::vector<T>& given) {
    for (const Contender& contender : AllContenders()) {
        if (!NotSorted(contender, ElementOf<T>::type).empty()) continue;
        std::vector<T> sorted = given;
        SortOf<T>(contender.typed).sort(sorted.data(), sorted.data() + sorted.size());
        ExpectModelSorted(given, sorted.data(), contender.name);
    }
}

orvandel_record Record(std::uint64_t key, std::uint8_t fill) {
    orvandel_record record{};
    record.key = key;
    std::memset(record.payload, fill, sizeof record.payload);
    return record;
}

TEST(ElementTypes, StringsByUnsignedBytesAPrefixFirstAndRecordsByKeyWithTheirPayload) {
    const std::string texts[] = {"ab", "", "\x80", "a", "\x7f", "abc", "\xff", std::string(1, '\0'), "abd",
                                 std::string(2, '\0'), "a\x80", "\xff\xff", "a\x7f", "b", "ab", "", "\x01"};
    std::vector<orvandel_string> strings;
    for (const std::string& text : texts) strings.push_back({text.data(), text.size()});
    ExpectEveryContenderSortsLikeTheModel(strings);

    const std::vector<orvandel_record> records = {
        Record(5, 1), Record(UINT64_MAX, 2), Record(0, 3), Record(5, 4), Record(1ull << 63, 5),
        Record(5, 6), Record(0, 7), Record((1ull << 63) - 1, 8), Record(UINT64_MAX, 9)};
    ExpectEveryContenderSortsLikeTheModel(records);
}

// Faults planted in a sorted copy of draw 0 of a random cell, slot s and
// its neighbours holding distinct values.
enum class Fault { kLost, kSmallestOverLargest, kNeighboursExchanged, kSlotZero, kGuard, kPayloadMoved, kViewAstray, kViewTooLong };

// Bytes the tool did not write: a sort that points a string at them.
constexpr char kElsewhere[] = "orvandel00000000";

template <typename T>
void Plant(Fault fault, T* slots, std::int32_t s, std::int32_t count) {
    switch (fault) {
        case Fault::kLost: slots[s] = slots[s + 1]; break;
        case Fault::kSmallestOverLargest: slots[count - 1] = slots[1]; break;
        case Fault::kNeighboursExchanged: std::swap(slots[s], slots[s + 1]); break;
        case Fault::kSlotZero: slots[0] = slots[s]; break;
        case Fault::kGuard: slots[count] = slots[count - 1]; break;
        case Fault::kPayloadMoved:
            if constexpr (kIsRecord<T>) std::swap(slots[s].payload, slots[s + 1].payload);
            break;
        case Fault::kViewAstray:
            if constexpr (std::is_same_v<T, orvandel_string>) slots[s].bytes = kElsewhere;
            break;
        case Fault::kViewTooLong:
            if constexpr (std::is_same_v<T, orvandel_string>) slots[s].size = std::size_t{1} << 40;
            break;
    }
}

TEST(ElementTypes, EachPlantedFaultFailsItsCheckAtItsSlotInEveryType) {
    constexpr std::int32_t count = 300, s = 150;
    const CellData data = Cell("random", count);
    // The drawn values sorted, by slot: what a values failure names.
    std::vector<std::int32_t> sorted = data.first;
    std::sort(sorted.begin() + 1, sorted.end());
    ASSERT_TRUE(sorted[s - 1] < sorted[s] && sorted[s] < sorted[s + 1] && sorted[s + 1] < sorted[s + 2]);
    const auto values = [&](std::int32_t slot, std::int32_t heldSlot, std::int32_t expectedSlot) {
        return SortFailure{SortCheck::kValues, slot, sorted[heldSlot], sorted[expectedSlot]};
    };
    const struct {
        const char* what;
        Fault fault;
        SortFailure expected;
        const char* only;  // the one type it is planted in, or every type
    } rows[] = {
        {"a value lost under its neighbour", Fault::kLost, values(s, s + 1, s), nullptr},
        {"the smallest written over the largest", Fault::kSmallestOverLargest, values(count - 1, 1, count - 1), nullptr},
        {"two neighbours exchanged", Fault::kNeighboursExchanged, {SortCheck::kOrder, s}, nullptr},
        {"slot 0 written", Fault::kSlotZero, {SortCheck::kRange, 0}, nullptr},
        {"the guard written", Fault::kGuard, {SortCheck::kRange, count}, nullptr},
        {"a payload moved to its neighbour's key", Fault::kPayloadMoved, values(s, s, s), "record"},
        // Never read through: the check names what belongs in the slot.
        {"a string pointed at bytes the tool did not write", Fault::kViewAstray, values(s, s, s), "string"},
        {"a string's size past its bytes", Fault::kViewTooLong, values(s, s, s), "string"},
    };
    ForEveryType([&](auto tag) {
        using T = typename decltype(tag)::type;
        for (const auto& row : rows) {
            if (row.only != nullptr && std::string(row.only) != ElementTypeName(ElementOf<T>::type)) continue;
            SCOPED_TRACE(row.what);
            Copy<T> copy(count);
            T* slots = copy.slots.data();
            const WrittenCopy<T> written = WriteCopy(data, 0, slots, copy.bytes.data());
            std::sort(slots + 1, slots + count, [](const T& a, const T& b) { return ModelLess(a, b); });
            ASSERT_FALSE(CheckCopy(data, written, slots).failed());
            Plant(row.fault, slots, s, count);
            const SortFailure found = CheckCopy(data, written, slots);
            EXPECT_EQ(found.check, row.expected.check);
            EXPECT_EQ(found.slot, row.expected.slot);
            EXPECT_EQ(found.held, row.expected.held);
            EXPECT_EQ(found.expected, row.expected.expected);
        }
    });
}

// The contenders whose counted work depends on the draw alone: a counter,
// and no random source of their own.
std::vector<Contender> RepeatablyCounted() {
    std::vector<Contender> counted;
    for (const Contender& contender : AllContenders())
        if (contender.counter != nullptr && contender.notRepeatable.empty()) counted.push_back(contender);
    return counted;
}

std::string Describe(const OperationCounts& c) {
    return std::to_string(c.comparisons) + " comparisons" +
           (c.steps ? ", " + std::to_string(c.exchanges) + " exchanges, " + std::to_string(c.calls) +
                          " calls, depth " + std::to_string(c.depth)
                    : "");
}

// Contender's counted sort of draw 0 as elements of T, checked like every
// sort.
template <typename T>
OperationCounts CountAs(const Contender& contender, const CellData& data) {
    Copy<T> copy(data.count);
    T* slots = copy.slots.data();
    const WrittenCopy<T> written = WriteCopy(data, 0, slots, copy.bytes.data());
    OperationCounts counts;
    if constexpr (std::is_same_v<T, std::int32_t>)
        counts = contender.counter(slots, kLowerBound, UpperBound(contender.bounds, data.count));
    else
        counts = SortOf<T>(contender.typed).counter(slots + kLowerBound, slots + data.count);
    EXPECT_FALSE(CheckCopy(data, written, slots).failed()) << "the counted sort sorts";
    return counts;
}

// The strong test of the maps: a sort that decides by comparisons alone
// does the same work on any two sequences with the same order and ties.
TEST(ElementTypes, EveryTypeCountsTheSameWorkForTheSameDraw) {
    const std::vector<Contender> counted = RepeatablyCounted();
    std::vector<std::string> names;
    for (const Contender& contender : counted) names.push_back(contender.name);
    for (const char* name : {"Full Optimised C", "Full Optimised MASM", "Sedgewick qsort C", "Sedgewick qsort MASM",
                             "Sedgewick qsort Unoptimised", "std::sort", "std::stable_sort"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name << " is not counted";
    for (const InputPattern& shape : InputPatterns()) {
        for (const std::int32_t count : {2, 3, 17, 300, 1000}) {
            const CellData data = Cell(shape.name, count);
            for (const Contender& contender : counted) {
                const std::string where = Where(shape.name, count, contender.name);
                const std::string i32 = Describe(CountAs<std::int32_t>(contender, data));
                ForEveryType([&](auto tag) {
                    using T = typename decltype(tag)::type;
                    ASSERT_TRUE(Countable(contender, ElementOf<T>::type)) << where;
                    EXPECT_EQ(Describe(CountAs<T>(contender, data)), i32) << where;
                });
            }
        }
    }
}

// The tool's own path, --type all --pattern random --count 1000 --runs 1
// --operations: every row measured or n/a with its reason, and the counted
// work of each repeatable contender the same in every type.
TEST(ElementTypes, EveryTypeMeasuredAndCountedThroughTheMeasuringChild) {
    const Result<std::vector<ElementType>> types = ParseTypeList("all");
    ASSERT_TRUE(static_cast<bool>(types)) << types.why();
    ASSERT_EQ(types->size(), static_cast<std::size_t>(kElementTypeCount));
    MeasureSettings settings;
    settings.pattern = "random";
    settings.count = 1000;
    settings.runs = 1;
    settings.operations = true;
    const std::vector<Contender> all = AllContenders();
    const Result<std::vector<Measurement>> measured =
        MeasureSuite(all, settings, {settings.pattern}, {settings.count}, *types, nullptr);
    ASSERT_TRUE(static_cast<bool>(measured)) << measured.why();
    ASSERT_EQ(measured->size(), all.size() * types->size());
    for (std::size_t k = 0; k < measured->size(); ++k) {
        const Measurement& row = (*measured)[k];
        const Measurement& i32 = (*measured)[k % all.size()];
        const std::string where = row.contender.name + " as " + ElementTypeName(row.type);
        ASSERT_EQ(row.contender.name, all[k % all.size()].name);
        ASSERT_EQ(row.type, (*types)[k / all.size()]) << where;
        if (!Sortable(row.contender, row.type)) {
            EXPECT_EQ(row.outcome.end, End::kNotSorted) << where;
            EXPECT_NE(row.outcome.detail, "") << where;
            continue;
        }
        ASSERT_EQ(row.outcome.end, End::kMeasured) << where << ": " << row.outcome.detail;
        EXPECT_EQ(row.times.size(), 1u) << where;
        if (!Countable(row.contender, row.type)) {
            EXPECT_EQ(row.operations.outcome.end, End::kNotCountable) << where;
            continue;
        }
        ASSERT_EQ(row.operations.outcome.end, End::kCounted) << where << ": " << row.operations.outcome.detail;
        EXPECT_GT(row.operations.counts.comparisons, 999u) << where;
        if (row.contender.notRepeatable.empty()) {
            EXPECT_EQ(Describe(row.operations.counts), Describe(i32.operations.counts)) << where;
        }
    }
}

}  // namespace
