#include "imaging/formats/QkFormatSteps.h"

#include "imaging/core/QkIOParams.h"
#include "imaging/formats/QkFileFormats.h"

TQkFormatSteps FormatSteps(int32_t fileType)
{
    TQkFormatSteps steps;
    switch (fileType) {
    case ioTIFF: steps.StreamHeader = "TIFF"; break;
    case ioGIF: steps.ApplyDpiAfterFileLoad = steps.ApplyDpiAfterStreamLoad = false; break;
    case ioJPEG:
        steps.ConvertOnSave = true;
        steps.StreamHeader = "JFIF";
        break;
    case ioPCX:
        steps.ConvertOnSave = true;
        steps.StreamHeader = "PCX2";
        break;
    case ioTGA:
        steps.ConvertOnSave = true;
        steps.ApplyDpiAfterStreamLoad = false;
        break;
    case ioPXM:
        steps.ConvertOnSave = true;
        steps.ApplyDpiAfterFileLoad = steps.ApplyDpiAfterStreamLoad = false;
        break;
    case ioWBMP:
        steps.ConvertOnSave = true;
        steps.AdjustDpi = false;
        steps.ApplyDpiAfterFileLoad = steps.ApplyDpiAfterStreamLoad = false;
        break;
    case ioICO:
    case ioJP2:
    case ioJ2K:
    case ioPS:
    case ioPDF: steps.ConvertOnSave = true; break;
    case ioRAWBMP:
    case ioDICOM:
        steps.FixDpi = steps.AdjustDpi = false;
        steps.ApplyDpiAfterFileLoad = steps.ApplyDpiAfterStreamLoad = false;
        break;
    default: break;
    }
    return steps;
}

TQkIconSaveList IconSaveList(const TIOParamsVals& params)
{
    TQkIconSaveList list;
    for (size_t i = 0; i < IcoImageSlots && params.IcoSizes[i].Width > 0; ++i) {
        list.Sizes.push_back(params.IcoSizes[i]);
        list.BitCounts.push_back(params.IcoBitCount[i]);
    }
    return list;
}
