// Pop-up menus driven like a user would: right clicks, pointer moves, clicks and keys.
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/Streaming.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using varn::test::UiHarness;

class TPad : public TCustomControl {
public:
    explicit TPad(TComponent* owner) : TCustomControl(owner) { SetBounds(20, 20, 200, 150); }
};

class TDot : public TGraphicControl {
public:
    explicit TDot(TComponent* owner) : TGraphicControl(owner) { SetBounds(10, 10, 30, 30); }
};

TRect windowRect(HWND hwnd)
{
    TRect r;
    GetWindowRect(hwnd, &r);
    return r;
}

// A form with a pad whose menu holds: Open, -, Disabled, Save (default), Exit.
struct MenuFixture {
    explicit MenuFixture(UiHarness& ui) : ui(ui)
    {
        form = ui.createForm(400, 300);
        pad = new TPad(form);
        pad->SetParent(form);
        menu = new TPopupMenu(form);
        for (const char* caption : {"&Open", "-", "Disabled", "&Save", "E&xit"}) {
            auto* item = new TMenuItem(form);
            item->SetCaption(caption);
            item->OnClick = [this, item](TObject* sender) {
                this->ui.record(std::string("click ") + item->Caption() + (IsWindow(shown) ? " (menu open)" : ""));
                EXPECT_EQ(sender, item);
            };
            menu->Items()->Add(item);
        }
        menu->Items()->Items(2)->SetEnabled(false);
        menu->Items()->Items(3)->SetDefault(true);
        menu->OnPopup = [this](TObject*) { this->ui.record("popup"); };
        pad->SetPopupMenu(menu);
        ui.show(form);
    }

    // Opens the menu with a right click at the pad's (x, y).
    void open(int x = 30, int y = 40)
    {
        ui.click(pad, x, y, varn::MouseButton::Right);
        shown = menu->WindowHandle();
        ASSERT_TRUE(IsWindowVisible(shown));
    }
    // Screen point in the middle of row `index` of the open menu.
    TPoint rowPoint(int index)
    {
        TRect r = windowRect(shown);
        int y = 3;  // frame and padding
        for (int i = 0; i < index; ++i)
            y += menu->Items()->Items(i)->IsLine() ? 8 : 19;
        return {r.left + 40, r.top + y + (menu->Items()->Items(index)->IsLine() ? 4 : 9)};
    }
    void clickRow(int index)
    {
        TPoint p = rowPoint(index);
        ui.pressScreen(p.x, p.y);
        ui.releaseScreen(p.x, p.y);
    }

    UiHarness& ui;
    TForm* form = nullptr;
    TPad* pad = nullptr;
    TPopupMenu* menu = nullptr;
    HWND shown = nullptr;
};

