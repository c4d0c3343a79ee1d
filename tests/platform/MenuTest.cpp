// Pop-up menus driven like a user would: right clicks, pointer moves, clicks and keys.
#include "platform/BackingStore.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/Streaming.h"
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

    // The accelerator letter chooses its item.
    f.open();
    ui.typeText("o");
    EXPECT_EQ(ui.takeEvents(), (std::vector<std::string>{"popup", "click &Open"}));
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
