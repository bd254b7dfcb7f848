#include "DBAxisGridsEh_Collections.h"

#include "DBAxisGridsEh_Grid.h"
#include "platform/db/DB.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Streams.h"

#include <memory>
#include <vector>

// ---------------------------------------------------------------- TGridAxisBarsEh

DOV_PUBLISHED(TGridAxisBarsEh) {}

TGridAxisBarsEh::TGridAxisBarsEh(TCustomDBAxisGridEh* Grid, const TClassInfo& BarClass)
    : TCollection(BarClass), FGrid(Grid)
{
}

TPersistent* TGridAxisBarsEh::GetOwner() const
{
    return FGrid;
}

TAxisBarEh* TGridAxisBarsEh::Add()
{
    return static_cast<TAxisBarEh*>(TCollection::Add());
}

TAxisBarEh* TGridAxisBarsEh::AddDefaultBar()
{
    TAxisBarEh* bar = Add();
    bar->SetStored(false);
    return bar;
}

TAxisBarEh* TGridAxisBarsEh::Items(int Index) const
{
    return static_cast<TAxisBarEh*>(TCollection::Items(Index));
}

void TGridAxisBarsEh::SetItems(int Index, TAxisBarEh* Value)
{
    Items(Index)->Assign(Value);
}

TDBGridBarsState TGridAxisBarsEh::State() const
{
    return Count() > 0 && Items(0)->Stored() ? csCustomized : csDefault;
}

void TGridAxisBarsEh::SetState(TDBGridBarsState Value)
{
    if (Value == State())
        return;
    if (Value == csCustomized)
        RebuildBars();
    else
        Clear();
}

void TGridAxisBarsEh::AddAllBars(bool DeleteExisting)
{
    TDataSource* source = FGrid ? FGrid->DataSource() : nullptr;
    TDataSet* dataSet = source ? source->DataSet() : nullptr;
    if (!dataSet) {
        if (DeleteExisting)
            Clear();
        return;
    }
    FGrid->BeginLayout();
    auto layout = Finally([this] { FGrid->EndLayout(); });
    if (DeleteExisting)
        Clear();
    std::vector<TField*> fields;
    FGrid->GetBarFieldList(fields);
    for (TField* field : fields)
        Add()->SetFieldName(field->FieldName());
}

void TGridAxisBarsEh::RebuildBars()
{
    AddAllBars(true);
}

void TGridAxisBarsEh::RestoreDefaults()
{
    TUpdateGuard update(this);
    for (int i = 0; i < Count(); ++i)
        Items(i)->RestoreDefaults();
}

namespace {
QString BarName(const TAxisBarEh* Bar, int Index)
{
    return QStringLiteral("Column_%1_%2").arg(Index).arg(Bar->FieldName());
}
}

TAxisBarEh* TGridAxisBarsEh::FindBarByName(const QString& ColumnName) const
{
    for (int i = 0; i < Count(); ++i)
        if (BarName(Items(i), i) == ColumnName)
            return Items(i);
    return nullptr;
}

QString TGridAxisBarsEh::BarNameOf(const TAxisBarEh* Bar) const { return BarName(Bar, Bar->Index()); }

void TGridAxisBarsEh::GetBarNames(TStrings* List) const
{
    for (int i = 0; i < Count(); ++i)
        List->Add(BarName(Items(i), i));
}

bool TGridAxisBarsEh::CheckItemInList(const TAxisBarEh* AxisBar) const
{
    return AxisBar && AxisBar->Collection() == this;
}

void TGridAxisBarsEh::ActiveChanged()
{
    for (int i = 0; i < Count(); ++i)
        if (TDBLookupDataEh* lookup = Items(i)->LookupParams())
            lookup->UpdateLookupState();
}

void TGridAxisBarsEh::Assign(TPersistent* Source)
{
    if (!FGrid) {
        TCollection::Assign(Source);
        return;
    }
    // One layout rebuild for the whole copy.
    FGrid->BeginLayout();
    auto layout = Finally([this] { FGrid->EndLayout(); });
    TCollection::Assign(Source);
}

void TGridAxisBarsEh::SaveToStream(TStream* S)
{
    std::unique_ptr<TColumnsWrapper> wrapper = CreateUnique<TColumnsWrapper>(nullptr);
    wrapper->SetAxisBars(this);
    TWriter writer(S);
    writer.WriteRootComponent(wrapper.get());
}

