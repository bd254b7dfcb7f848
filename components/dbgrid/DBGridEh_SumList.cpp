// The grid's footer sum list and the maker that gives column footers their totals in it.
#include "DBGridEh.h"

#include "platform/rtl/Guards.h"

DOV_PUBLISHED(TDBGridEhSumList)
{
    using S = TDBGridEhSumList;
    P.Prop("Active", &S::Active, &S::SetActive).Default(false);
    P.Prop("ExternalRecalc", &S::ExternalRecalc, &S::SetExternalRecalc).Default(false);
    P.Prop("OnRecalcAll", &S::OnRecalcAll);
    P.Prop("OnAfterRecalcAll", &S::OnAfterRecalcAll);
    P.Prop("SumListChanged", &S::SumListChanged);
    P.Prop("VirtualRecords", &S::VirtualRecords, &S::SetVirtualRecords).Default(false);
}

TDBGridEhSumList::TDBGridEhSumList(TComponent* AOwner) : TDBSumListProducer(AOwner)
{
    FDesignTimeWork = true;
    SetActive(false);
}

TCustomDBGridEh* TDBGridEhSumList::Grid() const { return dynamic_cast<TCustomDBGridEh*>(FOwner); }

void TDBGridEhSumList::RecalcAll()
{
    if (!OwnerLoading() && Grid())
        TDBSumListProducer::RecalcAll();
}

// In a form designer the totals come from full recalculations; the designer's dataset keeps
// its own events.
void TDBGridEhSumList::SetDataSetEvents()
{
    if (OwnerDesigning())
        FEventsOverloaded = true;
    else
        TDBSumListProducer::SetDataSetEvents();
}

void TDBGridEhSumList::RestoreDataSetEvents()
{
    if (OwnerDesigning())
        FEventsOverloaded = false;
    else
        TDBSumListProducer::RestoreDataSetEvents();
}

namespace {

IFooterSumEh* MakeGridFooterSum(TCustomDBGridEh* Grid, TGroupOperation Operation, const QString& FieldName)
{
    if (!Grid || !Grid->SumList())
        return nullptr;
    TDBSumCollection* sums = Grid->SumList()->SumCollection();
    // One recalculation for the new item, not one per setting.
    sums->BeginUpdate();
    auto endUpdate = Finally([sums] { sums->EndUpdate(); });
    TDBSum* sum = sums->Add();
    sum->SetGroupOperation(Operation);
    sum->SetFieldName(FieldName);
    return sum;
}

const bool GMakerRegistered = (RegisterGridFooterSumMakerEh(), true);

}  // namespace

void RegisterGridFooterSumMakerEh()
{
    (void)GMakerRegistered;
    SetFooterSumMakerEh(&MakeGridFooterSum);
}
