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

const Contender& Named(const std::vector<Contender>& all, const std::string& name) {
    return *std::find_if(all.begin(), all.end(), [&](const Contender& c) { return c.name == name; });
}

const Contender& Baseline(const std::vector<Contender>& all) {
    return Named(all, kBaselineName);
}

std::string TypeNames(const std::vector<ElementType>& types) {
    std::string names;
    for (const ElementType type : types) names += (names.empty() ? "" : ",") + std::string(ElementTypeName(type));
    return names;
}

template <typename T>
T ElementFrom(std::int32_t drawn, char*& bytes) {
    if constexpr (std::is_same_v<T, std::int32_t>) return drawn;
    else if constexpr (std::is_same_v<T, std::uint64_t>) return U64Of(drawn);
    else if constexpr (std::is_same_v<T, double>) return F64Of(drawn);
    else if constexpr (std::is_same_v<T, orvandel_string>) return StringOf(drawn, bytes);
    else return RecordOf(drawn);
}

// Whether contender's sort of type, which a guarded child holds, leaves
// draws with duplicates and both extremes, made elements of type, in the
// order of the draws sorted as numbers.
bool SortsDraws(const Contender& contender, ElementType type) {
    std::vector<std::int32_t> draws = {7, -3, 2147483647, 0, -2147483647 - 1, 7, 42, -3, 1000, 5, 65536, 255};
    return WithElementType(type, [&](auto tag) {
        using T = typename decltype(tag)::type;
        RangeSort<T> sort = nullptr;
        if constexpr (std::is_same_v<T, std::int32_t>) sort = contender.plugin;
        else sort = SortOf<T>(contender.typed).sort;
        if (sort == nullptr) return false;
        std::vector<char> bytes(draws.size() * kStringBytesAtMost);
        char* at = bytes.data();
        std::vector<T> elements;
        for (const std::int32_t drawn : draws) elements.push_back(ElementFrom<T>(drawn, at));
        sort(elements.data(), elements.data() + elements.size());
        std::vector<std::int32_t> sorted;
        for (const T& element : elements) sorted.push_back(DrawnValueOf(element));
        std::sort(draws.begin(), draws.end());
        return sorted == draws;
    });
}

}  // namespace

TEST(SortLibrary, ValueSplitsIntoPathSymbolTypeAndName) {
    const struct Case {
        const char* value;
        LibraryParts expected;
    } cases[] = {
        {"./libmine.so", {"./libmine.so", "", "", ""}},
        {"./libmine.so:my_sort", {"./libmine.so", "my_sort", "", ""}},
        {"./libmine.so:my_sort=My sort 2", {"./libmine.so", "my_sort", "", "My sort 2"}},
        {"./libmine.so:my_sort=a:b=c", {"./libmine.so", "my_sort", "", "a:b=c"}},
        {"C:\\sorts\\mine.dll", {"C:\\sorts\\mine.dll", "", "", ""}},
        {"C:\\sorts\\mine.dll:_sort1=Mine", {"C:\\sorts\\mine.dll", "_sort1", "", "Mine"}},
        {"/tmp/a:b/libmine.so", {"/tmp/a:b/libmine.so", "", "", ""}},
        {"/tmp/a:b/libmine.so:s", {"/tmp/a:b/libmine.so", "s", "", ""}},
        {"libmine.so:9lives", {"libmine.so:9lives", "", "", ""}},
        {"libmine.so:", {"libmine.so:", "", "", ""}},
        // A TYPE after the symbol; an '@' anywhere else is the path's or the name's.
        {"./libmine.so:my_sort@string", {"./libmine.so", "my_sort", "string", ""}},
        {"./libmine.so:my_sort@u64=Mine @ 2", {"./libmine.so", "my_sort", "u64", "Mine @ 2"}},
        {"./libmine.so:my_sort=a@f64", {"./libmine.so", "my_sort", "", "a@f64"}},
        {"./libmine.so:my_sort@", {"./libmine.so", "my_sort", "", ""}},
        {"./libmine.so:my_sort@=Mine", {"./libmine.so", "my_sort", "", "Mine"}},
        {"/tmp/a:b@u64/libmine.so", {"/tmp/a:b@u64/libmine.so", "", "", ""}},
        {"/tmp/a:b@u64/libmine.so:s@f64", {"/tmp/a:b@u64/libmine.so", "s", "f64", ""}},
        {"libmine.so:s@i-32", {"libmine.so:s@i-32", "", "", ""}},
        {"libmine.so:s@@u64", {"libmine.so:s@@u64", "", "", ""}},
    };
    for (const Case& c : cases) {
        const LibraryParts parts = SplitLibraryValue(c.value);
        EXPECT_EQ(parts.path, c.expected.path) << c.value;
        EXPECT_EQ(parts.symbol, c.expected.symbol) << c.value;
        EXPECT_EQ(parts.type, c.expected.type) << c.value;
        EXPECT_EQ(parts.name, c.expected.name) << c.value;
    }
}

