// Every routine's exact work, compared with the model of its algorithm on
// small inputs taken exhaustively and on shaped ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/support/step_trace.h"

namespace {

using Values = std::vector<std::int32_t>;

// Every sequence of `length` values drawn from `alphabet`.
void AddEverySequence(std::vector<Values>& inputs, int length, const Values& alphabet) {
    Values sequence(static_cast<std::size_t>(length), alphabet[0]);
    std::vector<std::size_t> digits(sequence.size(), 0);
    for (;;) {
        inputs.push_back(sequence);
        std::size_t k = 0;
        while (k < digits.size() && ++digits[k] == alphabet.size()) {
            digits[k] = 0;
            sequence[k] = alphabet[0];
            ++k;
        }
        if (k == digits.size()) return;
        sequence[k] = alphabet[digits[k]];
    }
}

// Sorted, reversed, all equal, organ pipe (up, then down) and its
// opposite, at lengths around the unrolled passes' eight steps and beyond.
void AddShapes(std::vector<Values>& inputs, int n) {
    Values up(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) up[static_cast<std::size_t>(k)] = k;
    Values down(up.rbegin(), up.rend());
    Values pipe(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) pipe[static_cast<std::size_t>(k)] = std::min(k, n - 1 - k);
    Values valley(pipe);
    for (std::int32_t& value : valley) value = -value;
    inputs.insert(inputs.end(), {up, down, Values(static_cast<std::size_t>(n), 7), pipe, valley});
}

std::vector<Values> Inputs() {
    std::vector<Values> inputs;
    for (int length = 0; length <= 7; ++length) AddEverySequence(inputs, length, {0, 1, 2});
    for (int length = 8; length <= 11; ++length) AddEverySequence(inputs, length, {0, 1});
    Values permutation = {0, 1, 2, 3, 4, 5, 6};
    do inputs.push_back(permutation);
    while (std::next_permutation(permutation.begin(), permutation.end()));
    for (const int n : {2, 8, 9, 10, 16, 17, 18, 33, 100}) AddShapes(inputs, n);

    const Values extremes = {INT32_MIN, INT32_MIN + 1, -1, 0, 1, INT32_MAX - 1, INT32_MAX};
    AddEverySequence(inputs, 4, extremes);
    std::mt19937 random(2024u);
    for (int round = 0; round < 300; ++round) {
        Values values(random() % 48);
        for (std::int32_t& value : values) value = extremes[random() % extremes.size()];
        inputs.push_back(values);
    }
    return inputs;
}

class EveryMember : public testing::TestWithParam<int> {};

TEST_P(EveryMember, DoesWhatTheModelDoesStepByStep) {
    static const std::vector<Values> inputs = Inputs();
    for (const Values& values : inputs) ASSERT_EQ(CompareStepsWithModel(GetParam(), values), "");
}

INSTANTIATE_TEST_SUITE_P(Table, EveryMember, testing::Range(0, kStepMemberCount),
                         [](const testing::TestParamInfo<int>& row) {
                             return std::string(StepMemberName(row.param));
                         });

}  // namespace
