// Text and numbers from a saved report are hostile: the text functions at
// their edges, then a name full of markup, control characters and broken
// UTF-8, and times past any measure, through every form. Each form must
// stay what it is: a table in columns, markdown rows of one width,
// well-formed XML, JSON that reads back, CSV in RFC 4180, none of them
// larger than a chart can reasonably be.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "bench/app/outputs.h"
#include "bench/compare/comparison_report.h"
#include "bench/measure/reference_sorts.h"
#include "bench/report/format.h"
#include "bench/report/outcomes.h"
#include "bench/export/forms.h"

namespace {

using Json = nlohmann::json;

// Markup of each form, every control character a terminal acts on, a
// stray byte, a sequence cut short, an overlong form, a surrogate, and
// "µs", "µ" and "é" twice over (once in Latin-1, once in UTF-8).
const std::string kHostile =
    "a|b<c&d\"e>f\x1b[31mg\x07h\ti\nj\rk\\l\x7fm\xc2\x9bn \xff\xfe \xe2\x82 \xc0\xaf \xed\xa0\x80 \xb5s \xe9 "
    "\xc2\xb5 \xc3\xa9";
const std::string kHostileSource = "base-\xff\x1b[2J.json";
constexpr std::size_t kLargestForm = 100000;  // bytes; every form here is a few kilobytes

// Text that holds at most kLargestForm bytes and fails its stream past
// them, so that a writer that never ends fails at once.
class CappedText : public std::streambuf {
public:
    std::string text;

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof()) || text.size() >= kLargestForm) return traits_type::eof();
        text += traits_type::to_char_type(c);
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        if (text.size() + static_cast<std::size_t>(n) > kLargestForm) return 0;
        text.append(s, static_cast<std::size_t>(n));
        return n;
    }
};

// What write wrote, or why it did not finish.
std::string Written(const std::function<void(std::ostream&)>& write, std::string& fault) {
    CappedText capped;
    std::ostream out(&capped);
    out.exceptions(std::ios::badbit);
    try {
        write(out);
    } catch (const std::exception& e) {
        fault = std::string("stopped: ") + e.what();
    }
    return capped.text;
}

Contender Named(const std::string& name, bool reference = false) {
    return Contender{name, reference ? "" : "L", nullptr, BoundForm::kExclusiveUpper, reference, 1};
}

Measurement Row(const Contender& contender, std::vector<double> times, const std::string& pattern = "window",
                std::int32_t count = 1000) {
    Measurement row;
    row.contender = contender;
    row.pattern = pattern;
    row.count = count;
    row.times = std::move(times);
    row.ticks.assign(row.times.size(), 0);
    return row;
}

// The window's form: the hostile name measured, a plain one, std::sort;
// hostile text in the machine's name and a note as well.
Report WindowReport(std::vector<double> hostileTimes = {1.5, 2.5, 2.0}) {
    Report report;
    report.settings.count = 1000;
    report.counts = {1000};
    report.system.cpu = kHostile;
    report.notes = {kHostile};
    report.rows = {Row(Named(kHostile), std::move(hostileTimes)), Row(Named("Plain"), {1.25, 1.5, 1.75}),
                   Row(Named(kBaselineName, true), {1, 1, 1})};
    return report;
}

// The matrix: a plain shape and a hostile one at two sizes, the hostile
// name's times per size as given.
Report MatrixReport(const std::vector<double>& small = {0.01, 0.012}, const std::vector<double>& large = {0.03, 0.031}) {
    Report report;
    report.settings.timeLimitSeconds = 10;
    report.system.cpu = kHostile;
    report.patterns = {"random", kHostile};
    report.counts = {1000, 4000};
    for (const std::string& pattern : report.patterns)
        for (const std::int32_t count : report.counts) {
            report.rows.push_back(Row(Named(kHostile), count == 1000 ? small : large, pattern, count));
            report.rows.push_back(Row(Named(kBaselineName, true), {0.02, 0.02}, pattern, count));
        }
    return report;
}

SavedCell Saved(const std::string& name, std::vector<double> times) {
    SavedCell cell;
    cell.name = name;
    cell.pattern = "window";
    cell.count = 1000;
    cell.times = std::move(times);
    return cell;
}

