// Common controls of the framework: the tree view with its nodes, and the scroll information
// of a window's own scroll bars.
//
//   auto* tree = new TCustomTreeView(form);
//   tree->SetParent(form);
//   TTreeNode* phase = tree->Items()->Add(nullptr, "Phase 1");
//   tree->Items()->AddChild(phase, "Design");
//   phase->SetExpanded(true);
//
// The tree view draws itself on its picture (see plControls.h): every visible node as a row
// of equal height with its lines, expand button, images and text, through the framework's
// custom-draw hooks, so that a descendant decides the colours and fonts of each node. Input
// arrives through the platform's event path and reaches the virtual handlers of the framework
// (CanChange, Change, CanExpand, Expand, ...) as the native control's notifications
// (CN_NOTIFY), which a descendant can filter in CNNotify.
#pragma once

#include "platform/plControls.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TTreeNode;
class TTreeNodes;
class TCustomTreeView;

namespace xo {
struct TTreeViewImpl;
struct TTreeViewAccess;
} // namespace xo

// ---- Messages, styles and notifications -----------------------------------------------------
constexpr uint32_t WM_WINDOWPOSCHANGING = 0x0046;
constexpr uint32_t WM_NOTIFY = 0x004E;
constexpr uint32_t WM_HSCROLL = 0x0114;
constexpr uint32_t WM_VSCROLL = 0x0115;
// Notifications of a native control, reflected back to the control itself.
constexpr uint32_t CN_BASE = 0xBC00;
constexpr uint32_t CN_NOTIFY = CN_BASE + WM_NOTIFY;

// Window styles the tree view honours.
constexpr uint32_t WS_HSCROLL = 0x00100000;
constexpr uint32_t WS_VSCROLL = 0x00200000;
constexpr uint32_t WS_BORDER = 0x00800000;
constexpr uint32_t TVS_HASBUTTONS = 0x0001;
constexpr uint32_t TVS_HASLINES = 0x0002;
constexpr uint32_t TVS_LINESATROOT = 0x0004;
constexpr uint32_t TVS_EDITLABELS = 0x0008;
constexpr uint32_t TVS_DISABLEDRAGDROP = 0x0010;
constexpr uint32_t TVS_SHOWSELALWAYS = 0x0020;
constexpr uint32_t TVS_NOTOOLTIPS = 0x0080;
constexpr uint32_t TVS_TRACKSELECT = 0x0200;
constexpr uint32_t TVS_FULLROWSELECT = 0x1000;

// The style a windowed control is created with; CreateParams may change it.
struct TCreateParams {
    uint32_t Style = 0;
    uint32_t ExStyle = 0;
};

// Notification codes (the wide-character forms are the ones sent; the narrow ones are known so
// that handlers can name them).
constexpr int NM_CLICK = -2;
constexpr int NM_DBLCLK = -3;
constexpr int NM_RCLICK = -5;
constexpr int NM_CUSTOMDRAW = -12;
constexpr int TVN_SELCHANGINGA = -401;
constexpr int TVN_SELCHANGEDA = -402;
constexpr int TVN_GETDISPINFOA = -403;
constexpr int TVN_SETDISPINFOA = -404;
constexpr int TVN_ITEMEXPANDINGA = -405;
constexpr int TVN_ITEMEXPANDEDA = -406;
constexpr int TVN_BEGINDRAGA = -407;
constexpr int TVN_BEGINRDRAGA = -408;
constexpr int TVN_DELETEITEMA = -409;
constexpr int TVN_BEGINLABELEDITA = -410;
constexpr int TVN_ENDLABELEDITA = -411;
constexpr int TVN_KEYDOWN = -412;
constexpr int TVN_SELCHANGINGW = -450;
constexpr int TVN_SELCHANGEDW = -451;
constexpr int TVN_GETDISPINFOW = -452;
constexpr int TVN_SETDISPINFOW = -453;
constexpr int TVN_ITEMEXPANDINGW = -454;
constexpr int TVN_ITEMEXPANDEDW = -455;
constexpr int TVN_BEGINDRAGW = -456;
constexpr int TVN_BEGINRDRAGW = -457;
constexpr int TVN_DELETEITEMW = -458;
constexpr int TVN_BEGINLABELEDITW = -459;
constexpr int TVN_ENDLABELEDITW = -460;

