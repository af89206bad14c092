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

// The sorts of the library's table, or false with error set.
bool ReadTable(const orvandel_sort_table& table, std::vector<LoadedSort>& sorts, std::string& error) {
    if (table.abi_version != ORVANDEL_SORT_ABI_VERSION) {
        error = ORVANDEL_SORT_TABLE_SYMBOL " has ABI version " + std::to_string(table.abi_version) +
                ", this tool reads version " + std::to_string(ORVANDEL_SORT_ABI_VERSION);
        return false;
    }
    if (table.sorts == nullptr) {
        error = ORVANDEL_SORT_TABLE_SYMBOL " has a null sorts pointer";
        return false;
    }
    if (table.count < 1 || table.count > kMostTableSorts) {
        error = ORVANDEL_SORT_TABLE_SYMBOL " lists " + std::to_string(table.count) + " sorts, not 1 to " +
                std::to_string(kMostTableSorts);
        return false;
    }
    for (std::uint32_t k = 0; k < table.count; ++k) {
        LoadedSort sort{"", table.sorts[k].sort};
        if (!ReadName(table.sorts[k].name, sort.name) || sort.sort == nullptr) {
            error = ORVANDEL_SORT_TABLE_SYMBOL " entry " + std::to_string(k) +
                    " needs a name of 1 to " + std::to_string(kLongestSortName) + " bytes and a sort";
            return false;
        }
        sorts.push_back(sort);
    }
    return true;
}

// The sorts of library that the parts of a value name, or false with error set.
bool FindSorts(void* library, const LibraryParts& parts, std::vector<LoadedSort>& sorts, std::string& error) {
    if (!parts.symbol.empty()) {
        const auto sort = reinterpret_cast<PluginSort>(FindSymbol(library, parts.symbol));
        if (sort == nullptr) error = "no exported symbol " + parts.symbol;
        else sorts.push_back({parts.name.empty() ? parts.symbol : parts.name, sort});
        return sort != nullptr;
    }
    if (const void* table = FindSymbol(library, ORVANDEL_SORT_TABLE_SYMBOL))
        return ReadTable(*static_cast<const orvandel_sort_table*>(table), sorts, error);
    const auto sort = reinterpret_cast<PluginSort>(FindSymbol(library, ORVANDEL_SORT_SYMBOL));
    if (sort == nullptr) error = "exports neither " ORVANDEL_SORT_TABLE_SYMBOL " nor " ORVANDEL_SORT_SYMBOL;
    else sorts.push_back({parts.name.empty() ? FileName(parts.path) : parts.name, sort});
    return sort != nullptr;
}

bool AddLibrary(const LibraryParts& parts, const std::string& value, const std::string& openAs,
                std::vector<Contender>& contenders, std::string& error) {
    void* library = OpenSharedLibrary(openAs, error);
    std::vector<LoadedSort> sorts;
    if (library == nullptr || !FindSorts(library, parts, sorts, error)) return false;
    for (const LoadedSort& sort : sorts) {
        const std::string fault = NameFault(sort.name);
        if (!fault.empty()) {
            error = "a sort's name is refused: " + fault + "; give another with :SYMBOL=NAME";
            return false;
        }
        if (IsTaken(contenders, sort.name)) {
            error = "the name \"" + sort.name + "\" is taken; give another with :SYMBOL=NAME";
            return false;
        }
        contenders.push_back(LoadedContender(sort.name, value, sort.sort));
    }
    return true;
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
    const bool named = !parts.symbol.empty() && value.size() > parts.path.size() + 1 + parts.symbol.size();
    if (named && parts.name.empty()) return Refusal{"an empty NAME after the '='"};
    const std::string fault = parts.name.empty() ? "" : NameFault(parts.name);
    if (!fault.empty()) return Refusal{"NAME is refused: " + fault};
    return parts;
}

std::string NameFault(const std::string& name) {
    if (name.empty()) return "it is empty";
    if (name.size() > kLongestSortName)
        return "it has " + std::to_string(name.size()) + " bytes, more than " + std::to_string(kLongestSortName);
    if (Printable(name) != name) return "it has control characters, bytes that are not UTF-8 or marks that reorder text";
    if (IsSpaceAt(name, false) || IsSpaceAt(name, true)) return "it begins or ends with a space";
    return "";
}

Contender LoadedContender(const std::string& name, const std::string& value, PluginSort sort) {
    Contender contender{name, "", nullptr, BoundForm::kExclusiveUpper, false};
    contender.notCounted = "a sort of your own: its comparisons happen out of sight";
    contender.plugin = sort;
    contender.library = value;
    return contender;
}

bool AddLibrarySort(const std::string& value, const std::string& openAs, std::vector<Contender>& contenders,
                    std::string& error) {
    const Result<LibraryParts> parts = ParseLibraryValue(value);
    if (!parts || !AddLibrary(*parts, value, openAs, contenders, error)) {
        error = "--sort-library " + value + ": " + (parts ? error : parts.why());
        return false;
    }
    return true;
}

bool AddLibrarySorts(const std::vector<std::string>& values, std::vector<Contender>& contenders,
                     std::string& error) {
    return std::all_of(values.begin(), values.end(), [&](const std::string& value) {
        return AddLibrarySort(value, SplitLibraryValue(value).path, contenders, error);
    });
}
