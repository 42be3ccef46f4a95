#pragma once
// The vector layer's object stream: "QKV", a version character, the shared
// images as PNG, then the object records deflated. Versions '1' to 'R' are
// read; 'R' is written.

#include <cstdint>

#include "platform/core/Streams.h"

class TBrelvixVect;
class TQkVObjectSet;

constexpr char QkvCurrentVersion = 'R';

// Writes the whole set at the stream's position (packing the image table
// first).
void SaveObjectsToStream(TQkVObjectSet& set, TStream& stream);
// Replaces the set's objects and images with those read at the stream's
// position and returns true; the template keeps its properties and image.
// False, with nothing read past the signature and nothing changed, when the
// position holds no object stream of a known version. A damaged stream
// raises EReadError (or the error of the image or zlib reader) and leaves the
// set as it was. User objects read get `owner` as their view.
bool LoadObjectsFromStream(TQkVObjectSet& set, TStream& stream, TBrelvixVect* owner);
// "QKV" and a known version at the position, which is restored.
bool IsObjectsStream(TStream& stream);
