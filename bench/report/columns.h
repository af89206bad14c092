// The columns of a report's rows, once for every form that shows them:
// the aligned table, markdown, CSV and HTML each take the columns of the
// report's form (the window's data at one size, or the matrix) from here,
// so a new figure is one more row of the table in columns.cpp.
#pragma once

#include <string>
#include <vector>

#include "bench/report/machine_figures.h"
#include "bench/report/operations_figures.h"
#include "bench/report/report.h"

// Everything a column reads of one row, worked out once.
struct RowContext {
    const Report& report;
    const Measurement& row;
    RowFigures figures;
    OperationFigures operations;
    MachineFigures machine;
};

RowContext ContextOf(const Report& report, const Measurement& row);

// The rows of one shape and size, in the order measured.
std::vector<const Measurement*> CellRows(const Report& report, const std::string& pattern, std::int32_t count,
                                         ElementType type);

// The forms a column belongs to, as bits.
enum ColumnForms : unsigned {
    kWindowForm = 1,      // one cell of the window's data
    kMatrixForm = 2,      // shapes x sizes
    kCountedForm = 4,     // with --operations only (in the matrix form)
    kMachineForm = 8,     // with --machine-counts only (in the matrix form)
};

struct Column {
    // The heading in the table, markdown and HTML, and the cell under it;
    // nullptr for a figure CSV alone carries.
    const char* heading;
    std::string (*text)(const RowContext& row);
    // The CSV field's name and value: plain numbers, milliseconds, empty
    // where the row has none; nullptr for a column of the text forms only.
    // HTML sorts a column by this value.
    const char* field;
    std::string (*value)(const RowContext& row);
    unsigned forms;
};

// The columns of the report's form, in order: those with a heading, or
// those with a field.
std::vector<const Column*> TextColumns(const Report& report);
std::vector<const Column*> FieldColumns(const Report& report);

// The headings of text columns, the field names of field columns.
std::vector<std::string> Headings(const std::vector<const Column*>& columns);
std::vector<std::string> FieldNames(const std::vector<const Column*>& columns);
// The cells of one row under the headings; a row without figures has its
// name and why it has none, and nothing else.
std::vector<std::string> TextCells(const RowContext& row, const std::vector<const Column*>& columns);
// The CSV values of one row, raw: the writer quotes them.
std::vector<std::string> FieldValues(const RowContext& row, const std::vector<const Column*>& columns);

// Why a row has no figures as the text forms show it: the window's form
// says FAILED and which check, the matrix's names the reason alone.
std::string MissingFigures(const RowContext& row);
