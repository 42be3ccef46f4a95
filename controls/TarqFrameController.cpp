#include "controls/TarqFrameController.h"

#include <algorithm>

#include "controls/TarqRegIniFile.h"
#include "controls/TarqRegistration.h"
#include "platform/core/Properties.h"
#include "platform/ui/Controls.h"

namespace {

constexpr const char* SettingNames[16] = {
    "Color",           "FocusColor",  "DisabledColor", "ReadOnlyColor",    "ReadOnlyColorOnFocus", "ParentColor",
    "FlatButtonColor", "FlatButtons", "FrameColor",    "FrameHotColor",    "FrameHotTrack",        "FrameHotStyle",
    "FrameSides",      "FrameStyle",  "FrameVisible",  "FramingPreference"};

// The order of a full push: ParentColor before Color, so that a control that
// takes its parent's colour is not handed the controller's.
constexpr TTarqFrameControllerProperty FullPushOrder[16] = {
    fcpParentColor,          fcpColor,         fcpDisabledColor,   fcpReadOnlyColor,
    fcpReadOnlyColorOnFocus, fcpFocusColor,    fcpFlatButtonColor, fcpFlatButtons,
    fcpFrameColor,           fcpFrameHotColor, fcpFrameHotTrack,   fcpFrameHotStyle,
    fcpFrameSides,           fcpFrameStyle,    fcpFrameVisible,    fcpFramingPreference};

} // namespace

const TEnumInfo& FrameControllerPropertyInfo()
{
    static const TEnumInfo info{"TTarqFrameControllerProperty",
                                {"fcpColor", "fcpFocusColor", "fcpDisabledColor", "fcpReadOnlyColor",
                                 "fcpReadOnlyColorOnFocus", "fcpParentColor", "fcpFlatButtonColor", "fcpFlatButtons",
                                 "fcpFrameColor", "fcpFrameHotColor", "fcpFrameHotTrack", "fcpFrameHotStyle",
                                 "fcpFrameSides", "fcpFrameStyle", "fcpFrameVisible", "fcpFramingPreference"}};
    return info;
}

TTarqFrameControllerNotifications AcceptedNotifications(TComponent& control)
{
    const TPropInfo* prop = GetPropInfo(control, "FrameControllerNotifications");
    if (!prop || !prop->Get)
        return AllFrameControllerNotifications;
    const auto bits = static_cast<uint64_t>(platform_detail::ToInt(prop->Get(control)));
    return TTarqFrameControllerNotifications::FromBits(bits & 0xFFFF);
}

TTarqFrameController::TTarqFrameController(TComponent* owner) : TComponent(owner) { RegisterTarqCommonClasses(); }

TTarqFrameController::~TTarqFrameController() { MarkDestroying(); }

void TTarqFrameController::AddControl(TControl* control)
{
    if (!control || std::find(controls_.begin(), controls_.end(), control) != controls_.end())
        return;
    controls_.push_back(control);
    ApplyToControl(control, fcpAll);
}

void TTarqFrameController::RemoveControl(TControl* control)
{
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
}

void TTarqFrameController::EndUpdate()
{
    if (--updateCount_ > 0)
        return;
    updateCount_ = 0;
    ApplyToAll(fcpAll);
}

void TTarqFrameController::ApplyToAll(TTarqFrameControllerProperty index)
{
    if (updateCount_ > 0)
        return;
    // A pushed setting may make a control unlink itself; walk a copy.
    const std::vector<TControl*> linked = controls_;
    for (TControl* control : linked)
        if (std::find(controls_.begin(), controls_.end(), control) != controls_.end())
            ApplyToControl(control, index);
}

void TTarqFrameController::ApplyToControl(TComponent* component, TTarqFrameControllerProperty index)
{
    auto* control = dynamic_cast<TControl*>(component);
    if (!control)
        return;
    const TTarqFrameControllerNotifications accepted = AcceptedNotifications(*control);
    if (auto* client = dynamic_cast<ITarqFrameControllerClient*>(control)) {
        client->ApplyFrameController();
        return;
    }
    if (index == fcpAll) {
        ApplyEverything(*control, accepted);
        return;
    }
    if (accepted.Contains(index))
        SetByName(*control, index);
}

