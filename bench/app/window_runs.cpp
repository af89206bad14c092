#include "bench/app/window_runs.h"

#include "bench/app/list.h"
#include "core/benchmark_run.h"
#include "sorts/routine_table.h"

int RunWindowRuns(const std::vector<std::string>& names, std::ostream& err) {
    std::vector<const RoutineEntry*> selected;
    for (const std::string& name : names) {
        const RoutineEntry* entry = FindRoutine(name.c_str());
        if (entry == nullptr) {
            err << "orvandel-bench: unknown routine \"" << name << "\"\n";
            ListContenders(err);
            return 2;
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
