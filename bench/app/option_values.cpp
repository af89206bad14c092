#include "bench/app/option_values.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <iterator>

#include "bench/measure/cell_data.h"
#include "bench/measure/name_lists.h"
#include "bench/measure/patterns.h"

namespace {

constexpr std::uint64_t kLargestSeed = 2147483646;   // the generator's modulus less one

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Decimal digits only, any number of them, without sign or spaces; false
// when malformed or larger than limit.
bool ParseDecimal(const std::string& text, std::uint64_t limit, std::uint64_t& value) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), IsDigit)) return false;
    value = 0;
    // Once past limit it stays just past it, however many digits follow.
    for (char c : text) value = std::min(value * 10 + static_cast<std::uint64_t>(c - '0'), limit + 1);
    return value <= limit;
}

// A number as written: digits times ten to the power, exactly, whatever
// its length ("12.50" is 1250 and -2).
struct Decimal {
    std::string digits;
    int power = 0;
};

// Reads digits with an optional '.' and fraction from text[at] on, moving
// at past them; false when there is no digit.
bool ReadDecimal(const std::string& text, std::size_t& at, Decimal& number) {
    number = {};
    bool point = false;
    for (; at < text.size() && (IsDigit(text[at]) || (text[at] == '.' && !point)); ++at) {
        if (text[at] == '.') {
            point = true;
        } else {
            number.digits += text[at];
            number.power -= point ? 1 : 0;
        }
    }
    return !number.digits.empty();
}

// The whole part of a number: its decimal digits without leading zeros
// ("0" for zero), and whether it is the whole number.
struct WholePart {
    std::string digits;
    bool exact = true;
};

WholePart WholeOf(const Decimal& number) {
    WholePart whole{number.digits, true};
    if (number.power >= 0) {
        whole.digits.append(static_cast<std::size_t>(number.power), '0');
    } else {
        const std::size_t dropped = std::min(static_cast<std::size_t>(-number.power), whole.digits.size());
        whole.exact = whole.digits.find_first_not_of('0', whole.digits.size() - dropped) == std::string::npos;
        whole.digits.resize(whole.digits.size() - dropped);
    }
    whole.digits.erase(0, std::min(whole.digits.find_first_not_of('0'), whole.digits.size()));
    if (whole.digits.empty()) whole.digits = "0";
    return whole;
}

// Whether number is more than largest, decided on the digits: no double
// rounds 10000.0000000000000001 down to the bound here.
bool MoreThan(const Decimal& number, std::uint64_t largest) {
    const WholePart whole = WholeOf(number);
    const std::string bound = std::to_string(largest);
    if (whole.digits.size() != bound.size()) return whole.digits.size() > bound.size();
    return whole.digits > bound || (whole.digits == bound && !whole.exact);
}

// number at most largest (a whole number, or infinity for no bound) as the
// nearest double; refused past the bound, said with unit, or past what a
// double holds.
Result<double> Bounded(const Decimal& number, const std::string& text, double largest, const std::string& unit) {
    if (std::isfinite(largest) && MoreThan(number, static_cast<std::uint64_t>(largest)))
        return Refusal{text + " is more than the largest allowed, " +
                       std::to_string(static_cast<std::uint64_t>(largest)) + unit};
    const double value = std::strtod((number.digits + "e" + std::to_string(number.power)).c_str(), nullptr);
    if (!std::isfinite(value)) return Refusal{text + " is too large a number"};
    return value;
}

struct Suffix {
    char letter;
    int exponent;
};
constexpr Suffix kSuffixes[] = {{'k', 3}, {'m', 6}, {'g', 9}};

// The value of text, a count: a number as ReadDecimal reads it, then an
// optional exponent (e5) or suffix (k, M, G, any case); false when text
// has another form.
bool ReadCount(const std::string& text, Decimal& number) {
    std::size_t at = 0;
    if (!ReadDecimal(text, at, number)) return false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        const std::string power = text.substr(at + 1);
        if (power.empty() || power.size() > 2 || !std::all_of(power.begin(), power.end(), IsDigit))
            return false;
        number.power += std::stoi(power);
        return true;
    }
    if (at == text.size()) return true;
    const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[at])));
    const auto suffix = std::find_if(std::begin(kSuffixes), std::end(kSuffixes),
                                     [&](const Suffix& s) { return s.letter == letter; });
    if (at + 1 != text.size() || suffix == std::end(kSuffixes)) return false;
    number.power += suffix->exponent;
    return true;
}

