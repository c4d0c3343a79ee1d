// Menu items and the pop-up (context) menu.
#pragma once

#include "platform/Classes.h"
#include "platform/win/Types.h"
#include "platform/win/Windows.h"

#include <vector>

class TPopupMenu;

// One entry of a menu, and the list of its sub-items. A caption of "-" makes a
// separator; '&' marks the next character as the accelerator ("&&" is a plain '&').
// Sub-items are kept as a tree; an open pop-up menu shows them as cascading sub-menus.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    // Leaves its parent item and deletes its sub-items.
    ~TMenuItem() override;
    AnsiString ClassName() const override { return "TMenuItem"; }

    AnsiString Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    // The default item of a menu is drawn in bold.
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    bool IsLine() const { return FCaption == "-"; }

    // Sub-items. Add and Insert take an item out of any other parent first; Delete
    // and Remove only take the item out (its owner still deletes it), Clear deletes
    // the sub-items. Items and Delete raise EMenuError for an index out of range.
    int Count() const { return static_cast<int>(FItems.size()); }
    TMenuItem* Items(int Index) const;
    int IndexOf(TMenuItem* Item) const;
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    void Clear();
    TMenuItem* Parent() const { return FParent; }
    int MenuIndex() const { return FParent ? FParent->IndexOf(const_cast<TMenuItem*>(this)) : -1; }
    // The pop-up menu whose tree holds this item, or null.
    TPopupMenu* GetParentMenu() const;

    // Fires OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;
    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

private:
    friend class TPopupMenu;
    // Tells an open menu showing this tree that it must be laid out again.
    void changed();

    AnsiString FCaption;
    bool FEnabled = true;
    bool FVisible = true;
    bool FChecked = false;
    bool FDefault = false;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
    TPopupMenu* FMenu = nullptr;  // set on the root item of a pop-up menu only
};

class EMenuError : public Exception { using Exception::Exception; };

enum TPopupAlignment { paLeft, paRight, paCenter };

// A context menu. A right click on a control whose PopupMenu is this menu opens it
// (when AutoPopup); Popup opens it from code. The menu is a borderless pop-up window
// owned by the active form; it holds the mouse capture and takes the keyboard while
// open. An item with sub-items opens them as another such window beside it (levels).
// Popup returns at once: the choice arrives later as the item's OnClick, fired after
// every menu window is gone.
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    AnsiString ClassName() const override { return "TPopupMenu"; }

    // The root item; its sub-items are the menu's entries.
    TMenuItem* Items() const { return FItems; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    // The control that opened the menu last (set before OnPopup fires).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value);

    // Fires OnPopup and shows the menu with its corner at the screen point (the
    // side given by Alignment), kept on the screen. Any other open menu closes.
    virtual void Popup(int X, int Y);
    // Closes the menu without choosing; nothing happens when it is not open.
    void CloseMenu();
    // The open menu's first-level window, or null.
    HWND WindowHandle() const { return levels.empty() ? nullptr : levels.front().window; }
    // Levels open now: 0 when closed, 1 for the first level, 2 with one sub-menu open...
    int OpenLevelCount() const { return static_cast<int>(levels.size()); }
    // The window of an open level (0 is WindowHandle()), or null.
    HWND LevelWindowHandle(int Level) const;
    // The entry highlighted in the deepest level that has one (pointer or keyboard), or
    // null. While a sub-menu is open its parent item stays highlighted.
    TMenuItem* HighlightedItem() const;

    TNotifyEvent OnPopup;

    void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TMenuItem;
    struct Row {
        TMenuItem* item;
        int top;
        int height;
    };
    // One open window: the first level shows FItems, each deeper one the sub-items
    // of the highlighted item of the level above.
    struct Level {
        TMenuItem* parent = nullptr;  // whose sub-items are shown
        HWND window = nullptr;
        std::vector<Row> rows;        // visible entries as shown, top to bottom
        int highlight = -1;           // row index; -1 none
        int width = 0;
        int height = 0;
    };
    enum class Highlight { None, First };

    static LRESULT windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT keyboardHook(int code, WPARAM wParam, LPARAM lParam);
    HWND createLevelWindow(int x, int y);
    bool openSubMenu(int level, Highlight first);
    void closeLevelsFrom(int level);
    void layout(Level& level);
    void paint(int level);
    void onMouseMove(TPoint screen);
    void onButtonDown(TPoint screen);
    void onButtonUp(TPoint screen);
    void onKeyDown(WPARAM key);
    void onChar(char key);
    void onHoverTimer();
    void hover(int level, int row);
    void settle(int level, int row);
    int levelAt(TPoint screen) const;
    int rowAt(int level, TPoint screen) const;
    bool selectable(int level, int row) const;
    bool opensSubMenu(int level, int row) const;
    void setHighlight(int level, int row);
    void highlightParents(int level);
    int highlightAt(int level, TPoint screen);
    void stopHoverTimer();
    void moveHighlight(int level, int step);
    void choose(int level, int row);
    void itemsChanged();
    void destroyWindow();

    TMenuItem* FItems = nullptr;  // owned root item
    bool FAutoPopup = true;
    TPopupAlignment FAlignment = paLeft;
    TComponent* FPopupComponent = nullptr;

    std::vector<Level> levels;     // open windows, first level first
    HWND ownerWindow = nullptr;    // the form the open menu belongs to
    HHOOK hook = nullptr;          // takes the keyboard while open
    int hoverLevel = -1;           // where the pointer rests while the hover timer runs
    int hoverRow = -1;
    bool closing = false;          // inside destroyWindow
};

namespace varn::detail {
// Registers TMenuItem and TPopupMenu for form descriptions.
void registerMenuClasses();
}
