#pragma once
// Recognises Windows metafiles, with or without the placeable header, and
// enhanced metafiles. Both leave the position where it was; a stream
// shorter than what a probe reads does not match.

class TStream;

bool IsWmfStream(TStream& stream);
bool IsEmfStream(TStream& stream);
