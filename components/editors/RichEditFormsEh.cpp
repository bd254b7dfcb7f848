#include "components/editors/RichEditFormsEh.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/RichEditRtf.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinUser.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextDocument>
#include <cmath>
#include <cstdlib>

DOV_PUBLISHED(TRichEditWinEh) {}

namespace {

// Pixels per point of indent on the ruler.
constexpr long double RulerK = 4.0L / 3.0L;
constexpr int GutterWid = 6;

int Trunc(long double V) { return int(std::trunc(V)); }

TSpeedButton* ToolButton(TRichEditWinEh* Form, TPanel* Bar, int& X, const QString& Caption, const QString& Hint,
                         const TNotifyEvent& OnClick, int GroupIndex = 0, bool AllowAllUp = false)
{
    auto* b = Create<TSpeedButton>(Form);
    b->SetParent(Bar);
    b->SetBounds(X, 2, 23, 22);
    b->SetCaption(Caption);
    b->Hint = Hint;
    b->SetFlat(true);
    if (GroupIndex) {
        b->SetGroupIndex(GroupIndex);
        b->SetAllowAllUp(AllowAllUp);
    }
    b->OnClick = OnClick;
    X += 23;
    return b;
}

}  // namespace

TRichEditWinEh::TRichEditWinEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner) {}

