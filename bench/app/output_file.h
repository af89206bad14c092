// Files the console tool writes: never left half-written under their own
// name, and never put in place of anything but a regular file. Each is
// written to a new temporary beside it and renamed once complete.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "bench/measure/refusal.h"

// Why no file can be written at path, or "" when one can: path is free, a
// regular file, or a link whose final target is a regular file (that file
// is replaced and the link stays). Anything else there (a device, FIFO,
// socket, folder, or a link to nothing) is refused, and so is a folder
// where no new file can be made. Changes nothing that exists: the test
// creates a new probe file of its own beside the target and removes it.
std::string CannotCreate(const std::string& path);

// Whether a and b name one file: the same after making them absolute and
// resolving links, or two names of one existing file.
bool SameFile(const std::string& a, const std::string& b);

// path made absolute, its links and dot folders resolved where they exist:
// where a written file is, for the user to open.
std::string AbsolutePath(const std::string& path);

// Writes the file at path with write, through a new temporary beside its
// target. Refuses with the system's reason, leaving no temporary and the
// target as it was, when that fails or path is refused as by CannotCreate.
Check WriteWholeFile(const std::string& path, const std::function<void(std::ostream&)>& write);
