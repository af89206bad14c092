// The console tool's test program. Like the tool, it is its own measuring
// child: a guarded measurement starts this program again with the child's
// flag, and the child finds the test routines by name.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <unistd.h>
#endif

#include "bench/suite/child_process.h"
#include "bench/suite/guard.h"
#include "bench/suite/library_probe.h"
#include "tests/bench/test_routines.h"

namespace {

#ifndef _WIN32
// A man in the middle of the child's reports, as a sort that had learnt the
// channel would be: it passes every line on, but changes the first line
// that begins with prefix, adding one to its token (word 2) or its
// repetition (word 1).
struct ForgedReport {
    std::string prefix;
    int word;
};

void ForgeReports(ForgedReport forged) {
    int pipeEnds[2];
    const int parent = dup(3);
    if (parent < 0 || pipe(pipeEnds) != 0 || dup2(pipeEnds[1], 3) != 3) std::_Exit(kTestChildExitStatus);
    close(pipeEnds[1]);
    // Raw reads: a stream would hold its lock while it waits, and the
    // child's flush of every stream before each sample would wait for it.
    std::thread([forged, parent, from = pipeEnds[0]] {
        std::string pending;
        bool done = false;
        char buffer[4096];
        for (ssize_t got; (got = read(from, buffer, sizeof buffer)) > 0;) {
            pending.append(buffer, static_cast<std::size_t>(got));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos; pending.erase(0, end + 1)) {
                std::string text = pending.substr(0, end + 1);
                if (!done && text.rfind(forged.prefix, 0) == 0) {
                    done = true;
                    std::istringstream words(text);
                    std::vector<std::string> parts{std::istream_iterator<std::string>(words), {}};
                    parts[forged.word] = std::to_string(std::stoull(parts[forged.word]) + 1);
                    text.clear();
                    for (const std::string& part : parts) text += (text.empty() ? "" : " ") + part;
                    text += '\n';
                }
                if (write(parent, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return;
            }
        }
    }).detach();
}
#endif

// A child lost before its first report, on the tests' request: the
// environment's kTestChildFault names what to do ("kill", "stop", "hang", "exit",
// or forge a report: "start-token", "sample-token", "sample-repetition"),
// the shape whose children do it and, optionally, a file that only the one
// child that removes it obeys, so that only the cell's first child fails.
void FailIfAsked(const std::string& pattern) {
    const char* fault = std::getenv(kTestChildFault);
    if (fault == nullptr) return;
    std::istringstream words(fault);
    std::string action, shape, once;
    words >> action >> shape >> once;
    if (shape != pattern || (!once.empty() && std::remove(once.c_str()) != 0)) return;
#ifndef _WIN32
    if (action == "kill") raise(SIGKILL);
    if (action == "stop") raise(SIGSTOP);
    if (action == "start-token") ForgeReports({"started ", 2});
    if (action == "sample-token") ForgeReports({"sample ", 2});
    if (action == "sample-repetition") ForgeReports({"sample ", 1});
#endif
    if (action == "exit") std::_Exit(kTestChildExitStatus);
    while (action == "hang") std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == kTestSleeperFlag) {
        for (;;) std::this_thread::sleep_for(std::chrono::hours(1));  // until its job ends it
    }
    if (argc > 1 && std::string(argv[1]) == kMeasuringChildFlag) {
        if (argc > 2) FailIfAsked(argv[2]);
        EndChildProcess(RunMeasuringChild({argv + 2, argv + argc}, TestContenders()));
    }
    if (argc > 1 && std::string(argv[1]) == kProbingChildFlag)
        EndChildProcess(RunProbingChild({argv + 2, argv + argc}, TestContenders()));
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
