// Backing stores of top-level windows: one Cairo image surface per top-level
// window, the size of the window. BeginPaint and GetDC hand out device contexts
// on them, with the window's client origin and a clip of its visible client area
// (minus its children for WS_CLIPCHILDREN), intersected with the update region
// while painting; GetWindowDC's device contexts have the window's own origin and
// a clip of its frame. Backends present them; tests read their pixels.
#pragma once

#include "platform/win/Gdi.h"
#include "platform/win/Messages.h"

namespace varn {

// Makes BeginPaint and GetDC draw on backing stores. Runs once by itself when
// the drawing layer is linked; calling it again does nothing.
void installBackingStores();

// The backing store of a top-level window (made, the window's size and filled
// with clBtnFace, on first use); null for a child or an unknown window.
cairo_surface_t* backingStore(HWND topLevel);

// Pixel of a window at client coordinates, as RGB; CLR_INVALID outside the store.
COLORREF windowPixel(HWND window, int x, int y);

// Writes the window (its whole window rectangle) as a PNG file.
bool SaveWindowToPngFile(HWND window, const AnsiString& fileName);

}  // namespace varn
