# cmake -DSOURCE_DIR=... -P test_version_label.cmake: the version as users
# read it, from the project's VERSION, and the versions it must refuse.
cmake_minimum_required(VERSION 3.25)
include(${SOURCE_DIR}/cmake/version_label.cmake)

# Run again by this script for each version that must stop the configuration.
if(DEFINED REFUSE)
  tamrel_version_label(label "${MAJOR}" "${MINOR}")
  return()
endif()

# major:minor:expected
foreach(c "2:3:2.03" "2:12:2.12" "2:0:2.00" "3::3.00" "2:09:2.09" "10:99:10.99")
  string(REPLACE ":" ";" fields "${c}")
  list(GET fields 0 major)
  list(GET fields 1 minor)
  list(GET fields 2 expected)
  tamrel_version_label(label "${major}" "${minor}")
  if(NOT label STREQUAL expected)
    message(SEND_ERROR "${major}.${minor} reads \"${label}\", not \"${expected}\"")
  endif()
endforeach()

# Three digits would read like another version (2.100 as 2.10); a letter is
# no version at all.
foreach(bad "2:100" "2:3a" "x:3")
  string(REPLACE ":" ";" fields "${bad}")
  list(GET fields 0 major)
  list(GET fields 1 minor)
  execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${SOURCE_DIR} -DREFUSE=1
                          -DMAJOR=${major} -DMINOR=${minor} -P ${CMAKE_CURRENT_LIST_FILE}
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
  if(status EQUAL 0)
    message(SEND_ERROR "${major}.${minor} was taken")
  endif()
endforeach()
