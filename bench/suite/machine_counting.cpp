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
        MachineRow& machine = rows[k].machine;
        const std::string refused = unavailable.empty() ? MachineCountsRefused(rows[k].contender) : unavailable;
        if (!refused.empty()) {
            machine.end = CountEnd::kNotCountable;
            machine.why = refused;
        } else if (rows[k].end != CellEnd::kMeasured || rows[k].failure.failed()) {
            machine.end = CountEnd::kNotTimed;
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
    if (simulated.failure.failed()) {
        row.end = CountEnd::kFailed;
        row.failure = simulated.failure;
        return;
    }
    const Result<MachineCounts> counts = ReadDump(folder, simulated.token);
    if (!counts) {
        row.end = CountEnd::kCrashed;
        row.why = "callgrind's dump: " + counts.why();
        return;
    }
    row.counts = *counts;
    row.end = CountEnd::kCounted;
}

// A count that crashed because valgrind could not decode an instruction
// (it raises SIGILL then, whatever the CPU can run) says so, as valgrind's
// log in folder tells it.
void SayWhyValgrindStopped(const std::string& folder, MachineRow& row) {
    if (row.end != CountEnd::kCrashed) return;
    const Result<std::string> log = ReadDumpHead(folder + '/' + kValgrindLog, kDumpHeadBytes);
    if (!log) return;
    const std::string undecoded = UndecodedInstruction(*log);
    if (!undecoded.empty()) row.why = undecoded;
}


// Counts row's contender in a process of its own under callgrind, its
// dumps in a folder of its own: nothing another sort ran or wrote, nor
// what the simulated predictor and caches learnt from it, reaches the
// count. False with error set when no process can be started.
bool CountOne(const Counter& counter, const MeasureSettings& slow, Measurement& row, std::string& error) {
    const Result<std::string> made = MakeDumpFolder();
    if (!made) {
        error = made.why();
        return false;
    }
    const std::string& folder = *made;
    std::string text;
    MeasuringChild child;
    std::vector<std::string> command = CallgrindOptions(counter.valgrind, folder);
    command.push_back(counter.program);
    const ChildStart start = StartMeasuringChild(slow, row.contender.library, {row.contender.name}, command, child, text);
    if (start == ChildStart::kReady) {
        SimulatedMessage simulated;
        ChildLoss loss;
        if (AskForCount<SimulateMessage>(child, 0, slow, simulated, loss)) {
            FinishMeasuringChild(child, slow);
            TakeDump(folder, simulated, row.machine);
        } else {
            row.machine.end = LostCount(loss.end);
            row.machine.why = loss.crash;
        }
    } else if (start == ChildStart::kCannot) {
        error = text;
    } else {
        row.machine.end = CountEnd::kCrashed;
        row.machine.why = text;
    }
    SayWhyValgrindStopped(folder, row.machine);
    RemoveDumpFolder(folder);
    return error.empty();
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

bool CountMachineGuarded(const MeasureSettings& settings, std::vector<Measurement>& rows, std::string& error) {
    const std::vector<std::size_t> todo = RowsToCount(rows);
    if (todo.empty()) return true;
    const Result<Counter> counter = FindCounter();
    if (!counter) {
        error = counter.why();
        return false;
    }
    MeasureSettings slow = settings;
    slow.timeLimitSeconds = MachineTimeLimitSeconds(settings);
    for (const std::size_t k : todo)
        if (!CountOne(*counter, slow, rows[k], error)) return false;
    return true;
}
