#include "bench/suite/callgrind_dump.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>

#include "bench/suite/child_process.h"

namespace {

constexpr std::size_t kMostEvents = 64;
// An x86 instruction is at most 15 bytes; valgrind shows 10.
constexpr std::size_t kMostInstructionBytes = 15;

// The events read, in the order of their fields in MachineCounts' sums.
enum Event { kIr, kBc, kBcm, kBi, kBim, kD1mr, kD1mw, kDLmr, kDLmw, kEvents };
constexpr std::array<const char*, kEvents> kEventNames = {"Ir", "Bc", "Bcm", "Bi", "Bim",
                                                          "D1mr", "D1mw", "DLmr", "DLmw"};

// The keys a dump's head holds, each line "key: value" (callgrind's own
// first line aside).
constexpr const char* kHeadKeys[] = {"version", "creator", "pid", "cmd", "part", "desc", "positions", "events",
                                     "summary"};

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        if (end == at) return {};  // two spaces, or one at either end: not callgrind's
        words.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return text.empty() || text.back() != ' ' ? words : std::vector<std::string>{};
}

// One figure of a summary; what it is not says the caller, who knows whose.
Result<std::uint64_t> ReadCount(const std::string& text) {
    const Refusal notCount{"not a count"};
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return notCount;
    const std::uint64_t value = std::stoull(text);
    if (value > kMostMachineCount) return notCount;
    return value;
}

// "D1 cache: 32768 B, 64 B, 8-way associative", as callgrind describes a cache.
std::string CacheLine(const SimulatedCache& cache) {
    return std::string(cache.name) + " cache: " + std::to_string(cache.bytes) + " B, " +
           std::to_string(cache.lineBytes) + " B, " + std::to_string(cache.ways) + "-way associative";
}

struct Head {
    std::vector<std::string> events;
    std::vector<std::string> summary;
    std::vector<std::string> descriptions;
    bool sawEvents = false, sawSummary = false;
};

// Takes one line of the head; false when no head holds it.
bool TakeLine(const std::string& line, Head& head) {
    const std::size_t colon = line.find(": ");
    if (colon == std::string::npos) return false;
    const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
    if (std::none_of(std::begin(kHeadKeys), std::end(kHeadKeys), [&](const char* k) { return key == k; }))
        return false;
    if (key == "desc") head.descriptions.push_back(value);
    if (key == "events") {
        if (head.sawEvents) return false;
        head.sawEvents = true;
        head.events = Split(value);
        return !head.events.empty() && head.events.size() <= kMostEvents;
    }
    if (key == "summary") {
        if (head.sawSummary || !head.sawEvents) return false;
        head.sawSummary = true;
        head.summary = Split(value);
        return !head.summary.empty() && head.summary.size() <= head.events.size();
    }
    return true;
}

// The head's lines up to the first that is not one: the first cost.
Result<Head> ReadHead(const std::string& text) {
    Head head;
    std::size_t at = 0;
    bool first = true;
    while (at < text.size() && !head.sawSummary) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty() || (first && line == "# callgrind format")) {
            first = false;
            continue;
        }
        first = false;
        if (!TakeLine(line, head)) return Refusal{"a line callgrind does not write in a dump's head"};
    }
    if (!head.sawSummary) return Refusal{"no summary of its events"};
    return head;
}

using Figures = std::array<std::uint64_t, kEvents>;

// Each event's figure, 0 for one the summary leaves out at its end, as
// callgrind does.
Result<Figures> ReadEvents(const Head& head) {
    Figures figures{};
    for (std::size_t e = 0; e < kEvents; ++e) {
        const auto found = std::find(head.events.begin(), head.events.end(), kEventNames[e]);
        if (found == head.events.end() || std::count(head.events.begin(), head.events.end(), *found) != 1)
            return Refusal{std::string("not one event ") + kEventNames[e]};
        const auto k = static_cast<std::size_t>(found - head.events.begin());
        if (k >= head.summary.size()) continue;
        const Result<std::uint64_t> figure = ReadCount(head.summary[k]);
        if (!figure) return Refusal{std::string("no count of ") + kEventNames[e]};
        figures[e] = *figure;
    }
    for (const std::string& figure : head.summary)
        if (!ReadCount(figure)) return Refusal{"a summary that is not counts"};
    return figures;
}

