# The program's pictures and icon: drawing code, the native generator that writes the checked-in
# files, and the tests' sources. Included from the top-level CMakeLists.txt.
add_library(zelvane_pictures STATIC ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp)
target_include_directories(zelvane_pictures PUBLIC ${PROJECT_SOURCE_DIR})

# generate_pictures OUTDIR; refresh the checked-in files with `generate_pictures ui/pictures`.
if(NOT WIN32 OR NOT CMAKE_CROSSCOMPILING)
    add_executable(generate_pictures ${CMAKE_CURRENT_LIST_DIR}/generate_pictures.cpp)
    target_link_libraries(generate_pictures PRIVATE zelvane_pictures)
endif()

set(ZELVANE_PICTURES_TEST_SOURCES ${PROJECT_SOURCE_DIR}/tests/unit/pictures_test.cpp)
