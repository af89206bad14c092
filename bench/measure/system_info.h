// What a report says about where and how its figures were made. The only
// file of the console tool that asks the operating system about the machine.
#pragma once

#include <cstdint>
#include <string>

struct SystemInfo {
    std::string cpu;             // processor model, or "unknown"
    int cores = 0;               // logical processors; 0 when unknown
    std::uint64_t memoryBytes = 0;  // physical memory; 0 when unknown
    std::uint64_t memoryLimitBytes = 0;  // what this process's control groups allow it; 0 for no limit
    std::string os;
    std::string compiler;
    std::string flags;           // the build's compile flags and the routines' own
};

SystemInfo ReadSystemInfo();
