// Without a window system a box is a "caption: text" line on standard
// output, kept from the test's output here; the stand-in reports each box
// to an observer while it is shown, which reads the priority at that moment.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/box_log.h"

namespace {

std::vector<ShownBox>* recording = nullptr;

void RecordBox(const StandinCall& call) {
    if (std::strcmp(call.service, "MessageBoxA") != 0) return;
    recording->push_back({call.caption, call.text, GetPriorityClass(GetCurrentProcess()),
                          call.tick});
}

}  // namespace

std::vector<ShownBox> RecordBoxes(const std::function<void()>& action) {
    std::vector<ShownBox> boxes;
    recording = &boxes;
    testing::internal::CaptureStdout();
    StandinObserveCalls(RecordBox);
    action();
    StandinObserveCalls(nullptr);
    testing::internal::GetCapturedStdout();
    recording = nullptr;
    return boxes;
}
