// Sorts loaded from libraries of the user's own: how a --sort-library value
// is read, which libraries are loaded and which refused with what message,
// and the guarded cells of sorts that crash, hang, break the order or write
// outside their range, each costing its own cell while the others are
// measured.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "bench/app/measure_command.h"
#include "bench/measure/reference_sorts.h"
#include "bench/measure/repetitions.h"
#include "bench/measure/sort_library.h"
#include "bench/report/report.h"
#include "bench/suite/child_process.h"
#include "bench/suite/guard.h"
#include "bench/suite/library_probe.h"

namespace {

std::string Path(const char* built) {
    return built;
}

std::string FileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// A folder of this process's own: the test programs of two builds may run
// at once, and each must load its own copies.
const std::filesystem::path& ScratchFolder() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() /
            ("orvandel-sort-library-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

// A copy of a built library with one byte changed, or a file of text: what
// a user may hand the tool by mistake.
std::string Scratch(const std::string& name, const std::string& bytes) {
    const std::filesystem::path path = ScratchFolder() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
}

std::string Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The library's header made to say it is 32-bit code: the ELF class byte,
// or the machine of the PE header.
std::string AsThirtyTwoBit(const std::string& path) {
    std::string bytes = Bytes(path);
    if (bytes.compare(0, 4, "\x7f" "ELF") == 0) {
        bytes[4] = 1;  // ELFCLASS32
    } else {
        const auto header = static_cast<unsigned char>(bytes[0x3c]) | static_cast<unsigned char>(bytes[0x3d]) << 8;
        bytes[static_cast<std::size_t>(header) + 4] = '\x4c';  // IMAGE_FILE_MACHINE_I386, 0x014c
        bytes[static_cast<std::size_t>(header) + 5] = '\x01';
    }
    return Scratch("orvandel-32-bit-" + FileName(path), bytes);
}

std::vector<std::string> Names(const std::vector<Contender>& contenders, std::size_t from) {
    std::vector<std::string> names;
    for (std::size_t k = from; k < contenders.size(); ++k) names.push_back(contenders[k].name);
    return names;
}

const Contender& Baseline(const std::vector<Contender>& all) {
    return *std::find_if(all.begin(), all.end(), [](const Contender& c) { return c.name == kBaselineName; });
}

}  // namespace

TEST(SortLibrary, ValueSplitsIntoPathSymbolAndName) {
    const struct Case {
        const char* value;
        LibraryParts expected;
    } cases[] = {
        {"./libmine.so", {"./libmine.so", "", ""}},
        {"./libmine.so:my_sort", {"./libmine.so", "my_sort", ""}},
        {"./libmine.so:my_sort=My sort 2", {"./libmine.so", "my_sort", "My sort 2"}},
        {"./libmine.so:my_sort=a:b=c", {"./libmine.so", "my_sort", "a:b=c"}},
        {"C:\\sorts\\mine.dll", {"C:\\sorts\\mine.dll", "", ""}},
        {"C:\\sorts\\mine.dll:_sort1=Mine", {"C:\\sorts\\mine.dll", "_sort1", "Mine"}},
        {"/tmp/a:b/libmine.so", {"/tmp/a:b/libmine.so", "", ""}},
        {"/tmp/a:b/libmine.so:s", {"/tmp/a:b/libmine.so", "s", ""}},
        {"libmine.so:9lives", {"libmine.so:9lives", "", ""}},
        {"libmine.so:", {"libmine.so:", "", ""}},
    };
    for (const Case& c : cases) {
        const LibraryParts parts = SplitLibraryValue(c.value);
        EXPECT_EQ(parts.path, c.expected.path) << c.value;
        EXPECT_EQ(parts.symbol, c.expected.symbol) << c.value;
        EXPECT_EQ(parts.name, c.expected.name) << c.value;
    }
}

// Every library loads with the names it gives, or is refused with a
// message naming the value; a refused value adds no contender.
TEST(SortLibrary, LoadsItsSortsOrRefusesInOneLine) {
    const std::string hybrid = Path(ORVANDEL_PLUGIN_SEDGEWICK_HYBRID);
    const std::string two = Path(ORVANDEL_PLUGIN_TEST_TWO_SORTS);
    const std::string single = Path(ORVANDEL_PLUGIN_TEST_SINGLE_SORT);
    const std::string broken = Path(ORVANDEL_PLUGIN_BROKEN_SORTS);
    const std::string future = Path(ORVANDEL_PLUGIN_TEST_FUTURE_VERSION);
    const std::string past = Path(ORVANDEL_PLUGIN_TEST_PAST_VERSION);
    const std::string nullSorts = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_4);
    const std::string empty = Scratch("orvandel-empty-library.so", "");
    const std::string longName(201, 'n');
    // A file name is a sort's name too (orvandel_sort): one that begins with
    // a space would pass for another on a terminal.
    const std::string leading = Scratch(" orvandel-spaced-single.so", Bytes(single));
    const std::string spaced = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_5);
    // A 32-bit copy: its class byte on ELF systems, its machine on Windows.
    const bool elf = Bytes(hybrid).compare(0, 4, "\x7f" "ELF") == 0;
    const std::string narrowWhy = elf ? "not a 64-bit x86 library (32-bit ELF)" : "not a 64-bit x86 library (x86)";
    const std::string text = Scratch("orvandel-not-a-library.so", "void sort(int* first, int* last);\n");
    const std::string narrow = AsThirtyTwoBit(hybrid);
    const std::string missing = (ScratchFolder() / "orvandel-no-such-library.so").string();
    const std::string crashing = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_1);
    const std::string hanging = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_2);
    const std::string pointless = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_3);
    const std::string endless = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_8);
    const std::string noSymbol = "an empty SYMBOL after the ':' (name the sort's symbol, or give the file alone)";
    // Refused before anything opens them for reading: a FIFO would keep its
    // reader waiting for a writer that never comes.
    const std::string folder = (ScratchFolder() / "orvandel-folder.so").string();
    std::filesystem::create_directories(folder);
