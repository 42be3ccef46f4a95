#pragma once
// What the component needs to import Windows and enhanced metafiles: the
// picture loaded from untrusted bytes, and the parameters of its raster.

#include <cstdint>

class TIOParamsVals;
class TMetafile;
class TStream;
struct TQkReadRequest;

// False, with the picture left empty, for malformed data.
bool LoadMetafile(TStream& stream, TMetafile& metafile);
// The parameters of a 24-bit raster of the metafile at the library's
// default resolution.
void SetMetafileParams(TIOParamsVals& params, int32_t width, int32_t height, bool enhanced);
// The metafile rows' parameters-only reader: the picture's own size. The
// other kind of metafile than the row's is refused, as other formats are.
void ReadMetafileParams(TQkReadRequest& request, bool enhanced);
