// Menu items and the pop-up menu.
//
// An open menu: Popup -> OnPopup -> a WS_POPUP window owned by the form, laid out
// and placed on the screen -> the window takes the mouse capture and a get-message
// hook sends the keyboard to it. Moves highlight, a release on an enabled item
// (or Enter) destroys the window and then fires the item's OnClick; a press outside,
// Escape, a lost capture or WM_CANCELMODE (the form deactivating) only close it.
// Nothing waits inside Popup: the application's own loop carries the menu.
#include "platform/Menus.h"

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Gdi.h"
#include "platform/Graphics.h"
#include "platform/Streaming.h"

#include <algorithm>
#include <cctype>

namespace {

const char* const menuClassName = "VarnPopupMenu";
const char* const menuProperty = "VarnPopupMenu";

// Geometry of an open menu, in pixels.
constexpr int frameWidth = 1;        // clBtnShadow outline
constexpr int padding = 2;           // between the frame and the rows
constexpr int separatorHeight = 8;
constexpr int minimumItemHeight = 19;
constexpr int checkColumn = 20;      // left of the text: room for a check mark
constexpr int rightColumn = 20;      // right of the text: room for a sub-menu arrow
constexpr int minimumWidth = 80;

TPopupMenu* openMenu = nullptr;  // the one menu open now

// The character that '&' marks in a caption, upper-cased; 0 when none.
char accelerator(const AnsiString& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        ++i;
    }
    return 0;
}

void ensureWindowClass(WNDPROC proc)
{
    WNDCLASS existing;
    if (GetClassInfo(nullptr, menuClassName, &existing))
        return;
    WNDCLASS windowClass;
    windowClass.style = CS_SAVEBITS;
    windowClass.lpfnWndProc = proc;
    windowClass.lpszClassName = menuClassName;
    RegisterClass(&windowClass);
}

}  // namespace

// ---- TMenuItem -----------------------------------------------------------------------

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem()
{
    Clear();
    if (FParent)
        FParent->Remove(this);
}

void TMenuItem::SetCaption(const AnsiString& Value)
{
    if (FCaption == Value)
        return;
    FCaption = Value;
    changed();
}

void TMenuItem::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    changed();
}

void TMenuItem::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    changed();
}

void TMenuItem::SetChecked(bool Value)
{
    if (FChecked == Value)
        return;
    FChecked = Value;
    changed();
}

void TMenuItem::SetDefault(bool Value)
{
    if (FDefault == Value)
        return;
    FDefault = Value;
    changed();
}

TMenuItem* TMenuItem::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EMenuError("Menu index out of range");
    return FItems[static_cast<size_t>(Index)];
}

int TMenuItem::IndexOf(TMenuItem* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

void TMenuItem::Add(TMenuItem* Item) { Insert(Count(), Item); }

void TMenuItem::Insert(int Index, TMenuItem* Item)
{
    if (!Item)
        return;
    // An item inside itself would make the tree a loop.
    for (TMenuItem* p = this; p; p = p->FParent)
        if (p == Item)
            throw EMenuError("Menu inserted twice");
    if (Item->FParent)
        Item->FParent->Remove(Item);
    if (Index < 0 || Index > Count())
        throw EMenuError("Menu index out of range");
    FItems.insert(FItems.begin() + Index, Item);
    Item->FParent = this;
    changed();
}

void TMenuItem::Delete(int Index)
{
    TMenuItem* item = Items(Index);
    FItems.erase(FItems.begin() + Index);
    item->FParent = nullptr;
    changed();
}

void TMenuItem::Remove(TMenuItem* Item)
{
    int index = IndexOf(Item);
    if (index >= 0)
        Delete(index);
}

void TMenuItem::Clear()
{
    // Each item leaves the list in its destructor.
    while (!FItems.empty())
        delete FItems.back();
}

TPopupMenu* TMenuItem::GetParentMenu() const
{
    const TMenuItem* item = this;
    while (item->FParent)
        item = item->FParent;
    return item->FMenu;
}

void TMenuItem::Click()
{
    if (OnClick)
        OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const
{
    if (FParent && FParent->FMenu)
        return FParent->FMenu;
    return FParent;
}

void TMenuItem::SetParentComponent(TComponent* Value)
{
    TMenuItem* parent = nullptr;
    if (auto* menu = dynamic_cast<TPopupMenu*>(Value))
        parent = menu->Items();
    else
        parent = dynamic_cast<TMenuItem*>(Value);
    if (parent && parent != FParent)
        parent->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    for (TMenuItem* item : FItems)
        if (item->Owner() == Root)
            Proc(item);
}

void TMenuItem::changed()
{
    if (ComponentState().Contains(csDestroying) && !FParent)
        return;
    if (TPopupMenu* menu = GetParentMenu())
        menu->itemsChanged();
}

// ---- TPopupMenu ----------------------------------------------------------------------

TPopupMenu::TPopupMenu(TComponent* AOwner) : TComponent(AOwner)
{
    FItems = new TMenuItem(this);
    FItems->FMenu = this;
}

TPopupMenu::~TPopupMenu()
{
    destroyWindow();
    // The root item goes with the owned components; it must not report to this menu.
    FItems->FMenu = nullptr;
}

void TPopupMenu::SetPopupComponent(TComponent* Value)
{
    if (FPopupComponent == Value)
        return;
    if (FPopupComponent)
        FPopupComponent->RemoveFreeNotification(this);
    FPopupComponent = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupComponent)
        FPopupComponent = nullptr;
}

void TPopupMenu::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    FItems->GetChildren(Proc, Root);
}

