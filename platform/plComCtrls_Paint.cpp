// Painting of the tree view: one row per visible node, with its lines, expand button, images
// and text, through the custom-draw notifications; the border and the scroll bars.
#include "platform/internal/plComCtrlsGlue.h"
#include "platform/plComCtrls.h"

namespace {
constexpr int kTextPad = 2; // as in the layout: inside the text rectangle, on both sides

// Keeps the canvas's pen and brush across drawing that uses its own.
struct TCanvasState {
    TCanvas* c;
    TColor pen, brush;
    TPenStyle penStyle;
    TBrushStyle brushStyle;
    explicit TCanvasState(TCanvas* aCanvas)
        : c(aCanvas), pen(aCanvas->Pen()->Color()), brush(aCanvas->Brush()->Color()),
          penStyle(aCanvas->Pen()->Style()), brushStyle(aCanvas->Brush()->Style()) {}
    ~TCanvasState() {
        c->Pen()->SetColor(pen);
        c->Pen()->SetStyle(penStyle);
        c->Brush()->SetColor(brush);
        c->Brush()->SetStyle(brushStyle);
    }
};
} // namespace

void TCustomTreeView::Paint() {
    EnsureLayout();
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(TRect(0, 0, fClientWidth, fClientHeight));
    const int ih = ItemHeight();
    auto alive = fTreeImpl->alive;
    for (int row = fTopRow, top = 0; top < fClientHeight && row < int(fRows.size()); ++row, top += ih) {
        DrawNode(fRows[size_t(row)], row, top);
        if (!*alive) return;
        if (!fRowsValid) {
            // A handler changed the nodes while they were drawn: the next paint shows them.
            NeedRepaint();
            break;
        }
    }
}

void TCustomTreeView::DrawNode(TTreeNode* Node, int, int aTop) {
    xo::TTreeViewImpl& im = *fTreeImpl;
    TCanvas* c = Canvas();
    const int ih = ItemHeight();
    const TRect rowRect(0, aTop, fClientWidth, aTop + ih);
    xo::TNodeWatch node(im, Node);
    {
        // The native control asks for each node's display information as it draws it.
        TNMTreeView n;
        n.code = TVN_GETDISPINFOW;
        n.itemNew = Node;
        Notify(n);
        if (!node || !fRowsValid) return;
    }
    const bool selected = Node == fSelected;
    const bool focused = Focused();
    const bool showSel = selected && (focused || (Style() & TVS_SHOWSELALWAYS));
    TCustomDrawState state;
    if (showSel) state.Include(cdsSelected);
    if (selected && focused) state.Include(cdsFocused);

    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(showSel ? (focused ? clHighlight : clBtnFace) : Color());
    c->Font()->SetColor(showSel && focused ? clHighlightText : Font()->Color());
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetMode(pmCopy);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clBlack);

    bool paintImages = true;
    bool defaultDraw = true;
    if (IsCustomDrawn(dtItem, cdPrePaint)) {
        TNMTreeView n;
        n.code = NM_CUSTOMDRAW;
        n.dwDrawStage = CDDS_ITEMPREPAINT;
        n.hdc = c->Handle();
        n.rc = rowRect;
        n.itemNew = Node;
        n.uItemState = state;
        LRESULT r = Notify(n);
        if (!node || !fRowsValid) return;
        defaultDraw = !(r & CDRF_SKIPDEFAULT);
        paintImages = n.paintImages;
    }
    if (defaultDraw) {
        // The text is measured in the font it is drawn with (a pre-paint handler may have
        // chosen another one), as the native control does; the node's rectangle follows.
        const int width = c->TextWidth(Node->fText);
        if (width != Node->fTextWidth) {
            Node->fTextWidth = width;
            InvalidateExtent();
        }
        const TRowGeometry g = GeometryOf(Node);
        DrawTreeLines(Node, g, aTop);
        if (paintImages) {
            if (fStateImages && Node->fStateIndex >= 0)
                fStateImages->Draw(c, g.stateLeft, aTop + (ih - fStateImages->Height()) / 2,
                                   Node->fStateIndex);
            if (fImages) {
                int index = selected && Node->fSelectedIndex >= 0 ? Node->fSelectedIndex : Node->fImageIndex;
                if (index >= 0) fImages->Draw(c, g.imageLeft, aTop + (ih - fImages->Height()) / 2, index);
            }
        }
        // The text's background leaves the row's first and last pixel lines to the row's owner
        // (grid lines drawn in the pre-paint stage stay).
        const TRect textRect(g.textLeft, aTop + 1, fRowSelect ? fClientWidth : g.textRight, aTop + ih - 1);
        if (c->Brush()->Style() == bsSolid) c->FillRect(textRect);
        const int th = c->TextHeight("Wg");
        const TBrushStyle bs = c->Brush()->Style();
        c->Brush()->SetStyle(bsClear);
        c->TextOut(g.textLeft + kTextPad, aTop + (ih - th) / 2, Node->fText);
        c->Brush()->SetStyle(bs);
        if (selected && focused) c->DrawFocusRect(textRect);
    }
    if (IsCustomDrawn(dtItem, cdPostPaint)) {
        TNMTreeView n;
        n.code = NM_CUSTOMDRAW;
        n.dwDrawStage = CDDS_ITEMPOSTPAINT;
        n.hdc = c->Handle();
        n.rc = rowRect;
        n.itemNew = Node;
        n.uItemState = state;
        n.paintImages = paintImages;
        Notify(n);
    }
}

