// The tool's children on Windows: CreateProcess of this program's own file
// with inherited pipes for its channel (their handles in its environment),
// reports polled against a deadline, a thread with a large reserved stack,
// a job object per child that ends it and all it started with the cell or
// with its parent, and the parent's console control handler.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "bench/suite/child_process.h"
#include "bench/suite/interruption.h"
#include "bench/suite/owned.h"

namespace {

constexpr DWORD kPollMilliseconds = 5;
// The statuses a shell gives for the signals the C runtime names for these
// events: 128 + SIGINT, + SIGBREAK, + SIGTERM.
constexpr UINT kCtrlCStatus = 130;
constexpr UINT kCtrlBreakStatus = 149;
constexpr UINT kClosedStatus = 143;

// The handles of the child's channel, in its environment.
constexpr char kChannelVariable[] = "ORVANDEL_CHILD_CHANNEL";

// The child's ends of its channel, once connected.
HANDLE parentReports = nullptr;
HANDLE parentRequests = nullptr;

// A job for one child: the system kills what is in it when its last handle
// closes, which is when the cell ends with it, or this process, however it
// ends.
HANDLE ChildJob(bool loaded) {
    const HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    // A child that runs loaded code starts no process of its own.
    if (loaded) {
        limits.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_ACTIVE_PROCESS;
        limits.BasicLimitInformation.ActiveProcessLimit = 1;
    }
    if (job != nullptr) SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return job;
}

// The jobs of the children running, for the console handler.
std::atomic<HANDLE> runningJobs[kMostChildren];

bool Register(HANDLE job) {
    for (std::atomic<HANDLE>& slot : runningJobs) {
        HANDLE none = nullptr;
        if (slot.compare_exchange_strong(none, job)) return true;
    }
    return false;
}

void Unregister(HANDLE job) {
    for (std::atomic<HANDLE>& slot : runningJobs) {
        HANDLE known = job;
        if (slot.compare_exchange_strong(known, nullptr)) return;
    }
}

void DeleteNow(const char* path) {
    DeleteFileA(path);
}

// Runs on a thread of its own while the main thread goes on: ends the child
// and this process at once, without the runtime's clean-up, which could
// wait for a lock the main thread holds.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    for (std::atomic<HANDLE>& slot : runningJobs)
        if (const HANDLE job = slot.load()) TerminateJobObject(job, kCtrlCStatus);
    ForEachWatchedFile(DeleteNow);
    const UINT status = event == CTRL_C_EVENT       ? kCtrlCStatus
                        : event == CTRL_BREAK_EVENT ? kCtrlBreakStatus
                                                    : kClosedStatus;
    TerminateProcess(GetCurrentProcess(), status);
    return TRUE;
}

std::string SystemMessage(const char* what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
}

HANDLE AsHandle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

std::intptr_t AsValue(HANDLE handle) {
    return reinterpret_cast<std::intptr_t>(handle);
}

void CloseOwned(HANDLE handle) {
    CloseHandle(handle);
}

// Pipes', processes', threads' and jobs' handles, null when none.
using OwnedHandle = Owned<HANDLE, nullptr, CloseOwned>;

struct Pipe {
    OwnedHandle read, write;
};

// Both ends inheritable; the caller takes back the parent's.
Result<Pipe> MakePipe() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherit, 0)) return Refusal{SystemMessage("cannot make a pipe")};
    return Pipe{OwnedHandle(read), OwnedHandle(write)};
}

// One argument quoted so that the child's runtime splits it back unchanged:
// backslashes double only before a quote, and quotes are escaped.
std::string Quoted(const std::string& argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    return quoted + '"';
}

