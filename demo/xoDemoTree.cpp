#include "demo/xoDemoTree.h"

#include "platform/plDateUtils.h"
#include "tree/xoTree.h"

#include <vector>

namespace {
// The whole breakdown is loaded up front, so no entity needs a placeholder to show an expand
// button: leaves show none.
class TDemoPlanTree : public TxoTree {
public:
    using TxoTree::TxoTree;

protected:
    bool NeedsDummyNode(TxoDataEntity_Tree*) override { return false; }
};
} // namespace

TDemoTreeForm::TDemoTreeForm(TComponent* AOwner, const TDemoPlan& aPlan) : TForm(AOwner) {
    SetName("ProjectTree");
    SetCaption("xoStint demo: project breakdown");
    SetBounds(80, 80, 460, 560);

    fStatus = new TPanel(this);
    fStatus->SetParent(this);
    fStatus->SetAlign(alBottom);
    fStatus->SetHeight(22);
    fStatus->SetBevelOuter(bvLowered);
    fStatus->SetAlignment(taLeftJustify);

    fTree = new TDemoPlanTree(this);
    fTree->SetParent(this);
    fTree->SetAlign(alClient);
    fTree->SetDrawGridLines(true);
    fTree->SetMultiSelect(true);

    // Entities by plan id, so that every row finds its parent (rows come in outline order).
    std::vector<TxoDataEntity_Tree*> byId(aPlan.Tasks.size() + 1, nullptr);
    for (const TDemoTask& t : aPlan.Tasks) {
        TxoDataEntity_Tree* parent = t.Parent > 0 && size_t(t.Parent) < byId.size() ? byId[size_t(t.Parent)] : nullptr;
        TxoDataEntity_Tree* e = fTree->AddDataEntity(parent);
        String text = t.Text;
        if (t.Type == dttMilestone)
            text += "  (" + FormatDateTime("d mmm", t.Start, TFormatSettings::Invariant()) + ")";
        else if (t.Type == dttTask)
            text += "  (" + std::to_string(t.DurationDays) + " d)";
        e->SetText(text);
        if (t.Type == dttSummary) e->SetFontStyle(TFontStyles{fsBold});
        byId[size_t(t.Id)] = e;
    }
    fTree->SetAutoExpandLevels(2);
    fStatus->SetCaption(" " + std::to_string(aPlan.Count(dttSummary)) + " phases and work packages, " +
                        std::to_string(aPlan.Count(dttTask)) + " tasks, " +
                        std::to_string(aPlan.Count(dttMilestone)) + " milestones");
}
