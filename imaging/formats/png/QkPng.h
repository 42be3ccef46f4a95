#pragma once
// PNG files through the project's own PNG codec (controls/png): the codec
// gives and takes raw rows at the file's depth, and the transforms to and
// from the library's pixel formats are done here.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/formats/QkFormatRows.h"

struct TPngRawChunk;
class TIOParamsVals;

bool IsPngStream(TStream& stream);
// Honours ParamsOnly; damaged files set Aborting and keep what was read.
void ReadPngImage(TQkReadRequest& request);
// Codec errors raise EInvalidGraphic "Error on creating PNG"; a short write
// sets Aborting and leaves the file unfinished.
void WritePngImage(TQkWriteRequest& request);

// The text chunks (tEXt, zTXt, iTXt) appended to the parameters' lists, in
// UTF-8; other chunks and undecodable texts are passed over.
void ReadPngText(const TPngRawChunk& chunk, TIOParamsVals& params);
// A tEXt chunk for each pair that Latin-1 holds, an iTXt chunk otherwise;
// pairs with an empty key are left out.
std::vector<TPngRawChunk> PngTextChunks(const TIOParamsVals& params);
