#include "platform/Graphics.h"

#include "platform/Controls.h"

#include <array>
#include <cmath>

namespace {

// Stores value in field and answers whether it changed, for setters that notify.
template <typename T>
bool assignIfDifferent(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

}  // namespace

// ---- Colours -----------------------------------------------------------------

TColor ColorToRGB(TColor color)
{
    if (color < 0)
        return static_cast<TColor>(GetSysColor(color & 0xFF));
    return color;
}

// ---- Graphics objects ----------------------------------------------------------

void TGraphicsObject::changed()
{
    ++changes;
    if (OnChange)
        OnChange(this);
}

void TFont::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TFont*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this)
        return;
    face = other->face;
    color = other->color;
    charset = other->charset;
    changed();
}

void TFont::SetName(const AnsiString& Value)
{
    if (Value.empty() || Value == face.Name)
        return;
    face.Name = Value;
    changed();
}

void TFont::SetHeight(int Value)
{
    if (assignIfDifferent(face.Height, Value))
        changed();
}

HFONT TFont::Handle() const
{
    handle.fontSpec = face;
    return &handle;
}

int TFont::Size() const { return static_cast<int>(std::lround(-face.Height * 72.0 / pixelsPerInch)); }

void TFont::SetSize(int Value) { SetHeight(-static_cast<int>(std::lround(Value * static_cast<double>(pixelsPerInch) / 72.0))); }

void TFont::SetStyle(TFontStyles Value)
{
    auto bits = static_cast<unsigned>(Value.ToInt());
    if (bits == face.Style)
        return;
    face.Style = bits;
    changed();
}

void TFont::SetColor(TColor Value)
{
    if (assignIfDifferent(color, Value))
        changed();
}

void TFont::SetCharset(TFontCharset Value)
{
    if (assignIfDifferent(charset, Value))
        changed();
}

void TFont::SetPitch(TFontPitch Value)
{
    int pitch = Value == fpFixed ? 1 : Value == fpVariable ? 2 : 0;
    if (pitch == face.Pitch)
        return;
    face.Pitch = pitch;
    changed();
}

void TFont::SetOrientation(int Value)
{
    if (assignIfDifferent(face.Orientation, Value))
        changed();
}

void TPen::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TPen*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this)
        return;
    color = other->color;
    width = other->width;
    style = other->style;
    mode = other->mode;
    changed();
}

void TPen::SetColor(TColor Value)
{
    if (assignIfDifferent(color, Value))
        changed();
}

void TPen::SetWidth(int Value)
{
    if (Value < 0 || Value == width)
        return;
    width = Value;
    changed();
}

void TPen::SetStyle(TPenStyle Value)
{
    if (assignIfDifferent(style, Value))
        changed();
}

void TPen::SetMode(TPenMode Value)
{
    if (assignIfDifferent(mode, Value))
        changed();
}

void TBrush::Assign(TPersistent* Source)
{
    auto* other = dynamic_cast<TBrush*>(Source);
    if (!other) {
        TPersistent::Assign(Source);
        return;
    }
    if (other == this)
        return;
    color = other->color;
    style = other->style;
    changed();
}

void TBrush::SetColor(TColor Value)
{
    // Choosing a colour makes a clear brush solid again, as the framework does.
    if (Value == color && style == bsSolid)
        return;
    color = Value;
    if (style == bsClear)
        style = bsSolid;
    changed();
}

void TBrush::SetStyle(TBrushStyle Value)
{
    if (assignIfDifferent(style, Value))
        changed();
}

// ---- Canvas -------------------------------------------------------------------

TCanvas::TCanvas() = default;
TCanvas::~TCanvas() = default;

void TCanvas::SetHandle(HDC Value)
{
    if (Value == dc)
        return;
    dc = Value;
    selectedInto = nullptr;
}

HDC TCanvas::Handle()
{
    checkHandle();
    if (!dc)
        CreateHandle();
    if (dc)
        selectObjects();
    return dc;
}

HDC TCanvas::requireHandle()
{
    HDC handle = Handle();
    if (!handle)
        throw EInvalidGraphicOperation("Canvas does not allow drawing");
    return handle;
}

