// The data-aware edit: creation, the value and text flow between field and control, keys,
// focus, read-only logic and in-place services.
#include "components/editors/DBCtrlsEh.h"

#include "components/foundation/core/DynVarsEh.h"
#include "components/foundation/GridsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/winapi/WinUser.h"

TShortCut ShortCutOfKeyEh(Word Key, TShiftState Shift)
{
    TShortCut s = Key;
    if (Shift.Contains(ssShift))
        s |= scShift;
    if (Shift.Contains(ssCtrl))
        s |= scCtrl;
    if (Shift.Contains(ssAlt))
        s |= scAlt;
    return s;
}

namespace {
bool IsMemoField(const TField* F)
{
    return dynamic_cast<const TMemoField*>(F) || dynamic_cast<const TWideMemoField*>(F);
}
bool IsStringField(const TField* F)
{
    return F && (F->DataType() == ftString || F->DataType() == ftWideString);
}
}

DOV_PUBLISHED(TCustomDBEditEh) {}

DOV_PUBLISHED(TDBEditEh)
{
    P.Prop("ControlLabel", &TDBEditEh::ControlLabel);
    P.Prop("ControlLabelLocation", &TDBEditEh::ControlLabelLocation);
    P.Prop("Alignment", &TDBEditEh::Alignment, &TDBEditEh::SetAlignment).Stored(&TDBEditEh::IsAlignmentStored);
    P.Prop("AlwaysShowBorder", &TDBEditEh::AlwaysShowBorder, &TDBEditEh::SetAlwaysShowBorder).Default(false);
    P.Prop("AutoSelect", [](const TDBEditEh* e) { return e->AutoSelect; },
           [](TDBEditEh* e, bool v) { e->AutoSelect = v; }).Default(true);
    P.Prop("AutoSize", &TDBEditEh::AutoSize, &TDBEditEh::SetAutoSize).Default(true);
    P.Prop("DataField", &TDBEditEh::DataField, &TDBEditEh::SetDataField);
    P.Prop("DataSource", &TDBEditEh::DataSource, &TDBEditEh::SetDataSource);
    P.Prop("DynProps", &TDBEditEh::DynProps, &TDBEditEh::SetDynProps);
    P.Prop("EditButtons", &TDBEditEh::EditButtons, &TDBEditEh::SetEditButtons);
    P.Prop("EmptyDataInfo", &TDBEditEh::EmptyDataInfo, &TDBEditEh::SetEmptyDataInfo);
    P.Prop("EditMask", &TDBEditEh::EditMask, &TDBEditEh::SetEditMask).Stored(&TDBEditEh::IsEditMaskStored);
    P.Prop("Flat", &TDBEditEh::Flat, &TDBEditEh::SetFlat).Default(false);
    P.Prop("HighlightRequired", &TDBEditEh::HighlightRequired, &TDBEditEh::SetHighlightRequired).Default(false);
    P.Prop("Images", &TDBEditEh::Images, &TDBEditEh::SetImages);
    P.Prop("MRUList", &TDBEditEh::MRUList, &TDBEditEh::SetMRUList);
    P.Prop("ReadOnly", &TDBEditEh::ReadOnly, &TDBEditEh::SetReadOnly).Default(false);
    P.Prop("ShowHint", &TDBEditEh::ShowHint, &TDBEditEh::SetShowHint).Default(false);
    P.Prop("Text", &TDBEditEh::Text, &TDBEditEh::SetText);
    P.Prop("Tooltips", &TDBEditEh::Tooltips, &TDBEditEh::SetTooltips).Default(false);
    P.Prop("WantTabs", &TDBEditEh::WantTabs, &TDBEditEh::SetWantTabs).Default(false);
    P.Prop("WantReturns", &TDBEditEh::WantReturns, &TDBEditEh::SetWantReturns).Default(false);
    P.Prop("WordWrap", &TDBEditEh::WordWrap, &TDBEditEh::SetWordWrap).Default(false);
}

TDBEditEh::TDBEditEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {}

