#pragma once
// The arithmetic of the image view's scroll commands, mouse wheel and smooth
// scrolling: where each asks the origin or the zoom to go. The view clamps
// what these return through its geometry.

#include <cstdint>

// One scroll bar's settings.
struct TQkScrollBarParams {
    // Zoomed image pixels per line step; -1: one.
    int32_t LineStep = -1;
    // Line steps per page; -1: the view's size.
    int32_t PageStep = -1;
    // False: dragging the thumb scrolls only at its final position.
    bool Tracking = true;
};

enum TQkWheelAction : uint8_t { qkwaNothing, qkwaScroll, qkwaZoom };

struct TQkMouseWheelParams {
    bool InverseDirection = false;
    TQkWheelAction Action = qkwaZoom;
    // 0 an absolute amount, 1 a percentage; others do nothing.
    uint8_t Variation = 1;
    int32_t Value = 8;
    // 0 about the view centre, 1 about the mouse.
    uint8_t ZoomPosition = 0;
};

// Scroll commands: 0 set position, 1 end, 2 start, 3 line forward, 4 line
// back, 5 page forward, 6 page back; any other scrolls to the start.
int32_t ScrollCommandTarget(int32_t command, int32_t position, int32_t origin, int32_t maxOrigin, double zoom,
                            int32_t viewSize, const TQkScrollBarParams& bar);

// The wheel's direction: forward (positive delta) counts -1.
int32_t WheelDirection(int32_t delta, const TQkMouseWheelParams& wheel);
// The zoom a wheel turn asks for.
double WheelZoom(double zoom, int32_t delta, const TQkMouseWheelParams& wheel);
// The origin change a wheel turn asks for along one axis.
int32_t WheelScrollStep(double zoom, int32_t viewSize, int32_t delta, const TQkMouseWheelParams& wheel);

// One smooth-scroll tick's new origin: a `divisor`th of the way, rounded
// half to even; a divisor of 0 goes straight to the target.
int32_t SmoothScrollStep(int32_t origin, int32_t target, int32_t divisor);
