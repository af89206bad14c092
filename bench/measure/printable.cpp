#include "bench/measure/printable.h"

#include <cstdio>

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

struct Decoded {
    char32_t code;       // U+FFFD when the bytes are not well-formed
    std::size_t length;  // the bytes taken
};

// The character whose UTF-8 starts at text[at]. Where the bytes are not
// well-formed, the longest start of a sequence they hold (at least one
// byte) becomes one U+FFFD, as the WHATWG decoder and nlohmann's writer
// replace them. The first continuation byte's range after E0, ED, F0 and
// F4 is narrower: that excludes overlong forms, surrogates and code points
// past U+10FFFF.
Decoded Decode(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(at);
    if (lead < 0x80) return {lead, 1};
    const std::size_t more = lead >= 0xC2 && lead <= 0xDF ? 1 : lead >= 0xE0 && lead <= 0xEF ? 2
                           : lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
    if (more == 0) return {0xFFFD, 1};
    unsigned low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    char32_t code = lead & (0x3Fu >> more);
    for (std::size_t k = 1; k <= more; ++k) {
        if (at + k >= text.size() || byte(at + k) < low || byte(at + k) > high) return {0xFFFD, k};
        code = code << 6 | (byte(at + k) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {code, more + 1};
}

// Calls take(code point, its UTF-8) for every character of text, with
// U+FFFD where the bytes are not well-formed.
template <typename Take>
void ForEachCharacter(const std::string& text, Take take) {
    for (std::size_t at = 0; at < text.size();) {
        const Decoded c = Decode(text, at);
        take(c.code, c.code == 0xFFFD ? std::string(kReplacement) : text.substr(at, c.length));
        at += c.length;
    }
}

// C0, DEL and C1; the marks and overrides that make a terminal show text
// in another order than its bytes; and every character that shows nothing
// (Unicode's Default_Ignorable_Code_Point and the format characters, Cf,
// as of Unicode 15): a name could otherwise pass for another.
struct Range {
    char32_t first, last;
};
constexpr Range kUnseen[] = {
    {0x0000, 0x001F},   {0x007F, 0x009F},   {0x00AD, 0x00AD},   {0x034F, 0x034F},   {0x0600, 0x0605},
    {0x061C, 0x061C},   {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},
    {0x115F, 0x1160},   {0x17B4, 0x17B5},   {0x180B, 0x180F},   {0x200B, 0x200F},   {0x202A, 0x202E},
    {0x2060, 0x206F},   {0x3164, 0x3164},   {0xFE00, 0xFE0F},   {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},
    {0xFFF0, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
    {0x1D173, 0x1D17A}, {0xE0000, 0xE0FFF},
};

bool IsControl(char32_t code) {
    for (const Range& range : kUnseen)
        if (code >= range.first && code <= range.last) return true;
    return false;
}

std::string Escape(char32_t code) {
    char text[8];
    std::snprintf(text, sizeof text, code < 0x80 ? "\\x%02x" : "\\u%04x", static_cast<unsigned>(code));
    return text;
}

}  // namespace

std::string ValidUtf8(const std::string& text) {
    std::string valid;
    ForEachCharacter(text, [&](char32_t, const std::string& bytes) { valid += bytes; });
    return valid;
}

std::string Printable(const std::string& text) {
    std::string printable;
    ForEachCharacter(text, [&](char32_t code, const std::string& bytes) {
        printable += IsControl(code) ? Escape(code) : bytes;
    });
    return printable;
}

std::size_t Characters(const std::string& text) {
    std::size_t characters = 0;
    ForEachCharacter(text, [&](char32_t, const std::string&) { ++characters; });
    return characters;
}
