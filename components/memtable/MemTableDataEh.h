// The record store of the in-memory dataset: the data structure and its field classes, memory
// records with their value versions, the records list with cached updates and indexes, the data
// container, records views (flat or as a record tree), aggregates and the evaluator of compiled
// filter and aggregate expressions. Sections live in MemTableDataEh_<Section>.cpp.
#pragma once

#include "BlockSeqEh.h"
#include "MemTreeEh.h"

#include "components/foundation/core/ToolCtrlsEh_Core.h"
#include "platform/db/DB.h"
#include "platform/db/DBCommon.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"

#include <QHash>

#include <memory>
#include <unordered_map>
#include <vector>

class TMTDataStructEh;
class TMTDataFieldEh;
class TMemoryRecordEh;
class TRecordsListEh;
class TMemTableDataEh;
class TRecordsViewEh;
class TMTIndexEh;
class TMTIndexesEh;
class TMemRecViewEh;
class TMemoryTreeListEh;
class TMTAggregatesEh;
class TDataSetExprParserEh;

using TRecDataValues = std::vector<Variant>;
using TIntArray = std::vector<int>;

// ============================================================================================
// Value comparison shared by view sorting, tree ordering and indexes (MemTableDataEh_Compare.cpp)
// ============================================================================================

// A total order over stored values: Empty and Null first (equal to each other), numbers, money,
// dates and Booleans by value, texts by the Russian collation (case-folded when asked), arrays
// element by element; values of kinds that cannot be compared are ordered by kind, never
// "equal", so the result is a strict weak ordering that std::stable_sort may use.
int CompareValuesEh(const Variant& A, const Variant& B, bool CaseFold = false);

// The record comparison over sort keys of the store (MTFieldIndex of each item): item by item,
// Desc swaps, ties broken by the records' positions in their records list.
int CompareRecordsByOrderEh(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TOrderByList* OrderBy);

// ============================================================================================
// Data structure and field classes (MemTableDataEh_Struct.cpp, MemTableDataEh_Fields.cpp)
// ============================================================================================

enum TMTStringDataTypeEh { fdtStringEh, fdtFixedCharEh, fdtWideStringEh, fdtGuidEh, fdtFixedWideCharEh, fdtOraIntervalEh };
DOV_ENUM_INFO(TMTStringDataTypeEh, fdtStringEh, fdtFixedCharEh, fdtWideStringEh, fdtGuidEh, fdtFixedWideCharEh, fdtOraIntervalEh)
enum TMTNumericDataTypeEh {
    fdtSmallintEh, fdtIntegerEh, fdtWordEh, fdtFloatEh, fdtCurrencyEh, fdtBCDEh, fdtAutoIncEh,
    fdtLargeintEh, fdtFMTBcdEh, fdtLongWordEh, fdtShortintEh, fdtByteEh, fdtExtendedEh
};
DOV_ENUM_INFO(TMTNumericDataTypeEh, fdtSmallintEh, fdtIntegerEh, fdtWordEh, fdtFloatEh, fdtCurrencyEh, fdtBCDEh, fdtAutoIncEh, fdtLargeintEh, fdtFMTBcdEh, fdtLongWordEh, fdtShortintEh, fdtByteEh, fdtExtendedEh)
enum TMTDateTimeDataTypeEh { fdtDateEh, fdtTimeEh, fdtDateTimeEh };
DOV_ENUM_INFO(TMTDateTimeDataTypeEh, fdtDateEh, fdtTimeEh, fdtDateTimeEh)
enum TMTInterfaceDataTypeEh { fdtInterfaceEh, fdtIDispatchEh };
DOV_ENUM_INFO(TMTInterfaceDataTypeEh, fdtInterfaceEh, fdtIDispatchEh)
enum TMTVariantDataTypeEh { fdtVariant, fdtBytes, fdtVarBytes };
DOV_ENUM_INFO(TMTVariantDataTypeEh, fdtVariant, fdtBytes, fdtVarBytes)
enum TMTSQLTimeStampDataTypeEh { fdtTimeStampEh, fdtOraTimeStampEh };
DOV_ENUM_INFO(TMTSQLTimeStampDataTypeEh, fdtTimeStampEh, fdtOraTimeStampEh)

// Unit routines by which values enter record slots and streams.
void CastToFieldVarTypeEh(Variant& Dest, const Variant& Source, TVarType VarType);
void VarToByteArrayEh(const Variant& Value, Variant& Result);
void ByteArrayToVarEh(const Variant& Bytes, Variant& Result, TVarType VarType);
// The variant type code of a one-dimensional array of bytes.
constexpr TVarType varByteArrayEh = varArray | varByte;
bool VarIsByteArrayEh(const Variant& v);
Variant ConvertRestructValueEh(TMTDataFieldEh* OldField, const Variant& Value, TMTDataFieldEh* NewField);

class TMTDataFieldEh : public TComponent {
    DOV_PERSISTENT(TMTDataFieldEh, TComponent)
public:
    explicit TMTDataFieldEh(TComponent* AOwner);
    void AfterConstruction() override;
    ~TMTDataFieldEh() override;

    TMTDataStructEh* DataStruct() const { return FDataStruct; }
    void SetDataStruct(TMTDataStructEh* Value);
    int64_t FieldId() const { return FFieldId; }
    QString GUID() const { return FGUID; }
    TVarType VarDataType() const { return FVarDataType; }
    int Index() const;
    void SetIndex(int Value);
    TFieldType DataType() const { return GetDataType(); }
    int DisplayWidth() const { return GetDisplayWidth(); }

    virtual int DefaultSize() const { return 0; }
    virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
    virtual TAlignment GetAlignment() const { return FAlignment; }
    virtual bool GetAutoIncrement() const { return FAutoIncrement; }
    virtual TFieldType GetDataType() const { return ftUnknown; }
    virtual QString GetDefaultExpression() const { return FDefaultExpression; }
    virtual int GetDefaultWidth() const { return 10; }
    virtual QString GetDisplayLabel() const { return FDisplayLabel; }
    virtual int GetDisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
    virtual QString GetEditMask() const { return FEditMask; }
    virtual QString GetFieldName() const { return FFieldName; }
    virtual bool ReadOnly() const { return FReadOnly; }
    virtual bool GetRequired() const { return FRequired; }
    virtual int GetSize() const { return FSize; }
    virtual bool GetVisible() const { return FVisible; }
    virtual void SetAlignment(TAlignment Value);
    virtual void SetAutoIncrement(bool Value);
    virtual void SetDefaultExpression(const QString& Value);
    virtual void SetDisplayLabel(const QString& Value);
    virtual void SetDisplayWidth(int Value);
    virtual void SetEditMask(const QString& Value);
    virtual void SetFieldName(const QString& Value);
    virtual void SetReadOnly(bool Value);
    virtual void SetRequired(bool Value);
    virtual void SetSize(int Value);
    virtual void SetVisible(bool Value);
    virtual bool CanDinaSize() const { return false; }
    virtual TVarType GetVarDataType() const;
    virtual void AssignDataType(TFieldType FieldType);
    virtual void AssignProps(TField* Field);
    virtual void AssignPropsTo(TField* Field);
    virtual void WriteDataToWriter(const Variant& Value, TWriter* Writer);
    virtual void ReadDataFromReader(Variant& Value, TReader* Reader);

    void Assign(TPersistent* Source) override;

