// The time source of the windowing layer: timers, double clicks, GetTickCount and
// message times all read it.
#pragma once

#include <cstdint>

namespace varn {

class Clock {
public:
    // Milliseconds since an arbitrary start; wraps like GetTickCount.
    static uint32_t now();

    // Tests switch to a manual clock that only moves through advance().
    static void useManual(uint32_t start = 1000);
    static void useReal();
    static bool isManual();
    static void advance(uint32_t milliseconds);  // manual clock only; ignored otherwise
};

}  // namespace varn
