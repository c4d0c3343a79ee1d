// Drawing straight into a device context's pixels through pixman, for the
// cases that are most of every paint: filling a rectangle with a colour and
// painting a line of text's coverage mask in a colour. Cairo's general path
// (path, clip, pattern and compositor set-up) costs more per call than the
// pixels of a grid cell do; the pixels written are the same.
#pragma once

#include "platform/win/Gdi.h"

#include <pixman.h>

namespace varn::detail {

// Whether nothing stands between logical coordinates and the DC's pixels but
// the DC's own origin and clip: a sound image surface drawn on itself (no
// group pushed), no transform, no clip narrowed for a while, the plain operator.
bool drawsDirectly(HDC dc);

// Both take logical coordinates and honour the DC's clip; within, when given,
// narrows it further. Callers check drawsDirectly first.
void fillDirect(HDC dc, const TRect& rect, COLORREF color, const TRect* within = nullptr);
void maskDirect(HDC dc, pixman_image_t* mask, int x, int y, COLORREF color, const TRect* within = nullptr);

}  // namespace varn::detail
