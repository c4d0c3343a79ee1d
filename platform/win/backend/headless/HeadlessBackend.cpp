#include "platform/win/backend/headless/HeadlessBackend.h"

#include "platform/win/Clock.h"
#include "platform/win/WindowManager.h"

#include <chrono>
#include <thread>

namespace varn {

bool HeadlessBackend::waitEvents(std::optional<uint32_t> deadline)
{
    // Headless, only the application's timers can bring anything new; the
    // window system's own (the caret's blink) would only keep a loop waiting.
    if (!deadline || !detail::applicationTimerPending())
        return false;
    uint32_t now = Clock::now();
    auto remaining = static_cast<int32_t>(*deadline - now);
    if (remaining <= 0)
        return true;
    if (Clock::isManual())
        Clock::advance(static_cast<uint32_t>(remaining));
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(remaining));
    return true;
}

}  // namespace varn
