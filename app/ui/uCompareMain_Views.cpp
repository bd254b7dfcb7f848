// The main window's result views: the filter panel and its filter texts, sorting the live
// result by the grid's sort markers, the check marks of a saved reconciliation, and the
// ledger entries shown under a result row.
#include "uCompareMain.h"

#include "app/engine/uCompDM.h"
#include "components/dbgrid/DBGridEh.h"
#include "components/memtable/MemTableEh.h"
#include "platform/ado/ADODB.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/PopupMenus.h"
#include "platform/vcl/StdCtrls.h"

#include <vector>

namespace {

const QString kLiveResultDS = QStringLiteral("CompareMemTableEhDS");
const QString kSavedResultDS = QStringLiteral("TmpDararedInvMemTableEhDS");

// Rows whose workbook VAT or certificate VAT is missing, or where both are present and differ.
const QString kMismatch = QStringLiteral(
    "(((ndsexcel IS NULL) OR (ndsspr IS NULL)) OR ((ndsspr IS NOT NULL) AND (ndsexcel IS NOT NULL) AND (ndsspr<>ndsexcel)))");

TDataSet* GridDataSet(TCustomDBGridEh* Grid)
{
    TDataSource* ds = Grid ? Grid->DataSource() : nullptr;
    return ds ? ds->DataSet() : nullptr;
}

QString DataSourceName(TCustomDBGridEh* Grid)
{
    TDataSource* ds = Grid ? Grid->DataSource() : nullptr;
    return ds ? ds->Name() : QString();
}

// While a job fills a table (its controls disabled) the window leaves it alone.
bool JobOwns(TDataSet* DataSet)
{
    return DataSet && DataSet->DataRefilling();
}

// The image of a button that takes one from an image list.
void SetButtonImage(TButton* Button, int Index)
{
    if (GetPropInfo(Button, QStringLiteral("ImageIndex")))
        SetOrdProp(Button, QStringLiteral("ImageIndex"), Index);
}

}  // namespace

bool TfrmComparer::ShowsLiveResult() const
{
    return DataSourceName(InvDBGridEh) == kLiveResultDS;
}

bool TfrmComparer::ShowsSavedResult() const
{
    return DataSourceName(InvDBGridEh) == kSavedResultDS;
}

// ---------------------------------------------------------------- filters

void TfrmComparer::SetGridFilter(TCustomDBGridEh* Grid, const QString& Text)
{
    TDataSet* ds = GridDataSet(Grid);
    if (!ds || JobOwns(ds))
        return;
    ds->SetFiltered(false);
    ds->SetFilter(Text);
    ds->SetFiltered(true);
}

void TfrmComparer::SetGridFiltered(TCustomDBGridEh* Grid, bool Value)
{
    TDataSet* ds = GridDataSet(Grid);
    if (!ds || JobOwns(ds))
        return;
    ds->SetFiltered(Value);
}

