#include "imaging/formats/jxr/QkHdPhotoMetadata.h"

#include <algorithm>
#include <exception>
#include <memory>

#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkIOParams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTIFFHandler.h"
#include "platform/core/Streams.h"

namespace {

constexpr uint16_t ExifDirectoryTag = 34665;
constexpr uint16_t GpsDirectoryTag = 34853;
constexpr uint16_t DescriptiveTags[] = {270, 271, 272, 305, 306, 315, 33432};

std::vector<uint8_t> DirectoryBlock(const TQkTIFFHandler& handler, const TQkTIFFTagList& page, uint16_t tag)
{
    const int index = TQkTIFFHandler::FindTag(page, tag);
    if (index < 0 || !page[index].IsSubDirectory)
        return {};
    TMemoryStream block;
    handler.WriteDirectory(block, page[index].SubDirectory);
    const auto* bytes = static_cast<const uint8_t*>(block.Memory());
    return {bytes, bytes + block.Size()};
}

// The text up to its first NUL.
std::string TextOf(const TQkTIFFEntry& entry)
{
    const uint8_t* bytes = entry.ValueBytes();
    const size_t size = entry.ValueSize() > 4 ? entry.Data.size() : size_t(entry.ValueSize());
    return {bytes, std::find(bytes, bytes + size, uint8_t(0))};
}

DPKPROPVARIANT* SlotOf(DESCRIPTIVEMETADATA& descriptive, uint16_t tag)
{
    switch (tag) {
    case 270: return &descriptive.pvarImageDescription;
    case 271: return &descriptive.pvarCameraMake;
    case 272: return &descriptive.pvarCameraModel;
    case 305: return &descriptive.pvarSoftware;
    case 306: return &descriptive.pvarDateTime;
    case 315: return &descriptive.pvarArtist;
    case 33432: return &descriptive.pvarCopyright;
    default: return nullptr;
    }
}

} // namespace

TQkHdPhotoMetadata BuildHdPhotoMetadata(TIOParamsVals& params)
{
    std::vector<uint8_t> block;
    if (!params.ExifHasExifData || !SaveExifToBuffer(params, block, false))
        return {};
    try {
        TQkMemStream stream(block.data(), int64_t(block.size()));
        const std::unique_ptr<TQkTIFFHandler> handler = TQkTIFFHandler::CreateFromStream(stream);
        // jxrlib copies the directories as little-endian ones.
        if (handler->PageCount() == 0 || handler->BigEndian())
            return {};
        const TQkTIFFTagList& page = handler->Page(0);
        TQkHdPhotoMetadata metadata{DirectoryBlock(*handler, page, ExifDirectoryTag),
                                    DirectoryBlock(*handler, page, GpsDirectoryTag),
                                    {}};
        for (const uint16_t tag : DescriptiveTags) {
            const int index = TQkTIFFHandler::FindTag(page, tag);
            if (index >= 0 && page[index].Type == ttAscii && !TextOf(page[index]).empty())
                metadata.Texts.emplace_back(tag, TextOf(page[index]));
        }
        return metadata;
    } catch (const std::exception&) {
        return {};
    }
}

bool SetHdPhotoMetadata(PKImageEncode& encoder, TQkHdPhotoMetadata& metadata)
{
    if (!metadata.Exif.empty() &&
        PKImageEncode_SetEXIFMetadata_WMP(&encoder, metadata.Exif.data(), U32(metadata.Exif.size())) != WMP_errSuccess)
        return false;
    if (!metadata.Gps.empty() &&
        PKImageEncode_SetGPSInfoMetadata_WMP(&encoder, metadata.Gps.data(), U32(metadata.Gps.size())) != WMP_errSuccess)
        return false;
    if (metadata.Texts.empty())
        return true;
    DESCRIPTIVEMETADATA descriptive{};
    for (auto& [tag, text] : metadata.Texts) {
        DPKPROPVARIANT* slot = SlotOf(descriptive, tag);
        slot->vt = DPKVT_LPSTR;
        slot->VT.pszVal = text.data();
    }
    return encoder.SetDescriptiveMetadata(&encoder, &descriptive) == WMP_errSuccess;
}
