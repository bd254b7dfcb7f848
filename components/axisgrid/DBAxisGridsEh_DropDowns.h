// What the in-place editor of the axis grid needs of its drop-downs: the system parameters of a
// drop-down form opened from a cell, the notice that such a form has closed, and what the editor
// asks of a bar's drop-down data list (the list grid itself lives in a library above this one).
#pragma once

#include "components/foundation/ToolCtrlsEh_DropDowns.h"

class TAxisBarEh;
class TDataSource;
class TSpecRowEh;

// Travels with a drop-down form opened by the editor; made for each opening and freed by the
// close callback.
class TAxisGridDropDownFormSysParams : public TDropDownFormSysParams {
    DOV_PERSISTENT(TAxisGridDropDownFormSysParams, TDropDownFormSysParams)
public:
    TAxisGridDropDownFormSysParams() = default;
    TAxisBarEh* AxisBar() const { return FAxisBar; }
    void SetAxisBar(TAxisBarEh* Value) { FAxisBar = Value; }
    // nullptr for the bar's main button.
    TEditButtonEh* EditButton() const { return FEditButton; }
    void SetEditButton(TEditButtonEh* Value) { FEditButton = Value; }

    TAxisBarEh* FAxisBar = nullptr;
    TEditButtonEh* FEditButton = nullptr;
};

// Posted to the in-place editor when a drop-down form of its cell has closed: WParam is the
// editor's window, LParam the edit button (the bar for the main button). The same notice as edit
// controls get, a number no other message of the library uses.
inline constexpr UINT WM_AXISGRIDFORMCLOSED_EH = WM_DROPDOWNFORMCLOSED_EH;

class TCustomDBAxisGridEh;
class TDynVarsEh;
// The bar's drop-down form events (Grid, Column, Button, DropDownForm, DynParams).
using TDBAxisGridShowDropDownFormEventEh = Delegate<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column,
                                                         TEditButtonEh* Button, TCustomForm*& DropDownForm,
                                                         TDynVarsEh* DynParams)>;
using TDBAxisGridCloseDropDownFormEventEh =
    Delegate<void(TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button, bool Accept,
                  TCustomForm* DropDownForm, TDynVarsEh* DynParams)>;

using TDataListMouseCloseUpEventEh = Delegate<void(TObject* Sender, bool Accept)>;
using TDataListColumnMovedEventEh = Delegate<void(TObject* Sender, int FromIndex, int ToIndex)>;

// The drop-down data grid of a bar as the in-place editor drives it, beyond what the bar itself
// asks of it (ILookupListGridEh): the list that the bar's DataList answers implements both.
class IAxisBarDataListEh {
public:
    virtual ~IAxisBarDataListEh() = default;

    // ---- set up before it opens ----
    // The special row it shows (set through the bar's list interface).
    virtual TSpecRowEh* SpecRow() = 0;
    // Visible data rows.
    virtual int RowCount() = 0;
    virtual void SetRowCount(int Value) = 0;
    virtual void SetShowTitles(bool Value) = 0;
    virtual void SetKeyField(const QString& Value) = 0;
    virtual int ListFieldIndex() = 0;
    virtual void SetListFieldIndex(int Value) = 0;
    // The name of a list field by its position; empty outside the list fields.
    virtual QString ListFieldName(int Index) = 0;
    virtual void SetAutoFitColWidths(bool Value) = 0;
    virtual void SetUseMultiTitle(bool Value) = 0;
    virtual void SetListSource(TDataSource* Value) = 0;
    // The client width that shows every column whole.
    virtual int GetColumnsWidthToFit() = 0;
    virtual void SetSortMarkerStyle(int Value) = 0;
    virtual void SetSizeGripAlwaysShow(bool Value) = 0;
    virtual bool SizeGripResized() = 0;
    virtual void SetSizeGripResized(bool Value) = 0;
    virtual void SetCtl3D(bool Value) = 0;
    virtual void SetParentCtl3D(bool Value) = 0;

    // ---- the value ----
    virtual Variant KeyValue() = 0;
    virtual void SetKeyValue(const Variant& Value) = 0;
    // Whether the key names a record of the list (or the special row).
    virtual bool LocateKey() = 0;
    // The text of the chosen row's list field.
    virtual QString SelectedItem() = 0;
    // Highlights the text in the list's cells (an empty text highlights nothing).
    virtual void ResetHighlightSubstr(const QString& Text) = 0;
    // The client rectangle of the data cells.
    virtual TRect DataRect() = 0;

    // ---- events the editor sets ----
    virtual void SetOnMouseCloseUp(const TDataListMouseCloseUpEventEh& Value) = 0;
    virtual void SetOnColumnMoved(const TDataListColumnMovedEventEh& Value) = 0;
    virtual void SetOnDrawMemoText(bool Value) = 0;
};
