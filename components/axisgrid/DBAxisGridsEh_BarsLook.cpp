// The look of an axis bar: appearance settings, title, edit buttons, drop-down box and menus.
#include "DBAxisGridsEh.h"

#include "components/memtable/MemTableEh.h"
#include "platform/db/DB.h"
#include "platform/rtl/Guards.h"

namespace {
TLookupListGridFactoryEh GDataListFactory = nullptr;
}

void SetAxisBarDataListFactoryEh(TLookupListGridFactoryEh Factory) { GDataListFactory = Factory; }
TLookupListGridFactoryEh AxisBarDataListFactoryEh() { return GDataListFactory; }

// ============================================================================================
// TAxisBarLookupGridOwnerEh
// ============================================================================================

void TAxisBarLookupGridOwnerEh::RegisterFreeNotification(TComponent* AComponent)
{
    if (AComponent && FBar->Grid())
        AComponent->FreeNotification(FBar->Grid());
}

ILookupListGridEh* TAxisBarLookupGridOwnerEh::GetDataList() { return FBar->DataList(); }

TDBLookupGridEhOptions TAxisBarLookupGridOwnerEh::GetOptions()
{
    ILookupListGridEh* list = FBar->DataList();
    return list ? list->LookupOptions() : TDBLookupGridEhOptions();
}

void TAxisBarLookupGridOwnerEh::SetOptions(TDBLookupGridEhOptions Value)
{
    if (ILookupListGridEh* list = FBar->DataList())
        list->SetLookupOptions(Value);
}

// ============================================================================================
// TAxisBarTitleEh
// ============================================================================================

DOV_PUBLISHED(TAxisBarTitleEh)
{
    P.Prop("Alignment", &TAxisBarTitleEh::Alignment, &TAxisBarTitleEh::SetAlignment)
        .NoDefault()
        .Stored(&TAxisBarTitleEh::IsAlignmentStored);
    P.Prop("Caption", &TAxisBarTitleEh::Caption, &TAxisBarTitleEh::SetCaption).Stored(&TAxisBarTitleEh::IsCaptionStored);
    P.Prop("Color", &TAxisBarTitleEh::Color, &TAxisBarTitleEh::SetColor).NoDefault().Stored(&TAxisBarTitleEh::IsColorStored);
    P.Prop("EndEllipsis", &TAxisBarTitleEh::EndEllipsis, &TAxisBarTitleEh::SetEndEllipsis)
        .NoDefault()
        .Stored(&TAxisBarTitleEh::IsEndEllipsisStored);
    P.Prop("Font", &TAxisBarTitleEh::Font, &TAxisBarTitleEh::SetFont).Stored(&TAxisBarTitleEh::IsFontStored);
    P.Prop("Hint", &TAxisBarTitleEh::Hint, &TAxisBarTitleEh::SetHint);
    P.Prop("ImageIndex", &TAxisBarTitleEh::ImageIndex, &TAxisBarTitleEh::SetImageIndex).Default(-1);
    P.Prop("Orientation", &TAxisBarTitleEh::Orientation, &TAxisBarTitleEh::SetOrientation)
        .NoDefault()
        .Stored(&TAxisBarTitleEh::IsOrientationStored);
    P.Prop("PopupMenu", &TAxisBarTitleEh::PopupMenu, &TAxisBarTitleEh::SetPopupMenu);
    P.Prop("TitleButton", &TAxisBarTitleEh::TitleButton, &TAxisBarTitleEh::SetTitleButton)
        .NoDefault()
        .Stored(&TAxisBarTitleEh::IsTitleButtonStored);
    P.Prop("ToolTips", &TAxisBarTitleEh::ToolTips, &TAxisBarTitleEh::SetToolTips)
        .NoDefault()
        .Stored(&TAxisBarTitleEh::IsToolTipsStored);
}

// Copies Source into a font that follows a default, without telling its change handler.
void CopyDefaultFont(TFont* Own, TFont* Source)
{
    if (!Own || !Source || Own == Source || Own->Equals(Source))
        return;
    TNotifyEvent saved = Own->OnChange;
    Own->OnChange = nullptr;
    auto restore = Finally([&] { Own->OnChange = saved; });
    Own->Assign(Source);
}

namespace {
// The grid-wide title defaults of a bar's grid, nullptr without a grid.
TAxisBarCaptionDefValuesEh* TitleDefValues(const TAxisBarEh* Bar)
{
    TCustomDBAxisGridEh* grid = Bar->Grid();
    return grid && grid->AxisBarDefValues() ? grid->AxisBarDefValues()->Title() : nullptr;
}

TAxisBarDefValuesEh* BarDefValues(const TAxisBarEh* Bar)
{
    TCustomDBAxisGridEh* grid = Bar->Grid();
    return grid ? grid->AxisBarDefValues() : nullptr;
}

bool IsWordWrapFieldType(TFieldType Type)
{
    return Type == ftString || Type == ftWideString || Type == ftMemo || Type == ftFmtMemo || Type == ftOraClob ||
           Type == ftWideMemo;
}
}

TAxisBarTitleEh::TAxisBarTitleEh(TAxisBarEh* Bar) : FAxisBar(Bar)
{
    FFont = new TFont;
    FFont->OnChange = TNotifyEvent(this, &TAxisBarTitleEh::FontChanged);
}

TAxisBarTitleEh::~TAxisBarTitleEh()
{
    FFont->OnChange = nullptr;
    delete FFont;
}

TPersistent* TAxisBarTitleEh::GetOwner() const { return FAxisBar; }

bool TAxisBarTitleEh::Assigned(int Value) const
{
    return FAxisBar->AssignedValues().Contains(TAxisBarEhValue(Value));
}

void TAxisBarTitleEh::Flag(int Value)
{
    FAxisBar->SetAssignedValues(FAxisBar->AssignedValues() | TAxisBarEhValues{TAxisBarEhValue(Value)});
}

void TAxisBarTitleEh::Changed() { FAxisBar->Changed(false); }

void TAxisBarTitleEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TAxisBarTitleEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src->Assigned(cvTitleAlignment))
        SetAlignment(src->Alignment());
    if (src->Assigned(cvTitleColor))
        SetColor(src->Color());
    if (src->Assigned(cvTitleCaption))
        SetCaption(src->Caption());
    if (src->Assigned(cvTitleFont))
        SetFont(src->Font());
    FHint = src->Hint();
    SetOrientation(src->Orientation());
    SetPopupMenu(src->PopupMenu());
    SetImageIndex(src->ImageIndex());
    SetTitleButton(src->TitleButton());
    SetEndEllipsis(src->EndEllipsis());
    SetToolTips(src->ToolTips());
}

void TAxisBarTitleEh::RestoreDefaults()
{
    const bool fontWasOwn = Assigned(cvTitleFont);
    TAxisBarEhValues values = FAxisBar->AssignedValues();
    for (int v = cvTitleColor; v <= cvTitleOrientation; ++v)
        values.Exclude(TAxisBarEhValue(v));
    FAxisBar->SetAssignedValues(values);
    FCaption.clear();
    RefreshDefaultFont();
    FAxisBar->Changed(fontWasOwn);
}

void TAxisBarTitleEh::RefreshDefaultFont()
{
    if (!Assigned(cvTitleFont))
        CopyDefaultFont(FFont, DefaultFont());
}

void TAxisBarTitleEh::FontChanged(TObject*)
{
    Flag(cvTitleFont);
    FAxisBar->Changed(true);
}

TAlignment TAxisBarTitleEh::DefaultAlignment() const
{
    TAxisBarCaptionDefValuesEh* def = TitleDefValues(FAxisBar);
    return def ? def->Alignment() : taLeftJustify;
}

