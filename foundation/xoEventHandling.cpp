#include "foundation/xoEventHandling.h"

#include <algorithm>

TEvent::TEvent(TObject* theOwner) : itsOwner(theOwner) {}

TEvent::~TEvent() {
    for (TriggerFrame* f = itsTrigger; f; f = f->outer) f->destroyed = true;
    std::vector<TSingleEventListener*> listeners;
    listeners.swap(itsListOfListeners);
    for (TSingleEventListener* l : listeners) l->itsEvent = nullptr;
    for (TSingleEventListener* l : listeners)
        if (l->itsAutoFree) delete l;
}

void TEvent::AddListener(TSingleEventListener* theEventListener) {
    if (!theEventListener) return;
    if (std::find(itsListOfListeners.begin(), itsListOfListeners.end(), theEventListener) ==
        itsListOfListeners.end())
        itsListOfListeners.push_back(theEventListener);
    theEventListener->itsEvent = this;
}

void TEvent::RemoveListener(TSingleEventListener* theEventListener) {
    if (!theEventListener) return;
    auto it = std::find(itsListOfListeners.begin(), itsListOfListeners.end(), theEventListener);
    if (it != itsListOfListeners.end()) itsListOfListeners.erase(it);
    theEventListener->itsEvent = nullptr;
}

void TEvent::TriggerEvent(TObject* theMessage) {
    // The count is taken at the start and the list walked by index: a listener removed
    // meanwhile shifts the rest, so the one after it may be skipped in this trigger, but no
    // freed listener is ever called.
    TriggerFrame frame;
    frame.outer = itsTrigger;
    itsTrigger = &frame;
    struct Unlink {
        TEvent* ev;
        TriggerFrame& f;
        ~Unlink() {
            if (!f.destroyed) ev->itsTrigger = f.outer;
        }
    } unlink{this, frame};
    const size_t count = itsListOfListeners.size();
    for (size_t i = 0; i < count; ++i) {
        if (frame.destroyed || i >= itsListOfListeners.size()) break;
        itsListOfListeners[i]->Trigger(itsOwner, this, theMessage);
    }
}

TSingleEventListener::TSingleEventListener(TEvent* theEvent, TOnEvent theOnEvent, bool AutoFree) {
    if (!theEvent) throw Exception("A listener needs an event to listen to");
    theEvent->AddListener(this);
    itsOnEvent = std::move(theOnEvent);
    itsAutoFree = AutoFree;
}

TSingleEventListener::~TSingleEventListener() {
    if (itsEvent) itsEvent->RemoveListener(this);
}

void TSingleEventListener::Trigger(TObject* theOwner, TEvent* theEvent, TObject* theMessage) {
    itsCallingEventOwner = theOwner;
    itsCallingEvent = theEvent;
    itsCallingMessage = theMessage;
    if (itsOnEvent) {
        TOnEvent callback = itsOnEvent; // the callback may free this listener
        callback(this);
    }
}