// The hostile name and a plain one, the baseline's file named with broken
// UTF-8 and an escape, and a hostile machine, which the warning repeats.
Comparison HostileComparison(double factor = 1.5, std::vector<double> baselineTimes = {10, 10.2, 9.9, 10.1, 10.3}) {
    SavedReport baseline, current;
    baseline.source = kHostileSource;
    current.source = "this run";
    baseline.machine = kHostile;
    std::vector<double> scaled;
    for (double t : baselineTimes) scaled.push_back(t * factor);
    baseline.cells = {Saved(kHostile, baselineTimes), Saved("Plain", {1, 1.1, 1.2, 1.3, 1.4})};
    current.cells = {Saved(kHostile, scaled), Saved("Plain", {1, 1.1, 1.2, 1.3, 1.4})};
    return Compare(baseline, current, 0.02);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The start and end, in characters, of each cell of a table line: cells
// stand two spaces or more apart.
std::vector<std::pair<std::size_t, std::size_t>> CellSpans(const std::string& line) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t at = line.find_first_not_of(' '); at != std::string::npos;) {
        const std::size_t gap = line.find("  ", at);
        const std::size_t start = Characters(line.substr(0, at));
        spans.emplace_back(start, start + Characters(line.substr(at, gap - at)));
        at = gap == std::string::npos ? gap : line.find_first_not_of(' ', gap);
    }
    return spans;
}

// Every table (a line starting "Routine" and those under it up to a blank
// line) in columns: among its lines with all the heading's cells, each
// column starts at one character or ends at one.
std::string TableFault(const std::string& text) {
    const std::vector<std::string> lines = Lines(text);
    for (std::size_t first = 0; first < lines.size(); ++first) {
        if (lines[first].rfind("Routine", 0) != 0) continue;
        const std::size_t columns = CellSpans(lines[first]).size();
        std::vector<std::vector<std::pair<std::size_t, std::size_t>>> rows;
        for (std::size_t k = first; k < lines.size() && !lines[k].empty(); ++k)
            if (CellSpans(lines[k]).size() == columns) rows.push_back(CellSpans(lines[k]));
        for (std::size_t c = 0; c < columns; ++c) {
            bool starts = true, ends = true;
            for (const auto& row : rows) {
                starts = starts && row[c].first == rows[0][c].first;
                ends = ends && row[c].second == rows[0][c].second;
            }
            if (!starts && !ends) return "column " + std::to_string(c) + " under line " + std::to_string(first) + " is out of line";
        }
    }
    return "";
}

// Every markdown table (a run of lines starting with |) has as many
// unescaped | on each line.
std::string MarkdownFault(const std::string& text) {
    std::size_t expected = 0;
    for (const std::string& line : Lines(text)) {
        if (line.empty() || line[0] != '|') {
            expected = 0;
            continue;
        }
        std::size_t bars = 0;
        for (std::size_t k = 0; k < line.size(); ++k) {
            if (line[k] == '\\') ++k;
            else if (line[k] == '|') ++bars;
        }
        if (expected == 0) expected = bars;
        if (bars != expected) return std::to_string(bars) + " bars, not " + std::to_string(expected) + ": " + line;
    }
    return "";
}

