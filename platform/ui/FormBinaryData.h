#pragma once
// The binary "Data" that pictures and graphics keep in form resources
// ("Glyph.Data = {...}", "Picture.Data = {...}").

#include <cstdint>
#include <vector>

class TObject;

// Whether the object keeps its contents as binary data: a picture or a graphic.
bool HoldsBinaryData(const TObject* object);
// Loads the object from the bytes; raises EPropertyConvertError "Invalid
// property value" for an object that keeps no binary data, and the stream's
// or the graphic's own error for bad bytes.
void ReadBinaryData(TObject& object, const std::vector<uint8_t>& bytes);
// The object's bytes; empty for an empty picture or graphic, which writes none.
std::vector<uint8_t> BinaryDataOf(const TObject& object);
