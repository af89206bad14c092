#include "bench/measure/sort_library.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "bench/measure/printable.h"
#include "bench/measure/shared_library.h"
#include "orvandel/sort_plugin.h"
#include "sorts/routine_table.h"

namespace {

// A table longer than this is more likely garbage than sorts.
constexpr std::uint32_t kMostTableSorts = 64;

// The spaces a name may not begin or end with, in UTF-8: ASCII's, the
// no-break space, the ideographic space, U+2000 to U+200B and the byte
// order mark.
bool IsSpaceAt(const std::string& name, bool atEnd) {
    static const char* const kSpaces[] = {" ", "\xc2\xa0", "\xe3\x80\x80", "\xef\xbb\xbf", "\xe2\x80\x80",
                                          "\xe2\x80\x81", "\xe2\x80\x82", "\xe2\x80\x83", "\xe2\x80\x84",
                                          "\xe2\x80\x85", "\xe2\x80\x86", "\xe2\x80\x87", "\xe2\x80\x88",
                                          "\xe2\x80\x89", "\xe2\x80\x8a", "\xe2\x80\x8b"};
    for (const std::string space : kSpaces)
        if (name.size() >= space.size() &&
            name.compare(atEnd ? name.size() - space.size() : 0, space.size(), space) == 0)
            return true;
    return false;
}

bool IsIdentifierStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool IsIdentifierChar(char c) {
    return IsIdentifierStart(c) || std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// Where the symbol after the ':' at colon ends, or npos when no C
// identifier follows it up to the end or an '='.
std::size_t SymbolEnd(const std::string& value, std::size_t colon) {
    std::size_t end = colon + 1;
    if (end == value.size() || !IsIdentifierStart(value[end])) return std::string::npos;
    while (end < value.size() && IsIdentifierChar(value[end])) ++end;
    return end == value.size() || value[end] == '=' ? end : std::string::npos;
}

std::string FileName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A value goes through the children's argument lists and into reports.
bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

bool IsTaken(const std::vector<Contender>& contenders, const std::string& name) {
    return std::any_of(contenders.begin(), contenders.end(), [&](const Contender& c) {
        return SameIgnoringCase(c.name.c_str(), name.c_str()) ||
               (!c.label.empty() && SameIgnoringCase(c.label.c_str(), name.c_str()));
    });
}

// A name that the reports can hold: 1 to kLongestSortName bytes, read
// without passing its end.
bool ReadName(const char* text, std::string& name) {
    if (text == nullptr) return false;
    const void* end = std::memchr(text, '\0', kLongestSortName + 1);
    if (end == nullptr || end == text) return false;
    name.assign(text, static_cast<const char*>(end));
    return true;
}

struct LoadedSort {
    std::string name;
    PluginSort sort;
};

using LoadedSorts = std::vector<LoadedSort>;

// The sorts of the library's table.
Result<LoadedSorts> ReadTable(const orvandel_sort_table& table) {
    if (table.abi_version != ORVANDEL_SORT_ABI_VERSION)
        return Refusal{ORVANDEL_SORT_TABLE_SYMBOL " has ABI version " + std::to_string(table.abi_version) +
                       ", this tool reads version " + std::to_string(ORVANDEL_SORT_ABI_VERSION)};
    if (table.sorts == nullptr) return Refusal{ORVANDEL_SORT_TABLE_SYMBOL " has a null sorts pointer"};
    if (table.count < 1 || table.count > kMostTableSorts)
        return Refusal{ORVANDEL_SORT_TABLE_SYMBOL " lists " + std::to_string(table.count) + " sorts, not 1 to " +
                       std::to_string(kMostTableSorts)};
    LoadedSorts sorts;
    for (std::uint32_t k = 0; k < table.count; ++k) {
        LoadedSort sort{"", table.sorts[k].sort};
        if (!ReadName(table.sorts[k].name, sort.name) || sort.sort == nullptr)
            return Refusal{ORVANDEL_SORT_TABLE_SYMBOL " entry " + std::to_string(k) + " needs a name of 1 to " +
                           std::to_string(kLongestSortName) + " bytes and a sort"};
        sorts.push_back(sort);
    }
    return sorts;
}

// The sorts of library that the parts of a value name.
Result<LoadedSorts> FindSorts(void* library, const LibraryParts& parts) {
    if (!parts.symbol.empty()) {
        const auto sort = reinterpret_cast<PluginSort>(FindSymbol(library, parts.symbol));
        if (sort == nullptr) return Refusal{"no exported symbol " + parts.symbol};
        return LoadedSorts{{parts.name.empty() ? parts.symbol : parts.name, sort}};
    }
    if (const void* table = FindSymbol(library, ORVANDEL_SORT_TABLE_SYMBOL))
        return ReadTable(*static_cast<const orvandel_sort_table*>(table));
    const auto sort = reinterpret_cast<PluginSort>(FindSymbol(library, ORVANDEL_SORT_SYMBOL));
    if (sort == nullptr) return Refusal{"exports neither " ORVANDEL_SORT_TABLE_SYMBOL " nor " ORVANDEL_SORT_SYMBOL};
    return LoadedSorts{{parts.name.empty() ? FileName(parts.path) : parts.name, sort}};
}

Check AddLibrary(const LibraryParts& parts, const std::string& value, const std::string& openAs,
                 std::vector<Contender>& contenders) {
    const Result<void*> library = OpenSharedLibrary(openAs);
    if (!library) return Refusal{library.why()};
    const Result<LoadedSorts> sorts = FindSorts(*library, parts);
    if (!sorts) return Refusal{sorts.why()};
    for (const LoadedSort& sort : *sorts) {
        const Check admitted = CheckNewSortName(sort.name, contenders);
        if (!admitted) return admitted;
        contenders.push_back(LoadedContender(sort.name, value, sort.sort));
    }
    return Passed{};
}

}  // namespace

LibraryParts SplitLibraryValue(const std::string& value) {
    for (std::size_t colon = value.find(':'); colon != std::string::npos; colon = value.find(':', colon + 1)) {
        const std::size_t end = SymbolEnd(value, colon);
        if (end == std::string::npos) continue;
        return {value.substr(0, colon), value.substr(colon + 1, end - colon - 1),
                end < value.size() ? value.substr(end + 1) : ""};
    }
    return {value, "", ""};
}

Result<LibraryParts> ParseLibraryValue(const std::string& value) {
    if (std::any_of(value.begin(), value.end(), IsControl)) return Refusal{"a value with control characters"};
    const LibraryParts parts = SplitLibraryValue(value);
    if (parts.path.empty()) return Refusal{"no library file before the ':'"};
    // "lib.so:" and "lib.so:=NAME" mean a symbol that was left out, far
    // more often than a file whose name ends so.
    if (parts.symbol.empty() && (value.back() == ':' || value.find(":=") != std::string::npos))
        return Refusal{"an empty SYMBOL after the ':' (name the sort's symbol, or give the file alone)"};
    const bool named = !parts.symbol.empty() && value.size() > parts.path.size() + 1 + parts.symbol.size();
    if (named && parts.name.empty()) return Refusal{"an empty NAME after the '='"};
    if (parts.name.empty()) return parts;
    const Check rule = CheckSortName(parts.name);
    if (!rule) return Refusal{"NAME is refused: " + rule.why()};
    return parts;
}

Check CheckSortName(const std::string& name) {
    if (name.empty()) return Refusal{"it is empty"};
    if (name.size() > kLongestSortName)
        return Refusal{"it has " + std::to_string(name.size()) + " bytes, more than " +
                       std::to_string(kLongestSortName)};
    if (Printable(name) != name)
        return Refusal{"it has control characters, bytes that are not UTF-8, marks that reorder text or "
                       "characters that show nothing"};
    if (IsSpaceAt(name, false) || IsSpaceAt(name, true)) return Refusal{"it begins or ends with a space"};
    return Passed{};
}

Check CheckNewSortName(const std::string& name, const std::vector<Contender>& contenders) {
    const Check rule = CheckSortName(name);
    if (!rule) return Refusal{"a sort's name is refused: " + rule.why() + "; give another with :SYMBOL=NAME"};
    if (IsTaken(contenders, name))
        return Refusal{"the name \"" + name + "\" is taken; give another with :SYMBOL=NAME"};
    return Passed{};
}

Contender LoadedContender(const std::string& name, const std::string& value, PluginSort sort) {
    Contender contender{name, "", nullptr, BoundForm::kExclusiveUpper, false};
    contender.notCounted = "a sort of your own: its comparisons happen out of sight";
    contender.plugin = sort;
    contender.library = value;
    return contender;
}

Check AddLibrarySort(const std::string& value, const std::string& openAs, std::vector<Contender>& contenders) {
    const Result<LibraryParts> parts = ParseLibraryValue(value);
    if (!parts) return Refusal{"--sort-library " + value + ": " + parts.why()};
    const Check added = AddLibrary(*parts, value, openAs, contenders);
    if (!added) return Refusal{"--sort-library " + value + ": " + added.why()};
    return Passed{};
}

Check AddLibrarySorts(const std::vector<std::string>& values, std::vector<Contender>& contenders) {
    for (const std::string& value : values) {
        const Check added = AddLibrarySort(value, SplitLibraryValue(value).path, contenders);
        if (!added) return added;
    }
    return Passed{};
}