// ============================================================================================
// Creation
// ============================================================================================

TCustomDBEditEh::TCustomDBEditEh(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    TCustomEdit::AutoSize = true;
    AutoSelect = true;
}

void TCustomDBEditEh::AfterConstruction()
{
    TCustomMaskEdit::AfterConstruction();
    ControlStyle.Include(csCaptureMouse);
    ControlStyle.Include(csReplicatable);
    FDataLink = CreateDataLink();
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = TNotifyEvent(this, &TCustomDBEditEh::LinkDataChanged);
    FDataLink->OnEditingChange = TNotifyEvent(this, &TCustomDBEditEh::LinkEditingChanged);
    FDataLink->OnUpdateData = TNotifyEvent(this, &TCustomDBEditEh::LinkUpdateData);
    FDataLink->OnActiveChange = TNotifyEvent(this, &TCustomDBEditEh::LinkActiveChanged);
    FEditButton = CreateEditButton();
    FEditButton->OnChanged = TNotifyEvent(this, &TCustomDBEditEh::EditButtonChanged);
    FEditButton->OnRefComponentChanged =
        TRefComponentNotifyEventEh(this, &TCustomDBEditEh::EditButtonImagesRefComponentNotifyEvent);
    FEditButtons = CreateEditButtons();
    FEditButtons->OnChanged = TNotifyEvent(this, &TCustomDBEditEh::EditButtonChanged);
    FEditButtons->OnRefComponentChanged =
        TRefComponentNotifyEventEh(this, &TCustomDBEditEh::EditButtonImagesRefComponentNotifyEvent);
    FEditImage = CreateEditImage();
    FMRUList = new TMRUListEh(this);
    FMRUList->OnSetDropDown = TSetDropDownEventEh(this, &TCustomDBEditEh::MRUListDropDown);
    FMRUList->OnSetCloseUp = TSetCloseUpEventEh(this, &TCustomDBEditEh::MRUListCloseUp);
    FDynProps = Create<TDynVarsEh>(this);
    FEmptyDataInfo = new TControlEmptyDataInfoEh(this);
    UpdateReadOnlyState();
    UpdateImageIndex();
    FButtonsBox = Create<TEditButtonsBoxEh>(this);
    FButtonsBox->SetBounds(0, 0, 0, 0);
    FButtonsBox->SetVisible(false);
    FButtonsBox->SetParent(this);
    FButtonsBox->SetOnDown(TButtonDownEventEh(this, &TCustomDBEditEh::EditButtonDown));
    FButtonsBox->SetOnButtonClick(TNotifyEvent(this, &TCustomDBEditEh::EditButtonClick));
    FButtonsBox->SetOnButtonMouseMove(TMouseMoveEvent(this, &TCustomDBEditEh::EditButtonMouseMove));
    FButtonsBox->SetOnButtonMouseUp(TMouseEvent(this, &TCustomDBEditEh::EditButtonMouseUp));
    FButtonsBox->SetOnCreateEditButtonControl(
        TCreateEditButtonControlEvent(this, &TCustomDBEditEh::CreateEditButtonControlEvent));
    FControlLabel = Create<TControlLabelEh>(this);
    FControlLabel->FreeNotification(this);
    FControlLabel->SetFocusControl(this);
    FControlLabelLocation = new TControlLabelLocationEh(this);
}

TCustomDBEditEh::~TCustomDBEditEh()
{
    delete FEditImage;
    FEditImage = nullptr;
    delete FEditButton;
    FEditButton = nullptr;
    delete FEditButtons;
    FEditButtons = nullptr;
    delete FDataLink;
    FDataLink = nullptr;
    delete FCanvas;
    FCanvas = nullptr;
    delete FMRUList;
    FMRUList = nullptr;
    delete FEmptyDataInfo;
    FEmptyDataInfo = nullptr;
    delete FButtonsBox;
    FButtonsBox = nullptr;
    delete FDynProps;
    FDynProps = nullptr;
    delete FControlLabel;
    FControlLabel = nullptr;
    delete FControlLabelLocation;
    FControlLabelLocation = nullptr;
}

