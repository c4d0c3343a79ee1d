#include "platform/ExtCtrls.h"

#include "platform/Windows.h"

#include <map>

namespace {
// Running timers by system timer id.
std::map<UINT_PTR, TTimer*>& timers()
{
    static auto* map = new std::map<UINT_PTR, TTimer*>();
    return *map;
}
}  // namespace

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}

TTimer::~TTimer()
{
    FEnabled = false;
    updateTimer();
}

void TTimer::SetEnabled(bool Value)
{
    if (FEnabled == Value)
        return;
    FEnabled = Value;
    updateTimer();
}

void TTimer::SetInterval(unsigned Value)
{
    if (FInterval == Value)
        return;
    FInterval = Value;
    updateTimer();
}

// The system timer runs while the timer is enabled with an interval; each change
// starts the interval over.
void TTimer::updateTimer()
{
    if (timerId) {
        KillTimer(nullptr, timerId);
        timers().erase(timerId);
        timerId = 0;
    }
    if (!FEnabled || FInterval == 0 || ComponentState().Contains(csDesigning))
        return;
    timerId = SetTimer(nullptr, 0, FInterval, timerProc);
    if (timerId)
        timers()[timerId] = this;
}

void TTimer::timerProc(HWND, UINT, UINT_PTR id, DWORD)
{
    auto it = timers().find(id);
    if (it != timers().end())
        it->second->Timer();
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}
