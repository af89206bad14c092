// The children's messages: every message survives its own line, and a line
// of any other form, a field out of its range, another version or a
// message of another kind is refused by the decoder asked for it.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

#include "bench/suite/child_protocol.h"

namespace {

// A message through its line and back, as the fields it held.
template <typename Message>
std::string Again(const Message& message) {
    Message read;
    if (!Decode(Encode(message), read)) return "refused: " + Encode(message);
    return Encode(read);
}

// Whether line decodes as a Message.
template <typename Message>
bool Takes(const std::string& line) {
    Message message;
    return Decode(line, message);
}

}  // namespace

TEST(ChildProtocol, EveryMessageSurvivesItsLine) {
    OperationCounts counts;
    counts.comparisons = 12345678901ull;
    counts.steps = true;
    counts.exchanges = 7;
    counts.calls = 3;
    counts.depth = 2;
    counts.frameBytes = 48;
    const SortFailure values{SortCheck::kValues, 998, -2147483647 - 1, 2147483647};
    const struct {
        std::string line;   // as encoded
        std::string again;  // decoded and encoded again
    } cases[] = {
        {Encode(HelloMessage{}), Again(HelloMessage{})},
        {Encode(LoadingMessage{3}), Again(LoadingMessage{3})},
        {Encode(SortMessage{"My sort: 2 = fast", {ElementType::kI32}}),
         Again(SortMessage{"My sort: 2 = fast", {ElementType::kI32}})},
        {Encode(SortMessage{"x", {ElementType::kU64, ElementType::kF64, ElementType::kRecord}}),
         Again(SortMessage{"x", {ElementType::kU64, ElementType::kF64, ElementType::kRecord}})},
        {Encode(RefusedMessage{"--sort-library x: no exported symbol y"}),
         Again(RefusedMessage{"--sort-library x: no exported symbol y"})},
        {Encode(ReadyMessage{}), Again(ReadyMessage{})},
        {Encode(StartedMessage{41, 7}), Again(StartedMessage{41, 7})},
        {Encode(SampleMessage{41, 4611686018427387903ull, {0.1234567890123, 4294967295u, 500, {}, 2002}}),
         Again(SampleMessage{41, 4611686018427387903ull, {0.1234567890123, 4294967295u, 500, {}, 2002}})},
        {Encode(SampleMessage{0, 0, {2.5, 3, 1, values, 1}}), Again(SampleMessage{0, 0, {2.5, 3, 1, values, 1}})},
        {Encode(SampleMessage{0, 0, {2.5, 3, 1, {SortCheck::kRange, 0}, 1}}),
         Again(SampleMessage{0, 0, {2.5, 3, 1, {SortCheck::kRange, 0}, 1}})},
        {Encode(CountingMessage{5, 12}), Again(CountingMessage{5, 12})},
        {Encode(CountedMessage{5, 12, counts, {SortCheck::kOrder, 17}}), Again(CountedMessage{5, 12, counts, {SortCheck::kOrder, 17}})},
        {Encode(DoneMessage{}), Again(DoneMessage{})},
        {Encode(RunMessage{9, 99, 2, 4, std::nullopt}), Again(RunMessage{9, 99, 2, 4, std::nullopt})},
        {Encode(CountMessage{1, 3}), Again(CountMessage{1, 3})},
        {Encode(FinishMessage{}), Again(FinishMessage{})},
        {Encode(SimulateMessage{2, 100000000000000077ull}), Again(SimulateMessage{2, 100000000000000077ull})},
        {Encode(SimulatedMessage{2, 77, values}), Again(SimulatedMessage{2, 77, values})},
        {Encode(SimulatedMessage{0, 0, {}}), Again(SimulatedMessage{0, 0, {}})},
    };
    for (const auto& c : cases) EXPECT_EQ(c.again, c.line);
    EXPECT_EQ(Encode(SampleMessage{41, 123, {0.5, 7, 500, values, 2002}}),
              "sample 41 123 0.5 7 500 2 998 -2147483648 2147483647 2002");
    EXPECT_EQ(Encode(HelloMessage{}), "hello " + std::to_string(kChildProtocolVersion));
    EXPECT_EQ(Encode(SimulatedMessage{3, 77, values}), "simulated 3 77 2 998 -2147483648 2147483647");
    EXPECT_EQ(Encode(SimulateMessage{3, 77}), "simulate 3 77");
    EXPECT_EQ(Encode(SortMessage{"My sort", {ElementType::kI32, ElementType::kString}}), "sort i32,string My sort");
}

// Every token has the same number of digits: a child under callgrind
// reads each with the same steps.
TEST(ChildProtocol, TokensHaveEighteenDigits) {
    for (int k = 0; k < 1000; ++k) {
        const std::uint64_t token = NewToken();
        ASSERT_GE(token, 100000000000000000ull);
        ASSERT_LT(token, 1000000000000000000ull);
    }
}