bool TCustomDBEditEh::IsDataActive()
{
    return Enabled() && FDataLink->Active();
}

TFieldDataLinkEh* TCustomDBEditEh::CreateDataLink()
{
    return Create<TFieldDataLinkEh>();
}

TEditButtonEh* TCustomDBEditEh::CreateEditButton()
{
    return Create<TEditButtonEh>(static_cast<TWinControl*>(this));
}

TEditButtonsEh* TCustomDBEditEh::CreateEditButtons()
{
    return Create<TEditButtonsEh>(this, TVisibleEditButtonEh::StaticClassInfo());
}

TEditImageEh* TCustomDBEditEh::CreateEditImage()
{
    return new TEditImageEh(this);
}

bool TCustomDBEditEh::DataIndepended() const
{
    return FDataLink->DataIndepended();
}

TAlignment TCustomDBEditEh::DefaultAlignment() const
{
    if (TField* f = FDataLink->Field())
        return f->Alignment();
    return taLeftJustify;
}

QString TCustomDBEditEh::DefaultEditMask() const
{
    if (TField* f = FDataLink->Field())
        return f->EditMask();
    return QString();
}

int TCustomDBEditEh::DefaultImageIndex()
{
    return -1;
}

QString TCustomDBEditEh::GetControlLabelCaption()
{
    if (TField* f = Field())
        return f->DisplayName();
    return Name();
}

// ============================================================================================
// Value and text
// ============================================================================================

QString TCustomDBEditEh::GetText() const
{
    return IsMasked() ? MaskedText() : TControl::Text();
}

void TCustomDBEditEh::EditPutAndUpdate(const std::function<void()>& Put, bool Designing, bool SkipWhenFocused)
{
    if (Designing && ComponentState().Contains(csDesigning) && !DataIndepended())
        return;
    if (!DataIndepended())
        if (TDataSet* ds = FDataLink->DataSet())
            ds->Edit();
    Put();
    if (FDataPosting || (SkipWhenFocused && FFocused))
        return;
    // A value the field refuses: the control shows the field's value again.
    auto reset = OnFailure([&] { FDataLink->Reset(); });
    UpdateData();
}

void TCustomDBEditEh::SetText(const QString& Value)
{
    EditPutAndUpdate([&] { InternalSetText(Value); }, true, false);
}

void TCustomDBEditEh::SetValue(const Variant& Value)
{
    SetValueAndPost(Value);
}

void TCustomDBEditEh::SetValueAndPost(const Variant& Value)
{
    EditPutAndUpdate([&] { InternalSetValue(Value); }, true, false);
}

Variant TCustomDBEditEh::InternalGetValue()
{
    return Variant(Text());
}

void TCustomDBEditEh::InternalSetText(const QString& AText)
{
    if (IsMasked())
        SetMaskedText(AText);
    else
        TCustomMaskEdit::SetEditText(AText);
}

void TCustomDBEditEh::InternalSetValue(const Variant& AValue)
{
    InternalSetText(SafeVarToStr(AValue));
}

void TCustomDBEditEh::Clear()
{
    SetText(QString());
}

bool TCustomDBEditEh::IsEmpty()
{
    return Text().isEmpty();
}

void TCustomDBEditEh::Undo()
{
    EditPutAndUpdate([&] { TCustomMaskEdit::Undo(); }, false, true);
}

void TCustomDBEditEh::Reset()
{
    FDataLink->Reset();
    SelectAll();
}

void TCustomDBEditEh::DoUpdateData(bool& Handled)
{
    FDataPosting = true;
    auto restore = Finally([&] { FDataPosting = false; });
    if (OnUpdateData)
        OnUpdateData(this, Handled);
}

void TCustomDBEditEh::UpdateData()
{
    if (FFocused)
        ValidateEdit();
    bool handled = false;
    DoUpdateData(handled);
    if (!handled)
        UpdateFieldFromText();
    Modified = false;
    if (FMRUList->AutoAdd() && FMRUList->Active() && Showing())
        FMRUList->Add(Text());
}

