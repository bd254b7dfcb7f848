// Our own DrawText: line splitting, word breaks, tabs, prefixes, ellipsis, alignment and
// margins, measured with the context's font. Line height is ascent + descent.
#include "DeviceContext.h"

#include <algorithm>

namespace {

struct Line {
    int Start = 0;     // into the prepared text
    int Length = 0;
    int Width = 0;
    QString Ellipsized;   // set when the line was cut and ends with "..."
    bool HasEllipsis = false;
};

struct Layout {
    const QFontMetrics& FM;
    bool ExpandTabs;
    int TabWidth;

    int Width(const QString& s, int from, int len) const
    {
        if (len <= 0)
            return 0;
        if (!ExpandTabs) {
            return FM.horizontalAdvance(QStringView(s).mid(from, len).toString());
        }
        int x = 0, runStart = from;
        const int end = from + len;
        for (int i = from; i <= end; ++i) {
            if (i == end || s[i] == u'\t') {
                if (i > runStart)
                    x += FM.horizontalAdvance(QStringView(s).mid(runStart, i - runStart).toString());
                if (i < end)
                    x = TabWidth > 0 ? (x / TabWidth + 1) * TabWidth : x;
                runStart = i + 1;
            }
        }
        return x;
    }
};

// Removes '&' prefixes; returns the position of the underlined character or -1.
int StripPrefixes(QString& s)
{
    int underline = -1;
    QString out;
    out.reserve(s.size());
    for (int i = 0; i < s.size(); ++i) {
        if (s[i] == u'&') {
            if (i + 1 < s.size() && s[i + 1] == u'&') {
                out += u'&';
                ++i;
                continue;
            }
            if (i + 1 < s.size() && underline < 0)
                underline = int(out.size());
            continue;
        }
        out += s[i];
    }
    s = out;
    return underline;
}

void BreakParagraph(const QString& s, int from, int to, int room, const Layout& lay, std::vector<Line>& lines)
{
    if (from >= to) {
        lines.push_back(Line{from, 0, 0, {}, false});
        return;
    }
    int pos = from;
    while (pos < to) {
        // Greedy: take words while they fit; a word that does not fit alone is cut by characters.
        int lineEnd = pos;       // end of the last fitting break
        int i = pos;
        bool any = false;
        while (i < to) {
            int wordEnd = i;
            while (wordEnd < to && s[wordEnd] == u' ')
                ++wordEnd;
            while (wordEnd < to && s[wordEnd] != u' ')
                ++wordEnd;
            if (lay.Width(s, pos, wordEnd - pos) <= room || !any) {
                if (lay.Width(s, pos, wordEnd - pos) > room) {
                    // The first word alone is too wide: as many characters as fit (at least one).
                    int n = 1;
                    while (pos + n < wordEnd && lay.Width(s, pos, n + 1) <= room)
                        ++n;
                    // Leading blanks never make a line of their own.
                    lineEnd = pos + n;
                    any = true;
                    break;
                }
                lineEnd = wordEnd;
                any = true;
                i = wordEnd;
            } else {
                break;
            }
        }
        int len = lineEnd - pos;
        int trimmed = len;
        while (trimmed > 0 && s[pos + trimmed - 1] == u' ')
            --trimmed;
        lines.push_back(Line{pos, trimmed, lay.Width(s, pos, trimmed), {}, false});
        pos = lineEnd;
        // Blanks at the break belong to no line.
        while (pos < to && s[pos] == u' ')
            ++pos;
    }
}

void Ellipsize(const QString& s, Line& line, int room, const Layout& lay)
{
    if (line.Width <= room)
        return;
    static const QString dots = QStringLiteral("...");
    const int dotsW = lay.FM.horizontalAdvance(dots);
    int n = line.Length;
    while (n > 0 && lay.Width(s, line.Start, n) + dotsW > room)
        --n;
    line.Ellipsized = s.mid(line.Start, n) + dots;
    line.HasEllipsis = true;
    line.Width = lay.Width(s, line.Start, n) + dotsW;
}

void DrawRun(HDC dc, const QString& text, int x, int y, const Layout& lay, int ascent)
{
    QPainter* p = dc->Painter;
    if (!lay.ExpandTabs || !text.contains(u'\t')) {
        p->drawText(QPoint(x, y + ascent), text);
        return;
    }
    int cx = 0, runStart = 0;
    for (int i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'\t') {
            if (i > runStart) {
                const QString run = text.mid(runStart, i - runStart);
                p->drawText(QPoint(x + cx, y + ascent), run);
                cx += lay.FM.horizontalAdvance(run);
            }
            if (i < text.size())
                cx = lay.TabWidth > 0 ? (cx / lay.TabWidth + 1) * lay.TabWidth : cx;
            runStart = i + 1;
        }
    }
}

} // namespace

