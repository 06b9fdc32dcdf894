// The demo's windows, built at run time the way an application builds its forms.
#include "demo/xoDemoForms.h"

#include "demo/xoDemoViews.h"

#include "platform/plDateUtils.h"

namespace {

TPanel* NewPanel(TComponent* aOwner, TWinControl* aParent, TAlign aAlign, int aSize, TBevelCut aBevel) {
    auto* p = new TPanel(aOwner);
    p->SetBevelOuter(aBevel);
    if (aAlign == alLeft || aAlign == alRight)
        p->SetWidth(aSize);
    else if (aSize > 0)
        p->SetHeight(aSize);
    p->SetAlign(aAlign);
    p->SetParent(aParent);
    return p;
}

} // namespace

TDemoMainForm::TDemoMainForm(TComponent* AOwner, const TDemoPlan& aPlan) : TForm(AOwner), fPlan(aPlan) {
    SetName("MainForm");
    SetCaption("xoStint demo");
    SetBounds(60, 40, 1120, 700);

    // Tool bar along the top, status bar along the bottom.
    TPanel* bar = NewPanel(this, this, alTop, 36, bvRaised);
    bar->SetBorderWidth(4);
    fStatus = NewPanel(this, this, alBottom, 22, bvLowered);
    fStatus->SetAlignment(taLeftJustify);

    // The outline on the left, a thin bar, then the time axis with the primitives below it.
    TPanel* left = NewPanel(this, this, alLeft, 320, bvNone);
    NewPanel(this, this, alLeft, 4, bvNone);
    TPanel* right = NewPanel(this, this, alClient, 0, bvNone);

    fOutline = new TPlanOutline(this, fPlan);
    fOutline->SetAlign(alClient);
    fOutline->SetParent(left);

    TPanel* sheet = NewPanel(this, right, alBottom, 212, bvNone);
    TPanel* sheetTitle = NewPanel(this, sheet, alTop, 22, bvRaised);
    sheetTitle->SetAlignment(taLeftJustify);
    sheetTitle->SetCaption("   Painting primitives");
    sheetTitle->Font()->SetStyle({fsBold});
    auto* primitives = new TPrimitivesView(this);
    primitives->SetAlign(alClient);
    primitives->SetParent(sheet);
    NewPanel(this, right, alBottom, 4, bvNone);

    fSketch = new TPlanSketch(this, fPlan, fOutline);
    fSketch->SetAlign(alClient);
    fSketch->SetParent(right);
    fOutline->SetOnChange([this](TObject*) {
        fSketch->Invalidate();
        UpdateStatus();
    });

    AddButton(bar, "Zoom in", [this](TObject*) { fSketch->SetDayWidth(fSketch->DayWidth() + 2); });
    AddButton(bar, "Zoom out", [this](TObject*) { fSketch->SetDayWidth(fSketch->DayWidth() - 2); });
    AddButton(bar, "First row", [this](TObject*) { fOutline->SetSelected(0); });
    AddButton(bar, "About", [this](TObject*) {
        if (fOnAbout) fOnAbout(this);
    });
    UpdateStatus();
    SetActiveControl(fOutline);
}

TDemoButton* TDemoMainForm::AddButton(TWinControl* aBar, const String& aCaption, TNotifyEvent aClick) {
    // Each button goes right of the previous ones: alLeft keeps creation order, with a gap.
    auto* gap = new TPanel(this);
    gap->SetBevelOuter(bvNone);
    gap->SetWidth(6);
    gap->SetAlign(alLeft);
    gap->SetParent(aBar);
    auto* b = new TDemoButton(this);
    b->SetCaption(aCaption);
    b->SetAlign(alLeft);
    b->SetParent(aBar);
    b->SetOnClick(std::move(aClick));
    return b;
}

void TDemoMainForm::UpdateStatus() {
    String s = "   " + std::to_string(fPlan.Tasks.size()) +
               " rows: " + std::to_string(fPlan.Count(dttSummary)) + " summaries, " +
               std::to_string(fPlan.Count(dttTask)) + " tasks, " + std::to_string(fPlan.Count(dttMilestone)) +
               " milestones, " + std::to_string(fPlan.Links.size()) + " links, " +
               FormatDateTime("yyyy-mm-dd", fPlan.First) + " to " + FormatDateTime("yyyy-mm-dd", fPlan.Last);
    int sel = fOutline->Selected();
    if (sel >= 0 && sel < int(fPlan.Tasks.size())) {
        const TDemoTask& t = fPlan.Tasks[size_t(sel)];
        s += "   |   " + t.Text + ": " + FormatDateTime("ddd d mmm", t.Start);
        if (t.Type != dttMilestone) s += " to " + FormatDateTime("ddd d mmm", t.Finish);
    }
    fStatus->SetCaption(s);
}

TDemoAboutForm::TDemoAboutForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("AboutForm");
    SetCaption("About xoStint");
    SetBounds(200, 160, 480, 300);
    SetBorderStyle(bsDialog);
    auto* buttons = new TPanel(this);
    buttons->SetBevelOuter(bvNone);
    buttons->SetHeight(40);
    buttons->SetAlign(alBottom);
    buttons->SetParent(this);
    auto* ok = new TDemoButton(this);
    ok->SetCaption("OK");
    ok->SetBounds(480 - 84 - 12, 7, 84, 26);
    ok->SetParent(buttons);
    ok->SetOnClick([this](TObject*) { Close(); });
    auto* text = new TAboutView(this);
    text->SetAlign(alClient);
    text->SetParent(this);
}
