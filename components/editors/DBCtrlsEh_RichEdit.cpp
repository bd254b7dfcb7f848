// The data-aware rich edit: the document loaded from and written to its field, the dataset
// kept out of edit state until the user really changes something, and its edit buttons.
#include "components/editors/DBCtrlsEh.h"

#include "components/foundation/DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/RichEditRtf.h"
#include "platform/winapi/WinUser.h"

#include <QTextDocument>

DOV_PUBLISHED(TCustomDBRichEditEh) {}
DOV_PUBLISHED(TDBRichEditEh) {}

TDefaultEditButtonActionProcEh DefaultDBRichEditButtonActionHook = &DefaultDBRichEditButtonAction;
TCustomForm* (*DBRichEditEhEditForm)() = nullptr;

namespace {
// Posted when the buttons change: a button being added tells its collection before it is
// fully made, so the layout waits for the message.
constexpr UINT CM_RICHBUTTONSCHANGED = WM_USER + 150;
}  // namespace

bool IsRtfTextEh(const QString& Value)
{
    return Value.startsWith(QLatin1String("{\\rtf")) || Value.startsWith(QLatin1String("{urtf"));
}

TCustomDBRichEditEh::TCustomDBRichEditEh(TComponent* AOwner) : TCustomRichEdit(AOwner) {}

void TCustomDBRichEditEh::AfterConstruction()
{
    TCustomRichEdit::AfterConstruction();
    TCustomRichEdit::SetReadOnly(true);   // until editing is allowed
    FDataLink = new TFieldDataLinkEh();
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = TNotifyEvent(this, &TCustomDBRichEditEh::DataChange);
    FDataLink->OnEditingChange = TNotifyEvent(this, &TCustomDBRichEditEh::EditingChange);
    FDataLink->OnUpdateData = TNotifyEvent(this, &TCustomDBRichEditEh::UpdateData);
    FDynProps = Create<TDynVarsEh>(this);
    FButtonsBox = Create<TEditButtonsBoxEh>(this);
    FButtonsBox->SetBounds(0, 0, 0, 0);
    FButtonsBox->SetVisible(false);
    FButtonsBox->SetParent(this);
    FButtonsBox->SetOnDown(TButtonDownEventEh(this, &TCustomDBRichEditEh::EditButtonDown));
    FButtonsBox->SetOnButtonClick(TNotifyEvent(this, &TCustomDBRichEditEh::EditButtonClick));
    FButtonsBox->SetOnButtonMouseMove(TMouseMoveEvent(this, &TCustomDBRichEditEh::EditButtonMouseMove));
    FButtonsBox->SetOnButtonMouseUp(TMouseEvent(this, &TCustomDBRichEditEh::EditButtonMouseUp));
    FButtonsBox->SetOnCreateEditButtonControl(
        TCreateEditButtonControlEvent(this, &TCustomDBRichEditEh::CreateEditButtonControlEvent));
    FEditButtons = CreateEditButtons();
    FEditButtons->OnChanged = TNotifyEvent(this, &TCustomDBRichEditEh::UpdateButtonsChanged);
    FEditButtons->OnRefComponentChanged = TRefComponentNotifyEventEh([this](TObject*, TComponent* Ref) {
        Invalidate();
        if (Ref)
            Ref->FreeNotification(this);
    });
    FControlLabel = Create<TControlLabelEh>(this);
    FControlLabel->FreeNotification(this);
    FControlLabel->SetFocusControl(this);
    FControlLabelLocation = new TControlLabelLocationEh(this);
}

TCustomDBRichEditEh::~TCustomDBRichEditEh()
{
    delete FDataLink;
    FDataLink = nullptr;
    delete FEditButtons;
    FEditButtons = nullptr;
    delete FControlLabel;
    FControlLabel = nullptr;
    delete FControlLabelLocation;
    FControlLabelLocation = nullptr;
}

// ---- properties

QString TCustomDBRichEditEh::DataField() const { return FDataLink->FieldName(); }
void TCustomDBRichEditEh::SetDataField(const QString& Value) { FDataLink->SetFieldName(Value); }
TDataSource* TCustomDBRichEditEh::DataSource() const { return FDataLink->DataSource(); }

