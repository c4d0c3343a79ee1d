#include "support/Headless.h"

#include "platform/win/Clock.h"
#include "platform/win/WindowManager.h"

namespace varn::fuzz {

namespace {
bool isAlive(TForm* form)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i) == form)
            return true;
    return false;
}
}  // namespace

HeadlessSession::HeadlessSession()
{
    detail::resetForTests();
    Clock::useManual();
    Application->ResetTerminated();
    Application->SetMessageBoxHandler([](const AnsiString&, const AnsiString&, int) { return 1; });  // IDOK
}

HeadlessSession::~HeadlessSession()
{
    for (auto it = forms.rbegin(); it != forms.rend(); ++it)
        if (isAlive(*it))
            delete *it;
    detail::resetForTests();
    Application->ResetTerminated();
    Application->SetMessageBoxHandler({});
    Clock::useReal();
}

bool HeadlessSession::pump()
{
    for (int round = 0; round < 10000; ++round) {
        MSG msg;
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE))
            return true;
        Application->ProcessMessages();
    }
    return false;
}

bool HeadlessSession::advance(unsigned ms)
{
    if (!pump())
        return false;
    uint32_t end = Clock::now() + ms;
    for (int round = 0; round < 10000; ++round) {
        auto due = detail::nextTimerDue();
        uint32_t now = Clock::now();
        if (!due || static_cast<int32_t>(*due - end) > 0) {
            Clock::advance(end - now);
            return pump();
        }
        if (static_cast<int32_t>(*due - now) > 0)
            Clock::advance(*due - now);
        if (!pump())
            return false;
    }
    return false;  // a timer that never lets the clock move on
}

}  // namespace varn::fuzz
