// The machine counts: callgrind's dump read as hostile input, the options
// that fix the simulated caches, and the guarded pass under valgrind, whose
// counts are the same on every run, belong to their own row, and agree with
// callgrind run on the same sort by a program of its own.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench/measure/contenders.h"
#include "bench/report/format.h"
#include "bench/suite/callgrind_dump.h"
#include "bench/suite/library_probe.h"
#include "bench/suite/machine_counting.h"
#include "bench/suite/simulation.h"
#include "tests/bench/test_routines.h"

namespace {

// The head of a dump as callgrind 3.19 writes it for one client request,
// with the events and summary given.
std::string Head(const std::string& trigger, const std::string& events, const std::string& summary,
                 const std::string& d1 = "D1 cache: 32768 B, 64 B, 8-way associative") {
    return "# callgrind format\nversion: 1\ncreator: callgrind-3.19.0\npid: 11501\ncmd:  ./t\npart: 1\n\n\n"
           "desc: I1 cache: 32768 B, 64 B, 8-way associative\ndesc: " + d1 +
           "\ndesc: LL cache: 8388608 B, 64 B, 16-way associative\n\n"
           "desc: Timerange: Basic block 0 - 323542\ndesc: Trigger: Client Request: " + trigger +
           "\n\npositions: line\nevents: " + events + "\nsummary: " + summary + "\n\n\nob=(8) /tmp/t\n";
}

// How far callgrind's count of a sort in a program of its own, with its
// branch predictor trained by all that program ran before, may differ from
// the tool's, whose predictor starts empty: a few mispredictions in a
// thousand.
bool NearlyAsPredicted(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t d = a > b ? a - b : b - a;
    return d <= std::max(a, b) / 200 + 4;
}

// What the tool counts beyond the sort's own function: the call through a
// pointer, the return and the client requests' few instructions around it.
constexpr std::uint64_t kCallEdgeInstructions = 30;
constexpr std::uint64_t kCallEdgeBranches = 4;

const char kEvents[] = "Ir Dr Dw I1mr D1mr D1mw ILmr DLmr DLmw Bc Bcm Bi Bim";

// A new empty folder of this name under the temporary folder.
std::filesystem::path EmptyFolder(const char* name) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

struct DumpCase {
    const char* what;
    std::string head;
    bool read;
    MachineCounts counts;  // when read
    const char* why;       // when not
};

}  // namespace

