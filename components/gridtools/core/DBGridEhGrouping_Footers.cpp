// Group footer definitions: footers, their column items and defaults; aggregation of one
// record into a footer value and the text of a value.
#include "DBGridEhGrouping.h"
#include "DBGridEhGrouping_Fonts.h"

#include "components/axisgrid/DBAxisGridsEh_Bars.h"
#include "components/axisgrid/DBAxisGridsEh_Collections.h"
#include "components/axisgrid/DBAxisGridsEh_Grid.h"
#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"

// ---------------------------------------------------------------- TGridDataGroupFootersDefValuesEh

DOV_PUBLISHED(TGridDataGroupFootersDefValuesEh)
{
    P.Prop("RunTimeCustomizable", &TGridDataGroupFootersDefValuesEh::RunTimeCustomizable,
           &TGridDataGroupFootersDefValuesEh::SetRunTimeCustomizable)
        .Default(false);
    P.Prop("ShowFunctionName", &TGridDataGroupFootersDefValuesEh::ShowFunctionName,
           &TGridDataGroupFootersDefValuesEh::SetShowFunctionName)
        .Default(false);
}

TGridDataGroupFootersDefValuesEh::TGridDataGroupFootersDefValuesEh(TGridDataGroupsEh* ADataGroups) : FDataGroups(ADataGroups) {}

void TGridDataGroupFootersDefValuesEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TGridDataGroupFootersDefValuesEh*>(Source)) {
        FRunTimeCustomizable = src->FRunTimeCustomizable;
        SetShowFunctionName(src->FShowFunctionName);
        return;
    }
    TPersistent::Assign(Source);
}

void TGridDataGroupFootersDefValuesEh::SetShowFunctionName(bool Value)
{
    if (Value == FShowFunctionName)
        return;
    FShowFunctionName = Value;
    if (FDataGroups)
        FDataGroups->FooterValuesChanged();
}

// ---------------------------------------------------------------- TGridDataGroupFooterColumnItemEh

DOV_PUBLISHED(TGridDataGroupFooterColumnItemEh)
{
    using C = TGridDataGroupFooterColumnItemEh;
    P.Prop("Alignment", &C::Alignment, &C::SetAlignment).Default(taRightJustify);
    P.Prop("Color", &C::Color, &C::SetColor).NoDefault().Stored(&C::IsColorStored);
    P.Prop("DisplayFormat", &C::DisplayFormat, &C::SetDisplayFormat);
    P.Prop("Font", &C::Font, &C::SetFont).Stored(&C::IsFontStored);
    P.Prop("ParentColor", &C::ParentColor, &C::SetParentColor).Default(true);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("RunTimeCustomizable", &C::RunTimeCustomizable, &C::SetRunTimeCustomizable)
        .NoDefault()
        .Stored(&C::RunTimeCustomizableStored);
    P.Prop("RunTimeCustomizableStored", &C::RunTimeCustomizableStored, &C::SetRunTimeCustomizableStored).Default(false);
    P.Prop("ShowFunctionName", &C::ShowFunctionName, &C::SetShowFunctionName).NoDefault().Stored(&C::IsShowFunctionNameStored);
    P.Prop("ShowFunctionNameStored", &C::ShowFunctionNameStored, &C::SetShowFunctionNameStored).Default(false);
    P.Prop("ValueType", &C::ValueType, &C::SetValueType).Default(gfvNonEh);
}

TGridDataGroupFooterColumnItemEh::TGridDataGroupFooterColumnItemEh(TCollection* Collection) : TCollectionItem(Collection) {}

void TGridDataGroupFooterColumnItemEh::AfterConstruction()
{
    TCollectionItem::AfterConstruction();
    FFont = new TFont();
    if (TGridDataGroupFooterEh* footer = Footer())
        FFont->Assign(footer->Font());
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupFooterColumnItemEh::FontChanged);
    if (auto* items = dynamic_cast<TGridDataGroupFooterColumnItemsEh*>(Collection()); items && items->InMaking.Finished(this))
        Changed(false);
}

