// The month calendar. Mouse input arrives through the window procedure, keys
// through the application message hook; both end in change(), which moves the
// current day or the range end and rebuilds the frame when the day lies in
// another month.
#include "edit/VarnCalendar.h"

#include "platform/Forms.h"
#include "platform/win/Gdi.h"
#include "utils/AppMsgHandler.h"
#include "utils/Cnvtools.h"

#include <algorithm>
#include <exception>

namespace {

constexpr int cellWidth = 24;
constexpr int cellHeight = 14;
constexpr int gridTop = 30;
constexpr int titleHeight = 14;

// Indexes of FColors.
enum ColourIndex {
    colourBackground, colourTitleBack, colourTitleText, colourDayNames, colourDaySelectedBack,
    colourDaySelectedText, colourDayNormal, colourDayNoMonth, colourDayHoly
};

bool contains(const TRect& r, const TPoint& p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// A month the calendar can show: a real day of months 1..12 of years 1..9999.
bool showable(const sDB_date& d)
{
    return d.year >= 1 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1
        && d.day <= sDB_date::daysInMonth(d.year, d.month);
}

TShiftState keyboardShift()
{
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0)
        shift << ssShift;
    if (GetKeyState(VK_CONTROL) < 0)
        shift << ssCtrl;
    return shift;
}

void drawCentredAtTop(TCanvas* canvas, TRect r, const AnsiString& text)
{
    DrawTextEx(canvas->Handle(), text.data(), static_cast<int>(text.size()), &r,
               DT_CENTER | DT_SINGLELINE | DT_NOPREFIX, nullptr);
}

}  // namespace

TVarnCalendar::TVarnCalendar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FColors = {clWindow, clSilver, clWindowText, clNavy, clNavy, clWhite, clBlack, clSilver,
               static_cast<TColor>(RGB(196, 0, 0))};
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 7; ++c) {
            _d_* cell = FCells.Add();
            cell->rect.left = cellWidth * c;
            cell->rect.top = cellHeight * r + gridTop;
            cell->rect.right = cell->rect.left + cellWidth;
            cell->rect.bottom = cell->rect.top + cellHeight;
        }
    }
    const TRect& last = FCells.Get(CellCount - 1)->rect;
    SetBounds(Left(), Top(), last.right, last.bottom);
    const TRect& first = FCells.Get(0)->rect;
    FPrevRect = {first.left + 1, 1, first.right - 1, titleHeight - 1};
    const TRect& sunday = FCells.Get(6)->rect;
    FNextRect = {sunday.left + 1, 1, sunday.right - 1, titleHeight - 1};
    SetTabStop(true);
    if (ComponentState().Contains(csDesigning))
        startUp();
}

TVarnCalendar::~TVarnCalendar() = default;

void TVarnCalendar::startUp()
{
    sDB_date today;
    today.setToday();
    buildFrame(today);
    setAllIndexes(locate(today));
}

void TVarnCalendar::CreateWnd()
{
    TCustomControl::CreateWnd();
    if (FActive == -1)
        startUp();
    if (!ComponentState().Contains(csDesigning))
        RegisterAppMsgHandler(this, AppMessageEvent(this, &TVarnCalendar::EventAppMessage));
}

void TVarnCalendar::setAllIndexes(int i)
{
    FActive = FAnchor = FExtent = FStart = FEnd = i;
}