TEST(CallgrindDump, ReadsTheHeadCallgrindWritesAndNothingElse) {
    const std::string t = DumpTrigger(77);
    const std::string big(kDumpHeadBytes, 'x');
    const DumpCase cases[] = {
        {"as written", Head(t, kEvents, "81018 15215 7565 18 11 1 17 5 0 14917 4740 5 3"), true,
         {81018, 14917, 4740, 5, 3, 12, 5}, ""},
        {"trailing zeros left out", Head(t, kEvents, "80279 14956 7437 0 0 0 0 0 0 14812 4480 2"), true,
         {80279, 14812, 4480, 2, 0, 0, 0}, ""},
        {"events in another order", Head(t, "Bim Bi Bcm Bc DLmw DLmr D1mw D1mr Ir", "1 2 3 4 5 6 7 8 100"), true,
         {100, 4, 3, 2, 1, 15, 11}, ""},
        {"the largest count", Head(t, "Ir Bc Bcm Bi Bim D1mr D1mw DLmr DLmw", "4611686018427387903"), true,
         {4611686018427387903ull, 0, 0, 0, 0, 0, 0}, ""},
        {"without the first line", Head(t, kEvents, "9").substr(19), true, {9, 0, 0, 0, 0, 0, 0}, ""},
        {"another request's trigger", Head(DumpTrigger(78), kEvents, "1"), false, {}, "not the dump of this count"},
        {"a trigger with more after it", Head(t + "0", kEvents, "1"), false, {}, "not the dump of this count"},
        {"the host's first level", Head(t, kEvents, "1", "D1 cache: 49152 B, 64 B, 12-way associative"), false, {},
         "not the simulated D1 cache asked for"},
        {"no branch simulation", Head(t, "Ir Dr Dw I1mr D1mr D1mw ILmr DLmr DLmw", "1"), false, {}, "not one event Bc"},
        {"an event twice", Head(t, std::string(kEvents) + " Ir", "1"), false, {}, "not one event Ir"},
        {"more figures than events", Head(t, "Ir Bc Bcm Bi Bim D1mr D1mw DLmr DLmw", "1 1 1 1 1 1 1 1 1 1"), false, {},
         "a line callgrind does not write"},
        {"a count past 2^62", Head(t, kEvents, "4611686018427387904"), false, {}, "no count of Ir"},
        {"twenty digits", Head(t, kEvents, "18446744073709551615"), false, {}, "no count of Ir"},
        {"a sign", Head(t, kEvents, "+5"), false, {}, "no count of Ir"},
        {"a fraction elsewhere", Head(t, kEvents, "5 1.5"), false, {}, "a summary that is not counts"},
        {"two spaces", Head(t, kEvents, "5  1"), false, {}, "a line callgrind does not write"},
        {"more misses than branches", Head(t, kEvents, "100 0 0 0 0 0 0 0 0 10 11"), false, {},
         "figures no run can give"},
        {"more last-level misses than first", Head(t, kEvents, "100 0 0 0 1 0 0 2"), false, {},
         "figures no run can give"},
        {"more branches than instructions", Head(t, kEvents, "10 0 0 0 0 0 0 0 0 11"), false, {},
         "figures no run can give"},
        {"a summary before its events", "summary: 1\nevents: Ir\n", false, {}, "a line callgrind does not write"},
        {"events twice", "events: Ir\n" + Head(t, kEvents, "1"), false, {}, "a line callgrind does not write"},
        {"a cost before the summary", "events: Ir\nfn=(1) main\n0 5\nsummary: 5\n", false, {},
         "a line callgrind does not write"},
        {"a key of its own", "# callgrind format\nforged: 1\n" + Head(t, kEvents, "1"), false, {},
         "a line callgrind does not write"},
        {"no summary at all", "# callgrind format\nversion: 1\n", false, {}, "no summary"},
        {"a summary cut short", Head(t, kEvents, "1").substr(0, Head(t, kEvents, "1").find("summary") + 9), false,
         {}, "no summary"},
        {"the summary beyond what is read", big + "\n" + Head(t, kEvents, "1"), false, {}, "no summary"},
        {"empty", "", false, {}, "no summary"},
        {"NUL bytes", std::string("events: Ir\0\nsummary: 1\n", 23), false, {}, "not the dump of this count"},
    };
    for (const DumpCase& c : cases) {
        const Result<MachineCounts> counts = ReadCallgrindDump(c.head, t);
        ASSERT_EQ(static_cast<bool>(counts), c.read) << c.what << ": " << (counts ? "" : counts.why());
        if (c.read)
            EXPECT_TRUE(*counts == c.counts) << c.what << ": " << counts->instructions << ' '
                                             << counts->conditionalBranches << ' ' << counts->conditionalMisses << ' '
                                             << counts->firstLevelMisses << ' ' << counts->lastLevelMisses;
        else
            EXPECT_NE(counts.why().find(c.why), std::string::npos) << c.what << ": " << counts.why();
    }
}

TEST(CallgrindDump, OptionsFixEveryCacheAndCollectNothingAtStart) {
    const std::vector<std::string> expected = {
        "/usr/bin/valgrind", "--log-file=/tmp/x/valgrind.log", "--tool=callgrind", "--branch-sim=yes",
        "--cache-sim=yes", "--instr-atstart=no", "--collect-atstart=no", "--main-stacksize=268435456", "--I1=32768,8,64", "--D1=32768,8,64", "--LL=8388608,16,64",
        "--callgrind-out-file=/tmp/x/callgrind.out"};
    EXPECT_EQ(CallgrindOptions("/usr/bin/valgrind", "/tmp/x"), expected);
    EXPECT_STREQ(SimulatedCachesText(),
                 "I1 32768 B 8-way 64 B lines, D1 32768 B 8-way 64 B lines, LL 8388608 B 16-way 64 B lines");
}