TGridDataGroupFooterColumnItemEh::~TGridDataGroupFooterColumnItemEh()
{
    if (auto* items = dynamic_cast<TGridDataGroupFooterColumnItemsEh*>(Collection()))
        items->InMaking.Removed(this);
    delete FFont;
}

TGridDataGroupFooterEh* TGridDataGroupFooterColumnItemEh::Footer() const
{
    auto* items = dynamic_cast<TGridDataGroupFooterColumnItemsEh*>(Collection());
    return items ? items->Footer() : nullptr;
}

TGridDataGroupsEh* TGridDataGroupFooterColumnItemEh::DataGroups() const
{
    TGridDataGroupFooterEh* footer = Footer();
    return footer ? footer->DataGroups() : nullptr;
}

TField* TGridDataGroupFooterColumnItemEh::Field() const { return FColumn ? FColumn->Field() : nullptr; }

void TGridDataGroupFooterColumnItemEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TGridDataGroupFooterColumnItemEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    FAlignment = src->FAlignment;
    FColor = src->FColor;
    FDisplayFormat = src->FDisplayFormat;
    {
        FFontChanging = true;
        auto back = Finally([&] { FFontChanging = false; });
        FFont->Assign(src->FFont);
    }
    FParentColor = src->FParentColor;
    FParentFont = src->FParentFont;
    FValueType = src->FValueType;
    FShowFunctionName = src->FShowFunctionName;
    FShowFunctionNameStored = src->FShowFunctionNameStored;
    FRunTimeCustomizable = src->FRunTimeCustomizable;
    FRunTimeCustomizableStored = src->FRunTimeCustomizableStored;
    ValuesChanged();
}

void TGridDataGroupFooterColumnItemEh::SetAlignment(TAlignment Value)
{
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    AppearanceChanged();
}

TColor TGridDataGroupFooterColumnItemEh::Color() const
{
    if (FParentColor)
        if (TGridDataGroupFooterEh* footer = Footer())
            return footer->ItemsParentColor();
    return FColor;
}

