#include "core/decimal_text.h"

void FormatDecimal(std::int32_t value, char* buffer) {
    char* next = buffer;
    auto magnitude = static_cast<std::uint32_t>(value);
    if (value < 0) {
        *next++ = '-';
        magnitude = 0u - magnitude;  // two's-complement negation keeps INT32_MIN exact
    }
    char* const firstDigit = next;
    do {
        *next++ = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    *next = '\0';
    // Digits came out least significant first.
    for (char *low = firstDigit, *high = next - 1; low < high; ++low, --high) {
        const char digit = *low;
        *low = *high;
        *high = digit;
    }
}

std::uint32_t TextLength(const char* text) {
    // Four bytes per pass, each tested on its own so nothing past the NUL is read.
    std::uint32_t n = 0;
    for (;;) {
        if (text[n] == '\0') return n;
        if (text[n + 1] == '\0') return n + 1;
        if (text[n + 2] == '\0') return n + 2;
        if (text[n + 3] == '\0') return n + 3;
        n += 4;
    }
}
