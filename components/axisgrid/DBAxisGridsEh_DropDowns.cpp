// The drop-downs of the axis grid's in-place editor: which list belongs to the cell's edit
// style, opening it under the cell and closing it with or without its value, the list of
// recently used texts, and the drop-down forms that a cell's buttons open.
#include "DBAxisGridsEh.h"
#include "DBAxisGridsEh_DropDowns.h"

#include "components/editors/CalculatorEh.h"
#include "components/editors/DBCtrlsEh_ButtonsBox.h"
#include "components/editors/MemoEditFormsEh.h"
#include "components/foundation/DropDownFormEh.h"
#include "components/foundation/core/DynVarsEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"

#include <algorithm>
#include <memory>

DOV_PUBLISHED(TAxisGridDropDownFormSysParams) {}

namespace {

// The lookup styles proper; the data-list styles take key and list fields from the drop-down box.
bool IsLookupListStyle(TEditStyle Style)
{
    return Style == esLookupDataList || Style == esAltLookupDataList;
}

IAxisBarDataListEh* DataListOf(TControl* List)
{
    return dynamic_cast<IAxisBarDataListEh*>(List);
}

// A control or one of its children.
bool IsControlOrChild(TControl* Control, TWinControl* Of)
{
    return Control && Of && (Control == Of || Of->ContainsControl(Control));
}

// The window that holds the mouse ends its drag before a list goes away.
void CancelMouseCapture()
{
    if (HWND capture = GetCapture())
        if (TWinControl* holder = FindControl(capture))
            holder->Perform(WM_CANCELMODE, 0, 0);
}

bool IsNumberVariant(const Variant& V)
{
    switch (V.VarType()) {
    case varSmallint:
    case varInteger:
    case varSingle:
    case varDouble:
    case varCurrency: return true;
    default: return false;
    }
}

}  // namespace

// ============================================================================================
// The active list
// ============================================================================================

void TDBAxisGridInplaceEdit::InitActiveList()
{
    TAxisBarEh* bar = GetAxisBar();
    FActiveList = nullptr;
    if (IsPickListEditStyle(FEditStyle)) {
        if (!FPickList) {
            FPickList = Create<TPopupListboxEh>(this);
            FPickList->SetVisible(false);
            FPickList->SetParentWindow(nullptr);
            FPickList->OnMouseUp = TMouseEvent(this, &TDBAxisGridInplaceEdit::PickListMouseUp);
            FPickList->OnGetImageIndex =
                TListGetImageIndexEventEh(this, &TDBAxisGridInplaceEdit::PickListGetImageIndex);
            FPickList->SetItemHeight(FPickList->GetTextHeight());
            FPickList->SetCtl3D(true);
        }
        FPickList->SetImageList(bar ? bar->ImageList() : nullptr);
        FActiveList = FPickList;
    } else if (IsLookupEditStyle(FEditStyle)) {
        ILookupListGridEh* lookupList = bar ? bar->DataList() : nullptr;
        TCustomControl* list = lookupList ? lookupList->ListControl() : nullptr;
        if (list && list != FDataList) {
            list->SetVisible(false);
            list->SetParentWindow(nullptr);
            if (IAxisBarDataListEh* dl = DataListOf(list)) {
                dl->SetCtl3D(true);
                dl->SetParentCtl3D(false);
                dl->SetOnMouseCloseUp(TDataListMouseCloseUpEventEh(this, &TDBAxisGridInplaceEdit::DataListMouseCloseUp));
                if (TCustomDBAxisGridEh* grid = GetGrid())
                    dl->SetOnDrawMemoText(grid->DrawMemoText());
            }
            list->FreeNotification(this);
            FDataList = list;
        }
        FActiveList = list;
    } else if (IsCalendarEditStyle(FEditStyle)) {
        if (!FPopupMonthCalendar) {
            FPopupMonthCalendar = Create<TPopupMonthCalendarEh>(this);
            FPopupMonthCalendar->SetVisible(false);
            FPopupMonthCalendar->SetParentWindow(nullptr);
            FPopupMonthCalendar->SetParentFont(false);
        }
        FActiveList = FPopupMonthCalendar;
    } else if (IsDropDownEditStyle(FEditStyle) && bar && dynamic_cast<TNumericField*>(bar->Field())) {
        FActiveList = GetPopupCalculator();
    }
}

