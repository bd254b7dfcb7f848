// Axis bars: one data column of the axis grid, bound to a field of the grid's dataset.
#pragma once

#include "DBAxisGridsEh_BarsLook.h"
#include "DBAxisGridsEh_CellParams.h"
#include "components/editors/DBLookupUtilsEh.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Controls.h"

class TCustomDBAxisGridEh;
class TGridAxisBarsEh;
class TCustomImageList;
class TDynVarsEh;
class TMRUListEh;
class TPicture;
class TSpecRowEh;
class TStrings;

// Properties that hold a value of the bar's own; one flag each. The set is one 32-bit word.
enum TAxisBarEhValue {
    cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption, cvTitleAlignment,
    cvTitleFont, cvTitleButton, cvTitleEndEllipsis, cvTitleToolTips, cvTitleOrientation, cvImeMode,
    cvImeName, cvWordWrap, cvLookupDisplayFields, cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis,
    cvAutoDropDown, cvDblClickNextVal, cvToolTips, cvDropDownSizing, cvDropDownShowTitles, cvLayout,
    cvHighlightRequired, cvBiDiMode, cvTextEditing
};
DOV_ENUM_INFO(TAxisBarEhValue, cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor,
              cvTitleCaption, cvTitleAlignment, cvTitleFont, cvTitleButton, cvTitleEndEllipsis,
              cvTitleToolTips, cvTitleOrientation, cvImeMode, cvImeName, cvWordWrap,
              cvLookupDisplayFields, cvCheckboxes, cvAlwaysShowEditButton, cvEndEllipsis,
              cvAutoDropDown, cvDblClickNextVal, cvToolTips, cvDropDownSizing, cvDropDownShowTitles,
              cvLayout, cvHighlightRequired, cvBiDiMode, cvTextEditing)
using TAxisBarEhValues = TSet<TAxisBarEhValue>;

// What a bar shows and edits; computed on every request, never stored.
enum TAxisBarEhType {
    ctCommon, ctPickList, ctLookupField, ctKeyPickList, ctKeyImageList, ctCheckboxes, ctGraphicData,
    ctDataList
};
DOV_ENUM_INFO(TAxisBarEhType, ctCommon, ctPickList, ctLookupField, ctKeyPickList, ctKeyImageList,
              ctCheckboxes, ctGraphicData, ctDataList)

// Lets the application write a cell's new value itself (Handled) or change what is written.
using TColCellUpdateDataEventEh =
    Delegate<void(TObject* Sender, QString& Text, Variant& Value, bool& UseText, bool& Handled)>;

// The display text of a field by a number or date-time format; the field's own display text
// when the format is empty.
QString FormatFieldByDisplayFormat(TField* Field, const QString& Format);
// Whether Text is one of the ';'-separated values of List (ignoring case); a list ending with
// ';' also holds the empty text, and two empty texts match.
bool TextInValueList(const QString& List, const QString& Text);

class TAxisBarEh : public TCollectionItem, public IDBLookupColumnEh {
    // ==== field binding, values and texts ====
    DOV_PERSISTENT(TAxisBarEh, TCollectionItem)
public:
    explicit TAxisBarEh(TCollection* Collection);
    ~TAxisBarEh() override;
    // Makes the members that come from virtual factories (the lookup description) and takes
    // the grid's layout lock around the construction, so adding a bar costs one layout pass.
    void AfterConstruction() override;

    // The grid of the owning bar collection; nullptr outside a grid's collection.
    TCustomDBAxisGridEh* Grid() const;

    // ---- binding ----
    // The bound field, looked up lazily by FieldName and cached.
    TField* Field() const;
    virtual void SetField(TField* Value);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    virtual void BindField();
    virtual TAxisBarEhType GetBarType() const;
    // The current record or one of its fields changed (nullptr after the dataset left editing).
    virtual void RecordChanged(TField* AField);
    // Moving a default bar first moves its field in the dataset.
    void SetIndex(int Value);

    // ---- assigned values ----
    TAxisBarEhValues AssignedValues() const { return FAssignedValues; }
    void SetAssignedValues(TAxisBarEhValues Value) { FAssignedValues = Value; }
    // Drops every own value (Assign and the collection's RestoreDefaults use it).
    virtual void RestoreDefaults();
    void Assign(TPersistent* Source) override;
    // Not stored: the default bars that the grid makes by itself.
    bool IsDefaultBar() const { return !FStored; }
    bool Stored() const { return FStored; }
    void SetStored(bool Value) { FStored = Value; }

