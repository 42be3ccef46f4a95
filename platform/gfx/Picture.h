#pragma once
// TPicture holds one graphic of any registered class; file formats register
// a factory under their extension (BMP and ICO are built in).

#include "platform/gfx/Graphic.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TBitmap;

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

struct TPictureFileFormat {
    std::string Extension; // without the dot, upper case
    std::string Description;
    TGraphicFactory Create;
};

// Registers (or replaces) the graphic class for an extension such as "png";
// extensions compare without regard to case.
void RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicFactory factory);
void UnregisterFileFormat(const std::string& extension);
std::vector<TPictureFileFormat> RegisteredFileFormats();
// A new empty graphic for the extension (with or without the dot); raises
// EInvalidGraphic "Unknown picture file extension (.%s)".
std::unique_ptr<TGraphic> CreateGraphicForExtension(const std::string& extension);

// Registers (or replaces) a graphic class under its class name ("TBitmap"),
// the name a picture's streamed data starts with (TBitmap and TIcon are
// built in); names compare without regard to case.
void RegisterGraphicClass(const std::string& className, TGraphicFactory factory);
// A new empty graphic of the class; raises EInvalidGraphic
// "Unknown picture class %s".
std::unique_ptr<TGraphic> CreateGraphicForClassName(const std::string& className);

class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;

    // nullptr when empty.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // Keeps a copy of the graphic (nullptr empties the picture).
    void SetGraphic(const TGraphic* graphic);
    // The graphic as a bitmap: a graphic of another class is replaced by an
    // empty bitmap first.
    TBitmap* Bitmap();
    int32_t Width() const;
    int32_t Height() const;

    // The graphic class comes from the file's extension.
    void LoadFromFile(const std::string& fileName);
    // Raises EInvalidGraphicOperation when the picture is empty.
    void SaveToFile(const std::string& fileName) const;

    // The picture as a form resource's binary "Data" holds it: the graphic's
    // class name (a length byte, then the name) and the graphic's own data.
    // Nothing is written for an empty picture; on a read error the picture
    // stays as it was.
    void ReadData(TStream& stream);
    void WriteData(TStream& stream) const;

    using TPersistent::Assign;
    // Accepts another picture, any graphic, or nullptr.
    void Assign(const TPersistent* source) override;

    TNotifyEvent OnChange;

private:
    void TakeGraphic(std::unique_ptr<TGraphic> graphic);
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
};
