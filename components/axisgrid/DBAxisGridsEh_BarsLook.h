// The look of an axis bar: its title, main edit button, drop-down box and the types its
// appearance, edit-button, drop-down and menu settings use (DBAxisGridsEh_BarsLook.cpp).
// Included at the top of DBAxisGridsEh_Bars.h, so the bar's own section can use them.
#pragma once

#include "components/editors/DBCtrlsEh.h"
#include "components/foundation/ToolCtrlsEh_DropDowns.h"
#include "platform/vcl/Controls.h"

class TAxisBarEh;
class TAxisBarDefValuesEh;
class TGridAxisBarsEh;
class TDataSet;
class TDataSource;
class TEditButtonsBoxEh;
class TPopupMenu;

// How a bar offers its main edit button; cbsAuto follows the bar's type and field.
enum TCellButtonStyleEh { cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown, cbsAltUpDown, cbsAltDropDown };
DOV_ENUM_INFO(TCellButtonStyleEh, cbsAuto, cbsEllipsis, cbsNone, cbsUpDown, cbsDropDown, cbsAltUpDown,
              cbsAltDropDown)

enum TTextOrientationEh { tohHorizontal, tohVertical };
DOV_ENUM_INFO(TTextOrientationEh, tohHorizontal, tohVertical)

// The options of a lookup list grid (the drop-down data list of a bar among them).
enum TDBLookupGridEhOption {
    dlgColumnResizeEh, dlgColLinesEh, dlgRowLinesEh, dlgAutoSortMarkingEh, dlgMultiSortMarkingEh
};
DOV_ENUM_INFO(TDBLookupGridEhOption, dlgColumnResizeEh, dlgColLinesEh, dlgRowLinesEh, dlgAutoSortMarkingEh,
              dlgMultiSortMarkingEh)
using TDBLookupGridEhOptions = TSet<TDBLookupGridEhOption>;

// ============================================================================================
// The drop-down data list
// ============================================================================================

// What a bar needs of its drop-down data list. The list is a lookup list grid of the lookup
// controls, which sit a layer above the axis grid; their unit registers the maker
// (SetAxisBarDataListFactoryEh) when it starts. Until then a bar has no data list.
class ILookupListGridEh {
public:
    virtual ~ILookupListGridEh() = default;
    // The window of the list; freeing it frees the list.
    virtual TCustomControl* ListControl() = 0;
    virtual TDBLookupGridEhOptions LookupOptions() const = 0;
    virtual void SetLookupOptions(TDBLookupGridEhOptions Value) = 0;
    virtual TGridAxisBarsEh* ListColumns() = 0;
    virtual TAxisBarDefValuesEh* ListColumnDefValues() = 0;
    virtual bool SortLocal() const = 0;
    virtual void SetSortLocal(bool Value) = 0;
    // The field the list shows (";"-separated for several).
    virtual void SetListFieldName(const QString& Value) = 0;
    // The special row the list shows on top; nullptr for none.
    virtual void SetSpecRow(TSpecRowEh* Value) = 0;
};
using TLookupListGridFactoryEh = ILookupListGridEh* (*)();
void SetAxisBarDataListFactoryEh(TLookupListGridFactoryEh Factory);
TLookupListGridFactoryEh AxisBarDataListFactoryEh();

// Copies Source into a font that follows a default, without telling its change handler.
void CopyDefaultFont(TFont* Own, TFont* Source);

// What the owner of a drop-down box offers it (a bar; the lookup combo box of the lookup
// controls). Not reference counted: the owner lives longer than the box.
class ILookupGridOwner {
public:
    virtual ~ILookupGridOwner() = default;
    // The component, when not nullptr, tells the owner's grid (or the owner) when it is freed.
    virtual void RegisterFreeNotification(TComponent* AComponent) = 0;
    // Made on first use; nullptr when no maker is registered.
    virtual ILookupListGridEh* GetDataList() = 0;
    virtual TDBLookupGridEhOptions GetOptions() = 0;
    virtual void SetOptions(TDBLookupGridEhOptions Value) = 0;
};

