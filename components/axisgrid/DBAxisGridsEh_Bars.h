// Axis bars: one data column of the axis grid, bound to a field of the grid's dataset.
#pragma once

#include "components/editors/DBLookupUtilsEh.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Controls.h"

class TCustomDBAxisGridEh;
class TGridAxisBarsEh;
class TAxisColCellParamsEh;
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
    void DropDownSpecRowChangedEvent(TObject* Sender);
    // The grid's data link has a dataset (the bar can look fields up).
    TDataSet* GridDataSet() const;
    bool GridLinkActive() const;
    bool GridDrawsMemo() const;
    // First part of CanModify and SetNextFieldValue: the grid and the bar allow editing.
    bool GridAndBarAllowEdit() const;
    Variant KeyFieldsValue() const;

private:
    TGridAxisBarsEh* FOwnerBars = nullptr;
    TCustomDBAxisGridEh* FGrid = nullptr;
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


    // ==== end of appearance, edit buttons, drop-down and menu settings ====
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
