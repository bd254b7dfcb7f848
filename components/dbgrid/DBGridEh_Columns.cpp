// Columns of the data grid: width model, sort markers, lookup texts, the column collection's
// reaction to changes and navigation between columns.
#include "DBGridEh.h"

#include "components/foundation/PropFilerEh.h"
#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"

#include <algorithm>
#include <memory>

namespace {

// The grid keeps these to itself; the column reads them as a derived view does.
struct DBGridAccess : TCustomDBGridEh {
    static bool UpdateFields(const TCustomDBGridEh* G) { return G->*(&DBGridAccess::FUpdateFields); }
    static bool Destroying(const TCustomDBGridEh* G) { return G->ComponentState().Contains(csDestroying); }
};

bool GridLoading(const TCustomDBAxisGridEh* G) { return G && G->ComponentState().Contains(csLoading); }

// Width of "0" and the overhang of a font, as the platform measures them.
struct TZeroMetrics {
    int ZeroWidth = 0;
    int Overhang = 0;
    int AveCharWidth = 0;
};

TZeroMetrics MeasureZero(TFont* Font)
{
    TCanvas* canvas = MeasureCanvasEh(Font);
    TTextMetric tm;
    GetTextMetrics(canvas->Handle(), tm);
    return {canvas->TextWidth(QStringLiteral("0")), tm.tmOverhang, tm.tmAveCharWidth};
}

// The marker a column takes on its first title click: descending, but ascending for text.
TSortMarkerEh FirstSortMarkerState(TColumnEh* Column)
{
    TField* f = Column->Field();
    if (!f)
        return smDownEh;
    const TFieldType t = f->DataType();
    if (dynamic_cast<TStringField*>(f) || t == ftMemo || t == ftFmtMemo || t == ftWideMemo)
        return smUpEh;
    return smDownEh;
}

TDBGridColumnsEh* ColumnsOf(const TColumnEh* Column)
{
    return dynamic_cast<TDBGridColumnsEh*>(Column->Collection());
}

bool InCollectionUpdate(const TColumnEh* Column)
{
    return Column->Collection() && Column->Collection()->UpdateCount() > 0;
}

}  // namespace

// ============================================================================================
// TDBGridColumnLookupDataEh
// ============================================================================================

bool TDBGridColumnLookupDataEh::LookupValuesCached() const
{
    auto* column = dynamic_cast<TColumnEh*>(GetOwner());
    TCustomDBGridEh* grid = column ? column->Grid() : nullptr;
    return grid && grid->GridHasIntMemTable();
}

// ============================================================================================
// TColumnTitleEh
// ============================================================================================

DOV_PUBLISHED(TColumnTitleEh)
{
    P.Prop("ShowImageAndText", &TColumnTitleEh::ShowImageAndText, &TColumnTitleEh::SetShowImageAndText)
        .NoDefault()
        .Stored(&TColumnTitleEh::ShowImageAndTextStored);
    P.Prop("SortIndex", &TColumnTitleEh::SortIndex, &TColumnTitleEh::SetSortIndex).Default(0);
    P.Prop("SortMarker", &TColumnTitleEh::SortMarker, &TColumnTitleEh::SetSortMarker).Default(smNoneEh);
    P.StreamOrder({"Alignment", "Caption", "Color", "EndEllipsis", "Font", "Hint", "ImageIndex", "TitleButton",
                   "ToolTips", "Orientation", "PopupMenu", "ShowImageAndText", "SortIndex", "SortMarker"});
}

TColumnEh* TColumnTitleEh::Column() const { return static_cast<TColumnEh*>(FAxisBar); }

void TColumnTitleEh::Assign(TPersistent* Source)
{
    TAxisBarTitleEh::Assign(Source);
    if (auto* src = dynamic_cast<TColumnTitleEh*>(Source)) {
        SetSortIndex(src->SortIndex());
        SetSortMarker(src->SortMarker());
    }
}

void TColumnTitleEh::RestoreDefaults() { TAxisBarTitleEh::RestoreDefaults(); }

void TColumnTitleEh::SetSortMarker(TSortMarkerEh Value)
{
    if (Value == FSortMarker)
        return;
    FSortMarker = Value;
    TColumnEh* column = Column();
    if (InCollectionUpdate(column))
        return;
    TCustomDBGridEh* grid = column->Grid();
    TDBGridColumnsEh* columns = ColumnsOf(column);
    TColumnsEhList* marked = grid ? grid->SortMarkedColumns() : nullptr;
    if (grid && columns && marked) {
        if (grid->OptionsEh().Contains(dghMultiSortMarking)) {
            if (Value != smNoneEh && FSortIndex == 0) {
                int markedCount = 0;
                for (int i = 0; i < columns->Count(); ++i)
                    if (columns->Items(i)->Title()->SortIndex() != 0)
                        ++markedCount;
                FSortIndex = markedCount + 1;
                marked->Add(column);
            } else if (Value == smNoneEh && FSortIndex != 0) {
                for (int i = 0; i < columns->Count(); ++i) {
                    TColumnTitleEh* t = columns->Items(i)->Title();
                    if (t->FSortIndex > FSortIndex)
                        --t->FSortIndex;
                }
                marked->Remove(column);
                FSortIndex = 0;
            }
        } else if (Value != smNoneEh) {
            for (int i = 0; i < columns->Count(); ++i)
                if (columns->Items(i) != column)
                    columns->Items(i)->Title()->SetSortMarker(smNoneEh);
            FSortIndex = 1;
            marked->Clear();
            marked->Add(column);
        } else {
            FSortIndex = 0;
            marked->Clear();
        }
    }
    column->Changed(false);
}