TWinControl* TDBAxisGridInplaceEdit::GetPopupCalculator()
{
    if (!FPopupCalculator) {
        auto* calc = Create<TPopupCalculatorEh>(this);
        calc->SetVisible(false);
        calc->SetParentWindow(nullptr);
        FPopupCalculator = calc;
        if (HandleAllocated())
            calc->HandleNeeded();
    }
    return FPopupCalculator;
}

// ============================================================================================
// Opening
// ============================================================================================

bool TDBAxisGridInplaceEdit::PrepareDataList()
{
    TAxisBarEh* bar = GetAxisBar();
    TCustomDBAxisGridEh* grid = GetGrid();
    IAxisBarDataListEh* dl = DataListOf(FDataList);
    // The list dataset: the drop-down box's list source, else the lookup's list.
    TDataSource* listSource = bar ? bar->DropDownBox()->ListSource() : nullptr;
    TDataSet* lookupSet = listSource && listSource->DataSet() ? listSource->DataSet()
                          : bar                              ? bar->LookupParams()->LookupDataSet()
                                                             : nullptr;
    if (!dl || !lookupSet)
        return false;
    FDataList->SetColor(Color());
    FDataList->SetFont(Font());
    bar->DataList()->SetSpecRow(bar->DropDownSpecRow());
    const int rows = bar->DropDownRows();
    const int records = lookupSet->IsSequenced() ? lookupSet->RecordCount() : 0;
    dl->SetRowCount(records > 0 && records < rows ? records : rows);
    dl->SetShowTitles(bar->DropDownShowTitles());
    FLookupSource->SetDataSet(lookupSet);
    if (IsLookupListStyle(FEditStyle)) {
        dl->SetKeyField(bar->LookupParams()->LookupKeyFieldNames());
        dl->SetListFieldIndex(0);
        bar->DataList()->SetListFieldName(bar->LookupDisplayFields());
    } else {
        const QString keyField = bar->GetDropDownBoxListField();
        dl->SetKeyField(keyField);
        dl->SetListFieldIndex(0);
        const QString listFields = bar->DropDownBox()->ListFieldNames();
        bar->DataList()->SetListFieldName(listFields.isEmpty() ? keyField : listFields);
    }
    dl->SetAutoFitColWidths(false);
    dl->SetUseMultiTitle(bar->DropDownBox()->UseMultiTitle());
    dl->SetListSource(FLookupSource);
    if (bar->DropDownWidth() == -1)
        FDataList->SetClientWidth(dl->GetColumnsWidthToFit());
    else if (bar->DropDownWidth() < 1)
        FDataList->SetWidth(Width());
    else
        FDataList->SetWidth(bar->DropDownWidth());
    if (FDataList->Width() < Width())
        FDataList->SetWidth(Width());
    dl->SetKeyValue(grid->FEditKeyValue);
    FListColumnMothed = false;
    dl->SetOnColumnMoved(TDataListColumnMovedEventEh(this, &TDBAxisGridInplaceEdit::DataListColumnMoved));
    dl->SetSortMarkerStyle(int(grid->GetSortMarkerStyle()));
    return true;
}

