#include "bench/measure/selection.h"

#include <algorithm>

#include "bench/measure/name_lists.h"
#include "bench/measure/name_pattern.h"
#include "sorts/routine_table.h"

namespace {

bool IsNamed(const Named& entry, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return SameIgnoringCase(name.c_str(), entry.name.c_str()) ||
               (!entry.label.empty() && SameIgnoringCase(name.c_str(), entry.label.c_str()));
    });
}

const std::string* FirstUnknownName(const std::vector<Named>& all, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (std::none_of(all.begin(), all.end(), [&](const Named& entry) { return IsNamed(entry, {name}); }))
            return &name;
    return nullptr;
}

// The refusal of an unknown name, with the names it was probably meant to be.
std::string UnknownName(const std::vector<Named>& all, const std::string& name) {
    std::vector<std::string> known;
    for (const Named& entry : all) {
        known.push_back(entry.name);
        if (!entry.label.empty()) known.push_back(entry.label);
    }
    return "unknown routine \"" + name + "\"" + Suggestion(name, known, "--list shows the names");
}

}  // namespace

NameSelection SelectNames(const std::vector<Named>& all, const std::vector<std::string>& names,
                          const std::string& filter, const std::string& baseline) {
    if (const std::string* unknown = FirstUnknownName(all, names))
        return {{}, UnknownName(all, *unknown)};
    const Result<NamePattern> pattern = NamePattern::Compile(filter);
    if (!pattern) return {{}, "--filter: " + pattern.why()};
    const bool everything = names.empty() && filter.empty();
    NameSelection selection;
    for (std::size_t k = 0; k < all.size(); ++k) {
        const bool filtered = !filter.empty() && (pattern->FindsIn(all[k].name) || pattern->FindsIn(all[k].label));
        if (everything || filtered || IsNamed(all[k], names)) selection.chosen.push_back(k);
    }
    if (selection.chosen.empty()) return {{}, "no routine or reference matches --filter \"" + filter + "\""};
    const auto isBaseline = [&](std::size_t k) { return all[k].name == baseline; };
    if (std::none_of(selection.chosen.begin(), selection.chosen.end(), isBaseline)) {
        const auto found = std::find_if(all.begin(), all.end(), [&](const Named& e) { return e.name == baseline; });
        if (found != all.end()) selection.chosen.push_back(static_cast<std::size_t>(found - all.begin()));
    }
    return selection;
}
