// Names as a refusal or a help text shows them to a person: listed as a
// sentence lists them, and, for a name that is none of those known, the
// names it was probably meant to be, so whoever typed "--run" or
// "pdqsort" sees what to type instead.
#pragma once

#include <string>
#include <vector>

// items as "a, b or c" (with "and", "a, b and c").
std::string Listed(const std::vector<std::string>& items, const char* conjunction = "or");

// The known names close to typed, closest first (fewest edits, then in
// the order of known), at most three and none when nothing is close.
// Names are compared in any case and without their leading dashes; one is
// close when it contains the other and the one contained has at least 3
// characters, or when at most a third of typed's characters (at least 1)
// must be inserted, removed, replaced or swapped with a neighbour to make
// it.
std::vector<std::string> ClosestNames(const std::string& typed, const std::vector<std::string>& known);

// The parenthesis a refusal ends with: " (did you mean --runs or
// --warmup?; pointer)", " (pointer)" when nothing is close, and without
// the pointer when it is empty (nothing at all when both are).
std::string Suggestion(const std::string& typed, const std::vector<std::string>& known, const std::string& pointer);
