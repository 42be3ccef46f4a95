#pragma once
// The header control: a row of sections (column captions) with pressed and
// hot tracking, owner-drawn sections (WM_DRAWITEM to the parent) and width
// tracking by dragging a divider. It tells its parent what happens through
// WM_NOTIFY with a TNMHeader; the HDM_* messages read and change sections.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/OwnerDraw.h"

class TCustomImageList;

// Header messages.
constexpr uint32_t HDM_GETITEMCOUNT = 0x1200;
constexpr uint32_t HDM_INSERTITEM = 0x1201; // WParam index, LParam const THDItem*
constexpr uint32_t HDM_DELETEITEM = 0x1202;
constexpr uint32_t HDM_GETITEM = 0x1203; // WParam index, LParam THDItem* (mask says what)
constexpr uint32_t HDM_SETITEM = 0x1204;
constexpr uint32_t HDM_HITTEST = 0x1206; // LParam THDHitTestInfo*
constexpr uint32_t HDM_GETITEMRECT = 0x1207; // WParam index, LParam TRect*

constexpr uint32_t HDI_WIDTH = 0x01, HDI_TEXT = 0x02, HDI_FORMAT = 0x04, HDI_LPARAM = 0x08, HDI_IMAGE = 0x20;
constexpr int32_t HDF_LEFT = 0x0000, HDF_RIGHT = 0x0001, HDF_CENTER = 0x0002, HDF_JUSTIFYMASK = 0x0003,
                  HDF_SORTDOWN = 0x0200, HDF_SORTUP = 0x0400, HDF_IMAGE = 0x0800, HDF_STRING = 0x4000,
                  HDF_OWNERDRAW = 0x8000;
constexpr uint32_t HHT_NOWHERE = 0x01, HHT_ONHEADER = 0x02, HHT_ONDIVIDER = 0x04;

// Header notifications (one code per event).
constexpr int32_t HDN_ITEMCHANGING = -300;
constexpr int32_t HDN_ITEMCHANGED = -301;
constexpr int32_t HDN_DIVIDERDBLCLICK = -305;
constexpr int32_t HDN_BEGINTRACK = -306; // answering non-zero refuses the tracking
constexpr int32_t HDN_ENDTRACK = -307;
constexpr int32_t HDN_TRACK = -308;
constexpr int32_t HDN_ITEMCLICK = -322;

struct THDItem {
    uint32_t mask = 0;
    int32_t cxy = 0;
    std::string text;
    int32_t fmt = HDF_LEFT | HDF_STRING;
    int32_t iImage = -1;
    intptr_t lParam = 0;
};

struct THDHitTestInfo {
    TPoint pt;
    uint32_t flags = 0;
    int32_t iItem = -1;
};

struct TNMHeader {
    TNMHdr hdr;
    int32_t iItem = -1;
    int32_t iButton = 0;
    THDItem* pitem = nullptr;
};

using THeaderSectionEvent = std::function<void(TObject* sender, int32_t index)>;

class THeaderControl : public TCustomControl {
public:
    explicit THeaderControl(TComponent* owner);

    int32_t SectionCount() const { return static_cast<int32_t>(items_.size()); }
    const THDItem& Section(int32_t index) const { return items_.at(static_cast<size_t>(index)); }
    void InsertSection(int32_t index, const THDItem& item);
    void DeleteSection(int32_t index);
    void SetSectionWidth(int32_t index, int32_t width);
    // The section's rectangle in client coordinates (after the offset).
    TRect SectionRect(int32_t index) const;
    // Section under a client point; flags receive HHT_*.
    int32_t HitTest(TPoint p, uint32_t* flags = nullptr) const;

    // Sections press like buttons (and report clicks).
    bool Buttons() const { return buttons_; }
    void SetButtons(bool value) { buttons_ = value; }
    // Pixels the sections are shifted to the left (the owner's scrolling).
    int32_t OffsetX() const { return offsetX_; }
    void SetOffsetX(int32_t value);
    TCustomImageList* Images() const { return images_; }
    void SetImages(TCustomImageList* value);

    int32_t HotIndex() const { return hotIndex_; }
    int32_t PressedIndex() const { return pressed_ && pressedInside_ ? pressedIndex_ : -1; }
    // The section whose divider is being dragged, or -1.
    int32_t TrackingIndex() const { return trackIndex_; }

    THeaderSectionEvent OnSectionClick;
    THeaderSectionEvent OnSectionResize;

    // How close to a section's right edge the divider can be grabbed.
    static constexpr int32_t DividerGrip = 4;

protected:
    void Dispatch(TMessage& message) override;
    void Paint() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    bool HandleHeaderMessage(TMessage& message);
    LRESULT NotifyParent(int32_t code, int32_t index);
    void SetHotIndex(int32_t index);
    void MouseDownAt(TPoint p, bool dbl);
    void MouseMoveAt(TPoint p);
    void MouseUpAt(TPoint p);
    void PaintSection(TCanvas& canvas, int32_t index);

    std::vector<THDItem> items_;
    bool buttons_ = true;
    int32_t offsetX_ = 0;
    TComponentRef<TCustomImageList> images_{this};
    int32_t hotIndex_ = -1;
    int32_t pressedIndex_ = -1;
    bool pressed_ = false;
    bool pressedInside_ = false;
    int32_t trackIndex_ = -1;
    int32_t trackGrab_ = 0; // mouse x minus the section's right edge at the press
};
