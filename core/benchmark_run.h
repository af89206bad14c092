// One timed run of one routine on the fixed test data, its order check,
// its reports and the dump of a failed run.
#pragma once

#include <cstdint>

#include "core/sort_routine.h"
#include "core/test_data.h"
#include "platform/win32.h"

constexpr std::uint32_t kDrawBound = 5000000;
// Slot 0 keeps the first draw: every routine sorts slots 1 ... kSlotCount - 1.
constexpr std::int32_t kLowerBound = 1;

constexpr char kFailureCaption[] = "Failed at index";
constexpr char kResultFileName[] = "result.txt";
constexpr char kNoMemoryText[] = "Not enough memory for the test array";
constexpr char kDumpFailedText[] = "Could not write result.txt";

// What FindFirstDescent answers when the slots are in order; never a slot index.
constexpr std::int32_t kNoDescent = -1;

// Fills fresh test data, sorts slots 1 ... kSlotCount - 1 with routine at the
// raised priority, and times sort and order check. After the clock stops and
// the priority is back to normal, a failed check shows the failing slot in a
// box captioned "Failed at index" and dumps the array to "result.txt"; then
// the elapsed milliseconds are shown in a box captioned caption. When the
// array cannot be obtained, a box captioned caption says so and nothing runs.
// Returns true when the sorted slots were found in order; false when they
// were not, or when the array could not be obtained.
bool RunBenchmark(HWND owner, SortRoutine routine, BoundForm bounds, const char* caption);

// Smallest i in first ... count - 2 with slot i > slot i + 1 (signed), or
// kNoDescent. Reads no slot before first or at or beyond count.
std::int32_t FindFirstDescent(const std::int32_t* slots, std::int32_t first,
                              std::int32_t count);

// Writes slots 0 ... count - 1 to "result.txt" in the working directory, one
// unsigned decimal per line, each line ended by CR LF, replacing any older
// file. Returns true when the file was created and completely written.
bool WriteResultFile(const std::int32_t* slots, std::int32_t count);

// Milliseconds from start to end tick, right across a wrap of the counter.
std::uint32_t ElapsedTicks(DWORD start, DWORD end);
