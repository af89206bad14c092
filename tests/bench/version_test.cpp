#include "bench/app/version.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "bench/measure/reference_sorts.h"
#include "bench/measure/system_info.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// text as a regex that matches only itself.
std::string Escaped(const std::string& text) {
    return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), "\\$&");
}

std::string ReferenceNames() {
    std::string names;
    for (const ReferenceSort& sort : ReferenceSorts()) names += (names.empty() ? "" : ", ") + std::string(sort.name);
    return names;
}

}  // namespace

// Each field on a line of its own, in the order a bug report quotes them;
// the first line is the name and version alone, as help2man reads it, and
// the fields an indented list, which it makes a list of.
TEST(BenchVersion, EachFieldOnItsOwnLine) {
    std::ostringstream out;
    PrintVersion(out);
    const std::vector<std::string> lines = Lines(out.str());
    const SystemInfo system = ReadSystemInfo();
    const std::string version = std::string("orvandel-bench ") + ORVANDEL_TEST_PROJECT_VERSION;
    const struct {
        const char* field;
        std::string pattern;  // ECMAScript, the whole line
    } rows[] = {
        {"name and version", version},
        {"heading", "Built from:"},
        {"revision", "  revision    ([0-9a-f]{12}( \\(modified\\))?|none \\(not built from a git checkout\\))"},
        {"compiler", "  compiler    " + Escaped(system.compiler)},
        {"flags", "  flags       .*, routines -O[0-3s], plain member -O[0-3s]"},
        {"references", "  references  " + Escaped(ReferenceNames())},
    };
    const std::size_t end = std::size(rows) + MissingReferenceNotes().size();
    ASSERT_EQ(lines.size(), end + 3) << out.str();
    for (std::size_t k = 0; k < std::size(rows); ++k)
        EXPECT_TRUE(std::regex_match(lines[k], std::regex(rows[k].pattern))) << rows[k].field << ": " << lines[k];
    for (std::size_t k = 0; k < MissingReferenceNotes().size(); ++k)
        EXPECT_EQ(lines[std::size(rows) + k], MissingReferenceNotes()[k]);
    EXPECT_EQ(lines[end], "");  // help2man's COPYRIGHT section starts after a blank line
    EXPECT_EQ(lines[end + 1], "Copyright (c) 2026 The Orvandel developers.");
}
