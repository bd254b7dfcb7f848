#include "Mask.h"

#include "platform/winapi/Messages.h"
#include "platform/winapi/WinGdi.h"
#include "platform/winapi/WinUser.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>

DOV_PUBLISHED(TCustomEdit) {}
DOV_PUBLISHED(TCustomMaskEdit) {}
DOV_PUBLISHED(TEdit)
{
    P.Prop("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength).Default(0);
    P.Prop("NumbersOnly", &TCustomEdit::NumbersOnly, &TCustomEdit::SetNumbersOnly).Default(false);
    P.Prop("Text", &TControl::Text, &TControl::SetText);
}

// ---------------------------------------------------------------- TCustomEdit

TCustomEdit::TCustomEdit(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 121;
    FHeight = 21;
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
    FCursor = crIBeam;
    ControlStyle.Include(csDoubleClicks);
}

void TCustomEdit::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    if (FMultiLine)
        Params.Style |= ES_MULTILINE;
    if (!FMultiLine || !WordWrap)
        Params.Style |= ES_AUTOHSCROLL;
}

void TCustomEdit::CreateWindowHandle(const TCreateParams& Params)
{
    TCustomControl::CreateWindowHandle(Params);
    FMultiLine = (Params.Style & ES_MULTILINE) != 0;
    if (FMultiLine)
        WordWrap = (Params.Style & ES_AUTOHSCROLL) == 0;
}

void TCustomEdit::Resize()
{
    TCustomControl::Resize();
    if (!FFormatRectSet)
        FFormatRect = ClientRect();
}

QString TCustomEdit::ApplyCase(const QString& S) const
{
    switch (FCharCase) {
    case ecUpperCase: return S.toUpper();
    case ecLowerCase: return S.toLower();
    default: return S;
    }
}

void TCustomEdit::SetCharCase(TEditCharCase Value)
{
    FCharCase = Value;
    if (Value != ecNormal)
        SetText(ApplyCase(Text()));
}

QString TCustomEdit::DisplayText() const
{
    if (FPasswordChar.isNull())
        return Text();
    return QString(Text().size(), FPasswordChar);
}

void TCustomEdit::SetEditText(const QString& Value)
{
    QString v = ApplyCase(Value);
    if (FMaxLength > 0 && v.size() > FMaxLength)
        v.truncate(FMaxLength);
    FSelStart = std::min<int>(FSelStart, v.size());
    FSelLength = 0;
    SetText(v);
}

void TCustomEdit::SetSelStart(int Value)
{
    FSelStart = std::clamp(Value, 0, int(Text().size()));
    FSelLength = 0;
    FCaretAtLineEnd = false;
    FCaretX = -1;
    Invalidate();
}

void TCustomEdit::SetSelLength(int Value)
{
    FSelLength = std::clamp(FSelStart + Value, 0, int(Text().size())) - FSelStart;
    FCaretAtLineEnd = false;
    FCaretX = -1;
    Invalidate();
}

void TCustomEdit::SelectAll()
{
    FSelStart = 0;
    FSelLength = int(Text().size());
    Invalidate();
}

void TCustomEdit::ClearSelection()
{
    Perform(WM_CLEAR, 0, 0);
}

void TCustomEdit::RememberUndo()
{
    FUndoText = Text();
    FUndoSelStart = FSelStart;
    FUndoSelLength = FSelLength;
    FCanUndo = true;
}

void TCustomEdit::NotifyUserChange()
{
    Perform(CN_COMMAND, WPARAM(MAKELONG(0, EN_CHANGE)), 0);
}

void TCustomEdit::ReplaceRange(int Start, int Length, const QString& With)
{
    RememberUndo();
    QString t = Text();
    t.replace(Start, Length, With);
    FSelStart = Start + int(With.size());
    FSelLength = 0;
    Modified = true;
    SetText(t);
    NotifyUserChange();
}

void TCustomEdit::SetSelText(const QString& Value)
{
    if (FReadOnly)
        return;
    const int start = std::min(FSelStart, FSelStart + FSelLength);
    const int len = std::abs(FSelLength);
    QString ins = ApplyCase(Value);
    if (!FMultiLine)
        ins.replace(QLatin1Char('\n'), QString()).replace(QLatin1Char('\r'), QString());
    if (FMaxLength > 0) {
        const int room = FMaxLength - (int(Text().size()) - len);
        if (room < int(ins.size()))
            ins.truncate(std::max(0, room));
    }
    if (ins.isEmpty() && len == 0)
        return;
    ReplaceRange(start, len, ins);
}

void TCustomEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }
void TCustomEdit::Undo() { Perform(WM_UNDO, 0, 0); }

void TCustomEdit::WMCopy(TMessage&)
{
    if (FSelLength != 0 && FPasswordChar.isNull())
        QGuiApplication::clipboard()->setText(SelText());
}

void TCustomEdit::WMCut(TMessage& M)
{
    if (FReadOnly || FSelLength == 0)
        return;
    WMCopy(M);
    WMClear(M);
}

void TCustomEdit::WMPaste(TMessage&)
{
    SetSelText(QGuiApplication::clipboard()->text());
}

void TCustomEdit::WMClear(TMessage&)
{
    if (FReadOnly || FSelLength == 0)
        return;
    SetSelText(QString());
}

void TCustomEdit::WMUndo(TMessage& M)
{
    if (!FCanUndo || FReadOnly)
        return;
    // Undoing twice redoes: the undo step swaps with the current text.
    const QString t = Text();
    const int s = FSelStart, l = FSelLength;
    FSelStart = FUndoSelStart;
    FSelLength = FUndoSelLength;
    SetText(FUndoText);
    FUndoText = t;
    FUndoSelStart = s;
    FUndoSelLength = l;
    Modified = true;
    NotifyUserChange();
    M.Result = 1;
}

void TCustomEdit::Dispatch(TMessage& M)
{
    switch (M.Msg) {
    case EM_GETSEL: {
        const int a = std::min(FSelStart, FSelStart + FSelLength), b = std::max(FSelStart, FSelStart + FSelLength);
        if (M.WParam)
            *reinterpret_cast<DWORD*>(M.WParam) = DWORD(a);
        if (M.LParam)
            *reinterpret_cast<DWORD*>(M.LParam) = DWORD(b);
        M.Result = LRESULT(MAKELONG(WORD(a), WORD(b)));
        return;
    }
    case EM_SETSEL: {
        const int len = int(Text().size());
        int a = int(M.WParam), b = int(M.LParam);
        if (a == -1) {
            FSelLength = 0;   // remove the selection, keep the caret
        } else {
            if (a < -1 || a > len)
                a = len;
            if (b < 0 || b > len)
                b = len;
            FSelStart = a;
            FSelLength = b - a;
        }
        FCaretAtLineEnd = false;
        FCaretX = -1;
        Invalidate();
        return;
    }
    case EM_GETRECT:
        if (M.LParam)
            *reinterpret_cast<TRect*>(M.LParam) = FFormatRect;
        return;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (M.LParam) {
            FFormatRect = *reinterpret_cast<const TRect*>(M.LParam);
            FFormatRectSet = true;
        } else {
            FFormatRect = ClientRect();
            FFormatRectSet = false;
        }
        if (M.Msg == EM_SETRECT)
            Invalidate();
        return;
    case EM_GETMODIFY: M.Result = Modified ? 1 : 0; return;
    case EM_SETMODIFY: Modified = M.WParam != 0; return;
    case EM_CANUNDO: M.Result = FCanUndo ? 1 : 0; return;
    case EM_UNDO:
    case WM_UNDO: WMUndo(M); return;
    case EM_LIMITTEXT: FMaxLength = int(M.WParam); return;
    case EM_SETREADONLY: FReadOnly = M.WParam != 0; return;
    case EM_SCROLLCARET: ScrollCaretIntoView(); return;
    case EM_GETLINECOUNT: M.Result = LineCount(); return;
    case EM_LINEFROMCHAR: M.Result = LineFromChar(int(M.WParam)); return;
    case EM_LINEINDEX: M.Result = LineIndex(int(M.WParam)); return;
    case EM_LINELENGTH: {
        const std::vector<TEditLine> lines = Layout();
        M.Result = lines[LineOfPos(lines, int(M.WParam), false)].Length;
        return;
    }
    case EM_CHARFROMPOS: {
        // The character nearest to the point (low word) and its visual line (high word).
        const int pos = CharAt(GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam));
        M.Result = LRESULT(MAKELONG(WORD(pos), WORD(LineFromChar(pos))));
        return;
    }
    case EM_POSFROMCHAR: {
        const TPoint p = PosFromChar(int(M.WParam));
        M.Result = LRESULT(MAKELONG(WORD(int16_t(p.X)), WORD(int16_t(p.Y))));
        return;
    }
    case WM_CUT: WMCut(M); return;
    case WM_COPY: WMCopy(M); return;
    case WM_PASTE: WMPaste(M); return;
    case WM_CLEAR: WMClear(M); return;
    default: break;
    }
    TCustomControl::Dispatch(M);
}

