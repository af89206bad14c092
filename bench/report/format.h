// Numbers and texts as the report forms write them. Names, patterns,
// sources and context read from a saved report are whatever bytes the file
// held, so every form passes its text through the function for that form.
#pragma once

#include <cstddef>
#include <string>

#include "bench/measure/printable.h"

// "%.*f" of value with all its digits, however large; "inf", "-inf" or
// "nan" for a value that is not a finite number.
std::string Fixed(double value, int decimals);

// A duration in the unit that keeps three figures: "850 ns", "4.52 µs",
// "312.10 ms", "12.40 s".
std::string Duration(double milliseconds);

// A time limit as a person writes it: "10 s", "0.5 s", "1000 s".
std::string Seconds(double seconds);

// Printable text for markdown: \ | [ ] ! ` * _ ~ escaped with a
// backslash and < > & as entities, so a table cell ends at its own | only
// and no name becomes a link, an image, code or emphasis.
std::string MarkdownText(const std::string& text);

// Printable text with &, <, > and " written as XML entities: valid in any
// text or attribute of the charts.
std::string EscapedXml(const std::string& text);

// A CSV field in valid UTF-8, quoted (RFC 4180) when it holds a comma,
// quote or line break.
std::string CsvField(const std::string& field);
