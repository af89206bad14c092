// The guarded measurement: routines that exhaust their stack, never end or
// break the order cost their own cell only, the rest of the matrix is measured, no child
// process is left behind; and the prediction that skips hopeless cells.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <sstream>
#include <thread>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#else
#include <windows.h>
#endif

#include "bench/suite/guard.h"
#include "bench/app/measure_command.h"
#include "bench/measure/reference_sorts.h"
#include "bench/suite/interruption.h"
#include "bench/suite/matrix.h"
#include "bench/suite/prediction.h"
#include "tests/bench/test_routines.h"

namespace {

const Contender& StdSort() {
    static const Contender baseline = [] {
        for (const Contender& c : AllContenders())
            if (c.name == kBaselineName) return c;
        return Contender{};
    }();
    return baseline;
}

// A time limit for rows that end by themselves, a stack overflow among
// them: far beyond what any of them takes on a busy machine, so their ends
// are decided by what happened; only a row that never ends meets it.
constexpr double kNeverReached = 120;

MeasureSettings Quick() {
    MeasureSettings settings;
    settings.count = 1000;
    settings.runs = 3;
    settings.warmup = 1;
    settings.minTimeMs = 0.5;
    return settings;
}

// Every child has been waited for: none is left running or as a zombie.
void ExpectNoChildLeft() {
#ifndef _WIN32
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
#endif
}

struct Started {
    std::vector<std::string> names;
    std::vector<int> done;
};

ProgressReport Recorder(Started& started) {
    return [&started](const std::string& name, int done, int) {
        started.names.push_back(name);
        started.done.push_back(done);
    };
}

int Count(const std::vector<std::string>& names, const std::string& name) {
    return static_cast<int>(std::count(names.begin(), names.end(), name));
}

Measurement Row(End end, std::int32_t count, std::vector<double> times, double predictedMs = 0) {
    Measurement row;
    row.contender = StdSort();
    row.count = count;
    row.times = std::move(times);
    row.outcome.end = end;
    row.predictedMs = predictedMs;
    return row;
}

}  // namespace

