// TCustomListBox and TListBox: a list of texts that the platform draws itself, with
// single or multiple selection and a standard vertical scroll bar.
#pragma once

#include "platform/Controls.h"
#include "platform/Forms.h"

#include <functional>
#include <memory>
#include <vector>

class TStrings;
class TListBoxStrings;

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

enum TOwnerDrawStateItem {
    odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odHotLight, odInactive, odNoAccel,
    odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit
};
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;

using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, const TRect& Rect, TOwnerDrawState State)>;

// Item height: with lbStandard it follows the control's font, as the font's cell
// height (13 pixels for the default font) and a stored ItemHeight is kept for the owner-
// drawn styles only; lbOwnerDrawFixed and lbOwnerDrawVariable use ItemHeight
// (default 16). lbOwnerDrawVariable draws like lbOwnerDrawFixed: every row has the
// same height.
//
// ItemIndex is the selected item of a single-selection list; with MultiSelect it is
// the focused item, and setting it selects that item alone. SelCount is -1 unless
// MultiSelect is on, as the framework reports it.
class TCustomListBox : public TCustomControl {
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;
    AnsiString ClassName() const override { return "TCustomListBox"; }

    // The owned list of texts; every change repaints and keeps ItemIndex and
    // TopIndex valid. SetItems copies Value's lines.
    TStrings* Items() const;
    void SetItems(TStrings* Value);
    int Count() const;
    void Clear();

    int ItemIndex() const { return itemIndex; }
    void SetItemIndex(int Value);  // -1 clears; selects and scrolls the item into view
    int TopIndex() const { return topIndex; }
    void SetTopIndex(int Value);   // clamped so that the last page stays full
    int ItemHeight();
    void SetItemHeight(int Value);  // values below 1 are ignored
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value) { FExtendedSelect = Value; }
    bool Selected(int Index) const;  // EListError outside the items
    void SetSelected(int Index, bool Value);
    int SelCount() const;
    void ClearSelection();
    void SelectAll();  // MultiSelect only
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TListBoxStyle Style() const { return FStyle; }
    void SetStyle(TListBoxStyle Value);
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);  // bsNone or bsSingle
    bool IntegralHeight() const { return FIntegralHeight; }
    void SetIntegralHeight(bool Value) { FIntegralHeight = Value; }
    int Columns() const { return FColumns; }
    void SetColumns(int Value) { FColumns = Value; }

    // The item under a client point: -1 outside the client area; below the last
    // item -1 when Existing, else Count.
    int ItemAtPos(const TPoint& Pos, bool Existing);
    // The row of an item in client coordinates (above the client area for items
    // before TopIndex); the row after the last item for Count; empty otherwise.
    TRect ItemRect(int Index);

    TDrawItemEvent OnDrawItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    void Paint() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void CMFontChanged(TMessage& Message) override;
    // Draws one item on Canvas, whose brush and font are set for its state.
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);

private:
    friend class TListBoxStrings;
    enum class CtrlToggles { No, Yes };  // Ctrl toggles the item (a press) or only moves the focus (a key)

    // Called by the item list after each change.
    void itemInserted(int index);
    void itemDeleted(int index);
    void itemsCleared();
    void itemMoved(int from, int to);
    void itemsChanged();

    void onMouseDown(TMessage& message);
    void onMouseMove(TMessage& message);
    void onVScroll(TMessage& message);
    void onMouseWheel(TMessage& message);
    void onTimer();
    void stopDragging();

    int visibleRows();
    int maxTopIndex();
    int fontItemHeight();
    void updateScrollBar();
    void invalidateItem(int index);
    void makeVisible(int index);
    void drawItemAt(int index, const TRect& rect);
    // Moves the focused item by keyboard or mouse and changes the selection as
    // the modifiers say; fires OnClick when the selection or ItemIndex changed.
    void moveFocusTo(int index, TShiftState shift, CtrlToggles ctrlToggles);
    void selectRange(int from, int to, bool keepOthers);
    bool isSelected(int index) const;
    void dragTo(int y);

    std::unique_ptr<TListBoxStrings> items;
    std::vector<char> selection;   // one flag per item, used with MultiSelect
    int itemIndex = -1;            // selected (single) or focused (MultiSelect) item
    int anchorIndex = -1;          // where Shift ranges start
    int topIndex = 0;              // first item shown
    int FItemHeight = 16;          // owner-drawn styles only
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    bool FSorted = false;
    TListBoxStyle FStyle = lbStandard;
    TFormBorderStyle FBorderStyle = bsSingle;
    bool FIntegralHeight = false;
    int FColumns = 0;
    int wheelRemainder = 0;        // wheel delta short of a notch
    bool dragging = false;         // left button held after a press on the list
    bool dragKeepsOthers = false;  // the press had Ctrl: ranges add to the selection
    bool autoScrolling = false;    // the drag timer runs
    bool updatingScrollBar = false;
};

class TListBox : public TCustomListBox {
public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
    AnsiString ClassName() const override { return "TListBox"; }
};

namespace varn::detail {
void registerListBoxClasses();
}
