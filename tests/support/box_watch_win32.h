// Finds, reads and dismisses message boxes from a thread of its own, so
// that code which blocks in a box (ours or another process's) runs on.
#pragma once

#include <windows.h>

#include <vector>

#include "tests/support/box_log.h"

struct BoxWatch {
    DWORD process;         // whose boxes are watched
    HANDLE processHandle;  // to read its priority class
    HWND ignored;          // a dialog of that process that is not a box, or null
    CRITICAL_SECTION lock;
    std::vector<ShownBox> boxes;  // under lock
    volatile LONG stop;
    HANDLE thread;
};

// Starts watching for visible dialog-class ("#32770") windows of process
// other than ignored: each is recorded (caption, text, the process's
// priority class and the tick count while it is up) and then dismissed
// with IDOK.
void StartBoxWatch(BoxWatch& watch, DWORD process, HWND ignored);

// The boxes recorded since the last call, oldest first. A box is recorded
// before it is dismissed, so every box that no longer blocks is included.
std::vector<ShownBox> TakeBoxes(BoxWatch& watch);

// Stops the watcher thread and returns the boxes not yet taken.
std::vector<ShownBox> StopBoxWatch(BoxWatch& watch);
