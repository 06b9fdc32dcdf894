// Painting of controls: the picture each window shows, the paint and erase messages, device
// contexts on the shown picture, custom and windowless controls.
#include "platform/internal/plControlGlue.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/plControls.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <unordered_map>

using namespace xo;
using namespace xo::qt;

namespace {

// Device contexts on windows' shown pictures, with their window (nullptr once it is gone).
std::unordered_map<HDC, TWinControl*>& WindowDCs() {
    static std::unordered_map<HDC, TWinControl*> m;
    return m;
}

QImage& NoPicture() {
    static QImage none;
    return none;
}

void EnsureImageSize(TWinControl* c) {
    TWinControlImpl& im = TControlAccess::Impl(c);
    QSize size = im.widget ? im.widget->size() : QSize();
    if (size.isEmpty()) size = QSize();
    if (im.shown.size() == size) return;
    ReleaseSurface(c);
    QImage next;
    if (!size.isEmpty()) {
        next = QImage(size, QImage::Format_RGB32);
        next.fill(paint::ToQColor(c->Color()));
    }
    im.shown = std::move(next);
    for (HDC dc : im.dcs)
        paint::RetargetImage(dc, &im.shown);
    im.invalid = QRegion(QRect(QPoint(0, 0), size));
    im.erase = true;
}

HDC NewWindowDC(TWinControl* c) {
    TWinControlImpl& im = TControlAccess::Impl(c);
    EnsureImageSize(c);
    HDC dc = paint::CreateImageDC(&im.shown);
    int nc = TControlAccess::NonClientInset(c);
    SetViewportOrgEx(dc, nc, nc, nullptr);
    // What is drawn outside a paint shows at once.
    QPointer<QWidget> w(im.widget);
    paint::SetDrawHook(dc, [w] {
        if (w) w->update();
    });
    im.dcs.push_back(dc);
    WindowDCs()[dc] = c;
    return dc;
}

bool IsWindowDCOf(HDC dc, const TWinControl* c) {
    auto it = WindowDCs().find(dc);
    return it != WindowDCs().end() && it->second == c;
}

} // namespace

namespace xo::qt {

void ReleaseSurface(TWinControl* aControl) {
    for (HDC dc : TControlAccess::Impl(aControl).dcs)
        paint::ReleasePainter(dc);
}

void DetachWindowDCs(TWinControl* aControl) {
    TWinControlImpl& im = TControlAccess::Impl(aControl);
    for (HDC dc : im.dcs) {
        paint::ReleasePainter(dc);
        paint::SetDrawHook(dc, nullptr);
        paint::RetargetImage(dc, &NoPicture());
        WindowDCs()[dc] = nullptr;
    }
    im.dcs.clear();
}

void PaintPending(TWinControl* aControl) {
    TWinControlImpl& im = TControlAccess::Impl(aControl);
    if (!im.widget || im.painting) return;
    EnsureImageSize(aControl);
    QRect full(QPoint(0, 0), im.shown.size());
    QRegion region = im.invalid & full;
    bool erase = im.erase;
    im.invalid = QRegion();
    im.erase = false;
    if (region.isEmpty() || im.shown.isNull()) return;
    ReleaseSurface(aControl);
    struct PaintingFlag {
        bool& f;
        explicit PaintingFlag(bool& aF) : f(aF) { f = true; }
        ~PaintingFlag() { f = false; }
    } flag(im.painting);
    // The paint may draw anywhere; outside the out-of-date part the picture stays as it was.
    bool partial = region != QRegion(full);
    QImage before;
    if (partial) before = im.shown.copy();
    {
        QPainter p(&im.shown);
        struct DC {
            HDC h;
            ~DC() { paint::DestroyDC(h); }
        } dc{paint::CreatePainterDC(&p, full.width(), full.height())};
        int nc = TControlAccess::NonClientInset(aControl);
        SetViewportOrgEx(dc.h, nc, nc, nullptr);
        if (nc > 0) {
            TRect client = aControl->ClientRect();
            IntersectClipRect(dc.h, 0, 0, client.Width(), client.Height());
        }
        if (erase) {
            TMessage m{WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.h), 0, 0};
            aControl->WndProc(m);
            // This paint covers what the erase handler marked again within its region.
            im.invalid -= region;
        }
        TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(dc.h), 0, 0};
        aControl->WndProc(m);
        if (nc > 0 && im.widget) {
            SelectClipRgn(dc.h, nullptr);
            SetViewportOrgEx(dc.h, 0, 0, nullptr);
            TControlAccess::PaintNonClient(aControl, dc.h);
        }
    }
    if (partial && !im.shown.isNull() && im.shown.size() == before.size()) {
        QPainter p(&im.shown);
        p.setClipRegion(QRegion(full) - region);
        p.drawImage(0, 0, before);
    }
}

