// The tool's children on Linux: posix_spawn of /proc/self/exe in a process
// group of its own, its channel on descriptors of fixed numbers, reports
// read through poll, a thread stack of our own mapping whose guard area
// tells a stack overflow apart from any other fault, a child that dies with
// its parent, and the parent's handlers of interrupting signals.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/sendfile.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench/suite/child_process.h"
#include "bench/suite/interruption.h"
#include "bench/suite/owned.h"
#include "bench/suite/sandbox.h"

extern char** environ;

namespace {

// The exit status of a child that ran out of stack, as FinishChild reads it.
constexpr int kStackOverflowStatus = 253;
// Large enough that no frame of a runaway recursion steps over it.
constexpr std::size_t kGuardBytes = 1 << 20;
constexpr std::size_t kSignalStackBytes = 1 << 16;
// Tells the child which process started it.
constexpr char kParentVariable[] = "ORVANDEL_MEASURING_PARENT";
constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP};

// The child's channel, and the files held for it, on these descriptors.
constexpr int kReportDescriptor = 3;
constexpr int kRequestDescriptor = 4;
constexpr int kFirstHeldDescriptor = 5;
// What the parent hands down is first moved above every number it is
// handed down to, so that no move overwrites a descriptor still to come.
constexpr int kAboveHandedDown = 1000;

// How often a read of a child's reports looks whether the child has ended:
// a process it started may hold the pipe open long after.
constexpr int kEndCheckMilliseconds = 20;

// The children running, each leading its group, for the interruption
// handler: a cell has one for the routines and one per library.
std::atomic<pid_t> runningChildren[kMostChildren];
static_assert(std::atomic<pid_t>::is_always_lock_free, "the handler reads them");

bool Register(pid_t child) {
    for (std::atomic<pid_t>& slot : runningChildren) {
        pid_t none = 0;
        if (slot.compare_exchange_strong(none, child)) return true;
    }
    return false;
}

void Unregister(pid_t child) {
    for (std::atomic<pid_t>& slot : runningChildren) {
        pid_t known = child;
        if (slot.compare_exchange_strong(known, 0)) return;
    }
}

// Ends a child and whatever it started in its group. The group keeps the
// child's id while the child is unreaped, so it names no other process.
void KillGroup(pid_t child) {
    kill(-child, SIGKILL);
    kill(child, SIGKILL);
}

// Whether the child has ended, or stopped, without reaping it. A stopped
// child is as good as ended: no one would ever let it go on.
bool HasEnded(pid_t child) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WSTOPPED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == child;
}

// How many processes the system has ended for want of memory since it
// started, its own or a control group's limit reached; -1 when it does
// not say.
std::intptr_t MemoryKills() {
    std::ifstream counts("/proc/vmstat");
    const std::string key = "oom_kill ";
    for (std::string line; std::getline(counts, line);)
        if (line.compare(0, key.size(), key) == 0) return std::strtoll(line.c_str() + key.size(), nullptr, 10);
    return -1;
}

// The wait status of a child stopped by a signal, or 0 when it is not
// stopped.
int StoppedStatus(pid_t child) {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(child), &info, WSTOPPED | WNOHANG | WNOWAIT) != 0 || info.si_pid != child)
        return 0;
    return info.si_code == CLD_STOPPED ? W_STOPCODE(info.si_status) : 0;
}

// The guard area of the sort thread's stack, for the fault handler.
char* guardLow = nullptr;
char* guardHigh = nullptr;

void OnFault(int signal, siginfo_t* info, void*) {
    char* const address = static_cast<char*>(info->si_addr);
    if (address >= guardLow && address < guardHigh) _exit(kStackOverflowStatus);
    // Any other fault: the default action, when the faulting access repeats.
    ::signal(signal, SIG_DFL);
}

struct StackWork {
    void (*work)(void*);
    void* argument;
};