    // ---- properties ----
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    bool IsReadOnlyStored() const;
    virtual bool DefaultReadOnly() const;
    // Both lists are made on first read; HasPickList/HasKeyList test without making them.
    TStrings* PickList() const;
    void SetPickList(TStrings* Value);
    TStrings* KeyList() const;
    void SetKeyList(TStrings* Value);
    bool PickListHasItems() const;
    bool KeyListHasItems() const;
    int NotInKeyListIndex() const { return FNotInKeyListIndex; }
    void SetNotInKeyListIndex(int Value);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Value);
    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& Value);
    bool Checkboxes() const;
    void SetCheckboxes(bool Value);
    bool DefaultCheckboxes() const;
    bool IsCheckboxesStored() const { return FAssignedValues.Contains(cvCheckboxes); }
    TCustomImageList* ImageList() const { return FImageList; }
    void SetImageList(TCustomImageList* Value);
    bool ShowImageAndText() const { return FShowImageAndText; }
    void SetShowImageAndText(bool Value);
    double Increment() const { return FIncrement; }
    void SetIncrement(double Value) { FIncrement = Value; }
    bool IsIncrementStored() const { return FIncrement != 1; }
    bool CaseInsensitiveTextSearch() const { return FCaseInsensitiveTextSearch; }
    void SetCaseInsensitiveTextSearch(bool Value) { FCaseInsensitiveTextSearch = Value; }
    bool TextEditing() const;
    void SetTextEditing(bool Value);
    bool DefaultTextEditing() const;
    bool IsTextEditingStored() const;
    TDBLookupDataEh* LookupParams() const { return FLookupParams; }
    void SetLookupParams(TDBLookupDataEh* Value);
    TSpecRowEh* DropDownSpecRow() const { return FDropDownSpecRow; }
    void SetDropDownSpecRow(TSpecRowEh* Value);
    TMRUListEh* MRUList() const { return FMRUList; }
    void SetMRUList(TMRUListEh* Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    int Tag() const { return FTag; }
    void SetTag(int Value) { FTag = Value; }
    TDynVarsEh* DynProps() const { return FDynProps; }
    void SetDynProps(TDynVarsEh* Value);
    TColCellUpdateDataEventEh OnUpdateData;

    // ---- texts and values ----
    virtual QString DisplayText();
    virtual QString EditText();
    virtual Variant EditValue();
    // The in-place editor's starting text; stores it and the key value in the grid.
    QString GetInplaceEditText();
    QString GetInplaceEditMask();
    // The one way a new value reaches the dataset.
    void UpdateDataValues(const QString& Text, const Variant& Value, bool UseText);
    void SetValueAsText(const QString& StrVal) { UpdateDataValues(StrVal, Variant(StrVal), true); }
    void SetValueAsVariant(const Variant& VarVal) { UpdateDataValues(QString(), VarVal, false); }
    TCheckBoxState CheckboxState();
    void SetCheckboxState(TCheckBoxState Value);
    virtual int GetImageIndex();
    // Steps the value: forward for exactly 1, backward for anything else.
    void SetNextFieldValue(double Step);
    int LocatePickList(const QString& Str, bool PartialKey);

    // ---- modification ----
    bool CanModify(bool TryEdit);
    bool IsEditable();
    bool CanEditAcceptKey(QChar Key);
    QString GetAcceptableEditText(const QString& InputEditText);
    virtual void CheckDataIsReadOnly(bool& ReadOnly);

    // ---- cell parameters ----
    void FillColCellParams(TAxisColCellParamsEh* Params);
    virtual void GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params);
    bool CellTextEditing();
    TAxisColCellParamsEh* CheckModifyCellParams() const { return FCheckModifyCellParams; }

    // ---- clipboard and files ----
    virtual void CopyValueToClipboard();
    virtual void CutValueToClipboard();
    virtual void PasteValueFromClipboard();
    virtual void ClearValue();
    virtual void LoadFromFileDialog();
    virtual void SaveToFileDialog() {}
    // The picture of the bound blob field, nullptr without a grid; the caller frees it.
    virtual TPicture* GetPictureFromBlobField();

    // The item's change notification; every setter ends with it unless stated otherwise.
    virtual void Changed(bool AllItems);

    // IDBLookupColumnEh
    TComponent* LookupGrid() const override;
    TDataSource* LookupGridDataSource() const override;
    TField* LookupBoundField() const override { return Field(); }
    void LookupDataChanged() override;

