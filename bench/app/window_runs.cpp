#include "bench/app/window_runs.h"

#include "bench/app/list.h"
#include "bench/measure/refusal.h"
#include "core/benchmark_run.h"
#include "sorts/routine_table.h"

int RunWindowRuns(const std::vector<std::string>& names, std::ostream& err) {
    std::vector<const RoutineEntry*> selected;
    for (const std::string& name : names) {
        const RoutineEntry* entry = FindRoutine(name.c_str());
        if (entry == nullptr) {
            Say(err, "unknown routine \"" + name + "\"");
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
