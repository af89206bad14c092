/* Sorts a user may write by mistake or malice, one symbol each, for the
 * end-to-end run of the tool (check_hostile_sorts.py): each may cost its own
 * row and nothing else. The tool runs them in children of its own, so the
 * harm below is done to a measuring process, never to the test. */
#define _GNU_SOURCE /* poll, fork, ptrace, setsid: POSIX and Linux beside ISO C */
#include <orvandel/sort_plugin.h>
#include "shell_sort.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/ptrace.h>
#include <time.h>
#include <unistd.h>

/* A wait on no descriptors: poll's timeout is the pause. */
static void pause_ms(int ms) {
    poll(NULL, 0, ms);
}

/* Ascending, but the largest value is gone: an order check alone passes. */
ORVANDEL_EXPORT void hostile_loses_largest(int32_t* first, int32_t* last) {
    shell_sort(first, last);
    if (last - first >= 2) last[-1] = last[-2];
}

/* Ascending too: every slot holds the smallest value. */
ORVANDEL_EXPORT void hostile_smallest_everywhere(int32_t* first, int32_t* last) {
    int32_t smallest = *first;
    for (const int32_t* p = first; p < last; ++p)
        if (*p < smallest) smallest = *p;
    for (int32_t* p = first; p < last; ++p) *p = smallest;
}

/* Lines that look like a measuring child's reports, printed where a sort
 * prints: a tool that reads them as reports takes forged figures. */
ORVANDEL_EXPORT void hostile_forged_lines(int32_t* first, int32_t* last) {
    shell_sort(first, last);
    fputs("sample 0 0.000001 0 1 -1 1\ndone\nstart 1\ncounted 0 1 1 1 1 1 1\n", stdout);
    fflush(stdout);
}

ORVANDEL_EXPORT void hostile_forged_samples(int32_t* first, int32_t* last) {
    shell_sort(first, last);
    for (int i = 0; i < 20; ++i) fputs("sample 0 500 0 1 -1 1\n", stdout);
    fflush(stdout);
}

/* Progress dots: a line that never ends. */
ORVANDEL_EXPORT void hostile_dot(int32_t* first, int32_t* last) {
    shell_sort(first, last);
    fputs(".", stdout);
    fflush(stdout);
}

/* Says it started, again and again, and never returns: only the time limit
 * ends it, whatever it prints. */
ORVANDEL_EXPORT void hostile_hang_talking(int32_t* first, int32_t* last) {
    (void)first;
    (void)last;
    for (;;) {
        fputs("start 1\n", stdout);
        fflush(stdout);
        pause_ms(500);
    }
}

/* The harmless kind of printing a user leaves in while debugging: it must
 * reach the user, on the tool's standard error. */
ORVANDEL_EXPORT void hostile_says_count(int32_t* first, int32_t* last) {
    printf("sorting %ld values\n", (long)(last - first));
    fflush(stdout);
    shell_sort(first, last);
}

/* Closes its standard output, once: descriptor 1 is free for the next file
 * the process opens. */
ORVANDEL_EXPORT void hostile_closes_stdout(int32_t* first, int32_t* last) {
    static int closed;
    shell_sort(first, last);
    if (!closed) {
        closed = 1;
        fclose(stdout);
        close(1); /* already closed unless the C library kept it: either way gone */
    }
}

struct range {
    int32_t* first;
    int32_t* last;
};

static void* scribble(void* argument) {
    const struct range r = *(struct range*)argument;
    for (uint32_t n = 0;; ++n) {
        for (volatile int32_t* p = r.first; p < r.last; ++p) *p = (int32_t)(n - (uint32_t)(p - r.first));
        pause_ms(1);
    }
    return NULL;
}

/* Sorts, and leaves a thread behind that keeps writing into the range it
 * was given, long after the sort returned. */
ORVANDEL_EXPORT void hostile_scribbling_thread(int32_t* first, int32_t* last) {
    static struct range r;
    static int started;
    shell_sort(first, last);
    if (!started) {
        started = 1;
        r.first = first;
        r.last = last;
        pthread_t thread;
        if (pthread_create(&thread, NULL, scribble, &r) == 0) pthread_detach(thread);
    }
}

/* Sorts, and leaves a process behind, once: it holds every descriptor the
 * sort had, and never ends by itself, so a tool that waits for its pipes to
 * close never ends either. */
ORVANDEL_EXPORT void hostile_forks_sleeper(int32_t* first, int32_t* last) {
    static int forked;
    if (!forked) {
        forked = 1;
        if (fork() == 0) {
            for (;;) pause();
        }
    }
    shell_sort(first, last);
}

/* Ends the process it runs in, with a status that says all went well. */
ORVANDEL_EXPORT void hostile_exits(int32_t* first, int32_t* last) {
    (void)first;
    (void)last;
    exit(0);
}

/* Stops its own process, as a sort that raises SIGSTOP to be looked at in
 * a debugger would: nothing would ever let it go on. */
ORVANDEL_EXPORT void hostile_stops_itself(int32_t* first, int32_t* last) {
    raise(SIGSTOP);
    shell_sort(first, last);
}

/* Takes memory a page at a time, up to 4 GiB, then sorts: under a memory
 * limit below that, the system ends it for want of memory first. */
ORVANDEL_EXPORT void hostile_eats_memory(int32_t* first, int32_t* last) {
    enum { kChunk = 16 << 20 };
    for (int k = 0; k < 256; ++k) {
        char* chunk = malloc(kChunk);
        if (chunk == NULL) break;
        for (int at = 0; at < kChunk; at += 4096) chunk[at] = (char)k;
    }
    shell_sort(first, last);
}

