#include "ComCtrls.h"

#include "Mask.h"
#include "Printers.h"
#include "RichEditRtf.h"
#include "ScrollBars.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/winapi/DeviceContext.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinGdi.h"
#include "platform/winapi/WinUser.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

DOV_PUBLISHED(TTextAttributes) {}
DOV_PUBLISHED(TParaAttributes) {}
DOV_PUBLISHED(TCustomRichEdit) {}
DOV_PUBLISHED(TRichEdit)
{
    P.Prop("HideSelection", &TCustomRichEdit::HideSelection, &TCustomRichEdit::SetHideSelection).Default(true);
    P.Prop("ScrollBars", &TCustomRichEdit::ScrollBars, &TCustomRichEdit::SetScrollBars).Default(ssNone);
    P.Prop("WantTabs", &TCustomRichEdit::WantTabs, &TCustomRichEdit::SetWantTabs).Default(false);
    P.Event("OnChange", &TCustomRichEdit::OnChange);
    P.Event("OnSelectionChange", &TCustomRichEdit::OnSelectionChange);
}

namespace {

constexpr double PixelsPerPoint = 96.0 / 72.0;
constexpr double TwipsPerPixel = 15.0;
const QString RtfMime = QStringLiteral("text/rtf");

QFont QFontOf(TFont* F)
{
    QFont q(F->GetName());
    q.setPointSize(std::max(1, F->GetSize()));
    const TFontStyles s = F->GetStyle();
    q.setBold(s.Contains(fsBold));
    q.setItalic(s.Contains(fsItalic));
    q.setUnderline(s.Contains(fsUnderline));
    q.setStrikeOut(s.Contains(fsStrikeOut));
    return q;
}

QColor QColorOf(TColor C)
{
    const COLORREF rgb = ColorToRGB(C);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

DWORD EffectsOf(TFontStyles S)
{
    return (S.Contains(fsBold) ? DWORD(CFE_BOLD) : 0u) | (S.Contains(fsItalic) ? DWORD(CFE_ITALIC) : 0u) |
           (S.Contains(fsUnderline) ? DWORD(CFE_UNDERLINE) : 0u) | (S.Contains(fsStrikeOut) ? DWORD(CFE_STRIKEOUT) : 0u);
}

// The document's text with paragraphs joined by CR LF.
QString CrLfText(const QTextDocument* Doc)
{
    QString t = Doc->toPlainText();
    t.replace(QChar(0x2029), QLatin1Char('\n'));
    return t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

// The rich edit's Lines: its paragraphs; streams carry RTF unless the edit is plain text.
class TRichEditStrings : public TStrings {
public:
    explicit TRichEditStrings(TCustomRichEdit* Edit) : FEdit(Edit) {}
    int Count() const override
    {
        const QTextDocument* d = FEdit->Document();
        const int n = d->blockCount();
        return n == 1 && d->firstBlock().length() <= 1 ? 0 : n;
    }
    void Insert(int Index, const QString& S) override
    {
        const int n = Count();
        if (Index < 0 || Index > n)
            Error("List index out of bounds (%d)", Index);
        QTextCursor c(FEdit->Document());
        if (n == 0) {
            c.insertText(S);
        } else if (Index == n) {
            c.movePosition(QTextCursor::End);
            c.insertBlock();
            c.insertText(S);
        } else {
            c.setPosition(FEdit->Document()->findBlockByNumber(Index).position());
            c.insertText(S);
            c.insertBlock();
        }
    }
    void Delete(int Index) override
    {
        if (Index < 0 || Index >= Count())
            Error("List index out of bounds (%d)", Index);
        const QTextBlock b = FEdit->Document()->findBlockByNumber(Index);
        QTextCursor c(b);
        if (b.next().isValid()) {
            c.setPosition(b.next().position(), QTextCursor::KeepAnchor);
        } else if (b.previous().isValid()) {
            c.setPosition(b.previous().position() + b.previous().length() - 1);
            c.setPosition(b.position() + b.length() - 1, QTextCursor::KeepAnchor);
        } else {
            c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        }
        c.removeSelectedText();
    }
    void Clear() override { FEdit->Clear(); }
    void SetText(const QString& Text) override { FEdit->SetText(Text); }
    void LoadFromStream(TStream* Stream) override
    {
        const QByteArray bytes = Stream->ReadBytes(std::max<int64_t>(Stream->Size() - Stream->Position(), 0));
        if (!FEdit->PlainText() && RichEditRtf::IsRtf(bytes)) {
            // What could be read stays; a damaged stream is no reason to lose it.
            RichEditRtf::ReadRtf(bytes, FEdit->Document());
            FEdit->SetModified(false);
            return;
        }
        FEdit->SetText(DecodeText(bytes));
    }
    void SaveToStream(TStream* Stream) override
    {
        const QByteArray bytes = FEdit->PlainText() ? Text().toUtf8() : RichEditRtf::WriteRtf(FEdit->Document());
        Stream->WriteBuffer(bytes.constData(), bytes.size());
    }

protected:
    QString Get(int Index) const override
    {
        if (Index < 0 || Index >= Count())
            Error("List index out of bounds (%d)", Index);
        return FEdit->Document()->findBlockByNumber(Index).text();
    }
    void Put(int Index, const QString& S) override
    {
        if (Index < 0 || Index >= Count())
            Error("List index out of bounds (%d)", Index);
        QTextCursor c(FEdit->Document()->findBlockByNumber(Index));
        c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        c.insertText(S);
    }

private:
    TCustomRichEdit* FEdit;
};

}  // namespace

// ---------------------------------------------------------------- TTextAttributes

TTextAttributes::TTextAttributes(TCustomRichEdit* AOwner, TAttributeType AttributeType)
    : FRichEdit(AOwner), FType(AttributeType)
{
}

CHARFORMATW TTextAttributes::Get() const { return FRichEdit->CharFormatOf(FType == atSelected); }

void TTextAttributes::Set(const CHARFORMATW& Format)
{
    FRichEdit->Perform(EM_SETCHARFORMAT, FType == atSelected ? SCF_SELECTION : SCF_DEFAULT, LPARAM(&Format));
}

QString TTextAttributes::Name() const { return Get().szFaceName; }
void TTextAttributes::SetName(const QString& Value)
{
    CHARFORMATW f;
    f.dwMask = CFM_FACE;
    f.szFaceName = Value;
    Set(f);
}

int TTextAttributes::Size() const { return Get().yHeight / 20; }
void TTextAttributes::SetSize(int Value)
{
    CHARFORMATW f;
    f.dwMask = CFM_SIZE;
    f.yHeight = Value * 20;
    Set(f);
}

TFontStyles TTextAttributes::Style() const
{
    const DWORD e = Get().dwEffects;
    TFontStyles s;
    if (e & CFE_BOLD) s.Include(fsBold);
    if (e & CFE_ITALIC) s.Include(fsItalic);
    if (e & CFE_UNDERLINE) s.Include(fsUnderline);
    if (e & CFE_STRIKEOUT) s.Include(fsStrikeOut);
    return s;
}

void TTextAttributes::SetStyle(TFontStyles Value)
{
    CHARFORMATW f;
    f.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    f.dwEffects = EffectsOf(Value);
    Set(f);
}

TColor TTextAttributes::Color() const
{
    const CHARFORMATW f = Get();
    return f.dwEffects & CFE_AUTOCOLOR ? clWindowText : TColor(f.crTextColor);
}

void TTextAttributes::SetColor(TColor Value)
{
    CHARFORMATW f;
    f.dwMask = CFM_COLOR;
    if (Value == clWindowText || Value == clDefault)
        f.dwEffects = CFE_AUTOCOLOR;
    else
        f.crTextColor = ColorToRGB(Value);
    Set(f);
}

TFontCharset TTextAttributes::Charset() const { return Get().bCharSet; }
void TTextAttributes::SetCharset(TFontCharset Value)
{
    CHARFORMATW f;
    f.dwMask = CFM_CHARSET;
    f.bCharSet = Value;
    Set(f);
}

void TTextAttributes::Assign(TPersistent* Source)
{
    if (auto* font = dynamic_cast<TFont*>(Source)) {
        CHARFORMATW f;
        f.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
        f.szFaceName = font->GetName();
        f.yHeight = font->GetSize() * 20;
        f.bCharSet = font->GetCharset();
        f.dwEffects = EffectsOf(font->GetStyle());
        if (font->GetColor() == clWindowText || font->GetColor() == clDefault)
            f.dwEffects |= CFE_AUTOCOLOR;
        else
            f.crTextColor = ColorToRGB(font->GetColor());
        Set(f);
        return;
    }
    if (auto* other = dynamic_cast<TTextAttributes*>(Source)) {
        CHARFORMATW f = other->Get();
        f.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
        Set(f);
        return;
    }
    TPersistent::Assign(Source);
}

void TTextAttributes::AssignTo(TPersistent* Dest) const
{
    if (auto* font = dynamic_cast<TFont*>(Dest)) {
        font->SetName(Name());
        font->SetSize(Size());
        font->SetStyle(Style());
        font->SetColor(Color());
        font->SetCharset(Charset());
    }
}

// ---------------------------------------------------------------- TParaAttributes

PARAFORMAT TParaAttributes::Get() const
{
    PARAFORMAT p;
    FRichEdit->Perform(EM_GETPARAFORMAT, 0, LPARAM(&p));
    return p;
}

void TParaAttributes::Set(DWORD Mask, const PARAFORMAT& Format)
{
    PARAFORMAT p = Format;
    p.dwMask = Mask;
    FRichEdit->Perform(EM_SETPARAFORMAT, 0, LPARAM(&p));
}

TAlignment TParaAttributes::Alignment() const
{
    switch (Get().wAlignment) {
    case PFA_RIGHT: return taRightJustify;
    case PFA_CENTER: return taCenter;
    default: return taLeftJustify;
    }
}

void TParaAttributes::SetAlignment(TAlignment Value)
{
    PARAFORMAT p;
    p.wAlignment = WORD(Value == taRightJustify ? PFA_RIGHT : Value == taCenter ? PFA_CENTER : PFA_LEFT);
    Set(PFM_ALIGNMENT, p);
}

int TParaAttributes::FirstIndent() const { return Get().dxStartIndent / 20; }
void TParaAttributes::SetFirstIndent(int Value)
{
    PARAFORMAT p;
    p.dxStartIndent = Value * 20;
    Set(PFM_STARTINDENT, p);
}

int TParaAttributes::LeftIndent() const { return Get().dxOffset / 20; }
void TParaAttributes::SetLeftIndent(int Value)
{
    PARAFORMAT p;
    p.dxOffset = Value * 20;
    Set(PFM_OFFSET, p);
}

int TParaAttributes::RightIndent() const { return Get().dxRightIndent / 20; }
void TParaAttributes::SetRightIndent(int Value)
{
    PARAFORMAT p;
    p.dxRightIndent = Value * 20;
    Set(PFM_RIGHTINDENT, p);
}

TNumberingStyle TParaAttributes::Numbering() const { return Get().wNumbering == PFN_BULLET ? nsBullet : nsNone; }
void TParaAttributes::SetNumbering(TNumberingStyle Value)
{
    PARAFORMAT p;
    p.wNumbering = Value == nsBullet ? WORD(PFN_BULLET) : WORD(0);
    Set(PFM_NUMBERING, p);
}

// ---------------------------------------------------------------- TCustomRichEdit

TCustomRichEdit::TCustomRichEdit(TComponent* AOwner)
    : TCustomControl(AOwner),
      FDoc(std::make_unique<QTextDocument>()),
      FTextCursor(std::make_unique<QTextCursor>(FDoc.get())),
      FLines(std::make_unique<TRichEditStrings>(this)),
      FSelAttributes(std::make_unique<TTextAttributes>(this, atSelected)),
      FDefAttributes(std::make_unique<TTextAttributes>(this, atDefaultText)),
      FParagraph(std::make_unique<TParaAttributes>(this))
{
    FWidth = 185;
    FHeight = 89;
    FTabStop = true;
    FColor = clWindow;
    FParentColor = false;
    FCursor = crIBeam;
    ControlStyle.Include(csDoubleClicks);
    FDoc->setDocumentMargin(0);
    FDoc->setUndoRedoEnabled(true);
}

TCustomRichEdit::~TCustomRichEdit()
{
    FTextCursor.reset();
}

void TCustomRichEdit::AfterConstruction()
{
    TCustomControl::AfterConstruction();
    FDoc->setDefaultFont(QFontOf(Font()));
    QObject::connect(FDoc.get(), &QTextDocument::contentsChanged, [this] { DocumentChanged(); });
}

TStrings* TCustomRichEdit::Lines() const { return FLines.get(); }
void TCustomRichEdit::SetLines(TStrings* Value) { FLines->Assign(Value); }

void TCustomRichEdit::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style |= ES_MULTILINE;
    if (!FWordWrap)
        Params.Style |= ES_AUTOHSCROLL;
}

void TCustomRichEdit::SetReadOnly(bool Value)
{
    FReadOnly = Value;
    Invalidate();
}

void TCustomRichEdit::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    UpdateLayoutWidth();
    Invalidate();
}

