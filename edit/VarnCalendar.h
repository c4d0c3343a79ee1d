// The month calendar: a title band with the month and two arrow buttons, the
// weekday names and six weeks of seven days from Monday. One day, or a range of
// days with Multiselect, is chosen by mouse or keys; the owner names holidays.
#pragma once

#include "db/DBDate.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "utils/BlockArray.h"

#include <array>
#include <functional>

using TGetHolidayInfoEvent = std::function<void(sDB_date date, bool& isHolyday)>;

class TVarnCalendar : public TCustomControl {
public:
    // One of the 42 day cells, row-major from the top-left.
    struct _d_ {
        TRect rect;             // client pixels; fixed after construction
        sDB_date date;          // the day shown
        AnsiString text;        // the day number
        bool inMonth = false;   // belongs to the month shown
        bool holiday = false;   // Sunday or named by OnGetHolidayInfo (days of the month shown only)
    };

    static constexpr int CellCount = 42;

    explicit TVarnCalendar(TComponent* AOwner);
    ~TVarnCalendar() override;
    AnsiString ClassName() const override { return "TVarnCalendar"; }

    // Shows today's month with today current.
    void startUp();
    // Fills the cells for the month of d and makes d the current day. A date the
    // calendar cannot show (month outside 1..12, day outside the month) is ignored.
    void buildFrame(sDB_date d);
    // The first cell showing d, or -1.
    int locate(const sDB_date& d) const;
    // Moves the current day, or with extend (and Multiselect) the range end, to
    // cell i. An index outside 0..41 is ignored.
    void change(int i, bool extend);

    // The dates of the current day and of the range ends; the null date while
    // nothing is current (before the window exists).
    sDB_date getDate() const;
    void setDate(sDB_date d);
    sDB_date getStartDate() const;
    sDB_date getEndDate() const;
    void setStartDate(sDB_date d);
    // d must be one of the 42 dates shown; another date is ignored.
    void setEndDate(sDB_date d);
    void xsetActive(int i) { change(i, false); }

    // Asks for the holidays again, then repaints.
    void Repaint();

    TColor getXColor(int i) const;
    void setXColor(int i, TColor c);
    void DrawCell(int i, bool highlight);

    // Read access for callers and tests.
    const _d_& Cell(int i) const { return *FCells.Get(i); }
    int Active() const { return FActive; }
    int Anchor() const { return FAnchor; }
    int Extent() const { return FExtent; }
    int StartIndex() const { return FStart; }
    int EndIndex() const { return FEnd; }
    TRect PrevRect() const { return FPrevRect; }
    TRect NextRect() const { return FNextRect; }

    // The key handler registered with the application message hook.
    void EventAppMessage(tagMSG& Msg, bool& Handled);

    bool Multiselect = false;  // ranges may be selected
    TNotifyEvent OnChange;
    TGetHolidayInfoEvent OnGetHolidayInfo;

protected:
    void CreateWnd() override;
    void Paint() override;
    void WndProc(TMessage& Message) override;

private:
    void onButtonDown(TPoint point, TShiftState shift);
    void onMouseMove(TPoint point);
    void onButtonUp();
    void onDoubleClick(TPoint point, TShiftState shift);
    bool onKeyDown(WORD key, TShiftState shift);
    // Steps the current date by a month or a year, rebuilds and tells OnChange.
    void stepMonth(void (sDB_date::*step)());
    void setAllIndexes(int i);
    void redrawAll();
    void fireChange();
    // Asks OnGetHolidayInfo about one day; an exception it throws is shown once
    // per frame and the handler is not asked again for that frame.
    bool askHoliday(const sDB_date& day, bool& handlerFailed);

    nBlockArray<_d_> FCells;
    int FActive = -1;   // current day; -1 before the first frame
    int FAnchor = -1;   // where the range started
    int FExtent = -1;   // where the range ends now
    int FStart = -1;    // min(FAnchor, FExtent)
    int FEnd = -1;      // max(FAnchor, FExtent)
    bool FMouseDown = false;
    bool hasFocus = false;  // the window has the keyboard focus (focus rectangle on the current day)
    TPoint FMousePos;   // last button-down or move position
    TRect FPrevRect;
    TRect FNextRect;
    std::array<TColor, 9> FColors;
};
