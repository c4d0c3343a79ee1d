#include "utils/AppMsgHandler.h"

#include "platform/Forms.h"
#include "platform/win/Windows.h"
#include "utils/BlockArray.h"

namespace {

// Registrations in registration order.
nBlockArray<TAppMessageHandler_data> registry;
bool finalised = false;  // the registry is gone (program exit)
struct Finalisation {
    ~Finalisation() { finalised = true; }  // runs before the registry's destructor
} finalisation;
TAppMsgHandlerReal* dispatcher = nullptr;
int dispatchDepth = 0;  // nested dispatches (a handler that pumps messages)

// A registration can outlive what it points at: its window (the handle is then
// dead for good, as handles are never reused) or the handler's component. Such
// entries are never called again. They are marked dead at once and removed from
// the registry when no dispatch is walking it.
bool isDead(const TAppMessageHandler_data& entry) { return !entry.Method || !IsWindow(entry.Handle); }

void removeDeadEntries()
{
    if (dispatchDepth > 0 || finalised)
        return;
    for (int i = registry.Count() - 1; i >= 0; --i)
        if (isDead(registry[i]))
            registry.Delete(i);
}

// Hears of destroyed components and drops their registrations.
class TRegistrationWatcher : public TComponent {
public:
    TRegistrationWatcher() : TComponent(nullptr) {}
    AnsiString ClassName() const override { return "TRegistrationWatcher"; }

    void watch(TObject* object)
    {
        if (auto* component = dynamic_cast<TComponent*>(object))
            FreeNotification(component);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation != opRemove || finalised)
            return;
        for (int i = 0; i < registry.Count(); ++i) {
            TAppMessageHandler_data& entry = registry[i];
            if (entry.Object == AComponent) {
                entry.Method = nullptr;
                entry.Object = nullptr;
            }
        }
        removeDeadEntries();
    }
};

TRegistrationWatcher& watcher()
{
    // Never destroyed: components may go after this unit's statics at exit.
    static auto* instance = new TRegistrationWatcher();
    return *instance;
}

}  // namespace

void TAppMsgHandlerReal::AppMessage(tagMSG& Msg, bool& Handled)
{
    Handled = false;
    if (finalised)
        return;
    ++dispatchDepth;
    try {
        for (int i = 0; !Handled && i < registry.Count(); ++i) {
            TAppMessageHandler_data& entry = registry[i];
            if (isDead(entry))
                continue;
            auto method = entry.Method;  // the entry may be dropped while it runs
            method(Msg, Handled);
        }
    } catch (...) {
        --dispatchDepth;
        removeDeadEntries();
        throw;
    }
    --dispatchDepth;
    removeDeadEntries();
}

void RegisterAppMsgHandler(TWinControl* Control, TAppMessageEvent Handler)
{
    if (!Control || Control->ComponentState().Contains(csDesigning))
        return;
    HWND handle = Control->Handle();
    if (handle)
        RegisterAppMsgHandlerWnd(handle, std::move(Handler));
}

void RegisterAppMsgHandlerWnd(HWND Handle, TAppMessageEvent Handler)
{
    if (finalised)
        return;
    if (!dispatcher) {
        dispatcher = new TAppMsgHandlerReal();
        Application->OnMessage = [](tagMSG& Msg, bool& Handled) { dispatcher->AppMessage(Msg, Handled); };
    }
    removeDeadEntries();
    TAppMessageHandler_data* entry = registry.Add();
    entry->Handle = Handle;
    entry->Object = Handler.Object;
    entry->Method = std::move(Handler.Method);
    watcher().watch(entry->Object);
}