void TCanvas::selectObjects()
{
    bool fresh = selectedInto != dc || dc->selectedBy != this;
    if (fresh || fontChanges != font.changeCount()) {
        if (!(dc->font == font.fontSpec())) {
            dc->font = font.fontSpec();
            dc->fontEntry = nullptr;
        }
        dc->textColor = ColorToRGB(font.Color());
        fontChanges = font.changeCount();
    }
    if (fresh || penChanges != pen.changeCount()) {
        static constexpr int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        static constexpr int modes[] = {R2_BLACK, R2_WHITE, 11 /* R2_NOP */, R2_NOT, R2_COPYPEN, 4 /* R2_NOTCOPYPEN */, R2_XORPEN};
        dc->pen = {ColorToRGB(pen.Color()), pen.Width(), styles[pen.Style()], modes[pen.Mode()]};
        penChanges = pen.changeCount();
    }
    if (fresh || brushChanges != brush.changeCount()) {
        dc->brush = {ColorToRGB(brush.Color()), brush.Style() == bsSolid ? BS_SOLID : BS_NULL};
        // A solid brush gives text an opaque background of its colour.
        dc->bkColor = dc->brush.Color;
        dc->bkMode = brush.Style() == bsSolid ? OPAQUE : TRANSPARENT;
        brushChanges = brush.changeCount();
    }
    selectedInto = dc;
    dc->selectedBy = this;
}

void TCanvas::FillRect(const TRect& Rect)
{
    HDC h = requireHandle();
    if (brush.Style() == bsClear)
        return;
    HBRUSH__ solid{static_cast<COLORREF>(h->brush.Color)};
    ::FillRect(h, &Rect, &solid);
}

void TCanvas::FrameRect(const TRect& Rect)
{
    HDC h = requireHandle();
    if (brush.Style() == bsClear)
        return;
    HBRUSH__ solid{static_cast<COLORREF>(h->brush.Color)};
    TRect sides[4] = {{Rect.left, Rect.top, Rect.right, Rect.top + 1},
                      {Rect.left, Rect.bottom - 1, Rect.right, Rect.bottom},
                      {Rect.left, Rect.top, Rect.left + 1, Rect.bottom},
                      {Rect.right - 1, Rect.top, Rect.right, Rect.bottom}};
    if (Rect.Width() <= 0 || Rect.Height() <= 0)
        return;
    for (const TRect& side : sides)
        ::FillRect(h, &side, &solid);
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) { ::Rectangle(requireHandle(), X1, Y1, X2, Y2); }

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3)
{
    ::RoundRect(requireHandle(), X1, Y1, X2, Y2, X3, Y3);
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) { ::Ellipse(requireHandle(), X1, Y1, X2, Y2); }

void TCanvas::Polygon(const std::vector<TPoint>& Points)
{
    ::Polygon(requireHandle(), Points.data(), static_cast<int>(Points.size()));
}

void TCanvas::Polyline(const std::vector<TPoint>& Points)
{
    ::Polyline(requireHandle(), Points.data(), static_cast<int>(Points.size()));
}

void TCanvas::MoveTo(int X, int Y) { MoveToEx(requireHandle(), X, Y, nullptr); }
void TCanvas::LineTo(int X, int Y) { ::LineTo(requireHandle(), X, Y); }
TPoint TCanvas::PenPos() { return requireHandle()->penPos; }

void TCanvas::TextOut(int X, int Y, const AnsiString& Text)
{
    ::TextOut(requireHandle(), X, Y, Text.data(), static_cast<int>(Text.size()));
    // The pen moves past the text, as with TA_UPDATECP.
    dc->penPos = {X + TextWidth(Text), Y};
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const AnsiString& Text)
{
    HDC h = requireHandle();
    cairo_save(h->cr);
    cairo_rectangle(h->cr, Rect.left, Rect.top, std::max(0, Rect.Width()), std::max(0, Rect.Height()));
    cairo_clip(h->cr);
    if (brush.Style() == bsSolid)
        FillRect(Rect);
    ::TextOut(h, X, Y, Text.data(), static_cast<int>(Text.size()));
    cairo_restore(h->cr);
}

TSize TCanvas::TextExtent(const AnsiString& Text)
{
    SIZE size;
    GetTextExtentPoint32(requireHandle(), Text.data(), static_cast<int>(Text.size()), &size);
    return {size.cx, size.cy};
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    requireHandle();
    Graphic->Draw(this, {X, Y, X + Graphic->Width(), Y + Graphic->Height()});
}

