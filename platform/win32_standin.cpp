#include "platform/win32_standin.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

SIZE_T allocationLimit = SIZE_MAX;
DWORD tickOffset = 0;
void (*callObserver)(const StandinCall&) = nullptr;

// Nice value to return to when the raised priority is undone.
int niceBeforeRaise = 0;
bool raised = false;

// The lowest nice value this process may take: -20 with privilege,
// otherwise what RLIMIT_NICE grants (20 - limit).
int LowestAllowedNice() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -20;
    return 20 - static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 40));
}

bool SetNice(int value) {
    return setpriority(PRIO_PROCESS, 0, value) == 0;
}

int CurrentNice() {
    errno = 0;
    const int value = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? value : 0;
}

void RaisePriority() {
    if (!raised) niceBeforeRaise = CurrentNice();
    raised = true;
    if (!SetNice(-20)) SetNice(std::min(LowestAllowedNice(), niceBeforeRaise));
}

void RestorePriority() {
    if (raised) SetNice(niceBeforeRaise);
    raised = false;
}

// Milliseconds of the monotonic clock, moved by the test seam's offset.
DWORD TickNow() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms) + tickOffset;
}

void Report(const char* service, const char* text, const char* caption, DWORD number,
            void* block, DWORD tick = TickNow()) {
    if (callObserver != nullptr) callObserver({service, text, caption, number, block, tick});
}

int DescriptorOf(HANDLE file) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(file)) - 1;
}

HANDLE HandleOf(int descriptor) {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(descriptor) + 1);
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    void* block = nullptr;
    if (bytes <= allocationLimit)
        block = (flags & GMEM_ZEROINIT) ? std::calloc(1, bytes) : std::malloc(bytes);
    Report("GlobalAlloc", nullptr, nullptr, 0, block);
    return block;
}

HGLOBAL GlobalFree(HGLOBAL block) {
    Report("GlobalFree", nullptr, nullptr, 0, block);
    std::free(block);
    return nullptr;
}

void StandinLimitGlobalAlloc(SIZE_T bytes) {
    allocationLimit = bytes;
}

DWORD GetTickCount() {
    const DWORD tick = TickNow();
    Report("GetTickCount", nullptr, nullptr, 0, nullptr, tick);
    return tick;
}

void StandinSetTickCount(DWORD now) {
    tickOffset = 0;
    tickOffset = now - TickNow();
}

void StandinObserveCalls(void (*observer)(const StandinCall& call)) {
    callObserver = observer;
}

HANDLE GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(~std::uintptr_t{0});
}

BOOL SetPriorityClass(HANDLE, DWORD priorityClass) {
    if (priorityClass == REALTIME_PRIORITY_CLASS)
        RaisePriority();
    else if (priorityClass == NORMAL_PRIORITY_CLASS)
        RestorePriority();
    else
        return FALSE;
    Report("SetPriorityClass", nullptr, nullptr, priorityClass, nullptr);
    return TRUE;
}

DWORD GetPriorityClass(HANDLE) {
    return raised && CurrentNice() < niceBeforeRaise ? REALTIME_PRIORITY_CLASS
                                                      : NORMAL_PRIORITY_CLASS;
}

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    std::printf("%s: %s\n", caption ? caption : "Error", text ? text : "");
    std::fflush(stdout);
    Report("MessageBoxA", text, caption, 0, nullptr);
    return 1;  // IDOK
}

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD, void*, DWORD disposition, DWORD,
                   HANDLE) {
    if (disposition != CREATE_ALWAYS) return INVALID_HANDLE_VALUE;
    const bool reads = (access & GENERIC_READ) != 0;
    const bool writes = (access & GENERIC_WRITE) != 0;
    if (!writes) return INVALID_HANDLE_VALUE;
    const int mode = reads ? O_RDWR : O_WRONLY;
    const int descriptor = open(name, mode | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    Report("CreateFileA", name, nullptr, 0, nullptr);
    return descriptor < 0 ? INVALID_HANDLE_VALUE : HandleOf(descriptor);
}

BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, void*) {
    if (written) *written = 0;
    const auto* next = static_cast<const char*>(bytes);
    DWORD done = 0;
    while (done < count) {
        const ssize_t n = write(DescriptorOf(file), next + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<DWORD>(n);
    }
    if (written) *written = done;
    return done == count ? TRUE : FALSE;
}

BOOL CloseHandle(HANDLE object) {
    return close(DescriptorOf(object)) == 0 ? TRUE : FALSE;
}

char* _ultoa(unsigned long value, char* buffer, int radix) {
    if (radix < 2 || radix > 36) {
        buffer[0] = '\0';
        return buffer;
    }
    char digits[sizeof(unsigned long) * 8 + 1];
    int length = 0;
    do {
        const auto digit = static_cast<int>(value % static_cast<unsigned>(radix));
        digits[length++] = static_cast<char>(digit < 10 ? '0' + digit : 'a' + digit - 10);
        value /= static_cast<unsigned>(radix);
    } while (value != 0);
    for (int k = 0; k < length; ++k) buffer[k] = digits[length - 1 - k];
    buffer[length] = '\0';
    return buffer;
}

int MultiByteToWideChar(UINT, DWORD, LPCSTR text, int textLength, LPWSTR destination,
                        int destinationLength) {
    int length = textLength;
    if (length < 0) {
        length = 0;
        while (text[length] != '\0') ++length;
        ++length;  // the terminating NUL is converted too
    }
    if (destinationLength == 0) return length;
    if (length > destinationLength) return 0;
    for (int k = 0; k < length; ++k)
        destination[k] = static_cast<WCHAR>(static_cast<unsigned char>(text[k]));
    return length;
}
