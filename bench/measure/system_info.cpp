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
    info.os = OperatingSystem();
    info.compiler = Compiler();
    info.flags = ORVANDEL_BUILD_FLAGS;
    return info;
}
