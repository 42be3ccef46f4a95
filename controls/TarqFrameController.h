#pragma once
// A non-visual component that holds one set of frame and colour settings and
// pushes them, by published-property name, into every control linked to it,
// so that the framed controls of a form share one look.

#include <cstdint>
#include <vector>

#include "controls/TarqFrameSettings.h"
#include "controls/TarqTypes.h"
#include "platform/core/Components.h"
#include "platform/gfx/Colors.h"

class TControl;
class TTarqRegIniFile;

enum TTarqFrameControllerProperty : uint8_t {
    fcpColor,
    fcpFocusColor,
    fcpDisabledColor,
    fcpReadOnlyColor,
    fcpReadOnlyColorOnFocus,
    fcpParentColor,
    fcpFlatButtonColor,
    fcpFlatButtons,
    fcpFrameColor,
    fcpFrameHotColor,
    fcpFrameHotTrack,
    fcpFrameHotStyle,
    fcpFrameSides,
    fcpFrameStyle,
    fcpFrameVisible,
    fcpFramingPreference,
    fcpAll // every setting
};
// Which settings a control takes from its controller (bit i = setting i).
using TTarqFrameControllerNotifications = TSet<TTarqFrameControllerProperty>;
inline constexpr TTarqFrameControllerNotifications AllFrameControllerNotifications =
    TTarqFrameControllerNotifications::FromBits(0xFFFF);
// The sixteen setting names, for the FrameControllerNotifications property.
const TEnumInfo& FrameControllerPropertyInfo();

// A control that copies the settings it accepts itself, told of every change.
class ITarqFrameControllerClient {
public:
    virtual ~ITarqFrameControllerClient() = default;
    virtual void ApplyFrameController() = 0;
};

class TTarqFrameController : public TComponent {
public:
    explicit TTarqFrameController(TComponent* owner);
    ~TTarqFrameController() override;

    // Links a control and pushes every setting into it.
    void AddControl(TControl* control);
    void RemoveControl(TControl* control);
    int32_t ControlCount() const { return static_cast<int32_t>(controls_.size()); }

    // Pushes wait until the last EndUpdate, which pushes everything once.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    virtual void ApplyToAll(TTarqFrameControllerProperty index);
    virtual void ApplyToControl(TComponent* control, TTarqFrameControllerProperty index);

    using TPersistent::Assign;
    void Assign(const TPersistent* source) override;

    TColor Color() const { return color_; }
    virtual void SetColor(TColor value);
    TColor FocusColor() const { return focusColor_; }
    virtual void SetFocusColor(TColor value);
    TColor DisabledColor() const { return disabledColor_; }
    virtual void SetDisabledColor(TColor value);
    TColor ReadOnlyColor() const { return readOnlyColor_; }
    virtual void SetReadOnlyColor(TColor value);
    bool ReadOnlyColorOnFocus() const { return readOnlyColorOnFocus_; }
    virtual void SetReadOnlyColorOnFocus(bool value);
    bool ParentColor() const { return parentColor_; }
    virtual void SetParentColor(bool value);
    TColor FlatButtonColor() const { return flatButtonColor_; }
    virtual void SetFlatButtonColor(TColor value);
    bool FlatButtons() const { return flatButtons_; }
    virtual void SetFlatButtons(bool value);
    TColor FrameColor() const { return frame_.color; }
    virtual void SetFrameColor(TColor value);
    TColor FrameHotColor() const { return frame_.hotColor; }
    virtual void SetFrameHotColor(TColor value);
    bool FrameHotTrack() const { return frame_.hotTrack; }
    virtual void SetFrameHotTrack(bool value);
    TFrameStyle FrameHotStyle() const { return frame_.hotStyle; }
    virtual void SetFrameHotStyle(TFrameStyle value);
    TSides FrameSides() const { return frame_.sides; }
    virtual void SetFrameSides(TSides value);
    TFrameStyle FrameStyle() const { return frame_.style; }
    virtual void SetFrameStyle(TFrameStyle value);
    bool FrameVisible() const { return frame_.visible; }
    virtual void SetFrameVisible(bool value);
    TFramingPreference FramingPreference() const { return frame_.framingPreference; }
    virtual void SetFramingPreference(TFramingPreference value);
    TTarqRegIniFile* RegIniFile() const { return regIniFile_; }
    virtual void SetRegIniFile(TTarqRegIniFile* value);

protected:
    void Loaded() override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    template <class V>
    void Change(V& field, V value, TTarqFrameControllerProperty index)
    {
        if (field == value)
            return;
        field = value;
        ApplyToAll(index);
    }
    void SetByName(TControl& control, TTarqFrameControllerProperty index);
    void ApplyEverything(TControl& control, TTarqFrameControllerNotifications accepted);

    int32_t updateCount_ = 0;
    std::vector<TControl*> controls_;
    TColor color_ = clWindow;
    TColor focusColor_ = clWindow;
    TColor disabledColor_ = clBtnFace;
    TColor readOnlyColor_ = clInfoBk;
    bool readOnlyColorOnFocus_ = false;
    bool parentColor_ = false;
    TColor flatButtonColor_ = clBtnFace;
    bool flatButtons_ = true;
    TTarqFrameSettings frame_;
    TComponentRef<TTarqRegIniFile> regIniFile_{this};
};

// The settings a control accepts: its published FrameControllerNotifications,
// or all of them when it has no such property.
TTarqFrameControllerNotifications AcceptedNotifications(TComponent& control);