void TDBAxisGridInplaceEdit::PrepareCalendar()
{
    TAxisBarEh* bar = GetAxisBar();
    TDateTime day = Date();
    const QString text = Text();
    if (!text.trimmed().isEmpty()) {
        TDateTime read;
        if (TryStrToDateTime(text, read))
            day = read;
        else if (TField* f = bar ? bar->Field() : nullptr; f && !f->IsNull() && f->AsDateTime() != 0)
            day = f->AsDateTime();
    }
    FPopupMonthCalendar->SetDate(DateOf(day));
    FPopupMonthCalendar->HandleNeeded();
    const TRect r = FPopupMonthCalendar->MinReqRect();
    FPopupMonthCalendar->SetBounds(FPopupMonthCalendar->Left(), FPopupMonthCalendar->Top(), r.Width(), r.Height());
}

void TDBAxisGridInplaceEdit::PrepareCalculator()
{
    auto* calc = dynamic_cast<IPopupCalculatorEh*>(FPopupCalculator);
    if (!calc)
        return;
    const QString text = Text();
    // A text that is no number raises the reading's conversion error here.
    calc->SetValue(text.isEmpty() ? Variant(0) : Variant(StrToFloat(text)));
    if (TCustomDBAxisGridEh* grid = GetGrid())
        calc->SetFlat(grid->Flat());
    // The calculator takes the keys; a blinking caret in the cell would say otherwise.
    if (HandleAllocated())
        HideCaret(Handle());
    SetSelLength(0);
}

void TDBAxisGridInplaceEdit::PreparePickList()
{
    TAxisBarEh* bar = GetAxisBar();
    TCustomDBAxisGridEh* grid = GetGrid();
    FPickList->SetColor(Color());
    FPickList->SetFont(Font());
    FPickList->SetItemHeight(FPickList->GetTextHeight());
    TStrings* pick = bar->PickList();
    TStrings* keys = bar->KeyList();
    TStrings* items = FPickList->Items();
    if (keys->Count() > 0) {
        // Items without a key cannot be chosen.
        items->BeginUpdate();
        auto done = Finally([&] { items->EndUpdate(); });
        items->Clear();
        const int n = std::min(pick->Count(), keys->Count());
        for (int i = 0; i < n; ++i)
            items->AddObject(pick->Strings(i), pick->Objects(i));
    } else {
        items->Assign(pick);
    }
    const int shown = std::min(items->Count(), int(bar->DropDownRows()));
    FPickList->SetHeight(shown * FPickList->ItemHeight() + FPickList->GetBorderSize());
    if (bar->DropDownWidth() > 0)
        FPickList->SetWidth(bar->DropDownWidth());
    TField* field = bar->Field();
    if (field && field->IsNull())
        FPickList->SetItemIndex(-1);
    else if (keys->Count() > 0)
        FPickList->SetItemIndex(pick->IndexOf(Text()));
    else
        FPickList->SetItemIndex(items->IndexOf(Text()));
    TCanvas* measure = MeasureCanvasEh(FPickList->Font());
    int widest = 0;
    for (int i = 0; i < items->Count(); ++i)
        widest = std::max(widest, measure->TextWidth(items->Strings(i)));
    // The margin goes on the text only: a list opened again at its saved width keeps it.
    FPickList->SetClientWidth(std::max(FPickList->ClientWidth(), widest + 4));
    (void)grid;
}