void* RunWithFaultHandler(void* raw) {
    // The handler needs a stack of its own: the thread's is exhausted.
    static char signalStack[kSignalStackBytes];
    stack_t alternate{};
    alternate.ss_sp = signalStack;
    alternate.ss_size = sizeof signalStack;
    sigaltstack(&alternate, nullptr);
    struct sigaction action {};
    action.sa_sigaction = OnFault;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGSEGV, &action, nullptr);
    sigaction(SIGBUS, &action, nullptr);
    const StackWork* work = static_cast<const StackWork*>(raw);
    work->work(work->argument);
    // Handed back before the thread ends: a sanitizer runtime would
    // otherwise release the signal stack as if it had made it.
    alternate.ss_flags = SS_DISABLE;
    sigaltstack(&alternate, nullptr);
    return nullptr;
}

// This environment, with the parent's process id for the child to check,
// and the sandbox's filter asked for when filtered.
std::vector<std::string> ChildEnvironment(bool filtered) {
    const std::string ours[] = {std::string(kParentVariable) + '=', std::string(kSandboxFilterVariable) + '='};
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::none_of(std::begin(ours), std::end(ours), [&](const std::string& name) {
                return std::strncmp(*variable, name.c_str(), name.size()) == 0;
            }))
            variables.emplace_back(*variable);
    variables.push_back(ours[0] + std::to_string(getpid()));
    if (filtered) variables.push_back(ours[1] + '1');
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

void Unlink(const char* path) {
    unlink(path);
}

