// The operating system's side of the machine counts: finding valgrind, a
// private folder for one child's dumps and reading them back, and the
// child's switching of callgrind's collection around one sort. One file per
// system implements it (simulation_posix.cpp, simulation_win32.cpp); on
// Windows there is no valgrind, and every count says so.
#pragma once

#include <cstddef>
#include <string>

#include "bench/measure/refusal.h"

// The valgrind program on this system's PATH; refused with why there is none.
Result<std::string> FindValgrind();

// The counting program (bench/count_main.cpp) that came with this program,
// at its place relative to this program's own file; refused with why when
// it is not there.
Result<std::string> FindCountingProgram();

// A new folder only this user can enter, for one child's dumps; refused
// with the system's reason.
Result<std::string> MakeDumpFolder();

// At most limit bytes from the start of the regular file at path (a dump,
// or valgrind's log), opened without following a link and without waiting
// on a device or a pipe; refused with why when it is not such a file.
Result<std::string> ReadDumpHead(const std::string& path, std::size_t limit);

// Removes the folder and the files in it (not what lies behind a link).
void RemoveDumpFolder(const std::string& folder);

// Whether this process runs under valgrind.
bool UnderValgrind();

// The most bytes CollectAround copies of its work's argument.
constexpr std::size_t kCollectedArgumentBytes = 64;

// Runs work on a copy of the bytes of argument with callgrind collecting
// on this thread alone, from zero, then dumps what it collected with
// trigger for its description. A process started with CallgrindOptions
// simulates nothing before this, so the work starts on empty caches and an
// empty branch predictor, the same in every run whatever ran before it;
// the copy and the work's frames stand at one offset from a multiple of
// the caches' largest way, wherever the caller's stack stood. Outside
// valgrind it only runs the work.
void CollectAround(void (*work)(void*), const void* argument, std::size_t bytes, const std::string& trigger);
