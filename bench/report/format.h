// Numbers and texts as the report forms write them.
#pragma once

#include <string>

// "%.*f" of value, for the text formats.
std::string Fixed(double value, int decimals);

// A duration in the unit that keeps three figures: "850 ns", "4.52 µs",
// "312.10 ms", "12.40 s".
std::string Duration(double milliseconds);

// text with &, <, > and " written as XML entities, for the charts.
std::string EscapedXml(const std::string& text);

// A CSV field, quoted (RFC 4180) when it holds a comma, quote or line break.
std::string CsvField(const std::string& field);