TEST(PopupMenu, RightClickShowsMenuAtPointFlippedAtScreenEdges)
{
    UiHarness ui;
    MenuFixture f(ui);
    f.pad->OnMouseUp = [&](TObject*, TMouseButton button, TShiftState, int, int) {
        ui.record(button == mbRight ? "pad right up" : "pad up");
    };
    f.open(30, 40);
    TPoint at = f.pad->ClientToScreen({30, 40});
    TRect r = windowRect(f.shown);
    EXPECT_EQ(r.left, at.x);
    EXPECT_EQ(r.top, at.y);
    EXPECT_EQ(r.Height(), 1 + 2 + 4 * 19 + 8 + 2 + 1);
    EXPECT_GE(r.Width(), 80);
    EXPECT_EQ(f.menu->PopupComponent(), f.pad);
    // The control still sees its right button's release.
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup", "pad right up"}));
    // The menu neither takes activation nor the focus from the form.
    EXPECT_EQ(GetActiveWindow(), f.form->Handle());
    EXPECT_EQ(GetCapture(), f.shown);

    // Near the right and bottom edges the menu opens to the left of and above the point.
    f.menu->Popup(1275, 1020);
    EXPECT_FALSE(IsWindow(f.shown));
    r = windowRect(f.menu->WindowHandle());
    EXPECT_EQ(r.right, 1275);
    EXPECT_EQ(r.bottom, 1020);
    f.menu->CloseMenu();
    f.menu->SetAlignment(paRight);
    f.menu->Popup(500, 500);
    EXPECT_EQ(windowRect(f.menu->WindowHandle()).right, 500);
    f.menu->CloseMenu();
    EXPECT_EQ(f.menu->WindowHandle(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(PopupMenu, PointerHighlightsAndClickFiresOnceAfterTheMenuIsGone)
{
    UiHarness ui;
    MenuFixture f(ui);
    f.open();
    ui.takeEvents();
    TPoint p = f.rowPoint(3);
    ui.moveToScreen(p.x, p.y);
    EXPECT_EQ(f.menu->HighlightedItem(), f.menu->Items()->Items(3));
    TPoint client{p.x - windowRect(f.shown).left, p.y - windowRect(f.shown).top};
    EXPECT_EQ(varn::windowPixel(f.shown, client.x, client.y - 7), ColorToRGB(clHighlight));
    EXPECT_EQ(varn::windowPixel(f.shown, client.x, client.y - 7 - 19), ColorToRGB(clMenu));
    EXPECT_EQ(varn::windowPixel(f.shown, 0, 0), ColorToRGB(clBtnShadow));

    // Moving onto a separator or a disabled item lights nothing.
    TPoint line = f.rowPoint(1);
    ui.moveToScreen(line.x, line.y);
    EXPECT_EQ(f.menu->HighlightedItem(), nullptr);

    f.clickRow(3);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"click &Save"}));
    EXPECT_FALSE(IsWindow(f.shown));
    EXPECT_EQ(GetCapture(), nullptr);
    // Later clicks on the form reach it as before.
    ui.click(f.pad, 5, 5);
    EXPECT_TRUE(ui.takeEvents().empty());
}

TEST(PopupMenu, SeparatorDisabledEscapeAndOutsideClickFireNothing)
{
    UiHarness ui;
    MenuFixture f(ui);
    f.open();
    f.clickRow(1);
    f.clickRow(2);
    EXPECT_TRUE(IsWindowVisible(f.shown));
    ui.pressKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindow(f.shown));
    // Escape's character does not reach the form afterwards either.
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup"}));

    int padClicks = 0;
    f.pad->OnClick = [&](TObject*) { ++padClicks; };
    f.open();
    ui.click(f.pad, 150, 120);
    EXPECT_FALSE(IsWindow(f.shown));
    EXPECT_EQ(padClicks, 0);  // the press that closed the menu was the menu's
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup"}));

    // The form losing activation closes it as well.
    TForm* other = ui.createForm(100, 100);
    f.open();
    ui.show(other);
    EXPECT_FALSE(IsWindow(f.shown));
    EXPECT_EQ(f.menu->WindowHandle(), nullptr);
}

TEST(PopupMenu, KeyboardMovesPastSeparatorsAndDisabledItemsAndChooses)
{
    UiHarness ui;
    MenuFixture f(ui);
    auto* edit = new TPad(f.form);
    edit->SetParent(f.form);
    edit->SetBounds(250, 20, 100, 50);
    edit->SetTabStop(true);
    f.pad->SetTabStop(true);
    f.pad->SetFocus();
    std::vector<std::string> keys;
    f.pad->OnKeyDown = [&](TObject*, WORD& key, TShiftState) { keys.push_back(std::to_string(key)); };
    f.open();
    ui.takeEvents();
    ui.pressKey(VK_DOWN);
    EXPECT_EQ(f.menu->HighlightedItem(), f.menu->Items()->Items(0));
    ui.pressKey(VK_DOWN);
    EXPECT_EQ(f.menu->HighlightedItem(), f.menu->Items()->Items(3));
    ui.pressKey(VK_UP);
    EXPECT_EQ(f.menu->HighlightedItem(), f.menu->Items()->Items(0));
    ui.pressKey(VK_UP);  // round to the last
    EXPECT_EQ(f.menu->HighlightedItem(), f.menu->Items()->Items(4));
    ui.pressKey(VK_TAB);  // the focus stays where it was
    EXPECT_TRUE(f.pad->Focused());
    ui.pressKey(VK_RETURN);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"click E&xit"}));
    EXPECT_TRUE(keys.empty());
    EXPECT_TRUE(f.pad->Focused());

    // The accelerator letter chooses its item, in either case, accented letters too.
    f.open();
    ui.typeText("o");
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup", "click &Open"}));
    f.menu->Items()->Items(0)->SetCaption("&\x8A" "ablona");
    f.open();
    ui.typeText("\x9A");
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup", "click &\x8A" "ablona"}));
}

