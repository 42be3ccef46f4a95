#include "imaging/formats/scan/QkTWainParams.h"

TQkTWainParams::TQkTWainParams(TBrelvixIO* owner) : Owner(owner) { Reset(); }

TQkTWainParams::~TQkTWainParams()
{
    ReleaseTwainShared(Shared);
    Reset();
}

void TQkTWainParams::Reset()
{
    VisibleDialog = 1;
    ShowSettingsOnly = 0;
    HeapBlocks.clear();
    ReturnCode = 0;
    ConditionCode = 0;
    TransferState = 0;
    for (TQkDoubleList* list :
         {&XResolution, &YResolution, &XScaling, &YScaling, &Threshold, &Rotation, &PhysicalWidth, &PhysicalHeight})
        list->Clear();
    for (TQkIntegerList* list : {&PixelType, &BitDepth, &Orientation, &Compression})
        list->Clear();
    Gamma = 2.2;
    Contrast = 0;
    Brightness = 0;
    AutoFeed = false;
    BufferedTransfer = 1;
    SelectedSource = {};
    FeederEnabled = 1;
    ProgressIndicator = 1;
    Duplex = 0;
    AutoScan = false;
    PaperSize = 0;
    Units = 0;
    AcquireFrameEnabled = false;
    AcquireFrameFlags = {};
    PageCount = -2;
    AcquireFrameUnits = 0;
    AcquireFrameWidth = -1.0;
    AcquireFrameHeight = -1.0;
    for (std::string* text : {&Manufacturer, &ProductFamily, &ProductName, &Info})
        text->clear();
    ProtocolFlags = 0;
    Language = -1;
    Country = 1;
    NativeTransfer.SetSize(0);
    FileTransferFormat = 0;
    FileTransferName.clear();
}