void TCustomRichEdit::SetHideSelection(bool Value)
{
    FHideSelection = Value;
    Invalidate();
}

bool TCustomRichEdit::Modified() const { return FDoc->isModified(); }
void TCustomRichEdit::SetModified(bool Value) { FDoc->setModified(Value); }

int TCustomRichEdit::SelStart() const { return FTextCursor->selectionStart(); }
int TCustomRichEdit::SelLength() const { return FTextCursor->selectionEnd() - FTextCursor->selectionStart(); }

void TCustomRichEdit::SetSelStart(int Value)
{
    FTextCursor->setPosition(std::clamp(Value, 0, FDoc->characterCount() - 1));
    ScrollCaretIntoView();
    SelectionChange();
    Invalidate();
}

void TCustomRichEdit::SetSelLength(int Value)
{
    const int start = FTextCursor->selectionStart();
    FTextCursor->setPosition(start);
    FTextCursor->setPosition(std::clamp(start + Value, 0, FDoc->characterCount() - 1), QTextCursor::KeepAnchor);
    SelectionChange();
    Invalidate();
}

QString TCustomRichEdit::SelText() const
{
    QString t = FTextCursor->selectedText();
    t.replace(QChar(0x2029), QStringLiteral("\r\n"));
    return t;
}

void TCustomRichEdit::SetSelText(const QString& Value)
{
    QString v = Value;
    v.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    FTextCursor->insertText(v);
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomRichEdit::SelectAll()
{
    FTextCursor->select(QTextCursor::Document);
    SelectionChange();
    Invalidate();
}

void TCustomRichEdit::ClearSelection() { Perform(WM_CLEAR, 0, 0); }
void TCustomRichEdit::CopyToClipboard() { Perform(WM_COPY, 0, 0); }
void TCustomRichEdit::CutToClipboard() { Perform(WM_CUT, 0, 0); }
void TCustomRichEdit::PasteFromClipboard() { Perform(WM_PASTE, 0, 0); }
void TCustomRichEdit::Undo() { Perform(WM_UNDO, 0, 0); }
bool TCustomRichEdit::CanUndo() const { return FDoc->isUndoAvailable(); }

void TCustomRichEdit::Clear()
{
    FDoc->clear();
    FDoc->setDefaultFont(QFontOf(Font()));
    FTextCursor->setPosition(0);
}

void TCustomRichEdit::SetText(const QString& Value)
{
    QString v = Value;
    v.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    FDoc->setPlainText(v);
    FTextCursor->setPosition(0);
    Invalidate();
}

TPoint CaretPosOf(const QTextCursor& C) { return TPoint(C.positionInBlock(), C.blockNumber()); }

TPoint TCustomRichEdit::CaretPos() const { return CaretPosOf(*FTextCursor); }

TRect TCustomRichEdit::FormatRect() const
{
    if (FFormatRectSet) {
        // The bar sits inside our client area, not beside it: a rectangle set from the
        // client size keeps clear of it.
        TRect r = FFormatRect;
        if (FVertBar && FVertBar->Visible()) {
            if (UseRightToLeftAlignment())
                r.Left = std::max(r.Left, FVertBar->Left() + FVertBar->Width());
            else
                r.Right = std::min(r.Right, FVertBar->Left());
        }
        return r;
    }
    TRect r = const_cast<TCustomRichEdit*>(this)->ClientRect();
    // Inside the sunken border, one pixel off it.
    const int inset = FBorderStyle == bsSingle ? 3 : 1;
    r = TRect(r.Left + inset, r.Top + inset, r.Right - inset, r.Bottom - inset);
    if (FVertBar && FVertBar->Visible()) {
        if (UseRightToLeftAlignment())
            r.Left += FVertBar->Width();
        else
            r.Right -= FVertBar->Width();
    }
    return r;
}

int TCustomRichEdit::LineFromChar(int Pos) const
{
    // Visual lines, counted over every paragraph's layout.
    if (Pos < 0)
        Pos = FTextCursor->selectionStart();
    int line = 0;
    for (QTextBlock b = FDoc->begin(); b.isValid(); b = b.next()) {
        QTextLayout* l = b.layout();
        const int n = l ? std::max(1, l->lineCount()) : 1;
        if (Pos < b.position() + b.length()) {
            if (l && l->lineCount() > 0)
                line += l->lineForTextPosition(Pos - b.position()).lineNumber();
            return line;
        }
        line += n;
    }
    return std::max(0, line - 1);
}

int TCustomRichEdit::LineIndex(int Line) const
{
    if (Line < 0)
        Line = LineFromChar(-1);
    int line = 0;
    for (QTextBlock b = FDoc->begin(); b.isValid(); b = b.next()) {
        QTextLayout* l = b.layout();
        const int n = l ? std::max(1, l->lineCount()) : 1;
        if (Line < line + n)
            return b.position() + (l && l->lineCount() > 0 ? l->lineAt(Line - line).textStart() : 0);
        line += n;
    }
    return -1;
}

void TCustomRichEdit::UpdateLayoutWidth()
{
    const TRect r = FormatRect();
    FDoc->setTextWidth(FWordWrap && r.Width() > 0 ? r.Width() : -1);
    QTextOption o = FDoc->defaultTextOption();
    o.setTextDirection(UseRightToLeftReading() ? Qt::RightToLeft : Qt::LeftToRight);
    o.setWrapMode(FWordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    FDoc->setDefaultTextOption(o);
}

void TCustomRichEdit::Resize()
{
    TCustomControl::Resize();
    UpdateLayoutWidth();
    UpdateScrollBar();
}

void TCustomRichEdit::SetScrollBars(TScrollStyle Value)
{
    if (Value == FScrollBars)
        return;
    FScrollBars = Value;
    UpdateScrollBar();
    Invalidate();
}

void TCustomRichEdit::UpdateScrollBar()
{
    if (!FVertBar) {
        FVertBar = Create<TScrollBar>(this);
        FVertBar->SetKind(sbVertical);
        FVertBar->SetTabStop(false);
        FVertBar->SetVisible(false);
        FVertBar->SetParent(this);
        FVertBar->OnChange = TNotifyEvent([this](TObject*) {
            FTopY = FVertBar->Position();
            Invalidate();
        });
    }
    const int docH = int(std::ceil(FDoc->size().height()));
    const int pageH = std::max(1, FormatRect().Height());
    const bool need = docH > pageH;
    // Without a bar the text still scrolls with the caret and the wheel.
    const bool show = need && (FScrollBars == ssVertical || FScrollBars == ssBoth);
    if (show != FVertBar->Visible()) {
        FVertBar->SetVisible(show);
        UpdateLayoutWidth();
    }
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    const int b = FBorderStyle == bsSingle ? 2 : 0;
    FVertBar->SetBounds(UseRightToLeftAlignment() ? b : ClientWidth() - w - b, b, w, ClientHeight() - 2 * b);
    if (!need) {
        FTopY = 0;
        return;
    }
    const int top = std::clamp(FTopY, 0, docH - pageH);
    FVertBar->SetPageSize(0);
    FVertBar->SetParams(top, 0, docH);
    FVertBar->SetPageSize(pageH);
    FVertBar->LargeChange = pageH;
    FVertBar->SmallChange = 16;
    FTopY = top;
}

void TCustomRichEdit::ScrollCaretIntoView()
{
    const QTextBlock b = FTextCursor->block();
    QTextLayout* l = b.layout();
    if (!l || l->lineCount() == 0)
        return;
    const QTextLine line = l->lineForTextPosition(FTextCursor->positionInBlock());
    if (!line.isValid())
        return;
    const QRectF br = FDoc->documentLayout()->blockBoundingRect(b);
    const int top = int(br.top() + line.y()), bottom = int(std::ceil(br.top() + line.y() + line.height()));
    const int pageH = FormatRect().Height();
    if (top < FTopY)
        FTopY = top;
    else if (bottom > FTopY + pageH)
        FTopY = bottom - pageH;
    UpdateScrollBar();
}

void TCustomRichEdit::DocumentChanged()
{
    // The caption mirrors the document so that the window text reads as the platform's.
    FText = CrLfText(FDoc.get());
    UpdateScrollBar();
    Invalidate();
    if (FEventMask & ENM_CHANGE)
        Change();
}

void TCustomRichEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomRichEdit::SelectionChange()
{
    if (FTextCursor->selectionStart() == FLastSelStart && FTextCursor->selectionEnd() == FLastSelEnd)
        return;
    FLastSelStart = FTextCursor->selectionStart();
    FLastSelEnd = FTextCursor->selectionEnd();
    if ((FEventMask & ENM_SELCHANGE) && OnSelectionChange)
        OnSelectionChange(this);
}

void TCustomRichEdit::CMTextChanged(TMessage& M)
{
    TCustomControl::CMTextChanged(M);
    if (FText != CrLfText(FDoc.get()))
        SetText(FText);
}

void TCustomRichEdit::CMFontChanged(TMessage& M)
{
    TCustomControl::CMFontChanged(M);
    FDoc->setDefaultFont(QFontOf(Font()));
    Invalidate();
}

void TCustomRichEdit::CMBiDiModeChanged(TMessage& M)
{
    TCustomControl::CMBiDiModeChanged(M);
    UpdateLayoutWidth();
    UpdateScrollBar();
}

void TCustomRichEdit::WMGetDlgCode(TMessage& M)
{
    M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (FWantReturns)
        M.Result |= DLGC_WANTALLKEYS;
    if (FWantTabs)
        M.Result |= DLGC_WANTTAB;
}

void TCustomRichEdit::WMSetFocus(TMessage& M)
{
    TCustomControl::WMSetFocus(M);
    Invalidate();
}

void TCustomRichEdit::WMKillFocus(TMessage& M)
{
    TCustomControl::WMKillFocus(M);
    Invalidate();
}

// ---- editing

void TCustomRichEdit::InsertText(const QString& S)
{
    if (FReadOnly)
        return;
    QString ins = S;
    if (FMaxLength > 0) {
        const int room = FMaxLength - (FDoc->characterCount() - 1 - SelLength());
        if (room < int(ins.size()))
            ins.truncate(std::max(0, room));
    }
    if (ins.isEmpty() && !FTextCursor->hasSelection())
        return;
    FTextCursor->insertText(ins);
    ScrollCaretIntoView();
    SelectionChange();
}

void TCustomRichEdit::MoveCursor(int Operation, bool Extend, int Count)
{
    FTextCursor->movePosition(QTextCursor::MoveOperation(Operation), Extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor,
                          Count);
    ScrollCaretIntoView();
    SelectionChange();
    Invalidate();
}

void TCustomRichEdit::EditCommand(const std::function<void()>& Edit)
{
    if (FReadOnly)
        return;
    Edit();
    ScrollCaretIntoView();
    SelectionChange();
    Invalidate();
}

void TCustomRichEdit::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const bool ext = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
    const bool rtl = UseRightToLeftReading();
    switch (Key) {
    case VK_LEFT:
        MoveCursor(ctrl ? (rtl ? QTextCursor::NextWord : QTextCursor::PreviousWord) : QTextCursor::Left, ext);
        break;
    case VK_RIGHT:
        MoveCursor(ctrl ? (rtl ? QTextCursor::PreviousWord : QTextCursor::NextWord) : QTextCursor::Right, ext);
        break;
    case VK_UP: MoveCursor(QTextCursor::Up, ext); break;
    case VK_DOWN: MoveCursor(QTextCursor::Down, ext); break;
    case VK_HOME: MoveCursor(ctrl ? QTextCursor::Start : QTextCursor::StartOfLine, ext); break;
    case VK_END: MoveCursor(ctrl ? QTextCursor::End : QTextCursor::EndOfLine, ext); break;
    case VK_PRIOR:
    case VK_NEXT: {
        const int lines = std::max(1, FormatRect().Height() / std::max(1, QFontMetrics(FDoc->defaultFont()).height()));
        MoveCursor(Key == VK_PRIOR ? QTextCursor::Up : QTextCursor::Down, ext, lines);
        break;
    }
    case VK_DELETE:
        if (ext)
            CutToClipboard();
        else if (FTextCursor->hasSelection())
            ClearSelection();
        else
            EditCommand([this] { FTextCursor->deleteChar(); });
        Key = 0;
        break;
    case VK_INSERT:
        if (ext)
            PasteFromClipboard();
        else if (ctrl)
            CopyToClipboard();
        break;
    default: break;
    }
}

void TCustomRichEdit::KeyPress(QChar& Key)
{
    TCustomControl::KeyPress(Key);
    switch (Key.unicode()) {
    case 0: return;
    case 1: SelectAll(); return;              // Ctrl+A
    case 3: CopyToClipboard(); return;        // Ctrl+C
    case 22: PasteFromClipboard(); return;    // Ctrl+V
    case 24: CutToClipboard(); return;        // Ctrl+X
    case 26: Undo(); return;                  // Ctrl+Z
    case 8:
        EditCommand([this] {
            if (FTextCursor->hasSelection())
                FTextCursor->removeSelectedText();
            else
                FTextCursor->deletePreviousChar();
        });
        return;
    case 9:
        if (FWantTabs)
            InsertText(QStringLiteral("\t"));
        return;
    case 13:
        if (FWantReturns && !FReadOnly && (FMaxLength == 0 || FDoc->characterCount() - 1 - SelLength() < FMaxLength))
            EditCommand([this] { FTextCursor->insertBlock(); });
        return;
    default:
        if (Key.unicode() >= 32)
            InsertText(QString(Key));
    }
}

int TCustomRichEdit::PosAt(int X, int Y) const
{
    const TRect r = FormatRect();
    const int pos = FDoc->documentLayout()->hitTest(QPointF(X - r.Left, Y - r.Top + FTopY), Qt::FuzzyHit);
    return pos < 0 ? FDoc->characterCount() - 1 : pos;
}

void TCustomRichEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (CanFocus() && !Focused())
        SetFocus();
    const int pos = PosAt(X, Y);
    if (Shift.Contains(ssDouble)) {
        FTextCursor->setPosition(pos);
        FTextCursor->select(QTextCursor::WordUnderCursor);
    } else {
        FTextCursor->setPosition(pos, Shift.Contains(ssShift) ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        FSelecting = true;
    }
    SelectionChange();
    Invalidate();
}

void TCustomRichEdit::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (!FSelecting || !Shift.Contains(ssLeft))
        return;
    FTextCursor->setPosition(PosAt(X, Y), QTextCursor::KeepAnchor);
    ScrollCaretIntoView();
    SelectionChange();
    Invalidate();
}

void TCustomRichEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FSelecting = false;
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomRichEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (FVertBar && FDoc->size().height() > FormatRect().Height())
        FVertBar->SetPosition(FVertBar->Position() - WheelDelta / 120 * 3 * QFontMetrics(FDoc->defaultFont()).height());
    return true;
}

void TCustomRichEdit::WMCut(TMessage& M)
{
    if (FReadOnly || !FTextCursor->hasSelection())
        return;
    TMessage copy{WM_COPY, 0, 0, 0};
    Dispatch(copy);
    WMClear(M);
}

void TCustomRichEdit::WMPaste(TMessage&)
{
    if (FReadOnly)
        return;
    const QMimeData* m = QGuiApplication::clipboard()->mimeData();
    if (!m)
        return;
    if (m->hasFormat(RtfMime)) {
        FTextCursor->beginEditBlock();
        const QByteArray rtf = m->data(RtfMime);
        if (RichEditRtf::ReadRtf(rtf, *FTextCursor).Ok || RichEditRtf::IsRtf(rtf)) {
            FTextCursor->endEditBlock();
            ScrollCaretIntoView();
            SelectionChange();
            return;
        }
        FTextCursor->endEditBlock();
    }
    QString t = m->text();
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    InsertText(t);
}

void TCustomRichEdit::WMClear(TMessage&)
{
    if (FReadOnly || !FTextCursor->hasSelection())
        return;
    EditCommand([this] { FTextCursor->removeSelectedText(); });
}

