#pragma once

#include <windows.h>

namespace TorUtility {

// Every size and position the toolkit's callers give and read is in logical pixels, 96 to the
// inch, which is what the platform calls a pixel for a program that declares no awareness of the
// display's scale. What goes to and comes from the platform is in the device pixels of the
// window's monitor. These functions are the one place where one becomes the other.
constexpr UINT logicalDpi = 96;
// The scales the platform can set, from 100 % to 500 %; a scale message naming another is no scale.
constexpr UINT lowestDpi = logicalDpi;
constexpr UINT highestDpi = 480;

// Logical to device pixels, rounded to the nearest (halves away from zero), as MulDiv rounds.
int ToDevice(int logical, UINT dpi);
// A rectangle is scaled by its edges, so that rectangles that meet in logical pixels still meet,
// without a gap or an overlap, in device pixels. Every window and picture is placed and sized by
// this one rule.
RECT ToDevice(const RECT& logical, UINT dpi);
// The same rule for a rectangle given inside a window that stands at `origin` in its parent's
// logical frame, answered inside that window's device frame: the edges are scaled where the
// window's own edges were, so that a rectangle filling the window fills it exactly.
RECT ToDeviceInside(const RECT& logical, POINT origin, UINT dpi);
// The inverse of the edge rule: the logical pixel whose scaled span holds this device pixel, so
// that every device pixel of a scaled rectangle maps inside the logical one. It undoes ToDevice
// exactly for any dpi of 96 or more.
int ToLogical(int device, UINT dpi);
POINT ToLogical(POINT device, UINT dpi);

// The width of a line drawn as the platform's own controls draw theirs: one device pixel up to
// 199 %, then a whole number of pixels per 100 %.
int LineWidth(UINT dpi);

// The scale of the primary display when the program started; the platform keeps it for the
// whole run.
UINT SystemDpi();
// The scale of the monitor a window is on, or SystemDpi where the platform cannot tell.
UINT WindowDpi(HWND window);
// A system metric (SM_CXSMICON, ...) as it is for windows at this scale.
int SystemMetricForDpi(int index, UINT dpi);

}
