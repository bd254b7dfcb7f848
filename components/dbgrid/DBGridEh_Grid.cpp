// The data grid: construction, options, properties, the indicator width, the grid's own events
// and the grid center.
#include "DBGridEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

DOV_PUBLISHED(TCustomDBGridEh) {}
DOV_PUBLISHED(TDBGridEhCenter) {}

DOV_PUBLISHED(TDBGridEh)
{
    using G = TCustomDBGridEh;
    P.Prop("DataSource", &G::DataSource, &G::SetDataSource);
    P.Prop("Options", &G::Options, &G::SetOptions).Default(DBGridDefaultOptions);
    P.Prop("OptionsEh", &G::OptionsEh, &G::SetOptionsEh).Default(DBGridEhDefaultOptionsEh);
    P.Prop("IndicatorOptions", &G::IndicatorOptions, &G::SetIndicatorOptions)
        .Default(TDBGridEhIndicatorOptions{gioShowRowIndicatorEh});
    P.Prop("EditButtonsShowOptions", &G::EditButtonsShowOptions, &G::SetEditButtonsShowOptions)
        .Default(TEditButtonsShowOptionsEh{});
    P.Prop("FooterRowCount", &G::FooterRowCount, &G::SetFooterRowCount).Default(0);
    P.Prop("RowHeight", &G::RowHeight, &G::SetRowHeight).Default(0);
    P.Prop("RowLines", &G::RowLines, &G::SetRowLines).Default(0);
    P.Prop("RowSizingAllowed", &G::RowSizingAllowed, &G::SetRowSizingAllowed).Default(false);
    P.Prop("ContraColCount", &G::ContraColCount, &G::SetContraColCount).Default(0);
    P.Prop("AutoFitColWidths", &G::AutoFitColWidths, &G::SetAutoFitColWidths).Default(false);
    P.Prop("MinAutoFitWidth", &G::MinAutoFitWidth, &G::SetMinAutoFitWidth).Default(0);
    P.Prop("FrozenCols", &G::FrozenCols, &G::SetFrozenCols).Default(0);
    P.Prop("EvenRowColor", &G::EvenRowColor, &G::SetEvenRowColor).Stored(&G::EvenRowColorStored);
    P.Prop("OddRowColor", &G::OddRowColor, &G::SetOddRowColor).Stored(&G::OddRowColorStored);
    // Read by name; written by DefineProperties, and only once the columns are customized.
    P.Prop("Columns", &G::Columns, &G::SetColumns).Stored(false);
    P.Prop("TitleParams", &G::TitleParams, &G::SetTitleParams);
    P.Prop("IndicatorParams", &G::IndicatorParams, &G::SetIndicatorParams);
    P.Prop("FooterParams", &G::FooterParams, &G::SetFooterParams);
    P.Prop("EmptyDataInfo", &G::EmptyDataInfo, &G::SetEmptyDataInfo);
    P.Prop("IndicatorTitle", &G::IndicatorTitle, &G::SetIndicatorTitle);
    // footer values and sum list
    P.Prop("SumList", &G::SumList, &G::SetSumList);
    P.Prop("OnSumListRecalcAll", &G::OnSumListRecalcAll);
    P.Prop("OnSumListAfterRecalcAll", &G::OnSumListAfterRecalcAll);

    // selection and mouse
    P.Prop("AllowedSelections", &G::AllowedSelections, &G::SetAllowedSelections).Default(DBGridEhAllSelections);
    P.Event("OnSortMarkingChanged", &G::OnSortMarkingChanged);

    // grouping
    P.Prop("DataGrouping", &G::DataGrouping, &G::SetDataGrouping);
    P.Prop("OnActiveGroupingStructChanged", &G::OnActiveGroupingStructChanged);
    P.Prop("OnDataGroupGetRowText", &G::OnDataGroupGetRowText);
    P.Prop("OnDataGroupGetRowParams", &G::OnDataGroupGetRowParams);
    P.Prop("OnDataGroupGetFooterParams", &G::OnDataGroupGetFooterParams);
    P.Prop("OnDataGroupFooterAggregateValue", &G::OnDataGroupFooterAggregateValue);
    P.Prop("OnDataGroupFooterFinalizeValue", &G::OnDataGroupFooterFinalizeValue);
    P.Prop("OnDataGroupFooterToDisplayText", &G::OnDataGroupFooterToDisplayText);

    // row detail panel and row panel
    P.Prop("RowDetailPanel", &G::RowDetailPanel, &G::SetRowDetailPanel);
    P.Prop("RowPanel", &G::RowPanel, &G::SetRowPanel);
    P.Event("OnCheckRowHaveDetailPanel", &G::OnCheckRowHaveDetailPanel);
    P.Event("OnRowDetailPanelHide", &G::OnRowDetailPanelHide);
    P.Event("OnRowDetailPanelShow", &G::OnRowDetailPanelShow);
}

