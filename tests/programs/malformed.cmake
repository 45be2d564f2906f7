# Malformed input run through every program end to end.
add_executable(malformed_test programs/malformed_test.cc)
target_link_libraries(malformed_test PRIVATE program_runner GTest::gtest_main)
foreach(program IN LISTS BIOFILTERS_PROGRAMS)
  if(TARGET ${program})
    add_dependencies(malformed_test ${program})
  endif()
endforeach()
add_test(NAME malformed_test COMMAND malformed_test)
# The programs keep their records until exit on purpose.
set_tests_properties(malformed_test PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0")
