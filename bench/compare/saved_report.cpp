#include "bench/compare/saved_report.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <tuple>
#include <vector>

#include "bench/measure/cell_data.h"
#include "bench/report/json.h"
#include "bench/report/machine_figures.h"
#include "bench/report/row_fields.h"

namespace {

using Json = nlohmann::json;

// A text from the report for a message: escaped, so it stays on one line.
std::string Quoted(const std::string& text) {
    return Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string RowName(std::size_t index, const Json& row) {
    std::string name = "row " + std::to_string(index + 1);
    const auto found = row.find(field::kName);
    if (found != row.end() && found->is_string() && found->get_ref<const std::string&>().size() <= kMaxNameBytes)
        name += " (" + Quoted(found->get<std::string>()) + ")";
    return name;
}

// The text under key, or fallback when there is none.
Result<std::string> ReadText(const Json& object, const char* key, std::size_t longest, const char* fallback) {
    const auto found = object.find(key);
    if (found == object.end()) return std::string(fallback);
    if (!found->is_string()) return Refusal{std::string(" has a ") + key + " that is not text"};
    if (found->get_ref<const std::string&>().size() > longest)
        return Refusal{std::string(" has a ") + key + " longer than " + std::to_string(longest) + " bytes"};
    return found->get<std::string>();
}

Result<std::vector<double>> ReadTimes(const Json& row) {
    const auto found = row.find(field::kTimes);
    const Refusal notTimes{" has no times_ms list of numbers"};
    if (found == row.end() || !found->is_array()) return notTimes;
    if (found->size() > static_cast<std::size_t>(kMaxRuns))
        return Refusal{" has " + std::to_string(found->size()) + " times, more than the " + std::to_string(kMaxRuns) +
                       " repetitions --runs allows"};
    std::vector<double> times;
    for (const Json& time : *found) {
        if (!time.is_number()) return notTimes;
        const double ms = time.get<double>();
        if (!(ms > 0 && ms <= kMaxTimeMs))
            return Refusal{" has a time of " + time.dump() + " ms; a time is above 0 and at most a day (86400000 ms)"};
        times.push_back(ms);
    }
    return times;
}

bool OneOf(const Json& value, const std::vector<std::string>& known) {
    return std::any_of(known.begin(), known.end(), [&](const std::string& text) { return value == text; });
}

std::string Listed(const std::vector<std::string>& known) {
    std::string list;
    for (const std::string& text : known) list += (list.empty() ? "" : ", ") + text;
    return list;
}

// What is wrong with the row's status and failed check, as far as its
// version writes them; either may be missing.
Check ReadStatus(const Json& row, std::int64_t version) {
    const auto status = row.find(field::kStatus);
    if (version >= 2 && status != row.end() && !OneOf(*status, RowStatusWords()))
        return Refusal{" has a status that is not one of " + Listed(RowStatusWords())};
    const auto check = row.find(field::kFailedCheck);
    if (version >= 3 && check != row.end() && !check->is_null() && !OneOf(*check, CheckNames()))
        return Refusal{" has a failed_check that is not one of " + Listed(CheckNames()) + " or null"};
    return Passed{};
}

// The field name of a machine count, as the report writes it.
const char* CountName(std::uint64_t MachineCounts::*count) {
    for (const MachineCountName& named : kMachineCountNames)
        if (named.count == count) return named.name;
    return "";
}

// The machine counts a row of version 4 on holds, when they were made:
// whole counts the dump reader would take from one run, under the same
// limits.
Check ReadMachineCounts(const Json& row, SavedCell& cell) {
    const auto found = row.find(field::kMachineCounts);
    if (found == row.end()) return Passed{};
    const Json& m = *found;
    if (!m.is_object() || !m.contains(field::kStatus) || !m[field::kStatus].is_string())
        return Refusal{" has machine_counts without a status"};
    if (m[field::kStatus] != StatusWord(End::kCounted)) return Passed{};
    MachineCounts& c = cell.machine;
    for (const MachineCountName& named : kMachineCountNames) {
        const auto figure = m.find(named.name);
        if (figure == m.end() || !figure->is_number_unsigned() || figure->get<std::uint64_t>() > kMostMachineCount)
            return Refusal{std::string(" has machine_counts without a count of ") + named.name};
        c.*named.count = figure->get<std::uint64_t>();
    }
    if (const CountLimit* broken = BrokenCountLimit(c)) {
        const std::string part = std::string(field::kMachineCounts) + "." + CountName(broken->part) +
                                 (broken->alsoPart ? std::string(" + ") + CountName(broken->alsoPart) : "");
        return Refusal{" has " + part + " = " + std::to_string(PartOf(*broken, c)) + ", more than its " +
                       CountName(broken->whole) + " (" + std::to_string(c.*broken->whole) + "): no run gives that"};
    }
    cell.machineCounted = true;
    return Passed{};
}

// One row of a report of the given schema version as a cell; count is
// settings.count, for rows without their own.
Result<SavedCell> ReadCell(const Json& row, std::int64_t version, const Json* count) {
    if (!row.is_object() || !row.contains(field::kName) || !row[field::kName].is_string())
        return Refusal{" has no name"};
    SavedCell cell;
    // The names rule of loaded sorts holds for every name a report shows;
    // only a reference's label may be empty.
    for (const auto& [key, text, fallback] :
         {std::tuple{field::kName, &cell.name, ""}, std::tuple{field::kLabel, &cell.label, ""},
          std::tuple{field::kPattern, &cell.pattern, kDefaultPattern},
          std::tuple{field::kType, &cell.type, kDefaultType}}) {
        const Result<std::string> read = ReadText(row, key, kMaxNameBytes, fallback);
        if (!read) return Refusal{read.why()};
        const Check named = read->empty() && text == &cell.label ? Check(Passed{}) : CheckSortName(*read);
        if (!named) return Refusal{std::string(" has a ") + key + " the names rule refuses: " + named.why()};
        *text = *read;
    }
    cell.reference =
        row.contains(field::kReference) && row[field::kReference].is_boolean() && row[field::kReference].get<bool>();
    if (FindElementType(cell.type) == nullptr)
        return Refusal{" has a type that is not one of " + Listed(ElementTypeNames())};
    const Check status = ReadStatus(row, version);
    if (!status) return Refusal{status.why()};
    // A cell without figures: a check of its sorts failed, or it did not finish.
    // Version 1 said why in prose, so anything but "measured" counts.
    cell.failed = (row.contains(field::kFailedSlot) && row[field::kFailedSlot].is_number_integer()) ||
                  (row.contains(field::kStatus) && row[field::kStatus] != StatusWord(End::kMeasured));

    const auto own = row.find(field::kCount);
    if (own != row.end()) count = &*own;
    if (count == nullptr || !count->is_number_integer() || count->get<std::int64_t>() < 2)
        return Refusal{" has no count of values"};
    cell.count = count->get<std::int64_t>();
    if (cell.count > kLargestCount)
        return Refusal{" has a count of " + std::to_string(cell.count) + " values, more than the " +
                       std::to_string(kLargestCount) + " a cell holds"};
    const auto draws = row.find(field::kDraws);
    if (draws != row.end() && (!draws->is_number_unsigned() || draws->get<std::uint64_t>() > INT64_MAX))
        return Refusal{" has draws that are not a count"};
    if (draws != row.end()) cell.draws = draws->get<std::int64_t>();
    const Check machine = version >= 4 ? ReadMachineCounts(row, cell) : Check(Passed{});
    if (!machine) return Refusal{machine.why()};
    const Result<std::vector<double>> times = ReadTimes(row);
    if (!times) return Refusal{times.why()};
    cell.times = *times;
    return cell;
}

// Every row, each cell once: a set finds a repeat among many rows quickly.
Result<std::vector<SavedCell>> ReadCells(const Json& rows, std::int64_t version, const Json* count) {
    std::set<std::tuple<std::string, std::string, std::int64_t, std::string>> seen;
    std::vector<SavedCell> cells;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        Result<SavedCell> cell = ReadCell(rows[k], version, count);
        if (!cell) return Refusal{RowName(k, rows[k]) + cell.why()};
        if (!seen.emplace(cell->name, cell->pattern, cell->count, cell->type).second)
            return Refusal{RowName(k, rows[k]) + " repeats a cell (" + Quoted(cell->pattern) + ", " +
                           std::to_string(cell->count) + " values" +
                           (cell->type == kDefaultType ? "" : ", " + cell->type) + ")"};
        // A sort that cannot sort the type has nothing to compare.
        if (rows[k].value(field::kStatus, "") == StatusWord(End::kNotSorted)) continue;
        cells.push_back(std::move(*cell));
    }
    return cells;
}

// The machine, compiler and flags the report names, into report.
Check ReadContext(const Json& json, SavedReport& report) {
    const auto context = json.find("context");
    const Json none = Json::object();
    const Json& c = context != json.end() && context->is_object() ? *context : none;
    std::string cpu, os;
    for (const auto& [key, text] : {std::pair{"cpu", &cpu}, std::pair{"os", &os},
                                    std::pair{"compiler", &report.compiler}, std::pair{"flags", &report.flags}}) {
        const Result<std::string> read = ReadText(c, key, kMaxContextBytes, "unknown");
        if (!read) return Refusal{"context" + read.why()};
        *text = *read;
    }
    const auto cores = c.find("cores");
    const bool counted = cores != c.end() && cores->is_number_unsigned();
    report.machine = cpu + ", " + (counted ? cores->dump() : "?") + " cores, " + os;
    return Passed{};
}

Check ReadReport(const Json& json, SavedReport& report) {
    if (!json.is_object() || !json.contains("schema_version"))
        return Refusal{"has no schema_version: not a JSON report of orvandel-bench"};
    const Json& version = json["schema_version"];
    if (!version.is_number_integer() || version.get<std::int64_t>() < kOldestReadableSchemaVersion ||
        version.get<std::int64_t>() > kReportSchemaVersion)
        return Refusal{"has schema version " +
                       (version.is_number_integer() ? version.dump() : std::string("of type ") + version.type_name()) +
                       "; this orvandel-bench reads versions " + std::to_string(kOldestReadableSchemaVersion) +
                       " to " + std::to_string(kReportSchemaVersion)};
    const auto settings = json.find("settings");
    if (settings == json.end() || !settings->is_object() || !settings->contains("seed") ||
        !(*settings)["seed"].is_number_unsigned() || (*settings)["seed"].get<std::uint64_t>() > UINT32_MAX)
        return Refusal{"has no settings.seed"};
    report.seed = (*settings)["seed"].get<std::uint32_t>();
    const auto count = settings->find(field::kCount);

    const auto rows = json.find("rows");
    if (rows == json.end() || !rows->is_array()) return Refusal{"has no rows"};
    Result<std::vector<SavedCell>> cells =
        ReadCells(*rows, version.get<std::int64_t>(), count != settings->end() ? &*count : nullptr);
    if (!cells) return Refusal{cells.why()};
    report.cells = std::move(*cells);
    report.draws = DrawsMethod(report.cells);
    return ReadContext(json, report);
}

// The deepest nesting of arrays and objects in text, brackets inside
// strings not counted: one pass, so a file of many small objects costs its
// length (the parser's own depth callback cost the square of their number).
int Nesting(const std::string& text) {
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') inString = true;
        if (c == '[' || c == '{') deepest = std::max(deepest, ++depth);
        if (c == ']' || c == '}') --depth;
    }
    return deepest;
}

