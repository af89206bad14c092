// The input shapes the console tool can sort. Each fills the slots from the
// seed and the count alone, so two runs on two machines sort the same data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct InputPattern {
    const char* name;
    const char* description;  // one line, for --list
    void (*fill)(std::int32_t* slots, std::int32_t count, std::uint32_t seed);
    bool seeded;              // the seed changes the values; otherwise one data set per count
};

// Every shape, "window" (the window's own data) first.
const std::vector<InputPattern>& InputPatterns();

// The shape of that name (exact, lower case), or nullptr.
const InputPattern* FindPattern(const std::string& name);
