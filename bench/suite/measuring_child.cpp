#include "bench/suite/measuring_child.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>

#include "bench/measure/batch.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/machine_counts.h"
#include "bench/measure/patterns.h"
#include "bench/measure/repetitions.h"
#include "bench/measure/sort_check.h"
#include "bench/measure/sort_library.h"
#include "bench/suite/callgrind_dump.h"
#include "bench/suite/library_probe.h"
#include "bench/suite/simulation.h"

namespace {

// The child's arguments, in this order, then the names of its contenders.
// The shape comes first, where the tests' children look for it.
enum ChildArgument { kPattern, kCount, kSeed, kMinTime, kTimeLimit, kSameData, kType, kLibrary, kOpenAs, kNames };

std::vector<std::string> ChildArguments(const MeasureSettings& settings, const std::string& library,
                                        const std::string& openAs, const std::vector<std::string>& names) {
    std::vector<std::string> arguments = {kMeasuringChildFlag,
                                          settings.pattern,
                                          std::to_string(settings.count),
                                          std::to_string(settings.seed),
                                          Number(settings.minTimeMs),
                                          Number(settings.timeLimitSeconds),
                                          settings.sameData ? "1" : "0",
                                          ElementTypeName(settings.type),
                                          library,
                                          openAs};
    arguments.insert(arguments.end(), names.begin(), names.end());
    return arguments;
}

bool ReadSettings(const std::vector<std::string>& arguments, MeasureSettings& settings) {
    long long count = 0, seed = 0, sameData = 0;
    if (arguments.size() <= kNames || FindPattern(arguments[kPattern]) == nullptr ||
        !ReadWhole(arguments[kCount], 2, kLargestCount, count) || !ReadWhole(arguments[kSeed], 0, 4294967295, seed) ||
        !ReadNumber(arguments[kMinTime], settings.minTimeMs) ||
        !ReadNumber(arguments[kTimeLimit], settings.timeLimitSeconds) ||
        !ReadWhole(arguments[kSameData], 0, 1, sameData) || FindElementType(arguments[kType]) == nullptr ||
        arguments[kLibrary].empty() != arguments[kOpenAs].empty())
        return false;
    settings.type = FindElementType(arguments[kType])->type;
    settings.pattern = arguments[kPattern];
    settings.count = static_cast<std::int32_t>(count);
    settings.seed = static_cast<std::uint32_t>(seed);
    settings.sameData = sameData == 1;
    return true;
}

// The contenders named from kNames on, or false.
bool FindContenders(const std::vector<std::string>& arguments, const std::vector<Contender>& known,
                    std::vector<Contender>& contenders) {
    for (std::size_t k = kNames; k < arguments.size(); ++k) {
        const auto found = std::find_if(known.begin(), known.end(),
                                        [&](const Contender& c) { return c.name == arguments[k]; });
        if (found == known.end()) return false;
        contenders.push_back(*found);
    }
    return true;
}

struct ChildWork {
    const std::vector<Contender>* contenders;
    const CellData* data;
    const MeasureSettings* settings;
};

// The counter of contender for T.
template <typename T>
OperationCounts CountSort(const Contender& contender, T* slots, std::int32_t count) {
    if constexpr (std::is_same_v<T, std::int32_t>)
        return contender.counter(slots, 1, UpperBound(contender.bounds, count));
    else
        return SortOf<T>(contender.typed).counter(slots + 1, slots + count);
}

// A count of contender's work on draw 0, checked like every sort.
template <typename T>
CountedMessage Count(const Contender& contender, const CellData& data, const CountMessage& asked) {
    std::vector<T> slots(static_cast<std::size_t>(data.count) + 1);
    std::vector<char> bytes(ElementBytes<T>(data.count));
    const WrittenCopy<T> written = WriteCopy(data, 0, slots.data(), bytes.data());
    Send(CountingMessage{asked.contender, asked.token});
    const OperationCounts counts = CountSort(contender, slots.data(), data.count);
    return {asked.contender, asked.token, counts, CheckCopy(data, written, slots.data())};
}

// A sort as the count runs it: plain, so that it is copied beside the
// sort's frames and nothing of the caller's is read while counting.
template <typename T>
struct SimulatedSort {
    SortCall<T> call;
    T* slots;
    std::int32_t count;
};
static_assert(sizeof(SimulatedSort<std::int32_t>) <= kCollectedArgumentBytes);
static_assert(sizeof(SimulatedSort<orvandel_string>) <= kCollectedArgumentBytes);

template <typename T>
void SortSimulated(void* raw) {
    const SimulatedSort<T>& sort = *static_cast<const SimulatedSort<T>*>(raw);
    SortSlots(sort.call, sort.slots, sort.count);
}

// Contender's sort of draw 0 with callgrind collecting around the sort
// alone, checked like every sort; its counts are in the dump it leaves.
// The copy starts at a multiple of the caches' largest way, wherever the
// allocator would have put it (which depends on what this process read
// before): its values then take the same lines and sets in every count.
// storage holds count + 1 slots from there, and the way besides.
template <typename T>
T* AlignedSlots(std::vector<T>& storage, std::int32_t count) {
    constexpr std::size_t way = LargestWayBytes();
    const std::size_t bytes = (static_cast<std::size_t>(count) + 1) * sizeof(T);
    storage.resize((bytes + way) / sizeof(T));
    void* start = storage.data();
    std::size_t space = storage.size() * sizeof(T);
    return static_cast<T*>(std::align(way, bytes, start, space));
}

template <typename T>
SimulatedMessage Simulate(const Contender& contender, const CellData& data, const SimulateMessage& asked) {
    std::vector<T> storage;
    T* slots = AlignedSlots(storage, data.count);
    std::vector<char> bytes(ElementBytes<T>(data.count));
    const WrittenCopy<T> written = WriteCopy(data, 0, slots, bytes.data());
    Send(CountingMessage{asked.contender, asked.token});
    const SimulatedSort<T> sort{CallOf<T>(contender), slots, data.count};
    CollectAround(SortSimulated<T>, &sort, sizeof sort, DumpTrigger(asked.token));
    return {asked.contender, asked.token, CheckCopy(data, written, slots)};
}

// Runs what the parent asks, one request at a time, until it says finish,
// with the cell's values as elements of T. What a sort printed is out
// before the report that follows it.
template <typename T>
void ServeRequestsOf(const ChildWork& work) {
    const std::vector<Contender>& contenders = *work.contenders;
    const ElementType type = ElementOf<T>::type;
    // What the parent may ask: a contender with a sort of T, that says so.
    const auto sorts = [&](std::size_t k) {
        return k < contenders.size() && HasSortOf<T>(contenders[k]) && NotSorted(contenders[k], type).empty();
    };
    Copies<T> copies;
    for (std::string line; Listen(line);) {
        RunMessage run;
        CountMessage count;
        SimulateMessage simulate;
        if (Decode(line, run) && sorts(run.contender)) {
            Send(StartedMessage{run.repetition, run.token});
            const Sample sample =
                RunRepetition(contenders[run.contender], *work.data, *work.settings, run.firstDraw, run.batch, copies);
            std::fflush(nullptr);
            Send(SampleMessage{run.repetition, run.token, sample});
        } else if (Decode(line, count) && sorts(count.contender) && Countable(contenders[count.contender], type)) {
            const CountedMessage counted = Count<T>(contenders[count.contender], *work.data, count);
            std::fflush(nullptr);
            Send(counted);
        } else if (Decode(line, simulate) && sorts(simulate.contender)) {
            const SimulatedMessage simulated = Simulate<T>(contenders[simulate.contender], *work.data, simulate);
            std::fflush(nullptr);
            Send(simulated);
        } else {
            return;  // finish, or a request this program does not make
        }
    }
}

void ServeRequests(void* raw) {
    const ChildWork& work = *static_cast<const ChildWork*>(raw);
    WithElementType(work.settings->type, [&](auto tag) { ServeRequestsOf<typename decltype(tag)::type>(work); });
}

// Refuses on the channel and on standard error, with the exit status.
int RefuseToParent(const std::string& reason, int status) {
    Send(RefusedMessage{reason});
    return Refuse(std::cerr, reason, status);
}

}  // namespace

