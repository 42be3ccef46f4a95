#pragma once
// The vector object record: one drawable object of the vector layer (a line,
// box, text, memo, ruler, ...), with everything it owns held by value, so
// that copying a record copies its texts, points and runs and dropping it
// frees them.

#include <array>
#include <cstdint>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "imaging/views/textedit/QkFormatRun.h"
#include "platform/gfx/Brush.h"
#include "platform/gfx/Colors.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/LogFont.h"
#include "platform/gfx/Pen.h"

class TQkVUserObject;

// Object handles: the index of the object's record; these four have no record
// of their own or stand for more than one object.
constexpr int32_t qkvTemplate = -1;
constexpr int32_t qkvLastObject = -2;
constexpr int32_t qkvAllObjects = -3;
constexpr int32_t qkvNoObject = -4;

enum TQkVObjKind : uint8_t {
    qkvkNone,
    qkvkLine,
    qkvkBox,
    qkvkEllipse,
    qkvkArc,
    qkvkBitmap,
    qkvkText,
    qkvkRuler,
    qkvkPolyline,
    qkvkAngle,
    qkvkMemo,
    qkvkLabelLine,
    qkvkUserObject,
};

// Measuring units, in the order their abbreviations are listed.
enum TQkUnits : uint8_t {
    qkuPIXELS,
    qkuINCHES,
    qkuKM,
    qkuMETERS,
    qkuCENTIMETERS,
    qkuMILLIMETERS,
    qkuMICRONS,
    qkuNANOMETERS,
    qkuFEET,
    qkuYARDS,
    qkuMILES,
};

// Object flag bits.
constexpr uint8_t qkvfSelectable = 1;
constexpr uint8_t qkvfMovable = 2;
constexpr uint8_t qkvfResizable = 4;
constexpr uint8_t qkvfVisible = 8;

// An angle gauge's point that was never set.
constexpr int32_t UnsetAnglePoint = -1000000;

struct TQkVSoftShadow {
    bool Enabled = false;
    double Radius = 3.0;
    int32_t OffsetX = 0;
    int32_t OffsetY = 0;
    int32_t Intensity = 100;
    std::array<uint8_t, 3> ShadowColor{}; // blue, green, red
};

struct TQkVCurvePoint {
    double x = 0;
    double y = 0;
};

// Owns a record's user object; copying a record clones its instance.
class TQkVUserObjectHolder {
public:
    TQkVUserObjectHolder();
    TQkVUserObjectHolder(std::unique_ptr<TQkVUserObject> object);
    ~TQkVUserObjectHolder();
    TQkVUserObjectHolder(const TQkVUserObjectHolder&);
    TQkVUserObjectHolder& operator=(const TQkVUserObjectHolder&);
    TQkVUserObjectHolder(TQkVUserObjectHolder&&) noexcept;
    TQkVUserObjectHolder& operator=(TQkVUserObjectHolder&&) noexcept;

    TQkVUserObject* get() const { return object_.get(); }
    explicit operator bool() const { return object_ != nullptr; }
    TQkVUserObject* operator->() const { return object_.get(); }

private:
    std::unique_ptr<TQkVUserObject> object_;
};

struct TQkVObject {
    int32_t X1 = 0;
    int32_t Y1 = 0;
    int32_t X2 = 63;
    int32_t Y2 = 63;
    TQkVObjKind Kind = qkvkNone;
    int32_t Transparency = 255;
    std::vector<uint8_t> UserData; // the caller's block; its size is UserDataLen
    bool KeepAspect = false;
    uint8_t BlendOperation = 0;
    uint8_t BeginShape = 0;
    uint8_t EndShape = 0;
    int32_t ShapeWidth = 10;
    int32_t ShapeHeight = 20;
    TColor LabelBrushColor = 0xFFFFFF;
    uint8_t LabelBrushStyle = bsSolid;
    uint8_t LabelPosition = 1;
    uint8_t LabelBorder = 1;
    TRect LabelRect{}; // filled by drawing, never stored
    TColor PenColor = 0;
    uint8_t PenStyle = psSolid;
    int32_t PenWidth = 1;
    TColor BrushColor = 0xFFFFFF;
    uint8_t BrushStyle = bsClear;
    bool AndFill = false;
    double BeginAngle = 0;
    double EndAngle = 2 * std::numbers::pi;
    int32_t BitmapIndex = -1;
    bool BitmapBorder = false;
    std::optional<std::string> Text;
    std::optional<TLogFont> Font;
    uint8_t FontQuality = 0;
    uint8_t TextAlign = 0;
    bool TextAutoSize = false;
    bool MemoSingleFormat = true;
    std::vector<TQkVCurvePoint> CurvePoints;
    int32_t CurveTextAngle = -10;
    bool TextEditable = true;
    std::optional<std::vector<int32_t>> CharRuns;
    std::vector<TQkFormatRunRecord> FontRuns;
    int32_t MemoLineSpacing = 0;
    TColor MemoBorderColor = 0xFFFFFF;
    uint8_t MemoBorderStyle = psSolid;
    int32_t MemoFixedCharHeight = 0;
    bool MemoHasBitmap = false;
    std::array<double, 4> MemoMargins{};
    uint8_t MemoCharBackStyle = bsSolid;
    std::optional<std::string> Name;
    int32_t Tag = 0;
    uint8_t Flags = qkvfSelectable | qkvfMovable | qkvfResizable | qkvfVisible;
    TQkUnits RulerUnit = qkuPIXELS;
    uint8_t RulerType = 2;
    std::vector<TPoint> Points;
    int32_t BaseX1 = 0;
    int32_t BaseY1 = 0;
    int32_t BaseX2 = 0;
    int32_t BaseY2 = 0;
    bool Closed = false;
    std::vector<TPoint> ScreenPoints; // from the last drawing, never stored
    std::array<TPoint, 3> AnglePoints{TPoint{0, 0}, TPoint{50, 0}, TPoint{50, 50}};
    TRect SavedRect{};
    TRect DrawnRect{};
    int32_t DrawMargin = 0;
    TQkVSoftShadow SoftShadow;
    TQkVUserObjectHolder UserObject;

    int32_t UserDataLen() const { return static_cast<int32_t>(UserData.size()); }
    int32_t CurvePointCount() const { return static_cast<int32_t>(CurvePoints.size()); }
    int32_t PointCount() const { return static_cast<int32_t>(Points.size()); }
};

// The kinds that order their corners when added: all but those whose first
// point is their start (lines, rulers, polylines, label lines).
bool KeepsCornerOrder(TQkVObjKind kind);
// Lines and label lines carry arrow shapes.
bool HasArrowShapes(TQkVObjKind kind);
// Texts, label lines and user objects carry a one-line text with a curve.
bool HasLineText(TQkVObjKind kind);
