#include "controls/VarnTabbed.h"

#include "controls/VarnButton.h"
#include "controls/VarnFrame.h"
#include "platform/Bitmap.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <vector>

namespace {

// Tabs carry two spaces on each side of their text.
AnsiString tabText(const AnsiString& caption) { return "  " + caption + "  "; }

// The flat tab outline: its side towards the pages is left open by the active mark.
void drawTab(TCanvas* canvas, const TRect& t, TVTButtonsPosition position, const AnsiString& caption)
{
    if (position == vtBtUp)
        canvas->Rectangle(t.left, t.top + 1, t.right, t.bottom);
    else
        canvas->Rectangle(t.left, t.top, t.right, t.bottom - 1);
    TRect r = t;
    canvas->Brush()->SetStyle(bsClear);
    DrawText(canvas->Handle(), caption.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    canvas->Brush()->SetStyle(bsSolid);
}

// The mark of the active tab: opened towards the pages, three lines on its far edge.
void drawActiveMark(TCanvas* canvas, const TRect& t, TVTButtonsPosition position, TColor back, TColor mark)
{
    canvas->Pen()->SetColor(back);
    const int open = position == vtBtUp ? t.bottom - 1 : t.top;
    canvas->MoveTo(t.left + 1, open);
    canvas->LineTo(t.right - 1, open);
    canvas->Pen()->SetColor(mark);
    for (int i = 0; i < 3; ++i) {
        const int y = position == vtBtUp ? t.top + i : t.bottom - i;
        canvas->MoveTo(t.left, y);
        canvas->LineTo(t.right, y);
    }
}

// The container and the strip start their paint alike: their font in its
// colour and styles, the frame pen, and the whole control in its colour.
void clearCanvas(TCanvas* canvas, TFont* font, TColor fontColor, TFontStyles styles, TColor color, TColor frame,
                 int W, int H)
{
    canvas->SetFont(font);
    canvas->Font()->SetColor(fontColor);
    canvas->Font()->SetStyle(styles);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(color);
    canvas->Pen()->SetColor(frame);
    canvas->FillRect(Rect(0, 0, W, H));
}

void line(TCanvas* canvas, int x1, int y1, int x2, int y2)
{
    canvas->MoveTo(x1, y1);
    canvas->LineTo(x2, y2);
}

}  // namespace

// ---- TVarnPage ------------------------------------------------------------------------

TVarnPage::TVarnPage(TComponent* AOwner) : TCustomControl(AOwner)
{
    ControlStyle << csOpaque << csAcceptsControls << csNoDesignVisible;
    FParentColor = true;  // the page shows its container's colour, which its children take
    SetAlign(alNone);
    SetVisible(true);
}

TVarnPage::~TVarnPage()
{
    if (FTabControl)
        FTabControl->delPage(this);
}

void TVarnPage::setTabControl(TVarnTabbed* Value)
{
    if (Value == FTabControl)
        return;
    TVarnTabbed* old = FTabControl;
    FTabControl = nullptr;
    if (old)
        old->delPage(this);
    FTabControl = Value;
    if (Value) {
        if (Parent() != Value)
            TCustomControl::SetParent(Value);
        Value->addPage(this);
    }
}

void TVarnPage::SetParent(TWinControl* AParent)
{
    TCustomControl::SetParent(AParent);
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying))
        return;
    auto* tabbed = dynamic_cast<TVarnTabbed*>(AParent);
    if (tabbed != FTabControl)
        setTabControl(tabbed);
}

void TVarnPage::setVisibleTab(bool Value)
{
    if (FTabVisible == Value)
        return;
    FTabVisible = Value;
    if (FTabControl)
        FTabControl->AdjustPages();
    Invalidate();
}

void TVarnPage::setOrder(int Value)
{
    if (FOrder == Value)
        return;
    FOrder = Value;
    if (FTabControl)
        FTabControl->addPage(this);  // sorts again
}