void TCustomEdit::WMGetDlgCode(TMessage& M)
{
    M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FMultiLine)
        M.Result |= DLGC_WANTALLKEYS;
}

void TCustomEdit::CMTextChanged(TMessage& M)
{
    TCustomControl::CMTextChanged(M);
    FCaretAtLineEnd = false;
    FCaretX = -1;
    FSelStart = std::min<int>(FSelStart, Text().size());
    FSelLength = std::clamp(FSelStart + FSelLength, 0, int(Text().size())) - FSelStart;
    Invalidate();
    Change();
}

void TCustomEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomEdit::MoveCaret(int NewPos, bool Extend, bool AtLineEnd)
{
    NewPos = std::clamp(NewPos, 0, int(Text().size()));
    if (Extend) {
        FSelLength = NewPos - FSelStart;
    } else {
        FSelStart = NewPos;
        FSelLength = 0;
    }
    FCaretAtLineEnd = AtLineEnd;
    FCaretX = -1;
    ScrollCaretIntoView();
    Invalidate();
}

// ---- multi-line layout

TCanvas* TCustomEdit::MeasureCanvas()
{
    // Outside painting the control's canvas has no context: text is measured on a bitmap.
    TCanvas* c = Canvas();
    if (!c->HandleAllocated()) {
        if (!FMeasure)
            FMeasure = std::make_unique<TBitmap>(1, 1);
        c = FMeasure->Canvas();
    }
    c->Font()->Assign(Font());
    return c;
}

TRect TCustomEdit::TextRect()
{
    return FFormatRect.Width() > 0 ? FFormatRect : ClientRect();
}

int TCustomEdit::LineHeight()
{
    TCanvas* c = MeasureCanvas();
    return std::max(1, c->TextHeight(QStringLiteral("W")));
}

std::vector<TCustomEdit::TEditLine> TCustomEdit::Layout()
{
    const QString t = DisplayText();
    const int n = int(t.size());
    if (!FMultiLine)
        return {TEditLine{0, n, false}};
    TCanvas* c = MeasureCanvas();
    const int width = TextRect().Width();
    const bool wrap = WordWrap && width > 0;
    std::vector<TEditLine> lines;
    int p = 0;
    for (;;) {
        int e = p;
        while (e < n && t[e] != QLatin1Char('\n'))
            ++e;
        const int lineEnd = e > p && t[e - 1] == QLatin1Char('\r') ? e - 1 : e;
        int s = p;
        while (wrap && s < lineEnd && c->TextWidth(t.mid(s, lineEnd - s)) > width) {
            // The longest prefix that fits, then back to the last blank; blanks hang at the end
            // of the line; a word wider than the line is cut.
            int fit = 0, lo = 1, hi = lineEnd - s - 1;
            while (lo <= hi) {
                const int mid = (lo + hi) / 2;
                if (c->TextWidth(t.mid(s, mid)) <= width) {
                    fit = mid;
                    lo = mid + 1;
                } else {
                    hi = mid - 1;
                }
            }
            int brk;
            if (t[s + fit] == QLatin1Char(' ')) {
                brk = s + fit;
                while (brk < lineEnd && t[brk] == QLatin1Char(' '))
                    ++brk;
            } else {
                int k = s + fit - 1;
                while (k >= s && t[k] != QLatin1Char(' '))
                    --k;
                brk = k >= s ? k + 1 : s + std::max(fit, 1);
            }
            if (brk >= lineEnd)
                break;
            lines.push_back({s, brk - s, true});
            s = brk;
        }
        lines.push_back({s, lineEnd - s, false});
        if (e >= n)
            break;
        p = e + 1;
    }
    return lines;
}

