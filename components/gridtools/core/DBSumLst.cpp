// Totals of a dataset's fields.
#include "DBSumLst.h"

DOV_PUBLISHED(TDBSum)
{
    P.Prop("FieldName", &TDBSum::FieldName, &TDBSum::SetFieldName);
    P.Prop("GroupOperation", &TDBSum::GroupOperation, &TDBSum::SetGroupOperation).Default(goSum);
}
DOV_PUBLISHED(TDBSumCollection) {}
DOV_PUBLISHED(TDBSumListProducer) {}

TDBSum::TDBSum(TCollection* Collection) : TCollectionItem(Collection) {}
void TDBSum::Assign(TPersistent* Source) { TCollectionItem::Assign(Source); }
void TDBSum::SetFieldName(const QString& Value) { FFieldName = Value; }
void TDBSum::SetGroupOperation(TGroupOperation Value) { FGroupOperation = Value; }

TDBSumCollection::TDBSumCollection(TDBSumListProducer* Producer)
    : TCollection(TDBSum::StaticClassInfo()), FProducer(Producer)
{
}
TDBSum* TDBSumCollection::GetSumByOpAndFName(TGroupOperation, const QString&) const { return nullptr; }
TPersistent* TDBSumCollection::GetOwner() const { return FProducer; }
void TDBSumCollection::Update(TCollectionItem*) {}

TDataSet* TSLBookmarkListEh::GetDataSet() const { return FSumListProducer->DataSet(); }

TDBSumListProducer::TDBSumListProducer(TComponent* AOwner)
    : FOwner(AOwner), FSumCollection(new TDBSumCollection(this)), FVirtualRecList(new TSLBookmarkListEh(this))
{
}
TDBSumListProducer::~TDBSumListProducer() = default;
void TDBSumListProducer::Assign(TPersistent* Source) { TPersistent::Assign(Source); }
TPersistent* TDBSumListProducer::GetOwner() const { return FOwner; }
void TDBSumListProducer::Activate(bool) {}
void TDBSumListProducer::Deactivate(bool) {}
void TDBSumListProducer::ActivateIfAssigned() {}
void TDBSumListProducer::SetActive(bool Value) { FActive = Value; }
void TDBSumListProducer::SetDataSet(TDataSet* Value) { FDataSet = Value; }
void TDBSumListProducer::SetExternalRecalc(bool Value) { FExternalRecalc = Value; }
void TDBSumListProducer::SetVirtualRecords(bool Value) { FVirtualRecords = Value; }
void TDBSumListProducer::SetSumCollection(TDBSumCollection* Value) { FSumCollection->Assign(Value); }
int TDBSumListProducer::GetRecNo() { return 0; }
void TDBSumListProducer::SetRecNo(int) {}
int TDBSumListProducer::RecordCount() { return 0; }
bool TDBSumListProducer::IsSequenced() { return true; }
int TDBSumListProducer::FindVirtualRecNo(const TBookmark&) { return -1; }
void TDBSumListProducer::ClearSumValues() {}
void TDBSumListProducer::RecalcAll() {}
void TDBSumListProducer::RecalcAllForIntMemTable() {}
void TDBSumListProducer::DataSetAfterCancel(TDataSet*) {}
void TDBSumListProducer::DataSetAfterClose(TDataSet*) {}
void TDBSumListProducer::DataSetAfterEdit(TDataSet*) {}
void TDBSumListProducer::DataSetAfterInsert(TDataSet*) {}
void TDBSumListProducer::DataSetAfterOpen(TDataSet*) {}
void TDBSumListProducer::DataSetAfterPost(TDataSet*) {}
void TDBSumListProducer::DataSetAfterScroll(TDataSet*) {}
void TDBSumListProducer::DataSetBeforeDelete(TDataSet*) {}
void TDBSumListProducer::MasterDataSetAfterScroll(TDataSet*) {}
void TDBSumListProducer::RestoreDataSetEvents() {}
void TDBSumListProducer::SetDataSetEvents() {}
bool TDBSumListProducer::OwnerLoading() const { return false; }
bool TDBSumListProducer::OwnerDesigning() const { return false; }
bool TDBSumListProducer::OwnerDestroying() const { return false; }
void TDBSumListProducer::DoSumListChanged() {}
void TDBSumListProducer::RecordFilterState() {}
bool TDBSumListProducer::VirtualMode() { return false; }
void TDBSumListProducer::InsertVirtualBookmark(const TBookmark&) {}
Currency AddToTotalEh(Currency Total, double) { return Total; }
Currency SubFromTotalEh(Currency Total, double) { return Total; }
