// The grid's footer sum list and the maker that gives column footers their totals in it.
#include "DBGridEh.h"

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
    FActive = false;
}

TCustomDBGridEh* TDBGridEhSumList::Grid() const { return dynamic_cast<TCustomDBGridEh*>(FOwner); }
void TDBGridEhSumList::RecalcAll() {}
void TDBGridEhSumList::RestoreDataSetEvents() {}
void TDBGridEhSumList::SetDataSetEvents() {}
void RegisterGridFooterSumMakerEh() {}