void TCustomDBEditEh::UpdateFieldFromText()
{
    FDataLink->SetText(DataIndepended() ? EditText() : Text());
}

bool TCustomDBEditEh::ExecuteAction(TBasicAction* Action)
{
    return FDataLink->ExecuteAction(Action);
}

bool TCustomDBEditEh::UpdateAction(TBasicAction* Action)
{
    return FDataLink->ExecuteAction(Action);
}

bool TCustomDBEditEh::UseRightToLeftAlignment() const
{
    // As for every data-aware control: a right-to-left control mirrors a field's alignment
    // only where the field keeps the default (left) one; a right-aligned number stays put.
    if (!TControl::UseRightToLeftAlignment())
        return false;
    TField* f = Field();
    return !f || f->Alignment() == taLeftJustify;
}

// ============================================================================================
// Data, field and settings
// ============================================================================================

TDataSource* TCustomDBEditEh::GetDataSource() const
{
    return FDataLink->DataSource();
}

void TCustomDBEditEh::SetDataSource(TDataSource* Value)
{
    if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)))
        FDataLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
    LinkDataChanged(nullptr);
    Invalidate();
    FInternalDataSourceRef = Value;
}

QString TCustomDBEditEh::GetDataField() const
{
    return FDataLink->FieldName();
}

void TCustomDBEditEh::SetDataField(const QString& Value)
{
    if (!ComponentState().Contains(csDesigning))
        ResetMaxLength();
    FDataLink->SetFieldName(Value);
    UpdateEditButtonsState();
    Invalidate();
}

TField* TCustomDBEditEh::Field() const
{
    return FDataLink->Field();
}

void TCustomDBEditEh::SetReadOnly(bool Value)
{
    if (FReadOnly == Value)
        return;
    FReadOnly = Value;
    EditingChanged();
}

void TCustomDBEditEh::SetEditMask(const QString& Value)
{
    if (FAssignedValues.Contains(evEditMaskEh) && TCustomMaskEdit::EditMask() == Value)
        return;
    const bool keepText = ComponentState().Contains(csLoading) && DataIndepended();
    const QString kept = keepText ? Text() : QString();
    TCustomMaskEdit::SetEditMask(Value);
    FAssignedValues.Include(evEditMaskEh);
    if (keepText)
        InternalSetText(kept);
    if (DataIndepended())
        UpdateFieldFromText();
    else
        LinkDataChanged(nullptr);
}

TAlignment TCustomDBEditEh::Alignment() const
{
    return FAssignedValues.Contains(evAlignmentEh) ? FAlignment : DefaultAlignment();
}

void TCustomDBEditEh::SetAlignment(TAlignment Value)
{
    const bool changed = FAlignment != Value || !FAssignedValues.Contains(evAlignmentEh);
    FAlignment = Value;
    FAssignedValues.Include(evAlignmentEh);
    if (changed && !ComponentState().Contains(csLoading))
        RecreateWindow();
}

void TCustomDBEditEh::SetDynProps(TDynVarsEh* Value)
{
    FDynProps->Assign(Value);
}

void TCustomDBEditEh::SetHighlightRequired(bool Value)
{
    if (FHighlightRequired == Value)
        return;
    FHighlightRequired = Value;
    Invalidate();
}

// ============================================================================================
// The link's handlers and the state they drive
// ============================================================================================

void TCustomDBEditEh::LinkDataChanged(TObject*)
{
    RefreshButtonFormParams();
    DataChanged();
    UpdateEditButtonsState();
    if (FControlLabel)
        FControlLabel->UpdateCaption();
}

void TCustomDBEditEh::LinkEditingChanged(TObject*)
{
    EditingChanged();
}

void TCustomDBEditEh::LinkUpdateData(TObject*)
{
    if (!FDataPosting)
        UpdateData();
}

void TCustomDBEditEh::LinkActiveChanged(TObject*)
{
    UpdateState();
}