void TRichEditWinEh::AfterConstruction()
{
    TCustomDropDownFormEh::AfterConstruction();
    SetCaption(QStringLiteral("Rich Editor"));
    SetClientWidth(771);
    SetClientHeight(408);
    Position = poScreenCenter;
    SetColor(clBtnFace);
    SetFormElements(TDropDownFormElementsEh{ddfeLeftGripEh, ddfeRightGripEh});
    using E = TNotifyEvent;

    StandardToolBar = Create<TPanel>(this);
    StandardToolBar->SetParent(this);
    StandardToolBar->SetAlign(alTop);
    StandardToolBar->SetHeight(28);
    StandardToolBar->ShowCaption = false;
    StandardToolBar->BevelOuter = bvNone;
    StandardToolBar->SetShowHint(true);
    int x = 4;
    OpenButton = ToolButton(this, StandardToolBar, x, QStringLiteral("O"), QStringLiteral("Open an existing file"),
                            E(this, &TRichEditWinEh::FileOpen));
    SaveButton = ToolButton(this, StandardToolBar, x, QStringLiteral("S"), QStringLiteral("Save current file"),
                            E(this, &TRichEditWinEh::FileSave));
    PrintButton = ToolButton(this, StandardToolBar, x, QStringLiteral("P"), QStringLiteral("Print current file"),
                             E(this, &TRichEditWinEh::FilePrint));
    x += 8;
    CutButton = ToolButton(this, StandardToolBar, x, QStringLiteral("X"), QStringLiteral("Delete selected item"),
                           E(this, &TRichEditWinEh::EditCut));
    CopyButton = ToolButton(this, StandardToolBar, x, QStringLiteral("C"),
                            QStringLiteral("Copy selected item to clipboard"), E(this, &TRichEditWinEh::EditCopy));
    PasteButton = ToolButton(this, StandardToolBar, x, QStringLiteral("V"), QStringLiteral("Paste contents of clipboard"),
                             E(this, &TRichEditWinEh::EditPaste));
    UndoButton = ToolButton(this, StandardToolBar, x, QStringLiteral("U"), QStringLiteral("Undo the last action"),
                            E(this, &TRichEditWinEh::EditUndo));
    x += 8;
    FontName = Create<TComboBox>(this);
    FontName->SetParent(StandardToolBar);
    FontName->SetBounds(x, 2, 173, 22);
    FontName->Hint = QStringLiteral("Font Name|Select font name");
    FontName->SetDropDownCount(10);
    FontName->OnChange = E(this, &TRichEditWinEh::FontNameChange);
    x += 175;
    FontSize = Create<TComboBox>(this);
    FontSize->SetParent(StandardToolBar);
    FontSize->SetBounds(x, 2, 55, 22);
    FontSize->SetDropDownCount(16);
    for (const char* s : {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"})
        FontSize->Items()->Add(QString::fromLatin1(s));
    FontSize->OnChange = E(this, &TRichEditWinEh::FontSizeChange);
    x += 63;
    BoldButton = ToolButton(this, StandardToolBar, x, QStringLiteral("B"), QStringLiteral("Bold"),
                            E(this, &TRichEditWinEh::BoldButtonClick), 1, true);
    ItalicButton = ToolButton(this, StandardToolBar, x, QStringLiteral("I"), QStringLiteral("Italic"),
                              E(this, &TRichEditWinEh::ItalicButtonClick), 2, true);
    UnderlineButton = ToolButton(this, StandardToolBar, x, QStringLiteral("U"), QStringLiteral("Underline"),
                                 E(this, &TRichEditWinEh::UnderlineButtonClick), 3, true);
    x += 8;
    LeftAlign = ToolButton(this, StandardToolBar, x, QStringLiteral("L"), QStringLiteral("Align Left"),
                           E(this, &TRichEditWinEh::AlignButtonClick), 4);
    LeftAlign->SetTag(0);
    CenterAlign = ToolButton(this, StandardToolBar, x, QStringLiteral("C"), QStringLiteral("Center"),
                             E(this, &TRichEditWinEh::AlignButtonClick), 4);
    CenterAlign->SetTag(2);
    RightAlign = ToolButton(this, StandardToolBar, x, QStringLiteral("R"), QStringLiteral("Align Right"),
                            E(this, &TRichEditWinEh::AlignButtonClick), 4);
    RightAlign->SetTag(1);
    x += 8;
    BulletsButton = ToolButton(this, StandardToolBar, x, QString(QChar(0x2022)), QStringLiteral("Bullets|Enter bullet mode"),
                               E(this, &TRichEditWinEh::BulletsButtonClick), 5, true);
    x += 8;
    tbSelectFont = ToolButton(this, StandardToolBar, x, QStringLiteral("F"), QString(), E(this, &TRichEditWinEh::SelectFont));

    Ruler = Create<TPanel>(this);
    Ruler->SetParent(this);
    Ruler->SetAlign(alTop);
    Ruler->SetTop(StandardToolBar->Height());
    Ruler->SetHeight(26);
    Ruler->BevelOuter = bvNone;
    Ruler->ShowCaption = false;
    Ruler->OnResize = E(this, &TRichEditWinEh::RulerResize);
    RulerLine = Create<TPanel>(this);
    RulerLine->SetParent(Ruler);
    RulerLine->SetBounds(4, 12, 580, 2);
    RulerLine->BevelOuter = bvLowered;
    RulerLine->ShowCaption = false;
    auto marker = [&](int l, int t, int w, int h, QChar glyph, const TMouseEvent& up) {
        auto* m = Create<TLabel>(this);
        m->SetParent(Ruler);
        m->SetAutoSize(false);
        m->SetBounds(l, t, w, h);
        m->SetCaption(QString(glyph));
        m->OnMouseDown = TMouseEvent(this, &TRichEditWinEh::RulerItemMouseDown);
        m->OnMouseMove = TMouseMoveEvent(this, &TRichEditWinEh::RulerItemMouseMove);
        m->OnMouseUp = up;
        return m;
    };
    FirstInd = marker(2, 2, 10, 9, QChar(0x25BC), TMouseEvent(this, &TRichEditWinEh::FirstIndMouseUp));
    LeftInd = marker(2, 12, 10, 11, QChar(0x25B2), TMouseEvent(this, &TRichEditWinEh::LeftIndMouseUp));
    RightInd = marker(575, 14, 10, 11, QChar(0x25B2), TMouseEvent(this, &TRichEditWinEh::RightIndMouseUp));

    Panel1 = Create<TPanel>(this);
    Panel1->SetParent(this);
    Panel1->SetAlign(alBottom);
    Panel1->SetHeight(41);
    Panel1->BevelOuter = bvNone;
    Panel1->ShowCaption = false;
    Panel2 = Create<TPanel>(this);
    Panel2->SetParent(Panel1);
    Panel2->SetAlign(alRight);
    Panel2->SetWidth(185);
    Panel2->BevelOuter = bvNone;
    Panel2->ShowCaption = false;
    OKButton = Create<TButton>(this);
    OKButton->SetParent(Panel2);
    OKButton->SetBounds(25, 10, 75, 25);
    OKButton->SetCaption(QStringLiteral("&OK"));
    OKButton->Default = true;
    OKButton->ModalResult = mrOk;
    OKButton->OnClick = E(this, &TRichEditWinEh::OKButtonClick);
    CancelButton = Create<TButton>(this);
    CancelButton->SetParent(Panel2);
    CancelButton->SetBounds(106, 10, 75, 25);
    CancelButton->SetCaption(QStringLiteral("Cancel"));
    CancelButton->Cancel = true;
    CancelButton->ModalResult = mrCancel;
    CancelButton->OnClick = E(this, &TRichEditWinEh::CancelButtonClick);

    StatusBar = Create<TStatusBar>(this);
    StatusBar->SetParent(this);
    StatusBar->SetAlign(alBottom);
    for (int w : {20, 120, 60, 50})
        StatusBar->Panels()->Add()->Width = w;

    Editor = Create<TRichEdit>(this);
    Editor->SetParent(this);
    Editor->SetAlign(alClient);
    Editor->SetHideSelection(false);
    Editor->SetWantTabs(true);
    Editor->OnChange = E(this, &TRichEditWinEh::RichEditChange);
    Editor->OnSelectionChange = E(this, &TRichEditWinEh::SelectionChange);
    Editor->OnKeyDown = TKeyEvent(this, &TRichEditWinEh::EditorKeyDown);
    // FormShow gives the editor the focus.

    const QString filter = QStringLiteral("Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT");
    OpenDialog = Create<TOpenDialog>(this);
    OpenDialog->SetFilter(filter);
    SaveDialog = Create<TSaveDialog>(this);
    SaveDialog->SetFilter(filter);
    PrintDialog = Create<TPrintDialog>(this);
    FontDialog1 = Create<TFontDialog>(this);

    OnShow = E(this, &TRichEditWinEh::FormShow);
    OnResize = E(this, &TRichEditWinEh::FormResize);
    FormCreate(this);
}

TRichEditWinEh* TRichEditWinEh::GetGlobalRef()
{
    if (auto* f = dynamic_cast<TRichEditWinEh*>(DropDownFormGlobalRef(StaticClassInfo())))
        return f;
    auto* form = Create<TRichEditWinEh>(Application);
    // Freed at exit before the registry of shared forms is gone, which the application's own
    // clean-up comes too late for.
    // Without the toolkit left a window cannot go: the form is then only given up.
    std::atexit([] {
        TCustomForm* f = DropDownFormGlobalRef(TRichEditWinEh::StaticClassInfo());
        if (!f)
            return;
        if (QCoreApplication::instance()) {
            delete f;
            return;
        }
        if (f->Owner())
            f->Owner()->RemoveComponent(f);
        SetDropDownFormGlobalRef(TRichEditWinEh::StaticClassInfo(), nullptr);
    });
    return form;
}

// ---- parameters

void TRichEditWinEh::SetDynParams(TDynVarsEh* DynParams)
{
    TCustomDropDownFormEh::SetDynParams(DynParams);
    if (DynParams && DynParams->Count() > 0)
        LoadRichEditDocument(Editor, DynParams->GetItem(0)->AsString());
}

void TRichEditWinEh::GetDynParams(TDynVarsEh*& DynParams)
{
    TCustomDropDownFormEh::GetDynParams(DynParams);
    if (DynParams && DynParams->Count() > 0)
        DynParams->GetItem(0)->SetAsString(QString::fromLatin1(RichEditRtf::WriteRtf(Editor->Document())));
}


void TRichEditWinEh::InitForm(TWinControl* Host, TDynVarsEh* DynParams)
{
    TCustomDropDownFormEh::InitForm(Host, DynParams);
    const int n = DynParams ? DynParams->Count() : 0;
    FPassParams = n == 0 ? pspByFieldNamesEh : n == 1 ? pspFieldValueEh : pspRecordValuesEh;
    if (n > 0)
        LoadRichEditDocument(Editor, DynParams->GetItem(0)->AsString());
    OKButton->SetEnabled(!ReadOnly());
    Editor->SetReadOnly(ReadOnly());
    SelectionChange(this);
    RichEditChange(this);
}

void TRichEditWinEh::ReturnParams(TWinControl* Host, TDynVarsEh* DynParams)
{
    if (DynParams && DynParams->Count() > 0)
        DynParams->GetItem(0)->SetAsString(QString::fromLatin1(RichEditRtf::WriteRtf(Editor->Document())));
    TCustomDropDownFormEh::ReturnParams(Host, DynParams);
}

// ---- the form

void TRichEditWinEh::FormCreate(TObject*)
{
    QStringList fonts = Screen ? Screen->Fonts() : QStringList();
    fonts.sort();
    FontName->Items()->AddStrings(fonts);
    QString ruler;
    for (int i = 0; i < 100; ++i)
        ruler += QStringLiteral("\t|");
    Ruler->SetCaption(ruler);
    SelectionChange(this);
    Editor->SelAttributes()->SetName(Editor->Font()->GetName());
    Editor->SelAttributes()->SetSize(Editor->Font()->GetSize());
    Editor->SetModified(false);
}

void TRichEditWinEh::FormShow(TObject*)
{
    UpdateCursorPos();
    RichEditChange(this);
    if (Editor->CanFocus())
        Editor->SetFocus();
}

void TRichEditWinEh::FormResize(TObject*)
{
    SetEditRect();
    SelectionChange(this);
}

void TRichEditWinEh::SetEditRect()
{
    TRect r(GutterWid, 0, Editor->ClientWidth() - GutterWid, Editor->ClientHeight());
    Editor->Perform(EM_SETRECT, 0, LPARAM(&r));
}

void TRichEditWinEh::RulerResize(TObject*)
{
    RulerLine->SetWidth(Ruler->ClientWidth() - 2 * RulerLine->Left());
}

void TRichEditWinEh::SelectionChange(TObject*)
{
    FUpdating = true;
    {
        TParaAttributes* p = Editor->Paragraph();
        FirstInd->SetLeft(Trunc(p->FirstIndent() * RulerK) + 2);
        LeftInd->SetLeft(Trunc((p->LeftIndent() + p->FirstIndent()) * RulerK) + 2);
        RightInd->SetLeft(Ruler->ClientWidth() - Trunc((p->RightIndent() + GutterWid) * RulerK) - 6);
        const TFontStyles s = Editor->SelAttributes()->Style();
        BoldButton->SetDown(s.Contains(fsBold));
        ItalicButton->SetDown(s.Contains(fsItalic));
        UnderlineButton->SetDown(s.Contains(fsUnderline));
        BulletsButton->SetDown(p->Numbering() == nsBullet);
        FontSize->SetText(QString::number(Editor->SelAttributes()->Size()));
        FontName->SetText(Editor->SelAttributes()->Name());
        switch (p->Alignment()) {
        case taRightJustify: RightAlign->SetDown(true); break;
        case taCenter: CenterAlign->SetDown(true); break;
        default: LeftAlign->SetDown(true); break;
        }
        UpdateCursorPos();
    }
    FUpdating = false;
}

QString TRichEditWinEh::CursorPositionText() const { return StatusBar->Panels()->Items(1)->Text; }
QString TRichEditWinEh::ModifiedText() const { return StatusBar->Panels()->Items(2)->Text; }

void TRichEditWinEh::UpdateCursorPos()
{
    const int line = int(Editor->Perform(EM_LINEFROMCHAR, Editor->SelStart(), 0));
    const int col = Editor->SelStart() - int(Editor->Perform(EM_LINEINDEX, line, 0));
    StatusBar->Panels()->Items(1)->Text = QString::asprintf("Line: %3d   Col: %3d", line + 1, col + 1);
    StatusBar->Invalidate();
    const bool selected = Editor->SelLength() > 0;
    CopyButton->SetEnabled(selected);
    CutButton->SetEnabled(selected);
}

void TRichEditWinEh::RichEditChange(TObject*)
{
    StatusBar->Panels()->Items(2)->Text = Editor->Modified() ? QStringLiteral("Modified") : QString();
    StatusBar->Invalidate();
}

// ---- formatting

namespace {
void ToggleStyle(TRichEdit* Editor, TFontStyle Style, bool On)
{
    TFontStyles s = Editor->SelAttributes()->Style();
    if (On)
        s.Include(Style);
    else
        s.Exclude(Style);
    Editor->SelAttributes()->SetStyle(s);
}
}  // namespace

void TRichEditWinEh::BoldButtonClick(TObject*)
{
    if (!FUpdating)
        ToggleStyle(Editor, fsBold, BoldButton->Down());
}

void TRichEditWinEh::ItalicButtonClick(TObject*)
{
    if (!FUpdating)
        ToggleStyle(Editor, fsItalic, ItalicButton->Down());
}

void TRichEditWinEh::UnderlineButtonClick(TObject*)
{
    if (!FUpdating)
        ToggleStyle(Editor, fsUnderline, UnderlineButton->Down());
}

void TRichEditWinEh::AlignButtonClick(TObject* Sender)
{
    if (FUpdating)
        return;
    if (auto* b = dynamic_cast<TComponent*>(Sender))
        Editor->Paragraph()->SetAlignment(TAlignment(b->Tag()));
}

void TRichEditWinEh::BulletsButtonClick(TObject*)
{
    if (!FUpdating)
        Editor->Paragraph()->SetNumbering(BulletsButton->Down() ? nsBullet : nsNone);
}

void TRichEditWinEh::FontNameChange(TObject*)
{
    // A typed name that is no item selects nothing and is not applied.
    if (!FUpdating && FontName->ItemIndex() >= 0)
        Editor->SelAttributes()->SetName(FontName->Items()->Strings(FontName->ItemIndex()));
}

void TRichEditWinEh::FontSizeChange(TObject*)
{
    if (FUpdating)
        return;
    bool ok = false;
    const int size = FontSize->Text().trimmed().toInt(&ok);
    if (ok && size > 0)
        Editor->SelAttributes()->SetSize(size);
}

// ---- the ruler

void TRichEditWinEh::RulerItemMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int X, int)
{
    auto* m = dynamic_cast<TControl*>(Sender);
    if (!m || Button != mbLeft)
        return;
    FDragOfs = m->Width() / 2;
    m->SetLeft(std::max(0, m->Left() + X - FDragOfs));
    FDragging = true;
}

void TRichEditWinEh::RulerItemMouseMove(TObject* Sender, TShiftState, int X, int)
{
    auto* m = dynamic_cast<TControl*>(Sender);
    if (FDragging && m)
        m->SetLeft(m->Left() + X - FDragOfs);
}

void TRichEditWinEh::FirstIndMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FDragging = false;
    TParaAttributes* p = Editor->Paragraph();
    // The left marker stays where it is: the offset follows the new first line.
    const int left = p->LeftIndent() + p->FirstIndent();
    p->SetFirstIndent(Trunc((FirstInd->Left() + FDragOfs - GutterWid) / RulerK));
    p->SetLeftIndent(left - p->FirstIndent());
    SelectionChange(Sender);
}

