// Opening a shared library and finding its exported symbols: dlopen on
// POSIX systems, LoadLibrary on Windows. One file per system implements it
// (shared_library_posix.cpp, shared_library_win32.cpp).
#pragma once

#include <string>

#include "bench/measure/refusal.h"

// Opens the library at path, which stays loaded for the life of the
// process: the sorts found in it are called until the process ends. A path
// without a folder names a file in the current folder, never one found on
// the system's search path. Refuses with the system's reason, without the
// path, when it cannot be opened.
Result<void*> OpenSharedLibrary(const std::string& path);

// The address of the exported symbol name in library, or nullptr.
void* FindSymbol(void* library, const std::string& name);
