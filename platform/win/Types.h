// Basic value types shared by the platform layer and the components.
#pragma once

#include <cstdint>
#include <string>

// Every text of the system: 8-bit bytes of the Western code page (Windows-1252,
// Latin-1 with the euro sign at 0x80). Non-ASCII literals are written as escapes
// ("s\xED" for "sí", "12,50 \x80"); conversion to UTF-8 happens only at the edges.
using AnsiString = std::string;

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// RGB with red in the low byte; negative values are system colours.
using TColor = int32_t;

struct TPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TPoint Point(int x, int y) { return {x, y}; }
