// The sandbox of a child that runs loaded code (sandbox.h). Between the
// clone and the exec only system calls run: the clone of a parent with
// threads may hold locks that no thread of the copy will ever release.
#include "bench/suite/sandbox.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/sched.h>
#include <sched.h>
#include <seccomp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace {

// Debian's nobody and nogroup: a user that owns nothing of the tool's.
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
// A keeper or worker that could not set its part of the sandbox up.
constexpr int kSetUpFailedStatus = 127;

// What the filter ends a process for, each with the exit status that
// tells the parent (kFirstDeedStatus on).
enum Deed { kSignal, kProcess, kFile, kTrace, kGroup, kTerminal, kEscape };
constexpr int kFirstDeedStatus = 240;
constexpr const char* kDeedTexts[] = {
    "signal another process",
    "start a process or a program",
    "write, make or remove a file",
    "trace or read another process",
    "leave its process group",
    "type into the terminal",
    "undo the sandbox",
};

// When a call is forbidden: always, or only for some of its arguments.
enum When { kAlways, kAtAnotherProcess, kNewProcess, kOpenToWrite, kAtSigsys, kDumpable, kTyping };

struct Forbidden {
    int call;
    Deed deed;
    When when;
    unsigned argument;  // the argument that kOpenToWrite reads
};

const Forbidden kForbidden[] = {
    {SCMP_SYS(kill), kSignal, kAtAnotherProcess, 0},
    {SCMP_SYS(tgkill), kSignal, kAtAnotherProcess, 0},
    {SCMP_SYS(rt_sigqueueinfo), kSignal, kAtAnotherProcess, 0},
    {SCMP_SYS(rt_tgsigqueueinfo), kSignal, kAtAnotherProcess, 0},
    {SCMP_SYS(tkill), kSignal, kAlways, 0},
    {SCMP_SYS(pidfd_open), kSignal, kAlways, 0},
    {SCMP_SYS(pidfd_send_signal), kSignal, kAlways, 0},
    {SCMP_SYS(fork), kProcess, kAlways, 0},
    {SCMP_SYS(vfork), kProcess, kAlways, 0},
    {SCMP_SYS(clone), kProcess, kNewProcess, 0},
    {SCMP_SYS(execve), kProcess, kAlways, 0},
    {SCMP_SYS(execveat), kProcess, kAlways, 0},
    {SCMP_SYS(open), kFile, kOpenToWrite, 1},
    {SCMP_SYS(openat), kFile, kOpenToWrite, 2},
    {SCMP_SYS(creat), kFile, kAlways, 0},
    {SCMP_SYS(truncate), kFile, kAlways, 0},
    {SCMP_SYS(ftruncate), kFile, kAlways, 0},
    {SCMP_SYS(fallocate), kFile, kAlways, 0},
    {SCMP_SYS(pwrite64), kFile, kAlways, 0},
    {SCMP_SYS(pwritev), kFile, kAlways, 0},
    {SCMP_SYS(pwritev2), kFile, kAlways, 0},
    {SCMP_SYS(unlink), kFile, kAlways, 0},
    {SCMP_SYS(unlinkat), kFile, kAlways, 0},
    {SCMP_SYS(rename), kFile, kAlways, 0},
    {SCMP_SYS(renameat), kFile, kAlways, 0},
    {SCMP_SYS(renameat2), kFile, kAlways, 0},
    {SCMP_SYS(link), kFile, kAlways, 0},
    {SCMP_SYS(linkat), kFile, kAlways, 0},
    {SCMP_SYS(symlink), kFile, kAlways, 0},
    {SCMP_SYS(symlinkat), kFile, kAlways, 0},
    {SCMP_SYS(mkdir), kFile, kAlways, 0},
    {SCMP_SYS(mkdirat), kFile, kAlways, 0},
    {SCMP_SYS(rmdir), kFile, kAlways, 0},
    {SCMP_SYS(mknod), kFile, kAlways, 0},
    {SCMP_SYS(mknodat), kFile, kAlways, 0},
    {SCMP_SYS(chmod), kFile, kAlways, 0},
    {SCMP_SYS(fchmod), kFile, kAlways, 0},
    {SCMP_SYS(fchmodat), kFile, kAlways, 0},
    {SCMP_SYS(chown), kFile, kAlways, 0},
    {SCMP_SYS(fchown), kFile, kAlways, 0},
    {SCMP_SYS(lchown), kFile, kAlways, 0},
    {SCMP_SYS(fchownat), kFile, kAlways, 0},
    {SCMP_SYS(ptrace), kTrace, kAlways, 0},
    {SCMP_SYS(process_vm_readv), kTrace, kAlways, 0},
    {SCMP_SYS(process_vm_writev), kTrace, kAlways, 0},
    {SCMP_SYS(pidfd_getfd), kTrace, kAlways, 0},
    {SCMP_SYS(kcmp), kTrace, kAlways, 0},
    {SCMP_SYS(setsid), kGroup, kAlways, 0},
    {SCMP_SYS(setpgid), kGroup, kAlways, 0},
    {SCMP_SYS(ioctl), kTerminal, kTyping, 0},
    {SCMP_SYS(rt_sigaction), kEscape, kAtSigsys, 0},
    {SCMP_SYS(prctl), kEscape, kDumpable, 0},
    {SCMP_SYS(unshare), kEscape, kAlways, 0},
    {SCMP_SYS(setns), kEscape, kAlways, 0},
    {SCMP_SYS(mount), kEscape, kAlways, 0},
    {SCMP_SYS(umount2), kEscape, kAlways, 0},
    {SCMP_SYS(pivot_root), kEscape, kAlways, 0},
    {SCMP_SYS(chroot), kEscape, kAlways, 0},
    // Its rings open and write files where no filter sees the calls.
    {SCMP_SYS(io_uring_setup), kEscape, kAlways, 0},
    {SCMP_SYS(io_uring_enter), kEscape, kAlways, 0},
    {SCMP_SYS(io_uring_register), kEscape, kAlways, 0},
};