void TfrmComparer::FilterBtnClick(TObject*)
{
    const bool saved = ShowsSavedResult();
    const bool hideChecked = ShowNotHideStatePMBtn->Checked;
    QString text;
    if (!ShowMatchesCB->Checked())
        text = kMismatch;

    const int branchIndex = FilialRG->ItemIndex();
    QString branch;
    if (branchIndex < 0) {
        if (saved) {
            if (hideChecked) {
                if (!text.isEmpty())
                    text += QStringLiteral(" AND (hide=0)");
                else
                    SetGridFilter(InvDBGridEh, QStringLiteral("hide=0"));
            } else {
                SetGridFiltered(InvDBGridEh, false);
            }
        }
    } else {
        branch = FilialRG->Items()->Strings(branchIndex);
        const QString signers = CompDM->GetSignersByFilial(Variant(branch));
        // Rows of the branch, and rows without a branch that one of its signers signed or
        // that nobody signed.
        QString condition;
        if (!signers.isEmpty())
            condition = QStringLiteral("(filial=") + branch + QStringLiteral(" OR (filial is NULL AND signerfio in (") +
                        signers + QStringLiteral("))") + QStringLiteral(" OR (filial is NULL AND signerfio IS NULL))");
        else
            condition = QStringLiteral("filial=") + branch + QStringLiteral(" OR filial is NULL");
        const bool grouped = !signers.isEmpty();
        // Without "show matches" the mismatch condition holds within the branch too.
        if (!text.isEmpty())
            text += QStringLiteral(" AND ") + (grouped ? condition : u'(' + condition + u')');
        else if (saved && hideChecked && !grouped)
            text = u'(' + condition + u')';
        else
            text = condition;
        if (saved && hideChecked)
            text += QStringLiteral(" AND hide=0");
    }

    if (!text.isEmpty())
        SetGridFilter(InvDBGridEh, text);
    if (branchIndex >= 0) {
        SetGridFilter(DuplicatesFilialDBGridEh, QStringLiteral("dopUNN=") + branch);
        SetGridFilter(DuplicatesOblpoDBGridEh, QStringLiteral("Filial=") + branch);
    }
}

void TfrmComparer::ClearFilterBtnClick(TObject*)
{
    FilialRG->SetItemIndex(-1);
    if (ShowsSavedResult() && ShowNotHideStatePMBtn->Checked)
        SetGridFilter(InvDBGridEh, QStringLiteral("hide=0"));
    else
        SetGridFiltered(InvDBGridEh, false);
    SetGridFiltered(DuplicatesFilialDBGridEh, false);
    SetGridFiltered(DuplicatesOblpoDBGridEh, false);
}

void TfrmComparer::ShowFiltersBtnClick(TObject*)
{
    if (FiltersPanel->Visible()) {
        FiltersPanel->SetVisible(false);
        ShowFiltersBtn->SetCaption(QStringLiteral("Показать фильтры"));
        SetButtonImage(ShowFiltersBtn, 5);
    } else {
        FiltersPanel->SetVisible(true);
        ShowFiltersBtn->SetCaption(QStringLiteral("Скрыть фильтры"));
        SetButtonImage(ShowFiltersBtn, 4);
    }
}

// ---------------------------------------------------------------- sorting

void TfrmComparer::InvDBGridEhSortMarkingChanged(TObject* Sender)
{
    TMemTableEh* live = CompDM->CompareMemTableEh;
    if (!live->Active() || JobOwns(live) || live->RecordCount() == 0)
        return;
    if (auto* grid = dynamic_cast<TCustomDBGridEh*>(Sender))
        ApplyGridSortMarkers(grid);
}

void TfrmComparer::ApplyGridSortMarkers(TCustomDBGridEh* Grid)
{
    TColumnsEhList* marked = Grid->SortMarkedColumns();
    if (!marked || marked->Count() == 0)
        return;
    TMemTableEh* live = CompDM->CompareMemTableEh;
    QStringList parts;
    for (int i = 0; i < marked->Count(); ++i) {
        TColumnEh* column = marked->Items(i);
        // A column the live result has no field for (the saved table's check mark) is left out.
        const QString field = column->FieldName();
        if (field.isEmpty() || !live->FindField(field))
            continue;
        parts << field + (column->Title()->SortMarker() == smUpEh ? QStringLiteral(" ASC") : QStringLiteral(" DESC"));
    }
    if (parts.isEmpty())
        return;
    QString order = parts.join(QStringLiteral(", "));
    // The status text is calculated; its order is that of the status code.
    order.replace(QStringLiteral("StatusText"), QStringLiteral("[Status]"), Qt::CaseSensitive);
    live->SortByFields(order);
}

// ---------------------------------------------------------------- check marks

void TfrmComparer::StatePMPopup(TObject*)
{
    if (ShowsLiveResult())
        Abort();
}

