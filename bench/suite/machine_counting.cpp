#include "bench/suite/machine_counting.h"

#include "bench/suite/callgrind_dump.h"
#include "bench/suite/measuring_child.h"
#include "bench/suite/simulation.h"

namespace {

// 1 in a build with AddressSanitizer, whose shadow memory valgrind cannot
// run (CMakeLists.txt).
constexpr bool kSanitized = ORVANDEL_SANITIZED != 0;

// The programs a count runs: valgrind, and the counting program under it.
struct Counter {
    std::string valgrind, program;
};

// Both, or refused with why this system lacks one.
Result<Counter> FindCounter() {
    const Result<std::string> valgrind = FindValgrind();
    if (!valgrind) return Refusal{valgrind.why()};
    const Result<std::string> program = FindCountingProgram();
    if (!program) return Refusal{program.why()};
    return Counter{*valgrind, *program};
}

// The rows to count; the others are marked with why they are not.
std::vector<std::size_t> RowsToCount(std::vector<Measurement>& rows) {
    const std::string unavailable = MachineCountsUnavailable();
    std::vector<std::size_t> todo;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        Outcome& machine = rows[k].machine.outcome;
        std::string refused = unavailable.empty() ? MachineCountsRefused(rows[k].contender) : unavailable;
        if (rows[k].outcome.is(End::kNotSorted)) refused = rows[k].outcome.detail;
        if (!refused.empty()) {
            machine = {End::kNotCountable, refused, {}};
        } else if (rows[k].outcome.end != End::kMeasured) {
            machine = {End::kNotTimed, "", {}};
        } else {
            todo.push_back(k);
        }
    }
    return todo;
}

// The counts of the folder's first dump, made for the request with token.
Result<MachineCounts> ReadDump(const std::string& folder, std::uint64_t token) {
    const Result<std::string> head = ReadDumpHead(folder + '/' + kDumpFile, kDumpHeadBytes);
    if (!head) return Refusal{head.why()};
    return ReadCallgrindDump(*head, DumpTrigger(token));
}

// The dump named by the answer, from the folder's first dump, into row.
void TakeDump(const std::string& folder, const SimulatedMessage& simulated, MachineRow& row) {
    row.outcome = Checked(simulated.failure, End::kCounted);
    if (row.outcome.end == End::kFailed) return;
    const Result<MachineCounts> counts = ReadDump(folder, simulated.token);
    if (counts)
        row.counts = *counts;
    else
        row.outcome = {End::kCrashed, "callgrind's dump: " + counts.why(), {}};
}

// A count that crashed because valgrind could not decode an instruction
// (it raises SIGILL then, whatever the CPU can run) says so, as valgrind's
// log in folder tells it.
void SayWhyValgrindStopped(const std::string& folder, MachineRow& row) {
    if (row.outcome.end != End::kCrashed) return;
    const Result<std::string> log = ReadDumpHead(folder + '/' + kValgrindLog, kDumpHeadBytes);
    if (!log) return;
    const std::string undecoded = UndecodedInstruction(*log);
    if (!undecoded.empty()) row.outcome.detail = undecoded;
}


// Counts row's contender in a process of its own under callgrind, its
// dumps in a folder of its own: nothing another sort ran or wrote, nor
// what the simulated predictor and caches learnt from it, reaches the
// count. Refuses when no process can be started.
Check CountOne(const Counter& counter, const MeasureSettings& slow, Measurement& row) {
    const Result<std::string> made = MakeDumpFolder();
    if (!made) return Refusal{made.why()};
    const std::string& folder = *made;
    std::string text;
    MeasuringChild child;
    std::vector<std::string> command = CallgrindOptions(counter.valgrind, folder);
    command.push_back(counter.program);
    const ChildStart start = StartMeasuringChild(slow, row.contender.library, {row.contender.name}, command, child, text);
    if (start == ChildStart::kReady) {
        SimulatedMessage simulated;
        row.machine.outcome = AskForCount<SimulateMessage>(child, 0, slow, simulated);
        if (row.machine.outcome.end == End::kCounted) {
            FinishMeasuringChild(child, slow);
            TakeDump(folder, simulated, row.machine);
        }
    } else if (start != ChildStart::kCannot) {
        row.machine.outcome = {End::kCrashed, text, {}};
    }
    SayWhyValgrindStopped(folder, row.machine);
    RemoveDumpFolder(folder);
    if (start == ChildStart::kCannot) return Refusal{text};
    return Passed{};
}

}  // namespace

std::string MachineCountsUnavailable() {
    if (kSanitized) return "this build has AddressSanitizer, which cannot run under valgrind";
    const Result<Counter> counter = FindCounter();
    return counter ? "" : counter.why();
}

std::string MachineCountsRefused(const Contender& contender) {
    if (!contender.notRepeatable.empty()) return contender.notRepeatable;
    if (contender.threads <= 1) return "";
    return "sorts on " + std::to_string(contender.threads) +
           " threads, which valgrind runs one at a time: the counts would not be this sort's";
}

Check CountMachineGuarded(const MeasureSettings& settings, std::vector<Measurement>& rows) {
    const std::vector<std::size_t> todo = RowsToCount(rows);
    if (todo.empty()) return Passed{};
    const Result<Counter> counter = FindCounter();
    if (!counter) return Refusal{counter.why()};
    MeasureSettings slow = settings;
    slow.timeLimitSeconds = MachineTimeLimitSeconds(settings);
    for (const std::size_t k : todo) {
        const Check counted = CountOne(*counter, slow, rows[k]);
        if (!counted) return counted;
    }
    return Passed{};
}