void TColumnTitleEh::SetSortIndex(int Value)
{
    Value = std::max(Value, 0);
    if (Value == FSortIndex)
        return;
    TColumnEh* column = Column();
    if (InCollectionUpdate(column)) {
        FSortIndex = Value;
        return;
    }
    TDBGridColumnsEh* columns = ColumnsOf(column);
    // Index 0 means "not sorted": exchanging it would hand an index to an unmarked column.
    if (FSortMarker == smNoneEh || !columns || Value == 0)
        return;
    TColumnEh* other = nullptr;
    for (int i = 0; i < columns->Count() && !other; ++i)
        if (columns->Items(i) != column && columns->Items(i)->Title()->SortIndex() == Value)
            other = columns->Items(i);
    if (!other)
        return;
    other->Title()->FSortIndex = FSortIndex;
    FSortIndex = Value;
    if (TCustomDBGridEh* grid = column->Grid())
        if (TColumnsEhList* marked = grid->SortMarkedColumns()) {
            const int a = marked->IndexOf(column);
            const int b = marked->IndexOf(other);
            if (a >= 0 && b >= 0)
                marked->Exchange(a, b);
        }
    column->Changed(false);
}

void TColumnTitleEh::SetNextSortMarkerValue(bool KeepMulti)
{
    TColumnEh* column = Column();
    if (!KeepMulti)
        if (TDBGridColumnsEh* columns = ColumnsOf(column))
            for (int i = 0; i < columns->Count(); ++i)
                if (columns->Items(i) != column)
                    columns->Items(i)->Title()->SetSortMarker(smNoneEh);
    const TSortMarkerEh first = FirstSortMarkerState(column);
    switch (FSortMarker) {
    case smNoneEh:
        SetSortMarker(first);
        break;
    case smDownEh:
        SetSortMarker(KeepMulti && first == smUpEh ? smNoneEh : smUpEh);
        break;
    case smUpEh:
        SetSortMarker(KeepMulti && first == smDownEh ? smNoneEh : smDownEh);
        break;
    }
}

bool TColumnTitleEh::DefaultShowImageAndText() const
{
    TCustomDBGridEh* grid = Column()->Grid();
    auto* defs = grid ? dynamic_cast<TColumnDefValuesEh*>(grid->AxisBarDefValues()) : nullptr;
    return defs && defs->Title() ? defs->Title()->ShowImageAndText() : false;
}

bool TColumnTitleEh::ShowImageAndText() const
{
    return FShowImageAndTextStored ? FShowImageAndText : DefaultShowImageAndText();
}

void TColumnTitleEh::SetShowImageAndText(bool Value)
{
    const bool changed = Value != ShowImageAndText();
    FShowImageAndText = Value;
    FShowImageAndTextStored = true;
    if (changed)
        if (TCustomDBGridEh* grid = Column()->Grid())
            grid->Invalidate();
}

void TColumnTitleEh::SetShowImageAndTextStored(bool Value)
{
    if (Value == FShowImageAndTextStored)
        return;
    // Switching either way keeps what the title shows now.
    FShowImageAndText = ShowImageAndText();
    FShowImageAndTextStored = Value;
}

int TColumnTitleEh::GetSortMarkingWidth() const
{
    if (FSortIndex == 0)
        return 0;
    TColumnEh* column = Column();
    TCustomDBGridEh* grid = column->Grid();
    int w = 16;
    if (grid && grid->SortMarkedColumns() && grid->SortMarkedColumns()->Count() >= 2)
        if (TFont* font = DBGridEhSortMarkerFont())
            w += MeasureCanvasEh(font)->TextWidth(QString::number(FSortIndex));
    const int width = column->Width();
    if (width >= w + 4)
        return w;
    if (width >= w - 10)
        return w - 14;
    return 0;
}

// The filter row lies outside the title until the grid has one.
int TColumnTitleEh::GetFilterButtonAreaWidth() const { return 0; }

int TColumnTitleEh::ImageAreaWidth() const
{
    TCustomDBGridEh* grid = Column()->Grid();
    TCustomImageList* images = grid ? grid->TitleImages() : nullptr;
    return images && ImageIndex() != -1 ? images->Width() + 2 : 0;
}

// ============================================================================================
// TColumnEh
// ============================================================================================

DOV_PUBLISHED(TColumnEh) {}

TColumnEh::TColumnEh(TCollection* Collection) : TBaseColumnEh(Collection) {}

void TColumnEh::AfterConstruction()
{
    TBaseColumnEh::AfterConstruction();
    FAutoFitColWidth = true;
    FInitWidth = Width();
}

TColumnEh::~TColumnEh()
{
    // The collection forgets the column (sort-marked list, up/down base) while it is whole.
    SetCollection(nullptr);
}

void TColumnEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TColumnEh*>(Source);
    if (!src) {
        TBaseColumnEh::Assign(Source);
        return;
    }
    TCollection* owner = Collection();
    if (owner)
        owner->BeginUpdate();
    auto endUpdate = Finally([owner] {
        if (owner)
            owner->EndUpdate();
    });
    RestoreDefaults();
    TBaseColumnEh::Assign(Source);
    if (src->AssignedValues().Contains(cvWidth))
        SetWidth(src->Width());
    FInitWidth = src->FInitWidth;
    SetAutoFitColWidth(src->AutoFitColWidth());
    SetFooter(src->Footer());
    SetFooters(src->Footers());
    SetMinWidth(src->MinWidth());
    SetMaxWidth(src->MaxWidth());
    FOnGetCellParams = src->FOnGetCellParams;
    SetHideDuplicates(src->HideDuplicates());
}

