#include "tests/support/box_watch_win32.h"

#include <string>

namespace {

struct BoxSearch {
    const BoxWatch* watch;
    HWND found;
};

std::string WindowText(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsClass(HWND window, const char* className) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return lstrcmpiA(name, className) == 0;
}

// The box's text is its only static control that holds text (the icon is
// a static control too).
BOOL CALLBACK FindText(HWND child, LPARAM text) {
    if (!IsClass(child, "Static") || GetWindowTextLengthA(child) == 0) return TRUE;
    *reinterpret_cast<std::string*>(text) = WindowText(child);
    return FALSE;
}

BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<BoxSearch*>(parameter);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.watch->process || window == search.watch->ignored ||
        !IsWindowVisible(window) || !IsClass(window, "#32770"))
        return TRUE;
    search.found = window;
    return FALSE;
}

DWORD WINAPI WatchBoxes(LPVOID parameter) {
    auto& watch = *static_cast<BoxWatch*>(parameter);
    while (!watch.stop) {
        BoxSearch search{&watch, nullptr};
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) {
            Sleep(5);
            continue;
        }
        ShownBox shown{WindowText(search.found), "", GetPriorityClass(watch.processHandle),
                       GetTickCount()};
        EnumChildWindows(search.found, FindText, reinterpret_cast<LPARAM>(&shown.text));
        EnterCriticalSection(&watch.lock);
        watch.boxes.push_back(shown);
        LeaveCriticalSection(&watch.lock);
        PostMessageA(search.found, WM_COMMAND, IDOK, 0);
        while (IsWindow(search.found)) Sleep(5);
    }
    return 0;
}

}  // namespace

void StartBoxWatch(BoxWatch& watch, DWORD process, HWND ignored) {
    watch.process = process;
    watch.processHandle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    watch.ignored = ignored;
    InitializeCriticalSection(&watch.lock);
    watch.stop = 0;
    watch.thread = CreateThread(nullptr, 0, WatchBoxes, &watch, 0, nullptr);
}

std::vector<ShownBox> TakeBoxes(BoxWatch& watch) {
    EnterCriticalSection(&watch.lock);
    std::vector<ShownBox> taken;
    taken.swap(watch.boxes);
    LeaveCriticalSection(&watch.lock);
    return taken;
}

std::vector<ShownBox> StopBoxWatch(BoxWatch& watch) {
    InterlockedExchange(&watch.stop, 1);
    WaitForSingleObject(watch.thread, INFINITE);
    CloseHandle(watch.thread);
    CloseHandle(watch.processHandle);
    DeleteCriticalSection(&watch.lock);
    return watch.boxes;
}
