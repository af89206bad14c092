// One line per row, RFC 4180 quoting; figures in milliseconds with three
// decimals, empty where a row has none.
#include "bench/report.h"

void WriteCsv(std::ostream& out, const Report& report) {
    out << "name,label,reference,runs,min_ms,median_ms,mean_ms,stddev_ms,max_ms,"
           "throughput_meps,ratio_to_std_sort,failed_slot\n";
    for (const Measurement& row : report.rows) {
        const RowFigures f = Figures(report, row);
        out << CsvField(row.contender.name) << ',' << CsvField(row.contender.label) << ','
            << (row.contender.reference ? "true" : "false") << ',' << row.times.size() << ',';
        if (f.failed)
            out << ",,,,,,," << (row.failedSlot != -1 ? std::to_string(row.failedSlot) : "");
        else
            out << Fixed(f.summary.min, 3) << ',' << Fixed(f.summary.median, 3) << ','
                << Fixed(f.summary.mean, 3) << ',' << Fixed(f.summary.stddev, 3) << ','
                << Fixed(f.summary.max, 3) << ',' << Fixed(f.throughput, 3) << ','
                << (f.ratio ? Fixed(*f.ratio, 4) : "") << ',';
        out << '\n';
    }
}
