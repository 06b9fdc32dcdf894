// The base of model objects (data entities, data lists, Gantt rows) and their two-step
// disposal: detach (CleanForFree), then free.
#pragma once

#include "platform/plTypes.h"

class TxoExposable : public TObject {
public:
    TxoExposable();

    // Each concrete class detaches the object from the lists, controllers and views that
    // refer to it.
    virtual void CleanForFree() = 0;
    // Whether the object may be freed now.
    virtual bool CanDelete();
    // Frees obj when it is exposable and may be deleted; otherwise marks it so that the
    // holder of the last reference frees it. Raises Exception for other classes.
    static void FreeCall(TObject* obj);
    // The one way model objects are disposed of: CleanForFree, then FreeCall. The object
    // is gone when this returns.
    void FreeWheneverPossible();
    TxoExposable* GetObjectFromInterface() { return this; }

    int RefCount() const { return fRefCount; }
    bool WhenZeroRefCountDestroy() const { return fWhenZeroRefCountDestroy; }

protected:
    int fRefCount = 0;
    bool fWhenZeroRefCountDestroy = false;

private:
    void Initialize() {}
};
