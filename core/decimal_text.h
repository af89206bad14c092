// Decimal text for the report boxes.
#pragma once

#include <cstdint>

// Longest text FormatDecimal writes: sign, ten digits and the NUL.
constexpr int kDecimalTextSize = 12;

// Writes the signed decimal text of value, NUL-terminated, into buffer
// (at least kDecimalTextSize bytes).
void FormatDecimal(std::int32_t value, char* buffer);

// Number of bytes before the terminating NUL.
std::uint32_t TextLength(const char* text);
