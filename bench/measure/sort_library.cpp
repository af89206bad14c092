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

// Where the C identifier from at ends: at itself when none starts there.
std::size_t IdentifierEnd(const std::string& value, std::size_t at) {
    if (at == value.size() || !IsIdentifierStart(value[at])) return at;
    while (at < value.size() && IsIdentifierChar(value[at])) ++at;
    return at;
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

std::size_t IndexOf(ElementType type) {
    return static_cast<std::size_t>(type);
}

// The symbol a library without a table exports its sort of each element
// type under, by ElementType.
constexpr const char* kTypeSymbols[kElementTypeCount] = {ORVANDEL_SORT_SYMBOL, ORVANDEL_SORT_U64_SYMBOL,
                                                          ORVANDEL_SORT_F64_SYMBOL, ORVANDEL_SORT_STRING_SYMBOL,
                                                          ORVANDEL_SORT_RECORD_SYMBOL};

// names as a refusal lists them: "a, b, c".
template <typename Names>
std::string Listed(const Names& names) {
    std::string list;
    for (const auto& name : names) list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

// The element type a symbol of parts sorts: the one after its '@', or i32.
ElementType SymbolType(const LibraryParts& parts) {
    return parts.type.empty() ? ElementType::kI32 : FindElementType(parts.type)->type;
}

struct LoadedSort {
    std::string name;
    PluginSorts sorts{};
};

using LoadedSorts = std::vector<LoadedSort>;

std::vector<ElementType> TypesOf(const PluginSorts& sorts) {
    std::vector<ElementType> types;
    for (const ElementTypeEntry& entry : kElementTypes)
        if (sorts[IndexOf(entry.type)] != nullptr) types.push_back(entry.type);
    return types;
}

std::string EntryText(std::uint32_t k) {
    return ORVANDEL_SORT_TABLE_SYMBOL " entry " + std::to_string(k);
}

Refusal NoNameOrSort(std::uint32_t k) {
    return Refusal{EntryText(k) + " needs a name of 1 to " + std::to_string(kLongestSortName) + " bytes and a sort"};
}

// What the tables of both versions must hold: entries, 1 to kMostTableSorts.
Check CheckTableSize(std::uint32_t count, const void* sorts) {
    if (sorts == nullptr) return Refusal{ORVANDEL_SORT_TABLE_SYMBOL " has a null sorts pointer"};
    if (count < 1 || count > kMostTableSorts)
        return Refusal{ORVANDEL_SORT_TABLE_SYMBOL " lists " + std::to_string(count) + " sorts, not 1 to " +
                       std::to_string(kMostTableSorts)};
    return Passed{};
}

// The sorts of a table of version 1, each of int32_t.
Result<LoadedSorts> ReadPlainTable(const orvandel_sort_table& table) {
    const Check size = CheckTableSize(table.count, table.sorts);
    if (!size) return Refusal{size.why()};
    LoadedSorts sorts;
    for (std::uint32_t k = 0; k < table.count; ++k) {
        LoadedSort sort;
        if (!ReadName(table.sorts[k].name, sort.name) || table.sorts[k].sort == nullptr) return NoNameOrSort(k);
        sort.sorts[IndexOf(ElementType::kI32)] = reinterpret_cast<AnySort>(table.sorts[k].sort);
        sorts.push_back(sort);
    }
    return sorts;
}

// The member of a typed entry's union that its type names; the type is
// one of them.
AnySort SortOfEntry(const orvandel_typed_sort_entry& entry) {
    switch (static_cast<ElementType>(entry.type)) {
        case ElementType::kI32: return reinterpret_cast<AnySort>(entry.sort.i32);
        case ElementType::kU64: return reinterpret_cast<AnySort>(entry.sort.u64);
        case ElementType::kF64: return reinterpret_cast<AnySort>(entry.sort.f64);
        case ElementType::kString: return reinterpret_cast<AnySort>(entry.sort.string);
        case ElementType::kRecord: return reinterpret_cast<AnySort>(entry.sort.record);
    }
    return nullptr;
}

// Adds entry k of a typed table to the sort of its name, the first entry
// of a name making a new one.
Check AddTypedEntry(const orvandel_typed_sort_entry& entry, std::uint32_t k, LoadedSorts& sorts) {
    if (entry.type >= static_cast<std::uint32_t>(kElementTypeCount))
        return Refusal{EntryText(k) + " has type " + std::to_string(entry.type) +
                       ", not an orvandel_element_type (0 to " + std::to_string(kElementTypeCount - 1) + ")"};
    const auto type = static_cast<ElementType>(entry.type);
    const AnySort sort = SortOfEntry(entry);
    std::string name;
    if (!ReadName(entry.name, name) || sort == nullptr) return NoNameOrSort(k);
    auto same = std::find_if(sorts.begin(), sorts.end(), [&](const LoadedSort& s) { return s.name == name; });
    if (same == sorts.end()) same = sorts.insert(sorts.end(), LoadedSort{name, {}});
    AnySort& slot = same->sorts[IndexOf(type)];
    if (slot != nullptr)
        return Refusal{EntryText(k) + " gives \"" + name + "\" a second sort of " + ElementTypeName(type)};
    slot = sort;
    return Passed{};
}

// The sorts of a table of version 2: one of each name, of its entries' types.
Result<LoadedSorts> ReadTypedTable(const orvandel_typed_sort_table& table) {
    const Check size = CheckTableSize(table.count, table.sorts);
    if (!size) return Refusal{size.why()};
    LoadedSorts sorts;
    for (std::uint32_t k = 0; k < table.count; ++k) {
        const Check added = AddTypedEntry(table.sorts[k], k, sorts);
        if (!added) return Refusal{added.why()};
    }
    return sorts;
}

// The table at symbol, read as the version its first field says.
Result<LoadedSorts> ReadTable(const void* symbol) {
    const std::uint32_t version = *static_cast<const std::uint32_t*>(symbol);
    if (version == ORVANDEL_SORT_ABI_VERSION) return ReadPlainTable(*static_cast<const orvandel_sort_table*>(symbol));
    if (version == ORVANDEL_TYPED_SORT_ABI_VERSION)
        return ReadTypedTable(*static_cast<const orvandel_typed_sort_table*>(symbol));
    return Refusal{ORVANDEL_SORT_TABLE_SYMBOL " has ABI version " + std::to_string(version) +
                   ", this tool reads versions " + std::to_string(ORVANDEL_SORT_ABI_VERSION) + " and " +
                   std::to_string(ORVANDEL_TYPED_SORT_ABI_VERSION)};
}

// The one sort of a library without a table: orvandel_sort and kin, of
// each type it exports.
Result<LoadedSorts> ReadExports(void* library, const std::string& name) {
    LoadedSort sort{name, {}};
    for (std::size_t k = 0; k < sort.sorts.size(); ++k)
        sort.sorts[k] = reinterpret_cast<AnySort>(FindSymbol(library, kTypeSymbols[k]));
    if (TypesOf(sort.sorts).empty())
        return Refusal{"exports neither " ORVANDEL_SORT_TABLE_SYMBOL " nor any of " + Listed(kTypeSymbols)};
    return LoadedSorts{sort};
}

// The sorts of library that the parts of a value name.
Result<LoadedSorts> FindSorts(void* library, const LibraryParts& parts) {
    if (!parts.symbol.empty()) {
        LoadedSort named{parts.name.empty() ? parts.symbol : parts.name, {}};
        AnySort& sort = named.sorts[IndexOf(SymbolType(parts))];
        sort = reinterpret_cast<AnySort>(FindSymbol(library, parts.symbol));
        if (sort == nullptr) return Refusal{"no exported symbol " + parts.symbol};
        return LoadedSorts{named};
    }
    if (const void* table = FindSymbol(library, ORVANDEL_SORT_TABLE_SYMBOL)) return ReadTable(table);
    return ReadExports(library, parts.name.empty() ? FileName(parts.path) : parts.name);
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
        contenders.push_back(LoadedContender(sort.name, value, TypesOf(sort.sorts), &sort.sorts));
    }
    return Passed{};
}

}  // namespace

