// Device contexts on Cairo image surfaces and the Win32 drawing services.
#pragma once

#include "platform/win/Types.h"

#include <cairo.h>

#include <string>

// Win32 calls a device context HDC; platform/Messages.h declares the same
// opaque handle, and this header gives it its body.
struct HDC__;
using HDC = HDC__*;

// ---- Constants (Win32 values) ----------------------------------------------

constexpr int TRANSPARENT = 1;  // SetBkMode
constexpr int OPAQUE = 2;

constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;

constexpr int BS_SOLID = 0;
constexpr int BS_NULL = 1;
constexpr int BS_HOLLOW = BS_NULL;

// Raster operations of the pen (SetROP2).
constexpr int R2_BLACK = 1;
constexpr int R2_NOT = 6;
constexpr int R2_XORPEN = 7;
constexpr int R2_COPYPEN = 13;
constexpr int R2_WHITE = 16;

constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;

constexpr unsigned DFC_SCROLL = 3;
constexpr unsigned DFC_BUTTON = 4;
constexpr unsigned DFCS_BUTTONCHECK = 0x0;
constexpr unsigned DFCS_BUTTONRADIO = 0x4;
constexpr unsigned DFCS_SCROLLUP = 0x0;
constexpr unsigned DFCS_SCROLLDOWN = 0x1;
constexpr unsigned DFCS_SCROLLLEFT = 0x2;
constexpr unsigned DFCS_SCROLLRIGHT = 0x3;
constexpr unsigned DFCS_INACTIVE = 0x100;
constexpr unsigned DFCS_PUSHED = 0x200;
constexpr unsigned DFCS_CHECKED = 0x400;
constexpr unsigned DFCS_FLAT = 0x4000;
constexpr unsigned DFCS_MONO = 0x8000;

constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_ADJUST = 0x2000;

// ---- Device context ----------------------------------------------------------

// The font a device context draws text with. Style bits follow TFontStyle.
struct TFontSpec {
    AnsiString Name = "MS Sans Serif";
    int Height = -11;      // negative: character height in pixels; positive: cell height
    unsigned Style = 0;    // 1 bold, 2 italic, 4 underline, 8 strike-out
    int Orientation = 0;   // escapement in tenths of a degree, counter-clockwise
    int Pitch = 0;         // 0 default, 1 fixed, 2 variable
    friend bool operator==(const TFontSpec&, const TFontSpec&) = default;
};

struct TPenSpec {
    TColor Color = 0;      // resolved RGB
    int Width = 1;
    int Style = PS_SOLID;
    int Mode = R2_COPYPEN;
};

struct TBrushSpec {
    TColor Color = 0xFFFFFF;  // resolved RGB
    int Style = BS_SOLID;
};

namespace varn::detail {
struct TFontEntry;
}
struct _PangoLayout;
union pixman_image;

// A drawing target: a Cairo surface seen through an origin (where logical
// (0, 0) lies on the surface) and a clip region in surface pixels, with the
// state that Win32 keeps per device context.
struct HDC__ {
    HDC__(cairo_surface_t* surface, TPoint origin, cairo_region_t* clip);
    ~HDC__();
    HDC__(const HDC__&) = delete;
    HDC__& operator=(const HDC__&) = delete;

    cairo_surface_t* surface;       // referenced
    cairo_t* cr;                    // translated by origin, clipped to clip
    TPoint origin;
    cairo_region_t* clip;           // surface pixels that drawing may touch
    TFontSpec font;
    TPenSpec pen;
    TBrushSpec brush;
    TColor textColor = 0;           // resolved RGB
    TColor bkColor = 0xFFFFFF;      // resolved RGB
    int bkMode = OPAQUE;
    TPoint penPos;
    const void* selectedBy = nullptr;  // canvas whose objects are selected
    varn::detail::TFontEntry* fontEntry = nullptr;  // cached entry of font; null until text is used
    _PangoLayout* layout = nullptr;                  // reused for every text of this DC
    varn::detail::TFontEntry* layoutFont = nullptr;  // font currently set on layout
    int pixelsPerInch = 96;         // GetDeviceCaps' LOGPIXELSX and LOGPIXELSY
    TPoint deviceSize;              // pixels of a page; (0, 0): the surface's size
    int mapMode = 1;                // MM_TEXT: logical units are device pixels
    pixman_image* pixels = nullptr; // the surface's pixels for pixman; made on first use
    pixman_image* solid = nullptr;  // a solid fill of solidColor, kept for the next text
    TColor solidColor = 0;          // resolved RGB

