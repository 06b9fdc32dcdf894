// The Qt parts of the tree view: its scroll bars (Qt's, placed along the client area inside
// the border) and the label editor (a Qt line editor over the node's text).
#include "platform/internal/plComCtrlsGlue.h"
#include "platform/internal/plControlGlue.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/plComCtrls.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>

#include <algorithm>

using xo::TControlAccess;
using xo::TTreeViewAccess;

namespace {

QWidget* WidgetOf(TCustomTreeView* c) {
    return TControlAccess::Impl(c).widget;
}

TShiftState ShiftOf(Qt::KeyboardModifiers m) {
    TShiftState s;
    if (m & Qt::ShiftModifier) s.Include(ssShift);
    if (m & Qt::ControlModifier) s.Include(ssCtrl);
    if (m & Qt::AltModifier) s.Include(ssAlt);
    return s;
}

// Hands the editor's keys to the tree first and ends the edit when the editor loses the focus.
class EditorFilter : public QObject {
public:
    EditorFilter(TCustomTreeView* aTree, QObject* aParent) : QObject(aParent), fTree(aTree) {}
    TCustomTreeView* fTree;

protected:
    bool eventFilter(QObject* aObject, QEvent* aEvent) override {
        auto* editor = qobject_cast<QLineEdit*>(aObject);
        if (!editor || TTreeViewAccess::Impl(fTree).editor != editor) return false;
        try {
            switch (aEvent->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease: {
                auto* e = static_cast<QKeyEvent*>(aEvent);
                bool release = aEvent->type() == QEvent::KeyRelease;
                if (release && e->isAutoRepeat()) return false;
                std::u32string chars;
                if (!release) {
                    for (char32_t c : e->text().toUcs4())
                        if (c >= 0x20 && c != 0x7F) chars.push_back(c);
                }
                bool consumed = false;
                TTreeViewAccess::EditorKey(fTree, xo::qt::VirtualKeyOf(e), chars, ShiftOf(e->modifiers()),
                                           release, consumed);
                return consumed;
            }
            case QEvent::FocusOut:
                if (TTreeViewAccess::EditNode(fTree)) TTreeViewAccess::FinishEdit(fTree, false);
                return false;
            default:
                return false;
            }
        } catch (const std::exception& ex) {
            xo::qt::ReportException(ex.what());
            return true;
        } catch (...) {
            xo::qt::ReportException("Unknown exception");
            return true;
        }
    }
};

} // namespace

// ---- Scroll bars ----------------------------------------------------------------------------
int TCustomTreeView::ScrollBarExtent() {
    static int extent = [] {
        xo::qt::EnsureQtApplication();
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    }();
    return extent;
}

void TCustomTreeView::CreateWnd() {
    // The style is asked for when the window is made, once the control is complete.
    fParamsValid = false;
    fLayoutReady = true;
    TCustomControl::CreateWnd();
    QWidget* w = WidgetOf(this);
    if (!w) return;
    xo::TTreeViewImpl& im = *fTreeImpl;
    auto makeBar = [this, w](Qt::Orientation o) {
        auto* bar = new QScrollBar(o, w);
        bar->setFocusPolicy(Qt::NoFocus);
        bar->hide();
        const bool vertical = o == Qt::Vertical;
        QObject::connect(bar, &QScrollBar::valueChanged, bar,
                         [this, vertical](int v) { TTreeViewAccess::ScrollBarMoved(this, vertical, v); });
        return bar;
    };
    if (!im.vbar) im.vbar = makeBar(Qt::Vertical);
    if (!im.hbar) im.hbar = makeBar(Qt::Horizontal);
    for (auto& a : im.applied)
        for (int& v : a)
            v = -1;
    EnsureLayout();
}

void TCustomTreeView::DestroyWnd() {
    ReleaseWidgetParts();
    TCustomControl::DestroyWnd();
}

void TCustomTreeView::ReleaseWidgetParts() {
    xo::TTreeViewImpl& im = *fTreeImpl;
    fEditNode = nullptr;
    xo::CloseTreeEditor(this);
    for (QScrollBar* bar : {im.vbar.data(), im.hbar.data()})
        if (bar) QObject::disconnect(bar, nullptr, nullptr, nullptr);
    im.vbar = nullptr;
    im.hbar = nullptr;
}

