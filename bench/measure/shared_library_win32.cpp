#include "bench/measure/shared_library.h"

#include <windows.h>

#include "bench/measure/library_file.h"

namespace {

// The system's message for code, its "%1" (as in "Bad EXE format for %1")
// filled with path.
std::string SystemMessage(DWORD code, const std::string& path) {
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                        0, text, sizeof text, nullptr);
    std::string message(text, length);
    message.erase(message.find_last_not_of("\r\n. ") + 1);
    for (std::size_t at = message.find("%1"); at != std::string::npos; at = message.find("%1", at + path.size()))
        message.replace(at, 2, path);
    return message.empty() ? "error " + std::to_string(code) : message + " (error " + std::to_string(code) + ")";
}

}  // namespace

Result<void*> OpenSharedLibrary(const std::string& path) {
    // Made absolute from the current folder: LoadLibrary looks for a
    // relative path ("sub\\x.dll", ".\\x.dll") beside the program first.
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return Refusal{"cannot make the path absolute: " + SystemMessage(GetLastError(), path)};
    // No "cannot find the DLL" box for a library the user named wrongly.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(full);
    const DWORD code = GetLastError();
    SetErrorMode(previous);
    if (library != nullptr) return reinterpret_cast<void*>(library);
    const std::string fault = LibraryFileFault(full, LibraryFormat::kPe);
    return Refusal{fault.empty() ? SystemMessage(code, path) : fault};
}

void* FindSymbol(void* library, const std::string& name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}
