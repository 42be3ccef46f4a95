#pragma once
// PDF 1.4 output: each image an image XObject drawn into the top-left corner
// of its own page. The document is held in memory as numbered objects until
// it is ended, so that pages can be added to it in between.

#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkPDFObjects.h"
#include "imaging/formats/QkFormatRows.h"
#include "platform/core/Clock.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;
struct TQkFilterProgress;

// An open document. `Objects` numbers every object in file order; the
// other lists and dictionaries name the ones the next steps build on.
struct TPdfDocument {
    TQkPDFDocument Objects;
    std::vector<std::shared_ptr<TQkPDFDictionaryObject>> Pages;
    std::vector<std::shared_ptr<TQkPDFStreamObject>> Images;
    std::shared_ptr<TQkPDFDictionaryObject> Resources;
    // The resources' image names.
    std::shared_ptr<TQkPDFDictionaryObject> XObjects;
    std::shared_ptr<TQkPDFDictionaryObject> Catalog;
};

// "D:yyyymmddhhmmss".
std::string PdfCreationDate(const TSystemTime& time);
// A document information string: plain ASCII as it is, any other UTF-8 text
// as UTF-16BE behind the FE FF mark.
std::string PdfTextString(const std::string& text);

std::unique_ptr<TPdfDocument> PDFNewDocument();
// Adds the image, its content stream and its page. An empty image sets
// Aborting and adds nothing.
void PDFAddImagePage(TPdfDocument& document, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress);
// Adds the page tree and the document information, writes the whole file at
// the stream's position and frees the document; a null document does
// nothing.
void PDFEndDocument(std::unique_ptr<TPdfDocument>& document, TStream& stream, const TIOParamsVals& params);

// A single-page document. A 1-bit image keeps one bit a sample, any other
// is written as 24-bit RGB.
void WritePdf(TStream& stream, TQkBitmap& bitmap, TIOParamsVals& params, TQkFilterProgress& progress);
void WritePdfImage(TQkWriteRequest& request);