void TCustomDBRichEditEh::SetDataSource(TDataSource* Value)
{
    FDataLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

TField* TCustomDBRichEditEh::Field() const { return FDataLink->Field(); }
void TCustomDBRichEditEh::SetEditButtons(TEditButtonsEh* Value) { FEditButtons->Assign(Value); }
bool TCustomDBRichEditEh::ReadOnly() const { return FReadOnlyProp; }

void TCustomDBRichEditEh::SetReadOnly(bool Value)
{
    FReadOnlyProp = Value;
    FDataLink->SetReadOnly(Value);
    EditingChange(this);
}

void TCustomDBRichEditEh::SetAutoDisplay(bool Value)
{
    if (Value == FAutoDisplay)
        return;
    FAutoDisplay = Value;
    if (Value)
        LoadMemo();
}

bool TCustomDBRichEditEh::DataIndepended() { return FDataLink->DataIndepended(); }

bool TCustomDBRichEditEh::IsBlob() const
{
    return dynamic_cast<TBlobField*>(Field()) != nullptr;
}

void TCustomDBRichEditEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomRichEdit::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (FDataLink && AComponent == DataSource())
        SetDataSource(nullptr);
    if (AComponent == FControlLabel)
        FControlLabel = nullptr;
}

void TCustomDBRichEditEh::Loaded()
{
    TCustomRichEdit::Loaded();
    AdjustLabelBounds();
}

// ---- the document and the field

QString TCustomDBRichEditEh::RtfText()
{
    return QString::fromLatin1(RichEditRtf::WriteRtf(Document()));
}

void LoadRichEditDocument(TCustomRichEdit* Edit, const QString& Value)
{
    if (IsRtfTextEh(Value)) {
        QByteArray bytes = UnicodeToCP1251(Value);
        if (bytes.startsWith("{urtf"))
            bytes.replace(0, 5, "{\\rtf");
        RichEditRtf::ReadRtf(bytes, Edit->Document());
    } else {
        Edit->SetText(Value);
    }
    Edit->SetSelStart(0);
    Edit->SetModified(false);
}

void TCustomDBRichEditEh::SetDocumentText(const QString& Value) { LoadRichEditDocument(this, Value); }

void TCustomDBRichEditEh::SetRtfText(const QString& Value)
{
    if (ComponentState().Contains(csDesigning) && !DataIndepended())
        return;
    if (!DataIndepended() && DataSource() && DataSource()->DataSet())
        DataSource()->DataSet()->Edit();
    SetDocumentText(Value);
    if (FDataPosting)
        return;
    auto reset = OnFailure([this] { FDataLink->Reset(); });
    FDataLink->Modified();
    FDataLink->UpdateRecord();
}

void TCustomDBRichEditEh::LoadMemo()
{
    if (FMemoLoaded || !IsBlob())
        return;
    try {
        SetDocumentText(Field()->AsString());
        FMemoLoaded = true;
    } catch (const std::bad_alloc&) {
        TCustomRichEdit::SetText(QStringLiteral("(Out of memory)"));
        return;
    } catch (const EOutOfMemory& E) {
        TCustomRichEdit::SetText(QStringLiteral("(") + E.Message() + QStringLiteral(")"));
        return;
    }
    EditingChange(this);
}

void TCustomDBRichEditEh::DataChange(TObject*)
{
    TField* f = Field();
    if (f && !IsBlob()) {
        // The same text again (our own entry into edit state) keeps the caret where the user types.
        const QString t = FFocused && FDataLink->CanModify() ? f->Text() : f->DisplayText();
        if (t != Text())
            TCustomRichEdit::SetText(t);
        FMemoLoaded = true;
    } else if (f && (FAutoDisplay || (FDataLink->Editing() && FMemoLoaded))) {
        // Our own entry into edit state announces the same value again: the typing stays.
        if (FDataSaveSet && FDataSave == f->AsString())
            return;
        FMemoLoaded = false;
        LoadMemo();
    } else if (f) {
        TCustomRichEdit::SetText(QStringLiteral("(") + f->DisplayLabel() + QStringLiteral(")"));
        FMemoLoaded = false;
    } else if (!DataIndepended()) {
        TCustomRichEdit::SetText(ComponentState().Contains(csDesigning) ? Name() : QString());
        FMemoLoaded = false;
    }
    SetModified(false);
    Invalidate();
    if (FControlLabel)
        FControlLabel->UpdateCaption();
}

void TCustomDBRichEditEh::EditingChange(TObject*)
{
    if (DataIndepended())
        TCustomRichEdit::SetReadOnly(FReadOnlyProp);
    else
        TCustomRichEdit::SetReadOnly(!(FDataLink->Editing() && FMemoLoaded));
}

