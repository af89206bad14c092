#include "bench/measure/contenders.h"

#include "bench/measure/reference_sorts.h"
#include "bench/measure/selection.h"
#include "sorts/first_pivot_sort.h"
#include "sorts/routine_table.h"
#include "sorts/sedgewick_sort.h"
#include "sorts/typed_routines.h"

namespace {

// Each product routine with the counter of its own steps, and both over
// the other element types, from the same steps.
struct RoutineCounter {
    SortRoutine routine;
    OperationCounter counter;
    TypedSorts typed;
};

const RoutineCounter kRoutineCounters[] = {
    {FirstPivotSortTail, CountFirstPivotTail, ForEachType([](auto& s) {
         using T = ElementOfSort<decltype(s)>;
         s = {FirstPivotTailRange<T>, CountFirstPivotTailRange<T>};
     })},
    {FirstPivotSortUnrolled, CountFirstPivotUnrolled, ForEachType([](auto& s) {
         using T = ElementOfSort<decltype(s)>;
         s = {FirstPivotUnrolledRange<T>, CountFirstPivotUnrolledRange<T>};
     })},
    {SedgewickSortTail, CountSedgewickTail, ForEachType([](auto& s) {
         using T = ElementOfSort<decltype(s)>;
         s = {SedgewickTailRange<T>, CountSedgewickTailRange<T>};
     })},
    {SedgewickSortUnrolled, CountSedgewickUnrolled, ForEachType([](auto& s) {
         using T = ElementOfSort<decltype(s)>;
         s = {SedgewickUnrolledRange<T>, CountSedgewickUnrolledRange<T>};
     })},
    {SedgewickSortPlain, CountSedgewickPlain, ForEachType([](auto& s) {
         using T = ElementOfSort<decltype(s)>;
         s = {SedgewickPlainRange<T>, CountSedgewickPlainRange<T>};
     })},
};

const RoutineCounter* CounterOf(SortRoutine routine) {
    for (const RoutineCounter& known : kRoutineCounters)
        if (known.routine == routine) return &known;
    return nullptr;
}

}  // namespace

std::vector<Contender> AllContenders() {
    std::vector<Contender> all;
    for (const RoutineEntry& entry : RoutineTable) {
        const RoutineCounter* own = CounterOf(entry.routine);
        Contender routine{entry.caption, entry.buttonLabel, entry.routine, entry.bounds, false, 1, own->counter, "", ""};
        routine.typed = own->typed;
        all.push_back(routine);
    }
    for (const ReferenceSort& sort : ReferenceSorts()) {
        Contender reference{sort.name, "", sort.routine, BoundForm::kExclusiveUpper, true, sort.threads, sort.counter,
                            sort.notCounted, sort.notRepeatable};
        reference.typed = sort.typed;
        all.push_back(reference);
    }
    return all;
}

std::string NotSorted(const Contender& contender, ElementType type) {
    return WithElementType(type, [&](auto tag) {
        using T = typename decltype(tag)::type;
        if constexpr (std::is_same_v<T, std::int32_t>) return contender.notSortedI32;
        else return SortOf<T>(contender.typed).notSorted;
    });
}

std::vector<ElementType> SortedTypes(const Contender& contender) {
    std::vector<ElementType> types;
    for (const ElementTypeEntry& entry : kElementTypes)
        if (NotSorted(contender, entry.type).empty()) types.push_back(entry.type);
    return types;
}

bool Countable(const Contender& contender, ElementType type) {
    return WithElementType(type, [&](auto tag) {
        using T = typename decltype(tag)::type;
        if constexpr (std::is_same_v<T, std::int32_t>) return contender.counter != nullptr;
        else return SortOf<T>(contender.typed).counter != nullptr;
    });
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