    // Streaming: a field is a child of its structure.
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    // Accessors of the published block.
    QString FieldNameProp() const { return GetFieldName(); }
    void SetFieldNameProp(const QString& v) { SetFieldName(v); }
    bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
    int DisplayWidthProp() const { return FDisplayWidth; }

protected:
    void Changed();
    void UpdateVarDataType() { FVarDataType = GetVarDataType(); }
    void CopyBaseProps(TMTDataFieldEh* Source);
    QString MakeComponentName(const QString& FieldName) const;
    // Whether the data-type code asks for the binary form in streams.
    bool IsBinaryStreamed() const;

    TAlignment FAlignment = taLeftJustify;
    bool FAutoIncrement = false;
    TMTDataStructEh* FDataStruct = nullptr;
    QString FDefaultExpression;
    QString FDisplayLabel;
    int FDisplayWidth = 0;
    QString FEditMask;
    int64_t FFieldId = 0;
    QString FFieldName;
    QString FGUID;
    bool FReadOnly = false;
    bool FRequired = false;
    int FSize = 0;
    bool FVisible = true;
    TVarType FVarDataType = varEmpty;

    friend class TMTDataStructEh;
    friend class TMemTableDataEh;
};

using TMTDataFieldClassEh = const TClassInfo*;

class TMTStringDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTStringDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTStringDataFieldEh(TComponent* AOwner);
    TMTStringDataTypeEh StringDataType() const { return FStringDataType; }
    void SetStringDataType(TMTStringDataTypeEh v);
    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool v);
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool v);
    int DefaultSize() const override { return 20; }
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override { return FSize < 100 ? FSize : 100; }
    bool CanDinaSize() const override { return true; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;

protected:
    bool FFixedChar = false;
    bool FTransliterate = false;
    TMTStringDataTypeEh FStringDataType = fdtStringEh;
};

class TMTNumericDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTNumericDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTNumericDataFieldEh(TComponent* AOwner);
    TMTNumericDataTypeEh NumericDataType() const { return FNumericDataType; }
    void SetNumericDataType(TMTNumericDataTypeEh v);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);
    QString EditFormat() const { return FEditFormat; }
    void SetEditFormat(const QString& v);
    bool IsCurrency() const { return FCurrency; }
    void SetCurrency(bool v);
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double v);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double v);
    int Precision() const { return FPrecision; }
    void SetPrecision(int v);
    int Scale() const { return FSize; }
    void SetScale(int v) { SetSize(v); }
    bool IsScaleStored() const { return CanDinaSize(); }
    TAlignment DefaultAlignment() const override { return taRightJustify; }
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override;
    bool CanDinaSize() const override { return FNumericDataType == fdtBCDEh || FNumericDataType == fdtFMTBcdEh; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;

protected:
    QString FDisplayFormat, FEditFormat;
    bool FCurrency = false;
    double FMaxValue = 0, FMinValue = 0;
    int FPrecision = 15;
    TMTNumericDataTypeEh FNumericDataType = fdtIntegerEh;
};

class TMTDateTimeDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTDateTimeDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTDateTimeDataFieldEh(TComponent* AOwner);
    TMTDateTimeDataTypeEh DateTimeDataType() const { return FDateTimeDataType; }
    void SetDateTimeDataType(TMTDateTimeDataTypeEh v);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override { return 18; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;

protected:
    QString FDisplayFormat;
    TMTDateTimeDataTypeEh FDateTimeDataType = fdtDateTimeEh;
};

class TMTBlobDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTBlobDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTBlobDataFieldEh(TComponent* AOwner);
    TBlobType BlobType() const { return FBlobType; }
    void SetBlobType(TBlobType v);
    bool GraphicHeader() const { return FGraphicHeader; }
    void SetGraphicHeader(bool v);
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool v);
    TFieldType GetDataType() const override { return FBlobType; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;

protected:
    bool FGraphicHeader = false;
    bool FTransliterate = false;
    TBlobType FBlobType = ftBlob;
};

class TMTBooleanDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTBooleanDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTBooleanDataFieldEh(TComponent* AOwner);
    QString DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const QString& v);
    TFieldType GetDataType() const override { return ftBoolean; }
    int GetDefaultWidth() const override;
    void AssignDataType(TFieldType FieldType) override {}
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;

protected:
    QString FDisplayValues;
};

class TMTInterfaceDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTInterfaceDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTInterfaceDataFieldEh(TComponent* AOwner);
    TMTInterfaceDataTypeEh InterfaceDataType() const { return FInterfaceDataType; }
    void SetInterfaceDataType(TMTInterfaceDataTypeEh v);
    TFieldType GetDataType() const override { return FInterfaceDataType == fdtInterfaceEh ? ftInterface : ftIDispatch; }
    void AssignDataType(TFieldType FieldType) override;

protected:
    TMTInterfaceDataTypeEh FInterfaceDataType = fdtInterfaceEh;
};

class TMTVariantDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTVariantDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTVariantDataFieldEh(TComponent* AOwner);
    TMTVariantDataTypeEh VariantDataType() const { return FVariantDataType; }
    void SetVariantDataType(TMTVariantDataTypeEh v);
    bool IsSizeStored() const { return CanDinaSize() && FSize != 16; }
    TFieldType GetDataType() const override;
    int GetDefaultWidth() const override { return 15; }
    bool CanDinaSize() const override { return FVariantDataType == fdtBytes || FVariantDataType == fdtVarBytes; }
    void AssignDataType(TFieldType FieldType) override;

protected:
    TMTVariantDataTypeEh FVariantDataType = fdtVariant;
};

class TMTRefObjectFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTRefObjectFieldEh, TMTDataFieldEh)
public:
    explicit TMTRefObjectFieldEh(TComponent* AOwner);
    TFieldType GetDataType() const override { return ftUnknown; }
    bool CanDinaSize() const override { return true; }
    // Pointer wide: an object reference squeezed into 32 bits would point elsewhere.
    TVarType GetVarDataType() const override { return varObject; }
    void AssignDataType(TFieldType FieldType) override;
};

class TMTSQLTimeStampDataFieldEh : public TMTDataFieldEh {
    DOV_PERSISTENT(TMTSQLTimeStampDataFieldEh, TMTDataFieldEh)
public:
    explicit TMTSQLTimeStampDataFieldEh(TComponent* AOwner);
    TMTSQLTimeStampDataTypeEh SQLTimeStampDataFieldType() const { return FSQLTimeStampDataFieldType; }
    void SetSQLTimeStampDataFieldType(TMTSQLTimeStampDataTypeEh v);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);
    TFieldType GetDataType() const override { return FSQLTimeStampDataFieldType == fdtTimeStampEh ? ftTimeStamp : ftOraTimeStamp; }
    void AssignDataType(TFieldType FieldType) override;
    void AssignProps(TField* Field) override;
    void AssignPropsTo(TField* Field) override;
    void Assign(TPersistent* Source) override;

protected:
    QString FDisplayFormat;
    TMTSQLTimeStampDataTypeEh FSQLTimeStampDataFieldType = fdtTimeStampEh;
};

// The field class for a framework data type; nullptr for types without one.
TMTDataFieldClassEh DefaultDataFieldClassForType(TFieldType DataType);
// The variant type in which values of a data type are held.
TVarType DataTypeToVarTypeEh(TFieldType DataType);

// The hook of grid-side dataset features: an object registered for a dataset class that builds
// the data field for a framework field in place of the structure. Nothing registers one here.
class TDataSetFeaturesEh : public TObject {
public:
    virtual void BuildDataStructFieldForField(TMTDataStructEh* DataStruct, TField* Field) = 0;
};
TDataSetFeaturesEh* LookupDataSetFeatures(TDataSet* DataSet);
void RegisterDataSetFeaturesEh(const TClassInfo& DataSetClass, TDataSetFeaturesEh* Features);

