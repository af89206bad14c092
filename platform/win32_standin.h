// Stand-in for the few Win32 services the portable code relies on, for
// systems without them. Names, types and constants are the published ones;
// each service keeps only the behaviour its callers depend on.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using UINT = unsigned int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using SIZE_T = std::size_t;
using WCHAR = char16_t;
using LPCSTR = const char*;
using LPWSTR = WCHAR*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using HANDLE = void*;
using HGLOBAL = void*;
using HWND = struct StandinWindow*;

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

constexpr DWORD NORMAL_PRIORITY_CLASS = 0x00000020;
constexpr DWORD REALTIME_PRIORITY_CLASS = 0x00000100;

constexpr UINT MB_OK = 0x00000000;

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x00000080;
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// Window, dialog and control styles the dialog template holds.
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_BORDER = 0x00800000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_VSCROLL = 0x00200000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD DS_SETFONT = 0x00000040;
constexpr DWORD DS_CENTER = 0x00000800;
constexpr DWORD BS_PUSHBUTTON = 0x00000000;
constexpr DWORD ES_MULTILINE = 0x00000004;
constexpr DWORD ES_WANTRETURN = 0x00001000;
constexpr int IDCANCEL = 2;

constexpr UINT CP_ACP = 0;
constexpr DWORD MB_PRECOMPOSED = 0x00000001;

// A zero-filled block when GMEM_ZEROINIT is given; GlobalFree returns NULL on success.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
HGLOBAL GlobalFree(HGLOBAL block);

// Milliseconds from a monotonic clock, wrapping at 2^32 like the real counter.
DWORD GetTickCount();

// REALTIME_PRIORITY_CLASS lowers the nice value as far as it is allowed
// (never to a real-time scheduling policy); NORMAL_PRIORITY_CLASS undoes it.
// On Linux nice values belong to threads, so this raises the calling thread
// only, not the whole process as on Windows: the run sorts on the thread
// that raised it, so the sort still runs raised. GetPriorityClass reads the
// calling thread's nice value back: REALTIME_PRIORITY_CLASS while it is
// below the value before the raise, so a raise that was refused reads as
// NORMAL_PRIORITY_CLASS.
HANDLE GetCurrentProcess();
BOOL SetPriorityClass(HANDLE process, DWORD priorityClass);
DWORD GetPriorityClass(HANDLE process);

// Prints "caption: text" as one line on standard output and returns IDOK.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Only CREATE_ALWAYS is supported: the file is created or truncated.
HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD shareMode, void* security,
                   DWORD disposition, DWORD attributes, HANDLE templateFile);
BOOL WriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written, void* overlapped);
BOOL CloseHandle(HANDLE object);

// Unsigned decimal (or other radix) text, as the Windows C runtime provides.
char* _ultoa(unsigned long value, char* buffer, int radix);

// The ANSI code page here is ASCII-compatible: each byte becomes one unit.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int textLength,
                        LPWSTR destination, int destinationLength);

// Test seam: GlobalAlloc refuses requests larger than this many bytes,
// as the real one does when memory is short. SIZE_MAX restores the default.
void StandinLimitGlobalAlloc(SIZE_T bytes);

// Test seam: the tick count reads now at this moment and goes on from
// there, so that a raw tick can be told apart from any elapsed time.
void StandinSetTickCount(DWORD now);

// Test seam: a call of one of the services a benchmark run makes, reported
// once it has taken effect (a box while it is shown; a block just before it
// is released).
struct StandinCall {
    const char* service;  // "GlobalAlloc", "GlobalFree", "GetTickCount",
                          // "SetPriorityClass", "MessageBoxA" or "CreateFileA"
    const char* text;     // the box's text or the file's name, else null
    const char* caption;  // the box's caption, else null
    DWORD number;         // the priority class asked for, else 0
    void* block;          // the block obtained or released, else null
    DWORD tick;           // the tick count at the call; what GetTickCount returned
};

// Reports every such call to observer, until it is called with nullptr.
void StandinObserveCalls(void (*observer)(const StandinCall& call));
