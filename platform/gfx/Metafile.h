#pragma once
// TMetafile: a Windows metafile (placeable or plain) or an enhanced
// metafile, drawn by playing its records on a canvas. The bytes come from
// files: every record is bounded by the data when it loads, and a malformed
// file raises EInvalidGraphic.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gfx/Graphic.h"

class TMetafile : public TGraphic {
public:
    bool Empty() const override { return FData.empty(); }
    // At 96 pixels per inch: the placeable bounding box, the enhanced
    // frame, or a plain metafile's window extent.
    int32_t Width() const override { return FWidth; }
    int32_t Height() const override { return FHeight; }
    void SetWidth(int32_t value) override;
    void SetHeight(int32_t value) override;
    bool Enhanced() const { return FEnhanced; }

    void Draw(TCanvas& canvas, const TRect& rect) override;
    // The stream from its position to its end.
    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) const override;
    std::unique_ptr<TGraphic> Clone() const override;

    // The record area and what the player needs from the headers.
    struct TLayout {
        // Where the records start.
        size_t RecordsOffset = 0;
        // The logical rectangle drawn onto the target: the placeable box or
        // window, or the enhanced frame in reference-device pixels.
        double Left = 0, Top = 0, Right = 0, Bottom = 0;
        // Slots of the object table.
        uint32_t Handles = 0;
    };
    const TLayout& Layout() const { return FLayout; }
    const std::vector<uint8_t>& Data() const { return FData; }

private:
    void LoadWindowsMetafile(std::vector<uint8_t> data);
    void LoadEnhancedMetafile(std::vector<uint8_t> data);
    static void FindWindow(const std::vector<uint8_t>& data, TLayout& layout);

    std::vector<uint8_t> FData;
    TLayout FLayout;
    bool FEnhanced = false;
    int32_t FWidth = 0;
    int32_t FHeight = 0;
};
