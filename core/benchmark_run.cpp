#include "core/benchmark_run.h"

#include "core/decimal_text.h"
#include "core/test_data.h"

namespace {

constexpr SIZE_T kArrayBytes = sizeof(std::int32_t) * kSlotCount;

void ShowNumber(HWND owner, std::int32_t value, const char* caption) {
    char text[kDecimalTextSize];
    FormatDecimal(value, text);
    MessageBoxA(owner, text, caption, MB_OK);
}

// The failure box, then the dump, which is the only record of a failed run:
// when it cannot be written that is said too.
void ReportDescent(HWND owner, const std::int32_t* slots, std::int32_t index,
                   const char* caption) {
    ShowNumber(owner, index, kFailureCaption);
    if (!WriteResultFile(slots, kSlotCount)) MessageBoxA(owner, kDumpFailedText, caption, MB_OK);
}

bool WriteText(HANDLE file, const char* text, DWORD length) {
    DWORD written = 0;
    return WriteFile(file, text, length, &written, nullptr) && written == length;
}

}  // namespace

bool RunBenchmark(HWND owner, SortRoutine routine, BoundForm bounds, const char* caption) {
    SeedGenerator(kRunSeed);
    auto* slots = static_cast<std::int32_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, kArrayBytes));
    if (slots == nullptr) {
        MessageBoxA(owner, kNoMemoryText, caption, MB_OK);
        return false;
    }
    FillTestArray(slots, kSlotCount, kDrawBound);

    SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
    const DWORD start = GetTickCount();
    routine(slots, kLowerBound, UpperBound(bounds, kSlotCount));
    const std::int32_t descent = FindFirstDescent(slots, kLowerBound, kSlotCount);
    const DWORD end = GetTickCount();
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);

    if (descent != kNoDescent) ReportDescent(owner, slots, descent, caption);
    ShowNumber(owner, static_cast<std::int32_t>(ElapsedTicks(start, end)), caption);
    GlobalFree(slots);
    return descent == kNoDescent;
}

std::int32_t FindFirstDescent(const std::int32_t* slots, std::int32_t first,
                              std::int32_t count) {
    for (std::int32_t i = first; i < count - 1; ++i)
        if (slots[i] > slots[i + 1]) return i;
    return kNoDescent;
}

bool WriteResultFile(const std::int32_t* slots, std::int32_t count) {
    HANDLE file = CreateFileA(kResultFileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool complete = true;
    char digits[kDecimalTextSize];
    for (std::int32_t k = 0; k < count && complete; ++k) {
        _ultoa(static_cast<std::uint32_t>(slots[k]), digits, 10);
        complete = WriteText(file, digits, TextLength(digits)) && WriteText(file, "\r\n", 2);
    }
    return CloseHandle(file) && complete;
}

std::uint32_t ElapsedTicks(DWORD start, DWORD end) {
    return static_cast<std::uint32_t>(end - start);
}