const QImage& ShownImage(TWinControl* aControl) {
    ReleaseSurface(aControl);
    return TControlAccess::Impl(aControl).shown;
}

QImage ComposeShown(TWinControl* aControl) {
    aControl->HandleNeeded();
    PaintPending(aControl);
    ReleaseSurface(aControl);
    TWinControlImpl& im = TControlAccess::Impl(aControl);
    QImage img = im.shown.copy();
    if (img.isNull()) return img;
    int nc = TControlAccess::NonClientInset(aControl);
    TRect client = aControl->ClientRect();
    QPainter p(&img);
    p.setClipRect(nc, nc, client.Width(), client.Height());
    for (TWinControl* child : TControlAccess::WinControls(aControl)) {
        if (!child->Visible() || !child->HandleAllocated()) continue;
        QImage ci = ComposeShown(child);
        if (!ci.isNull()) p.drawImage(TControlAccess::Impl(child).widget->pos(), ci);
    }
    return img;
}

void ControlWidget::paintEvent(QPaintEvent* e) {
    if (!control) return;
    PaintPending(control);
    if (!control) return;
    ReleaseSurface(control);
    const QImage& shown = TControlAccess::Impl(control).shown;
    if (shown.isNull()) return;
    QPainter p(this);
    p.drawImage(e->rect(), shown, e->rect());
}

} // namespace xo::qt

// ---- Paint and erase messages ---------------------------------------------------------------
void TWinControl::WMPaint(TWMPaint& Message) {
    HDC dc = Message.DC();
    if (!dc) return;
    PaintWindow(dc);
    PaintControls(dc, nullptr);
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintNonClient(HDC) {}

void TWinControl::WMEraseBkgnd(TWMEraseBkgnd& Message) {
    HDC dc = Message.DC();
    if (!dc) return;
    HBRUSH b = CreateSolidBrush(Color());
    FillRect(dc, ClientRect(), b);
    DeleteObject(b);
    Message.SetResult(1);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
    auto it = First ? std::find(fControls.begin(), fControls.end(), First) : fControls.begin();
    // Copy: a control's paint may change the list.
    std::vector<TControl*> list(it, fControls.end());
    for (TControl* c : list) {
        if (!c->Visible() || c->Width() <= 0 || c->Height() <= 0) continue;
        if (std::find(fControls.begin(), fControls.end(), c) == fControls.end()) continue;
        struct Restore {
            HDC dc;
            TPoint origin;
            HRGN saved = CreateRectRgn(0, 0, 0, 0);
            int had = 0;
            explicit Restore(HDC d) : dc(d) {
                GetViewportOrgEx(dc, &origin);
                had = GetClipRgn(dc, saved);
            }
            ~Restore() {
                SetViewportOrgEx(dc, origin.X, origin.Y, nullptr);
                SelectClipRgn(dc, had == 1 ? saved : nullptr);
                DeleteObject(saved);
            }
        } restore(DC);
        OffsetViewportOrgEx(DC, c->Left(), c->Top(), nullptr);
        IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
        c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    }
}

// ---- Window calls ---------------------------------------------------------------------------
bool InvalidateRect(HWND Wnd, const TRect* Rect, bool Erase) {
    TWinControl* c = FindControl(Wnd);
    if (!c) return false;
    TWinControlImpl& im = TControlAccess::Impl(c);
    if (!im.widget) return false;
    QRect all(QPoint(0, 0), im.widget->size());
    int nc = TControlAccess::NonClientInset(c);
    QRect r = Rect ? paint::ToQRect(*Rect).translated(nc, nc) & all : all;
    if (r.isEmpty()) return true;
    im.invalid += r;
    if (Erase) im.erase = true;
    im.widget->update(r);
    return true;
}

bool UpdateWindow(HWND Wnd) {
    TWinControl* c = FindControl(Wnd);
    if (!c) return false;
    TWinControlImpl& im = TControlAccess::Impl(c);
    if (!im.widget) return false;
    if (!im.invalid.isEmpty()) {
        PaintPending(c);
        if (im.widget) im.widget->update();
    }
    return true;
}

HDC GetDC(HWND Wnd) {
    TWinControl* c = FindControl(Wnd);
    if (!c || !TControlAccess::Impl(c).widget) return nullptr;
    return NewWindowDC(c);
}

HDC GetDCEx(HWND Wnd, HRGN, uint32_t Flags) {
    HDC dc = GetDC(Wnd);
    if (dc && (Flags & DCX_WINDOW)) SetViewportOrgEx(dc, 0, 0, nullptr);
    return dc;
}

int ReleaseDC(HWND, HDC DC) {
    auto it = WindowDCs().find(DC);
    if (it == WindowDCs().end()) return 0;
    TWinControl* c = it->second;
    WindowDCs().erase(it);
    if (c) {
        TWinControlImpl& im = TControlAccess::Impl(c);
        im.dcs.erase(std::remove(im.dcs.begin(), im.dcs.end(), DC), im.dcs.end());
        if (im.widget) im.widget->update();
    }
    paint::DestroyDC(DC);
    return 1;
}

// ---- TCustomControl -------------------------------------------------------------------------
TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), fCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() {
    fCanvas->SetHandle(nullptr);
    if (fDirectDC) ReleaseDC(nullptr, fDirectDC);
}

