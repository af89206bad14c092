// Drives orvandel.exe from outside, through the window manager only, as a
// person or an accessibility tool would: finds its window, reads its
// controls, presses its buttons and reads the boxes it shows.
//
//   window_driver SCENARIO PATH-TO-orvandel.exe
//
// Each scenario starts the program afresh. The exit code is 0 when every
// check held; each failed check is printed. A watcher thread reads and
// dismisses every box the program shows, so a press never blocks for good.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "tests/support/box_watch_win32.h"

namespace {

constexpr int kResetId = 106;
constexpr int kStatusBarId = 110;
constexpr int kTextBoxId = 111;
constexpr int kStatusParts = 5;
constexpr char kResultFile[] = "result.txt";

int failures = 0;

void Check(bool holds, const std::string& what) {
    if (holds) return;
    ++failures;
    std::printf("FAILED: %s\n", what.c_str());
}

void CheckEqual(long long actual, long long expected, const std::string& what) {
    Check(actual == expected,
          what + ": " + std::to_string(actual) + ", expected " + std::to_string(expected));
}

void CheckText(const std::string& actual, const std::string& expected, const std::string& what) {
    Check(actual == expected, what + ": \"" + actual + "\", expected \"" + expected + "\"");
}

std::string Hex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(value));
    return text;
}