void TCustomDBRichEditEh::UpdateData(TObject*)
{
    if (DataIndepended())
        return;
    TField* f = Field();
    if (!f)
        return;
    FDataPosting = true;
    auto done = Finally([this] { FDataPosting = false; });
    if (IsBlob())
        f->SetAsString(RtfText());
    else
        f->SetText(Text());
}

bool TCustomDBRichEditEh::EditCanModify()
{
    if (FDataLink->Editing())
        return true;
    TField* f = Field();
    FDataSave = IsBlob() ? f->AsString() : QString();
    FDataSaveSet = IsBlob();
    auto clear = Finally([this] {
        FDataSave.clear();
        FDataSaveSet = false;
    });
    return FDataLink->Edit();
}

void TCustomDBRichEditEh::Change()
{
    if (FMemoLoaded)
        FDataLink->Modified();
    FMemoLoaded = true;
    TCustomRichEdit::Change();
}

// ---- keys, mouse and focus

void TCustomDBRichEditEh::KeyDown(Word& Key, TShiftState Shift)
{
    if (FMemoLoaded) {
        const bool ctrl = Shift.Contains(ssCtrl), shift = Shift.Contains(ssShift);
        const bool edits = Key == VK_DELETE || Key == VK_BACK || (Key == VK_INSERT && shift) ||
                           (ctrl && (Key == 'V' || Key == 'X'));
        if (edits && !EditCanModify())
            Key = 0;
    }
    TCustomRichEdit::KeyDown(Key, Shift);
}

void TCustomDBRichEditEh::KeyPress(QChar& Key)
{
    if (!FMemoLoaded) {
        if (Key == QChar(13))
            LoadMemo();
        Key = QChar(0);
        TCustomRichEdit::KeyPress(Key);
        return;
    }
    const char16_t c = Key.unicode();
    if (c >= 32 && Field() && !Field()->IsValidChar(Key)) {
        MessageBeep(0);
        Key = QChar(0);
    } else if (c == 27) {
        FDataLink->Reset();
        Key = QChar(0);
    } else if (c < 32 && c != 8 && c != 9 && c != 10 && c != 13 && c != 22 && c != 24) {
        // other control characters pass unchanged
    } else if (c != 0 && !EditCanModify()) {
        Key = QChar(0);
    }
    TCustomRichEdit::KeyPress(Key);
}

void TCustomDBRichEditEh::DblClick()
{
    if (!FMemoLoaded)
        LoadMemo();
    else
        TCustomRichEdit::DblClick();
}

void TCustomDBRichEditEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    // A click is no change.
    SetChangeEvents(false);
    auto on = Finally([this] { SetChangeEvents(true); });
    TCustomRichEdit::MouseDown(Button, Shift, X, Y);
}

void TCustomDBRichEditEh::SetChangeEvents(bool Value)
{
    const DWORD mask = DWORD(Perform(EM_GETEVENTMASK, 0, 0));
    Perform(EM_SETEVENTMASK, 0, Value ? (mask | ENM_CHANGE) : (mask & ~DWORD(ENM_CHANGE)));
}

void TCustomDBRichEditEh::CMEnter(TMessage& M)
{
    FFocused = true;
    FDataLink->Reset();
    if (FDataLink->CanModify() && FMemoLoaded && !FReadOnlyProp)
        TCustomRichEdit::SetReadOnly(false);
    TCustomRichEdit::CMEnter(M);
}

void TCustomDBRichEditEh::CMExit(TMessage& M)
{
    {
        auto back = OnFailure([this] {
            if (CanFocus())
                SetFocus();
        });
        FDataLink->UpdateRecord();
    }
    FFocused = false;
    EditingChange(this);
    TCustomRichEdit::CMExit(M);
}

void TCustomDBRichEditEh::WMCut(TMessage& M)
{
    if (EditCanModify())
        TCustomRichEdit::WMCut(M);
}

void TCustomDBRichEditEh::WMPaste(TMessage& M)
{
    if (EditCanModify())
        TCustomRichEdit::WMPaste(M);
}

void TCustomDBRichEditEh::WMClear(TMessage& M)
{
    if (EditCanModify())
        TCustomRichEdit::WMClear(M);
}

void TCustomDBRichEditEh::EMSetCharFormat(TMessage& M)
{
    if (FCreatingWnd == 0)
        EditCanModify();
    TCustomRichEdit::EMSetCharFormat(M);
}

void TCustomDBRichEditEh::EMSetParaFormat(TMessage& M)
{
    if (FCreatingWnd == 0)
        EditCanModify();
    TCustomRichEdit::EMSetParaFormat(M);
}