void TVarnPage::Loaded()
{
    TCustomControl::Loaded();
    if (auto* tabbed = dynamic_cast<TVarnTabbed*>(Parent())) {
        if (tabbed == FTabControl)
            tabbed->addPage(this);  // joined before its Order was read: sort again
        else
            setTabControl(tabbed);
    }
}

void TVarnPage::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FTabControl ? FTabControl->Color() : Color());
    canvas->FillRect(GetClientRect());
}

// ---- TVarnTabbed ----------------------------------------------------------------------

TVarnTabbed::TVarnTabbed(TComponent* AOwner) : TCustomControl(AOwner)
{
    ControlStyle << csOpaque;
    FParentColor = true;
}

TVarnTabbed::~TVarnTabbed()
{
    // The pages may outlive the container's own part of destruction (they are
    // its children): they must not come back to it.
    for (int i = 0; i < pages.Count(); ++i)
        pages.Get(i)->FTabControl = nullptr;
    pages.Clear();
}

void TVarnTabbed::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

int TVarnTabbed::IndexOfPage(const TVarnPage* page) const
{
    for (int i = 0; i < pages.Count(); ++i)
        if (pages.Get(i) == page)
            return i;
    return -1;
}

// Pages of equal Order keep the order they joined in; the active page stays
// active, its index following it.
void TVarnTabbed::sortPages()
{
    TVarnPage* active = ActivePage();
    std::vector<TVarnPage*> sorted;
    for (int i = 0; i < pages.Count(); ++i)
        sorted.push_back(pages.Get(i));
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TVarnPage* a, const TVarnPage* b) { return a->Order() < b->Order(); });
    for (int i = 0; i < pages.Count(); ++i)
        pages.Get(i) = sorted[static_cast<size_t>(i)];
    if (active)
        FActiveIndex = IndexOfPage(active);
    Invalidate();
}

void TVarnTabbed::addPage(TVarnPage* page)
{
    if (!page)
        return;
    if (IndexOfPage(page) < 0)
        pages.Add(page);
    sortPages();
}

// The active page leaving hands the place to the page now at its index (or the
// last one); no events fire.
void TVarnTabbed::delPage(TVarnPage* page)
{
    const int index = IndexOfPage(page);
    if (index < 0)
        return;
    const bool wasActive = index == FActiveIndex;
    if (index < FActiveIndex)
        --FActiveIndex;
    pages.Delete(index);
    if (wasActive) {
        FActiveIndex = pages.Count() ? std::min(index, pages.Count() - 1) : -1;
        if (!ComponentState().Contains(csDestroying))
            AdjustPages();
    }
    sortPages();
}

void TVarnTabbed::setActiveIndex(int Value)
{
    if (pages.Count() == 0) {
        pendingIndex = Value;
        return;
    }
    if (Value == -1 || Value == FActiveIndex || Value < -1 || Value >= pages.Count())
        return;
    if (FActiveIndex != -1 && !designing() && OnCanChange) {
        bool canChange = true;
        OnCanChange(FActiveIndex, canChange);
        if (!canChange)
            return;
    }
    FActiveIndex = Value;
    AdjustPages();
    if (FActiveIndex != -1 && !designing() && OnChange)
        OnChange(this);
}

void TVarnTabbed::AdjustPages()
{
    DisableAlign();
    for (int i = 0; i < pages.Count(); ++i) {
        TVarnPage* page = pages.Get(i);
        page->SetAlign(alClient);
        if (i != FActiveIndex)
            page->SetVisible(false);
    }
    if (TVarnPage* active = ActivePage()) {
        active->SetVisible(true);
        active->BringToFront();
    }
    EnableAlign();
    Realign();
    Invalidate();
}

void TVarnTabbed::setTabHeight(int Value)
{
    if (FTabHeight == Value)
        return;
    FTabHeight = Value;
    AdjustPages();
}

