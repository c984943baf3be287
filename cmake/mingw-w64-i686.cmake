# Cross build for 32-bit Windows with mingw-w64; its tests run under Wine's 32-bit side.
set(ZELVANE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