void TCustomDBEditEh::UpdateState()
{
    ResetMaxLength();
    UpdateEditButtonsState();
}

void TCustomDBEditEh::EditingChanged()
{
    UpdateReadOnlyState();
}

void TCustomDBEditEh::DataChanged()
{
    if (TField* f = FDataLink->Field()) {
        Variant value;
        bool handled = false;
        if (OnGetFieldData)
            OnGetFieldData(this, value, handled);
        const bool editable = FFocused && FDataLink->CanModify();
        if (!handled) {
            if (IsMemoField(f))
                value = Variant(f->AsString());
            else
                value = Variant(editable ? f->Text() : f->DisplayText());
            if (f->Alignment() != FAlignment)
                Invalidate();
            if (!FAssignedValues.Contains(evEditMaskEh))
                TCustomMaskEdit::SetEditMask(f->EditMask());
            if (!ComponentState().Contains(csDesigning) && IsStringField(f) && MaxLength() == 0)
                SetMaxLength(f->Size());
        }
        // The same text again leaves the window alone: the first keystroke of a record puts
        // the dataset into edit state, which reloads the text, and must not lose the
        // selection it is about to replace.
        const QString text = SafeVarToStr(value);
        if (editable) {
            if (text != Text())
                InternalSetText(text);
        } else if (text != EditText()) {
            TCustomMaskEdit::SetEditText(text);
        }
    } else {
        if (!FAssignedValues.Contains(evEditMaskEh))
            TCustomMaskEdit::SetEditMask(QString());
        const QString text = DataIndepended() ? SafeVarToStr(FDataLink->DataIndependentValue) : QString();
        if (text != EditText())
            TCustomMaskEdit::SetEditText(text);
    }
    UpdateReadOnlyState();
    Modified = false;
}

void TCustomDBEditEh::ResetMaxLength()
{
    if (MaxLength() <= 0)
        return;
    TDataSource* src = DataSource();
    if (!src || !src->DataSet())
        return;
    TField* f = src->DataSet()->FindField(DataField());
    if (IsStringField(f) && f->Size() == MaxLength())
        SetMaxLength(0);
}

void TCustomDBEditEh::UpdateReadOnlyState()
{
    bool lock;
    if (FReadOnly) {
        lock = true;
    } else {
        lock = !FDataLink->Editing();
        if (lock && OnUpdateData && FDataLink->DataSet() && FDataLink->DataSet()->State() == dsEdit)
            lock = false;
    }
    if (lock && FInplaceMode && FIntfInplaceEditHolder && FIntfInplaceEditHolder->InplaceEditorCanModify(this))
        lock = false;
    SetEditReadOnly(lock);
}

void TCustomDBEditEh::SetEditReadOnly(bool Value)
{
    TCustomMaskEdit::SetReadOnly(Value);
}

bool TCustomDBEditEh::EditCanModify()
{
    return !FReadOnly && FDataLink->Edit();
}

bool TCustomDBEditEh::IsValidChar(QChar InputChar)
{
    if (TField* f = Field())
        return f->IsValidChar(InputChar);
    return true;
}

void TCustomDBEditEh::SetFocused(bool Value)
{
    if (FFocused == Value)
        return;
    FFocused = Value;
    if (FAlignment != taLeftJustify && !IsMasked())
        Invalidate();
    FDataLink->Reset();
}

void TCustomDBEditEh::Change()
{
    FDataLink->Modified();
    Modified = true;
    UpdateImageIndex();
    TCustomMaskEdit::Change();
}

// ============================================================================================
// Keys
// ============================================================================================