// Causes of a selection change (action of TVN_SELCHANGING/TVN_SELCHANGED) and of an expansion.
constexpr unsigned TVC_UNKNOWN = 0;
constexpr unsigned TVC_BYMOUSE = 1;
constexpr unsigned TVC_BYKEYBOARD = 2;
constexpr unsigned TVE_COLLAPSE = 1;
constexpr unsigned TVE_EXPAND = 2;

// Drawing stages of NM_CUSTOMDRAW.
constexpr uint32_t CDDS_PREPAINT = 0x0001;
constexpr uint32_t CDDS_POSTPAINT = 0x0002;
constexpr uint32_t CDDS_ITEM = 0x00010000;
constexpr uint32_t CDDS_ITEMPREPAINT = CDDS_ITEM | CDDS_PREPAINT;
constexpr uint32_t CDDS_ITEMPOSTPAINT = CDDS_ITEM | CDDS_POSTPAINT;
// Answer of an item's pre-paint notification: the control draws nothing more of the item.
constexpr LRESULT CDRF_SKIPDEFAULT = 0x0004;

enum TCustomDrawTarget { dtControl, dtItem, dtSubItem };
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
enum TCustomDrawStateItem {
    cdsSelected,
    cdsGrayed,
    cdsDisabled,
    cdsChecked,
    cdsFocused,
    cdsDefault,
    cdsHot,
    cdsMarked,
    cdsIndeterminate
};
using TCustomDrawState = TSet<TCustomDrawStateItem, 16>;

// One notification of the tree view (the framework's NMTREEVIEW with its relatives).
struct TNMTreeView {
    int code = 0;
    unsigned action = 0;          // TVC_* or TVE_*
    TTreeNode* itemOld = nullptr; // the node losing the selection
    TTreeNode* itemNew = nullptr; // the node concerned (gaining the selection, expanding, ...)
    TPoint ptDrag;                // client point of a drag's start
    // TVN_ENDLABELEDITW: the edited text, nullptr when the edit was cancelled.
    String* pszText = nullptr;
    // NM_CUSTOMDRAW: stage, device context, the item's row and its state.
    uint32_t dwDrawStage = 0;
    HDC hdc = nullptr;
    TRect rc;
    TCustomDrawState uItemState;
    bool paintImages = true; // a pre-paint handler may switch the images off
};

// CN_NOTIFY: LParam points to the notification. For TVN_SELCHANGING, TVN_ITEMEXPANDING and
// TVN_BEGINLABELEDIT a non-zero Result refuses; for an item's pre-paint, CDRF_SKIPDEFAULT skips
// the default drawing.
struct TWMNotifyTV : TMessageView {
    using TMessageView::TMessageView;
    TNMTreeView* NMTreeView() const { return reinterpret_cast<TNMTreeView*>(Message.LParam); }
};

// ---- Scroll information ---------------------------------------------------------------------
constexpr int SB_HORZ = 0;
constexpr int SB_VERT = 1;
constexpr int SB_CTL = 2;
constexpr int SB_BOTH = 3;
// Scroll codes of WM_HSCROLL / WM_VSCROLL (low word of WParam; the position in the high word).
constexpr int SB_LINEUP = 0;
constexpr int SB_LINELEFT = 0;
constexpr int SB_LINEDOWN = 1;
constexpr int SB_LINERIGHT = 1;
constexpr int SB_PAGEUP = 2;
constexpr int SB_PAGELEFT = 2;
constexpr int SB_PAGEDOWN = 3;
constexpr int SB_PAGERIGHT = 3;
constexpr int SB_THUMBPOSITION = 4;
constexpr int SB_THUMBTRACK = 5;
constexpr int SB_TOP = 6;
constexpr int SB_LEFT = 6;
constexpr int SB_BOTTOM = 7;
constexpr int SB_RIGHT = 7;
constexpr int SB_ENDSCROLL = 8;
constexpr uint32_t SIF_RANGE = 0x0001;
constexpr uint32_t SIF_PAGE = 0x0002;
constexpr uint32_t SIF_POS = 0x0004;
constexpr uint32_t SIF_DISABLENOSCROLL = 0x0008;
constexpr uint32_t SIF_TRACKPOS = 0x0010;
constexpr uint32_t SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// A window's scroll bar: positions nMin..nMax, of which nPage are in view from nPos on. A bar
// that is not needed (everything in view) reads all zeros.
struct TScrollInfo {
    uint32_t cbSize = sizeof(TScrollInfo);
    uint32_t fMask = SIF_ALL;
    int nMin = 0;
    int nMax = 0;
    unsigned nPage = 0;
    int nPos = 0;
    int nTrackPos = 0;
};

