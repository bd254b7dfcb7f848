// The in-place data editor: edit styles, edit buttons, keys, pasting, stepping, the image
// beside the text and the list of recently used texts.
#include "DBAxisGridsEh_Inplace.h"

#include "DBAxisGridsEh_Grid.h"
#include "DBAxisGridsEh_CellParams.h"
#include "DBAxisGridsEh_Collections.h"
#include "components/editors/DBCtrlsEh_ButtonsBox.h"
#include "components/foundation/PlatformBridgeEh.h"
#include "components/foundation/ToolCtrlsEh_DropDowns.h"
#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/winapi/Messages.h"
#include "platform/winapi/WinUser.h"

namespace {

bool IsDateField(TField* F)
{
    return F && (F->DataType() == ftDate || F->DataType() == ftDateTime || F->DataType() == ftTimeStamp);
}

bool IsNumericType(TFieldType T)
{
    return T == ftSmallint || T == ftInteger || T == ftWord || T == ftFloat || T == ftCurrency || T == ftBCD ||
           T == ftFMTBcd;
}

bool HasEntries(TStrings* S) { return S && S->Count() > 0; }

// A bar with a pick list and no key list, or with both.
bool IsPickListBar(TAxisBarEh* Bar)
{
    const TAxisBarEhType t = Bar->GetBarType();
    return t == ctPickList || t == ctKeyPickList;
}

bool IsListSourceBar(TAxisBarEh* Bar) { return Bar->DropDownBox()->ListSource() != nullptr; }

bool FormIsNamed(TDropDownFormCallParamsEh* P)
{
    return P && (P->DropDownForm() || !P->DropDownFormClassName().isEmpty());
}

int SelFrom(TCustomEdit* E) { return std::min(E->SelStart(), E->SelStart() + E->SelLength()); }
int SelTo(TCustomEdit* E) { return std::max(E->SelStart(), E->SelStart() + E->SelLength()); }

}  // namespace

// ---------------------------------------------------------------- edit style groups

bool IsLookupEditStyle(TEditStyle Style)
{
    return Style == esLookupDataList || Style == esAltLookupDataList || Style == esDataList ||
           Style == esAltDataList;
}

bool IsPickListEditStyle(TEditStyle Style) { return Style == esPickList || Style == esAltPickList; }
bool IsCalendarEditStyle(TEditStyle Style) { return Style == esDateCalendar || Style == esAltCalendar; }
bool IsUpDownEditStyle(TEditStyle Style) { return Style == esUpDown || Style == esAltUpDown; }
bool IsDropDownEditStyle(TEditStyle Style) { return Style == esDropDown || Style == esAltDropDown; }

bool IsListEditStyle(TEditStyle Style)
{
    return IsPickListEditStyle(Style) || IsLookupEditStyle(Style) || IsCalendarEditStyle(Style);
}

TEditStyle GetAxisBarEditStyle(TAxisBarEh* Bar)
{
    if (!Bar)
        return esSimple;
    TField* field = Bar->Field();
    const bool lookup = Bar->LookupParams()->LookupActive();
    const bool pick = IsPickListBar(Bar) && !Bar->ReadOnly();
    const bool listSource = IsListSourceBar(Bar);
    switch (Bar->ButtonStyle()) {
    case cbsAuto:
        if (lookup)
            return esLookupDataList;
        if (pick)
            return esPickList;
        if (listSource)
            return esDataList;
        if (IsDateField(field) && !Bar->ReadOnly())
            return esDateCalendar;
        if (FormIsNamed(Bar->EditButton()->DropDownFormParams()))
            return esDropDown;
        return esSimple;
    case cbsEllipsis: return esEllipsis;
    case cbsNone: return esSimple;
    case cbsUpDown: return esUpDown;
    case cbsDropDown:
        if (lookup)
            return esLookupDataList;
        if (pick)
            return esPickList;
        if (listSource)
            return esDataList;
        return esDropDown;
    case cbsAltUpDown: return esAltUpDown;
    case cbsAltDropDown:
        if (lookup)
            return esAltLookupDataList;
        if (pick)
            return esAltPickList;
        if (listSource)
            return esAltDataList;
        if (IsDateField(field))
            return esAltCalendar;
        return esAltDropDown;
    }
    return esSimple;
}

// ---------------------------------------------------------------- construction

TDBAxisGridInplaceEdit::TDBAxisGridInplaceEdit(TComponent* AOwner) : TInplaceEdit(AOwner)
{
    DoubleBuffered = false;
}

TDBAxisGridInplaceEdit::~TDBAxisGridInplaceEdit()
{
    delete FCanvas;
    FCanvas = nullptr;
    delete FButtonsBox;
    FButtonsBox = nullptr;
}

void TDBAxisGridInplaceEdit::AfterConstruction()
{
    TInplaceEdit::AfterConstruction();
    FLookupSource = Create<TDataSource>(this);
    auto* canvas = new TControlCanvas;
    canvas->Control = this;
    FCanvas = canvas;
    FButtonsBox = Create<TEditButtonsBoxEh>(this);
    FButtonsBox->SetVisible(false);
    FButtonsBox->SetBounds(0, 0, 0, 0);
    FButtonsBox->SetParent(this);
    FButtonsBox->SetOnDown(TButtonDownEventEh(this, &TDBAxisGridInplaceEdit::ButtonsBoxDown));
    FButtonsBox->SetOnButtonClick(TNotifyEvent(this, &TDBAxisGridInplaceEdit::ButtonsBoxClick));
    FButtonsBox->SetOnButtonMouseMove(TMouseMoveEvent(this, &TDBAxisGridInplaceEdit::ButtonsBoxMouseMove));
    FButtonsBox->SetOnButtonMouseUp(TMouseEvent(this, &TDBAxisGridInplaceEdit::ButtonsBoxMouseUp));
    FButtonsBox->SetOnCreateEditButtonControl(
        TCreateEditButtonControlEvent(this, &TDBAxisGridInplaceEdit::CreateEditButtonControl));
}

void TDBAxisGridInplaceEdit::CreateParams(TCreateParams& Params)
{
    TInplaceEdit::CreateParams(Params);
    if (FWordWrap) {
        Params.Style &= ~DWORD(ES_AUTOHSCROLL);
        Params.Style |= ES_MULTILINE;
    }
    Params.Style |= WS_CLIPCHILDREN;
}