void TDBAxisGridInplaceEdit::DropDown()
{
    if (FListVisible || !FActiveList)
        return;
    FActiveList->SetWidth(Width());
    if (FActiveList == FDataList) {
        if (!PrepareDataList())
            return;
    } else if (FActiveList == FPopupMonthCalendar) {
        PrepareCalendar();
    } else if (FActiveList == FPopupCalculator) {
        PrepareCalculator();
    } else if (FActiveList == FPickList) {
        PreparePickList();
    }
    if (FMRUList && FMRUList->DroppedDown())
        CloseMRUList(false);
    TPoint pos;
    PlaceDropDownUnderControl(this, FActiveList, UseRightToLeftAlignment() ? taRightJustify : taLeftJustify, pos);
    TAxisBarEh* bar = GetAxisBar();
    if (IAxisBarDataListEh* dl = FActiveList == FDataList ? DataListOf(FDataList) : nullptr) {
        FDataList->SetBounds(pos.X, pos.Y, FDataList->Width(), FDataList->Height());
        dl->SetSizeGripAlwaysShow(bar->DropDownSizing());
        dl->SetAutoFitColWidths(false);
        FDataList->SetVisible(true);
        dl->SetAutoFitColWidths(true);
        dl->SetSizeGripResized(false);
    } else {
        FActiveList->SetBounds(pos.X, pos.Y, FActiveList->Width(), FActiveList->Height());
        FActiveList->SetVisible(true);
        if (FActiveList == FPickList) {
            FPickList->SetSizeGripAlwaysShow(bar->DropDownSizing());
            FPickList->SetSizeGripResized(false);
        }
    }
    FListVisible = true;
    Invalidate();
    SetFocus();
    const int first = FirstVisibleButtonIndex();
    if (first >= 0)
        FButtonsBox->BtnCtlLine(first).EditButtonControl->SetAlwaysDown(true);
    FDroppedDown = true;
}

// ============================================================================================
// Closing
// ============================================================================================

void TDBAxisGridInplaceEdit::CloseUp(bool Accept)
{
    TCustomDBAxisGridEh* grid = GetGrid();
    TAxisBarEh* bar = GetAxisBar();
    if (!grid || !bar || grid->SelectedIndex() < 0 || !FListVisible)
        return;
    if (HWND focus = GetFocus(); focus && IsControlOrChild(FindControl(focus), FActiveList))
        SetFocus();
    const int first = FirstVisibleButtonIndex();
    if (first >= 0)
        FButtonsBox->BtnCtlLine(first).EditButtonControl->SetAlwaysDown(false);
    if (FLockCloseList)
        return;
    CancelMouseCapture();

    Variant value = Variant::Null();
    bool located = false;
    IAxisBarDataListEh* dl = FActiveList == FDataList ? DataListOf(FDataList) : nullptr;
    QString selectedItem;
    if (dl) {
        value = dl->KeyValue();
        located = dl->LocateKey() || (dl->SpecRow() && dl->SpecRow()->Selected());
        selectedItem = dl->SelectedItem();
        // What the user gave the list with its grip and its column order opens it next time.
        if (dl->SizeGripResized()) {
            bar->SetDropDownRows(dl->RowCount());
            bar->SetDropDownWidth(FDataList->Width());
        }
        if (FListColumnMothed && dl->SpecRow())
            bar->DropDownSpecRow()->SetCellsText(dl->SpecRow()->CellsText());
    } else if (FActiveList == FPickList) {
        const int index = FPickList->ItemIndex();
        if (index >= 0) {
            TStrings* keys = bar->KeyList();
            value = keys->Count() > 0 ? Variant(keys->Strings(index)) : Variant(FPickList->Items()->Strings(index));
        }
        if (FPickList->SizeGripResized()) {
            bar->SetDropDownRows(FPickList->ClientHeight() / std::max(1, FPickList->ItemHeight()));
            bar->SetDropDownWidth(FPickList->Width());
        }
    }

    FActiveList->SetVisible(false);
    FDroppedDown = false;
    FListVisible = false;
    if (dl) {
        dl->SetAutoFitColWidths(false);
        dl->SetListSource(nullptr);
    }
    FLookupSource->SetDataSet(nullptr);
    Invalidate();
    if (HandleAllocated())
        ShowCaret(Handle());

    auto resetAutoFilter = [&] {
        TDataSource* listSource = bar->DropDownBox()->ListSource();
        if (bar->DropDownBox()->ListSourceAutoFilter() && listSource && listSource->DataSet())
            ApplyListAutoFilter(QString());
    };
    if (Accept) {
        if (dl) {
            TDataSet* ds = grid->DataLink()->DataSet();
            bool keysModifiable = ds != nullptr;
            if (ds) {
                std::vector<TField*> keyFields;
                ds->GetFieldList(keyFields, bar->LookupParams()->KeyFieldNames());
                for (TField* f : keyFields)
                    keysModifiable = keysModifiable && f->CanModify();
            }
            auto filterBack = Finally(resetAutoFilter);
            if (keysModifiable && grid->CanEditModifyData() && bar->CanModify(true)) {
                try {
                    ds->Edit();
                    if (grid->DataLink()->Editing()) {
                        grid->DataLink()->Modified();
                        grid->FEditKeyValue = value;
                        if (located)
                            grid->FEditText = selectedItem;
                    }
                } catch (Exception&) {
                    // The cell shows the field's own text again, marked as not taken.
                    TField* f = bar->Field();
                    SetText((f ? f->Text() : QString()) + QLatin1Char(' '));
                    throw;
                }
                if (located)
                    SetText(selectedItem);
                SelectAll();
                grid->UpdateData();
            }
        } else if (FActiveList == FPopupMonthCalendar) {
            TField* f = bar->Field();
            if (f && bar->CanModify(true) && grid->CanEditModifyData()) {
                f->DataSet()->Edit();
                // The chosen day keeps the time of day the field holds.
                TDateTime timeOfDay = 0;
                if (!f->IsNull())
                    timeOfDay = TimeOf(f->AsDateTime());
                else if (!TryStrToTime(f->Text(), timeOfDay))
                    timeOfDay = 0;
                TDateTime day = DateOf(FPopupMonthCalendar->Date());
                day = day < 0 ? day - timeOfDay : day + timeOfDay;
                bar->UpdateDataValues(DateToStr(DateOf(day)), Variant::FromDate(day), false);
            }
        } else if (FActiveList == FPopupCalculator) {
            auto* calc = dynamic_cast<IPopupCalculatorEh*>(FPopupCalculator);
            const Variant v = calc ? calc->GetValue() : Variant();
            if (bar->CanModify(true) && grid->CanEditModifyData() && IsNumberVariant(v)) {
                SetText(FloatToStr(v.AsDouble()));
                grid->FEditText = Text();
                SelectAll();
                grid->UpdateData();
            }
        } else if (FActiveList == FPickList) {
            if (!value.IsNull() && grid->CanEditModifyData()) {
                const int index = FPickList->ItemIndex();
                if (bar->KeyList()->Count() > 0) {
                    if (index >= 0) {
                        SetText(FPickList->Items()->Strings(index));
                        grid->FEditText = Text();
                        UpdateImageIndex();
                        grid->UpdateData();
                    }
                } else {
                    SetText(value.AsString());
                    grid->FEditText = Text();
                    UpdateImageIndex();
                    grid->UpdateData();
                }
            }
        }
    } else if (dl) {
        SetText(grid->FEditText);
        resetAutoFilter();
    } else if (FActiveList == FPickList) {
        SetText(grid->FEditText);
    }
    if (grid->Visible() && !(grid->ComponentState().Contains(csDestroying)) && grid->CanFocus())
        grid->SetFocus();
}