QString TAxisBarTitleEh::DefaultCaption() const
{
    if (TField* f = FAxisBar->Field())
        return f->DisplayName();
    return FAxisBar->FieldName();
}

TColor TAxisBarTitleEh::DefaultColor() const
{
    TAxisBarCaptionDefValuesEh* def = TitleDefValues(FAxisBar);
    return def ? def->Color() : clBtnFace;
}

TFont* TAxisBarTitleEh::DefaultFont() const
{
    if (TCustomDBAxisGridEh* grid = FAxisBar->Grid())
        return grid->TitleFont();
    return FAxisBar->Font();
}

bool TAxisBarTitleEh::DefaultEndEllipsis() const
{
    TAxisBarCaptionDefValuesEh* def = TitleDefValues(FAxisBar);
    return def && def->EndEllipsis();
}

bool TAxisBarTitleEh::DefaultTitleButton() const
{
    TAxisBarCaptionDefValuesEh* def = TitleDefValues(FAxisBar);
    return def && def->TitleButton();
}

bool TAxisBarTitleEh::DefaultToolTips() const
{
    TAxisBarCaptionDefValuesEh* def = TitleDefValues(FAxisBar);
    return def && def->ToolTips();
}

TTextOrientationEh TAxisBarTitleEh::DefaultOrientation() const
{
    TAxisBarCaptionDefValuesEh* def = TitleDefValues(FAxisBar);
    return def ? def->Orientation() : tohHorizontal;
}

TAlignment TAxisBarTitleEh::Alignment() const { return Assigned(cvTitleAlignment) ? FAlignment : DefaultAlignment(); }

void TAxisBarTitleEh::SetAlignment(TAlignment Value)
{
    if (Assigned(cvTitleAlignment) && Value == FAlignment)
        return;
    FAlignment = Value;
    Flag(cvTitleAlignment);
    Changed();
}

QString TAxisBarTitleEh::Caption() const { return Assigned(cvTitleCaption) ? FCaption : DefaultCaption(); }

void TAxisBarTitleEh::SetCaption(const QString& Value)
{
    // A default bar has no captions of its own: the field's label is the caption.
    if (FAxisBar->IsDefaultBar()) {
        TCustomDBAxisGridEh* grid = FAxisBar->Grid();
        TField* f = FAxisBar->Field();
        if (grid && grid->DataLink()->Active() && f)
            f->SetDisplayLabel(Value);
        return;
    }
    if (Assigned(cvTitleCaption) && Value == FCaption)
        return;
    FCaption = Value;
    Flag(cvTitleCaption);
    Changed();
}

TColor TAxisBarTitleEh::Color() const { return Assigned(cvTitleColor) ? FColor : DefaultColor(); }

void TAxisBarTitleEh::SetColor(TColor Value)
{
    if (Assigned(cvTitleColor) && Value == FColor)
        return;
    FColor = Value;
    Flag(cvTitleColor);
    Changed();
}

TFont* TAxisBarTitleEh::Font() const
{
    if (!Assigned(cvTitleFont))
        CopyDefaultFont(FFont, DefaultFont());
    return FFont;
}

void TAxisBarTitleEh::SetFont(TFont* Value)
{
    FFont->Assign(Value);
    Flag(cvTitleFont);
}

bool TAxisBarTitleEh::EndEllipsis() const { return Assigned(cvTitleEndEllipsis) ? FEndEllipsis : DefaultEndEllipsis(); }

void TAxisBarTitleEh::SetEndEllipsis(bool Value)
{
    if (Assigned(cvTitleEndEllipsis) && Value == FEndEllipsis)
        return;
    FEndEllipsis = Value;
    Flag(cvTitleEndEllipsis);
    Changed();
}

bool TAxisBarTitleEh::TitleButton() const { return Assigned(cvTitleButton) ? FTitleButton : DefaultTitleButton(); }

void TAxisBarTitleEh::SetTitleButton(bool Value)
{
    if (Assigned(cvTitleButton) && Value == FTitleButton)
        return;
    FTitleButton = Value;
    Flag(cvTitleButton);
    Changed();
}

bool TAxisBarTitleEh::ToolTips() const { return Assigned(cvTitleToolTips) ? FToolTips : DefaultToolTips(); }

void TAxisBarTitleEh::SetToolTips(bool Value)
{
    if (Assigned(cvTitleToolTips) && Value == FToolTips)
        return;
    FToolTips = Value;
    Flag(cvTitleToolTips);
}

TTextOrientationEh TAxisBarTitleEh::Orientation() const
{
    return Assigned(cvTitleOrientation) ? FOrientation : DefaultOrientation();
}

void TAxisBarTitleEh::SetOrientation(TTextOrientationEh Value)
{
    if (Assigned(cvTitleOrientation) && Value == FOrientation)
        return;
    FOrientation = Value;
    Flag(cvTitleOrientation);
    Changed();
}

void TAxisBarTitleEh::SetImageIndex(int Value)
{
    FImageIndex = Value;
    TCustomDBAxisGridEh* grid = FAxisBar->Grid();
    if (grid && FAxisBar->Collection() && FAxisBar->Collection()->UpdateCount() == 0)
        grid->LayoutChanged();
}

void TAxisBarTitleEh::SetPopupMenu(TPopupMenu* Value)
{
    FPopupMenu = Value;
    if (Value && FAxisBar->Grid())
        Value->FreeNotification(FAxisBar->Grid());
}

bool TAxisBarTitleEh::IsAlignmentStored() const { return Assigned(cvTitleAlignment) && FAlignment != DefaultAlignment(); }
bool TAxisBarTitleEh::IsCaptionStored() const { return Assigned(cvTitleCaption) && FCaption != DefaultCaption(); }
bool TAxisBarTitleEh::IsColorStored() const { return Assigned(cvTitleColor) && FColor != DefaultColor(); }
bool TAxisBarTitleEh::IsFontStored() const { return Assigned(cvTitleFont); }
bool TAxisBarTitleEh::IsEndEllipsisStored() const
{
    return Assigned(cvTitleEndEllipsis) && FEndEllipsis != DefaultEndEllipsis();
}
bool TAxisBarTitleEh::IsTitleButtonStored() const
{
    return Assigned(cvTitleButton) && FTitleButton != DefaultTitleButton();
}
bool TAxisBarTitleEh::IsToolTipsStored() const { return Assigned(cvTitleToolTips) && FToolTips != DefaultToolTips(); }
bool TAxisBarTitleEh::IsOrientationStored() const
{
    return Assigned(cvTitleOrientation) && FOrientation != DefaultOrientation();
}

// ============================================================================================
// TAxisBarMainEditButtonEh
// ============================================================================================

DOV_PUBLISHED(TAxisBarMainEditButtonEh)
{
    P.Prop("Visible", &TAxisBarMainEditButtonEh::GetVisible, &TAxisBarMainEditButtonEh::SetVisible)
        .NoDefault()
        .Stored(&TAxisBarMainEditButtonEh::IsVisibleStoredInStream);
}

TAxisBarMainEditButtonEh::TAxisBarMainEditButtonEh(TAxisBarEh* Bar)
    : TEditButtonEh(static_cast<TWinControl*>(nullptr)), FAxisBar(Bar)
{
    DropDownFormParams()->OnCheckDataIsReadOnly = TCheckDataIsReadOnlyEventEh(
        [Bar](TObject*, bool& ReadOnly) { Bar->CheckDataIsReadOnly(ReadOnly); });
}

bool TAxisBarMainEditButtonEh::GetVisible() const { return FVisibleStored ? FVisible : DefaultVisible(); }