void TVarnTabbed::setBorderInternal(int Value)
{
    if (FBorderInternal == Value)
        return;
    FBorderInternal = Value;
    AdjustPages();
    Invalidate();
}

void TVarnTabbed::setColorFrame(TColor Value)
{
    if (FColorFrame == Value)
        return;
    FColorFrame = Value;
    Invalidate();
}

void TVarnTabbed::setColorFont(TColor Value)
{
    if (FColorFont == Value)
        return;
    FColorFont = Value;
    Invalidate();
}

void TVarnTabbed::setTextStyles(TFontStyles Value)
{
    if (FTextStyles == Value)
        return;
    FTextStyles = Value;
    Invalidate();
}

void TVarnTabbed::setHideButtons(bool Value)
{
    if (FHideButtons == Value)
        return;
    FHideButtons = Value;
    AdjustPages();
}

bool TVarnTabbed::getDrawFrame(int Index) const { return Index >= 0 && Index < 4 && FDrawFrame[Index]; }

void TVarnTabbed::setDrawFrame(int Index, bool Value)
{
    if (Index < 0 || Index >= 4 || FDrawFrame[Index] == Value)
        return;
    FDrawFrame[Index] = Value;
    Invalidate();
}

void TVarnTabbed::setHideFrame(bool Value)
{
    if (FHideFrame == Value)
        return;
    FHideFrame = Value;
    Invalidate();
}

void TVarnTabbed::setButtonsPosition(TVTButtonsPosition Value)
{
    if (FButtonsPosition == Value)
        return;
    FButtonsPosition = Value;
    AdjustPages();
}

TRect TVarnTabbed::GetClientRect()
{
    const int W = Width();
    const int H = Height();
    TRect r;
    if (FHideButtons)
        r = Rect(0, 0, W, H - 1);
    else if (FButtonsPosition == vtBtUp)
        r = Rect(0, FTabHeight, W, H - 1);
    else
        r = Rect(0, 0, W, H - FTabHeight - 1);
    const int inset = FBorderInternal + 1;
    return Rect(r.left + inset, r.top + inset, r.right - inset, r.bottom - inset);
}

void TVarnTabbed::Resize()
{
    TCustomControl::Resize();
    AdjustPages();
}

void TVarnTabbed::Paint()
{
    if (FActiveIndex == -1 && pages.Count() > 0 && pendingIndex != -1) {
        const int pending = pendingIndex;
        pendingIndex = -1;
        setActiveIndex(pending);
        if (FActiveIndex != -1)
            return;  // the change repaints
    }
    TCanvas* canvas = Canvas();
    const int W = Width();
    const int H = Height();
    clearCanvas(canvas, Font(), FColorFont, FTextStyles, Color(), FColorFrame, W, H);

    const bool allSides = FDrawFrame[0] && FDrawFrame[1] && FDrawFrame[2] && FDrawFrame[3];
    if (FHideButtons) {
        if (FHideFrame)
            return;
        if (allSides) {
            canvas->Rectangle(0, 0, W, H);
            return;
        }
        if (FDrawFrame[0])
            line(canvas, 0, 0, 0, H);
        if (FDrawFrame[1])
            line(canvas, W - 1, 0, W - 1, H);
        if (FDrawFrame[2])
            line(canvas, 0, 0, W, 0);
        if (FDrawFrame[3])
            line(canvas, 0, H - 1, W, H - 1);
        return;
    }

    TRect frame;
    TRect strip;
    if (FButtonsPosition == vtBtDown) {
        frame = Rect(0, 0, W - 1, H - FTabHeight - 1);
        strip = Rect(0, frame.bottom, W - 1, H - 1);
    } else {
        strip = Rect(0, 0, W - 1, FTabHeight + 1);
        frame = Rect(0, FTabHeight, W - 1, H - 1);
    }
    canvas->FillRect(strip);
    canvas->FillRect(frame);
    if (!FHideFrame) {
        if (FDrawFrame[0])
            line(canvas, frame.left, frame.top, frame.left, frame.bottom);
        if (FDrawFrame[2])
            line(canvas, frame.left, frame.top, frame.right, frame.top);
        if (FDrawFrame[1])
            line(canvas, frame.right, frame.top, frame.right, frame.bottom);
        if (FDrawFrame[3])
            line(canvas, frame.left, frame.bottom, frame.right, frame.bottom);
    }

    TRect t{0, strip.top, 0, strip.bottom};
    for (int i = 0; i < pages.Count(); ++i) {
        TVarnPage* page = pages.Get(i);
        page->tabRect = TRect{};
        if (!page->TabVisible() && !designing())
            continue;
        t.right += canvas->TextWidth(tabText(page->Caption()));
        page->tabRect = t;
        canvas->Pen()->SetColor(FColorFrame);
        drawTab(canvas, t, FButtonsPosition, page->Caption());
        t.left = t.right - 1;
    }
    if (TVarnPage* active = ActivePage())
        drawActiveMark(canvas, active->tabRect, FButtonsPosition, Color(), FColorFont);
}