// valgrind's log read for the one thing it alone can tell: an instruction
// its decoder does not know, by its bytes; nothing else, however it is
// written, makes a reason.
TEST(CallgrindDump, ValgrindsLogNamesAnInstructionItCannotDecode) {
    const std::string vex = "vex amd64->IR: unhandled instruction bytes: ";
    const std::string said = "valgrind cannot run an instruction of this sort (bytes ";
    const struct {
        const char* what;
        std::string log;
        std::string why;
    } cases[] = {
        {"AVX-512, as 3.19 logs it",
         "==4208== Command: ./a\n" + vex + "0x62 0xF1 0x7D 0x48 0xEF 0xC0 0x48 0x8D 0x3D 0xBA\n"
         "vex amd64->IR:   REX=0 REX.W=0 REX.R=0 REX.X=0 REX.B=0\n==4208== valgrind: Unrecognised instruction\n",
         said + "62 f1 7d 48 ef c0 48 8d 3d ba, from the instruction on)"},
        {"RDTSCP, one-digit bytes", vex + "0xF 0x1 0xF9 0x48\n", said + "0f 01 f9 48, from the instruction on)"},
        {"another architecture's decoder", "vex x86->IR: unhandled instruction bytes: 0xF 0xB\n",
         said + "0f 0b, from the instruction on)"},
        {"a word that is no byte ends them", vex + "0xF 0x1 0x1F9 0x2\n", said + "0f 01, from the instruction on)"},
        {"no more than an instruction holds", vex +
             "0x1 0x2 0x3 0x4 0x5 0x6 0x7 0x8 0x9 0xA 0xB 0xC 0xD 0xE 0xF 0x10 0x11\n",
         said + "01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f, from the instruction on)"},
        {"no bytes", vex + "\n", ""},
        {"text in place of bytes", vex + "\x1b[31mforged\n", ""},
        {"a log that says nothing of it", "==1== Process terminating with default action of signal 4 (SIGILL)\n", ""},
        {"the line beyond what is read", std::string(kDumpHeadBytes, 'x') + vex + "0xF\n", ""},
        {"empty", "", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(UndecodedInstruction(c.log), c.why) << c.what;
}

// A dump that is not a plain file is not read, and nothing waits on it.
TEST(CallgrindDump, OnlyAPlainFileIsRead) {
    namespace fs = std::filesystem;
    const fs::path folder = EmptyFolder("orvandel-dump-files");
    std::ofstream(folder / "plain") << "abcdef";
    fs::create_symlink(folder / "plain", folder / "link");
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    fs::create_directories(folder / "folder");
    const struct {
        const char* name;
        std::size_t limit;
        bool read;
        const char* head;
    } cases[] = {
        {"plain", 100, true, "abcdef"}, {"plain", 4, true, "abcd"}, {"link", 100, false, ""},
        {"fifo", 100, false, ""},       {"folder", 100, false, ""}, {"missing", 100, false, ""},
    };
    for (const auto& c : cases) {
        const Result<std::string> head = ReadDumpHead((folder / c.name).string(), c.limit);
        ASSERT_EQ(static_cast<bool>(head), c.read) << c.name;
        if (head) {
            EXPECT_EQ(*head, c.head) << c.name;
        }
    }
    // Removing the folder takes what is in it, and a link's target stays.
    const fs::path outside = fs::temp_directory_path() / "orvandel-dump-outside";
    std::ofstream(outside) << "kept";
    fs::create_symlink(outside, folder / "to-outside");
    fs::remove(folder / "folder");
    RemoveDumpFolder(folder.string());
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_TRUE(fs::exists(outside));
    fs::remove(outside);
}

namespace {

// Skips a test of the pass where valgrind cannot run this build, saying
// so; anywhere else valgrind must be there (tools/install-deps.sh).
#define REQUIRE_VALGRIND()                                                                    \
    do {                                                                                      \
        const std::string unavailable = MachineCountsUnavailable();                          \
        if (unavailable.find("AddressSanitizer") != std::string::npos) GTEST_SKIP() << unavailable; \
        ASSERT_EQ(unavailable, "");                                                          \
    } while (false)

MeasureSettings Cell(const char* pattern, std::int32_t count) {
    MeasureSettings settings;
    settings.pattern = pattern;
    settings.count = count;
    settings.machineCounts = true;
    return settings;
}

std::vector<Measurement> Rows(const std::vector<Contender>& contenders) {
    std::vector<Measurement> rows;
    for (const Contender& contender : contenders) {
        Measurement row;
        row.contender = contender;
        rows.push_back(row);
    }
    return rows;
}

std::vector<Measurement> Counted(const MeasureSettings& settings, const std::vector<Contender>& contenders) {
    std::vector<Measurement> rows = Rows(contenders);
    const Check done = CountMachineGuarded(settings, rows);
    EXPECT_TRUE(static_cast<bool>(done)) << done.why();
    return rows;
}

std::string Shown(const MachineCounts& c) {
    std::ostringstream out;
    out << c.instructions << " Ir, " << c.conditionalBranches << " Bc, " << c.conditionalMisses << " Bcm, "
        << c.indirectBranches << " Bi, " << c.indirectMisses << " Bim, " << c.firstLevelMisses << " D1, "
        << c.lastLevelMisses << " LL";
    return out.str();
}

Contender Named(const std::vector<Contender>& all, const std::string& name) {
    for (const Contender& contender : all)
        if (contender.name == name) return contender;
    ADD_FAILURE() << "no contender " << name;
    return {};
}

}  // namespace

TEST(MachineCounting, OneCellCountedTwiceGivesTheSameCounts) {
    REQUIRE_VALGRIND();
    const std::vector<Contender> all = AllContenders();
    const std::vector<Contender> contenders(all.begin(), all.begin() + 6);  // the five, std::sort
    const std::vector<Measurement> first = Counted(Cell("random", 1000), contenders);
    const std::vector<Measurement> again = Counted(Cell("random", 1000), contenders);
    for (std::size_t k = 0; k < contenders.size(); ++k) {
        const MachineRow& row = first[k].machine;
        ASSERT_EQ(row.outcome.end, End::kCounted) << contenders[k].name << ": " << row.outcome.detail;
        EXPECT_TRUE(row.counts == again[k].machine.counts)
            << contenders[k].name << ": " << Shown(row.counts) << " then " << Shown(again[k].machine.counts);
        // 999 sorted slots: a quicksort executes some n log2 n instructions,
        // a few per comparison, and mispredicts about one comparison in four.
        const MachineCounts& c = row.counts;
        EXPECT_GT(c.instructions, 999u * 40) << contenders[k].name;
        EXPECT_LT(c.instructions, 999u * 400) << contenders[k].name;
        EXPECT_LE(c.conditionalMisses, c.conditionalBranches) << contenders[k].name;
        EXPECT_GT(c.conditionalMisses, 999u * 2) << contenders[k].name;
        EXPECT_LE(c.lastLevelMisses, c.firstLevelMisses) << contenders[k].name;
    }
}

// Where the process's stack stands depends on its environment; the counts
// do not: the same with an environment larger by any number of bytes, for
// a sort that lives on its stack and for one that allocates a buffer.
TEST(MachineCounting, TheCountsAreTheSameWhateverTheEnvironmentTakes) {
    REQUIRE_VALGRIND();
    const std::vector<Contender> all = AllContenders();
    const std::vector<Contender> contenders = {Named(all, "Sedgewick qsort Unoptimised"),
                                               Named(all, "std::stable_sort")};
    const std::vector<Measurement> plain = Counted(Cell("random", 3000), contenders);
    for (const std::size_t bytes : {1, 24, 1237, 4099}) {
        setenv("ORVANDEL_TEST_PADDING", std::string(bytes, 'x').c_str(), 1);
        const std::vector<Measurement> padded = Counted(Cell("random", 3000), contenders);
        unsetenv("ORVANDEL_TEST_PADDING");
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            ASSERT_EQ(padded[k].machine.outcome.end, End::kCounted) << padded[k].machine.outcome.detail;
            EXPECT_TRUE(padded[k].machine.counts == plain[k].machine.counts)
                << contenders[k].name << " with " << bytes << " bytes more: " << Shown(padded[k].machine.counts)
                << " against " << Shown(plain[k].machine.counts);
        }
    }
}

// Each row's counts are its own contender's, to the last miss: the same
// with or without another counted before it.
TEST(MachineCounting, EachRowHoldsItsOwnContendersCounts) {
    REQUIRE_VALGRIND();
    const std::vector<Contender> all = AllContenders();
    const Contender plain = Named(all, "Sedgewick qsort Unoptimised"), stdSort = Named(all, "std::sort");
    const std::vector<Measurement> both = Counted(Cell("random", 2000), {plain, stdSort});
    const std::vector<Measurement> alone = Counted(Cell("random", 2000), {stdSort});
    ASSERT_EQ(both[1].machine.outcome.end, End::kCounted) << both[1].machine.outcome.detail;
    EXPECT_TRUE(both[1].machine.counts == alone[0].machine.counts)
        << Shown(both[1].machine.counts) << " against " << Shown(alone[0].machine.counts);
    // The unoptimised member executes far more than std::sort.
    EXPECT_GT(both[0].machine.counts.instructions, 2 * both[1].machine.counts.instructions)
        << Shown(both[0].machine.counts) << " against " << Shown(both[1].machine.counts);
}

TEST(MachineCounting, EachRowEndsAsItsCountDid) {
    REQUIRE_VALGRIND();
    Contender parallel = kCounted;
    parallel.name = "Parallel";
    parallel.threads = 4;
    Contender untimed = kCounted;
    untimed.name = "Untimed";
    Contender random = kCounted;
    random.name = "Random";
    random.notRepeatable = "draws at random";
    const struct {
        const char* name;
        Contender contender;
        bool timed;
        End end;
        const char* why;
    } cases[] = {
        {"counted", kCounted, true, End::kCounted, ""},
        {"parallel", parallel, true, End::kNotCountable, "sorts on 4 threads, which valgrind runs one at a time"},
        {"random", random, true, End::kNotCountable, "draws at random"},
        {"timing unfinished", untimed, false, End::kNotTimed, ""},
        {"broken", kBroken, true, End::kFailed, ""},
        {"endless", kEndless, true, End::kOverLimit, ""},
        {"aborting", kAborting, true, End::kCrashed, "killed by signal 6"},
        {"counted after the others", kCounted, true, End::kCounted, ""},
    };
    // Only the endless sort meets its time limit; every other row has one
    // that no load reaches, so that none ends by the clock but by what it did.
    std::vector<Measurement> rows(std::size(cases));
    for (const double limit : {1.2, 0.05}) {  // 120 s and 5 s under valgrind
        MeasureSettings settings = Cell("random", 2000);
        settings.timeLimitSeconds = limit;
        std::vector<std::size_t> mine;
        std::vector<Measurement> pass;
        for (std::size_t k = 0; k < std::size(cases); ++k) {
            if ((cases[k].end == End::kOverLimit) != (limit < 1)) continue;
            mine.push_back(k);
            pass.push_back({});
            pass.back().contender = cases[k].contender;
            if (!cases[k].timed) pass.back().outcome.end = End::kOverLimit;
        }
        const Check done = CountMachineGuarded(settings, pass);
        ASSERT_TRUE(static_cast<bool>(done)) << done.why();
        for (std::size_t j = 0; j < mine.size(); ++j) rows[mine[j]] = pass[j];
    }
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        EXPECT_EQ(rows[k].machine.outcome.end, cases[k].end) << cases[k].name << ": " << rows[k].machine.outcome.detail;
        EXPECT_NE(rows[k].machine.outcome.detail.find(cases[k].why), std::string::npos)
            << cases[k].name << ": " << rows[k].machine.outcome.detail;
    }
    EXPECT_EQ(rows[4].machine.outcome.failure.check, SortCheck::kValues);
    EXPECT_EQ(rows[4].machine.outcome.failure.slot, 17);
    // The same sort of the same draw, after the others.
    EXPECT_TRUE(rows.front().machine.counts == rows.back().machine.counts)
        << Shown(rows.front().machine.counts) << " then " << Shown(rows.back().machine.counts);
}

