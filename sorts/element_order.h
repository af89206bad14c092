// The orders of the element types beyond the integers, so that the routines'
// steps, written over any slot type, and the library sorts compare them as
// they compare numbers.
#pragma once

#include <cstring>

#include "orvandel/sort_plugin.h"

// Bytes compared as unsigned, a prefix before every longer string.
inline bool operator<(const orvandel_string& a, const orvandel_string& b) {
    const std::size_t common = a.size < b.size ? a.size : b.size;
    const int order = common == 0 ? 0 : std::memcmp(a.bytes, b.bytes, common);
    return order != 0 ? order < 0 : a.size < b.size;
}

inline bool operator>(const orvandel_string& a, const orvandel_string& b) {
    return b < a;
}

// By key alone: records with equal keys may end in any order.
inline bool operator<(const orvandel_record& a, const orvandel_record& b) {
    return a.key < b.key;
}

inline bool operator>(const orvandel_record& a, const orvandel_record& b) {
    return b.key < a.key;
}