    // Re-applies origin and clip to cr after either changed.
    void applyClip();
};
using TDeviceContext = HDC__;

// A DC on any Cairo image surface; clip defaults to the whole surface.
// Release it with DeleteDC.
HDC CreateSurfaceDC(cairo_surface_t* surface, TPoint origin = {});
void DeleteDC(HDC dc);
void SetDCOrigin(HDC dc, TPoint origin);
// Clip in surface pixels; the DC copies the region.
void SetDCClipRegion(HDC dc, const cairo_region_t* region);
void SetDCClipRect(HDC dc, const TRect& surfaceRect);
// Resolution and page size of a DC on a surface that is not a screen's (a printer's).
void SetDCResolution(HDC dc, int pixelsPerInch, TPoint deviceSize);

constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int PHYSICALWIDTH = 110;
constexpr int PHYSICALHEIGHT = 111;
int GetDeviceCaps(HDC dc, int index);
// Only MM_TEXT is drawn; other modes are kept and given back.
constexpr int MM_TEXT = 1;
int SetMapMode(HDC dc, int mode);
int GetMapMode(HDC dc);

// A DC for a part of dc: origin at bounds' top-left corner (logical coordinates
// of dc), clip narrowed to bounds. Graphic controls paint through it on their
// parent's DC. Release it with DeleteDC.
HDC CreateChildDC(HDC dc, const TRect& bounds);

// ---- Win32 services ----------------------------------------------------------

using COLORREF = uint32_t;  // RGB, red in the low byte
inline COLORREF RGB(int r, int g, int b) { return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16); }
inline int GetRValue(COLORREF c) { return c & 0xFF; }
inline int GetGValue(COLORREF c) { return (c >> 8) & 0xFF; }
inline int GetBValue(COLORREF c) { return (c >> 16) & 0xFF; }

// System colour indexes and the TColor value that names each (negative: a system colour).
constexpr int COLOR_SCROLLBAR = 0;
constexpr int COLOR_BACKGROUND = 1;
constexpr int COLOR_ACTIVECAPTION = 2;
constexpr int COLOR_INACTIVECAPTION = 3;
constexpr int COLOR_MENU = 4;
constexpr int COLOR_WINDOW = 5;
constexpr int COLOR_WINDOWFRAME = 6;
constexpr int COLOR_MENUTEXT = 7;
constexpr int COLOR_WINDOWTEXT = 8;
constexpr int COLOR_CAPTIONTEXT = 9;
constexpr int COLOR_ACTIVEBORDER = 10;
constexpr int COLOR_INACTIVEBORDER = 11;
constexpr int COLOR_APPWORKSPACE = 12;
constexpr int COLOR_HIGHLIGHT = 13;
constexpr int COLOR_HIGHLIGHTTEXT = 14;
constexpr int COLOR_BTNFACE = 15;
constexpr int COLOR_BTNSHADOW = 16;
constexpr int COLOR_GRAYTEXT = 17;
constexpr int COLOR_BTNTEXT = 18;
constexpr int COLOR_INACTIVECAPTIONTEXT = 19;
constexpr int COLOR_BTNHIGHLIGHT = 20;
constexpr int COLOR_3DDKSHADOW = 21;
constexpr int COLOR_3DLIGHT = 22;
constexpr int COLOR_INFOTEXT = 23;
constexpr int COLOR_INFOBK = 24;
constexpr int COLOR_HOTLIGHT = 26;
constexpr int COLOR_GRADIENTACTIVECAPTION = 27;
constexpr int COLOR_GRADIENTINACTIVECAPTION = 28;
constexpr int COLOR_MENUHILIGHT = 29;
constexpr int COLOR_MENUBAR = 30;
constexpr int COLOR_ENDCOLORS = COLOR_MENUBAR;