std::string WindowText(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Through WM_GETTEXT: for another process's window GetWindowTextA reads
// only the window manager's copy, which an edit control does not keep.
std::string ControlText(HWND control) {
    char text[256] = "";
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

std::string ClassName(HWND window) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

DWORD Style(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}

bool FileExists(const char* name) {
    return GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES;
}

// ---- The program under test ------------------------------------------------

struct Program {
    PROCESS_INFORMATION process;
    HWND dialog;
    BoxWatch boxes;
};

struct WindowSearch {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.process || !IsWindowVisible(window) || WindowText(window) != "Orvandel")
        return TRUE;
    search.found = window;
    return FALSE;
}

DWORD WaitForExit(Program& program) {
    WaitForSingleObject(program.process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(program.process.hProcess, &code);
    StopBoxWatch(program.boxes);
    return code;
}

// Starts the program and waits for its visible window captioned
// "Orvandel"; then watches for its boxes. The program is ended with the
// driver, should the driver be stopped before it.
bool Start(const char* path, Program& program) {
    const HANDLE job = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(path, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &program.process)) {
        std::printf("FAILED: cannot start %s (error %lu)\n", path, GetLastError());
        return false;
    }
    AssignProcessToJobObject(job, program.process.hProcess);
    ResumeThread(program.process.hThread);
    WindowSearch search{program.process.dwProcessId, nullptr};
    while (search.found == nullptr) {
        if (WaitForSingleObject(program.process.hProcess, 10) == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(program.process.hProcess, &code);
            std::printf("FAILED: the program exited with %lu without showing its window\n", code);
            return false;
        }
        EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
    }
    program.dialog = search.found;
    StartBoxWatch(program.boxes, program.process.dwProcessId, program.dialog);
    return true;
}

bool IsRunning(const Program& program) {
    return WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT &&
           IsWindowVisible(program.dialog);
}

// Ends the program the way the scenario chose; it must exit with 0.
bool ExpectExitWithZero(Program& program, const std::string& how) {
    CheckEqual(WaitForExit(program), 0, "exit code after " + how);
    return failures == 0;
}

bool Finish(Program& program) {
    PostMessageA(program.dialog, WM_CLOSE, 0, 0);
    return ExpectExitWithZero(program, "the close request");
}

void CheckNoBoxes(Program& program, const std::string& after) {
    for (const ShownBox& box : TakeBoxes(program.boxes))
        Check(false, after + " showed a box \"" + box.caption + "\": \"" + box.text + "\"");
}

HWND Control(const Program& program, int id) {
    return GetDlgItem(program.dialog, id);
}

// Status bar messages carry pointers, which are not carried across
// processes: their data lives in memory allocated inside the program.
void* RemoteAlloc(const Program& program, SIZE_T bytes) {
    return VirtualAllocEx(program.process.hProcess, nullptr, bytes, MEM_COMMIT | MEM_RESERVE,
                          PAGE_READWRITE);
}

void RemoteFree(const Program& program, void* memory) {
    VirtualFreeEx(program.process.hProcess, memory, 0, MEM_RELEASE);
}

std::string StatusText(const Program& program, int part) {
    char text[256] = "";
    void* remote = RemoteAlloc(program, sizeof text);
    SendMessageA(Control(program, kStatusBarId), SB_GETTEXTA, part,
                 reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(program.process.hProcess, remote, text, sizeof text - 1, nullptr);
    RemoteFree(program, remote);
    return text;
}

void SetStatusText(const Program& program, int part, const std::string& text) {
    void* remote = RemoteAlloc(program, text.size() + 1);
    WriteProcessMemory(program.process.hProcess, remote, text.c_str(), text.size() + 1, nullptr);
    SendMessageA(Control(program, kStatusBarId), SB_SETTEXTA, part,
                 reinterpret_cast<LPARAM>(remote));
    RemoteFree(program, remote);
}

// Types text into a control key by key. Each character is handled, with the
// notifications it causes, before the next is sent.
void Type(HWND control, const char* text) {
    for (; *text != '\0'; ++text) SendMessageA(control, WM_CHAR, static_cast<unsigned char>(*text), 0);
}

// ---- Layout ----------------------------------------------------------------

// The controls as the template lays them out, in tab order; positions in
// dialog units. The status bar places itself and is checked apart.
struct ExpectedControl {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    RECT units;  // x, y, width, height
};

const ExpectedControl Controls[] = {
    {101, "Button", "Qsort C", 0x50010000, {5, 5, 50, 13}},
    {102, "Button", "Qsort asm", 0x50010000, {5, 20, 50, 13}},
    {103, "Button", "SB sort C", 0x50010000, {5, 35, 50, 13}},
    {104, "Button", "SB sort asm", 0x50010000, {5, 50, 50, 13}},
    {105, "Button", "Optimise Me", 0x50010000, {5, 65, 50, 13}},
    {kResetId, "Button", "Reset", 0x50010000, {60, 65, 50, 13}},
    {IDCANCEL, "Button", "Close", 0x50010000, {192, 65, 50, 13}},
    {kStatusBarId, "msctls_statusbar32", "", 0x50000000, {}},
    {kTextBoxId, "Edit", "", 0x50A11004, {60, 5, 182, 58}},
};

// The edit control draws its border itself and may take WS_BORDER out of
// its style, as Wine's does; every other bit must be as the template says.
DWORD ComparableStyle(int id, DWORD style) {
    return id == kTextBoxId ? style & ~WS_BORDER : style;
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// MapDialogRect reads the base units of a dialog of the calling process
// only: this dialog of ours has the program's font, 10 point "MS Sans
// Serif", and so its units.
struct FontOnlyTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass, title, pointSize;
    WCHAR typeface[14];
};

RECT MapUnits(RECT units) {
    alignas(4) const FontOnlyTemplate layout{
        {WS_POPUP | DS_SETFONT, 0, 0, 0, 0, 10, 10}, 0, 0, 0, 10, L"MS Sans Serif"};
    const HWND reference = CreateDialogIndirectParamA(GetModuleHandleA(nullptr), &layout.header,
                                                      nullptr, IgnoreMessages, 0);
    MapDialogRect(reference, &units);
    DestroyWindow(reference);
    return units;
}

// The dialog manager maps a control's position and its size each on its own.
RECT PixelRect(const RECT& units) {
    const RECT pixels = MapUnits(units);
    return {pixels.left, pixels.top, pixels.left + pixels.right, pixels.top + pixels.bottom};
}

// A window's rectangle in the dialog's client coordinates.
RECT ClientRectOf(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CheckRect(const RECT& actual, const RECT& expected, const std::string& what) {
    CheckEqual(actual.left, expected.left, what + " left");
    CheckEqual(actual.top, expected.top, what + " top");
    CheckEqual(actual.right, expected.right, what + " right");
    CheckEqual(actual.bottom, expected.bottom, what + " bottom");
}

void CheckControls(const Program& program) {
    HWND next = GetWindow(program.dialog, GW_CHILD);
    for (const ExpectedControl& want : Controls) {
        const std::string what = "control " + std::to_string(want.id);
        const HWND control = Control(program, want.id);
        Check(control != nullptr, what + " exists");
        if (control == nullptr) continue;
        Check(control == next, what + " is next in tab order");
        next = GetWindow(control, GW_HWNDNEXT);
        CheckEqual(GetWindowLongA(control, GWL_ID), want.id, what + " identifier");
        CheckText(ClassName(control), want.className, what + " class");
        CheckText(WindowText(control), want.text, what + " text");
        CheckText(Hex(ComparableStyle(want.id, Style(control))),
                  Hex(ComparableStyle(want.id, want.style)), what + " style");
        if (want.id != kStatusBarId)
            CheckRect(ClientRectOf(program.dialog, control), PixelRect(want.units), what);
    }
    Check(next == nullptr, "no controls beyond the nine");
}

// Along the bottom of the client area, in parts ending at 100, 200, 300
// and 400 pixels and the window's right edge.
void CheckStatusBar(const Program& program) {
    RECT client;
    GetClientRect(program.dialog, &client);
    const RECT bar = ClientRectOf(program.dialog, Control(program, kStatusBarId));
    CheckEqual(bar.left, 0, "status bar left");
    CheckEqual(bar.right, client.right, "status bar right");
    CheckEqual(bar.bottom, client.bottom, "status bar bottom");
    Check(bar.top > PixelRect({5, 65, 50, 13}).bottom, "status bar below the buttons");

    int edges[kStatusParts + 1] = {};
    void* remote = RemoteAlloc(program, sizeof edges);
    CheckEqual(SendMessageA(Control(program, kStatusBarId), SB_GETPARTS, kStatusParts + 1,
                            reinterpret_cast<LPARAM>(remote)),
               kStatusParts, "status bar parts");
    ReadProcessMemory(program.process.hProcess, remote, edges, sizeof edges, nullptr);
    RemoteFree(program, remote);
    const int expected[kStatusParts] = {100, 200, 300, 400, -1};
    for (int part = 0; part < kStatusParts; ++part)
        CheckEqual(edges[part], expected[part], "right edge of part " + std::to_string(part));
}

// The text box has a border and a fixed-pitch font: four narrow letters
// take as much room as four wide ones.
void CheckTextBox(const Program& program) {
    const HWND textBox = Control(program, kTextBoxId);
    RECT client;
    RECT window;
    GetClientRect(textBox, &client);
    GetWindowRect(textBox, &window);
    Check(client.bottom < window.bottom - window.top, "the text box has a border");

    SetWindowTextA(textBox, "iiiiWWWW.");
    const auto x = [textBox](int index) {
        return static_cast<short>(LOWORD(SendMessageA(textBox, EM_POSFROMCHAR, index, 0)));
    };
    CheckEqual(x(4) - x(0), x(8) - x(4), "width of \"iiii\" against \"WWWW\"");
    SetWindowTextA(textBox, "");
}

bool Layout(Program& program) {
    const HWND dialog = program.dialog;
    CheckText(ClassName(dialog), "#32770", "dialog class");
    const DWORD style = Style(dialog);
    Check((style & (WS_CHILD | WS_POPUP)) == 0, "a top-level overlapped window: " + Hex(style));
    Check((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU) != 0,
          "caption bar and system menu: " + Hex(style));
    // Its size in the template is that of the whole window, frame included:
    // the template's style has no caption bar for the frame to allow for.
    RECT window;
    GetWindowRect(dialog, &window);
    CheckRect({0, 0, window.right - window.left, window.bottom - window.top},
              PixelRect({0, 0, 250, 106}), "window size");
    CheckControls(program);
    CheckStatusBar(program);
    CheckTextBox(program);
    return Finish(program);
}

// ---- Painting --------------------------------------------------------------

struct FramePixel {
    int x, y;    // client coordinates
    int colour;  // system colour index
    const char* what;
};

// Reads the screen, where the window is uncovered: what the program
// painted, once Wine has carried it to the display.
COLORREF ScreenPixel(HWND dialog, int x, int y) {
    POINT point{x, y};
    ClientToScreen(dialog, &point);
    const HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, point.x, point.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The etched frame runs around the client area and ends just above the
// status bar. Each side is two lines: a sunken outer one (shadow at the top
// and left, highlight at the bottom and right) and a raised inner one (the
// other way round). Each is read halfway along its side, clear of the
// controls.
void CheckFrame(const Program& program) {
    RedrawWindow(program.dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const RECT bar = ClientRectOf(program.dialog, Control(program, kStatusBarId));
    RECT client;
    GetClientRect(program.dialog, &client);
    const int x = client.right / 2;
    const int y = bar.top / 2;
    const FramePixel pixels[] = {
        {x, 0, COLOR_BTNSHADOW, "top outer"},
        {x, 1, COLOR_BTNHIGHLIGHT, "top inner"},
        {x, bar.top - 2, COLOR_BTNSHADOW, "bottom inner"},
        {x, bar.top - 1, COLOR_BTNHIGHLIGHT, "bottom outer"},
        {0, y, COLOR_BTNSHADOW, "left outer"},
        {1, y, COLOR_BTNHIGHLIGHT, "left inner"},
        {client.right - 2, y, COLOR_BTNSHADOW, "right inner"},
        {client.right - 1, y, COLOR_BTNHIGHLIGHT, "right outer"},
    };
    // The display may show the new paint later, the later the busier the
    // machine: each line is read until it shows. The bound is for a frame
    // that is not there at all; nothing waits for it when the frame is.
    constexpr DWORD kGiveUpMilliseconds = 60000;
    const DWORD start = GetTickCount();
    for (const FramePixel& pixel : pixels) {
        const COLORREF expected = GetSysColor(pixel.colour);
        COLORREF actual = ScreenPixel(program.dialog, pixel.x, pixel.y);
        while (actual != expected && GetTickCount() - start < kGiveUpMilliseconds) {
            Sleep(50);
            actual = ScreenPixel(program.dialog, pixel.x, pixel.y);
        }
        Check(actual == expected, std::string("frame, ") + pixel.what + " line at (" +
                                      std::to_string(pixel.x) + ", " + std::to_string(pixel.y) +
                                      "): " + Hex(actual) + ", expected " + Hex(expected));
    }
}

// ---- Presses ---------------------------------------------------------------

bool IsBareNumber(const std::string& text) {
    if (text.empty()) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// A press returns when its run has ended, that is when the watcher has
// read and dismissed its box.
void Press(const Program& program, int id) {
    SendMessageA(Control(program, id), BM_CLICK, 0, 0);
}

struct RoutineButton {
    int id;
    const char* caption;
};

const RoutineButton RoutineButtons[] = {
    {101, "Full Optimised C"},  {102, "Full Optimised MASM"},
    {103, "Sedgewick qsort C"}, {104, "Sedgewick qsort MASM"},
    {105, "Sedgewick qsort Unoptimised"},
};

// Each routine button shows one box, captioned for its routine, holding
// the bare number of milliseconds, once the program is back at normal
// priority; the sort is right, so no failure box and no dump.
bool Routines(Program& program) {
    for (const RoutineButton& button : RoutineButtons) {
        const std::string what = "button " + std::to_string(button.id);
        Press(program, button.id);
        const auto boxes = TakeBoxes(program.boxes);
        CheckEqual(static_cast<long long>(boxes.size()), 1, what + " boxes shown");
        for (const ShownBox& box : boxes) {
            CheckText(box.caption, button.caption, what + " box caption");
            Check(IsBareNumber(box.text), what + " box text is a bare number: \"" + box.text + "\"");
            CheckText(Hex(box.priorityClass), Hex(NORMAL_PRIORITY_CLASS),
                      what + " priority class while the box was up");
        }
        Check(IsRunning(program), what + ": the window is still there");
    }
    Check(!FileExists(kResultFile), "no result.txt was written");
    Press(program, kResetId);
    CheckFrame(program);
    return Finish(program);
}

// Text box, caption and status parts changed, then "Reset".
bool Reset(Program& program) {
    const HWND textBox = Control(program, kTextBoxId);
    SetWindowTextA(program.dialog, "Changed by the test");
    Type(textBox, "typed\rtext");
    for (int part = 0; part < kStatusParts; ++part)
        SetStatusText(program, part, "part " + std::to_string(part));
    CheckText(WindowText(program.dialog), "Changed by the test", "caption before Reset");
    CheckText(StatusText(program, 4), "part 4", "last status part before Reset");

    Press(program, kResetId);
    CheckText(WindowText(program.dialog), "Orvandel", "caption after Reset");
    CheckText(ControlText(textBox), "", "text box after Reset");
    for (int part = 0; part < kStatusParts; ++part)
        CheckText(StatusText(program, part), "", "status part " + std::to_string(part) + " after Reset");
    CheckNoBoxes(program, "Reset");
    return Finish(program);
}

// Typing, IDOK, and commands that carry a notification code in their high
// word leave the window as it is and start no run.
bool IgnoredCommands(Program& program) {
    const HWND textBox = Control(program, kTextBoxId);
    SetWindowTextA(program.dialog, "Changed by the test");
    Type(textBox, "101\r2\r106");
    CheckNoBoxes(program, "typing into the text box");
    CheckText(ControlText(textBox), "101\r\n2\r\n106", "the text box holds what was typed");

    const WPARAM commands[] = {IDOK, MAKEWPARAM(101, EN_CHANGE), MAKEWPARAM(105, BN_DBLCLK),
                               MAKEWPARAM(kResetId, 1), MAKEWPARAM(IDCANCEL, 1)};
    for (const WPARAM command : commands) {
        SendMessageA(program.dialog, WM_COMMAND, command, reinterpret_cast<LPARAM>(textBox));
        CheckNoBoxes(program, "command " + Hex(static_cast<DWORD>(command)));
        Check(IsRunning(program), "the window is still there after command " +
                                      Hex(static_cast<DWORD>(command)));
    }
    CheckText(WindowText(program.dialog), "Changed by the test", "caption (no Reset happened)");
    CheckText(ControlText(textBox), "101\r\n2\r\n106", "text box (no Reset happened)");
    return Finish(program);
}

// ---- Ending ----------------------------------------------------------------

// Esc pressed where the focus is, as the keyboard would deliver it.
bool Escape(Program& program) {
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(program.process.dwThreadId, &gui);
    const HWND target = gui.hwndFocus != nullptr ? gui.hwndFocus : program.dialog;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    return ExpectExitWithZero(program, "Esc");
}

bool CloseButton(Program& program) {
    PostMessageA(Control(program, IDCANCEL), BM_CLICK, 0, 0);
    return ExpectExitWithZero(program, "\"Close\"");
}

bool CloseRequest(Program& program) {
    return Finish(program);
}

// Holds the window still for a screenshot: writes its place on the screen
// (WIDTHxHEIGHT+X+Y) to "window-ready", and ends the program once
// "screenshot-taken" appears.
bool Screenshot(Program& program) {
    // The window is found as soon as it exists, before its controls have
    // painted: have it paint everything, let its thread go idle, and give
    // the X server a moment to show the result.
    RedrawWindow(program.dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    WaitForInputIdle(program.process.hProcess, 5000);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(program.dialog, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &ignored);
    Sleep(1000);
    RECT window;
    GetWindowRect(program.dialog, &window);
    char geometry[64];
    const int length = std::snprintf(geometry, sizeof geometry, "%ldx%ld+%ld+%ld",
                                     window.right - window.left, window.bottom - window.top,
                                     window.left, window.top);
    const HANDLE file = CreateFileA("window-ready", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, geometry, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    while (!FileExists("screenshot-taken")) Sleep(50);
    return Finish(program);
}

struct Scenario {
    const char* name;
    bool (*run)(Program&);
};

const Scenario Scenarios[] = {
    {"layout", Layout},           {"routines", Routines},         {"reset", Reset},
    {"ignored-commands", IgnoredCommands}, {"escape", Escape},     {"close-button", CloseButton},
    {"close-request", CloseRequest}, {"screenshot", Screenshot},
};

}  // namespace

int main(int argc, char** argv) {
    for (const Scenario& scenario : Scenarios) {
        if (argc != 3 || std::string(argv[1]) != scenario.name) continue;
        DeleteFileA(kResultFile);
        Program program{};
        return Start(argv[2], program) && scenario.run(program) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: window_driver SCENARIO PATH-TO-orvandel.exe\nScenarios:");
    for (const Scenario& scenario : Scenarios) std::fprintf(stderr, " %s", scenario.name);
    std::fprintf(stderr, "\n");
    return 2;
}
