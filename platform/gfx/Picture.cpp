#include "platform/gfx/Picture.h"

#include "platform/core/Files.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Icon.h"

#include <map>
#include <mutex>

namespace {

std::mutex FormatsLock;

std::map<std::string, TPictureFileFormat>& Formats()
{
    static std::map<std::string, TPictureFileFormat> formats = [] {
        std::map<std::string, TPictureFileFormat> builtIn;
        builtIn["BMP"] = {"BMP", "Bitmaps", [] { return std::make_unique<TBitmap>(); }};
        builtIn["ICO"] = {"ICO", "Icons", [] { return std::make_unique<TIcon>(); }};
        return builtIn;
    }();
    return formats;
}

std::map<std::string, TGraphicFactory>& GraphicClasses()
{
    static std::map<std::string, TGraphicFactory> classes = {
        {"TBITMAP", [] { return std::make_unique<TBitmap>(); }},
        {"TICON", [] { return std::make_unique<TIcon>(); }},
    };
    return classes;
}

std::string NormalizeExtension(const std::string& extension)
{
    return UpperCase(!extension.empty() && extension[0] == '.' ? extension.substr(1) : extension);
}

} // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicFactory factory)
{
    std::lock_guard<std::mutex> lock(FormatsLock);
    const std::string key = NormalizeExtension(extension);
    Formats()[key] = {key, description, std::move(factory)};
}

void UnregisterFileFormat(const std::string& extension)
{
    std::lock_guard<std::mutex> lock(FormatsLock);
    Formats().erase(NormalizeExtension(extension));
}

std::vector<TPictureFileFormat> RegisteredFileFormats()
{
    std::lock_guard<std::mutex> lock(FormatsLock);
    std::vector<TPictureFileFormat> list;
    for (const auto& [key, format] : Formats())
        list.push_back(format);
    return list;
}

std::unique_ptr<TGraphic> CreateGraphicForExtension(const std::string& extension)
{
    TGraphicFactory factory;
    {
        std::lock_guard<std::mutex> lock(FormatsLock);
        const auto it = Formats().find(NormalizeExtension(extension));
        if (it != Formats().end())
            factory = it->second.Create;
    }
    if (!factory)
        throw EInvalidGraphic(Format("Unknown picture file extension (.%s)", NormalizeExtension(extension).c_str()));
    return factory();
}

void RegisterGraphicClass(const std::string& className, TGraphicFactory factory)
{
    std::lock_guard<std::mutex> lock(FormatsLock);
    GraphicClasses()[UpperCase(className)] = std::move(factory);
}

std::unique_ptr<TGraphic> CreateGraphicForClassName(const std::string& className)
{
    TGraphicFactory factory;
    {
        std::lock_guard<std::mutex> lock(FormatsLock);
        const auto it = GraphicClasses().find(UpperCase(className));
        if (it != GraphicClasses().end())
            factory = it->second;
    }
    if (!factory)
        throw EInvalidGraphic(Format("Unknown picture class %s", className.c_str()));
    return factory();
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPicture::TakeGraphic(std::unique_ptr<TGraphic> graphic)
{
    FGraphic = std::move(graphic);
    if (FGraphic)
        FGraphic->OnChange = [this](TObject*) { Changed(); };
    Changed();
}

void TPicture::SetGraphic(const TGraphic* graphic) { TakeGraphic(graphic ? graphic->Clone() : nullptr); }

TBitmap* TPicture::Bitmap()
{
    auto* bitmap = dynamic_cast<TBitmap*>(FGraphic.get());
    if (!bitmap) {
        TakeGraphic(std::make_unique<TBitmap>());
        bitmap = static_cast<TBitmap*>(FGraphic.get());
    }
    return bitmap;
}

int32_t TPicture::Width() const { return FGraphic ? FGraphic->Width() : 0; }

int32_t TPicture::Height() const { return FGraphic ? FGraphic->Height() : 0; }

void TPicture::LoadFromFile(const std::string& fileName)
{
    std::unique_ptr<TGraphic> graphic = CreateGraphicForExtension(ExtractFileExt(fileName));
    graphic->LoadFromFile(fileName);
    TakeGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& fileName) const
{
    if (!FGraphic)
        throw EInvalidGraphicOperation("Cannot save an empty picture");
    FGraphic->SaveToFile(fileName);
}

void TPicture::ReadData(TStream& stream)
{
    uint8_t length = 0;
    stream.ReadBuffer(&length, 1);
    std::string className(length, '\0');
    stream.ReadBuffer(className.data(), length);
    std::unique_ptr<TGraphic> graphic = CreateGraphicForClassName(className);
    graphic->ReadData(stream);
    TakeGraphic(std::move(graphic));
}

void TPicture::WriteData(TStream& stream) const
{
    if (!FGraphic)
        return;
    const std::string className = FGraphic->ClassName();
    const auto length = static_cast<uint8_t>(className.size());
    stream.WriteBuffer(&length, 1);
    stream.WriteBuffer(className.data(), length);
    FGraphic->WriteData(stream);
}

void TPicture::Assign(const TPersistent* source)
{
    if (!source) {
        TakeGraphic(nullptr);
    } else if (const auto* picture = dynamic_cast<const TPicture*>(source)) {
        if (picture != this)
            SetGraphic(picture->Graphic());
    } else if (const auto* graphic = dynamic_cast<const TGraphic*>(source)) {
        SetGraphic(graphic);
    } else {
        TPersistent::Assign(source);
    }
}