void TCanvas::StretchDraw(const TRect& Rect, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    requireHandle();
    Graphic->Draw(this, Rect);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source)
{
    HDC target = requireHandle();
    HDC source = Canvas->requireHandle();
    if (Dest.Width() == 0 || Dest.Height() == 0 || Source.Width() == 0 || Source.Height() == 0)
        return;
    cairo_surface_flush(source->surface);
    // Copying within one surface reads from a snapshot, so overlapping parts are not read after being written.
    cairo_surface_t* from = source->surface;
    TPoint fromOrigin = {Source.left + source->origin.x, Source.top + source->origin.y};
    if (from == target->surface) {
        from = cairo_surface_create_similar_image(source->surface, CAIRO_FORMAT_RGB24, std::abs(Source.Width()),
                                                  std::abs(Source.Height()));
        cairo_t* copy = cairo_create(from);
        cairo_set_source_surface(copy, source->surface, -fromOrigin.x, -fromOrigin.y);
        cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
        cairo_paint(copy);
        cairo_destroy(copy);
        fromOrigin = {0, 0};
    }
    cairo_t* cr = target->cr;
    cairo_save(cr);
    cairo_rectangle(cr, Dest.left, Dest.top, Dest.Width(), Dest.Height());
    cairo_clip(cr);
    cairo_translate(cr, Dest.left, Dest.top);
    cairo_scale(cr, double(Dest.Width()) / Source.Width(), double(Dest.Height()) / Source.Height());
    cairo_set_source_surface(cr, from, -fromOrigin.x, -fromOrigin.y);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_restore(cr);
    if (from != source->surface)
        cairo_surface_destroy(from);
}

TColor TCanvas::Pixels(int X, int Y)
{
    COLORREF c = GetPixel(requireHandle(), X, Y);
    return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Value) { SetPixel(requireHandle(), X, Y, static_cast<COLORREF>(ColorToRGB(Value))); }

TRect TCanvas::ClipRect()
{
    TRect r;
    GetClipBox(requireHandle(), &r);
    return r;
}

namespace {

std::vector<TControlCanvas*>& canvasesWithOwnDC()
{
    static std::vector<TControlCanvas*> all;
    return all;
}

}  // namespace

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value)
{
    if (Value == control)
        return;
    FreeHandle();
    control = Value;
    SetHandle(nullptr);
}

void TControlCanvas::CreateHandle()
{
    if (!control)
        return;
    if (auto* window = dynamic_cast<TWinControl*>(control)) {
        ownWindow = window->Handle();
        ownDC = GetDC(ownWindow);
    } else if (TWinControl* parent = control->Parent()) {
        HWND parentWindow = parent->Handle();
        HDC parentDC = GetDC(parentWindow);
        if (!parentDC)
            return;
        ownDC = CreateChildDC(parentDC, control->BoundsRect());
        ReleaseDC(parentWindow, parentDC);
    }
    if (!ownDC)
        return;
    canvasesWithOwnDC().push_back(this);
    SetHandle(ownDC);
}

void TControlCanvas::checkHandle()
{
    // The window manager releases the DCs of a destroyed window.
    if (ownDC && ownWindow && WindowFromDC(ownDC) != ownWindow) {
        if (currentHandle() == ownDC)
            SetHandle(nullptr);
        ownDC = nullptr;
        ownWindow = nullptr;
        std::erase(canvasesWithOwnDC(), this);
    }
}

void TControlCanvas::FreeHandle()
{
    checkHandle();
    if (!ownDC)
        return;
    if (currentHandle() == ownDC)
        SetHandle(nullptr);
    if (ownWindow)
        ReleaseDC(ownWindow, ownDC);
    else
        DeleteDC(ownDC);
    ownDC = nullptr;
    ownWindow = nullptr;
    std::erase(canvasesWithOwnDC(), this);
}

void TControlCanvas::Unlock()
{
    TCanvas::Unlock();
    if (LockCount() == 0)
        FreeHandle();
}

void FreeDeviceContexts()
{
    std::vector<TControlCanvas*> all = canvasesWithOwnDC();
    for (TControlCanvas* canvas : all)
        if (canvas->LockCount() == 0)
            canvas->FreeHandle();
}
