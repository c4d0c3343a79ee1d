// varn-demo: the test application. In a real window when there is a display;
// without one, or with --screenshot FILE, it renders the form headless and
// writes it as a PNG.
#include "app/Unit1.h"

#include "platform/SysUtils.h"
#include "platform/win/Backend.h"
#include "platform/win/BackingStore.h"

#include <cstdio>
#include <cstring>

namespace {

int writeScreenshot(const AnsiString& fileName)
{
    Form1->Show();
    Application->ProcessMessages();
    if (!varn::SaveWindowToPngFile(Form1->Handle(), fileName)) {
        std::fprintf(stderr, "varn-demo: cannot write %s\n", AnsiToUtf8(fileName).c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    AnsiString screenshot;
    if (argc == 3 && std::strcmp(argv[1], "--screenshot") == 0) {
        screenshot = Utf8ToAnsi(argv[2]);  // file names are 8-bit texts, converted back on use
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: varn-demo [--screenshot FILE]\n");
        return 2;
    }

    try {
        // The headless rendering keeps the headless backend even on a desktop.
        if (screenshot.empty())
            Application->Initialize();
        Application->CreateForm(Form1);
        Form1->echoCells = true;
        if (!screenshot.empty())
            return writeScreenshot(screenshot);
        if (!varn::installLiveBackend()) {
            std::printf("No display: the form is written to varn-demo.png instead.\n");
            return writeScreenshot("varn-demo.png");
        }
        Application->Run();
    } catch (const Exception& E) {
        Application->ShowException(E);
        return 1;
    } catch (...) {
        Application->ShowException(Exception(""));
        return 1;
    }
    return 0;
}
