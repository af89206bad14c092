#include "sorts/routine_table.h"

#include "sorts/first_pivot_sort.h"
#include "sorts/sedgewick_sort.h"

const RoutineEntry RoutineTable[kRoutineCount] = {
    {101, "Qsort C", "Full Optimised C", FirstPivotSortTail, BoundForm::kExclusiveUpper},
    {102, "Qsort asm", "Full Optimised MASM", FirstPivotSortUnrolled,
     BoundForm::kExclusiveUpper},
    {103, "SB sort C", "Sedgewick qsort C", SedgewickSortTail, BoundForm::kInclusiveUpper},
    {104, "SB sort asm", "Sedgewick qsort MASM", SedgewickSortUnrolled,
     BoundForm::kInclusiveUpper},
    {105, "Optimise Me", "Sedgewick qsort Unoptimised", SedgewickSortPlain,
     BoundForm::kInclusiveUpper},
};

namespace {

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool SameIgnoringCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b)
        if (LowerAscii(*a) != LowerAscii(*b)) return false;
    return *a == *b;
}

const RoutineEntry* FindRoutine(const char* name) {
    for (const RoutineEntry& entry : RoutineTable)
        if (SameIgnoringCase(name, entry.buttonLabel) || SameIgnoringCase(name, entry.caption))
            return &entry;
    return nullptr;
}