TEST(PopupMenu, ControlsWithoutMenuUseTheirParentsAndGraphicControlsTheirOwn)
{
    UiHarness ui;
    MenuFixture f(ui);
    auto* inner = new TPad(f.form);
    inner->SetParent(f.pad);
    inner->SetBounds(100, 10, 50, 50);
    auto* dot = new TDot(f.form);
    dot->SetParent(f.pad);
    auto* dotMenu = new TPopupMenu(f.form);
    auto* dotItem = new TMenuItem(f.form);
    dotItem->SetCaption("Dot");
    dotMenu->Items()->Add(dotItem);

    ui.click(inner, 5, 5, varn::MouseButton::Right);
    EXPECT_NE(f.menu->WindowHandle(), nullptr);
    EXPECT_EQ(f.menu->PopupComponent(), f.pad);
    f.menu->CloseMenu();

    // A graphic control without a menu falls to its parent, with one shows its own.
    ui.click(dot, 5, 5, varn::MouseButton::Right);
    EXPECT_NE(f.menu->WindowHandle(), nullptr);
    f.menu->CloseMenu();
    dot->SetPopupMenu(dotMenu);
    ui.click(dot, 5, 5, varn::MouseButton::Right);
    EXPECT_EQ(f.menu->WindowHandle(), nullptr);
    ASSERT_NE(dotMenu->WindowHandle(), nullptr);
    EXPECT_EQ(dotMenu->PopupComponent(), dot);

    // Deleting an open menu closes it; its controls forget it.
    delete dotMenu;
    EXPECT_EQ(dot->PopupMenu(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    ui.click(dot, 5, 5, varn::MouseButton::Right);
    EXPECT_NE(f.menu->WindowHandle(), nullptr);

    // AutoPopup off: the right click opens nothing.
    f.menu->CloseMenu();
    f.menu->SetAutoPopup(false);
    ui.click(f.pad, 5, 5, varn::MouseButton::Right);
    EXPECT_EQ(f.menu->WindowHandle(), nullptr);
}

TEST(PopupMenu, ItemTreeKeepsOrderAndOwnership)
{
    UiHarness ui;
    auto* form = ui.createForm();
    auto* menu = new TPopupMenu(form);
    auto* a = new TMenuItem(form);
    auto* b = new TMenuItem(form);
    auto* sub = new TMenuItem(nullptr);  // owned by its parent item only
    menu->Items()->Add(a);
    menu->Items()->Insert(0, b);
    a->Add(sub);
    EXPECT_EQ(menu->Items()->IndexOf(a), 1);
    EXPECT_EQ(sub->Parent(), a);
    EXPECT_EQ(sub->GetParentMenu(), menu);
    EXPECT_THROW(sub->Add(a), EMenuError);
    EXPECT_THROW(menu->Items()->Items(2), EMenuError);
    menu->Items()->Delete(0);  // taken out, still the form's
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(menu->Items()->Count(), 1);
    delete b;
    delete a;  // takes its sub-item with it
    EXPECT_EQ(menu->Items()->Count(), 0);
}

class TMenuForm : public TForm {
public:
    using TForm::TForm;
    TPopupMenu* PopupMenu1 = nullptr;
    TMenuItem* N1 = nullptr;
    int opened = 0;
    void N1Click(TObject*) { ++opened; }
};

TEST(PopupMenu, FormDescriptionNestsItemsAndBindsHandlers)
{
    RegisterPublishedClass<TMenuForm>("TMenuForm", "TForm")
        .Field("PopupMenu1", &TMenuForm::PopupMenu1)
        .Field("N1", &TMenuForm::N1)
        .Handler("N1Click", &TMenuForm::N1Click);
    UiHarness ui;
    auto* form = ui.createForm<TMenuForm>(300, 200);
    const AnsiString text = "object MenuForm: TMenuForm\n"
                            "  Left = 100\n"
                            "  Top = 100\n"
                            "  Width = 300\n"
                            "  Height = 200\n"
                            "  Caption = 'Menu'\n"
                            "  PopupMenu = PopupMenu1\n"
                            "  object PopupMenu1: TPopupMenu\n"
                            "    Alignment = paRight\n"
                            "    object N1: TMenuItem\n"
                            "      Caption = 'Abrir'\n"
                            "      OnClick = N1Click\n"
                            "    end\n"
                            "    object N2: TMenuItem\n"
                            "      Caption = 'M'#225's'\n"
                            "      object N3: TMenuItem\n"
                            "        Caption = '-'\n"
                            "      end\n"
                            "    end\n"
                            "  end\n"
                            "end\n";
    ReadComponentText(text, form);
    ASSERT_NE(form->PopupMenu1, nullptr);
    EXPECT_EQ(form->PopupMenu(), form->PopupMenu1);
    EXPECT_EQ(form->PopupMenu1->Alignment(), paRight);
    ASSERT_EQ(form->PopupMenu1->Items()->Count(), 2);
    EXPECT_EQ(form->PopupMenu1->Items()->Items(0), form->N1);
    TMenuItem* n2 = form->PopupMenu1->Items()->Items(1);
    EXPECT_EQ(n2->Caption(), "M\xE1s");
    ASSERT_EQ(n2->Count(), 1);
    EXPECT_TRUE(n2->Items(0)->IsLine());
    form->N1->Click();
    EXPECT_EQ(form->opened, 1);

    // Written back, the items stay nested once under their menu.
    AnsiString written = WriteComponentText(form);
    EXPECT_NE(written.find("  PopupMenu = PopupMenu1\n"), std::string::npos) << written;
    EXPECT_NE(written.find("    object N1: TMenuItem\n      Caption = 'Abrir'\n      OnClick = N1Click\n    end\n"),
              std::string::npos)
        << written;
    EXPECT_NE(written.find("      object N3: TMenuItem\n"), std::string::npos) << written;
    EXPECT_EQ(written.find("object N1"), written.rfind("object N1")) << written;

    // The menu from the description opens on the form and fires the bound handler.
    ui.show(form);
    ui.click(form, 150, 100, varn::MouseButton::Right);
    HWND shown = form->PopupMenu1->WindowHandle();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(windowRect(shown).right, form->ClientToScreen({150, 100}).x);
    ui.pressKey(VK_DOWN);
    ui.pressKey(VK_RETURN);
    EXPECT_EQ(form->opened, 2);
}

// The open menu over its form, as one picture, for looking at.
TEST(PopupMenu, PictureOfOpenMenu)
{
    UiHarness ui;
    MenuFixture f(ui);
    f.menu->Items()->Items(0)->SetChecked(true);
    auto* more = new TMenuItem(f.form);
    more->SetCaption("More && more");
    more->Add(new TMenuItem(nullptr));
    f.menu->Items()->Add(more);
    f.open(60, 30);
    TPoint p = f.rowPoint(3);
    ui.moveToScreen(p.x, p.y);

    cairo_surface_t* formStore = varn::backingStore(f.form->Handle());
    cairo_surface_t* menuStore = varn::backingStore(f.shown);
    ASSERT_TRUE(formStore && menuStore);
    TRect formRect = windowRect(f.form->Handle());
    TRect menuRect = windowRect(f.shown);
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, formRect.Width(), formRect.Height());
    cairo_t* cr = cairo_create(picture);
    cairo_set_source_surface(cr, formStore, 0, 0);
    cairo_paint(cr);
    cairo_set_source_surface(cr, menuStore, menuRect.left - formRect.left, menuRect.top - formRect.top);
    cairo_paint(cr);
    cairo_destroy(cr);
    std::string path = ::testing::TempDir() + "PopupMenu-open.png";
    EXPECT_EQ(cairo_surface_write_to_png(picture, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(picture);
}

}  // namespace

namespace {

// The fixture's menu plus two parent items: "&Recent" (One, -, Two, Deeper > Leaf)
// and the disabled "&Locked" (Hidden). Every chosen item records whether any menu
// window still existed.
struct SubMenuFixture : MenuFixture {
    explicit SubMenuFixture(UiHarness& ui) : MenuFixture(ui)
    {
        recent = addItem(menu->Items(), "&Recent");
        for (const char* caption : {"&One", "-", "&Two", "&Deeper"})
            addItem(recent, caption);
        leaf = addItem(recent->Items(3), "&Leaf");
        locked = addItem(menu->Items(), "&Locked");
        locked->SetEnabled(false);
        addItem(locked, "Hidden");
    }
    TMenuItem* addItem(TMenuItem* parent, const char* caption)
    {
        auto* item = new TMenuItem(form);
        item->SetCaption(caption);
        item->OnClick = [this, item](TObject*) {
            bool anyOpen = false;
            for (HWND w : seen)
                anyOpen = anyOpen || IsWindow(w);
            this->ui.record(std::string("click ") + item->Caption() + (anyOpen ? " (menu open)" : ""));
        };
        parent->Add(item);
        return item;
    }
    // Screen point in the middle of row `index` of open level `level`.
    TPoint levelRowPoint(int level, int index)
    {
        HWND w = menu->LevelWindowHandle(level);
        seen.push_back(w);
        TMenuItem* parent = level == 0 ? menu->Items() : level == 1 ? recent : recent->Items(3);
        TRect r = windowRect(w);
        int y = 3;
        for (int i = 0; i < index; ++i)
            y += parent->Items(i)->IsLine() ? 8 : 19;
        return {r.left + 40, r.top + y + (parent->Items(index)->IsLine() ? 4 : 9)};
    }
    void moveToRow(int level, int index)
    {
        TPoint p = levelRowPoint(level, index);
        ui.moveToScreen(p.x, p.y);
    }
    void clickRow(int level, int index)
    {
        TPoint p = levelRowPoint(level, index);
        ui.pressScreen(p.x, p.y);
        ui.releaseScreen(p.x, p.y);
    }

    TMenuItem* recent = nullptr;
    TMenuItem* leaf = nullptr;
    TMenuItem* locked = nullptr;
    std::vector<HWND> seen;
};

constexpr int recentRow = 5;
constexpr int lockedRow = 6;

TEST(PopupSubMenu, HoverOpensBesideTheItemAfterTheDelayAndFlipsAtScreenEdges)
{
    UiHarness ui;
    SubMenuFixture f(ui);
    f.open();
    f.moveToRow(0, recentRow);
    ui.advance(399);
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    ui.advance(1);
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    HWND sub = f.menu->LevelWindowHandle(1);
    ASSERT_TRUE(IsWindowVisible(sub));
    TRect root = windowRect(f.shown);
    TRect r = windowRect(sub);
    EXPECT_EQ(r.left, root.right);
    EXPECT_EQ(r.top, root.top + 3 + 4 * 19 + 8 - 3);  // its first row beside "Recent"
    EXPECT_EQ(r.Height(), 1 + 2 + 3 * 19 + 8 + 2 + 1);
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent);
    // Drawn like the first level; the capture stays with the first level.
    EXPECT_EQ(varn::windowPixel(sub, 0, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(varn::windowPixel(sub, 10, 10), ColorToRGB(clMenu));
    EXPECT_EQ(GetCapture(), f.shown);
    EXPECT_EQ(GetActiveWindow(), f.form->Handle());

    // Moving into the sub-menu keeps it open and lights its row; "Recent" stays lit.
    f.moveToRow(1, 2);
    ui.advance(1000);
    EXPECT_EQ(f.menu->OpenLevelCount(), 2);
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent->Items(2));
    TPoint recentPoint = f.levelRowPoint(0, recentRow);
    EXPECT_EQ(varn::windowPixel(f.shown, recentPoint.x - root.left, recentPoint.y - root.top - 7),
              ColorToRGB(clHighlight));

    // At the screen's right edge the sub-menu opens on the left of the menu; at the
    // bottom it moves up to stay on the screen. A click opens it at once.
    f.menu->CloseMenu();
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    f.menu->Popup(screenWidth - 1, screenHeight - 1);
    f.shown = f.menu->WindowHandle();
    f.clickRow(0, recentRow);
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    root = windowRect(f.shown);
    r = windowRect(f.menu->LevelWindowHandle(1));
    EXPECT_EQ(r.right, root.left);
    EXPECT_EQ(r.bottom, screenHeight);
}

TEST(PopupSubMenu, ChoosingAtAnyDepthFiresOnceAfterEveryWindowIsGone)
{
    UiHarness ui;
    SubMenuFixture f(ui);
    f.open();
    ui.takeEvents();
    f.clickRow(0, recentRow);  // opens at once; a parent item itself fires nothing
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    f.clickRow(1, 1);  // separator
    EXPECT_EQ(f.menu->OpenLevelCount(), 2);
    f.moveToRow(1, 3);
    ui.advance(400);
    ASSERT_EQ(f.menu->OpenLevelCount(), 3);
    f.clickRow(2, 0);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"click &Leaf"}));
    EXPECT_EQ(f.menu->OpenLevelCount(), 0);
    for (HWND w : f.seen)
        EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(GetCapture(), nullptr);

    // Second level, then the form takes clicks as before.
    f.open();
    f.clickRow(0, recentRow);
    f.clickRow(1, 2);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup", "click &Two"}));
    ui.click(f.pad, 5, 5);
    EXPECT_TRUE(ui.takeEvents().empty());
}

