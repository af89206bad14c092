#include "bench/report/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <utility>

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

bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

std::string Escape(char32_t code) {
    char text[8];
    std::snprintf(text, sizeof text, code < 0x80 ? "\\x%02x" : "\\u%04x", static_cast<unsigned>(code));
    return text;
}

// text with each character of special written as its replacement.
template <std::size_t N>
std::string Replaced(const std::string& text, const std::pair<char, const char*> (&special)[N]) {
    std::string replaced;
    for (char c : text) {
        const auto found = std::find_if(std::begin(special), std::end(special),
                                        [&](const std::pair<char, const char*>& s) { return s.first == c; });
        replaced += found == std::end(special) ? std::string(1, c) : std::string(found->second);
    }
    return replaced;
}

}  // namespace

std::string Fixed(double value, int decimals) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    // Room for the largest double's 309 digits, a sign and the point.
    std::string text(312 + static_cast<std::size_t>(std::max(decimals, 0)), '\0');
    const char* end = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, decimals).ptr;
    text.resize(static_cast<std::size_t>(end - text.data()));
    return text;
}

std::string Duration(double milliseconds) {
    struct Unit {
        double perMillisecond;
        const char* name;
    };
    static const Unit kUnits[] = {{1e6, "ns"}, {1e3, "\u00b5s"}, {1, "ms"}, {1e-3, "s"}};
    for (const Unit& unit : kUnits) {
        const double value = milliseconds * unit.perMillisecond;
        if (value >= 999.5 && &unit != std::end(kUnits) - 1) continue;
        return Fixed(value, value < 9.995 ? 2 : value < 99.95 ? 1 : 0) + ' ' + unit.name;
    }
    return "";
}

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

std::string MarkdownText(const std::string& text) {
    static const std::pair<char, const char*> kSpecial[] = {{'\\', "\\\\"}, {'|', "\\|"}};
    return Replaced(Printable(text), kSpecial);
}

std::string EscapedXml(const std::string& text) {
    static const std::pair<char, const char*> kSpecial[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}};
    return Replaced(Printable(text), kSpecial);
}

std::string CsvField(const std::string& field) {
    const std::string valid = ValidUtf8(field);
    if (valid.find_first_of(",\"\r\n") == std::string::npos) return valid;
    static const std::pair<char, const char*> kQuote[] = {{'"', "\"\""}};
    return '"' + Replaced(valid, kQuote) + '"';
}
