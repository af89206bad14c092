// The counting pass: each routine's counts against figures worked out by
// hand from its algorithm or taken from the model of its steps, the
// comparator count of the references against a sort of counting slots, the
// guarded pass's ends, and the counted figures in the reports.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/reference_sorts.h"
#include "bench/report/columns.h"
#include "bench/report/json.h"
#include "bench/report/operations_figures.h"
#include "bench/report/writers.h"
#include "bench/suite/counting.h"
#include "tests/bench/test_routines.h"
#include "tests/support/step_trace.h"

namespace {

using Values = std::vector<std::int32_t>;

// The five counters in button order, as step_trace numbers its members.
const OperationCounter kCounters[kStepMemberCount] = {CountFirstPivotTail, CountFirstPivotUnrolled,
                                                      CountSedgewickTail, CountSedgewickUnrolled,
                                                      CountSedgewickPlain};
const BoundForm kBounds[kStepMemberCount] = {BoundForm::kExclusiveUpper, BoundForm::kExclusiveUpper,
                                             BoundForm::kInclusiveUpper, BoundForm::kInclusiveUpper,
                                             BoundForm::kInclusiveUpper};

enum Member { kFirstPivotTail, kFirstPivotUnrolled, kSedgewickTail, kSedgewickUnrolled, kSedgewickPlain };

Values AllEqual(int n) { return Values(static_cast<std::size_t>(n), 5); }

Values Ascending(int n) {
    Values values(static_cast<std::size_t>(n));
    std::iota(values.begin(), values.end(), 0);
    return values;
}

Values Descending(int n) {
    Values values = Ascending(n);
    std::reverse(values.begin(), values.end());
    return values;
}

Values Shuffled(int n) {
    Values values = Ascending(n);
    std::shuffle(values.begin(), values.end(), std::mt19937(static_cast<unsigned>(n)));
    return values;
}

// A row with known = false takes its figures from the model; otherwise
// they were worked out by hand:
// - first-pivot, all equal, n values: every call scans n - 1 slots without
//   an exchange, puts the pivot last (one exchange) and goes on with the
//   n - 1 before it: n(n - 1)/2 comparisons, n - 1 exchanges, calls and depth.
// - Sedgewick, ascending: the pivot is the largest; the upward scan compares
//   all n slots, the downward one slot r - 1 only, the pivot stays (one
//   exchange with itself) and n - 1 remain on the left: n(n + 1)/2 + n - 2
//   comparisons, n - 1 exchanges, depth n; calls 2n - 1 when the empty right
//   sides are called, n when they are iterated.
// - Sedgewick, all equal: both scans stop at once every step, so a range of
//   n makes 2 ceil(n/2) comparisons and ceil(n/2) exchanges and splits into
//   floor((n - 1)/2) and ceil((n - 1)/2): for 8, 18 and 9; for 16, 50 and 25.
struct CountRow {
    const char* name;
    Member member;
    Values values;
    bool known;
    ModelCounts expected;
};

std::vector<CountRow> CountRows() {
    auto fp = [](std::uint64_t n) { return ModelCounts{n * (n - 1) / 2, n - 1, n - 1, n - 1}; };
    auto sa = [](std::uint64_t n, std::uint64_t calls) { return ModelCounts{n * (n + 1) / 2 + n - 2, n - 1, calls, n}; };
    std::vector<CountRow> rows = {
        {"TailAllEqual8", kFirstPivotTail, AllEqual(8), true, fp(8)},
        {"TailAllEqual16", kFirstPivotTail, AllEqual(16), true, fp(16)},
        {"UnrolledAllEqual8", kFirstPivotUnrolled, AllEqual(8), true, fp(8)},
        {"UnrolledAllEqual16", kFirstPivotUnrolled, AllEqual(16), true, fp(16)},
        {"SedgewickTailAscending8", kSedgewickTail, Ascending(8), true, sa(8, 8)},
        {"SedgewickTailAscending16", kSedgewickTail, Ascending(16), true, sa(16, 16)},
        {"SedgewickUnrolledAscending8", kSedgewickUnrolled, Ascending(8), true, sa(8, 15)},
        {"SedgewickUnrolledAscending16", kSedgewickUnrolled, Ascending(16), true, sa(16, 31)},
        {"SedgewickPlainAscending8", kSedgewickPlain, Ascending(8), true, sa(8, 15)},
        {"SedgewickPlainAscending16", kSedgewickPlain, Ascending(16), true, sa(16, 31)},
        // Calls and depth of the equal split: both sides called, or the right one iterated.
        {"SedgewickTailAllEqual8", kSedgewickTail, AllEqual(8), true, {18, 9, 5, 3}},
        {"SedgewickTailAllEqual16", kSedgewickTail, AllEqual(16), true, {50, 25, 9, 4}},
        {"SedgewickPlainAllEqual8", kSedgewickPlain, AllEqual(8), true, {18, 9, 9, 4}},
        {"SedgewickPlainAllEqual16", kSedgewickPlain, AllEqual(16), true, {50, 25, 17, 5}},
        {"SedgewickUnrolledAllEqual16", kSedgewickUnrolled, AllEqual(16), true, {50, 25, 17, 5}},
    };
    for (int member = 0; member < kStepMemberCount; ++member)
        for (const int n : {9, 16, 33})
            for (const auto& [shape, values] : {std::pair{"Ascending", Ascending(n)}, {"Descending", Descending(n)},
                                                {"Shuffled", Shuffled(n)}})
                rows.push_back({"", static_cast<Member>(member), values, false, {}});
    return rows;
}

std::string Describe(const ModelCounts& c) {
    return std::to_string(c.comparisons) + " comparisons, " + std::to_string(c.exchanges) + " exchanges, " +
           std::to_string(c.calls) + " calls, depth " + std::to_string(c.depth);
}

TEST(OperationCounts, EachRoutineAsWorkedOutOrAsItsModel) {
    for (const CountRow& row : CountRows()) {
        const ModelCounts model = CountWithModel(row.member, row.values);
        const ModelCounts expected = row.known ? row.expected : model;
        Values slots = row.values;
        const auto n = static_cast<std::int32_t>(slots.size());
        const OperationCounts c = kCounters[row.member](slots.data(), 0, UpperBound(kBounds[row.member], n));
        const std::string where = std::string(StepMemberName(row.member)) + " " + row.name + " (" +
                                  std::to_string(n) + " values)";
        EXPECT_EQ(Describe({c.comparisons, c.exchanges, c.calls, c.depth}), Describe(expected)) << where;
        EXPECT_EQ(c.depth, model.depth) << where << ": depth against the model's";
        EXPECT_TRUE(c.steps) << where;
        EXPECT_TRUE(std::is_sorted(slots.begin(), slots.end())) << where << ": the counted sort sorts";
    }
}

// A slot whose comparisons std::sort counts itself, with no comparator.
struct ComparedSlot {
    std::int32_t value;
    static std::uint64_t comparisons;
    bool operator<(const ComparedSlot& other) const {
        ++comparisons;
        return value < other.value;
    }
};
std::uint64_t ComparedSlot::comparisons = 0;

TEST(OperationCounts, StdSortComparatorCountsWhatASortOfCountingSlotsDoes) {
    const struct {
        const char* name;
        Values values;
    } rows[] = {
        {"shuffled 1000", Shuffled(1000)}, {"ascending 17", Ascending(17)}, {"all equal 100", AllEqual(100)},
        {"descending 5000", Descending(5000)}, {"two values", {1, 0}},
    };
    const OperationCounter counter = ReferenceSorts().front().counter;
    ASSERT_NE(counter, nullptr);
    for (const auto& row : rows) {
        std::vector<ComparedSlot> slots;
        for (const std::int32_t value : row.values) slots.push_back({value});
        ComparedSlot::comparisons = 0;
        std::sort(slots.begin(), slots.end());
        Values counted = row.values;
        const OperationCounts c = counter(counted.data(), 0, static_cast<std::int32_t>(counted.size()));
        EXPECT_EQ(c.comparisons, ComparedSlot::comparisons) << row.name;
        EXPECT_FALSE(c.steps) << row.name;
        EXPECT_TRUE(std::is_sorted(counted.begin(), counted.end())) << row.name;
    }
}

TEST(OperationCounts, FrameOfOneLevelIsMeasuredWhenTheRoutineRecurses) {
    for (int member = 0; member < kStepMemberCount; ++member) {
        Values deep = AllEqual(64), flat = AllEqual(2);
        const auto bound = [&](const Values& v) { return UpperBound(kBounds[member], static_cast<std::int32_t>(v.size())); };
        EXPECT_GT(kCounters[member](deep.data(), 0, bound(deep)).frameBytes, 0u) << StepMemberName(member);
        // Two equal values: one call for the first-pivot members, no level below it.
        if (member <= kFirstPivotUnrolled) {
            EXPECT_EQ(kCounters[member](flat.data(), 0, bound(flat)).frameBytes, 0u) << StepMemberName(member);
        }
    }
}

// How abort() ends a process: by its signal, or on Windows with status 3.
#ifdef _WIN32
constexpr char kAbortedEnd[] = "exited with status 3";
#else
constexpr char kAbortedEnd[] = "killed by signal 6";
#endif

// The guarded pass: how each row's count ends. Each row is counted in the
// pass of its time limit. The row that never ends needs a limit to stop it,
// so its pass has a short one; every other row ends by itself, whatever the
// machine's load, a stack overflow too (filling the sort's stack can take
// seconds under Wine), so their pass has one that nothing legitimate meets.
TEST(CountGuarded, EachRowEndsAsItsCountDid) {
    constexpr double kStops = 1, kEnds = 120;
    Contender countless = kCounted;
    countless.counter = nullptr;
    Contender untimed = kCounted;
    untimed.name = "Untimed";
    const struct Row {
        const char* name;
        Contender contender;
        bool timed;
        End end;
        const char* crash;
        double seconds;  // the time limit of the row's pass
    } rows[] = {
        {"counted", kCounted, true, End::kCounted, "", kEnds},
        {"no counter", countless, true, End::kNotCountable, "", kEnds},
        {"timing unfinished", untimed, false, End::kNotTimed, "", kEnds},
        {"stack", kStackHungry, true, End::kStackExhausted, "", kEnds},
        {"aborting", kAborting, true, End::kCrashed, kAbortedEnd, kEnds},
        {"counted after the others", kCounted, true, End::kCounted, "", kEnds},
        {"endless", kEndless, true, End::kOverLimit, "", kStops},
    };
    std::vector<OperationCounts> counted;
    for (const double seconds : {kEnds, kStops}) {
        MeasureSettings settings;
        settings.pattern = "random";
        settings.count = 2000;
        settings.timeLimitSeconds = seconds;
        std::vector<const Row*> pass;
        std::vector<Contender> contenders;
        std::vector<Measurement> measured;
        for (const Row& row : rows) {
            if (row.seconds != seconds) continue;
            pass.push_back(&row);
            contenders.push_back(row.contender);
            Measurement m;
            m.contender = row.contender;
            if (!row.timed) m.outcome.end = End::kOverLimit;
            measured.push_back(m);
        }
        const Check done = CountGuarded(contenders, settings, measured);
        ASSERT_TRUE(static_cast<bool>(done)) << done.why();
        for (std::size_t k = 0; k < pass.size(); ++k) {
            EXPECT_EQ(measured[k].operations.outcome.end, pass[k]->end) << pass[k]->name;
            EXPECT_NE(measured[k].operations.outcome.detail.find(pass[k]->crash), std::string::npos)
                << pass[k]->name << ": " << measured[k].operations.outcome.detail;
            if (pass[k]->end == End::kCounted) counted.push_back(measured[k].operations.counts);
        }
    }
    ASSERT_EQ(counted.size(), 2u);
    const OperationCounts& c = counted.front();
    EXPECT_GT(c.comparisons, 1999u * 10);  // at least n log2 n / 2, far below n^2 / 2
    EXPECT_LT(c.comparisons, 1999u * 40);
    for (const OperationCounts& again : counted)
        EXPECT_EQ(again.comparisons, c.comparisons) << "the same draw 0 every time";
}

// The counted figures in each report form.
Report CountedReport() {
    Report report;
    report.settings.operations = true;
    report.settings.timeLimitSeconds = 10;
    report.patterns = {"random"};
    report.counts = {1025};
    Measurement routine;
    routine.contender = kCounted;
    routine.pattern = "random";
    routine.count = 1025;  // 1024 sorted slots: n log2 n = 10240
    routine.times = {1.0};
    OperationCounts c;
    c.comparisons = 12800;
    c.steps = true;
    c.exchanges = 2048;
    c.calls = 700;
    c.depth = 30000;
    c.frameBytes = 80;
    routine.operations = {{End::kCounted, "", {}}, c};
    Measurement comparator = routine;
    comparator.contender.name = "Comparator";
    comparator.operations.counts = {};
    comparator.operations.counts.comparisons = 10240;
    Measurement radix = routine;
    radix.contender.name = "Radix";
    radix.operations = {{End::kNotCountable, "a radix sort", {}}, {}};
    Measurement slow = routine;
    slow.contender.name = "Slow";
    slow.operations = {{End::kOverLimit, "", {}}, {}};
    Measurement changed = routine;
    changed.contender.name = "Changed";
    changed.operations = {{End::kFailed, "", {SortCheck::kValues, 5, 9, 8}}, {}};
    Measurement spilled = routine;
    spilled.contender.name = "Spilled";
    spilled.operations = {{End::kFailed, "", {SortCheck::kRange, 0}}, {}};
    report.rows = {routine, comparator, radix, slow, changed, spilled};
    return report;
}

TEST(OperationReports, CountedFiguresInEveryForm) {
    const Report report = CountedReport();
    const std::string over = kWindowStackBytes < 30000u * 80 ? " (over the window's)" : "";
    const struct {
        const char* name;
        std::vector<std::string> cells;
    } rows[] = {
        {"counted routine", {"12.50", "2.00", "30000", "1.250", "2.3 MiB" + over}},
        {"comparator", {"10.00", "-", "-", "1.000", "-"}},
        {"no counter", {"n/a", "", "", "", ""}},
        {"over the limit", {"over 10 s", "", "", "", ""}},
        {"values changed", {"changed its values: slot 5 holds 9 where the sorted input holds 8", "", "", "", ""}},
        {"slot 0 written", {"wrote outside its range at slot 0", "", "", "", ""}},
    };
    // The counted columns are the last five of the matrix table's.
    const std::vector<const Column*> columns = TextColumns(report);
    ASSERT_GE(columns.size(), 5u);
    const std::vector<const Column*> counted(columns.end() - 5, columns.end());
    EXPECT_EQ(Headings(counted),
              (std::vector<std::string>{"cmp/element", "exch/element", "depth", "cmp/(n log2 n)", "stack"}));
    for (std::size_t k = 0; k < std::size(rows); ++k)
        EXPECT_EQ(TextCells(ContextOf(report, report.rows[k]), counted), rows[k].cells) << rows[k].name;

    const nlohmann::json json = ReportJson(report);
    EXPECT_EQ(json["rows"][0]["operations"].dump(),
              R"({"calls":700,"comparisons":12800,"comparisons_per_element":12.5,"comparisons_per_n_log2_n":1.25,)"
              R"("depth":30000,"exchanges":2048,"exchanges_per_element":2.0,"frame_bytes":80,"over_window_stack":)" +
                  std::string(over.empty() ? "false" : "true") + R"(,"stack_bytes":2400000,"status":"counted"})");
    EXPECT_EQ(json["rows"][1]["operations"]["depth"], nullptr);
    EXPECT_EQ(json["rows"][2]["operations"].dump(), R"({"reason":"a radix sort","status":"not-countable"})");
    EXPECT_EQ(json["rows"][3]["operations"].dump(), R"({"status":"over-time-limit","time_limit_s":10.0})");
    EXPECT_EQ(json["rows"][4]["operations"].dump(),
              R"({"expected_value":8,"failed_check":"values","failed_slot":5,"held_value":9,"status":"failed"})");
    EXPECT_EQ(json["rows"][5]["operations"].dump(), R"({"failed_check":"range","failed_slot":0,"status":"failed"})");

    std::ostringstream csv;
    WriteCsv(csv, report);
    std::istringstream lines(csv.str());
    std::string line;
    const char* const ends[] = {
        ",operations_status,comparisons,exchanges,calls,depth,comparisons_per_n_log2_n,stack_bytes",
        ",counted,12800,2048,700,30000,1.2500,2400000", ",counted,10240,,,,1.0000,", ",n/a,,,,,,",
        ",over 10 s,,,,,,", ",changed its values: slot 5 holds 9 where the sorted input holds 8,,,,,,",
        ",wrote outside its range at slot 0,,,,,,"};
    for (const char* end : ends) {
        ASSERT_TRUE(std::getline(lines, line));
        // The contender's summary closes each line, after the counts.
        for (int summary = 0; summary < 3; ++summary) line.erase(line.rfind(','));
        EXPECT_EQ(line.substr(line.size() - std::string(end).size()), end) << line;
    }
}

}  // namespace
