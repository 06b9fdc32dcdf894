// The tree view's layout: the rows (visible nodes) rebuilt lazily, the geometry of a row, the
// scroll positions, hit tests, and the scroll information of its scroll bars.
#include "platform/internal/plComCtrlsGlue.h"
#include "platform/internal/plControlGlue.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/plComCtrls.h"

#include <algorithm>

namespace {
constexpr int kLeftMargin = 2; // left of the first indent column
constexpr int kImageGap = 2;   // after an image
constexpr int kTextPad = 2;    // on both sides of the text, inside its rectangle
constexpr int kLinePixels = 8; // one horizontal line step
} // namespace

// ---- Out of date ----------------------------------------------------------------------------
void TCustomTreeView::InvalidateRows() {
    fRowsValid = false;
    fExtentValid = false;
    NeedRepaint();
}

void TCustomTreeView::InvalidateExtent() {
    fExtentValid = false;
    NeedRepaint();
}

void TCustomTreeView::NeedRepaint() {
    if (fItems->Updating() || !HandleAllocated() || ComponentState().Contains(csDestroying)) return;
    // Changes come in bursts: one invalidation of the whole window is enough until it is painted.
    const xo::TWinControlImpl& im = xo::TControlAccess::Impl(this);
    if (im.widget && im.invalid.contains(QRect(QPoint(0, 0), im.widget->size()))) return;
    Invalidate();
}

void TCustomTreeView::RequestRepaint() {
    NeedRepaint();
}

// ---- Rows -----------------------------------------------------------------------------------
void TCustomTreeView::RebuildRows() {
    fRows.clear();
    for (TTreeNode* n = fItems->fRoots.first; n;) {
        n->fRow = int(fRows.size());
        fRows.push_back(n);
        if (n->fExpanded && n->fChildren.first) {
            n = n->fChildren.first;
            continue;
        }
        while (n && !n->fNext)
            n = n->fParent;
        if (n) n = n->fNext;
    }
    fRowsValid = true;
    fExtentValid = false;
}

int TCustomTreeView::TextWidthOf(TTreeNode* Node) {
    if (Node->fTextWidth < 0) {
        const xo::TFontData& f = Font()->Data(kScreenPixelsPerInch);
        Node->fTextWidth =
            f.metrics.horizontalAdvance(QString::fromUtf8(Node->fText.data(), qsizetype(Node->fText.size())));
    }
    return Node->fTextWidth;
}

TCustomTreeView::TRowGeometry TCustomTreeView::GeometryOf(TTreeNode* Node) {
    int levels = Node->Level() + ((Style() & TVS_LINESATROOT) ? 1 : 0);
    int base = kLeftMargin + levels * fIndent - fHorzPos;
    TRowGeometry g;
    g.buttonCenter = base - (fIndent + 1) / 2;
    g.stateLeft = base;
    int x = base;
    if (fStateImages) x += fStateImages->Width() + kImageGap;
    g.imageLeft = x;
    if (fImages) x += fImages->Width() + kImageGap;
    g.textLeft = x;
    g.textRight = x + TextWidthOf(Node) + 2 * kTextPad;
    return g;
}

int TCustomTreeView::ItemHeight() {
    if (fItemHeight > 0) return fItemHeight;
    int h = Font()->Data(kScreenPixelsPerInch).height + 4;
    if (fImages) h = std::max(h, fImages->Height() + 2);
    if (fStateImages) h = std::max(h, fStateImages->Height() + 2);
    return std::max(h, 1);
}

void TCustomTreeView::SetItemHeight(int Value) {
    Value = std::max(Value, 0);
    if (Value == fItemHeight) return;
    fItemHeight = Value;
    NeedRepaint();
}

int TCustomTreeView::PageRows() const {
    return fClientHeight / std::max(1, const_cast<TCustomTreeView*>(this)->ItemHeight());
}

int TCustomTreeView::MaxTopRow() const {
    return std::max(0, int(fRows.size()) - std::max(1, PageRows()));
}

