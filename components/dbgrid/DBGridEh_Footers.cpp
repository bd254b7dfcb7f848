// Column footers: the footer's settings with their defaults, its total in the grid's sum list,
// and the column's footers.
#include "DBGridEh.h"

#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"

namespace {
TFooterSumMakerEh GFooterSumMaker = nullptr;

TCustomDBGridEh* GridOf(const TColumnEh* Column) { return Column ? Column->Grid() : nullptr; }

}

void SetFooterSumMakerEh(TFooterSumMakerEh Maker) { GFooterSumMaker = Maker; }
TFooterSumMakerEh FooterSumMakerEh() { return GFooterSumMaker; }

// ============================================================================================
// TColumnFooterEh
// ============================================================================================

DOV_PUBLISHED(TColumnFooterEh)
{
    P.Prop("Alignment", &TColumnFooterEh::Alignment, &TColumnFooterEh::SetAlignment)
        .NoDefault()
        .Stored(&TColumnFooterEh::IsAlignmentStored);
    P.Prop("Color", &TColumnFooterEh::Color, &TColumnFooterEh::SetColor).NoDefault().Stored(&TColumnFooterEh::IsColorStored);
    P.Prop("DisplayFormat", &TColumnFooterEh::DisplayFormat, &TColumnFooterEh::SetDisplayFormat);
    P.Prop("EndEllipsis", &TColumnFooterEh::EndEllipsis, &TColumnFooterEh::SetEndEllipsis).Default(false);
    P.Prop("FieldName", &TColumnFooterEh::FieldName, &TColumnFooterEh::SetFieldName);
    P.Prop("Font", &TColumnFooterEh::Font, &TColumnFooterEh::SetFont).Stored(&TColumnFooterEh::IsFontStored);
    P.Prop("ToolTips", &TColumnFooterEh::ToolTips, &TColumnFooterEh::SetToolTips)
        .NoDefault()
        .Stored(&TColumnFooterEh::IsToolTipsStored);
    P.Prop("Value", &TColumnFooterEh::Value, &TColumnFooterEh::SetValue);
    P.Prop("ValueType", &TColumnFooterEh::ValueType, &TColumnFooterEh::SetValueType).Default(fvtNon);
    P.Prop("WordWrap", &TColumnFooterEh::WordWrap, &TColumnFooterEh::SetWordWrap).Default(false);
}

TColumnFooterEh::TColumnFooterEh(TCollection* Collection) : TCollectionItem(Collection)
{
    if (auto* footers = dynamic_cast<TColumnFootersEh*>(Collection))
        FColumn = footers->Column();
    Init();
    InvalidateGridFooter();
}

TColumnFooterEh::TColumnFooterEh(TColumnEh* Column) : TCollectionItem(nullptr), FColumn(Column) { Init(); }

void TColumnFooterEh::Init()
{
    FFont = new TFont;
    if (TFont* def = DefaultFont())
        FFont->Assign(def);
    FFont->OnChange = TNotifyEvent(this, &TColumnFooterEh::FontChanged);
}

TColumnFooterEh::~TColumnFooterEh()
{
    InvalidateGridFooter();
    FFont->OnChange = nullptr;
    delete FFont;
    delete FDBSum;
}

void TColumnFooterEh::InvalidateGridFooter()
{
    if (TCustomDBGridEh* grid = GridOf(FColumn))
        grid->Invalidate();
}

void TColumnFooterEh::ColumnChanged(bool AllItems)
{
    if (FColumn)
        FColumn->Changed(AllItems);
}

void TColumnFooterEh::FontChanged(TObject*)
{
    FAssignedValues.Include(cvFooterFont);
    ColumnChanged(true);
}

void TColumnFooterEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TColumnFooterEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    if (src->FAssignedValues.Contains(cvFooterAlignment))
        SetAlignment(src->Alignment());
    if (src->FAssignedValues.Contains(cvFooterColor))
        SetColor(src->Color());
    if (src->FAssignedValues.Contains(cvFooterFont))
        SetFont(src->Font());
    SetEndEllipsis(src->EndEllipsis());
    SetValueType(src->ValueType());
    SetFieldName(src->FieldName());
    SetValue(src->Value());
    SetWordWrap(src->WordWrap());
    SetDisplayFormat(src->DisplayFormat());
    SetToolTips(src->ToolTips());
}

void TColumnFooterEh::RestoreDefaults()
{
    const bool fontWasOwn = FAssignedValues.Contains(cvFooterFont);
    FAssignedValues = TColumnFooterEhValues();
    RefreshDefaultFont();
    ColumnChanged(fontWasOwn);
}

void TColumnFooterEh::RefreshDefaultFont()
{
    if (!FAssignedValues.Contains(cvFooterFont))
        CopyDefaultFont(FFont, DefaultFont());
}

void TColumnFooterEh::EnsureSumValue()
{
    TCustomDBGridEh* grid = GridOf(FColumn);
    if (!grid)
        return;
    const bool aggregate = FValueType == fvtSum || FValueType == fvtAvg || FValueType == fvtCount;
    if (!aggregate) {
        delete FDBSum;
        FDBSum = nullptr;
        return;
    }
    const TGroupOperation op = FValueType == fvtSum ? goSum : FValueType == fvtAvg ? goAvg : goCount;
    QString fieldName;
    if (op != goCount)
        fieldName = FFieldName.isEmpty() ? FColumn->FieldName() : FFieldName;
    if (FDBSum) {
        FDBSum->SetGroupOperation(op);
        FDBSum->SetFieldName(fieldName);
    } else if (GFooterSumMaker) {
        FDBSum = GFooterSumMaker(grid, op, fieldName);
    }
}

Variant TColumnFooterEh::SumValue() const
{
    if (!FDBSum)
        return Variant::Null();
    return Variant(FDBSum->SumValue());
}

// ---- defaults ----

TAlignment TColumnFooterEh::DefaultAlignment() const
{
    if (FColumn)
        if (TField* f = FColumn->Field())
            return f->Alignment();
    return taLeftJustify;
}

TColor TColumnFooterEh::DefaultColor() const
{
    if (TCustomDBGridEh* grid = GridOf(FColumn))
        return grid->FooterParams()->GetColor();
    return clWindow;
}

TFont* TColumnFooterEh::DefaultFont() const
{
    if (TCustomDBGridEh* grid = GridOf(FColumn))
        return grid->FooterFont();
    return FColumn ? FColumn->Font() : nullptr;
}

bool TColumnFooterEh::DefaultToolTips() const
{
    TCustomDBGridEh* grid = GridOf(FColumn);
    auto* def = grid ? dynamic_cast<TColumnDefValuesEh*>(grid->AxisBarDefValues()) : nullptr;
    return def && def->Footer()->ToolTips();
}

// ---- properties ----

TAlignment TColumnFooterEh::Alignment() const
{
    return FAssignedValues.Contains(cvFooterAlignment) ? FAlignment : DefaultAlignment();
}

void TColumnFooterEh::SetAlignment(TAlignment Value)
{
    if (FAssignedValues.Contains(cvFooterAlignment) && Value == FAlignment)
        return;
    FAlignment = Value;
    FAssignedValues.Include(cvFooterAlignment);
    ColumnChanged(false);
}

TColor TColumnFooterEh::Color() const { return FAssignedValues.Contains(cvFooterColor) ? FColor : DefaultColor(); }

void TColumnFooterEh::SetColor(TColor Value)
{
    if (FAssignedValues.Contains(cvFooterColor) && Value == FColor)
        return;
    FColor = Value;
    FAssignedValues.Include(cvFooterColor);
    ColumnChanged(false);
}

void TColumnFooterEh::SetDisplayFormat(const QString& Value)
{
    if (Value == FDisplayFormat)
        return;
    FDisplayFormat = Value;
    ColumnChanged(false);
}

