#include "components/editors/RichEditFormsEh.h"

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/RichEditRtf.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinUser.h"

#include <QFileInfo>
#include <QTextDocument>
#include <cmath>

static void InitRichEditFormsResource() { Q_INIT_RESOURCE(RichEditFormsEh); }

DOV_PUBLISHED(TRichEditWinEh)
{
    P.Prop("ClientHeight", [](TRichEditWinEh* f) { return f->ClientHeight(); },
           [](TRichEditWinEh* f, int v) { f->SetClientHeight(v); })
        .Stored(false);
    P.Prop("ClientWidth", [](TRichEditWinEh* f) { return f->ClientWidth(); },
           [](TRichEditWinEh* f, int v) { f->SetClientWidth(v); })
        .Stored(false);
    P.Prop("FormElements", &TRichEditWinEh::FormElements, &TRichEditWinEh::SetFormElements);
    P.Event("OnInitForm", &TRichEditWinEh::OnInitForm);
    P.Event("OnReturnParams", &TRichEditWinEh::OnReturnParams);
    P.Field("MainMenu", &TRichEditWinEh::MainMenu);
    P.Field("FileNewItem", &TRichEditWinEh::FileNewItem);
    P.Field("FileOpenItem", &TRichEditWinEh::FileOpenItem);
    P.Field("FileSaveItem", &TRichEditWinEh::FileSaveItem);
    P.Field("FileSaveAsItem", &TRichEditWinEh::FileSaveAsItem);
    P.Field("FilePrintItem", &TRichEditWinEh::FilePrintItem);
    P.Field("FileExitItem", &TRichEditWinEh::FileExitItem);
    P.Field("EditUndoItem", &TRichEditWinEh::EditUndoItem);
    P.Field("EditCutItem", &TRichEditWinEh::EditCutItem);
    P.Field("EditCopyItem", &TRichEditWinEh::EditCopyItem);
    P.Field("EditPasteItem", &TRichEditWinEh::EditPasteItem);
    P.Field("OpenDialog", &TRichEditWinEh::OpenDialog);
    P.Field("SaveDialog", &TRichEditWinEh::SaveDialog);
    P.Field("PrintDialog", &TRichEditWinEh::PrintDialog);
    P.Field("Ruler", &TRichEditWinEh::Ruler);
    P.Field("FontDialog1", &TRichEditWinEh::FontDialog1);
    P.Field("FirstInd", &TRichEditWinEh::FirstInd);
    P.Field("LeftInd", &TRichEditWinEh::LeftInd);
    P.Field("RulerLine", &TRichEditWinEh::RulerLine);
    P.Field("RightInd", &TRichEditWinEh::RightInd);
    P.Field("N5", &TRichEditWinEh::N5);
    P.Field("miEditFont", &TRichEditWinEh::miEditFont);
    P.Field("Editor", &TRichEditWinEh::Editor);
    P.Field("StatusBar", &TRichEditWinEh::StatusBar);
    P.Field("StandardToolBar", &TRichEditWinEh::StandardToolBar);
    P.Field("OpenButton", &TRichEditWinEh::OpenButton);
    P.Field("SaveButton", &TRichEditWinEh::SaveButton);
    P.Field("PrintButton", &TRichEditWinEh::PrintButton);
    P.Field("ToolButton5", &TRichEditWinEh::ToolButton5);
    P.Field("UndoButton", &TRichEditWinEh::UndoButton);
    P.Field("CutButton", &TRichEditWinEh::CutButton);
    P.Field("CopyButton", &TRichEditWinEh::CopyButton);
    P.Field("PasteButton", &TRichEditWinEh::PasteButton);
    P.Field("ToolButton10", &TRichEditWinEh::ToolButton10);
    P.Field("FontName", &TRichEditWinEh::FontName);
    P.Field("FontSizeOld", &TRichEditWinEh::FontSizeOld);
    P.Field("ToolButton11", &TRichEditWinEh::ToolButton11);
    P.Field("UpDown1", &TRichEditWinEh::UpDown1);
    P.Field("BoldButton", &TRichEditWinEh::BoldButton);
    P.Field("ItalicButton", &TRichEditWinEh::ItalicButton);
    P.Field("UnderlineButton", &TRichEditWinEh::UnderlineButton);
    P.Field("ToolButton16", &TRichEditWinEh::ToolButton16);
    P.Field("LeftAlign", &TRichEditWinEh::LeftAlign);
    P.Field("CenterAlign", &TRichEditWinEh::CenterAlign);
    P.Field("RightAlign", &TRichEditWinEh::RightAlign);
    P.Field("ToolButton20", &TRichEditWinEh::ToolButton20);
    P.Field("BulletsButton", &TRichEditWinEh::BulletsButton);
    P.Field("ToolbarImages", &TRichEditWinEh::ToolbarImages);
    P.Field("Bevel1", &TRichEditWinEh::Bevel1);
    P.Field("Panel1", &TRichEditWinEh::Panel1);
    P.Field("Panel2", &TRichEditWinEh::Panel2);
    P.Field("OKButton", &TRichEditWinEh::OKButton);
    P.Field("CancelButton", &TRichEditWinEh::CancelButton);
    P.Field("ToolButton1", &TRichEditWinEh::ToolButton1);
    P.Field("tbSelectFont", &TRichEditWinEh::tbSelectFont);
    P.Field("FontSize", &TRichEditWinEh::FontSize);
    P.Method("FormCreate", &TRichEditWinEh::FormCreate);
    P.Method("FormShow", &TRichEditWinEh::FormShow);
    P.Method("FormResize", &TRichEditWinEh::FormResize);
    P.Method("FormPaint", &TRichEditWinEh::FormPaint);
    P.Method("CustomDropDownFormEhInitForm", &TRichEditWinEh::CustomDropDownFormEhInitForm);
    P.Method("CustomDropDownFormEhReturnParams", &TRichEditWinEh::CustomDropDownFormEhReturnParams);
    P.Method("SelectionChange", &TRichEditWinEh::SelectionChange);
    P.Method("RichEditChange", &TRichEditWinEh::RichEditChange);
    P.Method("BoldButtonClick", &TRichEditWinEh::BoldButtonClick);
    P.Method("ItalicButtonClick", &TRichEditWinEh::ItalicButtonClick);
    P.Method("UnderlineButtonClick", &TRichEditWinEh::UnderlineButtonClick);
    P.Method("AlignButtonClick", &TRichEditWinEh::AlignButtonClick);
    P.Method("BulletsButtonClick", &TRichEditWinEh::BulletsButtonClick);
    P.Method("FontNameChange", &TRichEditWinEh::FontNameChange);
    P.Method("FontSizeChange", &TRichEditWinEh::FontSizeChange);
    P.Method("RulerItemMouseDown", &TRichEditWinEh::RulerItemMouseDown);
    P.Method("RulerItemMouseMove", &TRichEditWinEh::RulerItemMouseMove);
    P.Method("FirstIndMouseUp", &TRichEditWinEh::FirstIndMouseUp);
    P.Method("LeftIndMouseUp", &TRichEditWinEh::LeftIndMouseUp);
    P.Method("RightIndMouseUp", &TRichEditWinEh::RightIndMouseUp);
    P.Method("RulerResize", &TRichEditWinEh::RulerResize);
    P.Method("FileOpen", &TRichEditWinEh::FileOpen);
    P.Method("FileSave", &TRichEditWinEh::FileSave);
    P.Method("FileSaveAs", &TRichEditWinEh::FileSaveAs);
    P.Method("FilePrint", &TRichEditWinEh::FilePrint);
    P.Method("FileExit", &TRichEditWinEh::FileExit);
    P.Method("EditUndo", &TRichEditWinEh::EditUndo);
    P.Method("EditCut", &TRichEditWinEh::EditCut);
    P.Method("EditCopy", &TRichEditWinEh::EditCopy);
    P.Method("EditPaste", &TRichEditWinEh::EditPaste);
    P.Method("SelectFont", &TRichEditWinEh::SelectFont);
    P.Method("EditorKeyDown", &TRichEditWinEh::EditorKeyDown);
    P.Method("OKButtonClick", &TRichEditWinEh::OKButtonClick);
    P.Method("CancelButtonClick", &TRichEditWinEh::CancelButtonClick);
}

