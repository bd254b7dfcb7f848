// The axis grid's data side: the data link and its field map, the data source, the selected
// bar, writing the editor's text back, the editing conditions, focus and input method, and
// the messages the grid answers itself.
#include "DBAxisGridsEh_Grid.h"

#include "DBAxisGridsEh_CellParams.h"
#include "DBAxisGridsEh_Collections.h"
#include "DBAxisGridsEh_Draw.h"
#include "DBAxisGridsEh_Inplace.h"
#include "components/memtable/MemTableEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/winapi/WinUser.h"

#include <algorithm>

bool IsFieldReadOnlyEh(TField* Field)
{
    if (Field->ReadOnly() || Field->FieldKind() != fkLookup || Field->KeyFields().isEmpty())
        return Field->ReadOnly();
    TDataSet* ds = Field->DataSet();
    if (!ds)
        return true;
    std::vector<TField*> keys;
    ds->GetFieldList(keys, Field->KeyFields());
    return std::all_of(keys.begin(), keys.end(), [](TField* f) { return f->ReadOnly(); });
}

// Every line break (CR LF, lone CR or lone LF) as CR LF, as the editor holds memo text.
static QString CrLfLineBreaks(const QString& S)
{
    QString r = S;
    r.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    r.replace(u'\r', u'\n');
    r.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return r;
}

static bool IsMemoType(TField* f)
{
    return f && (f->DataType() == ftMemo || f->DataType() == ftOraClob || f->DataType() == ftWideMemo);
}

// ---------------------------------------------------------------- TAxisGridDataLinkEh

TAxisGridDataLinkEh::TAxisGridDataLinkEh(TCustomDBAxisGridEh* AGrid) : FGrid(AGrid) { SetVisualControl(true); }

TAxisGridDataLinkEh::~TAxisGridDataLinkEh() { ClearMapping(); }

bool TAxisGridDataLinkEh::AddMapping(const QString& FieldName)
{
    if (FFieldCount >= MaxMapSizeEh)
        throw EInvalidGridOperationEh(QStringLiteral("Grid requested to display more than 256 columns"));
    TDataSet* ds = DataSet();
    TField* field = FSparseMap ? ds->FindField(FieldName) : ds->FieldByName(FieldName);
    if (FFieldMapSize == FFieldCount) {
        int grown = FFieldMapSize == 0 ? 8 : FFieldMapSize * 2;
        grown = std::max(grown, FFieldCount + 1);
        grown = std::min(grown, MaxMapSizeEh);
        FFieldMap.resize(size_t(grown));
        FFieldMapSize = grown;
    }
    FMappedFields.push_back(field);
    if (field) {
        FFieldMap[size_t(FFieldCount)] = field->Index();
        field->FreeNotification(FGrid);
    } else {
        FFieldMap[size_t(FFieldCount)] = -1;
    }
    ++FFieldCount;
    return true;
}

void TAxisGridDataLinkEh::ClearMapping()
{
    FFieldMap.clear();
    FFieldMap.shrink_to_fit();
    FMappedFields.clear();
    FFieldMapSize = 0;
    FFieldCount = 0;
}

bool TAxisGridDataLinkEh::MapsField(const TComponent* Field) const
{
    return Field && std::find(FMappedFields.begin(), FMappedFields.end(), Field) != FMappedFields.end();
}

TField* TAxisGridDataLinkEh::GetFields(int I) const
{
    if (I < 0 || I >= FFieldCount || FFieldMap[size_t(I)] < 0)
        return nullptr;
    TDataSet* ds = DataSet();
    if (!ds || FFieldMap[size_t(I)] >= ds->Fields()->Count())
        return nullptr;
    return ds->Fields()->Fields(FFieldMap[size_t(I)]);
}

int TAxisGridDataLinkEh::GetMappedIndex(int I) const
{
    if (I < 0 || I >= FFieldCount)
        return -1;
    return FFieldMap[size_t(I)];
}

bool TAxisGridDataLinkEh::DefaultFields() const
{
    TDataSet* ds = DataSet();
    if (!ds)
        return true;
    bool result = ds->DefaultFields();
    if (FSparseMap)
        for (int i = 0; i < FFieldCount && result; ++i)
            if (FFieldMap[size_t(i)] < 0)
                result = false;
    return result;
}

void TAxisGridDataLinkEh::StoreBookmark()
{
    if (Active() && DataSet())
        FLastBookmark = DataSet()->GetBookmark();
}

