// Fuzzes the command line: the input is its words, split at NUL bytes, and
// also one --sort-library value. Whatever the words, the parser refuses in
// one line or gives options within their ranges; a library value it
// accepts splits into parts that put back together make the value, with a
// symbol that is a C identifier and a name the names rule accepts. The
// input is a --filter pattern too: refused in one line, or searched for in
// names with work linear in each name, counted.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "bench/app/options.h"
#include "bench/measure/name_pattern.h"
#include "bench/measure/sort_library.h"

namespace {

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

bool IsIdentifier(const std::string& text) {
    const auto start = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_'; };
    return !text.empty() && start(text[0]) && std::all_of(text.begin(), text.end(), [&](char c) {
        return start(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

void ParseLibrary(const std::string& value) {
    const Result<LibraryParts> parts = ParseLibraryValue(value);
    if (!parts) {
        Require(!parts.why().empty() && parts.why().find('\n') == std::string::npos,
                "a refused library value has no one-line reason");
        return;
    }
    Require(!parts->path.empty(), "a library value was accepted without a path");
    Require(parts->symbol.empty() || IsIdentifier(parts->symbol), "a symbol that is not a C identifier");
    Require(parts->name.empty() || CheckSortName(parts->name), "a NAME the names rule refuses");
    Require(parts->name.empty() || !parts->symbol.empty(), "a NAME without a symbol");
    const std::string whole = parts->path + (parts->symbol.empty() ? "" : ":" + parts->symbol) +
                              (parts->name.empty() ? "" : "=" + parts->name);
    Require(whole == value, "the parts of a library value do not make the value");
}

// The pattern searched for in a name as long as a name may be, in the
// input itself and in a name of the tool's: each visits every step at most
// once a position, whatever the pattern.
void SearchPattern(const std::string& text) {
    const Result<NamePattern> pattern = NamePattern::Compile(text);
    if (!pattern) {
        Require(!pattern.why().empty() && pattern.why().find('\n') == std::string::npos,
                "a refused pattern has no one-line reason");
        // Printable writes a byte as at most four ("\x1b").
        Require(pattern.why().size() < 4 * kLongestNamePattern + 200, "a pattern's refusal quotes more than the pattern");
        return;
    }
    Require(text.size() <= kLongestNamePattern, "a pattern past the bound was read");
    Require(pattern->Steps() <= 3 * text.size() + 1, "a pattern's automaton grew past its length");
    for (const std::string& name : {std::string(kLongestSortName, 'a'), text, std::string("boost::pdqsort")}) {
        std::size_t visits = 0;
        static_cast<void>(pattern->FindsIn(name, &visits));
        Require(visits <= pattern->Steps() * (name.size() + 1), "a search visited a step twice at one position");
    }
}

void ParseWords(const std::string& text) {
    std::vector<std::string> words = {"orvandel-bench"};
    std::size_t start = 0;
    for (std::size_t nul = text.find('\0'); ; nul = text.find('\0', start)) {
        words.push_back(text.substr(start, nul == std::string::npos ? std::string::npos : nul - start));
        if (nul == std::string::npos) break;
        start = nul + 1;
    }
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    std::ostringstream out, err;
    const CommandLine line = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    const std::string said = err.str();
    if (line.exit && line.exitCode != 0) {
        Require(line.exitCode == 2, "a refused command line exits with another status than 2");
        Require(said.rfind("orvandel-bench: ", 0) == 0 && said.find('\n') == said.size() - 1,
                "a refusal is not one line of the tool's own");
        return;
    }
    Require(said.empty(), "an accepted command line said something on standard error");
    if (line.exit) return;  // the help
    const BenchOptions& o = line.options;
    Require(!o.counts.empty() && o.counts.front() >= 2 && std::is_sorted(o.counts.begin(), o.counts.end()),
            "counts out of order or below 2");
    Require(o.settings.count == o.counts.front(), "the settings' count is not the first size");
    Require(!o.patterns.empty() && o.settings.pattern == o.patterns.front(), "the settings' shape is not the first");
    Require(o.settings.runs >= 1 && o.settings.warmup >= 0 && o.settings.seed >= 1, "a repetition count or seed out of range");
    Require(o.settings.timeLimitSeconds > 0 && o.settings.minTimeMs > 0, "a duration that is not positive");
    Require(o.settings.timeLimitSeconds <= 86400 && o.settings.minTimeMs <= 10000, "a duration past its bound");
    Require(o.comparePaths.empty() || o.comparePaths.size() == 2, "--compare with other than two reports");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseLibrary(text);
    SearchPattern(text);
    ParseWords(text);
    return 0;
}
