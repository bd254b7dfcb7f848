// The data grid: how data changes reach it (the data link and the in-memory table's row
// events), binding the table, component removal, loading, window creation and painting entry.
#include "DBGridEh.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Guards.h"

// ============================================================================================
// TGridDataLinkEh
// ============================================================================================

TGridDataLinkEh::TGridDataLinkEh(TCustomDBGridEh* AGrid) : TAxisGridDataLinkEh(AGrid) {}

TCustomDBGridEh* TGridDataLinkEh::DBGrid() const { return static_cast<TCustomDBGridEh*>(FGrid); }

void TGridDataLinkEh::ActiveChanged()
{
    TAxisGridDataLinkEh::ActiveChanged();
    if (!DBGrid()->BeingDestroyed())
        DBGrid()->UpdateScrollBars();
}

// ============================================================================================
// Notifications
// ============================================================================================

void TCustomDBGridEh::DataChanged()
{
    if (FSuppressDataSetChanged)
        return;
    if (FSumList)
        FSumList->RecalcAllIfStale();
    if (!HandleAllocated())
        return;
    CheckRowDetailPanelRecord();
    LayoutChanged();
    UpdateScrollBars();
    if (UpdateLock() == 0 && LayoutLock() == 0)
        UpdateActiveRow();
    InvalidateEditor();
    UpdateRowDetailPanelControl();
    Invalidate();
}

void TCustomDBGridEh::LinkActive(bool Value)
{
    if (!Value)
        HideRowDetailPanel();
    UpdateIntMemTable();
    UpdateSumListDataSet();
    if (FIntMemTable) {
        if (!IsLoading())
            MTEventReceived(-1, mtViewDataChangedEh, -1);
        UpdateRowCount();
    }
    if (BeingDestroyed())
        return;
    FSelection->LinkActive(Value);
    // The axis grid's own reaction, without its guess at the table: the binding above decides.
    if (!Value)
        HideEdit();
    LayoutChanged();
    if (Value && IsAlwaysShowEditor())
        ShowEditor();
    if (!IsLoading())
        FAxisBars->ActiveChanged();
    UpdateScrollBars();
    UpdateIntMemTable();
}

void TCustomDBGridEh::UpdateIntMemTable()
{
    IMemTableEh* table = nullptr;
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (FTryUseMemTableInt && FDataLink && FDataLink->Active() && ds &&
        !ds->ComponentState().Contains(csDestroying))
        table = dynamic_cast<IMemTableEh*>(ds);
    FIntMemTable = table;
    if (table == FEventSource)
        return;
    // A table on its way out has already let go of its receivers.
    if (FEventSource && !FEventSourceDataSet->ComponentState().Contains(csDestroying)) {
        FEventSource->UnregisterEventReceiver(this);
        FEventSourceDataSet->RemoveFreeNotification(this);
    }
    FEventSource = table;
    FEventSourceDataSet = table ? ds : nullptr;
    if (table) {
        ds->FreeNotification(this);
        table->RegisterEventReceiver(this);
        MTEventReceived(-1, mtViewDataChangedEh, -1);
    }
}

void TCustomDBGridEh::MTEventReceived(int RowNum, TMTViewEventTypeEh Event, int OldRowNum)
{
    if (!FIntMemTable || BeingDestroyed())
        return;
    // A tree view keeps its row count by the layout.
    if (FIntMemTable->GetViewAsTreeList() && !FOptionsEh.Contains(dghAutoFitRowHeight))
        return;
    // Grouped rows are the group tree's flat list.
    if (GroupingMTEventReceived(RowNum, Event)) {
        if (auto* columns = Columns())
            for (int i = 0; i < columns->Count(); ++i)
                columns->Items(i)->UpdateLookupValuesCache(RowNum, Event);
        Invalidate();
        return;
    }
    const int offset = TopDataOffset();
    const int tableRows = FIntMemTable->InstantReadRowCount();
    switch (Event) {
    case mtRowInsertedEh:
        // An empty table already showed one empty data row.
        if (tableRows > 1) {
            SetRowCount(RowCount() + 1);
            MoveRowExtent(RowCount() - 1, RowNum + offset);
        }
        UpdateDataRowHeight(RowNum);
        break;
    case mtRowChangedEh:
        UpdateDataRowHeight(RowNum);
        break;
    case mtRowDeletedEh:
        if (tableRows > 0 && RowNum + offset < RowCount())
            DeleteRow(RowNum + offset);
        break;
    case mtRowMovedEh:
        MoveRowExtent(OldRowNum + offset, RowNum + offset);
        break;
    case mtViewDataChangedEh: {
        HideRowDetailPanel();
        const bool saved = FWholeGridChanged;
        FWholeGridChanged = true;
        auto restore = Finally([this, saved] { FWholeGridChanged = saved; });
        SetRowCountSafe(tableRows + offset + (tableRows == 0 ? 1 : 0));
        UpdateAllDataRowHeights();
        break;
    }
    }
    if (auto* columns = Columns())
        for (int i = 0; i < columns->Count(); ++i)
            columns->Items(i)->UpdateLookupValuesCache(RowNum, Event);
    Invalidate();
}

