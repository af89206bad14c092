#include "bench/app/option_values.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

#include "bench/measure/cell_data.h"
#include "bench/measure/name_lists.h"
#include "bench/measure/patterns.h"

namespace {

constexpr std::uint64_t kLargestSeed = 2147483646;   // the generator's modulus less one

// Decimal digits only, without sign or spaces; false when malformed or
// larger than limit.
bool ParseDecimal(const std::string& text, std::uint64_t limit, std::uint64_t& value) {
    if (text.empty() || text.size() > 12) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value <= limit;
}

constexpr std::size_t kLargestDigits = 10;  // digits of kLargestCount

struct Suffix {
    char letter;
    int exponent;
};
constexpr Suffix kSuffixes[] = {{'k', 3}, {'m', 6}, {'g', 9}};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal digits of text's value as a whole number (no leading zeros,
// "0" for zero). Reads digits, an optional '.' and fraction, then an
// optional exponent or suffix; false when text has another form. whole is
// false when the value has a fraction.
bool WholeDigits(const std::string& text, std::string& digits, bool& whole) {
    std::size_t at = 0;
    digits.clear();
    int fraction = 0;
    bool point = false;
    for (; at < text.size() && (IsDigit(text[at]) || (text[at] == '.' && !point)); ++at) {
        if (text[at] == '.') point = true;
        else {
            digits += text[at];
            fraction += point ? 1 : 0;
        }
    }
    if (digits.empty()) return false;
    int exponent = 0;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        const std::string power = text.substr(at + 1);
        if (power.empty() || power.size() > 2 || !std::all_of(power.begin(), power.end(), IsDigit))
            return false;
        exponent = std::stoi(power);
        at = text.size();
    } else if (at + 1 == text.size()) {
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at])));
        const auto suffix = std::find_if(std::begin(kSuffixes), std::end(kSuffixes),
                                         [&](const Suffix& s) { return s.letter == letter; });
        if (suffix == std::end(kSuffixes)) return false;
        exponent = suffix->exponent;
        at = text.size();
    }
    if (at != text.size()) return false;

    const int shift = exponent - fraction;
    if (shift >= 0) {
        digits.append(static_cast<std::size_t>(shift), '0');
    } else {
        const std::size_t dropped = static_cast<std::size_t>(-shift);
        whole = digits.find_first_not_of('0', digits.size() - std::min(dropped, digits.size())) ==
                std::string::npos;
        digits.resize(digits.size() - std::min(dropped, digits.size()));
    }
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    if (digits.empty()) digits = "0";
    return true;
}

// A bound as people write it: 100, 86400, 2.5.
std::string Limit(double largest) {
    std::ostringstream text;
    text << largest;
    return text.str();
}

// The refusal of an unknown shape, with the shapes it was probably meant
// to be.
std::string UnknownShape(const std::string& name) {
    std::vector<std::string> known;
    for (const InputPattern& pattern : InputPatterns()) known.push_back(pattern.name);
    return "unknown shape \"" + name + "\"" +
           Suggestion(name, known, "--list shows the shapes, \"all\" names every one");
}

}  // namespace

Result<std::int32_t> ParseCount(const std::string& text) {
    std::string digits;
    bool whole = true;
    if (!WholeDigits(text, digits, whole))
        return Refusal{"\"" + text + "\" is not a whole number of values (forms: 5000000, 1e5, 2.5M, 100k)"};
    if (!whole) return Refusal{"\"" + text + "\" is a fraction; a count is a whole number of values"};
    if (digits.size() > kLargestDigits || std::stoull(digits) > static_cast<std::uint64_t>(kLargestCount))
        return Refusal{text + " is more than the 2147483647 values a 32-bit slot index reaches"};
    if (std::stoull(digits) < 2) return Refusal{text + " is too few: a sort needs at least 2 values"};
    return static_cast<std::int32_t>(std::stoull(digits));
}

Result<std::vector<std::int32_t>> ParseCountList(const std::string& text) {
    std::vector<std::int32_t> counts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const Result<std::int32_t> count = ParseCount(text.substr(start, comma - start));
        if (!count) return Refusal{count.why()};
        counts.push_back(*count);
        if (comma == text.size()) break;
        start = comma + 1;
    }
    std::sort(counts.begin(), counts.end());
    counts.erase(std::unique(counts.begin(), counts.end()), counts.end());
    return counts;
}

Result<int> ParseWholeNumber(const std::string& text, int smallest, int largest) {
    std::uint64_t number = 0;
    if (!ParseDecimal(text, static_cast<std::uint64_t>(largest), number) || number < static_cast<std::uint64_t>(smallest))
        return Refusal{"\"" + text + "\" is not a whole number from " + std::to_string(smallest) + " to " +
                       std::to_string(largest)};
    return static_cast<int>(number);
}

Result<double> ParseNumber(const std::string& text, double largest) {
    const std::size_t point = text.find('.');
    const std::string digits = point == std::string::npos ? text : text.substr(0, point) + text.substr(point + 1);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), IsDigit) || text.size() > 16)
        return Refusal{"\"" + text + "\" is not a number"};
    const double value = std::strtod(text.c_str(), nullptr);
    if (value <= largest) return value;
    return Refusal{text + " is outside 0 ... " + Limit(largest)};
}

Result<double> ParseDuration(const std::string& text, double largest) {
    const Result<double> value = ParseNumber(text, largest);
    if (!value || *value > 0) return value;
    return Refusal{text + " is outside 0 (excluded) ... " + Limit(largest)};
}

Result<std::uint32_t> ParseSeed(const std::string& text) {
    std::uint64_t value = 0;
    if (!ParseDecimal(text, kLargestSeed, value) || value == 0)
        return Refusal{"\"" + text + "\" is not a seed of the generator (a whole number from 1 to 2147483646)"};
    return static_cast<std::uint32_t>(value);
}

Result<std::vector<std::string>> ParsePatternList(const std::string& text) {
    std::vector<std::string> names;
    if (text == "all") {
        for (const InputPattern& pattern : InputPatterns()) names.push_back(pattern.name);
        return names;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = text.substr(start, comma - start);
        if (FindPattern(name) == nullptr) return Refusal{UnknownShape(name)};
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        if (comma == text.size()) return names;
        start = comma + 1;
    }
}