int TCustomEdit::LineOfPos(const std::vector<TEditLine>& Lines, int Pos, bool AtEnd)
{
    for (size_t i = 0; i < Lines.size(); ++i) {
        const TEditLine& l = Lines[i];
        if (Pos <= l.Start + l.Length) {
            if (Pos == l.Start + l.Length && l.Soft && !AtEnd && i + 1 < Lines.size())
                return int(i + 1);
            return int(i);
        }
    }
    return int(Lines.size()) - 1;
}

int TCustomEdit::NearestInLine(const TEditLine& Line, int X)
{
    TCanvas* c = MeasureCanvas();
    const QString t = DisplayText().mid(Line.Start, Line.Length);
    const int x = X - TextRect().Left;
    int best = 0, bestDist = std::abs(x);
    for (int i = 1; i <= t.size(); ++i) {
        const int d = std::abs(x - c->TextWidth(t.left(i)));
        if (d < bestDist) {
            best = i;
            bestDist = d;
        }
    }
    return Line.Start + best;
}

int TCustomEdit::LineCount()
{
    return int(Layout().size());
}

int TCustomEdit::LineFromChar(int Pos)
{
    const std::vector<TEditLine> lines = Layout();
    if (Pos < 0)
        return LineOfPos(lines, CaretPos(), FCaretAtLineEnd);
    return LineOfPos(lines, Pos, false);
}

int TCustomEdit::LineIndex(int Line)
{
    const std::vector<TEditLine> lines = Layout();
    if (Line < 0)
        Line = LineOfPos(lines, CaretPos(), FCaretAtLineEnd);
    return Line < int(lines.size()) ? lines[Line].Start : -1;
}

TPoint TCustomEdit::PosFromChar(int Pos)
{
    const std::vector<TEditLine> lines = Layout();
    Pos = std::clamp(Pos, 0, int(Text().size()));
    const int i = LineOfPos(lines, Pos, Pos == CaretPos() && FCaretAtLineEnd);
    const TEditLine& l = lines[i];
    TCanvas* c = MeasureCanvas();
    const TRect r = TextRect();
    const int x = r.Left + c->TextWidth(DisplayText().mid(l.Start, std::clamp(Pos - l.Start, 0, l.Length)));
    return TPoint(x, r.Top + (i - FTopLine) * LineHeight());
}

void TCustomEdit::ScrollCaretIntoView()
{
    if (!FMultiLine) {
        FTopLine = 0;
        return;
    }
    const std::vector<TEditLine> lines = Layout();
    const int i = LineOfPos(lines, CaretPos(), FCaretAtLineEnd);
    const int visible = std::max(1, TextRect().Height() / LineHeight());
    if (i < FTopLine)
        FTopLine = i;
    else if (i >= FTopLine + visible)
        FTopLine = i - visible + 1;
    FTopLine = std::clamp(FTopLine, 0, std::max(0, int(lines.size()) - 1));
}

void TCustomEdit::MoveCaretVert(int Delta, bool Extend)
{
    const std::vector<TEditLine> lines = Layout();
    const int caret = CaretPos();
    const int i = LineOfPos(lines, caret, FCaretAtLineEnd);
    const int j = std::clamp(i + Delta, 0, int(lines.size()) - 1);
    if (j == i)
        return;
    int x = FCaretX;
    if (x < 0) {
        TCanvas* c = MeasureCanvas();
        x = c->TextWidth(DisplayText().mid(lines[i].Start, std::clamp(caret - lines[i].Start, 0, lines[i].Length)));
    }
    const int pos = NearestInLine(lines[j], TextRect().Left + x);
    MoveCaret(pos, Extend, lines[j].Soft && pos == lines[j].Start + lines[j].Length);
    FCaretX = x;   // kept over lines shorter than the column
}

