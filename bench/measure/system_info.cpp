#include "bench/measure/system_info.h"

#include <fstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/utsname.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
std::string ProcessorModel() {
    char name[256] = {};
    DWORD size = sizeof name;
    const LSTATUS status = RegGetValueA(
        HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
        "ProcessorNameString", RRF_RT_REG_SZ, nullptr, name, &size);
    return status == ERROR_SUCCESS ? std::string(name) : "unknown";
}

std::uint64_t PhysicalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
}

// A job's limit is the job's to enforce: a process past it fails to
// allocate, which its row reports.
std::uint64_t MemoryLimit() {
    return 0;
}

std::string OperatingSystem() {
    return "Windows";
}
#else
std::string ProcessorModel() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    const std::string key = "model name";
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.compare(0, key.size(), key) != 0) continue;
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos && colon + 2 <= line.size()) return line.substr(colon + 2);
    }
    return "unknown";
}

std::uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
}

// A control group's memory limit in bytes as its file holds it, or 0 for
// none ("max", or no such file).
std::uint64_t LimitIn(const std::string& file) {
    std::ifstream in(file);
    unsigned long long limit = 0;
    return in >> limit ? limit : 0;
}

// The tightest memory limit of this process's control groups and all
// their parents (a container's, a systemd slice's): version 2's memory.max,
// or version 1's memory controller. Each /proc/self/cgroup line reads
// "ID:CONTROLLERS:/PATH"; version 2's has no controllers.
std::uint64_t MemoryLimit() {
    std::ifstream groups("/proc/self/cgroup");
    std::uint64_t tightest = 0;
    for (std::string line; std::getline(groups, line);) {
        const std::size_t first = line.find(':');
        const std::size_t second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = "," + line.substr(first + 1, second - first - 1) + ",";
        const bool version2 = controllers == ",,";
        if (!version2 && controllers.find(",memory,") == std::string::npos) continue;
        const std::string root = version2 ? "/sys/fs/cgroup" : "/sys/fs/cgroup/memory";
        const char* file = version2 ? "/memory.max" : "/memory.limit_in_bytes";
        for (std::string path = line.substr(second + 1);; path.erase(path.find_last_of('/'))) {
            const std::uint64_t limit = LimitIn(root + path + file);
            if (limit != 0 && (tightest == 0 || limit < tightest)) tightest = limit;
            if (path.find('/') == std::string::npos) break;
        }
    }
    return tightest;
}

std::string OperatingSystem() {
    utsname name{};
    if (uname(&name) != 0) return "unknown";
    return std::string(name.sysname) + " " + name.release + " " + name.machine;
}
#endif

std::string Compiler() {
#if defined(__clang__)
    return "clang " __clang_version__;
#elif defined(__GNUC__)
    return "gcc " __VERSION__;
#elif defined(_MSC_VER)
    return "msvc " + std::to_string(_MSC_VER);
#else
    return "unknown";
#endif
}

}  // namespace

SystemInfo ReadSystemInfo() {
    SystemInfo info;
    info.cpu = ProcessorModel();
    info.cores = static_cast<int>(std::thread::hardware_concurrency());
    info.memoryBytes = PhysicalMemory();
    info.memoryLimitBytes = MemoryLimit();
    info.os = OperatingSystem();
    info.compiler = Compiler();
    info.flags = ORVANDEL_BUILD_FLAGS;
    return info;
}
