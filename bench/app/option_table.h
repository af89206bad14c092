// The options of orvandel-bench, one entry each. The parser, the defaults
// a line without them gets, --help (and so the manual page help2man makes
// of it) and the options --compare refuses all come from this table.
#pragma once

#include <string>
#include <vector>

#include "bench/app/bench_options.h"
#include "bench/measure/refusal.h"

// What an option does to the command it is given to (a bit set).
enum OptionUse : unsigned {
    kMeasures = 1u,         // given, it turns the run into the statistics tool
    kWithCompare = 2u,      // --compare takes it too; the others are refused there
    kNeedsComparison = 4u,  // only with --baseline or --compare
    kRepeatable = 8u,       // may be given again, every value kept
    kStandalone = 16u,      // prints something and exits, whatever else is given
    kNeedsMachineCounts = 32u,  // with --baseline, only with --machine-counts: it gates on the run's counts
    kHelp = 64u,            // anywhere before "--", it shows the help and the line is not read
};

struct OptionEntry {
    const char* name;         // "--runs"
    const char* shortName;    // "-r", a dash and one character; nullptr for none
    const char* valueName;    // "N" as help shows the value; nullptr for a flag
    int values;               // values each use takes: 0 (a flag), 1, or 2
    const char* defaultText;  // read like a value before the line is; nullptr for none
    const char* help;         // one sentence, without the default
    unsigned use;             // OptionUse bits
    // Reads one value (a flag gets "") into options; refuses it with the
    // reason, without the option's name, which the parser adds. nullptr
    // for --help, which is answered before any value is read.
    Check (*read)(const std::string& value, BenchOptions& options);
};

// The table, in the order --help lists it.
const std::vector<OptionEntry>& OptionTable();

// The entry named name, in its long form ("--runs") or its short one
// ("-r"), or nullptr.
const OptionEntry* FindOption(const std::string& name);