class TMTDataStructEh : public TComponent {
    DOV_PERSISTENT(TMTDataStructEh, TComponent)
public:
    explicit TMTDataStructEh(TComponent* AOwner);   // AOwner: the data container or nullptr
    ~TMTDataStructEh() override;

    TMemTableDataEh* MemTableData() const { return FMemTableData; }
    int Count() const { return int(FList.size()); }
    TMTDataFieldEh* DataFields(int Index) const { return GetDataField(Index); }
    TMTDataFieldEh* GetDataField(int Index) const;
    TMTDataFieldEh* CreateField(TMTDataFieldClassEh FieldClass);
    template <typename F> F* CreateField() { return static_cast<F*>(CreateField(&F::StaticClassInfo())); }
    void InsertField(TMTDataFieldEh* Field);
    void RemoveField(TMTDataFieldEh* Field);
    void Clear();
    TMTDataFieldEh* FindField(const QString& FieldName) const;
    TMTDataFieldEh* FieldByName(const QString& FieldName) const;
    int FieldIndex(const QString& FieldName) const;
    TIntArray FieldsIndex(const QString& FieldNames) const;
    void GetFieldList(std::vector<TMTDataFieldEh*>& List, const QString& FieldNames) const;
    TMTDataFieldEh* FindFieldByGIUD(const QString& GUID) const;
    void CheckFieldName(const QString& Name) const;

    void BuildStructFromFieldDefs(TFieldDefs* FieldDefs);
    void BuildStructFromFields(TFields* Fields);
    TMTDataFieldEh* BuildDataFieldForFieldDef(TFieldDef* AFieldDef);
    TMTDataFieldEh* BuildDataFieldForDef(const QString& Name, TFieldType DataType, int Size, int Precision);
    TMTDataFieldEh* BuildDataFieldForField(TField* AField);
    TMTDataFieldEh* BuildAndCopyDataFieldForField(TField* AField);
    void BuildFieldDefsFromStruct(TFieldDefs* FieldDefs);

    void Assign(TPersistent* Source) override;
    TMTDataStructEh* GetCopy();
    TMTDataStructEh* BeginRestructure() { return GetCopy(); }
    void EndRestructure(TMTDataStructEh*& NewStrcuture, bool ApplyNewStrcuture);
    TMTDataFieldEh* ChangeFieldType(const QString& FieldName, TMTDataFieldClassEh FieldClass);

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate(bool AStructChanged);
    void StructChanged();
    bool IsStructChanged() const { return FStructChanged; }
    void ClearStructChanged() { FStructChanged = false; }
    TNotifyEvent OnStructChanged;

    // Streaming: the fields are the structure's children and owned by it.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    TComponent* GetChildOwner() override { return this; }

    int64_t NextFieldId() const { return FNextFieldId; }

protected:
    void RestructRecordsData(TMTDataStructEh* NewStruct);
    void MoveField(TMTDataFieldEh* Field, int NewIndex);

    std::vector<TMTDataFieldEh*> FList;
    TMemTableDataEh* FMemTableData = nullptr;
    int64_t FNextFieldId = 0;
    bool FStructChanged = false;
    int FUpdateCount = 0;

    friend class TMTDataFieldEh;
    friend class TMemTableDataEh;
};

// ============================================================================================
// Memory records (MemTableDataEh_Records.cpp)
// ============================================================================================

enum TDataValueVersionEh { dvvOldValueEh, dvvCurValueEh, dvvEditValueEh, dvvValueEh, dvvOldestValue, dvvRefreshValue };
enum TRecordEditStateEh { resBrowseEh, resEditEh, resInsertEh, resEditForRefresh };

class TUpdateErrorEh : public TObject {
public:
    explicit TUpdateErrorEh(Exception* AException) : FException(AException) {}
    Exception* GetException() const { return FException.get(); }

private:
    std::unique_ptr<Exception> FException;
};

class TMemoryRecordEh;
// Owns a record that has left, or not yet joined, the lists of its records list.
using TMemoryRecordOwnerEh = std::unique_ptr<TMemoryRecordEh>;
// Owns a new record until its records list takes it: frees it only while it is unattached,
// so a failure between NewRecord and the attach leaks nothing. Release it once attached.
struct TNewRecordDeleterEh {
    void operator()(TMemoryRecordEh* Rec) const;
};
using TNewRecordEh = std::unique_ptr<TMemoryRecordEh, TNewRecordDeleterEh>;

class TMemoryRecordEh : public TPersistent {
public:
    TMemoryRecordEh();
    ~TMemoryRecordEh() override;

    void Edit();
    void EditForRefresh();
    void Post();
    // Frees the record when it was never attached (a cancelled insert): do not touch it after.
    void Cancel();
    void MergeChanges();
    void RevertRecord();
    void RefreshRecord(TMemoryRecordEh* Rec);

    TRecordEditStateEh EditState() const { return TRecordEditStateEh(FEditState); }
    bool EditChanged() const { return FEditChanged; }
    TUpdateStatus UpdateStatus() const { return TUpdateStatus(FUpdateStatus); }
    void SetUpdateStatus(TUpdateStatus v) { FUpdateStatus = uint8_t(v); }
    int UpdateIndex() const { return FUpdateIndex; }
    TUpdateErrorEh* UpdateError() const { return FExtra ? FExtra->UpdateError.get() : nullptr; }
    void SetUpdateError(TUpdateErrorEh* v);
    // The position in the records list; kept lazily: a change of the list in front of the
    // record makes the next read find it again (O(log n)).
    int Index() const;
    bool Attached() const { return FBlock != nullptr; }
    // The structure of the records list that made the record (a shadow list answers its
    // master's).
    TMTDataStructEh* DataStruct() const;
    TRecordsListEh* RecordsList() const { return FRecordsList; }
    uint32_t HashCode() const { return FHashCode; }

    TRecDataValues& Data() { return FData; }
    const TRecDataValues& Data() const { return FData; }
    const TRecDataValues& OldData() const;
    bool HasOldData() const { return FExtra && !FExtra->OldData.empty(); }
    bool HasEditCopy() const { return FExtra && !FExtra->TmpOldRecValue.empty(); }

    Variant GetDataValue(int FieldIndex, TDataValueVersionEh Version) const;
    void SetDataValue(int FieldIndex, TDataValueVersionEh Version, const Variant& Value);
    // The stored value without a copy (the current values).
    const Variant& ValueRef(int FieldIndex) const { return FData[size_t(FieldIndex)]; }
    Variant GetDataValues(const QString& FieldNames, TDataValueVersionEh Version) const;
    void SetDataValues(const QString& FieldNames, TDataValueVersionEh Version, const Variant& VarValue);
    Variant GetDataIndexValues(const TIntArray& FieldIndexes, TDataValueVersionEh Version) const;
    void SetDataIndexValues(const TIntArray& FieldIndexes, TDataValueVersionEh Version, const Variant& VarValue);

    void ReadData(TReader* Reader);
    void WriteData(TWriter* Writer);

protected:
    // Old values, the edit copy and an update error are rare: one pointer instead of two
    // arrays and an owner per record.
    struct Extra {
        TRecDataValues OldData;
        TRecDataValues TmpOldRecValue;
        std::unique_ptr<TUpdateErrorEh> UpdateError;
        bool Empty() const { return OldData.empty() && TmpOldRecValue.empty() && !UpdateError; }
    };
    Extra& Ext();
    // Frees the extra part once it holds nothing.
    void TrimExtra();
    void DropEditCopy();
    void ClearOldData();
    TRecDataValues& ArrayFor(TDataValueVersionEh Version, bool ForWrite);
    const TRecDataValues& ArrayFor(TDataValueVersionEh Version) const;

