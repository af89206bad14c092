// The modal main dialog: its procedure and the run of the dialog.
#pragma once

#include <windows.h>

// Handles kept for the life of the process; none is ever released.
struct DialogHandles {
    HINSTANCE module;  // set at start-up, before the dialog runs
    HWND dialog;       // these three are set when the dialog starts
    HWND statusBar;
    HWND textBox;
};

extern DialogHandles DialogState;

// Builds the template and runs the dialog until it ends; returns the
// dialog's result: 0 after "Close", Esc or a close request, -1 when the
// dialog could not be created.
INT_PTR RunMainDialog();

// Prepares the window, turns button presses into benchmark runs, resets the
// window's texts, paints its frame and ends the dialog on "Close".
INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
