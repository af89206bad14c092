# Counts in the built objects how often each routine's code calls itself:
# once for the tail members (the left sub-range; they iterate on the right
# one), twice for the unrolled and plain members, which recurse on both. An
# optimiser that turned the second call into a jump would make an unrolled
# member iterate like its tail sibling and change what is measured.
#
#   cmake -DOBJDUMP=<objdump> -DOBJECTS=<a.o|b.o|...> -P check_self_calls.cmake
#
# A routine's code is its own function or, where the routine only passes its
# arguments on, the one function of these objects it calls or jumps to.
cmake_minimum_required(VERSION 3.25)
if(NOT OBJDUMP OR NOT EXISTS "${OBJDUMP}")
  message("skipped: this toolchain has no objdump to read its objects with")
  return()
endif()
string(REPLACE "|" ";" objects "${OBJECTS}")
execute_process(COMMAND "${OBJDUMP}" -dr --no-show-raw-insn ${objects}
                OUTPUT_VARIABLE dump RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} could not read ${objects}")
endif()
string(REPLACE ";" "" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

# For each function F: call_F and jmp_F list the functions it calls and
# jumps to, named by the instruction or, where the object leaves the address
# to the linker, by the relocation on the line after it.
set(functions "")
set(pending "")
foreach(line IN LISTS lines)
  if(pending)
    if(line MATCHES "^[ \t]+[0-9a-f]+: [A-Z][A-Z0-9_]*[ \t]+([^ \t+-]+)")
      list(APPEND ${pending}_${function} "${CMAKE_MATCH_1}")
    elseif(shown)
      list(APPEND ${pending}_${function} "${shown}")
    endif()
    set(pending "")
  endif()
  if(line MATCHES "^[0-9a-f]+ <([^>]+)>:$")
    set(function "${CMAKE_MATCH_1}")
    list(APPEND functions "${function}")
  elseif(line MATCHES "\t(call|jmp)[a-z]* +[0-9a-f]+ <([^>]+)>$")
    set(pending "${CMAKE_MATCH_1}")
    set(shown "${CMAKE_MATCH_2}")
    if(shown MATCHES "\\+0x")  # inside a function: not a function of its own
      set(shown "")
    endif()
  endif()
endforeach()

set(wrong "")
foreach(expectation IN ITEMS FirstPivotSortTail=1 FirstPivotSortUnrolled=2 SedgewickSortTail=1
                             SedgewickSortUnrolled=2 SedgewickSortPlain=2)
  string(REPLACE "=" ";" expectation "${expectation}")
  list(GET expectation 0 routine)
  list(GET expectation 1 expected)
  # (std::int32_t*, std::int32_t, std::int32_t) under the Itanium C++ ABI;
  # 32-bit Windows puts an underscore before every symbol.
  string(LENGTH "${routine}" length)
  set(symbols ${functions})
  list(FILTER symbols INCLUDE REGEX "^_?_Z${length}${routine}Piii$")
  set(code "${symbols}")
  if(NOT code IN_LIST call_${code})
    set(passed "")
    foreach(target IN LISTS call_${code} jmp_${code})
      if(target IN_LIST functions AND NOT target IN_LIST passed)
        list(APPEND passed "${target}")
      endif()
    endforeach()
    set(code "${passed}")
  endif()
  list(LENGTH code found)
  if(NOT found EQUAL 1)
    list(APPEND wrong "${routine}: no code of its own found (${code})")
    continue()
  endif()
  set(calls 0)
  foreach(target IN LISTS call_${code})
    if(target STREQUAL code)
      math(EXPR calls "${calls} + 1")
    endif()
  endforeach()
  message("${routine}: ${calls} self-calls in ${code}, expected ${expected}")
  if(NOT calls EQUAL expected)
    list(APPEND wrong "${routine} calls itself ${calls} times, not ${expected}")
  endif()
endforeach()
if(wrong)
  list(JOIN wrong "\n" wrong)
  message(FATAL_ERROR "${wrong}")
endif()