#ifdef _WIN32
    const std::string fifo = missing, fifoWhy = "", folderWhy = "";  // the system's reasons
#else
    const std::string fifo = (ScratchFolder() / "orvandel-fifo.so").string();
    mkfifo(fifo.c_str(), 0600);
    const std::string fifoWhy = "is not a regular file (a FIFO, a socket or a device), so not a library";
    const std::string folderWhy = "is a folder, not a library";
    const std::string daemon = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_6);
    const std::string forger = Path(ORVANDEL_PLUGIN_TEST_LOAD_FAULT_7);
#endif
    // The probe's allowance: a library that loads, crashes or is refused is
    // done long before this, however slowly its child starts on a busy
    // machine; only the one that never returns waits for its (short) own.
    constexpr double kEnds = 120;
    const struct Case {
        std::vector<std::string> values;
        std::vector<std::string> names;  // loaded, in order
        std::string error;               // or the whole message, or its start when the system gives the reason
        bool childOnly = false;          // whether only the probing child is asked
        double seconds = kEnds;          // the probe's allowance
    } cases[] = {
        {{hybrid}, {"Sedgewick hybrid C"}, ""},
        {{two}, {"Two: insertion", "Two: shell"}, ""},
        {{single}, {FileName(single)}, ""},
        {{single + ":orvandel_sort=Mine"}, {"Mine"}, ""},
        {{broken + ":broken_order", broken + ":broken_crash=Crash"}, {"broken_order", "Crash"}, ""},
        {{hybrid, two}, {"Sedgewick hybrid C", "Two: insertion", "Two: shell"}, ""},
        {{broken + ":no_such_sort"}, {}, "--sort-library " + broken + ":no_such_sort: no exported symbol no_such_sort"},
        {{broken}, {}, "--sort-library " + broken + ": exports neither orvandel_sort_table nor orvandel_sort"},
        {{future}, {}, "--sort-library " + future + ": orvandel_sort_table has ABI version 99, this tool reads version 1"},
        {{past}, {}, "--sort-library " + past + ": orvandel_sort_table has ABI version 0, this tool reads version 1"},
        {{nullSorts}, {}, "--sort-library " + nullSorts + ": orvandel_sort_table has a null sorts pointer"},
        // One names rule, wherever the name comes from.
        {{single + ":orvandel_sort=" + std::string(200, 'n')}, {std::string(200, 'n')}, ""},
        {{single + ":orvandel_sort=" + longName}, {},
         "--sort-library " + single + ":orvandel_sort=" + longName + ": NAME is refused: it has 201 bytes, more than 200"},
        {{single + ":orvandel_sort=std::sort "}, {},
         "--sort-library " + single + ":orvandel_sort=std::sort : NAME is refused: it begins or ends with a space"},
        {{single + ":orvandel_sort= Mine"}, {},
         "--sort-library " + single + ":orvandel_sort= Mine: NAME is refused: it begins or ends with a space"},
        {{single + ":orvandel_sort=Mine\xc2\xa0"}, {},
         "--sort-library " + single + ":orvandel_sort=Mine\xc2\xa0: NAME is refused: it begins or ends with a space"},
        {{single + ":orvandel_sort=gnol\xe2\x80\xaestd::sort"}, {},
         "--sort-library " + single + ":orvandel_sort=gnol\xe2\x80\xaestd::sort: NAME is refused: it has control "
         "characters, bytes that are not UTF-8, marks that reorder text or characters that show nothing"},
        {{single + ":orvandel_sort=csi\xc2\x9b"}, {},
         "--sort-library " + single + ":orvandel_sort=csi\xc2\x9b: NAME is refused: it has control characters, "
         "bytes that are not UTF-8, marks that reorder text or characters that show nothing"},
        {{single + ":orvandel_sort=Full Optimised C\xe2\x81\xa0"}, {},  // word joiner
         "--sort-library " + single + ":orvandel_sort=Full Optimised C\xe2\x81\xa0: NAME is refused: it has control "
         "characters, bytes that are not UTF-8, marks that reorder text or characters that show nothing"},
        {{single + ":orvandel_sort=Full Optimised C\xe2\x80\x8d"}, {},  // zero-width joiner
         "--sort-library " + single + ":orvandel_sort=Full Optimised C\xe2\x80\x8d: NAME is refused: it has control "
         "characters, bytes that are not UTF-8, marks that reorder text or characters that show nothing"},
        {{single + ":orvandel_sort=Full Optimised C\xc2\xad"}, {},  // soft hyphen
         "--sort-library " + single + ":orvandel_sort=Full Optimised C\xc2\xad: NAME is refused: it has control "
         "characters, bytes that are not UTF-8, marks that reorder text or characters that show nothing"},
        {{single + ":orvandel_sort=Full Optimised C\xf3\xa0\x81\x81"}, {},  // tag
         "--sort-library " + single + ":orvandel_sort=Full Optimised C\xf3\xa0\x81\x81: NAME is refused: it has control "
         "characters, bytes that are not UTF-8, marks that reorder text or characters that show nothing"},
        {{single + ":orvandel_sort=bad\xff"}, {},
         "--sort-library " + single + ":orvandel_sort=bad\xff: NAME is refused: it has control characters, "
         "bytes that are not UTF-8, marks that reorder text or characters that show nothing"},
        {{single + ":orvandel_sort="}, {}, "--sort-library " + single + ":orvandel_sort=: an empty NAME after the '='"},
        {{single + ":orvandel_sort=" + "=HYPERLINK(\"x\")"}, {"=HYPERLINK(\"x\")"}, ""},
        {{":orvandel_sort"}, {}, "--sort-library :orvandel_sort: no library file before the ':'"},
        {{single + ":"}, {}, "--sort-library " + single + ":: " + noSymbol},
        {{single + ":=mine"}, {}, "--sort-library " + single + ":=mine: " + noSymbol},
        {{"x.so\tx"}, {}, "--sort-library x.so\tx: a value with control characters"},
        {{empty}, {}, "--sort-library " + empty + ": not a library (an empty file)"},
        {{single + ":orvandel_sort=std::SORT"}, {}, "--sort-library " + single + ":orvandel_sort=std::SORT: the name \"std::SORT\" is taken; give another with :SYMBOL=NAME"},
        {{single + ":orvandel_sort=qsort c"}, {}, "--sort-library " + single + ":orvandel_sort=qsort c: the name \"qsort c\" is taken; give another with :SYMBOL=NAME"},
        {{two, two}, {}, "--sort-library " + two + ": the name \"Two: insertion\" is taken; give another with :SYMBOL=NAME"},
        {{missing}, {}, "--sort-library " + missing + ": "},
        {{text}, {}, "--sort-library " + text + ": not a library"},
        {{narrow}, {}, "--sort-library " + narrow + ": " + narrowWhy},
        {{leading}, {}, "--sort-library " + leading + ": a sort's name is refused: it begins or ends with a space; "
                        "give another with :SYMBOL=NAME"},
        {{spaced}, {}, "--sort-library " + spaced + ": a sort's name is refused: it begins or ends with a space; "
                       "give another with :SYMBOL=NAME"},
        {{fifo}, {}, "--sort-library " + fifo + ": " + fifoWhy, true},
        {{folder}, {}, "--sort-library " + folder + ": " + folderWhy, true},
        // Only a child can open these and live.
        {{crashing}, {}, "--sort-library " + crashing + ": loading it crashed: ", true},
        // Never returns: stopped by the allowance, whenever its child got to it.
        {{hanging}, {}, "--sort-library " + hanging + ": still loading after 2 s", true, 2},
        {{pointless}, {}, "--sort-library " + pointless + ": loading it crashed: ", true},
        {{hybrid, crashing}, {}, "--sort-library " + crashing + ": loading it crashed: ", true},
        // Its finaliser never returns, and never runs: the probe ends once it
        // has reported.
        {{endless}, {"Never loaded"}, "", true},
#ifndef _WIN32
        // An initialiser's harm beyond its own process: ended by the
        // sandbox, or refused by the parent's names rule.
        {{daemon}, {}, "--sort-library " + daemon + ": loading it crashed: the sandbox ended it: it tried to start a "
                       "process or a program", true},
        {{forger}, {}, "--sort-library " + forger + ": the name \"std::sort\" is taken; give another with :SYMBOL=NAME",
         true},
        {{hybrid, forger}, {}, "--sort-library " + forger + ": the name \"std::sort\" is taken; give another with "
                               ":SYMBOL=NAME", true},
#endif
    };
    const std::size_t known = AllContenders().size();
    for (const Case& c : cases) {
        // Loaded here, as a guarded child does, and by the probing child, as
        // the measuring process does: the same names, the same refusal.
        for (const bool probed : {false, true}) {
            if (c.childOnly && !probed) continue;
            const std::string row = c.values.front() + (c.values.size() > 1 ? " ..." : "") + (probed ? " (probed)" : "");
            std::vector<Contender> contenders = AllContenders();
            const Check loaded = probed ? ProbeSortLibraries(c.values, c.seconds, contenders)
                                        : AddLibrarySorts(c.values, contenders);
            const std::string error = loaded ? "" : loaded.why();
            EXPECT_EQ(static_cast<bool>(loaded), c.error.empty()) << row << ": " << error;
            if (c.error.empty()) {
                EXPECT_EQ(Names(contenders, known), c.names) << row;
                // Only a guarded child holds the sorts themselves.
                for (std::size_t k = known; k < contenders.size(); ++k)
                    EXPECT_EQ(contenders[k].plugin != nullptr, !probed) << row;
                continue;
            }
            // Our own messages exactly; after the value, the system's reason,
            // in its own words.
            if (c.error.back() == ' ') {
                EXPECT_EQ(error.rfind(c.error, 0), 0u) << row << ": " << error;
                EXPECT_GT(error.size(), c.error.size()) << row;
            } else {
                EXPECT_EQ(error, c.error) << row;
            }
            EXPECT_EQ(error.find('\n'), std::string::npos) << row;
            if (probed) {
                EXPECT_EQ(contenders.size(), known) << row << ": the measuring process took sorts of a refusal";
            }
        }
    }
    std::error_code loaded;  // Windows keeps a loaded DLL's file (leading's); it stays in the temporary folder
    for (const std::string& scratch : {text, narrow, empty, leading}) std::filesystem::remove(scratch, loaded);
    std::filesystem::remove(ScratchFolder(), loaded);
}