void TAxisBarMainEditButtonEh::SetVisible(bool Value)
{
    if (FVisibleStored && Value == FVisible)
        return;
    FVisibleStored = true;
    FVisible = Value;
    Changed();
}

bool TAxisBarMainEditButtonEh::DefaultVisible() const
{
    TAxisBarEh* bar = FAxisBar;
    if (bar->LookupParams() && bar->LookupParams()->LookupActive())
        return true;
    const TAxisBarEhType type = bar->GetBarType();
    if ((type == ctPickList || type == ctKeyPickList) && !bar->ReadOnly())
        return true;
    if (type == ctDataList)
        return true;
    if (TField* f = bar->Field()) {
        const TFieldType ft = f->DataType();
        if ((ft == ftDate || ft == ftDateTime || ft == ftTimeStamp) && !bar->ReadOnly())
            return true;
    }
    TDropDownFormCallParamsEh* params = bar->DropDownFormParams();
    return params->DropDownForm() || !params->DropDownFormClassName().isEmpty();
}

void TAxisBarMainEditButtonEh::SetVisibleStored(bool Value)
{
    if (Value == FVisibleStored)
        return;
    // Either way the button keeps showing what it showed: the default becomes the own value,
    // or the own value gives way to the default.
    FVisible = DefaultVisible();
    FVisibleStored = Value;
    Changed();
}

// ============================================================================================
// TColumnDropDownBoxEh
// ============================================================================================

DOV_PUBLISHED(TColumnDropDownBoxEh)
{
    P.Prop("AutoFitColWidths", &TColumnDropDownBoxEh::AutoFitColWidths, &TColumnDropDownBoxEh::SetAutoFitColWidths)
        .Default(true);
    P.Prop("ListFieldNames", &TColumnDropDownBoxEh::ListFieldNames, &TColumnDropDownBoxEh::SetListFieldNames);
    P.Prop("ListSource", &TColumnDropDownBoxEh::ListSource, &TColumnDropDownBoxEh::SetListSource);
    P.Prop("ListSourceAutoFilter", &TColumnDropDownBoxEh::ListSourceAutoFilter,
           &TColumnDropDownBoxEh::SetListSourceAutoFilter)
        .Default(false);
    P.Prop("ListSourceAutoFilterType", &TColumnDropDownBoxEh::ListSourceAutoFilterType,
           &TColumnDropDownBoxEh::SetListSourceAutoFilterType)
        .Default(lsftBeginsWithEh);
    P.Prop("UseMultiTitle", &TColumnDropDownBoxEh::UseMultiTitle, &TColumnDropDownBoxEh::SetUseMultiTitle)
        .Default(false);
}

TColumnDropDownBoxEh::TColumnDropDownBoxEh(TPersistent* AOwner, ILookupGridOwner* OwnerIntf)
    : FOwner(AOwner), FOwnerIntf(OwnerIntf ? OwnerIntf : dynamic_cast<ILookupGridOwner*>(AOwner))
{
    FSpecRow = new TSpecRowEh(this);
}

TColumnDropDownBoxEh::~TColumnDropDownBoxEh() { delete FSpecRow; }

ILookupGridOwner* TColumnDropDownBoxEh::OwnerIntf() const { return FOwnerIntf; }

ILookupListGridEh* TColumnDropDownBoxEh::DataList() const { return FOwnerIntf ? FOwnerIntf->GetDataList() : nullptr; }

void TColumnDropDownBoxEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TColumnDropDownBoxEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    FAlign = src->FAlign;
    FAutoDrop = src->FAutoDrop;
    FAutoFitColWidths = src->FAutoFitColWidths;
    if (src->DataList() && DataList()) {
        if (TAxisBarDefValuesEh* defs = ColumnDefValues())
            defs->Assign(src->ColumnDefValues());
        TGridAxisBarsEh* srcColumns = src->Columns();
        if (TGridAxisBarsEh* columns = Columns()) {
            if (srcColumns && srcColumns->State() == csCustomized)
                columns->Assign(srcColumns);
            else
                columns->Clear();
        }
    }
    SetOptions(src->Options());
    FRows = src->FRows;
    FWidth = src->FWidth;
    FSizable = src->FSizable;
    FShowTitles = src->FShowTitles;
    FUseMultiTitle = src->FUseMultiTitle;
    // The list fields and the typing filter go too: a bar copied (or read back from a
    // stream) would otherwise drop down a different list.
    FListFieldNames = src->FListFieldNames;
    FListSourceAutoFilter = src->FListSourceAutoFilter;
    FListSourceAutoFilterType = src->FListSourceAutoFilterType;
    SetListSource(src->FListSource);
}

QString TColumnDropDownBoxEh::GetActualListField() const
{
    if (FListFieldNames.isEmpty())
        return {};
    return FListFieldNames.section(QLatin1Char(';'), 0, 0).trimmed();
}

QString TColumnDropDownBoxEh::GetLikeWildcardForSeveralCharacters() const
{
    TDataSet* ds = FListSource ? FListSource->DataSet() : nullptr;
    if (auto* mt = dynamic_cast<IMemTableEh*>(ds))
        return mt->GetLikeWildcardAnyChars();
    return QStringLiteral("*");
}

void TColumnDropDownBoxEh::SetListSource(TDataSource* Value)
{
    if (Value == FListSource)
        return;
    FListSource = Value;
    if (FOwnerIntf)
        FOwnerIntf->RegisterFreeNotification(Value);
}

TGridAxisBarsEh* TColumnDropDownBoxEh::Columns() const
{
    ILookupListGridEh* list = DataList();
    return list ? list->ListColumns() : nullptr;
}

void TColumnDropDownBoxEh::SetColumns(TGridAxisBarsEh* Value)
{
    if (TGridAxisBarsEh* columns = Columns())
        columns->Assign(Value);
}

bool TColumnDropDownBoxEh::IsColumnsStored() const
{
    TGridAxisBarsEh* columns = Columns();
    return columns && columns->State() == csCustomized;
}

TAxisBarDefValuesEh* TColumnDropDownBoxEh::ColumnDefValues() const
{
    ILookupListGridEh* list = DataList();
    return list ? list->ListColumnDefValues() : nullptr;
}

void TColumnDropDownBoxEh::SetColumnDefValues(TAxisBarDefValuesEh* Value)
{
    if (TAxisBarDefValuesEh* defs = ColumnDefValues())
        defs->Assign(Value);
}

TDBLookupGridEhOptions TColumnDropDownBoxEh::Options() const
{
    return FOwnerIntf ? FOwnerIntf->GetOptions() : TDBLookupGridEhOptions();
}

void TColumnDropDownBoxEh::SetOptions(TDBLookupGridEhOptions Value)
{
    if (FOwnerIntf)
        FOwnerIntf->SetOptions(Value);
}

bool TColumnDropDownBoxEh::SortLocal() const
{
    ILookupListGridEh* list = DataList();
    return list && list->SortLocal();
}

void TColumnDropDownBoxEh::SetSortLocal(bool Value)
{
    if (ILookupListGridEh* list = DataList())
        list->SetSortLocal(Value);
}

// ============================================================================================
// TAxisBarEh: appearance, edit buttons, drop-down and menu settings
// ============================================================================================