// Only async-signal-safe calls. The children are reaped here so that no
// trace of them outlives the parent; then the signal's own default action
// ends the process, so the shell sees 128 + its number.
void OnInterruption(int signal) {
    for (std::atomic<pid_t>& slot : runningChildren) {
        const pid_t child = slot.exchange(0);
        if (child <= 0) continue;
        KillGroup(child);
        while (waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    ForEachWatchedFile(Unlink);
    ::signal(signal, SIG_DFL);
    raise(signal);  // delivered as the handler returns
}

}  // namespace

void InstallInterruptionHandlers() {
    for (int signal : kInterruptions) {
        struct sigaction action {};
        sigaction(signal, nullptr, &action);
        if (action.sa_handler == SIG_IGN) continue;
        action.sa_handler = OnInterruption;
        action.sa_flags = 0;
        sigemptyset(&action.sa_mask);
        for (int other : kInterruptions) sigaddset(&action.sa_mask, other);
        sigaction(signal, &action, nullptr);
    }
}

bool ConnectToParent() {
    // The kernel kills this process when its parent dies from now on; the
    // check after it finds a parent that died before.
    // In the sandbox that parent is its keeper, which dies with the tool.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (std::getenv(kParentVariable) == nullptr) return false;
    // Only the tool holds the other end of the requests: hung up, it is gone.
    pollfd requests{kRequestDescriptor, POLLIN, 0};
    if (poll(&requests, 1, 0) < 0 || (requests.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) return false;
    // Not handed on to a program a sort may start.
    return fcntl(kReportDescriptor, F_SETFD, FD_CLOEXEC) == 0 &&
           fcntl(kRequestDescriptor, F_SETFD, FD_CLOEXEC) == 0 && EnterSandbox();
}

void EndChildProcess(int status) {
    std::fflush(nullptr);
    std::_Exit(status);
}

bool WriteToParent(const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = write(kReportDescriptor, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) return false;
        done += static_cast<std::size_t>(wrote);
    }
    return true;
}

bool ReadFromParent(std::string& text) {
    char buffer[512];
    ssize_t got = 0;
    do got = read(kRequestDescriptor, buffer, sizeof buffer);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return false;
    text.append(buffer, static_cast<std::size_t>(got));
    return true;
}

namespace {

void CloseDescriptor(int descriptor) {
    close(descriptor);
}

using Descriptor = Owned<int, -1, CloseDescriptor>;

// A sealed copy in memory of the regular file open as file: whatever is
// written to the file later, even in place, no child sees it.
Result<std::intptr_t> PrivateCopy(int file, off_t size) {
    if (size > kLargestHeldFile)
        return Refusal{"has " + std::to_string(size) + " bytes, more than a library of " +
                       std::to_string(kLargestHeldFile >> 20) + " MiB"};
    Descriptor copy(memfd_create("orvandel-library", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    if (copy.get() == -1) return Refusal{std::string("cannot copy it: ") + std::strerror(errno)};
    for (off_t done = 0; done < size;) {
        const ssize_t sent = sendfile(copy.get(), file, &done, static_cast<std::size_t>(size - done));
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0) return Refusal{std::string("cannot copy it: ") + std::strerror(errno)};
        if (sent == 0) return Refusal{"it shrank while it was read"};
    }
    if (fcntl(copy.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) != 0)
        return Refusal{std::string("cannot seal its copy: ") + std::strerror(errno)};
    return std::intptr_t{copy.Release()};
}

}  // namespace

Result<std::intptr_t> HoldFile(const std::string& path) {
    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const Descriptor file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.get() < 0) return Refusal{std::strerror(errno)};
    struct stat status {};
    if (fstat(file.get(), &status) != 0) return Refusal{std::strerror(errno)};
    if (S_ISDIR(status.st_mode)) return Refusal{"is a folder, not a library"};
    if (!S_ISREG(status.st_mode)) return Refusal{"is not a regular file (a FIFO, a socket or a device), so not a library"};
    return PrivateCopy(file.get(), status.st_size);
}

void ReleaseFile(std::intptr_t held) {
    close(static_cast<int>(held));
}

std::string HeldFilePath(std::size_t k, const std::string&) {
    return "/proc/self/fd/" + std::to_string(kFirstHeldDescriptor + static_cast<int>(k));
}

namespace {

struct Pipe {
    Descriptor read, write;
};

Result<Pipe> MakePipe() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return Refusal{std::string("cannot make a pipe: ") + std::strerror(errno)};
    return Pipe{Descriptor(ends[0]), Descriptor(ends[1])};
}

// The child's descriptors: each source first above every target
// (kAboveHandedDown), then down to its number in the child.
struct HandedDown {
    std::vector<Descriptor> moved;
    std::vector<std::pair<int, int>> moves;
    // Source, above every target; -1 when it cannot be.
    int Above(int source) {
        moved.emplace_back(fcntl(source, F_DUPFD_CLOEXEC, kAboveHandedDown));
        return moved.back().get();
    }
    bool Add(int source, int target) {
        const int above = Above(source);
        if (above != -1) moves.emplace_back(above, target);
        return above != -1;
    }
};

// Why no child could be started, in the system's words for error.
Refusal CannotStart(int error) {
    return Refusal{std::string("cannot start a measuring process: ") + std::strerror(error)};
}

// This program's own file, for the sandbox to run: opened once, above
// every number a child is handed.
int ThisProgram() {
    static const int file = [] {
        Descriptor opened(open("/proc/self/exe", O_PATH | O_CLOEXEC));
        return opened.get() == -1 ? -1 : fcntl(opened.get(), F_DUPFD_CLOEXEC, kAboveHandedDown);
    }();
    return file;
}

Result<pid_t> Spawn(const char* program, char* const* argv, char* const* envp,
                    const std::vector<std::pair<int, int>>& moves) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    bool ready = true;
    for (const auto& [from, to] : moves) ready = ready && posix_spawn_file_actions_adddup2(&actions, from, to) == 0;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);  // a group of its own, ended with it
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK);
    pid_t pid = 0;
    const int failure = !ready ? errno : posix_spawn(&pid, program, &actions, &attributes, argv, envp);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failure != 0) return CannotStart(failure);
    return pid;
}