void TCustomDBGridEh::ResetBarLookupValues(TAxisBarEh* Bar)
{
    auto* column = dynamic_cast<TColumnEh*>(Bar);
    if (!column || !column->LookupParams())
        return;
    const int rows = FIntMemTable ? FIntMemTable->InstantReadRowCount() : 0;
    column->LookupParams()->FLookupValues.assign(size_t(std::max(rows, 0)), Variant());
}

// ============================================================================================
// Component removal, loading, streaming, window and painting
// ============================================================================================

void TCustomDBGridEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomDBAxisGridEh::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent)
        return;
    if (FTitleParams && TitleImages() == AComponent)
        SetTitleImages(nullptr);
    if (FRowDetailPanel && FRowDetailPanel->ActiveControl() == AComponent)
        FRowDetailPanel->SetActiveControl(nullptr);
    if (FStyle && AComponent == FStyle) {
        // The style is going: take the default one, or none when that is the one going.
        FStyle = nullptr;
        TDBGridEhStyle* def = DBGridEhDefaultStyle();
        SetStyle(def == AComponent ? nullptr : def);
    }
    if (AComponent == FEventSourceDataSet) {
        // The table is in its destructor: it forgets its receivers itself.
        FEventSource = nullptr;
        FEventSourceDataSet = nullptr;
        FIntMemTable = nullptr;
        if (!BeingDestroyed()) {
            UpdateIntMemTable();
            LayoutChanged();
        }
    }
}

void TCustomDBGridEh::Loaded()
{
    SyncColumnSizingOptions(FOptions, FOptionsEh);
    if (FAxisBars->Count() > 0)
        SetColCount(FAxisBars->Count() + FixedColCount());
    Columns()->SetSortMarkedColumns();
    FDataGrouping->GridColumnsLoaded();
    TCustomDBAxisGridEh::Loaded();
    FSumList->ActivateIfAssigned();
}

void TCustomDBGridEh::DefineProperties(TFiler* Filer)
{
    TCustomDBAxisGridEh::DefineProperties(Filer);
    // Properties of older streams, read into the parameter objects and never written.
    Filer->DefineProperty(QStringLiteral("TitleHeight"),
                          [this](TReader* R) { TitleParams()->SetRowHeight(R->ReadInteger()); }, TWriterProc(),
                          false);
    Filer->DefineProperty(QStringLiteral("TitleLines"),
                          [this](TReader* R) { TitleParams()->SetRowLines(R->ReadInteger()); }, TWriterProc(),
                          false);
    Filer->DefineProperty(QStringLiteral("VTitleMargin"),
                          [this](TReader* R) { TitleParams()->SetVTitleMargin(R->ReadInteger()); }, TWriterProc(),
                          false);
    Filer->DefineProperty(QStringLiteral("UseMultiTitle"),
                          [this](TReader* R) { TitleParams()->SetMultiTitle(R->ReadBoolean()); }, TWriterProc(),
                          false);
    Filer->DefineProperty(QStringLiteral("FooterColor"), [this](TReader* R) { ReadOldFooterColor(R); },
                          TWriterProc(), false);
}

void TCustomDBGridEh::ReadOldFooterColor(TReader* Reader)
{
    TColor color = clWindow;
    if (Reader->NextValue() == vaIdent) {
        const QString ident = Reader->ReadIdent();
        if (!IdentToColor(ident, color))
            throw EReadError(QStringLiteral("Invalid property value"));
    } else {
        color = TColor(Reader->ReadInteger());
    }
    FooterParams()->SetColor(color);
}

void TCustomDBGridEh::CreateWnd()
{
    BeginUpdate();
    {
        auto end = Finally([this] { EndUpdate(); });
        TCustomDBAxisGridEh::CreateWnd();
    }
    CalcStdDefaultRowHeight();
    const int buttonWidth = FInplaceEditorButtonWidth;
    if (qRound(buttonWidth * 1.5) >= FStdDefaultRowHeight)
        FInplaceEditorButtonHeight = FStdDefaultRowHeight;
    else
        FInplaceEditorButtonHeight = Flat() ? qRound(buttonWidth * 4.0 / 3.0) : buttonWidth;
    if (LayoutLock() == 0 && !IsLoading()) {
        UpdateColWidths();
        UpdateRowCount();
        UpdateActiveRow();
    }
    UpdateScrollBars();
}

void TCustomDBGridEh::Paint()
{
    // While a job fills the table (its controls disabled) nothing of it is read: the grid
    // shows an empty area until the controls are enabled again.
    TDataSet* ds = FDataLink ? FDataLink->DataSet() : nullptr;
    if (ds && ds->Active() && ds->ControlsDisabled()) {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
        return;
    }
    FDrawnGroupList.clear();
    // Duplicate hiding starts afresh with every paint.
    bool hides = false;
    for (int i = 0; i < FAxisBars->Count() && !hides; ++i)
        hides = Columns()->Items(i)->HideDuplicates();
    if (hides)
        for (int i = 0; i < FAxisBars->Count(); ++i)
            Columns()->Items(i)->FCheckedDuplicates.assign(size_t(VisibleDataRowCount() + 2), false);
    TCustomDBAxisGridEh::Paint();
    if (EmptyDataInfo()->Showing())
        EmptyDataInfo()->PaintEmptyDataInfo();
}
