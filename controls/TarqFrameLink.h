#pragma once
// A control's link to its frame controller: the controller, the settings the
// control takes from it, and the free notification that clears the link when
// the controller goes first. The control passes its Notification calls to
// Forget; the link leaves the controller's list when the control goes.

#include "controls/TarqFrameController.h"
#include "platform/ui/Controls.h"

class TTarqFrameLink {
public:
    explicit TTarqFrameLink(TControl& control) : control_(control), controller_(&control) {}
    ~TTarqFrameLink();
    TTarqFrameLink(const TTarqFrameLink&) = delete;
    TTarqFrameLink& operator=(const TTarqFrameLink&) = delete;

    TTarqFrameController* Controller() const { return controller_; }
    // Leaves the old controller and joins `value`, which pushes every setting
    // into the control; false (and nothing done) for the current controller.
    bool Set(TTarqFrameController* value);
    // The controller when there is one and its frame shows, else null: the
    // bordered controls take its settings only then.
    const TTarqFrameController* VisibleController() const;

    TTarqFrameControllerNotifications Notifications() const { return notifications_; }
    void SetNotifications(TTarqFrameControllerNotifications value) { notifications_ = value; }
    bool Accepts(TTarqFrameControllerProperty property) const { return notifications_.Contains(property); }
    // Whether a setting is left to a linked controller (and so not written to
    // form resources).
    bool Controls(TTarqFrameControllerProperty property) const { return controller_ && Accepts(property); }

    // For the control's Notification: true when the controller is going.
    bool Forget(TComponent* component, TOperation operation) { return controller_.Forget(component, operation); }

private:
    TControl& control_;
    TComponentRef<TTarqFrameController> controller_;
    TTarqFrameControllerNotifications notifications_ = AllFrameControllerNotifications;
};
