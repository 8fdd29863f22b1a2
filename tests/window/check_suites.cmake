# Fails when the window suites found in the sources and the ones CMakeLists.txt
# runs differ: a suite without an entry would never run, and an entry without
# a suite would pass having run nothing.
# Usage: cmake -DSOURCE_DIR=DIR -DSUITES=A,B,... -P check_suites.cmake
cmake_minimum_required(VERSION 3.20)
string(REPLACE "," ";" listed "${SUITES}")
file(GLOB sources "${SOURCE_DIR}/*.cpp")
set(found)
foreach(source IN LISTS sources)
  file(STRINGS "${source}" lines REGEX "^[ \t]*(TEST|TEST_F|TEST_P|TYPED_TEST|TYPED_TEST_P)[ \t]*\\(")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*[A-Z_]+[ \t]*\\([ \t]*([A-Za-z0-9_]*).*" "\\1" suite "${line}")
    list(APPEND found "${suite}")
  endforeach()
endforeach()
list(REMOVE_DUPLICATES found)
list(SORT found)

set(missing)
foreach(suite IN LISTS found)
  if(NOT suite IN_LIST listed)
    list(APPEND missing "${suite}")
  endif()
endforeach()
set(stale)
foreach(suite IN LISTS listed)
  if(NOT suite IN_LIST found)
    list(APPEND stale "${suite}")
  endif()
endforeach()
list(LENGTH found count)
if(missing OR stale OR count EQUAL 0)
  message(FATAL_ERROR "window suites in ${SOURCE_DIR}: ${found}\n"
    "not run by tests/window/CMakeLists.txt (add them to WINDOW_SUITES): ${missing}\n"
    "listed but found in no source: ${stale}")
endif()
message(STATUS "${count} window suites, each with its test")