bool Described(const Head& head, const std::string& line) {
    return std::count(head.descriptions.begin(), head.descriptions.end(), line) == 1;
}

}  // namespace

std::string DumpTrigger(std::uint64_t token) {
    return "orvandel " + std::to_string(token);
}

std::vector<std::string> CallgrindOptions(const std::string& valgrind, const std::string& folder) {
    // valgrind's own notes (the host's caches it found and does not use)
    // would go where the sorts' output goes: they go to its log, not quiet,
    // since only then does it name an instruction it cannot decode.
    std::vector<std::string> options = {valgrind, "--log-file=" + folder + '/' + kValgrindLog, "--tool=callgrind",
                                        "--branch-sim=yes", "--cache-sim=yes", "--instr-atstart=no",
                                        "--collect-atstart=no",
                                        "--main-stacksize=" + std::to_string(kSortStackBytes)};
    for (const SimulatedCache& cache : kSimulatedCaches)
        options.push_back(std::string("--") + cache.name + '=' + std::to_string(cache.bytes) + ',' +
                          std::to_string(cache.ways) + ',' + std::to_string(cache.lineBytes));
    // callgrind numbers its dumps from 1: the request's is kDumpFile.
    options.push_back("--callgrind-out-file=" + folder + "/callgrind.out");
    return options;
}

std::string UndecodedInstruction(const std::string& log) {
    // "vex amd64->IR: unhandled instruction bytes: 0xF 0x1 0xF9 0x48 ...":
    // the bytes from the instruction on, as LibVEX's decoder reports them.
    const std::string mark = "->IR: unhandled instruction bytes: ";
    const std::string head = log.substr(0, kDumpHeadBytes);
    const std::size_t at = head.find(mark);
    if (at == std::string::npos) return "";
    const std::size_t end = std::min(head.find('\n', at), head.size());
    std::string bytes;
    for (const std::string& word : Split(head.substr(at + mark.size(), end - at - mark.size()))) {
        const bool hex = word.size() >= 3 && word.size() <= 4 && word.compare(0, 2, "0x") == 0 &&
                         word.find_first_not_of("0123456789ABCDEFabcdef", 2) == std::string::npos;
        if (!hex || bytes.size() >= 3 * kMostInstructionBytes) break;
        const std::string digits = word.substr(2);
        bytes += ' ' + std::string(digits.size() == 1 ? "0" : "") + digits;
    }
    if (bytes.empty()) return "";
    std::transform(bytes.begin(), bytes.end(), bytes.begin(), [](unsigned char c) { return std::tolower(c); });
    return "valgrind cannot run an instruction of this sort (bytes" + bytes + ", from the instruction on)";
}

Result<MachineCounts> ReadCallgrindDump(const std::string& text, const std::string& trigger) {
    const Result<Head> head = ReadHead(text.substr(0, kDumpHeadBytes));
    if (!head) return Refusal{head.why()};
    if (!Described(*head, "Trigger: Client Request: " + trigger)) return Refusal{"not the dump of this count"};
    for (const SimulatedCache& cache : kSimulatedCaches)
        if (!Described(*head, CacheLine(cache)))
            return Refusal{std::string("not the simulated ") + cache.name + " cache asked for"};
    const Result<Figures> figures = ReadEvents(*head);
    if (!figures) return Refusal{figures.why()};
    const Figures& f = *figures;
    const MachineCounts counts{f[kIr], f[kBc], f[kBcm], f[kBi], f[kBim], f[kD1mr] + f[kD1mw], f[kDLmr] + f[kDLmw]};
    // Reads and writes each miss the last level no more than the first.
    if (f[kDLmr] > f[kD1mr] || f[kDLmw] > f[kD1mw] || BrokenCountLimit(counts))
        return Refusal{"figures no run can give"};
    return counts;
}
