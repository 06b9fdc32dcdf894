// A lazy begin/end-update guard: begin is called on the first Mark, end only if begin was.
#pragma once

#include "platform/plTypes.h"

#include <functional>

using TOnBeginOrEndUpdate = std::function<void()>;

class TxoBeginUpdate : public TObject {
public:
    TxoBeginUpdate(TOnBeginOrEndUpdate theBeginUpdate, TOnBeginOrEndUpdate theEndUpdate);
    // Calls the end callback when the guard was entered.
    ~TxoBeginUpdate() override;

    // The first call enters the guard and calls the begin callback; later calls do nothing.
    void Mark();
    bool Entered() const { return itsBeginUpdateEntered; }

private:
    bool itsBeginUpdateEntered = false;
    TOnBeginOrEndUpdate itsBeginUpdate;
    TOnBeginOrEndUpdate itsEndUpdate;
};