namespace {

const TDBGridEhOptions ColumnSizingPairEh{dghColumnResize, dghColumnMove};

bool HoldsColumnSizingPair(TDBGridEhOptions Value) { return (Value & ColumnSizingPairEh) == ColumnSizingPairEh; }

}  // namespace

// ---------------------------------------------------------------- construction

TCustomDBGridEh::TCustomDBGridEh(TComponent* AOwner) : TCustomDBAxisGridEh(AOwner)
{
    FOptions = DBGridDefaultOptions;
    FOptionsEh = DBGridEhDefaultOptionsEh;
    FIndicatorOptions = TDBGridEhIndicatorOptions{gioShowRowIndicatorEh};
}

void TCustomDBGridEh::AfterConstruction()
{
    // The axis grid makes the data link, the columns and their default values through the
    // factories below.
    TCustomDBAxisGridEh::AfterConstruction();
    FSortMarkedColumns = new TColumnsEhList();
    SetCenter(DBGridEhDefaultCenter());
    SetGridOptions(TGridOptionsEh{goColSizingEh, goColMovingEh, goEditingEh, goTabsEh, goThumbTrackingEh,
                                  goExtendVertLinesEh, goContraVertBoundaryLineEh, goContraHorzBoundaryLineEh});
    FRecNoTextWidth = CalcIndicatorColWidth();
    SetStyle(DBGridEhDefaultStyle());
    CalcStdDefaultRowHeight();
    FOldTopLeft = TGridCoord{LeftCol(), TopRow()};
    SetText(QString());
    HideEditor();
    // footer values and sum list
    FSumList.reset(Create<TDBGridEhSumList>(this));
    FSumList->SumListChanged = TNotifyEvent(this, &TCustomDBGridEh::SumListChanged);
    FSumList->OnRecalcAll = TNotifyEvent(this, &TCustomDBGridEh::SumListRecalcAll);
    FSumList->OnAfterRecalcAll = TNotifyEvent(this, &TCustomDBGridEh::SumListAfterRecalcAll);

    // selection and mouse
    FBookmarks = new TBookmarkListEh(this);
    FSelection = new TDBGridEhSelection(this);

    // grouping
    FDataGrouping.reset(Create<TDBGridEhDataGroupsEh>(this));
    FGroupRowParams.reset(new TGroupRowParamsEh);
    FGroupFooterParams.reset(new TGroupFooterParamsEh);

    // row detail panel and row panel
    FRowDetailControl = Create<TRowDetailPanelControlEh>(this);
    FRowDetailControl->SetName(QStringLiteral("RowDetailData"));
    FRowDetailControl->SetVisible(false);
    FRowDetailControl->SetParent(this);
}

