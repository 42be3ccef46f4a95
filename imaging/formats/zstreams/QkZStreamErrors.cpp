// The shared pieces of the compressed streams: zlib's result texts and the
// base stream's bookkeeping of the underlying stream.

#include "imaging/formats/zstreams/QkZStreams.h"

#include <array>

std::string ZlibErrorText(int result)
{
    static constexpr std::array<const char*, 10> Texts = {
        "need dictionary",
        "stream end",
        "",
        "file error",
        "stream error",
        "data error",
        "insufficient memory",
        "buffer error",
        "incompatible version",
        "",
    };
    const int index = 2 - result;
    if (index < 0 || index >= static_cast<int>(Texts.size()))
        return std::string();
    return Texts[static_cast<size_t>(index)];
}

TCustomZStream::TCustomZStream(TStream& stream) : FStream(stream), FStreamPos(stream.Position()) {}

void TCustomZStream::DoProgress()
{
    if (OnProgress)
        OnProgress(this);
}

void TCustomZStream::RestoreStreamPosition()
{
    if (FStream.Position() != FStreamPos)
        FStream.SetPosition(FStreamPos);
}