void TGridAxisBarsEh::SaveToFile(const QString& FileName)
{
    // Through memory and a rename: a failed save leaves an existing file whole.
    TBytesStream stream;
    SaveToStream(&stream);
    SaveBytesToFile(FileName, stream.Bytes());
}

namespace {
// The class name of the stream's root component; the stream is left where it was.
QString RootClassName(TStream* S)
{
    const int64_t start = S->Position();
    auto back = Finally([&] { S->SetPosition(start); });
    TReader reader(S);
    reader.ReadSignature();
    TFilerFlags flags;
    int childPos = 0;
    reader.ReadPrefix(flags, childPos);
    return reader.ReadStr();
}

// A bar's reference to a component of the grid's form ("Form.Menu", or "Menu" when the form
// has no name) is written relative to that form: resolve it through the grid's owners.
TComponent* FindOwnersComponent(TCustomDBAxisGridEh* Grid, const QString& Name)
{
    const QStringList parts = Name.split(u'.');
    for (TComponent* o = Grid ? Grid->Owner() : nullptr; o; o = o->Owner()) {
        TComponent* c = nullptr;
        if (parts.size() == 1)
            c = o->FindComponent(Name);
        else if (!o->Name().isEmpty() && o->Name().compare(parts[0], Qt::CaseInsensitive) == 0) {
            c = o;
            for (qsizetype i = 1; c && i < parts.size(); ++i)
                c = c->FindComponent(parts[i]);
        }
        if (c)
            return c;
    }
    return nullptr;
}

void ReadBars(TStream* S, TGridAxisBarsEh* Bars)
{
    std::unique_ptr<TColumnsWrapper> wrapper = CreateUnique<TColumnsWrapper>(nullptr);
    wrapper->SetAxisBars(Bars);
    TReader reader(S);
    reader.OnFindComponent = [grid = Bars->Grid()](TReader*, const QString& Name, TComponent*& Component) {
        Component = FindOwnersComponent(grid, Name);
    };
    reader.ReadRootComponent(wrapper.get());
}
}

void TGridAxisBarsEh::LoadFromStream(TStream* S)
{
    const int64_t start = S->Position();
    // The reader would read any root's properties into the wrapper.
    const QString rootClass = RootClassName(S);
    if (rootClass != TColumnsWrapper::StaticClassInfo().Name) {
        if (!GetClass(rootClass))
            throw EReadError(QStringLiteral("Class %s not found"), {rootClass});
        throw EReadError(QStringLiteral("A %s stream holds no bar collection"), {rootClass});
    }
    // First into a collection of the grid's own kind, so a stream that cannot be read leaves
    // this one as it was.
    std::unique_ptr<TGridAxisBarsEh> bars(FGrid ? FGrid->CreateAxisBars() : nullptr);
    if (!bars)
        bars = std::make_unique<TGridAxisBarsEh>(FGrid, ItemClass());
    ReadBars(S, bars.get());
    // Then the same stream again into this one: copying bars would turn every value that
    // followed the grid's defaults into an own value, and drops what Assign does not copy.
    // The second read meets the very bytes the first one accepted.
    if (FGrid)
        FGrid->BeginLayout();
    auto layout = Finally([this] {
        if (FGrid)
            FGrid->EndLayout();
    });
    S->SetPosition(start);
    // An empty collection is not written at all: the stream then holds no bars.
    Clear();
    ReadBars(S, this);
}

void TGridAxisBarsEh::LoadFromFile(const QString& FileName)
{
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&stream);
}

void TGridAxisBarsEh::Update(TCollectionItem* Item)
{
    Q_UNUSED(Item);
}

void TGridAxisBarsEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    TCollection::Notify(Item, Action);
    if (Action == cnExtracting && FGrid)
        FGrid->AxisBarRemoving(static_cast<TAxisBarEh*>(Item));
}

// ---------------------------------------------------------------- TColumnsWrapper

DOV_PUBLISHED(TColumnsWrapper)
{
    P.Prop("AxisBars", &TColumnsWrapper::AxisBars, &TColumnsWrapper::SetAxisBars);
}

// ---------------------------------------------------------------- TAxisBarCaptionDefValuesEh