int TCustomTreeView::RowOf(const TTreeNode* Node) {
    if (!Node || Node->fOwner != fItems.get() || !Node->IsVisible()) return -1;
    EnsureLayout();
    return Node->fRow;
}

int TCustomTreeView::VisibleRowCount() {
    EnsureLayout();
    return int(fRows.size());
}

TTreeNode* TCustomTreeView::FirstRowNode() {
    EnsureLayout();
    return fRows.empty() ? nullptr : fRows.front();
}

TTreeNode* TCustomTreeView::LastRowNode() {
    EnsureLayout();
    return fRows.empty() ? nullptr : fRows.back();
}

int TCustomTreeView::NonClientInset() const {
    return (fBorderStyle == bsSingle ? 2 : 0) + fBorderWidth;
}

TRect TCustomTreeView::ClientRect() const {
    if (fLayoutReady) {
        const_cast<TCustomTreeView*>(this)->EnsureLayout();
        return TRect(0, 0, fClientWidth, fClientHeight);
    }
    int nc = NonClientInset();
    return TRect(0, 0, std::max(0, Width() - 2 * nc), std::max(0, Height() - 2 * nc));
}

// Decides the rows, the scroll bars, the client area and the positions; cheap when nothing
// changed.
void TCustomTreeView::EnsureLayout() {
    if (fLayingOut) return;
    fLayingOut = true;
    fLayoutReady = true;
    if (!fRowsValid) RebuildRows();
    if (!fExtentValid) {
        int saved = fHorzPos;
        fHorzPos = 0;
        int extent = 0;
        for (TTreeNode* n : fRows)
            extent = std::max(extent, GeometryOf(n).textRight);
        fHorzPos = saved;
        fExtent = extent + kLeftMargin;
        fExtentValid = true;
    }
    const int nc = NonClientInset();
    const int width = std::max(0, Width() - 2 * nc);
    const int height = std::max(0, Height() - 2 * nc);
    const int ext = ScrollBarExtent();
    const int ih = std::max(1, ItemHeight());
    const uint32_t style = Style();
    const bool allowV = !fVertBarHidden && (style & WS_VSCROLL);
    const bool allowH = !fHorzBarHidden && (style & WS_HSCROLL);
    const int rows = int(fRows.size());
    bool needV = false, needH = false;
    int cw = width, ch = height;
    for (int pass = 0; pass < 2; ++pass) {
        needV = allowV && rows > ch / ih;
        cw = std::max(0, width - (needV ? ext : 0));
        needH = allowH && fExtent > cw;
        ch = std::max(0, height - (needH ? ext : 0));
    }
    if (cw != fClientWidth || ch != fClientHeight || needV != fVertBarShown || needH != fHorzBarShown) {
        fClientWidth = cw;
        fClientHeight = ch;
        fVertBarShown = needV;
        fHorzBarShown = needH;
        NeedRepaint();
    }
    // The top row follows its node; a node that went out of sight hands over to its nearest
    // visible ancestor, a deleted one leaves its row number.
    if (fTopNode && !fTopNode->IsVisible()) {
        TTreeNode* p = fTopNode->fParent;
        while (p && !p->IsVisible())
            p = p->fParent;
        fTopNode = p;
    }
    int top = fTopNode ? fTopNode->fRow : fTopRow;
    top = std::clamp(top, 0, MaxTopRow());
    if (top != fTopRow) NeedRepaint();
    fTopRow = top;
    fTopNode = fRows.empty() ? nullptr : fRows[size_t(top)];
    int horz = std::clamp(fHorzPos, 0, std::max(0, fExtent - fClientWidth));
    if (horz != fHorzPos) {
        fHorzPos = horz;
        NeedRepaint();
    }
    fLayingOut = false;
    ApplyScrollBars();
}