TCustomDBAxisGridEh* TDBAxisGridInplaceEdit::GetGrid() const
{
    return dynamic_cast<TCustomDBAxisGridEh*>(FGrid);
}

TAxisBarEh* TDBAxisGridInplaceEdit::GetAxisBar() const
{
    TCustomDBAxisGridEh* grid = GetGrid();
    if (!grid || !grid->AxisBars())
        return nullptr;
    const int i = grid->SelectedIndex();
    if (i < 0 || i >= grid->AxisBars()->Count())
        return nullptr;
    return grid->AxisBars()->Items(i);
}

int TDBAxisGridInplaceEdit::FirstVisibleButtonIndex()
{
    for (int i = 0; i < FButtonsBox->ButtonsCount(); ++i) {
        const TEditButtonControlLineRec& line = FButtonsBox->BtnCtlList()[size_t(i)];
        if (line.EditButtonControl && line.EditButtonControl->Visible())
            return i;
    }
    return -1;
}

void TDBAxisGridInplaceEdit::SetEditStyle(TEditStyle Value)
{
    FEditStyle = Value;
    Invalidate();
}

void TDBAxisGridInplaceEdit::SetEditButtonStyle(TEditStyle Value)
{
    FEditButtonStyle = Value;
    UpdateEditStyle();
    Invalidate();
}

void TDBAxisGridInplaceEdit::SetWordWrap(bool Value)
{
    if (Value == FWordWrap)
        return;
    FWordWrap = Value;
    RecreateWnd();
}

void TDBAxisGridInplaceEdit::CreateEditButtonControl(TEditButtonControlEh*& Control)
{
    Control = Create<TEditButtonControlEh>(this);
    Control->ControlStyle.Include(csReplicatable);
    Control->SetBounds(0, 0, 10, 17);
    Control->SetVisible(true);
    Control->SetParent(this);
}

// ---------------------------------------------------------------- style and buttons

void TDBAxisGridInplaceEdit::UpdateEditStyle()
{
    TAxisBarEh* bar = GetAxisBar();
    if (FEditButtonStyle != esSimple) {
        FEditStyle = FEditButtonStyle;
    } else {
        const int first = FirstVisibleButtonIndex();
        if (first < 0 || !bar) {
            FEditStyle = esSimple;
        } else {
            TEditButtonControlEh* control = FButtonsBox->BtnCtlList()[size_t(first)].EditButtonControl;
            TCustomDBAxisGridEh* grid = GetGrid();
            switch (control->Style()) {
            case ebsDropDownEh:
            case ebsAltDropDownEh:
                if (TField* field = bar->Field()) {
                    TDBLookupDataEh* lookup = bar->LookupParams();
                    if (lookup->LookupIsSetUp()) {
                        const TFieldsArrEh keys = lookup->GetKeyFields();
                        if (!keys.empty() && FieldsArrayCanModify(keys) && !bar->ReadOnly() && grid &&
                            !grid->ReadOnly() && grid->DataLink()->Active() && !grid->DataLink()->ReadOnly())
                            FEditStyle = esLookupDataList;
                    } else if (HasEntries(bar->PickList()) && !bar->ReadOnly()) {
                        FEditStyle = esPickList;
                    } else if (IsDateField(field) && !bar->ReadOnly()) {
                        FEditStyle = esDateCalendar;
                    } else {
                        FEditStyle = esSimple;
                    }
                }
                break;
            case ebsEllipsisEh: FEditStyle = esEllipsis; break;
            case ebsUpDownEh: FEditStyle = esUpDown; break;
            case ebsAltUpDownEh: FEditStyle = esAltUpDown; break;
            default: break;
            }
        }
    }
    InitActiveList();
}

void TDBAxisGridInplaceEdit::UpdateEditButtons()
{
    TAxisBarEh* bar = GetAxisBar();
    if (!bar) {
        FButtonsBox->SetVisible(false);
        return;
    }
    FButtonsBox->BeginLayout();
    {
        auto end = Finally([&] { FButtonsBox->EndLayout(); });
        FButtonsBox->SetButtonsCount(bar->EditButtons()->Count() + 1);
        FButtonsBox->SetFlat(FGrid && FGrid->Flat());
        FButtonsBox->SetMaxButtonHeight(Height());
        FButtonsBox->BtnCtlLine(0).EditButton = bar->EditButton();
        for (int i = 0; i < bar->EditButtons()->Count(); ++i)
            FButtonsBox->BtnCtlLine(i + 1).EditButton = bar->EditButtons()->Items(i);
    }
    const int w = FButtonsBox->ButtonsWidth();
    if (w <= 0) {
        FButtonsBox->SetVisible(false);
        FButtonsBox->SetBounds(0, 0, 0, 0);
        return;
    }
    if (UseRightToLeftAlignment())
        FButtonsBox->SetBounds(0, 0, w, Height());
    else
        FButtonsBox->SetBounds(Width() - w, 0, w, Height());
    FButtonsBox->SetVisible(true);
}

void TDBAxisGridInplaceEdit::UpdateButtonsDefaultActions()
{
    TAxisBarEh* bar = GetAxisBar();
    FButtonsBox->SetBorderActive(true);
    FButtonsBox->UpdateEditButtonControlsState();
    if (!bar)
        return;
    bool given = false;
    TEditButtonEh* main = bar->EditButton();
    if (main->GetVisible() && !bar->OnEditButtonClick && !bar->OnEditButtonDown) {
        main->SetParentDefinedDefaultAction(true);
        given = true;
    } else {
        main->SetParentDefinedDefaultAction(false);
    }
    for (int i = 0; i < bar->EditButtons()->Count(); ++i) {
        TEditButtonEh* b = bar->EditButtons()->Items(i);
        const bool take = !given && !b->OnClick() && !b->OnDown();
        b->SetParentDefinedDefaultAction(take);
        given = given || take;
    }
}

void TDBAxisGridInplaceEdit::BoundsChanged()
{
    UpdateEditButtons();
    UpdateButtonsDefaultActions();
    UpdateEditStyle();
    TRect r;
    GetEditTextRect(r);
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
    Perform(EM_SCROLLCARET, 0, 0);
}

