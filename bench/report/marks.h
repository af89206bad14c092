// What every chart of a report says of a row's mark, worked out in one
// place: the contender's colour, its label, its tooltip, and the
// attributes the page's filters read. A contender has one colour and one
// tooltip wording in every chart of a page.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "bench/report/report.h"
#include "bench/stats/bootstrap.h"

// The contenders in the order the report's rows first name them: the
// order of the legends and of the colours.
std::vector<const Contender*> ContendersOf(const Report& report);

// The contender's colour, by its place in ContendersOf, so that a line,
// a bar and a strip of runs of one contender share it.
const char* ContenderColour(const Report& report, const std::string& name);

// A label's room, in characters: a longer name is cut, and its tooltip
// holds it whole.
constexpr std::size_t kLabelCharacters = 32;

// text as Printable shows it, cut to at most characters characters (code
// points, not bytes) with a "…" as the last where it was longer.
std::string Shortened(const std::string& text, std::size_t characters = kLabelCharacters);

// A <text> of a name at most kLabelCharacters long; a name it cuts has its
// whole in the text's <title>, so that two names cut alike stay apart.
std::string Label(double x, double y, const std::string& anchor, const std::string& name);

// data-contender, data-pattern, data-count and data-type, escaped: what
// the page's filters compare with the chosen shape, size, type and
// contender.
std::string MarkAttributes(const Measurement& row);
// count is a size, or "every" for a mark across sizes, which choosing any
// one size hides.
std::string MarkAttributes(const std::string& contender, const std::string& pattern, const std::string& count,
                           const std::string& type);

// A tooltip's bootstrap draws at most this many values in all: a row of
// thousands of runs has fewer resamples than a comparison's 5000, and a
// page of many such rows is written in a second or so.
constexpr double kTooltipResampledValues = 1e6;

// What a mark says of its row: the 95 % bootstrap interval of its median
// in milliseconds (nothing for a row without runs), and its tooltip:
// "Quick, random, 1000 values: " then figure, then "median 2.00 ms (95%
// interval 1.98 ms to 2.03 ms)". Without a figure, a row without runs says
// why. Worked out once for the mark, as the bootstrap takes its time.
struct RowMark {
    std::optional<Interval> interval;
    std::string title;
};
RowMark MarkOf(const Report& report, const Measurement& row, const std::string& figure = "");

// The legend: a line in each contender's colour, dashed for a reference,
// and its name, in columns of the given width from x = 12 down from top,
// LegendHeight high.
int LegendHeight(const Report& report, int columns);
void WriteLegend(std::ostream& out, const Report& report, double top, int columns, int columnWidth);