void TDBAxisGridInplaceEdit::PickListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button == mbLeft && FPickList)
        CloseUp(PtInRect(FPickList->ClientRect(), TPoint(X, Y)));
}

void TDBAxisGridInplaceEdit::PickListGetImageIndex(TObject*, int, int&) {}

void TDBAxisGridInplaceEdit::DataListMouseCloseUp(TObject*, bool Accept)
{
    CloseUp(Accept);
}

void TDBAxisGridInplaceEdit::DataListColumnMoved(TObject*, int, int)
{
    FListColumnMothed = true;
}

void TDBAxisGridInplaceEdit::ApplyListAutoFilter(const QString& Text)
{
    TAxisBarEh* bar = GetAxisBar();
    if (!bar)
        return;
    TColumnDropDownBoxEh* box = bar->DropDownBox();
    TDataSource* listSource = box->ListSource();
    IAxisBarDataListEh* dl = DataListOf(FDataList);
    const QString fieldName = dl ? dl->ListFieldName(dl->ListFieldIndex()) : QString();
    bar->DropDownBoxApplyTextFilter(listSource ? listSource->DataSet() : nullptr, fieldName, Text,
                                    box->ListSourceAutoFilterType());
    if (dl && box->ListSourceAutoFilterType() == lsftContainsEh)
        dl->ResetHighlightSubstr(Text);
}

