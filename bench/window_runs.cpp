#include "bench/window_runs.h"

#include "bench/patterns.h"
#include "bench/reference_sorts.h"
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

void ListContenders(std::ostream& out) {
    out << "Routines (button label, result caption):\n";
    for (const RoutineEntry& entry : RoutineTable)
        out << "  \"" << entry.buttonLabel << "\"  \"" << entry.caption << "\"\n";
    out << "References (measuring only):\n";
    for (const ReferenceSort& sort : ReferenceSorts()) out << "  " << sort.name << '\n';
    for (const std::string& note : MissingReferenceNotes()) out << note << '\n';
    out << "Input shapes (--pattern, measuring only; all names every one):\n";
    for (const InputPattern& pattern : InputPatterns())
        out << "  " << pattern.name << std::string(15 - std::string(pattern.name).size(), ' ')
            << pattern.description << '\n';
}
