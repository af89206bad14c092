#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "core/decimal_text.h"

namespace {

std::string Formatted(std::int32_t value) {
    char buffer[kDecimalTextSize + 4];
    std::memset(buffer, '#', sizeof buffer);
    FormatDecimal(value, buffer);
    EXPECT_LT(std::strlen(buffer), static_cast<std::size_t>(kDecimalTextSize));
    EXPECT_EQ(buffer[kDecimalTextSize], '#') << "wrote past the text's room";
    return buffer;
}

TEST(FormatDecimal, EdgeValues) {
    EXPECT_EQ(Formatted(0), "0");
    EXPECT_EQ(Formatted(7), "7");
    EXPECT_EQ(Formatted(-7), "-7");
    EXPECT_EQ(Formatted(10), "10");
    EXPECT_EQ(Formatted(-10), "-10");
    EXPECT_EQ(Formatted(1000000000), "1000000000");
    EXPECT_EQ(Formatted(123456789), "123456789");
    EXPECT_EQ(Formatted(INT_MAX), "2147483647");
    EXPECT_EQ(Formatted(INT_MIN), "-2147483648");
    EXPECT_EQ(Formatted(INT_MIN + 1), "-2147483647");
}

TEST(TextLength, EveryPositionOfTheTerminatorWithinAPass) {
    // Bytes after the NUL must not count, whichever of the four tests finds it.
    const char text[] = "abcdefghij\0xyz";
    for (std::uint32_t length = 0; length <= 10; ++length) {
        char copy[sizeof text];
        std::memcpy(copy, text, sizeof text);
        copy[length] = '\0';
        EXPECT_EQ(TextLength(copy), length);
    }
}

}  // namespace