// Why xml is not well-formed XML 1.0 as far as the charts use it: a
// declaration, elements with double-quoted attributes, text, the five
// named entities and character references; empty when it is.
std::string XmlFault(const std::string& xml) {
    std::size_t at = 0;
    const auto here = [&] { return " at byte " + std::to_string(at); };
    const auto name = [&] {
        const std::size_t from = at;
        while (at < xml.size() && (std::isalnum(static_cast<unsigned char>(xml[at])) || std::strchr(":-_.", xml[at]) != nullptr))
            ++at;
        return xml.substr(from, at - from);
    };
    const auto space = [&] {
        const std::size_t from = at;
        while (at < xml.size() && (xml[at] == ' ' || xml[at] == '\n' || xml[at] == '\t' || xml[at] == '\r')) ++at;
        return at > from;
    };
    // Character data up to end: no <, every & a whole reference.
    const auto data = [&](char end) {
        static const std::set<std::string> kNamed = {"amp", "lt", "gt", "quot", "apos"};
        for (; at < xml.size() && xml[at] != end; ++at) {
            if (xml[at] == '<') return false;
            if (xml[at] != '&') continue;
            const std::size_t semicolon = xml.find(';', at);
            if (semicolon == std::string::npos) return false;
            const std::string reference = xml.substr(at + 1, semicolon - at - 1);
            const bool hex = reference.rfind("#x", 0) == 0, decimal = !hex && reference.rfind('#', 0) == 0;
            const std::string digits = reference.substr(hex ? 2 : decimal ? 1 : 0);
            const bool number = (hex || decimal) && !digits.empty() &&
                                digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string::npos;
            if (!number && kNamed.count(reference) == 0) return false;
        }
        return true;
    };
    if (ValidUtf8(xml) != xml) return "not valid UTF-8";
    for (char c : xml)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t' && c != '\r')
            return "a control character XML forbids";
    if (xml.rfind("<?xml", 0) == 0) at = xml.find("?>") == std::string::npos ? xml.size() : xml.find("?>") + 2;
    std::vector<std::string> open;
    int roots = 0;
    for (;;) {
        const std::size_t text = at;
        if (!data('<')) return "a bare < or & in text" + here();
        if (open.empty() && xml.find_first_not_of(" \t\r\n", text) < at) return "text outside the root" + here();
        if (at == xml.size()) break;
        ++at;
        const bool closing = at < xml.size() && xml[at] == '/';
        at += closing ? 1 : 0;
        const std::string tag = name();
        if (tag.empty()) return "a tag without a name" + here();
        if (closing) {
            space();
            if (open.empty() || open.back() != tag || at >= xml.size() || xml[at] != '>')
                return "</" + tag + "> closes no open element" + here();
            open.pop_back();
            ++at;
            continue;
        }
        if (open.empty() && ++roots > 1) return "a second root element" + here();
        std::set<std::string> attributes;
        for (;;) {
            const bool apart = space();
            if (at >= xml.size()) return "<" + tag + " not closed";
            if (xml.compare(at, 2, "/>") == 0) {
                at += 2;
                break;
            }
            if (xml[at] == '>') {
                ++at;
                open.push_back(tag);
                break;
            }
            const std::string attribute = name();
            if (!apart || attribute.empty() || !attributes.insert(attribute).second)
                return "a bad or repeated attribute in <" + tag + here();
            if (xml.compare(at, 2, "=\"") != 0) return "attribute " + attribute + " not quoted" + here();
            at += 2;
            if (!data('"') || at == xml.size()) return "a bad value of " + attribute + here();
            ++at;
        }
    }
    return open.empty() && roots == 1 ? "" : "elements left open";
}

// A position or size in a chart that is not a number on the page, as
// "inf" or "nan" or 1e300 would be; empty when there is none.
std::string PlacementFault(const std::string& svg) {
    for (const char* place : {"x", "y", "x1", "y1", "x2", "y2", "cx", "cy", "width", "height", "points"}) {
        const std::string key = std::string(" ") + place + "=\"";
        for (std::size_t at = svg.find(key); at != std::string::npos; at = svg.find(key, at + 1)) {
            const std::size_t from = at + key.size();
            std::string values = svg.substr(from, svg.find('"', from) - from);
            if (values.find('%') != std::string::npos) continue;
            std::replace(values.begin(), values.end(), ',', ' ');
            std::istringstream in(values);
            for (std::string value; in >> value;)
                if (value.find_first_not_of("-.0123456789") != std::string::npos || std::fabs(std::stod(value)) > 10000)
                    return place + ("=\"" + values + "\"");
        }
    }
    return "";
}

// The records of RFC 4180 CSV, or false when a quote stands inside an
// unquoted field or a quoted one never ends.
bool CsvRecords(const std::string& text, std::vector<std::vector<std::string>>& records) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (quoted && c == '"' && k + 1 < text.size() && text[k + 1] == '"') fields.back() += text[++k];
        else if (c == '"' && (quoted || fields.back().empty())) quoted = !quoted;
        else if (c == '"') return false;
        else if (quoted || (c != ',' && c != '\n')) fields.back() += c;
        else if (c == ',') fields.emplace_back();
        else {
            records.push_back(fields);
            fields.assign(1, "");
        }
    }
    return !quoted && fields == std::vector<std::string>(1);
}

