#include "bench/measure/shared_library.h"

#include <dlfcn.h>

#include "bench/measure/library_file.h"

Result<void*> OpenSharedLibrary(const std::string& path) {
    const std::string where = path.find('/') == std::string::npos ? "./" + path : path;
    // RTLD_LOCAL: two plug-ins may well export sorts of the same name.
    void* library = dlopen(where.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library != nullptr) return library;
    // dlopen says "No such file or directory" of a file for another machine.
    const char* reason = dlerror();
    const std::string fault = LibraryFileFault(where, LibraryFormat::kElf);
    return Refusal{!fault.empty() ? fault : reason != nullptr ? reason : "not a shared library"};
}

void* FindSymbol(void* library, const std::string& name) {
    return dlsym(library, name.c_str());
}