// Parses text, nested at most kMaxNesting deep.
Result<Json> ParseJson(const std::string& text) {
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) return Refusal{"is empty"};
    if (Nesting(text) > kMaxNesting)
        return Refusal{"nests arrays or objects deeper than " + std::to_string(kMaxNesting) + " levels"};
    try {
        return Json::parse(text);
    } catch (const Json::parse_error& e) {
        // The parser reads one byte past the end when the text stops early.
        return Refusal{e.byte > text.size()
                           ? "is truncated: the JSON stops after " + std::to_string(text.size()) + " bytes"
                           : "is not valid JSON (at byte " + std::to_string(e.byte) + ")"};
    } catch (const Json::out_of_range&) {
        return Refusal{"has a number beyond the range of a double"};
    }
}

const Refusal kTooLarge{"is larger than 64 MiB, more than any report"};

// Whether path is a report to read, judged before it is opened: a FIFO or
// a device would block the reader or never end.
Check Readable(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) return Refusal{"no such file"};
    if (error) return Refusal{"cannot be read"};
    if (std::filesystem::is_directory(status)) return Refusal{"is a folder, not a report"};
    if (!std::filesystem::is_regular_file(status)) return Refusal{"is not a regular file, so not a saved report"};
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (error) return Refusal{"cannot be read"};
    if (size > kMaxReportBytes) return kTooLarge;
    return Passed{};
}

