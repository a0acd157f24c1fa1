# Cross build for 64-bit Windows with Debian's MinGW-w64 (posix threads
# flavour), test programs run under wine.
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DVK_WIN_DEPS=/path/to/cache/prefix
#
# VK_WIN_DEPS (or the environment variable of that name) is the folder into
# which scripts/windows.sh installs the cross-built SQLite and GoogleTest;
# find_package and find_library look there and in the MinGW sysroot only.
# Programs are linked statically: a velmarkon.exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VK_MINGW_TRIPLET}-windres)

# The dependency folder reaches try_compile projects through the environment.
if(NOT VK_WIN_DEPS AND DEFINED ENV{VK_WIN_DEPS})
  set(VK_WIN_DEPS "$ENV{VK_WIN_DEPS}")
endif()
if(VK_WIN_DEPS)
  set(ENV{VK_WIN_DEPS} "${VK_WIN_DEPS}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VK_WIN_DEPS)

set(CMAKE_FIND_ROOT_PATH /usr/${VK_MINGW_TRIPLET} ${VK_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests start the test programs through wine. The
# caller sets WINEPREFIX (a writable prefix) and WINEDEBUG=-all.
find_program(VK_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VK_WINE})
endif()

# Static programs. -static alone is not enough: a library linked in between
# -Wl,-Bstatic ... -Wl,-Bdynamic (CMake's FindODBC does that on MinGW) leaves
# the linker in dynamic mode for the libraries g++ adds at the end, and
# libstdc++ becomes a DLL again. The override file makes the link line end in
# static mode.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_USER_MAKE_RULES_OVERRIDE ${CMAKE_CURRENT_LIST_DIR}/mingw-w64-static-end.cmake)
