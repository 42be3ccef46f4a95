#pragma once
// Pictures that can draw themselves and travel through streams.

#include "platform/core/Exceptions.h"
#include "platform/core/Persistent.h"
#include "platform/gfx/Geometry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCanvas;
class TStream;

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};
// A picture larger than the memory a bitmap may take.
class EOutOfResources : public EOutOfMemory {
public:
    using EOutOfMemory::EOutOfMemory;
};

// A clipboard format: a predefined one or a name the clipboard registered.
using TClipFormat = uint32_t;
// Bitmaps on the clipboard: the bytes of a bitmap file.
constexpr TClipFormat CF_BITMAP = 2;

class TGraphic : public TPersistent {
public:
    virtual bool Empty() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual void SetWidth(int32_t value) = 0;
    virtual void SetHeight(int32_t value) = 0;

    // Drawn with the transparent colour left out.
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool value);
    // Set by every change.
    bool Modified() const { return FModified; }
    void SetModified(bool value);

    // Draws the picture stretched over the rectangle.
    virtual void Draw(TCanvas& canvas, const TRect& rect) = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) const = 0;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
    // The graphic as a form resource's binary "Data" holds it: the stream
    // format itself unless a class frames it (a bitmap puts its size first).
    virtual void ReadData(TStream& stream);
    virtual void WriteData(TStream& stream) const;
    // The picture as clipboard data in the format its class puts there. A
    // class without a clipboard form, or data in another format, raises
    // EInvalidGraphic.
    virtual void LoadFromClipboardFormat(TClipFormat format, const std::vector<uint8_t>& data);
    virtual void SaveToClipboardFormat(TClipFormat& format, std::vector<uint8_t>& data);

    // A new graphic of the same class holding a copy of the picture.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    TNotifyEvent OnChange;

protected:
    void Changed();

private:
    bool FTransparent = false;
    bool FModified = false;
};
