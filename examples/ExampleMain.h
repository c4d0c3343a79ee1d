// The ending the examples share: the form in a real window on a desktop, or
// rendered headless to a PNG file when one is asked for or there is no display.
#pragma once

#include <VarnControls.h>

#include "platform/win/Backend.h"
#include "platform/win/BackingStore.h"

#include <cstdio>
#include <cstring>
#include <functional>

// The file of "--screenshot FILE" given as the first two arguments, else null.
inline const char* screenshotArgument(int argc, char** argv)
{
    return argc >= 3 && std::strcmp(argv[1], "--screenshot") == 0 ? argv[2] : nullptr;
}

// Runs the program with the form shown (`shown` is called once it is up), or,
// with a screenshot file or without a display (then into `fallback`), shows the
// form headless and writes it to that PNG file. Answers the exit status.
inline int runOrScreenshot(TForm* form, const char* screenshot, const char* fallback,
                           const std::function<void()>& shown = {})
{
    if (!screenshot && !varn::installLiveBackend()) {
        std::printf("No display: the form is written to %s instead.\n", fallback);
        screenshot = fallback;
    }
    form->Show();
    Application->ProcessMessages();
    if (screenshot)
        return varn::SaveWindowToPngFile(form->Handle(), screenshot) ? 0 : 1;
    if (shown)
        shown();
    Application->Run();
    return 0;
}