// The scroll bars of a window that has its own (the tree view: rows vertically, pixels
// horizontally). GetScrollInfo fills the fields fMask asks for and answers false for windows
// without scroll bars; SetScrollInfo sets the position (SIF_POS) and answers it.
bool GetScrollInfo(HWND Wnd, int BarFlag, TScrollInfo* ScrollInfo);
int SetScrollInfo(HWND Wnd, int BarFlag, const TScrollInfo& ScrollInfo, bool Redraw);
// Shows or hides a window's scroll bar for good (SB_HORZ, SB_VERT or SB_BOTH): a hidden bar
// does not come back when the content outgrows the window.
bool ShowScrollBar(HWND Wnd, int BarFlag, bool Show);

// ---- Tree nodes -----------------------------------------------------------------------------
enum TNodeAttachMode { naAdd, naAddFirst, naAddChild, naAddChildFirst, naInsert };
enum THitTest {
    htAbove,
    htBelow,
    htNowhere,
    htOnItem,
    htOnButton,
    htOnIcon,
    htOnIndent,
    htOnLabel,
    htOnRight,
    htOnStateIcon,
    htToLeft,
    htToRight
};
using THitTests = TSet<THitTest, 16>;

// Negative when Node1 sorts first.
using TTVCompare = std::function<int(TTreeNode* Node1, TTreeNode* Node2)>;

// A node of a tree view: text, images, a data pointer of the application, children. Created
// by the tree's nodes (TTreeNodes, through the view's CreateNode) and destroyed by Delete (or
// with its parent or the tree); a node that is destroyed takes its children with it.
class TTreeNode : public TPersistent {
public:
    explicit TTreeNode(TTreeNodes* AOwner);
    ~TTreeNode() override;
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;
    String ClassName() const override { return "TTreeNode"; }

    TTreeNodes* Owner() const { return fOwner; }
    TCustomTreeView* TreeView() const;

    const String& Text() const { return fText; }
    void SetText(const String& Value);
    void* Data() const { return fData; }
    void SetData(void* Value) { fData = Value; }
    int ImageIndex() const { return fImageIndex; }
    void SetImageIndex(int Value);
    int SelectedIndex() const { return fSelectedIndex; }
    void SetSelectedIndex(int Value);
    int StateIndex() const { return fStateIndex; }
    void SetStateIndex(int Value);

    // Expanding asks the tree first (TVN_ITEMEXPANDING, CanExpand); the node is expanded,
    // then the tree hears of it (TVN_ITEMEXPANDED, Expand). Collapsing likewise. A node may be
    // expanded without children: its children show as soon as it gets some.
    bool Expanded() const { return fExpanded; }
    void SetExpanded(bool Value);
    void Expand(bool Recurse);
    void Collapse(bool Recurse);
    // Whether the node shows an expand button: it has children, or HasChildren was set.
    bool HasChildren() const { return fHasChildren || fChildren.count > 0; }
    void SetHasChildren(bool Value);

