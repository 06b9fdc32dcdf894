// Multicast notifications: an object owns a TEvent, interested parties register listeners.
#pragma once

#include "platform/plTypes.h"

#include <functional>
#include <vector>

class TEvent;
class TSingleEventListener;

using TOnEvent = std::function<void(TSingleEventListener* theEventListener)>;

class TEvent {
public:
    explicit TEvent(TObject* theOwner);
    // Unregisters every listener and frees those created with AutoFree, in list order.
    ~TEvent();
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    // Appends the listener unless it is already registered. Called by the listener itself.
    void AddListener(TSingleEventListener* theEventListener);
    // Takes the listener out (the others keep their order); its event is none afterwards.
    void RemoveListener(TSingleEventListener* theEventListener);
    // Calls every listener, first registered first. Listeners may remove themselves or
    // others meanwhile, and the event may even be destroyed by one of them.
    void TriggerEvent(TObject* theMessage);

    TObject* Owner() const { return itsOwner; }
    int ListenerCount() const { return int(itsListOfListeners.size()); }

private:
    struct TriggerFrame {
        bool destroyed = false;
        TriggerFrame* outer = nullptr;
    };
    std::vector<TSingleEventListener*> itsListOfListeners;
    TObject* itsOwner;
    TriggerFrame* itsTrigger = nullptr;
};

class TSingleEventListener : public TObject {
public:
    // Registers on theEvent (which must exist; none raises Exception), then keeps the
    // callback. With AutoFree the event frees the listener when the event goes.
    TSingleEventListener(TEvent* theEvent, TOnEvent theOnEvent, bool AutoFree);
    // Unregisters when still registered.
    ~TSingleEventListener() override;

    // Records the trigger's owner, event and message, then calls the callback.
    void Trigger(TObject* theOwner, TEvent* theEvent, TObject* theMessage);

    TObject* CallingEventOwner() const { return itsCallingEventOwner; }
    TEvent* CallingEvent() const { return itsCallingEvent; }
    TObject* CallingMessage() const { return itsCallingMessage; }
    // The event this listener is registered on; none after it was removed or destroyed.
    TEvent* Event() const { return itsEvent; }
    bool AutoFree() const { return itsAutoFree; }

private:
    friend class TEvent;
    TEvent* itsEvent = nullptr;
    TOnEvent itsOnEvent;
    bool itsAutoFree = false;
    TObject* itsCallingEventOwner = nullptr;
    TEvent* itsCallingEvent = nullptr;
    TObject* itsCallingMessage = nullptr;
};