    // A million rows are a million of these: keep the fields few and packed.
    TRecDataValues FData;
    std::unique_ptr<Extra> FExtra;
    TRecordsListEh* FRecordsList = nullptr;
    TSeqBlockEh* FBlock = nullptr;      // the block of the records list holding the record
    mutable int FIndex = -1;
    mutable uint32_t FIndexStamp = 0;   // the list's stamp when FIndex was last right
    // The block of the flat view of its container's first view that holds the record, valid
    // while FViewGeneration is that view's current one (else the view does not show it).
    TSeqBlockEh* FViewBlock = nullptr;
    uint32_t FViewGeneration = 0;
    uint32_t FHashCode = 0;
    int FUpdateIndex = -1;
    uint8_t FEditState = resInsertEh;       // TRecordEditStateEh
    uint8_t FUpdateStatus = usUnmodified;   // TUpdateStatus
    bool FEditChanged = false;

    friend class TRecordsListEh;
    friend class TMTDataStructEh;
    friend class TRecordsViewEh;
};

// ============================================================================================
// Records list, cached updates and the data container (MemTableDataEh_List.cpp)
// ============================================================================================

enum TRecordsListNotification {
    rlnRecAddingEh, rlnRecAddedEh, rlnRecChangingEh, rlnRecChangedEh, rlnRecDeletingEh, rlnRecDeletedEh,
    rlnListChangingEh, rlnListChangedEh, rlnRecMarkingForDelEh, rlnRecMarkedForDelEh
};

using TCompareRecords = Delegate<int(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2, TObject* ParamSort)>;
using TRecordsRangesEh = std::vector<std::pair<int, int>>;   // inclusive first and last index

class TRecordsListEh : public TComponent {
    DOV_PERSISTENT(TRecordsListEh, TComponent)
public:
    explicit TRecordsListEh(TComponent* AMemTableData);
    ~TRecordsListEh() override;

    TMemTableDataEh* MemTableData() const { return FMemTableData; }
    TMTDataStructEh* DataStruct() const;
    TMTIndexesEh* Indexes() const { return FIndexes.get(); }

    TMemoryRecordEh* NewRecord();
    int AddRecord(TMemoryRecordEh* Rec);
    void InsertRecord(int Index, TMemoryRecordEh* Rec);
    int FetchRecord(TMemoryRecordEh* Rec);
    void DeleteRecord(int Index);
    void DeleteRecords(const TRecordsRangesEh& RecordsRanges);
    void PersistDeleteRecord(int Index);
    void PersistDeleteRecords(const TRecordsRangesEh& RecordsRanges);
    void PersistRemoveRecord(int Index);

    TMemoryRecordEh* GetRec(int Index) const;
    TMemoryRecordEh* Rec(int Index) const { return GetRec(Index); }
    void SetRec(int Index, TMemoryRecordEh* Rec);
    int Count() const { return FRecSeq.Size(); }
    int RecValCount() const;
    int IndexOf(TMemoryRecordEh* Rec) const;
    // The active records in order, gathered when first asked after a change (O(n)).
    const std::vector<TMemoryRecordEh*>& Records() const;
    template <typename F>
    void ForEachRecord(F&& Fn) const
    {
        FRecSeq.ForEach([&](void* r) { Fn(static_cast<TMemoryRecordEh*>(r)); });
    }
    // Puts the active records in the given order (the same records), renumbering them.
    void AssignOrder(const std::vector<TMemoryRecordEh*>& Recs);
    Variant GetValue(int RecNo, int ValNo) const;
    void SetValue(int Index, int ValNo, const Variant& Value);
    void Move(int CurIndex, int NewIndex);
    void SortData(const TCompareRecords& Compare, TObject* ParamSort);

    bool CachedUpdates() const { return FCachedUpdates; }
    void SetCachedUpdates(bool v) { FCachedUpdates = v; }
    bool HasCachedChanges() const { return !FDeltaList.empty(); }
    const std::vector<TMemoryRecordEh*>& DeltaList() const { return FDeltaList; }
    const std::vector<TMemoryRecordOwnerEh>& DeletedList() const { return FDeletedList; }
    void CancelUpdates();
    void MergeChangeLog();
    void CleanupChangedRecs();
    void RevertRecord(int Index);
    void RefreshRecord(int Index, TMemoryRecordEh* FromRec);
    void Clear();
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    void SetAutoIncValue(TMemoryRecordEh* Rec);

    // Sends a notice to the indexes and then to the container's listeners.
    void Notify(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    // Hands one change to the listeners that apply updates, through a shadow container
    // (cached updates off); values set while applying are copied back into Rec.
    void ApplyImmediate(TMemoryRecordEh* Rec, TUpdateKind Kind);

protected:
    void DefineProperties(TFiler* Filer) override;
    void ReadDataProp(TReader* Reader);
    void WriteDataProp(TWriter* Writer);
    void AttachRecord(TMemoryRecordEh* Rec, int Index, bool Fetching);
    // Positions from some point on have moved: every record finds its position again when asked.
    void Shifted();
    void RenumberAll() const;
    int FindIndex(const TMemoryRecordEh* Rec) const;
    static void SetRecBlock(void* Rec, TSeqBlockEh* Block);
    static void DeleteRec(void* Rec);
    void FreeRecord(TMemoryRecordEh* Rec);
    // Puts the kept records in order; the others are freed when the returned owners go.
    std::vector<TMemoryRecordOwnerEh> KeepOnly(const std::vector<TMemoryRecordEh*>& Keep,
                                               const std::vector<TMemoryRecordEh*>& Gone);
    void AddToDelta(TMemoryRecordEh* Rec);
    void DropFromDelta(TMemoryRecordEh* Rec);
    // Texts that repeat in a column (branch names, statuses) are kept once: an attached
    // record's text takes the block of an equal text seen before. A column with many distinct
    // texts stops being looked at.
    void InternTexts(TMemoryRecordEh* Rec);
    void ResetTextIntern() { FTextIntern.clear(); }
    struct TextIntern {
        QHash<QString, Variant> Map;
        bool Off = false;
    };
    std::vector<TextIntern> FTextIntern;

    // The active records; the sequence owns them.
    TBlockSeqEh FRecSeq{&TRecordsListEh::SetRecBlock, &TRecordsListEh::DeleteRec};
    mutable std::vector<TMemoryRecordEh*> FRecVec;
    mutable bool FRecVecValid = true;
    uint32_t FStamp = 1;
    mutable int FSlowIndexReads = 0;
    std::vector<TMemoryRecordEh*> FDeltaList;
    std::vector<TMemoryRecordOwnerEh> FDeletedList;
    bool FCachedUpdates = false;
    int FUpdateCount = 0;
    uint32_t FNewHashCode = 1;
    std::unique_ptr<TMTIndexesEh> FIndexes;
    TMemTableDataEh* FMemTableData = nullptr;

    friend class TMemoryRecordEh;
    friend class TMemTableDataEh;
};

inline TMTDataStructEh* TMemoryRecordEh::DataStruct() const
{
    return FRecordsList ? FRecordsList->DataStruct() : nullptr;
}

inline int TMemoryRecordEh::Index() const
{
    if (!FBlock)
        return -1;
    if (FIndexStamp == FRecordsList->FStamp)
        return FIndex;
    return FRecordsList->FindIndex(this);
}

class TAutoIncrementEh : public TPersistent {
    DOV_PERSISTENT(TAutoIncrementEh, TPersistent)
public:
    TAutoIncrementEh() = default;
    int Promote() { const int r = FCurValue; FCurValue += FStep; return r; }
    void Reset() { FCurValue = FInitValue; }
    int InitValue() const { return FInitValue; }
    void SetInitValue(int v);
    int Step() const { return FStep; }
    void SetStep(int v) { FStep = v; }
    int CurValue() const { return FCurValue; }
    void SetCurValue(int v) { FCurValue = v; }
    void Assign(TPersistent* Source) override;

private:
    int FStep = -1;
    int FInitValue = -1;
    int FCurValue = -1;
};

class TRecordsListNotificatorEh;

class TMemTableDataEh : public TComponent {
    DOV_PERSISTENT(TMemTableDataEh, TComponent)
public:
    explicit TMemTableDataEh(TComponent* AOwner);
    ~TMemTableDataEh() override;

