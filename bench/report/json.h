// The JSON report: the full record of a run, which a saved baseline is.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "bench/report/report.h"

// The version of the JSON report's layout, written into every report. A
// reader refuses other versions rather than misread them. Version 1 wrote
// a row's status as the table's text ("over 10 s"); version 2 as one of
// RowStatusWords, with the details in fields of their own; version 3 adds
// which check a failed sort failed (failed_check, one of CheckNames);
// version 4 the machine counts of a row (machine_counts), which a
// comparison reads from then on. Baselines saved by versions 1 to 3 are
// still read; version 5 each row's element type (type), a row without one
// having sorted i32; version 6 the matrix's summary per contender
// (summary), which a reader of saved reports has no need of.
constexpr int kReportSchemaVersion = 6;
constexpr int kOldestReadableSchemaVersion = 1;

// The report as a value, for writers that add to it.
nlohmann::json ReportJson(const Report& report);

// Writes json indented, one value to a file. Text that is not valid UTF-8
// (a path or a name read from a file) has each byte that begins no
// well-formed sequence written as U+FFFD: the writer never throws.
void WriteJsonText(std::ostream& out, const nlohmann::json& json);
