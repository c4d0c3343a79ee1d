// The tabbed page container TVarnTabbed with its pages TVarnPage, and the
// stand-alone tab strip TVarnTabButtons with arrow buttons that scroll it.
#pragma once

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "utils/BlockArray.h"

#include <functional>
#include <memory>

class TStringList;
class TStrings;
class TVarnButton;
class TVarnFrame;
class TVarnTabbed;

// Where the tabs sit: below the pages or above them.
enum TVTButtonsPosition { vtBtDown, vtBtUp };

using TVarnCanChangeEvent = std::function<void(int page, bool& canChange)>;

// A page of a TVarnTabbed; its Caption labels its tab.
class TVarnPage : public TCustomControl {
public:
    explicit TVarnPage(TComponent* AOwner);
    ~TVarnPage() override;
    AnsiString ClassName() const override { return "TVarnPage"; }

    TVarnTabbed* TabControl() const { return FTabControl; }
    // Leaves the current container and joins Value, which becomes the parent.
    void setTabControl(TVarnTabbed* Value);
    bool TabVisible() const { return FTabVisible; }
    void setVisibleTab(bool Value);
    int Order() const { return FOrder; }
    void setOrder(int Value);

    TRect tabRect;  // the page's tab in the container, set by its paint; empty when not shown

    // A page put on a container joins it (outside reading, where Loaded does).
    void SetParent(TWinControl* AParent) override;

protected:
    void Paint() override;
    void Loaded() override;

private:
    friend class TVarnTabbed;
    TVarnTabbed* FTabControl = nullptr;
    bool FTabVisible = true;
    int FOrder = 0;
};

class TVarnTabbed : public TCustomControl {
public:
    explicit TVarnTabbed(TComponent* AOwner);
    ~TVarnTabbed() override;
    AnsiString ClassName() const override { return "TVarnTabbed"; }

    // Joins a page (once) and sorts the pages by Order.
    void addPage(TVarnPage* page);
    void delPage(TVarnPage* page);
    int PageCount() const { return pages.Count(); }
    TVarnPage* Pages(int Index) const { return pages.Get(Index); }
    int IndexOfPage(const TVarnPage* page) const;

    int ActiveIndex() const { return FActiveIndex; }
    // Without pages the index waits and is applied at the first paint with pages.
    void setActiveIndex(int Value);
    int PendingIndex() const { return pendingIndex; }
    TVarnPage* ActivePage() const { return FActiveIndex >= 0 ? pages.Get(FActiveIndex) : nullptr; }
    // Shows the active page over the whole client area and hides the others.
    void AdjustPages();

    int TabHeight() const { return FTabHeight; }
    void setTabHeight(int Value);
    int BorderInternal() const { return FBorderInternal; }
    void setBorderInternal(int Value);
    TColor ColorFrame() const { return FColorFrame; }
    void setColorFrame(TColor Value);
    TColor ColorFont() const { return FColorFont; }
    void setColorFont(TColor Value);
    TFontStyles TextStyles() const { return FTextStyles; }
    void setTextStyles(TFontStyles Value);
    bool HideButtons() const { return FHideButtons; }
    void setHideButtons(bool Value);
    // The frame's sides by index: 0 left, 1 right, 2 top, 3 bottom.
    bool getDrawFrame(int Index) const;
    void setDrawFrame(int Index, bool Value);
    bool HideFrame() const { return FHideFrame; }
    void setHideFrame(bool Value);
    TVTButtonsPosition ButtonsPosition() const { return FButtonsPosition; }
    void setButtonsPosition(TVTButtonsPosition Value);

    // The area the pages fill: the control less the tab strip and the frame,
    // shrunk by BorderInternal + 1.
    TRect GetClientRect() override;

    TNotifyEvent OnChange;            // after the active page changed
    TVarnCanChangeEvent OnCanChange;  // before; canChange false keeps the page

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Resize() override;

private:
    bool designing() const { return ComponentState().Contains(csDesigning); }
    void sortPages();

    int FTabHeight = 18;
    TPoint clickPoint;  // last left press, client coordinates
    int FActiveIndex = -1;
    int pendingIndex = -1;         // an index given while there were no pages
    sArray<TVarnPage*> pages;      // member pages, sorted by Order; not owned
    int FBorderInternal = 0;
    TColor FColorFrame = 0x808080;  // clGray
    TColor FColorFont = 0;          // clBlack
    TFontStyles FTextStyles;
    bool FHideButtons = false;
    bool FDrawFrame[4] = {true, true, true, true};
    bool FHideFrame = false;
    TVTButtonsPosition FButtonsPosition = vtBtDown;
};

// A strip of flat tabs built from Items; arrow buttons on the right scroll it
// when the tabs do not fit.
class TVarnTabButtons : public TCustomControl {
public:
    explicit TVarnTabButtons(TComponent* AOwner);
    ~TVarnTabButtons() override;
    AnsiString ClassName() const override { return "TVarnTabButtons"; }

    TVTButtonsPosition ButtonsPosition() const { return FButtonsPosition; }
    void setBtPosition(TVTButtonsPosition Value);
    int ActiveIndex() const { return FActiveIndex; }
    void setActiveIndex(int Value);
    TStrings* Items() const;
    void setItems(TStrings* Value);
    TColor ColorFrame() const { return FColorFrame; }
    void setColorFrame(TColor Value);
    TColor ColorFont() const { return FColorFont; }
    void setColorFont(TColor Value);
    TFontStyles TextStyles() const { return FTextStyles; }
    void setTextStyles(TFontStyles Value);

    int FirstShown() const { return firstShown; }
    int FittingCount() const { return fitCount; }
    int TotalWidth() const { return totalWidth; }
    // The tab of item i from the last paint (empty before the first shown item).
    TRect TabRect(int i) const { return i >= 0 && i < tabRects.Count() ? tabRects.Get(i) : TRect{}; }
    TVarnFrame* ArrowPanel() const { return arrowPanel; }
    TVarnButton* PriorButton() const { return priorButton; }
    TVarnButton* NextButton() const { return nextButton; }

    TNotifyEvent OnChange;  // a tab was clicked, also the active one

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Loaded() override;

private:
    void onClickButtons(TObject* Sender);
    void itemsChanged();

    TVTButtonsPosition FButtonsPosition = vtBtDown;
    int FActiveIndex = -1;
    std::unique_ptr<TStringList> FItems;
    TColor FColorFrame = 0;
    TColor FColorFont = 0;
    TFontStyles FTextStyles;
    sArray<TRect> tabRects;          // per item, rebuilt by every paint
    TVarnFrame* arrowPanel = nullptr;    // child, owned by this control
    TVarnButton* priorButton = nullptr;  // in arrowPanel
    TVarnButton* nextButton = nullptr;   // in arrowPanel
    int totalWidth = 0;   // of all item tabs
    int firstShown = 0;   // first item shown; -1 when Items is empty
    int fitCount = 0;     // item tabs that fit, from the last paint
};
