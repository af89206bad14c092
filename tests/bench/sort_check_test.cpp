// The checks after a sort: the fingerprint and the changed value found
// against a multiset of what was given, and the order the checks of a copy
// are made in.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <set>
#include <vector>

#include "bench/measure/sort_check.h"

namespace {

using Values = std::vector<std::int32_t>;

std::multiset<std::int32_t> Range(const Values& slots) { return {slots.begin() + 1, slots.end()}; }

void ExpectFailure(const SortFailure& found, const SortFailure& expected) {
    EXPECT_EQ(found.check, expected.check);
    EXPECT_EQ(found.slot, expected.slot);
    EXPECT_EQ(found.held, expected.held);
    EXPECT_EQ(found.expected, expected.expected);
}

// Slot 0 of each is outside the range and never compared.
TEST(SortCheck, FingerprintAndChangedValueAgreeWithTheMultiset) {
    const struct {
        const char* what;
        Values given, sorted;
        SortFailure changed;  // FindChangedValue's answer
    } rows[] = {
        {"sorted as given", {9, 4, 2, 3, 1}, {9, 1, 2, 3, 4}, {}},
        {"all equal, untouched", {7, 7, 7, 7, 7}, {7, 7, 7, 7, 7}, {}},
        {"slot 0 changed alone", {9, 4, 2, 3, 1}, {-5, 1, 2, 3, 4}, {}},
        {"the largest lost", {9, 4, 2, 3, 1}, {9, 1, 2, 3, 3}, {SortCheck::kValues, 4, 3, 4}},
        {"the smallest duplicated", {9, 4, 2, 3, 1}, {9, 1, 1, 3, 4}, {SortCheck::kValues, 2, 1, 2}},
        {"one value off by one", {9, 4, 2, 3, 1}, {9, 1, 2, 3, 5}, {SortCheck::kValues, 4, 5, 4}},
        {"one up and one down, the sum kept", {9, 4, 2, 3, 1}, {9, 0, 2, 3, 5}, {SortCheck::kValues, 1, 0, 1}},
        {"neighbours exchanged", {9, 4, 2, 3, 1}, {9, 1, 3, 2, 4}, {SortCheck::kValues, 2, 3, 2}},
        {"one slot", {9, 5}, {9, 6}, {SortCheck::kValues, 1, 6, 5}},
        {"the extremes sorted", {0, INT32_MAX, INT32_MIN, 0, -1}, {0, INT32_MIN, -1, 0, INT32_MAX}, {}},
        {"the largest over the smallest",
         {0, INT32_MAX, INT32_MIN, 0, -1},
         {0, INT32_MAX, -1, 0, INT32_MAX},
         {SortCheck::kValues, 1, INT32_MAX, INT32_MIN}},
        {"the smallest over the largest",
         {0, INT32_MAX, INT32_MIN, 0, -1},
         {0, INT32_MIN, -1, 0, INT32_MIN},
         {SortCheck::kValues, 4, INT32_MIN, INT32_MAX}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const bool same = Range(row.given) == Range(row.sorted);
        const auto fingerprint = [](const Values& v) { return ValuesFingerprint(v.data() + 1, v.data() + v.size()); };
        EXPECT_EQ(fingerprint(row.given) == fingerprint(row.sorted), same);
        const Values given = row.given;
        const auto count = static_cast<std::int32_t>(given.size());
        const SortFailure changed = FindChangedValue(row.sorted.data(), given.data(), 1, count);
        ExpectFailure(changed, row.changed);
        EXPECT_EQ(changed.failed(), !same || !std::is_sorted(row.sorted.begin() + 1, row.sorted.end()));
        EXPECT_EQ(given, row.given);
    }
}

// Draw 0 of a cell that sorts one data set: slot 0 holds 10, the sorted
// range 1 2 3 4 5, the guard after it.
TEST(SortCheck, ACopyFailsTheFirstCheckInOrderOfPrecedence) {
    const CellData data{nullptr, 6, 1, false, {10, 5, 3, 4, 1, 2}};
    const auto zero = [](Values& c) { c[0] = 11; };
    const auto guard = [](Values& c) { c[6] = 0; };
    const auto changed = [](Values& c) { c[3] = 2; };          // 1 2 2 4 5: still ascending
    const auto descent = [](Values& c) { std::swap(c[4], c[5]); };  // 1 2 3 5 4
    using Fault = std::function<void(Values&)>;
    const struct {
        const char* what;
        std::vector<Fault> faults;
        SortFailure expected;
    } rows[] = {
        {"sorted", {}, {}},
        {"slot 0", {zero}, {SortCheck::kRange, 0}},
        {"the guard", {guard}, {SortCheck::kRange, 6}},
        {"slot 0 before the guard", {guard, zero}, {SortCheck::kRange, 0}},
        {"the guard before the values and the order", {guard, changed, descent}, {SortCheck::kRange, 6}},
        {"a changed value", {changed}, {SortCheck::kValues, 3, 2, 3}},
        {"the values before the order", {descent, changed}, {SortCheck::kValues, 3, 2, 3}},
        {"a descent", {descent}, {SortCheck::kOrder, 4}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Values copy(7);
        const WrittenCopy written = WriteCopy(data, 0, copy.data());
        EXPECT_EQ(copy, (Values{10, 5, 3, 4, 1, 2, kGuardValue}));
        std::sort(copy.begin() + 1, copy.end() - 1);
        for (const Fault& fault : row.faults) fault(copy);
        ExpectFailure(CheckCopy(data, written, copy.data()), row.expected);
    }
}

}  // namespace