// The bar's side of ILookupGridOwner (the bar's drop-down box reaches its data list here).
class TAxisBarLookupGridOwnerEh : public ILookupGridOwner {
public:
    explicit TAxisBarLookupGridOwnerEh(TAxisBarEh* Bar) : FBar(Bar) {}
    void RegisterFreeNotification(TComponent* AComponent) override;
    ILookupListGridEh* GetDataList() override;
    TDBLookupGridEhOptions GetOptions() override;
    void SetOptions(TDBLookupGridEhOptions Value) override;

private:
    TAxisBarEh* FBar;
};

// ============================================================================================
// The title of a bar
// ============================================================================================

// Its flags live in the owning bar's AssignedValues; without an own value each property
// follows the grid-wide title defaults.
class TAxisBarTitleEh : public TPersistent {
    DOV_PERSISTENT(TAxisBarTitleEh, TPersistent)
public:
    explicit TAxisBarTitleEh(TAxisBarEh* Bar);
    ~TAxisBarTitleEh() override;

    // Flagged values only when the source's bar has them; the rest through the setters.
    void Assign(TPersistent* Source) override;
    // Clears the title flags and the own caption; the bar hears of it with AllItems exactly
    // when the font was its own.
    virtual void RestoreDefaults();
    // Makes an unassigned font equal to the default again (the grid's title font changed).
    void RefreshDefaultFont();
    TPersistent* GetOwner() const override;

    virtual TAlignment DefaultAlignment() const;
    virtual QString DefaultCaption() const;
    virtual TColor DefaultColor() const;
    virtual TFont* DefaultFont() const;
    virtual bool DefaultEndEllipsis() const;
    virtual bool DefaultTitleButton() const;
    virtual bool DefaultToolTips() const;
    virtual TTextOrientationEh DefaultOrientation() const;

    TAxisBarEh* AxisBar() const { return FAxisBar; }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    QString Caption() const;
    void SetCaption(const QString& Value);
    TColor Color() const;
    void SetColor(TColor Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool EndEllipsis() const;
    void SetEndEllipsis(bool Value);
    bool TitleButton() const;
    void SetTitleButton(bool Value);
    bool ToolTips() const;
    void SetToolTips(bool Value);
    TTextOrientationEh Orientation() const;
    void SetOrientation(TTextOrientationEh Value);
    QString Hint() const { return FHint; }
    void SetHint(const QString& Value) { FHint = Value; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* Value);

    // What goes into a form stream: flagged and different from the default; the font
    // whenever it is flagged.
    bool IsAlignmentStored() const;
    bool IsCaptionStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsEndEllipsisStored() const;
    bool IsTitleButtonStored() const;
    bool IsToolTipsStored() const;
    bool IsOrientationStored() const;

protected:
    void FontChanged(TObject* Sender);
    bool Assigned(int Value) const;
    void Flag(int Value);
    void Changed();

    TAxisBarEh* FAxisBar;
    TAlignment FAlignment = taLeftJustify;
    QString FCaption;
    TColor FColor = clBtnFace;
    bool FEndEllipsis = false;
    TFont* FFont = nullptr;
    QString FHint;
    int FImageIndex = -1;
    TTextOrientationEh FOrientation = tohHorizontal;
    TPopupMenu* FPopupMenu = nullptr;
    bool FTitleButton = false;
    bool FToolTips = false;
};

// ============================================================================================
// The main edit button of a bar
// ============================================================================================

// Visible follows the bar (DefaultVisible) until it is given an own value.
class TAxisBarMainEditButtonEh : public TEditButtonEh {
    DOV_PERSISTENT(TAxisBarMainEditButtonEh, TEditButtonEh)
public:
    explicit TAxisBarMainEditButtonEh(TAxisBarEh* Bar);