// ---- formatting

CHARFORMATW TCustomRichEdit::CharFormatOf(bool Selection) const
{
    QTextCharFormat f;
    if (Selection) {
        // The format at the caret, or of the selection's first character.
        QTextCursor c(*FTextCursor);
        if (c.hasSelection()) {
            c.setPosition(c.selectionStart());
            c.movePosition(QTextCursor::Right);
        }
        f = c.charFormat();
    }
    const QFont def = FDoc->defaultFont();
    CHARFORMATW r;
    r.dwMask = CFM_FACE | CFM_SIZE | CFM_COLOR | CFM_CHARSET | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    const QStringList families = f.fontFamilies().toStringList();
    r.szFaceName = families.isEmpty() ? def.family() : families.first();
    r.yHeight = qRound((f.fontPointSize() > 0 ? f.fontPointSize() : def.pointSizeF()) * 20);
    const bool bold = f.hasProperty(QTextFormat::FontWeight) ? f.fontWeight() >= QFont::Bold : def.bold();
    const bool italic = f.hasProperty(QTextFormat::FontItalic) ? f.fontItalic() : def.italic();
    const bool underline = f.hasProperty(QTextFormat::TextUnderlineStyle) ? f.fontUnderline() : def.underline();
    const bool strike = f.hasProperty(QTextFormat::FontStrikeOut) ? f.fontStrikeOut() : def.strikeOut();
    TFontStyles styles;
    if (bold) styles.Include(fsBold);
    if (italic) styles.Include(fsItalic);
    if (underline) styles.Include(fsUnderline);
    if (strike) styles.Include(fsStrikeOut);
    r.dwEffects = EffectsOf(styles);
    if (f.foreground().style() == Qt::NoBrush) {
        r.dwEffects |= CFE_AUTOCOLOR;
        r.crTextColor = ColorToRGB(Font()->GetColor());
    } else {
        const QColor c = f.foreground().color();
        r.crTextColor = RGB(c.red(), c.green(), c.blue());
    }
    r.bCharSet = f.hasProperty(RichEditRtf::CharsetProperty) ? BYTE(f.intProperty(RichEditRtf::CharsetProperty))
                                                             : Font()->GetCharset();
    return r;
}

