#include "StdCtrls.h"

#include "ScrollBars.h"
#include "platform/rtl/Classes.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinUser.h"

DOV_PUBLISHED(TCustomMemo) {}
DOV_PUBLISHED(TMemo)
{
    P.Prop("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle).Default(bsSingle);
    P.Prop("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars).Default(ssNone);
    P.Prop("Lines", &TCustomMemo::Lines);
}

namespace {

const QString CRLF = QStringLiteral("\r\n");

// The memo's text as paragraphs: split at CR LF, lone CR or lone LF; a break at the very end
// opens no further line.
QStringList SplitLines(const QString& Text)
{
    QStringList lines;
    const int n = int(Text.size());
    int p = 0;
    while (p < n) {
        int e = p;
        while (e < n && Text[e] != u'\r' && Text[e] != u'\n')
            ++e;
        lines << Text.mid(p, e - p);
        if (e < n && Text[e] == u'\r' && e + 1 < n && Text[e + 1] == u'\n')
            ++e;
        p = e + 1;
    }
    return lines;
}

bool EndsWithBreak(const QString& Text)
{
    return Text.endsWith(u'\n') || Text.endsWith(u'\r');
}

// Every lone CR or LF made a CR LF pair.
QString AdjustLineBreaks(const QString& Text)
{
    QString r;
    r.reserve(Text.size());
    for (int i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        if (c == u'\r') {
            r += CRLF;
            if (i + 1 < Text.size() && Text[i + 1] == u'\n')
                ++i;
        } else if (c == u'\n') {
            r += CRLF;
        } else {
            r += c;
        }
    }
    return r;
}

// The memo's Lines: a view of its text, one string a paragraph.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}
    int Count() const override { return int(SplitLines(FMemo->Text()).size()); }
    void Insert(int Index, const QString& S) override
    {
        const QString t = FMemo->Text();
        QStringList l = SplitLines(t);
        if (Index < 0 || Index > l.size())
            Error("List index out of bounds (%d)", Index);
        const bool trailing = Index == l.size() || EndsWithBreak(t);
        l.insert(Index, S);
        Store(l, trailing);
    }
    void Delete(int Index) override
    {
        const QString t = FMemo->Text();
        QStringList l = SplitLines(t);
        if (Index < 0 || Index >= l.size())
            Error("List index out of bounds (%d)", Index);
        l.removeAt(Index);
        Store(l, EndsWithBreak(t));
    }
    void Clear() override { FMemo->SetText(QString()); }
    void SetText(const QString& Text) override { FMemo->SetText(AdjustLineBreaks(Text)); }

protected:
    QString Get(int Index) const override
    {
        const QStringList l = SplitLines(FMemo->Text());
        if (Index < 0 || Index >= l.size())
            Error("List index out of bounds (%d)", Index);
        return l[Index];
    }
    void Put(int Index, const QString& S) override
    {
        const QString t = FMemo->Text();
        QStringList l = SplitLines(t);
        if (Index < 0 || Index >= l.size())
            Error("List index out of bounds (%d)", Index);
        l[Index] = S;
        Store(l, EndsWithBreak(t));
    }

private:
    void Store(const QStringList& Lines, bool Trailing)
    {
        QString t = AdjustLineBreaks(Lines.join(CRLF));
        if (Trailing && !Lines.isEmpty())
            t += CRLF;
        FMemo->SetText(t);
    }
    TCustomMemo* FMemo;
};

}  // namespace

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TMemoStrings>(this))
{
    FWidth = 185;
    FHeight = 89;
    FMultiLine = true;
    TCustomEdit::WordWrap = true;
}

TCustomMemo::~TCustomMemo() = default;

TStrings* TCustomMemo::Lines() const { return FLines.get(); }

void TCustomMemo::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TCustomMemo::SetWordWrap(bool Value)
{
    if (Value == TCustomEdit::WordWrap)
        return;
    TCustomEdit::WordWrap = Value;
    if (HandleAllocated())
        RecreateWnd();
    Invalidate();
}

void TCustomMemo::SetScrollBars(TScrollStyle Value)
{
    if (Value == FScrollBars)
        return;
    FScrollBars = Value;
    Resize();
    Invalidate();
}

TPoint TCustomMemo::CaretPos() const
{
    const QString t = Text();
    const int caret = std::clamp(TCustomEdit::CaretPos(), 0, int(t.size()));
    const QStringList before = SplitLines(t.left(caret));
    const int line = EndsWithBreak(t.left(caret)) ? int(before.size()) : std::max(0, int(before.size()) - 1);
    const int col = EndsWithBreak(t.left(caret)) || before.isEmpty() ? 0 : int(before.last().size());
    return TPoint(col, line);
}