void TCustomDBEditEh::KeyDown(Word& Key, TShiftState Shift)
{
    if (FInplaceMode && FIntfInplaceEditHolder) {
        FIntfInplaceEditHolder->InplaceEditorKeyDown(this, Key, Shift);
        if (Key == 0)
            return;
    }
    // The window edits the text inside the inherited step, so the link is put into edit
    // state before it, or the locked window would refuse the change.
    const bool asksEdit = Key == VK_DELETE || (Key == VK_INSERT && Shift.Contains(ssShift)) ||
                          (FWantReturns && Key == VK_RETURN) || (FWantTabs && Key == VK_TAB);
    if (asksEdit && !FReadOnly)
        FDataLink->Edit();
    TCustomMaskEdit::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    const TShortCut shortCut = ShortCutOfKeyEh(Key, Shift);
    TEditButtonEh* found = nullptr;
    if (FEditButton->ShortCut() == shortCut && shortCut != 0)
        found = FEditButton;
    else
        for (int i = 0; i < FEditButtons->Count(); ++i)
            if (FEditButtons->Items(i)->ShortCut() == shortCut && shortCut != 0) {
                found = FEditButtons->Items(i);
                break;
            }
    if (found) {
        if (found->Enabled()) {
            if (TEditButtonControlEh* bc = GetEditButtonControlByEditButton(found)) {
                bool autoRepeat = false;
                bc->EditButtonDown(false, autoRepeat);
                bc->Click();
            }
        }
        Key = 0;
        return;
    }
    if (Key == 'A' && Shift == TShiftState{ssCtrl}) {
        SelectAll();
        Key = 0;
    }
}

void TCustomDBEditEh::KeyUp(Word& Key, TShiftState Shift)
{
    if (FInplaceMode && FIntfInplaceEditHolder)
        FIntfInplaceEditHolder->InplaceEditorKeyUp(this, Key, Shift);
    if (Key != 0)
        TCustomMaskEdit::KeyUp(Key, Shift);
}

void TCustomDBEditEh::KeyPress(QChar& Key)
{
    if (FInplaceMode && FIntfInplaceEditHolder) {
        FIntfInplaceEditHolder->InplaceEditorKeyPress(this, Key);
        if (Key.isNull())
            return;
    }
    const char16_t c = Key.unicode();
    if (!DataIndepended() && c > 31 && Field() && !IsValidChar(Key)) {
        MessageBeep(0);
        Key = QChar(0);
        return;
    }
    if (c == 27) {
        // Esc takes the field's value back (the window's own reset would take its last text).
        TWinControl::KeyPress(Key);
        if (Key.isNull())
            return;
        FDataLink->Reset();
        SelectAll();
        Key = QChar(0);
        return;
    }
    // Enter without WantReturns, Tab without WantTabs and line feed never reach the window
    // (its events still see them).
    if ((c == 13 && !FWantReturns) || (c == 9 && !FWantTabs) || c == 10) {
        TWinControl::KeyPress(Key);
        return;
    }
    const bool control = c < 32 && c != 8 && c != 22 && c != 24;
    if (!control && !FReadOnly)
        FDataLink->Edit();
    const bool emptyBefore = Text().isEmpty();
    TCustomMaskEdit::KeyPress(Key);
    if (c == 8 && emptyBefore && FMRUList->Active() && Showing() && !FDroppedDown)
        FMRUList->DropDown();
}

void TCustomDBEditEh::WMChar(TMessage& M)
{
    // Every character here is one UTF-16 unit or a whole pair the platform delivers at once.
    FCompleteKeyPress = QString(QChar(char16_t(M.WParam)));
    TMsg next;
    if (QChar::isHighSurrogate(char16_t(M.WParam)) && HandleAllocated() &&
        PeekMessage(next, Handle(), WM_CHAR, WM_CHAR, PM_NOREMOVE) && next.message == WM_CHAR)
        FCompleteKeyPress += QChar(char16_t(next.wParam));
    auto clear = Finally([&] { FCompleteKeyPress.clear(); });
    TCustomMaskEdit::WMChar(M);
}

void TCustomDBEditEh::WMPaste(TMessage& M)
{
    if (EditCanModify())
        TCustomMaskEdit::WMPaste(M);
}

void TCustomDBEditEh::WMCut(TMessage& M)
{
    if (EditCanModify())
        TCustomMaskEdit::WMCut(M);
}

