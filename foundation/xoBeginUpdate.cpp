#include "foundation/xoBeginUpdate.h"

TxoBeginUpdate::TxoBeginUpdate(TOnBeginOrEndUpdate theBeginUpdate, TOnBeginOrEndUpdate theEndUpdate)
    : itsBeginUpdate(std::move(theBeginUpdate)), itsEndUpdate(std::move(theEndUpdate)) {}

TxoBeginUpdate::~TxoBeginUpdate() {
    if (itsBeginUpdateEntered && itsEndUpdate) itsEndUpdate();
}

void TxoBeginUpdate::Mark() {
    if (itsBeginUpdateEntered) return;
    if (itsBeginUpdate) itsBeginUpdate();
    itsBeginUpdateEntered = true;
}
