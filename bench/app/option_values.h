// Values of the command line's options: counts in the forms people type
// (5000000, 1e5, 2.5M, 100k) and comma-separated lists of them, whole
// numbers, times with their units (500ms, 2s), percentages, seeds of the
// generator and lists of input shapes. Each refusal says what is wrong
// with the value; the parser puts the option's name before it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/measure/element_types.h"
#include "bench/measure/refusal.h"

// One slot count: decimal digits with an optional fraction, then an
// optional exponent (e5, E6) or suffix (k, M, G, any case); the value must
// be whole, at least 2 and at most what a 32-bit slot index reaches.
// Refuses anything else.
Result<std::int32_t> ParseCount(const std::string& text);

// Comma-separated counts, returned ascending without repeats, so that the
// smaller sizes of a shape are measured first.
Result<std::vector<std::int32_t>> ParseCountList(const std::string& text);

// A whole number in decimal whatever its leading zeros (010 is ten), from
// smallest to largest.
Result<int> ParseWholeNumber(const std::string& text, int smallest, int largest);

// A percentage: decimal digits, any number of them, with an optional
// fraction; no sign, exponent or word. From 0 to largest (a whole number,
// or infinity for no bound) as written, so a digit past the bound refuses
// it even where the nearest double is the bound; never NaN or infinite.
Result<double> ParsePercent(const std::string& text, double largest);

// A unit of time: its symbol and its power of ten of a second.
struct TimeUnit {
    const char* symbol;
    const char* name;
    int power;
};
constexpr TimeUnit kSecond = {"s", "seconds", 0};
constexpr TimeUnit kMillisecond = {"ms", "milliseconds", -3};

// How a time is written, as help and refusals say it: "a number and its
// unit, us, ms or s".
extern const char kTimeForms[];

// A time: a number as ParsePercent reads it, then its unit (us or µs, ms,
// s); a bare number is in unit. More than 0 and at most largest (a whole
// number of unit), as written; returned in unit.
Result<double> ParseTime(const std::string& text, TimeUnit unit, double largest);

// A seed of the minimal standard generator: decimal, 1 ... 2147483646.
// Other values make the generator repeat 0, or stray from its sequence.
Result<std::uint32_t> ParseSeed(const std::string& text);

// A comma-separated list of shape names, or "all" for every shape, in the
// order given without repeats. Refuses an unknown or empty name.
Result<std::vector<std::string>> ParsePatternList(const std::string& text);
// Element types, comma-separated (i32,u64), or all.
Result<std::vector<ElementType>> ParseTypeList(const std::string& text);