// status is the sandbox's status pipe, or -1 for a child outside it.
Result<pid_t> SpawnChild(const std::vector<std::string>& launcher, const std::vector<std::string>& arguments,
                         const std::vector<std::intptr_t>& held, int reports, int requests, int status) {
    std::vector<std::string> texts = launcher.empty() ? std::vector<std::string>{"/proc/self/exe"} : launcher;
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    const bool filtered = status != -1 && launcher.empty();
    std::vector<std::string> variables = ChildEnvironment(filtered);
    const std::vector<char*> argv = Pointers(texts);
    const std::vector<char*> envp = Pointers(variables);

    HandedDown handed;
    // A sort's printing goes where the tool's messages go; it reads nothing.
    const Descriptor nothing(open("/dev/null", O_RDONLY | O_CLOEXEC));
    bool ready = nothing.get() != -1 && handed.Add(nothing.get(), STDIN_FILENO) &&
                 handed.Add(STDERR_FILENO, STDOUT_FILENO) && handed.Add(reports, kReportDescriptor) &&
                 handed.Add(requests, kRequestDescriptor);
    for (std::size_t k = 0; k < held.size() && ready; ++k)
        ready = handed.Add(static_cast<int>(held[k]), kFirstHeldDescriptor + static_cast<int>(k));
    if (!ready) return CannotStart(errno);
    if (status == -1) return Spawn(texts[0].c_str(), argv.data(), envp.data(), handed.moves);
    SandboxedProgram program{launcher.empty() ? ThisProgram() : -1, texts[0].c_str(), argv.data(), envp.data(),
                             handed.moves};
    if (launcher.empty() && program.executable == -1)
        return CannotStart(errno);
    const int statusAbove = handed.Above(status);
    if (statusAbove == -1) return CannotStart(errno);
    return StartSandboxed(program, statusAbove);
}

}  // namespace

Result<ChildProcess> StartChild(const std::vector<std::string>& arguments, const std::vector<std::intptr_t>& held) {
    return StartChildUnder({}, arguments, held);
}

Result<ChildProcess> StartChildUnder(const std::vector<std::string>& launcher, const std::vector<std::string>& arguments,
                                     const std::vector<std::intptr_t>& held) {
    // The child's ends close as this returns: its reports end when it does.
    Result<Pipe> reports = MakePipe();
    if (!reports) return Refusal{reports.why()};
    Result<Pipe> requests = MakePipe();
    if (!requests) return Refusal{requests.why()};
    // A child handed files runs the loaded code they hold: in the sandbox,
    // whose keeper hands on the worker's status on a pipe of its own.
    Result<Pipe> status = held.empty() ? Result<Pipe>(Pipe{Descriptor(-1), Descriptor(-1)}) : MakePipe();
    if (!status) return Refusal{status.why()};
    if (status->read.get() != -1) fcntl(status->read.get(), F_SETFL, O_NONBLOCK);
    const Result<pid_t> pid =
        SpawnChild(launcher, arguments, held, reports->write.get(), requests->read.get(), status->write.get());
    if (!pid) return Refusal{pid.why()};
    // Owned from here: a refusal below ends it.
    ChildProcess child = ChildSystem::Adopt(
        {*pid, reports->read.Release(), requests->write.Release(), *pid, status->read.Release(), MemoryKills()});
    if (!Register(*pid))
        return Refusal{"cannot start a measuring process: " + std::to_string(kMostChildren) + " are running"};
    return Result<ChildProcess>(std::move(child));
}

ChildRead ReadChild(ChildProcess& child, double timeoutSeconds, std::string& text) {
    const ChildSystem::Handles& handles = ChildSystem::Of(child);
    const auto pid = static_cast<pid_t>(handles.process);
    pollfd poll_fd{static_cast<int>(handles.reports), POLLIN, 0};
    const int total = static_cast<int>(std::ceil(timeoutSeconds * 1000));
    for (int waited = 0;; waited += kEndCheckMilliseconds) {
        // Once the child has ended, what it left in the pipe is still read.
        const bool ended = HasEnded(pid);
        const int slice = ended ? 0 : std::min(kEndCheckMilliseconds, std::max(0, total - waited));
        int ready = 0;
        do ready = poll(&poll_fd, 1, slice);
        while (ready < 0 && errno == EINTR);
        if (ready > 0) break;
        if (ended) return ChildRead::kEnd;
        if (waited + slice >= total) return ChildRead::kTimeout;
    }
    char buffer[4096];
    ssize_t got = 0;
    do got = read(poll_fd.fd, buffer, sizeof buffer);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return ChildRead::kEnd;
    text.append(buffer, static_cast<std::size_t>(got));
    return ChildRead::kData;
}

