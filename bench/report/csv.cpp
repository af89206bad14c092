// One line per row, RFC 4180 quoting; figures in milliseconds, empty where
// a row has none. The matrix form is long: one line per row with its shape,
// size, status and every repetition.
#include "bench/report/format.h"
#include "bench/report/operations_figures.h"
#include "bench/report/writers.h"

namespace {

// The counted figures, each empty where the contender's counter cannot
// see it or nothing was counted.
void WriteOperationFields(std::ostream& out, const Report& report, const Measurement& row) {
    const OperationFigures f = Operations(report, row);
    out << ',' << CsvField(f.counted ? "counted" : f.why) << ',';
    if (!f.counted) {
        out << ",,,,,";
        return;
    }
    const OperationCounts& c = f.counts;
    const auto seen = [&](std::uint64_t value) { return c.steps ? std::to_string(value) : std::string(); };
    out << c.comparisons << ',' << seen(c.exchanges) << ',' << seen(c.calls) << ',' << seen(c.depth) << ','
        << Fixed(f.comparisonsPerNLog2N, 4) << ',' << seen(f.stackBytes);
}

// The failed_slot and failed_check fields, both empty when the sorts passed.
std::string FailureFields(const SortFailure& failure) {
    if (!failure.failed()) return ",";
    return std::to_string(failure.slot) + ',' + CheckName(failure.check);
}

}  // namespace

void WriteCsv(std::ostream& out, const Report& report) {
    out << "name,label,reference,runs,draws,min_ms,median_ms,mean_ms,stddev_ms,max_ms,"
           "throughput_meps,ratio_to_std_sort,failed_slot,failed_check\n";
    for (const Measurement& row : report.rows) {
        const RowFigures f = Figures(report, row);
        out << CsvField(row.contender.name) << ',' << CsvField(row.contender.label) << ','
            << (row.contender.reference ? "true" : "false") << ',' << row.times.size() << ',' << row.draws << ',';
        if (f.failed)
            out << ",,,,,,";
        else
            out << Fixed(f.summary.min, 3) << ',' << Fixed(f.summary.median, 3) << ','
                << Fixed(f.summary.mean, 3) << ',' << Fixed(f.summary.stddev, 3) << ','
                << Fixed(f.summary.max, 3) << ',' << Fixed(f.throughput, 3) << ','
                << (f.ratio ? Fixed(*f.ratio, 4) : "");
        out << ',' << FailureFields(row.failure) << '\n';
    }
}

void WriteMatrixCsv(std::ostream& out, const Report& report) {
    out << "name,label,reference,threads,pattern,count,runs,batch,draws,min_ms,median_ms,mean_ms,stddev_ms,"
           "max_ms,ns_per_element,ratio_to_std_sort,status,failed_slot,failed_check,times_ms"
        << (report.settings.operations ? ",operations_status,comparisons,exchanges,calls,depth,"
                                         "comparisons_per_n_log2_n,stack_bytes"
                                       : "")
        << '\n';
    for (const Measurement& row : report.rows) {
        const RowFigures f = Figures(report, row);
        out << CsvField(row.contender.name) << ',' << CsvField(row.contender.label) << ','
            << (row.contender.reference ? "true" : "false") << ',' << row.contender.threads << ','
            << CsvField(row.pattern) << ',' << row.count << ',' << row.times.size() << ',' << row.batch << ',' << row.draws << ',';
        if (f.failed)
            out << ",,,,,,,";
        else
            out << Fixed(f.summary.min, 6) << ',' << Fixed(f.summary.median, 6) << ','
                << Fixed(f.summary.mean, 6) << ',' << Fixed(f.summary.stddev, 6) << ','
                << Fixed(f.summary.max, 6) << ',' << Fixed(f.nsPerElement, 3) << ','
                << (f.ratio ? Fixed(*f.ratio, 4) : "") << ',';
        out << CsvField(f.failed ? Unfinished(report, row) : "measured") << ',' << FailureFields(row.failure) << ',';
        for (std::size_t k = 0; k < row.times.size(); ++k) out << (k ? " " : "") << Fixed(row.times[k], 6);
        if (report.settings.operations) WriteOperationFields(out, report, row);
        out << '\n';
    }
}
