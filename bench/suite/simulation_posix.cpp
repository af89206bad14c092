// The machine counts on Linux: valgrind from PATH, dumps in a folder of
// mkdtemp's, read with O_NOFOLLOW | O_NONBLOCK, and callgrind's client
// requests.
#include <alloca.h>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <valgrind/callgrind.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <new>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/measure/machine_counts.h"
#include "bench/suite/simulation.h"

namespace {

// A plain file this user may run.
bool IsProgram(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) && access(path.c_str(), X_OK) == 0;
}

}  // namespace

Result<std::string> FindValgrind() {
    const char* path = std::getenv("PATH");
    const std::string folders = path != nullptr ? path : "";
    for (std::size_t at = 0; at <= folders.size();) {
        std::size_t end = folders.find(':', at);
        if (end == std::string::npos) end = folders.size();
        // An empty entry means the current folder, which is no place to run a program from.
        const std::string folder = folders.substr(at, end - at);
        at = end + 1;
        if (folder.empty() || folder[0] != '/') continue;
        const std::string candidate = folder + "/valgrind";
        if (IsProgram(candidate)) return candidate;
    }
    return Refusal{"valgrind is not installed (no valgrind on PATH)"};
}

Result<std::string> FindCountingProgram() {
    // Not /proc/self/exe itself: the counting program lies beside the file
    // that link names. ORVANDEL_COUNTER_FROM_TOOL comes from CMake.
    char own[4096];
    const ssize_t length = readlink("/proc/self/exe", own, sizeof own);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof own)
        return Refusal{"cannot tell where this program lies, to find its counting program"};
    std::string folder(own, static_cast<std::size_t>(length));
    folder.erase(folder.rfind('/') + 1);
    const std::string program = folder + ORVANDEL_COUNTER_FROM_TOOL;
    if (IsProgram(program)) return program;
    return Refusal{"the counting program is not installed (no " + program + ")"};
}

Result<std::string> MakeDumpFolder() {
    const char* temporary = std::getenv("TMPDIR");
    std::string pattern = std::string(temporary != nullptr && temporary[0] == '/' ? temporary : "/tmp") +
                          "/orvandel-callgrind-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        return Refusal{std::string("cannot make a folder for callgrind's dumps: ") + std::strerror(errno)};
    return pattern;
}

Result<std::string> ReadDumpHead(const std::string& path, std::size_t limit) {
    const int file = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) return Refusal{std::string("no dump: ") + std::strerror(errno)};
    struct stat status {};
    const bool regular = fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    std::vector<char> buffer(limit);
    std::size_t got = 0;
    while (regular && got < limit) {
        const ssize_t read_now = read(file, buffer.data() + got, limit - got);
        if (read_now < 0 && errno == EINTR) continue;
        if (read_now <= 0) break;
        got += static_cast<std::size_t>(read_now);
    }
    close(file);
    if (!regular) return Refusal{"its dump is not a plain file"};
    return std::string(buffer.data(), got);
}

void RemoveDumpFolder(const std::string& folder) {
    // Not through a link: a sort may have put one where the folder was.
    const int at = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (at < 0) return;
    DIR* entries = fdopendir(at);
    if (entries == nullptr) {
        close(at);
        return;
    }
    // unlinkat removes a link, never what it points to.
    while (const dirent* entry = readdir(entries))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            unlinkat(at, entry->d_name, 0);
    closedir(entries);
    rmdir(folder.c_str());
}

bool UnderValgrind() {
    return RUNNING_ON_VALGRIND != 0;
}

namespace {

// All that the counted part reads of the stack besides its own frames: the
// work and the copy of its argument.
struct Collected {
    void (*work)(void*);
    alignas(std::max_align_t) unsigned char argument[kCollectedArgumentBytes];
};

// What callgrind counts, in a frame of its own just below collected.
[[gnu::noinline]] void Collect(Collected* collected) {
    CALLGRIND_START_INSTRUMENTATION;
    CALLGRIND_ZERO_STATS;
    CALLGRIND_TOGGLE_COLLECT;
    collected->work(collected->argument);
    CALLGRIND_TOGGLE_COLLECT;
}

}  // namespace

void CollectAround(void (*work)(void*), const void* argument, std::size_t bytes, const std::string& trigger) {
    // How far the caller's stack stands past a multiple of the largest way
    // depends on the environment and the arguments above it: this region
    // takes that up, so the work, its argument and every frame the count
    // sees stand at one offset from such a multiple.
    constexpr std::uintptr_t way = LargestWayBytes();
    const auto frame = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
    void* region = alloca(frame % way + sizeof(Collected));
    auto* collected = new (region) Collected{work, {}};
    std::memcpy(collected->argument, argument, bytes);
    Collect(collected);
    CALLGRIND_DUMP_STATS_AT(trigger.c_str());
}
