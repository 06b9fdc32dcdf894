#include "demo/xoDemoScalers.h"

#include "platform/plDateUtils.h"
#include "platform/plPrinters.h"
#include "scaler/xoScaler.h"

TDemoScalerForm::TDemoScalerForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("DateScalers");
    SetCaption("xoStint demo: date scalers");
    SetBounds(60, 60, 1100, 560);
    const TDateTime monday = Date() - (DayOfWeek(Date()) + 5) % 7;
    AddRow(Scale10MinuteAndMinute, monday + 9 * kHour); // minutes
    AddRow(ScaleDayAndHour, monday);                    // hours and days
    AddRow(ScaleWeekAndDay, monday)->SetLookAndFeel(tlfBoxed);
    TxoDateScaler* weeks = AddRow(ScaleMonthAndWeek, monday);
    weeks->BeginUpdate();
    weeks->SetWeekNumbers(true);
    weeks->EndUpdate();
    TxoDateScaler* months = AddRow(ScaleQuorterAndMonth, monday);
    months->SetLookAndFeel(tlfBoxed);
    months->BeginUpdate();
    months->SetLongDatesToLeftEnd(true);
    months->EndUpdate();
    AddRow(ScaleYearAndQuorter, monday)->SetIndicatorStyle(isSober);
    AddRow(ScaleDecadesAndYear, monday);
    AddRow(ScaleDoubleDecadesAndDecades, monday)->SetIndicatorStyle(isColorfull);
    // Working hours only: weekends and nights take no room on the axis.
    TxoDateScaler* work = AddRow(ScaleDayAndHour, monday + 8 * kHour);
    work->SetHiddenDays(TxoHiddenDays{thdSAT, thdSUN});
    TxoHiddenHours nights;
    for (int h = 0; h < 8; ++h) nights.Include(TxoHiddenHoursEnum(h));
    for (int h = 18; h < 24; ++h) nights.Include(TxoHiddenHoursEnum(h));
    work->SetHiddenHours(nights);
    AddColumn(916, 80, ScaleWeekAndDay, monday);
    TxoDateScaler* vertical = AddColumn(1006, 84, ScaleDayAndHour, monday);
    vertical->SetLookAndFeel(tlfBoxed);
    vertical->SetVerticalText(true);
}

TxoDateScaler* TDemoScalerForm::AddRow(double aScale, double aStart) {
    auto* s = new TxoDateScaler(this);
    s->SetParent(this);
    s->SetHorizontal(true);
    s->SetBounds(4, fTop, 900, 45);
    s->SetDateFormat("yyyy-mm-dd");
    s->SetTimeFormat("hh:nn");
    s->SetStart(aStart);
    s->SetScale(aScale);
    fTop += 50;
    fScalers.push_back(s);
    return s;
}

TxoDateScaler* TDemoScalerForm::AddColumn(int aLeft, int aWidth, double aScale, double aStart) {
    auto* s = new TxoDateScaler(this); // vertical by default
    s->SetParent(this);
    s->SetBounds(aLeft, 4, aWidth, 548);
    s->SetStart(aStart);
    s->SetScale(aScale);
    fScalers.push_back(s);
    return s;
}

void TDemoScalerForm::PrintScalers(TPrinterDevice* aPrinter) {
    // Screen pixels are 1/96 inch: scale them to the printer's dots.
    const double scale = double(aPrinter->DotsPerInch()) / 96.0;
    const int margin = int(Round(0.5 * aPrinter->DotsPerInch()));
    for (TxoDateScaler* s : fScalers)
        s->Print(aPrinter->Handle(), margin + int(Round(s->Left() * scale)), margin + int(Round(s->Top() * scale)),
                 scale, scale, true);
}