void TCustomTreeView::SetTopRow(int Row) {
    EnsureLayout();
    Row = std::clamp(Row, 0, MaxTopRow());
    if (Row == fTopRow) return;
    fTopRow = Row;
    fTopNode = fRows.empty() ? nullptr : fRows[size_t(Row)];
    NeedRepaint();
    ApplyScrollBars();
}

void TCustomTreeView::SetHorzPos(int Pos) {
    EnsureLayout();
    Pos = std::clamp(Pos, 0, std::max(0, fExtent - fClientWidth));
    if (Pos == fHorzPos) return;
    fHorzPos = Pos;
    NeedRepaint();
    ApplyScrollBars();
}

void TCustomTreeView::ScrollIntoView(TTreeNode* Node) {
    int row = RowOf(Node);
    if (row < 0) return;
    int page = std::max(1, PageRows());
    if (row < fTopRow)
        SetTopRow(row);
    else if (row >= fTopRow + page)
        SetTopRow(row - page + 1);
}

// ---- Hit tests ------------------------------------------------------------------------------
TTreeNode* TCustomTreeView::GetNodeAt(int X, int Y) {
    EnsureLayout();
    if (X < 0 || Y < 0 || X >= fClientWidth || Y >= fClientHeight) return nullptr;
    size_t row = size_t(fTopRow + Y / std::max(1, ItemHeight()));
    return row < fRows.size() ? fRows[row] : nullptr;
}

THitTests TCustomTreeView::GetHitTestInfoAt(int X, int Y) {
    EnsureLayout();
    THitTests ht;
    if (X < 0) ht.Include(htToLeft);
    if (X >= fClientWidth) ht.Include(htToRight);
    if (Y < 0) ht.Include(htAbove);
    if (Y >= fClientHeight) ht.Include(htBelow);
    if (!ht.Empty()) return ht;
    TTreeNode* node = GetNodeAt(X, Y);
    if (!node) return THitTests{htNowhere};
    TRowGeometry g = GeometryOf(node);
    if (HasButton(node) && X >= g.stateLeft - fIndent && X < g.stateLeft)
        ht.Include(htOnButton);
    else if (X < g.stateLeft)
        ht.Include(htOnIndent);
    else if (fStateImages && X < g.imageLeft)
        ht += THitTests{htOnStateIcon, htOnItem};
    else if (fImages && X < g.textLeft)
        ht += THitTests{htOnIcon, htOnItem};
    else if (X < g.textRight)
        ht += THitTests{htOnLabel, htOnItem};
    else
        ht.Include(htOnRight);
    return ht;
}

// ---- Scrolling ------------------------------------------------------------------------------
bool TCustomTreeView::ReadScrollInfo(int BarFlag, TScrollInfo& Info) {
    EnsureLayout();
    TScrollInfo r;
    const xo::TTreeViewImpl& im = *fTreeImpl;
    if (BarFlag == SB_VERT) {
        int rows = int(fRows.size());
        int page = PageRows();
        if (rows > page && rows > 0) {
            r.nMax = rows - 1;
            r.nPage = unsigned(page);
            r.nPos = fTopRow;
            r.nTrackPos = im.tracking[SB_VERT] ? im.trackPos[SB_VERT] : fTopRow;
        }
    } else if (BarFlag == SB_HORZ) {
        if (fExtent > fClientWidth) {
            r.nMax = fExtent - 1;
            r.nPage = unsigned(fClientWidth);
            r.nPos = fHorzPos;
            r.nTrackPos = im.tracking[SB_HORZ] ? im.trackPos[SB_HORZ] : fHorzPos;
        }
    } else {
        return false;
    }
    if (Info.fMask & SIF_RANGE) {
        Info.nMin = r.nMin;
        Info.nMax = r.nMax;
    }
    if (Info.fMask & SIF_PAGE) Info.nPage = r.nPage;
    if (Info.fMask & SIF_POS) Info.nPos = r.nPos;
    if (Info.fMask & SIF_TRACKPOS) Info.nTrackPos = r.nTrackPos;
    return true;
}

