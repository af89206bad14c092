// Files the console tool writes: never left half-written under their own
// name. Each is written to a temporary beside it and renamed once complete.
#pragma once

#include <functional>
#include <ostream>
#include <string>

// The temporary a file is written to: path with ".part" appended.
std::string PartialPath(const std::string& path);

// Whether a file can be created at path, found by creating and removing its
// temporary; so a wrong path is refused before anything is measured.
bool CanCreate(const std::string& path);

// Writes the file at path with write, through its temporary. Returns false,
// leaving neither a temporary nor a partial file, when that fails.
bool WriteWholeFile(const std::string& path, const std::function<void(std::ostream&)>& write);
