# add_single_source(NAME SOURCE file [DEFINITIONS def...] [INPUT_VALIDATOR]):
# the program built from SOURCE as one source file that compiles alone,
# share/exercise-suite/sources/NAME.cpp in the build folder, made at build
# time and installed. The project headers SOURCE includes are inlined (see
# make_single_source.cmake), and the definitions the program would get from
# the build (the `common` target's, this folder's, then DEFINITIONS) open
# the file as #define lines. With INPUT_VALIDATOR, SOURCE is a validator and
# the file builds the input validator of a problem package: exit status 42
# for a case the validator accepts with --strict, 43 otherwise.
#
# The target that makes the file, NAME-single-source, is in ALL; the global
# property SUITE_SINGLE_SOURCES lists every NAME.

set(SINGLE_SOURCE_DIR ${CMAKE_BINARY_DIR}/share/exercise-suite/sources)
set(SINGLE_SOURCE_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/make_single_source.cmake)
set(SINGLE_SOURCE_VALIDATOR_MAIN ${CMAKE_CURRENT_LIST_DIR}/input_validator_main.cpp)

function(add_single_source name)
  cmake_parse_arguments(ARG "INPUT_VALIDATOR" "SOURCE" "DEFINITIONS" ${ARGN})
  if(NOT ARG_SOURCE)
    message(FATAL_ERROR "add_single_source(${name}): SOURCE is required")
  endif()
  get_filename_component(source ${ARG_SOURCE} ABSOLUTE)
  set(output ${SINGLE_SOURCE_DIR}/${name}.cpp)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/single_source)

  # As the compiler is given them: NAME alone defines NAME as 1.
  get_target_property(common_definitions common INTERFACE_COMPILE_DEFINITIONS)
  if(NOT common_definitions)
    set(common_definitions "")
  endif()
  get_directory_property(folder_definitions COMPILE_DEFINITIONS)
  set(defines "")
  foreach(definition IN LISTS common_definitions folder_definitions ARG_DEFINITIONS)
    if(definition MATCHES "^([^=]+)=(.*)$")
      string(APPEND defines "#define ${CMAKE_MATCH_1} ${CMAKE_MATCH_2}\n")
    else()
      string(APPEND defines "#define ${definition} 1\n")
    endif()
  endforeach()
  # Written only when it changes, so that a new configuration alone does not
  # make the file again.
  file(GENERATE OUTPUT ${work}/${name}.defines CONTENT "${defines}")

  set(validator_main "")
  set(depends ${source} ${SINGLE_SOURCE_SCRIPT} ${work}/${name}.defines)
  if(ARG_INPUT_VALIDATOR)
    set(validator_main -DVALIDATOR_MAIN=${SINGLE_SOURCE_VALIDATOR_MAIN})
    list(APPEND depends ${SINGLE_SOURCE_VALIDATOR_MAIN})
  endif()
  file(RELATIVE_PATH shown ${CMAKE_BINARY_DIR} ${output})
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DSOURCE=${source} -DROOT=${PROJECT_SOURCE_DIR} -DGENERATED=${CMAKE_BINARY_DIR}/generated
            -DOUTPUT=${output}
            -DDEFINES=${work}/${name}.defines ${validator_main} -DDEPFILE=${work}/${name}.d
            -P ${SINGLE_SOURCE_SCRIPT}
    DEPENDS ${depends}
    DEPFILE ${work}/${name}.d
    COMMENT "Writing ${shown}"
    VERBATIM)
  add_custom_target(${name}-single-source ALL DEPENDS ${output})
  install(FILES ${output} DESTINATION share/exercise-suite/sources)
  set_property(GLOBAL APPEND PROPERTY SUITE_SINGLE_SOURCES ${name})
endfunction()
