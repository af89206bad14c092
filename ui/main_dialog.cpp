#include "ui/main_dialog.h"

#include <commctrl.h>

#include "core/benchmark_run.h"
#include "sorts/routine_table.h"
#include "ui/dialog_template.h"

DialogHandles DialogState;

namespace {

constexpr char kTitle[] = "Orvandel";

// Right edges in pixels of the status bar's five parts; the last reaches
// the window's right edge.
const INT StatusPartEdges[] = {100, 200, 300, 400, -1};
constexpr int kStatusPartCount = sizeof StatusPartEdges / sizeof StatusPartEdges[0];

void InitialiseDialog(HWND dialog) {
    DialogState.dialog = dialog;
    SendMessageA(dialog, WM_SETICON, ICON_BIG,
                 reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_ASTERISK)));
    SetWindowTextA(dialog, kTitle);
    DialogState.statusBar = GetDlgItem(dialog, kStatusBarId);
    SendMessageA(DialogState.statusBar, SB_SETPARTS, kStatusPartCount,
                 reinterpret_cast<LPARAM>(StatusPartEdges));
    DialogState.textBox = GetDlgItem(dialog, kTextBoxId);
    SendMessageA(DialogState.textBox, WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), TRUE);
}

// Empties the text box and every status part (drawing type 0, no text),
// and gives the active window, which a press of "Reset" makes the dialog
// itself, its title again.
void ResetTexts() {
    SetWindowTextA(DialogState.textBox, nullptr);
    for (int part = 0; part < kStatusPartCount; ++part)
        SendMessageA(DialogState.statusBar, SB_SETTEXTA, part, 0);
    SetWindowTextA(GetActiveWindow(), kTitle);
}

// An etched frame around the client area, ending above the status bar.
void PaintFrame(HWND dialog) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(dialog, &paint);
    RECT frame;
    GetClientRect(dialog, &frame);
    RECT statusBar{};
    GetWindowRect(DialogState.statusBar, &statusBar);
    frame.bottom -= statusBar.bottom - statusBar.top;
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    EndPaint(dialog, &paint);
}

// The whole parameter is the command: a notification code in the high word
// (from the text box, say) matches no row, and IDOK (1) is no command here.
void RunCommand(HWND dialog, WPARAM command) {
    for (const RoutineEntry& entry : RoutineTable) {
        if (command == static_cast<WPARAM>(entry.commandId)) {
            RunBenchmark(dialog, entry.routine, entry.bounds, entry.caption);
            return;
        }
    }
    if (command == kResetId) ResetTexts();
    if (command == IDCANCEL) EndDialog(dialog, 0);
}

}  // namespace

INT_PTR RunMainDialog() {
    InitCommonControls();  // registers the status bar class
    const HGLOBAL block = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, kTemplateBlockBytes);
    if (block == nullptr) return -1;
    BuildDialogTemplate(block);
    const INT_PTR result = DialogBoxIndirectParamA(
        DialogState.module, static_cast<LPCDLGTEMPLATEA>(block), nullptr, MainDialogProc, 0);
    GlobalFree(block);
    return result;
}

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitialiseDialog(dialog);
        return TRUE;
    case WM_COMMAND:
        RunCommand(dialog, wParam);
        return FALSE;
    case WM_PAINT:
        PaintFrame(dialog);
        return FALSE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return FALSE;
    default:
        return FALSE;
    }
}
