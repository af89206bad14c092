// The messages between the tool and its children (measuring, counting and
// probing), one line each, on a channel of their own: a pipe the parent
// opens for the reports and another for its requests, never the child's
// standard output, which belongs to the sorts it runs. One struct per
// message with its encoder and decoder side by side; a decoder takes a line
// of exactly its own form, every field checked, or nothing.
//
// A child's first report names the protocol's version. The parent then asks
// for one thing at a time and waits for exactly the answer it asked for,
// which carries the request's token back: a line a sort wrote on the
// channel by chance or by guess does not. Anything else ends the child as
// broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "bench/measure/measurement.h"
#include "bench/measure/operations.h"
#include "bench/suite/child_reports.h"

constexpr int kChildProtocolVersion = 2;

// The longest line either side sends: a name of 200 bytes and its word fit
// many times over. A longer one is not a message of this protocol.
constexpr std::size_t kLongestMessage = 4096;

// Child to parent.
struct HelloMessage { int version = kChildProtocolVersion; };        // "hello 2": first of all
struct LoadingMessage { std::size_t value = 0; };                    // "loading K": opening value K
// "sort TYPES NAME": a sort found, and the element types it sorts, by
// their names in table order, each once, with commas between them
// ("sort i32,string My sort").
struct SortMessage {
    std::string name;
    std::vector<ElementType> types;
};
bool operator==(const SortMessage& a, const SortMessage& b);
struct RefusedMessage { std::string reason; };                       // "refused TEXT": cannot go on
struct ReadyMessage {};                                              // "ready": data made, waiting
struct StartedMessage { std::size_t repetition = 0; std::uint64_t token = 0; };  // "started R TOKEN"
struct SampleMessage {                                               // "sample R TOKEN ..."
    std::size_t repetition = 0;
    std::uint64_t token = 0;
    Sample sample;
};
struct CountingMessage { std::size_t contender = 0; std::uint64_t token = 0; };  // "counting C TOKEN"
struct CountedMessage {                                              // "counted C TOKEN ..."
    std::size_t contender = 0;
    std::uint64_t token = 0;
    OperationCounts counts;
    SortFailure failure;
};
// "simulated C TOKEN ...": contender C's sort under callgrind is done and
// checked; its counts are in the dump that names TOKEN.
struct SimulatedMessage {
    std::size_t contender = 0;
    std::uint64_t token = 0;
    SortFailure failure;
};
struct DoneMessage {};                                               // "done": last of all

// Parent to child.
struct RunMessage {                                                  // "run R TOKEN C DRAW BATCH"
    std::size_t repetition = 0;
    std::uint64_t token = 0;    // to be sent back
    std::size_t contender = 0;  // in the child's own list
    std::int64_t firstDraw = 0; // the contender's draws so far
    std::optional<int> batch;   // none: to be found (0 on the line)
};
struct CountMessage { std::size_t contender = 0; std::uint64_t token = 0; };  // "count C TOKEN"
struct SimulateMessage { std::size_t contender = 0; std::uint64_t token = 0; };  // "simulate C TOKEN"
struct FinishMessage {};                                             // "finish"

// Each message's line, and the message of a line.
std::string Encode(const HelloMessage& message);
bool Decode(const std::string& line, HelloMessage& message);
std::string Encode(const LoadingMessage& message);
bool Decode(const std::string& line, LoadingMessage& message);
std::string Encode(const SortMessage& message);
bool Decode(const std::string& line, SortMessage& message);
std::string Encode(const RefusedMessage& message);
bool Decode(const std::string& line, RefusedMessage& message);
std::string Encode(const ReadyMessage& message);
bool Decode(const std::string& line, ReadyMessage& message);
std::string Encode(const StartedMessage& message);
bool Decode(const std::string& line, StartedMessage& message);
std::string Encode(const SampleMessage& message);
bool Decode(const std::string& line, SampleMessage& message);
std::string Encode(const CountingMessage& message);
bool Decode(const std::string& line, CountingMessage& message);
std::string Encode(const CountedMessage& message);
bool Decode(const std::string& line, CountedMessage& message);
std::string Encode(const SimulatedMessage& message);
bool Decode(const std::string& line, SimulatedMessage& message);
std::string Encode(const DoneMessage& message);
bool Decode(const std::string& line, DoneMessage& message);
std::string Encode(const RunMessage& message);
bool Decode(const std::string& line, RunMessage& message);
std::string Encode(const CountMessage& message);
bool Decode(const std::string& line, CountMessage& message);
std::string Encode(const SimulateMessage& message);
bool Decode(const std::string& line, SimulateMessage& message);
std::string Encode(const FinishMessage& message);
bool Decode(const std::string& line, FinishMessage& message);

// How waiting for a message ended.
enum class Heard {
    kMessage,  // the message asked for
    kEnded,    // the channel closed first
    kSilent,   // nothing came before the deadline
    kBroken,   // something else came: what, in the line
};

// The parent's end of one child's channel: the child itself, and the
// reports read so far and not yet taken.
struct ChildLink {
    ChildProcess child;
    std::string pending;
};

// The next whole line of the child's reports, waiting until deadline.
Heard NextLine(ChildLink& link, const Clock::time_point& deadline, std::string& line);

// Waits until deadline for the next report, which must be a Message.
template <typename Message>
Heard Await(ChildLink& link, const Clock::time_point& deadline, Message& message, std::string& line) {
    const Heard heard = NextLine(link, deadline, line);
    if (heard != Heard::kMessage) return heard;
    return Decode(line, message) ? Heard::kMessage : Heard::kBroken;
}

// A new token for a request: unforeseeable from outside the parent, of 18
// digits (below 2^62).
std::uint64_t NewToken();

// What a broken child sent where it should have sent what it was asked for,
// shown printable and short.
std::string BrokenText(const std::string& line, const std::string& expected);

// Sends a request to the child; false when it can no longer be told.
template <typename Message>
bool Ask(ChildLink& link, const Message& message) {
    return SendChild(link.child, Encode(message) + '\n');
}

// The child's side, once ConnectToParent (child_process.h) has opened its
// ends: Tell sends a report line (Send a message), Listen waits for the next request line (false
// when the parent is gone or sent something no request is).
void Tell(const std::string& line);
bool Listen(std::string& line);

template <typename Message>
void Send(const Message& message) {
    Tell(Encode(message));
}