// ============================================================================================
// The list of recently used texts
// ============================================================================================

void TDBAxisGridInplaceEdit::CreateMRUListControl()
{
    auto* box = Create<TMRUListboxEh>(this);
    box->SetVisible(false);
    box->SetCtl3D(false);
    box->SetParentWindow(nullptr);
    box->SetSorted(true);
    box->OnMouseUp = TMouseEvent(this, &TDBAxisGridInplaceEdit::MRUListMouseUp);
    FMRUListControl = box;
}

TWinControl* TDBAxisGridInplaceEdit::GetMRUListControl()
{
    if (!FMRUListControl)
        CreateMRUListControl();
    return FMRUListControl;
}

TRect TDBAxisGridInplaceEdit::EditTextScreenRect()
{
    TRect r;
    GetEditTextRect(r);
    const TPoint topLeft = ClientToScreen(TPoint(r.Left, r.Top));
    return Bounds(topLeft.X, topLeft.Y, r.Width(), r.Height());
}

void TDBAxisGridInplaceEdit::PlaceMRUList(TWinControl* Box)
{
    TPoint pos;
    PlaceDropDownInWorkArea(EditTextScreenRect(), Box, taLeftJustify, pos);
    Box->SetBounds(pos.X, pos.Y, Box->Width(), Box->Height());
    Box->SetVisible(true);
}

void TDBAxisGridInplaceEdit::ShowMRUList()
{
    if (!FMRUList)
        return;
    auto* box = static_cast<TMRUListboxEh*>(GetMRUListControl());
    TStrings* items = box->Items();
    if (!FMRUList->FilterItemsTo(items, Text()))
        FMRUList->CloseUp(false);
    const int rows = FMRUList->Rows();
    if (FMRUList->DroppedDown()) {
        if (items->Count() == 0) {
            CloseMRUList(false);
            return;
        }
        box->SetRowCount(std::min(items->Count(), rows));
        // Placed again under the text; what the user did with the grip stays.
        const bool resized = box->SizeGripResized();
        PlaceMRUList(box);
        box->SetSizeGripResized(resized);
        return;
    }
    if (items->Count() == 0 || FListVisible)
        return;
    box->SetColor(Color());
    box->SetFont(Font());
    box->SetItemHeight(box->GetTextHeight());
    box->SetItemIndex(-1);
    box->SetRowCount(std::min(items->Count(), rows));
    const int textWidth = EditTextScreenRect().Width();
    box->SetWidth(FMRUList->Width() > 0 && FMRUList->Width() > textWidth ? FMRUList->Width() : textWidth);
    PlaceMRUList(box);
    box->SetSizeGripAlwaysShow(true);
    FMRUList->SetDroppedDown(true);
    box->SetSizeGripResized(false);
}

void TDBAxisGridInplaceEdit::CloseMRUList(bool Accept)
{
    if (!FMRUList || !FMRUList->DroppedDown())
        return;
    CancelMouseCapture();
    auto* box = static_cast<TMRUListboxEh*>(GetMRUListControl());
    const bool hadFocus = box->Focused();
    box->SetVisible(false);
    if (hadFocus)
        SetFocus();
    FMRUList->SetDroppedDown(false);
    TCustomDBAxisGridEh* grid = GetGrid();
    if (Accept && !ReadOnly() && grid && grid->DataLink()->Edit()) {
        const int index = box->ItemIndex();
        if (index >= 0) {
            SetText(box->Items()->Strings(index));
            grid->FEditText = Text();
        }
        if (Focused())
            SelectAll();
    }
}