int DrawTextEx(HDC dc, const QString& text, int count, TRect& rect, UINT format, DRAWTEXTPARAMS* params)
{
    if (!dc)
        return 0;
    QString s = count < 0 || count >= text.size() ? text : text.left(count);
    if (dc->Recorder && !(format & DT_CALCRECT))
        dc->Record(QStringLiteral("DrawText(%1;%2,%3,%4,%5;$%6)").arg(s).arg(rect.Left).arg(rect.Top).arg(rect.Right).arg(rect.Bottom).arg(format, 0, 16));
    const int lm = params ? params->iLeftMargin : 0;
    const int rm = params ? params->iRightMargin : 0;
    const QFontMetrics& fm = dc->FM();
    const int tabChars = params && params->iTabLength > 0 ? params->iTabLength : 8;
    Layout lay{fm, (format & DT_EXPANDTABS) != 0, tabChars * std::max(1, fm.averageCharWidth())};
    if (params)
        params->uiLengthDrawn = UINT(s.size());

    int underline = -1;
    if (!(format & DT_NOPREFIX)) {
        underline = StripPrefixes(s);
        if (format & DT_HIDEPREFIX)
            underline = -1;
    }

    const int room = rect.Width() - lm - rm;
    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        // Line breaks do not break a single line; they take no room.
        if (s.contains(u'\r') || s.contains(u'\n')) {
            s.remove(u'\r');
            s.remove(u'\n');
        }
        lines.push_back(Line{0, int(s.size()), lay.Width(s, 0, int(s.size())), {}, false});
    } else {
        int start = 0;
        for (int i = 0; i <= s.size(); ++i) {
            if (i == s.size() || s[i] == u'\r' || s[i] == u'\n') {
                if (format & DT_WORDBREAK)
                    BreakParagraph(s, start, i, room, lay, lines);
                else
                    lines.push_back(Line{start, i - start, lay.Width(s, start, i - start), {}, false});
                if (i < s.size() && s[i] == u'\r' && i + 1 < s.size() && s[i + 1] == u'\n')
                    ++i;
                start = i + 1;
                if (i == s.size())
                    break;
            }
        }
        // A final line break adds no empty line.
        if (lines.size() > 1 && !s.isEmpty() && (s.endsWith(u'\n') || s.endsWith(u'\r')))
            lines.pop_back();
    }
    if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS))
        for (Line& l : lines)
            Ellipsize(s, l, room, lay);

    const int lineH = fm.ascent() + fm.descent() + ((format & DT_EXTERNALLEADING) ? std::max(0, fm.leading()) : 0);
    const int totalH = s.isEmpty() && (format & DT_SINGLELINE) ? lineH : int(lines.size()) * lineH;

    if (format & DT_CALCRECT) {
        int maxW = 0;
        for (const Line& l : lines)
            maxW = std::max(maxW, l.Width);
        if (!(format & DT_WORDBREAK) || maxW > 0 || s.isEmpty())
            rect.Right = rect.Left + lm + maxW + rm;
        rect.Bottom = rect.Top + totalH;
        return totalH;
    }

    int y = rect.Top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect.Top + (rect.Height() - lineH) / 2;
        else if (format & DT_BOTTOM)
            y = rect.Bottom - lineH;
    }
    const int result = (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM)) ? y - rect.Top + lineH : totalH;
    if (!dc->Painter || s.isEmpty())
        return result;

    QPainter* p = dc->Painter;
    // The font goes on before the clip's save, so the restore below does not take it off
    // while the context still counts it as applied.
    dc->ApplyFont();
    const bool clip = !(format & DT_NOCLIP);
    if (clip) {
        p->save();
        const QRect c = dc->DevRect(rect);
        if (dc->S.HasClip)
            p->setClipRegion(dc->S.Clip.intersected(c));
        else
            p->setClipRect(c);
    }
    p->setPen(ToQColor(dc->S.TextColor));
    const bool rtlLayout = (dc->S.Layout & LAYOUT_RTL) != 0;
    for (const Line& l : lines) {
        int x;
        if (format & DT_CENTER)
            x = rect.Left + lm + (room - l.Width) / 2;
        else if (format & DT_RIGHT)
            x = rect.Right - rm - l.Width;
        else
            x = rect.Left + lm;
        const QRect box = dc->DevRect(TRect(x, y, x + std::max(1, l.Width), y + lineH));
        if (dc->S.BkMode == OPAQUE)
            dc->FillDev(box, dc->S.BkColor);
        const QString lineText = l.HasEllipsis ? l.Ellipsized : s.mid(l.Start, l.Length);
        if (format & DT_RTLREADING)
            p->setLayoutDirection(Qt::RightToLeft);
        // A scaled context draws the line in a frame of logical units at its top left.
        const bool framed = dc->S.Scaled;
        if (framed)
            dc->BeginLogicalFrame(x, y);
        const QPoint at = framed ? QPoint(0, 0) : QPoint(rtlLayout ? box.left() : dc->DX(x), dc->DY(y));
        DrawRun(dc, lineText, at.x(), at.y(), lay, fm.ascent());
        if (format & DT_RTLREADING)
            p->setLayoutDirection(Qt::LeftToRight);
        if (underline >= l.Start && underline < l.Start + l.Length && !l.HasEllipsis) {
            const int ux = (framed ? 0 : box.left()) + lay.Width(s, l.Start, underline - l.Start);
            const int uw = lay.Width(s, underline, 1);
            p->fillRect(QRect(ux, (framed ? 0 : box.top()) + fm.ascent() + 1, uw, 1), ToQColor(dc->S.TextColor));
        }
        if (framed)
            p->restore();
        y += lineH;
    }
    if (clip)
        p->restore();
    return result;
}

int DrawText(HDC dc, const QString& text, int count, TRect& rect, UINT format)
{
    return DrawTextEx(dc, text, count, rect, format, nullptr);
}
