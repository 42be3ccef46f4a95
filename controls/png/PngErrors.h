#pragma once
// The exceptions of the PNG picture class, each with its own text.

#include "platform/core/Exceptions.h"

#include <string>

extern const char* const EPNGNoImageDataText;
extern const char* const EPngCannotResizeText;
extern const char* const EPngNoPaletteEntryText;
extern const char* const EPngIncompatibleChunksText;
extern const char* const EPNGOutMemoryText;
extern const char* const EPNGHeaderNotPresentText;
extern const char* const EPngInvalidCRCText;
extern const char* const EPngInvalidIHDRText;
extern const char* const EPNGMissingMultipleIDATText;
extern const char* const EPNGZLIBErrorText;
extern const char* const EPNGInvalidPaletteText;
extern const char* const EPNGInvalidFileHeaderText;
extern const char* const EPNGIHDRNotFirstText;
extern const char* const EPNGSizeExceedsText;
extern const char* const EPNGUnknownCriticalChunkText;
extern const char* const EPNGUnknownCompressionText;
extern const char* const EPNGUnknownInterlaceText;
extern const char* const EPngUnexpectedEndText;

#define PNG_DECLARE_EXCEPTION(Name)                                                                                    \
    class Name : public Exception {                                                                                    \
    public:                                                                                                            \
        Name() : Exception(Name##Text) {}                                                                              \
        explicit Name(const std::string& text) : Exception(text) {}                                                    \
    }

PNG_DECLARE_EXCEPTION(EPNGNoImageData);
PNG_DECLARE_EXCEPTION(EPNGOutMemory);
PNG_DECLARE_EXCEPTION(EPNGHeaderNotPresent);
PNG_DECLARE_EXCEPTION(EPngInvalidCRC);
PNG_DECLARE_EXCEPTION(EPngInvalidIHDR);
PNG_DECLARE_EXCEPTION(EPNGMissingMultipleIDAT);
PNG_DECLARE_EXCEPTION(EPNGInvalidPalette);
PNG_DECLARE_EXCEPTION(EPNGInvalidFileHeader);
PNG_DECLARE_EXCEPTION(EPNGIHDRNotFirst);
PNG_DECLARE_EXCEPTION(EPNGSizeExceeds);
PNG_DECLARE_EXCEPTION(EPNGUnknownCriticalChunk);
PNG_DECLARE_EXCEPTION(EPNGUnknownCompression);
PNG_DECLARE_EXCEPTION(EPNGUnknownInterlace);
PNG_DECLARE_EXCEPTION(EPngUnexpectedEnd);

#undef PNG_DECLARE_EXCEPTION

// Carries one of three texts: the resize, palette-entry and assignment errors.
class EPngError : public Exception {
public:
    using Exception::Exception;
};

// The decompression failure, with zlib's description appended.
class EPNGZLIBError : public Exception {
public:
    explicit EPNGZLIBError(const std::string& zlibDescription);
};