namespace {
bool LookFlag(const TAxisBarEh* Bar, TAxisBarEhValue Value) { return Bar->AssignedValues().Contains(Value); }

// The grid's input-method settings, read through its published properties; a grid that
// publishes none keeps the platform's defaults (no preference, no named method).
TImeMode GridImeMode(TCustomDBAxisGridEh* Grid)
{
    return GetPropInfo(Grid, QStringLiteral("ImeMode")) ? TImeMode(GetOrdProp(Grid, QStringLiteral("ImeMode")))
                                                         : imDontCare;
}

TImeName GridImeName(TCustomDBAxisGridEh* Grid)
{
    return GetPropInfo(Grid, QStringLiteral("ImeName")) ? GetStrProp(Grid, QStringLiteral("ImeName")) : TImeName();
}

// The edit button that a control of a box shows, and its position (0 the main button).
int BoxControlIndex(TObject* Sender, TEditButtonsBoxEh*& Box)
{
    auto* control = dynamic_cast<TControl*>(Sender);
    Box = control ? dynamic_cast<TEditButtonsBoxEh*>(control->Parent()) : nullptr;
    if (!Box)
        return -1;
    for (int i = 0; i < Box->ButtonsCount(); ++i)
        if (Box->BtnCtlList()[size_t(i)].EditButtonControl == control)
            return i;
    return -1;
}
}

template <typename T> bool TAxisBarEh::SetLookValue(T& Own, const T& Value, int Flag)
{
    const auto flag = TAxisBarEhValue(Flag);
    if (FAssignedValues.Contains(flag) && Own == Value)
        return false;
    Own = Value;
    FAssignedValues.Include(flag);
    return true;
}

TAxisBarEh::TLookCleanup::~TLookCleanup()
{
    if (!Bar)
        return;
    if (Bar->FFont)
        Bar->FFont->OnChange = nullptr;
    if (Bar->FEditButton)
        Bar->FEditButton->OnChanged = nullptr;
    if (Bar->FEditButtons)
        Bar->FEditButtons->OnChanged = nullptr;
    if (Bar->FDropDownFormParams)
        Bar->FDropDownFormParams->OnChanged = nullptr;
}

void TAxisBarEh::EnsureLook() const
{
    if (FLookMade)
        return;
    auto* self = const_cast<TAxisBarEh*>(this);
    self->FLookMade = true;
    self->FLookCleanup.Bar = self;
    FFont = std::make_unique<TFont>();
    if (TFont* def = DefaultFont(); def && def != FFont.get())
        FFont->Assign(def);
    FFont->OnChange = TNotifyEvent(self, &TAxisBarEh::FontChanged);
    FTitle.reset(self->CreateTitle());
    FEditButton.reset(self->CreateMainEditButton());
    FEditButton->OnChanged = TNotifyEvent(self, &TAxisBarEh::EditButtonChanged);
    FEditButtons.reset(self->CreateEditButtons());
    FEditButtons->OnChanged = TNotifyEvent(self, &TAxisBarEh::EditButtonChanged);
    FLookGridOwner = std::make_unique<TAxisBarLookupGridOwnerEh>(self);
    FDropDownBox = std::make_unique<TColumnDropDownBoxEh>(self, FLookGridOwner.get());
}

// ---- appearance ----

TColor TAxisBarEh::DefaultColor() const
{
    TCustomDBAxisGridEh* grid = Grid();
    return grid ? grid->Color() : clWindow;
}

TColor TAxisBarEh::Color() const { return LookFlag(this, cvColor) ? FColor : DefaultColor(); }

void TAxisBarEh::SetColor(TColor Value)
{
    if (SetLookValue(FColor, Value, cvColor))
        Changed(false);
}

TFont* TAxisBarEh::DefaultFont() const
{
    TCustomDBAxisGridEh* grid = Grid();
    if (grid)
        return grid->Font();
    EnsureLook();
    return FFont.get();
}

TFont* TAxisBarEh::Font() const
{
    EnsureLook();
    if (!LookFlag(this, cvFont))
        CopyDefaultFont(FFont.get(), DefaultFont());
    return FFont.get();
}

void TAxisBarEh::SetFont(TFont* Value)
{
    EnsureLook();
    FFont->Assign(Value);
    FAssignedValues.Include(cvFont);
}

void TAxisBarEh::FontChanged(TObject*)
{
    FAssignedValues.Include(cvFont);
    Title()->RefreshDefaultFont();
    Changed(false);
}

void TAxisBarEh::RefreshDefaultFont()
{
    if (!FLookMade)
        return;
    if (!LookFlag(this, cvFont))
        CopyDefaultFont(FFont.get(), DefaultFont());
    FTitle->RefreshDefaultFont();
}

TAlignment TAxisBarEh::DefaultAlignment() const
{
    TField* f = Field();
    return f ? f->Alignment() : taLeftJustify;
}

TAlignment TAxisBarEh::Alignment() const { return LookFlag(this, cvAlignment) ? FAlignment : DefaultAlignment(); }

void TAxisBarEh::SetAlignment(TAlignment Value)
{
    if (IsDefaultBar()) {
        TField* f = Field();
        if (Grid() && Grid()->DataLink()->Active() && f)
            f->SetAlignment(Value);
        return;
    }
    if (SetLookValue(FAlignment, Value, cvAlignment))
        Changed(false);
}

TImeMode TAxisBarEh::DefaultImeMode() const { return Grid() ? GridImeMode(Grid()) : FImeMode; }
TImeMode TAxisBarEh::ImeMode() const { return LookFlag(this, cvImeMode) ? FImeMode : DefaultImeMode(); }

void TAxisBarEh::SetImeMode(TImeMode Value)
{
    if (LookFlag(this, cvImeMode) || Value != DefaultImeMode()) {
        FImeMode = Value;
        FAssignedValues.Include(cvImeMode);
    }
    Changed(false);
}

TImeName TAxisBarEh::DefaultImeName() const { return Grid() ? GridImeName(Grid()) : FImeName; }
TImeName TAxisBarEh::ImeName() const { return LookFlag(this, cvImeName) ? FImeName : DefaultImeName(); }

void TAxisBarEh::SetImeName(const TImeName& Value)
{
    if (LookFlag(this, cvImeName) || Value != DefaultImeName()) {
        FImeName = Value;
        FAssignedValues.Include(cvImeName);
    }
    Changed(false);
}

bool TAxisBarEh::DefaultWordWrap() const
{
    TField* f = Grid() ? Field() : nullptr;
    return f && IsWordWrapFieldType(f->DataType());
}

bool TAxisBarEh::WordWrap() const { return LookFlag(this, cvWordWrap) ? FWordWrap : DefaultWordWrap(); }

void TAxisBarEh::SetWordWrap(bool Value)
{
    const bool old = WordWrap();
    FWordWrap = Value;
    FAssignedValues.Include(cvWordWrap);
    if (old != Value)
        Changed(false);
}

bool TAxisBarEh::EndEllipsis() const
{
    if (LookFlag(this, cvEndEllipsis))
        return FEndEllipsis;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->EndEllipsis();
}

void TAxisBarEh::SetEndEllipsis(bool Value)
{
    if (SetLookValue(FEndEllipsis, Value, cvEndEllipsis))
        Changed(false);
}

TTextLayout TAxisBarEh::Layout() const
{
    if (LookFlag(this, cvLayout))
        return FLayout;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def ? def->Layout() : tlTop;
}

void TAxisBarEh::SetLayout(TTextLayout Value)
{
    if (SetLookValue(FLayout, Value, cvLayout))
        Changed(false);
}

bool TAxisBarEh::HighlightRequired() const
{
    if (LookFlag(this, cvHighlightRequired))
        return FHighlightRequired;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->HighlightRequired();
}

void TAxisBarEh::SetHighlightRequired(bool Value)
{
    if (SetLookValue(FHighlightRequired, Value, cvHighlightRequired))
        Changed(false);
}

TBiDiMode TAxisBarEh::BiDiMode() const
{
    if (LookFlag(this, cvBiDiMode) || !Grid())
        return FBiDiMode;
    return Grid()->BiDiMode();
}

