// The element types the console tool sorts, one table of them, and how a
// cell's values become elements of each. Every type's draw is made from the
// cell's int32_t draw by a map that keeps the order and keeps equal values
// equal, so a shape means the same order and the same duplicates in every
// type, and a deterministic comparison sort makes the same comparisons on
// each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "orvandel/sort_plugin.h"

enum class ElementType : std::uint32_t {
    kI32 = ORVANDEL_I32,
    kU64 = ORVANDEL_U64,
    kF64 = ORVANDEL_F64,
    kString = ORVANDEL_STRING,
    kRecord = ORVANDEL_RECORD,
};

struct ElementTypeEntry {
    ElementType type;
    const char* name;     // as --type and every report name it
    const char* element;  // the C type a sort of it receives
    // Bytes one value takes in a sorted copy, the bytes a string's view
    // points at included.
    std::uint64_t bytes;
};

constexpr int kElementTypeCount = 5;
extern const ElementTypeEntry kElementTypes[kElementTypeCount];

// The entry named name, or nullptr.
const ElementTypeEntry* FindElementType(const std::string& name);
const ElementTypeEntry& EntryOf(ElementType type);
const char* ElementTypeName(ElementType type);

// The names of all types, in table order.
std::vector<std::string> ElementTypeNames();

// A string's bytes, at most: a shared prefix, the value in fixed-width
// hexadecimal, then up to 16 bytes derived from it.
constexpr std::size_t kStringPrefixBytes = 8;
constexpr std::size_t kStringBytesAtMost = kStringPrefixBytes + 8 + 16;

// The element that the drawn value becomes. A string's bytes are written at
// bytes, which moves past them: the caller owns the room.
std::uint64_t U64Of(std::int32_t drawn);
double F64Of(std::int32_t drawn);
orvandel_string StringOf(std::int32_t drawn, char*& bytes);
orvandel_record RecordOf(std::int32_t drawn);

// The drawn value an element was made from, as far as it shows it (a
// record's key, a string's hexadecimal digits): what a failed values check
// names.
std::int32_t DrawnValueOf(std::int32_t element);
std::int32_t DrawnValueOf(std::uint64_t element);
std::int32_t DrawnValueOf(double element);
std::int32_t DrawnValueOf(const orvandel_string& element);
std::int32_t DrawnValueOf(const orvandel_record& element);

// A 64-bit digest of an element's content, every bit of it: a string's
// bytes and length, a record's key and payload. Two elements alike in order
// but not in content (a record whose payload left its key) differ in it.
std::uint64_t ContentHash(std::int32_t element);
std::uint64_t ContentHash(std::uint64_t element);
std::uint64_t ContentHash(double element);
std::uint64_t ContentHash(const orvandel_string& element);
std::uint64_t ContentHash(const orvandel_record& element);

// The C++ type of each element type, for code written once over them.
template <typename T>
struct ElementOf;
template <> struct ElementOf<std::int32_t> { static constexpr ElementType type = ElementType::kI32; };
template <> struct ElementOf<std::uint64_t> { static constexpr ElementType type = ElementType::kU64; };
template <> struct ElementOf<double> { static constexpr ElementType type = ElementType::kF64; };
template <> struct ElementOf<orvandel_string> { static constexpr ElementType type = ElementType::kString; };
template <> struct ElementOf<orvandel_record> { static constexpr ElementType type = ElementType::kRecord; };

template <typename T>
struct TypeTag {
    using type = T;
};

// Calls work(TypeTag<T>{}) with T the C++ type of type, and returns what it
// returns.
template <typename Work>
auto WithElementType(ElementType type, Work work) {
    switch (type) {
        case ElementType::kU64: return work(TypeTag<std::uint64_t>{});
        case ElementType::kF64: return work(TypeTag<double>{});
        case ElementType::kString: return work(TypeTag<orvandel_string>{});
        case ElementType::kRecord: return work(TypeTag<orvandel_record>{});
        case ElementType::kI32: break;
    }
    return work(TypeTag<std::int32_t>{});
}
