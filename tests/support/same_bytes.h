// Compares file contents of any size, "result.txt" dumps of 50 MB included.
// EXPECT_EQ on two such strings prints both whole and builds a line diff
// that runs to gigabytes; this reports the sizes and where the contents
// part, with a few bytes of each around that place.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace same_bytes_detail {

constexpr std::size_t kContext = 16;

// The bytes from `from` to `to` (clipped to the text), quoted, with line ends
// and other control bytes spelled out so a lost CR or LF shows.
inline std::string Excerpt(const std::string& text, std::size_t from, std::size_t to) {
    std::string shown = from > 0 ? "..\"" : "\"";
    for (std::size_t k = from; k < std::min(to, text.size()); ++k) {
        const auto byte = static_cast<unsigned char>(text[k]);
        if (byte == '\r') {
            shown += "\\r";
        } else if (byte == '\n') {
            shown += "\\n";
        } else if (byte == '"' || byte == '\\') {
            shown += '\\';
            shown += static_cast<char>(byte);
        } else if (byte < 0x20 || byte >= 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += static_cast<char>(byte);
        }
    }
    shown += to < text.size() ? "\".." : "\"";
    return shown;
}

}  // namespace same_bytes_detail

// Success when both hold the same bytes; otherwise a failure naming both
// sizes and the offset of the first byte that differs (the shorter one's
// size when one is the other's beginning), and both excerpts from the same
// offset so they line up.
inline testing::AssertionResult SameBytes(const std::string& got, const std::string& expected) {
    const std::size_t at = static_cast<std::size_t>(
        std::mismatch(got.begin(), got.end(), expected.begin(), expected.end()).first - got.begin());
    if (at == got.size() && at == expected.size()) return testing::AssertionSuccess();
    const std::size_t from = at > same_bytes_detail::kContext ? at - same_bytes_detail::kContext : 0;
    const std::size_t to = at + same_bytes_detail::kContext;
    return testing::AssertionFailure()
           << got.size() << " bytes, expected " << expected.size() << "; first difference at byte "
           << at << "\n  got:      " << same_bytes_detail::Excerpt(got, from, to)
           << "\n  expected: " << same_bytes_detail::Excerpt(expected, from, to);
}
