// Routines that misbehave on purpose, for the tests of the measurement and
// its guard. Only the test program knows them: its measuring children find
// them by name in TestContenders(), the product's --list never shows them.
#pragma once

#include <vector>

#include "bench/measure/contenders.h"

// Sorts, then makes slot 17 one larger than slot 18: the first descent.
extern const Contender kBroken;
// Recurses with large frames until the stack runs out.
extern const Contender kStackHungry;
// Never returns.
extern const Contender kEndless;
// Aborts: the child dies in the middle of a repetition.
extern const Contender kAborting;
// Sorts like std::sort, under a name of the tests' own.
extern const Contender kCounted;
// Sorts, then forges a sample on its child's report channel.
extern const Contender kForger;
// Forges the start of a repetition on the report channel forever.
extern const Contender kRestarter;
// Sorts, and leaves a process of its own that sleeps until it is killed.
extern const Contender kSleeperStarter;

// Sorts, and writes a line naming the data it was given to the file
// kTestRecordFile names.
extern const Contender kRecorder;
constexpr char kTestRecordFile[] = "ORVANDEL_TEST_RECORD_FILE";

// The file the sleeper's process ids go to, and the flag that makes the
// test program that sleeper on Windows.
constexpr char kTestSleeperFile[] = "ORVANDEL_TEST_SLEEPER_FILE";
constexpr char kTestSleeperFlag[] = "--test-sleeper";

// The environment variable that makes the test program's measuring
// children fail before their first report (test_main.cpp), and the status
// they exit with when told to exit.
constexpr char kTestChildFault[] = "ORVANDEL_TEST_CHILD_FAULT";
constexpr int kTestChildExitStatus = 7;

// Every contender of the product, then the nine above.
std::vector<Contender> TestContenders();
