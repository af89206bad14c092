// Numbers and texts as the report forms write them. Names, patterns,
// sources and context read from a saved report are whatever bytes the file
// held, so every form passes its text through the function for that form.
#pragma once

#include <cstddef>
#include <string>

// "%.*f" of value with all its digits, however large; "inf", "-inf" or
// "nan" for a value that is not a finite number.
std::string Fixed(double value, int decimals);

// A duration in the unit that keeps three figures: "850 ns", "4.52 µs",
// "312.10 ms", "12.40 s".
std::string Duration(double milliseconds);

// text as valid UTF-8: every byte that begins no well-formed sequence
// (a stray continuation byte, an overlong form, a surrogate, a code point
// past U+10FFFF, a sequence cut short) becomes U+FFFD.
std::string ValidUtf8(const std::string& text);

// Valid UTF-8 with every control character (C0, DEL, C1) written as an
// escape, "\x1b" or "\u009b": nothing in it moves a terminal's cursor,
// changes its colours or breaks a line. Applying it twice changes nothing.
std::string Printable(const std::string& text);

// The characters (code points) of text, the columns it takes on a terminal.
std::size_t Characters(const std::string& text);

// Printable text for markdown, with \ and | escaped: a table cell ends at
// its own | only.
std::string MarkdownText(const std::string& text);

// Printable text with &, <, > and " written as XML entities: valid in any
// text or attribute of the charts.
std::string EscapedXml(const std::string& text);

// A CSV field in valid UTF-8, quoted (RFC 4180) when it holds a comma,
// quote or line break.
std::string CsvField(const std::string& field);