TCustomDBGridEh::~TCustomDBGridEh()
{
    Destroying();
    // Every binding and registration with the dataset goes first.
    SetDataSource(nullptr);
    SetCenter(nullptr);
    SetStyle(nullptr);
    // row detail panel and row panel
    delete FRowDetailControl;
    FRowDetailControl = nullptr;

    // grouping
    FCurGroupDataNode = nullptr;
    FDataGrouping.reset();

    // selection and mouse
    delete FSelection;
    FSelection = nullptr;
    delete FBookmarks;
    FBookmarks = nullptr;

    // footer values and sum list

    if (FStyle) {
        FStyle->RemoveChangeNotification(this);
        FStyle->RemoveFreeNotification(this);
        FStyle = nullptr;
    }
    // Columns leave the sort-marked list as they go, so they go before it.
    delete FAxisBars;
    FAxisBars = nullptr;
    delete FSortMarkedColumns;
    FSortMarkedColumns = nullptr;
}

// ---------------------------------------------------------------- options

void TCustomDBGridEh::SetOptions(TDBGridOptions Value)
{
    if (FOptions == Value)
        return;
    TGridOptionsEh grid{goThumbTrackingEh};
    const bool boundaries = GridLineParams() && GridLineParams()->GridBoundaries();
    if (Value.Contains(dgRowLines) || boundaries)
        grid << goContraHorzBoundaryLineEh;
    if (Value.Contains(dgColLines) || boundaries)
        grid << goContraVertBoundaryLineEh;
    if (FRowSizingAllowed)
        grid << goRowSizingEh;
    if (FOptionsEh.Contains(dghExtendVertLines))
        grid << goExtendVertLinesEh;
    if (Value.Contains(dgTabs))
        grid << goTabsEh;
    if (Value.Contains(dgRowSelect)) {
        grid << goRowSelectEh;
        Value >> dgEditing >> dgAlwaysShowEditor;
    }
    if (Value.Contains(dgEditing))
        grid << goEditingEh;
    if (Value.Contains(dgAlwaysShowEditor))
        grid << goAlwaysShowEditorEh;
    // Column sizing and moving stay as they are until the synchronisation below.
    grid = grid | (GetGridOptions() & TGridOptionsEh{goColSizingEh, goColMovingEh});
    SetGridOptions(grid);

    if (!IsLoading())
        SyncColumnSizingOptions(Value, FOptionsEh);

    const TDBGridOptions old = FOptions;
    FOptions = Value;
    if (Value.Contains(dgIndicator))
        FIndicatorOptions << gioShowRowIndicatorEh;
    else
        FIndicatorOptions >> gioShowRowIndicatorEh;

    const TDBGridOptions layoutOptions{dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColLines, dgRowLines,
                                       dgRowSelect, dgAlwaysShowSelection};
    const TDBGridOptions changed = (old - Value) | (Value - old);
    if (!(changed & layoutOptions).Empty())
        LayoutChanged();
    if (changed.Contains(dgRowLines))
        UpdateAllDataRowHeights();
    if (InplaceEditorVisible())
        InvalidateEditor();
}

void TCustomDBGridEh::SyncColumnSizingOptions(TDBGridOptions AOptions, TDBGridEhOptions AOptionsEh)
{
    TDBGridEhOptions result = AOptionsEh;
    if (AOptions.Contains(dgColumnResize) && !FOptions.Contains(dgColumnResize)) {
        FOptionsEh = FOptionsEh | ColumnSizingPairEh;
        result = FOptionsEh;
    } else if (!AOptions.Contains(dgColumnResize) && FOptions.Contains(dgColumnResize)) {
        FOptionsEh = FOptionsEh - ColumnSizingPairEh;
        result = FOptionsEh;
    } else if (HoldsColumnSizingPair(AOptionsEh) && !HoldsColumnSizingPair(FOptionsEh)) {
        FOptions << dgColumnResize;
    } else if (!HoldsColumnSizingPair(AOptionsEh) && HoldsColumnSizingPair(FOptionsEh)) {
        FOptions >> dgColumnResize;
    }
    if (AOptions == FOptions && AOptionsEh == FOptionsEh && FOptions.Contains(dgColumnResize)) {
        FOptionsEh = FOptionsEh | ColumnSizingPairEh;
        result = FOptionsEh;
    }
    // The base grid follows the Eh pair as it will be stored (the OptionsEh setter stores its
    // value right after this).
    TGridOptionsEh grid = GetGridOptions();
    if (result.Contains(dghColumnResize))
        grid << goColSizingEh;
    else
        grid >> goColSizingEh;
    if (result.Contains(dghColumnMove))
        grid << goColMovingEh;
    else
        grid >> goColMovingEh;
    SetGridOptions(grid);
}

