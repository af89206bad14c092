// The pieces both bar charts are drawn with: the page, its text and lines,
// and the millisecond axis with its grid.
#pragma once

#include <ostream>
#include <string>

namespace svg {

constexpr int kWidth = 900;
constexpr int kLabelWidth = 260;  // room for the longest caption left of the bars
constexpr int kPlotWidth = 540;
constexpr int kTop = 64;

std::string Text(double x, double y, const std::string& anchor, const std::string& text);
std::string Line(double x1, double y1, double x2, double y2, const std::string& cls);

// The millisecond axis of a bar chart: from 0 to limit, a whole number of
// round grid steps, over kPlotWidth pixels.
struct Axis {
    double step = 1;
    int steps = 1;
    double limit = 1;

    // The x of a time, held inside the plot: a time past the axis ends at
    // its right edge, one that is negative or not a number at its left.
    double X(double milliseconds) const;
};

// The axis up to the largest time (1 ms when there is none). A saved report
// may hold any number, so the axis spans at least a nanosecond and at most
// 1e300 ms, which keeps every step a finite number and at most six of them.
Axis AxisOver(double largest);

// A whisker from x low to x high across a bar of the given top and height,
// with a cap at each end.
std::string Whisker(double low, double high, double top, int height);

// The XML header, the <svg> element of the given height, a white page, the
// title and one line under it. The caller closes the element.
void WriteStart(std::ostream& out, int height, const std::string& title, const std::string& subtitle);

// A vertical grid line at every step of the axis, labelled under bottom,
// and the axis name.
void WriteGrid(std::ostream& out, const Axis& axis, double bottom);

}  // namespace svg
