// libFuzzer target: any bytes inflate through the stream and the whole-block
// routine without crashing, hanging or reading outside them.

#include <cstddef>
#include <cstdint>

#include "imaging/core/QkStreams.h"
#include "imaging/formats/zstreams/QkZStreams.h"

namespace {

constexpr size_t OutputCap = size_t{16} << 20;

void InflateThroughStream(const uint8_t* data, size_t size)
{
    TQkMemStream source(data, static_cast<int64_t>(size));
    TZDecompressionStream stream(source);
    uint8_t block[4096];
    int64_t total = 0;
    while (const int64_t got = stream.Read(block, sizeof block)) {
        total += got;
        if (total > static_cast<int64_t>(OutputCap))
            return;
    }
    stream.Seek(0, soBeginning);
    stream.Seek(total / 2, soCurrent);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        InflateBuffer(data, size, 0, OutputCap);
    } catch (const EZLibError&) {}
    try {
        InflateThroughStream(data, size);
    } catch (const Exception&) {}
    return 0;
}