void TCustomDBEditEh::WMUndo(TMessage& M)
{
    if (EditCanModify())
        TCustomMaskEdit::WMUndo(M);
}

void TCustomDBEditEh::WMGetDlgCode(TMessage& M)
{
    M.Result = DLGC_WANTARROWS | DLGC_HASSETSEL | DLGC_WANTCHARS;
    if (FWantTabs)
        M.Result |= DLGC_WANTTAB;
    if (FWantReturns)
        M.Result |= DLGC_WANTALLKEYS;
    if (FInplaceMode && FInplaceEditHolder) {
        if (FInplaceEditHolder->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB)
            M.Result |= DLGC_WANTTAB;
    }
}

void TCustomDBEditEh::CMWantSpecialKey(TMessage& M)
{
    const Word key = Word(M.WParam);
    auto* list = dynamic_cast<TMRUListboxEh*>(FMRUListControl);
    if (FMRUList->DroppedDown() && list && list->ItemIndex() >= 0 && (key == VK_RETURN || key == VK_ESCAPE)) {
        M.Result = 1;
        return;
    }
    TCustomMaskEdit::CMWantSpecialKey(M);
    if (key == VK_ESCAPE && Modified)
        M.Result = 1;
    if (key == VK_RETURN && FInplaceMode)
        M.Result = 1;
}

// ============================================================================================
// Focus
// ============================================================================================

void TCustomDBEditEh::CMEnter(TMessage& M)
{
    SetFocused(true);
    TCustomMaskEdit::CMEnter(M);
    if (AutoSelect && !(GetKeyState(VK_LBUTTON) < 0))
        SelectAll();
}

void TCustomDBEditEh::FixCaretAfterMask()
{
    // Nothing selected: the caret goes back to where the typing stopped.
    if (SelLength() == 0)
        SetSelStart(std::max(0, SelStart() - 2));
}

void TCustomDBEditEh::CMExit(TMessage& M)
{
    if (IsMasked() && !ComponentState().Contains(csDesigning)) {
        ValidateEdit();
        FixCaretAfterMask();
    }
    TCustomMaskEdit::CMExit(M);
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        if (CanFocus())
            SetFocus();
        throw;
    }
    SetFocused(false);
    if (IsMasked() && !ComponentState().Contains(csDesigning))
        FixCaretAfterMask();
}

// ============================================================================================
// Messages
// ============================================================================================

void TCustomDBEditEh::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_GETDATALINK: HandleCmGetDataLink(Message); return;
    case CM_HINTSHOW: HandleCmHintShow(Message); return;
    case CN_COMMAND: HandleCnCommand(Message); return;
    case CM_EDITIMAGECHANGEDEH: HandleEditImageChanged(Message); return;
    default: break;
    }
    TCustomMaskEdit::Dispatch(Message);
}

void TCustomDBEditEh::HandleCmGetDataLink(TMessage& M)
{
    M.Result = LRESULT(static_cast<TDataLink*>(FDataLink));
}

void TCustomDBEditEh::DefaultHandler(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CHAR: {
        const auto c = char16_t(Message.WParam);
        if ((c == 13 && !FWantReturns) || (c == 9 && !FWantTabs) || c == 10)
            return;
        break;
    }
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK: {
        const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
        if (!MouseCapture() && ((FButtonsBox->Visible() && PtInRect(GetButtonsBoxRect(), p)) ||
                                (FImageWidth > 0 && PtInRect(GetImageRect(), p))))
            return;
        break;
    }
    default: break;
    }
    TCustomMaskEdit::DefaultHandler(Message);
}

