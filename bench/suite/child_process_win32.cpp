// The guarded child on Windows: CreateProcess of this program's own file
// with an inherited pipe for its standard output, the pipe polled against
// a deadline, a thread with a large reserved stack, a job object that ends
// the child with its parent, and the parent's console control handler.
#include <windows.h>

#include <chrono>

#include "bench/suite/child_process.h"
#include "bench/suite/interruption.h"

namespace {

constexpr DWORD kPollMilliseconds = 5;
// The statuses a shell gives for the signals the C runtime names for these
// events: 128 + SIGINT, + SIGBREAK, + SIGTERM.
constexpr UINT kCtrlCStatus = 130;
constexpr UINT kCtrlBreakStatus = 149;
constexpr UINT kClosedStatus = 143;

// Every child is put in this job; the system kills what is in it when its
// last handle closes, which is when this process ends, however it ends.
HANDLE ChildJob() {
    static const HANDLE job = [] {
        const HANDLE made = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (made != nullptr)
            SetInformationJobObject(made, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return made;
    }();
    return job;
}

void DeleteNow(const char* path) {
    DeleteFileA(path);
}

// Runs on a thread of its own while the main thread goes on: ends the child
// and this process at once, without the runtime's clean-up, which could
// wait for a lock the main thread holds.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (ChildJob() != nullptr) TerminateJobObject(ChildJob(), kCtrlCStatus);
    ForEachWatchedFile(DeleteNow);
    const UINT status = event == CTRL_C_EVENT       ? kCtrlCStatus
                        : event == CTRL_BREAK_EVENT ? kCtrlBreakStatus
                                                    : kClosedStatus;
    TerminateProcess(GetCurrentProcess(), status);
    return TRUE;
}

HANDLE AsHandle(std::intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
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

std::string SystemMessage(const char* what) {
    return std::string(what) + " (error " + std::to_string(GetLastError()) + ")";
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
    ChildJob();  // made now, not first inside the handler
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StaysWithParent() {
    return true;  // the parent's job ends this process with it
}

bool StartChild(const std::vector<std::string>& arguments, ChildProcess& child, std::string& error) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, MAX_PATH);
    if (length == 0 || length == MAX_PATH) {
        error = SystemMessage("cannot find this program's file");
        return false;
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) {
        error = SystemMessage("cannot make a pipe");
        return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    std::string commandLine = Quoted(self);
    for (const std::string& argument : arguments) commandLine += ' ' + Quoted(argument);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    // Suspended until it is in the job, so that it never runs untied.
    const BOOL started = CreateProcessA(self, commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    if (!started) {
        error = SystemMessage("cannot start a measuring process");
        CloseHandle(readEnd);
        return false;
    }
    if (ChildJob() != nullptr) AssignProcessToJobObject(ChildJob(), process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    child.process = reinterpret_cast<std::intptr_t>(process.hProcess);
    child.output = reinterpret_cast<std::intptr_t>(readEnd);
    return true;
}

ChildRead ReadChild(ChildProcess& child, double timeoutSeconds, std::string& text) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    for (;;) {
        DWORD available = 0;
        if (!PeekNamedPipe(AsHandle(child.output), nullptr, 0, nullptr, &available, nullptr))
            return ChildRead::kEnd;  // the child closed its end
        if (available > 0) {
            char buffer[4096];
            DWORD got = 0;
            if (!ReadFile(AsHandle(child.output), buffer, sizeof buffer, &got, nullptr) || got == 0)
                return ChildRead::kEnd;
            text.append(buffer, got);
            return ChildRead::kData;
        }
        if (Clock::now() >= deadline) return ChildRead::kTimeout;
        // Wakes early when the child ends, so its last words are read at once.
        WaitForSingleObject(AsHandle(child.process), kPollMilliseconds);
    }
}

ChildStatus FinishChild(ChildProcess& child, bool kill) {
    const HANDLE process = AsHandle(child.process);
    if (kill) TerminateProcess(process, 1);
    CloseHandle(AsHandle(child.output));
    WaitForSingleObject(process, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    child = ChildProcess{};
    ChildStatus status;
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
