// The record store in component streams: the container with its structure and records list as
// children, the records as the list's "Data" property and each value by its field's encoding.
#include "MemTableDataEh.h"
#include "platform/rtl/Guards.h"

bool TMTDataFieldEh::IsBinaryStreamed() const
{
    switch (GetDataType()) {
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftCursor: case ftADT: case ftArray: case ftReference: case ftDataSet:
        return true;
    default:
        return false;
    }
}

namespace {

void WriteText(TWriter* Writer, const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    if (utf8.size() < 2 * s.size()) {
        bool high = false;
        for (char c : utf8)
            if (uint8_t(c) >= 0x80) {
                high = true;
                break;
            }
        if (high)
            Writer->WriteUTF8Str(s);
        else
            Writer->WriteString(s);   // short or long 8-bit string by length
    } else {
        Writer->WriteWideString(s);
    }
}

Variant ReadVariantValue(TReader* Reader)
{
    switch (Reader->NextValue()) {
    case vaNil:
        Reader->ReadValue();
        return Variant::Null();
    case vaInt8: case vaInt16: case vaInt32:
        return Variant(int(Reader->ReadInteger()));
    case vaInt64:
        return Variant(static_cast<long long>(Reader->ReadInt64()));
    case vaExtended: case vaDouble:
        return Variant(Reader->ReadFloat());
    case vaSingle:
        return Variant::FromSingle(Reader->ReadSingle());
    case vaCurrency:
        return Variant(Reader->ReadCurrency());
    case vaDate:
        return Variant::FromDate(Reader->ReadDate());
    case vaTrue: case vaFalse:
        return Variant(Reader->ReadBoolean());
    case vaString: case vaLString: case vaWString: case vaUTF8String:
        return Variant(Reader->ReadString());
    default:
        throw EReadError(QStringLiteral("Invalid property value"));
    }
}

} // namespace

void TMTDataFieldEh::WriteDataToWriter(const Variant& Value, TWriter* Writer)
{
    if (IsBinaryStreamed()) {
        QByteArray bytes;
        if (!Value.IsNull() && !Value.IsEmpty()) {
            Variant arr;
            VarToByteArrayEh(Value, arr);
            if (arr.IsArray()) {
                const int lo = arr.ArrayLowBound(), hi = arr.ArrayHighBound();
                bytes.reserve(hi - lo + 1);
                for (int i = lo; i <= hi; ++i)
                    bytes.append(char(arr.GetElement(i).AsInteger()));
            }
        }
        Writer->WriteBinary(bytes);
        return;
    }
    const TVarType t = Value.VarType();
    if (t & varArray)
        throw EWriteError(QStringLiteral("Stream write error"));
    switch (t) {
    case varEmpty:
        throw Exception(QStringLiteral("\"TMemoryRecordEh.WriteData\" - Invalid variant type - varEmpty"));
    case varNull:
        Writer->WriteNil();
        return;
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
        Writer->WriteInteger(Value.AsInt64());
        return;
    case varSingle:
        Writer->WriteSingle(float(Value.AsDouble()));
        return;
    case varDouble:
        Writer->WriteFloat(Value.AsDouble());
        return;
    case varCurrency:
        Writer->WriteCurrency(Value.AsCurrency());
        return;
    case varDate:
        Writer->WriteDate(Value.AsDateTime());
        return;
    case varBoolean:
        Writer->WriteBoolean(Value.AsBoolean());
        return;
    case varObject: case varUnknown: case varDispatch: case varError:
        throw EWriteError(QStringLiteral("Stream write error"));
    default:
        WriteText(Writer, VarToStr(Value));
        return;
    }
}

void TMTDataFieldEh::ReadDataFromReader(Variant& Value, TReader* Reader)
{
    if (IsBinaryStreamed()) {
        if (Reader->NextValue() != vaBinary) {
            Reader->SkipValue();
            throw EReadError(QStringLiteral("Invalid property value"));
        }
        const QByteArray b = Reader->ReadBinary();
        Variant arr = VarArrayCreate(0, int(b.size()) - 1, varByte);
        for (int i = 0; i < b.size(); ++i)
            arr.SetElement(i, Variant::FromByte(uint8_t(b[i])));
        ByteArrayToVarEh(arr, Value, FVarDataType);
        return;
    }
    const Variant v = ReadVariantValue(Reader);
    if (v.IsNull()) {
        Value = v;
        return;
    }
    CastToFieldVarTypeEh(Value, v, FVarDataType);
}

void TMemoryRecordEh::WriteData(TWriter* Writer)
{
    Writer->WriteListBegin();
    for (size_t i = 0; i < FData.size(); ++i)
        DataStruct()->GetDataField(int(i))->WriteDataToWriter(FData[i], Writer);
    Writer->WriteListEnd();
}

void TMemoryRecordEh::ReadData(TReader* Reader)
{
    Reader->ReadListBegin();
    TMTDataStructEh* ds = DataStruct();
    const int n = ds->Count();
    FData.resize(size_t(n));
    for (int i = 0; i < n; ++i)
        ds->GetDataField(i)->ReadDataFromReader(FData[size_t(i)], Reader);
    Reader->ReadListEnd();
}

// ---------------------------------------------------------------- records list "Data"

void TRecordsListEh::WriteDataProp(TWriter* Writer)
{
    Writer->WriteListBegin();
    ForEachRecord([Writer](TMemoryRecordEh* r) { r->WriteData(Writer); });
    Writer->WriteListEnd();
}

void TRecordsListEh::ReadDataProp(TReader* Reader)
{
    Clear();
    Reader->ReadListBegin();
    while (!Reader->EndOfList()) {
        std::unique_ptr<TMemoryRecordEh> r(NewRecord());
        r->ReadData(Reader);
        FetchRecord(r.release());
    }
    Reader->ReadListEnd();
}