// Six weeks from the Monday on or before the 1st. The weekday of a cell is its
// column, so that the frame stays consistent where the date type's leap years
// and the civil calendar's differ (29 February 1900).
void TVarnCalendar::buildFrame(sDB_date d)
{
    if (!showable(d))
        return;
    sDB_date first = d;
    first.setFirstDayOfMonth();
    int leading = first.dayOfWeek() - 1;

    sDB_date cur = first;
    for (int i = leading - 1; i >= 0; --i) {
        cur.prevDay();
        _d_* cell = FCells.Get(i);
        cell->date = cur;
        cell->text = cnvIntToStr(cur.day);
        cell->inMonth = false;
        cell->holiday = false;
    }

    std::exception_ptr holidayFailure;
    int i = leading;
    for (cur = first; i < CellCount && cur.month == first.month && cur.year == first.year; ++i, cur.nextDay()) {
        _d_* cell = FCells.Get(i);
        cell->date = cur;
        cell->text = cnvIntToStr(cur.day);
        cell->inMonth = true;
        cell->holiday = i % 7 == 6;
        if (!cell->holiday && OnGetHolidayInfo && !holidayFailure) {
            try {
                OnGetHolidayInfo(cur, cell->holiday);
            } catch (...) {
                holidayFailure = std::current_exception();
                cell->holiday = false;
            }
        }
        if (cur == d)
            setAllIndexes(i);
    }
    for (; i < CellCount; ++i, cur.nextDay()) {
        _d_* cell = FCells.Get(i);
        cell->date = cur;
        cell->text = cnvIntToStr(cur.day);
        cell->inMonth = false;
        cell->holiday = false;
    }
    Invalidate();

    // Reported once the frame is whole: the message box may pump messages.
    if (holidayFailure) {
        try {
            std::rethrow_exception(holidayFailure);
        } catch (const Exception&) {
            Application->HandleException(this);
        } catch (const std::exception&) {
            Application->HandleException(this);
        } catch (...) {
            Application->ShowException(Exception("Error desconocido en OnGetHolidayInfo"));
        }
    }
}

int TVarnCalendar::locate(const sDB_date& d) const
{
    for (int i = 0; i < CellCount; ++i)
        if (FCells.Get(i)->date == d)
            return i;
    return -1;
}

void TVarnCalendar::change(int i, bool extend)
{
    if (i < 0 || i >= CellCount)
        return;
    int old = FActive;
    if (extend && Multiselect) {
        if (FAnchor < 0)
            FAnchor = i;
        FActive = i;
        FExtent = i;
        FStart = std::min(FAnchor, FExtent);
        FEnd = std::max(FAnchor, FExtent);
        redrawAll();
        if (!FMouseDown && FActive != old)
            fireChange();
        return;
    }

    // A day of another month brings its month into view. The current day then
    // changes even when it lands on the index it had, so OnChange fires.
    bool rebuilt = false;
    sDB_date day = FCells.Get(i)->date;
    if (!FCells.Get(i)->inMonth) {
        if (!showable(day))
            return;  // past the years the calendar shows
        buildFrame(day);
        setAllIndexes(-1);
        i = locate(day);
        rebuilt = true;
    }
    int oldStart = FStart;
    int oldEnd = FEnd;
    setAllIndexes(i);
    if (!rebuilt) {
        if (old >= 0)
            DrawCell(old, true);
        if (oldStart >= 0 && oldStart != oldEnd)
            for (int j = oldStart; j <= oldEnd; ++j)
                DrawCell(j, true);
        DrawCell(i, true);
    }
    if (FActive != old || rebuilt)
        fireChange();
}

void TVarnCalendar::fireChange()
{
    if (OnChange)
        OnChange(this);
}

sDB_date TVarnCalendar::getDate() const
{
    return FActive >= 0 ? FCells.Get(FActive)->date : sDB_date();
}

void TVarnCalendar::setDate(sDB_date d)
{
    if (!showable(d))
        return;
    buildFrame(d);
    FActive = locate(d);
    Invalidate();
}

sDB_date TVarnCalendar::getStartDate() const
{
    return FStart >= 0 ? FCells.Get(FStart)->date : sDB_date();
}

sDB_date TVarnCalendar::getEndDate() const
{
    return FEnd >= 0 ? FCells.Get(FEnd)->date : sDB_date();
}

void TVarnCalendar::setStartDate(sDB_date d)
{
    if (!showable(d))
        return;
    buildFrame(d);
    change(locate(d), false);
}

