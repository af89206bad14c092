// The form shared by the routines under test.
#pragma once

#include <cstdint>

// Sorts slots lo ... hi of the array at slots in place, ascending under
// signed comparison. Whether hi itself is sorted depends on the routine's
// bound form.
using SortRoutine = void (*)(std::int32_t* slots, std::int32_t lo, std::int32_t hi);

enum class BoundForm {
    kExclusiveUpper,  // sorts lo ... hi - 1
    kInclusiveUpper,  // sorts lo ... hi
};

// The upper bound that makes a routine of the given form sort up to and
// including slot count - 1, and not one slot further.
constexpr std::int32_t UpperBound(BoundForm form, std::int32_t count) {
    return form == BoundForm::kExclusiveUpper ? count : count - 1;
}