void TDBAxisGridInplaceEdit::MRUListMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button == mbLeft && FMRUListControl)
        CloseMRUList(PtInRect(FMRUListControl->ClientRect(), TPoint(X, Y)));
}

// ============================================================================================
// Drop-down forms
// ============================================================================================

TDropDownFormCallParamsEh* TDBAxisGridInplaceEdit::DropDownFormParamsOf(TEditButtonEh* EditButton)
{
    if (EditButton)
        return EditButton->DropDownFormParams();
    TAxisBarEh* bar = GetAxisBar();
    return bar ? bar->DropDownFormParams() : nullptr;
}

void TDBAxisGridInplaceEdit::ReleaseButtonControls()
{
    for (const TEditButtonControlLineRec& line : FButtonsBox->BtnCtlList())
        if (line.EditButtonControl)
            line.EditButtonControl->SetAlwaysDown(false);
}

void TDBAxisGridInplaceEdit::ShowDropDownForm(TEditButtonEh* EditButton, TEditButtonControlEh* ButtonControl,
                                              bool& Handled)
{
    TAxisBarEh* bar = GetAxisBar();
    TCustomDBAxisGridEh* grid = GetGrid();
    if (!bar || !grid)
        return;
    if (FButtonsBox->ButtonsCount() > 0) {
        TEditButtonControlEh* main = FButtonsBox->BtnCtlLine(0).EditButtonControl;
        if (main && main->AlwaysDown())
            return;
    }
    const LPARAM tag = EditButton ? LPARAM(EditButton) : LPARAM(bar);
    if (FFixedDownButton == 0 && HandleAllocated()) {
        TMsg msg;
        // The click that closed the form must not open it again.
        if (PeekMessage(msg, Handle(), WM_AXISGRIDFORMCLOSED_EH, WM_AXISGRIDFORMCLOSED_EH, PM_NOREMOVE) &&
            msg.wParam == WPARAM(Handle()) && msg.lParam == tag) {
            Handled = true;
            return;
        }
    }
    TDropDownFormCallParamsEh* params = DropDownFormParamsOf(EditButton);
    if (!params)
        return;
    bool freeOnClose = false;
    TCustomForm* form = params->FormOfSettings(this, freeOnClose);
    auto sysParams = CreateUnique<TAxisGridDropDownFormSysParams>();
    sysParams->SetAxisBar(bar);
    sysParams->SetEditButton(EditButton);
    TDropDownFormOpeningEh opening(this, ButtonControl, std::move(sysParams));
    opening.InitDynParams = [&](TDynVarsEh* DynParams) {
        params->FillDynParams(DynParams, grid->DataLink()->DataSet(), bar->FieldName(),
                              [this] { return Variant(Text()); });
    };
    opening.DataReadOnly = [&] {
        TField* f = bar->Field();
        return f && f->ReadOnly();
    };
    if (bar->OnOpenDropDownForm)
        opening.Opening = [&](TCustomForm*& Form, TDynVarsEh* DynParams) {
            bar->OnOpenDropDownForm(grid, bar, nullptr, Form, DynParams);
        };
    opening.Starting = [this] { FFixedDownButton = 0; };
    GetControlScreenRect(this, opening.Bounds);
    opening.Callback = TDropDownFormCallbackProcEh(this, &TDBAxisGridInplaceEdit::DropDownFormClosed);
    OpenDropDownFormEh(*params, form, freeOnClose, opening, Handled);
}