namespace {

// Pixels per point of indent on the ruler.
constexpr long double RulerK = 4.0L / 3.0L;
constexpr int GutterWid = 6;

int Trunc(long double V) { return int(std::trunc(V)); }

}  // namespace

TRichEditWinEh::TRichEditWinEh(TComponent* AOwner) : TCustomDropDownFormEh(AOwner) {}

void TRichEditWinEh::AfterConstruction()
{
    RegisterRichEditFormsEh();
    TCustomDropDownFormEh::AfterConstruction();
}

TRichEditWinEh* TRichEditWinEh::GetGlobalRef()
{
    if (auto* f = dynamic_cast<TRichEditWinEh*>(DropDownFormGlobalRef(StaticClassInfo())))
        return f;
    return Create<TRichEditWinEh>(Application);
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


void TRichEditWinEh::CustomDropDownFormEhInitForm(TCustomDropDownFormEh*, TDynVarsEh* DynParams)
{
    const int n = DynParams ? DynParams->Count() : 0;
    FPassParams = n == 0 ? pspByFieldNamesEh : n == 1 ? pspFieldValueEh : pspRecordValuesEh;
    if (n > 0)
        LoadRichEditDocument(Editor, DynParams->GetItem(0)->AsString());
    OKButton->SetEnabled(!ReadOnly());
    Editor->SetReadOnly(ReadOnly());
    SelectionChange(this);
    RichEditChange(this);
}

void TRichEditWinEh::CustomDropDownFormEhReturnParams(TCustomDropDownFormEh*, TDynVarsEh* DynParams)
{
    if (DynParams && DynParams->Count() > 0)
        DynParams->GetItem(0)->SetAsString(QString::fromLatin1(RichEditRtf::WriteRtf(Editor->Document())));
}

// ---- the form

void TRichEditWinEh::FormCreate(TObject*)
{
    // The status bar's panels: a gap, the cursor position, the modified mark, the rest.
    StatusBar->Panels()->Clear();
    for (int w : {20, 120, 60, 50})
        StatusBar->Panels()->Add()->Width = w;
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

void TRichEditWinEh::FormPaint(TObject*) { SetEditRect(); }

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
    EditCopyItem->SetEnabled(selected);
    CutButton->SetEnabled(selected);
    EditCutItem->SetEnabled(selected);
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
    static const bool done = [] {
        InitRichEditFormsResource();
        RegisterClasses<TBevel, TButton, TComboBox, TEdit, TImageList, TLabel, TMainMenu, TMenuItem, TPanel,
                        TRichEdit, TStatusBar, TToolBar, TToolButton, TUpDown, TOpenDialog, TSaveDialog, TPrintDialog,
                        TFontDialog, TRichEditWinEh>();
        DBRichEditEhEditForm = [] { return static_cast<TCustomForm*>(TRichEditWinEh::GetGlobalRef()); };
        return true;
    }();
    (void)done;
}

namespace {
// Unit start-up: the form class can be found by name and the rich edit's buttons open it.
struct TRichEditFormsUnit {
    TRichEditFormsUnit() { RegisterRichEditFormsEh(); }
};
const TRichEditFormsUnit gRichEditFormsUnit;
}  // namespace