void TVarnTabbed::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        clickPoint = TPoint{X, Y};
        for (int i = 0; i < pages.Count(); ++i) {
            TVarnPage* page = pages.Get(i);
            const TRect& t = page->tabRect;
            if ((page->TabVisible() || designing()) && X >= t.left && X < t.right && Y >= t.top && Y < t.bottom) {
                setActiveIndex(i);
                break;
            }
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

// ---- TVarnTabButtons ------------------------------------------------------------------

TVarnTabButtons::TVarnTabButtons(TComponent* AOwner)
    : TCustomControl(AOwner), FItems(std::make_unique<TStringList>())
{
    ControlStyle << csOpaque;
    FParentColor = true;  // the strip has no colour of its own to publish
    // While a stored form is read the list changes line by line after ActiveIndex
    // was read; Loaded looks at it once complete.
    FItems->OnChange = [this](TObject*) {
        if (!ComponentState().Contains(csLoading))
            itemsChanged();
    };

    arrowPanel = new TVarnFrame(this);
    arrowPanel->SetParent(this);
    arrowPanel->SetAlign(alRight);
    arrowPanel->SetWidth(40);
    arrowPanel->SetDrawLeft(false);
    arrowPanel->SetDrawRight(false);
    arrowPanel->SetDrawTop(FButtonsPosition == vtBtDown);
    arrowPanel->SetDrawBottom(FButtonsPosition == vtBtUp);
    arrowPanel->SetColorFrame(FColorFrame);
    arrowPanel->SetVisible(false);

    auto makeButton = [this](TVarnButtonStdImages image, int left) {
        auto* button = new TVarnButton(this);
        button->SetParent(arrowPanel);
        button->SetLeft(left);
        button->SetAlign(alRight);
        button->ApplyStdImage(image);
        button->setColors(3, button->ColorBack());
        button->OnClick = [this](TObject* sender) { onClickButtons(sender); };
        return button;
    };
    nextButton = makeButton(sbiNext, 20);
    priorButton = makeButton(sbiPrior, 0);
}

TVarnTabButtons::~TVarnTabButtons() { FItems->OnChange = nullptr; }

// The tabs run on under the arrow panel, which must stay on top of them.
void TVarnTabButtons::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_CLIPCHILDREN;
}

TStrings* TVarnTabButtons::Items() const { return FItems.get(); }

void TVarnTabButtons::setItems(TStrings* Value)
{
    if (Value)
        FItems->Assign(Value);
    else
        FItems->Clear();
    itemsChanged();
}

