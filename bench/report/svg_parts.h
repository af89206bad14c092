// The pieces both bar charts are drawn with: the page, its text and lines,
// and the millisecond axis with its grid.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace svg {

constexpr int kWidth = 900;
constexpr int kLabelWidth = 260;  // room for the longest caption left of the bars
constexpr int kPlotWidth = 540;
// Characters a line under the title holds at the charts' sizes, so that no
// renderer cuts it at the right edge.
constexpr std::size_t kBarChartColumns = 110;

// text in lines of at most columns characters, broken at spaces (a word
// longer than a line has a line of its own).
std::vector<std::string> Wrapped(const std::string& text, std::size_t columns);

// Where a bar chart's body starts: under the title and subtitle's lines.
int BodyTop(const std::string& subtitle);

// The presentation attributes of an element's role: data-role="grid" and
// the stroke and fill that go with it. Written on the element itself, not
// through CSS classes, which some renderers (ImageMagick's own) refuse.
std::string Role(const std::string& role);

std::string Text(double x, double y, const std::string& anchor, const std::string& text);
std::string Line(double x1, double y1, double x2, double y2, const std::string& role);

// The millisecond axis of a bar chart: from 0 to limit, a whole number of
// round grid steps, over width pixels from left (a panel of small
// multiples places its own).
struct Axis {
    double step = 1;
    int steps = 1;
    double limit = 1;
    double left = kLabelWidth;
    double width = kPlotWidth;

    // The x of a time, held inside the plot: a time past the axis ends at
    // its right edge, one that is negative or not a number at its left.
    double X(double milliseconds) const;
};

// The axis up to the largest time (1 ms when there is none). A saved report
// may hold any number, so the axis spans at least a nanosecond and at most
// 1e300 ms, which keeps every step a finite number and at most six of them.
Axis AxisOver(double largest);
// The same, over width pixels from left.
Axis AxisOver(double largest, double left, double width);

// A whisker from x low to x high across a bar of the given top and height,
// with a cap at each end.
std::string Whisker(double low, double high, double top, int height);

// The XML header, the <svg> element of the given height, a white page, the
// title and the subtitle's lines under it. The caller closes the element.
void WriteStart(std::ostream& out, int height, const std::string& title, const std::string& subtitle,
                int fontSize = 13);

// A vertical grid line at every step of the axis from top to bottom,
// labelled under bottom, and the axis name.
void WriteGrid(std::ostream& out, const Axis& axis, double top, double bottom);

}  // namespace svg
