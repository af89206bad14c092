// What an interrupted run leaves behind: on SIGINT, SIGTERM or SIGHUP (on
// Windows Ctrl-C, Ctrl-Break or closing the console) the tool kills its
// measuring child, removes the temporary files it is writing, and ends
// with the status the signal gives (128 + its number).
#pragma once

#include <string>

// Installs the handlers; once, in the parent, before any child or file.
// A signal ignored when the program started (nohup) stays ignored.
void InstallInterruptionHandlers();

// A temporary file that an interruption removes, until it is forgotten
// (renamed into place or removed). A few at a time: a path that finds no
// free slot, or is longer than a slot, is not watched.
void WatchTemporaryFile(const std::string& path);
void ForgetTemporaryFile(const std::string& path);

// For the handlers, safe in a signal handler: calls remove with each
// watched path.
void ForEachWatchedFile(void (*remove)(const char* path));