// The units a time may be written in; kSecond and kMillisecond are also
// the units of the options that take a time.
constexpr TimeUnit kTimeUnits[] = {
    {"us", "microseconds", -6}, {"\u00b5s", "microseconds", -6}, {"\u03bcs", "microseconds", -6},
    kMillisecond, kSecond,
};

// The unit written after a time's number: bare's when nothing is;
// nullptr when it is none of kTimeUnits.
const TimeUnit* UnitWritten(const std::string& symbol, const TimeUnit& bare) {
    if (symbol.empty()) return &bare;
    const auto unit = std::find_if(std::begin(kTimeUnits), std::end(kTimeUnits),
                                   [&](const TimeUnit& u) { return symbol == u.symbol; });
    return unit == std::end(kTimeUnits) ? nullptr : unit;
}

std::vector<std::string> ShapeNames() {
    std::vector<std::string> known;
    for (const InputPattern& pattern : InputPatterns()) known.push_back(pattern.name);
    return known;
}

// A comma-separated list of names, each one of known, or "all" for every
// one; the names in the order given, each once. what names a name
// ("shape") in the refusal of an unknown one, with those it probably meant.
Result<std::vector<std::string>> ParseNameList(const std::string& text, const std::vector<std::string>& known,
                                               const std::string& what) {
    if (text == "all") return known;
    std::vector<std::string> names;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string name = text.substr(start, comma - start);
        if (std::find(known.begin(), known.end(), name) == known.end())
            return Refusal{"unknown " + what + " \"" + name + "\"" +
                           Suggestion(name, known, "--list shows the " + what + "s, \"all\" names every one")};
        if (std::find(names.begin(), names.end(), name) == names.end()) names.push_back(name);
        if (comma == text.size()) return names;
        start = comma + 1;
    }
}

}  // namespace

// kTimeUnits as a person reads them (µs and μs are us spelt otherwise).
const char kTimeForms[] = "a number and its unit, us, ms or s";

Result<std::int32_t> ParseCount(const std::string& text) {
    Decimal number;
    if (!ReadCount(text, number))
        return Refusal{"\"" + text + "\" is not a whole number of values (forms: 5000000, 1e5, 2.5M, 100k)"};
    const WholePart whole = WholeOf(number);
    if (!whole.exact) return Refusal{"\"" + text + "\" is a fraction; a count is a whole number of values"};
    if (MoreThan(number, static_cast<std::uint64_t>(kLargestCount)))
        return Refusal{text + " is more than the 2147483647 values a 32-bit slot index reaches"};
    if (std::stoull(whole.digits) < 2) return Refusal{text + " is too few: a sort needs at least 2 values"};
    return static_cast<std::int32_t>(std::stoull(whole.digits));
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

Result<double> ParsePercent(const std::string& text, double largest) {
    std::size_t at = 0;
    Decimal number;
    if (!ReadDecimal(text, at, number) || at != text.size()) return Refusal{"\"" + text + "\" is not a number"};
    return Bounded(number, text, largest, "%");
}

Result<double> ParseTime(const std::string& text, TimeUnit unit, double largest) {
    std::size_t at = 0;
    Decimal number;
    const TimeUnit* written = ReadDecimal(text, at, number) ? UnitWritten(text.substr(at), unit) : nullptr;
    if (written == nullptr)
        return Refusal{"\"" + text + "\" is not a time: " + kTimeForms + ", or a bare number of " + unit.name};
    number.power += written->power - unit.power;
    const Result<double> time = Bounded(number, text, largest, std::string(" ") + unit.symbol);
    if (time && *time <= 0) return Refusal{text + " is too short: a time is more than 0"};
    return time;
}

Result<std::uint32_t> ParseSeed(const std::string& text) {
    std::uint64_t value = 0;
    if (!ParseDecimal(text, kLargestSeed, value) || value == 0)
        return Refusal{"\"" + text + "\" is not a seed of the generator (a whole number from 1 to 2147483646)"};
    return static_cast<std::uint32_t>(value);
}

Result<std::vector<std::string>> ParsePatternList(const std::string& text) {
    return ParseNameList(text, ShapeNames(), "shape");
}

Result<std::vector<ElementType>> ParseTypeList(const std::string& text) {
    const Result<std::vector<std::string>> names = ParseNameList(text, ElementTypeNames(), "type");
    if (!names) return Refusal{names.why()};
    std::vector<ElementType> types;
    for (const std::string& name : *names) types.push_back(FindElementType(name)->type);
    return types;
}
