# Cross-compiles for 64-bit Windows from Debian with MinGW-w64. `make windows` passes this file as
# CMAKE_TOOLCHAIN_FILE; the packages it names are installed by scripts/install-deps.sh.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_prefix x86_64-w64-mingw32)

# The posix-thread variant of the compilers: only it gives std::thread, std::mutex and
# std::condition_variable, which the collection core uses; the win32-thread variant lacks them.
set(CMAKE_C_COMPILER ${mingw_prefix}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_prefix}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_prefix}-windres)
# CMake guesses the binutils from the compiler's name, which the "-posix" ending defeats; the
# release archive's stripping needs the one that knows Windows programs.
set(CMAKE_AR ${mingw_prefix}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${mingw_prefix}-ranlib CACHE FILEPATH "")
set(CMAKE_STRIP ${mingw_prefix}-strip CACHE FILEPATH "")
set(CMAKE_OBJDUMP ${mingw_prefix}-objdump CACHE FILEPATH "")

# Libraries and headers come from the MinGW-w64 tree only, never from the Linux system; programs
# run at build time (code generators) still come from the Linux system.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The built programs are Windows programs: CMake runs them (tests, test discovery) through Wine,
# by a script that gives every run the build's own Wine prefix and quiet settings.
get_filename_component(catalog_wine_script ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine.sh ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${catalog_wine_script} run ${CMAKE_BINARY_DIR}/wineprefix)
