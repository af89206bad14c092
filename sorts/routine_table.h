// The five routines under test, in button order. One table serves the
// window (buttons and commands) and the console front end.
#pragma once

#include "core/sort_routine.h"

struct RoutineEntry {
    int commandId;            // the button's identifier and WM_COMMAND parameter
    const char* buttonLabel;  // text on the button
    const char* caption;      // caption of the result box
    SortRoutine routine;
    BoundForm bounds;
};

constexpr int kRoutineCount = 5;

extern const RoutineEntry RoutineTable[kRoutineCount];

// The row whose button label or caption equals name, ignoring ASCII case;
// nullptr when there is none.
const RoutineEntry* FindRoutine(const char* name);

// Whether two names are equal, ignoring ASCII case: how a routine is named
// on a command line.
bool SameIgnoringCase(const char* a, const char* b);
