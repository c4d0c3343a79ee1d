#include "platform/win/Clock.h"

#include <chrono>

namespace varn {

namespace {
bool manual = false;
uint32_t manualNow = 0;
const auto realStart = std::chrono::steady_clock::now();
}  // namespace

uint32_t Clock::now()
{
    if (manual)
        return manualNow;
    auto elapsed = std::chrono::steady_clock::now() - realStart;
    // Start above zero so that "time 0" never looks like "never happened".
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()) + 1000;
}

void Clock::useManual(uint32_t start)
{
    manual = true;
    manualNow = start;
}

void Clock::useReal() { manual = false; }

bool Clock::isManual() { return manual; }

void Clock::advance(uint32_t milliseconds)
{
    if (manual)
        manualNow += milliseconds;
}

}  // namespace varn
