#include "tests/support/sort_checks.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <sstream>

namespace {

constexpr std::int32_t kGuardCount = 3;
// A guard sorted in by mistake would travel: the large ones sit before the
// range, the small ones after it.
constexpr std::int32_t kGuardBefore = INT32_MAX;
constexpr std::int32_t kGuardAfter = INT32_MIN;

std::string Describe(const RoutineEntry& entry, const char* what,
                     const std::vector<std::int32_t>& values) {
    std::ostringstream out;
    out << entry.caption << ": " << what << " for input {";
    for (const std::int32_t value : values) out << ' ' << value;
    out << " }";
    return out.str();
}

std::string CheckGuarded(const RoutineEntry& entry, const std::vector<std::int32_t>& values,
                         const std::vector<std::int32_t>& expected) {
    const auto n = static_cast<std::int32_t>(values.size());
    std::vector<std::int32_t> slots(kGuardCount, kGuardBefore);
    slots.insert(slots.end(), values.begin(), values.end());
    slots.insert(slots.end(), kGuardCount, kGuardAfter);
    entry.routine(slots.data(), kGuardCount, UpperBound(entry.bounds, kGuardCount + n));
    for (std::int32_t k = 0; k < kGuardCount; ++k)
        if (slots[k] != kGuardBefore || slots[kGuardCount + n + k] != kGuardAfter)
            return Describe(entry, "guard slot changed", values);
    if (!std::equal(expected.begin(), expected.end(), slots.begin() + kGuardCount))
        return Describe(entry, "wrong order", values);
    return {};
}

std::string CheckExactBlock(const RoutineEntry& entry, const std::vector<std::int32_t>& values,
                            const std::vector<std::int32_t>& expected) {
    const auto n = static_cast<std::int32_t>(values.size());
    if (n == 0) return {};
    auto block = std::make_unique<std::int32_t[]>(values.size());
    std::copy(values.begin(), values.end(), block.get());
    entry.routine(block.get(), 0, UpperBound(entry.bounds, n));
    if (!std::equal(expected.begin(), expected.end(), block.get()))
        return Describe(entry, "wrong order in an exact block", values);
    return {};
}

}  // namespace

std::string CheckRoutineSorts(const RoutineEntry& entry, const std::vector<std::int32_t>& values) {
    std::vector<std::int32_t> expected = values;
    std::sort(expected.begin(), expected.end());
    std::string fault = CheckGuarded(entry, values, expected);
    return fault.empty() ? CheckExactBlock(entry, values, expected) : fault;
}