// Calls whose arguments a filter cannot read (they are pointers): refused
// as a kernel without them would, so that the C library falls back to the
// older calls the filter reads (clone for threads, openat for files).
const int kAbsent[] = {SCMP_SYS(clone3), SCMP_SYS(openat2)};

void OnForbiddenCall(int, siginfo_t* info, void*) {
    for (const Forbidden& rule : kForbidden)
        if (rule.call == info->si_syscall) _exit(kFirstDeedStatus + rule.deed);
    _exit(kFirstDeedStatus + kEscape);
}

// The rule's conditions, each added as a rule of its own: a call the
// filter traps when any of them holds.
bool AddRule(scmp_filter_ctx filter, const Forbidden& rule, pid_t self) {
    const auto add = [&](scmp_arg_cmp condition) {
        return seccomp_rule_add(filter, SCMP_ACT_TRAP, rule.call, 1, condition) == 0;
    };
    // Written out rather than through SCMP_A0 and its kin, which are C
    // compound literals.
    const auto self_id = static_cast<scmp_datum_t>(self);
    switch (rule.when) {
        case kAlways: return seccomp_rule_add(filter, SCMP_ACT_TRAP, rule.call, 0) == 0;
        case kAtAnotherProcess: return add(scmp_arg_cmp{0, SCMP_CMP_NE, self_id, 0});
        case kNewProcess: return add(scmp_arg_cmp{0, SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0});
        case kAtSigsys: return add(scmp_arg_cmp{0, SCMP_CMP_EQ, SIGSYS, 0});
        case kDumpable: return add(scmp_arg_cmp{0, SCMP_CMP_EQ, PR_SET_DUMPABLE, 0});
        case kTyping: return add(scmp_arg_cmp{1, SCMP_CMP_EQ, TIOCSTI, 0});
        case kOpenToWrite: {
            const scmp_datum_t masks[][2] = {
                {O_ACCMODE, O_WRONLY}, {O_ACCMODE, O_RDWR}, {O_CREAT, O_CREAT}, {O_TRUNC, O_TRUNC}};
            for (const auto& [mask, value] : masks)
                if (!add(scmp_arg_cmp{rule.argument, SCMP_CMP_MASKED_EQ, mask, value})) return false;
            return true;
        }
    }
    return false;
}