void TDBAxisGridInplaceEdit::GetEditTextRect(TRect& ARect)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    const bool flat = grid && grid->Flat();
    ARect = flat ? TRect(0, 1, Width() - 2, Height() - 1) : TRect(0, 2, Width() - 2, Height());
    ARect.Left = grid ? grid->GetEditorTextIndent(bar) : 3;
    const int fontHeight = std::abs(Font()->GetHeight());
    if (fontHeight - 1 >= ARect.Height())
        --ARect.Top;
    if (ARect.Height() < fontHeight && ARect.Bottom < Height())
        ++ARect.Bottom;
    const bool rtl = UseRightToLeftAlignment();
    if (FButtonsBox->Visible()) {
        if (rtl)
            ARect.Left += FButtonsBox->Width();
        else
            ARect.Right -= FButtonsBox->Width();
    }
    if (bar && bar->ImageList() && bar->ShowImageAndText()) {
        const int w = bar->ImageList()->Width() + 5;
        if (rtl)
            ARect.Right -= w;
        else
            ARect.Left += w;
    }
    if (grid && bar && grid->HasIntMemTable() && grid->GetCellTreeElmentsAreaWidth() > 0 &&
        grid->AxisBars()->Items(0) == bar) {
        const int w = grid->GetCellTreeElmentsAreaWidth();
        if (rtl)
            ARect.Right -= w;
        else
            ARect.Left += w;
    }
}

// ---------------------------------------------------------------- contents

void TDBAxisGridInplaceEdit::UpdateContents()
{
    FFixedDownButton = -1;
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    if (!grid || !bar) {
        TInplaceEdit::UpdateContents();
        return;
    }
    SetEditButtonStyle(GetAxisBarEditStyle(bar));
    Font()->Assign(bar->Font());

    // The grid's shared cell parameters, filled by the bar, then open to the grid's and the
    // bar's cell events.
    TAxisColCellParamsEh spare;
    TAxisColCellParamsEh* params = grid->GetSharedColCellParams();
    if (!params)
        params = &spare;
    bar->FillColCellParams(params);
    params->FBackground = bar->Color();
    params->FFont = Font();
    params->FState = TGridDrawState{gdFocused};
    params->FText = bar->GetInplaceEditText();
    const bool computedReadOnly = !bar->CanModify(false);
    params->FReadOnly = computedReadOnly;
    grid->GetCellParams(bar, params->FFont, params->FBackground, params->FState);
    if (!grid->ComponentState().Contains(csLoading))
        bar->GetColCellParams(true, params);
    const QString text = params->FText;
    SetColor(params->FBackground);
    if (params->FFont != Font())
        Font()->Assign(params->FFont);
    FImageIndex = params->FImageIndex;
    // A handler that changed the read-only value takes over: the grid's checks then do not
    // consult the editor's own setting for this cell.
    FReadOnlyStored = params->FReadOnly == computedReadOnly;
    if (FReadOnlyStored)
        SetReadOnly(computedReadOnly);

    int col = grid->Col(), row = grid->Row();
    SetWordWrap(bar->CurLineWordWrap(grid->RowHeights(row)));

    TCustomMaskEdit::SetEditText(QString());
    SetEditMask(bar->GetInplaceEditMask());
    if (IsMasked())
        SetMaskedText(text);
    else
        TCustomMaskEdit::SetEditText(text);
    SetMaxLength(grid->GetEditLimit(col, row));
    Modified = false;
    ClearUndo();

    FMRUList = bar->MRUList();
    if (FButtonsBox->ButtonsCount() > 0)
        if (TEditButtonControlEh* c = FButtonsBox->BtnCtlList()[0].EditButtonControl)
            c->SetAlwaysDown(false);
}

// ---------------------------------------------------------------- image

void TDBAxisGridInplaceEdit::UpdateImageIndex()
{
    TAxisBarEh* bar = GetAxisBar();
    if (!bar || !bar->ImageList())
        return;
    int index = -1;
    TField* field = bar->Field();
    if (!HasEntries(bar->PickList())) {
        if (field && IsNumericType(field->DataType()) && !field->IsNull()) {
            try {
                const double v = field->AsFloat();
                if (v >= double(INT32_MIN) && v <= double(INT32_MAX))
                    index = int(v);
            } catch (const Exception&) {
                index = -1;
            }
        }
    } else {
        index = bar->PickList()->IndexOf(Text());
    }
    if (index == -1)
        index = bar->NotInKeyListIndex();
    if (index != FImageIndex) {
        FImageIndex = index;
        Invalidate();
    }
}

void TDBAxisGridInplaceEdit::PaintImage(HDC DC)
{
    TAxisBarEh* bar = GetAxisBar();
    if (!Visible() || !bar || !bar->ImageList() || FImageIndex < 0)
        return;
    TCustomDBAxisGridEh* grid = GetGrid();
    const int w = bar->ImageList()->Width();
    int x = 2;
    if (grid && grid->HasIntMemTable() && grid->AxisBars()->Items(0) == bar)
        x += grid->GetCellTreeElmentsAreaWidth();
    if (grid && grid->UseRightToLeftAlignment())
        x = Width() - x - w;
    TCanvasPaintScope scope(FCanvas, DC);
    const int y = (Height() - bar->ImageList()->Height()) / 2;
    bar->ImageList()->Draw(FCanvas, x, std::max(0, y), FImageIndex);
}

void TDBAxisGridInplaceEdit::PaintWindow(HDC DC)
{
    TAxisBarEh* bar = GetAxisBar();
    if (bar && bar->ImageList() && bar->ShowImageAndText())
        PaintImage(DC);
    TInplaceEdit::PaintWindow(DC);
}

void TDBAxisGridInplaceEdit::UserChange()
{
    FUserTextChanged = true;
    UpdateImageIndex();
}

// ---------------------------------------------------------------- data changes

void TDBAxisGridInplaceEdit::StartDataEdit()
{
    TCustomDBAxisGridEh* grid = GetGrid();
    grid->DataLink()->Edit();
    if (grid->DataLink()->Editing())
        grid->DataLink()->Modified();
}

