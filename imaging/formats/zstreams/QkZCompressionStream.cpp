// The deflating stream: bytes written to it leave for the destination in
// 64 KB blocks of zlib data.

#include "imaging/formats/zstreams/QkZStreams.h"

#include <algorithm>
#include <array>
#include <climits>

namespace {

constexpr std::array<int, 4> LevelOfIndex = {Z_NO_COMPRESSION, Z_BEST_SPEED, Z_DEFAULT_COMPRESSION, Z_BEST_COMPRESSION};

int Checked(int result)
{
    if (result < 0)
        throw EZCompressionError(ZlibErrorText(result));
    return result;
}

} // namespace

TZCompressionStream::TZCompressionStream(TStream& destination, int levelIndex) : TCustomZStream(destination)
{
    if (levelIndex < 0 || levelIndex >= static_cast<int>(LevelOfIndex.size()))
        throw EZCompressionError(ZlibErrorText(Z_STREAM_ERROR));
    FZRec.next_out = FBuffer;
    FZRec.avail_out = ZStreamBufferSize;
    Checked(deflateInit(&FZRec, LevelOfIndex[static_cast<size_t>(levelIndex)]));
}

TZCompressionStream::~TZCompressionStream()
{
    try {
        Finish();
    } catch (const Exception&) {
        // Destruction cannot report; callers who care call Finish first.
    }
    deflateEnd(&FZRec);
}

int64_t TZCompressionStream::Read(void*, int64_t) { throw EZCompressionError("Invalid ZStream operation!"); }

int64_t TZCompressionStream::Write(const void* buffer, int64_t count)
{
    if (FFinished)
        throw EZCompressionError("Invalid ZStream operation!");
    const auto* input = static_cast<const Bytef*>(buffer);
    int64_t remaining = std::max<int64_t>(count, 0);
    RestoreStreamPosition();
    while (remaining > 0) {
        // zlib counts its input in 32 bits.
        const uInt piece = static_cast<uInt>(std::min<int64_t>(remaining, INT_MAX));
        FZRec.next_in = const_cast<Bytef*>(input);
        FZRec.avail_in = piece;
        while (FZRec.avail_in > 0) {
            Checked(deflate(&FZRec, Z_NO_FLUSH));
            if (FZRec.avail_out == 0) {
                FStream.WriteBuffer(FBuffer, ZStreamBufferSize);
                FZRec.next_out = FBuffer;
                FZRec.avail_out = ZStreamBufferSize;
                RecordStreamPosition();
                DoProgress();
            }
        }
        input += piece;
        remaining -= piece;
    }
    return count;
}

int64_t TZCompressionStream::Seek(int64_t, TSeekOrigin) { return static_cast<int64_t>(FZRec.total_in); }

void TZCompressionStream::Finish()
{
    if (FFinished)
        return;
    FFinished = true;
    FZRec.next_in = nullptr;
    FZRec.avail_in = 0;
    RestoreStreamPosition();
    while (Checked(deflate(&FZRec, Z_FINISH)) != Z_STREAM_END)
        WriteBufferedOutput();
    WriteBufferedOutput();
}

void TZCompressionStream::WriteBufferedOutput()
{
    const size_t used = ZStreamBufferSize - FZRec.avail_out;
    if (used > 0)
        FStream.WriteBuffer(FBuffer, static_cast<int64_t>(used));
    FZRec.next_out = FBuffer;
    FZRec.avail_out = ZStreamBufferSize;
    RecordStreamPosition();
}