TCustomDBGridEh* TColumnEh::Grid() const { return dynamic_cast<TCustomDBGridEh*>(TBaseColumnEh::Grid()); }

TColumnTitleEh* TColumnEh::Title() const { return static_cast<TColumnTitleEh*>(TBaseColumnEh::Title()); }

TDBGridColumnLookupDataEh* TColumnEh::LookupParams() const
{
    return static_cast<TDBGridColumnLookupDataEh*>(TBaseColumnEh::LookupParams());
}

TAxisBarTitleEh* TColumnEh::CreateTitle() { return new TColumnTitleEh(this); }
TDBLookupDataEh* TColumnEh::CreateLookupParams() { return new TDBGridColumnLookupDataEh(this); }

// ---- width ----

int TColumnEh::Width() const { return AssignedValues().Contains(cvWidth) ? FWidth : DefaultWidth(); }

int TColumnEh::DefaultWidth() const
{
    TCustomDBGridEh* grid = Grid();
    if (!grid)
        return 64;
    TField* field = Field();
    if (!field)
        return grid->DefaultColWidth();
    const TZeroMetrics m = MeasureZero(Font());
    return field->DisplayWidth() * (m.ZeroWidth - m.Overhang) + m.Overhang + 4;
}

void TColumnEh::SetWidth(int Value)
{
    TCustomDBGridEh* grid = Grid();
    bool ownWidth = true;
    if (IsDefaultBar() && grid && grid->HandleAllocated() && DBGridAccess::UpdateFields(grid))
        if (TField* field = Field()) {
            const TZeroMetrics m = MeasureZero(Font());
            if (m.ZeroWidth > 0)
                field->SetDisplayWidth((Value + m.AveCharWidth / 2 - m.Overhang - 3) / m.ZeroWidth);
            ownWidth = !grid->LayoutFromDataset() || AssignedValues().Contains(cvWidth);
        }
    if (ownWidth && Value != -1 &&
        (AssignedValues().Contains(cvWidth) || Value != DefaultWidth() || GridLoading(grid))) {
        FWidth = ClampWidth(Value);
        TAxisBarEhValues flags = AssignedValues();
        SetAssignedValues(flags.Include(cvWidth));
    }
    if (grid)
        Changed(false);
}

void TColumnEh::SetMinWidth(int Value)
{
    FMinWidth = Value;
    if (Value > 0 && Width() < Value)
        SetWidth(Value);
}

void TColumnEh::SetMaxWidth(int Value)
{
    FMaxWidth = Value;
    if (Value > 0 && Width() > Value)
        SetWidth(Value);
}

int TColumnEh::ClampWidth(int Value) const
{
    if (FMaxWidth > 0 && Value > FMaxWidth)
        Value = FMaxWidth;
    if (FMinWidth > 0 && Value < FMinWidth)
        Value = FMinWidth;
    return Value;
}

void TColumnEh::SetAutoFitColWidth(bool Value)
{
    if (Value == FAutoFitColWidth)
        return;
    FAutoFitColWidth = Value;
    Changed(false);
}

int TColumnEh::FullWidth() const
{
    TCustomDBGridEh* grid = Grid();
    if (!grid || grid->FirstVisibleColumn() != this)
        return Width();
    return Width() + grid->ExtraFirstColumnWidth() + grid->RowDetailGlyphAreaWidth();
}

bool TColumnEh::IsWidthStored() const
{
    return AssignedValues().Contains(cvWidth) && Width() != DefaultWidth();
}

void TColumnEh::OptimizeWidth() {}

// ---- appearance and cells ----

void TColumnEh::SetHideDuplicates(bool Value)
{
    if (Value == FHideDuplicates)
        return;
    FHideDuplicates = Value;
    Changed(false);
}

TAlignment TColumnEh::DefaultAlignment() const
{
    if (TDBGridColumnLookupDataEh* lookup = LookupParams())
        if (lookup->LookupActive())
            if (TField* display = lookup->LookupDisplayField())
                return display->Alignment();
    return TBaseColumnEh::DefaultAlignment();
}

namespace {
bool IsFirstVisibleColumn(const TColumnEh* Column)
{
    const TCollection* columns = Column->Collection();
    if (!columns)
        return false;
    for (int i = 0; i < columns->Count(); ++i) {
        auto* c = static_cast<TColumnEh*>(columns->Items(i));
        if (c->Visible())
            return c == Column;
    }
    return false;
}
}  // namespace