void TDBAxisGridInplaceEdit::ShowAcceptedText(const QString& Text, int SelFromPos, const Variant& Key, bool SetKey)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TCustomMaskEdit::SetEditText(Text);
    SetSelStart(SelFromPos);
    SetSelLength(int(Text.size()) - SelFromPos);
    if (SetKey)
        grid->SetEditKeyValue(Key);
    grid->SetEditText(grid->Col(), grid->Row(), Text);
    UpdateImageIndex();
}

void TDBAxisGridInplaceEdit::ShowPickListIndex(int Index)
{
    // The pick list holds the bar's items only while it is open.
    if (FPickList && Index < FPickList->Items()->Count())
        FPickList->SetItemIndex(Index);
}

bool TDBAxisGridInplaceEdit::IsLimitedToList()
{
    TAxisBarEh* bar = GetAxisBar();
    return bar && bar->LimitTextToListValues();
}

// The list dataset of a lookup or list-source bar, its list field and its key fields.
static bool LookupListOf(TAxisBarEh* Bar, TDataSet*& DataSet, QString& ListField, QString& KeyFields)
{
    DataSet = nullptr;
    if (TDataSource* src = Bar->DropDownBox()->ListSource()) {
        DataSet = src->DataSet();
        ListField = Bar->DropDownBox()->GetActualListField();
        KeyFields = ListField;
    } else if (Bar->LookupParams()->LookupIsSetUp()) {
        DataSet = Bar->LookupParams()->LookupDataSet();
        ListField = Bar->LookupParams()->LookupDisplayFieldName();
        KeyFields = Bar->LookupParams()->LookupKeyFieldNames();
    }
    return DataSet && DataSet->Active() && !ListField.isEmpty();
}

bool TDBAxisGridInplaceEdit::LocateLookupText(const QString& Text, QString& FoundText, Variant& FoundKey)
{
    TAxisBarEh* bar = GetAxisBar();
    TDataSet* ds = nullptr;
    QString listField, keyFields;
    if (!bar || Text.isEmpty() || !LookupListOf(bar, ds, listField, keyFields))
        return false;
    bool found = ds->Locate(listField, Variant(Text), TLocateOptions{loPartialKey});
    if (!found && bar->CaseInsensitiveTextSearch())
        found = ds->Locate(listField, Variant(Text), TLocateOptions{loPartialKey, loCaseInsensitive});
    if (!found)
        return false;
    FoundText = ds->FieldByName(listField)->Text();
    FoundKey = GetFieldsArrayValues(ds, GetFieldsArrayByNames(ds, nullptr, keyFields));
    return true;
}

void TDBAxisGridInplaceEdit::ProcessCharKeyStr(QString& S)
{
    if (S.size() == 1 && S[0].unicode() < 32 && S[0].unicode() != 8)
        return;
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    if (!grid || !bar)
        return;
    const bool backspace = S.size() == 1 && S[0].unicode() == 8;
    const QString prefix = Text().left(SelFrom(this));
    TDataSet* listDs = nullptr;
    QString listField, keyFields;
    const bool hasListDs = LookupListOf(bar, listDs, listField, keyFields);
    if (IsLookupEditStyle(FEditStyle) && grid->CanEditModifyData() && grid->DataEditAllowed() && hasListDs) {
        const bool autoFilter = FListVisible && bar->DropDownBox()->ListSourceAutoFilter();
        if (backspace) {
            if (autoFilter)
                ApplyListAutoFilter(prefix);
            if (IsLimitedToList())
                S.clear();
            return;
        }
        const QString typed = prefix + S;
        QString text;
        Variant key;
        const bool found = LocateLookupText(typed, text, key);
        if (found || !IsLimitedToList()) {
            if (autoFilter)
                ApplyListAutoFilter(QString());
            StartDataEdit();
            if (grid->DataLink()->Editing()) {
                if (found)
                    ShowAcceptedText(text, int(typed.size()), key, true);
                else
                    ShowAcceptedText(typed, int(typed.size()), Variant::Null(), true);
                if (autoFilter)
                    ApplyListAutoFilter(prefix);
            }
        }
        S.clear();
        return;
    }
    if (!IsPickListBar(bar) || !grid->CanEditModifyData())
        return;
    if (backspace) {
        if (IsLimitedToList() || bar->GetBarType() == ctKeyPickList)
            S.clear();
        return;
    }
    const QString typed = prefix + S;
    const int index = bar->LocatePickList(typed, true);
    if (index >= 0) {
        S.clear();
        StartDataEdit();
        ShowAcceptedText(bar->PickList()->Strings(index), int(typed.size()), Variant(), false);
        ShowPickListIndex(index);
    } else if (IsLimitedToList()) {
        S.clear();
    } else {
        StartDataEdit();
        ShowAcceptedText(typed, int(typed.size()), Variant::Null(), true);
        ShowPickListIndex(-1);
        S.clear();
    }
}

void TDBAxisGridInplaceEdit::SyncEditKeyValue()
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    if (!grid || !bar || !bar->CanModify(true))
        return;
    grid->SetEditText(grid->Col(), grid->Row(), Text());
    if (!IsLookupEditStyle(FEditStyle))
        return;
    TDataSet* ds = nullptr;
    QString listField, keyFields;
    Variant key = Variant::Null();
    if (!Text().isEmpty() && LookupListOf(bar, ds, listField, keyFields) &&
        ds->Locate(listField, Variant(Text()), TLocateOptions{loCaseInsensitive}))
        key = GetFieldsArrayValues(ds, GetFieldsArrayByNames(ds, nullptr, keyFields));
    grid->SetEditKeyValue(key);
}

// ---------------------------------------------------------------- stepping

void TDBAxisGridInplaceEdit::UpDownClick(TObject*, bool UpButton)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    if (!grid || !bar || !bar->CanModify(true))
        return;
    if (bar->EditText() != Text()) {
        grid->SetEditText(grid->Col(), grid->Row(), Text());
        grid->UpdateData();
    }
    double step = bar->Increment();
    const bool listBar = bar->GetBarType() != ctCommon;
    if (UpButton == listBar)
        step = -step;
    bar->SetNextFieldValue(step);
    // The editor shows the stepped value at once, so the next step starts from it.
    const QString stepped = bar->GetInplaceEditText();
    if (stepped != Text()) {
        TCustomMaskEdit::SetEditText(stepped);
        SelectAll();
        UpdateImageIndex();
    }
}

void TDBAxisGridInplaceEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TInplaceEdit::MouseDown(Button, Shift, X, Y);
    TAxisBarEh* bar = GetAxisBar();
    if (Button == mbLeft && Shift.Contains(ssDouble) && bar && bar->DblClickNextVal())
        bar->SetNextFieldValue(Shift.Contains(ssShift) ? -1 : 1);
}

// ---------------------------------------------------------------- buttons

void TDBAxisGridInplaceEdit::EditButtonDownDefault(bool UpPressed, bool& Handled)
{
    if (IsUpDownEditStyle(FEditStyle)) {
        UpDownClick(this, UpPressed);
        Handled = true;
    } else if (!FListVisible) {
        DropDown();
        Handled = FListVisible;
        FNoClickCloseUp = true;
    }
}

void TDBAxisGridInplaceEdit::ButtonsBoxDown(TObject* Control, bool UpPressed, bool& AutoRepeat, bool& Handled)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    SetFocus();
    Handled = false;
    if (!grid || !bar)
        return;
    auto* control = static_cast<TEditButtonControlEh*>(Control);
    const TEditButtonControlList& list = FButtonsBox->BtnCtlList();
    if (!list.empty() && list[0].EditButtonControl == control) {
        TEditButtonEh* main = bar->EditButton();
        if (bar->OnEditButtonDown)
            bar->OnEditButtonDown(control, UpPressed, AutoRepeat, Handled);
        if (!Handled)
            ShowDropDownForm(nullptr, control, Handled);
        if (!Handled && main->DefaultAction())
            EditButtonDownDefault(UpPressed, Handled);
        if (!Handled && main->DefaultAction())
            grid->EditButtonDefaultAction(bar, Handled, true, control, main, this);
        return;
    }
    for (int i = 1; i < int(list.size()); ++i) {
        if (list[size_t(i)].EditButtonControl != control)
            continue;
        TEditButtonEh* button = list[size_t(i)].EditButton;
        if (button->OnDown())
            button->OnDown()(control, UpPressed, AutoRepeat, Handled);
        if (!Handled)
            ShowDropDownForm(button, control, Handled);
        if (!Handled) {
            if (TPopupMenu* menu = button->DropdownMenu()) {
                TPoint p = control->ClientToScreen(TPoint(0, control->Height()));
                if (menu->Alignment == paRight)
                    p.X += control->Width();
                menu->Popup(p.X, p.Y);
                control->Perform(WM_LBUTTONUP, 0, 0);
            } else if (i == FirstVisibleButtonIndex()) {
                EditButtonDownDefault(UpPressed, Handled);
            }
        }
        return;
    }
}

void TDBAxisGridInplaceEdit::ButtonsBoxClick(TObject* Control)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    auto clear = Finally([&] { FNoClickCloseUp = false; });
    if (!grid || !bar)
        return;
    auto* control = static_cast<TEditButtonControlEh*>(Control);
    const TEditButtonControlList& list = FButtonsBox->BtnCtlList();
    const bool isMain = !list.empty() && list[0].EditButtonControl == control;
    if (isMain && (FEditStyle == esEllipsis || IsDropDownEditStyle(FEditStyle)))
        grid->EditButtonClick();
    bool handled = false;
    int index = -1;
    if (isMain) {
        index = 0;
        if (bar->OnEditButtonClick)
            bar->OnEditButtonClick(control, handled);
        if (!handled && bar->EditButton()->DefaultAction())
            grid->EditButtonDefaultAction(bar, handled, false, control, bar->EditButton(), this);
    } else {
        for (int i = 1; i < int(list.size()); ++i) {
            if (list[size_t(i)].EditButtonControl != control)
                continue;
            index = i;
            TEditButtonEh* button = list[size_t(i)].EditButton;
            button->Click(control, handled);
            if (!handled && button->DefaultAction())
                grid->EditButtonDefaultAction(bar, handled, false, control, button, this);
            break;
        }
    }
    if (!handled && FListVisible && !FNoClickCloseUp && (index == 0 || index == FirstVisibleButtonIndex()))
        CloseUp(false);
}

void TDBAxisGridInplaceEdit::ButtonsBoxMouseMove(TObject* Control, TShiftState, int X, int Y)
{
    const TEditButtonControlList& list = FButtonsBox->BtnCtlList();
    if (!list.empty() && list[0].EditButtonControl == Control)
        DragButtonIntoList(static_cast<TEditButtonControlEh*>(Control), X, Y);
}

void TDBAxisGridInplaceEdit::ButtonsBoxMouseUp(TObject* Control, TMouseButton, TShiftState, int X, int Y)
{
    auto* control = static_cast<TControl*>(Control);
    if (!PtInRect(control->ClientRect(), TPoint(X, Y)))
        FNoClickCloseUp = false;
}

void TDBAxisGridInplaceEdit::DragButtonIntoList(TEditButtonControlEh* Control, int X, int Y)
{
    if (!FListVisible || !FActiveList || !Control->MouseCapture())
        return;
    TPoint p = FActiveList->ScreenToClient(Control->ClientToScreen(TPoint(X, Y)));
    if (!PtInRect(FActiveList->ClientRect(), p))
        return;
    Control->Perform(WM_CANCELMODE, 0, 0);
    FActiveList->Perform(WM_LBUTTONDOWN, 0, MAKELPARAM(WORD(p.X), WORD(p.Y)));
}

// ---------------------------------------------------------------- MRU list

void TDBAxisGridInplaceEdit::FilterMRUItem(const QString& Item, bool& Accept)
{
    const QString text = Text();
    const QString head = Item.left(text.size());
    if (FMRUList && FMRUList->CaseSensitive())
        Accept = NlsCompareStr(head, text) == 0;
    else
        Accept = NlsCompareText(head, text) == 0;
    if (FMRUList && FMRUList->OnFilterItem)
        FMRUList->OnFilterItem(GetAxisBar(), Accept);
}

