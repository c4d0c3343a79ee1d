// Menu items and the pop-up menu.
//
// An open menu: Popup -> OnPopup -> a WS_POPUP window owned by the form, laid out
// and placed on the screen -> the window takes the mouse capture and a get-message
// hook sends the keyboard to it. Each open sub-menu is one more such window (a
// level); the first level keeps the capture and the keyboard for all of them.
// Moves highlight and, after a rest on a parent item, open its sub-menu; a release on
// an enabled item (or Enter) destroys every level and then fires the item's OnClick;
// a press outside all levels, a lost capture or WM_CANCELMODE (the form deactivating)
// only close the menu, Escape closes the deepest level.
// Nothing waits inside Popup: the application's own loop carries the menu.
#include "platform/Menus.h"

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/Streaming.h"
#include "platform/SysUtils.h"
#include "platform/win/Gdi.h"

#include <algorithm>

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

// A sub-menu opens (or another one closes) after the pointer rests this long.
constexpr UINT hoverDelay = 400;
constexpr UINT_PTR hoverTimer = 1;

TPopupMenu* openMenu = nullptr;  // the one menu open now

// Locale upper case of one character: accented letters too (ñ Ñ, š Š).
char upperChar(char c) { return AnsiUpperCase(AnsiString(1, c))[0]; }

// The character that '&' marks in a caption, upper-cased; 0 when none.
char accelerator(const AnsiString& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&')
            continue;
        if (caption[i + 1] != '&')
            return upperChar(caption[i + 1]);
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

HWND TPopupMenu::LevelWindowHandle(int Level) const
{
    if (Level < 0 || Level >= OpenLevelCount())
        return nullptr;
    return levels[static_cast<size_t>(Level)].window;
}

TMenuItem* TPopupMenu::HighlightedItem() const
{
    for (auto level = levels.rbegin(); level != levels.rend(); ++level)
        if (level->highlight >= 0)
            return level->rows[static_cast<size_t>(level->highlight)].item;
    return nullptr;
}

HWND TPopupMenu::createLevelWindow(int x, int y)
{
    ensureWindowClass(windowProc);
    HWND window = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, menuClassName, "",
                                 WS_POPUP | WS_CLIPSIBLINGS, x, y, 1, 1, ownerWindow, nullptr, nullptr, nullptr);
    if (window)
        SetProp(window, menuProperty, this);
    return window;
}

