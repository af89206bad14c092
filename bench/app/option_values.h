// Values of the command line's options: counts in the forms people type
// (5000000, 1e5, 2.5M, 100k) and comma-separated lists of them, whole
// numbers, times and percentages as decimal numbers, seeds of the
// generator and lists of input shapes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One slot count: decimal digits with an optional fraction, then an
// optional exponent (e5, E6) or suffix (k, M, G, any case); the value must
// be whole, at least 2 and at most what a 32-bit slot index reaches.
// Returns false with a message for anything else.
bool ParseCount(const std::string& text, std::int32_t& count, std::string& error);

// Comma-separated counts, returned ascending without repeats, so that the
// smaller sizes of a shape are measured first.
bool ParseCountList(const std::string& text, std::vector<std::int32_t>& counts, std::string& error);

// A whole number for option, in decimal whatever its leading zeros (010 is
// ten), from smallest to largest. Returns false with a message naming
// option for anything else.
bool ParseWholeNumber(const std::string& option, const std::string& text, int smallest, int largest, int& value,
                      std::string& error);

// A number for option: decimal digits with an optional fraction, from 0 to
// largest; no sign, exponent or word, so never NaN or infinite. Returns
// false with a message naming option for anything else.
bool ParseNumber(const std::string& option, const std::string& text, double largest, double& value,
                 std::string& error);

// A duration for option: a number as ParseNumber reads it, greater than 0
// and at most largest.
bool ParseDuration(const std::string& option, const std::string& text, double largest, double& value,
                   std::string& error);

// A seed of the minimal standard generator: decimal, 1 ... 2147483646.
// Other values make the generator repeat 0, or stray from its sequence.
bool ParseSeed(const std::string& text, std::uint32_t& seed, std::string& error);

// A comma-separated list of shape names, or "all" for every shape, in the
// order given without repeats. Returns false with a message for an unknown
// or empty name.
bool ParsePatternList(const std::string& text, std::vector<std::string>& names, std::string& error);