namespace {

// The events of a dump callgrind wrote, by name, from its summary line:
// read here on their own, not by the tool's reader.
std::map<std::string, std::uint64_t> Summary(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> names;
    std::map<std::string, std::uint64_t> events;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string key, word;
        words >> key;
        if (key == "events:")
            while (words >> word) names.push_back(word);
        if (key == "summary:")
            for (std::size_t k = 0; k < names.size() && words >> word; ++k) events[names[k]] = std::stoull(word);
    }
    return events;
}

}  // namespace

// The example library's sort under callgrind, counted by a program of its
// own with --toggle-collect on the sort's function, against the tool's
// count of that sort on the same draw: the same but for the few
// instructions and branches at the edges of the call.
TEST(MachineCounting, AgreesWithCallgrindRunOnItsOwn) {
    REQUIRE_VALGRIND();
    std::vector<Contender> contenders;
    const Check probed = ProbeSortLibraries({ORVANDEL_PLUGIN_SEDGEWICK_HYBRID}, 120, contenders);
    ASSERT_TRUE(probed) << probed.why();
    ASSERT_EQ(contenders.size(), 1u);
    const Result<std::string> found = FindValgrind();
    ASSERT_TRUE(found) << found.why();
    const std::string& valgrind = *found;
    const std::string dump = (std::filesystem::temp_directory_path() / "orvandel-independent-callgrind.out").string();
    for (const std::int32_t count : {1000, 5000}) {
        std::vector<std::string> command = {valgrind, "--quiet", "--log-file=/dev/null", "--tool=callgrind",
                                            "--branch-sim=yes", "--cache-sim=yes", "--I1=32768,8,64",
                                            "--D1=32768,8,64", "--LL=8388608,16,64",
                                            "--callgrind-out-file=" + dump, "--toggle-collect=sedgewick_hybrid",
                                            ORVANDEL_PLUGIN_UNDER_CALLGRIND,
                                            ORVANDEL_PLUGIN_SEDGEWICK_HYBRID, "random", std::to_string(count),
                                            std::to_string(MeasureSettings{}.seed)};
        std::string line;
        for (const std::string& word : command) line += "'" + word + "' ";
        std::remove(dump.c_str());
        ASSERT_EQ(std::system(line.c_str()), 0) << line;
        std::map<std::string, std::uint64_t> own = Summary(dump);
        std::remove(dump.c_str());
        const std::vector<Measurement> rows = Counted(Cell("random", count), contenders);
        ASSERT_EQ(rows[0].machine.outcome.end, End::kCounted) << rows[0].machine.outcome.detail;
        const MachineCounts& tool = rows[0].machine.counts;
        const auto near = [](std::uint64_t a, std::uint64_t b, std::uint64_t within) {
            return (a > b ? a - b : b - a) <= within;
        };
        EXPECT_GT(own["Ir"], static_cast<std::uint64_t>(count) * 20) << count;
        EXPECT_TRUE(near(tool.instructions, own["Ir"], kCallEdgeInstructions))
            << count << ": the tool " << Shown(tool) << ", callgrind on its own " << own["Ir"] << " Ir";
        EXPECT_TRUE(near(tool.conditionalBranches, own["Bc"], kCallEdgeBranches))
            << count << ": the tool " << Shown(tool) << ", callgrind on its own " << own["Bc"] << " Bc";
        EXPECT_TRUE(NearlyAsPredicted(tool.conditionalMisses, own["Bcm"]))
            << count << ": the tool " << Shown(tool) << ", callgrind on its own " << own["Bcm"] << " Bcm";
    }
}