int RunMeasuringChild(const std::vector<std::string>& arguments, std::vector<Contender> known) {
    MeasureSettings settings;
    if (!ReadSettings(arguments, settings))
        return Refuse(std::cerr, std::string(kMeasuringChildFlag) + ": arguments this program did not write");
    // Before the data, which may take long: an orphan would sort on for no one.
    if (!ConnectToParent()) return Refuse(std::cerr, InternalOptionText(kMeasuringChildFlag));
    Send(HelloMessage{});
    const std::size_t builtIn = known.size();
    if (!arguments[kLibrary].empty()) {
        const Check added = AddLibrarySort(arguments[kLibrary], arguments[kOpenAs], known);
        if (!added) return RefuseToParent(added.why(), kRefusedStatus);
    }
    for (std::size_t k = builtIn; k < known.size(); ++k) ReportLoadedSort(known[k]);
    std::vector<Contender> contenders;
    if (!FindContenders(arguments, known, contenders))
        return RefuseToParent(std::string(kMeasuringChildFlag) + ": arguments this program did not write", kRefusedStatus);
    Result<CellData> data = GenerateData(settings);
    if (!data) return RefuseToParent(data.why(), 1);
    Send(ReadyMessage{});
    ChildWork work{&contenders, &*data, &settings};
    // Under valgrind the sorts run on the main thread, given as large a
    // stack by valgrind's options (CallgrindOptions): with a second thread,
    // the order in which valgrind runs the two threads' first steps would
    // change what its branch predictor remembers, and so the counts.
    if (UnderValgrind())
        ServeRequests(&work);
    else
        RunOnLargeStack(ServeRequests, &work, kSortStackBytes);
    std::fflush(nullptr);
    Send(DoneMessage{});
    return 0;
}