void TTarqFrameController::ApplyEverything(TControl& control, TTarqFrameControllerNotifications accepted)
{
    for (TTarqFrameControllerProperty index : FullPushOrder) {
        if (!accepted.Contains(index) || (index == fcpColor && parentColor_))
            continue;
        SetByName(control, index);
    }
}

void TTarqFrameController::SetByName(TControl& control, TTarqFrameControllerProperty index)
{
    const char* name = SettingNames[index];
    const TPropInfo* prop = GetPropInfo(control, name);
    if (!prop || !prop->Set)
        return;
    if (index == fcpFrameSides)
        SetPropText(control, name, GetPropText(*this, name));
    else
        SetPropValue(control, name, GetPropValue(*this, name));
}

void TTarqFrameController::Assign(const TPersistent* source)
{
    const auto* other = dynamic_cast<const TTarqFrameController*>(source);
    if (!other) {
        TComponent::Assign(source);
        return;
    }
    BeginUpdate();
    color_ = other->color_;
    focusColor_ = other->focusColor_;
    disabledColor_ = other->disabledColor_;
    readOnlyColor_ = other->readOnlyColor_;
    readOnlyColorOnFocus_ = other->readOnlyColorOnFocus_;
    parentColor_ = other->parentColor_;
    flatButtonColor_ = other->flatButtonColor_;
    flatButtons_ = other->flatButtons_;
    frame_ = other->frame_;
    EndUpdate();
}

void TTarqFrameController::SetColor(TColor value)
{
    if (color_ == value)
        return;
    if (color_ == focusColor_)
        focusColor_ = value;
    color_ = value;
    parentColor_ = false;
    ApplyToAll(fcpColor);
}

void TTarqFrameController::SetFocusColor(TColor value) { Change(focusColor_, value, fcpFocusColor); }
void TTarqFrameController::SetDisabledColor(TColor value) { Change(disabledColor_, value, fcpDisabledColor); }
void TTarqFrameController::SetReadOnlyColor(TColor value) { Change(readOnlyColor_, value, fcpReadOnlyColor); }
void TTarqFrameController::SetReadOnlyColorOnFocus(bool value)
{
    Change(readOnlyColorOnFocus_, value, fcpReadOnlyColorOnFocus);
}

void TTarqFrameController::SetParentColor(bool value)
{
    if (parentColor_ == value)
        return;
    parentColor_ = value;
    ApplyToAll(fcpParentColor);
    if (!value)
        ApplyToAll(fcpColor);
}

void TTarqFrameController::SetFlatButtonColor(TColor value) { Change(flatButtonColor_, value, fcpFlatButtonColor); }
void TTarqFrameController::SetFlatButtons(bool value) { Change(flatButtons_, value, fcpFlatButtons); }
void TTarqFrameController::SetFrameColor(TColor value) { Change(frame_.color, value, fcpFrameColor); }
void TTarqFrameController::SetFrameHotColor(TColor value) { Change(frame_.hotColor, value, fcpFrameHotColor); }

void TTarqFrameController::SetFrameHotTrack(bool value)
{
    if (!frame_.TakeHotTrack(value, HasState(csLoading)))
        return;
    if (value)
        SetFrameVisible(true);
    ApplyToAll(fcpFrameHotTrack);
}

void TTarqFrameController::SetFrameHotStyle(TFrameStyle value) { Change(frame_.hotStyle, value, fcpFrameHotStyle); }
void TTarqFrameController::SetFrameSides(TSides value) { Change(frame_.sides, value, fcpFrameSides); }
void TTarqFrameController::SetFrameStyle(TFrameStyle value) { Change(frame_.style, value, fcpFrameStyle); }
void TTarqFrameController::SetFrameVisible(bool value) { Change(frame_.visible, value, fcpFrameVisible); }
void TTarqFrameController::SetFramingPreference(TFramingPreference value)
{
    Change(frame_.framingPreference, value, fcpFramingPreference);
}

void TTarqFrameController::SetRegIniFile(TTarqRegIniFile* value) { regIniFile_.Set(value); }

void TTarqFrameController::Loaded()
{
    TComponent::Loaded();
    ApplyToAll(fcpAll);
}

void TTarqFrameController::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    regIniFile_.Forget(component, operation);
    // The component may be half destroyed: compare addresses only.
    controls_.erase(std::remove_if(controls_.begin(), controls_.end(),
                                   [component](TControl* c) { return static_cast<TComponent*>(c) == component; }),
                    controls_.end());
}
