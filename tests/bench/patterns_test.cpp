// The input shapes and the sizes and durations of the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "bench/measure/patterns.h"
#include "bench/app/option_values.h"
#include "core/test_data.h"

namespace {

constexpr std::int32_t kSentinel = 0x5EA1ED;

// The shape's values for count and seed, from a buffer one slot longer
// whose last slot must keep its sentinel.
std::vector<std::int32_t> Filled(const std::string& name, std::int32_t count, std::uint32_t seed = 87654321) {
    std::vector<std::int32_t> slots(static_cast<std::size_t>(count) + 1, kSentinel);
    FindPattern(name)->fill(slots.data(), count, seed);
    EXPECT_EQ(slots.back(), kSentinel) << name << " wrote past slot " << count - 1;
    slots.pop_back();
    return slots;
}

std::size_t Descents(const std::vector<std::int32_t>& v) {
    std::size_t descents = 0;
    for (std::size_t k = 1; k < v.size(); ++k) descents += v[k - 1] > v[k] ? 1 : 0;
    return descents;
}

std::vector<std::int32_t> Iota(std::int32_t count) {
    std::vector<std::int32_t> values(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) values[static_cast<std::size_t>(k)] = k;
    return values;
}

}  // namespace

TEST(BenchPatterns, EveryShapeIsDeterministicAndFillsExactlyTheCount) {
    for (const InputPattern& pattern : InputPatterns()) {
        for (const std::int32_t count : {2, 3, 17, 1000, 4099}) {
            // Another shape in between must not change what this one draws.
            const std::vector<std::int32_t> first = Filled(pattern.name, count);
            Filled("random", 100, 5);
            EXPECT_EQ(Filled(pattern.name, count), first) << pattern.name << ' ' << count;
        }
    }
}

TEST(BenchPatterns, SeededShapesDependOnTheSeed) {
    for (const char* name : {"window", "random", "few-distinct", "nearly-sorted"})
        EXPECT_NE(Filled(name, 5000, 1), Filled(name, 5000, 2)) << name;
}

TEST(BenchPatterns, WindowIsTheWindowsRun) {
    std::vector<std::int32_t> expected(3000);
    SeedGenerator(87654321);
    for (std::int32_t& value : expected) value = static_cast<std::int32_t>(NextBelow(3000));
    EXPECT_EQ(Filled("window", 3000), expected);
}

TEST(BenchPatterns, EachShapeHasItsDefiningProperty) {
    constexpr std::int32_t kCount = 10000;
    const std::vector<std::int32_t> random = Filled("random", kCount);
    const auto negative = std::count_if(random.begin(), random.end(), [](std::int32_t v) { return v < 0; });
    EXPECT_GT(negative, kCount * 4 / 10);  // half the range is negative
    EXPECT_LT(negative, kCount * 6 / 10);
    EXPECT_GT(*std::max_element(random.begin(), random.end()), 0x7F000000);
    EXPECT_LT(*std::min_element(random.begin(), random.end()), -0x7F000000);
    EXPECT_GT(std::set<std::int32_t>(random.begin(), random.end()).size(), kCount * 99 / 100u);

    const std::vector<std::int32_t> few = Filled("few-distinct", kCount);
    const std::vector<std::int32_t> sixteen = Iota(16);
    EXPECT_EQ(std::set<std::int32_t>(few.begin(), few.end()), std::set<std::int32_t>(sixteen.begin(), sixteen.end()));

    EXPECT_EQ(Filled("ascending", kCount), Iota(kCount));
    std::vector<std::int32_t> descending = Iota(kCount);
    std::reverse(descending.begin(), descending.end());
    EXPECT_EQ(Filled("descending", kCount), descending);

    for (const std::int32_t count : {kCount, kCount + 1}) {
        const std::vector<std::int32_t> pipe = Filled("organ-pipe", count);
        const std::size_t middle = static_cast<std::size_t>(count) / 2;
        EXPECT_TRUE(std::is_sorted(pipe.begin(), pipe.begin() + static_cast<std::ptrdiff_t>(middle) + 1)) << count;
        EXPECT_TRUE(std::is_sorted(pipe.rbegin(), pipe.rend() - static_cast<std::ptrdiff_t>(middle))) << count;
        EXPECT_EQ(pipe.front(), 0);
        EXPECT_EQ(pipe.back(), 0);
        EXPECT_EQ(pipe[middle], (count - 1) / 2) << count;
    }

    const std::vector<std::int32_t> saw = Filled("sawtooth", 1600);
    EXPECT_EQ(Descents(saw), 15u);  // sixteen runs
    for (std::size_t k = 0; k < saw.size(); ++k) EXPECT_EQ(saw[k], static_cast<std::int32_t>(k % 100)) << k;
    // Sixteen runs 0, 1, 2 ... whose lengths differ by one at most, whatever the count.
    for (const std::int32_t count : {16, 17, 31, 1000, 4099}) {
        std::vector<std::int32_t> lengths;
        for (const std::int32_t value : Filled("sawtooth", count)) {
            if (value == 0) lengths.push_back(0);
            ASSERT_FALSE(lengths.empty()) << count;
            EXPECT_EQ(value, lengths.back()++) << count;
        }
        EXPECT_EQ(lengths.size(), 16u) << count;
        EXPECT_LE(*std::max_element(lengths.begin(), lengths.end()) - *std::min_element(lengths.begin(), lengths.end()), 1)
            << count;
    }

    const std::vector<std::int32_t> equal = Filled("all-equal", kCount);
    EXPECT_EQ(std::count(equal.begin(), equal.end(), equal.front()), kCount);
    EXPECT_LT(equal.front(), kCount);
    EXPECT_GE(equal.front(), 0);

    // A permutation of 0 ... count - 1 with about one slot in fifty moved.
    std::vector<std::int32_t> nearly = Filled("nearly-sorted", kCount);
    std::size_t moved = 0;
    for (std::int32_t k = 0; k < kCount; ++k) moved += nearly[static_cast<std::size_t>(k)] != k ? 1 : 0;
    EXPECT_GT(moved, 100u);
    EXPECT_LE(moved, 200u);  // count / 100 exchanges move two slots each at most
    std::sort(nearly.begin(), nearly.end());
    EXPECT_EQ(nearly, Iota(kCount));
    EXPECT_NE(Filled("nearly-sorted", 50), Iota(50));  // at least one exchange even when small
}

