#include "bench/app/help.h"

#include <algorithm>
#include <string>
#include <vector>

#include "bench/app/option_table.h"
#include "bench/measure/cell_data.h"
#include "bench/measure/name_lists.h"

namespace {

constexpr std::size_t kWidth = 80;
constexpr std::size_t kHelpColumn = 30;

// text broken at spaces into lines of at most kWidth columns (a longer
// word keeps its own line), the first starting at column, the others
// indented by indent.
std::string Wrapped(const std::string& text, std::size_t column, std::size_t indent) {
    std::string wrapped;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::size_t length = end - at;
        if (column > indent && column + 1 + length > kWidth) {
            wrapped += "\n" + std::string(indent, ' ');
            column = indent;
        } else if (column > indent) {
            wrapped += ' ';
            ++column;
        }
        wrapped += text.substr(at, length);
        column += length;
        at = end + 1;
    }
    return wrapped;
}

// "  -r, --runs N", padded to the help column, or on a line of its own when
// longer; then the help, wrapped under that column.
void PrintItem(std::ostream& out, const std::string& item, const std::string& help) {
    std::string line = "  " + item;
    if (line.size() + 2 > kHelpColumn) line += "\n" + std::string(kHelpColumn, ' ');
    else line.resize(kHelpColumn, ' ');
    out << line << Wrapped(help, kHelpColumn, kHelpColumn) << '\n';
}

// The options with every bit of use, as "--a, --b or --c" (conjunction
// between the last two).
std::string OptionsThat(unsigned use, const char* conjunction) {
    std::vector<std::string> names;
    for (const OptionEntry& entry : OptionTable())
        if ((entry.use & use) == use && std::string(entry.name) != "--compare") names.push_back(entry.name);
    return Listed(names, conjunction);
}

std::string Footer() {
    const std::string paragraphs[] = {
        "Without measuring options it runs the named routines (button label or caption, any case), or all five "
        "in button order, as the window does and prints one \"caption: milliseconds\" line each. Any of " +
            OptionsThat(kMeasures, "or") +
            " measures instead: repeated runs with statistics, and the library reference sorts (and sorts of your "
            "own) beside the five routines.",
        "Below " + std::to_string(kDistinctDrawsBelow) +
            " values every sort of a shape drawn from the seed sorts a new draw (seed, seed + 1, ...), the same "
            "sequence for every routine; larger sizes, other shapes and --same-data sort the seed's data every "
            "time. With several shapes or sizes, one cell of the table per routine, shape and size. Every routine "
            "runs in a child process, so a stack overflow or a run past the time limit ends its cell only.",
        "A run with --save-baseline keeps its JSON report; --baseline compares a new run with it, cell by cell: change "
        "of the median with its 95% interval, the Mann-Whitney U test's p-value, and a verdict. --compare does "
        "the same for two saved reports without measuring; besides routine names it takes only " +
            OptionsThat(kWithCompare, "and") + ".",
        "Exit status: 0 when every cell finished and every order check passed; 1 when one did not, a run could "
        "not obtain its array or an output could not be written; 2, before anything is measured, for a wrong "
        "command line (an unknown option or routine, a value out of range, an option that needs or excludes "
        "another), an output that cannot be created, a sort library that cannot be loaded or whose sorts are "
        "refused, a size that does not fit in memory, a report that cannot be read or compared, or a gate on "
        "instructions with no cell counted on both sides; 3 when --fail-if-slower finds a cell slower or "
        "--fail-if-more-instructions a cell whose instructions grew.",
        "--machine-counts runs each contender that sorts on one thread once more over the cell's first draw under "
        "valgrind --tool=callgrind, counting the sort alone: instructions, conditional and indirect branches and "
        "their mispredictions, and first- and last-level data cache misses, over simulated caches of one fixed "
        "geometry. The same build on the same data gives the same counts on every run and machine.",
    };
    std::string footer;
    for (const std::string& paragraph : paragraphs) footer += "\n" + Wrapped(paragraph, 0, 0) + "\n";
    return footer;
}

}  // namespace

const char kHelpOpening[] =
    "Measures in-place sorts, your own among them (--sort-library), and shows why\n"
    "one is faster: times over shapes and sizes, counted operations and machine\n"
    "counts, against a baseline. Without measuring options it times the five\n"
    "quicksort routines of the Orvandel window.\n";

void PrintHelp(std::ostream& out) {
    out << kHelpOpening << "Usage: orvandel-bench [OPTIONS] [ROUTINE...]\n\nPositionals:\n";
    PrintItem(out, "ROUTINE ...", "Routines (and, when measuring, references) to run");
    out << "\nOptions:\n";
    for (const OptionEntry& entry : OptionTable()) {
        // The long names line up after the short ones' column.
        const std::string names = (entry.shortName ? std::string(entry.shortName) + ", " : "    ") + entry.name;
        const std::string item = names + (entry.valueName ? std::string(" ") + entry.valueName : "");
        const std::string defaults = entry.defaultText ? std::string(" (default ") + entry.defaultText + ")" : "";
        PrintItem(out, item, entry.help + defaults);
    }
    out << Footer();
}
