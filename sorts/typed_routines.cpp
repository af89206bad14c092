#include "sorts/typed_routines.h"

#include "sorts/element_order.h"
#include "sorts/first_pivot_steps.h"
#include "sorts/sedgewick_steps.h"

// The exclusive members sort lo ... hi - 1, the inclusive ones l ... r.
template <typename T>
void FirstPivotTailRange(T* first, T* last) {
    FirstPivotTailSteps(first, 0, static_cast<std::int32_t>(last - first));
}

template <typename T>
void FirstPivotUnrolledRange(T* first, T* last) {
    FirstPivotUnrolledSteps(first, 0, static_cast<std::int32_t>(last - first));
}

template <typename T>
void SedgewickTailRange(T* first, T* last) {
    SedgewickTailSteps(first, 0, static_cast<std::int32_t>(last - first) - 1);
}

template <typename T>
void SedgewickUnrolledRange(T* first, T* last) {
    SedgewickUnrolledSteps(first, 0, static_cast<std::int32_t>(last - first) - 1);
}

#define ORVANDEL_INSTANTIATE(T)                              \
    template void FirstPivotTailRange<T>(T*, T*);            \
    template void FirstPivotUnrolledRange<T>(T*, T*);        \
    template void SedgewickTailRange<T>(T*, T*);             \
    template void SedgewickUnrolledRange<T>(T*, T*);
ORVANDEL_FOR_TYPED_ELEMENTS(ORVANDEL_INSTANTIATE)
