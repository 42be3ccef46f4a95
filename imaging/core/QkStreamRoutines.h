#pragma once
// Small stream routines of the format readers and writers.

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/core/Streams.h"

// A 32-bit little-endian length, then the text's bytes.
void WriteStringToStream(TStream& stream, const std::string& text);
// Reads what WriteStringToStream wrote. A length beyond the stream's end
// raises EReadError before anything is allocated.
void ReadStringFromStream(TStream& stream, std::string& text);
// The text followed by CR LF.
void WriteLineToStream(TStream& stream, const std::string& text);
// Writes; sets `aborting` when fewer than `count` bytes were written.
void SafeStreamWrite(TStream& stream, std::atomic<bool>& aborting, const void* buffer, int64_t count);
// Copies `count` bytes from the source's position, never more than lie
// before its end; 0 copies the whole source from its start. Returns the
// number of bytes copied.
int64_t CopyStreamData(TStream& destination, TStream& source, int64_t count);
