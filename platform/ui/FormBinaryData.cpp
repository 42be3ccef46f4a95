#include "platform/ui/FormBinaryData.h"

#include "platform/core/ClassRegistry.h"
#include "platform/core/Streams.h"
#include "platform/gfx/Graphic.h"
#include "platform/gfx/Picture.h"

bool HoldsBinaryData(const TObject* object)
{
    return dynamic_cast<const TPicture*>(object) || dynamic_cast<const TGraphic*>(object);
}

void ReadBinaryData(TObject& object, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    if (auto* picture = dynamic_cast<TPicture*>(&object))
        picture->ReadData(stream);
    else if (auto* graphic = dynamic_cast<TGraphic*>(&object))
        graphic->ReadData(stream);
    else
        throw EPropertyConvertError("Invalid property value");
}

std::vector<uint8_t> BinaryDataOf(const TObject& object)
{
    TMemoryStream stream;
    if (const auto* picture = dynamic_cast<const TPicture*>(&object))
        picture->WriteData(stream);
    else if (const auto* graphic = dynamic_cast<const TGraphic*>(&object); graphic && !graphic->Empty())
        graphic->WriteData(stream);
    const auto* begin = static_cast<const uint8_t*>(stream.Memory());
    return {begin, begin + stream.Size()};
}