void TAxisGridDataLinkEh::ActiveChanged()
{
    FGrid->LinkActive(Active());
    FModified = false;
    StoreBookmark();
}

void TAxisGridDataLinkEh::DataSetChanged()
{
    FGrid->DataChanged();
    FModified = false;
    StoreBookmark();
}

void TAxisGridDataLinkEh::DataSetScrolled(int Distance)
{
    FGrid->DataSetScrolled(Distance);
    StoreBookmark();
}

void TAxisGridDataLinkEh::RecordChanged(TField* Field)
{
    FGrid->RecordChanged(Field);
    FModified = false;
}

void TAxisGridDataLinkEh::LayoutChanged()
{
    const bool saved = FGrid->FLayoutFromDataset;
    FGrid->FLayoutFromDataset = true;
    {
        auto restore = Finally([this, saved] { FGrid->FLayoutFromDataset = saved; });
        FGrid->LayoutChanged();
    }
    TDataLink::LayoutChanged();
}

void TAxisGridDataLinkEh::EditingChanged()
{
    if (DataSet() && DataSet()->State() == dsBrowse)
        FModified = false;
    FGrid->EditingChanged();
}

void TAxisGridDataLinkEh::FocusControl(TField** Field)
{
    if (!Field || !*Field)
        return;
    FGrid->SetSelectedField(*Field);
    if (FGrid->SelectedField() == *Field && FGrid->AcquireFocus()) {
        *Field = nullptr;
        FGrid->ShowEditor();
    }
}

void TAxisGridDataLinkEh::UpdateData()
{
    if (FInUpdateData || !Active())
        return;
    FInUpdateData = true;
    auto reset = Finally([this] { FInUpdateData = false; });
    // A failed write keeps FModified, so the next attempt writes again.
    if (FModified)
        FGrid->UpdateData();
    FModified = false;
}

void TAxisGridDataLinkEh::Reset()
{
    if (FModified)
        RecordChanged(nullptr);
    else
        FGrid->CancelEditing();
}

void TAxisGridDataLinkEh::CheckBrowseMode()
{
    if (DataSet())
        FLastDataSetState = DataSet()->State();
    TDataLink::CheckBrowseMode();
}

// ---------------------------------------------------------------- data source and fields

TDataSource* TCustomDBAxisGridEh::DataSource() const { return FDataLink ? FDataLink->DataSource() : nullptr; }