int TColumnEh::CalcRowHeight()
{
    TCustomDBGridEh* grid = Grid();
    if (!grid)
        return 0;
    int stdHeight = grid->StdDefaultRowHeight();
    if (stdHeight <= 0)
        stdHeight = grid->DefaultRowHeight();
    if (!grid->OptionsEh().Contains(dghAutoFitRowHeight))
        return stdHeight;
    if (GetBarType() == ctGraphicData && grid->DrawGraphicData()) {
        std::unique_ptr<TPicture> picture;
        try {
            picture.reset(GetPictureFromBlobField());
        } catch (const EInvalidGraphic&) {
            return stdHeight;
        }
        if (!picture || picture->Width() <= 0)
            return stdHeight;
        const int width = Width();
        if (picture->Width() > width)
            return int(std::lround(double(picture->Height()) * width / picture->Width()));
        return picture->Height();
    }
    TCanvas* canvas = MeasureCanvasEh(Font());
    TColCellParamsEh params;
    FillColCellParams(&params);
    params.FFont = canvas->Font();
    if (grid->OnGetCellParams) {
        TColor background = params.FBackground;
        TGridDrawState state = params.FState;
        grid->GetCellParams(this, params.FFont, background, state);
        params.FBackground = background;
    }
    GetColCellParams(false, &params);
    int textWidth = Width() - 4;
    if (AlwaysShowEditButton())
        textWidth -= EditButtonsWidth();
    if (IsFirstVisibleColumn(this))
        textWidth -= grid->GetCellTreeElmentsAreaWidth();
    if (ShowImageAndText() && ImageList())
        textWidth -= ImageList()->Width() + 4;
    TRect rect(0, 0, std::max(textWidth, 0), stdHeight);
    UINT format = DT_CALCRECT | DT_NOPREFIX;
    if (WordWrap())
        format |= DT_WORDBREAK;
    canvas->RequireFont();
    DrawText(canvas->Handle(), DisplayText(), -1, rect, format);
    const int h = rect.Height();
    if (h <= stdHeight)
        return stdHeight;
    int result = h + 1;
    if (!grid->Flat())
        result += 2;
    if (grid->Options().Contains(dgRowLines))
        result += grid->GridLineWidth();
    return result;
}

bool TColumnEh::CurLineWordWrap(int RowHeight)
{
    if (!WordWrap())
        return false;
    return TBaseColumnEh::CurLineWordWrap(RowHeight);
}

void TColumnEh::SetTextArea(TRect& ARect)
{
    if (AlwaysShowEditButton())
        ARect.Right -= EditButtonsWidth();
    if (TCustomDBGridEh* grid = Grid())
        if (IsFirstVisibleColumn(this))
            ARect.Left += grid->GetCellTreeElmentsAreaWidth();
    if (ImageList() && ShowImageAndText())
        ARect.Left += ImageList()->Width() + 5;
}

void TColumnEh::GetColCellParams(bool EditMode, TAxisColCellParamsEh* Params)
{
    if (FOnGetCellParams)
        if (auto* params = dynamic_cast<TColCellParamsEh*>(Params))
            FOnGetCellParams(this, EditMode, params);
}

void TColumnEh::SetOnGetCellParams(const TGetColCellParamsEventEh& Value)
{
    if (Value == FOnGetCellParams)
        return;
    FOnGetCellParams = Value;
    if (TCustomDBGridEh* grid = Grid())
        grid->Invalidate();
}

// ---- data and lookup texts ----

void TColumnEh::SetField(TField* Value)
{
    if (Value == Field())
        return;
    TBaseColumnEh::SetField(Value);
    if (IsDefaultBar())
        FInitWidth = Width();
    EnsureFootersSumValue();
}

void TColumnEh::FieldBound() { EnsureFootersSumValue(); }

Variant TColumnEh::GetLookupValue()
{
    TSpecRowEh* specRow = DropDownSpecRow();
    const bool specRowShown = specRow && specRow->Visible();
    Variant result;
    if (specRowShown && GridDataSet() && VarEqualsEh(KeyFieldsValue(), specRow->Value()))
        return Variant(specRow->GetCellText(0));
    result = LookupParams()->GetLookupValue();
    if (result.IsNull() && specRowShown && specRow->ShowIfNotInKeyList())
        return Variant(specRow->GetCellText(0));
    return result;
}

namespace {
QString VariantText(const Variant& V) { return V.IsNull() || V.IsEmpty() ? QString() : V.AsString(); }

// The in-memory table a column's lookup cache follows, nullptr when the cache does not apply.
IMemTableEh* CachingTable(const TColumnEh* Column)
{
    TCustomDBGridEh* grid = Column->Grid();
    if (!grid || !grid->GridHasIntMemTable() || !Column->LookupParams() || !Column->LookupParams()->LookupActive())
        return nullptr;
    IMemTableEh* table = grid->IntMemTable();
    return table->GetViewAsTreeList() ? nullptr : table;
}
}  // namespace

QString TColumnEh::DisplayText()
{
    if (!LookupParams() || !LookupParams()->LookupActive())
        return TBaseColumnEh::DisplayText();
    IMemTableEh* table = CachingTable(this);
    TDataSet* ds = GridDataSet();
    const TDataSetState state = ds ? ds->State() : dsInactive;
    if (!table || !(state == dsBrowse || state == dsEdit || state == dsInsert || state == dsCalcFields ||
                    state == dsInternalCalc))
        return VariantText(GetLookupValue());
    const int row = table->InstantReadViewRow();
    if (row == -1)
        return VariantText(GetLookupValue());
    std::vector<Variant>& cache = LookupParams()->FLookupValues;
    // A cache that no longer matches the table's rows is started afresh.
    if (int(cache.size()) != table->InstantReadRowCount())
        cache.assign(std::max(table->InstantReadRowCount(), 0), Variant());
    if (row < -1 || row >= int(cache.size()))
        return QString();
    if (cache[row].IsEmpty())
        cache[row] = GetLookupValue();
    return VariantText(cache[row]);
}

