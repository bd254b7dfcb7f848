// Axis bar collections and the grid-wide default values of bars.
#pragma once

#include "DBAxisGridsEh_Bars.h"
#include "platform/rtl/Classes.h"
#include "platform/vcl/Controls.h"

class TStream;
class TStrings;
class TAxisBarDefValuesEh;

// csCustomized exactly when the first bar is a stored one (made by a form, the application
// or AddAllBars); otherwise the grid's layout rebuild keeps one default bar per field.
enum TDBGridBarsState { csDefault, csCustomized };
DOV_ENUM_INFO(TDBGridBarsState, csDefault, csCustomized)

// ---------------------------------------------------------------- TGridAxisBarsEh

class TGridAxisBarsEh : public TCollection {
    DOV_PERSISTENT(TGridAxisBarsEh, TCollection)
public:
    TGridAxisBarsEh(TCustomDBAxisGridEh* Grid, const TClassInfo& BarClass);

    TCustomDBAxisGridEh* Grid() const { return FGrid; }

    // A new stored bar.
    TAxisBarEh* Add();
    // A new bar that is not stored: only the grid's layout rebuild makes these.
    TAxisBarEh* AddDefaultBar();
    // Index errors as the collection raises them; writing assigns into the bar at Index.
    TAxisBarEh* Items(int Index) const;
    void SetItems(int Index, TAxisBarEh* Value);

    TDBGridBarsState State() const;
    void SetState(TDBGridBarsState Value);

    // One stored bar per field of the grid's dataset, in field order.
    void AddAllBars(bool DeleteExisting);
    void RebuildBars();
    void RestoreDefaults();

    // Bars are named "Column_<index>_<field name>"; the match is case-sensitive.
    TAxisBarEh* FindBarByName(const QString& ColumnName) const;
    // The name FindBarByName knows a bar by.
    QString BarNameOf(const TAxisBarEh* Bar) const;
    void GetBarNames(TStrings* List) const;
    bool CheckItemInList(const TAxisBarEh* AxisBar) const;
    // The grid's data link went active or inactive: every lookup recomputes its state.
    void ActiveChanged();

    // Copies a bar collection inside one layout lock of the grid.
    void Assign(TPersistent* Source) override;

    // The binary component stream of a TColumnsWrapper that carries this collection.
    void SaveToStream(TStream* S);
    void SaveToFile(const QString& FileName);
    // The collection is replaced only once the whole stream was read; on a read error it
    // stays as it was.
    void LoadFromStream(TStream* S);
    void LoadFromFile(const QString& FileName);

    int GetUpdateCount() const { return UpdateCount(); }

    // The grid, for streaming path names.
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override;

    TCustomDBAxisGridEh* FGrid;
};

// ---------------------------------------------------------------- TColumnsWrapper

// Carries a bar collection through the component stream: the stream's root component.
class TColumnsWrapper : public TComponent {
    DOV_PERSISTENT(TColumnsWrapper, TComponent)
public:
    explicit TColumnsWrapper(TComponent* AOwner) : TComponent(AOwner) {}

    TGridAxisBarsEh* AxisBars() const { return FAxisBars; }
    void SetAxisBars(TGridAxisBarsEh* Value) { FAxisBars = Value; }

private:
    TGridAxisBarsEh* FAxisBars = nullptr;
};

// ---------------------------------------------------------------- TAxisBarsEhList

// A list of bars that does not own them.
class TAxisBarsEhList : public TObjectList {
public:
    TAxisBarsEhList() : TObjectList(false) {}

    TAxisBarEh* Items(int Index) const { return static_cast<TAxisBarEh*>(TObjectList::Items(Index)); }
    void SetItems(int Index, TAxisBarEh* Value) { TObjectList::SetItems(Index, Value); }
    TAxisBarEh* operator[](int Index) const { return Items(Index); }
};

// ---------------------------------------------------------------- title default values

enum TAxisBarCaptionDefValuesEhValue { cvdpTitleColorEh, cvdpTitleAlignmentEh };
DOV_ENUM_INFO(TAxisBarCaptionDefValuesEhValue, cvdpTitleColorEh, cvdpTitleAlignmentEh)
using TAxisBarCaptionDefValuesEhValues = TSet<TAxisBarCaptionDefValuesEhValue>;

class TAxisBarCaptionDefValuesEh : public TPersistent {
    DOV_PERSISTENT(TAxisBarCaptionDefValuesEh, TPersistent)
public:
    explicit TAxisBarCaptionDefValuesEh(TAxisBarDefValuesEh* Owner) : FOwner(Owner) {}