bool HoldsText(const Json& json, const std::string& text) {
    if (json.is_string()) return json.get<std::string>() == text;
    if (!json.is_structured()) return false;
    for (const Json& item : json)
        if (HoldsText(item, text)) return true;
    return false;
}

enum class Form { kTable, kMarkdown, kXml, kJson, kCsv, kHtml };

// Why text is not a sound example of its form, holding the name as that
// form writes it (or nothing when name is empty); empty when it is.
std::string FormFault(Form form, const std::string& text, const std::string& name) {
    if (ValidUtf8(text) != text) return "not valid UTF-8";
    const bool anyBytes = form == Form::kCsv;  // control characters stay inside quoted fields
    for (char c : text)
        if (!anyBytes && static_cast<unsigned char>(c) < 0x20 && c != '\n') return "a raw control character";
    switch (form) {
        case Form::kTable:
            if (!name.empty() && text.find(Printable(name)) == std::string::npos) return "the name is missing";
            return TableFault(text);
        case Form::kMarkdown:
            if (!name.empty() && text.find(MarkdownText(name)) == std::string::npos) return "the name is missing";
            return MarkdownFault(text);
        case Form::kXml:
            if (!name.empty() && text.find(EscapedXml(name)) == std::string::npos) return "the name is missing";
            return XmlFault(text) + PlacementFault(text);
        case Form::kHtml: {
            // Past the doctype and its one script (the page's own), well-formed XML.
            const std::string doctype = "<!DOCTYPE html>\n";
            if (text.rfind(doctype, 0) != 0) return "no doctype";
            std::string page = text.substr(doctype.size());
            const std::size_t script = page.find("<script>");
            if (script != std::string::npos) page.erase(script, page.find("</script>") + 9 - script);
            if (!name.empty() && page.find(EscapedXml(name)) == std::string::npos) return "the name is missing";
            return XmlFault(page) + PlacementFault(page);
        }
        case Form::kJson: {
            const Json json = Json::parse(text, nullptr, false);
            if (json.is_discarded()) return "JSON that does not parse";
            return name.empty() || HoldsText(json, ValidUtf8(name)) ? "" : "the name is missing";
        }
        case Form::kCsv: {
            std::vector<std::vector<std::string>> records;
            if (!CsvRecords(text, records) || records.empty()) return "not RFC 4180";
            for (const auto& record : records)
                if (record.size() != records[0].size()) return "a record of " + std::to_string(record.size()) + " fields";
            for (const auto& record : records)
                if (std::find(record.begin(), record.end(), ValidUtf8(name)) != record.end()) return "";
            return name.empty() ? "" : "the name is missing";
        }
    }
    return "";
}

const double kInfinity = std::numeric_limits<double>::infinity();

}  // namespace