void TCustomDBAxisGridEh::SetDataSource(TDataSource* Value)
{
    if (!FDataLink || Value == FDataLink->DataSource())
        return;
    FDataLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

int TCustomDBAxisGridEh::FieldCount() const { return FDataLink->FieldCount(); }
TField* TCustomDBAxisGridEh::GetFields(int I) const { return FDataLink->GetFields(I); }
bool TCustomDBAxisGridEh::ValidFieldIndex(int FieldIndex) const { return FDataLink->GetMappedIndex(FieldIndex) >= 0; }

bool TCustomDBAxisGridEh::DataSetActive() const
{
    return FDataLink && FDataLink->Active() && FDataLink->DataSet() && FDataLink->DataSet()->Active();
}

TAxisBarEh* TCustomDBAxisGridEh::FindFieldColumn(const QString& FieldName) const
{
    for (int i = 0; i < FAxisBars->Count(); ++i) {
        TAxisBarEh* bar = FAxisBars->Items(i);
        if (NlsCompareText(bar->FieldName(), FieldName) == 0)
            return bar;
    }
    return nullptr;
}

TAxisBarEh* TCustomDBAxisGridEh::GetFieldAxisBars(const QString& FieldName) const
{
    TAxisBarEh* bar = FindFieldColumn(FieldName);
    if (!bar)
        throw EInvalidGridOperationEh(QStringLiteral("Имя поля '%1' не найдено").arg(FieldName));
    return bar;
}

TField* TCustomDBAxisGridEh::SelectedField()
{
    const int i = SelectedIndex();
    if (i < 0 || i >= FAxisBars->Count())
        return nullptr;
    return FAxisBars->Items(i)->Field();
}

void TCustomDBAxisGridEh::SetSelectedField(TField* Value)
{
    if (!Value)
        return;
    for (int i = 0; i < FAxisBars->Count(); ++i)
        if (FAxisBars->Items(i)->Field() == Value) {
            SetSelectedIndex(i);
            return;
        }
}

void TCustomDBAxisGridEh::LinkActive(bool Value)
{
    if (!Value)
        HideEdit();
    FIntMemTable = Value ? dynamic_cast<IMemTableEh*>(FDataLink->DataSet()) : nullptr;
    LayoutChanged();
    if (Value && IsAlwaysShowEditor())
        ShowEditor();
    if (!IsLoading())
        FAxisBars->ActiveChanged();
}

void TCustomDBAxisGridEh::EditingChanged()
{
    if (BeingDestroyed() || !FDataLink->DataSet())
        return;
    if (FDataLink->DataSet()->State() == dsBrowse && FDataLink->LastDataSetState() == dsEdit)
        for (int i = 0; i < FAxisBars->Count(); ++i)
            FAxisBars->Items(i)->RecordChanged(nullptr);
}

void TCustomDBAxisGridEh::RecordChanged(TField* Field)
{
    if (!HandleAllocated())
        return;
    if (Field) {
        bool bound = false;
        for (int i = 0; i < FAxisBars->Count(); ++i) {
            TAxisBarEh* bar = FAxisBars->Items(i);
            bar->RecordChanged(Field);
            bound = bound || bar->Field() == Field;
        }
        if (bound)
            InvalidateRow(Row());
    } else {
        Invalidate();
    }
    TField* sel = SelectedField();
    if ((!Field || Field == sel) && sel) {
        TAxisBarEh* bar = FAxisBars->Items(SelectedIndex());
        QString current;
        if (FDrawMemoText && IsMemoType(sel))
            current = CrLfLineBreaks(sel->AsString());
        else if (bar->PickList()->Count() > 0 && bar->KeyList()->Count() > 0)
            current = bar->DisplayText();
        else
            current = sel->Text();
        if (current != FEditText) {
            InvalidateEditor();
            if (InplaceEditor())
                InplaceEditor()->Deselect();
        }
    }
}

// ---------------------------------------------------------------- writing the editor's text

void TCustomDBAxisGridEh::UpdateData()
{
    const int sel = SelectedIndex();
    if (sel < 0 || sel >= FAxisBars->Count())
        return;
    TAxisBarEh* bar = FAxisBars->Items(sel);
    TField* field = SelectedField();

    // Asks the bar's handler about a text that is not in its list; True when it accepted.
    auto askNotInList = [&]() {
        bool accept = false;
        bar->OnNotInList(bar, FEditText, accept);
        return accept;
    };

    if (bar->LookupParams()->LookupActive()) {
        TDBLookupDataEh* lookup = bar->LookupParams();
        if (FEditKeyValue.IsNull() && !FEditText.isEmpty() && bar->OnNotInList) {
            TDataSet* list = lookup->LookupDataSet();
            const QString display = lookup->LookupDisplayFieldName();
            // A typed text that is already in the list stores that entry's key, not Null.
            auto found = [&] { return list->Locate(display, Variant(FEditText), TLocateOptions{loCaseInsensitive}); };
            if (found() || (askNotInList() && found()))
                FEditKeyValue = list->FieldValues(lookup->LookupKeyFieldNames());
        }
        std::vector<TField*> keys = lookup->GetKeyFields();
        if (FieldsArrayCanModify(keys)) {
            FDataLink->Edit();
            bar->UpdateDataValues(FEditText, FEditKeyValue, false);
        }
        return;
    }
    if (!field) {
        bar->UpdateDataValues(FEditText, Variant(FEditText), true);
        return;
    }
    const bool hasPick = bar->PickList()->Count() > 0;
    const bool hasKeys = bar->KeyList()->Count() > 0;
    if (hasPick && !hasKeys) {
        if (bar->OnNotInList && bar->LocatePickList(FEditText, false) < 0)
            askNotInList();
        bar->UpdateDataValues(FEditText, Variant(FEditText), true);
    } else if (hasPick && hasKeys) {
        // The key of a text; Null when the text is missing or its key list entry is missing.
        auto keyOf = [&](int i) {
            return i >= 0 && i < bar->KeyList()->Count() ? Variant(bar->KeyList()->Strings(i)) : Variant::Null();
        };
        int i = bar->LocatePickList(FEditText, false);
        if (i >= 0) {
            FEditKeyValue = keyOf(i);
        } else if (bar->OnNotInList && !FEditText.isEmpty()) {
            FEditKeyValue = askNotInList() ? keyOf(bar->LocatePickList(FEditText, false)) : Variant::Null();
        } else if (FEditText.isEmpty()) {
            FEditKeyValue = Variant::Null();
        }
        bar->UpdateDataValues(FEditText, FEditKeyValue, false);
    } else {
        bar->UpdateDataValues(FEditText, Variant(FEditText), true);
    }
}

// ---------------------------------------------------------------- editing conditions

bool TCustomDBAxisGridEh::DataEditAllowed()
{
    if (!FDataLink->Active())
        return false;
    TDataSet* ds = FDataLink->DataSet();
    return (FAllowedOperations.Contains(alopUpdateEh) || ds->State() == dsInsert) &&
           (!ds->IsEmpty() || FAllowedOperations.Contains(alopInsertEh) || FAllowedOperations.Contains(alopAppendEh));
}

bool TCustomDBAxisGridEh::CanEditAxisBar(int) { return false; }
bool TCustomDBAxisGridEh::IsAlwaysShowEditor() { return false; }

static TDBAxisGridInplaceEdit* AxisEditor(TCustomGridEh* Grid)
{
    return dynamic_cast<TDBAxisGridInplaceEdit*>(Grid->InplaceEditor());
}

bool TCustomDBAxisGridEh::CanEditShow()
{
    if (FLayoutLock > 0 || !TCustomGridEh::CanEditShow())
        return false;
    const int sel = SelectedIndex();
    if (sel < 0 || sel >= FAxisBars->Count())
        return false;
    TAxisColCellParamsEh* params = GetSharedColCellParams();
    TAxisBarEh* bar = FAxisBars->Items(sel);
    bar->FillColCellParams(params);
    if (!IsLoading())
        bar->GetColCellParams(true, params);
    return params->FTextEditing;
}

bool TCustomDBAxisGridEh::CanEditAcceptKey(QChar Key)
{
    TDBAxisGridInplaceEdit* editor = AxisEditor(this);
    const bool ownReadOnly = editor && editor->ReadOnlyStored();
    const int sel = SelectedIndex();
    TField* field = SelectedField();
    if (FDataLink->Active() && field) {
        const bool value = ownReadOnly ? !editor->ReadOnly() : true;
        if (FAxisBars->Items(sel)->KeyList()->Count() > 0)
            return value;
        return value && field->IsValidChar(Key);
    }
    return ownReadOnly && !editor->ReadOnly();
}

bool TCustomDBAxisGridEh::CanEditModifyData()
{
    bool result = false;
    TDBAxisGridInplaceEdit* editor = AxisEditor(this);
    if (editor && editor->ReadOnlyStored()) {
        if (editor->ReadOnly())
            return false;
        FDataLink->Edit();
        FDataLink->Modified();
        result = true;
    }
    if (FReadOnly || !FDataLink->Active() || FDataLink->ReadOnly())
        return result;

    const int sel = SelectedIndex();
    if (sel < 0 || sel >= FAxisBars->Count())
        return false;
    TAxisBarEh* bar = FAxisBars->Items(sel);
    bool canChange;
    if (bar->LookupParams()->LookupActive()) {
        std::vector<TField*> keys = bar->LookupParams()->GetKeyFields();
        canChange = !keys.empty() && FieldsArrayCanModify(keys);
    } else {
        TField* f = bar->Field();
        canChange = f != nullptr;
        if (canChange && f->FieldKind() == fkLookup) {
            std::vector<TField*> keys;
            if (!f->KeyFields().isEmpty() && f->DataSet())
                f->DataSet()->GetFieldList(keys, f->KeyFields());
            canChange = !keys.empty() && FieldsArrayCanModify(keys);
        } else if (canChange) {
            canChange = f->CanModify();
        }
        if (canChange && dynamic_cast<TBlobField*>(f))
            canChange = bool(f->OnSetText) || (FDrawMemoText && IsMemoType(f));
    }
    if (!canChange)
        return false;
    if (bar->ReadOnly() || !bar->TextEditing() || !bar->CanModify(false))
        return true;
    FDataLink->Edit();
    result = FDataLink->Editing();
    if (result)
        FDataLink->Modified();
    return result;
}

int TCustomDBAxisGridEh::GetEditLimit(int, int)
{
    const int sel = SelectedIndex();
    TField* field = SelectedField();
    if (!field || FAxisBars->Items(sel)->KeyList()->Count() > 0)
        return 0;
    if (field->DataType() == ftString || field->DataType() == ftWideString)
        return field->Size();
    return 0;
}

QString TCustomDBAxisGridEh::GetEditMask(int, int) { return QStringLiteral("Must be rewrited in the inherited class"); }
QString TCustomDBAxisGridEh::GetEditText(int, int) { return QStringLiteral("Must be rewrited in the inherited class"); }
void TCustomDBAxisGridEh::SetEditText(int, int, const QString& Value) { FEditText = Value; }

void TCustomDBAxisGridEh::InvalidateEditor()
{
    // An open drop-down list survives the refresh.
    auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(InplaceEditor());
    if (!editor || !editor->ListVisible()) {
        TCustomGridEh::InvalidateEditor();
        return;
    }
    const bool locked = editor->LockCloseList();
    editor->SetLockCloseList(true);
    auto unlock = Finally([&] { editor->SetLockCloseList(locked); });
    TCustomGridEh::InvalidateEditor();
}

TInplaceEdit* TCustomDBAxisGridEh::CreateEditor() { return Create<TDBAxisGridInplaceEdit>(this); }

void TCustomDBAxisGridEh::EditButtonClick()
{
    if (OnEditButtonClick)
        OnEditButtonClick(this);
}

// ---------------------------------------------------------------- hosted edit controls

bool TCustomDBAxisGridEh::InplaceEditorCanModify(TWinControl*) { return true; }

void TCustomDBAxisGridEh::GetDownMousePosAndTime(TPoint& Pos, int& Time)
{
    Pos = ClientToScreen(FDownMousePos);
    Time = FDownMouseMessageTime;
    FDownMouseMessageTime = 0;
}

bool TCustomDBAxisGridEh::InplaceEditorWndProc(TWinControl*, TMessage&) { return false; }
void TCustomDBAxisGridEh::InplaceEditorKeyDown(TWinControl*, Word&, TShiftState) {}
void TCustomDBAxisGridEh::InplaceEditorKeyPress(TWinControl*, QChar&) {}
void TCustomDBAxisGridEh::InplaceEditorKeyUp(TWinControl*, Word&, TShiftState) {}

// ---------------------------------------------------------------- focus

bool TCustomDBAxisGridEh::GetSelectionActive()
{
    if (!HandleAllocated())
        return false;
    TWinControl* focused = FindControl(GetFocus());
    return focused && (focused == this || ContainsControl(focused));
}

void TCustomDBAxisGridEh::SelectionActiveChanged()
{
    Invalidate();
    FSelectionActive = GetSelectionActive();
}

void TCustomDBAxisGridEh::DoEnter()
{
    TCustomGridEh::DoEnter();
    SelectionActiveChanged();
}

void TCustomDBAxisGridEh::DoExit()
{
    TCustomGridEh::DoExit();
    SelectionActiveChanged();
}

bool TCustomDBAxisGridEh::AcquireFocus()
{
    auto hasFocus = [this] { return Focused() || (InplaceEditor() && InplaceEditor()->Focused()); };
    if (hasFocus() || !FAcquireFocus || !CanFocus())
        return true;
    SetFocus();
    return hasFocus();
}

void TCustomDBAxisGridEh::UpdateImeProps()
{
    if (FAxisBars->Count() == 0)
        return;
    FImeName = FOriginalImeName;
    FImeMode = FOriginalImeMode;
    const int sel = SelectedIndex();
    if (sel >= 0 && sel < FAxisBars->Count()) {
        TAxisBarEh* bar = FAxisBars->Items(sel);
        if (bar->IsImeNameStored())
            FImeName = bar->ImeName();
        if (bar->IsImeModeStored())
            FImeMode = bar->ImeMode();
    }
}

void TCustomDBAxisGridEh::UpdateIme() { UpdateImeProps(); }

// ---------------------------------------------------------------- notifications and messages

// The removed component is told apart by address only: it may be in its base destructor
// already, where its own class can no longer be recognised.
void TCustomDBAxisGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomGridEh::Notification(AComponent, Operation);
    if (Operation != opRemove || !FAxisBars)
        return;
    auto same = [AComponent](const TComponent* C) { return C && C == AComponent; };
    for (int i = 0; i < FAxisBars->Count(); ++i) {
        TAxisBarEh* bar = FAxisBars->Items(i);
        if (same(bar->PopupMenu()))
            bar->SetPopupMenu(nullptr);
        if (same(bar->Title()->PopupMenu()))
            bar->Title()->SetPopupMenu(nullptr);
        if (same(bar->ImageList()))
            bar->SetImageList(nullptr);
        if (same(bar->DropDownBox()->ListSource()))
            bar->DropDownBox()->SetListSource(nullptr);
    }
    if (same(DataSource())) {
        SetDataSource(nullptr);
        return;
    }
    if (!FDataLink)
        return;
    TDataSet* ds = FDataLink->DataSet();
    // A bar may have let go of the field already; a field the map still refers to makes the
    // map stale all the same.
    bool bound = FDataLink->MapsField(AComponent);
    for (int i = 0; i < FAxisBars->Count() && !bound; ++i)
        bound = same(FAxisBars->Items(i)->Field());
    if (!bound || (ds && ds->ControlsDisabled()))
        return;
    BeginLayout();
    for (int i = 0; i < FAxisBars->Count(); ++i)
        if (same(FAxisBars->Items(i)->Field()))
            FAxisBars->Items(i)->SetField(nullptr);
    // The freed field may still be listed by its dataset; the map must not find it again.
    FDataLink->ClearMapping();
    if (!ds || ds->ControlsDisabled())
        EndLayoutDeferred();
    else
        EndLayout();
}

