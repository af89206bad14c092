#include "bench/compare/saved_report.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "bench/report/json.h"

namespace {

using Json = nlohmann::json;

std::string Text(const Json& object, const char* key) {
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : "unknown";
}

std::string RowName(std::size_t index, const Json& row) {
    std::string name = "row " + std::to_string(index + 1);
    const auto found = row.find("name");
    if (found != row.end() && found->is_string()) name += " (\"" + found->get<std::string>() + "\")";
    return name;
}

// One row into a cell; count is settings.count, for rows without their own.
std::string ReadCell(std::size_t index, const Json& row, const Json* count, SavedCell& cell) {
    const std::string where = RowName(index, row);
    if (!row.is_object() || !row.contains("name") || !row["name"].is_string())
        return where + " has no name";
    cell.name = row["name"].get<std::string>();
    cell.label = row.contains("label") && row["label"].is_string() ? row["label"].get<std::string>() : "";
    cell.reference = row.contains("reference") && row["reference"].is_boolean() && row["reference"].get<bool>();
    // A cell without figures: its order check failed, or it did not finish.
    cell.failed = (row.contains("failed_slot") && row["failed_slot"].is_number_integer()) ||
                  (row.contains("status") && row["status"] != "measured");

    const auto pattern = row.find("pattern");
    if (pattern != row.end() && !pattern->is_string()) return where + " has a pattern that is not text";
    cell.pattern = pattern != row.end() ? pattern->get<std::string>() : kDefaultPattern;
    const auto own = row.find("count");
    if (own != row.end()) count = &*own;
    if (count == nullptr || !count->is_number_integer() || count->get<std::int64_t>() < 2)
        return where + " has no count of values";
    cell.count = count->get<std::int64_t>();

    const auto times = row.find("times_ms");
    if (times == row.end() || !times->is_array() ||
        !std::all_of(times->begin(), times->end(), [](const Json& t) { return t.is_number(); }))
        return where + " has no times_ms list of numbers";
    cell.times = times->get<std::vector<double>>();
    const auto draws = row.find("draws");
    if (draws != row.end() && draws->is_number_integer()) cell.draws = draws->get<std::int64_t>();
    return "";
}

std::string ReadReport(const Json& json, SavedReport& report) {
    if (!json.is_object() || !json.contains("schema_version"))
        return "has no schema_version: not a JSON report of orvandel-bench";
    const Json& version = json["schema_version"];
    if (!version.is_number_integer() || version.get<std::int64_t>() != kReportSchemaVersion)
        return "has schema version " + version.dump() + "; this orvandel-bench reads version " +
               std::to_string(kReportSchemaVersion);
    const auto settings = json.find("settings");
    if (settings == json.end() || !settings->is_object() || !settings->contains("seed") ||
        !(*settings)["seed"].is_number_unsigned() || (*settings)["seed"].get<std::uint64_t>() > UINT32_MAX)
        return "has no settings.seed";
    report.seed = (*settings)["seed"].get<std::uint32_t>();
    const auto count = settings->find("count");
    const Json* settingsCount = count != settings->end() ? &*count : nullptr;

    const auto rows = json.find("rows");
    if (rows == json.end() || !rows->is_array()) return "has no rows";
    for (std::size_t k = 0; k < rows->size(); ++k) {
        SavedCell cell;
        const std::string error = ReadCell(k, (*rows)[k], settingsCount, cell);
        if (!error.empty()) return error;
        const auto same = [&](const SavedCell& other) { return SameCell(cell, other); };
        if (std::any_of(report.cells.begin(), report.cells.end(), same))
            return RowName(k, (*rows)[k]) + " repeats a cell (" + cell.pattern + ", " +
                   std::to_string(cell.count) + " values)";
        report.cells.push_back(cell);
    }

    const auto context = json.find("context");
    const Json none = Json::object();
    const Json& c = context != json.end() && context->is_object() ? *context : none;
    report.machine = Text(c, "cpu") + ", " + (c.contains("cores") ? c["cores"].dump() : "?") +
                     " cores, " + Text(c, "os");
    report.compiler = Text(c, "compiler");
    report.flags = Text(c, "flags");
    report.draws = DrawsMethod(report.cells);
    return "";
}

}  // namespace

bool SameCell(const SavedCell& a, const SavedCell& b) {
    return a.name == b.name && a.pattern == b.pattern && a.count == b.count;
}

std::string DrawsMethod(const std::vector<SavedCell>& cells) {
    const bool several = std::any_of(cells.begin(), cells.end(), [](const SavedCell& c) { return c.draws > 1; });
    return several ? "a new draw every sort" : "the same data every sort";
}

bool ParseSavedReport(const std::string& text, SavedReport& report, std::string& error) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
        error = "is empty";
        return false;
    }
    Json json;
    try {
        json = Json::parse(text);
    } catch (const Json::parse_error& e) {
        // The parser reads one byte past the end when the text stops early.
        error = e.byte > text.size()
                    ? "is truncated: the JSON stops after " + std::to_string(text.size()) + " bytes"
                    : "is not valid JSON (at byte " + std::to_string(e.byte) + ")";
        return false;
    }
    error = ReadReport(json, report);
    return error.empty();
}

bool ReadSavedReport(const std::string& path, SavedReport& report, std::string& error) {
    report.source = path;
    std::error_code ignored;
    std::ifstream file(path, std::ios::binary);
    std::string text;
    if (!std::filesystem::exists(path, ignored))
        error = "no such file";
    else if (std::filesystem::is_directory(path, ignored))
        error = "is a folder, not a report";
    else if (!file)
        error = "cannot be read";
    else
        text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (error.empty() && file.bad()) error = "cannot be read";
    if (error.empty()) ParseSavedReport(text, report, error);
    if (error.empty()) return true;
    error = path + ": " + error;
    return false;
}

SavedReport CurrentReport(const Report& report) {
    SavedReport current;
    current.source = "this run";
    current.seed = report.settings.seed;
    current.machine = MachineLine(report.system);
    current.compiler = report.system.compiler;
    current.flags = report.system.flags;
    for (const Measurement& row : report.rows)
        current.cells.push_back({row.contender.name, row.contender.label, row.pattern, row.count,
                                 row.contender.reference, !Unfinished(report, row).empty(), row.times,
                                 row.draws});
    current.draws = DrawsMethod(current.cells);
    return current;
}

std::string MachineLine(const SystemInfo& system) {
    return system.cpu + ", " + std::to_string(system.cores) + " cores, " + system.os;
}