void TAxisBarEh::SetBiDiMode(TBiDiMode Value)
{
    if (SetLookValue(FBiDiMode, Value, cvBiDiMode))
        Changed(false);
}

bool TAxisBarEh::ToolTips() const
{
    if (LookFlag(this, cvToolTips))
        return FToolTips;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->ToolTips();
}

void TAxisBarEh::SetToolTips(bool Value) { SetLookValue(FToolTips, Value, cvToolTips); }

bool TAxisBarEh::AlwaysShowEditButton() const
{
    if (LookFlag(this, cvAlwaysShowEditButton))
        return FAlwaysShowEditButton;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->AlwaysShowEditButton();
}

void TAxisBarEh::SetAlwaysShowEditButton(bool Value)
{
    if (SetLookValue(FAlwaysShowEditButton, Value, cvAlwaysShowEditButton))
        Changed(false);
}

bool TAxisBarEh::AutoDropDown() const
{
    if (LookFlag(this, cvAutoDropDown))
        return FAutoDropDown;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->AutoDropDown();
}

void TAxisBarEh::SetAutoDropDown(bool Value) { SetLookValue(FAutoDropDown, Value, cvAutoDropDown); }

bool TAxisBarEh::DblClickNextVal() const
{
    if (LookFlag(this, cvDblClickNextVal))
        return FDblClickNextVal;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->DblClickNextVal();
}

void TAxisBarEh::SetDblClickNextVal(bool Value) { SetLookValue(FDblClickNextVal, Value, cvDblClickNextVal); }

bool TAxisBarEh::DropDownSizing() const
{
    if (LookFlag(this, cvDropDownSizing))
        return FDropDownSizing;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->DropDownSizing();
}

void TAxisBarEh::SetDropDownSizing(bool Value) { SetLookValue(FDropDownSizing, Value, cvDropDownSizing); }

bool TAxisBarEh::DropDownShowTitles() const
{
    if (LookFlag(this, cvDropDownShowTitles))
        return FDropDownShowTitles;
    TAxisBarDefValuesEh* def = BarDefValues(this);
    return def && def->DropDownShowTitles();
}

void TAxisBarEh::SetDropDownShowTitles(bool Value)
{
    SetLookValue(FDropDownShowTitles, Value, cvDropDownShowTitles);
}

QString TAxisBarEh::LookupDisplayFields() const
{
    if (LookFlag(this, cvLookupDisplayFields))
        return FLookupDisplayFields;
    return LookupParams() ? LookupParams()->LookupDisplayFieldName() : QString();
}

void TAxisBarEh::SetLookupDisplayFields(const QString& Value)
{
    if (LookFlag(this, cvLookupDisplayFields) || Value != LookupDisplayFields()) {
        FLookupDisplayFields = Value;
        FAssignedValues.Include(cvLookupDisplayFields);
        if (ILookupListGridEh* list = DataList())
            list->SetListFieldName(Value);
    }
    Changed(false);
}

bool TAxisBarEh::DefaultLimitTextToListValues() const
{
    const TAxisBarEhType type = GetBarType();
    return (type == ctLookupField || type == ctKeyPickList) && !OnNotInList.Assigned();
}

bool TAxisBarEh::LimitTextToListValues() const
{
    return FLimitTextToListValuesStored ? FLimitTextToListValues : DefaultLimitTextToListValues();
}

void TAxisBarEh::SetLimitTextToListValues(bool Value)
{
    FLimitTextToListValuesStored = true;
    FLimitTextToListValues = Value;
}

void TAxisBarEh::SetLimitTextToListValuesStored(bool Value)
{
    if (Value == FLimitTextToListValuesStored)
        return;
    FLimitTextToListValues = DefaultLimitTextToListValues();
    FLimitTextToListValuesStored = Value;
}

void TAxisBarEh::SetPopupMenu(TPopupMenu* Value)
{
    FPopupMenu = Value;
    if (Value && Grid())
        Value->FreeNotification(Grid());
}

void TAxisBarEh::SetDropDownWidth(int Value)
{
    if (Value == FDropDownWidth)
        return;
    FDropDownWidth = Value;
    Changed(false);
}

TCellButtonStyleEh TAxisBarEh::ButtonStyle() const
{
    TAxisBarMainEditButtonEh* btn = EditButton();
    if (!btn->VisibleStored())
        return cbsAuto;
    if (!btn->GetVisible())
        return cbsNone;
    switch (btn->Style()) {
    case ebsEllipsisEh: return cbsEllipsis;
    case ebsUpDownEh: return cbsUpDown;
    case ebsDropDownEh: return cbsDropDown;
    case ebsAltUpDownEh: return cbsAltUpDown;
    case ebsAltDropDownEh: return cbsAltDropDown;
    default: return cbsAuto;
    }
}

void TAxisBarEh::SetButtonStyle(TCellButtonStyleEh Value)
{
    if (Value == ButtonStyle())
        return;
    TAxisBarMainEditButtonEh* btn = EditButton();
    switch (Value) {
    case cbsAuto: btn->SetVisibleStored(false); return;
    case cbsNone:
        btn->SetVisible(false);
        btn->SetStyle(ebsDropDownEh);
        return;
    case cbsEllipsis: btn->SetStyle(ebsEllipsisEh); break;
    case cbsUpDown: btn->SetStyle(ebsUpDownEh); break;
    case cbsDropDown: btn->SetStyle(ebsDropDownEh); break;
    case cbsAltUpDown: btn->SetStyle(ebsAltUpDownEh); break;
    case cbsAltDropDown: btn->SetStyle(ebsAltDropDownEh); break;
    }
    btn->SetVisible(true);
}

TAxisBarTitleEh* TAxisBarEh::Title() const { EnsureLook(); return FTitle.get(); }
void TAxisBarEh::SetTitle(TAxisBarTitleEh* Value) { Title()->Assign(Value); }
TAxisBarMainEditButtonEh* TAxisBarEh::EditButton() const { EnsureLook(); return FEditButton.get(); }
void TAxisBarEh::SetEditButton(TAxisBarMainEditButtonEh* Value) { EditButton()->Assign(Value); }
TEditButtonsEh* TAxisBarEh::EditButtons() const { EnsureLook(); return FEditButtons.get(); }
void TAxisBarEh::SetEditButtons(TEditButtonsEh* Value) { EditButtons()->Assign(Value); }
TColumnDropDownBoxEh* TAxisBarEh::DropDownBox() const { EnsureLook(); return FDropDownBox.get(); }
void TAxisBarEh::SetDropDownBox(TColumnDropDownBoxEh* Value) { DropDownBox()->Assign(Value); }

TDropDownFormCallParamsEh* TAxisBarEh::DropDownFormParams() const
{
    if (!FDropDownFormParams) {
        auto* self = const_cast<TAxisBarEh*>(this);
        FDropDownFormParams.reset(Create<TDropDownFormCallParamsEh>());
        FDropDownFormParams->OnChanged = TNotifyEvent(self, &TAxisBarEh::EditButtonChanged);
        FDropDownFormParams->OnCheckDataIsReadOnly = TCheckDataIsReadOnlyEventEh(
            [self](TObject*, bool& ReadOnly) { self->CheckDataIsReadOnly(ReadOnly); });
        self->FLookCleanup.Bar = self;
    }
    return FDropDownFormParams.get();
}

void TAxisBarEh::SetDropDownFormParams(TDropDownFormCallParamsEh* Value) { DropDownFormParams()->Assign(Value); }

void TAxisBarEh::EditButtonChanged(TObject*) { Changed(false); }

// ---- stored tests ----

