// Colours, the graphics objects (font, pen, brush) and the canvas.
#pragma once

#include "platform/Classes.h"
#include "platform/win/Gdi.h"
#include "platform/win/Messages.h"
#include "platform/win/Types.h"

#include <initializer_list>
#include <memory>
#include <vector>

// ---- Colours -----------------------------------------------------------------

constexpr TColor clScrollBar = sysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = sysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = sysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = sysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = sysColor(COLOR_MENU);
constexpr TColor clWindow = sysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = sysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = sysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = sysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = sysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = sysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = sysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = sysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = sysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = sysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = sysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = sysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = sysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = sysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = sysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = sysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = sysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = sysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = sysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = sysColor(COLOR_INFOBK);
constexpr TColor clHotLight = sysColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = sysColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = sysColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = sysColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = sysColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clLtGray = clSilver;
constexpr TColor clDkGray = clGray;
constexpr TColor clNone = 0x1FFFFFFF;     // 536870911: no colour, leave the background
constexpr TColor clDefault = 0x20000000;  // the owner's default colour

// RGB of any colour: system colours through the system-colour table; clNone
// and clDefault pass through unchanged.
TColor ColorToRGB(TColor color);

// ---- Graphics objects ----------------------------------------------------------

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using enum TFontStyle;
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = int;
constexpr TFontCharset ANSI_CHARSET = 0;
constexpr TFontCharset DEFAULT_CHARSET = 1;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode { pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmXor };
enum TBrushStyle { bsSolid, bsClear };

// Common part of font, pen and brush: a change counter that canvases compare
// to know when to select the object again, and the OnChange event.
class TGraphicsObject : public TPersistent {
public:
    AnsiString ClassName() const override { return "TGraphicsObject"; }
    TNotifyEvent OnChange;
    unsigned changeCount() const { return changes; }

protected:
    void changed();

private:
    unsigned changes = 0;
};

class TFont : public TGraphicsObject {
public:
    AnsiString ClassName() const override { return "TFont"; }
    void Assign(TPersistent* Source) override;

    AnsiString Name() const { return face.Name; }
    void SetName(const AnsiString& Value);
    int Height() const { return face.Height; }
    void SetHeight(int Value);
    // Points at PixelsPerInch: Height = -Size * PixelsPerInch / 72, rounded.
    int Size() const;
    void SetSize(int Value);
    // 96, the screen's; a printer's canvas has the printer's.
    int PixelsPerInch() const { return pixelsPerInch; }
    void SetPixelsPerInch(int Value) { pixelsPerInch = Value > 0 ? Value : 96; }
    TFontStyles Style() const { return TFontStyles::fromBits(face.Style); }
    void SetStyle(TFontStyles Value);
    TColor Color() const { return color; }
    void SetColor(TColor Value);
    TFontCharset Charset() const { return charset; }
    void SetCharset(TFontCharset Value);
    TFontPitch Pitch() const { return static_cast<TFontPitch>(face.Pitch == 1 ? fpFixed : face.Pitch == 2 ? fpVariable : fpDefault); }
    void SetPitch(TFontPitch Value);
    // Escapement of the text in tenths of a degree, counter-clockwise:
    // 900 runs upwards, 2700 (or -900) downwards.
    int Orientation() const { return face.Orientation; }
    void SetOrientation(int Value);

    const TFontSpec& fontSpec() const { return face; }
    // The font as the window system takes it (WM_SETFONT); owned by the font and
    // valid while it lives.
    HFONT Handle() const;

private:
    TFontSpec face;
    mutable HFONT__ handle;
    TColor color = clWindowText;
    TFontCharset charset = DEFAULT_CHARSET;
    int pixelsPerInch = 96;
};

class TPen : public TGraphicsObject {
public:
    AnsiString ClassName() const override { return "TPen"; }
    void Assign(TPersistent* Source) override;

    TColor Color() const { return color; }
    void SetColor(TColor Value);
    int Width() const { return width; }
    void SetWidth(int Value);
    TPenStyle Style() const { return style; }
    void SetStyle(TPenStyle Value);
    TPenMode Mode() const { return mode; }
    void SetMode(TPenMode Value);

private:
    TColor color = clBlack;
    int width = 1;
    TPenStyle style = psSolid;
    TPenMode mode = pmCopy;
};

class TBrush : public TGraphicsObject {
public:
    AnsiString ClassName() const override { return "TBrush"; }
    void Assign(TPersistent* Source) override;

    TColor Color() const { return color; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return style; }
    void SetStyle(TBrushStyle Value);

private:
    TColor color = clWhite;
    TBrushStyle style = bsSolid;
};

// ---- Canvas -------------------------------------------------------------------

