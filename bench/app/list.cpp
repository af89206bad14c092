#include "bench/app/list.h"

#include "bench/measure/contenders.h"
#include "bench/measure/patterns.h"
#include "bench/measure/reference_sorts.h"
#include "bench/suite/machine_counting.h"
#include "sorts/routine_table.h"

void ListContenders(std::ostream& out) {
    out << "Routines (button label, result caption):\n";
    for (const RoutineEntry& entry : RoutineTable)
        out << "  \"" << entry.buttonLabel << "\"  \"" << entry.caption << "\"\n";
    out << "References (measuring only):\n";
    for (const ReferenceSort& sort : ReferenceSorts()) out << "  " << sort.name << '\n';
    out << "Counted by --operations: the routines' comparisons, exchanges, calls and depth, the references'\n"
           "comparisons; n/a for\n";
    for (const ReferenceSort& sort : ReferenceSorts())
        if (sort.counter == nullptr) out << "  " << sort.name << ": " << sort.notCounted << '\n';
    out << "Counted by --machine-counts: instructions, branch and cache misses of every sort that runs on one\n"
           "thread and does the same work on every run; n/a for\n";
    const std::string unavailable = MachineCountsUnavailable();
    if (!unavailable.empty()) out << "  every sort, on this system: " << unavailable << '\n';
    for (const Contender& contender : AllContenders()) {
        const std::string refused = MachineCountsRefused(contender);
        if (!refused.empty()) out << "  " << contender.name << ": " << refused << '\n';
    }
    out << "Element types (--type, measuring only; all names every one):\n";
    for (const ElementTypeEntry& type : kElementTypes)
        out << "  " << type.name << std::string(8 - std::string(type.name).size(), ' ') << type.element << '\n';
    out << "Sorted as every type but n/a for\n";
    for (const Contender& contender : AllContenders())
        for (const ElementTypeEntry& type : kElementTypes) {
            const std::string why = NotSorted(contender, type.type);
            if (!why.empty()) out << "  " << contender.name << " on " << type.name << ": " << why << '\n';
        }
    for (const std::string& note : MissingReferenceNotes()) out << note << '\n';
    out << "Input shapes (--pattern, measuring only; all names every one):\n";
    for (const InputPattern& pattern : InputPatterns())
        out << "  " << pattern.name << std::string(15 - std::string(pattern.name).size(), ' ')
            << pattern.description << '\n';
}