void TGridDataGroupFooterColumnItemEh::SetColor(TColor Value)
{
    if (!FParentColor && Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

TFont* TGridDataGroupFooterColumnItemEh::Font() const
{
    if (FParentFont)
        if (TGridDataGroupFooterEh* footer = Footer())
            CopyParentFontEh(FFont, footer->ItemsParentFont(), FFontChanging);
    return FFont;
}

void TGridDataGroupFooterColumnItemEh::SetFont(TFont* Value) { FFont->Assign(Value); }

void TGridDataGroupFooterColumnItemEh::FontChanged(TObject*)
{
    if (FFontChanging)
        return;
    FParentFont = false;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetParentColor(bool Value)
{
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetValueType(TGroupFooterValueTypeEh Value)
{
    if (Value == FValueType)
        return;
    FValueType = Value;
    ValuesChanged();
}

void TGridDataGroupFooterColumnItemEh::SetDisplayFormat(const QString& Value)
{
    if (Value == FDisplayFormat)
        return;
    FDisplayFormat = Value;
    AppearanceChanged();
}

bool TGridDataGroupFooterColumnItemEh::ShowFunctionName() const
{
    if (!FShowFunctionNameStored)
        if (TGridDataGroupFooterEh* footer = Footer())
            return footer->ShowFunctionName();
    return FShowFunctionName;
}

void TGridDataGroupFooterColumnItemEh::SetShowFunctionName(bool Value)
{
    if (FShowFunctionNameStored && Value == FShowFunctionName)
        return;
    FShowFunctionName = Value;
    FShowFunctionNameStored = true;
    AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::SetShowFunctionNameStored(bool Value)
{
    if (Value == FShowFunctionNameStored)
        return;
    if (Value)
        FShowFunctionName = ShowFunctionName();
    FShowFunctionNameStored = Value;
    ValuesChanged();
}

bool TGridDataGroupFooterColumnItemEh::RunTimeCustomizable() const
{
    return FRunTimeCustomizableStored ? FRunTimeCustomizable : DefaultRunTimeCustomizable();
}

void TGridDataGroupFooterColumnItemEh::SetRunTimeCustomizable(bool Value)
{
    FRunTimeCustomizable = Value;
    FRunTimeCustomizableStored = true;
}

void TGridDataGroupFooterColumnItemEh::SetRunTimeCustomizableStored(bool Value)
{
    if (Value == FRunTimeCustomizableStored)
        return;
    if (Value)
        FRunTimeCustomizable = RunTimeCustomizable();
    FRunTimeCustomizableStored = Value;
}

bool TGridDataGroupFooterColumnItemEh::DefaultRunTimeCustomizable() const
{
    TGridDataGroupFooterEh* footer = Footer();
    return footer && footer->RunTimeCustomizable();
}

void TGridDataGroupFooterColumnItemEh::AppearanceChanged()
{
    if (TGridDataGroupFooterEh* footer = Footer())
        footer->AppearanceChanged();
}

void TGridDataGroupFooterColumnItemEh::ValuesChanged()
{
    if (TGridDataGroupFooterEh* footer = Footer())
        footer->ValuesChanged();
}

bool TGridDataGroupFooterColumnItemEh::IsAggregateType(TGroupFooterValueTypeEh Type)
{
    return Type == gfvSumEh || Type == gfvAvgEh || Type == gfvCountEh || Type == gfvMaxEh || Type == gfvMinEh;
}

void TGridDataGroupFooterColumnItemEh::AggregateValue(Variant& AValue, TGroupDataTreeNodeEh* Node)
{
    if (FValueType != gfvNonEh)
        if (TGridDataGroupsEh* groups = DataGroups())
            if (groups->DataGroupFooterAggregateValue(Footer(), this, AValue, Node))
                return;
    const bool first = AValue.IsEmpty();
    if (FValueType == gfvNonEh || FValueType == gfvStaticTextEh || FValueType == gfvCustomEh) {
        // No record value needed.
        if (FValueType == gfvNonEh)
            AValue = first ? Variant::Null() : Variant(QString());
        else if (first)
            AValue = Variant(FValueType == gfvStaticTextEh ? QStringLiteral("StaticText") : QStringLiteral("Custom"));
        return;
    }
    TField* field = Field();
    AddRecordValue(FValueType, AValue, field ? field->AsVariant() : Variant::Null());
}

void TGridDataGroupFooterColumnItemEh::AddRecordValue(TGroupFooterValueTypeEh Type, Variant& AValue, const Variant& V)
{
    const bool first = AValue.IsEmpty();
    const bool vNull = V.IsNull() || V.IsEmpty();
    switch (Type) {
    case gfvNonEh:
    case gfvStaticTextEh:
    case gfvCustomEh:
        break;
    case gfvSumEh:
        if (first)
            AValue = vNull ? Variant::Null() : V;
        else if (!vNull)
            AValue = AValue.IsNull() ? V : AValue + V;
        break;
    case gfvAvgEh:
        if (first)
            AValue = VarArrayOf({vNull ? Variant::Null() : V, Variant(vNull ? 0 : 1)});
        else if (!vNull) {
            const Variant sum = AValue.GetElement(0);
            AValue.SetElement(0, sum.IsNull() ? V : sum + V);
            AValue.SetElement(1, AValue.GetElement(1) + Variant(1));
        }
        break;
    case gfvCountEh:
        if (first)
            AValue = Variant(vNull ? 0 : 1);
        else if (!vNull)
            AValue = AValue + Variant(1);
        break;
    case gfvMaxEh:
        if (first)
            AValue = vNull ? Variant::Null() : V;
        else if (!vNull && (AValue.IsNull() || AValue < V))
            AValue = V;
        break;
    case gfvMinEh:
        if (first)
            AValue = vNull ? Variant::Null() : V;
        else if (!vNull && (AValue.IsNull() || AValue > V))
            AValue = V;
        break;
    }
}

void TGridDataGroupFooterColumnItemEh::FinalizeValue(Variant& AValue)
{
    if (FValueType != gfvNonEh)
        if (TGridDataGroupsEh* groups = DataGroups())
            if (groups->DataGroupFooterFinalizeValue(Footer(), this, AValue))
                return;
    if (FValueType == gfvAvgEh && AValue.IsArray()) {
        const Variant count = AValue.GetElement(1);
        AValue = count.AsInteger() == 0 ? Variant::Null() : Variant(AValue.GetElement(0).AsDouble() / count.AsDouble());
    } else if (FValueType == gfvCountEh && AValue.IsEmpty()) {
        AValue = Variant(0);
    }
}

Variant TGridDataGroupFooterColumnItemEh::AggrValue(TGroupDataTreeNodeEh* FooterNode) const
{
    if (!FooterNode)
        return Variant();
    const int idx = FColumn ? FColumn->Index() : Index();
    const std::vector<Variant>& values = FooterNode->FooterValue();
    return idx >= 0 && size_t(idx) < values.size() ? values[size_t(idx)] : Variant();
}

QString TGridDataGroupFooterColumnItemEh::ConvertToDisplayText(const Variant& AValue)
{
    if (FValueType != gfvNonEh)
        if (TGridDataGroupsEh* groups = DataGroups()) {
            Variant value = AValue;
            QString text;
            if (groups->DataGroupFooterToDisplayText(Footer(), this, value, text))
                return text;
        }
    QString text;
    TField* field = Field();
    if (field) {
        const QString format = !FDisplayFormat.isEmpty() ? FDisplayFormat : (FColumn ? FColumn->DisplayFormat() : QString());
        switch (FValueType) {
        case gfvSumEh:
        case gfvMaxEh:
        case gfvMinEh:
            text = FormatVariantByField(AValue, field, format);
            break;
        case gfvAvgEh:
            // Averages have decimals the column's own format would hide.
            text = FormatVariantByField(AValue, field, FDisplayFormat.isEmpty() ? QStringLiteral("0.####") : FDisplayFormat);
            break;
        default:
            text = VarToStr(AValue);
            break;
        }
    } else {
        text = VarToStr(AValue);
    }
    if (ShowFunctionName() && IsAggregateType(FValueType)) {
        static const char* const names[] = {"", "Sum = ", "Avg = ", "Cnt = ", "Max = ", "Min = "};
        text = QString::fromLatin1(names[FValueType]) + text;
    }
    return text;
}

// ---------------------------------------------------------------- TGridDataGroupFooterColumnItemsEh

DOV_PUBLISHED(TGridDataGroupFooterColumnItemsEh) {}

TGridDataGroupFooterColumnItemsEh::TGridDataGroupFooterColumnItemsEh(TGridDataGroupFooterEh* AFooter)
    : TCollection(TGridDataGroupFooterColumnItemEh::StaticClassInfo()), FFooter(AFooter)
{
}

int TGridDataGroupFooterColumnItemsEh::ItemIndexByColumn(TAxisBarEh* Column) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Column() == Column)
            return i;
    return -1;
}

void TGridDataGroupFooterColumnItemsEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TGridDataGroupFooterColumnItemsEh*>(Source);
    if (!src) {
        TCollection::Assign(Source);
        return;
    }
    BeginUpdate();
    auto done = Finally([&] { EndUpdate(); });
    const int n = std::min(Count(), src->Count());
    for (int i = 0; i < n; ++i)
        Items(i)->Assign(src->Items(i));
}

TPersistent* TGridDataGroupFooterColumnItemsEh::GetOwner() const { return FFooter; }

void TGridDataGroupFooterColumnItemsEh::Update(TCollectionItem*)
{
    if (InMaking.Any() || Syncing)
        return;
    if (FFooter)
        FFooter->ValuesChanged();
}

void TGridDataGroupFooterColumnItemsEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    if (Action == cnAdded)
        InMaking.Added(Item);
    else
        InMaking.Removed(Item);
}

// ---------------------------------------------------------------- TGridDataGroupFooterEh

DOV_PUBLISHED(TGridDataGroupFooterEh)
{
    using C = TGridDataGroupFooterEh;
    P.Prop("Color", &C::Color, &C::SetColor).NoDefault().Stored(&C::IsColorStored);
    P.Prop("ColumnItems", &C::ColumnItems, &C::SetColumnItems).Stored(&C::IsColumnItemsStored);
    P.Prop("Font", &C::Font, &C::SetFont).Stored(&C::IsFontStored);
    P.Prop("ParentColor", &C::ParentColor, &C::SetParentColor).Default(true);
    P.Prop("ParentFont", &C::ParentFont, &C::SetParentFont).Default(true);
    P.Prop("RunTimeCustomizable", &C::RunTimeCustomizable, &C::SetRunTimeCustomizable)
        .NoDefault()
        .Stored(&C::RunTimeCustomizableStored);
    P.Prop("RunTimeCustomizableStored", &C::RunTimeCustomizableStored, &C::SetRunTimeCustomizableStored).Default(false);
    P.Prop("ShowFunctionName", &C::ShowFunctionName, &C::SetShowFunctionName).NoDefault().Stored(&C::ShowFunctionNameStored);
    P.Prop("ShowFunctionNameStored", &C::ShowFunctionNameStored, &C::SetShowFunctionNameStored).Default(false);
    P.Prop("Visible", &C::Visible, &C::SetVisible).Default(false);
}

TGridDataGroupFooterEh::TGridDataGroupFooterEh(TCollection* Collection) : TCollectionItem(Collection) {}

void TGridDataGroupFooterEh::AfterConstruction()
{
    TCollectionItem::AfterConstruction();
    FColumnItems = Create<TGridDataGroupFooterColumnItemsEh>(this);
    FFont = new TFont();
    if (TFont* parent = Font())
        FFont->Assign(parent);
    FFont->OnChange = TNotifyEvent(this, &TGridDataGroupFooterEh::FontChanged);
    TGridDataGroupsEh* groups = DataGroups();
    TCustomDBAxisGridEh* grid = groups ? groups->Grid() : nullptr;
    if (grid && !grid->ComponentState().Contains(csLoading))
        SyncColumnItems(grid->AxisBars());
    if (TGridDataGroupFootersEh* footers = Footers(); footers && footers->InMaking.Finished(this))
        Changed(false);
}

TGridDataGroupFooterEh::~TGridDataGroupFooterEh()
{
    if (TGridDataGroupFootersEh* footers = Footers())
        footers->InMaking.Removed(this);
    delete FColumnItems;
    delete FFont;
}

TGridDataGroupFootersEh* TGridDataGroupFooterEh::Footers() const { return dynamic_cast<TGridDataGroupFootersEh*>(Collection()); }

TGridDataGroupsEh* TGridDataGroupFooterEh::DataGroups() const
{
    TGridDataGroupFootersEh* footers = Footers();
    return footers ? footers->GetMasterGroups() : nullptr;
}

bool TGridDataGroupFooterEh::IsColumnItemsStored() const
{
    TGridDataGroupsEh* groups = DataGroups();
    TCustomDBAxisGridEh* grid = groups ? groups->Grid() : nullptr;
    return grid && grid->AxisBars() && grid->AxisBars()->State() == csCustomized;
}

void TGridDataGroupFooterEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TGridDataGroupFooterEh*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    FColor = src->FColor;
    {
        FFontChanging = true;
        auto back = Finally([&] { FFontChanging = false; });
        FFont->Assign(src->FFont);
    }
    FParentColor = src->FParentColor;
    FParentFont = src->FParentFont;
    FShowFunctionName = src->FShowFunctionName;
    FShowFunctionNameStored = src->FShowFunctionNameStored;
    FRunTimeCustomizable = src->FRunTimeCustomizable;
    FRunTimeCustomizableStored = src->FRunTimeCustomizableStored;
    FColumnItems->Assign(src->FColumnItems);
    FVisible = src->FVisible;
    Changed(false);
}