void TCustomDBGridEh::SetOptionsEh(TDBGridEhOptions Value)
{
    if (FOptionsEh == Value)
        return;
    if (FOptionsEh.Contains(dghMultiSortMarking) && !Value.Contains(dghMultiSortMarking))
        for (int i = FSortMarkedColumns->Count() - 1; i >= 1; --i)
            if (i < FSortMarkedColumns->Count() && FSortMarkedColumns->Items(i))
                FSortMarkedColumns->Items(i)->Title()->SetSortMarker(smNoneEh);
    if (!IsLoading())
        SyncColumnSizingOptions(FOptions, Value);

    const TDBGridEhOptions old = FOptionsEh;
    FOptionsEh = Value;
    if (Value.Contains(dghShowRecNo))
        FIndicatorOptions << gioShowRecNoEh;
    else
        FIndicatorOptions >> gioShowRecNoEh;

    const bool extendOld = old.Contains(dghExtendVertLines);
    const bool extendNew = Value.Contains(dghExtendVertLines);
    TGridOptionsEh grid = GetGridOptions();
    if (extendNew)
        grid << goExtendVertLinesEh;
    else
        grid >> goExtendVertLinesEh;
    SetGridOptions(grid);
    if (TDBAxisGridLineParamsEh* lines = GridLineParams(); lines && extendOld != extendNew) {
        if (!IsLoading()) {
            if (extendNew && lines->VertEmptySpaceStyle() == dessNonEh)
                lines->SetVertEmptySpaceStyle(dessGradiendEh);
            else if (!extendNew && lines->VertEmptySpaceStyle() != dessNonEh)
                lines->SetVertEmptySpaceStyle(dessNonEh);
        } else if (!extendNew && lines->VertEmptySpaceStyle() == dessGradiendEh) {
            lines->SetVertEmptySpaceStyle(dessNonEh);
        }
    }

    if (old.Contains(dghAutoFitRowHeight) != Value.Contains(dghAutoFitRowHeight))
        UpdateAllDataRowHeights();
    if (old.Contains(dghShowRecNo) != Value.Contains(dghShowRecNo))
        CheckIndicatorColWidthChanged();
    LayoutChanged();
}

void TCustomDBGridEh::SetIndicatorOptions(TDBGridEhIndicatorOptions Value)
{
    if (FIndicatorOptions == Value)
        return;
    FIndicatorOptions = Value;
    // The mirrors are copied without running the option setters.
    if (Value.Contains(gioShowRowIndicatorEh))
        FOptions << dgIndicator;
    else
        FOptions >> dgIndicator;
    if (Value.Contains(gioShowRecNoEh))
        FOptionsEh << dghShowRecNo;
    else
        FOptionsEh >> dghShowRecNo;
    CheckIndicatorColWidthChanged();
    LayoutChanged();
}

void TCustomDBGridEh::SetEditButtonsShowOptions(TEditButtonsShowOptionsEh Value)
{
    if (FEditButtonsShowOptions == Value)
        return;
    FEditButtonsShowOptions = Value;
    Invalidate();
}

// ---------------------------------------------------------------- properties

void TCustomDBGridEh::SetDataSource(TDataSource* Value)
{
    if (Value == DataSource())
        return;
    TCustomDBAxisGridEh::SetDataSource(Value);
    UpdateSumListDataSet();
}

