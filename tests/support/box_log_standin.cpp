// Without a window system a box is a "caption: text" line on standard
// output; the captions never hold ": ", so the first one splits the line.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/box_log.h"

std::vector<ShownBox> RecordBoxes(const std::function<void()>& action) {
    testing::internal::CaptureStdout();
    action();
    std::istringstream lines(testing::internal::GetCapturedStdout());
    std::vector<ShownBox> boxes;
    for (std::string line; std::getline(lines, line);) {
        const auto split = line.find(": ");
        if (split == std::string::npos) continue;
        boxes.push_back({line.substr(0, split), line.substr(split + 2)});
    }
    return boxes;
}
