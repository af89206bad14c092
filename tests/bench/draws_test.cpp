// The draws a cell sorts: which cells give every sort a new one, what each
// draw holds, and that every contender sorts the same sequence of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "bench/measure/batch.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/repetitions.h"

namespace {

constexpr std::uint32_t kSeed = 87654321;

// What each recording contender received, one hash per sort, slot 0 included.
std::vector<std::uint64_t> received[3];

std::uint64_t Hash(const std::int32_t* slots, std::int32_t count) {
    std::uint64_t hash = 1469598103934665603ull;
    for (std::int32_t k = 0; k < count; ++k) hash = (hash ^ static_cast<std::uint32_t>(slots[k])) * 1099511628211ull;
    return hash;
}

volatile std::uint32_t sink;

// Records and sorts, each contender at its own pace, so that each finds a
// batch of its own.
template <int kWho>
void Recording(std::int32_t* slots, std::int32_t lo, std::int32_t hi) {
    received[kWho].push_back(Hash(slots, hi));
    std::sort(slots + lo, slots + hi);
    for (int pass = 0; pass < 8 * kWho * kWho; ++pass)
        for (std::int32_t k = lo; k < hi; ++k) sink = sink + static_cast<std::uint32_t>(slots[k]);
}

const std::vector<Contender> kRecorders = {
    {"A", "", Recording<0>, BoundForm::kExclusiveUpper, false, 1},
    {"B", "", Recording<1>, BoundForm::kExclusiveUpper, false, 1},
    {"C", "", Recording<2>, BoundForm::kExclusiveUpper, false, 1},
};

std::vector<std::int32_t> Filled(const char* pattern, std::int32_t count, std::uint32_t seed) {
    std::vector<std::int32_t> slots(static_cast<std::size_t>(count));
    FindPattern(pattern)->fill(slots.data(), count, seed);
    return slots;
}

MeasureSettings Settings(const char* pattern, std::int32_t count, bool sameData = false) {
    MeasureSettings settings;
    settings.pattern = pattern;
    settings.count = count;
    settings.runs = 3;
    settings.warmup = 1;
    settings.minTimeMs = 0.2;
    settings.sameData = sameData;
    return settings;
}

}  // namespace

TEST(BenchDraws, DrawSeedsFollowTheSeedAndWrapIntoTheGeneratorsSeeds) {
    const struct {
        std::uint32_t seed;
        std::int64_t draw;
        std::uint32_t expected;
    } cases[] = {
        {kSeed, 0, kSeed},     {kSeed, 1, kSeed + 1}, {1, 0, 1},
        {2147483646, 1, 1},    {2147483645, 3, 2},    {5, 2147483646, 5},  // a whole turn comes back
        {2147483646, 0, 2147483646},
    };
    for (const auto& c : cases) EXPECT_EQ(DrawSeed(c.seed, c.draw), c.expected) << c.seed << " + " << c.draw;
}

