// The application message hook: the application's one message event, fanned out to
// any number of handlers in the order they registered.
#pragma once

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/win/Messages.h"

#include <functional>

// The message-event type: a bound method, the object and the method, taking the
// queued message and Handled. The object is kept so that the registration can be
// dropped when the object (a component) is destroyed.
struct TAppMessageEvent {
    TObject* Object = nullptr;
    std::function<void(tagMSG& Msg, bool& Handled)> Method;

    explicit operator bool() const { return static_cast<bool>(Method); }
    void operator()(tagMSG& Msg, bool& Handled) const { Method(Msg, Handled); }
};

// Binds a method: AppMessageEvent(this, &TVarnGrid::DesvioMensajes).
template <typename T>
TAppMessageEvent AppMessageEvent(T* object, void (T::*method)(tagMSG& Msg, bool& Handled))
{
    return {object, [object, method](tagMSG& Msg, bool& Handled) { (object->*method)(Msg, Handled); }};
}

// One registration.
struct TAppMessageHandler_data {
    HWND Handle = nullptr;      // window of the control that registered; only tested for existence
    TObject* Object = nullptr;  // the handler's object
    std::function<void(tagMSG& Msg, bool& Handled)> Method;  // the handler's method
};

// The dispatcher installed as the application's message event by the first
// registration. One instance at most; it lives until the program ends.
class TAppMsgHandlerReal : public TObject {
public:
    AnsiString ClassName() const override { return "TAppMsgHandlerReal"; }
    // Calls the handlers whose window still exists, in registration order, until
    // one sets Handled.
    void AppMessage(tagMSG& Msg, bool& Handled);
};

// Registers Handler for Control's window (creating the window if needed). Does
// nothing in a form designer or when the control has no window. Components call
// it from CreateWnd, so each window they get adds one registration.
void RegisterAppMsgHandler(TWinControl* Control, TAppMessageEvent Handler);
void RegisterAppMsgHandlerWnd(HWND Handle, TAppMessageEvent Handler);