TMenuItem* TPopupMenu::HighlightedItem() const
{
    return window && highlight >= 0 ? rows[static_cast<size_t>(highlight)].item : nullptr;
}

void TPopupMenu::Popup(int X, int Y)
{
    if (openMenu)
        openMenu->CloseMenu();
    if (OnPopup)
        OnPopup(this);

    // The menu belongs to the form of the control that asked for it, else to the
    // active window.
    HWND owner = GetActiveWindow();
    if (auto* control = dynamic_cast<TControl*>(FPopupComponent))
        if (TForm* form = GetParentForm(control); form && form->HandleAllocated())
            owner = form->Handle();

    ensureWindowClass(windowProc);
    window = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, menuClassName, "",
                            WS_POPUP | WS_CLIPSIBLINGS, X, Y, 1, 1, owner, nullptr, nullptr, nullptr);
    if (!window)
        return;
    SetProp(window, menuProperty, this);
    openMenu = this;
    layout();
    if (rows.empty()) {
        destroyWindow();
        return;
    }

    // Place the chosen corner at the point; flip to the other side where the menu
    // would leave the screen, and never start off it.
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int left = X;
    if (FAlignment == paRight)
        left = X - width;
    else if (FAlignment == paCenter)
        left = X - width / 2;
    if (left + width > screenWidth)
        left = X - width;
    left = std::max(0, left);
    int top = Y;
    if (top + height > screenHeight)
        top = Y - height;
    top = std::max(0, top);

    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetCapture(window);
    hook = SetWindowsHookEx(WH_GETMESSAGE, keyboardHook, nullptr, 0);
}

void TPopupMenu::CloseMenu() { destroyWindow(); }

void TPopupMenu::destroyWindow()
{
    if (!window || closing)
        return;
    closing = true;
    HWND closed = window;
    if (hook)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
    if (GetCapture() == closed)
        ReleaseCapture();
    window = nullptr;
    rows.clear();
    highlight = -1;
    if (openMenu == this)
        openMenu = nullptr;
    RemoveProp(closed, menuProperty);
    DestroyWindow(closed);
    closing = false;
}

// Rows of the visible items; the width fits the widest caption in its own font.
void TPopupMenu::layout()
{
    rows.clear();
    highlight = -1;
    HDC dc = GetDC(window);
    TCanvas canvas;
    canvas.SetHandle(dc);
    int textHeight = canvas.TextHeight("Wg");
    int itemHeight = std::max(minimumItemHeight, textHeight + 5);
    int widest = 0;
    int y = frameWidth + padding;
    for (TMenuItem* item : FItems->FItems) {
        if (!item->Visible())
            continue;
        int rowHeight = item->IsLine() ? separatorHeight : itemHeight;
        rows.push_back({item, y, rowHeight});
        y += rowHeight;
        if (item->IsLine())
            continue;
        canvas.Font()->SetStyle(item->Default() ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
        TRect r{0, 0, 0, 0};
        DrawText(canvas.Handle(), item->Caption().c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
        widest = std::max(widest, r.Width());
    }
    canvas.SetHandle(nullptr);
    ReleaseDC(window, dc);
    width = std::max(minimumWidth, frameWidth + padding + checkColumn + widest + rightColumn + padding + frameWidth);
    height = y + padding + frameWidth;
}

// An item changed while the menu is open: lay it out again in place, keeping the
// highlighted item when it is still shown.
void TPopupMenu::itemsChanged()
{
    if (!window || closing)
        return;
    TMenuItem* highlighted = HighlightedItem();
    layout();
    if (rows.empty()) {
        destroyWindow();
        return;
    }
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].item == highlighted && selectable(static_cast<int>(i)))
            highlight = static_cast<int>(i);
    SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
}