bool SendChild(ChildProcess& child, const std::string& text) {
    // A child that has died closed its end: the write fails with EPIPE, and
    // the SIGPIPE it raises is taken here instead of ending the tool.
    sigset_t pipeSignal, before;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &before);
    bool sent = true;
    for (std::size_t done = 0; done < text.size() && sent;) {
        const ssize_t wrote =
            write(static_cast<int>(ChildSystem::Of(child).requests), text.data() + done, text.size() - done);
        if (wrote > 0) done += static_cast<std::size_t>(wrote);
        else sent = wrote < 0 && errno == EINTR;
    }
    if (!sent && errno == EPIPE) {
        const timespec now{};
        sigtimedwait(&pipeSignal, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    return sent;
}

ChildStatus FinishChild(ChildProcess& child, double graceSeconds) {
    const ChildSystem::Handles handles = ChildSystem::Release(child);
    const auto pid = static_cast<pid_t>(handles.process);
    Descriptor reports(static_cast<int>(handles.reports)), requests(static_cast<int>(handles.requests));
    requests.Close();  // a child waiting for requests ends
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(graceSeconds);
    bool ended = HasEnded(pid);
    for (; !ended && std::chrono::steady_clock::now() < deadline; ended = HasEnded(pid)) {
        const timespec pause{0, 1000000};
        nanosleep(&pause, nullptr);
    }
    const int stopped = StoppedStatus(pid);
    KillGroup(pid);
    reports.Close();
    Unregister(pid);  // before it is reaped: the handler must never kill a reused id
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (stopped != 0) status = stopped;  // what it did, not the kill that ended it
    // A sandbox's keeper hands on its worker's status as it ends.
    const Descriptor handedOn(static_cast<int>(handles.status));
    const bool sandboxed = handedOn.get() != -1;
    int workerStatus = 0;
    if (sandboxed && read(handedOn.get(), &workerStatus, sizeof workerStatus) == sizeof workerStatus)
        status = workerStatus;
    ChildStatus result;
    result.killed = !ended;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
        if (result.exitCode == kStackOverflowStatus) result.end = ChildEnd::kStackOverflow;
        result.description = sandboxed ? SandboxDeedText(result.exitCode) : "";
        if (!result.description.empty()) result.end = ChildEnd::kCrashed;
        return result;
    }
    result.end = ChildEnd::kCrashed;
    const bool stoppedItself = WIFSTOPPED(status);
    const int signal = stoppedItself ? WSTOPSIG(status) : WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    // A kill that was not the parent's, while the system ended a process
    // for want of memory, was that (another process's at the same moment
    // is far less likely).
    const bool outOfMemory = !stoppedItself && ended && signal == SIGKILL && handles.memoryKills >= 0 &&
                             MemoryKills() > handles.memoryKills;
    const char* how = stoppedItself ? "stopped itself with"
                      : outOfMemory ? "out of memory: the system ended it with"
                                    : "killed by";
    result.description =
        std::string(how) + " signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
    return result;
}

void RunOnLargeStack(void (*work)(void*), void* argument, std::size_t stackBytes) {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    stackBytes = (stackBytes + page - 1) / page * page;
    // Reserved, not committed: pages are backed only as the recursion
    // reaches them.
    void* mapping = mmap(nullptr, kGuardBytes + stackBytes, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapping == MAP_FAILED) {
        work(argument);  // no room for a large stack: the ordinary one
        return;
    }
    guardLow = static_cast<char*>(mapping);
    guardHigh = guardLow + kGuardBytes;
    mprotect(guardLow, kGuardBytes, PROT_NONE);

    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstack(&attributes, guardHigh, stackBytes);
    StackWork stackWork{work, argument};
    pthread_t thread;
    if (pthread_create(&thread, &attributes, RunWithFaultHandler, &stackWork) == 0)
        pthread_join(thread, nullptr);
    else
        work(argument);
    pthread_attr_destroy(&attributes);
    munmap(mapping, kGuardBytes + stackBytes);
}