// The filter's owner.
struct Filter {
    scmp_filter_ctx context = seccomp_init(SCMP_ACT_ALLOW);
    ~Filter() { seccomp_release(context); }
};

bool LoadFilter() {
    Filter filter;
    if (filter.context == nullptr) return false;
    // Every thread, should a runtime have started one already.
    if (seccomp_attr_set(filter.context, SCMP_FLTATR_CTL_TSYNC, 1) != 0) return false;
    const pid_t self = getpid();
    for (const Forbidden& rule : kForbidden)
        if (!AddRule(filter.context, rule, self)) return false;
    for (const int call : kAbsent)
        if (seccomp_rule_add(filter.context, SCMP_ACT_ERRNO(ENOSYS), call, 0) != 0) return false;
    return seccomp_load(filter.context) == 0;
}

// Everything the keeper needs, made before the clone.
struct Plan {
    const SandboxedProgram* program;
    int status;       // the status pipe's write end, in the parent
    int statusMoved;  // its number in the keeper: above every moved one
    int programMoved; // the program's file in the keeper, just above it
    bool asNobody;
    bool ownUsers;    // a user namespace of its own, whose ids the keeper maps
    bool ownProc;     // process ids and mounts of its own: a /proc of its own
    char uidMap[64];
    char gidMap[64];
};

bool WriteProcFile(const char* path, const char* text) {
    const int file = open(path, O_WRONLY | O_CLOEXEC);
    if (file < 0) return false;
    const auto size = static_cast<ssize_t>(std::strlen(text));
    const bool written = write(file, text, static_cast<std::size_t>(size)) == size;
    close(file);
    return written;
}

// The tool's own user, and nothing more, inside the new user namespace.
bool MapOwnIds(const Plan& plan) {
    return WriteProcFile("/proc/self/setgroups", "deny") && WriteProcFile("/proc/self/uid_map", plan.uidMap) &&
           WriteProcFile("/proc/self/gid_map", plan.gidMap);
}

[[noreturn]] void RunWorker(const Plan& plan) {
    close(plan.statusMoved);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    // The raw calls: the C library's would first stop every thread of a
    // process that, in this copy, has only this one.
    if (plan.asNobody && (syscall(SYS_setgroups, 0, nullptr) != 0 ||
                          syscall(SYS_setresgid, kNoGroup, kNoGroup, kNoGroup) != 0 ||
                          syscall(SYS_setresuid, kNobody, kNobody, kNobody) != 0))
        _exit(kSetUpFailedStatus);
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) _exit(kSetUpFailedStatus);
    const SandboxedProgram& program = *plan.program;
    if (program.executable >= 0 && fcntl(plan.programMoved, F_SETFD, FD_CLOEXEC) == 0)
        syscall(SYS_execveat, plan.programMoved, "", program.argv, program.envp, AT_EMPTY_PATH);
    else
        execve(program.path, program.argv, program.envp);
    _exit(kSetUpFailedStatus);
}

