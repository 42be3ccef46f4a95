# The image codecs of the formats library: they depend only on imaging/core
# and platform/core. The folder's CMakeLists.txt includes this file, builds
# the sources into imaging_formats and the tests into its test executable.

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
    ${codec_dir}/tests/FaxCodecTest.cpp
    ${codec_dir}/tests/FaxOracleTest.cpp
    ${codec_dir}/tests/GifLzwTest.cpp
    ${codec_dir}/tests/TiffLzwTest.cpp)
