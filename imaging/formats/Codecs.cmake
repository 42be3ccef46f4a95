# The image codecs of the formats library: they depend only on imaging/core
# and platform/core. The folder's CMakeLists.txt includes this file, builds
# the sources into imaging_formats and the tests into its test executable, and
# calls imaging_formats_codec_fuzzers() once imaging_formats exists.

set(codec_dir ${CMAKE_CURRENT_LIST_DIR})
set(IMAGING_FORMATS_CODEC_SOURCES
    ${codec_dir}/BmpRleDecode.cpp
    ${codec_dir}/BmpRleEncode.cpp
    ${codec_dir}/FaxCodeTables.cpp
    ${codec_dir}/FaxDecode.cpp
    ${codec_dir}/FaxEncode.cpp
    ${codec_dir}/GifLzwDecode.cpp
    ${codec_dir}/GifLzwEncode.cpp
    ${codec_dir}/TiffLzwDecode.cpp
    ${codec_dir}/TiffLzwEncode.cpp)
set(IMAGING_FORMATS_CODEC_TEST_SOURCES
    ${codec_dir}/tests/BmpRleTest.cpp
    ${codec_dir}/tests/CodecMalformedReplayTest.cpp
    ${codec_dir}/tests/FaxCodecTest.cpp
    ${codec_dir}/tests/FaxOracleTest.cpp
    ${codec_dir}/tests/GifLzwTest.cpp
    ${codec_dir}/tests/TiffLzwTest.cpp)

# With clang and IMAGING_LIBFUZZER, one libFuzzer target per decoder
# (scripts/fuzz-codecs builds and runs them).
function(imaging_formats_codec_fuzzers)
  if(NOT IMAGING_LIBFUZZER)
    return()
  endif()
  target_compile_options(imaging_formats PRIVATE -fsanitize=fuzzer-no-link)
  foreach(target giflzw:GifLzwFuzz fax:FaxFuzz tifflzw:TiffLzwFuzz bmprle:BmpRleFuzz)
    string(REPLACE ":" ";" parts ${target})
    list(GET parts 0 name)
    list(GET parts 1 source)
    add_executable(imaging_${name}_fuzz ${codec_dir}/fuzz/${source}.cpp)
    target_link_libraries(imaging_${name}_fuzz PRIVATE imaging_formats)
    target_compile_options(imaging_${name}_fuzz PRIVATE -fsanitize=fuzzer)
    target_link_options(imaging_${name}_fuzz PRIVATE -fsanitize=fuzzer)
  endforeach()
endfunction()
