#include "bench/measure/element_types.h"

#include <cmath>
#include <cstring>

const ElementTypeEntry kElementTypes[kElementTypeCount] = {
    {ElementType::kI32, "i32", "int32_t", sizeof(std::int32_t)},
    {ElementType::kU64, "u64", "uint64_t", sizeof(std::uint64_t)},
    {ElementType::kF64, "f64", "double", sizeof(double)},
    {ElementType::kString, "string", "orvandel_string", sizeof(orvandel_string) + kStringBytesAtMost},
    {ElementType::kRecord, "record", "orvandel_record", sizeof(orvandel_record)},
};

static_assert(sizeof(orvandel_record) == 64, "a record is 64 bytes, as the plug-in header writes it");

namespace {

// splitmix64's finaliser: every input bit reaches every output bit.
std::uint64_t Mix(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// The drawn value moved to unsigned with its order kept: the sign bit flipped.
std::uint32_t Ordered(std::int32_t drawn) {
    return static_cast<std::uint32_t>(drawn) ^ 0x80000000u;
}

std::int32_t Unordered(std::uint32_t ordered) {
    return static_cast<std::int32_t>(ordered ^ 0x80000000u);
}

// Digest of bytes, 8 at a time, seeded by their length.
std::uint64_t BytesHash(const void* bytes, std::size_t size) {
    const auto* from = static_cast<const unsigned char*>(bytes);
    std::uint64_t hash = Mix(size);
    for (std::size_t at = 0; at < size; at += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, from + at, size - at < 8 ? size - at : 8);
        hash = Mix(hash ^ word);
    }
    return hash;
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

}  // namespace

const ElementTypeEntry* FindElementType(const std::string& name) {
    for (const ElementTypeEntry& entry : kElementTypes)
        if (name == entry.name) return &entry;
    return nullptr;
}

const ElementTypeEntry& EntryOf(ElementType type) {
    for (const ElementTypeEntry& entry : kElementTypes)
        if (entry.type == type) return entry;
    return kElementTypes[0];
}

const char* ElementTypeName(ElementType type) {
    return EntryOf(type).name;
}

std::vector<std::string> ElementTypeNames() {
    std::vector<std::string> names;
    for (const ElementTypeEntry& entry : kElementTypes) names.push_back(entry.name);
    return names;
}

// The order in the upper half, a fixed mix of the value in the lower half.
std::uint64_t U64Of(std::int32_t drawn) {
    return (static_cast<std::uint64_t>(Ordered(drawn)) << 32) | (Mix(Ordered(drawn)) >> 32);
}

// The value plus a fraction below one half, exact in a double: never NaN,
// never -0 (0 becomes +0 or more).
double F64Of(std::int32_t drawn) {
    return static_cast<double>(drawn) + static_cast<double>(Mix(Ordered(drawn)) >> 47) / 262144.0;
}

orvandel_string StringOf(std::int32_t drawn, char*& bytes) {
    char* const start = bytes;
    std::memcpy(bytes, "orvandel", kStringPrefixBytes);
    bytes += kStringPrefixBytes;
    const std::uint32_t ordered = Ordered(drawn);
    for (int shift = 28; shift >= 0; shift -= 4) *bytes++ = kHexDigits[(ordered >> shift) & 0xf];
    std::uint64_t stream = Mix(ordered);
    const auto tail = static_cast<std::size_t>(stream % 17);
    for (std::size_t k = 0; k < tail; ++k) {
        stream = Mix(stream);
        *bytes++ = static_cast<char>(stream >> 56);
    }
    return {start, static_cast<std::size_t>(bytes - start)};
}

// The key of the u64 map, and a payload derived from the key alone.
orvandel_record RecordOf(std::int32_t drawn) {
    orvandel_record record{};
    record.key = U64Of(drawn);
    std::uint64_t stream = record.key;
    for (std::size_t at = 0; at < sizeof record.payload; at += 8) {
        stream = Mix(stream);
        std::memcpy(record.payload + at, &stream, 8);
    }
    return record;
}

std::int32_t DrawnValueOf(std::int32_t element) {
    return element;
}

std::int32_t DrawnValueOf(std::uint64_t element) {
    return Unordered(static_cast<std::uint32_t>(element >> 32));
}

std::int32_t DrawnValueOf(double element) {
    const double whole = std::floor(element);
    return whole >= -2147483648.0 && whole <= 2147483647.0 ? static_cast<std::int32_t>(whole) : 0;
}

std::int32_t DrawnValueOf(const orvandel_string& element) {
    std::uint32_t ordered = 0;
    for (std::size_t k = kStringPrefixBytes; k < kStringPrefixBytes + 8 && k < element.size; ++k) {
        const char* digit = std::strchr(kHexDigits, element.bytes[k]);
        ordered = ordered << 4 | static_cast<std::uint32_t>(digit != nullptr && *digit != '\0' ? digit - kHexDigits : 0);
    }
    return Unordered(ordered);
}

std::int32_t DrawnValueOf(const orvandel_record& element) {
    return DrawnValueOf(element.key);
}

std::uint64_t ContentHash(std::int32_t element) {
    return Mix(static_cast<std::uint32_t>(element));
}

std::uint64_t ContentHash(std::uint64_t element) {
    return Mix(element);
}

std::uint64_t ContentHash(double element) {
    return BytesHash(&element, sizeof element);
}

std::uint64_t ContentHash(const orvandel_string& element) {
    return BytesHash(element.bytes, element.size);
}

std::uint64_t ContentHash(const orvandel_record& element) {
    return BytesHash(&element, sizeof element);
}
