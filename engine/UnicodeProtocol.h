#pragma once
// File names between the engine and FFmpeg, and the engine's own file access
// for names of the form "unicode:utf8:<UTF-8 name>". FFmpeg 5.1 cannot take a
// protocol from outside, so such names are opened through custom I/O
// contexts over the engine's file functions: use the Open/Close functions
// below instead of avformat_open_input/avformat_close_input and
// avio_open2/avio_closep wherever a name may be a unicode name.

#include <cstdint>
#include <string>

#include "engine/binding/AVFormatStubs.h"

// Non-zero (a codec id) when the name's extension is one of an image format.
int32_t IsImageFileName(const char* name);
// False for names whose text before the first ":" is a protocol that takes
// no unicode name (unicode, stream, gopher, http, pipe, rtp, tcp, udp);
// otherwise true exactly when the name is no valid UTF-8 text.
bool NeedsUnicodeName(const std::string& name);
// At least 14 bytes beginning with "unicode:utf8:".
bool IsUnicodeName(const char* name);
std::string MakeUnicodeName(const std::string& name);
// The name with its "unicode:" and "utf8:" removed.
std::string UnicodeNameToWide(const char* name);

// The name to hand to FFmpeg: the name itself, or for an image name that is
// no valid UTF-8 its unicode name.
std::string ToFFmpegFileName(const std::string& name);
// The file on disk that an FFmpeg name stands for.
std::string FromFFmpegFileName(const char* name);

// avformat_open_input that also opens unicode names; close with CloseInputFile.
int OpenInputFile(AVFormatContext** context, const char* url, const AVInputFormat* format, AVDictionary** options);
void CloseInputFile(AVFormatContext** context);
// avio_open2 that also opens unicode names; close with CloseOutputIO.
int OpenOutputIO(AVIOContext** io, const char* url, int flags, const AVIOInterruptCB* interrupt,
                 AVDictionary** options);
int CloseOutputIO(AVIOContext** io);
// Lets the context's muxer or demuxer open further files (image sequences,
// segments) by unicode name.
void InstallUnicodeIO(AVFormatContext* context);

// The unicode-name file callbacks of an I/O context (opaque: the file).
// Open gives 0 or AVERROR(ENOENT); read gives the bytes read, AVERROR_EOF at
// the end or -1; write the bytes written or -1; seek the new position, the
// size for AVSEEK_SIZE, or -1.
int UnicodeOpen(void** file, const char* name, int flags);
int UnicodeRead(void* file, uint8_t* buffer, int size);
int UnicodeWrite(void* file, uint8_t* buffer, int size);
int64_t UnicodeSeek(void* file, int64_t position, int whence);
int UnicodeClose(void* file);