    TAxisBarDefValuesEh* Owner() const { return FOwner; }
    TCustomDBAxisGridEh* Grid() const;
    void Assign(TPersistent* Source) override;

    TAxisBarCaptionDefValuesEhValues AssignedValues() const { return FAssignedValues; }

    // Alignment and Color follow the grid's defaults until they are given a value.
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TColor Color() const;
    void SetColor(TColor Value);
    virtual TAlignment DefaultAlignment() const;
    virtual TColor DefaultColor() const;
    bool IsAlignmentStored() const;
    bool IsColorStored() const;

    bool EndEllipsis() const { return FEndEllipsis; }
    void SetEndEllipsis(bool Value);
    TTextOrientationEh Orientation() const { return FOrientation; }
    void SetOrientation(TTextOrientationEh Value);
    bool TitleButton() const { return FTitleButton; }
    void SetTitleButton(bool Value) { FTitleButton = Value; }
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool Value) { FToolTips = Value; }

    TPersistent* GetOwner() const override;

private:
    TAxisBarDefValuesEh* FOwner;
    TAxisBarCaptionDefValuesEhValues FAssignedValues;
    TAlignment FAlignment = taLeftJustify;
    TColor FColor = clBtnFace;
    bool FEndEllipsis = false;
    TTextOrientationEh FOrientation = tohHorizontal;
    bool FTitleButton = false;
    bool FToolTips = false;
};

// ---------------------------------------------------------------- bar default values

// What every bar property without an own value falls back to. Made by the grid's
// CreateAxisBarDefValues through Create<T>: the title part comes from the virtual
// CreateTitleDefValues in AfterConstruction.
class TAxisBarDefValuesEh : public TPersistent {
    DOV_PERSISTENT(TAxisBarDefValuesEh, TPersistent)
public:
    explicit TAxisBarDefValuesEh(TCustomDBAxisGridEh* Grid) : FGrid(Grid) {}
    ~TAxisBarDefValuesEh() override;
    void AfterConstruction() override;

    TCustomDBAxisGridEh* Grid() const { return FGrid; }
    // Layout and HighlightRequired are not copied.
    void Assign(TPersistent* Source) override;

    bool AlwaysShowEditButton() const { return FAlwaysShowEditButton; }
    void SetAlwaysShowEditButton(bool Value);
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    bool DblClickNextVal() const { return FDblClickNextVal; }
    void SetDblClickNextVal(bool Value) { FDblClickNextVal = Value; }
    bool DropDownShowTitles() const { return FDropDownShowTitles; }
    void SetDropDownShowTitles(bool Value) { FDropDownShowTitles = Value; }
    bool DropDownSizing() const { return FDropDownSizing; }
    void SetDropDownSizing(bool Value) { FDropDownSizing = Value; }
    bool EndEllipsis() const { return FEndEllipsis; }
    void SetEndEllipsis(bool Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool HighlightRequired() const { return FHighlightRequired; }
    void SetHighlightRequired(bool Value);
    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool Value) { FToolTips = Value; }
    TAxisBarCaptionDefValuesEh* Title() const { return FTitle; }
    void SetTitle(TAxisBarCaptionDefValuesEh* Value);

    TPersistent* GetOwner() const override;
    // Repaints the grid, when there is one.
    void RepaintGrid() const;

protected:
    virtual TAxisBarCaptionDefValuesEh* CreateTitleDefValues();

private:
    TCustomDBAxisGridEh* FGrid;
    TAxisBarCaptionDefValuesEh* FTitle = nullptr;
    bool FAlwaysShowEditButton = false;
    bool FAutoDropDown = false;
    bool FDblClickNextVal = false;
    bool FDropDownShowTitles = false;
    bool FDropDownSizing = false;
    bool FEndEllipsis = false;
    TTextLayout FLayout = tlTop;
    bool FHighlightRequired = false;
    bool FToolTips = false;
};

// ---------------------------------------------------------------- footer default values

class TColumnFooterDefValuesEh : public TPersistent {
    DOV_PERSISTENT(TColumnFooterDefValuesEh, TPersistent)
public:
    TColumnFooterDefValuesEh() = default;
    void Assign(TPersistent* Source) override;

    bool ToolTips() const { return FToolTips; }
    void SetToolTips(bool Value) { FToolTips = Value; }

private:
    bool FToolTips = false;
};