TDBGridColumnsEh* TCustomDBGridEh::Columns() const { return static_cast<TDBGridColumnsEh*>(FAxisBars); }
void TCustomDBGridEh::SetColumns(TDBGridColumnsEh* Value) { SetAxisBars(Value); }
TColumnDefValuesEh* TCustomDBGridEh::ColumnDefValues() const
{
    return static_cast<TColumnDefValuesEh*>(FColumnDefValues);
}
void TCustomDBGridEh::SetColumnDefValues(TColumnDefValuesEh* Value) { SetAxisBarDefValues(Value); }

void TCustomDBGridEh::SetFooterRowCount(int Value)
{
    if (Value < 0 || Value == FFooterRowCount)
        return;
    FFooterRowCount = Value;
    UpdateIntMemTable();
    LayoutChanged();
}

void TCustomDBGridEh::SetRowHeight(int Value)
{
    Value = std::max(Value, 0);
    if (Value == FNewRowHeight)
        return;
    FNewRowHeight = Value;
    LayoutChanged();
    UpdateAllDataRowHeights();
}

void TCustomDBGridEh::SetRowLines(int Value)
{
    Value = std::max(Value, 0);
    if (Value == FRowLines)
        return;
    FRowLines = Value;
    LayoutChanged();
    UpdateAllDataRowHeights();
}

void TCustomDBGridEh::SetRowSizingAllowed(bool Value)
{
    if (Value == FRowSizingAllowed)
        return;
    FRowSizingAllowed = Value;
    TGridOptionsEh grid = GetGridOptions();
    if (Value)
        grid << goRowSizingEh;
    else
        grid >> goRowSizingEh;
    SetGridOptions(grid);
}

void TCustomDBGridEh::SetContraColCount(int Value)
{
    if (Value == ContraColCount())
        return;
    if (!IsLoading()) {
        if (Value < 0)
            throw EInvalidGridOperationEh(QStringLiteral("Grid index out of range"));
        if ((FDataLink->Active() || FAxisBars->State() == csCustomized) &&
            Value >= FAxisBars->Count() - FixedColCount())
            throw EInvalidGridOperationEh(
                QStringLiteral("Contra column count must be less than scrollable column count"));
    }
    TCustomGridEh::SetContraColCount(Value);
    LayoutChanged();
}

void TCustomDBGridEh::SetStyle(TDBGridEhStyle* Value)
{
    // None given: the process-wide default style.
    if (!Value && !BeingDestroyed())
        Value = DBGridEhDefaultStyle();
    if (Value == FStyle)
        return;
    if (FStyle) {
        FStyle->RemoveChangeNotification(this);
        FStyle->RemoveFreeNotification(this);
    }
    FStyle = Value;
    if (FStyle) {
        FStyle->AddChangeNotification(this);
        FStyle->FreeNotification(this);
        DrawStyleChanged();
    } else if (!BeingDestroyed()) {
        LayoutChanged();
    }
}

void TCustomDBGridEh::SetCenter(TDBGridEhCenter* Value)
{
    if (Value == FCenter)
        return;
    if (FCenter)
        FCenter->RemoveChangeNotification(this);
    FCenter = Value;
    if (FCenter)
        FCenter->AddChangeNotification(this);
}

TColor TCustomDBGridEh::EvenRowColor() const { return FEvenRowColorStored ? FEvenRowColor : Color(); }

void TCustomDBGridEh::SetEvenRowColor(TColor Value)
{
    FEvenRowColorStored = true;
    if (Value == FEvenRowColor)
        return;
    FEvenRowColor = Value;
    Invalidate();
}

TColor TCustomDBGridEh::OddRowColor() const { return FOddRowColorStored ? FOddRowColor : Color(); }