void TCustomTreeView::ApplyScrollBars() {
    xo::TTreeViewImpl& im = *fTreeImpl;
    if (!im.vbar || !im.hbar || fLayingOut) return;
    const int nc = NonClientInset();
    const int ext = ScrollBarExtent();
    struct Want {
        QScrollBar* bar;
        bool shown;
        QRect geometry;
        int max, page, value;
    };
    const Want wants[2] = {
        {im.hbar, fHorzBarShown, QRect(nc, nc + fClientHeight, fClientWidth, ext),
         std::max(0, fExtent - fClientWidth), std::max(1, fClientWidth), fHorzPos},
        {im.vbar, fVertBarShown, QRect(nc + fClientWidth, nc, ext, fClientHeight), MaxTopRow(),
         std::max(1, PageRows()), fTopRow},
    };
    im.settingBars = true;
    for (int b = 0; b < 2; ++b) {
        const Want& w = wants[b];
        int* a = im.applied[b];
        const int now[6] = {w.shown ? 1 : 0, w.geometry.x(), w.geometry.y(), w.max, w.page, w.value};
        if (std::equal(now, now + 6, a) && w.bar->geometry() == w.geometry) continue;
        std::copy(now, now + 6, a);
        if (w.shown) {
            w.bar->setGeometry(w.geometry);
            w.bar->setRange(0, w.max);
            w.bar->setPageStep(w.page);
            w.bar->setSingleStep(b == SB_VERT ? 1 : 8);
            w.bar->setValue(w.value);
        }
        w.bar->setVisible(w.shown);
    }
    im.settingBars = false;
}

void TCustomTreeView::PaintScrollBars(HDC DC) {
    xo::TTreeViewImpl& im = *fTreeImpl;
    if (!fVertBarShown && !fHorzBarShown) return;
    QPainter* p = xo::paint::ActivePainter(DC);
    if (!p) return;
    const int nc = NonClientInset();
    const int ext = ScrollBarExtent();
    for (QScrollBar* bar : {im.vbar.data(), im.hbar.data()}) {
        if (!bar || !bar->isVisibleTo(bar->parentWidget())) continue;
        bar->render(p, bar->pos(), QRegion(), QWidget::DrawChildren);
    }
    if (fVertBarShown && fHorzBarShown) {
        HBRUSH face = CreateSolidBrush(clBtnFace);
        FillRect(
            DC,
            TRect(nc + fClientWidth, nc + fClientHeight, nc + fClientWidth + ext, nc + fClientHeight + ext),
            face);
        DeleteObject(face);
    }
}

bool TCustomTreeView::Focused() const {
    if (TCustomControl::Focused()) return true;
    const xo::TTreeViewImpl& im = *fTreeImpl;
    return im.editor && im.editor->hasFocus();
}

void TCustomTreeView::StartEditTimer() {
    TTimer* t = fTreeImpl->editTimer.get();
    t->SetEnabled(false);
    t->SetInterval(unsigned(std::max(1, QGuiApplication::styleHints()->mouseDoubleClickInterval())));
    t->SetEnabled(true);
}

// ---- The label editor -----------------------------------------------------------------------
namespace xo {

void StartTreeEditor(TCustomTreeView* aTree, const TRect& aRect, const String& aText) {
    QWidget* w = WidgetOf(aTree);
    if (!w) return;
    CloseTreeEditor(aTree);
    TTreeViewImpl& im = TTreeViewAccess::Impl(aTree);
    const int nc = TControlAccess::NonClientInset(aTree);
    const TRect client = aTree->ClientRect();
    auto* e = new QLineEdit(w);
    e->setFont(paint::ToQFont(*aTree->Font()));
    e->setText(QString::fromUtf8(aText.data(), qsizetype(aText.size())));
    const int width = std::max(aRect.Width() + 24, 48);
    QRect r(aRect.Left + nc - 1, aRect.Top + nc - 1, width, aRect.Height() + 2);
    r = r.intersected(QRect(nc, nc, client.Width(), client.Height()));
    e->setGeometry(r);
    e->selectAll();
    auto* filter = new EditorFilter(aTree, e);
    e->installEventFilter(filter);
    im.editor = e;
    im.editorFilter = filter;
    e->show();
    e->setFocus(Qt::OtherFocusReason);
}

String TreeEditorText(TCustomTreeView* aTree) {
    TTreeViewImpl& im = TTreeViewAccess::Impl(aTree);
    return im.editor ? im.editor->text().toStdString() : String();
}

void CloseTreeEditor(TCustomTreeView* aTree) {
    TTreeViewImpl& im = TTreeViewAccess::Impl(aTree);
    QLineEdit* e = im.editor;
    if (!e) return;
    im.editor = nullptr;
    if (im.editorFilter) e->removeEventFilter(im.editorFilter);
    im.editorFilter = nullptr;
    const bool hadFocus = e->hasFocus();
    e->hide();
    e->deleteLater();
    QWidget* w = WidgetOf(aTree);
    if (hadFocus && w && !aTree->ComponentState().Contains(csDestroying)) w->setFocus(Qt::OtherFocusReason);
}

} // namespace xo