void TRichEditWinEh::LeftIndMouseUp(TObject* Sender, TMouseButton, TShiftState, int, int)
{
    FDragging = false;
    TParaAttributes* p = Editor->Paragraph();
    p->SetLeftIndent(Trunc((LeftInd->Left() + FDragOfs - GutterWid) / RulerK) - p->FirstIndent());
    SelectionChange(Sender);
}

void TRichEditWinEh::RightIndMouseUp(TObject* Sender, TMouseButton, TShiftState, int, int)
{
    FDragging = false;
    Editor->Paragraph()->SetRightIndent(Trunc((Ruler->ClientWidth() + FDragOfs - RightInd->Left() - 2) / RulerK) - 12);
    SelectionChange(Sender);
}

// ---- files and the clipboard

QString TRichEditWinEh::RtfFileName(const QString& Name)
{
    return Name.endsWith(QLatin1String(".RTF"), Qt::CaseInsensitive) ? Name : Name + QStringLiteral(".rtf");
}

void TRichEditWinEh::FileOpen(TObject*)
{
    if (!OpenDialog->Execute())
        return;
    Editor->Lines()->LoadFromFile(OpenDialog->FileName());
    if (Editor->CanFocus())
        Editor->SetFocus();
    Editor->SetModified(false);
    Editor->SetReadOnly(OpenDialog->Options().Contains(ofReadOnly));
    SelectionChange(this);
    RichEditChange(this);
}

