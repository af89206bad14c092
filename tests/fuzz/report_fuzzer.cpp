// Fuzzes the saved-report reader and the comparison of what it reads, the
// parsers of the counts and durations the command line takes, and the
// decoders of the children's messages and of callgrind's dumps. The input is one report, or two
// split at the first form feed; the whole input is also an option's value
// and a dump, and each of its lines a child's message. Reading a report
// takes processor time linear in its bytes: past a generous line, the
// input is a finding.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <streambuf>
#include <string>
#include <vector>

#include "bench/app/option_values.h"
#include "bench/compare/comparison.h"
#include "bench/compare/comparison_report.h"
#include "bench/compare/saved_report.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/sort_library.h"
#include "bench/suite/callgrind_dump.h"
#include "bench/suite/child_protocol.h"

namespace {

// Formats every character and keeps none, so the writers run in full.
struct Discard : std::streambuf {
    int overflow(int c) override { return c; }
};

void Require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "%s\n", what);
    std::abort();
}

void ParseOptionValues(const std::string& text) {
    const Result<std::int32_t> count = ParseCount(text);
    if (count) Require(*count >= 2, "ParseCount accepted a count below 2");
    const Result<std::vector<std::int32_t>> counts = ParseCountList(text);
    if (counts) {
        Require(!counts->empty() && counts->front() >= 2, "ParseCountList accepted a count below 2");
        for (std::size_t k = 1; k < counts->size(); ++k)
            Require((*counts)[k - 1] < (*counts)[k], "ParseCountList is not ascending without repeats");
    }
    const Result<double> seconds = ParseTime(text, kSecond, 86400);
    if (seconds) Require(*seconds > 0 && *seconds <= 86400, "ParseTime accepted a value out of its range");
}

// A line a decoder takes is a message its encoder writes back as a line the
// same decoder takes again, as the same message.
template <typename Message>
void DecodeMessage(const std::string& line) {
    Message message;
    if (!Decode(line, message)) return;
    const std::string encoded = Encode(message);
    Message again;
    Require(Decode(encoded, again) && Encode(again) == encoded, "a decoded message does not survive its line");
    Require(encoded.find('\n') == std::string::npos, "a message's line holds a line break");
}

void DecodeMessages(const std::string& text) {
    std::size_t start = 0;
    for (std::size_t end; start <= text.size(); start = end + 1) {
        end = std::min(text.find('\n', start), text.size());
        const std::string line = text.substr(start, end - start);
        DecodeMessage<HelloMessage>(line);
        DecodeMessage<LoadingMessage>(line);
        DecodeMessage<SortMessage>(line);
        DecodeMessage<RefusedMessage>(line);
        DecodeMessage<ReadyMessage>(line);
        DecodeMessage<StartedMessage>(line);
        DecodeMessage<SampleMessage>(line);
        DecodeMessage<CountingMessage>(line);
        DecodeMessage<CountedMessage>(line);
        DecodeMessage<DoneMessage>(line);
        DecodeMessage<RunMessage>(line);
        DecodeMessage<CountMessage>(line);
        DecodeMessage<FinishMessage>(line);
        DecodeMessage<SimulateMessage>(line);
        DecodeMessage<SimulatedMessage>(line);
    }
}

// Counts one run of a sort can give: a misprediction is of a branch, a
// last-level miss was a first-level one, and a branch is an instruction.
bool Possible(const MachineCounts& c) {
    return c.conditionalMisses <= c.conditionalBranches && c.indirectMisses <= c.indirectBranches &&
           c.lastLevelMisses <= c.firstLevelMisses && c.conditionalBranches + c.indirectBranches <= c.instructions;
}

// A dump read is one that callgrind could have written; a refusal is one
// short line.
void ReadDump(const std::string& text) {
    const Result<MachineCounts> read = ReadCallgrindDump(text, DumpTrigger(100000000000000000ull));
    if (!read) {
        const std::string& why = read.why();
        Require(!why.empty() && why.size() < 100 && why.find('\n') == std::string::npos,
                "the dump's refusal is not one short line");
        return;
    }
    Require(Possible(*read), "a dump no run can give was read");
}

// A refusal is one short line; what is read lies within the reader's bounds.
bool Parse(const std::string& text, SavedReport& report) {
    // Processor time, which other processes on the machine do not add to:
    // a fixed part and some 100 times what a plain parse of JSON takes a
    // byte under the sanitizers, far above any linear reading.
    const std::clock_t start = std::clock();
    const Result<SavedReport> parsed = ParseSavedReport(text);
    const double seconds = static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
    Require(seconds <= 0.2 + 5e-6 * static_cast<double>(text.size()), "reading took longer than linear in its bytes");
    if (!parsed) {
        const std::string& error = parsed.why();
        Require(!error.empty() && error.size() < 600 && error.find('\n') == std::string::npos,
                "the refusal is not one short line");
        return false;
    }
    report = *parsed;
    for (const SavedCell& cell : report.cells) {
        Require(cell.name.size() <= kMaxNameBytes && cell.label.size() <= kMaxNameBytes &&
                    cell.pattern.size() <= kMaxNameBytes, "a name beyond the bound was read");
        Require(cell.times.size() <= static_cast<std::size_t>(kMaxRuns), "more times than --runs allows");
        for (double ms : cell.times) Require(ms > 0 && ms <= kMaxTimeMs, "a time beyond the bounds was read");
        Require(CheckSortName(cell.name) && CheckSortName(cell.pattern) && (cell.label.empty() || CheckSortName(cell.label)),
                "a name the names rule refuses was read");
        Require(cell.count >= 2 && cell.count <= kLargestCount, "a count of values no cell holds was read");
        Require(!cell.machineCounted || Possible(cell.machine), "machine counts no run can give were read");
    }
    return true;
}

void WriteForms(const Comparison& comparison) {
    Discard discard;
    std::ostream out(&discard);
    WriteComparisonTable(out, comparison, true);
    WriteComparisonMarkdown(out, comparison);
    WriteComparisonCsv(out, comparison);
    WriteComparisonChart(out, comparison);
    out << ComparisonJson(comparison).dump();
}

void CompareReports(SavedReport baseline, SavedReport current) {
    if (!DataMismatch(baseline, current).empty()) return;
    WriteForms(Compare(baseline, current, kDefaultNoise));
    if (SelectCells({"Qsort C"}, ".*z", baseline, current)) WriteForms(Compare(baseline, current, 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ParseOptionValues(text);
    DecodeMessages(text);
    ReadDump(text);
    const std::size_t split = text.find('\f');
    SavedReport first, second;
    if (!Parse(text.substr(0, split), first)) return 0;
    CompareReports(first, first);
    if (split != std::string::npos && Parse(text.substr(split + 1), second)) CompareReports(first, second);
    return 0;
}