DOV_PUBLISHED(TAxisBarCaptionDefValuesEh)
{
    P.Prop("Alignment", &TAxisBarCaptionDefValuesEh::Alignment, &TAxisBarCaptionDefValuesEh::SetAlignment)
        .NoDefault()
        .Stored(&TAxisBarCaptionDefValuesEh::IsAlignmentStored);
    P.Prop("Color", &TAxisBarCaptionDefValuesEh::Color, &TAxisBarCaptionDefValuesEh::SetColor)
        .NoDefault()
        .Stored(&TAxisBarCaptionDefValuesEh::IsColorStored);
    P.Prop("EndEllipsis", &TAxisBarCaptionDefValuesEh::EndEllipsis, &TAxisBarCaptionDefValuesEh::SetEndEllipsis)
        .Default(false);
    P.Prop("Orientation", &TAxisBarCaptionDefValuesEh::Orientation, &TAxisBarCaptionDefValuesEh::SetOrientation)
        .Default(tohHorizontal);
    P.Prop("TitleButton", &TAxisBarCaptionDefValuesEh::TitleButton, &TAxisBarCaptionDefValuesEh::SetTitleButton)
        .Default(false);
    P.Prop("ToolTips", &TAxisBarCaptionDefValuesEh::ToolTips, &TAxisBarCaptionDefValuesEh::SetToolTips)
        .Default(false);
}

TCustomDBAxisGridEh* TAxisBarCaptionDefValuesEh::Grid() const
{
    return FOwner ? FOwner->Grid() : nullptr;
}

TPersistent* TAxisBarCaptionDefValuesEh::GetOwner() const
{
    return FOwner;
}

TAlignment TAxisBarCaptionDefValuesEh::DefaultAlignment() const
{
    TCustomDBAxisGridEh* g = Grid();
    return g ? g->GetDefaultTitleAlignment() : taLeftJustify;
}

TColor TAxisBarCaptionDefValuesEh::DefaultColor() const
{
    TCustomDBAxisGridEh* g = Grid();
    return g ? g->GetDefaultTitleColor() : clBtnFace;
}

TAlignment TAxisBarCaptionDefValuesEh::Alignment() const
{
    return FAssignedValues.Contains(cvdpTitleAlignmentEh) ? FAlignment : DefaultAlignment();
}

void TAxisBarCaptionDefValuesEh::SetAlignment(TAlignment Value)
{
    if (FAssignedValues.Contains(cvdpTitleAlignmentEh) && Value == FAlignment)
        return;
    FAlignment = Value;
    FAssignedValues.Include(cvdpTitleAlignmentEh);
    if (TCustomDBAxisGridEh* g = Grid())
        g->LayoutChanged();
}

TColor TAxisBarCaptionDefValuesEh::Color() const
{
    return FAssignedValues.Contains(cvdpTitleColorEh) ? FColor : DefaultColor();
}

void TAxisBarCaptionDefValuesEh::SetColor(TColor Value)
{
    if (FAssignedValues.Contains(cvdpTitleColorEh) && Value == FColor)
        return;
    FColor = Value;
    FAssignedValues.Include(cvdpTitleColorEh);
    if (FOwner)
        FOwner->RepaintGrid();
}

bool TAxisBarCaptionDefValuesEh::IsAlignmentStored() const
{
    return FAssignedValues.Contains(cvdpTitleAlignmentEh) && FAlignment != DefaultAlignment();
}

bool TAxisBarCaptionDefValuesEh::IsColorStored() const
{
    return FAssignedValues.Contains(cvdpTitleColorEh) && FColor != DefaultColor();
}

void TAxisBarCaptionDefValuesEh::SetEndEllipsis(bool Value)
{
    if (Value == FEndEllipsis)
        return;
    FEndEllipsis = Value;
    if (FOwner)
        FOwner->RepaintGrid();
}

void TAxisBarCaptionDefValuesEh::SetOrientation(TTextOrientationEh Value)
{
    if (Value == FOrientation)
        return;
    FOrientation = Value;
    if (TCustomDBAxisGridEh* g = Grid())
        g->LayoutChanged();
}

void TAxisBarCaptionDefValuesEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TAxisBarCaptionDefValuesEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    // A value that follows the grid keeps following it.
    if (FAssignedValues.Contains(cvdpTitleAlignmentEh))
        SetAlignment(src->Alignment());
    if (FAssignedValues.Contains(cvdpTitleColorEh))
        SetColor(src->Color());
    SetEndEllipsis(src->EndEllipsis());
    FTitleButton = src->TitleButton();
    FToolTips = src->ToolTips();
    SetOrientation(src->Orientation());
}

// ---------------------------------------------------------------- TAxisBarDefValuesEh