void TColumnEh::RecordChanged(TField* AField)
{
    TBaseColumnEh::RecordChanged(AField);
    IMemTableEh* table = CachingTable(this);
    if (!table)
        return;
    const TFieldsArrEh keys = LookupParams()->KeyFields();
    if (AField && (keys.empty() || keys.front() != AField))
        return;
    std::vector<Variant>& cache = LookupParams()->FLookupValues;
    const int row = table->InstantReadViewRow();
    if (row >= 0 && row < int(cache.size()))
        cache[row] = GetLookupValue();
    if (TCustomDBGridEh* grid = Grid())
        grid->InvalidateRow(grid->Row());
}

void TColumnEh::UpdateLookupValuesCache(int Row, TMTViewEventTypeEh Event)
{
    if (!LookupParams() || !LookupParams()->LookupActive())
        return;
    std::vector<Variant>& cache = LookupParams()->FLookupValues;
    switch (Event) {
    case mtRowInsertedEh:
        if (Row >= 0 && Row <= int(cache.size()))
            cache.insert(cache.begin() + Row, GetLookupValue());
        break;
    case mtRowChangedEh:
        if (Row >= 0 && Row < int(cache.size()))
            cache[Row] = GetLookupValue();
        break;
    case mtRowDeletedEh:
        if (Row >= 0 && Row < int(cache.size()))
            cache.erase(cache.begin() + Row);
        break;
    case mtViewDataChangedEh:
        if (TCustomDBGridEh* grid = Grid())
            grid->ResetBarLookupValues(this);
        break;
    case mtRowMovedEh:
        break;
    }
}

void TColumnEh::DropDownSpecRowChanged(TObject* Sender)
{
    TBaseColumnEh::DropDownSpecRowChanged(Sender);
    if (TCustomDBGridEh* grid = Grid())
        grid->ResetBarLookupValues(this);
}

IMemTableDataFieldValueListEh* TColumnEh::GetCurrentFieldValueList()
{
    if (!FFieldValueList)
        if (TCustomDBGridEh* grid = Grid())
            if (grid->GridHasIntMemTable())
                FFieldValueList.reset(grid->IntMemTable()->GetFieldValueList(FieldName()));
    return FFieldValueList.get();
}

// ---- drop-down box ----

void TColumnEh::DropDownBoxApplyTextFilter(TDataSet* DataSet, const QString& FieldName, const QString& FilterText,
                                           TLSAutoFilterTypeEh Operation)
{
    if (OnDropDownBoxApplyTextFilter)
        OnDropDownBoxApplyTextFilter(Grid(), this, DataSet, FieldName, Operation, FilterText);
    else
        DefaultDropDownBoxApplyTextFilter(DataSet, FieldName, FilterText, Operation);
}

IDropDownBoxEventsEh* TColumnEh::DropDownBoxEvents() const
{
    return DataListExists() ? dynamic_cast<IDropDownBoxEventsEh*>(DataList()) : nullptr;
}

namespace {
// Reads the list's event while the list exists, else the column's copy.
template <typename E, typename Get> E ReadListEvent(IDropDownBoxEventsEh* Events, const E& Own, Get Member)
{
    return Events ? (Events->*Member)() : Own;
}
}  // namespace

