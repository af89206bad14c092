// The machine counts on Windows: valgrind does not run there, so none is
// ever found, and nothing else here is reached.
#include "bench/suite/simulation.h"

bool FindValgrind(std::string&, std::string& why) {
    why = "valgrind does not run on Windows";
    return false;
}

bool MakeDumpFolder(std::string&, std::string& error) {
    error = "valgrind does not run on Windows";
    return false;
}

bool ReadDumpHead(const std::string&, std::size_t, std::string&, std::string& why) {
    why = "valgrind does not run on Windows";
    return false;
}

void RemoveDumpFolder(const std::string&) {}

bool UnderValgrind() {
    return false;
}

void CollectAround(void (*work)(void*), void* argument, const std::string&) {
    work(argument);
}
