#pragma once
// The process-wide registry of the image formats the library knows: an id
// (the value kept in TIOParamsVals.FileType), a display name, the file-name
// extensions, the parameters dialog page and the directions the format
// offers. Built at the input/output unit's start-up; external formats may be
// added and removed afterwards, never while loads run on workers.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "imaging/core/QkSettings.h"

class TStream;
class TQkBitmap;
class TIOParamsVals;

// File-type ids.
constexpr int32_t ioTIFF = 1;
constexpr int32_t ioGIF = 2;
constexpr int32_t ioPCX = 4;
constexpr int32_t ioBMP = 5;
constexpr int32_t ioICO = 6;
constexpr int32_t ioCUR = 7;
constexpr int32_t ioWMF = 9;
constexpr int32_t ioEMF = 10;
constexpr int32_t ioTGA = 11;
constexpr int32_t ioPXM = 12;
constexpr int32_t ioJP2 = 13;
constexpr int32_t ioJ2K = 14;
constexpr int32_t ioAVI = 15;
constexpr int32_t ioWBMP = 16;
constexpr int32_t ioPS = 17;
constexpr int32_t ioPDF = 18;
constexpr int32_t ioDCX = 19;
constexpr int32_t ioRAWBMP = 21;
constexpr int32_t ioPSD = 24;
constexpr int32_t ioQKV = 25;
constexpr int32_t ioLYR = 26;
constexpr int32_t ioALL = 27;
constexpr int32_t ioHDP = 29;
// One past the largest id.
constexpr int32_t ioFileTypeLimit = 30;

// (stream, bitmap, parameters, parameters only, progress).
using TQkReadFunction = std::function<void(TStream&, TQkBitmap&, TIOParamsVals&, bool, TQkFilterProgress&)>;
// (stream, bitmap, parameters, progress).
using TQkWriteFunction = std::function<void(TStream&, TQkBitmap&, TIOParamsVals&, TQkFilterProgress&)>;
// (stream at the start of the data, the entry's id): true when the stream
// holds this format.
using TQkTryFunction = std::function<bool(TStream&, int32_t)>;

struct TQkFileFormatInfo {
    int32_t FileType = 0;
    std::string FullName;
    // Upper case, without dots, separated by ";".
    std::string Extensions;
    // The library registers it itself.
    bool InternalFormat = false;
    // The parameters dialog page as one bit; 0 = none.
    uint16_t DialogPage = 0;
    // Empty when the format lacks the direction.
    TQkReadFunction ReadFunction;
    TQkWriteFunction WriteFunction;
    TQkTryFunction TryFunction;
};

// Appends the built-in entries; the HD Photo entry only when
// HDPhotoCodecAvailable says its codec is there.
void RegisterFileFormats();
// Takes ownership; appended last.
void RegisterFileFormat(std::unique_ptr<TQkFileFormatInfo> format);
// Removes the first entry with the id; nothing when there is none.
void UnregisterFileFormat(int32_t fileType);
void FreeFileFormats();
int32_t FileFormatCount();
// In registration order; the caller keeps the index in range.
TQkFileFormatInfo& FileFormatAt(int32_t index);

// The first entry with the id, or nullptr.
TQkFileFormatInfo* FindFileFormat(int32_t fileType);
// The index-th extension of the id's entry; empty when there is none. An
// empty item ends the list.
std::string GetFileExtension(int32_t fileType, int32_t index);
int32_t GetFileExtensionCount(int32_t fileType);
// Case-insensitive, with or without the leading dot; nullptr for none.
TQkFileFormatInfo* FindFileFormatByExtension(const std::string& extension);

// Asked once when the registry is built; the HD Photo filter sets it when
// its codec is there.
extern std::function<bool()> HDPhotoCodecAvailable;