void TCustomEdit::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const bool ext = Shift.Contains(ssShift);
    const int caret = FSelStart + FSelLength;
    switch (Key) {
    case VK_LEFT: MoveCaret(ext ? caret - 1 : (FSelLength ? std::min(caret, FSelStart) : caret - 1), ext); break;
    case VK_RIGHT: MoveCaret(ext ? caret + 1 : (FSelLength ? std::max(caret, FSelStart) : caret + 1), ext); break;
    case VK_HOME:
    case VK_END:
        if (FMultiLine && !Shift.Contains(ssCtrl)) {
            // Within the visual line the caret is on.
            const std::vector<TEditLine> lines = Layout();
            const TEditLine& l = lines[LineOfPos(lines, caret, FCaretAtLineEnd)];
            if (Key == VK_HOME)
                MoveCaret(l.Start, ext);
            else
                MoveCaret(l.Start + l.Length, ext, l.Soft);
        } else {
            MoveCaret(Key == VK_HOME ? 0 : int(Text().size()), ext);
        }
        break;
    case VK_UP:
    case VK_DOWN:
        if (FMultiLine)
            MoveCaretVert(Key == VK_UP ? -1 : 1, ext);
        break;
    case VK_DELETE:
        if (FReadOnly)
            break;
        if (Shift.Contains(ssShift)) {
            CutToClipboard();
        } else if (FSelLength != 0) {
            ClearSelection();
        } else if (FSelStart < Text().size()) {
            ReplaceRange(FSelStart, 1, QString());
        }
        Key = 0;
        break;
    case VK_INSERT:
        if (Shift.Contains(ssShift))
            PasteFromClipboard();
        else if (Shift.Contains(ssCtrl))
            CopyToClipboard();
        break;
    default: break;
    }
}

void TCustomEdit::KeyPress(QChar& Key)
{
    TCustomControl::KeyPress(Key);
    const char16_t c = Key.unicode();
    switch (c) {
    case 0: return;
    case 1: SelectAll(); return;              // Ctrl+A
    case 3: CopyToClipboard(); return;        // Ctrl+C
    case 22: PasteFromClipboard(); return;    // Ctrl+V
    case 24: CutToClipboard(); return;        // Ctrl+X
    case 26: Undo(); return;                  // Ctrl+Z
    case 8:
        if (FReadOnly)
            return;
        if (FSelLength != 0)
            ClearSelection();
        else if (FSelStart > 0) {
            --FSelStart;
            ReplaceRange(FSelStart, 1, QString());
        }
        return;
    case 13:
        if (FMultiLine && !FReadOnly)
            SetSelText(QStringLiteral("\n"));
        return;
    default:
        if (c < 32 || FReadOnly || (FNumbersOnly && (c < u'0' || c > u'9')))
            return;
        SetSelText(QString(Key));
    }
}

int TCustomEdit::CharAt(int X, int Y, bool* AtLineEnd)
{
    // The boundary nearest to X on the visual line under Y.
    const std::vector<TEditLine> lines = Layout();
    int i = 0;
    if (FMultiLine) {
        const int dy = Y - TextRect().Top;
        i = std::clamp(FTopLine + (dy < 0 ? -1 : dy / LineHeight()), 0, int(lines.size()) - 1);
    }
    const int pos = NearestInLine(lines[i], X);
    if (AtLineEnd)
        *AtLineEnd = lines[i].Soft && pos == lines[i].Start + lines[i].Length;
    return pos;
}

void TCustomEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (CanFocus() && !Focused())
        SetFocus();
    if (Shift.Contains(ssDouble))
        SelectAll();
    else {
        bool atEnd = false;
        const int pos = CharAt(X, Y, &atEnd);
        MoveCaret(pos, Shift.Contains(ssShift), atEnd);
    }
}

void TCustomEdit::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    c->Font()->Assign(Font());
    const TRect r = TextRect();
    const QString t = DisplayText();
    const int lh = LineHeight();
    const int selA = std::min(FSelStart, FSelStart + FSelLength), selB = std::max(FSelStart, FSelStart + FSelLength);
    const std::vector<TEditLine> lines = Layout();
    if (FTopLine >= int(lines.size()))
        FTopLine = std::max(0, int(lines.size()) - 1);
    const HRGN saved = c->SaveClipRegion();
    IntersectClipRect(c->Handle(), r.Left, r.Top, r.Right, r.Bottom);
    int y = r.Top;
    for (size_t i = FTopLine; i < lines.size() && y < r.Bottom; ++i, y += lh) {
        const TEditLine& l = lines[i];
        const QString line = t.mid(l.Start, l.Length);
        // The selected part of this line; a selected line break shows as a little extra.
        const int a = std::clamp(selA - l.Start, 0, l.Length), b = std::clamp(selB - l.Start, 0, l.Length);
        const bool breakSelected = FMultiLine && !l.Soft && i + 1 < lines.size() && selA <= l.Start + l.Length && selB > l.Start + l.Length;
        if (b > a || breakSelected) {
            const int xa = r.Left + c->TextWidth(line.left(a));
            int xb = r.Left + c->TextWidth(line.left(b));
            if (breakSelected)
                xb += c->TextWidth(QStringLiteral(" "));
            c->Brush()->SetColor(Focused() ? clHighlight : clBtnFace);
            c->FillRect(TRect(xa, y, xb, y + lh));
        }
        c->Brush()->SetStyle(bsClear);
        c->TextOut(r.Left, y, line);
        c->Brush()->SetStyle(bsSolid);
    }
    c->RestoreClipRegion(saved);
    if (Focused() && FSelLength == 0 && FCaretHideCount == 0) {
        const TPoint p = PosFromChar(FSelStart);
        if (p.Y >= r.Top && p.Y < r.Bottom) {
            c->Pen()->SetColor(clWindowText);
            c->MoveTo(p.X, p.Y);
            c->LineTo(p.X, p.Y + lh);
        }
    }
}

