// A report as a comparison sees it, read back from a saved JSON report or
// taken from the run just measured: where and on what data it was made,
// and every cell's repetitions. A cell is one contender on one kind of data
// of one size sorted as one element type, found again by (name, pattern,
// count, type).
#pragma once

#include "bench/measure/refusal.h"
#include "bench/measure/sort_library.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bench/report/report.h"

// The kind of data of a row that does not say: the window's random values.
constexpr char kDefaultPattern[] = "window";
// The element type of a row that does not say: every report before types
// sorted 32-bit integers.
constexpr char kDefaultType[] = "i32";

// What a saved report may hold, far above any report this tool writes, so
// that a hostile file costs bounded time and memory and every message
// quoting it stays one short line.
constexpr std::uintmax_t kMaxReportBytes = std::uintmax_t{64} << 20;
constexpr int kMaxNesting = 32;             // arrays and objects inside one another
// A name, label or pattern: the longest name a loaded sort may take, so
// every report the tool saves can be read back.
constexpr std::size_t kMaxNameBytes = kLongestSortName;
constexpr std::size_t kMaxContextBytes = 4096;  // the machine, compiler and flags texts
// Repetitions of one cell: --runs stops here too, so every report the tool
// writes can be read back, and the bootstrap's 5,000 resamples stay short.
constexpr int kMaxRuns = 10000;
constexpr double kMaxTimeMs = 86400000;  // one day

struct SavedCell {
    std::string name;
    std::string label;    // button label of a routine; empty for a reference
    std::string pattern;
    std::int64_t count = 0;
    bool reference = false;
    bool failed = false;  // a check failed or the cell did not finish; no times then
    std::vector<double> times;
    std::int64_t draws = 1;  // different data sets sorted; reports before draws sorted one
    bool machineCounted = false;  // its machine counts were made (schema version 4 on)
    MachineCounts machine;
    std::string type = kDefaultType;  // the element type its values were sorted as
};

// The element type of a cell as its place names it: "random 1000", with
// " u64" after any other type than the one every report before types sorted.
std::string CellPlace(const std::string& pattern, std::int64_t count, const std::string& type);

struct SavedReport {
    std::string source;  // the file, or "this run"
    std::uint32_t seed = 0;
    std::string machine;
    std::string compiler;
    std::string flags;
    std::string draws;   // DrawsMethod of its cells
    std::vector<SavedCell> cells;
};

// How a report's sorts were given their data, as far as it matters to a
// comparison: "a new draw every sort" when a cell sorted several draws,
// "the same data every sort" otherwise.
std::string DrawsMethod(const std::vector<SavedCell>& cells);

// Reads a JSON report of any format this build writes; refuses with a
// one-line reason (without the file's name) when it is not one.
Result<SavedReport> ParseSavedReport(const std::string& text);

// Reads the file at path, which becomes the source; the refusal names the
// file.
Result<SavedReport> ReadSavedReport(const std::string& path);

// The run just measured, under the source "this run".
SavedReport CurrentReport(const Report& report);

// The machine, in one line: processor, cores, operating system.
std::string MachineLine(const SystemInfo& system);