#define DOV_DROPDOWNBOX_EVENT(Name, Type)                                                        \
    Type TColumnEh::On##Name() const                                                             \
    {                                                                                            \
        return ReadListEvent(DropDownBoxEvents(), FOn##Name, &IDropDownBoxEventsEh::Name##Event); \
    }                                                                                            \
    void TColumnEh::SetOn##Name(const Type& Value)                                               \
    {                                                                                            \
        FOn##Name = Value;                                                                       \
        if (auto* events = dynamic_cast<IDropDownBoxEventsEh*>(DataList()))                      \
            events->Name##Event() = Value;                                                       \
    }

DOV_DROPDOWNBOX_EVENT(DropDownBoxCheckButton, TDBGridEhDropDownBoxCheckTitleEhBtnEvent)
DOV_DROPDOWNBOX_EVENT(DropDownBoxDrawColumnCell, TDBGridEhDropDownBoxDrawColumnEhCellEvent)
DOV_DROPDOWNBOX_EVENT(DropDownBoxGetCellParams, TDBGridEhDropDownBoxGetCellEhParamsEvent)
DOV_DROPDOWNBOX_EVENT(DropDownBoxSortMarkingChanged, TNotifyEvent)
DOV_DROPDOWNBOX_EVENT(DropDownBoxTitleBtnClick, TDBGridEhDropDownBoxTitleEhClickEvent)

#undef DOV_DROPDOWNBOX_EVENT

// ============================================================================================
// TDBGridColumnEh
// ============================================================================================

DOV_PUBLISHED(TDBGridColumnEh)
{
    P.Prop("AutoFitColWidth", &TColumnEh::AutoFitColWidth, &TColumnEh::SetAutoFitColWidth).Default(true);
    P.Prop("Footer", &TColumnEh::Footer);
    P.Prop("Footers", &TColumnEh::Footers);
    P.Prop("HideDuplicates", &TColumnEh::HideDuplicates, &TColumnEh::SetHideDuplicates).Default(false);
    P.Prop("MaxWidth", &TColumnEh::MaxWidth, &TColumnEh::SetMaxWidth).Default(0);
    P.Prop("MinWidth", &TColumnEh::MinWidth, &TColumnEh::SetMinWidth).Default(0);
    P.Prop("Width", &TColumnEh::Width, &TColumnEh::SetWidth).NoDefault().Stored(&TColumnEh::IsWidthStored);
    P.Prop("OnGroupGetKeyValue", &TColumnEh::OnGroupGetKeyValue);
    P.Prop("OnGroupGetKeyValueAsText", &TColumnEh::OnGroupGetKeyValueAsText);
    P.Prop("InRowLineHeight", &TColumnEh::InRowLineHeight, &TColumnEh::SetInRowLineHeight).Default(1);
    P.Prop("InRowLinePos", &TColumnEh::InRowLinePos, &TColumnEh::SetInRowLinePos).Default(0);
    P.Prop("OnDataGroupFooterAggregateValue", &TColumnEh::OnDataGroupFooterAggregateValue);
    P.Prop("OnDataGroupFooterFinalizeValue", &TColumnEh::OnDataGroupFooterFinalizeValue);
    P.Prop("OnDataGroupFooterToDisplayText", &TColumnEh::OnDataGroupFooterToDisplayText);
    P.Prop("OnDropDownBoxApplyTextFilter", &TColumnEh::OnDropDownBoxApplyTextFilter);
    P.Prop("OnDropDownBoxCheckButton", &TColumnEh::OnDropDownBoxCheckButton, &TColumnEh::SetOnDropDownBoxCheckButton);
    P.Prop("OnDropDownBoxDrawColumnCell", &TColumnEh::OnDropDownBoxDrawColumnCell,
           &TColumnEh::SetOnDropDownBoxDrawColumnCell);
    P.Prop("OnDropDownBoxGetCellParams", &TColumnEh::OnDropDownBoxGetCellParams,
           &TColumnEh::SetOnDropDownBoxGetCellParams);
    P.Prop("OnDropDownBoxSortMarkingChanged", &TColumnEh::OnDropDownBoxSortMarkingChanged,
           &TColumnEh::SetOnDropDownBoxSortMarkingChanged);
    P.Prop("OnDropDownBoxTitleBtnClick", &TColumnEh::OnDropDownBoxTitleBtnClick,
           &TColumnEh::SetOnDropDownBoxTitleBtnClick);
    P.Prop("OnGetCellParams", &TColumnEh::OnGetCellParams, &TColumnEh::SetOnGetCellParams);
    // A stored column reads as it was always written: its own properties in one run, the row
    // panel values last.
    P.StreamOrder({"LookupParams", "Alignment", "AlwaysShowEditButton", "AutoDropDown", "AutoFitColWidth",
                   "BiDiMode", "ButtonStyle", "CaseInsensitiveTextSearch", "Checkboxes", "Color",
                   "DblClickNextVal", "DisplayFormat", "DynProps", "DropDownBox", "DropDownRows",
                   "DropDownShowTitles", "DropDownSizing", "DropDownSpecRow", "DropDownWidth",
                   "DropDownFormParams", "EditButton", "EditButtons", "EditMask", "EndEllipsis", "FieldName",
                   "Font", "Footer", "Footers", "HideDuplicates", "HighlightRequired", "ImageList", "ImeMode",
                   "ImeName", "Increment", "KeyList", "Layout", "LimitTextToListValues",
                   "LimitTextToListValuesStored", "LookupDisplayFields", "MaxWidth", "MinWidth", "MRUList",
                   "NotInKeyListIndex", "PickList", "PopupMenu", "ReadOnly", "ShowImageAndText", "STFilter",
                   "Tag", "TextEditing", "Title", "ToolTips", "Visible", "Width", "WordWrap",
                   "OnAdvDrawDataCell", "OnCheckDrawRequiredState", "OnDataGroupFooterAggregateValue",
                   "OnDataGroupFooterFinalizeValue", "OnDataGroupFooterToDisplayText", "OnDataHintShow",
                   "OnDropDownBoxApplyTextFilter", "OnDropDownBoxCheckButton", "OnDropDownBoxDrawColumnCell",
                   "OnDropDownBoxGetCellParams", "OnDropDownBoxSortMarkingChanged",
                   "OnDropDownBoxTitleBtnClick", "OnEditButtonClick", "OnEditButtonDown",
                   "OnFillSTFilterListValues", "OnGetCellParams", "OnGetHideDuplicatesValue",
                   "OnGroupGetKeyValue", "OnGroupGetKeyValueAsText", "OnHintShowPause", "OnNotInList",
                   "OnUpdateData", "OnOpenDropDownForm", "OnCloseDropDownForm", "InRowLinePos",
                   "InRowLineHeight"});
}

// ============================================================================================
// Default values
// ============================================================================================

DOV_PUBLISHED(TColumnTitleDefValuesEh)
{
    P.Prop("ShowImageAndText", &TColumnTitleDefValuesEh::ShowImageAndText,
           &TColumnTitleDefValuesEh::SetShowImageAndText)
        .Default(false);
    P.StreamOrder({"Alignment", "Color", "EndEllipsis", "Orientation", "ShowImageAndText", "TitleButton", "ToolTips"});
}

void TColumnTitleDefValuesEh::Assign(TPersistent* Source)
{
    TAxisBarCaptionDefValuesEh::Assign(Source);
    if (auto* src = dynamic_cast<TColumnTitleDefValuesEh*>(Source))
        SetShowImageAndText(src->ShowImageAndText());
}

void TColumnTitleDefValuesEh::SetShowImageAndText(bool Value)
{
    if (Value == FShowImageAndText)
        return;
    FShowImageAndText = Value;
    if (Owner())
        Owner()->RepaintGrid();
}

DOV_PUBLISHED(TColumnDefValuesEh)
{
    P.Prop("Footer", &TColumnDefValuesEh::Footer);
    P.StreamOrder({"AlwaysShowEditButton", "AutoDropDown", "DblClickNextVal", "DropDownShowTitles", "DropDownSizing",
                   "EndEllipsis", "Footer", "HighlightRequired", "Layout", "Title", "ToolTips"});
}

TColumnDefValuesEh::~TColumnDefValuesEh() { delete FFooter; }

void TColumnDefValuesEh::Assign(TPersistent* Source)
{
    TAxisBarDefValuesEh::Assign(Source);
    if (auto* src = dynamic_cast<TColumnDefValuesEh*>(Source))
        FFooter->Assign(src->Footer());
}

void TColumnDefValuesEh::SetFooter(TColumnFooterDefValuesEh* Value) { FFooter->Assign(Value); }

TColumnTitleDefValuesEh* TColumnDefValuesEh::Title() const
{
    return static_cast<TColumnTitleDefValuesEh*>(TAxisBarDefValuesEh::Title());
}

void TColumnDefValuesEh::SetTitle(TColumnTitleDefValuesEh* Value) { TAxisBarDefValuesEh::SetTitle(Value); }

TAxisBarCaptionDefValuesEh* TColumnDefValuesEh::CreateTitleDefValues() { return new TColumnTitleDefValuesEh(this); }

// ============================================================================================
// TDBGridColumnsEh
// ============================================================================================

DOV_PUBLISHED(TDBGridColumnsEh) {}

TDBGridColumnsEh::TDBGridColumnsEh(TCustomDBGridEh* Grid, const TClassInfo& ColumnClass)
    : TBaseColumnsEh(Grid, ColumnClass)
{
}

TCustomDBGridEh* TDBGridColumnsEh::Grid() const { return static_cast<TCustomDBGridEh*>(FGrid); }

TColumnEh* TDBGridColumnsEh::Add() { return static_cast<TColumnEh*>(TBaseColumnsEh::Add()); }

TColumnEh* TDBGridColumnsEh::FindColumnByName(const QString& ColumnName) const
{
    return static_cast<TColumnEh*>(FindBarByName(ColumnName));
}

void TDBGridColumnsEh::ActiveChanged()
{
    TBaseColumnsEh::ActiveChanged();
    for (int i = 0; i < Count(); ++i) {
        Items(i)->ResetFieldValueList();
        if (TDBLookupDataEh* lookup = Items(i)->LookupParams())
            lookup->UpdateLookupState();
    }
}

bool TDBGridColumnsEh::ExistFooterValueType(TFooterValueType AFooterValueType) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Footer()->ValueType() == AFooterValueType)
            return true;
    return false;
}