TEST(BenchDraws, OnlySeededShapesBelowTheThresholdGetANewDrawEverySort) {
    const struct {
        const char* pattern;
        std::int32_t count;
        bool sameData, distinct;
    } cases[] = {
        {"window", 5000000, false, false},  // the window's own run keeps the seed's data
        {"window", 999999, false, true},    {"window", 1000000, false, false},
        {"random", 1000, false, true},      {"random", 1000, true, false},
        {"few-distinct", 2, false, true},   {"all-equal", 100, false, true},
        {"nearly-sorted", 5000, false, true},
        {"ascending", 1000, false, false},  {"descending", 1000, false, false},
        {"organ-pipe", 1000, false, false}, {"sawtooth", 1000, false, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SortsDistinctDraws(Settings(c.pattern, c.count, c.sameData)), c.distinct)
            << c.pattern << ' ' << c.count << (c.sameData ? " --same-data" : "");
}

TEST(BenchDraws, ABatchHoldsDifferentValidDrawsOfItsShape) {
    constexpr std::int32_t kCount = 1001;  // a multiple of no shape's parameter
    const auto below = [](std::int32_t bound) {
        return [bound](const std::vector<std::int32_t>& v) {
            return std::all_of(v.begin(), v.end(), [bound](std::int32_t x) { return x >= 0 && x < bound; });
        };
    };
    const struct {
        const char* pattern;
        std::function<bool(const std::vector<std::int32_t>&)> valid;
    } shapes[] = {
        {"window", below(kCount)},
        {"few-distinct", below(16)},
        {"random", [](const std::vector<std::int32_t>& v) {
             return *std::min_element(v.begin(), v.end()) < -0x40000000 && *std::max_element(v.begin(), v.end()) > 0x40000000;
         }},
        {"all-equal", [&](const std::vector<std::int32_t>& v) {
             return below(kCount)(v) && std::count(v.begin(), v.end(), v[0]) == kCount;
         }},
        {"nearly-sorted", [](const std::vector<std::int32_t>& v) {  // ten exchanges of the ascending values
             std::vector<std::int32_t> sorted = v;
             std::sort(sorted.begin(), sorted.end());
             std::size_t moved = 0;
             for (std::size_t k = 0; k < v.size(); ++k) moved += v[k] != static_cast<std::int32_t>(k) ? 1 : 0;
             return sorted == Filled("ascending", kCount, 1) && moved > 0 && moved <= 20;
         }},
    };
    for (const auto& shape : shapes) {
        const Result<CellData> generated = GenerateData(Settings(shape.pattern, kCount));
        ASSERT_TRUE(generated) << generated.why();
        const CellData& data = *generated;
        EXPECT_EQ(data.first, Filled(shape.pattern, kCount, kSeed)) << shape.pattern;
        Copies<std::int32_t> copies;
        received[0].clear();
        TimeBatch(kRecorders[0], data, 5, 6, copies, SteadyMilliseconds);
        ASSERT_EQ(received[0].size(), 6u) << shape.pattern;
        EXPECT_EQ(std::set<std::uint64_t>(received[0].begin(), received[0].end()).size(), 6u) << shape.pattern;
        for (int k = 0; k < 6; ++k) {
            std::vector<std::int32_t> draw(static_cast<std::size_t>(kCount));
            WriteDraw(data, 5 + k, draw.data());
            EXPECT_EQ(draw, Filled(shape.pattern, kCount, kSeed + 5 + k)) << shape.pattern << " draw " << 5 + k;
            EXPECT_TRUE(shape.valid(draw)) << shape.pattern << " draw " << 5 + k;
            EXPECT_EQ(Hash(draw.data(), kCount), received[0][static_cast<std::size_t>(k)]) << shape.pattern;
        }
    }
}

TEST(BenchDraws, EveryContenderSortsTheSameSequenceOfDrawsNoneTwice) {
    const struct {
        const char* pattern;
        bool interleave, sameData;
        std::size_t restartAt;  // a fresh process going on from this repetition, knowing the batches
    } cases[] = {
        {"random", false, false, 0}, {"random", true, false, 0},  {"window", true, false, 7},
        {"window", false, false, 9}, {"random", true, true, 0},   {"ascending", false, false, 0},
    };
    for (const auto& c : cases) {
        MeasureSettings settings = Settings(c.pattern, 600, c.sameData);
        settings.interleave = c.interleave;
        const Result<CellData> generated = GenerateData(settings);
        ASSERT_TRUE(generated) << generated.why();
        const CellData& data = *generated;
        const std::vector<Repetition> order = Schedule(3, settings);
        std::vector<Sample> samples;
        Copies<std::int32_t> copies;
        // Each repetition as a child runs it on the parent's word: the
        // batch its contender found last and the draws it has taken.
        const auto run = [&](std::size_t from, std::vector<int> batches, std::vector<std::int64_t> drawn,
                             std::vector<Sample>* kept) {
            for (std::size_t k = from; k < order.size(); ++k) {
                const auto who = static_cast<std::size_t>(order[k].contender);
                const std::optional<int> batch =
                    FindsBatch(order[k], settings) ? std::nullopt : std::optional<int>(batches[who]);
                const Sample s = RunRepetition(kRecorders[who], data, settings, drawn[who], batch, copies);
                batches[who] = s.batch;
                drawn[who] = s.draws;
                if (kept != nullptr) kept->push_back(s);
            }
        };
        for (auto& log : received) log.clear();
        run(0, std::vector<int>(3), std::vector<std::int64_t>(3), &samples);
        std::vector<std::uint64_t> whole[3] = {received[0], received[1], received[2]};
        if (c.restartAt > 0) {
            // The same cell again from the middle, by a process that knows the batches.
            std::vector<std::int64_t> before(3, 0);
            std::vector<int> batches(3);
            for (std::size_t k = 0; k < c.restartAt; ++k) {
                const auto who = static_cast<std::size_t>(order[k].contender);
                before[who] = samples[k].draws;
                batches[who] = samples[k].batch;
            }
            for (auto& log : received) log.clear();
            run(c.restartAt, batches, before, nullptr);
            // It goes on from the draw the first left off at; a batch it
            // finds again may differ, so one of the two goes on further.
            for (std::size_t who = 0; who < 3; ++who) {
                const auto from = whole[who].begin() + static_cast<std::ptrdiff_t>(before[who]);
                const auto common = std::min(received[who].size(), static_cast<std::size_t>(whole[who].end() - from));
                EXPECT_EQ(received[who].empty(), from == whole[who].end()) << "contender " << who;
                EXPECT_TRUE(std::equal(from, from + static_cast<std::ptrdiff_t>(common), received[who].begin()))
                    << c.pattern << " restarted at " << c.restartAt << ", contender " << who;
            }
        }
        const bool distinct = SortsDistinctDraws(settings);
        std::vector<std::uint64_t> longest = *std::max_element(
            std::begin(whole), std::end(whole), [](const auto& a, const auto& b) { return a.size() < b.size(); });
        for (std::size_t who = 0; who < 3; ++who) {
            const std::vector<std::uint64_t>& log = whole[who];
            const std::string where = std::string(c.pattern) + (c.interleave ? " interleaved" : " blocked") +
                                      (c.sameData ? " same data" : "") + ", contender " + std::to_string(who);
            ASSERT_FALSE(log.empty()) << where;
            EXPECT_TRUE(std::equal(log.begin(), log.end(), longest.begin())) << where << ": not the same sequence";
            const std::size_t different = std::set<std::uint64_t>(log.begin(), log.end()).size();
            EXPECT_EQ(different, distinct ? log.size() : 1u) << where;
            EXPECT_EQ(log.front(), Hash(data.first.data(), data.count)) << where << ": draw 0 first";
            std::int64_t reported = 0;
            for (std::size_t k = 0; k < samples.size(); ++k)
                if (order[k].contender == static_cast<int>(who)) reported = samples[k].draws;
            EXPECT_EQ(reported, distinct ? static_cast<std::int64_t>(log.size()) : 1) << where;
        }
    }
}