void TPopupMenu::paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Brush()->SetColor(clMenu);
    canvas.FillRect(TRect{0, 0, width, height});
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(TRect{0, 0, width, height});

    int rowLeft = frameWidth + padding;
    int rowRight = width - frameWidth - padding;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        TMenuItem* item = row.item;
        if (item->IsLine()) {
            int lineY = row.top + row.height / 2 - 1;
            canvas.Brush()->SetColor(clBtnShadow);
            canvas.FillRect(TRect{rowLeft, lineY, rowRight, lineY + 1});
            canvas.Brush()->SetColor(clBtnHighlight);
            canvas.FillRect(TRect{rowLeft, lineY + 1, rowRight, lineY + 2});
            continue;
        }
        bool lit = static_cast<int>(i) == highlight;
        TColor textColor = !item->Enabled() ? clGrayText : lit ? clHighlightText : clMenuText;
        TRect rowRect{rowLeft, row.top, rowRight, row.top + row.height};
        if (lit) {
            canvas.Brush()->SetColor(clHighlight);
            canvas.FillRect(rowRect);
        }
        canvas.Pen()->SetColor(textColor);
        if (item->Checked()) {
            // A check mark two pixels thick, centred in the check column.
            int cx = rowLeft + checkColumn / 2 - 3;
            int cy = row.top + row.height / 2;
            for (int d = 0; d < 2; ++d) {
                canvas.MoveTo(cx, cy - 1 + d);
                canvas.LineTo(cx + 2, cy + 1 + d);
                canvas.LineTo(cx + 7, cy - 4 + d);
            }
        }
        if (item->Count() > 0) {
            // Sub-items are kept but not opened: a small arrow tells they are there.
            int ax = rowRight - rightColumn / 2 - 2;
            int ay = row.top + row.height / 2;
            canvas.Brush()->SetColor(textColor);
            canvas.Polygon({TPoint{ax, ay - 3}, TPoint{ax + 3, ay}, TPoint{ax, ay + 3}});
        }
        canvas.Font()->SetStyle(item->Default() ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
        canvas.Font()->SetColor(textColor);
        canvas.Brush()->SetStyle(bsClear);
        TRect textRect{rowLeft + checkColumn, row.top, rowRight - rightColumn, row.top + row.height};
        DrawText(canvas.Handle(), item->Caption().c_str(), -1, &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        canvas.Brush()->SetStyle(bsSolid);
    }
    canvas.SetHandle(nullptr);
    EndPaint(window, &ps);
}

int TPopupMenu::rowAt(TPoint at) const
{
    if (at.x < frameWidth || at.x >= width - frameWidth)
        return -1;
    for (size_t i = 0; i < rows.size(); ++i)
        if (at.y >= rows[i].top && at.y < rows[i].top + rows[i].height)
            return static_cast<int>(i);
    return -1;
}

bool TPopupMenu::selectable(int row) const
{
    if (row < 0 || row >= static_cast<int>(rows.size()))
        return false;
    TMenuItem* item = rows[static_cast<size_t>(row)].item;
    return item->Enabled() && !item->IsLine();
}

void TPopupMenu::setHighlight(int row)
{
    if (row == highlight)
        return;
    for (int changedRow : {highlight, row}) {
        if (changedRow < 0)
            continue;
        const Row& r = rows[static_cast<size_t>(changedRow)];
        TRect area{0, r.top, width, r.top + r.height};
        InvalidateRect(window, &area, FALSE);
    }
    highlight = row;
}

// Up and Down go round the menu, past separators and disabled items.
void TPopupMenu::moveHighlight(int step)
{
    int count = static_cast<int>(rows.size());
    int row = highlight;
    if (row < 0)
        row = step > 0 ? -1 : count;
    for (int tried = 0; tried < count; ++tried) {
        row = ((row + step) % count + count) % count;
        if (selectable(row)) {
            setHighlight(row);
            return;
        }
    }
}

