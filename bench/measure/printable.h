// Text from outside (names of sorts, paths, a library's messages, fields of
// a saved report) as it may be shown: valid UTF-8 with nothing in it that
// moves a terminal's cursor, changes its colours, breaks a line or shows
// the text in another order than its bytes. Every report form and every
// line on standard error passes its text through Printable.
#pragma once

#include <cstddef>
#include <string>

// text as valid UTF-8: every byte that begins no well-formed sequence
// (a stray continuation byte, an overlong form, a surrogate, a code point
// past U+10FFFF, a sequence cut short) becomes U+FFFD.
std::string ValidUtf8(const std::string& text);

// Valid UTF-8 with every control character (C0, DEL, C1) and every
// direction mark or override written as an escape, "\x1b", "\u009b" or
// "\u202e". Applying it twice changes nothing.
std::string Printable(const std::string& text);

// The characters (code points) of text, the columns it takes on a terminal.
std::size_t Characters(const std::string& text);
