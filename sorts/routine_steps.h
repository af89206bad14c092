// Each routine under test is written once, as a template over the slot
// type: the product instantiates it for std::int32_t, the tests for slots
// that record every comparison and exchange. The templates have internal
// linkage, so the file built without optimisation gets its own copy.
#pragma once

#include <cstdint>

// A member's template is the routine's code. It calls itself, so the
// optimiser sees its recursion as recursion, and it is kept out of line, so
// that the routine's loops and self-calls are one function of their own
// and the product routine only passes its arguments on to it. Without this
// the optimiser inlines the template into the product routine and then into
// itself, and the code no longer looks like the algorithm.
#if defined(_MSC_VER)
#define ORVANDEL_ROUTINE_STEPS __declspec(noinline)
#define ORVANDEL_ALWAYS_INLINE __forceinline
#else
#define ORVANDEL_ROUTINE_STEPS __attribute__((noinline))
#define ORVANDEL_ALWAYS_INLINE inline __attribute__((always_inline))
#endif

// Told of every call of a member, its own recursive calls included, first
// thing in the call. The product's watch does nothing, even where the file
// is built without optimisation; the tests record the calls to see the
// recursion.
struct NoWatch {
    static ORVANDEL_ALWAYS_INLINE void Enter(std::int32_t, std::int32_t) {}
};
