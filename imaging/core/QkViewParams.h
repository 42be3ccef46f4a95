#pragma once
// Two small settings records of the image view, which interprets them.

#include <cstdint>

// One per scroll bar of the image view.
struct TQkScrollBarParams {
    // -1: one scroll unit; otherwise that many units.
    int32_t LineStep = -1;
    // -1: one client page; otherwise that many units.
    int32_t PageStep = -1;
    bool Tracking = true;
};

struct TQkMouseWheelParams {
    uint8_t InvertDirection = 0;
    // 0 none, 1 scroll, 2 zoom.
    uint8_t Action = 2;
    // 0 the value is absolute, 1 a percentage.
    uint8_t Variation = 1;
    int32_t Value = 8;
    // Non-zero: zoom about the mouse position, otherwise about the centre.
    int32_t ZoomPosition = 0;
};
