# The version as the program shows it: the minor number always in two digits,
# so that 2.3 reads "2.03" and 2.12 "2.12", as the title has read since the
# first release ("Tamrel Ver2.03").
function(tamrel_version_label out major minor)
  if(minor STREQUAL "")
    set(minor 0)
  endif()
  if(NOT major MATCHES "^[0-9]+$" OR NOT minor MATCHES "^[0-9]+$")
    message(FATAL_ERROR "the version ${major}.${minor} is not two numbers")
  endif()
  math(EXPR major "${major}")
  math(EXPR minor "${minor}")
  # Three digits would read as a different version: 2.100 after 2.99 would
  # sort and show like 2.10.
  if(minor GREATER 99)
    message(FATAL_ERROR "the minor version ${minor} does not fit the two digits of Ver${major}.NN")
  endif()
  if(minor LESS 10)
    set(minor "0${minor}")
  endif()
  set(${out} "${major}.${minor}" PARENT_SCOPE)
endfunction()
