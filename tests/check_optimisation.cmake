# Reads from the build's compile commands the optimisation level each routine
# file was compiled with: the plain routine, the baseline under "Optimise Me",
# unoptimised, the files of the four others fully optimised. Every test sorts
# correctly at any level, so only the commands themselves show a plain
# routine that the compiler has already improved.
#
#   cmake -DCOMMANDS=<compile_commands.json> -DPLAIN=<file> -DPLAIN_LEVEL=<-O0>
#         -DFULL=<file|file...> -DFULL_LEVEL=<-O3> -P check_optimisation.cmake
#
# The level is the last whole-level option on the command line, the one the
# compiler obeys: -O, -O0 ... -O3, -Os, -Oz, -Og, -Ofast, or MSVC's /O1, /O2,
# /Ox, /Od (either with / or -). MSVC's finer /Ob, /Oi, /Oy are not levels.
cmake_minimum_required(VERSION 3.25)
if(NOT COMMANDS OR NOT EXISTS "${COMMANDS}")
  message("skipped: this generator writes no compile commands to read")
  return()
endif()
file(READ "${COMMANDS}" json)
string(JSON entries LENGTH "${json}")

# level_<file>: the levels of every command that compiles the file, in the
# order of the commands.
string(REPLACE "|" ";" full "${FULL}")
set(checked "${PLAIN};${full}")
if(entries GREATER 0)
  math(EXPR last "${entries} - 1")
  foreach(k RANGE ${last})
    string(JSON file GET "${json}" ${k} file)
    file(TO_CMAKE_PATH "${file}" file)
    if(NOT file IN_LIST checked)
      continue()
    endif()
    # Ninja and Makefiles write "command"; the format also allows "arguments".
    string(JSON command ERROR_VARIABLE no_command GET "${json}" ${k} command)
    if(no_command)
      string(JSON count LENGTH "${json}" ${k} arguments)
      math(EXPR count "${count} - 1")
      set(arguments "")
      foreach(a RANGE ${count})
        string(JSON argument GET "${json}" ${k} arguments ${a})
        list(APPEND arguments "${argument}")
      endforeach()
    else()
      separate_arguments(arguments NATIVE_COMMAND "${command}")
    endif()
    set(level "none")
    foreach(argument IN LISTS arguments)
      if(argument MATCHES "^-O([0-3sgz]|fast)?$" OR argument MATCHES "^[-/]O[12xd]$")
        set(level "${argument}")
      endif()
    endforeach()
    list(APPEND level_${file} "${level}")
  endforeach()
endif()

set(wrong "")
foreach(file IN LISTS checked)
  if(file STREQUAL PLAIN)
    set(expected "${PLAIN_LEVEL}")
    set(why " (set by the cache variable ORVANDEL_PLAIN_OPTIMISATION)")
  else()
    set(expected "${FULL_LEVEL}")
    set(why "")
  endif()
  if(NOT DEFINED level_${file})
    list(APPEND wrong "${file}: no compile command in ${COMMANDS}")
    continue()
  endif()
  foreach(level IN LISTS level_${file})
    message("${file}: ${level}, expected ${expected}")
    if(NOT level STREQUAL expected)
      list(APPEND wrong "${file} is compiled with ${level}, not ${expected}${why}")
    endif()
  endforeach()
endforeach()
if(wrong)
  list(JOIN wrong "\n" wrong)
  message(FATAL_ERROR "${wrong}")
endif()
