#pragma once
// The portable bitmap family: "P1" to "P6", ASCII and binary, maximum
// sample values up to 65535.

#include <cstdint>
#include <string>

#include "imaging/formats/QkFormatRows.h"

class TStream;

// The next token: a run of letters and digits, or "#" and a comment's text
// trimmed of blanks; empty at the end of the stream. Tokens are capped a
// little beyond the longest number, so a run of digits costs no memory.
void ReadPnmToken(TStream& stream, std::string& token);
// The decimal value of a token of at most 20 digits; -1 for anything else.
int64_t PnmTokenNumber(const std::string& token);

bool IsPnmStream(TStream& stream);
// Honours ParamsOnly; sets Aborting on a bad header.
void ReadPnmImage(TQkReadRequest& request);
// Writes "P4", "P5" or "P6" by the parameters and the bitmap's format.
void WritePnmImage(TQkWriteRequest& request);