void TCustomTreeView::DrawTreeLines(TTreeNode* Node, const TRowGeometry& g, int aTop) {
    TCanvas* c = Canvas();
    TCanvasState keep(c);
    const uint32_t style = Style();
    const bool rootLines = style & TVS_LINESATROOT;
    const int ih = ItemHeight();
    const int mid = aTop + ih / 2;
    const int bottom = aTop + ih;
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetColor(clGray);
    if ((style & TVS_HASLINES) && (Node->fParent || rootLines)) {
        const int x = g.buttonCenter;
        if (Node->fPrev || Node->fParent) {
            c->MoveTo(x, aTop);
            c->LineTo(x, mid + 1);
        }
        if (Node->fNext) {
            c->MoveTo(x, mid);
            c->LineTo(x, bottom);
        }
        c->MoveTo(x, mid);
        c->LineTo(g.stateLeft - 1, mid);
        // The lines of the ancestors that have siblings below them pass through this row.
        int ax = x - fIndent;
        for (TTreeNode* a = Node->fParent; a; a = a->fParent, ax -= fIndent) {
            if (!a->fParent && !rootLines) break;
            if (a->fNext) {
                c->MoveTo(ax, aTop);
                c->LineTo(ax, bottom);
            }
        }
    }
    if (HasButton(Node)) {
        const int cx = g.buttonCenter;
        const TRect box(cx - 4, mid - 4, cx + 5, mid + 5);
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->FillRect(box);
        c->Brush()->SetColor(clGray);
        c->FrameRect(box);
        c->Pen()->SetColor(clWindowText);
        c->MoveTo(cx - 2, mid);
        c->LineTo(cx + 3, mid);
        if (!Node->fExpanded) {
            c->MoveTo(cx, mid - 2);
            c->LineTo(cx, mid + 3);
        }
    }
}

void TCustomTreeView::PaintNonClient(HDC DC) {
    TCanvas canvas;
    canvas.SetHandle(DC);
    TRect r(0, 0, Width(), Height());
    if (fBorderStyle == bsSingle) {
        Frame3D(&canvas, r, clBtnShadow, clBtnHighlight, 1);
        Frame3D(&canvas, r, cl3DDkShadow, cl3DLight, 1);
    }
    if (fBorderWidth > 0) {
        canvas.Brush()->SetColor(Color());
        const int b = fBorderWidth;
        canvas.FillRect(TRect(r.Left, r.Top, r.Right, r.Top + b));
        canvas.FillRect(TRect(r.Left, r.Bottom - b, r.Right, r.Bottom));
        canvas.FillRect(TRect(r.Left, r.Top, r.Left + b, r.Bottom));
        canvas.FillRect(TRect(r.Right - b, r.Top, r.Right, r.Bottom));
    }
    canvas.SetHandle(nullptr);
    PaintScrollBars(DC);
}
