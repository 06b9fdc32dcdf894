// The demo's date scale window: date scalers at every zoom level, horizontal and vertical.
#pragma once

#include "platform/plForms.h"

#include <vector>

class TxoDateScaler;
class TPrinterDevice;

// Drag along a scale to zoom, Ctrl+drag to pan, hold the arrow buttons to step.
class TDemoScalerForm : public TForm {
public:
    explicit TDemoScalerForm(TComponent* AOwner);

    // Prints every scaler of the window onto the printer's current page, one under the
    // other at the printer's resolution (the same paint code as the screen, scaled).
    void PrintScalers(TPrinterDevice* aPrinter);

private:
    TxoDateScaler* AddRow(double aScale, double aStart);
    TxoDateScaler* AddColumn(int aLeft, int aWidth, double aScale, double aStart);
    std::vector<TxoDateScaler*> fScalers;
    int fTop = 4;
};