TEST(ChildProtocol, ALineOfAnyOtherFormIsRefused) {
    using Decoder = std::function<bool(const std::string&)>;
    const Decoder sample = Takes<SampleMessage>, started = Takes<StartedMessage>, hello = Takes<HelloMessage>,
                  run = Takes<RunMessage>, counted = Takes<CountedMessage>, sort = Takes<SortMessage>,
                  done = Takes<DoneMessage>, simulate = Takes<SimulateMessage>,
                  simulated = Takes<SimulatedMessage>;
    const struct {
        const char* what;
        Decoder decoder;
        std::string line;
        bool taken;
    } cases[] = {
        {"a sample as written", sample, "sample 3 77 0.5 7 1 0 -1 0 0 4", true},
        {"the old sample's six fields", sample, "sample 0 0.000001 0 1 -1 1", false},
        {"one field too many", sample, "sample 3 77 0.5 7 1 0 -1 0 0 4 4", false},
        {"two spaces", sample, "sample 3 77  0.5 7 1 0 -1 0 0 4", false},
        {"a space at the end", sample, "sample 3 77 0.5 7 1 0 -1 0 0 4 ", false},
        {"a negative time", sample, "sample 3 77 -0.5 7 1 0 -1 0 0 4", false},
        {"no time at all", sample, "sample 3 77 nan 7 1 0 -1 0 0 4", false},
        {"an endless time", sample, "sample 3 77 inf 7 1 0 -1 0 0 4", false},
        {"a batch of none", sample, "sample 3 77 0.5 7 0 0 -1 0 0 4", false},
        {"no draws sorted", sample, "sample 3 77 0.5 7 1 0 -1 0 0 0", false},
        {"a check that does not exist", sample, "sample 3 77 0.5 7 1 4 5 0 0 4", false},
        {"a passed check with a slot", sample, "sample 3 77 0.5 7 1 0 5 0 0 4", false},
        {"a failed check without one", sample, "sample 3 77 0.5 7 1 3 -1 0 0 4", false},
        {"a held value past 32 bits", sample, "sample 3 77 0.5 7 1 2 5 2147483648 0 4", false},
        {"ticks past 32 bits", sample, "sample 3 77 0.5 4294967296 1 0 -1 0 0 4", false},
        {"another message", sample, "started 3 77", false},
        {"started as written", started, "started 3 77", true},
        {"started without its token", started, "started 3", false},
        {"a token past 62 bits", started, "started 3 4611686018427387904", false},
        {"a negative repetition", started, "started -1 77", false},
        {"a word for a number", started, "started three 77", false},
        {"a line with a carriage return", started, "started 3 77\r", false},
        {"a space before it", started, " started 3 77", false},
        {"this version", hello, "hello 2", true},
        {"an earlier version", hello, "hello 1", false},
        {"a later version", hello, "hello 3", false},
        {"no version", hello, "hello", false},
        {"a request's batch to find", run, "run 9 77 2 4 0", true},
        {"a request with a fraction", run, "run 9 77 2 4.5 0", false},
        {"a count without its check", counted, "counted 0 77 1 1 1 1 1 1", false},
        {"a name with spaces", sort, "sort i32 My  sort", true},
        {"every type", sort, "sort i32,u64,f64,string,record My sort", true},
        {"a sort without a name", sort, "sort i32 ", false},
        {"a sort without types", sort, "sort My sort", false},
        {"nothing at all", sort, "sort ", false},
        {"an empty list of types", sort, "sort  My sort", false},
        {"a type that is none", sort, "sort i64 My sort", false},
        {"a type in another case", sort, "sort I32 My sort", false},
        {"types out of table order", sort, "sort string,i32 My sort", false},
        {"a type twice", sort, "sort u64,u64 My sort", false},
        {"an empty type between two", sort, "sort i32,,u64 My sort", false},
        {"a comma at the end", sort, "sort i32, My sort", false},
        {"done", done, "done", true},
        {"done and more", done, "done 1", false},
        {"simulate as written", simulate, "simulate 0 77", true},
        {"simulate without its token", simulate, "simulate 0", false},
        {"a count asked for as a simulation", simulate, "count 0 77", false},
        {"simulated as written", simulated, "simulated 0 77 0 -1 0 0", true},
        {"simulated without its check", simulated, "simulated 0 77", false},
        {"simulated with counts of its own", simulated, "simulated 0 77 0 -1 0 0 81018", false},
        {"a count's answer as a simulation's", simulated, "counted 0 77 1 1 1 1 1 1 0 -1 0 0", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.decoder(c.line), c.taken) << c.what << ": " << c.line;
}

TEST(ChildProtocol, ABrokenChildIsQuotedPrintableAndShort) {
    EXPECT_EQ(BrokenText("sample 0 0.000001 0 1 -1 1", "started 4"),
              "broke its report channel: sent \"sample 0 0.000001 0 1 -1 1\" where started 4 was due");
    EXPECT_EQ(BrokenText("\x1b[2J\"x\\", "ready"),
              "broke its report channel: sent \"\\x1b[2J\\x22x\\x5c\" where ready was due");
    EXPECT_EQ(BrokenText(std::string(100, 'a'), "done"),
              "broke its report channel: sent \"" + std::string(60, 'a') + "...\" where done was due");
}
