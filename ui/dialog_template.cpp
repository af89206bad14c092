#include "ui/dialog_template.h"

#include <cstdint>

#include "core/decimal_text.h"
#include "sorts/routine_table.h"

namespace {

// Class atoms of the predefined control classes.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;

constexpr DWORD kDialogStyle = WS_SYSMENU | DS_CENTER | DS_SETFONT;
constexpr DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kStatusBarStyle = WS_CHILD | WS_VISIBLE;
constexpr DWORD kTextBoxStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP |
                                ES_WANTRETURN | ES_MULTILINE;

// The routine buttons stand in a column of 50 x 13 units, one every 15 units.
constexpr std::int16_t kButtonWidth = 50;
constexpr std::int16_t kButtonHeight = 13;
constexpr std::int16_t kButtonPitch = 15;

// One control. className is null for a predefined class, named by classAtom.
struct DialogItem {
    DWORD style;
    std::int16_t x, y, width, height;
    WORD id;
    WORD classAtom;
    const char* className;
    const char* text;
};

// The controls after the five routine buttons, in tab order. The status bar
// places and sizes itself along the bottom of the window.
const DialogItem TrailingItems[] = {
    {kButtonStyle, 60, 65, kButtonWidth, kButtonHeight, kResetId, kButtonAtom, nullptr, "Reset"},
    {kButtonStyle, 192, 65, kButtonWidth, kButtonHeight, IDCANCEL, kButtonAtom, nullptr, "Close"},
    {kStatusBarStyle, 0, 0, 0, 0, kStatusBarId, 0, "msctls_statusbar32", ""},
    {kTextBoxStyle, 60, 5, 182, 58, kTextBoxId, kEditAtom, nullptr, ""},
};

constexpr WORD kItemCount = kRoutineCount + sizeof TrailingItems / sizeof TrailingItems[0];

// Writes little-endian fields and UTF-16 strings front to back. Every field
// is a whole number of 16-bit units, so the position is always even.
struct TemplateWriter {
    unsigned char* block;
    SIZE_T offset;
};

void WriteWord(TemplateWriter& out, WORD value) {
    out.block[out.offset++] = static_cast<unsigned char>(value & 0xFF);
    out.block[out.offset++] = static_cast<unsigned char>(value >> 8);
}

void WriteDword(TemplateWriter& out, DWORD value) {
    WriteWord(out, static_cast<WORD>(value & 0xFFFF));
    WriteWord(out, static_cast<WORD>(value >> 16));
}

void WriteShort(TemplateWriter& out, std::int16_t value) {
    WriteWord(out, static_cast<WORD>(value));
}

// The text in the ANSI code page becomes UTF-16 with its terminating 0 unit.
void WriteString(TemplateWriter& out, const char* text) {
    const int units = static_cast<int>(TextLength(text)) + 1;
    auto* destination = reinterpret_cast<LPWSTR>(out.block + out.offset);
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, destination, units);
    out.offset += 2 * static_cast<SIZE_T>(units);
}

// Items start on a multiple of 4 from the start of the template; the
// skipped bytes are already 0.
void AlignToDword(TemplateWriter& out) {
    out.offset = (out.offset + 3) & ~SIZE_T{3};
}

void WriteHeader(TemplateWriter& out) {
    WriteDword(out, kDialogStyle);
    WriteDword(out, 0);  // extended style
    WriteWord(out, kItemCount);
    WriteShort(out, 50);   // x
    WriteShort(out, 50);   // y
    WriteShort(out, 250);  // width
    WriteShort(out, 106);  // height
    WriteWord(out, 0);     // no menu
    WriteWord(out, 0);     // the standard dialog class
    WriteString(out, "   ");  // the dialog procedure sets the real caption
    WriteWord(out, 10);       // point size
    WriteString(out, "MS Sans Serif");
}

void WriteItem(TemplateWriter& out, const DialogItem& item) {
    AlignToDword(out);
    WriteDword(out, item.style);
    WriteDword(out, 0);  // extended style
    WriteShort(out, item.x);
    WriteShort(out, item.y);
    WriteShort(out, item.width);
    WriteShort(out, item.height);
    WriteWord(out, item.id);
    if (item.className != nullptr) {
        WriteString(out, item.className);
    } else {
        WriteWord(out, 0xFFFF);
        WriteWord(out, item.classAtom);
    }
    WriteString(out, item.text);
    WriteWord(out, 0);  // no creation data
}

}  // namespace

void BuildDialogTemplate(LPVOID block) {
    TemplateWriter out{static_cast<unsigned char*>(block), 0};
    WriteHeader(out);
    std::int16_t y = 5;
    for (const RoutineEntry& entry : RoutineTable) {
        WriteItem(out, {kButtonStyle, 5, y, kButtonWidth, kButtonHeight,
                        static_cast<WORD>(entry.commandId), kButtonAtom, nullptr,
                        entry.buttonLabel});
        y += kButtonPitch;
    }
    for (const DialogItem& item : TrailingItems) WriteItem(out, item);
}
