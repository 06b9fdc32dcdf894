// The date scaler's life cycle, properties, update bracket, printing and the deferred change
// notification.
#include "scaler/xoScaler.h"

#include "platform/plDateUtils.h"

namespace {
std::unique_ptr<TFont> MakeTextFont() {
    auto f = std::make_unique<TFont>();
    f->SetName("Arial");
    f->SetSize(7);
    return f;
}
} // namespace

TxoDateScaler::TxoDateScaler(TComponent* AOwner) : TxoOffscreenPaint(AOwner) {
    fTextFont1 = MakeTextFont();
    fTextFont2 = MakeTextFont();
    fTextFont3 = MakeTextFont();
    fFirstDayOfWeek = 2;
    fStart = Date();
    fStop = fStart + 7;
    fScrollSUBTIME = false;
    fScrollADDTIME = false;
    fReScaling = false;
    fScrollTimer = new TTimer(this);
    fScrollTimer->SetEnabled(false);
    fScrollTimer->SetInterval(50);
    fScrollTimer->SetOnTimer([this](TObject* Sender) { ScrollButtonPressed(Sender); });
    fIndicatorOn = true;
    fCtrlStep = kDay;
    fZoomFactor = 0.9;
    fWeekPrefix = " w ";
    fWeekYearFormat = "YYYY";
    fQuarterPrefix = " Q";
    fPixelsForModeSwitch = 15;
    fIndicatorStyle = isNormal;
    fMaxStop = EncodeDate(4000, 1, 1);
    fVisibleTimeForWeekOutOfDate = true;
    UpdateHiddenHourTables();
    CalcDrawMode();
}

TxoDateScaler::~TxoDateScaler() {
    // The timer is owned through the component ownership; stop it from calling back into a
    // scaler that is going away.
    if (fScrollTimer) {
        fScrollTimer->SetEnabled(false);
        fScrollTimer->SetOnTimer(nullptr);
    }
    ClearMarks();
}

void TxoDateScaler::SetTextFont1(TFont* Value) {
    if (Value) fTextFont1->Assign(Value);
    Invalidate();
}

void TxoDateScaler::SetTextFont2(TFont* Value) {
    if (Value) fTextFont2->Assign(Value);
    Invalidate();
}

void TxoDateScaler::SetTextFont3(TFont* Value) {
    if (Value) fTextFont3->Assign(Value);
    Invalidate();
}

TFont* TxoDateScaler::ScalerFontOf(TScalerFont f) const {
    switch (f) {
    case sTextFont2:
        return fTextFont2.get();
    case sTextFont3:
        return fTextFont3.get();
    default:
        return fTextFont1.get();
    }
}

void TxoDateScaler::SetLookAndFeel(TLookAndFeel Value) {
    fLookAndFeel = Value;
    Invalidate();
}

void TxoDateScaler::SetScrollButtons(TScrollButtons Value) {
    fScrollButtons = Value;
    Invalidate();
}

void TxoDateScaler::BeginUpdate() {
    TxoOffscreenPaint::BeginUpdate();
}

void TxoDateScaler::EndUpdate() {
    TxoOffscreenPaint::EndUpdate();
    CalcDrawMode();
    Invalidate();
}

void TxoDateScaler::Resize() {
    TxoOffscreenPaint::Resize();
    fWasResized = true;
}

void TxoDateScaler::OffscreenPaint() {
    if (!IsPrinting()) HandleFixedScaleResizing();
    DoThePaint(OffscreenCanvas(), TRect(0, 0, Width(), Height()));
    fStopOnLastDraw = fStop;
}

void TxoDateScaler::Print(HDC aHDC, int x, int y, double aScaleX, double aScaleY, bool aUpdateBounds) {
    // The marks are laid out in printer pixels before the base sizes the control for the
    // print, and laid out again for the screen afterwards, whatever happens in between.
    struct TRestore {
        TxoDateScaler* s;
        ~TRestore() {
            s->EndPrint();
            s->CalcDrawMode();
        }
    };
    BeginPrint();
    TRestore restore{this};
    InternalSetPrintScalex(aScaleX);
    InternalSetPrintScaley(aScaleY);
    CalcDrawMode();
    TxoOffscreenPaint::Print(aHDC, x, y, aScaleX, aScaleY, aUpdateBounds);
}

void TxoDateScaler::PostChangeIfDue() {
    if (fCallOnChangeWhenRefreshed && fOnChange && !fReScaling) {
        fCallOnChangeWhenRefreshed = false;
        PostMessage(Handle(), xo::kScalerChangeMessage, 0, 0);
    }
}

void TxoDateScaler::WndProc(TMessage& Message) {
    if (Message.Msg == xo::kScalerChangeMessage) {
        CallChange(Message);
        return;
    }
    TxoOffscreenPaint::WndProc(Message);
}

void TxoDateScaler::CallChange(TMessage& /*Message*/) {
    if (fOnChange) fOnChange(this);
}