// A stack overflow, or a fault no sort recovers from (a loaded sort that
// writes through a bad pointer), is ended here with its code, before the
// system's last-chance handling could open a report window, or Wine its
// debugger, and wait for a person.
LONG CALLBACK OnFatalException(EXCEPTION_POINTERS* exception) {
    const DWORD code = exception->ExceptionRecord->ExceptionCode;
    switch (code) {
        case EXCEPTION_STACK_OVERFLOW:
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION:
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
            TerminateProcess(GetCurrentProcess(), code);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

struct StackWork {
    void (*work)(void*);
    void* argument;
};

DWORD WINAPI RunStackWork(void* raw) {
    const StackWork* work = static_cast<const StackWork*>(raw);
    work->work(work->argument);
    return 0;
}

}  // namespace

void InstallInterruptionHandlers() {
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

Result<std::intptr_t> HoldFile(const std::string& path) {
    // Others may read it, as the children's loads do; no one may write,
    // rename or delete it while it is held.
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Refusal{SystemMessage("cannot open it")};
    return AsValue(file);
}

void ReleaseFile(std::intptr_t held) {
    CloseHandle(AsHandle(held));
}

std::string HeldFilePath(std::size_t, const std::string& path) {
    return path;
}

Result<ChildProcess> StartChildUnder(const std::vector<std::string>& launcher, const std::vector<std::string>& arguments,
                                     const std::vector<std::intptr_t>& held) {
    if (!launcher.empty()) return Refusal{"cannot run a measuring process under another program on Windows"};
    return StartChild(arguments, held);
}

namespace {

// The job the child is put in, or -1 when none could be made, given it or
// registered: the child then runs in none.
std::intptr_t JoinJob(HANDLE process, bool loaded) {
    OwnedHandle job(ChildJob(loaded));
    if (job.get() == nullptr || !AssignProcessToJobObject(job.get(), process) || !Register(job.get())) return -1;
    return AsValue(job.Release());
}

}  // namespace

Result<ChildProcess> StartChild(const std::vector<std::string>& arguments, const std::vector<std::intptr_t>& held) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return Refusal{SystemMessage("cannot find this program's file")};
    // Only the child's ends are inherited; they close as this returns.
    Result<Pipe> reports = MakePipe();
    if (!reports) return Refusal{reports.why()};
    Result<Pipe> requests = MakePipe();
    if (!requests) return Refusal{requests.why()};
    SetHandleInformation(reports->read.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(requests->write.get(), HANDLE_FLAG_INHERIT, 0);
    const std::string channel = std::to_string(reinterpret_cast<std::uintptr_t>(reports->write.get())) + ' ' +
                                std::to_string(reinterpret_cast<std::uintptr_t>(requests->read.get()));
    SetEnvironmentVariableA(kChannelVariable, channel.c_str());

    std::string commandLine = Quoted(self);
    for (const std::string& argument : arguments) commandLine += ' ' + Quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    // A sort's printing goes where the tool's messages go.
    startup.hStdOutput = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    // Suspended until it is in its job, so that it never runs untied.
    const BOOL started = CreateProcessA(self, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                        nullptr, nullptr, &startup, &process);
    const std::string failure = started ? "" : SystemMessage("cannot start a measuring process");
    SetEnvironmentVariableA(kChannelVariable, nullptr);
    if (!started) return Refusal{failure};
    const OwnedHandle thread(process.hThread);
    ChildProcess child = ChildSystem::Adopt({AsValue(process.hProcess), AsValue(reports->read.Release()),
                                             AsValue(requests->write.Release()), JoinJob(process.hProcess, !held.empty())});
    ResumeThread(thread.get());
    return Result<ChildProcess>(std::move(child));
}

ChildRead ReadChild(ChildProcess& child, double timeoutSeconds, std::string& text) {
    const HANDLE process = AsHandle(ChildSystem::Of(child).process);
    const HANDLE reports = AsHandle(ChildSystem::Of(child).reports);
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    for (;;) {
        // Looked at first: what it wrote before it ended is still read.
        const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        DWORD available = 0;
        if (!PeekNamedPipe(reports, nullptr, 0, nullptr, &available, nullptr))
            return ChildRead::kEnd;  // every writer closed its end
        if (available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(reports, buffer, sizeof buffer, &got, nullptr) || got == 0)
                return ChildRead::kEnd;
            text.append(buffer, got);
            return ChildRead::kData;
        }
        // A process it started may hold the pipe open.
        if (ended) return ChildRead::kEnd;
        if (Clock::now() >= deadline) return ChildRead::kTimeout;
        // Wakes early when the child ends, so its last words are read at once.
        WaitForSingleObject(process, kPollMilliseconds);
    }
}

bool SendChild(ChildProcess& child, const std::string& text) {
    DWORD wrote = 0;
    const HANDLE requests = AsHandle(ChildSystem::Of(child).requests);
    return WriteFile(requests, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr) &&
           wrote == text.size();
}

ChildStatus FinishChild(ChildProcess& child, double graceSeconds) {
    const ChildSystem::Handles handles = ChildSystem::Release(child);
    const OwnedHandle process(AsHandle(handles.process));
    OwnedHandle reports(AsHandle(handles.reports)), requests(AsHandle(handles.requests));
    OwnedHandle job(handles.group == -1 ? nullptr : AsHandle(handles.group));
    requests.Close();  // a child waiting for requests ends
    const bool ended =
        WaitForSingleObject(process.get(), static_cast<DWORD>(std::ceil(graceSeconds * 1000))) == WAIT_OBJECT_0;
    // Everything in its job ends with it, whatever it started.
    if (job.get() != nullptr) {
        TerminateJobObject(job.get(), 1);
        Unregister(job.get());
        job.Close();
    }
    if (!ended) TerminateProcess(process.get(), 1);
    reports.Close();
    WaitForSingleObject(process.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    ChildStatus status;
    status.killed = !ended;
    if (code == EXCEPTION_STACK_OVERFLOW) {
        status.end = ChildEnd::kStackOverflow;
    } else if (code >= 0xC0000000) {  // an exception's code, not a program's exit status
        status.end = ChildEnd::kCrashed;
        char text[32];
        wsprintfA(text, "0x%08lX", static_cast<unsigned long>(code));
        status.description = std::string("ended by exception ") + text;
    } else {
        status.exitCode = static_cast<int>(code);
    }
    return status;
}

bool ConnectToParent() {
    // The parent's job ends this process with it.
    char channel[64];
    const DWORD length = GetEnvironmentVariableA(kChannelVariable, channel, sizeof channel);
    if (length == 0 || length >= sizeof channel) return false;
    SetEnvironmentVariableA(kChannelVariable, nullptr);  // not a program's a sort may start
    unsigned long long reports = 0, requests = 0;
    if (std::sscanf(channel, "%llu %llu", &reports, &requests) != 2) return false;
    parentReports = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(reports));
    parentRequests = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(requests));
    SetHandleInformation(parentReports, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(parentRequests, HANDLE_FLAG_INHERIT, 0);
    return true;
}

void EndChildProcess(int status) {
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    std::_Exit(status);  // not reached: the call above ends this process
}

bool WriteToParent(const std::string& text) {
    DWORD wrote = 0;
    return WriteFile(parentReports, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr) &&
           wrote == text.size();
}

bool ReadFromParent(std::string& text) {
    char buffer[512];
    DWORD got = 0;
    if (!ReadFile(parentRequests, buffer, sizeof buffer, &got, nullptr) || got == 0) return false;
    text.append(buffer, got);
    return true;
}

void RunOnLargeStack(void (*work)(void*), void* argument, std::size_t stackBytes) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    AddVectoredExceptionHandler(1, OnFatalException);
    StackWork stackWork{work, argument};
    // Reserved, not committed: pages are committed as the recursion reaches them.
    const HANDLE thread = CreateThread(nullptr, stackBytes, RunStackWork, &stackWork,
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (thread == nullptr) {
        work(argument);
        return;
    }
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}