void TCustomDBAxisGridEh::CreateWnd()
{
    BeginUpdate();
    {
        auto release = Finally([this] { EndUpdate(); });
        TCustomGridEh::CreateWnd();
    }
    FInplaceEditorButtonWidth = Flat() ? DefaultEditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
    FOriginalImeName = FImeName;
    FOriginalImeMode = FImeMode;
}

void TCustomDBAxisGridEh::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_DEFERREDLAYOUT_EH: WMDeferredLayout(Message); return;
    case WM_COMMAND:
        TCustomGridEh::WndProc(Message);
        if (HIWORD(Message.WParam) == EN_CHANGE)
            if (TDBAxisGridInplaceEdit* editor = AxisEditor(this))
                if (HWND(Message.LParam) == editor->HandleIfAllocated())
                    editor->UserChange();
        return;
    default: TCustomGridEh::WndProc(Message);
    }
}

void TCustomDBAxisGridEh::CMWantSpecialKey(TMessage& M)
{
    TCustomGridEh::CMWantSpecialKey(M);
    TDataSet* ds = FDataLink->DataSet();
    if (ds && ds->Modified() && M.WParam == VK_ESCAPE)
        M.Result = 1;
}

void TCustomDBAxisGridEh::WMSetFocus(TMessage& M)
{
    TDBAxisGridInplaceEdit* editor = AxisEditor(this);
    if (!editor || HWND(M.WParam) != editor->HandleIfAllocated())
        UpdateImeProps();
    TCustomGridEh::WMSetFocus(M);
    if (GetSelectionActive() != FSelectionActive)
        SelectionActiveChanged();
}

