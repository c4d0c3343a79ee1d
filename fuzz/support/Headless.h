// The headless window system for fuzz targets that show forms: one session per
// input, so that nothing (windows, messages, timers, hooks) carries over to the next.
// It works like the test harness (tests/support/UiHarness.h) without GoogleTest.
#pragma once

#include "platform/Forms.h"

#include <vector>

namespace varn::fuzz {

class HeadlessSession {
public:
    HeadlessSession();
    ~HeadlessSession();
    HeadlessSession(const HeadlessSession&) = delete;
    HeadlessSession& operator=(const HeadlessSession&) = delete;

    // A form owned by the application, deleted with the session unless it is gone.
    template <typename T = TForm>
    T* createForm()
    {
        T* form = nullptr;
        Application->CreateForm(form);
        forms.push_back(form);
        return form;
    }

    // Handles messages until the queue is idle, paints included; false when a
    // handler keeps the queue busy.
    bool pump();
    // Lets ms pass on the manual clock, stopping at each timer due on the way.
    bool advance(unsigned ms);

private:
    std::vector<TForm*> forms;
};

}  // namespace varn::fuzz
