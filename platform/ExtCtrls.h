// TTimer: calls OnTimer every Interval milliseconds while Enabled.
#pragma once

#include "platform/Classes.h"
#include "platform/Messages.h"

class TTimer : public TComponent {
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    AnsiString ClassName() const override { return "TTimer"; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned Value);
    TNotifyEvent OnTimer;

protected:
    virtual void Timer();

private:
    void updateTimer();
    static void timerProc(HWND hwnd, UINT message, UINT_PTR id, DWORD time);

    bool FEnabled = true;
    unsigned FInterval = 1000;
    UINT_PTR timerId = 0;  // 0 while no system timer runs
};
