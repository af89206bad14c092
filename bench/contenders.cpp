#include "bench/contenders.h"

#include <algorithm>
#include <regex>

#include "bench/reference_sorts.h"
#include "sorts/routine_table.h"

namespace {

bool IsNamed(const Contender& contender, const std::vector<std::string>& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return SameIgnoringCase(name.c_str(), contender.name.c_str()) ||
               (!contender.label.empty() &&
                SameIgnoringCase(name.c_str(), contender.label.c_str()));
    });
}

const std::string* FirstUnknownName(const std::vector<Contender>& all,
                                    const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (std::none_of(all.begin(), all.end(),
                         [&](const Contender& c) { return IsNamed(c, {name}); }))
            return &name;
    return nullptr;
}

}  // namespace

std::vector<Contender> AllContenders() {
    std::vector<Contender> all;
    for (const RoutineEntry& entry : RoutineTable)
        all.push_back({entry.caption, entry.buttonLabel, entry.routine, entry.bounds, false, 1});
    for (const ReferenceSort& sort : ReferenceSorts())
        all.push_back({sort.name, "", sort.routine, BoundForm::kExclusiveUpper, true, sort.threads});
    return all;
}

Selection SelectContenders(const std::vector<Contender>& all,
                           const std::vector<std::string>& names, const std::string& filter,
                           const std::string& baseline) {
    if (const std::string* unknown = FirstUnknownName(all, names))
        return {{}, "unknown routine \"" + *unknown + "\" (--list shows the names)"};
    std::regex pattern;
    try {
        pattern = std::regex(filter);
    } catch (const std::regex_error& e) {
        return {{}, "--filter \"" + filter + "\" is not a valid regular expression: " + e.what()};
    }
    const bool everything = names.empty() && filter.empty();
    Selection selection;
    for (const Contender& contender : all) {
        const bool filtered = !filter.empty() && (std::regex_search(contender.name, pattern) ||
                                                  std::regex_search(contender.label, pattern));
        if (everything || filtered || IsNamed(contender, names))
            selection.contenders.push_back(contender);
    }
    if (selection.contenders.empty())
        return {{}, "no routine or reference matches --filter \"" + filter + "\""};
    const auto hasBaseline = [&](const Contender& c) { return c.name == baseline; };
    if (std::none_of(selection.contenders.begin(), selection.contenders.end(), hasBaseline)) {
        const auto found = std::find_if(all.begin(), all.end(), hasBaseline);
        if (found != all.end()) selection.contenders.push_back(*found);
    }
    return selection;
}