void TDBGridColumnsEh::SetSortMarkedColumns()
{
    TCustomDBGridEh* grid = Grid();
    TColumnsEhList* marked = grid ? grid->SortMarkedColumns() : nullptr;
    if (!marked)
        return;
    std::vector<TColumnEh*> columns;
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Title()->SortIndex() > 0)
            columns.push_back(Items(i));
    // Two titles with one index keep their collection order; gaps close up.
    std::stable_sort(columns.begin(), columns.end(), [](TColumnEh* a, TColumnEh* b) {
        return a->Title()->SortIndex() < b->Title()->SortIndex();
    });
    marked->Clear();
    for (size_t i = 0; i < columns.size(); ++i) {
        columns[i]->Title()->FSortIndex = int(i) + 1;
        marked->Add(columns[i]);
    }
}

TColumnEh* TDBGridColumnsEh::GetNextTabColumn(TColumnEh* ForColumn, bool GoForward)
{
    TCustomDBGridEh* grid = Grid();
    const int stop = Count() - (grid ? grid->ContraColCount() : 0);
    for (int i = ForColumn->Index() + (GoForward ? 1 : -1); i >= 0 && i < stop; i += GoForward ? 1 : -1)
        if (Items(i)->IsEditable())
            return Items(i);
    return ForColumn;
}

TColumnEh* TDBGridColumnsEh::GetFirstTabColumn()
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Visible() && Items(i)->IsEditable())
            return Items(i);
    return nullptr;
}

TColumnEh* TDBGridColumnsEh::GetLastTabColumn()
{
    TCustomDBGridEh* grid = Grid();
    for (int i = Count() - (grid ? grid->ContraColCount() : 0) - 1; i >= 0; --i)
        if (Items(i)->Visible() && Items(i)->IsEditable())
            return Items(i);
    return nullptr;
}

void TDBGridColumnsEh::SetScrollVisibleColumns(TColumnEh* First, TColumnEh* Last)
{
    FFirstScrollVisibleColumn = First;
    FLastScrollVisibleColumn = Last;
}

void TDBGridColumnsEh::SetFrozenVisibleColumns(TColumnEh* First, TColumnEh* Last)
{
    FFirstFrozenVisibleColumn = First;
    FLastFrozenVisibleColumn = Last;
}

void TDBGridColumnsEh::SetContraVisibleColumns(TColumnEh* First, TColumnEh* Last)
{
    FFirstContraVisibleColumn = First;
    FLastContraVisibleColumn = Last;
}

