#include "bench/app/list.h"

#include "bench/measure/patterns.h"
#include "bench/measure/reference_sorts.h"
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
    for (const std::string& note : MissingReferenceNotes()) out << note << '\n';
    out << "Input shapes (--pattern, measuring only; all names every one):\n";
    for (const InputPattern& pattern : InputPatterns())
        out << "  " << pattern.name << std::string(15 - std::string(pattern.name).size(), ' ')
            << pattern.description << '\n';
}