void TCustomEdit::SetCaretHideCount(int Value)
{
    FCaretHideCount = std::max(0, Value);
    Invalidate();
}

namespace {
TCustomEdit* EditOf(HWND Wnd)
{
    return dynamic_cast<TCustomEdit*>(FindControl(Wnd));
}
}

bool GetCaretPos(TPoint& Point)
{
    TCustomEdit* e = EditOf(GetFocus());
    if (!e)
        return false;
    Point = e->PosFromChar(e->CaretPos());
    return true;
}

bool HideCaret(HWND Wnd)
{
    TCustomEdit* e = EditOf(Wnd ? Wnd : GetFocus());
    if (!e)
        return false;
    e->SetCaretHideCount(e->CaretHideCount() + 1);
    return true;
}

bool ShowCaret(HWND Wnd)
{
    TCustomEdit* e = EditOf(Wnd ? Wnd : GetFocus());
    if (!e || e->CaretHideCount() == 0)
        return false;
    e->SetCaretHideCount(e->CaretHideCount() - 1);
    return true;
}

// ---------------------------------------------------------------- TCustomMaskEdit

TCustomMaskEdit::TCustomMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}

void TCustomMaskEdit::SetEditMask(const QString& Value)
{
    const QString oldValue = IsMasked() ? MaskedText() : Text();
    FEditMask = Value;
    FMask.clear();
    FSaveLiterals = true;
    FBlank = QLatin1Char('_');
    QString m = Value;
    // The trailing fields: ";save literals;blank".
    const int last = int(m.lastIndexOf(QLatin1Char(';')));
    if (last > 0 && last == m.size() - 2 && m[last - 1] != QLatin1Char('\\')) {
        FBlank = m[last + 1];
        m.truncate(last);
        const int prev = int(m.lastIndexOf(QLatin1Char(';')));
        if (prev > 0 && prev == m.size() - 2 && m[prev - 1] != QLatin1Char('\\')) {
            FSaveLiterals = m[prev + 1] != QLatin1Char('0');
            m.truncate(prev);
        }
    }
    int kase = 0;
    for (int i = 0; i < m.size(); ++i) {
        const QChar ch = m[i];
        TMaskChar mc;
        mc.Case = kase;
        switch (ch.unicode()) {
        case '!': continue;
        case '>':
            if (i + 1 < m.size() && m[i + 1] == QLatin1Char('<')) {
                kase = 0;
                ++i;
            } else {
                kase = 1;
            }
            continue;
        case '<':
            if (i + 1 < m.size() && m[i + 1] == QLatin1Char('>')) {
                kase = 0;
                ++i;
            } else {
                kase = -1;
            }
            continue;
        case '\\':
            if (i + 1 < m.size()) {
                mc.Literal = m[++i];
                FMask.push_back(mc);
            }
            continue;
        case 'L': case 'A': case 'C': case '0':
            mc.Kind = ch;
            mc.Required = true;
            break;
        case 'l': case 'a': case 'c': case '9': case '#':
            mc.Kind = ch;
            break;
        case ':': mc.Literal = QLatin1Char(':'); break;
        case '/': mc.Literal = QLatin1Char('.'); break;   // the date separator of the Russian settings
        case '_': mc.Literal = QLatin1Char(' '); break;
        default: mc.Literal = ch; break;
        }
        FMask.push_back(mc);
    }
    if (IsMasked()) {
        FSelStart = 0;
        FSelLength = 0;
        SetMaskedText(oldValue);
    }
    FOldValue = Text();
}