void TPopupMenu::choose(int row)
{
    TMenuItem* item = rows[static_cast<size_t>(row)].item;
    // A parent item has nothing of its own to do: its sub-items are not shown.
    if (item->Count() > 0)
        return;
    destroyWindow();
    // Nothing of this menu is touched from here on: the handler may delete it.
    try {
        item->Click();
    } catch (const Exception&) {
        Application->HandleException(item);
    } catch (const std::exception&) {
        Application->HandleException(item);
    }
}

void TPopupMenu::onMouseMove(TPoint at)
{
    int row = rowAt(at);
    setHighlight(selectable(row) ? row : -1);
}

void TPopupMenu::onButtonDown(TPoint at)
{
    if (at.x < 0 || at.y < 0 || at.x >= width || at.y >= height) {
        CloseMenu();
        return;
    }
    int row = rowAt(at);
    setHighlight(selectable(row) ? row : -1);
}

void TPopupMenu::onButtonUp(TPoint at)
{
    int row = rowAt(at);
    if (selectable(row))
        choose(row);
}

void TPopupMenu::onKeyDown(WPARAM key)
{
    switch (key) {
    case VK_ESCAPE: CloseMenu(); break;
    case VK_UP: moveHighlight(-1); break;
    case VK_DOWN: moveHighlight(1); break;
    case VK_HOME:
        highlight = -1;
        moveHighlight(1);
        break;
    case VK_END:
        highlight = -1;
        moveHighlight(-1);
        break;
    case VK_RETURN:
        if (selectable(highlight))
            choose(highlight);
        break;
    default: break;
    }
}

LRESULT TPopupMenu::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* menu = static_cast<TPopupMenu*>(GetProp(hwnd, menuProperty));
    if (!menu || menu->window != hwnd)
        return DefWindowProc(hwnd, message, wParam, lParam);
    TPoint at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: menu->paint(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE: menu->onMouseMove(at); return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: menu->onButtonDown(at); return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: menu->onButtonUp(at); return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: menu->onKeyDown(wParam); return 0;
    case WM_CHAR: {
        // The accelerator chooses its item; several items with the same one take
        // turns in the highlight instead.
        char key = static_cast<char>(std::toupper(static_cast<unsigned char>(wParam)));
        std::vector<int> matches;
        for (size_t i = 0; i < menu->rows.size(); ++i)
            if (menu->selectable(static_cast<int>(i)) && key && accelerator(menu->rows[i].item->Caption()) == key)
                matches.push_back(static_cast<int>(i));
        if (matches.size() == 1) {
            menu->choose(matches.front());
        } else if (!matches.empty()) {
            auto next = std::upper_bound(matches.begin(), matches.end(), menu->highlight);
            menu->setHighlight(next == matches.end() ? matches.front() : *next);
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
    case WM_DESTROY: menu->CloseMenu(); return 0;
    default: return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// While a menu is open the keyboard (and the wheel) is its own: the messages are
// sent to its window. Tab would move the focus in the form beneath; it is dropped.
LRESULT TPopupMenu::keyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK self = openMenu ? openMenu->hook : nullptr;
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && openMenu && openMenu->window && msg) {
        bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
        if (keyboard || msg->message == WM_MOUSEWHEEL) {
            msg->hwnd = openMenu->window;
            if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB)
                msg->message = WM_NULL;
        }
    }
    return CallNextHookEx(self, code, wParam, lParam);
}

// ---- Form descriptions -----------------------------------------------------------------

namespace varn::detail {

void registerMenuClasses()
{
    static const TIdentList alignmentIdents = {{"paLeft", paLeft}, {"paRight", paRight}, {"paCenter", paCenter}};
    RegisterPublishedClass<TMenuItem>("TMenuItem", "TComponent")
        .String("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
        .Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
        .Boolean("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false)
        .Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
        .Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
        .Event("OnClick", &TMenuItem::OnClick);
    RegisterPublishedClass<TPopupMenu>("TPopupMenu", "TComponent")
        .Enumeration("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, alignmentIdents,
                     std::optional(paLeft))
        .Boolean("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
        .Event("OnPopup", &TPopupMenu::OnPopup);
}

}  // namespace varn::detail
