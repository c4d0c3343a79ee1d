// The ready-made repair window on a schema of a MySQL or MariaDB server: press
// "Empezar" to check every table and repair the damaged ones.
//   varn-example-repair DATABASE [SOCKET]                     a real window on a desktop
//   varn-example-repair DATABASE [SOCKET] --screenshot F      headless: runs the check, writes F
// The connection uses the layer's default host, user and password; SOCKET names
// the server's socket when it is not the client library's default.
#include <VarnControls.h>

#include "platform/win/Backend.h"
#include "platform/win/BackingStore.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    const char* screenshot = nullptr;
    if (argc >= 3 && std::strcmp(argv[argc - 2], "--screenshot") == 0) {
        screenshot = argv[argc - 1];
        argc -= 2;
    }
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s DATABASE [SOCKET] [--screenshot FILE]\n", argv[0]);
        return 2;
    }
    Application->Initialize();
    sDB_connectionParams params;
    params.database = argv[1];
    if (argc == 3)
        params.socket = argv[2];
    sDB_connection connection;
    if (!sDB_openConnection(connection, params))
        return 1;
    sDB_defaultConnection = &connection;

    TdbReparerFORM* form = nullptr;
    Application->CreateForm(form);
    if (!screenshot && !varn::installLiveBackend()) {
        std::printf("No display: the window, after a check, is written to repair-window.png instead.\n");
        screenshot = "repair-window.png";
    }
    int status = 0;
    if (screenshot) {
        form->Show();
        Application->ProcessMessages();
        form->btStartClick(form->btStart);
        Application->ProcessMessages();
        status = varn::SaveWindowToPngFile(form->Handle(), screenshot) ? 0 : 1;
    } else {
        Application->Run();
    }
    sDB_closeConnection(connection);
    return status;
}
