#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "imaging/core/QkExifParams.h"
#include "imaging/core/QkStreams.h"
#include "imaging/core/QkTIFFHandler.h"
#include "imaging/formats/tiff/QkTiff.h"
#include "platform/core/Streams.h"

namespace {

// The image-directory tags the EXIF block holds, the two directory
// pointers (with their directories) included.
constexpr uint16_t CopiedTags[] = {271, 272, 306,   274,   282,   283,   296,   305,   315,   318,   531,  319,
                                   529, 532, 33432, 18246, 40091, 40092, 40093, 40094, 40095, 34665, 34853};

std::unique_ptr<TQkTIFFHandler> OpenTarget(TStream* input, const std::string& inputFileName)
{
    return input ? TQkTIFFHandler::CreateFromStream(*input) : TQkTIFFHandler::CreateFromFile(inputFileName);
}

void WriteTarget(TQkTIFFHandler& target, TStream* output, const std::string& outputFileName)
{
    if (!output) {
        target.WriteFile(outputFileName, -1);
        return;
    }
    target.WriteStream(*output, -1);
    // Written back over a longer file, the old tail would stay behind.
    output->SetSize(output->Position());
}

} // namespace

bool CopyExifIntoTiffPage(TStream* input, TStream* output, const std::string& inputFileName, TIOParamsVals& params,
                          int32_t pageIndex, const std::string& outputFileName)
{
    std::vector<uint8_t> block;
    if (!SaveExifToBuffer(params, block, false))
        return false;
    try {
        TQkMemStream blockStream(block.data(), int64_t(block.size()));
        const std::unique_ptr<TQkTIFFHandler> source = TQkTIFFHandler::CreateFromStream(blockStream);
        const int64_t start = input ? input->Position() : 0;
        const std::unique_ptr<TQkTIFFHandler> target = OpenTarget(input, inputFileName);
        // Tags copy only between files of the same byte order.
        if (source->PageCount() == 0 || pageIndex < 0 || pageIndex >= target->PageCount() ||
            target->BigEndian() != source->BigEndian())
            return false;
        for (const uint16_t tag : CopiedTags) {
            const int index = source->GetTagIndex(0, tag);
            if (index >= 0)
                target->CopyTag(0, index, pageIndex, *source);
        }
        if (output && output == input)
            output->SetPosition(start);
        WriteTarget(*target, output, outputFileName);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}