    // ---- walks
    TTreeNode* Parent() const { return fParent; }
    int Level() const;
    // Position among its siblings.
    int Index() const;
    int Count() const { return fChildren.count; }
    // The child at Index, nullptr out of range.
    TTreeNode* Item(int Index) const;
    TTreeNode* getFirstChild() const { return fChildren.first; }
    TTreeNode* GetLastChild() const { return fChildren.last; }
    TTreeNode* GetNextSibling() const { return fNext; }
    TTreeNode* GetPrevSibling() const { return fPrev; }
    // Depth first, as the tree lists its nodes.
    TTreeNode* GetNext() const;
    TTreeNode* GetPrev() const;
    // The next / previous node of the ones the tree shows (every ancestor expanded).
    TTreeNode* GetNextVisible() const;
    TTreeNode* GetPrevVisible() const;
    TTreeNode* GetNextChild(TTreeNode* Value) const { return Value ? Value->fNext : nullptr; }
    TTreeNode* GetPrevChild(TTreeNode* Value) const { return Value ? Value->fPrev : nullptr; }
    // Position in the depth-first order of all nodes of the tree.
    int AbsoluteIndex() const;
    bool HasAsParent(const TTreeNode* Value) const;
    // Every ancestor is expanded (the node is in the tree's rows, scrolled into view or not).
    bool IsVisible() const;
    bool Deleting() const { return fDeleting; }

    bool Selected() const;
    void SetSelected(bool Value);
    // The node that has the selection and the keyboard focus.
    bool Focused() const;

    // Destroys the node and its children (nothing while it is already being destroyed).
    void Delete();
    void DeleteChildren();
    // Moves the node (with its children) relative to Destination; none as Destination means
    // the root level. Moving a node under itself or its own descendants does nothing.
    void MoveTo(TTreeNode* Destination, TNodeAttachMode Mode);
    // Expands the ancestors and scrolls the node into view.
    void MakeVisible();
    // The text rectangle (TextOnly) or the whole row, in client coordinates; empty (all zero)
    // while the node is not among the tree's rows.
    TRect DisplayRect(bool TextOnly) const;
    // Starts label editing (the tree may refuse); EndEdit ends it.
    bool EditText();
    void EndEdit(bool Cancel);
    // Sorts the children (and their children with Recurse); stable.
    bool CustomSort(const TTVCompare& SortProc, bool Recurse = false);
    bool AlphaSort(bool Recurse = false);

private:
    friend class TTreeNodes;
    friend class TCustomTreeView;
    friend struct xo::TTreeViewAccess;

    // The children of a node or the roots of a tree.
    struct TChildren {
        TTreeNode* first = nullptr;
        TTreeNode* last = nullptr;
        int count = 0;
        unsigned stamp = 1; // changes with every change of the order
    };
    TChildren& SiblingList() const;
    void Unlink();
    void LinkBefore(TTreeNode* aParent, TTreeNode* aNext);
    void MarkSubtreeDeleting();
    void Changed(bool aResize);
    // Sorts a sibling list stably; aSorted gets the new order. Answers whether it changed.
    static bool
    SortChildren(TChildren& aList, const TTVCompare& aProc,
                 std::vector<TTreeNode*>& aSorted); // repaint (and, with aResize, remeasure) the node's row

    TTreeNodes* fOwner;
    TTreeNode* fParent = nullptr;
    TTreeNode* fPrev = nullptr;
    TTreeNode* fNext = nullptr;
    TChildren fChildren;
    String fText;
    void* fData = nullptr;
    int fImageIndex = -1;
    int fSelectedIndex = -1;
    int fStateIndex = -1;
    bool fExpanded = false;
    bool fHasChildren = false;
    bool fDeleting = false;
    bool fLinked = false;
    // Caches.
    mutable int fIndex = 0;
    mutable unsigned fIndexStamp = 0;
    mutable int fAbsIndex = -1;
    int fRow = -1;       // row in the tree's rows while they are up to date
    int fTextWidth = -1; // in the tree's font; -1: not measured
};

// The nodes of a tree view.
class TTreeNodes : public TPersistent {
public:
    explicit TTreeNodes(TCustomTreeView* AOwner);
    ~TTreeNodes() override;
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;
    String ClassName() const override { return "TTreeNodes"; }

