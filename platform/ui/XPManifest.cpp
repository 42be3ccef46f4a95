#include "platform/ui/XPManifest.h"

#include "platform/ui/GraphicControlsRegistration.h"

TXPManifest::TXPManifest(TComponent* owner) : TComponent(owner) { RegisterGraphicControls(); }