QString TCustomMaskEdit::BlankText() const
{
    QString s;
    for (const TMaskChar& m : FMask)
        s += m.Kind.isNull() ? m.Literal : FBlank;
    return s;
}

bool TCustomMaskEdit::CharFits(int Pos, QChar& C) const
{
    const TMaskChar& m = FMask[size_t(Pos)];
    if (m.Kind.isNull())
        return false;
    switch (m.Kind.unicode()) {
    case 'L': case 'l': if (!C.isLetter()) return false; break;
    case 'A': case 'a': if (!C.isLetterOrNumber()) return false; break;
    case '0': case '9': if (!C.isDigit()) return false; break;
    case '#': if (!C.isDigit() && C != QLatin1Char('+') && C != QLatin1Char('-')) return false; break;
    default: break;
    }
    if (m.Case > 0)
        C = C.toUpper();
    else if (m.Case < 0)
        C = C.toLower();
    return true;
}

int TCustomMaskEdit::NextEditable(int Pos, bool Forward) const
{
    const int n = int(FMask.size());
    if (Forward) {
        while (Pos < n && FMask[size_t(Pos)].Kind.isNull())
            ++Pos;
        return Pos;
    }
    while (Pos >= 0 && FMask[size_t(Pos)].Kind.isNull())
        --Pos;
    return Pos;
}

QString TCustomMaskEdit::MaskedText() const
{
    if (!IsMasked())
        return Text();
    const QString t = Text();
    QString out;
    for (int i = 0; i < int(FMask.size()) && i < t.size(); ++i) {
        const TMaskChar& m = FMask[size_t(i)];
        if (m.Kind.isNull()) {
            if (FSaveLiterals)
                out += m.Literal;
        } else {
            out += t[i] == FBlank ? QLatin1Char(' ') : t[i];
        }
    }
    return out;
}

void TCustomMaskEdit::SetMaskedText(const QString& Value)
{
    if (!IsMasked()) {
        TCustomEdit::SetEditText(Value);
        return;
    }
    QString t = BlankText();
    int v = 0;
    for (int i = 0; i < int(FMask.size()) && v < Value.size(); ++i) {
        const TMaskChar& m = FMask[size_t(i)];
        if (m.Kind.isNull()) {
            if (FSaveLiterals)
                ++v;   // the value carries the literal too
            continue;
        }
        QChar c = Value[v++];
        if (c == QLatin1Char(' '))
            continue;
        if (CharFits(i, c))
            t[i] = c;
    }
    SetText(t);
    FOldValue = t;
}

void TCustomMaskEdit::SetEditText(const QString& Value)
{
    if (!IsMasked()) {
        TCustomEdit::SetEditText(Value);
        return;
    }
    QString t = BlankText();
    for (int i = 0; i < int(FMask.size()) && i < Value.size(); ++i) {
        QChar c = Value[i];
        if (!FMask[size_t(i)].Kind.isNull() && c != FBlank && CharFits(i, c))
            t[i] = c;
    }
    SetText(t);
    FOldValue = t;
}

void TCustomMaskEdit::ClearRange(int Start, int Length)
{
    QString t = Text();
    for (int i = Start; i < Start + Length && i < t.size(); ++i)
        if (!FMask[size_t(i)].Kind.isNull())
            t[i] = FBlank;
    RememberUndo();
    FSelStart = Start;
    FSelLength = 0;
    Modified = true;
    SetText(t);
    NotifyUserChange();
}

void TCustomMaskEdit::InsertMaskedChars(const QString& S)
{
    QString t = Text();
    const int a = std::min(FSelStart, FSelStart + FSelLength), len = std::abs(FSelLength);
    RememberUndo();
    for (int i = a; i < a + len; ++i)
        if (!FMask[size_t(i)].Kind.isNull())
            t[i] = FBlank;
    int pos = a;
    bool changed = len > 0;
    for (QChar c : S) {
        // A literal typed where it stands is stepped over.
        if (pos < int(FMask.size()) && FMask[size_t(pos)].Kind.isNull() && FMask[size_t(pos)].Literal == c) {
            ++pos;
            continue;
        }
        pos = NextEditable(pos, true);
        if (pos >= int(FMask.size()))
            break;
        if (!CharFits(pos, c)) {
            // A literal typed early jumps to where that literal stands.
            int lit = pos;
            while (lit < int(FMask.size()) && !(FMask[size_t(lit)].Kind.isNull() && FMask[size_t(lit)].Literal == c))
                ++lit;
            if (lit < int(FMask.size())) {
                pos = lit + 1;
                changed = true;
                continue;
            }
            MessageBeep(0);
            break;
        }
        t[pos] = c;
        ++pos;
        changed = true;
    }
    if (!changed)
        return;
    FSelStart = NextEditable(pos, true);
    if (FSelStart > int(FMask.size()))
        FSelStart = int(FMask.size());
    FSelLength = 0;
    Modified = true;
    SetText(t);
    NotifyUserChange();
}

