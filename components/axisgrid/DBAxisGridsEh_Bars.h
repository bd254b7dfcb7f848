// Axis bars: one data column of the axis grid, bound to a field of the grid's dataset.
#pragma once

#include "DBAxisGridsEh_BarsLook.h"
#include "platform/rtl/Persistent.h"

class TCustomDBAxisGridEh;
class TGridAxisBarsEh;

class TAxisBarEh : public TCollectionItem {
    // ==== field binding, values and texts ====


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
    void DropDownSpecRowChanged(TObject* Sender);

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
    mutable std::unique_ptr<TCustomControl> FDataListControl;
    mutable ILookupListGridEh* FDataList = nullptr;
    std::unique_ptr<TPopupMenu> FSystemPopupMenu;
    mutable bool FLookMade = false;
    bool FInFontRefresh = false;
    TLookCleanup FLookCleanup;   // last: runs first when the bar goes

    // ==== end of appearance, edit buttons, drop-down and menu settings ====
};