    TMTDataStructEh* DataStruct() const { return GetDataStruct(); }
    TRecordsListEh* RecordsList() const { return GetRecordsList(); }
    TAutoIncrementEh* AutoIncrement() const { return GetAutoIncrement(); }
    bool IsEmpty() const { return DataStruct()->Count() == 0; }
    bool RestructMode() const { return FRestructMode; }
    bool StoreStructInStream = false;
    bool StoreRecordsInStream = false;
    const TIntArray& IncFieldIndexes() const { return FIncFieldIndexes; }
    const std::vector<TRecordsListNotificatorEh*>& Notificators() const { return FNotificators; }

    virtual TAutoIncrementEh* GetAutoIncrement() const { return FAutoIncrement.get(); }
    virtual TMTDataStructEh* GetDataStruct() const { return FDataStruct; }
    virtual TRecordsListEh* GetRecordsList() const { return FRecordsList.get(); }
    virtual void AddNotificator(TRecordsListNotificatorEh* RecordsListNotificator);
    virtual void NotifyApplyUpdates(TMemTableDataEh* AMemTableData);
    virtual void BeforeFieldNameChange() {}
    virtual void NotifyDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void NotifyRecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);
    virtual void SetAutoIncrement(TAutoIncrementEh* Value);
    virtual void AssignAutoIncValues(TMemoryRecordEh* Rec);
    virtual void NotifyStructChanged();
    virtual TMTDataStructEh* BeginRestruct();
    virtual int FetchRecords(int Count);
    virtual void CancelRestruct();
    virtual void CommitRestruct();
    virtual void DestroyTable();
    virtual void ResetRecords();

    void RemoveNotificator(TRecordsListNotificatorEh* RecordsListNotificator);
    bool HasApplyUpdatesListener() const;
    // The view whose items the records remember (the first view attached).
    TRecordsViewEh* TagView() const { return FTagView; }

    // Streaming: the structure and the records list are children.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void ReadState(TReader* Reader) override;
    // Writes the whole store to a component stream (binary) / reads it back into this store.
    void SaveToStream(TStream* Stream);
    void LoadFromStream(TStream* Stream);
    // Replaces this store's structure and records by Source's, which is left empty.
    void TakeOver(TMemTableDataEh* Source);

protected:
    void DefineProperties(TFiler* Filer) override;

    TMTDataStructEh* FDataStruct = nullptr;
    TMTDataStructEh* FNewDataStruct = nullptr;
    std::unique_ptr<TRecordsListEh> FRecordsList;
    std::unique_ptr<TAutoIncrementEh> FAutoIncrement;
    std::vector<TRecordsListNotificatorEh*> FNotificators;
    TIntArray FIncFieldIndexes;
    bool FRestructMode = false;
    TRecordsViewEh* FTagView = nullptr;
};

class TMemTableDataShadowEh : public TMemTableDataEh {
public:
    explicit TMemTableDataShadowEh(TMemTableDataEh* AMasterTable);
    TMTDataStructEh* GetDataStruct() const override;
    void AssignAutoIncValues(TMemoryRecordEh* Rec) override {}

private:
    TMemTableDataEh* FMasterTable;
};

using TRecordsListNotificatorDataEventEh = Delegate<void(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)>;
using TRecordsListApplyUpdatesEventEh = Delegate<void(TMemTableDataEh* AMemTableData)>;
using TRecordsListFetchRecordsEventEh = Delegate<int(int Count)>;
using TRecordsListRecordMovedEventEh = Delegate<void(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex)>;

class TRecordsListNotificatorEh : public TComponent {
public:
    explicit TRecordsListNotificatorEh(TComponent* AOwner);
    ~TRecordsListNotificatorEh() override;

    TComponent* DataObject() const { return FDataObject; }
    void SetDataObject(TComponent* Value);
    TMemTableDataEh* MemTableData() const { return FMemTableData; }
    void SetMemTableData(TMemTableDataEh* Value) { SetDataObject(Value); }

    TRecordsListNotificatorDataEventEh OnDataEvent;
    TRecordsListNotificatorDataEventEh OnAfterDataEvent;
    TRecordsListApplyUpdatesEventEh OnApplyUpdates;
    TRecordsListFetchRecordsEventEh OnFetchRecords;
    TRecordsListRecordMovedEventEh OnRecordMoved;
    TRecordsListApplyUpdatesEventEh OnStructChanged;

    virtual int DoFetchRecords(int Count);
    virtual void AfterDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void RecordAdded(TMemoryRecordEh* MemRec, int Index) {}
    virtual void RecordChanged(TMemoryRecordEh* MemRec, int Index) {}
    virtual void RecordDeleted(TMemoryRecordEh* MemRec, int Index) {}
    virtual void ListChanged() {}
    virtual void RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);
    virtual void StructChanged(TMemTableDataEh* AMemTableData);
    void ApplyUpdates(TMemTableDataEh* AMemTableData);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TMemTableDataEh* FMemTableData = nullptr;
    TComponent* FDataObject = nullptr;

private:
    void Detach();   // from the data object, which it no longer notifies
};

// ============================================================================================
// Indexes (MemTableDataEh_Indexes.cpp)
// ============================================================================================

class TIndexItemEh : public TObject {
public:
    TIndexItemEh(const Variant& AValue, int ARecIndex) : Value(AValue), RecIndex(ARecIndex) {}
    Variant Value;
    int RecIndex;
};
using TIndexItemOwnerEh = std::unique_ptr<TIndexItemEh>;

class TMTIndexEh : public TCollectionItem {
    DOV_PERSISTENT(TMTIndexEh, TCollectionItem)
public:
    explicit TMTIndexEh(TCollection* Collection);
    static TMTIndexEh* CreateApart(TRecordsListEh* ARecordsList);
    ~TMTIndexEh() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    QString Fields() const { return FFields; }
    void SetFields(const QString& Value);
    bool Primary() const { return FPrimary; }
    void SetPrimary(bool Value);
    bool Unical() const { return FUnical; }
    void SetUnical(bool Value);
    TRecordsListEh* RecordsList() const;

    void ClearIndex();
    void RebuildIndex();
    int Count() const { return int(FRecList.size()); }
    TIndexItemEh* Items(int Index) const;
    Variant GetKeyValue(int Index) const { return Items(Index)->Value; }
    bool FindKeyValueIndex(const Variant& Value, int& Index) const;
    bool FindRecordIndexByKey(const Variant& Value, int& Index) const;
    void FillMatchedKeyList(const Variant& Value, std::vector<TIndexItemEh*>& List) const;
    void FillMatchedRecsList(const Variant& Value, std::vector<TMemoryRecordEh*>& List) const;

    void Notify(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);
    virtual void InsertItem(int Pos, TIndexItemOwnerEh Item);

private:
    Variant KeyOf(TMemoryRecordEh* Rec, TDataValueVersionEh Version) const;
    int FindItemOfRecord(const Variant& Key, int RecIndex) const;
    void RemoveAt(int Pos);
    void ShiftRecIndexes(int FromRecIndex, int Delta);
    // Inserts at the item's place in key order (equal keys by record position).
    void InsertSorted(TIndexItemOwnerEh Item);

