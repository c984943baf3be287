# Cross build for 32-bit Windows with mingw-w64; its tests run under Wine's 32-bit side.
# The 32-bit program runs on Windows XP SP3 and later. The win32-threads compilers link no threads
# library: the program starts no thread.
set(ZELVANE_MINGW_PROCESSOR i686)
set(ZELVANE_MINGW_THREADS win32)
set(ZELVANE_OLDEST_WINDOWS 0x0501)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
