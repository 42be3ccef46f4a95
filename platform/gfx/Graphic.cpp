#include "platform/gfx/Graphic.h"

#include "platform/core/Streams.h"

void TGraphic::SetTransparent(bool value)
{
    if (FTransparent == value)
        return;
    FTransparent = value;
    Changed();
}

void TGraphic::SetModified(bool value)
{
    if (value)
        Changed();
    else
        FModified = false;
}

void TGraphic::Changed()
{
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& fileName)
{
    TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& fileName) const
{
    TFileStream stream(fileName, fmCreate);
    SaveToStream(stream);
}

void TGraphic::ReadData(TStream& stream) { LoadFromStream(stream); }

void TGraphic::WriteData(TStream& stream) const { SaveToStream(stream); }

void TGraphic::LoadFromClipboardFormat(TClipFormat, const std::vector<uint8_t>&)
{
    throw EInvalidGraphic("Unsupported clipboard format");
}

void TGraphic::SaveToClipboardFormat(TClipFormat&, std::vector<uint8_t>&)
{
    throw EInvalidGraphic("Unsupported clipboard format");
}