void TCustomDBRichEditEh::Dispatch(TMessage& M)
{
    if (M.Msg == CM_RICHBUTTONSCHANGED) {
        UpdateEditButtons();
        return;
    }
    if (M.Msg == WM_DROPDOWNFORMCLOSED_EH) {
        FDroppedDown = false;
        for (int i = 0; i < FButtonsBox->ButtonsCount(); ++i)
            if (TEditButtonControlEh* c = FButtonsBox->BtnCtlLine(i).EditButtonControl)
                c->SetAlwaysDown(false);
        return;
    }
    TCustomRichEdit::Dispatch(M);
}

// ---- the control label

QString TCustomDBRichEditEh::GetControlLabelCaption()
{
    if (TField* f = Field())
        return f->DisplayName();
    return Name();
}

int TCustomDBRichEditEh::GetControlTextBaseLine()
{
    return MeasureCanvasEh(Font())->TextHeight(QStringLiteral("Wg")) + 2 * GetSystemMetrics(SM_CYBORDER) + 1;
}

void TCustomDBRichEditEh::AdjustLabelBounds()
{
    if (!FControlLabel || !FControlLabelLocation)
        return;
    TPoint p;
    FControlLabelLocation->CalcLabelPosForControl(FControlLabel->Width(), FControlLabel->Height(), p);
    FControlLabel->SetBounds(p.X, p.Y, FControlLabel->Width(), FControlLabel->Height());
}

void TCustomDBRichEditEh::LabelLocationChanged()
{
    if (!ComponentState().Contains(csLoading))
        AdjustLabelBounds();
}

void TCustomDBRichEditEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TCustomRichEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    AdjustLabelBounds();
}

void TCustomDBRichEditEh::SetParent(TWinControl* AParent)
{
    TCustomRichEdit::SetParent(AParent);
    if (FControlLabel) {
        FControlLabel->UpdateParent();
        FControlLabel->UpdateVisibility();
        FControlLabel->UpdateCaption();
    }
}

void TCustomDBRichEditEh::CMVisibleChanged(TMessage& M)
{
    TCustomRichEdit::CMVisibleChanged(M);
    if (FControlLabel)
        FControlLabel->UpdateVisibility();
}

void TCustomDBRichEditEh::CMBiDiModeChanged(TMessage& M)
{
    TCustomRichEdit::CMBiDiModeChanged(M);
    if (FControlLabel)
        FControlLabel->SetBiDiMode(BiDiMode());
    UpdateEditButtons();
}

// ---- edit buttons

TEditButtonsEh* TCustomDBRichEditEh::CreateEditButtons()
{
    return Create<TEditButtonsEh>(this, TVisibleEditButtonEh::StaticClassInfo());
}

TEditButtonControlEh* TCustomDBRichEditEh::CreateEditButtonControl()
{
    auto* control = Create<TEditButtonControlEh>(this);
    control->SetBounds(0, 0, 10, 17);
    control->SetVisible(true);
    return control;
}

void TCustomDBRichEditEh::CreateEditButtonControlEvent(TEditButtonControlEh*& EditButtonControl)
{
    EditButtonControl = CreateEditButtonControl();
}

void TCustomDBRichEditEh::UpdateButtonsChanged(TObject*)
{
    if (HandleAllocated())
        PostMessage(Handle(), CM_RICHBUTTONSCHANGED, 0, 0);
}

void TCustomDBRichEditEh::Resize()
{
    TCustomRichEdit::Resize();
    UpdateEditButtons();
}

TRect TCustomDBRichEditEh::GetButtonsBoxRect()
{
    TRect r = ClientRect();
    const int w = FButtonsBox->ButtonsWidth();
    if (UseRightToLeftAlignment())
        r.Right = r.Left + w;
    else
        r.Left = r.Right - w;
    if (BorderStyle() == bsSingle) {
        r.Top += 1;
        r.Bottom -= 1;
        if (UseRightToLeftAlignment())
            r.Left += 1, r.Right += 1;
        else
            r.Left -= 1, r.Right -= 1;
    }
    return r;
}

TRect TCustomDBRichEditEh::GetEditRect()
{
    TRect r = ClientRect();
    const int w = FButtonsBox && FButtonsBox->Visible() ? FButtonsBox->ButtonsWidth() : 0;
    if (UseRightToLeftAlignment())
        r.Left += w;
    else
        r.Right -= w;
    return r;
}

