// The demo's project breakdown: the sample plan's phases, work packages, tasks and milestones
// in the library's tree view.
#pragma once

#include "demo/xoDemoPlan.h"

#include "platform/plForms.h"

class TxoTree;

class TDemoTreeForm : public TForm {
public:
    TDemoTreeForm(TComponent* AOwner, const TDemoPlan& aPlan);

private:
    TxoTree* fTree;
    TPanel* fStatus;
};
