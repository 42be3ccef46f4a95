# The compressed streams of the imaging formats library: their sources, their
# tests and their libFuzzer target. The library's CMakeLists.txt includes this
# file, adds the sources to imaging_formats and the tests to its test
# executable, and calls add_zstream_fuzz_target() when IMAGING_LIBFUZZER is on.
set(IMAGING_FORMATS_ZSTREAM_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QkZStreamErrors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QkZCompressionStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QkZDecompressionStream.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QkInflateBuffer.cpp)
set(IMAGING_FORMATS_ZSTREAM_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/tests/ZStreamsTest.cpp)

find_package(ZLIB REQUIRED)

# scripts/fuzz-zstreams builds and runs it.
function(add_zstream_fuzz_target)
  add_executable(imaging_zstream_fuzz ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/fuzz/ZStreamsFuzz.cpp)
  target_link_libraries(imaging_zstream_fuzz PRIVATE imaging_formats)
  target_compile_options(imaging_zstream_fuzz PRIVATE -fsanitize=fuzzer)
  target_link_options(imaging_zstream_fuzz PRIVATE -fsanitize=fuzzer)
endfunction()