[[noreturn]] void RunKeeper(const Plan& plan) {
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || setpgid(0, 0) != 0) _exit(kSetUpFailedStatus);
    if (plan.ownUsers && !MapOwnIds(plan)) _exit(kSetUpFailedStatus);
    // A /proc of its own shows only its own processes. Where the system
    // refuses one, the system's stays; the user and the filter still hold.
    // (Never outside namespaces of its own: these mounts would be the
    // system's.)
    if (plan.ownProc && mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0)
        mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr);
    // Neither the worker nor anything it starts may read the keeper's memory
    // or descriptors.
    prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    for (const auto& [from, to] : plan.program->moves)
        if (dup2(from, to) != to) _exit(kSetUpFailedStatus);
    if (dup2(plan.status, plan.statusMoved) != plan.statusMoved) _exit(kSetUpFailedStatus);
    if (plan.program->executable >= 0 && dup2(plan.program->executable, plan.programMoved) != plan.programMoved)
        _exit(kSetUpFailedStatus);
    // Every other descriptor of the parent's, those it would hand on to a
    // program too: its open reports, and the pipes of other children,
    // which must end when their own processes do.
    syscall(SYS_close_range, plan.programMoved + 1, ~0U, 0);
    const long worker = syscall(SYS_clone, SIGCHLD, nullptr, nullptr, nullptr, nullptr);
    if (worker < 0) _exit(kSetUpFailedStatus);
    if (worker == 0) RunWorker(plan);
    // The channel, the held files and the program are the worker's alone.
    syscall(SYS_close_range, 0, plan.statusMoved - 1, 0);
    close(plan.programMoved);
    for (;;) {
        int status = 0;
        // A worker that stops itself would wait for ever: it ends, and the
        // tool hears that it stopped.
        const pid_t ended = waitpid(-1, &status, WUNTRACED);
        if (ended == worker && WIFSTOPPED(status)) kill(worker, SIGKILL);
        if (ended == worker) {
            const bool handed = write(plan.statusMoved, &status, sizeof status) == sizeof status;
            _exit(handed ? 0 : kSetUpFailedStatus);
        }
        if (ended < 0 && errno != EINTR) _exit(kSetUpFailedStatus);
    }
}

// The namespaces the kernel gave last time, tried first: none where it
// gives none (a container that forbids them), so the filter alone holds.
int namespaceFlags = -1;

int FirstNamespaceFlags() {
    const int shared = CLONE_NEWPID | CLONE_NEWNS | CLONE_NEWIPC;
    return geteuid() == 0 ? shared : shared | CLONE_NEWUSER;
}

}  // namespace

Result<pid_t> StartSandboxed(const SandboxedProgram& program, int status) {
    Plan plan{&program, status, 0, 0, geteuid() == 0 && program.executable >= 0, false, false, {}, {}};
    for (const auto& move : program.moves) plan.statusMoved = std::max(plan.statusMoved, move.second + 1);
    plan.programMoved = plan.statusMoved + 1;
    std::snprintf(plan.uidMap, sizeof plan.uidMap, "%u %u 1\n", geteuid(), geteuid());
    std::snprintf(plan.gidMap, sizeof plan.gidMap, "%u %u 1\n", getegid(), getegid());
    if (namespaceFlags < 0) namespaceFlags = FirstNamespaceFlags();
    for (;;) {
        plan.ownUsers = (namespaceFlags & CLONE_NEWUSER) != 0;
        plan.ownProc = (namespaceFlags & (CLONE_NEWPID | CLONE_NEWNS)) == (CLONE_NEWPID | CLONE_NEWNS);
        const long keeper = syscall(SYS_clone, namespaceFlags | SIGCHLD, nullptr, nullptr, nullptr, nullptr);
        if (keeper == 0) RunKeeper(plan);
        if (keeper > 0) return static_cast<pid_t>(keeper);
        const bool refusedNamespaces = namespaceFlags != 0 && (errno == EPERM || errno == EINVAL || errno == ENOSPC ||
                                                               errno == EUSERS || errno == ENOSYS);
        if (!refusedNamespaces)
            return Refusal{std::string("cannot start a measuring process: ") + std::strerror(errno)};
        namespaceFlags = 0;
    }
}

bool EnterSandbox() {
    if (std::getenv(kSandboxFilterVariable) == nullptr) return true;
    struct sigaction action {};
    action.sa_sigaction = OnForbiddenCall;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    return sigaction(SIGSYS, &action, nullptr) == 0 && prctl(PR_SET_DUMPABLE, 0, 0, 0, 0) == 0 && LoadFilter();
}

std::string SandboxDeedText(int exitCode) {
    const int deed = exitCode - kFirstDeedStatus;
    if (deed < 0 || deed >= static_cast<int>(std::size(kDeedTexts))) return "";
    return std::string("the sandbox ended it: it tried to ") + kDeedTexts[deed];
}