void TCustomDBRichEditEh::UpdateEditButtons()
{
    if (!FButtonsBox || !FEditButtons)
        return;
    FButtonsBox->BeginLayout();
    {
        auto end = Finally([&] { FButtonsBox->EndLayout(); });
        FButtonsBox->SetButtonsCount(FEditButtons->Count());
        FButtonsBox->SetMaxButtonHeight(GetButtonsBoxRect().Height());
        for (int i = 0; i < FEditButtons->Count(); ++i)
            FButtonsBox->BtnCtlLine(i).EditButton = FEditButtons->Items(i);
    }
    if (FButtonsBox->ButtonsWidth() <= 0) {
        FButtonsBox->SetVisible(false);
    } else {
        const TRect r = GetButtonsBoxRect();
        FButtonsBox->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        FButtonsBox->SetVisible(true);
    }
    UpdateEditButtonsState();
    TRect er = GetEditRect();
    Perform(EM_SETRECTNP, 0, LPARAM(&er));
    Perform(WM_USER + 49, 0, 0);
    Invalidate();
}

void TCustomDBRichEditEh::UpdateEditButtonsState()
{
    FButtonsBox->SetBorderActive(true);
    FButtonsBox->UpdateEditButtonControlsState();
    // The first button with nothing of its own to do takes the default action.
    bool given = false;
    for (int i = 0; i < FEditButtons->Count(); ++i) {
        TEditButtonEh* b = FEditButtons->Items(i);
        TDropDownFormCallParamsEh* p = b->DropDownFormParams();
        const bool free = !(b->OnClick() || b->OnDown() || (p && (p->DropDownForm() || !p->DropDownFormClassName().isEmpty())));
        b->SetParentDefinedDefaultAction(free && !given);
        given = given || free;
    }
}

int TCustomDBRichEditEh::LineOfButtonControl(TObject* ButtonControl) const
{
    return FButtonsBox->LineOfControl(ButtonControl);
}

void TCustomDBRichEditEh::EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
    if (CanFocus() && !Focused())
        SetFocus();
    Handled = false;
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    const int line = LineOfButtonControl(Sender);
    if (!control || line < 0)
        return;
    TEditButtonEh* button = FButtonsBox->BtnCtlLine(line).EditButton;
    if (!button)
        return;
    PressEditButtonEh(
        button, control, Handled,
        [&](bool& handled) {
            if (button->OnDown())
                button->OnDown()(button, TopButton, AutoRepeat, handled);
        },
        [&](bool& handled) { ShowButtonDropDownForm(button, control, handled); },
        [&](bool& handled) {
            if (DefaultDBRichEditButtonActionHook)
                DefaultDBRichEditButtonActionHook(this, button, control, handled, true);
        });
}

void TCustomDBRichEditEh::EditButtonClick(TObject* Sender)
{
    auto* control = dynamic_cast<TEditButtonControlEh*>(Sender);
    const int line = LineOfButtonControl(Sender);
    TEditButtonEh* button = line >= 0 ? FButtonsBox->BtnCtlLine(line).EditButton : nullptr;
    bool handled = false;
    if (button)
        button->Click(this, handled);
    if (!handled) {
        if (FDroppedDown && !FNoClickCloseUp && line == 0)
            CloseUp(false);
        else if (button && button->DefaultAction() && DefaultDBRichEditButtonActionHook)
            DefaultDBRichEditButtonActionHook(this, button, control, handled, false);
    }
    FNoClickCloseUp = false;
}

void TCustomDBRichEditEh::EditButtonMouseMove(TObject*, TShiftState, int, int) {}

void TCustomDBRichEditEh::EditButtonMouseUp(TObject* Sender, TMouseButton, TShiftState, int X, int Y)
{
    if (ButtonReleasedOutside(Sender, X, Y))
        FNoClickCloseUp = false;
}

void TCustomDBRichEditEh::CloseUp(bool)
{
    FDroppedDown = false;
    if (FButtonsBox->ButtonsCount() > 0)
        if (TEditButtonControlEh* c = FButtonsBox->BtnCtlLine(0).EditButtonControl)
            c->SetAlwaysDown(false);
}

void TCustomDBRichEditEh::SetVarValue(const Variant& Value) { SetRtfText(SafeVarToStr(Value)); }
void TCustomDBRichEditEh::GetVarValue(Variant& Value) { Value = Variant(RtfText()); }

