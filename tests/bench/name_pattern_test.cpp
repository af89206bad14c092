// The patterns of --filter: what they find, checked against the standard
// library's ECMAScript regex on every pattern both read; the patterns they
// refuse, each in one line; and the bound on a search's work, counted.
#include "bench/measure/name_pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

namespace {

// A random pattern of the language over a few bytes, groups at most depth
// deep: the model reads these the same way. Only the outermost parts
// repeat: the model backtracks, and repeats inside repeats take it hours
// even on names of a few bytes (the reason --filter no longer uses it).
std::string RandomPattern(std::mt19937_64& random, int depth) {
    const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    static const char* const kAtoms[] = {"a", "b", ":", ".", "[ab]", "[^a]", "[a-c]", "\\d", "\\w", "\\s",
                                         "\\W", "\\:", "\\.", "^", "$", "1", " ", "[:b-c]", "[-a]"};
    std::string pattern;
    const std::size_t parts = 1 + pick(4);
    for (std::size_t k = 0; k < parts; ++k) {
        std::string atom = depth > 0 && pick(4) == 0
                               ? (pick(2) ? "(" : "(?:") + RandomPattern(random, depth - 1) + ")"
                               : kAtoms[pick(std::size(kAtoms))];
        const bool anchor = atom == "^" || atom == "$";
        static const char* const kRepeats[] = {"", "", "", "*", "+", "?", "*?", "+?", "??"};
        pattern += atom + (anchor || depth < 2 ? "" : kRepeats[pick(std::size(kRepeats))]);
        if (pick(6) == 0) pattern += "|";
    }
    return pattern;
}

std::string RandomName(std::mt19937_64& random) {
    static const char kBytes[] = "ab:1 c.";
    std::string name;
    for (std::size_t k = random() % 9; k > 0; --k) name += kBytes[random() % (sizeof kBytes - 1)];
    return name;
}

}  // namespace

TEST(BenchNamePattern, FindsWhatTheStandardRegexFinds) {
    std::mt19937_64 random(11);
    for (int trial = 0; trial < 3000; ++trial) {
        const std::string text = RandomPattern(random, 2);
        const Result<NamePattern> pattern = NamePattern::Compile(text);
        ASSERT_TRUE(pattern) << text << ": " << pattern.why();
        const std::regex model(text);
        for (int k = 0; k < 8; ++k) {
            const std::string name = RandomName(random);
            EXPECT_EQ(pattern->FindsIn(name), std::regex_search(name, model)) << text << " in \"" << name << "\"";
        }
    }
}

TEST(BenchNamePattern, FindsTheToolsNames) {
    struct Row {
        const char* pattern;
        const char* name;
        bool found;
    };
    const Row rows[] = {
        {"pdq", "boost::pdqsort", true},          {"^pdq", "boost::pdqsort", false},
        {"sort$", "boost::pdqsort", true},        {"^std::sort$", "std::sort(par)", false},
        {"std::sort\\(par\\)", "std::sort(par)", true}, {"SB sort|stable", "std::stable_sort", true},
        {"[]", "anything", false},                {"[^]", "x", true},
        {"[^]", "", false},                       {"^$", "", true},
        {"a]b}", "a]b}", true},                   {"\\{", "{", true},
        {"(a*)*b", "aaaa", false},                {"(a|)+$", "aaab", true},
        {"\xc3\xa9", "caf\xc3\xa9", true},        {"caf.$", "caf\xc3\xa9", false},
    };
    for (const Row& row : rows) {
        const Result<NamePattern> pattern = NamePattern::Compile(row.pattern);
        ASSERT_TRUE(pattern) << row.pattern << ": " << pattern.why();
        EXPECT_EQ(pattern->FindsIn(row.name), row.found) << row.pattern << " in " << row.name;
    }
}

TEST(BenchNamePattern, RefusesWhatItDoesNotReadInOneLine) {
    const std::string deep = std::string(17, '(') + "x" + std::string(17, ')');
    const std::string deepest = std::string(16, '(') + "x" + std::string(16, ')');
    const std::string longest(kLongestNamePattern, 'a');
    struct Row {
        std::string pattern;
        std::string why;  // empty: read
    };
    const Row rows[] = {
        {longest, ""},
        {deepest, ""},
        {longest + "a", "a pattern of 257 bytes, more than the 256 a pattern may have"},
        {std::string(120000, 'A'), "a pattern of 120000 bytes, more than the 256 a pattern may have"},
        {deep, "\"" + deep + "\" is not a pattern: groups nested deeper than 16 at byte 17"},
        {"(ab", "\"(ab\" is not a pattern: an unmatched ( at byte 1"},
        {"ab)", "\"ab)\" is not a pattern: an unmatched ) at byte 3"},
        {"a[bc", "\"a[bc\" is not a pattern: an unmatched [ at byte 2"},
        {"*a", "\"*a\" is not a pattern: nothing to repeat at byte 1"},
        {"a+*", "\"a+*\" is not a pattern: nothing to repeat at byte 3"},
        {"^?", "\"^?\" is not a pattern: nothing to repeat at byte 2"},
        {"a{2}", "\"a{2}\" is not a pattern: a counted repetition {m,n} at byte 2, which patterns do not have "
                 "(\\{ is the byte)"},
        {"(?=a)", "\"(?=a)\" is not a pattern: a look-around or named group at byte 2, which patterns do not have"},
        {"\\bsort", "\"\\bsort\" is not a pattern: the escape \\b at byte 1, which patterns do not have"},
        {"(a)\\1", "\"(a)\\1\" is not a pattern: the escape \\1 at byte 4, which patterns do not have"},
        {"[z-a]", "\"[z-a]\" is not a pattern: a range from a higher byte to a lower, or from or to a class at "
                  "byte 2"},
        {"[\\d-z]", "\"[\\d-z]\" is not a pattern: a range from a higher byte to a lower, or from or to a class at "
                    "byte 2"},
        {"sort\\", "\"sort\\\" is not a pattern: a \\ at the end at byte 5"},
        {"\xc9\n(\n", "\"\xef\xbf\xbd\\x0a(\\x0a\" is not a pattern: an unmatched ( at byte 3"},
    };
    for (const Row& row : rows) {
        const Result<NamePattern> pattern = NamePattern::Compile(row.pattern);
        EXPECT_EQ(pattern ? "" : pattern.why(), row.why) << row.pattern.substr(0, 40);
    }
}

// Patterns a backtracking matcher takes exponential time or stack over:
// the search visits each step at most once a position, counted.
TEST(BenchNamePattern, ASearchVisitsEachStepAtMostOnceAPosition) {
    const std::string name(200, 'a');
    const std::string patterns[] = {"(.*.*.*.*.*.*.*.*.*.*.*.*)*x", "(a*)*b", "(a|a)*b", "((a+)+)+b",
                                     std::string(120, 'a') + "b", "(a?){100}"};
    for (const std::string& text : patterns) {
        const Result<NamePattern> pattern = NamePattern::Compile(text);
        if (text.find('{') != std::string::npos) {
            EXPECT_FALSE(pattern) << text;
            continue;
        }
        ASSERT_TRUE(pattern) << text;
        EXPECT_LE(pattern->Steps(), 3 * text.size() + 1) << text;
        std::size_t visits = 0;
        EXPECT_FALSE(pattern->FindsIn(name, &visits)) << text;
        EXPECT_GT(visits, name.size()) << text;
        EXPECT_LE(visits, pattern->Steps() * (name.size() + 1)) << text;
    }
}