LibraryParts SplitLibraryValue(const std::string& value) {
    for (std::size_t colon = value.find(':'); colon != std::string::npos; colon = value.find(':', colon + 1)) {
        const std::size_t symbolEnd = IdentifierEnd(value, colon + 1);
        const bool typed = symbolEnd < value.size() && value[symbolEnd] == '@';
        const std::size_t end = typed ? IdentifierEnd(value, symbolEnd + 1) : symbolEnd;
        if (symbolEnd == colon + 1 || (end < value.size() && value[end] != '=')) continue;
        return {value.substr(0, colon), value.substr(colon + 1, symbolEnd - colon - 1),
                typed ? value.substr(symbolEnd + 1, end - symbolEnd - 1) : "",
                end < value.size() ? value.substr(end + 1) : ""};
    }
    return {value, "", "", ""};
}

Result<LibraryParts> ParseLibraryValue(const std::string& value) {
    if (std::any_of(value.begin(), value.end(), IsControl)) return Refusal{"a value with control characters"};
    const LibraryParts parts = SplitLibraryValue(value);
    if (parts.path.empty()) return Refusal{"no library file before the ':'"};
    // "lib.so:", "lib.so:=NAME" and "lib.so:@TYPE" mean a symbol that was
    // left out, far more often than a file whose name ends so.
    if (parts.symbol.empty() && (value.back() == ':' || value.find(":=") != std::string::npos ||
                                 value.find(":@") != std::string::npos))
        return Refusal{"an empty SYMBOL after the ':' (name the sort's symbol, or give the file alone)"};
    if (parts.symbol.empty()) return parts;
    // What follows the symbol: "@TYPE", "=NAME", both or neither.
    std::size_t at = parts.path.size() + 1 + parts.symbol.size();
    if (at < value.size() && value[at] == '@') {
        if (FindElementType(parts.type) == nullptr)
            return Refusal{"unknown TYPE \"" + parts.type + "\" after the '@' (the types: " +
                           Listed(ElementTypeNames()) + ")"};
        at += 1 + parts.type.size();
    }
    if (at == value.size()) return parts;
    if (parts.name.empty()) return Refusal{"an empty NAME after the '='"};
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

Contender LoadedContender(const std::string& name, const std::string& value, const std::vector<ElementType>& types,
                          const PluginSorts* sorts) {
    Contender contender{name, "", nullptr, BoundForm::kExclusiveUpper, false};
    contender.notCounted = "a sort of your own: its comparisons happen out of sight";
    contender.library = value;
    const auto sortOf = [&](ElementType type) { return sorts == nullptr ? nullptr : (*sorts)[IndexOf(type)]; };
    const auto notSorted = [&](ElementType type) {
        return std::find(types.begin(), types.end(), type) != types.end()
                   ? std::string()
                   : std::string("its library exports no sort of ") + ElementTypeName(type);
    };
    contender.plugin = reinterpret_cast<PluginSort>(sortOf(ElementType::kI32));
    contender.notSortedI32 = notSorted(ElementType::kI32);
    contender.typed = ForEachType([&](auto& typed) {
        using T = ElementOfSort<decltype(typed)>;
        typed.sort = reinterpret_cast<RangeSort<T>>(sortOf(ElementOf<T>::type));
        typed.notSorted = notSorted(ElementOf<T>::type);
    });
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
