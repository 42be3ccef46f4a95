#pragma once
// TXPManifest asks for the themed look of the common controls. Themes stay
// off on this platform, so it only lets form resources name it.

#include "platform/core/Components.h"

class TXPManifest : public TComponent {
public:
    explicit TXPManifest(TComponent* owner);
};
