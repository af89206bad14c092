// One line per row, RFC 4180 quoting; figures in milliseconds, empty where
// a row has none. The matrix form is long: one line per row with its shape,
// size, status and every repetition. Both take their fields from the
// columns of the report's form.
#include "bench/report/columns.h"
#include "bench/report/format.h"
#include "bench/report/row_fields.h"
#include "bench/report/summary.h"
#include "bench/report/writers.h"

namespace {

void WriteLine(std::ostream& out, const std::vector<std::string>& fields) {
    for (std::size_t k = 0; k < fields.size(); ++k) out << (k ? "," : "") << CsvField(fields[k]);
    out << '\n';
}

// The overall ratio of the row's contender and its interval, empty where
// it has none (std::sort itself, or no finished cell).
std::vector<std::string> SummaryFields(const std::vector<ContenderSummary>& summaries, const Measurement& row) {
    for (const ContenderSummary& s : summaries)
        if (s.name == row.contender.name && s.cells > 0)
            return {Fixed(s.overall.value, 4), Fixed(s.overall.interval.low, 4), Fixed(s.overall.interval.high, 4)};
    return {"", "", ""};
}

}  // namespace

// The matrix's CSV stays one table: each row carries its contender's
// summary in three columns of its own.
void WriteCsv(std::ostream& out, const Report& report) {
    const std::vector<const Column*> columns = FieldColumns(report);
    const bool summarised = IsMatrix(report);
    const std::vector<ContenderSummary> summaries = summarised ? Summaries(report) : std::vector<ContenderSummary>{};
    std::vector<std::string> names = FieldNames(columns);
    if (summarised) names.insert(names.end(), {field::kOverall, field::kOverallLow, field::kOverallHigh});
    WriteLine(out, names);
    for (const Measurement& row : report.rows) {
        std::vector<std::string> values = FieldValues(ContextOf(report, row), columns);
        if (summarised) {
            const std::vector<std::string> overall = SummaryFields(summaries, row);
            values.insert(values.end(), overall.begin(), overall.end());
        }
        WriteLine(out, values);
    }
}