// At most one byte beyond the bound, in case the file grew since it was judged.
Result<std::string> ReadBounded(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::vector<char> chunk(1 << 16);
    std::string text;
    while (file && text.size() <= kMaxReportBytes) {
        file.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        text.append(chunk.data(), static_cast<std::size_t>(file.gcount()));
    }
    if (!file.is_open() || file.bad()) return Refusal{"cannot be read"};
    if (text.size() > kMaxReportBytes) return kTooLarge;
    return text;
}

}  // namespace

std::string DrawsMethod(const std::vector<SavedCell>& cells) {
    const bool several = std::any_of(cells.begin(), cells.end(), [](const SavedCell& c) { return c.draws > 1; });
    return several ? "a new draw every sort" : "the same data every sort";
}

Result<SavedReport> ParseSavedReport(const std::string& text) {
    const Result<Json> json = ParseJson(text);
    if (!json) return Refusal{json.why()};
    SavedReport report;
    const Check read = ReadReport(*json, report);
    if (!read) return Refusal{read.why()};
    return report;
}

Result<SavedReport> ReadSavedReport(const std::string& path) {
    const Check readable = Readable(path);
    Result<std::string> text = readable ? ReadBounded(path) : Refusal{readable.why()};
    Result<SavedReport> report = text ? ParseSavedReport(*text) : Refusal{text.why()};
    if (!report) return Refusal{path + ": " + report.why()};
    report->source = path;
    return report;
}

std::string CellPlace(const std::string& pattern, std::int64_t count, const std::string& type) {
    return pattern + " " + std::to_string(count) + (type == kDefaultType ? "" : " " + type);
}

SavedReport CurrentReport(const Report& report) {
    SavedReport current;
    current.source = "this run";
    current.seed = report.settings.seed;
    current.machine = MachineLine(report.system);
    current.compiler = report.system.compiler;
    current.flags = report.system.flags;
    for (const Measurement& row : report.rows)
        if (!row.outcome.is(End::kNotSorted))
            current.cells.push_back({row.contender.name, row.contender.label, row.pattern, row.count,
                                     row.contender.reference, !Unfinished(report, row).empty(), row.times,
                                     row.draws, row.machine.outcome.end == End::kCounted, row.machine.counts,
                                     ElementTypeName(row.type)});
    current.draws = DrawsMethod(current.cells);
    return current;
}

std::string MachineLine(const SystemInfo& system) {
    return system.cpu + ", " + std::to_string(system.cores) + " cores, " + system.os;
}