TEST(BenchPatterns, ListsAreNamesOrAll) {
    const Result<std::vector<std::string>> all = ParsePatternList("all");
    ASSERT_TRUE(all);
    ASSERT_EQ(all->size(), InputPatterns().size());
    EXPECT_EQ(all->front(), "window");
    EXPECT_EQ(*ParsePatternList("sawtooth,random,sawtooth"), (std::vector<std::string>{"sawtooth", "random"}));
    for (const char* wrong : {"", "Random", "random,", ",random", "random,,ascending", "all,random", "zigzag"}) {
        const Result<std::vector<std::string>> names = ParsePatternList(wrong);
        ASSERT_FALSE(names) << wrong;
        EXPECT_EQ(names.why().rfind("unknown shape", 0), 0u) << names.why();
    }
}

TEST(BenchSizes, CountsInTheFormsPeopleType) {
    const std::pair<const char*, std::int32_t> valid[] = {
        {"2", 2},          {"1000", 1000},     {"1e5", 100000},     {"1E3", 1000},
        {"2.5M", 2500000}, {"2.5m", 2500000},  {"100k", 100000},    {"100K", 100000},
        {"1G", 1000000000}, {"2.147483647G", 2147483647}, {"0.002k", 2}, {"1.50e1", 15},
        {"0010", 10},      {"5000000", 5000000}, {"2147483647", 2147483647}, {"12.e2", 1200},
    };
    for (const auto& [text, expected] : valid) {
        const Result<std::int32_t> count = ParseCount(text);
        ASSERT_TRUE(count) << text << ": " << count.why();
        EXPECT_EQ(*count, expected) << text;
    }
    const std::pair<const char*, const char*> wrong[] = {
        {"1.5", "is a fraction"},    {"2.5e0", "is a fraction"},   {"1.0001k", "is a fraction"},
        {"1", "too few"},            {"0", "too few"},             {"0.001k", "too few"},
        {"2147483648", "more than"}, {"3G", "more than"},          {"1e10", "more than"},
        {"99999999999999999999", "more than"},
        {"", "not a whole number"},  {"-5", "not a whole number"}, {"5x6", "not a whole number"},
        {"1e", "not a whole number"}, {"1e-3", "not a whole number"}, {"1e999", "not a whole number"},
        {"5kk", "not a whole number"}, {"k", "not a whole number"}, {"1..5", "not a whole number"},
        {" 5", "not a whole number"}, {"1,5", "not a whole number"},
    };
    for (const auto& [text, message] : wrong) {
        const Result<std::int32_t> count = ParseCount(text);
        ASSERT_FALSE(count) << text;
        EXPECT_NE(count.why().find(message), std::string::npos) << text << ": " << count.why();
    }
}

TEST(BenchSizes, ListsComeBackAscendingWithoutRepeats) {
    EXPECT_EQ(*ParseCountList("1e6,1000,1e3,2.5M,100k"), (std::vector<std::int32_t>{1000, 100000, 1000000, 2500000}));
    for (const char* wrong : {"1000,", ",1000", "1000,,2000", "1000,1.5", "1000,1"})
        EXPECT_FALSE(ParseCountList(wrong)) << wrong;
}

TEST(BenchSizes, Times) {
    EXPECT_EQ(*ParseTime("10", kSecond, 100), 10);
    EXPECT_EQ(*ParseTime("0.25", kSecond, 100), 0.25);
    EXPECT_EQ(*ParseTime("100", kSecond, 100), 100);
    for (const char* wrong : {"0", "0.0", "100.5", "", ".", "-1", "1e3", "ten", "1.2.3", "5 s", "5sec", "+5"})
        EXPECT_FALSE(ParseTime(wrong, kSecond, 100)) << wrong;
}
