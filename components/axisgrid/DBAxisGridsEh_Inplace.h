// The in-place data editor of the axis grid and its drop-down lists and forms.
#pragma once

#include "components/foundation/GridsEh.h"
#include "components/foundation/ToolCtrlsEh.h"

class TAxisBarEh;
class TCustomDBAxisGridEh;
class TCanvas;
class TDataSource;
class TEditButtonsBoxEh;
class TEditButtonControlEh;
class TEditButtonEh;
class TMRUListEh;
class TPopupListboxEh;
class TPopupMonthCalendarEh;
class TCustomForm;

// Which drop-down belongs to a cell and how its main button looks; the Alt styles act like
// their plain counterparts and differ only in the button's face.
enum TEditStyle {
    esSimple, esEllipsis, esPickList, esLookupDataList, esDateCalendar, esUpDown, esDropDown, esAltUpDown,
    esAltDropDown, esAltCalendar, esAltPickList, esAltLookupDataList, esDataList, esAltDataList
};
DOV_ENUM_INFO(TEditStyle, esSimple, esEllipsis, esPickList, esLookupDataList, esDateCalendar, esUpDown, esDropDown,
              esAltUpDown, esAltDropDown, esAltCalendar, esAltPickList, esAltLookupDataList, esDataList,
              esAltDataList)

// The style groups the editor routes by.
bool IsLookupEditStyle(TEditStyle Style);
bool IsPickListEditStyle(TEditStyle Style);
bool IsCalendarEditStyle(TEditStyle Style);
bool IsUpDownEditStyle(TEditStyle Style);
bool IsDropDownEditStyle(TEditStyle Style);
// Pick-list, lookup and calendar styles: keys are routed to the list.
bool IsListEditStyle(TEditStyle Style);

// The edit style of a bar by its button style, field and lists (the grid also draws in-cell
// buttons by it).
TEditStyle GetAxisBarEditStyle(TAxisBarEh* Bar);

class TDBAxisGridInplaceEdit : public TInplaceEdit, public IComboEditEh {
    // ==== editor: edit styles, buttons, keys, pasting, stepping, image, MRU list ====
public:
    explicit TDBAxisGridInplaceEdit(TComponent* AOwner);
    ~TDBAxisGridInplaceEdit() override;
    void AfterConstruction() override;

    TCustomDBAxisGridEh* GetGrid() const;
    // The bar at the grid's SelectedIndex (nullptr without grid, bars or a valid index).
    TAxisBarEh* GetAxisBar() const;
    // Position of the first visible button control, -1 when none.
    int FirstVisibleButtonIndex();