TCanvas* TCustomControl::Canvas() {
    if (fInPaint) return fCanvas.get();
    if (!fDirectDC || !IsWindowDCOf(fDirectDC, this)) {
        fCanvas->SetHandle(nullptr);
        fOnDirect = false;
        if (fDirectDC) ReleaseDC(nullptr, fDirectDC);
        fDirectDC = GetDC(Handle());
    }
    if (!fOnDirect) {
        fCanvas->SetHandle(fDirectDC);
        fOnDirect = true;
    }
    return fCanvas.get();
}

void TCustomControl::PaintWindow(HDC DC) {
    struct Attach {
        TCustomControl& c;
        Attach(TCustomControl& aC, HDC dc) : c(aC) {
            c.fInPaint = true;
            c.fOnDirect = false;
            c.fCanvas->SetHandle(dc);
        }
        ~Attach() {
            c.fCanvas->SetHandle(nullptr);
            c.fInPaint = false;
        }
    } attach(*this, DC);
    Paint();
}

void TCustomControl::Paint() {}

// ---- TGraphicControl ------------------------------------------------------------------------
TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), fCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() {
    fCanvas->SetHandle(nullptr);
    ReleaseDirectDC();
}

void TGraphicControl::ReleaseDirectDC() {
    if (fOnDirect) fCanvas->SetHandle(nullptr);
    fOnDirect = false;
    if (fDirectDC) ReleaseDC(fDirectWnd, fDirectDC);
    fDirectDC = nullptr;
    fDirectWnd = nullptr;
}

TCanvas* TGraphicControl::Canvas() {
    if (fInPaint || !fParent) return fCanvas.get();
    HWND wnd = fParent->Handle();
    if (!fDirectDC || fDirectWnd != wnd || !IsWindowDCOf(fDirectDC, fParent)) {
        ReleaseDirectDC();
        fDirectWnd = wnd;
        fDirectDC = GetDC(wnd);
    }
    if (!fDirectDC) return fCanvas.get();
    // Placed at the control's current bounds on every use: it may have moved since.
    int nc = TControlAccess::NonClientInset(fParent);
    if (fOnDirect) fCanvas->SetHandle(nullptr);
    SetViewportOrgEx(fDirectDC, nc + fLeft, nc + fTop, nullptr);
    HRGN r = CreateRectRgn(nc + fLeft, nc + fTop, nc + fLeft + fWidth, nc + fTop + fHeight);
    SelectClipRgn(fDirectDC, r);
    DeleteObject(r);
    fCanvas->SetHandle(fDirectDC);
    fOnDirect = true;
    return fCanvas.get();
}

void TGraphicControl::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_PAINT) {
        if (HDC dc = reinterpret_cast<HDC>(Message.WParam)) PaintOn(dc);
        return;
    }
    TControl::Dispatch(Message);
}

void TGraphicControl::PaintOn(HDC DC) {
    struct Attach {
        TGraphicControl& c;
        Attach(TGraphicControl& aC, HDC dc) : c(aC) {
            if (c.fOnDirect) c.fCanvas->SetHandle(nullptr);
            c.fOnDirect = false;
            c.fInPaint = true;
            c.fCanvas->SetHandle(dc);
        }
        ~Attach() {
            c.fCanvas->SetHandle(nullptr);
            c.fInPaint = false;
        }
    } attach(*this, DC);
    Paint();
}

void TGraphicControl::Paint() {}
