// What a file that the system would not load as a library is, read from
// its first bytes: the system's own words for a file of another machine
// are "No such file or directory" (dlopen) or "Bad EXE format for %1"
// (LoadLibrary), which send the user looking in the wrong place.
#pragma once

#include <string>

// The object format the running system loads.
enum class LibraryFormat { kElf, kPe };

// Why the file at path cannot be a library for this build, or "" when it
// looks like one (then the system's reason stands): "not a library (an
// empty file)", "not a library", "a Windows DLL, not an ELF library",
// "not a 64-bit x86 library (AArch64)". own is the system's format, and
// the build's machine is 64-bit x86 or, in a 32-bit build, x86.
std::string LibraryFileFault(const std::string& path, LibraryFormat own);

// The same for the file's first bytes (at least its header), for tests.
std::string LibraryBytesFault(const std::string& bytes, LibraryFormat own);
