# Cross build for Windows with mingw-w64; tests run under Wine. 64-bit with the posix-threads
# compilers by default; mingw-w64-i686.cmake first sets ZELVANE_MINGW_PROCESSOR to i686 for 32-bit
# Windows, ZELVANE_MINGW_THREADS to win32 (no winpthreads, which imports functions XP lacks) and
# ZELVANE_OLDEST_WINDOWS to XP's 0x0501.
if(NOT DEFINED ZELVANE_MINGW_PROCESSOR)
    set(ZELVANE_MINGW_PROCESSOR x86_64)
endif()
if(NOT DEFINED ZELVANE_MINGW_THREADS)
    set(ZELVANE_MINGW_THREADS posix)
endif()
if(NOT DEFINED ZELVANE_OLDEST_WINDOWS)
    set(ZELVANE_OLDEST_WINDOWS 0x0601)
endif()
# Read by CMakeLists.txt after project(): the toolchain file's variables reach it through the cache.
set(ZELVANE_OLDEST_WINDOWS ${ZELVANE_OLDEST_WINDOWS} CACHE STRING "Oldest Windows version the program runs on (_WIN32_WINNT)")
set(triplet ${ZELVANE_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZELVANE_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${triplet}-gcc-${ZELVANE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${triplet}-g++-${ZELVANE_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/wine/run.sh)