void TRichEditWinEh::FileSave(TObject* Sender) { FileSaveAs(Sender); }

void TRichEditWinEh::FileSaveAs(TObject*)
{
    if (!SaveDialog->Execute())
        return;
    const QString name = RtfFileName(SaveDialog->FileName());
    if (QFileInfo::exists(name) &&
        MessageDlg(QStringLiteral("OK to overwrite %1").arg(name), mtConfirmation, TMsgDlgButtons{mbYes, mbNo, mbCancel}) != mrYes)
        return;
    Editor->Lines()->SaveToFile(name);
    Editor->SetModified(false);
    RichEditChange(this);
}

void TRichEditWinEh::FilePrint(TObject*)
{
    if (PrintDialog->Execute())
        Editor->Print(FFileName);
}

void TRichEditWinEh::FileExit(TObject*) { Close(); }

void TRichEditWinEh::EditUndo(TObject*)
{
    if (Editor->HandleAllocated())
        Editor->Perform(EM_UNDO, 0, 0);
}

void TRichEditWinEh::EditCut(TObject*) { Editor->CutToClipboard(); }
void TRichEditWinEh::EditCopy(TObject*) { Editor->CopyToClipboard(); }
void TRichEditWinEh::EditPaste(TObject*) { Editor->PasteFromClipboard(); }

