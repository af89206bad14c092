#include "bench/suite/child_protocol.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>
#include <sstream>
#include <vector>

namespace {

// A line's words after its first; the word must be kind. Names and reasons
// are the rest of the line instead (Rest).
bool Words(const std::string& line, const char* kind, std::size_t fields, std::vector<std::string>& words) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word != kind) return false;
    while (in >> word) words.push_back(word);
    // Exactly one space between words, none around them: the line as Encode writes it.
    std::string again = kind;
    for (const std::string& w : words) again += ' ' + w;
    return words.size() == fields && again == line;
}

// The text after "kind ", not empty.
bool Rest(const std::string& line, const char* kind, std::string& rest) {
    const std::string head = std::string(kind) + ' ';
    if (line.compare(0, head.size(), head) != 0 || line.size() == head.size()) return false;
    rest = line.substr(head.size());
    return true;
}

template <typename Whole>
bool Read(const std::string& text, long long low, long long high, Whole& value) {
    long long read = 0;
    if (!ReadWhole(text, low, high, read)) return false;
    value = static_cast<Whole>(read);
    return true;
}

constexpr long long kMostIndex = 1ll << 40;
constexpr long long kInt32Low = -2147483648ll;
constexpr long long kInt32High = 2147483647ll;
constexpr long long kUint64High = 9223372036854775807ll;  // counts far below this

std::string Whole(long long value) {
    return std::to_string(value);
}

std::string FailureFields(const SortFailure& f) {
    return Whole(static_cast<int>(f.check)) + ' ' + Whole(f.slot) + ' ' + Whole(f.held) + ' ' + Whole(f.expected);
}

// Four fields from at: check, slot, held, expected; a failure that passed
// has nothing in the others.
bool ReadFailure(const std::vector<std::string>& w, std::size_t at, SortFailure& f) {
    int check = 0;
    if (!Read(w[at], 0, static_cast<int>(SortCheck::kOrder), check) || !Read(w[at + 1], -1, kInt32High, f.slot) ||
        !Read(w[at + 2], kInt32Low, kInt32High, f.held) || !Read(w[at + 3], kInt32Low, kInt32High, f.expected))
        return false;
    f.check = static_cast<SortCheck>(check);
    return f.failed() ? f.slot >= 0 : f.slot == -1 && f.held == 0 && f.expected == 0;
}

constexpr long long kTokenHigh = (1ll << 62) - 1;

std::string Token(std::uint64_t token) {
    return Whole(static_cast<long long>(token));
}

bool ReadToken(const std::string& text, std::uint64_t& token) {
    return Read(text, 0, kTokenHigh, token);
}

bool Bare(const std::string& line, const char* kind) {
    return line == kind;
}

std::string TypeList(const std::vector<ElementType>& types) {
    std::string list;
    for (const ElementType type : types) list += (list.empty() ? "" : ",") + std::string(ElementTypeName(type));
    return list;
}

// A list as TypeList writes it: known names, in table order, each once, so
// that a line has one reading and the same types one line.
bool ReadTypeList(const std::string& text, std::vector<ElementType>& types) {
    std::vector<ElementType> read;
    for (std::size_t start = 0;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const ElementTypeEntry* entry = FindElementType(text.substr(start, comma - start));
        if (entry == nullptr || (!read.empty() && entry->type <= read.back())) return false;
        read.push_back(entry->type);
        if (comma == text.size()) break;
        start = comma + 1;
    }
    types = read;
    return true;
}

}  // namespace

std::string Encode(const HelloMessage& m) { return "hello " + Whole(m.version); }
bool Decode(const std::string& line, HelloMessage& m) {
    std::vector<std::string> w;
    return Words(line, "hello", 1, w) && Read(w[0], kChildProtocolVersion, kChildProtocolVersion, m.version);
}

std::string Encode(const LoadingMessage& m) { return "loading " + Whole(static_cast<long long>(m.value)); }
bool Decode(const std::string& line, LoadingMessage& m) {
    std::vector<std::string> w;
    return Words(line, "loading", 1, w) && Read(w[0], 0, kMostIndex, m.value);
}

bool operator==(const SortMessage& a, const SortMessage& b) {
    return a.name == b.name && a.types == b.types;
}