    TCustomTreeView* Owner() const { return fOwner; }
    // All nodes of the tree.
    int Count() const { return fCount; }
    // The node at an absolute index (depth-first order); nullptr out of range.
    TTreeNode* Item(int Index) const;
    TTreeNode* GetFirstNode() const { return fRoots.first; }

    // Adding: Add puts the new node last among Sibling's siblings (last root when Sibling is
    // none), AddFirst first; AddChild last among Parent's children (a root when Parent is
    // none), AddChildFirst first; Insert puts it before Sibling (last root when none).
    TTreeNode* Add(TTreeNode* Sibling, const String& S) { return AddObject(Sibling, S, nullptr); }
    TTreeNode* AddObject(TTreeNode* Sibling, const String& S, void* Ptr);
    TTreeNode* AddFirst(TTreeNode* Sibling, const String& S) { return AddObjectFirst(Sibling, S, nullptr); }
    TTreeNode* AddObjectFirst(TTreeNode* Sibling, const String& S, void* Ptr);
    TTreeNode* AddChild(TTreeNode* Parent, const String& S) { return AddChildObject(Parent, S, nullptr); }
    TTreeNode* AddChildObject(TTreeNode* Parent, const String& S, void* Ptr);
    TTreeNode* AddChildFirst(TTreeNode* Parent, const String& S) {
        return AddChildObjectFirst(Parent, S, nullptr);
    }
    TTreeNode* AddChildObjectFirst(TTreeNode* Parent, const String& S, void* Ptr);
    TTreeNode* Insert(TTreeNode* Sibling, const String& S) { return InsertObject(Sibling, S, nullptr); }
    TTreeNode* InsertObject(TTreeNode* Sibling, const String& S, void* Ptr);

    void Delete(TTreeNode* Node);
    // Deletes every node, the last root first.
    void Clear();
    // Brackets many changes: the tree lays out and repaints once, at EndUpdate.
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return fUpdateCount > 0; }
    // Sorts the roots (and everything below them with Recurse).
    bool CustomSort(const TTVCompare& SortProc, bool Recurse = false);
    bool AlphaSort(bool Recurse = false);

private:
    friend class TTreeNode;
    friend class TCustomTreeView;
    friend struct xo::TTreeViewAccess;
    // A new node from the view, linked under aParent before aNext (nullptr: last).
    TTreeNode* InternalAdd(TTreeNode* aParent, TTreeNode* aNext, const String& S, void* Ptr);
    void StructureChanged();
    void EnsureAbsolute() const;

    TCustomTreeView* fOwner;
    TTreeNode::TChildren fRoots;
    int fCount = 0;
    int fUpdateCount = 0;
    mutable std::vector<TTreeNode*> fAbsolute; // depth-first order, while fAbsoluteValid
    mutable bool fAbsoluteValid = false;
};

// ---- TCustomTreeView ------------------------------------------------------------------------
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, String& S)>;
using TTVCustomDrawItemEvent =
    std::function<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State, bool& DefaultDraw)>;
using TTVAdvancedCustomDrawItemEvent =
    std::function<void(TCustomTreeView* Sender, TTreeNode* Node, TCustomDrawState State,
                       TCustomDrawStage Stage, bool& PaintImages, bool& DefaultDraw)>;

// A tree view. One node at most is selected (the caret); it shows highlighted unless a
// custom-draw handler decides otherwise. Vertical scrolling is by rows, horizontal by pixels.
class TCustomTreeView : public TCustomControl {
public:
    explicit TCustomTreeView(TComponent* AOwner);
    ~TCustomTreeView() override;
    String ClassName() const override { return "TCustomTreeView"; }

    TTreeNodes* Items() const { return fItems.get(); }