void TPopupMenu::Popup(int X, int Y)
{
    if (openMenu)
        openMenu->CloseMenu();
    if (OnPopup)
        OnPopup(this);

    // The menu belongs to the form of the control that asked for it, else to the
    // active window.
    ownerWindow = GetActiveWindow();
    if (auto* control = dynamic_cast<TControl*>(FPopupComponent))
        if (TForm* form = GetParentForm(control); form && form->HandleAllocated())
            ownerWindow = form->Handle();

    HWND window = createLevelWindow(X, Y);
    if (!window)
        return;
    levels.push_back(Level{FItems, window, {}, -1, 0, 0});
    openMenu = this;
    Level& menu = levels.front();
    layout(menu);
    if (menu.rows.empty()) {
        destroyWindow();
        return;
    }

    // Place the chosen corner at the point; flip to the other side where the menu
    // would leave the screen, and never start off it.
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int left = X;
    if (FAlignment == paRight)
        left = X - menu.width;
    else if (FAlignment == paCenter)
        left = X - menu.width / 2;
    if (left + menu.width > screenWidth)
        left = X - menu.width;
    left = std::max(0, left);
    int top = Y;
    if (top + menu.height > screenHeight)
        top = Y - menu.height;
    top = std::max(0, top);

    SetWindowPos(window, nullptr, left, top, menu.width, menu.height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    SetCapture(window);
    hook = SetWindowsHookEx(WH_GETMESSAGE, keyboardHook, nullptr, 0);
}

// Opens the sub-items of the highlighted item of `level` as the next level, to the
// right of the item with its first row beside it; where that leaves the screen it
// opens to the left of the level instead, and it moves up to stay on the screen.
bool TPopupMenu::openSubMenu(int level, Highlight first)
{
    if (!opensSubMenu(level, levels[static_cast<size_t>(level)].highlight))
        return false;
    closeLevelsFrom(level + 1);
    const Level& from = levels[static_cast<size_t>(level)];
    const Row row = from.rows[static_cast<size_t>(from.highlight)];
    TRect fromRect;
    GetWindowRect(from.window, &fromRect);
    HWND window = createLevelWindow(fromRect.right, fromRect.top);
    if (!window)
        return false;
    levels.push_back(Level{row.item, window, {}, -1, 0, 0});
    Level& sub = levels.back();
    layout(sub);

    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int left = fromRect.right;
    if (left + sub.width > screenWidth)
        left = fromRect.left - sub.width;
    left = std::max(0, left);
    int top = fromRect.top + row.top - frameWidth - padding;
    top = std::max(0, std::min(top, screenHeight - sub.height));
    SetWindowPos(window, nullptr, left, top, sub.width, sub.height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (first == Highlight::First)
        moveHighlight(level + 1, 1);
    return true;
}

// Closes the levels from `level` down; the first level only goes with the whole menu.
void TPopupMenu::closeLevelsFrom(int level)
{
    if (level <= 0) {
        destroyWindow();
        return;
    }
    while (OpenLevelCount() > level) {
        HWND closed = levels.back().window;
        levels.pop_back();
        RemoveProp(closed, menuProperty);
        DestroyWindow(closed);
    }
    if (hoverLevel >= level) {
        KillTimer(levels.front().window, hoverTimer);
        hoverLevel = hoverRow = -1;
    }
}

void TPopupMenu::CloseMenu() { destroyWindow(); }

void TPopupMenu::destroyWindow()
{
    if (levels.empty() || closing)
        return;
    closing = true;
    HWND root = levels.front().window;
    if (hook)
        UnhookWindowsHookEx(hook);
    hook = nullptr;
    KillTimer(root, hoverTimer);
    hoverLevel = hoverRow = -1;
    if (GetCapture() == root)
        ReleaseCapture();
    std::vector<Level> closed = std::move(levels);
    levels.clear();
    if (openMenu == this)
        openMenu = nullptr;
    for (auto level = closed.rbegin(); level != closed.rend(); ++level) {
        RemoveProp(level->window, menuProperty);
        DestroyWindow(level->window);
    }
    closing = false;
}

// Rows of the visible items; the width fits the widest caption in its own font.
void TPopupMenu::layout(Level& level)
{
    level.rows.clear();
    level.highlight = -1;
    HDC dc = GetDC(level.window);
    TCanvas canvas;
    canvas.SetHandle(dc);
    int textHeight = canvas.TextHeight("Wg");
    int itemHeight = std::max(minimumItemHeight, textHeight + 5);
    int widest = 0;
    int y = frameWidth + padding;
    for (TMenuItem* item : level.parent->FItems) {
        if (!item->Visible())
            continue;
        int rowHeight = item->IsLine() ? separatorHeight : itemHeight;
        level.rows.push_back({item, y, rowHeight});
        y += rowHeight;
        if (item->IsLine())
            continue;
        canvas.Font()->SetStyle(item->Default() ? TFontStyles{TFontStyle::fsBold} : TFontStyles{});
        TRect r{0, 0, 0, 0};
        DrawText(canvas.Handle(), item->Caption().c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
        widest = std::max(widest, r.Width());
    }
    canvas.SetHandle(nullptr);
    ReleaseDC(level.window, dc);
    level.width =
        std::max(minimumWidth, frameWidth + padding + checkColumn + widest + rightColumn + padding + frameWidth);
    level.height = y + padding + frameWidth;
}

// An item changed while the menu is open: lay every level out again in place,
// keeping highlighted items that are still shown. A sub-menu whose parent item is
// gone, hidden, disabled or emptied closes.
void TPopupMenu::itemsChanged()
{
    if (levels.empty() || closing)
        return;
    for (int index = 0; index < OpenLevelCount(); ++index) {
        Level& level = levels[static_cast<size_t>(index)];
        TMenuItem* highlighted = level.highlight >= 0 ? level.rows[static_cast<size_t>(level.highlight)].item : nullptr;
        layout(level);
        if (level.rows.empty()) {
            closeLevelsFrom(index);
            return;
        }
        for (size_t i = 0; i < level.rows.size(); ++i)
            if (level.rows[i].item == highlighted && selectable(index, static_cast<int>(i)))
                level.highlight = static_cast<int>(i);
        SetWindowPos(level.window, nullptr, 0, 0, level.width, level.height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(level.window, nullptr, FALSE);
        if (index + 1 < OpenLevelCount()) {
            bool parentShown = level.highlight >= 0 &&
                               level.rows[static_cast<size_t>(level.highlight)].item ==
                                   levels[static_cast<size_t>(index) + 1].parent &&
                               opensSubMenu(index, level.highlight);
            if (!parentShown)
                closeLevelsFrom(index + 1);
        }
    }
}

void TPopupMenu::paint(int index)
{
    const Level& level = levels[static_cast<size_t>(index)];
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(level.window, &ps);
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.Brush()->SetColor(clMenu);
    canvas.FillRect(TRect{0, 0, level.width, level.height});
    canvas.Brush()->SetColor(clBtnShadow);
    canvas.FrameRect(TRect{0, 0, level.width, level.height});

    int rowLeft = frameWidth + padding;
    int rowRight = level.width - frameWidth - padding;
    for (size_t i = 0; i < level.rows.size(); ++i) {
        const Row& row = level.rows[i];
        TMenuItem* item = row.item;
        if (item->IsLine()) {
            int lineY = row.top + row.height / 2 - 1;
            canvas.Brush()->SetColor(clBtnShadow);
            canvas.FillRect(TRect{rowLeft, lineY, rowRight, lineY + 1});
            canvas.Brush()->SetColor(clBtnHighlight);
            canvas.FillRect(TRect{rowLeft, lineY + 1, rowRight, lineY + 2});
            continue;
        }
        bool lit = static_cast<int>(i) == level.highlight;
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
            // A small arrow tells that the item opens a sub-menu.
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
    EndPaint(level.window, &ps);
}

// The deepest level under a screen point, or -1. Deeper levels lie on top.
int TPopupMenu::levelAt(TPoint screen) const
{
    for (int index = OpenLevelCount() - 1; index >= 0; --index) {
        TRect r;
        GetWindowRect(levels[static_cast<size_t>(index)].window, &r);
        if (screen.x >= r.left && screen.x < r.right && screen.y >= r.top && screen.y < r.bottom)
            return index;
    }
    return -1;
}

int TPopupMenu::rowAt(int index, TPoint screen) const
{
    const Level& level = levels[static_cast<size_t>(index)];
    TRect r;
    GetWindowRect(level.window, &r);
    TPoint at{screen.x - r.left, screen.y - r.top};
    if (at.x < frameWidth || at.x >= level.width - frameWidth)
        return -1;
    for (size_t i = 0; i < level.rows.size(); ++i)
        if (at.y >= level.rows[i].top && at.y < level.rows[i].top + level.rows[i].height)
            return static_cast<int>(i);
    return -1;
}

bool TPopupMenu::selectable(int index, int row) const
{
    const Level& level = levels[static_cast<size_t>(index)];
    if (row < 0 || row >= static_cast<int>(level.rows.size()))
        return false;
    TMenuItem* item = level.rows[static_cast<size_t>(row)].item;
    return item->Enabled() && !item->IsLine();
}

// An enabled item with at least one visible sub-item.
bool TPopupMenu::opensSubMenu(int index, int row) const
{
    if (!selectable(index, row))
        return false;
    TMenuItem* item = levels[static_cast<size_t>(index)].rows[static_cast<size_t>(row)].item;
    return std::any_of(item->FItems.begin(), item->FItems.end(), [](TMenuItem* sub) { return sub->Visible(); });
}

void TPopupMenu::setHighlight(int index, int row)
{
    Level& level = levels[static_cast<size_t>(index)];
    if (row == level.highlight)
        return;
    for (int changedRow : {level.highlight, row}) {
        if (changedRow < 0)
            continue;
        const Row& r = level.rows[static_cast<size_t>(changedRow)];
        TRect area{0, r.top, level.width, r.top + r.height};
        InvalidateRect(level.window, &area, FALSE);
    }
    level.highlight = row;
}

// The levels above `index` light the items whose sub-menus are open, which the
// pointer may have left for a sibling before coming back.
void TPopupMenu::highlightParents(int index)
{
    for (int above = 0; above < index; ++above) {
        const Level& level = levels[static_cast<size_t>(above)];
        TMenuItem* parent = levels[static_cast<size_t>(above) + 1].parent;
        for (size_t i = 0; i < level.rows.size(); ++i)
            if (level.rows[i].item == parent)
                setHighlight(above, static_cast<int>(i));
    }
}

// Lights the selectable row of a level under the pointer (none over a separator
// or a disabled item) and the parent items that lead to that level.
int TPopupMenu::highlightAt(int index, TPoint screen)
{
    int row = rowAt(index, screen);
    if (!selectable(index, row))
        row = -1;
    highlightParents(index);
    setHighlight(index, row);
    return row;
}

// Up and Down go round the level, past separators and disabled items.
void TPopupMenu::moveHighlight(int index, int step)
{
    int count = static_cast<int>(levels[static_cast<size_t>(index)].rows.size());
    int row = levels[static_cast<size_t>(index)].highlight;
    if (row < 0)
        row = step > 0 ? -1 : count;
    for (int tried = 0; tried < count; ++tried) {
        row = ((row + step) % count + count) % count;
        if (selectable(index, row)) {
            setHighlight(index, row);
            return;
        }
    }
}

void TPopupMenu::choose(int index, int row)
{
    TMenuItem* item = levels[static_cast<size_t>(index)].rows[static_cast<size_t>(row)].item;
    // A parent item has nothing of its own to do: it only opens its sub-items.
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

void TPopupMenu::stopHoverTimer()
{
    if (hoverLevel >= 0)
        KillTimer(levels.front().window, hoverTimer);
    hoverLevel = hoverRow = -1;
}

// The pointer rests on `row` of `index` (-1: on no selectable row). Unless the open
// levels already fit that place, the hover timer runs; when it fires, settle opens
// the row's sub-menu or closes the sub-menus of other items.
void TPopupMenu::hover(int index, int row)
{
    size_t next = static_cast<size_t>(index) + 1;
    bool fits = levels.size() == next ? !opensSubMenu(index, row)
                                      : levels.size() == next + 1 && row >= 0 &&
                                            levels[next].parent == levels[next - 1].rows[static_cast<size_t>(row)].item;
    if (fits) {
        stopHoverTimer();
        return;
    }
    if (hoverLevel == index && hoverRow == row)
        return;  // already waiting here
    hoverLevel = index;
    hoverRow = row;
    SetTimer(levels.front().window, hoverTimer, hoverDelay, nullptr);
}

void TPopupMenu::onHoverTimer()
{
    int index = hoverLevel;
    int row = hoverRow;
    stopHoverTimer();
    if (index >= 0 && index < OpenLevelCount() && levels[static_cast<size_t>(index)].highlight == row)
        settle(index, row);
}

// Makes the open levels fit `row` of `index`: deeper levels close unless they are
// that row's own sub-menu, which opens when it is not open yet.
void TPopupMenu::settle(int index, int row)
{
    size_t next = static_cast<size_t>(index) + 1;
    bool ownOpen = row >= 0 && levels.size() > next &&
                   levels[next].parent == levels[next - 1].rows[static_cast<size_t>(row)].item;
    closeLevelsFrom(index + (ownOpen ? 2 : 1));
    if (!ownOpen && opensSubMenu(index, row))
        openSubMenu(index, Highlight::None);
}

void TPopupMenu::onMouseMove(TPoint screen)
{
    int index = levelAt(screen);
    if (index < 0) {
        // Off every level: the deepest one loses its highlight; open sub-menus stay.
        stopHoverTimer();
        int deepest = OpenLevelCount() - 1;
        highlightParents(deepest);
        setHighlight(deepest, -1);
        return;
    }
    int row = highlightAt(index, screen);
    hover(index, row);
}

void TPopupMenu::onButtonDown(TPoint screen)
{
    int index = levelAt(screen);
    if (index < 0) {
        CloseMenu();
        return;
    }
    int row = highlightAt(index, screen);
    // A press on a parent item opens its sub-menu at once.
    if (opensSubMenu(index, row)) {
        stopHoverTimer();
        settle(index, row);
    }
}

void TPopupMenu::onButtonUp(TPoint screen)
{
    int index = levelAt(screen);
    if (index < 0)
        return;
    int row = rowAt(index, screen);
    if (selectable(index, row))
        choose(index, row);
}

// Keys act in the deepest open level.
void TPopupMenu::onKeyDown(WPARAM key)
{
    stopHoverTimer();
    int deepest = OpenLevelCount() - 1;
    int row = levels.back().highlight;
    switch (key) {
    case VK_ESCAPE: closeLevelsFrom(deepest); break;
    case VK_LEFT:
        if (deepest > 0)
            closeLevelsFrom(deepest);
        break;
    case VK_RIGHT: openSubMenu(deepest, Highlight::First); break;
    case VK_UP: moveHighlight(deepest, -1); break;
    case VK_DOWN: moveHighlight(deepest, 1); break;
    case VK_HOME:
        levels.back().highlight = -1;
        moveHighlight(deepest, 1);
        break;
    case VK_END:
        levels.back().highlight = -1;
        moveHighlight(deepest, -1);
        break;
    case VK_RETURN:
        if (opensSubMenu(deepest, row))
            openSubMenu(deepest, Highlight::First);
        else if (selectable(deepest, row))
            choose(deepest, row);
        break;
    default: break;
    }
}

// The accelerator chooses its item in the deepest level, or opens its sub-menu;
// several items with the same one take turns in the highlight instead.
void TPopupMenu::onChar(char key)
{
    stopHoverTimer();
    int deepest = OpenLevelCount() - 1;
    const Level& level = levels.back();
    key = upperChar(key);
    std::vector<int> matches;
    for (size_t i = 0; i < level.rows.size(); ++i)
        if (selectable(deepest, static_cast<int>(i)) && key && accelerator(level.rows[i].item->Caption()) == key)
            matches.push_back(static_cast<int>(i));
    if (matches.size() == 1) {
        setHighlight(deepest, matches.front());
        if (opensSubMenu(deepest, matches.front()))
            openSubMenu(deepest, Highlight::First);
        else
            choose(deepest, matches.front());
    } else if (!matches.empty()) {
        auto next = std::upper_bound(matches.begin(), matches.end(), level.highlight);
        setHighlight(deepest, next == matches.end() ? matches.front() : *next);
    }
}

// Every level's window comes here. The first level holds the capture, so mouse
// messages of all levels arrive there; they are taken to screen points and handed
// to the level under the pointer.
LRESULT TPopupMenu::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* menu = static_cast<TPopupMenu*>(GetProp(hwnd, menuProperty));
    int index = -1;
    if (menu)
        for (int i = 0; i < menu->OpenLevelCount(); ++i)
            if (menu->levels[static_cast<size_t>(i)].window == hwnd)
                index = i;
    if (index < 0)
        return DefWindowProc(hwnd, message, wParam, lParam);
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
    case WM_PAINT: menu->paint(index); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_MOUSEMOVE:
        ClientToScreen(hwnd, &at);
        menu->onMouseMove(at);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        ClientToScreen(hwnd, &at);
        menu->onButtonDown(at);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ClientToScreen(hwnd, &at);
        menu->onButtonUp(at);
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: menu->onKeyDown(wParam); return 0;
    case WM_CHAR: menu->onChar(static_cast<char>(wParam)); return 0;
    case WM_TIMER:
        if (wParam == hoverTimer)
            menu->onHoverTimer();
        return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
    case WM_DESTROY: menu->CloseMenu(); return 0;
    default: return DefWindowProc(hwnd, message, wParam, lParam);
    }
}

// While a menu is open the keyboard (and the wheel) is its own: the messages are
// sent to its first window. Tab would move the focus in the form beneath; it is dropped.
LRESULT TPopupMenu::keyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK self = openMenu ? openMenu->hook : nullptr;
    auto* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && openMenu && openMenu->WindowHandle() && msg) {
        bool keyboard = msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST;
        if (keyboard || msg->message == WM_MOUSEWHEEL) {
            msg->hwnd = openMenu->WindowHandle();
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