void TCustomRichEdit::ApplyCharFormat(DWORD Mask, const CHARFORMATW& Format, bool Selection)
{
    QTextCharFormat f;
    if (Mask & CFM_FACE)
        f.setFontFamilies(QStringList{Format.szFaceName});
    if (Mask & CFM_SIZE)
        f.setFontPointSize(std::clamp(Format.yHeight, LONG(20), LONG(1638 * 20)) / 20.0);
    if (Mask & CFM_BOLD)
        f.setFontWeight(Format.dwEffects & CFE_BOLD ? QFont::Bold : QFont::Normal);
    if (Mask & CFM_ITALIC)
        f.setFontItalic(Format.dwEffects & CFE_ITALIC);
    if (Mask & CFM_UNDERLINE)
        f.setFontUnderline(Format.dwEffects & CFE_UNDERLINE);
    if (Mask & CFM_STRIKEOUT)
        f.setFontStrikeOut(Format.dwEffects & CFE_STRIKEOUT);
    if (Mask & CFM_CHARSET)
        f.setProperty(RichEditRtf::CharsetProperty, int(Format.bCharSet));
    if (Mask & CFM_COLOR) {
        if (Format.dwEffects & CFE_AUTOCOLOR)
            f.setForeground(QBrush());
        else
            f.setForeground(QColor(GetRValue(Format.crTextColor), GetGValue(Format.crTextColor), GetBValue(Format.crTextColor)));
    }
    if (!Selection) {
        // The default format: the whole document and the text typed later.
        QTextCursor all(FDoc.get());
        all.select(QTextCursor::Document);
        all.mergeCharFormat(f);
        FTextCursor->mergeCharFormat(f);
    } else if (FTextCursor->hasSelection()) {
        FTextCursor->mergeCharFormat(f);
    } else {
        // No selection: the format of what is typed next.
        QTextCharFormat next = FTextCursor->charFormat();
        next.merge(f);
        FTextCursor->setCharFormat(next);
    }
    Invalidate();
}