    bool GetVisible() const override;
    void SetVisible(bool Value) override;
    virtual bool DefaultVisible() const;
    bool VisibleStored() const { return FVisibleStored; }
    void SetVisibleStored(bool Value);
    // Visible goes into a form stream only when stored.
    bool IsVisibleStoredInStream() const { return FVisibleStored; }
    TAxisBarEh* AxisBar() const { return FAxisBar; }

protected:
    TAxisBarEh* FAxisBar;
    bool FVisibleStored = false;
};

// ============================================================================================
// The drop-down box of a bar
// ============================================================================================

// The settings of a bar's drop-down data list: its list source, list fields, the filter it
// applies while the user types, and (through the owner's data list) columns and options.
class TColumnDropDownBoxEh : public TPersistent {
    DOV_PERSISTENT(TColumnDropDownBoxEh, TPersistent)
public:
    // OwnerIntf nullptr: the owner's own ILookupGridOwner, if it has one.
    explicit TColumnDropDownBoxEh(TPersistent* AOwner, ILookupGridOwner* OwnerIntf = nullptr);
    ~TColumnDropDownBoxEh() override;

    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() const override { return FOwner; }

    // The first name of ListFieldNames, trimmed; empty when there is none.
    QString GetActualListField() const;
    // The wildcard for any number of characters in a filter on the list source's dataset.
    QString GetLikeWildcardForSeveralCharacters() const;

    TDataSource* ListSource() const { return FListSource; }
    void SetListSource(TDataSource* Value);
    QString ListFieldNames() const { return FListFieldNames; }
    void SetListFieldNames(const QString& Value) { FListFieldNames = Value; }
    bool ListSourceAutoFilter() const { return FListSourceAutoFilter; }
    void SetListSourceAutoFilter(bool Value) { FListSourceAutoFilter = Value; }
    TLSAutoFilterTypeEh ListSourceAutoFilterType() const { return FListSourceAutoFilterType; }
    void SetListSourceAutoFilterType(TLSAutoFilterTypeEh Value) { FListSourceAutoFilterType = Value; }
    bool AutoFitColWidths() const { return FAutoFitColWidths; }
    void SetAutoFitColWidths(bool Value) { FAutoFitColWidths = Value; }
    bool UseMultiTitle() const { return FUseMultiTitle; }
    void SetUseMultiTitle(bool Value) { FUseMultiTitle = Value; }

    // Through the owner's data list (made on first use); without one: nil, [] and False.
    TGridAxisBarsEh* Columns() const;
    void SetColumns(TGridAxisBarsEh* Value);
    bool IsColumnsStored() const;
    TAxisBarDefValuesEh* ColumnDefValues() const;
    void SetColumnDefValues(TAxisBarDefValuesEh* Value);
    TDBLookupGridEhOptions Options() const;
    void SetOptions(TDBLookupGridEhOptions Value);
    bool SortLocal() const;
    void SetSortLocal(bool Value);

    // Not published here (the lookup combo box publishes them).
    TDropDownAlign Align() const { return FAlign; }
    void SetAlign(TDropDownAlign Value) { FAlign = Value; }
    bool AutoDrop() const { return FAutoDrop; }
    void SetAutoDrop(bool Value) { FAutoDrop = Value; }
    int Rows() const { return FRows; }
    void SetRows(int Value) { FRows = Value; }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }
    bool ShowTitles() const { return FShowTitles; }
    void SetShowTitles(bool Value) { FShowTitles = Value; }
    bool Sizable() const { return FSizable; }
    void SetSizable(bool Value) { FSizable = Value; }
    TSpecRowEh* SpecRow() const { return FSpecRow; }
    void SetSpecRow(TSpecRowEh* Value) { FSpecRow->Assign(Value); }

protected:
    ILookupGridOwner* OwnerIntf() const;
    ILookupListGridEh* DataList() const;

    TPersistent* FOwner;
    ILookupGridOwner* FOwnerIntf;
    TDataSource* FListSource = nullptr;
    QString FListFieldNames;
    bool FListSourceAutoFilter = false;
    TLSAutoFilterTypeEh FListSourceAutoFilterType = lsftBeginsWithEh;
    bool FAutoFitColWidths = true;
    bool FUseMultiTitle = false;
    TDropDownAlign FAlign = daLeft;
    bool FAutoDrop = false;
    int FRows = 7;
    int FWidth = 0;
    bool FShowTitles = false;
    bool FSizable = false;
    TSpecRowEh* FSpecRow = nullptr;
};
