// The sandbox a child that runs loaded code starts in, on Linux
// (child_process_posix.cpp starts it so; docs/own-sort.md says what it
// allows). Its first process is a small keeper that the parent waits for:
// it sets the sandbox up, starts the worker that runs the program, and when
// the worker ends, hands the parent the worker's wait status on a pipe of
// its own and ends too.
//
// - Its process ids are its own (a PID namespace, the keeper its first
//   process) and so is /proc: it sees no other process of the system, and
//   when the keeper ends, the kernel ends everything the worker started.
// - Its user is nobody where the tool runs as root; otherwise the tool's
//   own user in a user namespace of its own. Either way it holds no
//   capability and may gain none (no_new_privs).
// - Once the program has connected to its parent (ConnectToParent), a
//   seccomp filter ends it, with a status that names what it tried, when
//   it signals another process, starts a process or a program, writes,
//   makes or removes a file, traces or reads another process, leaves its
//   process group or undoes any of this.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "bench/measure/refusal.h"

// What the worker runs and the descriptors it is handed: each pair moves
// a descriptor of the parent to a number in the worker.
// This program's own file runs as nobody (where the tool is root) and
// under the filter. A launcher (valgrind, which runs its client's calls
// itself and writes its counts to files) runs in the namespaces only.
struct SandboxedProgram {
    int executable = -1;         // this program's file, or -1 to run path
    const char* path = nullptr;  // a launcher's program
    char* const* argv = nullptr;
    char* const* envp = nullptr;  // with kSandboxFilterVariable set for this program's file
    std::vector<std::pair<int, int>> moves;
};

// Set in the environment of a program that is to put the filter on.
constexpr char kSandboxFilterVariable[] = "ORVANDEL_SANDBOX_FILTER";

// Starts program in a sandbox: the keeper's process id, which leads a
// process group of its own. status is the write end of the pipe on which
// the keeper hands on the worker's wait status; it and every source of a
// move must lie above every number they move to. Refused with the system's
// reason when no process can be started.
Result<pid_t> StartSandboxed(const SandboxedProgram& program, int status);

// The child's side: puts the filter on when its parent started it
// filtered. False when it could not.
bool EnterSandbox();

// What a sandboxed worker that ended with exitCode tried, or "" when the
// code is not one the filter ends a process with.
std::string SandboxDeedText(int exitCode);