TEST(PopupSubMenu, AnotherItemClosesItAfterTheDelayAndDisabledParentsNeverOpen)
{
    UiHarness ui;
    SubMenuFixture f(ui);
    f.open();
    f.clickRow(0, recentRow);
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    f.moveToRow(0, 3);
    EXPECT_EQ(f.menu->HighlightedItem(), f.menu->Items()->Items(3));
    EXPECT_EQ(f.menu->OpenLevelCount(), 2);
    ui.advance(400);
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    EXPECT_EQ(f.menu->HighlightedItem(), f.menu->Items()->Items(3));

    // Passing over another item on the way into the sub-menu keeps it open.
    f.clickRow(0, recentRow);
    f.moveToRow(0, 4);
    ui.advance(200);
    f.moveToRow(1, 0);
    ui.advance(1000);
    EXPECT_EQ(f.menu->OpenLevelCount(), 2);
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent->Items(0));

    // A disabled parent neither lights nor opens, by pointer, click or key.
    f.moveToRow(0, lockedRow);
    ui.advance(1000);
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    f.clickRow(0, lockedRow);
    ui.typeText("l");
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    EXPECT_EQ(f.menu->HighlightedItem(), nullptr);

    // Items changing under an open sub-menu: hiding its parent closes it, deleting
    // an item of it lays it out again.
    f.clickRow(0, recentRow);
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    delete f.recent->Items(0);
    EXPECT_EQ(f.menu->OpenLevelCount(), 2);
    EXPECT_EQ(windowRect(f.menu->LevelWindowHandle(1)).Height(), 1 + 2 + 2 * 19 + 8 + 2 + 1);
    f.recent->SetVisible(false);
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    f.recent->SetVisible(true);
    f.clickRow(0, recentRow);
    f.moveToRow(1, 2);
    ui.advance(400);
    ASSERT_EQ(f.menu->OpenLevelCount(), 3);
    delete f.recent;
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    EXPECT_TRUE(ui.takeEvents() == std::vector<std::string>{"popup"});
}

