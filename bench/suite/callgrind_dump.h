// The machine counts of one sort as callgrind dumped them. A dump is
// written inside the measuring child, where a loaded sort runs and can
// write any file it likes, so it is read as hostile: only its head (the
// lines before the first cost), bounded, every line of a form callgrind
// writes, the trigger naming the request's token, the simulated caches the
// geometry asked for, and figures that can be callgrind's.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bench/measure/machine_counts.h"
#include "bench/measure/refusal.h"

// The most of a dump that is read: its head is a few hundred bytes.
constexpr std::size_t kDumpHeadBytes = 1 << 16;

// The trigger line's text a dump made for the request with token carries.
std::string DumpTrigger(std::uint64_t token);

// The files valgrind writes in a count's own folder: the one dump of its
// request, and valgrind's own log.
constexpr char kDumpFile[] = "callgrind.out.1";
constexpr char kValgrindLog[] = "valgrind.log";

// The options that make valgrind run a measuring child as the counts need:
// callgrind with branch and cache simulation over kSimulatedCaches,
// simulating nothing until the child starts it (so the predictor and the
// caches hold nothing of the startup, whose libraries time themselves) and
// collecting nothing until it switches that on around one sort, the
// sorts' stack on the main thread as large as a measuring child's sort
// thread has, its dumps and its log in folder (kDumpFile, kValgrindLog).
std::vector<std::string> CallgrindOptions(const std::string& valgrind, const std::string& folder);

// Why valgrind stopped a count, read from the head of its log (at most
// kDumpHeadBytes): an instruction its decoder does not know, which it
// answers with SIGILL whether or not the CPU runs it, named by its bytes;
// empty when the log says no such thing.
std::string UndecodedInstruction(const std::string& log);

// Reads the counts of the dump whose first bytes (at most kDumpHeadBytes)
// are head; refused with why when it is not one callgrind made for trigger
// with these caches.
Result<MachineCounts> ReadCallgrindDump(const std::string& head, const std::string& trigger);
