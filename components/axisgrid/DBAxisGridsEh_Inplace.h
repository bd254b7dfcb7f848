// The in-place data editor of the axis grid and its drop-down lists and forms.
#pragma once

#include "components/foundation/GridsEh.h"

class TDBAxisGridInplaceEdit : public TInplaceEdit {
    // ==== editor: edit styles, buttons, keys, pasting, stepping, image, MRU list ====


    // ==== end of editor ====



    // ==== drop-down lists and forms ====
public:
    // The open and close callbacks handed to the drop-down form parameters of the grid's
    // default edit-button action.
    void BarOpenDropDownForm(TControl* EditControl, TEditButtonEh* Button, TCustomForm*& DropDownForm,
                             class TDynVarsEh* DynParams);
    void BarCloseDropDownForm(TControl* EditControl, TEditButtonEh* Button, bool Accept, TCustomForm* DropDownForm,
                              class TDynVarsEh* DynParams);
    // The close callback of a form opened by ShowDropDownForm.
    void DropDownFormClosed(TCustomForm* Form, bool Accept, class TDynVarsEh* DynParams,
                            class TDropDownFormSysParams* SysParams);

    TPopupListboxEh* PickList() const { return FPickList; }
    TPopupMonthCalendarEh* PopupMonthCalendar() const { return FPopupMonthCalendar; }
    // The bar's drop-down data list while a lookup style is active.
    TCustomControl* DataList() const { return FDataList; }
    TDataSource* LookupSource() const { return FLookupSource; }

protected:
    void PickListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PickListGetImageIndex(TObject* Sender, int ItemIndex, int& ImageIndex);
    void MRUListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void DataListMouseCloseUp(TObject* Sender, bool Accept);
    void DataListColumnMoved(TObject* Sender, int FromIndex, int ToIndex);
    // The steps of DropDown per list; a data list without a lookup dataset does not open.
    bool PrepareDataList();
    void PrepareCalendar();
    void PrepareCalculator();
    void PreparePickList();
    // The drop-down form parameters of a button (the bar's for nullptr).
    TDropDownFormCallParamsEh* DropDownFormParamsOf(TEditButtonEh* EditButton);
    void ReleaseButtonControls();
    // The editor's text rectangle on the screen, and the MRU list box placed and shown under it.
    TRect EditTextScreenRect();
    void PlaceMRUList(TWinControl* Box);

    // ==== end of drop-down lists and forms ====
};
