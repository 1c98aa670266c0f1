# Cross build for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads
# variant: std::thread and std::mutex need it).
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DQZ_WIN_DEPS=<prefixes of scripts/windows-deps>
#
# Everything links statically, so the executables need no DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QZ_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${QZ_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QZ_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${QZ_MINGW_TRIPLE}-windres)

# The prefixes of the libraries built for Windows, a list (scripts/windows-deps
# prints it): the one with wxWidgets, libpng, expat, GoogleTest and CLI11, and
# the one with SQLite and nlohmann-json. Packages are looked up in all of them.
set(QZ_WIN_DEPS "$ENV{QZ_WIN_DEPS}" CACHE STRING "Prefixes of the Windows libraries (a list)")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QZ_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH /usr/${QZ_MINGW_TRIPLE} ${QZ_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
foreach(qz_prefix IN LISTS QZ_WIN_DEPS)
    if(EXISTS ${qz_prefix}/bin/wx-config)
        set(wxWidgets_CONFIG_EXECUTABLE ${qz_prefix}/bin/wx-config CACHE FILEPATH "")
    endif()
endforeach()

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine (Debian's wine64 keeps its loader off PATH).
find_program(QZ_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(QZ_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QZ_WINE})
endif()
