#include "bench/report/svg_parts.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>

#include "bench/report/format.h"

namespace {

constexpr double kShortestAxis = 1e-6;  // a nanosecond, in milliseconds
constexpr double kLongestAxis = 1e300;  // far past any time, with room for a step above it

// A round step (1, 2 or 5 times a power of ten) giving at most about six
// grid lines up to limit.
double GridStep(double limit) {
    const double rough = limit / 6;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double factor : {1.0, 2.0, 5.0})
        if (factor * power >= rough) return factor * power;
    return 10 * power;
}

}  // namespace

namespace svg {

double Axis::X(double milliseconds) const {
    const double at = milliseconds / limit * width;
    return left + (at > 0 ? std::min(at, width) : 0.0);
}

Axis AxisOver(double largest) {
    // Written so that NaN, as well as nothing above zero, gives the 1 ms axis.
    if (!(largest > 0)) largest = 1;
    largest = std::clamp(largest, kShortestAxis, kLongestAxis);
    Axis axis;
    axis.step = GridStep(largest);
    axis.steps = static_cast<int>(std::ceil(largest / axis.step));
    axis.limit = axis.steps * axis.step;
    return axis;
}

Axis AxisOver(double largest, double left, double width) {
    Axis axis = AxisOver(largest);
    axis.left = left;
    axis.width = width;
    return axis;
}

std::string Whisker(double low, double high, double top, int height) {
    const double middle = top + height / 2.0;
    return Line(low, middle, high, middle, "whisker") + Line(low, top + 3, low, top + height - 3, "whisker") +
           Line(high, top + 3, high, top + height - 3, "whisker");
}

std::vector<std::string> Wrapped(const std::string& text, std::size_t columns) {
    std::vector<std::string> lines;
    std::istringstream words(text);
    for (std::string word; words >> word;) {
        if (!lines.empty() && Characters(lines.back()) + 1 + Characters(word) <= columns)
            lines.back() += ' ' + word;
        else
            lines.push_back(word);
    }
    return lines;
}

int BodyTop(const std::string& subtitle) {
    return 48 + 16 * std::max(1, static_cast<int>(Wrapped(subtitle, kBarChartColumns).size()));
}

std::string Role(const std::string& role) {
    static const std::pair<const char*, const char*> kLooks[] = {
        {"grid", " stroke=\"#ddd\""},
        {"guide", " stroke=\"#555\" stroke-dasharray=\"2 3\""},
        {"whisker", " stroke=\"#222\" stroke-width=\"1.5\""},
        {"frame", " fill=\"none\" stroke=\"#999\""},
        {"series", " stroke-width=\"1.8\""},
        {"legend", " stroke-width=\"2.5\""},
        {"unfinished", " fill=\"none\" stroke-width=\"1.6\""},
    };
    std::string attributes = " data-role=\"" + role + "\"";
    const std::string kind = role.substr(0, role.find(' '));
    for (const auto& [name, look] : kLooks)
        if (kind == name) attributes += look;
    return attributes;
}

std::string Text(double x, double y, const std::string& anchor, const std::string& text) {
    return "<text x=\"" + Fixed(x, 1) + "\" y=\"" + Fixed(y, 1) + "\" text-anchor=\"" + anchor +
           "\">" + EscapedXml(text) + "</text>\n";
}

std::string Line(double x1, double y1, double x2, double y2, const std::string& role) {
    return "<line" + Role(role) + " x1=\"" + Fixed(x1, 1) + "\" y1=\"" + Fixed(y1, 1) +
           "\" x2=\"" + Fixed(x2, 1) + "\" y2=\"" + Fixed(y2, 1) + "\"/>\n";
}

void WriteStart(std::ostream& out, int height, const std::string& title, const std::string& subtitle, int fontSize) {
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kWidth << "\" height=\"" << height
        << "\" viewBox=\"0 0 " << kWidth << ' ' << height << "\" font-family=\"sans-serif\" font-size=\"" << fontSize << "\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"12\" y=\"22\" font-size=\"16\" font-weight=\"bold\">" << EscapedXml(title) << "</text>\n";
    double y = 42;
    for (const std::string& line : Wrapped(subtitle, kBarChartColumns)) {
        out << Text(12, y, "start", line);
        y += 16;
    }
}

void WriteGrid(std::ostream& out, const Axis& axis, double top, double bottom) {
    // As many decimals as a step below 1 needs: 0.5 shows 1, 0.05 shows 2.
    const int decimals = static_cast<int>(std::max(0.0, -std::floor(std::log10(axis.step))));
    for (int k = 0; k <= axis.steps; ++k) {
        const double x = axis.X(k * axis.step);
        out << Line(x, top - 6, x, bottom, "grid") << Text(x, bottom + 16, "middle", Fixed(k * axis.step, decimals));
    }
    out << Text(axis.left + axis.width / 2, bottom + 34, "middle", "milliseconds");
}

}  // namespace svg
