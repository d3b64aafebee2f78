# GoogleTest: the installed libraries natively; for the cross build, built
# from the sources that Debian's googletest package puts in /usr/src.
if(POMARELO_TESTS AND NOT POMARELO_FUZZ)
  if(CMAKE_CROSSCOMPILING)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Newer googletest sources define the namespaced alias themselves.
    if(NOT TARGET GTest::gtest_main)
      add_library(GTest::gtest_main ALIAS gtest_main)
    endif()
  else()
    find_package(GTest REQUIRED)
  endif()
endif()

# pomarelo_add_test(NAME sources... [LIBS libs...] [LABELS labels...])
# One test program, run by ctest as one test (natively, or under Wine
# through CMAKE_CROSSCOMPILING_EMULATOR).
function(pomarelo_add_test name)
  cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    POMARELO_PNGSUITE_DIR="${POMARELO_PNGSUITE_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900 LABELS "${ARG_LABELS}")
endfunction()