void TDBAxisGridInplaceEdit::UpdateMRUListSize()
{
    auto* box = dynamic_cast<TPopupListboxEh*>(FMRUListControl);
    if (!FMRUList || !FMRUList->DroppedDown() || !box)
        return;
    FMRUList->SetRows(box->FittingRowCount());
    FMRUList->SetWidth(box->Width());
}

// ---------------------------------------------------------------- keys

bool TDBAxisGridInplaceEdit::DoDropDownKeys(Word& Key, TShiftState Shift)
{
    const bool alt = Shift.Contains(ssAlt);
    if ((Key == VK_RETURN || Key == VK_ESCAPE) && FListVisible && !alt && FActiveList != FPopupCalculator) {
        bool accept = Key == VK_RETURN;
        TAxisBarEh* bar = GetAxisBar();
        if (accept && FDataList && FActiveList == FDataList && bar && bar->OnNotInList) {
            TDataSet* ds = nullptr;
            QString listField, keyFields;
            if (!(LookupListOf(bar, ds, listField, keyFields) &&
                  ds->Locate(listField, Variant(Text()), TLocateOptions{loCaseInsensitive})))
                accept = false;
        }
        CloseUp(accept);
        Key = 0;
        return true;
    }
    if (Key == VK_RETURN && Shift == TShiftState{ssCtrl} && !FListVisible) {
        DropDown();
        Key = 0;
        return true;
    }
    if ((Key == VK_UP || Key == VK_DOWN) && alt) {
        if (FListVisible)
            CloseUp(true);
        else
            DropDown();
        Key = 0;
        return true;
    }
    return false;
}

void TDBAxisGridInplaceEdit::WndProc(TMessage& Message)
{
    TAxisBarEh* bar = GetAxisBar();
    const UINT msg = Message.Msg;
    const bool numericField = bar && dynamic_cast<TNumericField*>(bar->Field());
    const bool listRouting =
        IsListEditStyle(FEditStyle) || (IsDropDownEditStyle(FEditStyle) && numericField);
    if (listRouting && (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN || msg == WM_CHAR)) {
        Word key = Word(Message.WParam);
        const TShiftState shift = GetShiftState();
        if (msg != WM_CHAR && DoDropDownKeys(key, shift))
            return;
        if (msg == WM_CHAR && key >= 32 && !FListVisible && bar && bar->AutoDropDown())
            DropDown();
        if (FListVisible && FActiveList) {
            if (FActiveList == FPopupCalculator) {
                if ((msg == WM_CHAR && ((key >= 32 && key <= 126) || key == 8 || key == 13 || key == 27))) {
                    FActiveList->Perform(msg, Message.WParam, Message.LParam);
                    return;
                }
            } else if (msg == WM_KEYDOWN) {
                const bool ctrl = shift.Contains(ssCtrl);
                const bool routed = ((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) &&
                                     !shift.Contains(ssShift)) ||
                                    ((key == VK_END || key == VK_HOME) && ctrl) ||
                                    (IsCalendarEditStyle(FEditStyle) && (key == VK_LEFT || key == VK_RIGHT));
                if (routed) {
                    FActiveList->Perform(msg, Message.WParam, Message.LParam);
                    if (IsPickListEditStyle(FEditStyle) && FPickList && FActiveList == FPickList) {
                        const int i = FPickList->ItemIndex();
                        if (i >= 0 && i < FPickList->Items()->Count() && FPickList->Items()->Strings(i) != Text()) {
                            TCustomMaskEdit::SetEditText(FPickList->Items()->Strings(i));
                            SelectAll();
                        }
                    }
                    return;
                }
            }
        }
    }
    if (FMRUList && FMRUList->DroppedDown() && FMRUListControl) {
        const Word key = Word(Message.WParam);
        const TShiftState shift = GetShiftState();
        if (msg == WM_KEYDOWN &&
            (((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) &&
              !(IsListEditStyle(FEditStyle) && shift.Contains(ssAlt))) ||
             ((key == VK_END || key == VK_HOME) && shift.Contains(ssCtrl)))) {
            FMRUListControl->Perform(msg, Message.WParam, Message.LParam);
            return;
        }
        if (msg == WM_CHAR && (key == 13 || key == 27)) {
            CloseMRUList(key == 13);
            return;
        }
        // Enter and Escape belong to the open list, not to the grid's navigation.
        if (msg == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE) && shift.Empty()) {
            CloseMRUList(key == VK_RETURN);
            TMsg m;
            PeekMessage(m, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
            return;
        }
    }
    // Presses beside the text (on the image or the margins) do not move the caret.
    if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN) &&
        !MouseCapture() && !InTextRectX(GET_X_LPARAM(Message.LParam)))
        return;
    TInplaceEdit::WndProc(Message);
    // The edit's change notice reaches the grid as the command of its child window.
    if (msg == CN_COMMAND && HIWORD(Message.WParam) == EN_CHANGE && FGrid)
        FGrid->Perform(WM_COMMAND, Message.WParam, LPARAM(Handle()));
    if (FUserTextChanged) {
        FUserTextChanged = false;
        if (FMRUList && FMRUList->DroppedDown() && Text() == (IsMasked() ? BlankText() : QString())) {
            CloseMRUList(false);
        } else if (FMRUList && FMRUList->Active() && Visible() && !FListVisible &&
                   Text() != (IsMasked() ? BlankText() : QString())) {
            ShowMRUList();
        }
    }
}

void TDBAxisGridInplaceEdit::DefaultHandler(TMessage& Message) { TInplaceEdit::DefaultHandler(Message); }

bool TDBAxisGridInplaceEdit::InTextRectX(int X)
{
    TRect r;
    Perform(EM_GETRECT, 0, LPARAM(&r));
    return X >= r.Left && X < r.Right;
}

