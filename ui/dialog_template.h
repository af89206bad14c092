// The main window's dialog template, written into memory at start-up in the
// classic DLGTEMPLATE format, so the program needs no resource file.
#pragma once

#include "platform/win32.h"

// Size of the zero-filled block the template is written into.
constexpr SIZE_T kTemplateBlockBytes = 1024;

// Identifiers of the controls that are not routine buttons (those come from
// RoutineTable). "Close" is IDCANCEL, the command the Esc key sends.
constexpr int kResetId = 106;
constexpr int kStatusBarId = 110;
constexpr int kTextBoxId = 111;

// Writes the template of the "Orvandel" window at the start of block, which
// must hold kTemplateBlockBytes zero bytes; bytes it does not set stay 0.
void BuildDialogTemplate(LPVOID block);
