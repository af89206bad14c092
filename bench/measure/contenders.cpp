#include "bench/measure/contenders.h"

#include "bench/measure/reference_sorts.h"
#include "bench/measure/selection.h"
#include "sorts/first_pivot_sort.h"
#include "sorts/routine_table.h"
#include "sorts/sedgewick_sort.h"

namespace {

// Each product routine with the counter of its own steps.
struct RoutineCounter {
    SortRoutine routine;
    OperationCounter counter;
};

const RoutineCounter kRoutineCounters[] = {
    {FirstPivotSortTail, CountFirstPivotTail},
    {FirstPivotSortUnrolled, CountFirstPivotUnrolled},
    {SedgewickSortTail, CountSedgewickTail},
    {SedgewickSortUnrolled, CountSedgewickUnrolled},
    {SedgewickSortPlain, CountSedgewickPlain},
};

OperationCounter CounterOf(SortRoutine routine) {
    for (const RoutineCounter& known : kRoutineCounters)
        if (known.routine == routine) return known.counter;
    return nullptr;
}

}  // namespace

std::vector<Contender> AllContenders() {
    std::vector<Contender> all;
    for (const RoutineEntry& entry : RoutineTable)
        all.push_back({entry.caption, entry.buttonLabel, entry.routine, entry.bounds, false, 1,
                       CounterOf(entry.routine), "", ""});
    for (const ReferenceSort& sort : ReferenceSorts())
        all.push_back({sort.name, "", sort.routine, BoundForm::kExclusiveUpper, true, sort.threads, sort.counter,
                       sort.notCounted, sort.notRepeatable});
    return all;
}

Result<std::vector<Contender>> SelectContenders(const std::vector<Contender>& all,
                           const std::vector<std::string>& names, const std::string& filter,
                           const std::string& baseline) {
    std::vector<Named> named;
    for (const Contender& contender : all) named.push_back({contender.name, contender.label});
    const NameSelection chosen = SelectNames(named, names, filter, baseline);
    if (!chosen.error.empty()) return Refusal{chosen.error};
    std::vector<Contender> selection;
    for (const std::size_t k : chosen.chosen) selection.push_back(all[k]);
    return selection;
}