// After the list changed, however it was changed.
void TVarnTabButtons::itemsChanged()
{
    if (FItems->Count() == 0) {
        FActiveIndex = -1;
        firstShown = -1;
    } else {
        firstShown = 0;
    }
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->SetFont(Font());
    measure.Canvas()->Font()->SetStyle(FTextStyles);
    totalWidth = 0;
    for (int i = 0; i < FItems->Count(); ++i)
        totalWidth += measure.Canvas()->TextWidth(tabText(FItems->Strings(i)));
    Invalidate();
}

void TVarnTabButtons::Loaded()
{
    TCustomControl::Loaded();
    itemsChanged();
}

void TVarnTabButtons::setActiveIndex(int Value)
{
    if (FActiveIndex == Value)
        return;
    FActiveIndex = Value;
    if (firstShown == -1)
        firstShown = 0;
    Invalidate();
}

void TVarnTabButtons::setBtPosition(TVTButtonsPosition Value)
{
    if (FButtonsPosition == Value)
        return;
    FButtonsPosition = Value;
    arrowPanel->SetDrawTop(Value == vtBtDown);
    arrowPanel->SetDrawBottom(Value == vtBtUp);
    Invalidate();
}

void TVarnTabButtons::setColorFrame(TColor Value)
{
    if (FColorFrame == Value)
        return;
    FColorFrame = Value;
    arrowPanel->SetColorFrame(Value);
    Invalidate();
}

void TVarnTabButtons::setColorFont(TColor Value)
{
    if (FColorFont == Value)
        return;
    FColorFont = Value;
    Invalidate();
}

void TVarnTabButtons::setTextStyles(TFontStyles Value)
{
    if (FTextStyles == Value)
        return;
    FTextStyles = Value;
    Invalidate();
}

void TVarnTabButtons::onClickButtons(TObject* Sender)
{
    if (Sender == priorButton && firstShown >= 1)
        --firstShown;
    else if (Sender == nextButton && FItems->Count() >= firstShown + fitCount)
        ++firstShown;
    Invalidate();
}

void TVarnTabButtons::Paint()
{
    TCanvas* canvas = Canvas();
    const int W = Width();
    const int H = Height();
    clearCanvas(canvas, Font(), FColorFont, FTextStyles, Color(), FColorFrame, W, H);
    tabRects.Clear();

    if (FButtonsPosition == vtBtUp)
        line(canvas, 0, H - 1, W - 1, H - 1);
    else
        line(canvas, 0, 0, W - 1, 0);

    // The panel's width counts whether or not it shows, so that showing it does
    // not change which tabs fit.
    const int room = ClientWidth() - arrowPanel->Width();
    int fit = 0;
    TRect t{0, 0, 0, H};
    for (int i = 0; i < FItems->Count(); ++i) {
        TRect* rect = tabRects.Add(TRect{});
        if (i < firstShown)
            continue;
        t.right += canvas->TextWidth(tabText(FItems->Strings(i)));
        *rect = t;
        canvas->Pen()->SetColor(FColorFrame);
        drawTab(canvas, t, FButtonsPosition, FItems->Strings(i));
        if (room > t.right)
            ++fit;
        t.left = t.right - 1;
    }
    fitCount = fit;
    if (FActiveIndex >= 0 && FActiveIndex < tabRects.Count() && tabRects.Get(FActiveIndex).Width() > 0)
        drawActiveMark(canvas, tabRects.Get(FActiveIndex), FButtonsPosition, Color(), FColorFont);

    if (FItems->Count() != fit) {
        arrowPanel->SetVisible(true);
        priorButton->SetEnabled(firstShown > 0);
        nextButton->SetEnabled(FItems->Count() > firstShown + fit);
    } else {
        arrowPanel->SetVisible(false);
    }
}

void TVarnTabButtons::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft)
        for (int i = 0; i < tabRects.Count(); ++i) {
            const TRect& t = tabRects.Get(i);
            if (X >= t.left && X < t.right && Y >= t.top && Y < t.bottom) {
                setActiveIndex(i);
                if (OnChange)
                    OnChange(this);
                break;
            }
        }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}
