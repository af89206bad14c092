#include "bench/measure/shared_library.h"

#include <windows.h>

namespace {

std::string SystemMessage(DWORD code) {
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                        0, text, sizeof text, nullptr);
    std::string message(text, length);
    message.erase(message.find_last_not_of("\r\n. ") + 1);
    return message.empty() ? "error " + std::to_string(code) : message + " (error " + std::to_string(code) + ")";
}

}  // namespace

void* OpenSharedLibrary(const std::string& path, std::string& error) {
    const std::string where = path.find_first_of("/\\:") == std::string::npos ? ".\\" + path : path;
    // No "cannot find the DLL" box for a library the user named wrongly.
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    HMODULE library = LoadLibraryA(where.c_str());
    const DWORD code = GetLastError();
    SetErrorMode(previous);
    if (library == nullptr) error = SystemMessage(code);
    return reinterpret_cast<void*>(library);
}

void* FindSymbol(void* library, const std::string& name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name.c_str()));
}
