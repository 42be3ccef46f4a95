#include "controls/png/PngErrors.h"

const char* const EPNGNoImageDataText = "This \"Portable Network Graphics\" image contains no data.";
const char* const EPngCannotResizeText =
    "The \"Portable Network Graphics\" image can not be resize by changing width and height properties. "
    "Try assigning the image from a bitmap.";
const char* const EPngNoPaletteEntryText = "There is no such palette entry.";
const char* const EPngIncompatibleChunksText = "The chunks must be compatible to be assigned.";
const char* const EPNGOutMemoryText =
    "Some operation could not be performed because the system is out of resources. Close some windows and try "
    "again.";
const char* const EPNGHeaderNotPresentText =
    "This operation is not valid because the current image contains no valid header.";
const char* const EPngInvalidCRCText =
    "This \"Portable Network Graphics\" image is not valid because it contains invalid pieces of data (crc error)";
const char* const EPngInvalidIHDRText =
    "The \"Portable Network Graphics\" image could not be loaded because one of its main piece of data (ihdr) might "
    "be corrupted";
const char* const EPNGMissingMultipleIDATText =
    "This \"Portable Network Graphics\" image is invalid because it has missing image parts.";
const char* const EPNGZLIBErrorText = "Could not decompress the image because it contains invalid compressed data.";
const char* const EPNGInvalidPaletteText = "The \"Portable Network Graphics\" image contains an invalid palette.";
const char* const EPNGInvalidFileHeaderText =
    "The file being readed is not a valid \"Portable Network Graphics\" image because it contains an invalid "
    "header. This file may be corruped, try obtaining it again.";
const char* const EPNGIHDRNotFirstText =
    "This \"Portable Network Graphics\" image is not supported or it might be invalid.\r\n"
    "(IHDR chunk is not the first)";
const char* const EPNGSizeExceedsText =
    "This \"Portable Network Graphics\" image is not supported because either it's width or height exceeds the "
    "maximum size, which is 65535 pixels length.";
const char* const EPNGUnknownCriticalChunkText =
    "This \"Portable Network Graphics\" image contains an unknown critical part which could not be decoded.";
const char* const EPNGUnknownCompressionText =
    "This \"Portable Network Graphics\" image is encoded with an unknown compression scheme which could not be "
    "decoded.";
const char* const EPNGUnknownInterlaceText =
    "This \"Portable Network Graphics\" image uses an unknown interlace scheme which could not be decoded.";
const char* const EPngUnexpectedEndText =
    "This \"Portable Network Graphics\" image is invalid because the decoder found an unexpected end of the file.";

EPNGZLIBError::EPNGZLIBError(const std::string& zlibDescription)
    : Exception(std::string(EPNGZLIBErrorText) + "\r\n Description: " + zlibDescription)
{}
