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

// The axis's end: the largest value (1 when none) rounded up to a grid step.
double AxisLimit(double largest);

// A whisker from x low to x high across a bar of the given top and height,
// with a cap at each end.
std::string Whisker(double low, double high, double top, int height);

// The XML header, the <svg> element of the given height, a white page, the
// title and one line under it. The caller closes the element.
void WriteStart(std::ostream& out, int height, const std::string& title, const std::string& subtitle);

// Vertical grid lines up to limit, labelled under bottom, and the axis name.
void WriteGrid(std::ostream& out, double limit, double scale, double bottom);

}  // namespace svg