#ifndef _WIN32
namespace {

// A folder of the test's own, removed with what is left in it.
struct ScratchFolder {
    std::filesystem::path path;
    explicit ScratchFolder(const std::string& name)
        : path(std::filesystem::temp_directory_path() /
               (name + "-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
        std::filesystem::create_directories(path);
    }
    ~ScratchFolder() { std::filesystem::remove_all(path); }
    bool Empty() const { return std::filesystem::is_empty(path); }
};

// Each row's status on one pattern, a crash with how it happened, as the
// table says it: a report line a crash quotes shows its repetition, and *
// for its token and the rest, which differ from run to run.
std::string Masked(std::string text) {
    for (const std::string kind : {"\"started ", "\"sample "})
        for (std::size_t at = text.find(kind); at != std::string::npos; at = text.find(kind, at + 1)) {
            const std::size_t token = text.find(' ', at + kind.size());
            const std::size_t close = text.find('"', at + kind.size());
            if (token < close && close != std::string::npos) text.replace(token + 1, close - token - 1, "*");
        }
    return text;
}

std::vector<std::string> Statuses(const nlohmann::json& rows, const std::string& pattern) {
    std::vector<std::string> statuses;
    for (const nlohmann::json& row : rows)
        if (row["pattern"] == pattern)
            statuses.push_back(row["status"] == "crashed" ? "crashed: " + Masked(row["crash"].get<std::string>())
                                                          : row["status"].get<std::string>());
    return statuses;
}

}  // namespace

// Children lost while no repetition runs (before their first report) or in
// a repetition: each costs the row whose repetition it was in or would have
// started, the other rows and cells are measured, every output is written
// and the exit status is 1.
// A repetition's length is its batch of copies, by the child's clock: over
// the limit by any amount, its time is no figure; at the limit it is one.
TEST(BenchGuard, ARepetitionPastTheLimitByItsOwnClockIsNoFigure) {
    const struct {
        double perSortMs;
        int batch;
        double limitSeconds;
        bool outlasts;
    } rows[] = {
        {0.999, 1, 0.001, false}, {1.0, 1, 0.001, false},  {1.001, 1, 0.001, true}, {5.395, 1, 0.001, true},
        {0.25, 4, 0.001, false},  {0.2501, 4, 0.001, true}, {9999, 1, 10, false},   {10000.5, 1, 10, true},
        {0.05, 100, 10, false},   {200, 51, 10, true},
    };
    for (const auto& row : rows)
        EXPECT_EQ(OutlastsLimit(row.perSortMs, row.batch, row.limitSeconds), row.outlasts)
            << row.perSortMs << " ms x " << row.batch << " against " << row.limitSeconds << " s";
}

TEST(BenchGuard, AChildLostCostsTheRowItWouldHaveRunAndTheRunGoesOn) {
    const std::string killed = "crashed: killed by signal 9 (Killed)";
    struct Case {
        const char* what;
        const char* action;  // what the cell's children do before their first report, or nothing
        bool once;           // only the cell's first child does it
        Contender first;     // measured before std::sort
        std::vector<std::string> ascending, random;
    } cases[] = {
        {"killed before its first report", "kill", true, kCounted, {killed, "measured"}, {"measured", "measured"}},
        {"killed before its first report, every time", "kill", false, kCounted, {killed, killed},
         {"measured", "measured"}},
        {"exits before its first report", "exit", true, kCounted,
         {"crashed: exited with status " + std::to_string(kTestChildExitStatus) + " before it sent hello 2", "measured"},
         {"measured", "measured"}},
        // The allowance: five seconds and 100 ns for each of the 500 values, in whole seconds.
        {"silent before its first report", "hang", true, kCounted, {"crashed: no report within 7 s", "measured"},
         {"measured", "measured"}},
        // Heard at once, not when that allowance runs out.
        {"stopped before its first report", "stop", true, kCounted,
         {"crashed: stopped itself with signal 19 (Stopped (signal))", "measured"}, {"measured", "measured"}},
        {"killed in a repetition", nullptr, false, kAborting,
         {"crashed: killed by signal 6 (Aborted)", "measured"},
         {"crashed: killed by signal 6 (Aborted)", "measured"}},
        // Reports that another request's token, or the right token for
        // another repetition, would pass off as this one's.
        {"a start with another request's token", "start-token", true, kCounted,
         {"crashed: broke its report channel: sent \"started 0 *\" where the start of repetition 0 was due",
          "measured"},
         {"measured", "measured"}},
        {"a sample with another request's token", "sample-token", true, kCounted,
         {"crashed: broke its report channel: sent \"sample 0 *\" where the sample of repetition 0 was due",
          "measured"},
         {"measured", "measured"}},
        {"a sample with the token of its start, for another repetition", "sample-repetition", true, kCounted,
         {"crashed: broke its report channel: sent \"sample 1 *\" where the sample of repetition 0 was due",
          "measured"},
         {"measured", "measured"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ScratchFolder folder("orvandel-lost-child");
        const std::string token = (folder.path / "once").string();
        if (c.once) std::ofstream(token) << "the first child removes this\n";
        if (c.action != nullptr)
            setenv(kTestChildFault, (std::string(c.action) + " ascending " + (c.once ? token : "")).c_str(), 1);
        BenchOptions options;
        options.measuring = true;
        options.settings = Quick();
        options.settings.runs = 2;
        options.settings.timeLimitSeconds = 1;
        options.patterns = {"ascending", "random"};
        options.counts = {500};
        options.format = ReportFormat::kJson;
        options.exportPath = (folder.path / "report.json").string();
        options.exportFormat = ReportFormat::kJson;
        std::ostringstream out, err;
        const int status = RunMeasureCommand(options, {c.first, StdSort()}, out, err, false);
        unsetenv(kTestChildFault);
        EXPECT_EQ(status, 1) << err.str();
        ExpectNoChildLeft();
        EXPECT_FALSE(std::filesystem::exists(token));  // the fault was met, once or more
        const nlohmann::json rows = nlohmann::json::parse(out.str())["rows"];
        EXPECT_EQ(Statuses(rows, "ascending"), c.ascending);
        EXPECT_EQ(Statuses(rows, "random"), c.random);
        for (const nlohmann::json& row : rows)
            EXPECT_EQ(row["times_ms"].size(), row["status"] == "measured" ? 2u : 0u) << row["name"];
        std::ifstream exported(options.exportPath);
        ASSERT_TRUE(exported) << "the export was not written";
        EXPECT_EQ(nlohmann::json::parse(exported)["rows"], rows);
        EXPECT_NE(Masked(err.str()).find(c.first.name + " (ascending, 500 values): " + c.ascending[0] + "\n"),
                  std::string::npos)
            << err.str();
    }
}

namespace {

// Runs a process that installs the handlers, watches one file, watches and
// forgets another, and raises signal; ignored first when ignore is set.
// Returns its wait status.
int InterruptedProcess(int signal, bool ignore, const std::string& watched, const std::string& forgotten) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (ignore) ::signal(signal, SIG_IGN);
        InstallInterruptionHandlers();
        std::ofstream(watched) << "partial\n";
        std::ofstream(forgotten) << "whole\n";
        WatchTemporaryFile(forgotten);
        WatchTemporaryFile(watched);
        ForgetTemporaryFile(forgotten);
        raise(signal);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

// The processes whose parent is parent.
std::vector<pid_t> ChildrenOf(pid_t parent) {
    std::vector<pid_t> children;
    DIR* proc = opendir("/proc");
    while (dirent* entry = readdir(proc)) {
        std::ifstream stat(std::string("/proc/") + entry->d_name + "/stat");
        std::string line;
        if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
        std::istringstream fields(line.substr(line.rfind(')') + 1));
        char state = 0;
        pid_t ppid = 0;
        if (fields >> state >> ppid && ppid == parent) children.push_back(std::atoi(entry->d_name));
    }
    closedir(proc);
    return children;
}

// A measuring child on its sort thread, so past its start, where it
// checks its parent and asks to die with it.
bool IsSorting(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream cmdline(proc + "/cmdline");
    const std::string text((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
    std::error_code unreadable;
    const auto threads = std::distance(std::filesystem::directory_iterator(proc + "/task", unreadable),
                                       std::filesystem::directory_iterator());
    return text.find(std::string(kMeasuringChildFlag) + '\0') != std::string::npos && threads >= 2;
}

// Waits, as a hang guard, for the measuring child of parent to sort; 0
// when none did.
pid_t SortingChildOf(pid_t parent) {
    for (int tries = 0; tries < 3000; ++tries) {
        for (pid_t child : ChildrenOf(parent))
            if (IsSorting(child)) return child;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

// Starts the real program with arguments, its outputs discarded and the
// interrupting signals at their default whatever the test runner set.
pid_t StartProgram(const std::vector<std::string>& arguments) {
    std::vector<std::string> texts = {ORVANDEL_BENCH_PROGRAM};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&signals, signal);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failure = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    return failure == 0 ? pid : 0;
}

// Waits, as a hang guard, for a child of this process to end; kills it
// when it does not. Returns its wait status, or -1 when it had to be killed.
int EndOf(pid_t pid) {
    int status = 0;
    for (int tries = 0; tries < 1000; ++tries) {
        if (waitpid(pid, &status, WNOHANG) == pid) return status;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

// Whether the process child is gone, or a dead child of this process
// (reaped here), within limit.
bool DeadWithin(pid_t child, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        if (kill(child, 0) == -1 && errno == ESRCH) return true;
        if (waitpid(child, nullptr, WNOHANG) == child) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

}  // namespace

// The parent's handlers: watched files removed, forgotten ones kept, the
// process ended by the signal itself (the shell's 128 + its number), and a
// signal ignored from the start left ignored.
TEST(BenchGuard, AnInterruptionRemovesTheWatchedFilesAndEndsWithTheSignal) {
    struct Case {
        int signal;
        bool ignoredBefore;
    } cases[] = {{SIGTERM, false}, {SIGINT, false}, {SIGHUP, false}, {SIGHUP, true}, {SIGINT, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(strsignal(c.signal)) + (c.ignoredBefore ? ", ignored before" : ""));
        const ScratchFolder folder("orvandel-interrupted");
        const std::string watched = (folder.path / "report.json.part").string();
        const std::string forgotten = (folder.path / "chart.svg").string();
        const int status = InterruptedProcess(c.signal, c.ignoredBefore, watched, forgotten);
        if (c.ignoredBefore) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status)) << status;
            EXPECT_EQ(WTERMSIG(status), c.signal);
        }
        EXPECT_EQ(std::filesystem::exists(watched), c.ignoredBefore);
        EXPECT_TRUE(std::filesystem::exists(forgotten));
    }
}

// The real program, interrupted while its child sorts a slow cell: on a
// signal it can handle, it kills and reaps the child itself and ends by the
// signal; killed outright, the kernel ends the child with it. Either way
// no child is left and nothing is left in the output folder.
TEST(BenchGuard, TheChildDiesWithItsParent) {
    // Orphans come to this process, so that it can see them and reap them.
    ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    struct Case {
        int signal;
        bool handled;  // the parent ends its child itself
    } cases[] = {{SIGTERM, true}, {SIGINT, true}, {SIGHUP, true}, {SIGKILL, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(strsignal(c.signal));
        const ScratchFolder folder("orvandel-parent");
        const pid_t parent = StartProgram({"--pattern", "ascending", "--count", "400000", "--time-limit", "30",
                                           "--runs", "1", "--warmup", "0", "sb sort c", "--export",
                                           (folder.path / "report.json").string(), "--chart",
                                           (folder.path / "chart.svg").string()});
        ASSERT_GT(parent, 0);
        const pid_t child = SortingChildOf(parent);
        EXPECT_GT(child, 0) << "no measuring child started";
        kill(parent, c.signal);
        int status = 0;
        ASSERT_EQ(waitpid(parent, &status, 0), parent);
        EXPECT_TRUE(WIFSIGNALED(status)) << status;
        EXPECT_EQ(WTERMSIG(status), c.signal);
        if (child <= 0) continue;
        if (c.handled) {
            // Killed by its parent: gone within a second, whether the parent
            // reaped it or it came to this process dead.
            EXPECT_TRUE(DeadWithin(child, std::chrono::seconds(1))) << "the child outlived its parent";
        } else {
            // Killed by the kernel as its parent died.
            const int childStatus = EndOf(child);
            EXPECT_TRUE(WIFSIGNALED(childStatus) && WTERMSIG(childStatus) == SIGKILL)
                << "the child outlived its parent: " << childStatus;
        }
        while (waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        EXPECT_TRUE(folder.Empty());
    }
    prctl(PR_SET_CHILD_SUBREAPER, 0);
    ExpectNoChildLeft();
}
#endif

TEST(BenchGuard, AStackOverflowOrAFailedCheckEndsItsRowOnlyAndTheMatrixGoesOn) {
    MeasureSettings settings = Quick();
    settings.interleave = true;  // the failing routines interrupt the others' rounds
    // Every row here ends by itself, the stack overflow too, however long a
    // busy machine (or Wine) takes to fill the stack.
    settings.timeLimitSeconds = kNeverReached;
    Started started;
    // The baseline first: the child that overflows has measured something already.
    const Result<std::vector<Measurement>> measured =
        MeasureSuite({StdSort(), kStackHungry, kBroken}, settings, {"ascending", "random"}, {1000}, {ElementType::kI32}, Recorder(started));
    ASSERT_TRUE(measured) << measured.why();
    const std::vector<Measurement>& rows = *measured;
    ExpectNoChildLeft();

    ASSERT_EQ(rows.size(), 6u);
    for (std::size_t cell = 0; cell < 2; ++cell) {
        const std::string pattern = cell == 0 ? "ascending" : "random";
        const Measurement* row = &rows[3 * cell];
        EXPECT_EQ(row[0].pattern, pattern);
        EXPECT_EQ(row[0].outcome.end, End::kMeasured);
        EXPECT_EQ(row[0].times.size(), 3u);  // every run, despite the restart in its rounds
        EXPECT_EQ(row[0].ticks.size(), 3u);
        EXPECT_EQ(row[1].outcome.end, End::kStackExhausted);
        EXPECT_TRUE(row[1].times.empty());
        EXPECT_EQ(row[2].outcome.end, End::kFailed);
        EXPECT_EQ(row[2].outcome.failure.slot, 17);
        EXPECT_TRUE(row[2].times.empty());
        // The failing rows end in their first repetition, each repetition is
        // started once, in schedule order.
        const std::string where = pattern + " 1000: ";
        EXPECT_EQ(Count(started.names, where + "Stack hungry"), 1);
        EXPECT_EQ(Count(started.names, where + "Broken"), 1);
        EXPECT_EQ(Count(started.names, where + kBaselineName), 4);
    }
    EXPECT_TRUE(std::is_sorted(started.done.begin(), started.done.end()));
    EXPECT_EQ(std::adjacent_find(started.done.begin(), started.done.end()), started.done.end());
}

// One run for the row that only the time limit can end, at a short limit;
// one for the rows that end by themselves, at a limit nothing meets, so
// that a stack filled slowly on a busy machine is still a stack exhausted.
TEST(BenchGuard, CellsMarkedInEveryReportAndTheExitStatusIsOne) {
    const struct Run {
        const char* what;
        double seconds;
        std::vector<Contender> contenders;
        std::vector<nlohmann::json> statuses;  // each row's status, and its limit or failed slot
        std::string err;
    } runs[] = {
        {"a sort that never ends", 1, {kEndless, StdSort()},
         {{{"status", "over-time-limit"}, {"time_limit_s", 1.0}}, {{"status", "measured"}}},
         "orvandel-bench: Endless (all-equal, 500 values): over 1 s\n"},
        {"a stack overflow and changed values", kNeverReached, {kStackHungry, kBroken, StdSort()},
         {{{"status", "stack-exhausted"}}, {{"status", "failed"}, {"failed_slot", 17}}, {{"status", "measured"}}},
         "orvandel-bench: Stack hungry (all-equal, 500 values): stack exhausted\n"
         "orvandel-bench: Broken (all-equal, 500 values): changed its values: slot 17 holds 206 where the sorted "
         "input holds 205\n"},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.what);
        BenchOptions options;
        options.measuring = true;
        options.settings = Quick();
        options.settings.timeLimitSeconds = run.seconds;
        options.patterns = {"all-equal"};
        options.counts = {500};
        options.format = ReportFormat::kJson;
        std::ostringstream out, err;
        EXPECT_EQ(RunMeasureCommand(options, run.contenders, out, err, false), 1);
        ExpectNoChildLeft();
        const nlohmann::json rows = nlohmann::json::parse(out.str())["rows"];
        ASSERT_EQ(rows.size(), run.statuses.size());
        for (std::size_t k = 0; k < rows.size(); ++k)
            for (const auto& [key, value] : run.statuses[k].items())
                EXPECT_EQ(rows[k][key], value) << rows[k]["name"] << ": " << key;
        EXPECT_EQ(err.str(), run.err);
    }
}

// A sort that writes on its child's report channel breaks that child: its
// row is crashed, saying what came where, within the limits, and the rows
// beside it keep exactly their runs in fresh children.
TEST(BenchGuard, ReportsForgedOnTheChannelCostTheForgersRowOnly) {
    BenchOptions options;
    options.measuring = true;
    options.settings = Quick();
    options.settings.runs = 2;
    options.settings.interleave = true;
    // No row needs a limit to end: a forger is over at its forged line.
    options.settings.timeLimitSeconds = kNeverReached;
    options.patterns = {"random"};
    options.counts = {500};
    options.format = ReportFormat::kJson;
    std::ostringstream out, err;
    EXPECT_EQ(RunMeasureCommand(options, {kForger, kCounted, kRestarter, StdSort()}, out, err, false), 1);
    ExpectNoChildLeft();
    const nlohmann::json rows = nlohmann::json::parse(out.str())["rows"];
    ASSERT_EQ(rows.size(), 4u);
    // The restarter never stops writing: a deadline its lines moved would
    // never come. Its row is over at its first line, as its crash says.
    const std::string broke = "broke its report channel: sent \"";
    EXPECT_EQ(rows[0]["status"], "crashed");
    EXPECT_EQ(rows[0]["crash"].get<std::string>().rfind(broke, 0), 0u) << rows[0]["crash"];
    EXPECT_EQ(rows[2]["status"], "crashed");
    EXPECT_EQ(rows[2]["crash"].get<std::string>().rfind(broke + "started 1\" where the sample of repetition ", 0), 0u)
        << rows[2]["crash"];
    for (const std::size_t k : {1, 3}) {
        EXPECT_EQ(rows[k]["status"], "measured") << rows[k]["name"];
        EXPECT_EQ(rows[k]["times_ms"].size(), 2u) << rows[k]["name"];
        for (const nlohmann::json& time : rows[k]["times_ms"]) EXPECT_GT(time.get<double>(), 1e-4);
    }
}

namespace {

// Whether the process of id is gone, or dead and not yet reaped by whoever
// took it in.
bool Gone(long id) {
#ifdef _WIN32
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
    if (process == nullptr) return true;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
#else
    std::ifstream stat("/proc/" + std::to_string(id) + "/stat");
    std::string line;
    return !std::getline(stat, line) || line.substr(line.rfind(')') + 2, 1) == "Z";
#endif
}

// The sleepers' ids written to file, each once.
std::vector<long> SleeperIds(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::vector<long> ids;
    for (long id = 0; in >> id;)
        if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    return ids;
}

// Ends a sleeper the tool did not: it would never end by itself.
void EndSleeper(long id) {
    if (id <= 0) return;  // never a group, nor every process
#ifdef _WIN32
    if (const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(id))) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
#else
    kill(static_cast<pid_t>(id), SIGKILL);
#endif
}

// Names a new file in the temporary folder, starting with stem, in the
// variable the test program's measuring children read (they inherit it).
std::filesystem::path SetChildFile(const char* variable, const std::string& stem) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        (stem + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
#ifdef _WIN32
    _putenv_s(variable, file.string().c_str());
#else
    setenv(variable, file.string().c_str(), 1);
#endif
    return file;
}

void ClearChildFile(const char* variable) {
#ifdef _WIN32
    _putenv_s(variable, "");
#else
    unsetenv(variable);
#endif
}

}  // namespace

// A row's batch is found by its first repetition and again by its first
// timed one: every repetition sorts draws it has not sorted, and nothing
// else. The recorder names each draw it is given, in the child.
TEST(BenchGuard, EachDrawIsSortedOnce) {
    const std::filesystem::path record = SetChildFile(kTestRecordFile, "orvandel-record-");
    MeasureSettings settings = Quick();
    settings.pattern = "random";
    settings.count = 300;
    settings.runs = 3;
    settings.warmup = 1;
    settings.minTimeMs = 20;  // far longer than one sort of 300 values: a batch of many
    std::vector<Measurement> rows(1);
    rows[0].contender = kRecorder;
    const Check measured = MeasureGuarded({kRecorder}, settings, nullptr, rows);
    ClearChildFile(kTestRecordFile);
    std::ifstream file(record);
    std::vector<std::string> names;
    for (std::string line; std::getline(file, line);) names.push_back(line);
    file.close();
    std::filesystem::remove(record);
    ASSERT_TRUE(static_cast<bool>(measured)) << measured.why();
    const Measurement& row = rows[0];
    ASSERT_EQ(row.outcome.end, End::kMeasured);
    // The warm-up's, at least one sort; then one sort to find the batch
    // again and each run's batch (a batch of one, a sort held up past the
    // minimum time, is that sort).
    const auto batch = static_cast<std::int64_t>(row.batch);
    EXPECT_GE(row.draws, batch > 1 ? 2 + 3 * batch : 4);
    EXPECT_EQ(static_cast<std::int64_t>(names.size()), row.draws);
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size()) << "a draw was sorted twice";
}

// A process a sort starts ends with its cell (its group, or its job), and
// the tool does not wait for it, though it holds the child's pipes open.
// The sleeper never ends by itself, and every deadline the tool keeps is
// minutes away: the run takes a second or two, and one that waited for the
// sleeper, until a deadline or for ever, would still be going at half the
// shortest. A watchdog ends the sleeper then, so the test ends and says so.
TEST(BenchGuard, WhatASortStartsEndsWithItsCell) {
    const std::filesystem::path ids = SetChildFile(kTestSleeperFile, "orvandel-sleepers-");
    MeasureSettings settings = Quick();
    settings.pattern = "random";
    settings.count = 500;
    settings.timeLimitSeconds = kNeverReached;  // the shortest deadline; the allowance is longer
    std::vector<Measurement> rows(2);
    rows[0].contender = kSleeperStarter;
    rows[1].contender = StdSort();
    std::mutex lock;
    std::condition_variable ended;
    bool returned = false, waited = false;
    std::thread watchdog([&] {
        std::unique_lock<std::mutex> hold(lock);
        if (ended.wait_for(hold, std::chrono::duration<double>(settings.timeLimitSeconds / 2),
                           [&] { return returned; }))
            return;
        waited = true;
        for (const long id : SleeperIds(ids)) EndSleeper(id);
    });
    const Check measured = MeasureGuarded({kSleeperStarter, StdSort()}, settings, nullptr, rows);
    {
        const std::lock_guard<std::mutex> hold(lock);
        returned = true;
    }
    ended.notify_one();
    watchdog.join();
    ClearChildFile(kTestSleeperFile);
    EXPECT_FALSE(waited) << "the run waited for the process its sort started";
    ASSERT_TRUE(static_cast<bool>(measured)) << measured.why();
    for (const Measurement& row : rows) EXPECT_EQ(row.times.size(), 3u) << row.contender.name;
    const std::vector<long> sleepers = SleeperIds(ids);
    std::filesystem::remove(ids);
    ASSERT_EQ(sleepers.size(), 1u) << "not one sleeper was started";
    const long id = sleepers.front();
    EXPECT_GT(id, 0);
    // Killed by now, as its cell ended: it is only left to die. The bound
    // is for a sleeper that was not killed and would never go.
    bool gone = false;
    for (int tries = 0; tries < 3000 && !(gone = Gone(id)); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(gone) << "process " << id << " outlived its cell";
    if (!gone) EndSleeper(id);
    ExpectNoChildLeft();
}

TEST(BenchGuard, ACellPredictedFarOverTheLimitIsNotStarted) {
    MeasureSettings settings = Quick();
    settings.timeLimitSeconds = 0.2;
    settings.runs = 1;
    Started started;
    // The largest size is twenty times the last one Endless ran at: twenty
    // limits, far enough over. std::sort's times there, and at 1000 values,
    // from which its own prediction grows, stay hundreds of times below the
    // limit and the margin on a busy machine too.
    const Result<std::vector<Measurement>> measured =
        MeasureSuite({kEndless, StdSort()}, settings, {"sawtooth"}, {100, 1000, 20000}, {ElementType::kI32}, Recorder(started));
    ASSERT_TRUE(measured) << measured.why();
    const std::vector<Measurement>& rows = *measured;
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[0].outcome.end, End::kOverLimit);
    EXPECT_EQ(Count(started.names, "sawtooth 100: Endless"), 1);  // stopped in its first repetition
    EXPECT_EQ(Count(started.names, "sawtooth 1000: Endless"), 1);
    // At ten times the size, linear growth from the limit reaches ten limits: not far enough over.
    EXPECT_EQ(rows[2].outcome.end, End::kOverLimit);
    EXPECT_EQ(rows[4].outcome.end, End::kPredictedOver);
    EXPECT_DOUBLE_EQ(rows[4].predictedMs, 200.0 * 20);
    EXPECT_EQ(Count(started.names, "sawtooth 20000: Endless"), 0);
    EXPECT_EQ(rows[5].outcome.end, End::kMeasured);
    ExpectNoChildLeft();
}

TEST(BenchGuard, PredictionGrowsBetweenLinearAndQuadratic) {
    const double limit = 10;
    EXPECT_FALSE(PredictMs({}, 1000, limit).has_value());
    struct Case {
        std::vector<Measurement> smaller;
        std::int32_t count;
        double expected;
    } cases[] = {
        {{Row(End::kMeasured, 1000, {2, 3, 1})}, 10000, 20},                          // one size: linear from the median
        {{Row(End::kMeasured, 1000, {1}), Row(End::kMeasured, 10000, {100})}, 100000, 10000},  // quadratic
        {{Row(End::kMeasured, 1000, {1}), Row(End::kMeasured, 10000, {1000})}, 100000, 100000},  // cubic held to quadratic
        {{Row(End::kMeasured, 1000, {4}), Row(End::kMeasured, 10000, {8})}, 100000, 80},  // below linear held to linear
        {{Row(End::kMeasured, 100, {1}), Row(End::kMeasured, 1000, {4}),
          Row(End::kMeasured, 10000, {400})}, 20000, 1600},                            // the last two sizes decide
        {{Row(End::kMeasured, 1000, {1}), Row(End::kOverLimit, 10000, {})}, 100000, 100000},  // the limit, linearly
        {{Row(End::kPredictedOver, 10000, {}, 5e5)}, 20000, 1e6},
        {{Row(End::kMeasured, 1000, {3}), Row(End::kStackExhausted, 10000, {})}, 100000, 300},  // no figure: left out
        {{Row(End::kMeasured, 1000, {3}), Row(End::kCrashed, 10000, {})}, 100000, 300},
    };
    for (const Case& c : cases) {
        const std::optional<double> predicted = PredictMs(c.smaller, c.count, limit);
        ASSERT_TRUE(predicted.has_value());
        EXPECT_NEAR(*predicted, c.expected, c.expected * 1e-9) << c.count << " after " << c.smaller.size();
    }
    Measurement failed = Row(End::kMeasured, 1000, {});
    failed.outcome = {End::kFailed, "", {SortCheck::kOrder, 5}};
    EXPECT_FALSE(PredictMs({failed}, 10000, limit).has_value());
}

TEST(BenchGuard, ChildRefusesArgumentsItDidNotWrite) {
    const std::vector<Contender> known = TestContenders();
    // Shape, count, seed, minimum time, time limit, same data, library and
    // the name to open it by, contenders.
    const std::vector<std::string> good = {"random", "1000", "1", "0.5", "10", "0", "", "", "Broken"};
    for (std::size_t k = 0; k < good.size(); ++k) {
        std::vector<std::string> wrong = good;
        wrong[k] = "x";
        EXPECT_EQ(RunMeasuringChild(wrong, known), 2) << k;
    }
    EXPECT_EQ(RunMeasuringChild({good.begin(), good.end() - 1}, known), 2);
#ifndef _WIN32
    // Not started by its parent: by hand, or that parent died before it looked.
    for (const char* parent : {static_cast<const char*>(nullptr), "1", "0"}) {
        if (parent != nullptr) setenv("ORVANDEL_MEASURING_PARENT", parent, 1);
        EXPECT_EQ(RunMeasuringChild(good, known), 2) << (parent ? parent : "none");
        unsetenv("ORVANDEL_MEASURING_PARENT");
    }
#endif
}
