// Text on device contexts: DrawText with its format flags, ExtTextOut and text extents.
#include "platform/plGraphics.h"

#include "platform/internal/plPaintDraw.h"
#include "platform/internal/plPaintGlue.h"
#include "platform/internal/plQtGlue.h"

#include <algorithm>
#include <vector>

using namespace xo::paint;

namespace {

struct TextLine {
    QString text;
    int underline = -1; // index of the character marked with "&", or -1
    int width = 0;
};

// Removes the "&" markers of a paragraph; "&&" stands for "&". Answers the index of the first
// marked character, or -1.
QString StripPrefix(const QString& s, int& aUnderline) {
    aUnderline = -1;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == QLatin1Char('&')) {
            if (i + 1 < s.size() && s[i + 1] == QLatin1Char('&')) {
                out += QLatin1Char('&');
                ++i;
            } else if (i + 1 < s.size()) {
                if (aUnderline < 0) aUnderline = int(out.size());
            }
            continue;
        }
        out += s[i];
    }
    return out;
}

QString ExpandTabs(const QString& s) {
    QString out;
    int col = 0;
    for (QChar c : s) {
        if (c == QLatin1Char('\t')) {
            int n = 8 - col % 8;
            out += QString(n, QLatin1Char(' '));
            col += n;
        } else {
            out += c;
            col = (c == QLatin1Char('\n') || c == QLatin1Char('\r')) ? 0 : col + 1;
        }
    }
    return out;
}

// Paragraphs split at CR LF, CR or LF.
std::vector<QString> SplitParagraphs(const QString& s) {
    std::vector<QString> out;
    QString cur;
    for (qsizetype i = 0; i < s.size(); ++i) {
        QChar c = s[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            out.push_back(cur);
            cur.clear();
            if (c == QLatin1Char('\r') && i + 1 < s.size() && s[i + 1] == QLatin1Char('\n')) ++i;
        } else {
            cur += c;
        }
    }
    out.push_back(cur);
    return out;
}

// Breaks a paragraph between words so that lines fit aWidth; a word wider than aWidth keeps a
// line of its own. The marked character follows its line.
void WrapParagraph(const QString& p, int aUnderline, int aWidth, const QFontMetrics& m,
                   std::vector<TextLine>& aLines) {
    if (p.isEmpty()) {
        aLines.push_back(TextLine{});
        return;
    }
    qsizetype start = 0;
    const qsizetype n = p.size();
    while (start < n) {
        qsizetype end = start;  // end of the text on this line (exclusive)
        qsizetype next = start; // where the next line starts
        qsizetype i = start;
        while (i < n) {
            qsizetype wordEnd = i;
            while (wordEnd < n && p[wordEnd] != QLatin1Char(' '))
                ++wordEnd;
            if (end > start && m.horizontalAdvance(p.mid(start, wordEnd - start)) > aWidth) break;
            end = wordEnd;
            qsizetype spaces = wordEnd;
            while (spaces < n && p[spaces] == QLatin1Char(' '))
                ++spaces;
            next = spaces;
            i = spaces;
        }
        if (next <= start) next = end > start ? end : n; // guard: always advance
        TextLine line;
        line.text = p.mid(start, end - start);
        if (aUnderline >= start && aUnderline < end) line.underline = int(aUnderline - start);
        aLines.push_back(line);
        start = next;
    }
}

QString WithEllipsis(const QString& s, int aWidth, const QFontMetrics& m) {
    static const QString kDots = QStringLiteral("...");
    if (m.horizontalAdvance(s) <= aWidth) return s;
    qsizetype lo = 0, hi = s.size();
    // Longest prefix that fits with the dots.
    while (lo < hi) {
        qsizetype mid = (lo + hi + 1) / 2;
        if (m.horizontalAdvance(s.left(mid) + kDots) <= aWidth)
            lo = mid;
        else
            hi = mid - 1;
    }
    return s.left(lo) + kDots;
}

} // namespace

