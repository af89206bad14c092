// orvandel-bench: the window's five benchmark runs from a console. Each run
// reports through the same boxes as the window; without a window system the
// boxes print "caption: text" lines.
#include <cstdio>
#include <string_view>
#include <vector>

#include "core/benchmark_run.h"
#include "sorts/routine_table.h"

namespace {

void PrintUsage(std::FILE* out) {
    std::fputs("usage: orvandel-bench [ROUTINE...]\n"
               "Runs the named routines (button label or result caption, any case),\n"
               "or all five in button order. Routines:\n",
               out);
    for (const RoutineEntry& entry : RoutineTable)
        std::fprintf(out, "  \"%s\"  \"%s\"\n", entry.buttonLabel, entry.caption);
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<const RoutineEntry*> selected;
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (argument == "--help" || argument == "-h") {
            PrintUsage(stdout);
            return 0;
        }
        const RoutineEntry* entry = FindRoutine(argv[k]);
        if (entry == nullptr) {
            std::fprintf(stderr, "orvandel-bench: unknown routine \"%s\"\n", argv[k]);
            PrintUsage(stderr);
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
