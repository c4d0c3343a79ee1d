// A live session's text against the desktop: another program (xclip) reads what
// this one copied and gives it text to paste, and typed text arrives as SDL
// reports it. scripts/smoke-desktop runs these on an X server of its own and
// sets VARN_TEST_DESKTOP; without that they are skipped.
#include "platform/win/Backend.h"
#include "platform/Clipbrd.h"
#include "support/UiHarness.h"

#ifdef VARN_WITH_SDL
#include "platform/win/backend/sdl/SdlBackend.h"

#include <SDL.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Finished {
    int status = -1;
    std::string output;
};

// Runs xclip with the arguments, feeding it `input`, and keeps the backend
// handling events until it ends: reading the clipboard, xclip asks this
// program's window for the text and waits for the answer. (xclip -i ends at
// once and leaves a process in the background that serves the clipboard.)
Finished xclip(std::vector<std::string> arguments, const std::string& input = std::string())
{
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
        posix_spawn_file_actions_addclose(&actions, fd);
    arguments.insert(arguments.begin(), "xclip");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "xclip", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    if (spawned == 0 && !input.empty())
        (void)!write(toChild[1], input.data(), input.size());
    close(toChild[1]);
    fcntl(fromChild[0], F_SETFL, O_NONBLOCK);

    Finished run;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool ended = spawned != 0;
    while (!ended) {
        varn::backend().pollEvents();
        ended = waitpid(pid, &run.status, WNOHANG) == pid;
        char buffer[256];
        ssize_t count;
        while ((count = read(fromChild[0], buffer, sizeof buffer)) > 0)
            run.output.append(buffer, static_cast<size_t>(count));
        if (!ended && std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    close(fromChild[0]);
    return run;
}

// The SDL backend for one test, on the desktop that the smoke script started.
class Desktop : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifndef VARN_WITH_SDL
        GTEST_SKIP() << "built without SDL";
#else
        const char* desktop = std::getenv("VARN_TEST_DESKTOP");
        if (!desktop || !*desktop)
            GTEST_SKIP() << "needs an X server and xclip: run scripts/smoke-desktop";
        previous = varn::setBackend(std::make_unique<varn::SdlBackend>());
#endif
    }
    void TearDown() override
    {
        if (previous)
            varn::setBackend(std::move(previous));
    }
    std::unique_ptr<varn::Backend> previous;
};

}  // namespace

#ifdef VARN_WITH_SDL

TEST_F(Desktop, CopiedTextIsUtf8OnTheDesktopAndPastedTextComesBackInTheCodePage)
{

    TClipboard* clipboard = Clipboard();
    clipboard->SetAsText("Precio: 12,50 \x80");
    Finished copied = xclip({"-selection", "clipboard", "-o"});
    EXPECT_EQ(copied.status, 0);
    EXPECT_EQ(copied.output, "Precio: 12,50 \xE2\x82\xAC");

    // Characters outside the code page arrive as '?'.
    Finished given = xclip({"-selection", "clipboard", "-i"}, "Precio: 12,50 \xE2\x82\xAC \xE2\x82\xBD \xC5\xA0");
    EXPECT_EQ(given.status, 0);
    EXPECT_TRUE(clipboard->HasFormat(CF_TEXT));
    EXPECT_EQ(clipboard->AsText(), "Precio: 12,50 \x80 ? \x8A");

    clipboard->Clear();  // takes the clipboard back, so xclip ends
}

TEST_F(Desktop, TitlesAndTypedTextAreInTheCodePage)
{
    varn::test::UiHarness ui;
    TForm* form = ui.createForm(120, 60);
    form->SetCaption("Precio \x80");
    AnsiString typed;
    form->OnKeyPress = [&](TObject*, char& key) { typed += key; };
    ui.show(form);
    form->SetFocus();
    auto* sdl = dynamic_cast<varn::SdlBackend*>(&varn::backend());
    ASSERT_TRUE(sdl);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl->sdlWindow(form->Handle())), "Precio \xE2\x82\xAC");

    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    SDL_strlcpy(event.text.text, "12,50 \xE2\x82\xAC\xE2\x82\xBD", sizeof event.text.text);
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    ui.pump();
    EXPECT_EQ(typed, "12,50 \x80?");
}

#endif