void TCustomDBEditEh::WndProc(TMessage& Message)
{
    if (FInplaceMode && FIntfInplaceEditHolder) {
        if (FIntfInplaceEditHolder->InplaceEditorWndProc(this, Message))
            return;
        if (Message.Msg == WM_LBUTTONDOWN) {
            TPoint downPos;
            int downTime = 0;
            FIntfInplaceEditHolder->GetDownMousePosAndTime(downPos, downTime);
            const TPoint p = ClientToScreen(TPoint(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
            if (IsDoubleClick(downPos, p, int64_t(GridMessageTime()) - downTime))
                Message.Msg = WM_LBUTTONDBLCLK;
        }
        if (Message.Msg == CM_SHOWINGCHANGED)
            return;
    }
    if ((Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN) && RouteKeyToMRUList(Message))
        return;
    TCustomMaskEdit::WndProc(Message);
    if (FUserTextChanged) {
        FUserTextChanged = false;
        UserTextChanged();
    }
}

void TCustomDBEditEh::HandleCnCommand(TMessage& M)
{
    if (HIWORD(M.WParam) == EN_CHANGE)
        FUserTextChanged = true;
}

void TCustomDBEditEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomMaskEdit::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FInternalDataSourceRef && FDataLink) {
        FInternalDataSourceRef = nullptr;
        SetDataSource(nullptr);
    }
    if (FEditImage && AComponent == FEditImage->Images())
        SetImages(nullptr);
    if (auto* menu = dynamic_cast<TPopupMenu*>(AComponent)) {
        if (FEditButton && FEditButton->DropdownMenu() == menu)
            FEditButton->SetDropdownMenu(nullptr);
        if (FEditButtons)
            for (int i = 0; i < FEditButtons->Count(); ++i)
                if (FEditButtons->Items(i)->DropdownMenu() == menu)
                    FEditButtons->Items(i)->SetDropdownMenu(nullptr);
    }
    if (AComponent == FControlLabel)
        FControlLabel = nullptr;
    if (!ComponentState().Contains(csDestroying))
        ClearButtonImagesOf(AComponent);
}

void TCustomDBEditEh::Loaded()
{
    TCustomMaskEdit::Loaded();
    ResetMaxLength();
    if (ComponentState().Contains(csDesigning))
        LinkDataChanged(nullptr);
    UpdateBorderActive();
}

// ============================================================================================
// In-place services
// ============================================================================================

void TCustomDBEditEh::SetInplaceEditHolder(TWinControl* AInplaceEditHolder)
{
    if (AInplaceEditHolder == FInplaceEditHolder)
        return;
    FInplaceEditHolder = AInplaceEditHolder;
    FIntfInplaceEditHolder = nullptr;
    FInplaceMode = false;
    if (!AInplaceEditHolder)
        return;
    FIntfInplaceEditHolder = dynamic_cast<IInplaceEditHolderEh*>(AInplaceEditHolder);
    if (!FIntfInplaceEditHolder)
        throw Exception(QStringLiteral("InplaceEditHolder have to support IInplaceEditHolderEh interface"));
    FInplaceMode = true;
}

void TCustomDBEditEh::Move(const TRect& Loc)
{
    SetBoundsRect(Loc);
    if (FInplaceMode) {
        SetVisible(!IsRectEmpty(Loc));
        Invalidate();
        if (FInplaceEditHolder && FInplaceEditHolder->Focused() && CanFocus())
            SetFocus();
    }
}

void TCustomDBEditEh::UpdateLoc(const TRect& Loc)
{
    const bool wasHidden = !GetVisible();
    SetBoundsRect(Loc);
    if (FInplaceMode) {
        SetVisible(!IsRectEmpty(Loc));
        if (wasHidden)
            Invalidate();
        if (FInplaceEditHolder && FInplaceEditHolder->Focused() && CanFocus())
            SetFocus();
    }
}

void TCustomDBEditEh::Hide()
{
    const bool hadFocus = Focused();
    SetVisible(false);
    if (FInplaceMode && hadFocus && FInplaceEditHolder && FInplaceEditHolder->CanFocus())
        FInplaceEditHolder->SetFocus();
}

void TCustomDBEditEh::SetFocus()
{
    if (FInplaceMode && !GetVisible())
        return;
    TCustomMaskEdit::SetFocus();
}

bool TCustomDBEditEh::GetVisible() const
{
    return TControl::Visible();
}

void TCustomDBEditEh::SetVisible(bool Value)
{
    TControl::SetVisible(Value);
}
