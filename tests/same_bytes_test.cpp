#include <gtest/gtest.h>

#include <string>

#include "tests/support/same_bytes.h"

namespace {

struct Case {
    std::string got;
    std::string expected;
    std::string message;  // empty: the same bytes
};

TEST(SameBytes, SizesFirstDifferenceAndExcerptsAroundIt) {
    const std::string as(40, 'a');
    const Case cases[] = {
        {"12\r\n3\r\n", "12\r\n3\r\n", ""},
        {"", "", ""},
        {"12\r\n4\r\n", "12\r\n3\r\n",
         "7 bytes, expected 7; first difference at byte 4\n"
         R"(  got:      "12\r\n4\r\n")" "\n"
         R"(  expected: "12\r\n3\r\n")"},
        {"12\r\n3", "12\r\n3\r\n",
         "5 bytes, expected 7; first difference at byte 5\n"
         R"(  got:      "12\r\n3")" "\n"
         R"(  expected: "12\r\n3\r\n")"},
        {"", std::string(1, '\0'),
         "0 bytes, expected 1; first difference at byte 0\n"
         R"(  got:      "")" "\n"
         R"(  expected: "\x00")"},
        {as + "b" + as, as + "\"" + as,
         "81 bytes, expected 81; first difference at byte 40\n"
         R"(  got:      .."aaaaaaaaaaaaaaaabaaaaaaaaaaaaaaa"..)" "\n"
         R"(  expected: .."aaaaaaaaaaaaaaaa\"aaaaaaaaaaaaaaa"..)"},
    };
    for (const Case& c : cases) {
        const testing::AssertionResult result = SameBytes(c.got, c.expected);
        EXPECT_EQ(static_cast<bool>(result), c.message.empty()) << c.message;
        EXPECT_EQ(result.message(), c.message);
    }
}

}  // namespace
