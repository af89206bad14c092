#include "bench/app/window_runs.h"

#include "bench/app/list.h"
#include "bench/measure/name_lists.h"
#include "bench/measure/refusal.h"
#include "core/benchmark_run.h"
#include "sorts/routine_table.h"

namespace {

// The refusal of an unknown name, with the routines it was probably meant
// to be; the whole list follows it.
std::string UnknownRoutine(const std::string& name) {
    std::vector<std::string> known;
    for (const RoutineEntry& entry : RoutineTable) known.insert(known.end(), {entry.buttonLabel, entry.caption});
    return "unknown routine \"" + name + "\"" + Suggestion(name, known, "");
}

}  // namespace

int RunWindowRuns(const std::vector<std::string>& names, std::ostream& err) {
    std::vector<const RoutineEntry*> selected;
    for (const std::string& name : names) {
        const RoutineEntry* entry = FindRoutine(name.c_str());
        if (entry == nullptr) {
            Say(err, UnknownRoutine(name));
            ListContenders(err);
            return kRefusedStatus;
        }
        selected.push_back(entry);
    }
    if (selected.empty())
        for (const RoutineEntry& entry : RoutineTable) selected.push_back(&entry);

    bool allOrdered = true;
    for (const RoutineEntry* entry : selected)
        allOrdered &= RunBenchmark(nullptr, entry->routine, entry->bounds, entry->caption);
    return allOrdered ? 0 : 1;
}
