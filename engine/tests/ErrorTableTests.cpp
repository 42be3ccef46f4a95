#include <gtest/gtest.h>

#include <cerrno>
#include <string>

extern "C" {
#include <libavutil/error.h>
}

#include "engine/libavutil_error.h"

namespace {

struct TErrorCase {
    int32_t Code;
    const char* Message;
};

class ErrorTableTest : public testing::TestWithParam<TErrorCase> {};

TEST_P(ErrorTableTest, NamesTheCodesOfTheLoadedFFmpeg)
{
    const char* message = FindErrorMessage(GetParam().Code);
    ASSERT_NE(message, nullptr);
    EXPECT_STREQ(message, GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(
    FFmpegCodes, ErrorTableTest,
    testing::Values(TErrorCase{AVERROR_BSF_NOT_FOUND, "Bitstream filter not found"},
                    TErrorCase{AVERROR_BUG, "Internal bug, should not have happened"},
                    TErrorCase{AVERROR_BUG2, "Internal bug, should not have happened"},
                    TErrorCase{AVERROR_BUFFER_TOO_SMALL, "Buffer too small"},
                    TErrorCase{AVERROR_DECODER_NOT_FOUND, "Decoder not found"},
                    TErrorCase{AVERROR_DEMUXER_NOT_FOUND, "Demuxer not found"},
                    TErrorCase{AVERROR_ENCODER_NOT_FOUND, "Encoder not found"}, TErrorCase{AVERROR_EOF, "End of file"},
                    TErrorCase{AVERROR_EXIT, "Immediate exit requested"},
                    TErrorCase{AVERROR_EXTERNAL, "Generic error in an external library"},
                    TErrorCase{AVERROR_FILTER_NOT_FOUND, "Filter not found"},
                    TErrorCase{AVERROR_INVALIDDATA, "Invalid data found when processing input"},
                    TErrorCase{AVERROR_MUXER_NOT_FOUND, "Muxer not found"},
                    TErrorCase{AVERROR_OPTION_NOT_FOUND, "Option not found"},
                    TErrorCase{AVERROR_PATCHWELCOME, "Not yet implemented in FFmpeg, patches welcome"},
                    TErrorCase{AVERROR_PROTOCOL_NOT_FOUND, "Protocol not found"},
                    TErrorCase{AVERROR_STREAM_NOT_FOUND, "Stream not found"},
                    TErrorCase{AVERROR_UNKNOWN, "Unknown error occurred"},
                    TErrorCase{AVERROR_EXPERIMENTAL,
                               "Requested feature is flagged experimental. Set "
                               "strict_std_compliance if you really want to use it."}));

INSTANTIATE_TEST_SUITE_P(
    SystemCodes, ErrorTableTest,
    testing::Values(TErrorCase{AVERROR(ENOENT), "No such file or directory"},
                    TErrorCase{AVERROR(EINTR), "Interrupted function call"},
                    TErrorCase{-10004, "Interrupted function call"},
                    TErrorCase{AVERROR(EAGAIN), "Resource temporarily unavailable / Try again"},
                    TErrorCase{AVERROR(ENOMEM), "Not enough space / Out of memory"},
                    TErrorCase{AVERROR(EINVAL), "Invalid argument / Invalid data found when processing input"},
                    TErrorCase{-10022, "Invalid argument / Invalid data found when processing input"},
                    TErrorCase{AVERROR(EPIPE), "Broken pipe"}, TErrorCase{AVERROR(ENAMETOOLONG), "File name too long"},
                    TErrorCase{AVERROR(ENOSYS), "Function not implemented"},
                    TErrorCase{AVERROR(ELOOP), "Too many symbolic links encountered"},
                    TErrorCase{AVERROR(ETIMEDOUT), "Connection timed out"},
                    TErrorCase{AVERROR(ECONNREFUSED), "Connection refused"},
                    TErrorCase{AVERROR(ENOTRECOVERABLE), "State not recoverable"}, TErrorCase{-10035, "WSAEWOULDBLOCK"},
                    TErrorCase{-10112, "WSAEREFUSED"}));

TEST(ErrorTable, UnknownCodesHaveNoRow)
{
    EXPECT_EQ(FindErrorMessage(-41), nullptr);
    EXPECT_EQ(FindErrorMessage(0), nullptr);
    EXPECT_EQ(FindErrorMessage(AVERROR_INPUT_CHANGED), nullptr);
}

} // namespace
