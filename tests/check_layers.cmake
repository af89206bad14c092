# Fails when a source file includes from a folder it may not use: each
# folder uses only itself and the folders below it, so the layering the
# tree shows is the one the code has.
#   cmake -DSOURCE_DIR=<repository> -P check_layers.cmake

# Folder, then the folders it may include from besides itself.
cmake_minimum_required(VERSION 3.25)

# orvandel/: the public plug-in header under include/.
set(below_bench "sorts|core|platform|orvandel")
set(layers
  "platform"
  "core|platform"
  "sorts|core|platform|orvandel"
  "ui|sorts|core|platform"
  "bench|bench/app|bench/suite|bench/measure|${below_bench}"
  "bench/stats"
  "bench/measure|bench/stats|${below_bench}"
  "bench/suite|bench/measure|bench/stats|${below_bench}"
  "bench/report|bench/measure|bench/stats|${below_bench}"
  "bench/compare|bench/report|bench/measure|bench/stats|${below_bench}"
  "bench/export|bench/compare|bench/report|bench/measure|bench/stats|${below_bench}"
  "bench/app|bench/export|bench/compare|bench/report|bench/suite|bench/measure|bench/stats|${below_bench}")

set(faults "")
set(checked 0)
set(folders "")
foreach(layer IN LISTS layers)
  string(REGEX REPLACE "\\|.*" "" folder "${layer}")
  list(APPEND folders ${folder})
endforeach()
# A folder of the console tool that the table leaves out is a fault too.
file(GLOB concerns LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/bench/*)
foreach(concern IN LISTS concerns)
  if(IS_DIRECTORY ${SOURCE_DIR}/${concern} AND NOT concern IN_LIST folders)
    string(APPEND faults "  ${concern}/ has no place in the layering\n")
  endif()
endforeach()
foreach(layer IN LISTS layers)
  string(REPLACE "|" ";" allowed "${layer}")
  list(GET allowed 0 folder)
  file(GLOB sources ${SOURCE_DIR}/${folder}/*.h ${SOURCE_DIR}/${folder}/*.cpp)
  foreach(source IN LISTS sources)
    math(EXPR checked "${checked} + 1")
    file(STRINGS ${source} includes REGEX "^#include \"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^#include \"([^\"]*)\".*" "\\1" path "${line}")
      # The include's folder: bench/<concern> inside the console tool,
      # the first component elsewhere.
      string(REGEX MATCH "^bench/[a-z_]+/" target "${path}")
      if(NOT target)
        string(REGEX MATCH "^[a-z_]+/" target "${path}")
      endif()
      string(REGEX REPLACE "/$" "" target "${target}")
      if(target AND NOT target IN_LIST allowed)
        file(RELATIVE_PATH where ${SOURCE_DIR} ${source})
        string(APPEND faults "  ${where} includes ${path}: ${folder} may use ${layer}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(checked EQUAL 0)
  message(FATAL_ERROR "no sources found under ${SOURCE_DIR}")
endif()
if(faults)
  message(FATAL_ERROR "includes against the layering:\n${faults}")
endif()
message(STATUS "${checked} files include only from their own folder and those below it")