class TCanvas;

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Raised when a canvas has no device context to draw on, or a picture cannot be read.
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };
class EInvalidGraphic : public Exception { using Exception::Exception; };

// Something a canvas can draw: bitmaps and JPEG images.
class TGraphic : public TPersistent {
public:
    AnsiString ClassName() const override { return "TGraphic"; }
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    bool Empty() const { return Width() == 0 || Height() == 0; }
    virtual bool Transparent() const { return false; }

protected:
    friend class TCanvas;
    // Draws the whole picture scaled into rect (logical coordinates of canvas).
    virtual void Draw(TCanvas* canvas, const TRect& rect) = 0;
};

// Drawing with pen, brush and font on a device context. The canvas selects its
// objects into the DC before each operation (and when Handle is read), so code
// that calls the Win32 services on Handle() sees the canvas's font colour,
// background colour and background mode, as the framework does.
class TCanvas : public TPersistent {
public:
    TCanvas();
    ~TCanvas() override;
    AnsiString ClassName() const override { return "TCanvas"; }

    HDC Handle();
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return dc != nullptr; }

    TFont* Font() { return &font; }
    TPen* Pen() { return &pen; }
    TBrush* Brush() { return &brush; }
    void SetFont(TFont* Value) { font.Assign(Value); }
    void SetPen(TPen* Value) { pen.Assign(Value); }
    void SetBrush(TBrush* Value) { brush.Assign(Value); }

    void FillRect(const TRect& Rect);
    void FrameRect(const TRect& Rect);
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& Rect) { Rectangle(Rect.left, Rect.top, Rect.right, Rect.bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& Rect) { Ellipse(Rect.left, Rect.top, Rect.right, Rect.bottom); }
    void Polygon(const std::vector<TPoint>& Points);
    void Polygon(std::initializer_list<TPoint> Points) { Polygon(std::vector<TPoint>(Points)); }
    void Polyline(const std::vector<TPoint>& Points);
    void Polyline(std::initializer_list<TPoint> Points) { Polyline(std::vector<TPoint>(Points)); }
    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    TPoint PenPos();
    void SetPenPos(TPoint Value) { MoveTo(Value.x, Value.y); }

    void TextOut(int X, int Y, const AnsiString& Text);
    // Text at (X, Y) clipped to Rect; a solid brush fills Rect first.
    void TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text);
    int TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
    int TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }
    TSize TextExtent(const AnsiString& Text);

    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& Rect, TGraphic* Graphic);
    // Copies Source's pixels in SourceRect to Dest, scaling when sizes differ.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);

    // One thread draws; the lock only counts, so that nested painting code can
    // ask whether the canvas is in use.
    void Lock() { ++lockCount; }
    virtual void Unlock() { if (lockCount > 0) --lockCount; }
    int LockCount() const { return lockCount; }
    bool TryLock() { Lock(); return true; }

    TRect ClipRect();

protected:
    // Called when a DC is needed and none is set; a control canvas gets one
    // from its control here.
    virtual void CreateHandle() {}
    // Called before the DC is used; drops a DC that is no longer valid.
    virtual void checkHandle() {}
    HDC currentHandle() const { return dc; }
    // Requires a DC with the canvas's objects selected; raises
    // EInvalidGraphicOperation "Canvas does not allow drawing" without one.
    HDC requireHandle();

private:
    void selectObjects();

    HDC dc = nullptr;       // not owned
    TFont font;
    TPen pen;
    TBrush brush;
    HDC selectedInto = nullptr;  // DC that received the objects last
    unsigned fontChanges = ~0u;  // change counts last selected
    unsigned penChanges = ~0u;
    unsigned brushChanges = ~0u;
    int lockCount = 0;
};

class TControl;

// A canvas that draws on a control. While a paint message runs the control
// hands it the paint DC; outside one it takes a DC of the control's window (a
// graphic control: of its parent's window, moved to and clipped by its bounds)
// and keeps it until FreeHandle, Unlock to lock count 0, a new Control, or
// FreeDeviceContexts.
class TControlCanvas : public TCanvas {
public:
    ~TControlCanvas() override;
    AnsiString ClassName() const override { return "TControlCanvas"; }
    TControl* Control() const { return control; }
    void SetControl(TControl* Value);
    void FreeHandle();
    // At lock count 0 the canvas also frees a DC it took itself.
    void Unlock() override;

protected:
    void CreateHandle() override;
    void checkHandle() override;

private:
    TControl* control = nullptr;  // not owned
    HDC ownDC = nullptr;          // from GetDC (or a child DC on the parent's), released by FreeHandle
    HWND ownWindow = nullptr;     // window ownDC was taken from; null for a child DC
};

// Releases the DCs that control canvases took outside paint messages, so their
// drawing is presented; the message loop calls it after each message.
void FreeDeviceContexts();
