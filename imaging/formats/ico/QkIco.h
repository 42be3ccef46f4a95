#pragma once
// Windows icons and cursors: a directory of images, each a bitmap without
// file header (colour rows, then the AND transparency rows) or a PNG
// stream. Icons are read and written, cursors only read.

#include "imaging/formats/QkFormatRows.h"

bool IsIcoStream(TStream& stream);
bool IsCurStream(TStream& stream);
// The image IcoImageIndex (CurImageIndex) selects; the AND mask becomes the
// alpha mask. Honours ParamsOnly and IgnoreAlpha; sets Aborting on a bad
// file or an index outside the directory. PNG images go through the PNG
// row, and a stream that starts with "BM" through the bitmap reader.
void ReadIconImage(TQkReadRequest& request);
void ReadCursorImage(TQkReadRequest& request);
// One image for each leading IcoSizes entry of a positive width (at most
// 16) at the matching IcoBitCount; sets Aborting for a size outside
// 1..256 before anything is written.
void WriteIconImage(TQkWriteRequest& request);
