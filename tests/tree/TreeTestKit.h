// Shared fixture of the tree tests: a shown form with a tree, and a comparison of the native
// nodes with the entities they mirror.
#pragma once

#include "platform/plForms.h"
#include "platform/plTestInput.h"
#include "tree/xoTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace treetest {

inline bool IsPlaceholder(TTreeNode* n) {
    return n && !n->Data() && n->Text() == "Not initiated";
}

// Loaded entities of a list, in order.
inline std::vector<TxoDataEntity_Tree*> Entities(TxoDataList* list) {
    std::vector<TxoDataEntity_Tree*> r;
    if (!list) return r;
    for (int i = 0; i < list->LoadedCount(); ++i)
        r.push_back(static_cast<TxoDataEntity_Tree*>(list->GetLoaded(i)));
    return r;
}

// Describes the first difference between the entities and the native nodes, or answers "".
// The rules: every entity that is not hidden has a node under its parent's node, in list
// order, with its text, images and expanded state; a childless entity may have one
// placeholder child; the children of an entity whose node does not show them (collapsed or
// hidden by a collapsed parent) may still wait behind its placeholder; nothing else is in the
// native tree.
inline std::string MirrorDifference(TxoTree_ComBasic* tree) {
    struct Level {
        TxoDataList* list;
        TTreeNode* parentNode;
        std::string path;
    };
    std::vector<Level> todo{{tree->RootDataEntities(), nullptr, ""}};
    while (!todo.empty()) {
        Level lv = todo.back();
        todo.pop_back();
        std::vector<TTreeNode*> natives;
        for (TTreeNode* n = lv.parentNode ? lv.parentNode->getFirstChild() : tree->Items()->GetFirstNode(); n;
             n = n->GetNextSibling())
            natives.push_back(n);
        std::vector<TxoDataEntity_Tree*> shown;
        for (TxoDataEntity_Tree* e : Entities(lv.list))
            if (!e->HideNode()) shown.push_back(e);
        TxoDataEntity_Tree* owner = lv.parentNode ? tree->GetDataEntityFromNode(lv.parentNode) : nullptr;
        if (shown.empty()) {
            if (natives.size() > 1 || (natives.size() == 1 && !IsPlaceholder(natives[0])))
                return lv.path + ": native children of a childless entity";
            continue;
        }
        // Children may wait behind the placeholder of a node that does not show them yet.
        if (owner && natives.size() == 1 && IsPlaceholder(natives[0]) &&
            (!lv.parentNode->IsVisible() || !lv.parentNode->Expanded()))
            continue;
        if (natives.size() != shown.size())
            return lv.path + ": " + std::to_string(natives.size()) + " native nodes for " +
                   std::to_string(shown.size()) + " entities";
        for (size_t i = 0; i < shown.size(); ++i) {
            TxoDataEntity_Tree* e = shown[i];
            TTreeNode* n = natives[i];
            std::string at = lv.path + "/" + e->Text();
            if (n->Data() != e || e->TreeNode() != n)
                return at + ": node and entity do not refer to each other";
            if (n->Text() != e->Text()) return at + ": text " + n->Text();
            if (n->ImageIndex() != e->ImageIndex()) return at + ": image index";
            if (n->SelectedIndex() != e->SelectedIndex()) return at + ": selected index";
            if (n->Expanded() != e->Expanded()) return at + ": expanded state";
            todo.push_back({e->ChildCount() > 0 ? e->SubDataList() : nullptr, n, at});
        }
    }
    return "";
}

struct TreeFixture : ::testing::Test {
    std::unique_ptr<TForm> form;
    TxoTree* tree = nullptr;
    void SetUp() override {
        form = std::make_unique<TForm>(nullptr);
        form->SetBounds(0, 0, 320, 320);
        tree = new TxoTree(form.get());
        tree->SetParent(form.get());
        tree->SetBounds(10, 10, 280, 280);
        xo::test::ShowForm(form.get());
        xo::test::Pump();
    }
    void TearDown() override {
        xo::test::ReleaseButtons();
        form.reset();
    }
    // Lets the message loop run: paints and deferred calls.
    void Paint() { xo::test::Pump(); }
    TxoDataEntity_Tree* Add(TxoDataEntity_Tree* owner, const std::string& text) {
        TxoDataEntity_Tree* e = tree->AddDataEntity(owner);
        e->SetText(text);
        return e;
    }
    // The centre of an entity's text rectangle.
    TPoint Label(TxoDataEntity_Tree* e) {
        TRect r = tree->GetRect(e);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    void ClickOn(TxoDataEntity_Tree* e, TShiftState shift = {}) {
        TPoint p = Label(e);
        xo::test::Click(tree, p.X, p.Y, mbLeft, shift);
        Paint();
    }
    // Texts of the selected entities, depth first.
    std::string SelectedTexts() {
        std::string s;
        std::vector<std::pair<TxoDataList*, int>> walk{{tree->RootDataEntities(), 0}};
        while (!walk.empty()) {
            auto& [list, pos] = walk.back();
            if (pos >= list->LoadedCount()) {
                walk.pop_back();
                continue;
            }
            auto* e = static_cast<TxoDataEntity_Tree*>(list->GetLoaded(pos++));
            if (e->Selected()) s += (s.empty() ? "" : ",") + e->Text();
            if (e->ChildCount() > 0) walk.push_back({e->SubDataList(), 0});
        }
        return s;
    }
};

} // namespace treetest