std::string Encode(const SortMessage& m) { return "sort " + TypeList(m.types) + ' ' + m.name; }
bool Decode(const std::string& line, SortMessage& m) {
    std::string rest;
    if (!Rest(line, "sort", rest)) return false;
    const std::size_t space = rest.find(' ');
    if (space == std::string::npos || !ReadTypeList(rest.substr(0, space), m.types)) return false;
    m.name = rest.substr(space + 1);
    return !m.name.empty();
}

std::string Encode(const RefusedMessage& m) { return "refused " + m.reason; }
bool Decode(const std::string& line, RefusedMessage& m) { return Rest(line, "refused", m.reason); }

std::string Encode(const ReadyMessage&) { return "ready"; }
bool Decode(const std::string& line, ReadyMessage&) { return Bare(line, "ready"); }

std::string Encode(const StartedMessage& m) {
    return "started " + Whole(static_cast<long long>(m.repetition)) + ' ' + Token(m.token);
}
bool Decode(const std::string& line, StartedMessage& m) {
    std::vector<std::string> w;
    return Words(line, "started", 2, w) && Read(w[0], 0, kMostIndex, m.repetition) && ReadToken(w[1], m.token);
}

std::string Encode(const SampleMessage& m) {
    const Sample& s = m.sample;
    return "sample " + Whole(static_cast<long long>(m.repetition)) + ' ' + Token(m.token) + ' ' + Number(s.perSortMs) +
           ' ' + Whole(s.ticks) + ' ' + Whole(s.batch) + ' ' + FailureFields(s.failure) + ' ' + Whole(s.draws);
}
bool Decode(const std::string& line, SampleMessage& m) {
    std::vector<std::string> w;
    Sample& s = m.sample;
    return Words(line, "sample", 10, w) && Read(w[0], 0, kMostIndex, m.repetition) && ReadToken(w[1], m.token) &&
           ReadNumber(w[2], s.perSortMs) && Read(w[3], 0, 4294967295ll, s.ticks) && Read(w[4], 1, 1000000000, s.batch) &&
           ReadFailure(w, 5, s.failure) && Read(w[9], 1, kUint64High, s.draws);
}

std::string Encode(const CountingMessage& m) {
    return "counting " + Whole(static_cast<long long>(m.contender)) + ' ' + Token(m.token);
}
bool Decode(const std::string& line, CountingMessage& m) {
    std::vector<std::string> w;
    return Words(line, "counting", 2, w) && Read(w[0], 0, kMostIndex, m.contender) && ReadToken(w[1], m.token);
}

std::string Encode(const CountedMessage& m) {
    const OperationCounts& c = m.counts;
    return "counted " + Whole(static_cast<long long>(m.contender)) + ' ' + Token(m.token) + ' ' +
           Whole(static_cast<long long>(c.comparisons)) +
           ' ' + (c.steps ? '1' : '0') + ' ' + Whole(static_cast<long long>(c.exchanges)) + ' ' +
           Whole(static_cast<long long>(c.calls)) + ' ' + Whole(static_cast<long long>(c.depth)) + ' ' +
           Whole(static_cast<long long>(c.frameBytes)) + ' ' + FailureFields(m.failure);
}
bool Decode(const std::string& line, CountedMessage& m) {
    std::vector<std::string> w;
    OperationCounts& c = m.counts;
    int steps = 0;
    if (!Words(line, "counted", 12, w) || !Read(w[0], 0, kMostIndex, m.contender) || !ReadToken(w[1], m.token) ||
        !Read(w[2], 0, kUint64High, c.comparisons) || !Read(w[3], 0, 1, steps) ||
        !Read(w[4], 0, kUint64High, c.exchanges) || !Read(w[5], 0, kUint64High, c.calls) ||
        !Read(w[6], 0, kUint64High, c.depth) || !Read(w[7], 0, kUint64High, c.frameBytes) ||
        !ReadFailure(w, 8, m.failure))
        return false;
    c.steps = steps == 1;
    return true;
}

std::string Encode(const SimulatedMessage& m) {
    return "simulated " + Whole(static_cast<long long>(m.contender)) + ' ' + Token(m.token) + ' ' +
           FailureFields(m.failure);
}
bool Decode(const std::string& line, SimulatedMessage& m) {
    std::vector<std::string> w;
    return Words(line, "simulated", 6, w) && Read(w[0], 0, kMostIndex, m.contender) && ReadToken(w[1], m.token) &&
           ReadFailure(w, 2, m.failure);
}

