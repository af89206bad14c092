// The process entry: runs the main dialog and exits with its result.
#include <windows.h>

#include "ui/main_dialog.h"

namespace {

[[noreturn]] void ProgramStart() {
    DialogState.module = GetModuleHandleA(nullptr);
    ExitProcess(static_cast<UINT>(RunMainDialog()));
}

}  // namespace

// The C runtime's start-up calls WinMain; the program takes no command line.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ProgramStart();
}
