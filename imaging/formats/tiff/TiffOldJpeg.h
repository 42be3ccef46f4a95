#pragma once
// Old-style JPEG pages (compression 6) that carry one whole JPEG stream at
// JPEGInterchangeFormat, as EXIF thumbnails do.

struct TTiffPage;
class TTiffDirectory;
class TQkBitmap;
struct TQkFilterProgress;

// Decodes the stream into `bitmap` (24-bit colour); sets the aborting flag
// when the page has no such stream or it yields fewer rows than the page.
void DecodeOldStyleJpeg(const TTiffDirectory& directory, const TTiffPage& page, TQkBitmap& bitmap,
                        TQkFilterProgress& progress);