TEST(BenchReportText, TextFunctionsAtTheirEdges) {
    const std::string fffd = "\xEF\xBF\xBD";
    struct Case {
        const char* function;
        std::string (*apply)(const std::string&);
        std::string text, expected;
    };
    const Case cases[] = {
        {"ValidUtf8", ValidUtf8, "\xc2\xb5s \xc3\xa9 \xf0\x9f\x98\x80 \xef\xbf\xbd", "\xc2\xb5s \xc3\xa9 \xf0\x9f\x98\x80 " + fffd},
        {"ValidUtf8", ValidUtf8, "a\xff" "b", "a" + fffd + "b"},                   // a byte no sequence starts with
        {"ValidUtf8", ValidUtf8, "\x80\xbf", fffd + fffd},                        // continuations alone
        {"ValidUtf8", ValidUtf8, "\xe2\x82", fffd},                               // cut short at the end: one
        {"ValidUtf8", ValidUtf8, "\xe2\x82x\xf0\x9f\x98", fffd + "x" + fffd},     // cut short before a character
        {"ValidUtf8", ValidUtf8, "\xc0\xaf\xc1\xbf", fffd + fffd + fffd + fffd},  // overlong two-byte forms
        {"ValidUtf8", ValidUtf8, "\xe0\x80\xaf", fffd + fffd + fffd},             // an overlong three-byte form
        {"ValidUtf8", ValidUtf8, "\xed\xa0\x80", fffd + fffd + fffd},             // a surrogate
        {"ValidUtf8", ValidUtf8, "\xed\x9f\xbf", "\xed\x9f\xbf"},                 // U+D7FF, just below them
        {"ValidUtf8", ValidUtf8, "\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf"},         // U+10FFFF, the last
        {"ValidUtf8", ValidUtf8, "\xf4\x90\x80\x80", fffd + fffd + fffd + fffd},  // past it
        {"ValidUtf8", ValidUtf8, "\xf5\x80", fffd + fffd},
        {"ValidUtf8", ValidUtf8, std::string("a\0b", 3), std::string("a\0b", 3)},
        {"Printable", Printable, "\x1b[31mred\x1b[0m", "\\x1b[31mred\\x1b[0m"},
        {"Printable", Printable, "a\nb\tc\rd\x7f" "e", "a\\x0ab\\x09c\\x0dd\\x7f" "e"},
        {"Printable", Printable, std::string("\0", 1), "\\x00"},
        {"Printable", Printable, "\xc2\x9b" "2J \xc2\x85 \xc2\x9f \xc2\xa0", "\\u009b2J \\u0085 \\u009f \xc2\xa0"},
        {"Printable", Printable, "\\x1b \xff", "\\x1b " + fffd},  // what it wrote stays as it is
        {"MarkdownText", MarkdownText, "a|b\\|c", "a\\|b\\\\\\|c"},
        {"MarkdownText", MarkdownText, "x\ny <&> \xc2\xb5", "x\\\\x0ay &lt;&amp;&gt; \xc2\xb5"},
        {"MarkdownText", MarkdownText, "<script>alert(1)</script>", "&lt;script&gt;alert(1)&lt;/script&gt;"},
        {"MarkdownText", MarkdownText, "&amp; <b>|", "&amp;amp; &lt;b&gt;\\|"},
        // No link, image, code or emphasis from a name; parentheses alone make none.
        {"MarkdownText", MarkdownText, "![track](https://attacker.example/pixel.png)",
         "\\!\\[track\\](https://attacker.example/pixel.png)"},
        {"MarkdownText", MarkdownText, "`code` *em* _em_ ~~gone~~", "\\`code\\` \\*em\\* \\_em\\_ \\~\\~gone\\~\\~"},
        {"MarkdownText", MarkdownText, "std::sort(par)", "std::sort(par)"},
        {"MarkdownText", MarkdownText, "Quick\xe2\x81\xa0", "Quick\\\\u2060"},
        {"Printable", Printable, "a\xc2\xad" "b\xef\xbb\xbf" "c\xf3\xa0\x81\x81", "a\\u00adb\\ufeffc\\ue0041"},
        {"EscapedXml", EscapedXml, "<a b=\"c\">&amp;</a>", "&lt;a b=&quot;c&quot;&gt;&amp;amp;&lt;/a&gt;"},
        {"EscapedXml", EscapedXml, "\x01\t\xef\xbf\xbe\xff", "\\x01\\x09\xef\xbf\xbe" + fffd},
        {"CsvField", CsvField, "plain \x1b", "plain \x1b"},
        {"CsvField", CsvField, "a,b", "\"a,b\""},
        {"CsvField", CsvField, "say \"hi\"", "\"say \"\"hi\"\"\""},
        {"CsvField", CsvField, "two\nlines\r", "\"two\nlines\r\""},
        {"CsvField", CsvField, "\xff,\xc3\xa9", "\"" + fffd + ",\xc3\xa9\""},
        {"CsvField", CsvField, "=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
        {"CsvField", CsvField, "=1+1", "'=1+1"},
        {"CsvField", CsvField, "+1", "'+1"},
        {"CsvField", CsvField, "-1", "'-1"},
        {"CsvField", CsvField, "@SUM(A1)", "'@SUM(A1)"},
        {"CsvField", CsvField, "\tcmd", "'\tcmd"},
        {"CsvField", CsvField, "\rcmd", "\"'\rcmd\""},
        {"CsvField", CsvField, "a=b-c", "a=b-c"},
        {"CsvField", CsvField, "", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(c.apply(c.text), c.expected) << c.function << "(\"" << Printable(c.text) << "\")";
    const std::pair<std::string, std::size_t> widths[] = {
        {"", 0}, {"abc", 3}, {"\xc2\xb5s \xc3\xa9", 4}, {"\xf0\x9f\x98\x80", 1}, {"\xe2\x82", 1}, {"\xff\xfe", 2},
        {"\xc0\xaf", 2},
    };
    for (const auto& [text, width] : widths) EXPECT_EQ(Characters(text), width) << Printable(text);
}

TEST(BenchReportText, FixedWritesEveryDigitWhateverTheSize) {
    const std::string largest =
        "179769313486231570814527423731704356798070567525844996598917476803157260780028538760589558632766878171540458953"
        "514382464234321326889464182768467546703537516986049910576551282076245490090389328944075868508455133942304583236"
        "903222948165808559332123348274797826204144723168738177180919299881250404026184124858368";
    const struct {
        double value;
        int decimals;
        std::string text;
    } cases[] = {
        {DBL_MAX, 0, largest},
        {-DBL_MAX, 2, "-" + largest + ".00"},
        {1e20, 1, "100000000000000000000.0"},
        {123456789012345678.0, 0, "123456789012345680"},
        {0.125, 2, "0.12"},  // halfway: to even, as printf does
        {-0.0, 1, "-0.0"},
        {DBL_MIN, 3, "0.000"},
        {kInfinity, 1, "inf"},
        {-kInfinity, 3, "-inf"},
        {std::nan(""), 1, "nan"},
        {-std::nan(""), 1, "nan"},
    };
    for (const auto& c : cases) EXPECT_EQ(Fixed(c.value, c.decimals), c.text) << c.value;
    EXPECT_EQ(Duration(kInfinity), "inf s");
    EXPECT_EQ(Duration(1e300).size(), 298u + 2);  // 10^297 s, every digit
}

TEST(BenchReportText, HostileTextAndNumbersThroughEveryForm) {
    const Report window = WindowReport(), matrix = MatrixReport();
    const Comparison comparison = HostileComparison();
    const auto form = [](const Report& report, ReportFormat format) {
        return [&report, format](std::ostream& out) { WriteReport(out, report, format); };
    };
    const auto compared = [&](ReportFormat format) {
        return [&, format](std::ostream& out) { WriteComparedReport(out, &window, comparison, format, false); };
    };
    const auto saved = [&](ReportFormat format) {
        return [&, format](std::ostream& out) { WriteComparedReport(out, nullptr, comparison, format, false); };
    };
    // Numbers no run measures but a saved report may hold.
    const Report huge = WindowReport({1.6e308, 1.7e308, 1.65e308}), infinite = WindowReport({kInfinity, 1, 2});
    const Report tiny = WindowReport({1e-300, 2e-300, 3e-300}), zero = WindowReport({0, 0, 0});
    const Report spread = MatrixReport({1e-300, 2e-300}, {1e300, 2e300}), beyond = MatrixReport({1, 2}, {kInfinity, 1e308});
    const Comparison hugeComparison = HostileComparison(1, {1.6e308, 1.7e308, 1.65e308, 1.61e308, 1.62e308, 1.63e308});
    const Comparison infiniteComparison = HostileComparison(kInfinity), tinyComparison = HostileComparison(1e-300);
    // With CSV on standard output, the warnings go to standard error.
    BenchOptions csvOut;
    csvOut.format = ReportFormat::kCsv;
    const auto warned = [&](std::ostream& err) {
        std::ostringstream out;
        WriteOutputs(csvOut, nullptr, &comparison, out, err);
    };
    const auto chart = [](const Report& report) { return [&report](std::ostream& out) { WriteReport(out, report, ReportFormat::kSvg); }; };
    const auto pairs = [](const Comparison& c) { return [&c](std::ostream& out) { WriteComparisonChart(out, c); }; };
    struct Case {
        const char* what;
        Form form;
        std::function<void(std::ostream&)> write;
        std::string name;  // as it must appear, in the form's own escaping
    };
    const Case cases[] = {
        {"table", Form::kTable, form(window, ReportFormat::kTable), kHostile},
        {"matrix table", Form::kTable, form(matrix, ReportFormat::kTable), kHostile},
        {"table and comparison", Form::kTable, compared(ReportFormat::kTable), kHostileSource},
        {"markdown", Form::kMarkdown, form(window, ReportFormat::kMarkdown), kHostile},
        {"matrix markdown", Form::kMarkdown, form(matrix, ReportFormat::kMarkdown), kHostile},
        {"markdown and comparison", Form::kMarkdown, compared(ReportFormat::kMarkdown), kHostileSource},
        {"JSON", Form::kJson, form(window, ReportFormat::kJson), kHostile},
        {"matrix JSON", Form::kJson, form(matrix, ReportFormat::kJson), kHostile},
        {"JSON and comparison", Form::kJson, compared(ReportFormat::kJson), kHostileSource},
        {"comparison JSON", Form::kJson, saved(ReportFormat::kJson), kHostile},
        {"CSV", Form::kCsv, form(window, ReportFormat::kCsv), kHostile},
        {"matrix CSV", Form::kCsv, form(matrix, ReportFormat::kCsv), kHostile},
        {"comparison CSV", Form::kCsv, saved(ReportFormat::kCsv), kHostile},
        {"HTML", Form::kHtml, form(window, ReportFormat::kHtml), kHostile},
        {"matrix HTML", Form::kHtml, form(matrix, ReportFormat::kHtml), kHostile},
        {"HTML and comparison", Form::kHtml, compared(ReportFormat::kHtml), kHostileSource},
        {"comparison HTML", Form::kHtml, saved(ReportFormat::kHtml), kHostile},
        {"matrix HTML, 1e-300 to 1e300 ms", Form::kHtml, form(spread, ReportFormat::kHtml), kHostile},
        {"warnings on standard error", Form::kTable, warned, kHostile},
        {"bar chart", Form::kXml, chart(window), kHostile},
        {"scaling chart", Form::kXml, chart(matrix), kHostile},
        {"comparison chart", Form::kXml, pairs(comparison), kHostileSource},
        {"table, times near the largest double", Form::kTable, form(huge, ReportFormat::kTable), kHostile},
        {"table, an infinite time", Form::kTable, form(infinite, ReportFormat::kTable), kHostile},
        {"bar chart, times near the largest double", Form::kXml, chart(huge), kHostile},
        {"bar chart, an infinite time", Form::kXml, chart(infinite), kHostile},
        {"bar chart, times near the smallest", Form::kXml, chart(tiny), kHostile},
        {"bar chart, times of 0", Form::kXml, chart(zero), kHostile},
        {"scaling chart, 1e-300 to 1e300 ms", Form::kXml, chart(spread), kHostile},
        {"scaling chart, infinite and 1e308 ms", Form::kXml, chart(beyond), kHostile},
        {"comparison chart, medians past the largest double", Form::kXml, pairs(hugeComparison), kHostile},
        {"comparison chart, infinitely slower", Form::kXml, pairs(infiniteComparison), kHostile},
        {"comparison chart, 1e-300 times faster", Form::kXml, pairs(tinyComparison), kHostile},
        {"comparison table, infinitely slower", Form::kTable,
         [&](std::ostream& out) { WriteComparisonTable(out, infiniteComparison, false); }, kHostile},
    };
    for (const Case& c : cases) {
        std::string fault;
        const std::string text = Written(c.write, fault);
        if (fault.empty()) fault = FormFault(c.form, text, c.name);
        EXPECT_EQ(fault, "") << c.what << ":\n" << text.substr(0, 4000);
    }
}

TEST(BenchReportText, TheChecksOfTheFormsFindTheirFaults) {
    const struct {
        Form form;
        std::string text;
    } faulty[] = {
        {Form::kTable, "Routine  x\nabc      x\n\xc2\xb5\xc2\xb5\xc2\xb5   x\n"},  // padded by bytes
        {Form::kTable, "Routine  min\na\x1b  1\n"},
        {Form::kMarkdown, "| a | b |\n|---|---|\n| x|y | z |\n"},
        {Form::kMarkdown, "| a | b |\n|---|---|\n| x\\\\| y | z |\n"},
        {Form::kXml, "<svg><text>a < b</text></svg>"},
        {Form::kHtml, "<!DOCTYPE html>\n<html><body><p>a<img src=x onerror=alert(1)></p></body></html>"},
        {Form::kHtml, "<!DOCTYPE html>\n<html><body><p title=\"a\"b\">x</p></body></html>"},
        {Form::kHtml, "<html><body></body></html>"},
        {Form::kXml, "<svg><text>a &c b</text></svg>"},
        {Form::kXml, "<svg><g a=\"1\" a=\"2\"/></svg>"},
        {Form::kXml, "<svg><g></svg></g>"},
        {Form::kXml, "<svg><text>\x1b</text></svg>"},
        {Form::kXml, "<svg/><svg/>"},
        {Form::kXml, "<svg><title>\xff</title></svg>"},
        {Form::kXml, "<svg><rect width=\"inf\"/></svg>"},
        {Form::kXml, "<svg><line x1=\"1.0\" y2=\"-nan\"/></svg>"},
        {Form::kXml, "<svg><polyline points=\"1.0,2.0 3.0,20000.0\"/></svg>"},
        {Form::kJson, "{\"a\": 1"},
        {Form::kCsv, "a,b\nx\"y,z\n"},
        {Form::kCsv, "a,b\n\"x,y\n"},
        {Form::kCsv, "a,b\nx,y,z\n"},
    };
    for (const auto& c : faulty) EXPECT_NE(FormFault(c.form, c.text, ""), "") << Printable(c.text);
    EXPECT_EQ(FormFault(Form::kTable, "Routine  x\nabc      x\n\xc2\xb5\xc2\xb5\xc2\xb5      x\n", ""), "");
    EXPECT_EQ(FormFault(Form::kXml, "<?xml version=\"1.0\"?>\n<svg a=\"&lt;&#65;\" width=\"100%\"><t>&amp;</t>"
                                    "<g x=\"-3.5\"/><polyline points=\"1.0,2.0 3,4\"/></svg>\n", ""), "");
    EXPECT_EQ(FormFault(Form::kCsv, "a,b\n\"x\"\"\ny\",\"\"\n", ""), "");
}

// Every ending through the one table, against the words a reader of the
// reports relies on: the status word, the text and whether the run fails.
// A limit that is no whole number of seconds is written as it was given.
TEST(BenchReportText, EveryEndingHasItsWordItsTextAndItsExitStatus) {
    const SortFailure order{SortCheck::kOrder, 17, 0, 0};
    const struct {
        Outcome outcome;
        const char* status;
        const char* text;
        int exit;
    } cases[] = {
        {{End::kMeasured, "", {}}, "measured", "", 0},
        {{End::kFailed, "", order}, "failed", "failed at slot 17", 1},
        {{End::kOverLimit, "", {}}, "over-time-limit", "over 0.25 s", 1},
        {{End::kPredictedOver, "", {}}, "predicted-over", "predicted over 0.25 s (about 3.00 s)", 1},
        {{End::kStackExhausted, "", {}}, "stack-exhausted", "stack exhausted", 1},
        {{End::kCrashed, "killed by signal 9", {}}, "crashed", "crashed: killed by signal 9", 1},
        {{End::kNotSorted, "a vector sort", {}}, "not-sorted", "n/a: a vector sort", 0},
        {{End::kCounted, "", {}}, "counted", "", 0},
        {{End::kNotCountable, "a radix sort", {}}, "not-countable", "n/a", 0},
        {{End::kNotTimed, "", {}}, "not-timed", "not counted", 0},
    };
    std::vector<std::string> rowWords;
    for (const auto& c : cases) {
        EXPECT_STREQ(StatusWord(c.outcome.end), c.status);
        EXPECT_EQ(EndText(c.outcome, {0.25, 3000}), c.text) << c.status;
        EXPECT_EQ(ExitStatus(c.outcome.end), c.exit) << c.status;
        if (c.outcome.end != End::kCounted && c.outcome.end != End::kNotCountable && c.outcome.end != End::kNotTimed)
            rowWords.push_back(c.status);
    }
    std::sort(rowWords.begin(), rowWords.end());
    std::vector<std::string> listed = RowStatusWords();
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, rowWords);
    EXPECT_EQ(EndText({End::kOverLimit, "", {}}, {1000, 0}), "over 1000 s");
    // A record whose payload left its key shows the same key on both sides.
    EXPECT_EQ(EndText({End::kFailed, "", {SortCheck::kValues, 5, 9, 9}}, {1, 0}),
              "changed its values: slot 5 holds other content than the sorted input's 9");
}