void TRecordsListEh::DefineProperties(TFiler* Filer)
{
    bool hasData = Count() > 0;
    if (auto* ancestor = dynamic_cast<TRecordsListEh*>(Filer->Ancestor())) {
        auto bytes = [](TRecordsListEh* l) {
            TMemoryStream ms;
            TWriter w(&ms);
            l->WriteDataProp(&w);
            return QByteArray(static_cast<const char*>(ms.Memory()), qsizetype(ms.Size()));
        };
        hasData = bytes(this) != bytes(ancestor);
    }
    Filer->DefineProperty(QStringLiteral("Data"), [this](TReader* r) { ReadDataProp(r); },
                          [this](TWriter* w) { WriteDataProp(w); }, hasData);
}

// ---------------------------------------------------------------- container

void TMemTableDataEh::DefineProperties(TFiler* Filer)
{
    TComponent::DefineProperties(Filer);
    Filer->DefineProperty(QStringLiteral("AutoIncCurValue"),
                          [this](TReader* r) { FAutoIncrement->SetCurValue(r->ReadInteger()); },
                          [this](TWriter* w) { w->WriteInteger(FAutoIncrement->CurValue()); },
                          FAutoIncrement->CurValue() != FAutoIncrement->InitValue());
}

void TMemTableDataEh::GetChildren(const TGetChildProc& Proc, TComponent*)
{
    if (StoreStructInStream)
        Proc(FDataStruct);
    if (StoreRecordsInStream)
        Proc(FRecordsList.get());
}

void TMemTableDataEh::ReadState(TReader* Reader)
{
    auto savedCreate = Reader->OnCreateComponent;
    TRestoreGuard keepCreate(Reader->OnCreateComponent);
    TRestoreGuard keepFind(Reader->OnFindComponentClass);
    Reader->OnCreateComponent = [this, savedCreate](TReader* r, TComponentClass cls, TComponent*& c) {
        if (cls && cls->InheritsFrom(&TMTDataStructEh::StaticClassInfo()))
            c = FDataStruct;
        else if (cls && cls->InheritsFrom(&TRecordsListEh::StaticClassInfo()))
            c = FRecordsList.get();
        else if (savedCreate)
            savedCreate(r, cls, c);
    };
    TComponent::ReadState(Reader);
}

void TMemTableDataEh::SaveToStream(TStream* Stream)
{
    RegisterMemTableDataClasses();
    TRestoreGuard keepStruct(StoreStructInStream, true);
    TRestoreGuard keepRecords(StoreRecordsInStream, true);
    TWriter w(Stream);
    w.WriteRootComponent(this);
}

void TMemTableDataEh::LoadFromStream(TStream* Stream)
{
    RegisterMemTableDataClasses();
    TMemoryStream bin;
    ObjectTextOrBinaryToBinary(Stream, &bin);
    bin.SetPosition(0);
    // The stream is read whole into a store of its own first: a damaged or foreign stream
    // raises there and this store keeps its structure and records.
    auto read = CreateUnique<TMemTableDataEh>(nullptr);
    read->AutoIncrement()->Assign(FAutoIncrement.get());
    {
        TReader reader(&bin);
        reader.ReadRootComponent(read.get());
    }
    TakeOver(read.get());
}

void TMemTableDataEh::TakeOver(TMemTableDataEh* Source)
{
    const int counter = Source->FAutoIncrement->CurValue();
    DestroyTable();
    FDataStruct->Assign(Source->FDataStruct);
    const size_t n = size_t(FDataStruct->Count());
    {
        TUpdateGuard<TRecordsListEh> update(FRecordsList.get());
        for (TMemoryRecordEh* from : Source->FRecordsList->Records()) {
            std::unique_ptr<TMemoryRecordEh> r(FRecordsList->NewRecord());
            r->Data().swap(from->Data());
            r->Data().resize(n, Variant::Null());
            FRecordsList->FetchRecord(r.get());
            r.release();
        }
    }
    Source->ResetRecords();
    FAutoIncrement->SetCurValue(counter);
}

// ---------------------------------------------------------------- registration

void RegisterMemTableDataClasses()
{
    RegisterClasses<TMemTableDataEh, TMTDataStructEh, TRecordsListEh, TMTDataFieldEh, TMTStringDataFieldEh,
                    TMTNumericDataFieldEh, TMTDateTimeDataFieldEh, TMTBlobDataFieldEh, TMTBooleanDataFieldEh,
                    TMTInterfaceDataFieldEh, TMTVariantDataFieldEh, TMTRefObjectFieldEh, TMTSQLTimeStampDataFieldEh>();
}

void UnregisterMemTableDataClasses()
{
    for (const TClassInfo* c : {&TMemTableDataEh::StaticClassInfo(), &TMTDataStructEh::StaticClassInfo(),
                                &TRecordsListEh::StaticClassInfo(), &TMTDataFieldEh::StaticClassInfo(),
                                &TMTStringDataFieldEh::StaticClassInfo(), &TMTNumericDataFieldEh::StaticClassInfo(),
                                &TMTDateTimeDataFieldEh::StaticClassInfo(), &TMTBlobDataFieldEh::StaticClassInfo(),
                                &TMTBooleanDataFieldEh::StaticClassInfo(), &TMTInterfaceDataFieldEh::StaticClassInfo(),
                                &TMTVariantDataFieldEh::StaticClassInfo(), &TMTRefObjectFieldEh::StaticClassInfo(),
                                &TMTSQLTimeStampDataFieldEh::StaticClassInfo()})
        UnRegisterClass(*c);
}

namespace {
// Unit start-up: streams can name the store's classes from the first read on.
const bool kMemTableDataClassesRegistered = (RegisterMemTableDataClasses(), true);
}
