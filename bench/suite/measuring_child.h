// A measuring child: one process of this program that holds a cell's data
// and runs the repetitions and counts its parent asks for, for the routines
// and references or for the sorts of one library. Both sides are here: the
// child's program, and the parent's start of one and the words for how one
// was lost.
#pragma once

#include <string>
#include <vector>

#include "bench/measure/contenders.h"
#include "bench/measure/measurement.h"
#include "bench/suite/child_protocol.h"

// The first argument that makes this program a measuring child.
constexpr char kMeasuringChildFlag[] = "--measuring-child";

// The child's side, given the arguments after kMeasuringChildFlag: it loads
// the library they name, if any, finds its contenders by name in known and
// in that library, makes the cell's data, then runs the repetitions and
// counts its parent asks for. Returns the exit status: 2 for arguments it
// cannot read, a library it cannot load or a parent that is gone, 1 for
// data it cannot hold.
int RunMeasuringChild(const std::vector<std::string>& arguments, std::vector<Contender> known);

struct MeasuringChild {
    ChildLink link;  // owns the process

    bool running() const { return link.child.running(); }
};

enum class ChildStart {
    kReady,       // waiting for requests
    kLost,        // ended, silent or broken before it was ready: why in the text
    kOtherSorts,  // its library named other sorts, or other types of them, than when it was probed
    kCannot,      // no process could be started: the error
};

// Starts a child for the cell of settings measuring the contenders named,
// all from library (its --sort-library value) or all built in (library
// empty), run under launcher unless that is empty (StartChildUnder), and
// waits until it is ready.
ChildStart StartMeasuringChild(const MeasureSettings& settings, const std::string& library,
                               const std::vector<std::string>& names, const std::vector<std::string>& launcher,
                               MeasuringChild& child, std::string& text);

// Ends a child waiting for requests: told to finish, then given as long as
// the allowance to end by itself.
void FinishMeasuringChild(MeasuringChild& child, const MeasureSettings& settings);

// Ends a child lost as heard says: one whose channel closed is given a
// moment to end by itself, one silent or broken is killed at once.
ChildStatus StopMeasuringChild(MeasuringChild& child, Heard heard);

// Stops a child lost in a request, as heard says, and says how the request
// ended: out of stack; over the limit when silent past the time limit once
// started (it had said so), since before that its deadline was the
// allowance; crashed otherwise, with how it was lost.
Outcome LoseMeasuringChild(MeasuringChild& child, Heard heard, bool started, const std::string& line,
                           const std::string& expected, const MeasureSettings& settings);

// Asks child for one count of contender k (a Request carrying k and a new
// token) and waits for its start within the allowance, then for its Answer
// within the time limit: kCounted when it came, otherwise how the child
// was lost, stopped then.
template <typename Request, typename Answer>
Outcome AskForCount(MeasuringChild& child, std::size_t k, const MeasureSettings& settings, Answer& answer) {
    const std::uint64_t token = NewToken();
    std::string line;
    CountingMessage counting;
    Heard heard = Heard::kEnded;
    if (Ask(child.link, Request{k, token})) {
        heard = Await(child.link, After(ReportAllowanceSeconds(settings)), counting, line);
        if (heard == Heard::kMessage && (counting.contender != k || counting.token != token)) heard = Heard::kBroken;
    }
    if (heard != Heard::kMessage)
        return LoseMeasuringChild(child, heard, false, line, "the start of count " + std::to_string(k), settings);
    heard = Await(child.link, After(settings.timeLimitSeconds), answer, line);
    if (heard == Heard::kMessage && (answer.contender != k || answer.token != token)) heard = Heard::kBroken;
    if (heard != Heard::kMessage)
        return LoseMeasuringChild(child, heard, true, line, "the count of contender " + std::to_string(k), settings);
    return {End::kCounted, "", {}};
}
