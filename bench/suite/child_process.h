// The operating system's side of the tool's children: a child process of
// this program with a channel of its own (a pipe for its reports, another
// for the parent's requests), reading it with a deadline, ending the child
// and all it started, and the large stack the child sorts on. One file per
// system implements it (child_process_posix.cpp, child_process_win32.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "bench/measure/refusal.h"

struct ChildStatus;

// The most children that run at once: the interruption handler holds each
// in a fixed table, so a run that would need more is refused before it
// measures anything.
constexpr int kMostChildren = 256;

// One child and everything of it the parent holds: its process (id or
// handle), the read end of its reports, the write end of the parent's
// requests and its process group (or job). Whoever holds it owns the child:
// when the holder lets go without FinishChild, the child and its group are
// ended at once and everything is closed, so no error path can leak a
// child or a descriptor. Empty when made, moved from or finished.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&& other) noexcept : handles_(other.Release()) {}
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    // Started and not yet finished; it may have ended by itself since.
    bool running() const { return handles_.process != -1; }

private:
    struct Handles {
        std::intptr_t process = -1;   // process id, or process handle
        std::intptr_t reports = -1;   // read end of the child's reports
        std::intptr_t requests = -1;  // write end of the parent's requests
        std::intptr_t group = -1;     // its process group, or its job object
        std::intptr_t status = -1;    // a sandbox's status pipe (sandbox.h), or none
        std::intptr_t memoryKills = -1;  // POSIX: processes the system had ended for want of memory as it started
    };

    explicit ChildProcess(const Handles& handles) : handles_(handles) {}
    Handles Release() { return std::exchange(handles_, Handles{}); }

    friend struct ChildSystem;
    Handles handles_;
};

// The handles behind a ChildProcess, for the system's own side
// (child_process_posix.cpp, child_process_win32.cpp) and nothing else.
struct ChildSystem {
    using Handles = ChildProcess::Handles;
    static ChildProcess Adopt(const Handles& handles) { return ChildProcess(handles); }
    static const Handles& Of(const ChildProcess& child) { return child.handles_; }
    static Handles Release(ChildProcess& child) { return child.Release(); }
};

// The largest library file HoldFile takes.
constexpr long long kLargestHeldFile = 1LL << 30;

// Keeps the file at path for the rest of the run, so that every child that
// opens it later opens this very content, whatever becomes of the file: a
// sealed private copy in memory is handed to each child (POSIX), or the
// file cannot be written, deleted or replaced while it is held (Windows).
// Refused with the system's reason when it cannot be opened, or with why
// it is no library file (a folder, a FIFO, a device, over kLargestHeldFile).
Result<std::intptr_t> HoldFile(const std::string& path);

// Lets go of a file HoldFile held.
void ReleaseFile(std::intptr_t held);

// The name by which a child opens the k-th file of the held list that
// StartChild gave it, which was held from path.
std::string HeldFilePath(std::size_t k, const std::string& path);

// Starts this program's own executable with arguments (argv[1] on) in a
// process group (a job) of its own. Its reports and the parent's requests
// travel on pipes of their own; its standard output and standard error are
// the parent's standard error, its standard input nothing. held are files
// from HoldFile that it may open: the loaded code it runs, so a child handed
// any runs in the sandbox on Linux (sandbox.h), and in a job that lets it
// start no process on Windows. The child is killed with everything it
// started when the parent dies or is interrupted (interruption.h). Refused
// with a message when it cannot be started.
Result<ChildProcess> StartChild(const std::vector<std::string>& arguments, const std::vector<std::intptr_t>& held);

// StartChild with another command in place of this program's own file:
// launcher is that command's program, its options and what it runs (valgrind
// running the counting program, for the machine counts), given the
// arguments after them. Only POSIX systems run a child so.
Result<ChildProcess> StartChildUnder(const std::vector<std::string>& launcher, const std::vector<std::string>& arguments,
                                     const std::vector<std::intptr_t>& held);

enum class ChildRead { kData, kEnd, kTimeout };

// Appends what the child has reported to text, waiting at most
// timeoutSeconds: kData when something came, kEnd when its report pipe
// closed or the child ended with nothing left in it (a process it started
// may hold the pipe open), kTimeout when nothing came in time.
ChildRead ReadChild(ChildProcess& child, double timeoutSeconds, std::string& text);

// Writes a request to the child; false when it can no longer read them.
bool SendChild(ChildProcess& child, const std::string& text);

enum class ChildEnd { kExited, kStackOverflow, kCrashed };

struct ChildStatus {
    ChildEnd end = ChildEnd::kExited;
    int exitCode = 0;         // with kExited
    std::string description;  // with kCrashed: how the child ended
    bool killed = false;      // it had not ended by itself: FinishChild ended it
};

// Waits up to graceSeconds for the child to end by itself, then ends it and
// everything in its group, releases its handles and says how it ended.
// child is empty after it.
ChildStatus FinishChild(ChildProcess& child, double graceSeconds);

// The child's side, as it starts: makes this process end with the parent
// that started it, and opens its ends of the channel. False when that parent
// is gone already (or this process was not started by StartChild): the
// child should end at once.
bool ConnectToParent();

// Ends a child of this program once its work is reported: its output
// flushed, and no exit handler run, a loaded library's finalisers least of
// all (they are the sort's code, and nothing would report what they do;
// on Windows even _Exit runs a DLL's).
[[noreturn]] void EndChildProcess(int status);

// The child's reports, and the parent's requests read as they come (false
// when the parent has closed its end).
bool WriteToParent(const std::string& text);
bool ReadFromParent(std::string& text);

// The sort thread's stack in a measuring child: room for recursion
// millions of calls deep (and the main thread's under valgrind, which the
// counts run on).
constexpr std::size_t kSortStackBytes = (sizeof(void*) >= 8 ? 256u : 64u) << 20;

// Runs work(argument) on a thread with a stack of stackBytes and waits for
// it. When the work runs out of stack, the process ends at once in a way
// that FinishChild reports as kStackOverflow.
void RunOnLargeStack(void (*work)(void*), void* argument, std::size_t stackBytes);

// Letting go of a child ends it at once: no one is left to wait for it.
inline ChildProcess::~ChildProcess() {
    if (running()) FinishChild(*this, 0);
}

inline ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        if (running()) FinishChild(*this, 0);
        handles_ = other.Release();
    }
    return *this;
}