// A TYPE names one of the element types, exactly; a value is judged
// before any file is opened.
TEST(SortLibrary, ATypeAfterTheSymbolIsKnownOrRefused) {
    const std::string types = "(the types: i32, u64, f64, string, record)";
    const struct Case {
        const char* value;
        std::string type;   // parsed
        std::string error;  // or the refusal
    } cases[] = {
        {"lib.so:s", "", ""},
        {"lib.so:s@i32", "i32", ""},
        {"lib.so:s@u64", "u64", ""},
        {"lib.so:s@f64=Floats", "f64", ""},
        {"lib.so:s@string", "string", ""},
        {"lib.so:s@record=R", "record", ""},
        {"lib.so:s=a@b", "", ""},
        {"lib.so:s@I32", "", "unknown TYPE \"I32\" after the '@' " + types},
        {"lib.so:s@int", "", "unknown TYPE \"int\" after the '@' " + types},
        {"lib.so:s@strings=S", "", "unknown TYPE \"strings\" after the '@' " + types},
        {"lib.so:s@", "", "unknown TYPE \"\" after the '@' " + types},
        {"lib.so:s@=S", "", "unknown TYPE \"\" after the '@' " + types},
        {"lib.so:@u64", "", "an empty SYMBOL after the ':' (name the sort's symbol, or give the file alone)"},
        {"lib.so:s@u64=", "", "an empty NAME after the '='"},
        {"lib.so:s@u64= S", "", "NAME is refused: it begins or ends with a space"},
    };
    for (const Case& c : cases) {
        const Result<LibraryParts> parts = ParseLibraryValue(c.value);
        EXPECT_EQ(parts ? "" : parts.why(), c.error) << c.value;
        if (parts) {
            EXPECT_EQ(parts->type, c.type) << c.value;
        }
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
        {{broken}, {}, "--sort-library " + broken + ": exports neither orvandel_sort_table nor any of orvandel_sort, "
                       "orvandel_sort_u64, orvandel_sort_f64, orvandel_sort_string, orvandel_sort_record"},
        {{future}, {}, "--sort-library " + future + ": orvandel_sort_table has ABI version 99, this tool reads versions 1 and 2"},
        {{past}, {}, "--sort-library " + past + ": orvandel_sort_table has ABI version 0, this tool reads versions 1 and 2"},
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

// Sorts of several types: one contender per name, measured on each of
// its types, the same in a guarded child as in the measuring process,
// which knows them from the probe alone; every type it lacks says so, and
// every sort a child holds sorts its own type.
TEST(SortLibrary, TypedSortsLoadAsOneContenderOfTheirTypes) {
    const std::string table = Path(ORVANDEL_PLUGIN_TEST_TYPED_SORTS_1);
    const std::string exports = Path(ORVANDEL_PLUGIN_TEST_TYPED_SORTS_2);
    const std::string hybrid = Path(ORVANDEL_PLUGIN_SEDGEWICK_HYBRID);
    const std::string two = Path(ORVANDEL_PLUGIN_TEST_TWO_SORTS);
    const std::string twice = Path(ORVANDEL_PLUGIN_TEST_TYPED_FAULT_1);
    const std::string pastLast = Path(ORVANDEL_PLUGIN_TEST_TYPED_FAULT_2);
    const std::string noSort = Path(ORVANDEL_PLUGIN_TEST_TYPED_FAULT_3);
    const std::string none = Path(ORVANDEL_PLUGIN_TEST_TYPED_FAULT_4);
    const std::string next = Path(ORVANDEL_PLUGIN_TEST_NEXT_VERSION);
    const std::string where = "--sort-library ";
    struct Loaded {
        std::string name;
        std::string types;
    };
    const struct Case {
        std::vector<std::string> values;
        std::vector<Loaded> loaded;  // in order
        std::string error;           // or the refusal
    } cases[] = {
        {{table}, {{"Typed: shell", "i32,u64,string"}, {"Typed: f64", "f64"}}, ""},
        {{exports}, {{FileName(exports), "i32,string"}}, ""},
        {{hybrid}, {{"Sedgewick hybrid C", "i32,string"}}, ""},
        {{two}, {{"Two: insertion", "i32"}, {"Two: shell", "i32"}}, ""},
        {{exports + ":orvandel_sort_string@string=Strings", exports + ":orvandel_sort"},
         {{"Strings", "string"}, {"orvandel_sort", "i32"}}, ""},
        {{table, exports}, {{"Typed: shell", "i32,u64,string"}, {"Typed: f64", "f64"}, {FileName(exports), "i32,string"}}, ""},
        {{exports + ":orvandel_sort_u64@u64"}, {}, where + exports + ":orvandel_sort_u64@u64: no exported symbol orvandel_sort_u64"},
        {{exports + ":orvandel_sort@int"}, {},
         where + exports + ":orvandel_sort@int: unknown TYPE \"int\" after the '@' (the types: i32, u64, f64, string, record)"},
        {{table, table}, {}, where + table + ": the name \"Typed: shell\" is taken; give another with :SYMBOL=NAME"},
        {{twice}, {}, where + twice + ": orvandel_sort_table entry 2 gives \"Twice\" a second sort of i32"},
        {{pastLast}, {}, where + pastLast + ": orvandel_sort_table entry 1 has type 5, not an orvandel_element_type (0 to 4)"},
        {{noSort}, {}, where + noSort + ": orvandel_sort_table entry 2 needs a name of 1 to 200 bytes and a sort"},
        {{none}, {}, where + none + ": orvandel_sort_table lists 0 sorts, not 1 to 64"},
        {{next}, {}, where + next + ": orvandel_sort_table has ABI version 3, this tool reads versions 1 and 2"},
    };
    const std::size_t known = AllContenders().size();
    for (const Case& c : cases) {
        for (const bool probed : {false, true}) {
            const std::string row = c.values.front() + (c.values.size() > 1 ? " ..." : "") + (probed ? " (probed)" : "");
            std::vector<Contender> contenders = AllContenders();
            // The probe's allowance bounds only a library that hangs: none here does.
            const Check loaded = probed ? ProbeSortLibraries(c.values, 120, contenders) : AddLibrarySorts(c.values, contenders);
            EXPECT_EQ(loaded ? "" : loaded.why(), c.error) << row;
            if (!loaded) continue;
            ASSERT_EQ(contenders.size(), known + c.loaded.size()) << row;
            for (std::size_t k = 0; k < c.loaded.size(); ++k) {
                const Contender& sort = contenders[known + k];
                EXPECT_EQ(sort.name, c.loaded[k].name) << row;
                // A sort of another type than it is taken for would write anywhere.
                const bool typesRight = TypeNames(SortedTypes(sort)) == c.loaded[k].types;
                EXPECT_TRUE(typesRight) << row << ": " << sort.name << " sorts " << TypeNames(SortedTypes(sort));
                if (!typesRight) continue;
                for (const ElementTypeEntry& type : kElementTypes) {
                    const std::string what = row + ": " + sort.name + " of " + type.name;
                    EXPECT_FALSE(Countable(sort, type.type)) << what;
                    if (!NotSorted(sort, type.type).empty()) {
                        EXPECT_EQ(NotSorted(sort, type.type), std::string("its library exports no sort of ") + type.name)
                            << what;
                    } else if (!probed) {
                        EXPECT_TRUE(SortsDraws(sort, type.type)) << what;
                    }
                }
                // Only a guarded child holds the sorts themselves.
                if (probed) {
                    EXPECT_EQ(sort.plugin, nullptr) << row;
                    EXPECT_TRUE(sort.typed.u64.sort == nullptr && sort.typed.f64.sort == nullptr &&
                                sort.typed.string.sort == nullptr && sort.typed.record.sort == nullptr) << row;
                }
            }
        }
    }
}

#ifdef __linux__
// A measuring child whose library gives a sort other types than the probe
// found (typed_sorts.c, form 3, reads its own command line) costs that
// library's rows; the same table with its types unchanged is measured, on
// a type of its own as on i32.
TEST(SortLibrary, TypesOtherThanTheProbedOnesCostTheLibrarysRows) {
    const std::string other =
        "crashed: its library named other sorts, or other types of them, in this process than when it was opened first";
    const struct Case {
        const char* library;
        ElementType type;
        std::string status;  // the library's row's; "" when measured
    } cases[] = {
        {ORVANDEL_PLUGIN_TEST_TYPED_SORTS_1, ElementType::kI32, ""},
        {ORVANDEL_PLUGIN_TEST_TYPED_SORTS_1, ElementType::kString, ""},
        {ORVANDEL_PLUGIN_TEST_TYPED_SORTS_3, ElementType::kI32, other},
        {ORVANDEL_PLUGIN_TEST_TYPED_SORTS_3, ElementType::kString, other},
    };
    MeasureSettings settings;
    settings.pattern = "random";
    settings.count = 1000;
    settings.runs = 2;
    settings.warmup = 1;
    settings.minTimeMs = 0.5;
    for (const Case& c : cases) {
        const std::string row = FileName(c.library) + " on " + ElementTypeName(c.type);
        settings.type = c.type;
        std::vector<Contender> all = AllContenders();
        const Check probed = ProbeSortLibraries({c.library}, 120, all);
        ASSERT_TRUE(probed) << row << ": " << probed.why();
        const std::vector<Contender> contenders = {Named(all, "Typed: shell"), Baseline(all)};
        Report report;
        report.settings = settings;
        std::vector<Measurement> rows(contenders.size());
        for (std::size_t k = 0; k < rows.size(); ++k) rows[k].contender = contenders[k];
        const Check done = MeasureGuarded(contenders, settings, nullptr, rows);
        ASSERT_TRUE(static_cast<bool>(done)) << row << ": " << done.why();
        EXPECT_EQ(Unfinished(report, rows[0]), c.status) << row;
        EXPECT_EQ(rows[0].times.size(), c.status.empty() ? 2u : 0u) << row;
        EXPECT_EQ(Unfinished(report, rows[1]), "") << row;
        EXPECT_EQ(rows[1].times.size(), 2u) << row;
    }
}
#endif

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
