#include "bench/report/format.h"

#include <cstdio>
#include <iterator>

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string Duration(double milliseconds) {
    struct Unit {
        double perMillisecond;
        const char* name;
    };
    static const Unit kUnits[] = {{1e6, "ns"}, {1e3, "\u00b5s"}, {1, "ms"}, {1e-3, "s"}};
    for (const Unit& unit : kUnits) {
        const double value = milliseconds * unit.perMillisecond;
        if (value >= 999.5 && &unit != std::end(kUnits) - 1) continue;
        return Fixed(value, value < 9.995 ? 2 : value < 99.95 ? 1 : 0) + ' ' + unit.name;
    }
    return "";
}

std::string EscapedXml(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            default: escaped += c;
        }
    }
    return escaped;
}

std::string CsvField(const std::string& field) {
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + '"';
}
