// The operating system's side of a guarded measurement: a child process of
// this program whose standard output is a pipe to the parent, reading it
// with a deadline, and the large stack the child sorts on. One file per
// system implements it (child_process_posix.cpp, child_process_win32.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ChildProcess {
    std::intptr_t process = -1;  // process id, or process handle
    std::intptr_t output = -1;   // read end of the child's standard output
};

// Starts this program's own executable with arguments (argv[1] on), its
// standard output a pipe to the parent and its standard error shared. The
// child is killed when the parent dies or is interrupted (interruption.h).
// Returns false with a message when it cannot be started.
bool StartChild(const std::vector<std::string>& arguments, ChildProcess& child, std::string& error);

enum class ChildRead { kData, kEnd, kTimeout };

// Appends what the child has written to text, waiting at most
// timeoutSeconds: kData when something came, kEnd when the child closed its
// output, kTimeout when nothing came in time.
ChildRead ReadChild(ChildProcess& child, double timeoutSeconds, std::string& text);

enum class ChildEnd { kExited, kStackOverflow, kCrashed };

struct ChildStatus {
    ChildEnd end = ChildEnd::kExited;
    int exitCode = 0;         // with kExited
    std::string description;  // with kCrashed: how the child ended
};

// Kills the child when kill is set, waits for it, releases its handles and
// says how it ended.
ChildStatus FinishChild(ChildProcess& child, bool kill);

// The child's side, as it starts: makes this process end with the parent
// that started it. False when that parent is gone already (or this process
// was not started by StartChild): the child should end at once.
bool StaysWithParent();

// Runs work(argument) on a thread with a stack of stackBytes and waits for
// it. When the work runs out of stack, the process ends at once in a way
// that FinishChild reports as kStackOverflow.
void RunOnLargeStack(void (*work)(void*), void* argument, std::size_t stackBytes);
