#pragma once
// The text encoders of the PostScript and PDF writers: Base64, ASCII85
// and run-length (the RunLengthDecode layout).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Streams.h"

// The first `count` (1 to 3) of `bytes` as four Base64 characters, padded
// with "=".
void Base64EncodeTriple(const uint8_t* bytes, char* characters, int32_t count);
// The stream from its position to its end, appended to `text` as Base64
// lines of ceil(lineLength / 4) groups, each line ended by "\n".
void WriteStreamBase64ToText(TStream& stream, std::string& text, int32_t lineLength);

// One group of `count` (1 to 4) bytes: "z" for four zero bytes, otherwise
// count + 1 base-85 digits. Returns the characters written.
int32_t EncodeASCII85Block(const uint8_t* source, int32_t count, char* destination);
// Every group, a CR LF after a group that takes the line above 74
// characters, then "~>" CR LF. `characters` counts the groups' output; the
// result counts everything appended.
int64_t EncodeASCII85(const uint8_t* source, int64_t count, std::string& destination, int64_t& characters);

// Runs of 2 to 128 equal bytes become (257 - length, byte), other bytes
// literals of up to 128 (count - 1, bytes), and 128 ends the data. Returns
// the bytes appended.
int64_t EncodeRunLength(const uint8_t* source, int64_t length, std::vector<uint8_t>& destination);
