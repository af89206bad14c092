// Built without optimisation, as the int32_t form under "Optimise Me".
#include "sorts/typed_routines.h"

#include "sorts/element_order.h"
#include "sorts/sedgewick_steps.h"

template <typename T>
void SedgewickPlainRange(T* first, T* last) {
    SedgewickPlainSteps(first, 0, static_cast<std::int32_t>(last - first) - 1);
}

#define ORVANDEL_INSTANTIATE(T) template void SedgewickPlainRange<T>(T*, T*);
ORVANDEL_FOR_TYPED_ELEMENTS(ORVANDEL_INSTANTIATE)
