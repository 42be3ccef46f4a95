#include "imaging/formats/QkFormatErrors.h"

#include "imaging/formats/QkFileFormats.h"

EQkFormatNotSupported FormatNotSupported(int32_t fileType, bool reading)
{
    const TQkFileFormatInfo* format = FindFileFormat(fileType);
    const std::string name = format != nullptr ? format->FullName
        : fileType == ioAVI                    ? std::string("AVI")
                                               : "File type " + std::to_string(fileType);
    return EQkFormatNotSupported(name + (reading ? ": reading" : ": writing") + " is not supported in this build");
}
