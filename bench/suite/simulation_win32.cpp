// The machine counts on Windows: valgrind does not run there, so none is
// ever found, and nothing else here is reached.
#include <cstddef>
#include <cstring>

#include "bench/suite/simulation.h"

namespace {

const Refusal kNoValgrind{"valgrind does not run on Windows"};

}  // namespace

Result<std::string> FindValgrind() {
    return kNoValgrind;
}

Result<std::string> FindCountingProgram() {
    return kNoValgrind;
}

Result<std::string> MakeDumpFolder() {
    return kNoValgrind;
}

Result<std::string> ReadDumpHead(const std::string&, std::size_t) {
    return kNoValgrind;
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
