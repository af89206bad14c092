// The machine counts on Windows: valgrind does not run there, so none is
// ever found, and nothing else here is reached.
#include <cstddef>
#include <cstring>

#include "bench/suite/simulation.h"

bool FindValgrind(std::string&, std::string& why) {
    why = "valgrind does not run on Windows";
    return false;
}

bool FindCountingProgram(std::string&, std::string& why) {
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

void CollectAround(void (*work)(void*), const void* argument, std::size_t bytes, const std::string&) {
    alignas(std::max_align_t) unsigned char copy[kCollectedArgumentBytes];
    std::memcpy(copy, argument, bytes);
    work(copy);
}
