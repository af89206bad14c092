#include "bench/suite/library_probe.h"

#include <iostream>
#include <map>

#include "bench/measure/sort_library.h"
#include "bench/suite/child_reports.h"

namespace {

// Initialisers of a library have the stack a program's main thread has.
constexpr std::size_t kProbeStackBytes = std::size_t{8} << 20;

// For the whole run: the files held, by path, and what each value named.
std::map<std::string, std::intptr_t> heldFiles;
std::map<std::string, std::vector<SortMessage>> probedSorts;

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

// What the child reported: the sorts it found, and its refusal if any.
struct Probe {
    std::vector<SortMessage> sorts;
    std::string refusal;
    bool done = false;
};

// Reports after hello: "loading 0" (its one value), "sort TYPES NAME",
// "refused TEXT", "done"; anything else is not the probe's.
bool TakeProbeLine(const std::string& line, Probe& probe) {
    LoadingMessage loading;
    SortMessage sort;
    RefusedMessage refused;
    DoneMessage done;
    if (Decode(line, loading) && loading.value == 0) return true;
    if (Decode(line, sort)) probe.sorts.push_back(sort);
    else if (Decode(line, refused)) probe.refusal = refused.reason;
    else if (Decode(line, done)) probe.done = true;
    else return false;
    return true;
}

// Reads the probe to its end: false with the heard and the line when it
// ended otherwise than by saying done or refused.
Heard FollowProbe(ChildLink& link, const Clock::time_point& deadline, Probe& probe, std::string& line) {
    HelloMessage hello;
    Heard heard = Await(link, deadline, hello, line);
    while (heard == Heard::kMessage && !probe.done && probe.refusal.empty()) {
        heard = NextLine(link, deadline, line);
        if (heard == Heard::kMessage && !TakeProbeLine(line, probe)) heard = Heard::kBroken;
    }
    return heard;
}

struct ProbeWork {
    const std::vector<std::string>* arguments;
    std::vector<Contender>* known;
};

// Each value in turn, its sorts reported as they are found.
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
        for (std::size_t s = before; s < work.known->size(); ++s) ReportLoadedSort((*work.known)[s]);
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

const std::vector<SortMessage>* ProbedSorts(const std::string& value) {
    const auto found = probedSorts.find(value);
    return found == probedSorts.end() ? nullptr : &found->second;
}

void ReportLoadedSort(const Contender& loaded) {
    Send(SortMessage{loaded.name, SortedTypes(loaded)});
}

namespace {

// Probes one value in a child of its own, so that no library's initialiser
// runs beside another's loading, and takes the names it reports as the
// names rule takes any, each sort with the types it reports.
Check ProbeOne(const std::string& value, double seconds, std::vector<Contender>& contenders) {
    // The value is judged before its file is opened, as the loader judges it.
    const std::string where = "--sort-library " + value + ": ";
    const Result<LibraryParts> parts = ParseLibraryValue(value);
    if (!parts) return Refusal{where + parts.why()};
    NewHolds holds;
    const Result<std::intptr_t> file = Hold(value, &holds);
    if (!file) return Refusal{where + file.why()};
    Result<ChildProcess> child = StartChild({kProbingChildFlag, value, HeldFilePath(0, parts->path)}, {*file});
    if (!child) return Refusal{child.why()};
    ChildLink link{std::move(*child), ""};
    Probe probe;
    std::string line;
    const Heard heard = FollowProbe(link, After(seconds), probe, line);
    const ChildStatus status =
        FinishChild(link.child, probe.done ? seconds : heard == Heard::kEnded ? kEndingSeconds : 0);
    std::string error;
    if (!probe.refusal.empty()) error = probe.refusal;
    else if (heard == Heard::kSilent) error = where + "still loading after " + Number(seconds) + " s";
    else if (heard == Heard::kBroken) error = where + "loading it " + BrokenText(line, "the probe's report");
    else if (!probe.done || status.end != ChildEnd::kExited || status.exitCode != 0 || status.killed)
        error = where + "loading it crashed: " + EndText(status);
    if (!probe.done || !error.empty()) return Refusal{error};
    for (const SortMessage& sort : probe.sorts) {
        const Check admitted = CheckNewSortName(sort.name, contenders);
        if (!admitted) return Refusal{where + admitted.why()};
        contenders.push_back(LoadedContender(sort.name, value, sort.types, nullptr));
    }
    holds.kept = true;
    probedSorts[value] = probe.sorts;
    return Passed{};
}

}  // namespace

Check ProbeSortLibraries(const std::vector<std::string>& values, double seconds, std::vector<Contender>& contenders) {
    // All or none: a refused value leaves no sort of the values before it.
    std::vector<Contender> found = contenders;
    for (const std::string& value : values) {
        const Check probed = ProbeOne(value, seconds, found);
        if (!probed) return probed;
    }
    contenders = std::move(found);
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