protected:
    virtual TDBLookupDataEh* CreateLookupParams();
    // Field() has just bound the field by FieldName on a read.
    virtual void FieldBound() {}
    // The grid's data link has a dataset (the bar can look fields up).
    TDataSet* GridDataSet() const;
    bool GridLinkActive() const;
    bool GridDrawsMemo() const;
    // First part of CanModify and SetNextFieldValue: the grid and the bar allow editing.
    bool GridAndBarAllowEdit() const;
    // The value of the lookup's key fields in the grid's dataset (an array for several).
    Variant KeyFieldsValue() const;
    // The lookup description's state; False while the bar is still being made.
    bool LookupIsActive() const;
    bool LookupIsSetUpHere() const;
    // Whether the special row shows for this key: its own value, or a key the list lacks.
    bool SpecRowStandsForKey(const Variant& Key, const Variant& LookupValue) const;
    // The check-modify cell parameters with their read-only flag set, after the application's
    // cell-parameter event: True when the cell stays read-only.
    bool CellParamsReadOnly(TAxisColCellParamsEh* Params, bool ReadOnly);

private:
    class TFieldWatcher;
    // Forgets the bound field when it is freed, so the bar never reads a dead field.
    TFieldWatcher* FFieldWatcher = nullptr;
    bool FLayoutLockTaken = false;
    mutable TField* FField = nullptr;
    mutable QString FFieldName;
    TAxisBarEhValues FAssignedValues;
    bool FReadOnly = false;
    mutable TStrings* FPickList = nullptr;
    mutable TStrings* FKeyList = nullptr;
    int FNotInKeyListIndex = -1;
    QString FDisplayFormat;
    QString FEditMask;
    bool FCheckboxes = false;
    TCustomImageList* FImageList = nullptr;
    bool FShowImageAndText = false;
    double FIncrement = 1;
    bool FCaseInsensitiveTextSearch = true;
    bool FTextEditing = true;
    TDBLookupDataEh* FLookupParams = nullptr;
    TSpecRowEh* FDropDownSpecRow = nullptr;
    TMRUListEh* FMRUList = nullptr;
    bool FVisible = true;
    int FTag = 0;
    TDynVarsEh* FDynProps = nullptr;
    bool FStored = true;
    TAxisColCellParamsEh* FCheckModifyCellParams = nullptr;

    // ==== end of field binding, values and texts ====



    // ==== appearance, edit buttons, drop-down and menu settings ====