    // The selected node. Setting it asks TVN_SELCHANGING (CanChange), expands the ancestors,
    // scrolls it into view and reports TVN_SELCHANGED (Change); none clears the selection.
    TTreeNode* Selected() const { return fSelected; }
    void SetSelected(TTreeNode* Value);
    // The node in the top row; setting it expands its ancestors and scrolls it to the top as
    // far as the rows allow (none: the first row).
    TTreeNode* TopItem();
    void SetTopItem(TTreeNode* Value);
    // The node whose row is at a client point (any x inside the client area), or nullptr.
    TTreeNode* GetNodeAt(int X, int Y);
    THitTests GetHitTestInfoAt(int X, int Y);
    bool IsEditing() const;
    // The node whose label is being edited, or nullptr.
    TTreeNode* EditingNode() const { return fEditNode; }
    void FullExpand();
    void FullCollapse();
    bool AlphaSort(bool Recurse = true) { return fItems->AlphaSort(Recurse); }
    bool CustomSort(const TTVCompare& SortProc, bool Recurse = true) {
        return fItems->CustomSort(SortProc, Recurse);
    }
    // Rows the tree shows (nodes whose ancestors are all expanded).
    int VisibleRowCount();
    // Height of every row in pixels: the font's text height plus 4, at least an image's
    // height plus 2; SetItemHeight fixes it (0 or less: back to the computed height).
    int ItemHeight();
    void SetItemHeight(int Value);

    // ---- appearance and behaviour
    TCustomImageList* Images() const { return fImages; }
    void SetImages(TCustomImageList* Value);
    TCustomImageList* StateImages() const { return fStateImages; }
    void SetStateImages(TCustomImageList* Value);
    int Indent() const { return fIndent; }
    void SetIndent(int Value);
    TBorderStyle BorderStyle() const { return fBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // Extra space inside the border, on every side.
    int BorderWidth() const { return fBorderWidth; }
    void SetBorderWidth(int Value);
    bool ShowButtons() const { return fShowButtons; }
    void SetShowButtons(bool Value);
    bool ShowLines() const { return fShowLines; }
    void SetShowLines(bool Value);
    bool ShowRoot() const { return fShowRoot; }
    void SetShowRoot(bool Value);
    bool ReadOnly() const { return fReadOnly; }
    void SetReadOnly(bool Value);
    bool HideSelection() const { return fHideSelection; }
    void SetHideSelection(bool Value);
    bool RowSelect() const { return fRowSelect; }
    void SetRowSelect(bool Value);
    bool HotTrack() const { return fHotTrack; }
    void SetHotTrack(bool Value) { fHotTrack = Value; }
    bool ToolTips() const { return fToolTips; }
    void SetToolTips(bool Value) { fToolTips = Value; }
    bool RightClickSelect() const { return fRightClickSelect; }
    void SetRightClickSelect(bool Value) { fRightClickSelect = Value; }
    // Milliseconds between a selection change and OnChange; kept for the application (the
    // change is reported at once).
    int ChangeDelay() const { return fChangeDelay; }
    void SetChangeDelay(int Value) { fChangeDelay = Value; }
    // The picture is always composed off screen; kept for the application.
    bool DoubleBuffered() const { return fDoubleBuffered; }
    void SetDoubleBuffered(bool Value) { fDoubleBuffered = Value; }

    // ---- events
    TTVChangingEvent OnChanging() const { return fOnChanging; }
    void SetOnChanging(TTVChangingEvent Value) { fOnChanging = std::move(Value); }
    TTVChangedEvent OnChange() const { return fOnChange; }
    void SetOnChange(TTVChangedEvent Value) { fOnChange = std::move(Value); }
    TTVExpandingEvent OnExpanding() const { return fOnExpanding; }
    void SetOnExpanding(TTVExpandingEvent Value) { fOnExpanding = std::move(Value); }
    TTVExpandedEvent OnExpanded() const { return fOnExpanded; }
    void SetOnExpanded(TTVExpandedEvent Value) { fOnExpanded = std::move(Value); }
    TTVCollapsingEvent OnCollapsing() const { return fOnCollapsing; }
    void SetOnCollapsing(TTVCollapsingEvent Value) { fOnCollapsing = std::move(Value); }
    TTVExpandedEvent OnCollapsed() const { return fOnCollapsed; }
    void SetOnCollapsed(TTVExpandedEvent Value) { fOnCollapsed = std::move(Value); }
    TTVExpandedEvent OnDeletion() const { return fOnDeletion; }
    void SetOnDeletion(TTVExpandedEvent Value) { fOnDeletion = std::move(Value); }
    TTVEditingEvent OnEditing() const { return fOnEditing; }
    void SetOnEditing(TTVEditingEvent Value) { fOnEditing = std::move(Value); }
    TTVEditedEvent OnEdited() const { return fOnEdited; }
    void SetOnEdited(TTVEditedEvent Value) { fOnEdited = std::move(Value); }
    TTVCustomDrawItemEvent OnCustomDrawItem() const { return fOnCustomDrawItem; }
    void SetOnCustomDrawItem(TTVCustomDrawItemEvent Value);
    TTVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem() const { return fOnAdvancedCustomDrawItem; }
    void SetOnAdvancedCustomDrawItem(TTVAdvancedCustomDrawItemEvent Value);

    // The tree keeps the focus while its label editor has it.
    bool Focused() const override;

    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;

protected:
    // Creates every node of the tree; descendants create nodes of their own class.
    virtual TTreeNode* CreateNode();
    // The style the tree is made with; the base derives it from the properties. Called again
    // whenever one of them changes.
    virtual void CreateParams(TCreateParams& Params);
    // The window's style as CreateParams gives it (asked again after every change of the
    // properties it depends on).
    const TCreateParams& Params();
    // Asks CreateParams again (after a descendant changed what it answers).
    void RecreateParams();
    // Invalidates the whole window unless that is pending already (cheap in bursts).
    void RequestRepaint();

    // The native control's notifications; the base handles each by the virtual handlers below.
    virtual void CNNotify(TWMNotifyTV& Message);
    virtual bool CanChange(TTreeNode* Node);
    virtual void Change(TTreeNode* Node);
    virtual bool CanExpand(TTreeNode* Node);
    virtual void Expand(TTreeNode* Node);
    virtual bool CanCollapse(TTreeNode* Node);
    virtual void Collapse(TTreeNode* Node);
    virtual bool CanEdit(TTreeNode* Node);
    // The label edit ended with S (not called when it was cancelled); the base raises
    // OnEdited, which may change S, then sets the node's text.
    virtual void Edit(TTreeNode* Node, String& S);
    // A node is being destroyed: raises OnDeletion.
    virtual void Delete(TTreeNode* Node);
    virtual bool IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage);
    // Raises the custom-draw events for a node (Canvas holds the colours and the font it will
    // be drawn with); answers whether the default drawing follows.
    virtual bool CustomDrawItem(TTreeNode* Node, TCustomDrawState State, TCustomDrawStage Stage,
                                bool& PaintImages);