bool TAxisBarEh::IsColorStored() const { return LookFlag(this, cvColor) && FColor != DefaultColor(); }
bool TAxisBarEh::IsFontStored() const { return LookFlag(this, cvFont); }
bool TAxisBarEh::IsAlignmentStored() const { return LookFlag(this, cvAlignment) && FAlignment != DefaultAlignment(); }
bool TAxisBarEh::IsImeModeStored() const { return LookFlag(this, cvImeMode) && FImeMode != DefaultImeMode(); }
bool TAxisBarEh::IsImeNameStored() const { return LookFlag(this, cvImeName) && FImeName != DefaultImeName(); }
bool TAxisBarEh::IsWordWrapStored() const { return LookFlag(this, cvWordWrap); }
bool TAxisBarEh::IsBiDiModeStored() const { return LookFlag(this, cvBiDiMode); }
bool TAxisBarEh::IsLookupDisplayFieldsStored() const
{
    return LookFlag(this, cvLookupDisplayFields) &&
           FLookupDisplayFields != (LookupParams() ? LookupParams()->LookupDisplayFieldName() : QString());
}

// The own value differs from what the bar would follow without it.
#define DOV_DEFAULTED_STORED(Name, Flag, Field, DefExpr)                                      \
    bool TAxisBarEh::Is##Name##Stored() const                                               \
    {                                                                                       \
        if (!LookFlag(this, Flag))                                                          \
            return false;                                                                   \
        TAxisBarDefValuesEh* def = BarDefValues(this);                                      \
        return Field != (def ? DefExpr : decltype(Field){});                                \
    }
DOV_DEFAULTED_STORED(EndEllipsis, cvEndEllipsis, FEndEllipsis, def->EndEllipsis())
DOV_DEFAULTED_STORED(Layout, cvLayout, FLayout, def->Layout())
DOV_DEFAULTED_STORED(HighlightRequired, cvHighlightRequired, FHighlightRequired, def->HighlightRequired())
DOV_DEFAULTED_STORED(ToolTips, cvToolTips, FToolTips, def->ToolTips())
DOV_DEFAULTED_STORED(AlwaysShowEditButton, cvAlwaysShowEditButton, FAlwaysShowEditButton, def->AlwaysShowEditButton())
DOV_DEFAULTED_STORED(AutoDropDown, cvAutoDropDown, FAutoDropDown, def->AutoDropDown())
DOV_DEFAULTED_STORED(DblClickNextVal, cvDblClickNextVal, FDblClickNextVal, def->DblClickNextVal())
DOV_DEFAULTED_STORED(DropDownSizing, cvDropDownSizing, FDropDownSizing, def->DropDownSizing())
DOV_DEFAULTED_STORED(DropDownShowTitles, cvDropDownShowTitles, FDropDownShowTitles, def->DropDownShowTitles())
#undef DOV_DEFAULTED_STORED

void TAxisBarEh::PublishLookProperties(TPublished<TAxisBarEh>& P)
{
    P.Prop("Alignment", &TAxisBarEh::Alignment, &TAxisBarEh::SetAlignment)
        .NoDefault()
        .Stored(&TAxisBarEh::IsAlignmentStored);
    P.Prop("AlwaysShowEditButton", &TAxisBarEh::AlwaysShowEditButton, &TAxisBarEh::SetAlwaysShowEditButton)
        .NoDefault()
        .Stored(&TAxisBarEh::IsAlwaysShowEditButtonStored);
    P.Prop("AutoDropDown", &TAxisBarEh::AutoDropDown, &TAxisBarEh::SetAutoDropDown)
        .NoDefault()
        .Stored(&TAxisBarEh::IsAutoDropDownStored);
    P.Prop("BiDiMode", &TAxisBarEh::BiDiMode, &TAxisBarEh::SetBiDiMode).NoDefault().Stored(&TAxisBarEh::IsBiDiModeStored);
    P.Prop("ButtonStyle", &TAxisBarEh::ButtonStyle, &TAxisBarEh::SetButtonStyle).Default(cbsAuto);
    P.Prop("Color", &TAxisBarEh::Color, &TAxisBarEh::SetColor).NoDefault().Stored(&TAxisBarEh::IsColorStored);
    P.Prop("DblClickNextVal", &TAxisBarEh::DblClickNextVal, &TAxisBarEh::SetDblClickNextVal)
        .NoDefault()
        .Stored(&TAxisBarEh::IsDblClickNextValStored);
    P.Prop("DropDownBox", &TAxisBarEh::DropDownBox, &TAxisBarEh::SetDropDownBox);
    P.Prop("DropDownRows", &TAxisBarEh::DropDownRows, &TAxisBarEh::SetDropDownRows).Default(7);
    P.Prop("DropDownShowTitles", &TAxisBarEh::DropDownShowTitles, &TAxisBarEh::SetDropDownShowTitles)
        .NoDefault()
        .Stored(&TAxisBarEh::IsDropDownShowTitlesStored);
    P.Prop("DropDownSizing", &TAxisBarEh::DropDownSizing, &TAxisBarEh::SetDropDownSizing)
        .NoDefault()
        .Stored(&TAxisBarEh::IsDropDownSizingStored);
    P.Prop("DropDownWidth", &TAxisBarEh::DropDownWidth, &TAxisBarEh::SetDropDownWidth).Default(0);
    P.Prop("EditButton", &TAxisBarEh::EditButton, &TAxisBarEh::SetEditButton);
    P.Prop("EditButtons", &TAxisBarEh::EditButtons, &TAxisBarEh::SetEditButtons);
    P.Prop("EndEllipsis", &TAxisBarEh::EndEllipsis, &TAxisBarEh::SetEndEllipsis)
        .NoDefault()
        .Stored(&TAxisBarEh::IsEndEllipsisStored);
    P.Prop("Font", &TAxisBarEh::Font, &TAxisBarEh::SetFont).Stored(&TAxisBarEh::IsFontStored);
    P.Prop("HighlightRequired", &TAxisBarEh::HighlightRequired, &TAxisBarEh::SetHighlightRequired)
        .NoDefault()
        .Stored(&TAxisBarEh::IsHighlightRequiredStored);
    P.Prop("ImeMode", &TAxisBarEh::ImeMode, &TAxisBarEh::SetImeMode).NoDefault().Stored(&TAxisBarEh::IsImeModeStored);
    P.Prop("ImeName", &TAxisBarEh::ImeName, &TAxisBarEh::SetImeName).Stored(&TAxisBarEh::IsImeNameStored);
    P.Prop("Layout", &TAxisBarEh::Layout, &TAxisBarEh::SetLayout).NoDefault().Stored(&TAxisBarEh::IsLayoutStored);
    P.Prop("LimitTextToListValues", &TAxisBarEh::LimitTextToListValues, &TAxisBarEh::SetLimitTextToListValues)
        .NoDefault()
        .Stored(&TAxisBarEh::IsLimitTextToListValuesStored);
    P.Prop("LookupDisplayFields", &TAxisBarEh::LookupDisplayFields, &TAxisBarEh::SetLookupDisplayFields)
        .Stored(&TAxisBarEh::IsLookupDisplayFieldsStored);
    P.Prop("PopupMenu", &TAxisBarEh::PopupMenu, &TAxisBarEh::SetPopupMenu);
    P.Prop("Title", &TAxisBarEh::Title, &TAxisBarEh::SetTitle);
    P.Prop("ToolTips", &TAxisBarEh::ToolTips, &TAxisBarEh::SetToolTips).NoDefault().Stored(&TAxisBarEh::IsToolTipsStored);
    P.Prop("WordWrap", &TAxisBarEh::WordWrap, &TAxisBarEh::SetWordWrap).NoDefault().Stored(&TAxisBarEh::IsWordWrapStored);
    P.Event("OnEditButtonClick", &TAxisBarEh::OnEditButtonClick);
    P.Event("OnEditButtonDown", &TAxisBarEh::OnEditButtonDown);
    P.Event("OnNotInList", &TAxisBarEh::OnNotInList);
}