// The range runs from the start date to d; without Multiselect d becomes the day.
void TVarnCalendar::setEndDate(sDB_date d)
{
    change(locate(d), true);
}

void TVarnCalendar::Repaint()
{
    buildFrame(getDate());
    TCustomControl::Repaint();
}

TColor TVarnCalendar::getXColor(int i) const
{
    return i >= 0 && i < static_cast<int>(FColors.size()) ? FColors[i] : clNone;
}

void TVarnCalendar::setXColor(int i, TColor c)
{
    if (i < 0 || i >= static_cast<int>(FColors.size()) || FColors[i] == c)
        return;
    FColors[i] = c;
    Invalidate();
}

// ---- Painting ----------------------------------------------------------------------

void TVarnCalendar::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(FColors[colourBackground]);
    canvas->FillRect(ClientRect());

    TRect title{0, 0, Width(), titleHeight};
    canvas->Brush()->SetColor(FColors[colourTitleBack]);
    canvas->FillRect(title);
    canvas->Font()->SetColor(FColors[colourTitleText]);
    sDB_date current = getDate();
    if (!current.isNull())
        drawCentredAtTop(canvas, title, current.monthName() + " de " + cnvIntToStr(current.year));

    TRect prev = FPrevRect;
    TRect next = FNextRect;
    DrawFrameControl(canvas->Handle(), &prev, DFC_SCROLL, DFCS_SCROLLLEFT | DFCS_FLAT);
    DrawFrameControl(canvas->Handle(), &next, DFC_SCROLL, DFCS_SCROLLRIGHT | DFCS_FLAT);

    canvas->Brush()->SetColor(FColors[colourBackground]);
    canvas->Font()->SetColor(FColors[colourDayNames]);
    for (int c = 0; c < 7; ++c) {
        TRect r = FCells.Get(c)->rect;
        r.top = titleHeight;
        r.bottom = 2 * titleHeight;
        drawCentredAtTop(canvas, r, sDB_date::weekdayNameOf(c + 1).substr(0, 3));
    }

    canvas->MoveTo(2, 29);
    canvas->LineTo(Width() - 2, 29);

    for (int i = 0; i < CellCount; ++i)
        DrawCell(i, true);
}

void TVarnCalendar::DrawCell(int i, bool highlight)
{
    if (i < 0 || i >= CellCount || !HandleAllocated() || !Showing())
        return;
    const _d_& cell = *FCells.Get(i);
    bool selected = highlight && (i == FActive || (Multiselect && FStart >= 0 && FStart <= i && i <= FEnd));
    TColor back = FColors[colourBackground];
    TColor text = FColors[colourDayNormal];
    if (selected) {
        back = FColors[colourDaySelectedBack];
        text = FColors[colourDaySelectedText];
    } else if (!cell.inMonth) {
        text = FColors[colourDayNoMonth];
    } else if (cell.holiday) {
        text = FColors[colourDayHoly];
    }
    TCanvas* canvas = Canvas();
    canvas->SetFont(Font());
    canvas->Font()->SetColor(text);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(back);
    canvas->FillRect(cell.rect);
    drawCentredAtTop(canvas, cell.rect, cell.text);
    if (hasFocus && i == FActive)
        DrawFocusRect(canvas->Handle(), &cell.rect);
}

void TVarnCalendar::redrawAll()
{
    for (int i = 0; i < CellCount; ++i)
        DrawCell(i, true);
}

// ---- Input -------------------------------------------------------------------------