TColor TGridDataGroupFooterEh::Color() const
{
    if (FParentColor)
        if (TGridDataGroupFootersEh* footers = Footers()) {
            if (TGridDataGroupLevelEh* level = footers->GroupLevel())
                return level->GetFooterParentColor();
            if (TGridDataGroupsEh* groups = footers->Groups())
                return groups->GetFooterParentColor();
        }
    return FColor;
}

void TGridDataGroupFooterEh::SetColor(TColor Value)
{
    if (!FParentColor && Value == FColor)
        return;
    FColor = Value;
    FParentColor = false;
    AppearanceChanged();
}

TFont* TGridDataGroupFooterEh::Font() const
{
    if (FParentFont && FFont)
        if (TGridDataGroupFootersEh* footers = Footers()) {
            TFont* parent = nullptr;
            if (TGridDataGroupLevelEh* level = footers->GroupLevel())
                parent = level->GetFooterParentFont();
            else if (TGridDataGroupsEh* groups = footers->Groups())
                parent = groups->GetFooterParentFont();
            CopyParentFontEh(FFont, parent, FFontChanging);
        }
    return FFont;
}

void TGridDataGroupFooterEh::SetFont(TFont* Value) { FFont->Assign(Value); }

void TGridDataGroupFooterEh::FontChanged(TObject*)
{
    if (FFontChanging)
        return;
    FParentFont = false;
    AppearanceChanged();
}

