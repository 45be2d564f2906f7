# A table of cases for every program that is built.
foreach(program IN LISTS BIOFILTERS_PROGRAMS)
  if(TARGET ${program} AND EXISTS ${CMAKE_CURRENT_LIST_DIR}/${program}_test.cc)
    biofilters_program_test(${program})
  endif()
endforeach()