void TCustomMaskEdit::KeyDown(Word& Key, TShiftState Shift)
{
    if (Key == VK_ESCAPE && IsMasked() && Modified) {
        Reset();
        Key = 0;
        return;
    }
    if (IsMasked() && (Key == VK_DELETE)) {
        TCustomControl::KeyDown(Key, Shift);
        if (Key == 0)
            return;
        if (!EditCanModify()) {
            Key = 0;
            return;
        }
        if (Shift.Contains(ssShift)) {
            CutToClipboard();
        } else {
            const int a = std::min(FSelStart, FSelStart + FSelLength);
            ClearRange(a, FSelLength != 0 ? std::abs(FSelLength) : 1);
        }
        Key = 0;
        return;
    }
    TCustomEdit::KeyDown(Key, Shift);
}

void TCustomMaskEdit::KeyPress(QChar& Key)
{
    if (!IsMasked()) {
        if ((Key.unicode() >= 32 || Key == QChar(8) || Key == QChar(22) || Key == QChar(24)) && !EditCanModify()) {
            Key = QChar(0);
            return;
        }
        TCustomEdit::KeyPress(Key);
        return;
    }
    TCustomControl::KeyPress(Key);
    const char16_t c = Key.unicode();
    if (c == 0)
        return;
    if (c == 27) {
        Reset();
        return;
    }
    if (c == 1 || c == 3 || c == 26) {
        TCustomEdit::KeyPress(Key);
        return;
    }
    if (!EditCanModify())
        return;
    if (c == 22) {
        PasteFromClipboard();
    } else if (c == 24) {
        CutToClipboard();
    } else if (c == 8) {
        if (FSelLength != 0) {
            ClearRange(std::min(FSelStart, FSelStart + FSelLength), std::abs(FSelLength));
        } else {
            const int p = NextEditable(FSelStart - 1, false);
            if (p >= 0)
                ClearRange(p, 1);
        }
    } else if (c >= 32) {
        InsertMaskedChars(QString(Key));
    }
}

void TCustomMaskEdit::WMCut(TMessage& M)
{
    if (!EditCanModify())
        return;
    if (!IsMasked()) {
        TCustomEdit::WMCut(M);
        return;
    }
    WMCopy(M);
    if (FSelLength != 0)
        ClearRange(std::min(FSelStart, FSelStart + FSelLength), std::abs(FSelLength));
}

void TCustomMaskEdit::WMPaste(TMessage& M)
{
    if (!EditCanModify())
        return;
    if (!IsMasked()) {
        TCustomEdit::WMPaste(M);
        return;
    }
    InsertMaskedChars(QGuiApplication::clipboard()->text());
}

void TCustomMaskEdit::WMClear(TMessage& M)
{
    if (!EditCanModify())
        return;
    if (!IsMasked()) {
        TCustomEdit::WMClear(M);
        return;
    }
    if (FSelLength != 0)
        ClearRange(std::min(FSelStart, FSelStart + FSelLength), std::abs(FSelLength));
}

void TCustomMaskEdit::ValidateEdit()
{
    if (!IsMasked())
        return;
    const QString t = Text();
    for (int i = 0; i < int(FMask.size()); ++i) {
        const TMaskChar& m = FMask[size_t(i)];
        if (m.Required && (i >= t.size() || t[i] == FBlank)) {
            FSelStart = i;
            FSelLength = 0;
            Invalidate();
            throw EDBEditError(QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
        }
    }
}

void TCustomMaskEdit::Reset()
{
    SetText(FOldValue);
    Modified = false;
    SelectAll();
}
