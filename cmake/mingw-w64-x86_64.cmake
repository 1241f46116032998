# Cross build for 64-bit Windows with Debian's mingw-w64 toolchain. The posix
# thread model is needed: the default win32 one has no std::mutex or std::thread.
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static C and C++ run-times: the programs run on a machine (or under Wine)
# without the mingw DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test executables run under Wine; Debian keeps wine64 outside PATH.
find_program(SORVANE_WINE64 NAMES wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
find_program(SORVANE_WINE64 NAMES wine64 wine)
if(SORVANE_WINE64)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SORVANE_WINE64})
endif()
# Tests are listed when ctest runs, not after each link (each listing starts Wine).
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