void TDBAxisGridInplaceEdit::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    if (!grid || !bar) {
        TInplaceEdit::KeyDown(Key, Shift);
        return;
    }
    const TAxisBarEhType type = bar->GetBarType();
    const bool lookupBar = type == ctLookupField || type == ctDataList;
    const bool keyPickBar = type == ctKeyPickList;
    const bool limited = bar->LimitTextToListValues();

    // a. Ctrl+Enter on an ellipsis or drop-down cell is the button's click.
    if ((FEditStyle == esEllipsis || FEditStyle == esDropDown) && Key == VK_RETURN && Shift == TShiftState{ssCtrl}) {
        TMsg m;
        PeekMessage(m, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
        grid->EditButtonClick();
        Key = 0;
        return;
    }
    // b. Delete on a list-bound cell.
    if (Key == VK_DELETE && Shift.Empty() && (lookupBar || keyPickBar || (type == ctPickList && limited)) &&
        bar->CanModify(false)) {
        const bool whole = SelFrom(this) == 0 && SelTo(this) == int(Text().size());
        if (whole && bar->CanModify(true)) {
            if (IsLookupEditStyle(FEditStyle)) {
                if (FieldsArrayCanModify(bar->LookupParams()->GetKeyFields()) || type == ctDataList) {
                    StartDataEdit();
                    grid->SetEditKeyValue(Variant::Null());
                    grid->SetEditText(grid->Col(), grid->Row(), QString());
                    TCustomMaskEdit::SetEditText(QString());
                    if (FListVisible && bar->DropDownBox()->ListSourceAutoFilter())
                        ApplyListAutoFilter(QString());
                }
            } else if (IsPickListEditStyle(FEditStyle) && keyPickBar) {
                TCustomMaskEdit::SetEditText(QString());
                grid->SetEditText(grid->Col(), grid->Row(), QString());
            }
            Key = 0;
            return;
        }
        if (bar->OnNotInList && !whole) {
            if (bar->CanModify(true)) {
                const int from = SelFrom(this), to = SelTo(this);
                const QString t = Text().left(from) + Text().mid(to);
                TCustomMaskEdit::SetEditText(t);
                SetSelStart(from);
                SetSelLength(0);
                SyncEditKeyValue();
            }
            TInplaceEdit::KeyDown(Key, Shift);
            return;
        }
        Key = 0;
        return;
    }
    // c. Backspace on a list-bound cell.
    if (Key == VK_BACK && (type == ctPickList || lookupBar || keyPickBar)) {
        if (limited) {
            Key = VK_LEFT;
            TInplaceEdit::KeyDown(Key, Shift);
            return;
        }
        if ((lookupBar || keyPickBar) && bar->CanModify(true)) {
            StartDataEdit();
            int from = SelFrom(this);
            const int to = SelTo(this);
            QString t = Text().left(from) + Text().mid(to);
            if (from == to && from > 0) {
                --from;
                t = Text().left(from) + Text().mid(to);
            }
            TCustomMaskEdit::SetEditText(t);
            SetSelStart(from);
            SetSelLength(0);
            SyncEditKeyValue();
            FBackspaceDone = true;
            Key = 0;
            return;
        }
    }
    // d. Up and Down move between the lines of a wrapped text.
    if (FWordWrap && (Key == VK_UP || Key == VK_DOWN) && Shift.Empty()) {
        const bool whole = SelFrom(this) == 0 && SelTo(this) == int(Text().size());
        const int line = LineFromChar(CaretPos());
        const int lines = int(Perform(EM_GETLINECOUNT, 0, 0));
        const bool edge = (Key == VK_UP && line == 0) || (Key == VK_DOWN && line >= lines - 1);
        if (!(grid->Options().Contains(goAlwaysShowEditorEh) && (edge || whole))) {
            TCustomMaskEdit::KeyDown(Key, Shift);
            Key = 0;
            return;
        }
    }
    // e. The special row's shortcut in a lookup cell.
    if (IsLookupEditStyle(FEditStyle) && bar->DropDownSpecRow()->Visible() &&
        ShortCutOfKeyEh(Key, Shift) == bar->DropDownSpecRow()->ShortCut() && bar->DropDownSpecRow()->ShortCut() != 0 &&
        bar->CanModify(false)) {
        if (bar->CanModify(true)) {
            const QString t = bar->DropDownSpecRow()->GetCellText(0);
            TCustomMaskEdit::SetEditText(t);
            grid->SetEditText(grid->Col(), grid->Row(), t);
            grid->SetEditKeyValue(bar->DropDownSpecRow()->Value());
            SelectAll();
        }
        Key = 0;
        return;
    }
    // f. An extra button's shortcut clicks it.
    const TShortCut sc = ShortCutOfKeyEh(Key, Shift);
    for (int i = 0; i < bar->EditButtons()->Count(); ++i) {
        TEditButtonEh* b = bar->EditButtons()->Items(i);
        if (b->ShortCut() == 0 || b->ShortCut() != sc || i + 1 >= FButtonsBox->ButtonsCount())
            continue;
        TEditButtonControlEh* control = FButtonsBox->BtnCtlList()[size_t(i + 1)].EditButtonControl;
        if (control && control->Visible()) {
            bool autoRepeat = false;
            control->EditButtonDown(true, autoRepeat);
            ButtonsBoxClick(control);
            Key = 0;
            return;
        }
    }
    TInplaceEdit::KeyDown(Key, Shift);
}