TEST(PopupSubMenu, KeyboardOpensClosesAndChoosesInTheDeepestLevel)
{
    UiHarness ui;
    SubMenuFixture f(ui);
    f.open();
    ui.takeEvents();
    ui.typeText("r");  // the accelerator opens the sub-menu on its first item
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent->Items(0));
    ui.pressKey(VK_DOWN);  // past the separator
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent->Items(2));
    ui.pressKey(VK_LEFT);
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent);
    ui.pressKey(VK_LEFT);  // nothing to close at the first level
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    ui.pressKey(VK_RIGHT);
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent->Items(0));
    ui.pressKey(VK_ESCAPE);  // only this level
    EXPECT_EQ(f.menu->OpenLevelCount(), 1);
    ui.pressKey(VK_RETURN);  // Enter on a parent opens it
    ASSERT_EQ(f.menu->OpenLevelCount(), 2);
    ui.pressKey(VK_UP);  // round to "Deeper"
    ui.pressKey(VK_RIGHT);
    ASSERT_EQ(f.menu->OpenLevelCount(), 3);
    EXPECT_EQ(f.menu->HighlightedItem(), f.leaf);
    ui.pressKey(VK_RIGHT);  // a leaf opens nothing
    EXPECT_EQ(f.menu->OpenLevelCount(), 3);
    f.seen = {f.menu->LevelWindowHandle(0), f.menu->LevelWindowHandle(1), f.menu->LevelWindowHandle(2)};
    ui.pressKey(VK_RETURN);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"click &Leaf"}));
    EXPECT_EQ(f.menu->OpenLevelCount(), 0);

    // Escape at the first level closes the menu; the letter acts in the deepest level.
    f.open();
    ui.typeText("r");
    ui.typeText("t");
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup", "click &Two"}));
    f.open();
    ui.typeText("r");
    ui.pressKey(VK_ESCAPE);
    ui.pressKey(VK_ESCAPE);
    EXPECT_EQ(f.menu->OpenLevelCount(), 0);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST(PopupSubMenu, ClickOutsideEveryLevelClosesAllWithoutAClick)
{
    UiHarness ui;
    SubMenuFixture f(ui);
    int padClicks = 0;
    f.pad->OnClick = [&](TObject*) { ++padClicks; };
    f.open();
    f.clickRow(0, recentRow);
    f.moveToRow(1, 3);
    ui.advance(400);
    ASSERT_EQ(f.menu->OpenLevelCount(), 3);
    // Leaving every level keeps the sub-menus open.
    ui.moveTo(f.pad, 5, 140);
    ui.advance(1000);
    EXPECT_EQ(f.menu->OpenLevelCount(), 3);
    EXPECT_EQ(f.menu->HighlightedItem(), f.recent->Items(3));
    ui.click(f.pad, 5, 140);
    EXPECT_EQ(f.menu->OpenLevelCount(), 0);
    EXPECT_EQ(padClicks, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup"}));
}

// The menu with an open sub-menu over its form, for looking at.
TEST(PopupSubMenu, PictureOfOpenSubMenu)
{
    UiHarness ui;
    SubMenuFixture f(ui);
    f.open(60, 30);
    f.clickRow(0, recentRow);
    f.moveToRow(1, 2);
    TRect formRect = windowRect(f.form->Handle());
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, formRect.Width() + 150, formRect.Height());
    cairo_t* cr = cairo_create(picture);
    cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
    cairo_paint(cr);
    for (HWND w : {f.form->Handle(), f.menu->LevelWindowHandle(0), f.menu->LevelWindowHandle(1)}) {
        cairo_surface_t* store = varn::backingStore(w);
        ASSERT_NE(store, nullptr);
        TRect r = windowRect(w);
        cairo_set_source_surface(cr, store, r.left - formRect.left, r.top - formRect.top);
        cairo_paint(cr);
    }
    cairo_destroy(cr);
    std::string path = ::testing::TempDir() + "PopupMenu-submenu.png";
    EXPECT_EQ(cairo_surface_write_to_png(picture, path.c_str()), CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(picture);
}

}  // namespace
