// The HTML form: one self-contained page to explore a run in a browser,
// offline. Its style and script are inline and it loads nothing (its
// Content-Security-Policy forbids every fetch); with scripts off it still
// shows every table and chart. Every text from a report (names of loaded
// sorts, shapes, sources, the machine) is escaped, and the script reads
// the page's own text and attributes, never writing markup.
#pragma once

#include <ostream>

#include "bench/compare/comparison.h"
#include "bench/report/report.h"

// The settings line and context, the charts inline as SVG (a tooltip per
// point), and one table per shape and size with every column of the
// table form, counted operations included.
void WriteHtml(std::ostream& out, const Report& report);

// The run's page when there is a run (null for two saved reports), and the
// comparison: every cell's medians, change, interval, p and verdict, each
// verdict in its own colour, and the paired-bar chart.
void WriteComparedHtml(std::ostream& out, const Report* report, const Comparison& comparison);
