#include "bench/app/version.h"

#include "bench/measure/reference_sorts.h"
#include "bench/measure/system_info.h"

// ORVANDEL_VERSION and ORVANDEL_REVISION come from CMake (bench/CMakeLists.txt).
// The build's fields are indented as a list, and the copyright follows a
// blank line, so that help2man makes a list and a COPYRIGHT section of them.
void PrintVersion(std::ostream& out) {
    const SystemInfo system = ReadSystemInfo();
    out << "orvandel-bench " ORVANDEL_VERSION "\n"
        << "Built from:\n"
        << "  revision    " ORVANDEL_REVISION "\n"
        << "  compiler    " << system.compiler << '\n'
        << "  flags       " << system.flags << '\n'
        << "  references ";
    const char* separator = " ";
    for (const ReferenceSort& sort : ReferenceSorts()) {
        out << separator << sort.name;
        separator = ", ";
    }
    out << '\n';
    for (const std::string& note : MissingReferenceNotes()) out << note << '\n';
    out << "\nCopyright (c) 2026 The Orvandel developers.\n"
           "MIT licence: free to use, copy and change, without warranty of any kind.\n";
}
