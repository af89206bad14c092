// Choosing by name: the routines and references a command line names, in
// a measurement and in a comparison of saved reports alike.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

struct Named {
    std::string name;   // result caption of a routine, library name of a reference
    std::string label;  // button label of a routine; empty for a reference
};

struct NameSelection {
    std::vector<std::size_t> chosen;  // indices into all, in its order (an added baseline last)
    std::string error;                // empty when the selection succeeded
};

// The entries named (name or label, any case) or whose name or label the
// pattern filter finds (name_pattern.h), in the order of all; every entry when
// neither names nor filter are given. The entry named baseline is added
// when left out, since every ratio needs it.
NameSelection SelectNames(const std::vector<Named>& all, const std::vector<std::string>& names,
                          const std::string& filter, const std::string& baseline);