void TCustomMemo::KeepOffLineBreak(int OldCaret)
{
    const QString t = Text();
    const int caret = TCustomEdit::CaretPos();
    if (caret <= 0 || caret >= t.size() || t[caret - 1] != u'\r' || t[caret] != u'\n')
        return;
    const int to = caret < OldCaret ? caret - 1 : caret + 1;
    if (FSelLength != 0 || caret != FSelStart)
        FSelLength = to - FSelStart;
    else
        FSelStart = to;
    Invalidate();
}

void TCustomMemo::KeyDown(Word& Key, TShiftState Shift)
{
    const int old = TCustomEdit::CaretPos();
    if (Key == VK_DELETE && !FReadOnly && !Shift.Contains(ssShift) && FSelLength == 0 &&
        Text().mid(FSelStart, 2) == CRLF) {
        // A line break goes as a whole.
        ReplaceRange(FSelStart, 2, QString());
        Key = 0;
        return;
    }
    TCustomEdit::KeyDown(Key, Shift);
    KeepOffLineBreak(old);
    UpdateScrollBar();
}

void TCustomMemo::KeyPress(QChar& Key)
{
    switch (Key.unicode()) {
    case 13:
        if (FWantReturns && !FReadOnly)
            SetSelText(CRLF);
        Key = QChar(0);
        return;
    case 9:
        if (FWantTabs && !FReadOnly)
            SetSelText(QStringLiteral("\t"));
        Key = QChar(0);
        return;
    case 8:
        if (!FReadOnly && FSelLength == 0 && FSelStart >= 2 && Text().mid(FSelStart - 2, 2) == CRLF) {
            ReplaceRange(FSelStart - 2, 2, QString());
            Key = QChar(0);
            return;
        }
        break;
    default: break;
    }
    TCustomEdit::KeyPress(Key);
    UpdateScrollBar();
}

void TCustomMemo::WMGetDlgCode(TMessage& M)
{
    TCustomEdit::WMGetDlgCode(M);
    if (FWantTabs)
        M.Result |= DLGC_WANTTAB;
    else
        M.Result &= ~LRESULT(DLGC_WANTTAB);
    if (!FWantReturns)
        M.Result &= ~LRESULT(DLGC_WANTALLKEYS);
}

void TCustomMemo::CMTextChanged(TMessage& M)
{
    TCustomEdit::CMTextChanged(M);
    UpdateScrollBar();
}

void TCustomMemo::Resize()
{
    TCustomEdit::Resize();
    if (!FFormatRectSet) {
        FFormatRect = ClientRect();
        if (FScrollBars == ssVertical || FScrollBars == ssBoth)
            FFormatRect.Right -= GetSystemMetrics(SM_CXVSCROLL);
    }
    UpdateScrollBar();
}

void TCustomMemo::UpdateScrollBar()
{
    const bool want = FScrollBars == ssVertical || FScrollBars == ssBoth;
    if (!want) {
        if (FVertBar)
            FVertBar->SetVisible(false);
        return;
    }
    if (!FVertBar) {
        FVertBar = Create<TScrollBar>(this);
        FVertBar->SetKind(sbVertical);
        FVertBar->SetTabStop(false);
        FVertBar->SetParent(this);
        FVertBar->OnChange = TNotifyEvent([this](TObject*) {
            FTopLine = FVertBar->Position();
            Invalidate();
        });
    }
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    FVertBar->SetBounds(ClientWidth() - w, 0, w, ClientHeight());
    FVertBar->SetVisible(true);
    const int lines = LineCount();
    const int page = std::max(1, TextRect().Height() / LineHeight());
    const int top = FTopLine;
    const int pageSize = std::min(page, lines);
    // The bar keeps its maximum at least one page.
    FVertBar->SetPageSize(0);
    FVertBar->SetParams(top, 0, std::max(lines - 1, pageSize));
    FVertBar->SetPageSize(pageSize);
    FVertBar->LargeChange = page;
    FVertBar->SetPosition(top);
}

void TCustomMemo::Paint()
{
    if (FVertBar && FVertBar->Visible() && FVertBar->Position() != FTopLine)
        FVertBar->SetPosition(FTopLine);
    TCustomEdit::Paint();
}