void TfrmComparer::SetHidePMBtnClick(TObject*)
{
    MarkSelectedRows(true);
}

void TfrmComparer::SetNotHidePMBtnClick(TObject*)
{
    MarkSelectedRows(false);
}

void TfrmComparer::ShowAllStatePMBtnClick(TObject* Sender)
{
    FilterBtnClick(Sender);
}

void TfrmComparer::ShowNotHideStatePMBtnClick(TObject* Sender)
{
    FilterBtnClick(Sender);
}

void TfrmComparer::MarkSelectedRows(bool Value)
{
    TMemTableEh* table = CompDM->TmpDararedInvMemTableEh;
    if (!table->Active() || JobOwns(table))
        return;
    TBookmarkListEh* selected = InvDBGridEh->SelectedRows();
    table->DisableControls();
    auto enable = Finally([table] { table->EnableControls(); });

    // Each post may take its row out of the filtered view and shift the rows after it, so the
    // rows are named by their keys before the first one is marked.
    TField* key = table->FieldByName(QStringLiteral("idRecord"));
    std::vector<Variant> keys;
    if (selected->Count() > 0) {
        for (int i = 0; i < selected->Count(); ++i) {
            const TBookmark bm = selected->GetItem(i);
            if (!table->BookmarkValid(bm))
                continue;
            table->GotoBookmark(bm);
            keys.push_back(key->Value());
        }
    } else if (!table->IsEmpty()) {
        keys.push_back(key->Value());
    }
    for (const Variant& k : keys)
        if (table->Locate(QStringLiteral("idRecord"), k, {}))
            SetCurrentRowHide(Value);
    selected->Clear();
}

void TfrmComparer::SetCurrentRowHide(bool Value)
{
    TMemTableEh* table = CompDM->TmpDararedInvMemTableEh;
    table->Edit();
    auto cancel = OnFailure([table] {
        if (table->State() == dsEdit)
            table->Cancel();
    });
    table->FieldByName(QStringLiteral("hide"))->SetAsBoolean(Value);
    table->Post();
}

// ---------------------------------------------------------------- row detail

void TfrmComparer::InvDBGridEhCheckRowHaveDetailPanel(TCustomDBGridEh*, bool& RowHaveDetailPanel)
{
    TDataSet* table = ShowsLiveResult() ? static_cast<TDataSet*>(CompDM->CompareMemTableEh)
                                        : static_cast<TDataSet*>(CompDM->TmpDararedInvMemTableEh);
    if (!table->Active() || JobOwns(table) || table->IsEmpty()) {
        RowHaveDetailPanel = false;
        return;
    }
    RowHaveDetailPanel = !table->FieldByName(QStringLiteral("ndsspr"))->IsNull();
}

void TfrmComparer::ShowRowEntries(TDataSet* Row, TADOQuery* Query)
{
    auto text = [Row](const char* name) { return Row->FieldByName(QString::fromLatin1(name))->AsString(); };
    CompDM->SelectSprProv(Query, text("docnumber"), text("numdocpart"), text("numbuhspr"), text("idPredpr"),
                          text("invoicefullname"), Row->FieldByName(QStringLiteral("docdate"))->AsDateTime(),
                          int16_t(Row->FieldByName(QStringLiteral("filial"))->AsInteger()));
}

void TfrmComparer::InvDBGridEhRowDetailPanelShow(TCustomDBGridEh*, bool&)
{
    if (ShowsLiveResult())
        ShowRowEntries(CompDM->CompareMemTableEh, CompDM->SelectSprProvQ);
    else
        ShowRowEntries(CompDM->TmpDararedInvMemTableEh, CompDM->SelectTmpDararedProv);
}

void TfrmComparer::DuplicatesOblpoDBGridEhRowDetailPanelShow(TCustomDBGridEh*, bool&)
{
    ShowRowEntries(CompDM->SelectSvodDuplesOblpo, CompDM->SelectSprProvQ);
}