// ---- right to left, text metrics ----

bool TAxisBarEh::UseRightToLeftReading() const { return BiDiMode() != bdLeftToRight; }

bool TAxisBarEh::UseRightToLeftAlignment() const
{
    if (BiDiMode() != bdRightToLeft)
        return false;
    // A field's right-aligned number stays where it is; only the default (left) alignment
    // is mirrored.
    return !Field() || Alignment() == taLeftJustify;
}

bool TAxisBarEh::UseRightToLeftScrollBar() const
{
    const TBiDiMode mode = BiDiMode();
    return mode == bdRightToLeft || mode == bdRightToLeftNoAlign;
}

unsigned TAxisBarEh::DrawTextBiDiModeFlagsReadingOnly() const
{
    return UseRightToLeftReading() ? unsigned(DT_RTLREADING) : 0u;
}

bool TAxisBarEh::CurLineWordWrap(int RowHeight)
{
    if (!WordWrap())
        return false;
    TCustomDBAxisGridEh* grid = Grid();
    if (!grid)
        return true;
    TTextMetric tm;
    GetTextMetrics(MeasureCanvasEh(Font())->Handle(), tm);
    return RowHeight > grid->Interlinear() + tm.tmHeight + tm.tmExternalLeading;
}

int TAxisBarEh::GetCellHeight(int Row) const { return Grid() ? Grid()->RowHeights(Row) : 0; }
int TAxisBarEh::CalcRowHeight() { return 0; }
int TAxisBarEh::GetDataCellHorzOffset() const { return 3; }

void TAxisBarEh::SetTextArea(TRect&)
{
    throw Exception(QStringLiteral(" TAxisBarEh.SetTextArea must be realized in the inherited class."));
}

bool TAxisBarEh::EditButtonsShownAlways() const { return AlwaysShowEditButton(); }

// ---- edit buttons ----

int TAxisBarEh::EditButtonsWidth() const
{
    TCustomDBAxisGridEh* grid = Grid();
    const bool flat = grid && grid->Flat();
    const bool themesOff = !ThemesEnabledEh();
    int result = 0;
    if (EditButton()->GetVisible()) {
        if (EditButton()->Width() != 0)
            result = EditButton()->Width();
        else if (flat)
            result = DefaultEditButtonWidth() + (themesOff ? 1 : 0);
        else
            result = GetSystemMetrics(SM_CXVSCROLL);
    }
    for (int i = 0; i < EditButtons()->Count(); ++i) {
        TEditButtonEh* btn = EditButtons()->Items(i);
        if (!btn->GetVisible())
            continue;
        if (btn->Width() != 0)
            result += btn->Width();
        else
            result += flat ? DefaultEditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
        if (flat && themesOff)
            result += 1;
    }
    return result;
}

int TAxisBarEh::GetEditButtonDefaultWidth() const
{
    if (EditButton()->Width() != 0)
        return EditButton()->Width();
    TCustomDBAxisGridEh* grid = Grid();
    if (!grid || !grid->Flat())
        return GetSystemMetrics(SM_CXVSCROLL);
    return DefaultEditButtonWidth() + (ThemesEnabledEh() ? 0 : 1);
}

int TAxisBarEh::CalcInplaceEditorButtonHeight() const
{
    TCustomDBAxisGridEh* grid = Grid();
    const int h = grid ? grid->InplaceEditorButtonHeight() : 0;
    // Halves go to the even neighbour, as the processor rounds by default.
    auto height = [](int Width) { return int(std::nearbyint(1.5 * Width)); };
    int smallest = height(EditButton()->Width());
    bool anyWidth = EditButton()->Width() != 0;
    for (int i = 0; i < EditButtons()->Count(); ++i) {
        const int w = EditButtons()->Items(i)->Width();
        anyWidth = anyWidth || w != 0;
        smallest = std::min(smallest, height(w));
    }
    if (!anyWidth || smallest < h)
        return h;
    return grid ? std::min(smallest, grid->DefaultRowHeight()) : smallest;
}

bool TAxisBarEh::EditButtonsBoxNeeded() { return GetBarType() == ctGraphicData && !TextEditing(); }

TRect TAxisBarEh::GetEditButtonsBoxRect(const TRect& CellRect) { return CellRect; }

void TAxisBarEh::SetupEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& ARect)
{
    if (!EditButtonsBoxNeeded())
        return;
    Box->SetOnDown(TButtonDownEventEh(this, &TAxisBarEh::EditButtonsBoxDown));
    Box->SetOnButtonClick(TNotifyEvent(this, &TAxisBarEh::EditButtonsBoxClick));
    Box->SetOnButtonMouseMove(TMouseMoveEvent(this, &TAxisBarEh::EditButtonsBoxMouseMove));
    Box->SetOnButtonMouseUp(TMouseEvent(this, &TAxisBarEh::EditButtonsBoxMouseUp));
    LayoutEditButtonsBox(Box, ARect);
    UpdateEditButtonsBoxState(Box);
}

void TAxisBarEh::LayoutEditButtonsBox(TEditButtonsBoxEh* Box, const TRect& ARect)
{
    Box->BeginLayout();
    {
        auto endLayout = Finally([Box] { Box->EndLayout(); });
        Box->SetButtonsCount(EditButtons()->Count() + 1);
        Box->SetFlat(Grid() && Grid()->Flat());
        Box->SetMaxButtonHeight(ARect.Height());
        Box->BtnCtlLine(0).EditButton = EditButton();
        for (int i = 0; i < EditButtons()->Count(); ++i)
            Box->BtnCtlLine(i + 1).EditButton = EditButtons()->Items(i);
    }
    if (Box->ButtonsWidth() <= 0) {
        Box->SetVisible(false);
        return;
    }
    Box->SetBounds(ARect.Right - Box->ButtonsWidth(), ARect.Top, Box->ButtonsWidth(), ARect.Height());
    Box->SetVisible(true);
}

void TAxisBarEh::UpdateEditButtonsBoxState(TEditButtonsBoxEh* Box)
{
    Box->SetBorderActive(true);
    // The grid's default action belongs to one button only: the main one while nothing of the
    // bar claims it, else each extra button that has no handler of its own.
    TAxisBarMainEditButtonEh* main = EditButton();
    const bool mainHasIt = main->GetVisible() && !OnEditButtonClick.Assigned() && !OnEditButtonDown.Assigned();
    main->SetParentDefinedDefaultAction(mainHasIt);
    for (int i = 0; i < EditButtons()->Count(); ++i) {
        TEditButtonEh* btn = EditButtons()->Items(i);
        btn->SetParentDefinedDefaultAction(!mainHasIt && !btn->OnClick().Assigned() && !btn->OnDown().Assigned());
    }
    Box->UpdateEditButtonControlsState();
}

void TAxisBarEh::RunEditButtonDefaultAction(TObject* Control, TEditButtonEh* Button, bool IsMouseDown, bool& Handled)
{
    if (TCustomDBAxisGridEh* grid = Grid())
        grid->EditButtonDefaultAction(this, Handled, IsMouseDown, dynamic_cast<TEditButtonControlEh*>(Control), Button,
                                      nullptr);
}