constexpr TColor sysColor(int index) { return static_cast<TColor>(0x80000000u | static_cast<unsigned>(index)); }

// The classic scheme's RGB for a system colour index; 0 for an unknown index.
COLORREF GetSysColor(int index);

COLORREF SetTextColor(HDC dc, COLORREF color);
COLORREF GetTextColor(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF color);
COLORREF GetBkColor(HDC dc);
int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);

// A brush handle as FillRect takes it: a solid colour. Win32 also accepts a
// system colour index + 1 in its place (COLOR_BTNFACE + 1).
struct HBRUSH__ { COLORREF color; };
using HBRUSH = HBRUSH__*;
HBRUSH CreateSolidBrush(COLORREF color);
HBRUSH GetSysColorBrush(int index);  // owned by the system, never deleted
void DeleteObject(HBRUSH brush);
int FillRect(HDC dc, const TRect* rect, HBRUSH brush);
// Inverts every pixel of the rectangle; inverting twice restores them.
bool InvertRect(HDC dc, const TRect* rect);

// A font handle as WM_SETFONT carries it: the face it names. Whoever creates one
// deletes it; a window that is given one copies the face.
struct HFONT__ { TFontSpec fontSpec; };
using HFONT = HFONT__*;
HFONT CreateFontIndirect(const TFontSpec* fontSpec);
void DeleteObject(HFONT font);

// Logical clip box; returns 1 (simple region) or 0 when nothing is visible.
int GetClipBox(HDC dc, TRect* rect);
// Narrows the clip to a logical rectangle.
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);

struct DRAWTEXTPARAMS {
    unsigned cbSize = sizeof(DRAWTEXTPARAMS);
    int iTabLength = 0;
    int iLeftMargin = 0;
    int iRightMargin = 0;
    unsigned uiLengthDrawn = 0;
};

// Draws (or with DT_CALCRECT measures) 8-bit text in rect with the DC's font,
// text colour and background mode. count < 0: up to the terminating NUL.
// Returns the text height (with DT_VCENTER or DT_BOTTOM: the offset from
// rect->top to the bottom of the text); rect is widened or narrowed and its
// bottom set by DT_CALCRECT. With a rotated font (an escapement in TFontSpec) the
// text is one line turned around rect's top-left corner, as TextOut draws it;
// DT_CALCRECT still gives its unrotated size.
int DrawTextEx(HDC dc, const char* text, int count, TRect* rect, unsigned format, DRAWTEXTPARAMS* params);
int DrawText(HDC dc, const char* text, int count, TRect* rect, unsigned format);
// Draws one line with its top-left corner at (x, y), rotated by the font's
// escapement around that point; no prefix or line-break processing.
bool TextOut(HDC dc, int x, int y, const char* text, int count);

struct SIZE {
    int cx = 0;
    int cy = 0;
};
bool GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size);
// Measures one line as TextOut draws it: dx (when not null) receives for each
// character the distance from the start of the text to its right edge, fit (when
// not null) the number of characters whose right edge is within maxExtent
// (maxExtent < 0: all), and size the extent of the whole text.
bool GetTextExtentExPoint(HDC dc, const char* text, int count, int maxExtent, int* fit, int* dx, SIZE* size);

bool DrawFrameControl(HDC dc, TRect* rect, unsigned type, unsigned state);
bool DrawEdge(HDC dc, TRect* rect, unsigned edge, unsigned flags);
// Inverts every other pixel of the rectangle's outline; drawing it twice
// restores the original pixels.
bool DrawFocusRect(HDC dc, const TRect* rect);

// Pixel of the surface at logical (x, y) as RGB; CLR_INVALID outside the clip.
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF color);

bool MoveToEx(HDC dc, int x, int y, TPoint* previous);
bool LineTo(HDC dc, int x, int y);
bool Rectangle(HDC dc, int left, int top, int right, int bottom);
bool RoundRect(HDC dc, int left, int top, int right, int bottom, int width, int height);
bool Ellipse(HDC dc, int left, int top, int right, int bottom);
bool Polygon(HDC dc, const TPoint* points, int count);
bool Polyline(HDC dc, const TPoint* points, int count);
