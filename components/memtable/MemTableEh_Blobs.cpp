// The in-memory table's blob streams and object reference fields.
#include "MemTableEh.h"

#include <cstring>

namespace {

bool EightBitText(TFieldType t)
{
    return t == ftMemo || t == ftFmtMemo || t == ftFixedChar || t == ftOraClob;
}

bool WideText(TFieldType t)
{
    return t == ftFixedWideChar || t == ftWideMemo;
}

QByteArray Utf16Bytes(const QString& s)
{
    QByteArray b(int(s.size()) * 2, Qt::Uninitialized);
    for (int i = 0; i < s.size(); ++i) {
        const char16_t c = s[i].unicode();
        b[2 * i] = char(c & 0xFF);
        b[2 * i + 1] = char(c >> 8);
    }
    return b;
}

QString FromUtf16Bytes(const char* p, int64_t size)
{
    QString s(int(size / 2), Qt::Uninitialized);
    for (int i = 0; i < s.size(); ++i)
        s[i] = QChar(char16_t(uint8_t(p[2 * i]) | (uint8_t(p[2 * i + 1]) << 8)));
    return s;
}

TCustomMemTableEh* TableOf(TField* Field)
{
    auto* t = Field ? dynamic_cast<TCustomMemTableEh*>(Field->DataSet()) : nullptr;
    if (!t)
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    return t;
}

}  // namespace

// ---------------------------------------------------------------- TMemBlobStreamEh

TMemBlobStreamEh::TMemBlobStreamEh(TBlobField* Field, TBlobStreamMode Mode)
    : FField(Field), FDataSet(TableOf(Field)), FFieldNo(Field->FieldNo() - 1)
{
    if (!FDataSet->GetCurrentRecBuf(FBuffer))
        FBuffer = nullptr;
    FState = FDataSet->State();
    if (!FBuffer)
        return;
    FRec = FBuffer->MemRec;
    if (Mode != bmRead) {
        if (FField->ReadOnly())
            DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldReadOnly), {FField->DisplayName()}, FDataSet);
        const TDataSetState s = FDataSet->State();
        if (s != dsEdit && s != dsInsert)
            DatabaseError(QString::fromLatin1(DBMsg::NotEditing), FDataSet);
    }
    // A stream opened for writing starts empty; the field changes only once it is written.
    if (Mode != bmWrite)
        LoadFieldData();
}

TMemBlobStreamEh::~TMemBlobStreamEh()
{
    if (FModified) {
        try {
            StoreFieldData();
        } catch (...) {
            if (ApplicationHandleException)
                ApplicationHandleException(FDataSet);
        }
    }
}

void TMemBlobStreamEh::LoadFieldData()
{
    Variant v;
    FDataSet->GetFieldValue(FField, v);
    QByteArray bytes;
    if (v.IsNull() || v.IsEmpty())
        return;
    if (v.VarType() == varOleStr && FField->DataType() == ftWideMemo)
        bytes = Utf16Bytes(v.AsString());
    else if (VarIsStr(v))
        // One byte a character: a wide text in an 8-bit field goes through the code page
        // rather than as half of its UTF-16 bytes.
        bytes = UnicodeToCP1251(v.AsString());
    else
        bytes = VarArrayToBytes(v);
    TMemoryStream::Write(bytes.constData(), bytes.size());
    Seek(0, soBeginning);
}

Variant TMemBlobStreamEh::StreamAsFieldValue() const
{
    auto* self = const_cast<TMemBlobStreamEh*>(this);
    const int64_t size = self->Size();
    if (size == 0)
        return Variant::Null();
    const char* p = static_cast<const char*>(Memory());
    const TFieldType t = FField->DataType();
    if (EightBitText(t))
        return Variant::FromString(CP1251ToUnicode(QByteArray(p, int(size))));
    if (WideText(t))
        return Variant::FromOleStr(FromUtf16Bytes(p, size));
    return VarArrayFromBytes(QByteArray(p, int(size)));
}

// The bytes go to the record buffer the stream was opened on, and only while it still stands
// for the same record in the same edit state: after a cancel and a move the framework hands
// the buffer to another record, where they must not land.
void TMemBlobStreamEh::StoreFieldData()
{
    TMTRecBuf* cur = nullptr;
    const TDataSetState s = FDataSet->State();
    if (!FBuffer || (s != dsEdit && s != dsInsert) || s != FState || !FDataSet->GetCurrentRecBuf(cur) || cur != FBuffer
        || cur->MemRec != FRec)
        DatabaseError(QString::fromLatin1(DBMsg::NotEditing), FDataSet);
    const TFieldType t = FField->DataType();
    if (t == ftFmtMemo || t == ftParadoxOle || t == ftDBaseOle || t == ftTypedBinary)
        DatabaseErrorFmt(QStringLiteral("Неподдерживаемый тип (%s) для поля %s"),
                         {QString::fromLatin1(FieldTypeName(t)), FField->DisplayName()}, FDataSet);
    FDataSet->SetFieldData(FField, StreamAsFieldValue());
}

int64_t TMemBlobStreamEh::Write(const void* Buffer, int64_t Count)
{
    const int64_t n = TMemoryStream::Write(Buffer, Count);
    FModified = true;
    return n;
}

void TMemBlobStreamEh::SetSize(int64_t NewSize)
{
    TMemoryStream::SetSize(NewSize);
    FModified = true;
}

void TMemBlobStreamEh::Truncate()
{
    Clear();
    FModified = true;
}

TStream* TCustomMemTableEh::CreateBlobStream(TField* Field, TBlobStreamMode Mode)
{
    auto* blob = dynamic_cast<TBlobField*>(Field);
    if (!blob)
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    return new TMemBlobStreamEh(blob, Mode);
}

void TCustomMemTableEh::InternalHandleException()
{
    if (ApplicationHandleException)
        ApplicationHandleException(this);
}

// ---------------------------------------------------------------- TRefObjectField

DOV_PUBLISHED(TRefObjectField) {}

TRefObjectField::TRefObjectField(TComponent* AOwner) : TField(AOwner)
{
    SetDataType(ftUnknown);
}

TObject* TRefObjectField::Value() const
{
    auto* t = dynamic_cast<TCustomMemTableEh*>(DataSet());
    if (!DataSet())
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::NoDataSet), {DisplayName()});
    TObject* o = nullptr;
    if (t)
        t->GetFieldDataAsObject(const_cast<TRefObjectField*>(this), o);
    return o;
}

void TRefObjectField::SetValue(TObject* Value)
{
    auto* t = dynamic_cast<TCustomMemTableEh*>(DataSet());
    if (!DataSet())
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::NoDataSet), {DisplayName()});
    if (t)
        t->SetFieldDataAsObject(this, Value);
}

Variant TRefObjectField::GetAsVariant() const
{
    TObject* o = Value();
    return o ? Variant::FromObject(o) : Variant::Null();
}

void TRefObjectField::SetAsVariantImpl(const Variant& v)
{
    SetValue(v.IsNull() || v.IsEmpty() ? nullptr : static_cast<TObject*>(v.AsObject()));
}