/* Forged reports on every descriptor a process is likely to have, once,
 * then a correct sort: whichever descriptor the tool reads, these lines are
 * on it. */
ORVANDEL_EXPORT void hostile_forges_every_descriptor(int32_t* first, int32_t* last) {
    static const char forged[] = "sample 0 500 0 1 -1 1\nstart 1\nsample 1 500 0 1 -1 1\ndone\n";
    static int written;
    if (!written) {
        written = 1;
        for (int fd = 0; fd < 64; ++fd)
            if (write(fd, forged, sizeof forged - 1) < 0) {
                /* not open, or not for writing: nothing to forge there */
            }
    }
    shell_sort(first, last);
}

/* Attacks on what lies outside its own process, each made once before a
 * correct sort: the process must end at the attack, its row saying what
 * the sort tried, and no other row may notice. */

/* The tool's process id, as a sort that looked through /proc would find it. */
static pid_t tool_pid(void) {
    const char* parent = getenv("ORVANDEL_MEASURING_PARENT");
    return parent ? (pid_t)atol(parent) : getppid();
}

/* Every process whose command line names the tool's program, but this one. */
static void signal_tools(int signal) {
    DIR* proc = opendir("/proc");
    for (struct dirent* entry; proc && (entry = readdir(proc)) != NULL;) {
        char path[300], command[256] = "";
        const long pid = atol(entry->d_name);
        if (pid <= 0 || pid == (long)getpid()) continue;
        snprintf(path, sizeof path, "/proc/%ld/cmdline", pid);
        FILE* file = fopen(path, "r");
        if (!file) continue;
        const size_t got = fread(command, 1, sizeof command - 1, file);
        fclose(file);
        command[got] = 0;
        if (strstr(command, "orvandel-bench")) kill((pid_t)pid, signal);
    }
    if (proc) closedir(proc);
}

#define ATTACK_ONCE(name, attack)                                    \
    ORVANDEL_EXPORT void name(int32_t* first, int32_t* last) {       \
        static int attacked;                                         \
        if (!attacked) {                                             \
            attacked = 1;                                            \
            attack;                                                  \
        }                                                            \
        shell_sort(first, last);                                     \
    }

ATTACK_ONCE(hostile_stops_tool, (kill(tool_pid(), SIGSTOP), kill(getppid(), SIGSTOP)))
ATTACK_ONCE(hostile_kills_other_children, signal_tools(SIGKILL))
ATTACK_ONCE(hostile_traces_parent, ptrace(PTRACE_ATTACH, tool_pid(), NULL, NULL))
ATTACK_ONCE(hostile_writes_proc, close(open("/proc/1/status", O_WRONLY)))
ATTACK_ONCE(hostile_creates_file, close(open("/tmp/orvandel-hostile-was-here", O_WRONLY | O_CREAT, 0600)))
ATTACK_ONCE(hostile_leaves_group, setsid())
ATTACK_ONCE(hostile_types_into_terminal, ioctl(2, TIOCSTI, "x"))

/* Reads every descriptor of every other process it can open (the tool's
 * pipes to other children among them), and then loses the largest value:
 * a row that is measured never opened one. */
ORVANDEL_EXPORT void hostile_reads_other_channels(int32_t* first, int32_t* last) {
    int opened = 0;
    DIR* proc = opendir("/proc");
    for (struct dirent* entry; proc && (entry = readdir(proc)) != NULL;) {
        const long pid = atol(entry->d_name);
        if (pid <= 0 || pid == (long)getpid()) continue;
        for (int fd = 0; fd < 64; ++fd) {
            char path[300], buffer[64];
            snprintf(path, sizeof path, "/proc/%ld/fd/%d", pid, fd);
            const int other = open(path, O_RDONLY | O_NONBLOCK);
            if (other < 0) continue;
            opened = 1;
            if (read(other, buffer, sizeof buffer) < 0) {
                /* nothing waiting there: opening it was the harm */
            }
            close(other);
        }
    }
    if (proc) closedir(proc);
    shell_sort(first, last);
    if (opened && last - first >= 2) last[-1] = last[-2];
}

/* Looks through /proc for any process but itself and the one that started
 * it, and then loses the largest value: a row that is measured saw none. */
ORVANDEL_EXPORT void hostile_looks_for_others(int32_t* first, int32_t* last) {
    int seen = 0;
    DIR* proc = opendir("/proc");
    for (struct dirent* entry; proc && (entry = readdir(proc)) != NULL;) {
        const long pid = atol(entry->d_name);
        seen |= pid > 0 && pid != (long)getpid() && pid != (long)getppid();
    }
    if (proc) closedir(proc);
    shell_sort(first, last);
    if (seen && last - first >= 2) last[-1] = last[-2];
}

/* A table whose names differ in every process that loads it: the names
 * the tool checked are not the ones a measuring process finds. (Not its
 * process id: every sandboxed process has the same.) */
static char pid_names[2][40];

__attribute__((constructor)) static void NameAfterProcess(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long stamp = (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
    snprintf(pid_names[0], sizeof pid_names[0], "At %lld one", stamp);
    snprintf(pid_names[1], sizeof pid_names[1], "At %lld two", stamp);
}

static const struct orvandel_sort_entry pid_sorts[] = {{pid_names[0], shell_sort}, {pid_names[1], shell_sort}};
ORVANDEL_EXPORT const struct orvandel_sort_table orvandel_sort_table = {ORVANDEL_SORT_ABI_VERSION, 2, pid_sorts};
