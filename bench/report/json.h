// The JSON report: the full record of a run, which a saved baseline is.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "bench/report/report.h"

// The version of the JSON report's layout, written into every report. A
// reader refuses other versions rather than misread them.
constexpr int kReportSchemaVersion = 1;

// The report as a value, for writers that add to it.
nlohmann::json ReportJson(const Report& report);

// Writes json indented, one value to a file. Text that is not valid UTF-8
// (a path or a name read from a file) has each byte that begins no
// well-formed sequence written as U+FFFD: the writer never throws.
void WriteJsonText(std::ostream& out, const nlohmann::json& json);