void TCustomRichEdit::EMSetCharFormat(TMessage& M)
{
    if (const auto* f = reinterpret_cast<const CHARFORMATW*>(M.LParam)) {
        ApplyCharFormat(f->dwMask, *f, (M.WParam & SCF_SELECTION) != 0);
        M.Result = 1;
    }
}

void TCustomRichEdit::EMSetParaFormat(TMessage& M)
{
    const auto* p = reinterpret_cast<const PARAFORMAT*>(M.LParam);
    if (!p)
        return;
    QTextBlockFormat cur = FTextCursor->blockFormat();
    const double px = 1.0 / TwipsPerPixel;
    // Left margin is the start plus the offset; the first line hangs back by the offset.
    double start = cur.leftMargin() + cur.textIndent(), offset = -cur.textIndent();
    QTextBlockFormat b;
    if (p->dwMask & PFM_STARTINDENT)
        start = p->dxStartIndent * px;
    if (p->dwMask & PFM_OFFSET)
        offset = p->dxOffset * px;
    if (p->dwMask & (PFM_STARTINDENT | PFM_OFFSET)) {
        b.setLeftMargin(start + offset);
        b.setTextIndent(-offset);
    }
    if (p->dwMask & PFM_RIGHTINDENT)
        b.setRightMargin(p->dxRightIndent * px);
    if (p->dwMask & PFM_ALIGNMENT)
        b.setAlignment(p->wAlignment == PFA_RIGHT ? Qt::AlignRight : p->wAlignment == PFA_CENTER ? Qt::AlignHCenter : Qt::AlignLeft);
    if (p->dwMask & PFM_NUMBERING)
        b.setProperty(RichEditRtf::BulletProperty, p->wNumbering == PFN_BULLET);
    if (p->dwMask & PFM_RTLPARA)
        b.setLayoutDirection(p->wEffects & PFE_RTLPARA ? Qt::RightToLeft : Qt::LeftToRight);
    FTextCursor->mergeBlockFormat(b);
    M.Result = 1;
    Invalidate();
}

// ---- streams

