// Data drivers: fill an in-memory table's record store from a provider dataset, all at once or
// on demand, and write the store's changes back to the provider record by record, by key fields.
#pragma once

#include "MemTableDataEh.h"

class TDataDriverEh;

// The consumer side of a driver (the in-memory table).
class IDataDriverConsumerEh {
public:
    virtual ~IDataDriverConsumerEh() = default;
    virtual void SetDataDriverConsumer(TObject* Consumer) = 0;
    virtual TObject* GetDataDriverConsumer() const = 0;
};

// What ApplyUpdates does after a record's update failed.
enum TUpdateErrorActionEh { ueaBreakAbortEh, ueaBreakRaiseEh, ueaCountinueEh, ueaRetryEh, ueaCountinueSkip };
DOV_ENUM_INFO(TUpdateErrorActionEh, ueaBreakAbortEh, ueaBreakRaiseEh, ueaCountinueEh, ueaRetryEh, ueaCountinueSkip)

using TDataDriverProduceDataReaderEhEvent = Delegate<void(TDataDriverEh* DataDriver, TDataSet*& DataReader, bool& FreeOnEof)>;
using TDataDriverBuildDataStructEhEvent = Delegate<void(TDataDriverEh* DataDriver, TMTDataStructEh* DataStruct)>;
using TDataDriverReadRecordEhEvent = Delegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                   TMemoryRecordEh* MemRec, bool& ProviderEOF)>;
using TDataDriverAssignFieldValueEhEvent = Delegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                         TMemoryRecordEh* MemRec, int DataFieldIndex,
                                                         TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet)>;
using TDataDriverRecordEhEvent = Delegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)>;
using TDataDriverUpdateErrorEhEvent = Delegate<void(TDataDriverEh* DataDriver, TMemTableDataEh* MemTableData,
                                                    TMemoryRecordEh* MemRec, TUpdateErrorActionEh& Action)>;

// Raised when a changed record's row is no longer in the provider, so the update-error action
// decides and the change stays pending.
inline constexpr const char* DataDriverRecordNotFound = "record not found";

class TDataDriverEh : public TComponent, public IDataDriverConsumerEh {
    DOV_PERSISTENT(TDataDriverEh, TComponent)
public:
    explicit TDataDriverEh(TComponent* AOwner);
    ~TDataDriverEh() override;

    QString KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QString& v) { FKeyFields = v; }
    TDataSet* ProviderDataSet() const { return FProviderDataSet; }
    void SetProviderDataSet(TDataSet* Value);
    bool ProviderEOF() const { return FProviderEOF; }
    void SetProviderEOF(bool Value);
    bool ResolveToDataSet() const { return FResolveToDataSet; }
    void SetResolveToDataSet(bool v) { FResolveToDataSet = v; }
    TDataSet* ReaderDataSet() const { return FReaderDataSet; }

    TDataDriverAssignFieldValueEhEvent OnAssignFieldValue;
    TDataDriverBuildDataStructEhEvent OnBuildDataStruct;
    TDataDriverProduceDataReaderEhEvent OnProduceDataReader;
    TDataDriverReadRecordEhEvent OnReadRecord;
    TDataDriverRecordEhEvent OnRefreshRecord;
    TDataDriverUpdateErrorEhEvent OnUpdateError;
    TDataDriverRecordEhEvent OnUpdateRecord;

    virtual bool ConnectionIsPostponed() { return false; }
    virtual void AddPostponedActivationDataSet(TDataSet*) {}
    virtual int ApplyUpdates(TMemTableDataEh* MemTableData);
    virtual int DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
    virtual TDataSet* GetDataReader();
    virtual int ReadData(TMemTableDataEh* MemTableData, int Count);
    virtual bool RefreshReaderParamsFromCursor(TDataSet* DataSet);
    virtual void AssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, int DataFieldIndex,
                                  TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet);
    virtual int UpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
    virtual void ConsumerClosed(TObject* ConsumerDataSet);
    virtual void DefaultAssignFieldValue(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, int DataFieldIndex,
                                         TDataValueVersionEh DataValueVersion, TDataSet* ReaderDataSet);
    virtual void DefaultBuildDataStruct(TMTDataStructEh* DataStruct);
    virtual void DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof);
    virtual void DefaultReadRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, bool& ProviderEOF);
    virtual void DefaultUpdateError(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec, TUpdateErrorActionEh& Action);
    virtual void DefaultRefreshRecord(TMemoryRecordEh* MemRecord);
    virtual void BuildDataStruct(TMTDataStructEh* DataStruct);
    virtual void RefreshRecord(TMemoryRecordEh* MemRecord);
    virtual void RefreshReader();
    virtual void SetReaderParamsFromCursor(TDataSet* DataSet);

    // IDataDriverConsumerEh
    void SetDataDriverConsumer(TObject* Consumer) override { FDataDriverConsumer = Consumer; }
    TObject* GetDataDriverConsumer() const override { return FDataDriverConsumer; }

protected:
    virtual void AdjustDataStruct(TFields*, TMTDataStructEh*) {}
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The provider fields the key is made of (KeyFields, else every key-capable field).
    QString UpdateKeyFields() const;

    QString FKeyFields;
    TDataSet* FProviderDataSet = nullptr;
    bool FProviderEOF = true;
    TDataSet* FReaderDataSet = nullptr;
    bool FReaderDataSetFreeOnEof = false;
    bool FResolveToDataSet = true;
    TObject* FDataDriverConsumer = nullptr;
    // Reader field per data field of the store (nullptr: no reader field of that name).
    std::vector<TField*> FDataToRecFields;
    bool FFieldMapBuilt = false;
};

class TDataSetDriverEh : public TDataDriverEh {
    DOV_PERSISTENT(TDataSetDriverEh, TDataDriverEh)
public:
    explicit TDataSetDriverEh(TComponent* AOwner) : TDataDriverEh(AOwner) {}
};

// Field types by which a provider row can be found when the driver has no key fields.
bool IsKeyCapableFieldTypeEh(TFieldType t);
