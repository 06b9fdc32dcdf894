#include "foundation/xoExposable.h"

TxoExposable::TxoExposable() { Initialize(); }

bool TxoExposable::CanDelete() { return true; }

void TxoExposable::FreeCall(TObject* obj) {
    if (!obj) return;
    auto* exposable = dynamic_cast<TxoExposable*>(obj);
    if (!exposable) throw Exception("Invalid class typecast: FreeCall needs a TxoExposable");
    if (exposable->CanDelete())
        delete exposable;
    else
        exposable->fWhenZeroRefCountDestroy = true;
}

void TxoExposable::FreeWheneverPossible() {
    CleanForFree();
    FreeCall(this);
}