public:
    // ---- appearance (own value only after it was set, else the default) ----
    TColor Color() const;
    void SetColor(TColor Value);
    // While unassigned, equal to the default font (the grid's, or the bar's own without a grid).
    TFont* Font() const;
    void SetFont(TFont* Value);
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TImeMode ImeMode() const;
    void SetImeMode(TImeMode Value);
    TImeName ImeName() const;
    void SetImeName(const TImeName& Value);
    bool WordWrap() const;
    void SetWordWrap(bool Value);
    bool EndEllipsis() const;
    void SetEndEllipsis(bool Value);
    TTextLayout Layout() const;
    void SetLayout(TTextLayout Value);
    bool HighlightRequired() const;
    void SetHighlightRequired(bool Value);
    TBiDiMode BiDiMode() const;
    void SetBiDiMode(TBiDiMode Value);
    bool ToolTips() const;
    void SetToolTips(bool Value);
    bool AlwaysShowEditButton() const;
    void SetAlwaysShowEditButton(bool Value);
    bool AutoDropDown() const;
    void SetAutoDropDown(bool Value);
    bool DblClickNextVal() const;
    void SetDblClickNextVal(bool Value);
    bool DropDownSizing() const;
    void SetDropDownSizing(bool Value);
    bool DropDownShowTitles() const;
    void SetDropDownShowTitles(bool Value);
    QString LookupDisplayFields() const;
    void SetLookupDisplayFields(const QString& Value);
    bool LimitTextToListValues() const;
    void SetLimitTextToListValues(bool Value);
    // Off: the value follows the bar's type and OnNotInList; switching loads the current value.
    bool LimitTextToListValuesStored() const { return FLimitTextToListValuesStored; }
    void SetLimitTextToListValuesStored(bool Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);
    unsigned DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(unsigned Value) { FDropDownRows = Value; }
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value);
    // A view of the main edit button's visibility and style.
    TCellButtonStyleEh ButtonStyle() const;
    void SetButtonStyle(TCellButtonStyleEh Value);

    // Owned objects, made on first use; writing assigns into them.
    TAxisBarTitleEh* Title() const;
    void SetTitle(TAxisBarTitleEh* Value);
    TAxisBarMainEditButtonEh* EditButton() const;
    void SetEditButton(TAxisBarMainEditButtonEh* Value);
    TEditButtonsEh* EditButtons() const;
    void SetEditButtons(TEditButtonsEh* Value);
    TColumnDropDownBoxEh* DropDownBox() const;
    void SetDropDownBox(TColumnDropDownBoxEh* Value);
    // Tells the bar of its changes and asks it whether its data is read-only.
    TDropDownFormCallParamsEh* DropDownFormParams() const;
    void SetDropDownFormParams(TDropDownFormCallParamsEh* Value);

    TButtonClickEventEh OnEditButtonClick;
    TButtonDownEventEh OnEditButtonDown;
    TNotInListEventEh OnNotInList;

    // Defaults of the unassigned values.
    virtual TAlignment DefaultAlignment() const;
    virtual TColor DefaultColor() const;
    virtual TFont* DefaultFont() const;
    virtual TImeMode DefaultImeMode() const;
    virtual TImeName DefaultImeName() const;
    bool DefaultWordWrap() const;
    bool DefaultLimitTextToListValues() const;

    // What goes into a form stream: flagged and different from the default; Font, WordWrap
    // and BiDiMode whenever flagged.
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsAlignmentStored() const;
    bool IsImeModeStored() const;
    bool IsImeNameStored() const;
    bool IsWordWrapStored() const;
    bool IsEndEllipsisStored() const;
    bool IsLayoutStored() const;
    bool IsHighlightRequiredStored() const;
    bool IsBiDiModeStored() const;
    bool IsToolTipsStored() const;
    bool IsAlwaysShowEditButtonStored() const;
    bool IsAutoDropDownStored() const;
    bool IsDblClickNextValStored() const;
    bool IsDropDownSizingStored() const;
    bool IsDropDownShowTitlesStored() const;
    bool IsLookupDisplayFieldsStored() const;
    bool IsLimitTextToListValuesStored() const { return FLimitTextToListValuesStored; }
    // Publishes the properties of this section (called from the bar's published block).
    static void PublishLookProperties(TPublished<TAxisBarEh>& P);

    // Right-to-left: BiDiMode decides, with a bound field only while its alignment is the
    // one a right-to-left cell may mirror.
    virtual bool UseRightToLeftReading() const;
    virtual bool UseRightToLeftAlignment() const;
    virtual bool UseRightToLeftScrollBar() const;
    unsigned DrawTextBiDiModeFlagsReadingOnly() const;

    // Whether text in a row of that height wraps (room for more than one line).
    virtual bool CurLineWordWrap(int RowHeight);
    int GetCellHeight(int Row) const;
    virtual int CalcRowHeight();
    // The horizontal text margin in a cell.
    virtual int GetDataCellHorzOffset() const;
    // Narrows a cell rectangle to its text area; the data grid's column knows how.
    virtual void SetTextArea(TRect& ARect);
    virtual bool EditButtonsShownAlways() const;

    // ---- edit buttons ----
    virtual int EditButtonsWidth() const;
    virtual int GetEditButtonDefaultWidth() const;
    virtual int CalcInplaceEditorButtonHeight() const;
    // A picture bar without text editing shows its buttons in a box over the current cell.
    virtual bool EditButtonsBoxNeeded();
    virtual TRect GetEditButtonsBoxRect(const TRect& CellRect);
    virtual void SetupEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& ARect);
    virtual void LayoutEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& ARect);
    virtual void UpdateEditButtonsBoxState(TEditButtonsBoxEh* Box);
    virtual void EditButtonsBoxClick(TObject* Sender);
    virtual void EditButtonsBoxDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonsBoxMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    virtual void EditButtonsBoxMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // The pressed state of the in-place editor's main button while it edits this bar.
    bool EditButtonPressed() const;
    void SetEditButtonPressed(bool Value);

    // ---- drop-down ----
    // Opens the drop-down of the grid's in-place editor when it is showing.
    void DropDown();
    virtual QString GetDropDownBoxListField();
    virtual void DropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName, const QString& FilterText,
                                            TLSAutoFilterTypeEh Operation);
    void DefaultDropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName, const QString& FilterText,
                                           TLSAutoFilterTypeEh Operation);
    virtual void LookupParamsChanged();
    // The drop-down data list, made on first use (nullptr while no maker is registered).
    ILookupListGridEh* DataList() const;
    bool DataListExists() const { return FDataList != nullptr; }
    ILookupGridOwner* LookupGridOwner() const;
    virtual void DropDownSpecRowChanged(TObject* Sender);

    // ---- menus ----
    virtual TPopupMenu* GetPopupMenu();
    virtual TPopupMenu* GetSystemPopupMenu();
    virtual void FormSystemPopupMenu(TPopupMenu* Menu);

    // An unassigned font takes the default again (the grid's font changed).
    void RefreshDefaultFont();