void TColumnFooterEh::SetEndEllipsis(bool Value)
{
    FEndEllipsis = Value;
    ColumnChanged(false);
}

void TColumnFooterEh::SetFieldName(const QString& Value)
{
    FFieldName = Value;
    if (FColumn)
        FColumn->EnsureFootersSumValue();
    ColumnChanged(false);
}

TFont* TColumnFooterEh::Font() const
{
    if (!FAssignedValues.Contains(cvFooterFont))
        CopyDefaultFont(FFont, DefaultFont());
    return FFont;
}

void TColumnFooterEh::SetFont(TFont* Value) { FFont->Assign(Value); }

bool TColumnFooterEh::ToolTips() const
{
    return FAssignedValues.Contains(cvFooterToolTips) ? FToolTips : DefaultToolTips();
}

void TColumnFooterEh::SetToolTips(bool Value)
{
    if (FAssignedValues.Contains(cvFooterToolTips) && Value == FToolTips)
        return;
    FToolTips = Value;
    FAssignedValues.Include(cvFooterToolTips);
}

void TColumnFooterEh::SetValue(const QString& AValue)
{
    FValue = AValue;
    ColumnChanged(false);
}

void TColumnFooterEh::SetValueType(TFooterValueType Value)
{
    if (Value == FValueType)
        return;
    FValueType = Value;
    if (FColumn)
        FColumn->EnsureFootersSumValue();
    ColumnChanged(false);
}

void TColumnFooterEh::SetWordWrap(bool Value)
{
    FWordWrap = Value;
    ColumnChanged(false);
}

bool TColumnFooterEh::IsAlignmentStored() const
{
    return FAssignedValues.Contains(cvFooterAlignment) && FAlignment != DefaultAlignment();
}

bool TColumnFooterEh::IsColorStored() const
{
    return FAssignedValues.Contains(cvFooterColor) && FColor != DefaultColor();
}

bool TColumnFooterEh::IsFontStored() const { return FAssignedValues.Contains(cvFooterFont); }

bool TColumnFooterEh::IsToolTipsStored() const { return FAssignedValues.Contains(cvFooterToolTips) && FToolTips; }

// ============================================================================================
// TColumnFootersEh
// ============================================================================================

DOV_PUBLISHED(TColumnFootersEh) {}

TColumnFootersEh::TColumnFootersEh(TColumnEh* Column)
    : TOwnedCollection(Column, TColumnFooterEh::StaticClassInfo()), FColumn(Column)
{
}

// ============================================================================================
// TColumnEh: footers
// ============================================================================================

TColumnFooterEh* TColumnEh::Footer() const
{
    if (!FFooter)
        FFooter.reset(const_cast<TColumnEh*>(this)->CreateFooter());
    return FFooter.get();
}

void TColumnEh::SetFooter(TColumnFooterEh* Value) { Footer()->Assign(Value); }

TColumnFootersEh* TColumnEh::Footers() const
{
    if (!FFooters)
        FFooters.reset(const_cast<TColumnEh*>(this)->CreateFooters());
    return FFooters.get();
}

void TColumnEh::SetFooters(TColumnFootersEh* Value) { Footers()->Assign(Value); }

TColumnFooterEh* TColumnEh::UsedFooter(int Index) const
{
    TColumnFootersEh* footers = Footers();
    if (Index >= 0 && Index < footers->Count())
        return footers->Items(Index);
    return Footer();
}

void TColumnEh::EnsureFootersSumValue()
{
    // Footers not made yet have no total to keep.
    if (FFooter)
        FFooter->EnsureSumValue();
    if (FFooters)
        for (int i = 0; i < FFooters->Count(); ++i)
            FFooters->Items(i)->EnsureSumValue();
}

TColumnFooterEh* TColumnEh::CreateFooter() { return Create<TColumnFooterEh>(this); }

TColumnFootersEh* TColumnEh::CreateFooters() { return Create<TColumnFootersEh>(this); }