// Each broken sort costs its own row, in the guarded child, and the sorts
// beside it in the same cell are measured in full.
TEST(SortLibrary, ABrokenSortCostsItsOwnCellOnly) {
    const std::string broken = Path(ORVANDEL_PLUGIN_BROKEN_SORTS);
    MeasureSettings settings;
    settings.pattern = "random";
    settings.count = 1000;
    settings.runs = 2;
    settings.warmup = 1;
    settings.minTimeMs = 0.5;
    // Only the sort that never returns needs the time limit to end it; the
    // others end by themselves, under a limit no busy machine brings them to.
    constexpr double kEnds = 120;
    const struct Case {
        const char* symbol;
        std::string status;  // the broken row's, or its beginning for a crash
        double seconds;      // the time limit
    } cases[] = {
        {"broken_crash", "crashed: ", kEnds},
        {"broken_hang", "over 1 s", 1},
        {"broken_write_past", "wrote outside its range at slot 1000", kEnds},
        {"broken_write_before", "wrote outside its range at slot 0", kEnds},
        {"broken_order", "failed at slot 1", kEnds},
    };
    for (const Case& c : cases) {
        settings.timeLimitSeconds = c.seconds;
        std::vector<Contender> all = AllContenders();
        const Check added = AddLibrarySorts({Path(ORVANDEL_PLUGIN_SEDGEWICK_HYBRID), broken + ":" + c.symbol}, all);
        ASSERT_TRUE(added) << added.why();
        std::string error;
        const std::vector<Contender> contenders = {all[all.size() - 2], all.back(), Baseline(all)};
        Report report;
        report.settings = settings;
        report.patterns = {settings.pattern};
        report.counts = {settings.count};
        for (const Contender& contender : contenders) {
            Measurement row;
            row.contender = contender;
            row.pattern = settings.pattern;
            row.count = settings.count;
            report.rows.push_back(row);
        }
        const Check done = MeasureGuarded(contenders, settings, nullptr, report.rows);
        ASSERT_TRUE(static_cast<bool>(done)) << done.why();
        EXPECT_EQ(Unfinished(report, report.rows[1]).rfind(c.status, 0), 0u)
            << c.symbol << ": " << Unfinished(report, report.rows[1]);
        for (const std::size_t measured : {0, 2}) {
            EXPECT_EQ(Unfinished(report, report.rows[measured]), "") << c.symbol << ", row " << measured;
            EXPECT_EQ(report.rows[measured].times.size(), 2u) << c.symbol << ", row " << measured;
        }
    }
}