    TEditStyle EditStyle() const { return FEditStyle; }
    void SetEditStyle(TEditStyle Value);
    TEditStyle EditButtonStyle() const { return FEditButtonStyle; }
    void SetEditButtonStyle(TEditStyle Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    int ImageIndex() const { return FImageIndex; }
    bool ReadOnlyStored() const { return FReadOnlyStored; }
    bool DroppedDown() const { return FDroppedDown; }
    bool ListVisible() const { return FListVisible; }
    TWinControl* ActiveList() const { return FActiveList; }
    TEditButtonsBoxEh* ButtonsBox() const { return FButtonsBox; }
    TMRUListEh* MRUList() const { return FMRUList; }
    int FixedDownButton() const { return FFixedDownButton; }
    void SetFixedDownButton(int Value) { FFixedDownButton = Value; }
    // While set, CloseUp leaves an open list open (the grid refreshing the editor).
    bool LockCloseList() const { return FLockCloseList; }
    void SetLockCloseList(bool Value) { FLockCloseList = Value; }

    void BoundsChanged() override;
    void UpdateContents() override;
    void PaintImage(HDC DC);

    // ---- virtual operations ----
    virtual void UpdateImageIndex();
    virtual void CreateMRUListControl();
    virtual TWinControl* GetPopupCalculator();
    virtual void EditButtonDownDefault(bool UpPressed, bool& Handled);
    virtual void GetEditTextRect(TRect& ARect);
    virtual void ProcessCharKeyStr(QString& CharKeyStr);
    virtual void DropDown();
    virtual void ButtonsBoxClick(TObject* Control);
    virtual void ButtonsBoxDown(TObject* Control, bool UpPressed, bool& AutoRepeat, bool& Handled);
    virtual void ShowDropDownForm(TEditButtonEh* EditButton, TEditButtonControlEh* ButtonControl, bool& Handled);
    virtual void ButtonsBoxMouseMove(TObject* Control, TShiftState Shift, int X, int Y);
    virtual void ButtonsBoxMouseUp(TObject* Control, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void FilterMRUItem(const QString& Item, bool& Accept);
    virtual void UpdateMRUListSize();
    virtual void UserChange();
    virtual void CreateEditButtonControl(TEditButtonControlEh*& Control);
    virtual void SetVarValue(const Variant& Value);
    virtual void GetVarValue(Variant& Value);
    virtual void GetActualDropDownForm(TCustomForm*& Form, bool& FreeOnClose);

    // Closes the open list; with Accept the list's value is written.
    void CloseUp(bool Accept) override;

    // The style from the button style and the first visible button; then the active list.
    void UpdateEditStyle();
    void UpdateEditButtons();
    void UpdateButtonsDefaultActions();
    // The grid takes the editor's text and, in lookup styles, the key of that text.
    void SyncEditKeyValue();
    // Steps the value by the bar's Increment (a spin button, Up/Down of an up-down cell).
    void UpDownClick(TObject* Sender, bool UpButton);
    void DragButtonIntoList(TEditButtonControlEh* Control, int X, int Y);

    // ---- the drop-down side the editor calls (bodies with the lists) ----
    // Chooses FActiveList for the current style.
    void InitActiveList();
    void ShowMRUList();
    void CloseMRUList(bool Accept);
    TWinControl* GetMRUListControl();
    void ApplyListAutoFilter(const QString& Text);

    // Key entries (public for the tests, as the base editor's are).
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void KeyUp(Word& Key, TShiftState Shift) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void PaintWindow(HDC DC) override;
    void WndProc(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;
    void CMCancelMode(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMPaste(TMessage& M) override;
    void WMCut(TMessage& M) override;
    void WMClear(TMessage& M) override;
    void WMSetCursor(TMessage& M) override;

    // Enter, Escape, Ctrl+Enter and Alt+arrows of a list style; True when the key is used.
    bool DoDropDownKeys(Word& Key, TShiftState Shift);
    // Puts the dataset in edit state and flags the link modified when it edits.
    void StartDataEdit();
    // Shows Text with the part from SelFrom to the end selected and hands it to the grid.
    void ShowAcceptedText(const QString& Text, int SelFrom, const Variant& Key, bool SetKey);
    // The lookup dataset search of typed or pasted text: True and the record's text and key.
    bool LocateLookupText(const QString& Text, QString& FoundText, Variant& FoundKey);
    // The text rectangle of the window, horizontally: whether X lies in it.
    bool InTextRectX(int X);
    bool IsLimitedToList();
    void ShowPickListIndex(int Index);

    TWinControl* FActiveList = nullptr;
    QString FCharKeyStr;
    TCustomControl* FDataList = nullptr;
    bool FDroppedDown = false;
    TEditStyle FEditStyle = esSimple;
    bool FListColumnMothed = false;
    bool FLockCloseList = false;
    TDataSource* FLookupSource = nullptr;
    TMRUListEh* FMRUList = nullptr;
    TWinControl* FMRUListControl = nullptr;
    bool FNoClickCloseUp = false;
    TPopupListboxEh* FPickList = nullptr;
    TWinControl* FPopupCalculator = nullptr;
    TPopupMonthCalendarEh* FPopupMonthCalendar = nullptr;
    bool FUserTextChanged = false;
    bool FWordWrap = false;
    int FImageIndex = -1;
    TEditStyle FEditButtonStyle = esSimple;
    TEditButtonsBoxEh* FButtonsBox = nullptr;
    TCanvas* FCanvas = nullptr;
    bool FListVisible = false;
    bool FReadOnlyStored = false;
    int FFixedDownButton = -1;
    // Key-down already removed the character a Backspace stands for.
    bool FBackspaceDone = false;
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