int TCustomTreeView::WriteScrollInfo(int BarFlag, const TScrollInfo& Info) {
    if (BarFlag == SB_VERT) {
        if (Info.fMask & SIF_POS) SetTopRow(Info.nPos);
        return fTopRow;
    }
    if (BarFlag == SB_HORZ) {
        if (Info.fMask & SIF_POS) SetHorzPos(Info.nPos);
        return fHorzPos;
    }
    return 0;
}

void TCustomTreeView::HideScrollBar(int BarFlag, bool Hide) {
    if (BarFlag == SB_VERT || BarFlag == SB_BOTH) fVertBarHidden = Hide;
    if (BarFlag == SB_HORZ || BarFlag == SB_BOTH) fHorzBarHidden = Hide;
    NeedRepaint();
    if (fLayoutReady) EnsureLayout();
}

void TCustomTreeView::ScrollMessage(uint32_t Msg, int Code, int Pos) {
    EnsureLayout();
    const xo::TTreeViewImpl& im = *fTreeImpl;
    const bool vert = Msg == WM_VSCROLL;
    const int bar = vert ? SB_VERT : SB_HORZ;
    const int current = vert ? fTopRow : fHorzPos;
    const int line = vert ? 1 : kLinePixels;
    const int page = vert ? std::max(1, PageRows()) : std::max(1, fClientWidth);
    int target = current;
    switch (Code) {
    case SB_LINEUP:
        target = current - line;
        break;
    case SB_LINEDOWN:
        target = current + line;
        break;
    case SB_PAGEUP:
        target = current - page;
        break;
    case SB_PAGEDOWN:
        target = current + page;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        target = im.tracking[bar] ? im.trackPos[bar] : Pos;
        break;
    case SB_TOP:
        target = 0;
        break;
    case SB_BOTTOM:
        target = vert ? MaxTopRow() : fExtent;
        break;
    default:
        return;
    }
    if (vert)
        SetTopRow(target);
    else
        SetHorzPos(target);
}

void TCustomTreeView::ScrollBarMoved(bool aVertical, int aValue) {
    xo::TTreeViewImpl& im = *fTreeImpl;
    if (im.settingBars) return;
    const int bar = aVertical ? SB_VERT : SB_HORZ;
    auto alive = im.alive;
    im.trackPos[bar] = aValue;
    im.tracking[bar] = true;
    Perform(aVertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, std::min(aValue, 0xFFFF)), 0);
    if (!*alive) return;
    im.tracking[bar] = false;
    // A handler may have refused the move: the bar shows where the view is.
    for (int& v : im.applied[bar])
        v = -1;
    ApplyScrollBars();
}

// ---- The window calls -----------------------------------------------------------------------
namespace {
TCustomTreeView* TreeOf(HWND Wnd) {
    return dynamic_cast<TCustomTreeView*>(FindControl(Wnd));
}
} // namespace

bool GetScrollInfo(HWND Wnd, int BarFlag, TScrollInfo* ScrollInfo) {
    TCustomTreeView* tv = TreeOf(Wnd);
    if (!tv || !ScrollInfo) return false;
    return xo::TTreeViewAccess::ReadScrollInfo(tv, BarFlag, *ScrollInfo);
}

int SetScrollInfo(HWND Wnd, int BarFlag, const TScrollInfo& ScrollInfo, bool) {
    TCustomTreeView* tv = TreeOf(Wnd);
    if (!tv) return 0;
    return xo::TTreeViewAccess::WriteScrollInfo(tv, BarFlag, ScrollInfo);
}

bool ShowScrollBar(HWND Wnd, int BarFlag, bool Show) {
    TCustomTreeView* tv = TreeOf(Wnd);
    if (!tv || (BarFlag != SB_HORZ && BarFlag != SB_VERT && BarFlag != SB_BOTH)) return false;
    xo::TTreeViewAccess::HideScrollBar(tv, BarFlag, !Show);
    return true;
}
