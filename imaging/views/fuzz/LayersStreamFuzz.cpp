// libFuzzer target: any bytes read as a layers stream, or are refused with
// the stream's position back at the start, without crashing or reading
// outside them; a stream of raw images that loads saves and loads again
// with the same layer count.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/formats/fuzz/FuzzStart.h"
#include "imaging/views/layers/QkLayersStream.h"

namespace {

TQkOwnedLayers AllLayers(TQkReadLayers& read)
{
    TQkOwnedLayers layers;
    layers.push_back(std::move(read.Background));
    for (std::unique_ptr<TQkLayer>& layer : read.Above)
        layers.push_back(std::move(layer));
    return layers;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartFormatsForFuzzing(int64_t(1) << 20);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream input;
    input.WriteBuffer(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    TQkLayer background(nullptr, std::make_unique<TQkBitmap>());
    TQkReadLayers read;
    if (!ReadLayersStream(input, background, read)) {
        if (input.Position() != 0)
            std::abort();
        return 0;
    }
    const int32_t format =
        size > 20 ? static_cast<int32_t>(data[17] | data[18] << 8 | data[19] << 16 | data[20] << 24) : 0;
    if (!read.Background || (format != LayersImageZlibRaw && format != LayersImageRaw))
        return 0;
    const TQkOwnedLayers layers = AllLayers(read);
    TMemoryStream again;
    WriteLayersStream(again, layers, format);
    again.SetPosition(0);
    TQkReadLayers reread;
    if (!ReadLayersStream(again, background, reread) || reread.Above.size() + 1 != layers.size())
        std::abort();
    return 0;
}
