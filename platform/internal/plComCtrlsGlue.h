// Private to platform/: the Qt parts of the tree view (its scroll bars and the label editor)
// and the access the free functions and Qt's callbacks need to its private members.
#pragma once

#include "platform/plComCtrls.h"

#include <QPointer>

#include <memory>
#include <vector>

class QLineEdit;
class QScrollBar;
class QObject;

namespace xo {

struct TTreeViewImpl {
    QPointer<QScrollBar> vbar;
    QPointer<QScrollBar> hbar;
    QPointer<QLineEdit> editor;
    QObject* editorFilter = nullptr; // owned by the editor
    bool settingBars = false;        // the control moves its bars itself
    int trackPos[2] = {0, 0};        // SB_HORZ, SB_VERT: where the user dragged the bar
    bool tracking[2] = {false, false};
    // What the bars were last given, so that only changes reach Qt.
    int applied[2][6] = {{-1, -1, -1, -1, -1, -1}, {-1, -1, -1, -1, -1, -1}};
    int wheelAccumulator = 0;
    std::unique_ptr<TTimer> editTimer; // a click on the selected label starts editing later

    // The node under the last left press, for drags and for click-to-edit.
    TTreeNode* pressNode = nullptr;
    TPoint pressPoint;
    bool dragPending = false;
    bool editCandidate = false;

    // Node pointers that must read none once their node is destroyed (see TNodeWatch).
    std::vector<TTreeNode**> watches;
    // Cleared when the control is destroyed, so that a handler that frees it can be noticed.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);

    TTreeViewImpl();
    ~TTreeViewImpl();
};

// Keeps a node pointer that reads none as soon as its node is destroyed, while a handler that
// may delete nodes runs.
class TNodeWatch {
public:
    TNodeWatch(TTreeViewImpl& aImpl, TTreeNode* aNode);
    ~TNodeWatch();
    TNodeWatch(const TNodeWatch&) = delete;
    TNodeWatch& operator=(const TNodeWatch&) = delete;
    TTreeNode* Get() const { return fNode; }
    void Set(TTreeNode* aNode) { fNode = aNode; }
    explicit operator bool() const { return fNode != nullptr; }

private:
    TTreeViewImpl& fImpl;
    TTreeNode* fNode;
};

struct TTreeViewAccess {
    static TTreeViewImpl& Impl(TCustomTreeView* c) { return *c->fTreeImpl; }
    static bool ReadScrollInfo(TCustomTreeView* c, int aBar, TScrollInfo& aInfo) {
        return c->ReadScrollInfo(aBar, aInfo);
    }
    static int WriteScrollInfo(TCustomTreeView* c, int aBar, const TScrollInfo& aInfo) {
        return c->WriteScrollInfo(aBar, aInfo);
    }
    static void HideScrollBar(TCustomTreeView* c, int aBar, bool aHide) { c->HideScrollBar(aBar, aHide); }
    static void ScrollBarMoved(TCustomTreeView* c, bool aVertical, int aValue) {
        c->ScrollBarMoved(aVertical, aValue);
    }
    static void EditorKey(TCustomTreeView* c, uint16_t aKey, const std::u32string& aChars, TShiftState aShift,
                          bool aRelease, bool& aConsumed) {
        c->EditorKey(aKey, aChars, aShift, aRelease, aConsumed);
    }
    static void FinishEdit(TCustomTreeView* c, bool aCancel) { c->FinishEdit(aCancel); }
    static TTreeNode* EditNode(TCustomTreeView* c) { return c->fEditNode; }
};

// Shows the label editor over aRect (client coordinates) with aText, focused and selected.
void StartTreeEditor(TCustomTreeView* aTree, const TRect& aRect, const String& aText);
// The editor's text (empty without one).
String TreeEditorText(TCustomTreeView* aTree);
// Closes the editor (deleted once Qt has left its events), giving the focus back to the tree
// when the editor had it.
void CloseTreeEditor(TCustomTreeView* aTree);

} // namespace xo
