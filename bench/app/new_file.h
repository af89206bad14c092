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
