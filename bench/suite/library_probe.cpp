#include "bench/suite/library_probe.h"

#include "bench/measure/sort_library.h"
#include "bench/suite/child_reports.h"

namespace {

// Initialisers of a library have the stack a program's main thread has.
constexpr std::size_t kProbeStackBytes = std::size_t{8} << 20;

// What the child reported: the value it was loading, the sorts it found
// with the value that loads each, and its refusal if any.
struct Probe {
    std::size_t loading = 0;
    std::vector<std::pair<std::string, std::size_t>> sorts;
    std::string refusal;
    bool done = false;
};

// Reports: "loading K" (the value the child opens), "sort NAME", "refused
// TEXT", "done".
void TakeProbeLine(const std::string& line, std::size_t values, Probe& probe) {
    const std::size_t space = line.find(' ');
    const std::string word = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    long long k = 0;
    if (word == "loading" && ReadWhole(rest, 0, static_cast<long long>(values) - 1, k))
        probe.loading = static_cast<std::size_t>(k);
    else if (word == "sort" && !rest.empty())
        probe.sorts.emplace_back(rest, probe.loading);
    else if (word == "refused")
        probe.refusal = rest;
    else if (word == "done")
        probe.done = true;
}

struct ProbeWork {
    const std::vector<std::string>* values;
    std::vector<Contender>* known;
};

// Each value in turn, its sorts' names reported as they are found.
void LoadAndReport(void* argument) {
    const ProbeWork& work = *static_cast<ProbeWork*>(argument);
    for (std::size_t k = 0; k < work.values->size(); ++k) {
        Say("loading " + std::to_string(k));
        const std::size_t before = work.known->size();
        std::string error;
        if (!AddLibrarySorts({(*work.values)[k]}, *work.known, error)) {
            Say("refused " + error);
            return;
        }
        for (std::size_t s = before; s < work.known->size(); ++s) Say("sort " + (*work.known)[s].name);
    }
    Say("done");
}

}  // namespace

bool ProbeSortLibraries(const std::vector<std::string>& values, double seconds, std::vector<Contender>& contenders,
                        std::string& error) {
    if (values.empty()) return true;
    std::vector<std::string> arguments = {kProbingChildFlag};
    arguments.insert(arguments.end(), values.begin(), values.end());
    ChildProcess child;
    if (!StartChild(arguments, child, error)) return false;
    Probe probe;
    const ChildRead read = FollowLines(child, After(seconds),
                                       [&](const std::string& line) { TakeProbeLine(line, values.size(), probe); });
    const bool hung = read == ChildRead::kTimeout;
    const ChildStatus status = FinishChild(child, hung);
    const std::string& value = values[probe.loading];
    if (!probe.refusal.empty()) error = probe.refusal;
    else if (hung) error = "--sort-library " + value + ": still loading after " + Number(seconds) + " s";
    else if (!probe.done || status.end != ChildEnd::kExited || status.exitCode != 0)
        error = "--sort-library " + value + ": loading it crashed: " + EndText(status);
    if (!probe.done || !error.empty()) return false;
    for (const auto& [name, k] : probe.sorts) contenders.push_back(LoadedContender(name, values[k], nullptr));
    return true;
}

int RunProbingChild(const std::vector<std::string>& values, std::vector<Contender> known) {
    if (!StaysWithParent()) return 2;
    // As a guarded child sorts: so a fault while loading ends this process
    // in a way the parent reads as a crash, on every system.
    ProbeWork work{&values, &known};
    RunOnLargeStack(LoadAndReport, &work, kProbeStackBytes);
    return 0;
}
