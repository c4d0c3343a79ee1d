// The backend for tests: a virtual 1280 x 1024 screen, windows that exist only as
// backing stores, input only through the input functions.
#pragma once

#include "platform/win/Backend.h"

namespace varn {

class HeadlessBackend : public Backend {
public:
    TPoint screenSize() const override { return {1280, 1024}; }
    // With the manual clock, waiting until a deadline moves the clock there; nothing
    // else can arrive, so without a deadline, or with none but the window system's
    // own timers (the caret's blink), it answers false at once.
    bool waitEvents(std::optional<uint32_t> deadline) override;
    void setCursor(int cursor) override { shownCursor = cursor; }

    int shownCursor = 0;  // the cursor the mouse pointer would show (crDefault: the arrow)
};

}  // namespace varn