void TCustomDBGridEh::SetOddRowColor(TColor Value)
{
    FOddRowColorStored = true;
    if (Value == FOddRowColor)
        return;
    FOddRowColor = Value;
    Invalidate();
}

void TCustomDBGridEh::SetTryUseMemTableInt(bool Value)
{
    if (Value == FTryUseMemTableInt)
        return;
    FTryUseMemTableInt = Value;
    UpdateIntMemTable();
    LayoutChanged();
}

// ---------------------------------------------------------------- scaling

namespace {

void ScaleFont(TFont* Font, int M, int D) { Font->SetSize(MulDiv(Font->GetSize(), M, D)); }

}  // namespace

void TCustomDBGridEh::ChangeScale(int M, int D)
{
    if (M != D && D > 0) {
        if (ScalesFonts()) {
            if (!FFooterParams->ParentFont())
                ScaleFont(FooterFont(), M, D);
            TDBGridColumnsEh* cols = Columns();
            cols->BeginUpdate();
            auto end = Finally([cols] { cols->EndUpdate(); });
            // Widths are scaled on their running sums, so rounding never adds up along the row.
            int sum = 0, scaledSum = 0;
            for (int i = 0; i < cols->Count(); ++i) {
                TColumnEh* col = cols->Items(i);
                if (col->Footer()->AssignedValues().Contains(cvFooterFont))
                    ScaleFont(col->Footer()->Font(), M, D);
                for (int f = 0; f < col->Footers()->Count(); ++f)
                    if (col->Footers()->Items(f)->AssignedValues().Contains(cvFooterFont))
                        ScaleFont(col->Footers()->Items(f)->Font(), M, D);
                // limits first, or an unscaled maximum would clip the scaled width
                if (col->MaxWidth() > 0)
                    col->SetMaxWidth(MulDiv(col->MaxWidth(), M, D));
                if (col->MinWidth() > 0)
                    col->SetMinWidth(MulDiv(col->MinWidth(), M, D));
                if (!col->AssignedValues().Contains(cvWidth))
                    continue;   // a default width follows the scaled font
                sum += col->Width();
                const int scaled = MulDiv(sum, M, D) - scaledSum;
                col->SetWidth(scaled);
                scaledSum += scaled;
            }
            TGridDataGroupsEh* groups = FDataGrouping.get();
            if (!groups->ParentFont())
                ScaleFont(groups->Font(), M, D);
            auto scaleFooters = [M, D](TGridDataGroupFootersEh* footers) {
                for (int i = 0; i < footers->Count(); ++i)
                    if (!footers->Items(i)->ParentFont())
                        ScaleFont(footers->Items(i)->Font(), M, D);
            };
            for (int i = 0; i < groups->GroupLevels()->Count(); ++i) {
                TGridDataGroupLevelEh* level = groups->GroupLevels()->Items(i);
                if (!level->ParentFont())
                    ScaleFont(level->Font(), M, D);
                if (!level->ParentFooters())
                    scaleFooters(level->Footers());
            }
            scaleFooters(groups->Footers());
        }
        // Heights set in pixels: a row of a larger font would otherwise be cut.
        if (FNewRowHeight > 0)
            SetRowHeight(MulDiv(FNewRowHeight, M, D));
        if (FTitleParams->RowHeight() > 0)
            FTitleParams->SetRowHeight(MulDiv(FTitleParams->RowHeight(), M, D));
        if (FFooterParams->RowHeight() > 0)
            FFooterParams->SetRowHeight(MulDiv(FFooterParams->RowHeight(), M, D));
        HandleNeeded();
    }
    TCustomDBAxisGridEh::ChangeScale(M, D);
}

// ---------------------------------------------------------------- indicator

bool TCustomDBGridEh::IndicatorVisible()
{
    return FOptions.Contains(dgIndicator) || FOptionsEh.Contains(dghShowRecNo) ||
           FIndicatorOptions.Contains(gioShowRowselCheckboxesEh);
}

