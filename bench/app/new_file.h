// A file that must be new, created and written through the system's own
// calls: a standard stream cannot refuse a name that is taken, and follows
// a link put in its place. One file per system (new_file_posix.cpp,
// new_file_win32.cpp), chosen in CMakeLists.txt.
#pragma once

#include <string>

// Creates path for writing, failing when anything is there already, a link
// included (it is not followed). Returns a handle, or -1 with errno set
// (EEXIST when the name is taken).
int CreateNewFile(const std::string& path);

// Writes bytes to handle and closes it; false when either failed.
bool WriteAndClose(int handle, const std::string& bytes);

// Why this system would not have path written as an output, beyond the
// rules every system shares, or "". On Windows: a device's reserved name
// (NUL, CON, COM1, ... in any case, with any extension, in any folder),
// which would pass a file check and swallow the report. On POSIX: a link
// in a sticky, world-writable folder (/tmp) that neither the user running
// the tool nor the folder's owner owns, which another user may have put
// there to lead the report onto a file of ours; Linux refuses to follow
// it under fs.protected_symlinks, and the tool holds that rule itself,
// whatever the sysctl says.
std::string SystemPathFault(const std::string& path);
