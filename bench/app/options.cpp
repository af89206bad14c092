#include "bench/app/options.h"

#include <algorithm>
#include <optional>

#include "bench/app/help.h"
#include "bench/app/option_table.h"
#include "bench/measure/name_lists.h"

namespace {

// One option as the line gave it, with its values.
struct Given {
    const OptionEntry* entry;
    std::vector<std::string> values;
};

struct Words {
    std::vector<Given> given;
    std::vector<std::string> names;  // routines and references
};

// The option a word of one dash begins with ("-r" of "-r3"), or nullptr.
const OptionEntry* ShortOptionOf(const std::string& word) {
    return word.size() >= 2 && word[0] == '-' && word[1] != '-' ? FindOption(word.substr(0, 2)) : nullptr;
}

// A word that is an option, not a value: a long option, or one that
// begins with a short one. A value may begin with '-' otherwise
// ("--warmup -1" is refused for its value, not as a missing one).
bool IsOptionWord(const std::string& word) {
    return (word.size() > 2 && word.compare(0, 2, "--") == 0) || ShortOptionOf(word) != nullptr;
}

// Before anything else, as a reader of the help would want.
bool AsksForHelp(const std::vector<std::string>& words) {
    const auto end = std::find(words.begin(), words.end(), "--");
    return std::any_of(words.begin(), end, [](const std::string& w) {
        const OptionEntry* entry = FindOption(w);
        return entry != nullptr && (entry->use & kHelp) != 0;
    });
}

// An option word split into the option's name and the value it holds:
// after '=' ("--runs=3", "-r=3") or, short, right after the name ("-r3").
// A word of one dash that begins with no short name is named whole, to be
// refused as unknown.
struct OptionWord {
    std::string name;
    std::optional<std::string> value;
};

OptionWord Split(const std::string& word) {
    const std::size_t end = ShortOptionOf(word) != nullptr ? 2 : std::min(word.find('='), word.size());
    OptionWord split{word.substr(0, end), std::nullopt};
    if (end < word.size()) split.value = word.substr(word[end] == '=' ? end + 1 : end);
    return split;
}

// The values of entry's use at words[at], whose value attached is split
// off: that, or the words that follow it. at moves past those.
Result<std::vector<std::string>> Values(const OptionEntry& entry, const std::optional<std::string>& attached,
                                        const std::vector<std::string>& words, std::size_t& at) {
    if (attached) {
        if (entry.values != 1)
            return Refusal{std::string(entry.name) +
                           (entry.values == 0 ? " takes no value" : " takes its values as separate words")};
        return std::vector<std::string>{*attached};
    }
    std::vector<std::string> values;
    for (int k = 0; k < entry.values; ++k) {
        if (at + 1 >= words.size() || IsOptionWord(words[at + 1]))
            return Refusal{std::string(entry.name) + " needs " + (entry.values == 1 ? "a value, " : "2 values, ") +
                           entry.valueName};
        values.push_back(words[++at]);
    }
    return values;
}

// What an unknown option was probably meant to be, or where to look.
std::string UnknownOption(const std::string& name) {
    std::vector<std::string> known;
    for (const OptionEntry& entry : OptionTable()) known.push_back(entry.name);
    return "unknown option " + name + Suggestion(name, known, "--help lists them");
}

// Parse: each word an option with its values or a name; "--" ends the
// options.
Result<Words> Parsed(const std::vector<std::string>& words) {
    Words parsed;
    bool optionsEnded = false;
    for (std::size_t at = 0; at < words.size(); ++at) {
        const std::string& word = words[at];
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || word.size() < 2 || word[0] != '-') {
            parsed.names.push_back(word);
            continue;
        }
        const OptionWord split = Split(word);
        const OptionEntry* entry = FindOption(split.name);
        if (entry == nullptr) return Refusal{UnknownOption(split.name)};
        const bool again = std::any_of(parsed.given.begin(), parsed.given.end(),
                                       [&](const Given& g) { return g.entry == entry; });
        if (again && (entry->use & kRepeatable) == 0) return Refusal{std::string(entry->name) + " is given twice"};
        Result<std::vector<std::string>> values = Values(*entry, split.value, words, at);
        if (!values) return Refusal{values.why()};
        parsed.given.push_back({entry, *values});
    }
    return parsed;
}

// Reads every value given into options, over the defaults already there.
Check Read(const Words& words, BenchOptions& options) {
    for (const Given& given : words.given) {
        const std::vector<std::string> values = given.entry->values == 0 ? std::vector<std::string>{""} : given.values;
        for (const std::string& value : values) {
            if (value.empty() && given.entry->values > 0)
                return Refusal{std::string(given.entry->name) + ": the value is empty"};
            const Check read = given.entry->read(value, options);
            if (!read) return Refusal{std::string(given.entry->name) + ": " + read.why()};
        }
    }
    options.names = words.names;
    return Passed{};
}

// Check: the options that need or exclude others.
Check Consistent(const Words& words, BenchOptions& options) {
    const bool compare = !options.comparePaths.empty();
    const bool comparing = compare || !options.baselinePath.empty();
    for (const Given& given : words.given) {
        const unsigned use = given.entry->use;
        if (compare && (use & kWithCompare) == 0)
            return Refusal{std::string(given.entry->name) + " excludes --compare, which measures nothing"};
        if ((use & kNeedsComparison) != 0 && !comparing)
            return Refusal{std::string(given.entry->name) + " needs --baseline or --compare"};
        if ((use & kNeedsMachineCounts) != 0 && !compare && !options.settings.machineCounts)
            return Refusal{std::string(given.entry->name) + " needs --machine-counts, to count the run's instructions"};
        options.measuring = options.measuring || (use & kMeasures) != 0;
    }
    options.settings.count = options.counts.front();
    options.settings.pattern = options.patterns.front();
    options.settings.type = options.types.front();
    return Passed{};
}

// Declare: the options a line without any has, read from the table's
// defaults as if typed.
BenchOptions Declared() {
    BenchOptions options;
    for (const OptionEntry& entry : OptionTable())
        if (entry.defaultText != nullptr) static_cast<void>(entry.read(entry.defaultText, options));
    return options;
}

Result<BenchOptions> ReadCommandLine(const std::vector<std::string>& words) {
    const Result<Words> parsed = Parsed(words);
    if (!parsed) return Refusal{parsed.why()};
    BenchOptions options = Declared();
    Check checked = Read(*parsed, options);
    if (checked) checked = Consistent(*parsed, options);
    if (!checked) return Refusal{checked.why()};
    return options;
}

}  // namespace

CommandLine ParseCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err) {
    const std::vector<std::string> words(argv + 1, argv + argc);
    CommandLine line;
    if (AsksForHelp(words)) {
        PrintHelp(out);
        line.exit = true;
        return line;
    }
    Result<BenchOptions> options = ReadCommandLine(words);
    if (options) {
        line.options = *options;
        return line;
    }
    line.exit = true;
    line.exitCode = Refuse(err, options.why());
    return line;
}