void TVarnCalendar::WndProc(TMessage& Message)
{
    if (ComponentState().Contains(csDesigning)) {
        TCustomControl::WndProc(Message);
        return;
    }
    TPoint point{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)};
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        TCustomControl::WndProc(Message);
        onButtonDown(point, KeysToShiftState(Message.WParam));
        return;
    case WM_MOUSEMOVE:
        TCustomControl::WndProc(Message);
        onMouseMove(point);
        return;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        TCustomControl::WndProc(Message);
        onButtonUp();
        return;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        onDoubleClick(point, KeysToShiftState(Message.WParam));
        return;
    case WM_SETFOCUS:
        TCustomControl::WndProc(Message);
        hasFocus = true;
        DrawCell(FActive, true);
        return;
    case WM_KILLFOCUS:
        TCustomControl::WndProc(Message);
        hasFocus = false;
        DrawCell(FActive, true);
        return;
    }
    TCustomControl::WndProc(Message);
}

void TVarnCalendar::onButtonDown(TPoint point, TShiftState shift)
{
    FMouseDown = true;
    FMousePos = point;
    if (CanFocus() && !Focused())
        SetFocus();
    if (contains(FPrevRect, point)) {
        stepMonth(&sDB_date::prevMonth);
        return;
    }
    if (contains(FNextRect, point)) {
        stepMonth(&sDB_date::nextMonth);
        return;
    }
    for (int i = 0; i < CellCount; ++i) {
        if (i != FActive && contains(FCells.Get(i)->rect, point)) {
            change(i, Multiselect && shift.Contains(ssShift));
            return;
        }
    }
}

void TVarnCalendar::onMouseMove(TPoint point)
{
    FMousePos = point;
    if (!Multiselect || !FMouseDown)
        return;
    for (int i = 0; i < CellCount; ++i) {
        if (contains(FCells.Get(i)->rect, point)) {
            if (i != FActive)
                change(i, true);
            return;
        }
    }
}

void TVarnCalendar::onButtonUp()
{
    if (Multiselect && FMouseDown && FAnchor != FExtent)
        fireChange();
    FMouseDown = false;
}

// A double click on the current day is OnDblClick; anywhere else it is the
// second click of two quick ones and acts as a click.
void TVarnCalendar::onDoubleClick(TPoint point, TShiftState shift)
{
    if (OnDblClick && FActive >= 0 && contains(FCells.Get(FActive)->rect, FMousePos)) {
        OnDblClick(this);
        return;
    }
    onButtonDown(point, shift);
    onButtonUp();
}

void TVarnCalendar::stepMonth(void (sDB_date::*step)())
{
    sDB_date d = getDate();
    if (d.isNull())
        return;
    (d.*step)();
    if (!showable(d))
        return;
    buildFrame(d);
    fireChange();
}

void TVarnCalendar::EventAppMessage(tagMSG& Msg, bool& Handled)
{
    if (Msg.message != WM_KEYDOWN || !HandleAllocated() || Msg.hwnd != Handle())
        return;
    if (onKeyDown(static_cast<WORD>(Msg.wParam), keyboardShift()))
        Handled = true;
}

bool TVarnCalendar::onKeyDown(WORD key, TShiftState shift)
{
    bool ctrl = shift.Contains(ssCtrl);
    bool extend = Multiselect && shift.Contains(ssShift);
    switch (key) {
    case VK_PRIOR: stepMonth(ctrl ? &sDB_date::prevYear : &sDB_date::prevMonth); return true;
    case VK_NEXT: stepMonth(ctrl ? &sDB_date::nextYear : &sDB_date::nextMonth); return true;
    case VK_LEFT:
        if (FActive - 1 >= 0)
            change(FActive - 1, extend);
        return true;
    case VK_RIGHT:
        if (FActive + 1 < CellCount)
            change(FActive + 1, extend);
        return true;
    case VK_UP:
        if (FActive - 7 >= 0)
            change(FActive - 7, extend);
        else if (FActive != 0)
            change(0, extend);
        return true;
    case VK_DOWN:
        if (FActive + 7 < CellCount)
            change(FActive + 7, extend);
        else if (FActive != CellCount - 1)
            change(CellCount - 1, extend);
        return true;
    }
    return false;
}