int TCustomDBGridEh::CalcIndicatorColWidth()
{
    int width = FOptions.Contains(dgIndicator) ? 11 : 0;
    if (FOptionsEh.Contains(dghShowRecNo) && FDataLink && FDataLink->DataSet())
        width += FCenter ? FCenter->CalcIndicatorRowNumAreaWidth(this) : DefaultCalcIndicatorRowNumAreaWidth();
    if (FIndicatorOptions.Contains(gioShowRowselCheckboxesEh)) {
        TFont small;
        small.Assign(Font());
        small.SetSize(small.GetSize() - 1);
        FRowselCheckboxesWidth = MeasureCanvasEh(&small)->TextWidth(QStringLiteral("0")) + CheckBoxGlyphSize().cx;
        width += FRowselCheckboxesWidth;
    } else {
        FRowselCheckboxesWidth = 0;
    }
    return width;
}

int TCustomDBGridEh::DefaultCalcIndicatorRowNumAreaWidth()
{
    int digits = 1;
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (ds && ds->Active()) {
        const int count = ds->RecordCount();
        if (count >= 10)
            digits = int(QString::number(count).size());
    }
    digits = std::min(digits, 102);
    TFont small;
    small.Assign(Font());
    small.SetSize(small.GetSize() - 1);
    int width = MeasureCanvasEh(&small)->TextWidth(QString(digits, QLatin1Char('0'))) + 2;
    if (!FOptions.Contains(dgIndicator))
        width += 2;
    return std::max(width, 11);
}

bool TCustomDBGridEh::CheckIndicatorColWidthChanged()
{
    const int width = CalcIndicatorColWidth();
    if (width == FRecNoTextWidth)
        return false;
    FRecNoTextWidth = width;
    FSizeChanged = true;
    return true;
}

// ---------------------------------------------------------------- lookups and requests

TColumnEh* TCustomDBGridEh::FindFieldColumn(const QString& FieldName) const
{
    return static_cast<TColumnEh*>(TCustomDBAxisGridEh::FindFieldColumn(FieldName));
}

TColumnEh* TCustomDBGridEh::GetFieldColumns(const QString& FieldName) const
{
    return static_cast<TColumnEh*>(TCustomDBAxisGridEh::GetFieldAxisBars(FieldName));
}

void TCustomDBGridEh::DefaultApplySorting()
{
    if (FCenter)
        FCenter->ApplySorting(this);
}

TColor TCustomDBGridEh::GetColumnFontColor(TColumnEh* Column, TGridDrawState State)
{
    return FStyle ? FStyle->GetColumnFontColor(Column, State) : Column->Font()->GetColor();
}

TColor TCustomDBGridEh::GetColumnColor(TColumnEh* Column, TGridDrawState)
{
    return FStyle ? FStyle->GetColumnColor(Column) : Column->Color();
}

// ---------------------------------------------------------------- the grid's own events

void TCustomDBGridEh::CellClick(TColumnEh* Column)
{
    if (OnCellClick)
        OnCellClick(Column);
}

bool TCustomDBGridEh::CheckTitleButton(int ACol, bool& Enabled)
{
    if (ACol < 0 || ACol >= FAxisBars->Count())
        return false;
    if (OnCheckButton)
        OnCheckButton(this, ACol, Columns()->Items(ACol), Enabled);
    return true;
}

void TCustomDBGridEh::ColEnter()
{
    if (Focused())
        UpdateIme();
    if (OnColEnter)
        OnColEnter(this);
}

void TCustomDBGridEh::ColExit()
{
    if (OnColExit)
        OnColExit(this);
}

void TCustomDBGridEh::TitleBtnClick(int ACol, TColumnEh* Column)
{
    if (OnTitleBtnClick)
        OnTitleBtnClick(this, ACol, Column);
}

void TCustomDBGridEh::TitleClick(TColumnEh* Column)
{
    if (OnTitleClick)
        OnTitleClick(Column);
}