void TCustomDBAxisGridEh::WMKillFocus(TMessage& M)
{
    TCustomGridEh::WMKillFocus(M);
    if (GetSelectionActive() != FSelectionActive)
        SelectionActiveChanged();
}

void TCustomDBAxisGridEh::CMFontChanged(TMessage& M)
{
    TCustomGridEh::CMFontChanged(M);
    BeginLayout();
    auto end = Finally([this] { EndLayout(); });
    for (int i = 0; i < FAxisBars->Count(); ++i) {
        FAxisBars->Items(i)->RefreshDefaultFont();
        FAxisBars->Items(i)->Title()->RefreshDefaultFont();
    }
}

void TCustomDBAxisGridEh::ChangeScale(int M, int D)
{
    if (M != D && D != 0 && ScalesFonts()) {
        // Each font keeps its own size relation to the others.
        if (!ParentFont()) {
            TFont* title = TitleFont();
            title->SetSize(MulDiv(title->GetSize(), M, D));
        }
        FAxisBars->BeginUpdate();
        auto end = Finally([this] { FAxisBars->EndUpdate(); });
        for (int i = 0; i < FAxisBars->Count(); ++i) {
            TAxisBarEh* bar = FAxisBars->Items(i);
            if (bar->AssignedValues().Contains(cvFont))
                bar->Font()->SetSize(MulDiv(bar->Font()->GetSize(), M, D));
            if (bar->AssignedValues().Contains(cvTitleFont))
                bar->Title()->Font()->SetSize(MulDiv(bar->Title()->Font()->GetSize(), M, D));
        }
    }
    TCustomGridEh::ChangeScale(M, D);
}

void TCustomDBAxisGridEh::CMSysColorChange(TMessage& M)
{
    TCustomGridEh::CMSysColorChange(M);
    ResetButtonsBitmapCache();
}