std::string Encode(const DoneMessage&) { return "done"; }
bool Decode(const std::string& line, DoneMessage&) { return Bare(line, "done"); }

std::string Encode(const RunMessage& m) {
    return "run " + Whole(static_cast<long long>(m.repetition)) + ' ' + Token(m.token) + ' ' +
           Whole(static_cast<long long>(m.contender)) + ' ' + Whole(m.firstDraw) + ' ' + Whole(m.batch.value_or(0));
}
bool Decode(const std::string& line, RunMessage& m) {
    std::vector<std::string> w;
    int batch = 0;
    if (!(Words(line, "run", 5, w) && Read(w[0], 0, kMostIndex, m.repetition) && ReadToken(w[1], m.token) &&
          Read(w[2], 0, kMostIndex, m.contender) && Read(w[3], 0, kUint64High, m.firstDraw) && Read(w[4], 0, 1000000000, batch)))
        return false;
    m.batch = batch == 0 ? std::nullopt : std::optional<int>(batch);
    return true;
}

std::string Encode(const CountMessage& m) {
    return "count " + Whole(static_cast<long long>(m.contender)) + ' ' + Token(m.token);
}
bool Decode(const std::string& line, CountMessage& m) {
    std::vector<std::string> w;
    return Words(line, "count", 2, w) && Read(w[0], 0, kMostIndex, m.contender) && ReadToken(w[1], m.token);
}

std::string Encode(const SimulateMessage& m) {
    return "simulate " + Whole(static_cast<long long>(m.contender)) + ' ' + Token(m.token);
}
bool Decode(const std::string& line, SimulateMessage& m) {
    std::vector<std::string> w;
    return Words(line, "simulate", 2, w) && Read(w[0], 0, kMostIndex, m.contender) && ReadToken(w[1], m.token);
}

std::string Encode(const FinishMessage&) { return "finish"; }
bool Decode(const std::string& line, FinishMessage&) { return Bare(line, "finish"); }

std::uint64_t NewToken() {
    static std::mt19937_64 random(std::random_device{}() ^
                                  static_cast<std::uint64_t>(Clock::now().time_since_epoch().count()));
    // Always 18 digits: a child reads every token with the same steps, so
    // that what it executes before a counted sort does not depend on the
    // token's value (callgrind's branch predictor remembers it).
    constexpr std::uint64_t kLow = 100000000000000000ull, kHigh = 1000000000000000000ull;
    return kLow + random() % (kHigh - kLow);
}

Heard NextLine(ChildLink& link, const Clock::time_point& deadline, std::string& line) {
    for (;;) {
        const std::size_t end = link.pending.find('\n');
        if (end != std::string::npos && end <= kLongestMessage) {
            line = link.pending.substr(0, end);
            link.pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();  // a text-mode pipe
            return Heard::kMessage;
        }
        if (link.pending.size() > kLongestMessage) {
            line = link.pending.substr(0, kLongestMessage);
            return Heard::kBroken;
        }
        const double timeout = std::max(0.0, std::chrono::duration<double>(deadline - Clock::now()).count());
        const ChildRead read = ReadChild(link.child, timeout, link.pending);
        if (read == ChildRead::kEnd) {
            line = link.pending;
            return link.pending.empty() ? Heard::kEnded : Heard::kBroken;  // a last line cut short
        }
        if (read == ChildRead::kTimeout) return Heard::kSilent;
    }
}

std::string BrokenText(const std::string& line, const std::string& expected) {
    constexpr std::size_t kShown = 60;
    std::string shown;
    for (const char c : line.substr(0, kShown)) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isprint(byte) != 0 && c != '"' && c != '\\') {
            shown += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            shown += escaped;
        }
    }
    if (line.size() > kShown) shown += "...";
    return "broke its report channel: sent \"" + shown + "\" where " + expected + " was due";
}

namespace {

// Requests read and not yet taken.
std::string requestsPending;

}  // namespace

void Tell(const std::string& line) {
    WriteToParent(line + '\n');
}

bool Listen(std::string& line) {
    for (;;) {
        const std::size_t end = requestsPending.find('\n');
        if (end != std::string::npos) {
            line = requestsPending.substr(0, end);
            requestsPending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return true;
        }
        if (requestsPending.size() > kLongestMessage || !ReadFromParent(requestsPending)) return false;
    }
}