void TRichEditWinEh::SelectFont(TObject*)
{
    const bool keep = KeepFormVisible();
    SetKeepFormVisible(true);
    {
        TFont font;
        Editor->SelAttributes()->AssignTo(&font);
        FontDialog1->SetFont(&font);
        if (FontDialog1->Execute())
            Editor->SelAttributes()->Assign(FontDialog1->Font());
    }
    SetKeepFormVisible(keep);
    SelectionChange(this);
    if (Editor->CanFocus())
        Editor->SetFocus();
}

void TRichEditWinEh::EditorKeyDown(TObject*, Word& Key, TShiftState)
{
    if (Key == VK_ESCAPE)
        Close();
}

void TRichEditWinEh::OKButtonClick(TObject*)
{
    SetModalResult(mrOk);
    if (DropDownMode())
        Close();
}

void TRichEditWinEh::CancelButtonClick(TObject*)
{
    SetModalResult(mrCancel);
    if (DropDownMode())
        Close();
}

void RegisterRichEditFormsEh()
{
    RegisterClasses<TRichEditWinEh>();
    DBRichEditEhEditForm = [] { return static_cast<TCustomForm*>(TRichEditWinEh::GetGlobalRef()); };
}

namespace {
// Unit start-up: the form class can be found by name and the rich edit's buttons open it.
struct TRichEditFormsUnit {
    TRichEditFormsUnit() { RegisterRichEditFormsEh(); }
};
const TRichEditFormsUnit gRichEditFormsUnit;
}  // namespace
