# Writes one program as a single source file that compiles alone:
#
#   cmake -DSOURCE=file.cpp -DROOT=dir -DOUTPUT=out.cpp -DDEFINES=defines.txt
#         [-DVALIDATOR_MAIN=main.cpp] [-DDEPFILE=out.d] -P make_single_source.cmake
#
# Every #include "..." of a project header is replaced by the header's text,
# recursively; a header is looked up beside the file that includes it, then
# under ROOT, as the compiler does with ROOT as its include directory. A
# header holding "#pragma once" is inlined at its first inclusion only (the
# pragma itself is dropped: in a single file it would only draw a warning).
# Includes of the form <...> stay where they are. Includes are found by
# their text, not by preprocessing: one inside an #if block is inlined
# there, and counts as its header's first inclusion. Each inlined header is
# marked by a comment line at either end, so that the result reads like the
# sources it came from. Headers the build generates are looked up last,
# under GENERATED, where it is set.
#
# The file starts with a comment naming the source, then the lines of
# DEFINES (the #define lines of the definitions the build gives the program).
# With VALIDATOR_MAIN, the program's main is renamed validator_main and the
# text of VALIDATOR_MAIN, which defines the main that runs it, is appended.
# DEPFILE names a make-style file listing what the output was made from.

cmake_minimum_required(VERSION 3.20)

foreach(setting IN ITEMS SOURCE ROOT OUTPUT DEFINES)
  if(NOT DEFINED ${setting})
    message(FATAL_ERROR "make_single_source: ${setting} is not set")
  endif()
endforeach()

# The text of `file` with its project includes inlined, appended to the
# variable `text`; every file read is appended to the list `read`, every
# header marked "#pragma once" to the list `once`.
function(inline_file file shown_as depth)
  if(depth GREATER 64)
    message(FATAL_ERROR "make_single_source: includes nested too deeply at ${shown_as}")
  endif()
  file(READ "${file}" rest)
  list(APPEND read "${file}")
  # A #pragma once line is left empty, so that the lines keep their places.
  string(REGEX REPLACE "(^|\n)[ \t]*#[ \t]*pragma[ \t]+once[^\n]*" "\\1" rest "${rest}")
  get_filename_component(here "${file}" DIRECTORY)
  set(include_line "(^|\n)[ \t]*#[ \t]*include[ \t]*\"([^\"\n]+)\"[^\n]*")
  while(TRUE)
    string(REGEX MATCH "${include_line}" found "${rest}")
    if(found STREQUAL "")
      break()
    endif()
    set(name "${CMAKE_MATCH_2}")
    # Everything before the include line stays as it is, up to and with the
    # line break that ends the line before it.
    string(FIND "${rest}" "${found}" at)
    string(LENGTH "${CMAKE_MATCH_1}" break_length)
    math(EXPR kept "${at} + ${break_length}")
    string(SUBSTRING "${rest}" 0 ${kept} before)
    string(APPEND text "${before}")
    string(LENGTH "${found}" found_length)
    math(EXPR after "${at} + ${found_length}")
    string(SUBSTRING "${rest}" ${after} -1 rest)

    if(EXISTS "${here}/${name}" AND NOT IS_DIRECTORY "${here}/${name}")
      file(REAL_PATH "${here}/${name}" header)
    elseif(EXISTS "${ROOT}/${name}" AND NOT IS_DIRECTORY "${ROOT}/${name}")
      file(REAL_PATH "${ROOT}/${name}" header)
    elseif(DEFINED GENERATED AND EXISTS "${GENERATED}/${name}" AND NOT IS_DIRECTORY "${GENERATED}/${name}")
      file(REAL_PATH "${GENERATED}/${name}" header)
    else()
      message(FATAL_ERROR "make_single_source: ${shown_as}: cannot find \"${name}\"")
    endif()
    file(RELATIVE_PATH header_shown "${ROOT}" "${header}")
    if(DEFINED GENERATED AND header MATCHES "^${GENERATED}/")
      file(RELATIVE_PATH header_shown "${GENERATED}" "${header}")
      set(header_shown "${header_shown}, made by the build")
    endif()

    if(header IN_LIST once)
      string(APPEND text "// #include \"${name}\": ${header_shown}, inlined above")
    else()
      file(READ "${header}" header_text)
      if(header_text MATCHES "(^|\n)[ \t]*#[ \t]*pragma[ \t]+once")
        list(APPEND once "${header}")
      endif()
      string(APPEND text "// ---- ${header_shown} (#include \"${name}\") ----\n")
      math(EXPR deeper "${depth} + 1")
      inline_file("${header}" "${header_shown}" ${deeper})
      if(NOT text MATCHES "\n$")
        string(APPEND text "\n")
      endif()
      string(APPEND text "// ---- end of ${header_shown} ----")
    endif()
  endwhile()
  string(APPEND text "${rest}")
  set(text "${text}" PARENT_SCOPE)
  set(read "${read}" PARENT_SCOPE)
  set(once "${once}" PARENT_SCOPE)
endfunction()

file(REAL_PATH "${ROOT}" ROOT)
file(REAL_PATH "${SOURCE}" source)
file(RELATIVE_PATH source_shown "${ROOT}" "${source}")
get_filename_component(output_name "${OUTPUT}" NAME)
get_filename_component(program "${OUTPUT}" NAME_WE)

set(text "// ${output_name}: generated at build time from ${source_shown} and the project headers it includes; do not edit.\n")
string(APPEND text "// It compiles alone, as C++17 or C++20: g++ -O2 ${output_name} -o ${program}\n")
file(READ "${DEFINES}" defines)
if(NOT defines STREQUAL "")
  string(APPEND text "\n// The definitions the build gives this program.\n${defines}")
endif()
if(DEFINED VALIDATOR_MAIN)
  string(APPEND text "\n// The validator's main, run by the main at the end of this file.\n#define main validator_main\n")
endif()
string(APPEND text "\n// ---- ${source_shown} ----\n")

set(read "")
set(once "")
inline_file("${source}" "${source_shown}" 0)
if(NOT text MATCHES "\n$")
  string(APPEND text "\n")
endif()
string(APPEND text "// ---- end of ${source_shown} ----\n")

if(DEFINED VALIDATOR_MAIN)
  file(READ "${VALIDATOR_MAIN}" validator_main)
  string(APPEND text "\n#undef main\n\n${validator_main}")
  list(APPEND read "${VALIDATOR_MAIN}")
endif()

file(WRITE "${OUTPUT}" "${text}")

if(DEFINED DEPFILE)
  # One dependency a line; blanks in paths escaped as make reads them.
  list(REMOVE_DUPLICATES read)
  string(REPLACE " " "\\ " target "${OUTPUT}")
  set(rule "${target}:")
  foreach(file IN LISTS read)
    string(REPLACE " " "\\ " file "${file}")
    string(APPEND rule " \\\n  ${file}")
  endforeach()
  file(WRITE "${DEPFILE}" "${rule}\n")
endif()