protected:
    virtual TAxisBarTitleEh* CreateTitle();
    virtual TAxisBarMainEditButtonEh* CreateMainEditButton();
    virtual TEditButtonsEh* CreateEditButtons();
    void FontChanged(TObject* Sender);
    void EditButtonChanged(TObject* Sender);
    // The grid's default action of an edit button of the bar.
    void RunEditButtonDefaultAction(TObject* Control, TEditButtonEh* Button, bool IsMouseDown, bool& Handled);

private:
    friend class TAxisBarLookupGridOwnerEh;
    // Detaches the change handlers of the owned objects before they go.
    struct TLookCleanup {
        TAxisBarEh* Bar = nullptr;
        ~TLookCleanup();
    };
    // Sets a flagged value: nothing when flagged and equal, else stores and flags.
    template <typename T> bool SetLookValue(T& Own, const T& Value, int Flag);
    void EnsureLook() const;

    TColor FColor = clWindow;
    TAlignment FAlignment = taLeftJustify;
    TImeMode FImeMode = imDontCare;
    TImeName FImeName;
    bool FWordWrap = false;
    bool FEndEllipsis = false;
    TTextLayout FLayout = tlTop;
    bool FHighlightRequired = false;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FToolTips = false;
    bool FAlwaysShowEditButton = false;
    bool FAutoDropDown = false;
    bool FDblClickNextVal = false;
    bool FDropDownSizing = false;
    bool FDropDownShowTitles = false;
    QString FLookupDisplayFields;
    bool FLimitTextToListValues = false;
    bool FLimitTextToListValuesStored = false;
    TPopupMenu* FPopupMenu = nullptr;
    unsigned FDropDownRows = 7;
    int FDropDownWidth = 0;
    // Owned; freed with the bar in reverse order (the data list before the drop-down box).
    mutable std::unique_ptr<TFont> FFont;
    mutable std::unique_ptr<TAxisBarTitleEh> FTitle;
    mutable std::unique_ptr<TAxisBarMainEditButtonEh> FEditButton;
    mutable std::unique_ptr<TEditButtonsEh> FEditButtons;
    mutable std::unique_ptr<TAxisBarLookupGridOwnerEh> FLookGridOwner;
    mutable std::unique_ptr<TColumnDropDownBoxEh> FDropDownBox;
    mutable std::unique_ptr<TDropDownFormCallParamsEh> FDropDownFormParams;
    mutable std::unique_ptr<TCustomControl> FDataListControl;
    mutable ILookupListGridEh* FDataList = nullptr;
    std::unique_ptr<TPopupMenu> FSystemPopupMenu;
    mutable bool FLookMade = false;
    bool FInFontRefresh = false;
    TLookCleanup FLookCleanup;   // last: runs first when the bar goes

    // ==== end of appearance, edit buttons, drop-down and menu settings ====



    // ==== drop-down form events ====
public:
    // Before a drop-down form of the bar opens: may replace the form (Button nullptr for the
    // main button).
    Delegate<void(class TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button,
                  TCustomForm*& DropDownForm, class TDynVarsEh* DynParams)>
        OnOpenDropDownForm;
    // After it closed, its values written back on Accept.
    Delegate<void(class TCustomDBAxisGridEh* Grid, TAxisBarEh* Column, TEditButtonEh* Button, bool Accept,
                  TCustomForm* DropDownForm, class TDynVarsEh* DynParams)>
        OnCloseDropDownForm;
    // ==== end of drop-down form events ====
};

// A bar of the data grid's kind: its width settings are the data grid column's.
class TBaseColumnEh : public TAxisBarEh {
    DOV_PERSISTENT(TBaseColumnEh, TAxisBarEh)
public:
    explicit TBaseColumnEh(TCollection* Collection) : TAxisBarEh(Collection) {}

    virtual bool GetAutoFitColWidth() const = 0;
    virtual void SetAutoFitColWidth(bool Value) = 0;
    virtual int GetWidth() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual int GetMaxWidth() const = 0;
    virtual void SetMaxWidth(int Value) = 0;
    virtual int GetMinWidth() const = 0;
    virtual void SetMinWidth(int Value) = 0;
};
