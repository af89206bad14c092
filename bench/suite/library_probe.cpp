#include "bench/suite/library_probe.h"

#include <iostream>
#include <map>

#include "bench/measure/sort_library.h"
#include "bench/suite/child_protocol.h"
#include "bench/suite/child_reports.h"

namespace {

// Initialisers of a library have the stack a program's main thread has.
constexpr std::size_t kProbeStackBytes = std::size_t{8} << 20;

// For the whole run: the files held, by path, and what each value named.
std::map<std::string, std::intptr_t> heldFiles;
std::map<std::string, std::vector<std::string>> probedNames;

// Lets go of the files a refused probe held first: nothing is measured
// with them.
struct NewHolds {
    std::vector<std::string> paths;
    bool kept = false;
    ~NewHolds() {
        if (kept) return;
        for (const std::string& path : paths) {
            ReleaseFile(heldFiles[path]);
            heldFiles.erase(path);
        }
    }
};

// Holds the file of value; refused with the system's reason.
Result<std::intptr_t> Hold(const std::string& value, NewHolds* holds = nullptr) {
    const std::string path = SplitLibraryValue(value).path;
    const auto found = heldFiles.find(path);
    if (found != heldFiles.end()) return found->second;
    const Result<std::intptr_t> held = HoldFile(path);
    if (!held) return held;
    heldFiles[path] = *held;
    if (holds != nullptr) holds->paths.push_back(path);
    return held;
}

// What the child reported: the value it was loading, the sorts it found
// with the value that loads each, and its refusal if any.
struct Probe {
    std::size_t loading = 0;
    std::vector<std::pair<std::string, std::size_t>> sorts;
    std::string refusal;
    bool done = false;
};

// Reports after hello: "loading K", "sort NAME", "refused TEXT", "done";
// anything else is not the probe's.
bool TakeProbeLine(const std::string& line, std::size_t values, Probe& probe) {
    LoadingMessage loading;
    SortMessage sort;
    RefusedMessage refused;
    DoneMessage done;
    if (Decode(line, loading) && loading.value < values) probe.loading = loading.value;
    else if (Decode(line, sort)) probe.sorts.emplace_back(sort.name, probe.loading);
    else if (Decode(line, refused)) probe.refusal = refused.reason;
    else if (Decode(line, done)) probe.done = true;
    else return false;
    return true;
}

// Reads the probe to its end: false with the heard and the line when it
// ended otherwise than by saying done or refused.
Heard FollowProbe(ChildLink& link, const Clock::time_point& deadline, std::size_t values, Probe& probe,
                  std::string& line) {
    HelloMessage hello;
    Heard heard = Await(link, deadline, hello, line);
    while (heard == Heard::kMessage && !probe.done && probe.refusal.empty()) {
        heard = NextLine(link, deadline, line);
        if (heard == Heard::kMessage && !TakeProbeLine(line, values, probe)) heard = Heard::kBroken;
    }
    return heard;
}

struct ProbeWork {
    const std::vector<std::string>* arguments;
    std::vector<Contender>* known;
};

// Each value in turn, its sorts' names reported as they are found.
void LoadAndReport(void* argument) {
    const ProbeWork& work = *static_cast<ProbeWork*>(argument);
    const std::vector<std::string>& arguments = *work.arguments;
    for (std::size_t k = 0; k + 1 < arguments.size(); k += 2) {
        Send(LoadingMessage{k / 2});
        const std::size_t before = work.known->size();
        const Check added = AddLibrarySort(arguments[k], arguments[k + 1], *work.known);
        if (!added) {
            Send(RefusedMessage{added.why()});
            return;
        }
        for (std::size_t s = before; s < work.known->size(); ++s) Send(SortMessage{(*work.known)[s].name});
    }
    Send(DoneMessage{});
}

}  // namespace

std::string InternalOptionText(const char* flag) {
    return std::string(flag) + " is an internal option of the tool, for the children it starts itself";
}

std::intptr_t HeldLibrary(const std::string& value) {
    const Result<std::intptr_t> held = Hold(value);
    return held ? *held : -1;
}

const std::vector<std::string>* ProbedNames(const std::string& value) {
    const auto found = probedNames.find(value);
    return found == probedNames.end() ? nullptr : &found->second;
}

Check ProbeSortLibraries(const std::vector<std::string>& values, double seconds, std::vector<Contender>& contenders) {
    if (values.empty()) return Passed{};
    std::vector<std::string> arguments = {kProbingChildFlag};
    std::vector<std::intptr_t> held;
    NewHolds holds;
    for (const std::string& value : values) {
        // The value is judged before its file is opened, as the loader judges it.
        const Result<LibraryParts> parts = ParseLibraryValue(value);
        if (!parts) return Refusal{"--sort-library " + value + ": " + parts.why()};
        const Result<std::intptr_t> file = Hold(value, &holds);
        if (!file) return Refusal{"--sort-library " + value + ": " + file.why()};
        arguments.insert(arguments.end(), {value, HeldFilePath(held.size(), SplitLibraryValue(value).path)});
        held.push_back(*file);
    }
    Result<ChildProcess> child = StartChild(arguments, held);
    if (!child) return Refusal{child.why()};
    ChildLink link{std::move(*child), ""};
    Probe probe;
    std::string line;
    const Heard heard = FollowProbe(link, After(seconds), values.size(), probe, line);
    const ChildStatus status = FinishChild(link.child, probe.done ? seconds : 0);
    const std::string where = "--sort-library " + values[probe.loading] + ": ";
    std::string error;
    if (!probe.refusal.empty()) error = probe.refusal;
    else if (heard == Heard::kSilent) error = where + "still loading after " + Number(seconds) + " s";
    else if (heard == Heard::kBroken) error = where + "loading it " + BrokenText(line, "the probe's report");
    else if (!probe.done || status.end != ChildEnd::kExited || status.exitCode != 0 || status.killed)
        error = where + "loading it crashed: " + EndText(status);
    if (!probe.done || !error.empty()) return Refusal{error};
    holds.kept = true;
    for (const std::string& value : values) probedNames[value].clear();  // this probe's names only
    for (const auto& [name, k] : probe.sorts) {
        contenders.push_back(LoadedContender(name, values[k], nullptr));
        probedNames[values[k]].push_back(name);
    }
    return Passed{};
}

int RunProbingChild(const std::vector<std::string>& arguments, std::vector<Contender> known) {
    if (arguments.size() % 2 != 0 || !ConnectToParent())
        return Refuse(std::cerr, InternalOptionText(kProbingChildFlag));
    Send(HelloMessage{});
    // As a guarded child sorts: so a fault while loading ends this process
    // in a way the parent reads as a crash, on every system.
    ProbeWork work{&arguments, &known};
    RunOnLargeStack(LoadAndReport, &work, kProbeStackBytes);
    return 0;
}
