// The guarded child on Linux: posix_spawn of /proc/self/exe, a pipe read
// through poll, a thread stack of our own mapping whose guard area tells a
// stack overflow apart from any other fault, a child that dies with its
// parent, and the parent's handlers of interrupting signals.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "bench/suite/child_process.h"
#include "bench/suite/interruption.h"

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

// The child being followed, for the interruption handler; 0 when none.
std::atomic<pid_t> runningChild{0};
static_assert(std::atomic<pid_t>::is_always_lock_free, "the handler reads it");

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

// This environment, with the parent's process id for the child to check.
std::vector<std::string> ChildEnvironment() {
    const std::string name = std::string(kParentVariable) + '=';
    std::vector<std::string> variables;
    for (char** variable = environ; *variable != nullptr; ++variable)
        if (std::strncmp(*variable, name.c_str(), name.size()) != 0) variables.emplace_back(*variable);
    variables.push_back(name + std::to_string(getpid()));
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

// Only async-signal-safe calls. The child is reaped here so that no trace
// of it outlives the parent; then the signal's own default action ends the
// process, so the shell sees 128 + its number.
void OnInterruption(int signal) {
    const pid_t child = runningChild.exchange(0);
    if (child > 0) {
        kill(child, SIGKILL);
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

bool StaysWithParent() {
    // The kernel kills this process when its parent dies from now on; the
    // check after it finds a parent that died before.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const char* parent = std::getenv(kParentVariable);
    return parent != nullptr && std::to_string(getppid()) == parent;
}

bool StartChild(const std::vector<std::string>& arguments, ChildProcess& child, std::string& error) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    const char* const self = "/proc/self/exe";
    std::vector<std::string> texts = {self};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<std::string> variables = ChildEnvironment();
    const std::vector<char*> argv = Pointers(texts);
    const std::vector<char*> envp = Pointers(variables);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    pid_t pid = 0;
    const int failure = posix_spawn(&pid, self, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (failure != 0) {
        close(pipeEnds[0]);
        error = std::string("cannot start a measuring process: ") + std::strerror(failure);
        return false;
    }
    child.process = pid;
    child.output = pipeEnds[0];
    runningChild.store(pid);
    return true;
}

ChildRead ReadChild(ChildProcess& child, double timeoutSeconds, std::string& text) {
    pollfd poll_fd{static_cast<int>(child.output), POLLIN, 0};
    const int timeout = static_cast<int>(std::ceil(timeoutSeconds * 1000));
    int ready = 0;
    do ready = poll(&poll_fd, 1, timeout);
    while (ready < 0 && errno == EINTR);
    if (ready == 0) return ChildRead::kTimeout;
    char buffer[4096];
    ssize_t got = 0;
    do got = read(static_cast<int>(child.output), buffer, sizeof buffer);
    while (got < 0 && errno == EINTR);
    if (got <= 0) return ChildRead::kEnd;
    text.append(buffer, static_cast<std::size_t>(got));
    return ChildRead::kData;
}

ChildStatus FinishChild(ChildProcess& child, bool kill) {
    const auto pid = static_cast<pid_t>(child.process);
    if (kill) ::kill(pid, SIGKILL);
    close(static_cast<int>(child.output));
    runningChild.store(0);  // before it is reaped: the handler must never kill a reused id
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    child = ChildProcess{};
    ChildStatus result;
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
        if (result.exitCode == kStackOverflowStatus) result.end = ChildEnd::kStackOverflow;
        return result;
    }
    result.end = ChildEnd::kCrashed;
    const int signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.description = "killed by signal " + std::to_string(signal) + " (" + strsignal(signal) + ")";
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
