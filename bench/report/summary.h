// One answer per contender: where it stands against std::sort over every
// cell of the matrix it finished. The answer is the geometric mean of its
// cells' median ratios, so a cell twice as fast and one twice as slow
// cancel, with an interval from each cell's own runs; beside it the best
// and worst cell and how many cells it did not finish.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/report/report.h"
#include "bench/stats/bootstrap.h"

struct CellRatio {
    std::string pattern;
    std::int32_t count = 0;
    ElementType type = ElementType::kI32;
    double ratio = 1;
};

struct ContenderSummary {
    std::string name;
    bool loaded = false;     // a sort of the user's own library
    bool reference = false;
    // Cells with a ratio: finished by the contender and by std::sort, every
    // run timed above 0. Cells n/a for the contender are in neither count.
    int cells = 0;
    int unfinished = 0;      // a check failed, or it crashed or ran out of time
    GeometricMean overall;   // over the cells; meaningful when cells > 0
    CellRatio best, worst;
};

// Whether std::sort was measured at all: without it no cell has a ratio,
// and the forms say so once instead of a summary.
bool HasBaseline(const Report& report);

// Every contender but std::sort itself, the user's loaded sorts first and
// the rest in the order measured.
std::vector<ContenderSummary> Summaries(const Report& report);

// The line the table ends with: "libmine.so: 1.23x std::sort overall
// [1.18, 1.29] over 18 cells; best ascending 1e4 0.41x, worst organ-pipe
// 1e3 2.90x; 0 failed".
std::string SummaryLine(const Report& report, const ContenderSummary& summary);

// The summary as one table for markdown and HTML: its headings, and each
// contender's cells under them, each with the plain figure the page sorts
// it by (empty where there is none).
struct SummaryCell {
    std::string text;
    std::string key;
};
std::vector<std::string> SummaryHeadings();
std::vector<SummaryCell> SummaryCells(const Report& report, const ContenderSummary& summary);

// What the summary is, in one sentence, for the line above it; or why
// there is none.
std::string SummaryCaption(const Report& report);

// A size as the options take it and people write it: "300", "1e3",
// "2.5e6", and "1234" where a power of ten would need more figures.
std::string SizeText(std::int64_t count);
