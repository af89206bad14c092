// The five routines over every element type the console tool sorts besides
// the window's int32_t: the same steps (sorts/*_steps.h), instantiated for
// the type, each over the half-open range first ... last - 1. The window's
// own routines stay in their files; these are built with the same
// optimisation as their int32_t forms, the plain member without any.
#pragma once

#include <cstdint>

#include "orvandel/sort_plugin.h"

template <typename T>
void FirstPivotTailRange(T* first, T* last);
template <typename T>
void FirstPivotUnrolledRange(T* first, T* last);
template <typename T>
void SedgewickTailRange(T* first, T* last);
template <typename T>
void SedgewickUnrolledRange(T* first, T* last);
template <typename T>
void SedgewickPlainRange(T* first, T* last);

// The types they are built for (typed_routines.cpp, typed_routines_plain.cpp).
#define ORVANDEL_FOR_TYPED_ELEMENTS(apply) \
    apply(std::uint64_t) apply(double) apply(orvandel_string) apply(orvandel_record)
