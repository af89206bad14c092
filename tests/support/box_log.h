// Observes the message boxes that code under test shows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/win32.h"

struct ShownBox {
    std::string caption;
    std::string text;
    DWORD priorityClass;  // GetPriorityClass of the showing process while the box was up
    DWORD tick;           // GetTickCount while the box was up
};

// Runs action and returns the boxes it showed, in order. Every box is
// dismissed as soon as it has been read, so action runs to its end.
std::vector<ShownBox> RecordBoxes(const std::function<void()>& action);
