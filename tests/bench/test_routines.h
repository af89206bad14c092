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
// Sorts like std::sort, under a name of the tests' own.
extern const Contender kCounted;

// Every contender of the product, then the four above.
std::vector<Contender> TestContenders();