DOV_PUBLISHED(TAxisBarDefValuesEh)
{
    P.Prop("AlwaysShowEditButton", &TAxisBarDefValuesEh::AlwaysShowEditButton,
           &TAxisBarDefValuesEh::SetAlwaysShowEditButton).Default(false);
    P.Prop("AutoDropDown", &TAxisBarDefValuesEh::AutoDropDown, &TAxisBarDefValuesEh::SetAutoDropDown).Default(false);
    P.Prop("DblClickNextVal", &TAxisBarDefValuesEh::DblClickNextVal, &TAxisBarDefValuesEh::SetDblClickNextVal)
        .Default(false);
    P.Prop("DropDownShowTitles", &TAxisBarDefValuesEh::DropDownShowTitles,
           &TAxisBarDefValuesEh::SetDropDownShowTitles).Default(false);
    P.Prop("DropDownSizing", &TAxisBarDefValuesEh::DropDownSizing, &TAxisBarDefValuesEh::SetDropDownSizing)
        .Default(false);
    P.Prop("EndEllipsis", &TAxisBarDefValuesEh::EndEllipsis, &TAxisBarDefValuesEh::SetEndEllipsis).Default(false);
    P.Prop("Layout", &TAxisBarDefValuesEh::Layout, &TAxisBarDefValuesEh::SetLayout).Default(tlTop);
    P.Prop("HighlightRequired", &TAxisBarDefValuesEh::HighlightRequired, &TAxisBarDefValuesEh::SetHighlightRequired)
        .Default(false);
    P.Prop("Title", &TAxisBarDefValuesEh::Title);
    P.Prop("ToolTips", &TAxisBarDefValuesEh::ToolTips, &TAxisBarDefValuesEh::SetToolTips).Default(false);
}

TAxisBarDefValuesEh::~TAxisBarDefValuesEh()
{
    delete FTitle;
}

void TAxisBarDefValuesEh::AfterConstruction()
{
    inherited::AfterConstruction();
    FTitle = CreateTitleDefValues();
}

TAxisBarCaptionDefValuesEh* TAxisBarDefValuesEh::CreateTitleDefValues()
{
    return Create<TAxisBarCaptionDefValuesEh>(this);
}

TPersistent* TAxisBarDefValuesEh::GetOwner() const
{
    return FGrid;
}

void TAxisBarDefValuesEh::RepaintGrid() const
{
    if (FGrid)
        FGrid->Invalidate();
}

void TAxisBarDefValuesEh::SetAlwaysShowEditButton(bool Value)
{
    if (Value == FAlwaysShowEditButton)
        return;
    FAlwaysShowEditButton = Value;
    RepaintGrid();
}

void TAxisBarDefValuesEh::SetEndEllipsis(bool Value)
{
    if (Value == FEndEllipsis)
        return;
    FEndEllipsis = Value;
    RepaintGrid();
}

void TAxisBarDefValuesEh::SetLayout(TTextLayout Value)
{
    if (Value == FLayout)
        return;
    FLayout = Value;
    RepaintGrid();
}

void TAxisBarDefValuesEh::SetHighlightRequired(bool Value)
{
    if (Value == FHighlightRequired)
        return;
    FHighlightRequired = Value;
    RepaintGrid();
}

void TAxisBarDefValuesEh::SetTitle(TAxisBarCaptionDefValuesEh* Value)
{
    FTitle->Assign(Value);
}

void TAxisBarDefValuesEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TAxisBarDefValuesEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    SetTitle(src->Title());
    SetAlwaysShowEditButton(src->AlwaysShowEditButton());
    SetEndEllipsis(src->EndEllipsis());
    FAutoDropDown = src->AutoDropDown();
    FDblClickNextVal = src->DblClickNextVal();
    FToolTips = src->ToolTips();
    FDropDownSizing = src->DropDownSizing();
    FDropDownShowTitles = src->DropDownShowTitles();
}

// ---------------------------------------------------------------- TColumnFooterDefValuesEh

DOV_PUBLISHED(TColumnFooterDefValuesEh)
{
    P.Prop("ToolTips", &TColumnFooterDefValuesEh::ToolTips, &TColumnFooterDefValuesEh::SetToolTips).Default(false);
}

void TColumnFooterDefValuesEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TColumnFooterDefValuesEh*>(Source)) {
        FToolTips = src->ToolTips();
        return;
    }
    TPersistent::Assign(Source);
}
