// The quick choice menu: a popup of strings that answers the index of the chosen one.
#include "foundation/xoGraphStuff.h"

#include "platform/plMenus.h"
#include "platform/plMessages.h"

#include <memory>

namespace {

// The chosen option of the open quick choice menu (one at a time).
int gChosenOption = -1;

// Receives the click of the quick choice menu.
class TPopUpHandler : public TObject {
public:
    // Stores the index of the clicked item within its parent item.
    void UserOptionClick(TObject* Sender) {
        if (auto* item = dynamic_cast<TMenuItem*>(Sender)) gChosenOption = item->MenuIndex();
    }
};

} // namespace

void GStuff::CreateMenuOptions(TPopupMenu* aPopupMenu, TStrings* theOptions, const TNotifyEvent& theEvent,
                               int theDefaultItem, bool theAvbryt) {
    if (!aPopupMenu) return;
    TMenuItem* items = aPopupMenu->Items();
    int count = theOptions ? theOptions->Count() : 0;
    for (int i = 0; i < count; ++i) {
        auto* item = new TMenuItem(aPopupMenu);
        item->SetCaption(theOptions->Strings(i));
        item->SetOnClick(theEvent);
        items->Add(item);
        if (i == theDefaultItem) item->SetDefault(true);
    }
    if (theAvbryt) {
        auto* line = new TMenuItem(aPopupMenu);
        line->SetCaption("-");
        items->Add(line);
        auto* cancel = new TMenuItem(aPopupMenu);
        cancel->SetCaption("Avbryt");
        items->Add(cancel);
    }
}

int GStuff::UserOptionStrings(TControl* theControl, int x, int y, TStrings* theOptions, int theDefaultItem) {
    gChosenOption = -1;
    // The menu owns its items: freeing it frees them, also when an exception passes. It goes
    // before the handler that its items call.
    auto handler = std::make_unique<TPopUpHandler>();
    auto menu = std::make_unique<TPopupMenu>(nullptr);
    TPopUpHandler* h = handler.get();
    CreateMenuOptions(
        menu.get(), theOptions, [h](TObject* Sender) { h->UserOptionClick(Sender); }, theDefaultItem, true);
    TPoint at = theControl ? theControl->ClientToScreen(TPoint(x, y)) : TPoint(x, y);
    menu->Popup(at.X, at.Y);
    // The click of the chosen item arrives through the message queue.
    Application()->ProcessMessages();
    return gChosenOption;
}

int GStuff::UserOption(TControl* theControl, int x, int y, const std::vector<String>& theOptions,
                       int theDefaultItem) {
    TStringList options;
    for (const String& s : theOptions)
        options.Add(s);
    return UserOptionStrings(theControl, x, y, &options, theDefaultItem);
}
