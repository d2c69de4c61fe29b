# Cross-compiling for 64-bit Windows with Debian's mingw-w64 compilers (the POSIX thread model, which
# std::thread and Qt need). PELORIN_WIN_PREFIX names the folder the Windows libraries are installed in.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELORIN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PELORIN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELORIN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${PELORIN_MINGW}-windres)
set(CMAKE_AR ${PELORIN_MINGW}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PELORIN_MINGW}-ranlib CACHE FILEPATH "")

if(NOT PELORIN_WIN_PREFIX AND DEFINED ENV{PELORIN_WIN_PREFIX})
    set(PELORIN_WIN_PREFIX $ENV{PELORIN_WIN_PREFIX})
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELORIN_WIN_PREFIX)
set(CMAKE_FIND_ROOT_PATH ${PELORIN_WIN_PREFIX} /usr/${PELORIN_MINGW})
# Programs run on the build machine; libraries and headers come only from the Windows folders.
# Packages may come from both: Qt's cross build finds its host tools through the host's Qt.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
