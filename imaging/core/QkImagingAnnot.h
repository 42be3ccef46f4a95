#pragma once
// Annotation marks of a TIFF image (lines, strokes, texts, images), kept as
// the data of TIFF tag 32932: a sequence of attribute records, each followed
// by the named blocks of its mark.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "imaging/core/QkBitmap.h"

constexpr uint16_t qkImagingAnnotTag = 32932;

struct TQkAnnotPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TQkAnnotPoint&) const = default;
};

// One mark. Its attribute record is kept as read; only the mark type and the
// font height are taken from it.
class TQkImagingObject {
public:
    static constexpr size_t AttributeSize = 164;
    // Types whose marks carry an image, points or a text.
    static constexpr int32_t ImageMark = 1;
    static constexpr int32_t FirstPointsMark = 3;
    static constexpr int32_t LastPointsMark = 4;
    static constexpr int32_t FirstTextMark = 7;
    static constexpr int32_t LastTextMark = 10;

    std::array<uint8_t, AttributeSize> Attributes{};
    std::vector<TQkAnnotPoint> Points;
    std::optional<std::string> Text;
    std::unique_ptr<TQkBitmap> Image;

    int32_t MarkType() const;
    void SetMarkType(int32_t type);
    // The height of the text's font (negative: the character height).
    int32_t FontHeight() const;
    void SetFontHeight(int32_t height);

    bool CarriesPoints() const { return MarkType() >= FirstPointsMark && MarkType() <= LastPointsMark; }
    bool CarriesText() const { return MarkType() >= FirstTextMark && MarkType() <= LastTextMark; }

    std::unique_ptr<TQkImagingObject> Clone() const;
};

class TQkImagingAnnot {
public:
    std::vector<std::unique_ptr<TQkImagingObject>>& Objects() { return objects_; }
    const std::vector<std::unique_ptr<TQkImagingObject>>& Objects() const { return objects_; }
    void Clear() { objects_.clear(); }
    // Deep copies of the other's marks replace this list's.
    void Assign(const TQkImagingAnnot& other);

    // Set by the caller's changes, cleared by a load.
    bool UserChanged() const { return userChanged_; }
    void SetUserChanged(bool changed) { userChanged_ = changed; }

    // Appends the marks of tag 32932's data. Every record, block, point list
    // and text is checked against the data: one that does not fit ends the
    // data, keeping the marks before it.
    void LoadFromBuffer(const uint8_t* data, int64_t length);
    // The tag data of every mark; empty when there are none.
    std::vector<uint8_t> SaveToBuffer() const;

private:
    std::vector<std::unique_ptr<TQkImagingObject>> objects_;
    bool userChanged_ = false;
};
