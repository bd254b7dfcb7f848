// Column footers of the data grid: the single footer of a column and its collection of further footers.
#pragma once

#include "platform/rtl/Classes.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"
#include "platform/vcl/Graphics.h"
#include "components/gridtools/core/DBSumLst.h"

class TColumnEh;
class TCustomDBGridEh;

// What a footer cell shows: nothing, a total over the dataset, a field of the current record
// or the static text in Value.
enum TFooterValueType { fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText };
DOV_ENUM_INFO(TFooterValueType, fvtNon, fvtSum, fvtAvg, fvtCount, fvtFieldValue, fvtStaticText)

// Properties of a footer that hold a value of its own; one flag each.
enum TColumnFooterEhValue { cvFooterAlignment, cvFooterFont, cvFooterColor, cvFooterToolTips };
DOV_ENUM_INFO(TColumnFooterEhValue, cvFooterAlignment, cvFooterFont, cvFooterColor, cvFooterToolTips)
using TColumnFooterEhValues = TSet<TColumnFooterEhValue>;

// The grid's sum list registers the maker when its unit starts. It adds an item to the grid's
// sum list and hands it to the footer, or answers nullptr when the grid has no sum list.
// Without a maker footers have no totals.
using TFooterSumMakerEh = IFooterSumEh* (*)(TCustomDBGridEh* Grid, TGroupOperation Operation, const QString& FieldName);
void SetFooterSumMakerEh(TFooterSumMakerEh Maker);
TFooterSumMakerEh FooterSumMakerEh();

// One footer cell of a grid column. Changes are reported to the owning column, which repaints
// and lays out its footer; set its properties on the UI thread only. A footer made without a
// column only keeps its settings.
class TColumnFooterEh : public TCollectionItem {
    DOV_PERSISTENT(TColumnFooterEh, TCollectionItem)
public:
    // A footer in a TColumnFootersEh: its column is the collection's.
    explicit TColumnFooterEh(TCollection* Collection);
    // The column's own footer, in no collection.
    explicit TColumnFooterEh(TColumnEh* Column);
    TColumnFooterEh() : TColumnFooterEh(static_cast<TColumnEh*>(nullptr)) {}
    ~TColumnFooterEh() override;

    // From a footer: the flagged alignment, colour and font, the rest always.
    void Assign(TPersistent* Source) override;
    // Drops every own value; the column hears of it with AllItems exactly when the font was own.
    void RestoreDefaults();
    // Makes an unassigned font equal to the default again.
    void RefreshDefaultFont();
    // Keeps the footer's total in the grid's sum list in step with its settings.
    void EnsureSumValue();

    TColumnEh* Column() const { return FColumn; }
    TColumnFooterEhValues AssignedValues() const { return FAssignedValues; }
    // Null without a total, else the total as a Currency.
    Variant SumValue() const;
    IFooterSumEh* DBSum() const { return FDBSum; }

    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    bool DefaultToolTips() const;

    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    TColor Color() const;
    void SetColor(TColor Value);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& Value);
    bool EndEllipsis() const { return FEndEllipsis; }
    void SetEndEllipsis(bool Value);
    // Empty: the column's field.
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    bool ToolTips() const;
    void SetToolTips(bool Value);
    // The static text. Every write reaches the column, also an unchanged text.
    QString Value() const { return FValue; }
    void SetValue(const QString& AValue);
    TFooterValueType ValueType() const { return FValueType; }
    void SetValueType(TFooterValueType Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsToolTipsStored() const;

private:
    void Init();
    void FontChanged(TObject* Sender);
    void ColumnChanged(bool AllItems);
    void InvalidateGridFooter();

    TColumnEh* FColumn = nullptr;
    TColumnFooterEhValues FAssignedValues;
    TAlignment FAlignment = taLeftJustify;
    TColor FColor = clWindow;
    QString FDisplayFormat;
    bool FEndEllipsis = false;
    QString FFieldName;
    TFont* FFont = nullptr;
    bool FToolTips = false;
    QString FValue;
    TFooterValueType FValueType = fvtNon;
    bool FWordWrap = false;
    IFooterSumEh* FDBSum = nullptr;
};

// The further footers of a column, one per footer row. Footers tell their column of their
// changes themselves; the collection's own change notice does nothing.
class TColumnFootersEh : public TOwnedCollection {
    DOV_PERSISTENT(TColumnFootersEh, TOwnedCollection)
public:
    explicit TColumnFootersEh(TColumnEh* Column);

    TColumnEh* Column() const { return FColumn; }
    TColumnFooterEh* Items(int Index) const { return ItemAs<TColumnFooterEh>(Index); }
    // Assigns Value into the footer at Index.
    void SetItems(int Index, TColumnFooterEh* Value) { Items(Index)->Assign(Value); }
    TColumnFooterEh* Add() { return static_cast<TColumnFooterEh*>(TCollection::Add()); }

private:
    TColumnEh* FColumn;
};
