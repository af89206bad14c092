// The counting program's references: none that need a library of their own.
// Their libraries' initialisers would run under valgrind before the count
// (Highway's times itself with an instruction valgrind may refuse), and
// none of those sorts is ever counted (MachineCountsRefused).
#include "bench/measure/reference_sorts.h"

const std::vector<ReferenceSort>& LinkedReferenceSorts() {
    static const std::vector<ReferenceSort> none;
    return none;
}

const std::vector<std::string>& MissingLinkedReferenceNotes() {
    static const std::vector<std::string> none;
    return none;
}