void TDBAxisGridInplaceEdit::KeyPress(QChar& Key)
{
    TAxisBarEh* bar = GetAxisBar();
    if (bar && dynamic_cast<TNumericField*>(bar->Field()) && (Key == u'.' || Key == u','))
        Key = FormatSettings.DecimalSeparator;
    if (FBackspaceDone && Key == QChar(8)) {
        // Backspace already did its work on key-down.
        FBackspaceDone = false;
        Key = QChar(0);
        return;
    }
    FBackspaceDone = false;
    FCharKeyStr = QString(Key);
    if (Key.isHighSurrogate()) {
        TMsg m;
        if (PeekMessage(m, Handle(), WM_CHAR, WM_CHAR, PM_NOREMOVE)) {
            FCharKeyStr += QChar(char16_t(m.wParam));
            PeekMessage(m, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
        }
    }
    if (!Key.isNull()) {
        ProcessCharKeyStr(FCharKeyStr);
        if (FCharKeyStr.isEmpty()) {
            Key = QChar(0);
            return;
        }
    }
    if (Key == QChar(10) && !FWordWrap && GetShiftState() == TShiftState{ssCtrl}) {
        Key = QChar(0);
        return;
    }
    // Backspace in an empty cell calls up the recently used texts.
    const bool wasEmpty = Text().isEmpty();
    TInplaceEdit::KeyPress(Key);
    if (Key == QChar(8) && wasEmpty && Text().isEmpty() && FMRUList && FMRUList->Active() && Visible() &&
        !FListVisible)
        ShowMRUList();
}

void TDBAxisGridInplaceEdit::KeyUp(Word& Key, TShiftState Shift)
{
    TInplaceEdit::KeyUp(Key, Shift);
    if (IsLookupEditStyle(FEditStyle) && FListVisible && FDataList && Key == VK_CONTROL)
        FDataList->Perform(WM_KEYUP, Key, 0);
}

// ---------------------------------------------------------------- clipboard

void TDBAxisGridInplaceEdit::WMPaste(TMessage& M)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    if (!grid || !bar || !grid->DataEditAllowed() || !bar->CanModify(false))
        return;
    const TAxisBarEhType type = bar->GetBarType();
    const bool limited = bar->LimitTextToListValues();
    const bool lookupBar = type == ctLookupField || type == ctDataList;
    const bool plain = !lookupBar && type != ctKeyPickList && !((type == ctPickList || type == ctDataList) && limited);
    const int from = SelFrom(this), to = SelTo(this);
    const QString prefix = Text().left(from), tail = Text().mid(to);
    if (plain) {
        if (!grid->CanEditModify() || !(Clipboard()->HasFormat(CF_TEXT) || Clipboard()->HasFormat(CF_UNICODETEXT))) {
            TInplaceEdit::WMPaste(M);
            return;
        }
        QString inserted = bar->GetAcceptableEditText(Clipboard()->AsText());
        if (MaxLength() > 0)
            inserted = inserted.left(std::max(0, MaxLength() - int(prefix.size() + tail.size())));
        const QString t = prefix + inserted + tail;
        StartDataEdit();
        TCustomMaskEdit::SetEditText(t);
        SetSelStart(int(prefix.size() + inserted.size()));
        SetSelLength(0);
        grid->SetEditText(grid->Col(), grid->Row(), t);
        Perform(EM_SCROLLCARET, 0, 0);
        UpdateImageIndex();
        return;
    }
    if (!Clipboard()->HasFormat(CF_TEXT))
        return;
    const QString typed = prefix + Clipboard()->AsText() + tail;
    TDataSet* ds = nullptr;
    QString listField, keyFields;
    if (lookupBar && LookupListOf(bar, ds, listField, keyFields)) {
        QString text;
        Variant key;
        if (LocateLookupText(typed, text, key)) {
            StartDataEdit();
            ShowAcceptedText(text, int(typed.size()), key, true);
        } else if (!limited) {
            StartDataEdit();
            ShowAcceptedText(typed, int(typed.size()), Variant::Null(), true);
        }
        return;
    }
    const int index = bar->LocatePickList(typed, true);
    if (index >= 0 && grid->CanEditModifyData()) {
        StartDataEdit();
        ShowAcceptedText(bar->PickList()->Strings(index), std::min(int(typed.size()), int(bar->PickList()->Strings(index).size())),
                         Variant(), false);
        ShowPickListIndex(index);
    } else if (index < 0 && !limited) {
        StartDataEdit();
        ShowAcceptedText(typed, int(typed.size()), Variant::Null(), true);
        ShowPickListIndex(-1);
    }
}

void TDBAxisGridInplaceEdit::WMCut(TMessage& M)
{
    if (IsLimitedToList() && !(SelFrom(this) == 0 && SelTo(this) == int(Text().size())))
        return;
    TInplaceEdit::WMCut(M);
}

void TDBAxisGridInplaceEdit::WMClear(TMessage& M)
{
    if (IsLimitedToList() && !(SelFrom(this) == 0 && SelTo(this) == int(Text().size())))
        return;
    TInplaceEdit::WMClear(M);
}

// ---------------------------------------------------------------- mouse and focus

void TDBAxisGridInplaceEdit::WMSetCursor(TMessage& M)
{
    TPoint p;
    GetCursorPos(p);
    p = ScreenToClient(p);
    if (InTextRectX(p.X)) {
        TInplaceEdit::WMSetCursor(M);
        return;
    }
    ShowWindowCursor(crArrow);
    M.Result = 1;
}

bool TDBAxisGridInplaceEdit::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (FListVisible)
        return true;
    return TInplaceEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
}

bool TDBAxisGridInplaceEdit::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (FListVisible)
        return true;
    return TInplaceEdit::DoMouseWheelDown(Shift, MousePos);
}

bool TDBAxisGridInplaceEdit::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (FListVisible)
        return true;
    return TInplaceEdit::DoMouseWheelUp(Shift, MousePos);
}

void TDBAxisGridInplaceEdit::WMSetFocus(TMessage& M)
{
    if (TCustomDBAxisGridEh* grid = GetGrid())
        grid->SelectionActiveChanged();
    TInplaceEdit::WMSetFocus(M);
}

void TDBAxisGridInplaceEdit::WMKillFocus(TMessage& M)
{
    if (TCustomDBAxisGridEh* grid = GetGrid())
        grid->SelectionActiveChanged();
    TInplaceEdit::WMKillFocus(M);
    auto* to = FindControl(HWND(M.WParam));
    if (FListVisible && !(FActiveList && to && (to == FActiveList || FActiveList->ContainsControl(to))))
        CloseUp(false);
    if (FMRUList && FMRUList->DroppedDown() && !(to && to == FMRUListControl))
        CloseMRUList(false);
}

void TDBAxisGridInplaceEdit::CMCancelMode(TMessage& M)
{
    auto* sender = reinterpret_cast<TControl*>(M.LParam);
    if (sender == this || (sender && ContainsControl(sender)))
        return;
    if (FListVisible && !(FActiveList && sender && (sender == FActiveList || FActiveList->ContainsControl(sender))))
        CloseUp(false);
    if (FMRUList && FMRUList->DroppedDown() &&
        !(FMRUListControl && sender && (sender == FMRUListControl || FMRUListControl->ContainsControl(sender))))
        CloseMRUList(false);
}

void TDBAxisGridInplaceEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TInplaceEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataList && AComponent == FDataList) {
        FDataList = nullptr;
        if (FActiveList == AComponent)
            FActiveList = nullptr;
        if (!ComponentState().Contains(csDestroying))
            SetEditStyle(esSimple);
    }
}
