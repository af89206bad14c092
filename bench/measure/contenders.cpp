#include "bench/measure/contenders.h"

#include "bench/measure/reference_sorts.h"
#include "bench/measure/selection.h"
#include "sorts/routine_table.h"

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
    std::vector<Named> named;
    for (const Contender& contender : all) named.push_back({contender.name, contender.label});
    const NameSelection chosen = SelectNames(named, names, filter, baseline);
    Selection selection{{}, chosen.error};
    for (const std::size_t k : chosen.chosen) selection.contenders.push_back(all[k]);
    return selection;
}
