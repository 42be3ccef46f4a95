// libFuzzer target: any text either parses as a form resource or is refused
// with EParserError; what parses formats into text that parses to the same
// formatting again, and every binary value is safe to read as picture data.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/gfx/Picture.h"
#include "platform/ui/FormBinaryData.h"
#include "platform/ui/FormResources.h"

namespace {

void ReadPictureData(const TResourceValue& value)
{
    if (value.Kind == TResourceValue::Binary) {
        TPicture picture;
        try {
            ReadBinaryData(picture, value.Bytes);
        } catch (const Exception&) {}
    }
    for (const TResourceValue& item : value.Items)
        ReadPictureData(item);
    for (const TResourceItem& item : value.CollectionItems)
        for (const TResourceProperty& property : item.Properties)
            ReadPictureData(property.Value);
}

void ReadPictureData(const TResourceObject& object)
{
    for (const TResourceProperty& property : object.Properties)
        ReadPictureData(property.Value);
    for (const TResourceObject& child : object.Children)
        ReadPictureData(child);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TResourceObject tree;
    try {
        tree = ParseFormText(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EParserError&) {
        return 0;
    }
    const std::string text = FormatFormText(tree);
    if (FormatFormText(ParseFormText(text)) != text)
        std::abort(); // formatting lost or changed something the parser had read
    ReadPictureData(tree);
    return 0;
}
