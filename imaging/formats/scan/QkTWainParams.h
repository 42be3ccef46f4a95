#pragma once
// The parameter block of TWAIN acquisitions, owned by the input/output
// component. Scanning goes through the SANE service here, so the
// connection record stays empty and nothing is shut down with it; the block
// still keeps its layout and reset values for the acquisition options that
// read it.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/core/QkLists.h"
#include "imaging/formats/media/QkTwainShared.h"
#include "platform/core/Streams.h"

class TBrelvixIO;

class TQkTWainParams {
public:
    explicit TQkTWainParams(TBrelvixIO* owner);
    ~TQkTWainParams();
    TQkTWainParams(const TQkTWainParams&) = delete;
    TQkTWainParams& operator=(const TQkTWainParams&) = delete;

    // Frees the heap blocks, empties the lists, the stream and the strings
    // and sets the values below; the source identity and the connection
    // record stay as they are.
    void Reset();

    TBrelvixIO* const Owner;
    uint8_t VisibleDialog = 1;
    uint8_t ShowSettingsOnly = 0;
    std::vector<std::unique_ptr<uint8_t[]>> HeapBlocks;
    int32_t ReturnCode = 0;
    uint8_t ConditionCode = 0;
    uint8_t TransferState = 0;
    TQkDoubleList XResolution;
    TQkDoubleList YResolution;
    TQkDoubleList XScaling;
    TQkDoubleList YScaling;
    TQkIntegerList PixelType;
    TQkIntegerList BitDepth;
    double Gamma = 2.2;
    double Contrast = 0;
    double Brightness = 0;
    bool AutoFeed = false;
    TQkIntegerList Orientation;
    uint8_t BufferedTransfer = 1;
    std::array<uint8_t, 16> SelectedSource{};
    // Kept across resets.
    std::array<uint8_t, 16> DefaultSource{};
    uint8_t FeederEnabled = 1;
    uint8_t ProgressIndicator = 1;
    uint8_t Duplex = 0;
    bool AutoScan = false;
    uint8_t PaperSize = 0;
    TQkDoubleList Threshold;
    TQkDoubleList Rotation;
    TQkDoubleList PhysicalWidth;
    TQkDoubleList PhysicalHeight;
    uint8_t Units = 0;
    TQkIntegerList Compression;
    bool AcquireFrameEnabled = false;
    std::array<uint8_t, 4> AcquireFrameFlags{};
    int32_t PageCount = -2;
    uint8_t AcquireFrameUnits = 0;
    double AcquireFrameWidth = -1.0;
    double AcquireFrameHeight = -1.0;
    std::string Manufacturer;
    std::string ProductFamily;
    std::string ProductName;
    std::string Info;
    uint8_t ProtocolFlags = 0;
    int16_t Language = -1;
    int16_t Country = 1;
    TMemoryStream NativeTransfer;
    TQkTwainShared Shared;
    int32_t FileTransferFormat = 0;
    std::string FileTransferName;
};