void TGridDataGroupFooterEh::SetParentColor(bool Value)
{
    if (Value == FParentColor)
        return;
    FParentColor = Value;
    AppearanceChanged();
}

void TGridDataGroupFooterEh::SetParentFont(bool Value)
{
    if (Value == FParentFont)
        return;
    FParentFont = Value;
    AppearanceChanged();
}

void TGridDataGroupFooterEh::SetVisible(bool Value)
{
    if (Value == FVisible)
        return;
    FVisible = Value;
    Changed(false);
}

bool TGridDataGroupFooterEh::ShowFunctionName() const
{
    if (!FShowFunctionNameStored)
        if (TGridDataGroupsEh* groups = DataGroups())
            return groups->FootersDefValues()->ShowFunctionName();
    return FShowFunctionName;
}

void TGridDataGroupFooterEh::SetShowFunctionName(bool Value)
{
    if (FShowFunctionNameStored && Value == FShowFunctionName)
        return;
    FShowFunctionName = Value;
    FShowFunctionNameStored = true;
    AppearanceChanged();
}

void TGridDataGroupFooterEh::SetShowFunctionNameStored(bool Value)
{
    if (Value == FShowFunctionNameStored)
        return;
    if (Value)
        FShowFunctionName = ShowFunctionName();
    FShowFunctionNameStored = Value;
    ValuesChanged();
}

