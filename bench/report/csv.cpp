// One line per row, RFC 4180 quoting; figures in milliseconds, empty where
// a row has none. The matrix form is long: one line per row with its shape,
// size, status and every repetition. Both take their fields from the
// columns of the report's form.
#include "bench/report/columns.h"
#include "bench/report/format.h"
#include "bench/report/writers.h"

namespace {

void WriteLine(std::ostream& out, const std::vector<std::string>& fields) {
    for (std::size_t k = 0; k < fields.size(); ++k) out << (k ? "," : "") << CsvField(fields[k]);
    out << '\n';
}

}  // namespace

void WriteCsv(std::ostream& out, const Report& report) {
    const std::vector<const Column*> columns = FieldColumns(report);
    WriteLine(out, FieldNames(columns));
    for (const Measurement& row : report.rows) WriteLine(out, FieldValues(ContextOf(report, row), columns));
}