void TCustomDBRichEditEh::CloseDropDownFormProc(TControl*, TEditButtonEh* Button, bool Accept, TCustomForm* DropDownForm,
                                                TDynVarsEh* DynParams)
{
    for (int i = 0; i < FButtonsBox->ButtonsCount(); ++i)
        if (TEditButtonControlEh* c = FButtonsBox->BtnCtlLine(i).EditButtonControl)
            c->SetAlwaysDown(false);
    FDroppedDown = false;
    if (OnCloseDropDownForm)
        OnCloseDropDownForm(this, Button, Accept, DropDownForm, DynParams);
}

void TCustomDBRichEditEh::GetActualDropDownForm(TCustomForm*& Form, bool& FreeFormOnClose)
{
    Form = DBRichEditEhEditForm ? DBRichEditEhEditForm() : nullptr;
    if (Form)
        FreeFormOnClose = false;
}

namespace {
// Fills a button's drop-down parameters for the rich edit and runs them.
void RunRichEditDropDown(TCustomDBRichEditEh* Edit, TEditButtonEh* Button, TEditButtonControlEh* Control, bool& Handled,
                         const TEditControlShowDropDownFormEventEh& Open, const TGetDropDownFormEventEh& ActualForm,
                         const TEditControlCloseDropDownFormEventEh& Close, const TSetVarValueProcEh& Set,
                         const TGetVarValueProcEh& Get)
{
    TDropDownFormCallParamsEh* p = Button->DropDownFormParams();
    if (!p)
        return;
    p->SetEditButton(Button);
    p->SetEditButtonControl(Control);
    p->SetEditControl(Edit);
    p->SetOnOpenDropDownFormProc(Open);
    p->SetOnCloseDropDownFormProc(Close);
    p->SetDataLink(Edit->DataLink());
    p->SetField(Edit->Field());
    p->SetOnSetVarValueProc(Set);
    p->SetOnGetVarValueProc(Get);
    p->SetOnGetActualDropDownFormProc(ActualForm);
    p->ShowDropDownForm(Handled);
}
}  // namespace

void TCustomDBRichEditEh::ShowButtonDropDownForm(TEditButtonEh* Button, TEditButtonControlEh* ButtonControl, bool& Handled)
{
    RunRichEditDropDown(this, Button, ButtonControl, Handled, OnOpenDropDownForm, TGetDropDownFormEventEh(),
                        TEditControlCloseDropDownFormEventEh(this, &TCustomDBRichEditEh::CloseDropDownFormProc),
                        TSetVarValueProcEh(this, &TCustomDBRichEditEh::SetVarValue),
                        TGetVarValueProcEh(this, &TCustomDBRichEditEh::GetVarValue));
    if (Handled) {
        FDroppedDown = true;
        FDroppedDownButtonControl = ButtonControl;
    }
}

void DefaultDBRichEditButtonAction(TWinControl* EditControl, TEditButtonEh* Button, TEditButtonControlEh* ButtonControl,
                                   bool& Handled, bool FromDown)
{
    auto* edit = dynamic_cast<TCustomDBRichEditEh*>(EditControl);
    if (!edit || !Button)
        return;
    const TEditButtonStyleEh style = Button->Style();
    if ((style == ebsDropDownEh || style == ebsAltUpDownEh) && FromDown) {
        RunRichEditDropDown(edit, Button, ButtonControl, Handled, edit->OnOpenDropDownForm,
                            TGetDropDownFormEventEh(edit, &TCustomDBRichEditEh::GetActualDropDownForm),
                            TEditControlCloseDropDownFormEventEh(edit, &TCustomDBRichEditEh::CloseDropDownFormProc),
                            TSetVarValueProcEh(edit, &TCustomDBRichEditEh::SetVarValue),
                            TGetVarValueProcEh(edit, &TCustomDBRichEditEh::GetVarValue));
    } else if (style == ebsEllipsisEh && !FromDown) {
        TCustomForm* form = DBRichEditEhEditForm ? DBRichEditEhEditForm() : nullptr;
        auto* interact = dynamic_cast<IDynParamsInteractableEh*>(form);
        if (!interact)
            return;
        auto params = CreateUnique<TDynVarsEh>(edit);
        params->CreateDynVar(QString(), Variant(edit->RtfText()));
        interact->SetDynParams(params.get());
        auto detach = Finally([&] { interact->SetDynParams(nullptr); });
        if (form->ShowModal() == mrOk) {
            TDynVarsEh* back = params.get();
            interact->GetDynParams(back);
            const Variant v = back && back->Count() > 0 ? back->GetItem(0)->Value() : Variant();
            edit->SetRtfText(v.IsArray() ? QString() : SafeVarToStr(v));
        }
        Handled = true;
    }
}