// A loaded sort in a process of its own still takes its turn in the cell's
// one schedule: interleaved, every round gives each contender one
// repetition, in the order Schedule gives, the library's among the others.
TEST(SortLibrary, ALoadedSortIsInterleavedWithTheRoutines) {
    std::vector<Contender> all = AllContenders();
    // Loads at once: the allowance is only a bound for a probe that hangs.
    const Check probe = ProbeSortLibraries({Path(ORVANDEL_PLUGIN_SEDGEWICK_HYBRID)}, 120, all);
    ASSERT_TRUE(probe) << probe.why();
    const std::vector<Contender> contenders = {all.front(), all.back(), Baseline(all)};
    MeasureSettings settings;
    settings.pattern = "random";
    settings.count = 1000;
    settings.runs = 3;
    settings.warmup = 1;
    settings.interleave = true;
    settings.minTimeMs = 0.5;
    std::vector<Measurement> rows(contenders.size());
    for (std::size_t k = 0; k < rows.size(); ++k) rows[k].contender = contenders[k];
    std::vector<std::string> order;
    const ProgressReport record = [&](const std::string& name, int, int) { order.push_back(name); };
    const Check done = MeasureGuarded(contenders, settings, record, rows);
    ASSERT_TRUE(static_cast<bool>(done)) << done.why();
    std::vector<std::string> expected;
    for (const Repetition& r : Schedule(3, settings)) expected.push_back(contenders[static_cast<std::size_t>(r.contender)].name);
    EXPECT_EQ(order, expected);
    for (const Measurement& row : rows) {
        EXPECT_EQ(row.outcome.end, End::kMeasured) << row.contender.name;
        EXPECT_EQ(row.times.size(), 3u) << row.contender.name;
    }
}

// POSIX only: on Windows the probe's command line is too long for this many
// values before the limit is reached.
#ifndef _WIN32
// A cell runs a child per library at once: a run that would need more than
// can run is refused before it measures anything, not after.
TEST(SortLibrary, MoreLibrariesThanChildrenCanRunAreRefusedBeforeMeasuring) {
    BenchOptions options;
    options.measuring = true;
    options.counts = {100};
    options.settings.runs = 1;
    const std::string single = Path(ORVANDEL_PLUGIN_TEST_SINGLE_SORT);
    for (int k = 0; k < kMostChildren; ++k) options.libraries.push_back(single + ":orvandel_sort=n" + std::to_string(k));
    std::ostringstream out, err;
    EXPECT_EQ(RunMeasureCommand(options, AllContenders(), out, err, false), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(), "orvandel-bench: the sorts selected need " + std::to_string(kMostChildren + 1) +
                             " measuring processes at once, one for each library and one for the routines and "
                             "references; at most " + std::to_string(kMostChildren) + " can run\n");
}
#endif