    bool FActive = false;
    QString FFields;
    bool FPrimary = false;
    bool FUnical = false;
    std::vector<TIndexItemOwnerEh> FRecList;
    Variant FOldValue;
    TRecordsListEh* FRecordsList = nullptr;
};

class TMTIndexesEh : public TCollection {
    DOV_PERSISTENT(TMTIndexesEh, TCollection)
public:
    explicit TMTIndexesEh(TRecordsListEh* ARecList);
    TRecordsListEh* RecList() const { return FRecList; }
    TMTIndexEh* Add() { return static_cast<TMTIndexEh*>(TCollection::Add()); }
    TMTIndexEh* Items(int Index) const { return static_cast<TMTIndexEh*>(TCollection::Items(Index)); }
    TMTIndexEh* GetIndexForFields(const QString& Fields) const;
    void Notify(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);

protected:
    // The collection's item notification keeps its name beside the record one above.
    using TCollection::Notify;

private:
    TRecordsListEh* FRecList;
};

// ============================================================================================
// Aggregates (MemTableDataEh_Expr.cpp)
// ============================================================================================

class TMTAggregateEh : public TCollectionItem {
    DOV_PERSISTENT(TMTAggregateEh, TCollectionItem)
public:
    explicit TMTAggregateEh(TCollection* Collection);
    ~TMTAggregateEh() override;

    bool Active() const { return FActive; }
    void SetActive(bool Value);
    QString Expression() const { return FExpression; }
    void SetExpression(const QString& Value);
    Variant Value() const { return FValue; }
    TFieldType DataType() const { return FDataType; }
    bool InUse() const { return FInUse; }
    TMTAggregatesEh* Aggregates() const;
    void Recalc();
    void Reset();
    void Assign(TPersistent* Source) override;
    QString DisplayName() const override;

private:
    bool FActive = false;
    QString FExpression;
    std::unique_ptr<TDataSetExprParserEh> FAggrExpr;
    TFieldType FDataType = ftUnknown;
    bool FInUse = false;
    Variant FValue = Variant::Null();
    friend class TMTAggregatesEh;
};

class TMTAggregatesEh : public TCollection {
    DOV_PERSISTENT(TMTAggregatesEh, TCollection)
public:
    explicit TMTAggregatesEh(TRecordsViewEh* AOwner);
    TMTAggregateEh* Add() { return static_cast<TMTAggregateEh*>(TCollection::Add()); }
    TMTAggregateEh* Items(int Index) const { return static_cast<TMTAggregateEh*>(TCollection::Items(Index)); }
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    void Recalc();
    // Recompiles every item (the table re-adds items from its aggregate fields before this).
    void Reset();
    TDataSet* DataSet() const;
    TRecordsViewEh* RecordsView() const { return FOwner; }
    TPersistent* GetOwner() const override;
    // Whether the values may be computed: the table is open (or there is none) and not loading.
    bool CanCalculate() const;

private:
    bool FActive = false;
    TRecordsViewEh* FOwner;
};

// ============================================================================================
// Expression evaluator (MemTableDataEh_Expr.cpp)
// ============================================================================================

enum TDataSetExprParserTypeEh { dsptFilterEh, dsptAggregateEh };

class TDataSetExprParserEh : public TObject, public TExprEvaluator {
public:
    TDataSetExprParserEh(TDataSet* ADataSet, TDataSetExprParserTypeEh ExprParserType);
    ~TDataSetExprParserEh() override;

    // Compiles against the fields of the store this parser reads (the view's, else the
    // dataset's); field numbers are 1-based positions in the data structure.
    void ParseExpression(const QString& Expr);
    bool IsCurRecordInFilter(TMemoryRecordEh* Rec);
    bool IsCurRecordBufInFilter(TRecordBuffer) { return true; }
    Variant CalcAggregateValue(TRecordsViewEh* RecordsView);
    Variant EvaluateCompiledExpression(TRecordsViewEh* View, TMemoryRecordEh* Rec, int NodeOffset);

    // The structure the field names are resolved against when there is no dataset.
    TMTDataStructEh* DataStruct = nullptr;
    // Filter options used when there is no dataset.
    TFilterOptions FilterOptions;
    // Reads a field of the dataset's current record by name (neither a record nor a view).
    std::function<Variant(const QString& FieldName)> OnGetFieldValue;

protected:
    TFilterOptions EvalOptions() const override;
    Variant FieldValue(int FieldNo, const QString& Name) override;
    Variant Aggregate(const QString& Name, int ArgNode) override;

private:
    TDataSet* FDataSet;
    TDataSetExprParserTypeEh FExprParserType;
    // Evaluation state.
    TRecordsViewEh* FView = nullptr;
    TMemoryRecordEh* FRec = nullptr;
    int FAggRow = 0;
};

// ============================================================================================
// Records view and the record tree (MemTableDataEh_View.cpp, MemTableDataEh_Tree.cpp)
// ============================================================================================

class TMemRecViewEh : public TBaseTreeNodeEh {
public:
    TMemRecViewEh() = default;
    ~TMemRecViewEh() override;

    TMemoryRecordEh* Rec() const { return static_cast<TMemoryRecordEh*>(FData); }
    TMemoryTreeListEh* NodeOwner() const;
    TMemRecViewEh* NodeParent() const { return static_cast<TMemRecViewEh*>(FParent); }
    void SetNodeParent(TMemRecViewEh* v) { FParent = v; }
    int NodeLevel() const { return FLevel; }
    int NodeIndex() const { return FIndex; }
    int VisibleNodeIndex() const { return FVisibleIndex; }
    bool NodeVisible() const { return FVisible; }
    bool NodeExpanded() const { return FExpanded; }
    void SetNodeExpanded(bool v) { SetExpanded(v); }
    bool NodeHasChildren() const { return FHasChildren; }
    void SetNodeHasChildren(bool v) { FHasChildren = v; }
    bool NodeHasVisibleChildren() { return GetHasVisibleChildren(); }
    void SetNodeHasVisibleChildren(bool v) { FHasVisibleChildren = v; }
    int NodesCount() const { return GetCount(); }
    int VisibleNodesCount() { return GetVisibleCount(); }
    TMemRecViewEh* NodeItems(int Index) const { return static_cast<TMemRecViewEh*>(GetItem(Index)); }
    TMemRecViewEh* VisibleNodeItems(int Index) { return static_cast<TMemRecViewEh*>(GetVisibleItem(Index)); }
    TRecDataValues& LookupBuffer() { return FLookupBuffer; }
    void SetLookupBufferLength(int NewLength) { FLookupBuffer.resize(size_t(NewLength)); }
    void SortByFields(const QString& SortByStr);
    void SetRec(TMemoryRecordEh* R) { FData = R; }

private:
    TRecDataValues FLookupBuffer;
    friend class TRecordsViewEh;
};

class TRecordsViewOrderByList : public TOrderByList {
public:
    explicit TRecordsViewOrderByList(TRecordsViewEh* ARecordsView) : FRecordsView(ARecordsView) {}
    int GetFieldIndex(const QString& FieldName) override;

private:
    TRecordsViewEh* FRecordsView;
};

class TMemoryTreeListOrderByList : public TOrderByList {
public:
    explicit TMemoryTreeListOrderByList(TMemoryTreeListEh* ATreeList) : FTreeList(ATreeList) {}
    int GetFieldIndex(const QString& FieldName) override;

private:
    TMemoryTreeListEh* FTreeList;
};