void TCustomRichEdit::EMStreamIn(TMessage& M)
{
    auto* es = reinterpret_cast<EDITSTREAM*>(M.LParam);
    if (!es || !es->pfnCallback)
        return;
    QByteArray data;
    BYTE buf[4096];
    for (;;) {
        LONG got = 0;
        es->dwError = es->pfnCallback(es->dwCookie, buf, LONG(sizeof buf), &got);
        if (es->dwError != 0 || got <= 0)
            break;
        data.append(reinterpret_cast<const char*>(buf), std::min<LONG>(got, LONG(sizeof buf)));
    }
    if (es->dwError != 0)
        return;
    const bool selection = (M.WParam & SFF_SELECTION) != 0;
    if (!selection) {
        FDoc->clear();
        FDoc->setDefaultFont(QFontOf(Font()));
        FTextCursor->setPosition(0);
    }
    const int before = FDoc->characterCount();
    if ((M.WParam & SF_RTF) && RichEditRtf::IsRtf(data)) {
        const RichEditRtf::TRtfReadResult r = RichEditRtf::ReadRtf(data, *FTextCursor);
        if (!r.Ok)
            es->dwError = DWORD(-1);   // truncated: what could be read stays
    } else {
        QString t = M.WParam & SF_UNICODE ? QString::fromUtf16(reinterpret_cast<const char16_t*>(data.constData()), data.size() / 2)
                                          : TStrings::DecodeText(data);
        t.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        FTextCursor->insertText(t);
    }
    if (!selection) {
        FTextCursor->setPosition(0);
        FDoc->setModified(false);
    }
    M.Result = FDoc->characterCount() - before;
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomRichEdit::EMStreamOut(TMessage& M)
{
    auto* es = reinterpret_cast<EDITSTREAM*>(M.LParam);
    if (!es || !es->pfnCallback)
        return;
    const bool selection = (M.WParam & SFF_SELECTION) != 0;
    const int from = selection ? FTextCursor->selectionStart() : 0;
    const int to = selection ? FTextCursor->selectionEnd() : -1;
    QByteArray data;
    if (M.WParam & SF_RTF) {
        data = RichEditRtf::WriteRtf(FDoc.get(), from, to);
    } else {
        QString t = selection ? SelText() : CrLfText(FDoc.get());
        data = M.WParam & SF_UNICODE ? QByteArray(reinterpret_cast<const char*>(t.utf16()), t.size() * 2) : UnicodeToCP1251(t);
    }
    qsizetype p = 0;
    es->dwError = 0;
    while (p < data.size()) {
        LONG done = 0;
        const LONG n = LONG(std::min<qsizetype>(data.size() - p, 4096));
        es->dwError = es->pfnCallback(es->dwCookie, reinterpret_cast<BYTE*>(data.data() + p), n, &done);
        if (es->dwError != 0 || done <= 0)
            break;
        p += std::min(done, n);
    }
    M.Result = LRESULT(p);
}

void TCustomRichEdit::EMGetTextLengthEx(TMessage& M)
{
    const auto* g = reinterpret_cast<const GETTEXTLENGTHEX*>(M.WParam);
    const DWORD flags = g ? g->flags : GTL_DEFAULT;
    const UINT cp = g ? g->codepage : 1200;
    int len = FDoc->characterCount() - 1;
    if (flags & GTL_USECRLF)
        len += FDoc->blockCount() - 1;
    if ((flags & GTL_NUMBYTES) && cp == 1200)
        len *= 2;
    M.Result = len;
}

void TCustomRichEdit::EMFormatRange(TMessage& M)
{
    auto* fr = reinterpret_cast<FORMATRANGE*>(M.LParam);
    if (!fr) {
        M.Result = 0;
        return;
    }
    HDC dc = fr->hdc;
    const int dpiX = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96, dpiY = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    // The range is laid out at 96 per inch and scaled onto the device.
    QTextDocument* page = FDoc->clone();
    std::unique_ptr<QTextDocument> own(page);
    page->setDocumentMargin(0);
    const double widthPx = fr->rc.Width() / TwipsPerPixel;
    const double heightPx = fr->rc.Height() / TwipsPerPixel;
    page->setTextWidth(std::max(1.0, widthPx));
    const int end = page->characterCount() - 1;
    const int from = std::clamp<int>(fr->chrg.cpMin, 0, end);
    const int to = fr->chrg.cpMax < 0 ? end : std::clamp<int>(fr->chrg.cpMax, from, end);
    // Top of the line holding the first character, then whole lines while they fit.
    auto lineTop = [&](int pos, double* bottom, int* next) {
        const QTextBlock b = page->findBlock(pos);
        const QRectF br = page->documentLayout()->blockBoundingRect(b);
        QTextLayout* l = b.layout();
        const QTextLine line = l->lineForTextPosition(std::min(pos - b.position(), std::max(0, b.length() - 1)));
        *bottom = br.top() + line.y() + line.height();
        *next = b.position() + line.textStart() + line.textLength();
        if (*next >= b.position() + b.length() - 1 && b.next().isValid())
            *next = b.next().position();
        return br.top() + line.y();
    };
    double bottom = 0;
    int next = from;
    const double top = from < end ? lineTop(from, &bottom, &next) : 0;
    double yEnd = top;
    int pos = from;
    while (pos < to) {
        double b = 0;
        int n = 0;
        lineTop(pos, &b, &n);
        if (b - top > heightPx && pos > from)
            break;
        yEnd = b;
        if (n <= pos)
            n = pos + 1;
        pos = n;
    }
    pos = std::min(pos, std::max(to, from));
    if (M.WParam != 0 && dc && dc->Painter) {
        QPainter* p = dc->Painter;
        p->save();
        const double ox = fr->rc.Left * dpiX / 1440.0, oy = fr->rc.Top * dpiY / 1440.0;
        p->translate(ox, oy);
        p->scale(dpiX / 96.0, dpiY / 96.0);
        p->setClipRect(QRectF(0, 0, widthPx, yEnd - top));
        p->translate(0, -top);
        QAbstractTextDocumentLayout::PaintContext ctx;
        ctx.clip = QRectF(0, top, widthPx, yEnd - top);
        ctx.palette.setColor(QPalette::Text, Qt::black);
        page->documentLayout()->draw(p, ctx);
        p->restore();
    }
    fr->rc.Bottom = fr->rc.Top + int(std::ceil((yEnd - top) * TwipsPerPixel));
    M.Result = pos;
}

void TCustomRichEdit::Print(const QString& Caption)
{
    TPrinter* printer = Printer();
    printer->SetTitle(Caption);
    printer->BeginDoc();
    HDC dc = printer->Handle();
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    FORMATRANGE fr;
    fr.hdc = fr.hdcTarget = dc;
    const TRect page(0, 0, printer->PageWidth() * 1440 / dpiX, printer->PageHeight() * 1440 / dpiY);
    fr.rcPage = page;
    fr.chrg.cpMin = 0;
    fr.chrg.cpMax = -1;
    const int end = FDoc->characterCount() - 1;
    for (;;) {
        fr.rc = page;
        fr.hdc = printer->Handle();
        const int next = int(Perform(EM_FORMATRANGE, 1, LPARAM(&fr)));
        if (next <= fr.chrg.cpMin || next >= end)
            break;
        fr.chrg.cpMin = next;
        printer->NewPage();
    }
    printer->EndDoc();
}

void TCustomRichEdit::Dispatch(TMessage& M)
{
    switch (M.Msg) {
    case EM_GETSEL:
        if (M.WParam)
            *reinterpret_cast<DWORD*>(M.WParam) = DWORD(SelStart());
        if (M.LParam)
            *reinterpret_cast<DWORD*>(M.LParam) = DWORD(SelStart() + SelLength());
        M.Result = MAKELONG(WORD(SelStart()), WORD(SelStart() + SelLength()));
        return;
    case EM_SETSEL:
    case EM_EXSETSEL: {
        int a = int(M.WParam), b = int(M.LParam);
        if (M.Msg == EM_EXSETSEL) {
            const auto* r = reinterpret_cast<const CHARRANGE*>(M.LParam);
            a = r ? r->cpMin : 0;
            b = r ? r->cpMax : 0;
        }
        const int end = FDoc->characterCount() - 1;
        if (a < 0) {
            FTextCursor->setPosition(FTextCursor->selectionEnd());
        } else {
            if (b < 0)
                b = end;
            FTextCursor->setPosition(std::clamp(a, 0, end));
            FTextCursor->setPosition(std::clamp(b, 0, end), QTextCursor::KeepAnchor);
        }
        ScrollCaretIntoView();
        SelectionChange();
        Invalidate();
        M.Result = FTextCursor->selectionEnd();
        return;
    }
    case EM_EXGETSEL:
        if (auto* r = reinterpret_cast<CHARRANGE*>(M.LParam)) {
            r->cpMin = FTextCursor->selectionStart();
            r->cpMax = FTextCursor->selectionEnd();
        }
        return;
    case EM_GETRECT:
        if (auto* r = reinterpret_cast<TRect*>(M.LParam))
            *r = FormatRect();
        return;
    case EM_SETRECT:
    case EM_SETRECTNP:
        if (const auto* r = reinterpret_cast<const TRect*>(M.LParam)) {
            FFormatRect = *r;
            FFormatRectSet = true;
        } else {
            FFormatRectSet = false;
        }
        UpdateLayoutWidth();
        if (M.Msg == EM_SETRECT)
            Invalidate();
        return;
    case EM_GETMODIFY: M.Result = Modified() ? 1 : 0; return;
    case EM_SETMODIFY: SetModified(M.WParam != 0); return;
    case EM_CANUNDO: M.Result = CanUndo() ? 1 : 0; return;
    case EM_UNDO:
    case WM_UNDO:
        if (!FReadOnly && FDoc->isUndoAvailable()) {
            FDoc->undo(FTextCursor.get());
            ScrollCaretIntoView();
            SelectionChange();
        }
        return;
    case EM_LIMITTEXT:
    case EM_EXLIMITTEXT: FMaxLength = int(M.Msg == EM_LIMITTEXT ? M.WParam : M.LParam); return;
    case EM_SETREADONLY: SetReadOnly(M.WParam != 0); M.Result = 1; return;
    case EM_SCROLLCARET: ScrollCaretIntoView(); return;
    case EM_GETLINECOUNT: M.Result = LineFromChar(FDoc->characterCount() - 1) + 1; return;
    case EM_LINEFROMCHAR: M.Result = LineFromChar(int(M.WParam)); return;
    case EM_LINEINDEX: M.Result = LineIndex(int(M.WParam)); return;
    case EM_GETEVENTMASK: M.Result = FEventMask; return;
    case EM_SETEVENTMASK: M.Result = FEventMask; FEventMask = DWORD(M.LParam); return;
    case EM_HIDESELECTION: SetHideSelection(M.WParam != 0); return;
    case EM_GETCHARFORMAT:
        if (auto* f = reinterpret_cast<CHARFORMATW*>(M.LParam))
            *f = CharFormatOf(M.WParam & SCF_SELECTION);
        return;
    case EM_SETCHARFORMAT: EMSetCharFormat(M); return;
    case EM_GETPARAFORMAT:
        if (auto* p = reinterpret_cast<PARAFORMAT*>(M.LParam)) {
            const QTextBlockFormat b = FTextCursor->blockFormat();
            const double offset = -b.textIndent();
            p->dwMask = PFM_STARTINDENT | PFM_OFFSET | PFM_RIGHTINDENT | PFM_ALIGNMENT | PFM_NUMBERING | PFM_RTLPARA;
            p->dxStartIndent = qRound((b.leftMargin() - offset) * TwipsPerPixel);
            p->dxOffset = qRound(offset * TwipsPerPixel);
            p->dxRightIndent = qRound(b.rightMargin() * TwipsPerPixel);
            const Qt::Alignment a = b.alignment() & Qt::AlignHorizontal_Mask;
            p->wAlignment = WORD(a & Qt::AlignHCenter ? PFA_CENTER : a & Qt::AlignRight ? PFA_RIGHT : PFA_LEFT);
            p->wNumbering = b.boolProperty(RichEditRtf::BulletProperty) ? WORD(PFN_BULLET) : WORD(0);
            p->wEffects = b.layoutDirection() == Qt::RightToLeft ? WORD(PFE_RTLPARA) : WORD(0);
        }
        return;
    case EM_SETPARAFORMAT: EMSetParaFormat(M); return;
    case EM_STREAMIN: EMStreamIn(M); return;
    case EM_STREAMOUT: EMStreamOut(M); return;
    case EM_FORMATRANGE: EMFormatRange(M); return;
    case EM_GETTEXTLENGTHEX: EMGetTextLengthEx(M); return;
    case WM_COPY:
        if (FTextCursor->hasSelection()) {
            auto* m = new QMimeData;
            m->setText(SelText());
            m->setData(RtfMime, RichEditRtf::WriteRtf(FDoc.get(), FTextCursor->selectionStart(), FTextCursor->selectionEnd()));
            QGuiApplication::clipboard()->setMimeData(m);
        }
        return;
    case WM_CUT: WMCut(M); return;
    case WM_PASTE: WMPaste(M); return;
    case WM_CLEAR: WMClear(M); return;
    default: break;
    }
    TCustomControl::Dispatch(M);
}

// ---- painting

void TCustomRichEdit::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    if (FBorderStyle == bsSingle) {
        TRect edge = ClientRect();
        DrawEdge(c->Handle(), edge, EDGE_SUNKEN, BF_RECT);
    }
    HDC dc = c->Handle();
    QPainter* p = dc ? dc->Painter : nullptr;
    if (!p)
        return;
    const TRect r = FormatRect();
    if (FVertBar && FVertBar->Visible() && FVertBar->Position() != FTopY)
        FVertBar->SetPosition(FTopY);
    p->save();
    p->setClipRect(QRect(r.Left, r.Top, r.Width(), r.Height()), Qt::IntersectClip);
    p->translate(r.Left, r.Top - FTopY);
    QAbstractTextDocumentLayout::PaintContext ctx;
    ctx.clip = QRectF(0, FTopY, r.Width(), r.Height());
    ctx.palette.setColor(QPalette::Text, QColorOf(Font()->GetColor()));
    const bool focused = Focused();
    if (focused)
        ctx.cursorPosition = FTextCursor->position();
    if (FTextCursor->hasSelection() && (focused || !FHideSelection)) {
        QAbstractTextDocumentLayout::Selection sel;
        sel.cursor = *FTextCursor;
        sel.format.setBackground(QColorOf(focused ? clHighlight : clBtnFace));
        sel.format.setForeground(QColorOf(focused ? clHighlightText : clWindowText));
        ctx.selections.append(sel);
    }
    FDoc->documentLayout()->draw(p, ctx);
    // Bullets before the paragraphs that have them.
    for (QTextBlock b = FDoc->begin(); b.isValid(); b = b.next()) {
        if (!b.blockFormat().boolProperty(RichEditRtf::BulletProperty))
            continue;
        const QRectF br = FDoc->documentLayout()->blockBoundingRect(b);
        const QFontMetrics fm(b.charFormat().font());
        const bool rtl = b.textDirection() == Qt::RightToLeft;
        const double x = rtl ? br.right() - b.blockFormat().rightMargin() + 2 : br.left() + b.blockFormat().leftMargin() + b.blockFormat().textIndent() - fm.height();
        p->setPen(ctx.palette.color(QPalette::Text));
        p->setFont(b.charFormat().font());
        p->drawText(QPointF(std::max(0.0, x), br.top() + fm.ascent()), QString(QChar(0x2022)));
    }
    p->restore();
}
