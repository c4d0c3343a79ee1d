// Controls paint through their canvases on the form's backing store.
#include "platform/Graphics.h"
#include "platform/win/BackingStore.h"
#include "support/UiHarness.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace {

// Fills its whole client area with its colour, then a 2 x 2 black mark at (1, 1).
template <typename Base>
class TFilled : public Base {
public:
    explicit TFilled(TComponent* owner, TColor colour) : Base(owner), colour(colour) {}
    void Paint() override
    {
        TCanvas* canvas = this->Canvas();
        canvas->Brush()->SetColor(colour);
        canvas->FillRect({-100, -100, 1000, 1000});
        canvas->Brush()->SetColor(clBlack);
        canvas->FillRect({1, 1, 3, 3});
    }
    void recreateWindow()
    {
        if constexpr (std::is_base_of_v<TWinControl, Base>)
            this->RecreateWnd();
    }
    TColor colour;
};

}  // namespace

TEST(ControlCanvas, ControlsPaintAtTheirPlaceAndNoFurther)
{
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(120, 80);
    auto* box = new TFilled<TCustomControl>(form, clYellow);
    box->SetParent(form);
    box->SetBounds(10, 10, 30, 20);
    auto* graphic = new TFilled<TGraphicControl>(form, clLime);
    graphic->SetParent(form);
    graphic->SetBounds(60, 30, 20, 10);
    ui.show(form);

    HWND window = form->Handle();
    auto pixel = [&](int x, int y) { return static_cast<TColor>(varn::windowPixel(window, x, y)); };
    EXPECT_EQ(pixel(10, 10), clYellow);
    EXPECT_EQ(pixel(11, 11), clBlack);
    EXPECT_EQ(pixel(39, 29), clYellow);
    EXPECT_NE(pixel(40, 29), clYellow);
    EXPECT_NE(pixel(39, 30), clYellow);
    EXPECT_EQ(pixel(60, 30), clLime);
    EXPECT_EQ(pixel(61, 31), clBlack);
    EXPECT_EQ(pixel(79, 39), clLime);
    EXPECT_NE(pixel(80, 39), clLime);
    EXPECT_NE(pixel(59, 30), clLime);

    // Outside a paint message the canvas takes a DC of the control's window.
    box->Canvas()->Brush()->SetColor(clRed);
    box->Canvas()->FillRect({0, 0, 5, 5});
    FreeDeviceContexts();
    EXPECT_EQ(pixel(10, 10), clRed);
    EXPECT_EQ(pixel(15, 15), clYellow);
    graphic->Canvas()->Brush()->SetColor(clBlue);
    graphic->Canvas()->FillRect({0, 0, 100, 100});
    graphic->Canvas()->Lock();
    graphic->Canvas()->Unlock();  // frees the DC at lock count 0
    EXPECT_EQ(pixel(79, 39), clBlue);
    EXPECT_NE(pixel(80, 39), clBlue);

    // A canvas whose window went away takes a new DC instead of the released one.
    box->Canvas()->FillRect({0, 0, 1, 1});
    box->recreateWindow();
    box->Canvas()->Brush()->SetColor(clAqua);
    box->Canvas()->FillRect({0, 0, 1, 1});
    FreeDeviceContexts();
    EXPECT_EQ(pixel(10, 10), clAqua);
}
