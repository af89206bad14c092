// Checks a routine of the table against std::sort on one input.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sorts/routine_table.h"

// Sorts values with the routine twice: inside guard slots that would move
// if the routine touched them, and alone in a heap block of exactly their
// size, so a sanitizer sees any read outside the range. Returns an empty
// text when both results equal std::sort's and the guards are untouched,
// otherwise what went wrong.
std::string CheckRoutineSorts(const RoutineEntry& entry, const std::vector<std::int32_t>& values);
