#pragma once
// PostScript Level 2 output with DSC comments: a header, pages that fit the
// image into the paper's top-left corner, a trailer. The header's page count
// is rewritten in place, so pages can be appended to an open document.

#include <cstdint>
#include <memory>
#include <string>

#include "imaging/formats/QkFormatRows.h"
#include "platform/core/Clock.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;
struct TQkFilterProgress;

// Where an open document's page count lies and where its next page goes.
struct TPsDocument {
    int64_t PagesPosition = 0;
    int64_t NextPosition = 0;
};

// "ddd mmm dd hh:nn:ss yyyy" with English names.
std::string PsCreationDate(const TSystemTime& time);

// Writes the header at the stream's position.
std::unique_ptr<TPsDocument> PSBeginDocument(TStream& stream, const TIOParamsVals& params);
// Appends one page; the stream must be readable and seekable. An empty
// image sets Aborting and writes nothing.
void PSAddPage(TPsDocument& document, TStream& stream, TQkBitmap& bitmap, TQkFilterProgress& progress,
               TIOParamsVals& params);
// Writes the trailer and frees the document; a null document does nothing.
void PSEndDocument(std::unique_ptr<TPsDocument>& document, TStream& stream);

// A single-page document. A 1-bit image keeps one bit a sample, any other
// is written as 24-bit RGB.
void WritePostScript(TStream& stream, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress);
void WritePostScriptImage(TQkWriteRequest& request);
