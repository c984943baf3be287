# The program's pictures and icon: drawing code, the native generator that writes the checked-in
# files, and the tests' sources. Included from the top-level CMakeLists.txt.
add_library(zelvane_pictures STATIC ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp)
target_include_directories(zelvane_pictures PUBLIC ${PROJECT_SOURCE_DIR})
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^i[3-6]86$" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # The x87 keeps intermediate results in 80 bits, which rounds differently; SSE2 rounds every
    # step to a double, as the 64-bit builds do. Only the tests draw with this code.
    target_compile_options(zelvane_pictures PRIVATE -msse2 -mfpmath=sse)
endif()

# generate_pictures OUTDIR; refresh the checked-in files with `generate_pictures ui/pictures`.
if(NOT WIN32 OR NOT CMAKE_CROSSCOMPILING)
    add_executable(generate_pictures ${CMAKE_CURRENT_LIST_DIR}/generate_pictures.cpp)
    target_link_libraries(generate_pictures PRIVATE zelvane_pictures)
endif()

set(ZELVANE_PICTURES_TEST_SOURCES ${PROJECT_SOURCE_DIR}/tests/unit/pictures_test.cpp)
