// libFuzzer target: any bytes load as a layer record, or are refused without
// changing the layer, crashing or reading outside them; what loads saves and
// loads again.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "imaging/core/QkBitmap.h"
#include "imaging/views/layers/QkLayer.h"

namespace {

std::unique_ptr<TQkBitmap> MemoryBitmap()
{
    auto bitmap = std::make_unique<TQkBitmap>();
    bitmap->SetLocation(qkMemory);
    return bitmap;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TMemoryStream input;
    input.WriteBuffer(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    TQkLayer layer(nullptr, MemoryBitmap());
    if (!layer.LoadFromStream(input)) {
        if (input.Position() != 0 || !layer.LayerName.empty())
            std::abort();
        return 0;
    }
    TMemoryStream record;
    layer.SaveToStream(record, true);
    record.SetPosition(0);
    TQkLayer again(nullptr, MemoryBitmap());
    if (!again.LoadFromStream(record) || record.Position() != record.Size() || again.LayerName != layer.LayerName)
        std::abort();
    return 0;
}
