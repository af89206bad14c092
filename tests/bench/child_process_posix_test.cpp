// The owner of a child: however it is let go of (destroyed, moved from,
// moved over, finished), the child and what it started in its group end,
// every descriptor it held is closed once, and none is closed twice.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "bench/suite/child_process.h"

namespace {

// A child that starts a sleeper in its own group and reports both ids on
// its report channel (descriptor 3), then waits for the sleeper.
constexpr char kSleepingShell[] = "sleep 600 & echo $$ $! >&3; wait";

std::size_t OpenDescriptors() {
    const std::filesystem::directory_iterator entries("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

// Ended: no such process, or one dead and not yet reaped by its parent.
bool Gone(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    return !std::getline(stat, line) || line.substr(line.rfind(')') + 2, 1) == "Z";
}

// A process killed is gone as soon as the system has taken it down; the
// bound is for one never killed, which would stay for ever.
bool EndsSoon(pid_t pid) {
    for (int tries = 0; tries < 3000; ++tries) {
        if (Gone(pid)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

struct Ids {
    pid_t child = 0, sleeper = 0;
};

Ids ReadIds(ChildProcess& child) {
    std::string text;
    while (text.find('\n') == std::string::npos && ReadChild(child, 60, text) == ChildRead::kData) {
    }
    std::istringstream words(text);
    Ids ids;
    words >> ids.child >> ids.sleeper;
    return ids;
}

// Files opened where an owner's descriptors were, before another owner is
// let go of: one that closed them again would close these.
class Sentinels {
public:
    Sentinels() : first_(open("/dev/null", O_RDONLY | O_CLOEXEC)), second_(open("/dev/null", O_RDONLY | O_CLOEXEC)) {}
    ~Sentinels() {
        close(first_);
        close(second_);
    }
    bool Intact() const { return fcntl(first_, F_GETFD) != -1 && fcntl(second_, F_GETFD) != -1; }

private:
    int first_, second_;
};

}  // namespace

TEST(ChildProcessOwner, LettingGoEndsTheChildAndItsGroupAndClosesEachDescriptorOnce) {
    const struct {
        const char* what;
        void (*letGo)(ChildProcess started);
    } cases[] = {
        {"destroyed", [](ChildProcess) {}},
        {"moved from, the new owner destroyed first",
         [](ChildProcess started) {
             ChildProcess from(std::move(started));
             { const ChildProcess to(std::move(from)); }
             EXPECT_FALSE(from.running());
             const Sentinels sentinels;
             from = ChildProcess{};
             EXPECT_TRUE(sentinels.Intact()) << "the moved-from owner closed what it no longer held";
         }},
        {"moved over by an empty owner",
         [](ChildProcess started) {
             started = ChildProcess{};
             EXPECT_FALSE(started.running());
         }},
        {"finished, then destroyed",
         [](ChildProcess started) {
             ChildProcess owner(std::move(started));
             FinishChild(owner, 0);
             EXPECT_FALSE(owner.running());
             const Sentinels sentinels;
             owner = ChildProcess{};
             EXPECT_TRUE(sentinels.Intact()) << "the finished owner closed its descriptors again";
         }},
    };
    for (const auto& c : cases) {
        const std::size_t before = OpenDescriptors();
        Result<ChildProcess> started = StartChildUnder({"/bin/sh", "-c", kSleepingShell}, {}, {});
        ASSERT_TRUE(started) << started.why();
        EXPECT_TRUE(started->running()) << c.what;
        const Ids ids = ReadIds(*started);
        ASSERT_GT(ids.sleeper, 0) << c.what;
        c.letGo(std::move(*started));
        EXPECT_FALSE(started->running()) << c.what;
        EXPECT_TRUE(Gone(ids.child)) << c.what << ": the child was left running or unreaped";
        EXPECT_TRUE(EndsSoon(ids.sleeper)) << c.what << ": what the child started outlived it";
        EXPECT_EQ(OpenDescriptors(), before) << c.what;
    }
}

TEST(ChildProcessOwner, AChildThatCannotStartLeavesNoDescriptorOpen) {
    const std::size_t before = OpenDescriptors();
    const Result<ChildProcess> started = StartChildUnder({"/nonexistent/orvandel-launcher"}, {}, {});
    ASSERT_FALSE(started);
    EXPECT_EQ(started.why().rfind("cannot start a measuring process: ", 0), 0u) << started.why();
    EXPECT_EQ(OpenDescriptors(), before);
}