// Every dump folder a pass makes is gone after it.
TEST(MachineCounting, LeavesNoDumpBehind) {
    REQUIRE_VALGRIND();
    namespace fs = std::filesystem;
    const fs::path temporary = EmptyFolder("orvandel-machine-tmp");
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before != nullptr ? before : "";
    setenv("TMPDIR", temporary.c_str(), 1);
    const std::vector<Measurement> rows = Counted(Cell("random", 1000), {kCounted, kAborting, kCounted});
    if (before != nullptr) setenv("TMPDIR", saved.c_str(), 1); else unsetenv("TMPDIR");
    EXPECT_EQ(rows[0].machine.outcome.end, End::kCounted) << rows[0].machine.outcome.detail;
    EXPECT_EQ(rows[2].machine.outcome.end, End::kCounted) << rows[2].machine.outcome.detail;
    EXPECT_TRUE(fs::is_empty(temporary));
    fs::remove_all(temporary);
}

namespace {

struct ToolRun {
    int status;
    std::string out, err;
};

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The real program with words, in folder; its exit status and outputs.
ToolRun RunTool(const std::filesystem::path& folder, const std::vector<std::string>& words) {
    std::string line = "cd '" + folder.string() + "' && '" ORVANDEL_BENCH_PROGRAM "'";
    for (const std::string& word : words) line += " '" + word + "'";
    line += " >out.txt 2>err.txt";
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(folder / "out.txt"), Slurp(folder / "err.txt")};
}

}  // namespace

