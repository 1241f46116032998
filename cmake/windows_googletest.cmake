# GoogleTest for a cross build: the host's libgtest cannot link into Windows
# programs, so the test framework is compiled here from /usr/src/googletest.
set(SORVANE_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (libgtest-dev)")
if(NOT EXISTS ${SORVANE_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "${SORVANE_GOOGLETEST_SOURCE}: no GoogleTest sources; install libgtest-dev")
endif()
enable_language(C)
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/googletest ${CMAKE_BINARY_DIR}/googletest)
# GoogleTest 1.11 and later name its targets GTest::... itself.
foreach(name gtest gtest_main gmock gmock_main)
  if(NOT TARGET GTest::${name})
    add_library(GTest::${name} ALIAS ${name})
  endif()
endforeach()
list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/windows)