namespace {

// Why a child lost in the middle of its work, stopped already, has no
// report: heard says how the wait for expected ended, line what came
// instead.
std::string LostText(Heard heard, const std::string& line, const std::string& expected, const ChildStatus& status,
                     double silentSeconds) {
    switch (heard) {
        case Heard::kSilent: return "no report within " + Number(silentSeconds) + " s";
        case Heard::kBroken: return BrokenText(line, expected);
        case Heard::kEnded:
            if (status.killed) return "stopped reporting: its report channel closed while it ran on";
            // An exit, even with status 0, is a crash here: a sort of the
            // row ended its process in the middle of the work.
            if (status.end == ChildEnd::kExited) return EndText(status) + " before it sent " + expected;
            break;
        case Heard::kMessage: break;
    }
    return EndText(status);
}

// Reads the sorts a library child names up to its ready; kOtherSorts when
// they, or the types they sort, are not the ones its library named when it
// was probed.
ChildStart AwaitReady(MeasuringChild& child, const std::string& library, const MeasureSettings& settings,
                      std::string& text) {
    const Clock::time_point deadline = After(ReportAllowanceSeconds(settings));
    std::vector<SortMessage> sorts;
    for (;;) {
        std::string line;
        const Heard heard = NextLine(child.link, deadline, line);
        SortMessage sort;
        ReadyMessage ready;
        RefusedMessage refused;
        if (heard == Heard::kMessage && Decode(line, sort)) {
            sorts.push_back(sort);
        } else if (heard == Heard::kMessage && Decode(line, ready)) {
            const std::vector<SortMessage>* probed = ProbedSorts(library);
            if (probed == nullptr || sorts == *probed) return ChildStart::kReady;
            text = "its library named other sorts, or other types of them, in this process than when it was opened first";
            return ChildStart::kOtherSorts;
        } else if (heard == Heard::kMessage && Decode(line, refused)) {
            text = refused.reason;
            return ChildStart::kLost;
        } else {
            const Heard lost = heard == Heard::kMessage ? Heard::kBroken : heard;
            text = LostText(lost, line, "ready", StopMeasuringChild(child, lost), ReportAllowanceSeconds(settings));
            return ChildStart::kLost;
        }
    }
}

}  // namespace

ChildStart StartMeasuringChild(const MeasureSettings& settings, const std::string& library,
                               const std::vector<std::string>& names, const std::vector<std::string>& launcher,
                               MeasuringChild& child, std::string& text) {
    std::vector<std::intptr_t> held;
    std::string openAs;
    if (!library.empty()) {
        held.push_back(HeldLibrary(library));
        openAs = HeldFilePath(0, SplitLibraryValue(library).path);
    }
    Result<ChildProcess> process = StartChildUnder(launcher, ChildArguments(settings, library, openAs, names), held);
    if (!process) {
        text = process.why();
        return ChildStart::kCannot;
    }
    child.link = ChildLink{std::move(*process), ""};
    HelloMessage hello;
    std::string line;
    const Heard heard = Await(child.link, After(ReportAllowanceSeconds(settings)), hello, line);
    if (heard != Heard::kMessage) {
        text = LostText(heard, line, Encode(HelloMessage{}), StopMeasuringChild(child, heard),
                        ReportAllowanceSeconds(settings));
        return ChildStart::kLost;
    }
    const ChildStart start = AwaitReady(child, library, settings, text);
    if (start != ChildStart::kReady && child.running()) StopMeasuringChild(child, Heard::kBroken);
    return start;
}

void FinishMeasuringChild(MeasuringChild& child, const MeasureSettings& settings) {
    double grace = 0;
    if (Ask(child.link, FinishMessage{})) {
        DoneMessage done;
        std::string line;
        // Whatever else still holds its pipes, the parent waits no longer
        // than for the child itself.
        if (Await(child.link, After(ReportAllowanceSeconds(settings)), done, line) == Heard::kMessage)
            grace = ReportAllowanceSeconds(settings);
    }
    FinishChild(child.link.child, grace);
}

ChildStatus StopMeasuringChild(MeasuringChild& child, Heard heard) {
    return FinishChild(child.link.child, heard == Heard::kEnded ? kEndingSeconds : 0);
}

Outcome LoseMeasuringChild(MeasuringChild& child, Heard heard, bool started, const std::string& line,
                           const std::string& expected, const MeasureSettings& settings) {
    const ChildStatus status = StopMeasuringChild(child, heard);
    // What the child did decides, before when it was noticed: one that ran
    // out of stack just before its deadline is no time out.
    if (status.end == ChildEnd::kStackOverflow) return {End::kStackExhausted, "", {}};
    if (started && heard == Heard::kSilent) return {End::kOverLimit, "", {}};
    return {End::kCrashed,
            LostText(heard, line, expected, status, started ? settings.timeLimitSeconds : ReportAllowanceSeconds(settings)),
            {}};
}
