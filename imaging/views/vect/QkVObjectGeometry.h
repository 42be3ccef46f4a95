#pragma once
// Where vector objects are, in bitmap coordinates: the distance from a point
// to an object by kind, the nearest object under a point, moving and
// resizing by a grip, polyline boxes, angle gauge boxes and the selection.

#include <cstdint>

#include "imaging/views/vect/QkVObjectSet.h"

// The view's hit-test settings.
struct TQkVHitSettings {
    // Largest distance, in bitmap pixels at zoom 1, still reported; -1 none.
    int32_t HitTolerance = -1;
    // An unfilled box is hit inside too.
    bool FillBoxHit = false;
    // A bitmap object is hit only where its image is not fully transparent.
    bool BitmapAlphaHit = true;
};

// 0 inside filled shapes; larger the further the point lies from the object.
double ObjectDistance(TQkVObjectSet& objects, const TQkVObject& record, int32_t x, int32_t y,
                      const TQkVHitSettings& settings);
// The nearest visible object (selectable ones when asked) whose box overlaps
// `visiblePart`; among equal distances the topmost. qkvAllObjects when none,
// or when the nearest lies beyond the tolerance at this zoom.
int32_t FindObjectAt(TQkVObjectSet& objects, int32_t x, int32_t y, bool selectableOnly, double& distance,
                     const TRect& visiblePart, double zoom, const TQkVHitSettings& settings);

void MoveObject(TQkVObject& record, int32_t dx, int32_t dy);
// Adds the offsets to the corners; with keepAspect the coordinate the grip
// does not drive follows SavedRect's proportions.
void ResizeObject(TQkVObject& record, int32_t dX1, int32_t dY1, int32_t dX2, int32_t dY2, bool keepAspect,
                  int32_t grip);
// The scales that map a polyline's base box onto its box; 1 for an empty
// base extent.
void GetPolylineScale(const TQkVObject& record, double& sx, double& sy);
// The box becomes the mapped points' bounds and the base box the points' own.
void NormalizePolyline(TQkVObject& record);
int32_t CountAnglePoints(const std::array<TPoint, 3>& points);
// A box symmetric about the vertex, reaching the farther leg end.
void AngleGaugeBounds(TQkVObject& record);

// ---- Selection (no events: the view fires them) ----
void AddSelObject(TQkVObjectSet& objects, int32_t hobj);
bool IsSelObject(TQkVObjectSet& objects, int32_t hobj);
void UnSelObject(TQkVObjectSet& objects, int32_t hobj);
// Selects the object (or every object for qkvAllObjects) whose box lies
// inside the rectangle, edges included.
void SelectObjectsInRect(TQkVObjectSet& objects, int32_t hobj, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// From (image width, image height, 0, 0), widened to every selected corner.
TRect GetSelectionBounds(TQkVObjectSet& objects, int32_t imageWidth, int32_t imageHeight);