    void Paint() override;
    void WMGetDlgCode(TWMGetDlgCode& Message) override;
    void WMMouseWheel(TWMMouseWheel& Message) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    int NonClientInset() const override;
    void PaintNonClient(HDC DC) override;
    void FontChanged() override;
    void Resize() override;
    void WMSetFocus(TWMSetFocus& Message) override;
    void WMKillFocus(TWMKillFocus& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

public:
    TRect ClientRect() const override;

private:
    friend class TTreeNode;
    friend class TTreeNodes;
    friend struct xo::TTreeViewAccess;

    // ---- layout (plComCtrls_Layout.cpp)
    struct TRowGeometry {
        int buttonCenter; // x of the expand button's centre
        int stateLeft;    // left of the state image (if any)
        int imageLeft;    // left of the image (if any)
        int textLeft;     // left of the text rectangle
        int textRight;    // right of the text rectangle
    };
    void InvalidateRows();
    void InvalidateExtent();
    void NeedRepaint();
    void EnsureLayout();
    void RebuildRows();
    int TextWidthOf(TTreeNode* Node);
    TRowGeometry GeometryOf(TTreeNode* Node);
    int RowOf(const TTreeNode* Node);
    int PageRows() const;
    int MaxTopRow() const;
    void SetTopRow(int Row);
    void SetHorzPos(int Pos);
    void ScrollIntoView(TTreeNode* Node);
    void ApplyScrollBars();
    bool ReadScrollInfo(int BarFlag, TScrollInfo& Info);
    int WriteScrollInfo(int BarFlag, const TScrollInfo& Info);
    void HideScrollBar(int BarFlag, bool Hide);
    void ScrollMessage(uint32_t Msg, int Code, int Pos);
    void ScrollBarMoved(bool aVertical, int aValue);

    // ---- behaviour (plComCtrls_TreeView.cpp)
    LRESULT Notify(TNMTreeView& aNotify);
    bool DoSelect(TTreeNode* Node, unsigned aAction);
    bool DoExpand(TTreeNode* Node, bool aExpand);
    void NodeDestroying(TTreeNode* Node);
    bool BeginEdit(TTreeNode* Node);
    void FinishEdit(bool aCancel);
    void NativeMouse(TMessage& Message);
    void NativeKey(uint16_t aKey, TShiftState aShift);
    void MouseWheelScroll(int aDelta);
    TTreeNode* FirstRowNode();
    TTreeNode* LastRowNode();
    static int ScrollBarExtent();
    uint32_t Style() { return Params().Style; }
    bool HasButton(TTreeNode* Node);
    void EditorKey(uint16_t aKey, const std::u32string& aChars, TShiftState aShift, bool aRelease,
                   bool& aConsumed);
    void StartEditTimer();
    void EditTimerTick(TObject* Sender);
    void ReleaseWidgetParts();

    // ---- painting (plComCtrls_Paint.cpp)
    void DrawNode(TTreeNode* Node, int aRow, int aTop);
    void DrawTreeLines(TTreeNode* Node, const TRowGeometry& g, int aTop);
    // (plComCtrls_Widget.cpp) The scroll bars as Qt draws them, and the corner between them.
    void PaintScrollBars(HDC DC);

    std::unique_ptr<TTreeNodes> fItems;
    std::unique_ptr<xo::TTreeViewImpl> fTreeImpl;
    TCreateParams fParams;
    bool fParamsValid = false;
    TTreeNode* fSelected = nullptr;
    TTreeNode* fEditNode = nullptr;
    TTreeNode* fTopNode = nullptr; // node of the top row (the vertical position)
    int fTopRow = 0;               // its row while the rows are up to date
    int fHorzPos = 0;              // horizontal position in pixels
    std::vector<TTreeNode*> fRows; // the visible nodes, while fRowsValid
    bool fRowsValid = false;
    bool fExtentValid = false;
    int fExtent = 0; // widest row, in pixels from the left edge at position 0
    bool fLayingOut = false;
    bool fLayoutReady = false;  // the view is fully constructed (CreateParams may be asked)
    bool fVertBarShown = false; // as the last layout decided
    bool fHorzBarShown = false;
    bool fVertBarHidden = false; // hidden for good (ShowScrollBar)
    bool fHorzBarHidden = false;
    int fClientWidth = 0;
    int fClientHeight = 0;
    int fItemHeight = 0; // fixed by SetItemHeight, 0: computed

    TCustomImageList* fImages = nullptr;
    TCustomImageList* fStateImages = nullptr;
    int fIndent = 19;
    TBorderStyle fBorderStyle = bsSingle;
    int fBorderWidth = 0;
    bool fShowButtons = true;
    bool fShowLines = true;
    bool fShowRoot = true;
    bool fReadOnly = false;
    bool fHideSelection = true;
    bool fRowSelect = false;
    bool fHotTrack = false;
    bool fToolTips = true;
    bool fRightClickSelect = false;
    int fChangeDelay = 0;
    bool fDoubleBuffered = false;

    TTVChangingEvent fOnChanging;
    TTVChangedEvent fOnChange;
    TTVExpandingEvent fOnExpanding;
    TTVExpandedEvent fOnExpanded;
    TTVCollapsingEvent fOnCollapsing;
    TTVExpandedEvent fOnCollapsed;
    TTVExpandedEvent fOnDeletion;
    TTVEditingEvent fOnEditing;
    TTVEditedEvent fOnEdited;
    TTVCustomDrawItemEvent fOnCustomDrawItem;
    TTVAdvancedCustomDrawItemEvent fOnAdvancedCustomDrawItem;
};