void TAxisBarEh::EditButtonsBoxClick(TObject* Sender)
{
    TEditButtonsBoxEh* box = nullptr;
    const int index = BoxControlIndex(Sender, box);
    if (index < 0)
        return;
    bool handled = false;
    if (index == 0) {
        const TCellButtonStyleEh style = ButtonStyle();
        if (Grid() && (style == cbsEllipsis || style == cbsDropDown || style == cbsAltDropDown))
            Grid()->EditButtonClick();
        if (OnEditButtonClick)
            OnEditButtonClick(Sender, handled);
        if (!handled && EditButton()->DefaultAction())
            RunEditButtonDefaultAction(Sender, EditButton(), false, handled);
        return;
    }
    if (index - 1 >= EditButtons()->Count())
        return;
    TEditButtonEh* btn = EditButtons()->Items(index - 1);
    btn->Click(Sender, handled);
    if (!handled && btn->DefaultAction())
        RunEditButtonDefaultAction(Sender, btn, false, handled);
}

void TAxisBarEh::EditButtonsBoxDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled)
{
    Handled = false;
    TEditButtonsBoxEh* box = nullptr;
    const int index = BoxControlIndex(Sender, box);
    if (index < 0)
        return;
    if (TWinControl* parent = box->Parent(); parent && parent->CanFocus())
        parent->SetFocus();
    if (index == 0) {
        if (OnEditButtonDown)
            OnEditButtonDown(Sender, TopButton, AutoRepeat, Handled);
        if (!Handled && EditButton()->DefaultAction())
            RunEditButtonDefaultAction(Sender, EditButton(), true, Handled);
        return;
    }
    if (index - 1 >= EditButtons()->Count())
        return;
    TEditButtonEh* btn = EditButtons()->Items(index - 1);
    if (btn->OnDown())
        btn->OnDown()(Sender, TopButton, AutoRepeat, Handled);
    if (!Handled && btn->DropdownMenu()) {
        auto* control = static_cast<TControl*>(Sender);
        TPopupMenu* menu = btn->DropdownMenu();
        const TPoint corner = menu->Alignment == paRight ? TPoint{control->Width(), control->Height()}
                                                         : TPoint{0, control->Height()};
        const TPoint p = control->ClientToScreen(corner);
        menu->PopupComponent = control;
        menu->Popup(p.X, p.Y);
        // The press that opened the menu must not click the button once the menu is gone.
        LeftClickPending(control);
        control->Perform(WM_LBUTTONUP, 0, 0);
    }
    if (!Handled && btn->DefaultAction())
        RunEditButtonDefaultAction(Sender, btn, true, Handled);
}

void TAxisBarEh::EditButtonsBoxMouseMove(TObject*, TShiftState, int, int) {}
void TAxisBarEh::EditButtonsBoxMouseUp(TObject*, TMouseButton, TShiftState, int, int) {}

namespace {
TEditButtonControlEh* EditorMainButtonControl(const TAxisBarEh* Bar)
{
    TCustomDBAxisGridEh* grid = Bar->Grid();
    auto* editor = grid ? dynamic_cast<TDBAxisGridInplaceEdit*>(grid->InplaceEditor()) : nullptr;
    if (!editor || editor->GetAxisBar() != Bar || !editor->ButtonsBox() || editor->ButtonsBox()->ButtonsCount() == 0)
        return nullptr;
    return editor->ButtonsBox()->BtnCtlList()[0].EditButtonControl;
}
}

bool TAxisBarEh::EditButtonPressed() const
{
    TEditButtonControlEh* control = EditorMainButtonControl(this);
    return control && control->AlwaysDown();
}

void TAxisBarEh::SetEditButtonPressed(bool Value)
{
    if (TEditButtonControlEh* control = EditorMainButtonControl(this))
        control->SetAlwaysDown(Value);
}

// ---- drop-down ----

void TAxisBarEh::DropDown()
{
    TCustomDBAxisGridEh* grid = Grid();
    if (!grid || !grid->InplaceEditorVisible())
        return;
    if (auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(grid->InplaceEditor()))
        editor->DropDown();
}

QString TAxisBarEh::GetDropDownBoxListField()
{
    if (GetBarType() != ctDataList)
        return LookupParams() ? LookupParams()->LookupDisplayFieldName() : QString();
    const QString actual = DropDownBox()->GetActualListField();
    if (!actual.isEmpty())
        return actual;
    TDataSource* source = DropDownBox()->ListSource();
    TDataSet* ds = source ? source->DataSet() : nullptr;
    if (!ds)
        return {};
    if (ds->FindField(FieldName()))
        return FieldName();
    return ds->Fields()->Count() > 0 ? ds->Fields()->Fields(0)->FieldName() : QString();
}

void TAxisBarEh::DropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName, const QString& FilterText,
                                            TLSAutoFilterTypeEh Operation)
{
    DefaultDropDownBoxApplyTextFilter(DataSet, FieldName, FilterText, Operation);
}

void TAxisBarEh::DefaultDropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName,
                                                   const QString& FilterText, TLSAutoFilterTypeEh Operation)
{
    if (!DataSet)
        return;
    if (FilterText.isEmpty()) {
        DataSet->SetFilter(QString());
        return;
    }
    const QString any = DropDownBox()->GetLikeWildcardForSeveralCharacters();
    const QString prefix = Operation == lsftContainsEh ? any : QString();
    QString quoted = FilterText;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    DataSet->SetFilter(QLatin1Char('[') + FieldName + QLatin1String("] like '") + prefix + quoted + any +
                       QLatin1Char('\''));
    DataSet->SetFiltered(true);
}

void TAxisBarEh::LookupParamsChanged()
{
    if (TCustomDBAxisGridEh* grid = Grid())
        grid->ResetBarLookupValues(this);
}

ILookupListGridEh* TAxisBarEh::DataList() const
{
    if (FDataList)
        return FDataList;
    TLookupListGridFactoryEh factory = AxisBarDataListFactoryEh();
    if (!factory)
        return nullptr;
    ILookupListGridEh* list = factory();
    if (!list)
        return nullptr;
    FDataList = list;
    FDataListControl.reset(list->ListControl());
    FDataListControl->SetName(QStringLiteral("DataList"));
    if (LookFlag(this, cvLookupDisplayFields))
        list->SetListFieldName(FLookupDisplayFields);
    list->SetSpecRow(DropDownSpecRow());
    return list;
}

ILookupGridOwner* TAxisBarEh::LookupGridOwner() const
{
    EnsureLook();
    return FLookGridOwner.get();
}

void TAxisBarEh::DropDownSpecRowChanged(TObject*)
{
    Changed(false);
    if (FDataList)
        FDataList->SetSpecRow(DropDownSpecRow());
}

// ---- menus ----

TPopupMenu* TAxisBarEh::GetPopupMenu() { return FPopupMenu ? FPopupMenu : GetSystemPopupMenu(); }

TPopupMenu* TAxisBarEh::GetSystemPopupMenu()
{
    if (!FSystemPopupMenu)
        FSystemPopupMenu.reset(Create<TPopupMenu>(static_cast<TComponent*>(nullptr)));
    FormSystemPopupMenu(FSystemPopupMenu.get());
    return FSystemPopupMenu.get();
}

void TAxisBarEh::FormSystemPopupMenu(TPopupMenu* Menu)
{
    TMenuItem* items = Menu->Items();
    while (items->Count() > 0)
        delete items->Items(items->Count() - 1);
    if (TCustomDBAxisGridEh* grid = Grid())
        grid->FormColumnSystemPopupMenu(this, Menu);
}

// ---- factories ----

TAxisBarTitleEh* TAxisBarEh::CreateTitle() { return new TAxisBarTitleEh(this); }
TAxisBarMainEditButtonEh* TAxisBarEh::CreateMainEditButton() { return new TAxisBarMainEditButtonEh(this); }

TEditButtonsEh* TAxisBarEh::CreateEditButtons()
{
    return new TEditButtonsEh(this, TVisibleEditButtonEh::StaticClassInfo());
}