class TMemoryTreeListEh : public TTreeListEh {
public:
    explicit TMemoryTreeListEh(TRecordsViewEh* ARecordsViewEh);
    ~TMemoryTreeListEh() override;

    TMemRecViewEh* Root() const { return static_cast<TMemRecViewEh*>(FRoot); }
    TRecordsViewEh* RecordsView() const { return FRecordsViewEh; }
    QString KeyFieldNames() const;
    QString ParentFieldNames() const;

    TMemRecViewEh* AddChildAtKey(const QString& Name, const QString& KeyFieldNames, const QString& ParentFieldNames,
                                 TMemoryRecordEh* MemRecord);
    TMemRecViewEh* AddChild(const QString& Name, TMemRecViewEh* Parent, TMemoryRecordEh* MemRecord);
    // Builds the tree anew from the records in list order, as adding them one by one would
    // (with FullBuildCheck: every record under the record its reference names), in O(n log n).
    // A reference loop is cut at the record of the loop that comes first in the list, which
    // hangs at the root; a chain deeper than MaxLevel goes on from the root.
    void BuildFromRecords(const std::vector<TMemoryRecordEh*>& Recs);
    TMemRecViewEh* UpdateParent(TMemRecViewEh* Node, const QString& KeyFieldNames, const QString& ParentFieldNames,
                                TMemoryRecordEh* MemRecord, bool ReIndex);
    bool CheckReferenceLoop(TMemoryRecordEh* MemRecord, const Variant& NewRefValue);

    TMemRecViewEh* GetNode(TMemRecViewEh* StartNode, TMemoryRecordEh* MemRecord) const;
    TMemRecViewEh* GetNodeAtValue(TMemRecViewEh* StartNode, const QString& FieldNames, const Variant& Value) const;
    TMemRecViewEh* GetParentNodeAtKey(TMemRecViewEh* StartNode, const QString& KeyFieldNames,
                                      const QString& ParentFieldNames, TMemoryRecordEh* MemRecord) const;
    TMemRecViewEh* GetParentNodeAtKeyValue(TMemRecViewEh* StartNode, const QString& KeyFieldNames,
                                           const QString& ParentFieldNames, const Variant& RefKeyValue) const;
    TMemRecViewEh* GetParentNodeForRec(TMemoryRecordEh* MemRecord) const;
    TMemRecViewEh* GetParentNodeForRefValue(const Variant& RefValue) const;
    void GetChildNodesForKey(TMemRecViewEh* StartNode, const QString& KeyFieldNames, const QString& ParentFieldNames,
                             TMemoryRecordEh* MemRecord, std::vector<TMemRecViewEh*>& ChildList) const;
    int GetIndexForNode(TMemoryRecordEh* Rec, TMemRecViewEh* ParentNode) const;
    void GetRecordsList(std::vector<TMemoryRecordEh*>& List, TMemRecViewEh* Node, bool ARecurse) const;

    void UpdateNodeState(TMemRecViewEh* Node, bool IsUpdateParent);
    void UpdateNodesState(TMemRecViewEh* Parent);
    void VisibleItemsBecomeObsolete() { FVisibleItemsObsolete = true; }
    bool VisibleItemsObsolete() const { return FVisibleItemsObsolete; }
    void BuildVisibleItems();
    TMemRecViewEh* GetAccountableItem(int Index);
    virtual TMemRecViewEh* GetVisibleExpandedItem(int Index);
    int AccountableCount();
    int VisibleExpandedCount();
    virtual void ShowChildrenOfVisibleNodes(TMemRecViewEh* Node);
    void SetNodesVisible(TMemRecViewEh* Node, bool Visible, bool Recurse);

    QString SortOrder() const { return FSortOrder; }
    void SetSortOrder(const QString& Value);
    virtual void Resort();
    void SortData(const TCompareNodesEh& CompareProg, TObject* ParamSort, bool ARecurse) override;
    int CompareTreeNodes(TBaseTreeNodeEh* Rec1, TBaseTreeNodeEh* Rec2, TObject* ParamSort) override;
    void MoveTo(TBaseTreeNodeEh* Node, TBaseTreeNodeEh* Destination, TNodeAttachModeEh Mode, bool ReIndex) override;

    TMemRecViewEh* GetNext(TMemRecViewEh* Node) const { return static_cast<TMemRecViewEh*>(TTreeListEh::GetNext(Node)); }
    TMemRecViewEh* GetPrevious(TMemRecViewEh* Node) const { return static_cast<TMemRecViewEh*>(TTreeListEh::GetPrevious(Node)); }

    bool DefaultNodeExpanded = false;
    bool DefaultNodeHasChildren = false;
    TMemRecViewEh* DefaultParentNode = nullptr;
    bool FullBuildCheck = false;
    bool FilterNodeIfParentVisible = true;

    // A node on the inserted-node stack is being destroyed: forget the stack.
    void NodeDestroying(TMemRecViewEh* Node);

private:
    bool Matches(TMemoryRecordEh* MemRecord, TMemRecViewEh* Node) const;
    TMTIndexEh* ActiveIndexFor(const QString& FieldNames) const;
    int SortedPosition(TMemoryRecordEh* Rec, TMemRecViewEh* Parent, int Count) const;
    bool HasSortOrder() const;

    std::vector<TMemRecViewEh*> FInsertedNodeStack;
    // The node of each record, so finding a record's node is no walk of the tree.
    QHash<TMemoryRecordEh*, TMemRecViewEh*> FNodeOfRec;
    std::vector<TMemRecViewEh*> FVisibleExpandedItems;
    std::vector<TMemRecViewEh*> FVisibleItems;
    bool FVisibleItemsObsolete = true;
    QString FSortOrder;
    std::unique_ptr<TMemoryTreeListOrderByList> FOrderByList;
    TRecordsViewEh* FRecordsViewEh;
};

using TFilterRecordEventEh = Delegate<bool(TMemoryRecordEh* Rec)>;
using TCompareTreeNodeEventEh = Delegate<int(TBaseTreeNodeEh* Node1, TBaseTreeNodeEh* Node2, TObject* ParamSort)>;
using TParseOrderByStrEventEh = Delegate<TOrderByList*(const QString& OrderByStr)>;
using TGetPrefilteredListEventEh = Delegate<const std::vector<TMemoryRecordEh*>*()>;
using TViewDataEventEh = Delegate<void(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action)>;
using TViewRecordMovedEventEh = Delegate<void(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex)>;
using TCalcLookupBufferEventEh = Delegate<void(TMemoryRecordEh* MemRec, TMemRecViewEh* Item)>;

class TRecordsViewEh : public TRecordsListNotificatorEh {
public:
    explicit TRecordsViewEh(TDataSet* ADataSet);
    ~TRecordsViewEh() override;

    TDataSet* DataSet() const { return FDataSet; }
    TRecordsListEh* RecordsList() const;

    int Count() { return ViewItemsCount(); }
    int ViewItemsCount();
    int AccountableItemsCount();
    TMemoryRecordEh* GetRec(int Index) { return GetViewRecord(Index); }
    TMemoryRecordEh* GetViewRecord(int Index);
    TMemRecViewEh* GetRecordView(int Index);
    TMemoryRecordEh* GetAccountableRecord(int Index);
    int IndexOf(TMemoryRecordEh* Rec);
    Variant GetValue(int RecNo, int ValNo);
    void SetValue(int RecNo, int ValNo, const Variant& Value);
    void SetRec(int Index, TMemoryRecordEh* Rec);
    void DeleteRecord(int Index);
    void RevertRecord(int Index);
    void RefreshRecord(int Index, TMemoryRecordEh* Rec);
    TRecDataValues GetOldRecVals(int Index);
    TMemoryRecordEh* NewRecord();
    int AddRecord(TMemoryRecordEh* Rec);
    void InsertRecord(int Index, TMemoryRecordEh* Rec);
    void MergeChangeLog();
    void CancelUpdates();
    void LockCachedUpdates();
    void UnlockCachedUpdates();
    bool CachedUpdates() const { return FCachedUpdates; }
    void SetCachedUpdates(bool v);
    void InstantDisableFilter() { ++FDisableFilterCount; }
    void InstantEnableFilter() { if (FDisableFilterCount > 0) --FDisableFilterCount; }

