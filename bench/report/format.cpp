#include "bench/report/format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <utility>

namespace {

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




std::string MarkdownText(const std::string& text) {
    // <, > and &: a renderer of markdown takes them for HTML; the others
    // would make links, images, code or emphasis of a name
    // ("![x](https://...)" loads a remote image). Without its brackets a
    // link is text, so parentheses stay as they are.
    static const std::pair<char, const char*> kSpecial[] = {
        {'\\', "\\\\"}, {'|', "\\|"}, {'<', "&lt;"}, {'>', "&gt;"}, {'&', "&amp;"}, {'[', "\\["},
        {']', "\\]"},   {'!', "\\!"}, {'`', "\\`"}, {'*', "\\*"},  {'_', "\\_"},   {'~', "\\~"}};
    return Replaced(Printable(text), kSpecial);
}

std::string EscapedXml(const std::string& text) {
    static const std::pair<char, const char*> kSpecial[] = {
        {'&', "&amp;"}, {'<', "&lt;"}, {'>', "&gt;"}, {'"', "&quot;"}};
    return Replaced(Printable(text), kSpecial);
}

std::string CsvField(const std::string& field) {
    // A spreadsheet runs a field that starts like a formula; the usual
    // leading ' keeps it text.
    const bool formula = !field.empty() && std::string("=+-@\t\r").find(field[0]) != std::string::npos;
    const std::string valid = (formula ? "'" : "") + ValidUtf8(field);
    if (valid.find_first_of(",\"\r\n") == std::string::npos) return valid;
    static const std::pair<char, const char*> kQuote[] = {{'"', "\"\""}};
    return '"' + Replaced(valid, kQuote) + '"';
}

std::string Seconds(double seconds) {
    if (seconds == std::floor(seconds)) return Fixed(seconds, 0) + " s";
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}