// The gate on instructions, through the real program: the same library
// measured twice changes by exactly nothing and passes; the same sort
// with one more pass over its range is caught with exit status 3 at any
// limit below its growth, and passes above it; a report without counts
// is no gate at all and is refused.
TEST(MachineCounting, TheGateCatchesOneMorePassAndPassesTheSameBuild) {
    REQUIRE_VALGRIND();
    namespace fs = std::filesystem;
    const fs::path folder = EmptyFolder("orvandel-gate");
    const auto measured = [&](const char* library, std::vector<std::string> more) {
        std::vector<std::string> words = {"--machine-counts", "--sort-library", library, "--pattern", "random",
                                          "--count", "1000", "--runs", "1", "Gate sort"};
        words.insert(words.end(), more.begin(), more.end());
        return RunTool(folder, words);
    };
    const ToolRun base = measured(ORVANDEL_PLUGIN_TEST_GATE_SORT, {"--save-baseline", "base.json"});
    ASSERT_EQ(base.status, 0) << base.err;

    const ToolRun same = measured(ORVANDEL_PLUGIN_TEST_GATE_SORT,
                                  {"--baseline", "base.json", "--fail-if-more-instructions", "0"});
    EXPECT_EQ(same.status, 0) << same.err;
    EXPECT_NE(same.out.find("  0 (0.000%)     0 (0.000%)  "), std::string::npos) << same.out;

    const ToolRun extra = measured(ORVANDEL_PLUGIN_TEST_GATE_SORT_EXTRA_PASS,
                                   {"--baseline", "base.json", "--fail-if-more-instructions", "1", "--save-baseline",
                                    "extra.json"});
    EXPECT_EQ(extra.status, 3) << extra.err;
    const nlohmann::json before = nlohmann::json::parse(Slurp(folder / "base.json"));
    const nlohmann::json after = nlohmann::json::parse(Slurp(folder / "extra.json"));
    const std::uint64_t b = before["rows"][0]["machine_counts"]["instructions"];
    const std::uint64_t a = after["rows"][0]["machine_counts"]["instructions"];
    // A load and a store per slot at least, and the loop's own count.
    ASSERT_GT(a, b + 3 * 999) << b << " then " << a;
    const double grown = 100.0 * static_cast<double>(a - b) / static_cast<double>(b);
    EXPECT_EQ(extra.err, "orvandel-bench: Gate sort (random, 1000 values): instructions +" + std::to_string(a - b) +
                             " (+" + Fixed(grown, 3) + "%), more than --fail-if-more-instructions allows\n");

    // The saved reports compared, with limits either side of the growth.
    const std::string below = Fixed(grown * 0.99, 3), above = Fixed(grown * 1.01, 3);
    const struct {
        std::vector<std::string> words;
        int status;
        std::string err;  // what standard error holds
    } compared[] = {
        {{"--compare", "base.json", "extra.json", "--fail-if-more-instructions", below}, 3, "instructions +"},
        {{"--compare", "base.json", "extra.json", "--fail-if-more-instructions", above}, 0, ""},
        {{"--compare", "base.json", "base.json", "--fail-if-more-instructions", "0"}, 0, ""},
        {{"--compare", "extra.json", "base.json", "--fail-if-more-instructions", "0"}, 0, ""},
    };
    for (const auto& c : compared) {
        const ToolRun run = RunTool(folder, c.words);
        EXPECT_EQ(run.status, c.status) << c.words[4] << run.err;
        if (c.err.empty())
            EXPECT_EQ(run.err, "") << c.words[4];
        else
            EXPECT_EQ(run.err.rfind("orvandel-bench: Gate sort (random, 1000 values): " + c.err, 0), 0u) << run.err;
    }

    // Without counts on both sides there is nothing to gate on.
    const ToolRun untimed = RunTool(folder, {"--sort-library", ORVANDEL_PLUGIN_TEST_GATE_SORT, "--pattern", "random",
                                             "--count", "1000", "--runs", "1", "Gate sort", "--save-baseline",
                                             "uncounted.json"});
    ASSERT_EQ(untimed.status, 0) << untimed.err;
    const ToolRun refused = RunTool(folder, {"--compare", "uncounted.json", "base.json", "--fail-if-more-instructions", "1"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_EQ(refused.err, "orvandel-bench: --fail-if-more-instructions: no cell has machine counts in both "
                           "uncounted.json and base.json\n");
    const ToolRun notSaved = measured(ORVANDEL_PLUGIN_TEST_GATE_SORT,
                                      {"--baseline", "uncounted.json", "--fail-if-more-instructions", "1"});
    EXPECT_EQ(notSaved.status, 2);
    EXPECT_EQ(notSaved.err, "orvandel-bench: --fail-if-more-instructions: uncounted.json has no machine counts "
                            "(save it from a run with --machine-counts)\n");
    fs::remove_all(folder);
}

namespace {

// The machine counts of a run's rows, by contender: "status", and "crash" or "reason".
std::map<std::string, nlohmann::json> MachineCountsByName(const std::string& report) {
    std::map<std::string, nlohmann::json> counts;
    const nlohmann::json parsed = nlohmann::json::parse(report);
    for (const nlohmann::json& row : parsed["rows"])
        counts[row["name"].get<std::string>()] = row["machine_counts"];
    return counts;
}

// What a name of a loaded object may be in the counted process: the C and
// C++ runtimes, the kernel's vDSO, valgrind's own preload, the program
// itself (no name) and the sort's library, opened through the descriptor
// the tool holds it by.
bool CountedProcessMayHold(const std::string& name) {
    const std::string base = name.substr(name.rfind('/') + 1);
    for (const char* runtime : {"libc.so.6", "libm.so.6", "libstdc++.so.6", "libgcc_s.so.1", "ld-linux-x86-64.so.2",
                                "linux-vdso.so.1"})
        if (base == runtime) return true;
    return name.empty() || base.rfind("vgpreload_", 0) == 0 || name.rfind("/proc/self/fd/", 0) == 0;
}

}  // namespace

// At the moment collection starts, the counted process is the counting
// program, holding the runtimes and the sort's library and nothing else:
// no library of another reference, whose initialiser ran on load.
TEST(MachineCounting, TheCountedProcessHoldsOnlyTheRuntimesAndTheSortsLibrary) {
    REQUIRE_VALGRIND();
    namespace fs = std::filesystem;
    const fs::path folder = EmptyFolder("orvandel-census");
    setenv("ORVANDEL_TEST_CENSUS", (folder / "census.txt").c_str(), 1);
    const ToolRun run = RunTool(folder, {"--machine-counts", "--sort-library", ORVANDEL_PLUGIN_TEST_UNDER_VALGRIND,
                                         "--count", "1000", "--runs", "1", "--format", "json", "Census sort"});
    unsetenv("ORVANDEL_TEST_CENSUS");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(MachineCountsByName(run.out)["Census sort"]["status"], "counted") << run.out;
    std::istringstream census(Slurp(folder / "census.txt"));
    std::vector<std::string> programs, objects;
    for (std::string kind, name; census >> kind && std::getline(census, name);)
        (kind == "program" ? programs : objects).push_back(name.empty() ? "" : name.substr(1));
    ASSERT_EQ(programs.size(), 1u) << "one counted process, under valgrind";
    EXPECT_EQ(fs::path(programs[0]).filename(), "orvandel-count") << programs[0];
    for (const std::string& object : objects) EXPECT_TRUE(CountedProcessMayHold(object)) << object;
    for (const std::string held : {"libc.so.6", "/proc/self/fd/"})
        EXPECT_TRUE(std::any_of(objects.begin(), objects.end(),
                                [&](const std::string& o) { return o.find(held) != std::string::npos; }))
            << "no " << held << " among the census's " << objects.size() << " objects";
    fs::remove_all(folder);
}

// A sort with an instruction valgrind 3.19 cannot decode on any CPU (an
// AVX-512 one; it runs natively where the CPU has AVX-512F) ends its own
// count with valgrind's reason, and every other row is counted.
TEST(MachineCounting, AnInstructionValgrindCannotRunEndsOnlyItsOwnCount) {
    REQUIRE_VALGRIND();
    if (!__builtin_cpu_supports("avx512f")) GTEST_SKIP() << "this CPU has no AVX-512F, so the sort cannot run at all";
    namespace fs = std::filesystem;
    const fs::path folder = EmptyFolder("orvandel-undecoded");
    const ToolRun run = RunTool(folder, {"--machine-counts", "--sort-library", ORVANDEL_PLUGIN_TEST_UNDER_VALGRIND,
                                         "--count", "1000", "--runs", "1", "--format", "json", "Census sort",
                                         "Wide sort", "std::sort", "qsort c"});
    std::map<std::string, nlohmann::json> counts = MachineCountsByName(run.out);
    EXPECT_EQ(counts["Wide sort"]["status"], "crashed") << run.out;
    // EVEX begins with 62; its next byte is the register's.
    EXPECT_EQ(counts["Wide sort"]["crash"].get<std::string>().rfind(
                  "valgrind cannot run an instruction of this sort (bytes 62 f1 ", 0),
              0u)
        << counts["Wide sort"];
    for (const char* name : {"Census sort", "std::sort", "Full Optimised C"})
        EXPECT_EQ(counts[name]["status"], "counted") << name << ": " << counts[name];
    fs::remove_all(folder);
}

// Machine counts of other types than int32_t, where valgrind runs this
// build: each sort counted on the type's elements, and the same draw costs
// std::sort more instructions as strings, whose every comparison reads
// bytes through pointers, than as int32_t.
TEST(ElementTypes, MachineCountsOfEveryTypeWhereValgrindRuns) {
    REQUIRE_VALGRIND();
    Contender stdSort;
    for (const Contender& contender : AllContenders())
        if (contender.name == "std::sort") stdSort = contender;
    ASSERT_EQ(stdSort.name, "std::sort");
    std::uint64_t instructions[kElementTypeCount] = {};
    for (const ElementType type : {ElementType::kI32, ElementType::kString, ElementType::kRecord}) {
        MeasureSettings settings;
        settings.pattern = "random";
        settings.count = 1000;
        settings.type = type;
        settings.machineCounts = true;
        std::vector<Measurement> rows(1);
        rows[0].contender = stdSort;
        rows[0].type = type;
        const Check done = CountMachineGuarded(settings, rows);
        ASSERT_TRUE(static_cast<bool>(done)) << done.why();
        const MachineRow& row = rows[0].machine;
        ASSERT_EQ(row.outcome.end, End::kCounted) << ElementTypeName(type) << ": " << row.outcome.detail;
        instructions[static_cast<int>(type)] = row.counts.instructions;
        EXPECT_GT(row.counts.instructions, 999u * 40) << ElementTypeName(type);
    }
    EXPECT_GT(instructions[static_cast<int>(ElementType::kString)], 2 * instructions[static_cast<int>(ElementType::kI32)]);
}