int DrawText(HDC DC, const String& Text, int Count, TRect& aRect, uint32_t Format) {
    if (!DC) return 0;
    TRect Rect = Clamp(aRect);
    String bytes = Count < 0 || size_t(Count) >= Text.size() ? Text : Text.substr(0, size_t(Count));
    QString s = xo::qt::ToQString(bytes);
    if (Format & DT_EXPANDTABS) s = ExpandTabs(s);
    const xo::TFontData& f = DCFont(DC);
    const QFontMetrics& m = f.metrics;
    const bool singleLine = Format & DT_SINGLELINE;
    const bool prefix = !(Format & DT_NOPREFIX);
    const int rectWidth = std::max(Rect.Right - Rect.Left, 0);

    std::vector<TextLine> lines;
    if (s.isEmpty()) {
        if (Format & DT_CALCRECT) {
            aRect.Right = Rect.Left;
            aRect.Bottom = Rect.Top;
        }
        return 0;
    }
    std::vector<QString> paragraphs;
    if (singleLine) {
        QString one = s;
        one.remove(QLatin1Char('\r'));
        one.replace(QLatin1Char('\n'), QLatin1Char(' '));
        paragraphs.push_back(one);
    } else {
        paragraphs = SplitParagraphs(s);
    }
    for (const QString& para : paragraphs) {
        int underline = -1;
        QString text = prefix ? StripPrefix(para, underline) : para;
        if ((Format & DT_WORDBREAK) && !singleLine) {
            WrapParagraph(text, underline, rectWidth, m, lines);
        } else {
            lines.push_back(TextLine{text, underline, 0});
        }
    }
    const bool ellipsis = Format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS);
    int maxWidth = 0;
    for (TextLine& l : lines) {
        if (ellipsis && !(Format & DT_CALCRECT)) {
            xo::TTextLayout& layout = f.Layout(l.text);
            if (layout.width > rectWidth) {
                if (layout.elideWidth != rectWidth) {
                    layout.elided = WithEllipsis(l.text, rectWidth, m);
                    layout.elideWidth = rectWidth;
                }
                QString cut = layout.elided;
                if (l.underline >= cut.size() - 3) l.underline = -1;
                l.text = cut;
            }
        }
        l.width = f.Width(l.text);
        maxWidth = std::max(maxWidth, l.width);
    }
    const int lineHeight = f.height;
    const int total =
        int(std::min<int64_t>(int64_t(lineHeight) * int64_t(lines.size()), xo::paint::kMaxCoord));
    if (Format & DT_CALCRECT) {
        aRect.Left = Rect.Left;
        aRect.Top = Rect.Top;
        aRect.Right = Rect.Left + maxWidth;
        aRect.Bottom = Rect.Top + total;
        return total;
    }

    int y = Rect.Top;
    if (singleLine && (Format & DT_VCENTER))
        y = (Rect.Top + Rect.Bottom - lineHeight) / 2;
    else if (singleLine && (Format & DT_BOTTOM))
        y = Rect.Bottom - lineHeight;
    const int result = singleLine && (Format & (DT_VCENTER | DT_BOTTOM)) ? y - Rect.Top + total : total;

    QPainter* p = ActivePainter(DC);
    if (!p) return result;
    UsePainterFont(DC, p, f);
    const bool clip = !(Format & DT_NOCLIP);
    if (clip) {
        p->save();
        p->setClipRect(ToQRect(Rect), Qt::IntersectClip);
    }
    const QColor ink = ToQColor(DC->textColor);
    const QBrush background(ToQColor(DC->bkColor));
    for (const TextLine& l : lines) {
        int x = Rect.Left;
        if (Format & DT_RIGHT)
            x = Rect.Right - l.width;
        else if (Format & DT_CENTER)
            x = (Rect.Left + Rect.Right - l.width) / 2;
        DrawTextCell(DC, p, f, x, y, l.text, ink, DC->bkMode == OPAQUE ? &background : nullptr);
        if (l.underline >= 0 && f.orientation == 0) {
            int ux = x + m.horizontalAdvance(l.text.left(l.underline));
            int uw = m.horizontalAdvance(l.text.mid(l.underline, 1));
            p->fillRect(QRect(ux, y + f.ascent + 1, std::max(uw, 1), 1), ink);
        }
        y += lineHeight;
        if ((clip && y >= Rect.Bottom) || y > xo::paint::kMaxCoord) break; // the rest is out of sight
    }
    if (clip) p->restore();
    Drawn(DC);
    return result;
}

bool ExtTextOut(HDC DC, int X, int Y, uint32_t Options, const TRect* Rect, const String& Text) {
    QPainter* p = ActivePainter(DC);
    if (!p) return false;
    const xo::TFontData& f = DCFont(DC);
    UsePainterFont(DC, p, f);
    const QBrush background(ToQColor(DC->bkColor));
    if ((Options & ETO_OPAQUE) && Rect) {
        SetMode(p, QPainter::CompositionMode_SourceOver);
        FillLogical(p, *Rect, background);
    }
    const bool clip = (Options & ETO_CLIPPED) && Rect;
    if (clip) {
        p->save();
        p->setClipRect(ToQRect(*Rect), Qt::IntersectClip);
    }
    DrawTextCell(DC, p, f, X, Y, xo::qt::ToQString(Text), ToQColor(DC->textColor),
                 DC->bkMode == OPAQUE ? &background : nullptr);
    if (clip) p->restore();
    Drawn(DC);
    return true;
}

bool GetTextExtentPoint32(HDC DC, const String& Text, TSize* Size) {
    if (!DC || !Size) return false;
    const xo::TFontData& f = DCFont(DC);
    Size->cx = f.Width(xo::qt::ToQString(Text));
    Size->cy = f.height;
    return true;
}