void TCustomDBGridEh::DoSelectionChanged()
{
    if (BeingDestroyed())
        return;
    if (OnSelectionChanged)
        OnSelectionChanged(this);
}

void TCustomDBGridEh::GetCellParams(TAxisBarEh* Bar, TFont* AFont, TColor& Background, TGridDrawState& State)
{
    if (OnGetCellParams)
        OnGetCellParams(this, static_cast<TColumnEh*>(Bar), AFont, Background, State);
}

QString TCustomDBGridEh::GetAxisBarsPropertyName() { return QStringLiteral("Columns"); }

TAxisGridDataLinkEh* TCustomDBGridEh::CreateDataLink() { return Create<TGridDataLinkEh>(this); }

TGridAxisBarsEh* TCustomDBGridEh::CreateAxisBars()
{
    return Create<TDBGridColumnsEh>(this, TDBGridColumnEh::StaticClassInfo());
}

TAxisBarDefValuesEh* TCustomDBGridEh::CreateAxisBarDefValues() { return Create<TColumnDefValuesEh>(this); }

// ============================================================================================
// TDBGridEhCenter
// ============================================================================================

TDBGridEhCenter::~TDBGridEhCenter()
{
    // Grids that still use this center are left without one.
    const std::vector<TCustomDBGridEh*> grids = FGrids;
    for (TCustomDBGridEh* grid : grids)
        grid->SetCenter(nullptr);
}

void TDBGridEhCenter::AddChangeNotification(TCustomDBGridEh* Grid)
{
    if (!GridInChangeNotification(Grid))
        FGrids.push_back(Grid);
}

void TDBGridEhCenter::RemoveChangeNotification(TCustomDBGridEh* Grid)
{
    FGrids.erase(std::remove(FGrids.begin(), FGrids.end(), Grid), FGrids.end());
}

bool TDBGridEhCenter::GridInChangeNotification(TCustomDBGridEh* Grid) const
{
    return std::find(FGrids.begin(), FGrids.end(), Grid) != FGrids.end();
}

void TDBGridEhCenter::ApplySorting(TCustomDBGridEh* Grid)
{
    if (OnApplySorting)
        OnApplySorting(Grid);
    else
        DefaultApplySorting(Grid);
}

void TDBGridEhCenter::DefaultApplySorting(TCustomDBGridEh*) {}

int TDBGridEhCenter::CalcIndicatorRowNumAreaWidth(TCustomDBGridEh* Grid)
{
    return Grid->DefaultCalcIndicatorRowNumAreaWidth();
}

void TDBGridEhCenter::GetGroupLevelCaption(TCustomDBGridEh*, TColumnEh* Column, QString& Text)
{
    Text = Column ? Column->Title()->Caption() : QString();
}

bool TDBGridEhCenter::ColumnValueTypeIsComparable(TCustomDBGridEh*, TColumnEh* Column)
{
    TField* field = Column ? Column->Field() : nullptr;
    if (!field)
        return true;
    switch (field->DataType()) {
    case ftString: case ftSmallint: case ftInteger: case ftWord: case ftBoolean: case ftFloat: case ftCurrency:
    case ftBCD: case ftDate: case ftTime: case ftDateTime: case ftAutoInc: case ftMemo: case ftFmtMemo:
    case ftFixedChar: case ftWideString: case ftLargeint: case ftADT: case ftVariant: case ftGuid:
    case ftTimeStamp: case ftFMTBcd: case ftFixedWideChar: case ftWideMemo: case ftOraTimeStamp:
    case ftOraInterval: case ftLongWord: case ftShortint: case ftByte: case ftExtended:
        return true;
    default:
        return false;
    }
}

void TDBGridEhCenter::RowDetailPanelShow(TCustomDBGridEh*, bool&) {}

void TDBGridEhCenter::RowDetailPanelHide(TCustomDBGridEh*, bool&) {}
