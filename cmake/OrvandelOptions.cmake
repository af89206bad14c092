# Warnings for our own targets, and the sanitizer build.

function(orvandel_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /permissive-)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                                             -Wnon-virtual-dtor -Wold-style-cast)
  endif()
endfunction()

# Every program a single file that runs on a bare Windows machine, without
# the MinGW runtime DLLs beside it.
if(MINGW)
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(ORVANDEL_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Every function at 64 bytes and every loop at 32, in every target: where
# the linker happened to put the routines' code moved their figures by up
# to 10 % between two builds of the same code, and the independent
# harness, a binary of its own, from the tool's (docs/checking-figures.md).
if(NOT MSVC)
  set(ORVANDEL_CODE_ALIGNMENT -falign-functions=64 -falign-loops=32)
  add_compile_options(${ORVANDEL_CODE_ALIGNMENT})
endif()

# Compile options that fix a source file's optimisation level whatever the
# build type: the routines under test are measured as built here.
if(MSVC)
  set(ORVANDEL_FULL_OPTIMISATION /O2)
  set(ORVANDEL_NO_OPTIMISATION /Od)
else()
  set(ORVANDEL_FULL_OPTIMISATION -O3)
  set(ORVANDEL_NO_OPTIMISATION -O0)
endif()
# The plain routine, the one offered for improvement, is measured
# unoptimised; another value shows what the compiler alone does for it.
set(ORVANDEL_PLAIN_OPTIMISATION "${ORVANDEL_NO_OPTIMISATION}" CACHE STRING
    "Optimisation option of the plain Sedgewick routine")

# Keeps a call in tail position a call. The members that recurse on both
# sub-ranges must do so as built, instead of jumping back for the second
# one like their tail-iterating siblings. MSVC has no such switch.
if(MSVC)
  set(ORVANDEL_KEEP_TAIL_CALLS "")
else()
  set(ORVANDEL_KEEP_TAIL_CALLS -fno-optimize-sibling-calls)
endif()

# Coverage feedback for the fuzzer in everything it links.
if(ORVANDEL_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