    void RefreshFilteredRecsList();
    // What the view shows, kept aside so that a refilter that fails part-way can be undone.
    struct TViewSnapshot {
        std::vector<TMemoryRecordEh*> Flat;
        std::vector<std::pair<TMemRecViewEh*, bool>> TreeVisible;
    };
    TViewSnapshot TakeSnapshot();
    void RestoreSnapshot(const TViewSnapshot& Snapshot);
    QString SortOrder() const { return FSortOrder; }
    void SetSortOrder(const QString& Value);
    bool SortOrderCaseInsensitive() const { return FSortOrderCaseInsensitive; }
    void SetSortOrderCaseInsensitive(bool Value);
    TOrderByList* OrderByList() const { return FOrderByList.get(); }
    TUpdateStatusSet StatusFilter() const { return FStatusFilter; }
    void SetStatusFilter(TUpdateStatusSet Value);
    void SortData(const TCompareRecords& Compare, TObject* ParamSort);
    bool ViewAsTreeList() const { return FViewAsTreeList; }
    void SetViewAsTreeList(bool Value);
    void RebuildMemoryTreeList();
    QString TreeViewKeyFieldName() const { return FTreeViewKeyFieldName; }
    void SetTreeViewKeyFieldName(const QString& Value);
    QString TreeViewRefParentFieldName() const { return FTreeViewRefParentFieldName; }
    void SetTreeViewRefParentFieldName(const QString& Value);
    const TIntArray& TreeViewKeyFields() const { return FTreeViewKeyFields; }
    const TIntArray& TreeViewRefParentFields() const { return FTreeViewRefParentFields; }
    void UpdateAllLookupBuffer();
    Variant CalcAggrFieldFunc(const QString& FieldName, const QString& AggrFuncName);
    int CompareViewRecords(TMemoryRecordEh* Rec1, TMemoryRecordEh* Rec2);
    void DoCalcLookupBuffer(TMemRecViewEh* Item);
    TMemoryTreeListEh* MemoryTreeList() const { return FMemoryTreeList.get(); }
    TMTAggregatesEh* Aggregates() const { return FAggregates.get(); }
    bool CatchChanged() const { return FCatchChanged; }
    void SetCatchChanged(bool v) { FCatchChanged = v; }
    const std::vector<TRecordsListNotificatorEh*>& ViewNotificators() const { return FNotificators; }
    // The records of the flat view in order (a copy).
    std::vector<TMemoryRecordEh*> MemoryViewList() const;
    // The item of a record of the flat view, made when first asked for (its lookup buffer
    // computed then); the flat view itself holds only the records.
    TMemRecViewEh* RowItem(TMemoryRecordEh* Rec);
    // The record's item if one was made, else nullptr.
    TMemRecViewEh* FindRowItem(TMemoryRecordEh* Rec) const;

    TFilterRecordEventEh OnFilterRecord;
    // When unassigned, a non-empty sort order compares the store's values (CompareRecordsByOrderEh).
    TCompareRecords OnCompareRecords;
    // Answers True when OnCompareRecords orders exactly as CompareRecordsByOrderEh, so a sort
    // may run over a snapshot of the keys instead of asking it for every pair.
    Delegate<bool()> OnCompareIsStoreOrder;
    TCompareTreeNodeEventEh OnCompareTreeNode;
    TParseOrderByStrEventEh OnParseOrderByStr;
    TGetPrefilteredListEventEh OnGetPrefilteredList;
    TViewDataEventEh OnViewDataEvent;
    TViewRecordMovedEventEh OnViewRecordMovedEvent;
    TCalcLookupBufferEventEh OnCalcLookupBuffer;

    void DataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action) override;
    void RecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex) override;
    void StructChanged(TMemTableDataEh* AMemTableData) override;
    virtual bool RecordPassesFilter(TMemoryRecordEh* Rec);
    virtual void AddNotificator(TRecordsListNotificatorEh* RecordsListNotificator);
    void RemoveNotificator(TRecordsListNotificatorEh* RecordsListNotificator);
    virtual void ViewDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    virtual void ViewRecordMoved(TMemoryRecordEh* MemRec, int OldIndex, int NewIndex);
    virtual void SortView();
    virtual void UpdateFields();

    // The position at which Rec belongs in the flat view (hint: a likely position or -1).
    int FindInsertPosition(TMemoryRecordEh* Rec, int Hint);

protected:
    void FreeViewItems();
    int FindViewItem(TMemoryRecordEh* Rec) const;
    void TreeDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    void FlatDataEvent(TMemoryRecordEh* MemRec, int Index, TRecordsListNotification Action);
    void CheckTreeReferenceLoop(TMemoryRecordEh* MemRec);

    void ViewInsert(int Pos, TMemoryRecordEh* Rec);
    TMemoryRecordEh* ViewErase(int Pos);
    // Makes the flat view hold these records in this order.
    void AssignView(const std::vector<TMemoryRecordEh*>& Recs);
    // Whether this view keeps its rows' places in the records (one view per container does).
    bool UsesRecTags() const;
    void TagRec(TMemoryRecordEh* Rec);
    static void SetItemBlock(void* Rec, TSeqBlockEh* Block);
    void DropRowItem(TMemoryRecordEh* Rec);
    // Sorts the flat view by the store's own comparison over a snapshot of the sort keys.
    void SortByKeySnapshot(TOrderByList* OrderBy);

    // The flat view: the shown records in blocks, so that placing or removing one row moves one
    // block, and a record finds its row through the block it remembers (TagRec). A row costs
    // one pointer; an item (TMemRecViewEh) is made only for rows asked for one.
    TBlockSeqEh FMemoryViewList{&TRecordsViewEh::SetItemBlock};
    std::unordered_map<TMemoryRecordEh*, std::unique_ptr<TMemRecViewEh>> FRowItems;
    // Drawn anew whenever the rows are dropped together: a record's remembered block counts
    // only when it was remembered under the current draw.
    uint32_t FItemsGeneration = 0;
    std::unique_ptr<TMemoryTreeListEh> FMemoryTreeList;
    std::unique_ptr<TRecordsViewOrderByList> FOrderByList;
    QString FSortOrder;
    bool FSortOrderCaseInsensitive = false;
    TUpdateStatusSet FStatusFilter{usUnmodified, usModified, usInserted};
    bool FCachedUpdates = true;
    int FCachedUpdatesLockCount = 0;
    int FDisableFilterCount = 0;
    bool FCatchChanged = false;
    bool FViewAsTreeList = false;
    QString FTreeViewKeyFieldName, FTreeViewRefParentFieldName;
    TIntArray FTreeViewKeyFields, FTreeViewRefParentFields;
    std::unique_ptr<TMTAggregatesEh> FAggregates;
    TDataSet* FDataSet;
    std::vector<TRecordsListNotificatorEh*> FNotificators;
};

// Registers the store's classes for streaming by class name (done once at start-up; safe to repeat).
void RegisterMemTableDataClasses();
void UnregisterMemTableDataClasses();