void TDBAxisGridInplaceEdit::DropDownFormClosed(TCustomForm* Form, bool Accept, TDynVarsEh* DynParams,
                                                TDropDownFormSysParams* SysParams)
{
    auto* sys = dynamic_cast<TAxisGridDropDownFormSysParams*>(SysParams);
    TAxisBarEh* bar = sys ? sys->AxisBar() : GetAxisBar();
    TEditButtonEh* button = sys ? sys->EditButton() : nullptr;
    TCustomDBAxisGridEh* grid = GetGrid();
    ReleaseButtonControls();
    auto finish = Finally([&] {
        delete DynParams;
        delete SysParams;
    });
    if (!bar || !grid)
        return;
    TDropDownFormCallParamsEh* params = button ? button->DropDownFormParams() : bar->DropDownFormParams();
    try {
        const bool writesBack = params->PassParams() == pspFieldValueEh ||
                                params->PassParams() == pspRecordValuesEh || !params->AssignBackFieldNames().isEmpty();
        TDataSet* ds = grid->DataLink()->DataSet();
        auto* ddForm = dynamic_cast<IDropDownFormEh*>(Form);
        TField* barField = bar->Field();
        // Read-only data takes nothing back, whatever the form returned.
        const bool readOnly = (ddForm && ddForm->GetReadOnly()) || !bar->CanModify(false);
        if (Accept && writesBack && ds && !readOnly) {
            bool startedEdit = false;
            if (ds->State() != dsEdit && ds->State() != dsInsert) {
                ds->Edit();
                startedEdit = true;
            }
            if (!params->AssignBackFieldNames().isEmpty()) {
                std::vector<TField*> fields;
                ds->GetFieldList(fields, params->AssignBackFieldNames());
                // A field the form returned nothing for keeps its value.
                for (TField* f : fields)
                    if (TDynVarEh* v = DynParams->FindDynVar(f->FieldName()); v && !f->ReadOnly())
                        f->SetValue(v->Value());
            } else if (barField) {
                if (TDynVarEh* v = DynParams->FindDynVar(barField->FieldName()))
                    barField->SetAsString(v->Value().IsNull() ? QString() : v->Value().AsString());
            }
            if (startedEdit)
                ds->Post();
        }
        Form->Hide();
        if (params->SaveFormSize())
            params->StoreFormSize(Form);
        if (bar->OnCloseDropDownForm)
            bar->OnCloseDropDownForm(grid, bar, nullptr, Accept, Form, DynParams);
        if (HandleAllocated())
            PostMessage(Handle(), WM_AXISGRIDFORMCLOSED_EH, WPARAM(Handle()),
                        button ? LPARAM(button) : LPARAM(bar));
    } catch (...) {
        ReportDropDownFormError(Form, this);
    }
}

void TDBAxisGridInplaceEdit::BarOpenDropDownForm(TControl*, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                                                 TDynVarsEh* DynParams)
{
    TAxisBarEh* bar = GetAxisBar();
    if (bar && bar->OnOpenDropDownForm)
        bar->OnOpenDropDownForm(GetGrid(), bar, Button, DropDownForm, DynParams);
}

void TDBAxisGridInplaceEdit::BarCloseDropDownForm(TControl*, TEditButtonEh* Button, bool Accept,
                                                  TCustomForm* DropDownForm, TDynVarsEh* DynParams)
{
    ReleaseButtonControls();
    TAxisBarEh* bar = GetAxisBar();
    if (bar && bar->OnCloseDropDownForm)
        bar->OnCloseDropDownForm(GetGrid(), bar, Button, Accept, DropDownForm, DynParams);
}

void TDBAxisGridInplaceEdit::SetVarValue(const Variant& Value)
{
    SetText(Value.IsNull() || Value.IsEmpty() ? QString() : Value.AsString());
    if (TAxisBarEh* bar = GetAxisBar())
        bar->SetValueAsText(Text());
}

void TDBAxisGridInplaceEdit::GetVarValue(Variant& Value)
{
    Value = Variant(Text());
}

void TDBAxisGridInplaceEdit::GetActualDropDownForm(TCustomForm*& Form, bool& FreeOnClose)
{
    Form = nullptr;
    TAxisBarEh* bar = GetAxisBar();
    TField* f = bar ? bar->Field() : nullptr;
    if (f && f->DataType() == ftGraphic)
        return;
    Form = TMemoEditWinEh::GetGlobalRef();
    if (Form)
        FreeOnClose = false;
}