void TDBGridColumnsEh::Update(TCollectionItem* Item)
{
    TCustomDBGridEh* grid = Grid();
    if (!grid || GridLoading(grid))
        return;
    if (Item && grid->RowPanelActive()) {
        // Every column's place in the panel may move with one column's width or lines.
        grid->LayoutChanged();
    } else if (Item) {
        auto* column = static_cast<TColumnEh*>(Item);
        const int raw = grid->DataToRawColumn(column->Index());
        if (raw < grid->ColCount()) {
            grid->InvalidateCol(raw);
            const int line = grid->Options().Contains(dgColLines) ? grid->GridLineWidth() : 0;
            if (column->FullWidth() != grid->ColWidths(raw) - line)
                grid->SetColWidths(raw, column->Visible() && column->FullWidth() > 0 ? column->FullWidth() + line : 0);
            else if (grid->UseMultiTitle())
                grid->LayoutChanged();
        }
    } else {
        SetSortMarkedColumns();
        grid->LayoutChanged();
    }
    const int selected = grid->SelectedIndex();
    const bool selectedHidden = selected >= Count() || (selected >= 0 && !Items(selected)->Visible());
    if (selectedHidden)
        for (int i = 0; i < Count(); ++i)
            if (Items(i)->Visible()) {
                grid->SetSelectedIndexProp(i);
                break;
            }
    if (grid->LayoutLock() == 0)
        grid->InvalidateEditor();
    if (!DBGridAccess::Destroying(grid))
        grid->UpdateEditButtonsBox();
}

void TDBGridColumnsEh::Notify(TCollectionItem* Item, TCollectionNotification Action)
{
    TBaseColumnsEh::Notify(Item, Action);
    if (Action == cnAdded)
        return;
    auto* column = static_cast<TColumnEh*>(Item);
    if (TCustomDBGridEh* grid = Grid())
        if (TColumnsEhList* marked = grid->SortMarkedColumns())
            marked->Remove(column);
    if (TCustomDBGridEh* grid = Grid())
        if (grid->DataGrouping() && !grid->ComponentState().Contains(csDestroying))
            grid->DataGrouping()->ColumnRemoved(column);
    for (TColumnEh** ref : {&FUpDownBaseColumn, &FFirstScrollVisibleColumn, &FLastScrollVisibleColumn,
                            &FFirstFrozenVisibleColumn, &FLastFrozenVisibleColumn, &FFirstContraVisibleColumn,
                            &FLastContraVisibleColumn})
        if (*ref == column)
            *ref = nullptr;
}

// ============================================================================================
// Property interceptors
// ============================================================================================

namespace {

class TColumnEhPropertyInterceptor : public TStoragePropertyInterceptor {
    DOV_PERSISTENT(TColumnEhPropertyInterceptor, TStoragePropertyInterceptor)
public:
    explicit TColumnEhPropertyInterceptor(TPersistent* ATarget) : TStoragePropertyInterceptor(ATarget) {}
    static TStoragePropertyInterceptor* CreateFor(TPersistent* ATarget)
    {
        return new TColumnEhPropertyInterceptor(ATarget);
    }
    int Width() const { return 0; }
    void SetWidth(int Value)
    {
        auto* column = dynamic_cast<TColumnEh*>(FTarget);
        if (!column)
            return;
        column->SetWidth(Value);
    }
};

class TColumnsEhPropertyInterceptor : public TStoragePropertyInterceptor {
    DOV_PERSISTENT(TColumnsEhPropertyInterceptor, TStoragePropertyInterceptor)
public:
    explicit TColumnsEhPropertyInterceptor(TPersistent* ATarget) : TStoragePropertyInterceptor(ATarget) {}
    static TStoragePropertyInterceptor* CreateFor(TPersistent* ATarget)
    {
        return new TColumnsEhPropertyInterceptor(ATarget);
    }
    void Readed() override {}

    QString ColumnsIndex() const
    {
        auto* columns = dynamic_cast<TDBGridColumnsEh*>(FTarget);
        QStringList names;
        for (int i = 0; columns && i < columns->Count(); ++i)
            names << u'"' + columns->Items(i)->FieldName() + u'"';
        return names.join(u',');
    }

    void SetColumnsIndex(const QString& Value)
    {
        FColumnsIndex = Value;
        auto* columns = dynamic_cast<TDBGridColumnsEh*>(FTarget);
        if (!columns)
            return;
        TStringList names;
        names.SetCommaText(Value);
        TUpdateGuard update(columns);
        for (int i = 0; i < names.Count(); ++i)
            for (int j = 0; j < columns->Count(); ++j)
                if (columns->Items(j)->FieldName() == names[i]) {
                    columns->Items(j)->SetIndex(std::min(i, columns->Count() - 1));
                    break;
                }
    }

private:
    QString FColumnsIndex;
};

}  // namespace

DOV_PUBLISHED(TColumnEhPropertyInterceptor)
{
    P.Prop("Width", &TColumnEhPropertyInterceptor::Width, &TColumnEhPropertyInterceptor::SetWidth).Stored(false);
}

DOV_PUBLISHED(TColumnsEhPropertyInterceptor)
{
    P.Prop("ColumnsIndex", &TColumnsEhPropertyInterceptor::ColumnsIndex,
           &TColumnsEhPropertyInterceptor::SetColumnsIndex);
}

void RegisterColumnPropertyInterceptors()
{
    RegisterStoragePropertyInterceptor(&TColumnEh::StaticClassInfo(), &TColumnEhPropertyInterceptor::CreateFor);
    RegisterStoragePropertyInterceptor(&TDBGridColumnsEh::StaticClassInfo(),
                                       &TColumnsEhPropertyInterceptor::CreateFor);
}

// ============================================================================================
// Unit routines
// ============================================================================================

QString VariantToQuotedListText(const Variant& V)
{
    if (!V.IsArray())
        return V.AsString();
    QStringList items;
    for (int i = V.ArrayLowBound(); i <= V.ArrayHighBound(); ++i)
        items << u'\'' + V.GetElement(i).AsString() + u'\'';
    return items.join(u',');
}