bool TGridDataGroupFooterEh::RunTimeCustomizable() const
{
    return FRunTimeCustomizableStored ? FRunTimeCustomizable : DefaultRunTimeCustomizable();
}

void TGridDataGroupFooterEh::SetRunTimeCustomizable(bool Value)
{
    FRunTimeCustomizable = Value;
    FRunTimeCustomizableStored = true;
}

void TGridDataGroupFooterEh::SetRunTimeCustomizableStored(bool Value)
{
    if (Value == FRunTimeCustomizableStored)
        return;
    if (Value)
        FRunTimeCustomizable = RunTimeCustomizable();
    FRunTimeCustomizableStored = Value;
}

bool TGridDataGroupFooterEh::DefaultRunTimeCustomizable() const
{
    TGridDataGroupsEh* groups = DataGroups();
    return groups && groups->FootersDefValues()->RunTimeCustomizable();
}

bool TGridDataGroupFooterEh::SyncColumnItems(TGridAxisBarsEh* Columns)
{
    if (!Columns)
        return false;
    bool changed = false;
    // Whoever asked for the matching recomputes once for all footers.
    FColumnItems->Syncing = true;
    auto done = Finally([&] { FColumnItems->Syncing = false; });
    auto isColumn = [&](TAxisBarEh* c) {
        for (int i = 0; i < Columns->Count(); ++i)
            if (Columns->Items(i) == c)
                return true;
        return false;
    };
    for (int i = FColumnItems->Count() - 1; i >= 0; --i)
        if (!isColumn(FColumnItems->Items(i)->Column())) {
            FColumnItems->Delete(i);
            changed = true;
        }
    for (int i = 0; i < Columns->Count(); ++i) {
        auto* column = static_cast<TAxisBarEh*>(Columns->Items(i));
        const int idx = FColumnItems->ItemIndexByColumn(column);
        if (idx == i) {
            TGridDataGroupFooterColumnItemEh* item = FColumnItems->Items(i);
            if (item->FieldName() != column->FieldName()) {
                item->SetFieldName(column->FieldName());
                changed = true;
            }
        } else if (idx < 0) {
            TGridDataGroupFooterColumnItemEh* item = FColumnItems->Add();
            item->SetColumn(column);
            item->SetFieldName(column->FieldName());
            item->SetIndex(i);
            changed = true;
        } else {
            FColumnItems->Items(idx)->SetIndex(i);
            changed = true;
        }
    }
    return changed;
}

void TGridDataGroupFooterEh::AppearanceChanged()
{
    if (TGridDataGroupFootersEh* footers = Footers())
        footers->FootersAppearanceChanged();
}

void TGridDataGroupFooterEh::ValuesChanged()
{
    if (TGridDataGroupFootersEh* footers = Footers())
        footers->FootersValuesChanged();
}

// ---------------------------------------------------------------- TGridDataGroupFootersEh

DOV_PUBLISHED(TGridDataGroupFootersEh) {}

TGridDataGroupFootersEh::TGridDataGroupFootersEh(TPersistent* AOwner)
    : TCollection(TGridDataGroupFooterEh::StaticClassInfo()), FOwner(AOwner)
{
}

TGridDataGroupLevelEh* TGridDataGroupFootersEh::GroupLevel() const { return dynamic_cast<TGridDataGroupLevelEh*>(FOwner); }

TGridDataGroupsEh* TGridDataGroupFootersEh::Groups() const { return dynamic_cast<TGridDataGroupsEh*>(FOwner); }

TGridDataGroupsEh* TGridDataGroupFootersEh::GetMasterGroups() const
{
    if (TGridDataGroupsEh* groups = Groups())
        return groups;
    TGridDataGroupLevelEh* level = GroupLevel();
    return level ? level->DataGroups() : nullptr;
}

void TGridDataGroupFootersEh::FootersAppearanceChanged()
{
    if (TGridDataGroupLevelEh* level = GroupLevel())
        level->AppearanceChanged();
    else if (TGridDataGroupsEh* groups = Groups())
        groups->AppearanceChanged();
}

void TGridDataGroupFootersEh::FootersStructureChanged()
{
    RebuildVisibleFooters();
    if (TGridDataGroupsEh* groups = GetMasterGroups())
        groups->FooterStructureChanged();
}

void TGridDataGroupFootersEh::FootersValuesChanged()
{
    if (TGridDataGroupsEh* groups = GetMasterGroups())
        groups->FooterValuesChanged();
}

void TGridDataGroupFootersEh::RebuildVisibleFooters()
{
    FVisibleFooters.clear();
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Visible())
            FVisibleFooters.push_back(Items(i));
}

void TGridDataGroupFootersEh::Update(TCollectionItem*)
{
    if (InMaking.Any())
        return;
    FootersStructureChanged();
}

void TGridDataGroupFootersEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    if (Action == cnAdded) {
        InMaking.Added(Item);
    } else {
        InMaking.Removed(Item);
        FVisibleFooters.erase(std::remove(FVisibleFooters.begin(), FVisibleFooters.end(), Item), FVisibleFooters.end());
    }
}
