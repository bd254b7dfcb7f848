#include "Filer.h"
#include "Guards.h"
#include "VarOrder.h"
#include "Variants.h"

#include <QtEndian>
#include <bit>
#include <cmath>

namespace {
const char kSignature[4] = {'T', 'P', 'F', '0'};

bool IsAscii(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() >= 128)
            return false;
    return true;
}

bool HasLoneSurrogate(const QString& s)
{
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c.isHighSurrogate()) {
            if (i + 1 >= s.size() || !s[i + 1].isLowSurrogate())
                return true;
            ++i;
        } else if (c.isLowSurrogate()) {
            return true;
        }
    }
    return false;
}
}

// ---------------------------------------------------------------- TExtended80

TExtended80 TExtended80::FromDouble(double d)
{
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    const bool sign = bits >> 63;
    const int exp = int((bits >> 52) & 0x7FF);
    const uint64_t frac = bits & ((uint64_t(1) << 52) - 1);
    uint64_t mant = 0;
    int e = 0;
    if (exp == 0 && frac == 0) {
        // zero
    } else if (exp == 0x7FF) {
        e = 0x7FFF;
        mant = (uint64_t(1) << 63) | (frac << 11);
    } else if (exp == 0) {
        // Subnormal double: normal in the wider exponent range.
        int p = 63 - __builtin_clzll(frac);
        e = p - 1074 + 16383;
        mant = frac << (63 - p);
    } else {
        e = exp - 1023 + 16383;
        mant = (uint64_t(1) << 63) | (frac << 11);
    }
    TExtended80 x;
    qToLittleEndian<uint64_t>(mant, x.Bytes);
    qToLittleEndian<uint16_t>(uint16_t(e | (sign ? 0x8000 : 0)), x.Bytes + 8);
    return x;
}

double TExtended80::ToDouble() const
{
    uint64_t m = qFromLittleEndian<uint64_t>(Bytes);
    const uint16_t se = qFromLittleEndian<uint16_t>(Bytes + 8);
    const bool sign = se >> 15;
    const int e = se & 0x7FFF;
    const uint64_t signBit = sign ? uint64_t(1) << 63 : 0;
    auto make = [](uint64_t b) { double d; std::memcpy(&d, &b, 8); return d; };
    if (e == 0x7FFF) {
        const uint64_t f = (m << 1) >> 12;   // top fraction bits below the integer bit
        if ((m << 1) == 0)
            return make(signBit | (uint64_t(0x7FF) << 52));
        return make(signBit | (uint64_t(0x7FF) << 52) | (f ? f : 1) | (uint64_t(1) << 51));
    }
    if (m == 0)
        return make(signBit);
    int E = (e == 0 ? 1 : e) - 16383;
    while (!(m >> 63)) {
        m <<= 1;
        --E;
    }
    // value = m * 2^(E - 63), m normalised
    if (E > 1023)
        return make(signBit | (uint64_t(0x7FF) << 52));
    int shift = 11;
    if (E < -1022)
        shift += -1022 - E;
    uint64_t mant;
    if (shift >= 66) {
        mant = 0;   // far below the smallest subnormal
    } else {
        const unsigned __int128 wide = (unsigned __int128)m << 2;   // two guard bits, shift+2
        const int s = shift + 2;
        mant = uint64_t(wide >> s);
        const unsigned __int128 rem = wide & (((unsigned __int128)1 << s) - 1);
        const unsigned __int128 half = (unsigned __int128)1 << (s - 1);
        if (rem > half || (rem == half && (mant & 1)))
            ++mant;
    }
    if (E >= -1022) {
        if (mant >> 53) {
            mant >>= 1;
            ++E;
            if (E > 1023)
                return make(signBit | (uint64_t(0x7FF) << 52));
        }
        return make(signBit | (uint64_t(E + 1023) << 52) | (mant & ((uint64_t(1) << 52) - 1)));
    }
    // Subnormal (a carry into bit 52 gives the smallest normal, which the layout encodes).
    return make(signBit | mant);
}

bool TExtended80::IsDouble() const
{
    const double d = ToDouble();
    if (std::isnan(d))
        return true;
    return FromDouble(d) == *this;
}

// ---------------------------------------------------------------- TWriter

namespace {

// Stream values are little-endian whatever the machine.
template <class T> void WriteLE(TWriter& W, T Value)
{
    uint8_t buf[sizeof(T)];
    qToLittleEndian<T>(Value, buf);
    W.Write(buf, sizeof(T));
}

}  // namespace

void TWriter::WriteValue(TValueType Value)
{
    const uint8_t b = Value;
    Write(&b, 1);
}

void TWriter::WriteSignature()
{
    Write(kSignature, 4);
}

void TWriter::WriteStr(const QString& Value)
{
    const QByteArray u = Value.toUtf8();
    if (u.size() > 255)
        throw EWriteError(QStringLiteral("Name too long: %s"), {Value.left(40)});
    const uint8_t n = uint8_t(u.size());
    Write(&n, 1);
    Write(u.constData(), n);
}

void TWriter::WritePrefix(TFilerFlags Flags, int ChildPos)
{
    if (Flags.Empty())
        return;
    const uint8_t b = uint8_t(0xF0 | Flags.Bits());
    Write(&b, 1);
    if (Flags.Contains(ffChildPos))
        WriteInteger(ChildPos);
}

void TWriter::WriteInteger(int64_t Value)
{
    uint8_t buf[8];
    if (Value >= -128 && Value <= 127) {
        WriteValue(vaInt8);
        buf[0] = uint8_t(int8_t(Value));
        Write(buf, 1);
    } else if (Value >= -32768 && Value <= 32767) {
        WriteValue(vaInt16);
        WriteLE(*this, int16_t(Value));
    } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
        WriteValue(vaInt32);
        WriteLE(*this, int32_t(Value));
    } else {
        WriteValue(vaInt64);
        WriteLE(*this, int64_t(Value));
    }
}

void TWriter::WriteExtended(const TExtended80& Value)
{
    WriteValue(vaExtended);
    Write(Value.Bytes, 10);
}

void TWriter::WriteFloat(double Value)
{
    WriteExtended(TExtended80::FromDouble(Value));
}

void TWriter::WriteSingle(float Value)
{
    WriteValue(vaSingle);
    WriteLE(*this, std::bit_cast<uint32_t>(Value));
}

void TWriter::WriteDouble(double Value)
{
    WriteValue(vaDouble);
    WriteLE(*this, std::bit_cast<uint64_t>(Value));
}

void TWriter::WriteCurrency(Currency Value)
{
    WriteValue(vaCurrency);
    WriteLE(*this, Value.Value);
}

void TWriter::WriteDate(TDateTime Value)
{
    WriteValue(vaDate);
    WriteLE(*this, std::bit_cast<uint64_t>(Value));
}

void TWriter::WriteString(const QString& Value)
{
    if (IsAscii(Value)) {
        const QByteArray a = Value.toLatin1();
        if (a.size() <= 255) {
            WriteValue(vaString);
            const uint8_t n = uint8_t(a.size());
            Write(&n, 1);
        } else {
            WriteValue(vaLString);
            WriteLE(*this, int32_t(a.size()));
        }
        Write(a.constData(), a.size());
    } else if (HasLoneSurrogate(Value)) {
        WriteWideString(Value);   // UTF-8 cannot carry it unchanged
    } else {
        WriteUTF8Str(Value);
    }
}

void TWriter::WriteWideString(const QString& Value)
{
    WriteValue(vaWString);
    WriteLE(*this, int32_t(Value.size()));
    QByteArray bytes(Value.size() * 2, Qt::Uninitialized);
    for (qsizetype i = 0; i < Value.size(); ++i)
        qToLittleEndian<uint16_t>(Value[i].unicode(), bytes.data() + 2 * i);
    Write(bytes.constData(), bytes.size());
}

void TWriter::WriteUTF8Str(const QString& Value)
{
    const QByteArray u = Value.toUtf8();
    WriteValue(vaUTF8String);
    WriteLE(*this, int32_t(u.size()));
    Write(u.constData(), u.size());
}

void TWriter::WriteIdent(const QString& Ident)
{
    if (Ident.compare(u"False", Qt::CaseInsensitive) == 0)
        WriteValue(vaFalse);
    else if (Ident.compare(u"True", Qt::CaseInsensitive) == 0)
        WriteValue(vaTrue);
    else if (Ident.compare(u"nil", Qt::CaseInsensitive) == 0)
        WriteValue(vaNil);
    else if (Ident.compare(u"Null", Qt::CaseInsensitive) == 0)
        WriteValue(vaNull);
    else {
        WriteValue(vaIdent);
        WriteStr(Ident);
    }
}

void TWriter::WriteBoolean(bool Value)
{
    WriteValue(Value ? vaTrue : vaFalse);
}

void TWriter::WriteSet(const QStringList& Members)
{
    WriteValue(vaSet);
    for (const QString& m : Members)
        WriteStr(m);
    WriteStr(QString());
}

void TWriter::WriteBinary(const QByteArray& Data)
{
    WriteValue(vaBinary);
    WriteLE(*this, int32_t(Data.size()));
    Write(Data.constData(), Data.size());
}

void TWriter::WriteNil() { WriteValue(vaNil); }
void TWriter::WriteNull() { WriteValue(vaNull); }
void TWriter::WriteListBegin() { WriteValue(vaList); }
void TWriter::WriteListEnd() { WriteValue(vaNull); }

void TWriter::WritePropName(const QString& Name)
{
    WriteStr(FPropPath + Name);
}

void TWriter::DefineProperty(const QString& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData)
{
    if (HasData && WriteData) {
        WritePropName(Name);
        WriteData(this);
    }
}

void TWriter::DefineBinaryProperty(const QString& Name, const TStreamProc&, const TStreamProc& WriteData, bool HasData)
{
    if (HasData && WriteData) {
        WritePropName(Name);
        TMemoryStream ms;
        WriteData(&ms);
        QByteArray data(qsizetype(ms.Size()), Qt::Uninitialized);
        if (!data.isEmpty())
            std::memcpy(data.data(), ms.Memory(), size_t(data.size()));
        WriteBinary(data);
    }
}

void TWriter::WriteRootComponent(TComponent* Root)
{
    WriteDescendent(Root, nullptr);
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* Ancestor)
{
    FRootAncestor = Ancestor;
    FAncestor = Ancestor;
    FRoot = Root;
    FLookupRoot = Root;
    WriteSignature();
    WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component)
{
    if (++FDepth > 1000)
        throw EWriteError(QStringLiteral("Component tree too deep"));
    Component->FComponentState.Include(csWriting);
    TPersistent* savedAncestor = FAncestor;
    TComponent* ancestor = nullptr;
    if (Component == FRoot)
        ancestor = FRootAncestor;
    else if (FRootAncestor && !Component->Name().isEmpty())
        ancestor = FRootAncestor->FindComponent(Component->Name());
    auto cleanup = Finally([&] {
        FAncestor = savedAncestor;
        Component->FComponentState.Exclude(csWriting);
        --FDepth;
    });
    TFilerFlags flags;
    if (ancestor)
        flags.Include(ffInherited);
    if (Component->ComponentState().Contains(csInline))
        flags.Include(ffInline);
    WritePrefix(flags, 0);
    WriteStr(Component->ClassName());
    WriteStr(Component->Name());
    FAncestor = ancestor;
    Component->WriteState(this);
}

void TWriter::WriteData(TComponent* Instance)
{
    TPersistent* ancestor = FAncestor;
    WriteProperties(Instance);
    WriteListEnd();
    if (!IgnoreChildren) {
        Instance->GetChildren([this](TComponent* child) { WriteComponent(child); }, FRoot);
    }
    FAncestor = ancestor;
    WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* Instance)
{
    TPersistent* ancestor = FAncestor;
    if (ancestor && !Instance->ClassInfo().InheritsFrom(&ancestor->ClassInfo())
        && !ancestor->ClassInfo().InheritsFrom(&Instance->ClassInfo()))
        ancestor = nullptr;
    for (const TPropInfo* p : Instance->ClassInfo().Properties()) {
        if (!p->IsStored(Instance))
            continue;
        if (p->Kind == pkClass) {
            TPersistent* sub = p->GetObj(Instance);
            if (!sub)
                continue;
            const QString savedPath = FPropPath;
            TPersistent* savedAncestor = FAncestor;
            FAncestor = ancestor ? p->GetObj(ancestor) : nullptr;
            FPropPath += p->Name + u'.';
            {
                auto cleanup = Finally([&] {
                    FPropPath = savedPath;
                    FAncestor = savedAncestor;
                });
                WriteProperties(sub);
            }
            continue;
        }
        if (!p->GetOrd && !p->GetFloat && !p->GetCurr && !p->GetStr && !p->GetObj && !p->GetEvent && !p->GetVar)
            continue;
        if (!p->Writable() || IsDefaultValue(Instance, p, ancestor))
            continue;
        WriteProperty(Instance, p);
    }
    FAncestor = ancestor;
    Instance->DefineProperties(this);
    FAncestor = ancestor;
}

QString TWriter::ComponentRefName(TComponent* C) const
{
    if (!C || C->Name().isEmpty())
        return QString();
    if (C == FLookupRoot || C->Owner() == FLookupRoot)
        return C->Name();
    if (C->Owner() && !C->Owner()->Name().isEmpty())
        return C->Owner()->Name() + u'.' + C->Name();
    return C->Name();
}

QString TWriter::MethodName(const TPropInfo* Prop, const std::any& Method, TComponent* Root)
{
    if (!Root)
        Root = FLookupRoot;
    if (Root) {
        for (const TClassInfo* c = &Root->ClassInfo(); c; c = c->Parent)
            for (const TMethodInfo& m : c->OwnMethods)
                if (m.Type == Prop->EventType && Prop->EventSame(Method, m.Make(Root)))
                    return m.Name;
    }
    if (OnFindMethodName)
        return OnFindMethodName(this, Prop, Method);
    return QString();
}

bool TWriter::IsDefaultValue(TPersistent* Instance, const TPropInfo* P, TPersistent* A)
{
    switch (P->Kind) {
    case pkInteger: case pkInt64: case pkEnum: case pkSet: case pkBoolean: {
        const int64_t v = P->GetOrd(Instance);
        if (A)
            return v == P->GetOrd(A);
        return P->Default && *P->Default == v;
    }
    case pkFloat: case pkDate: {
        const double v = P->GetFloat(Instance);
        if (A) {
            const double a = P->GetFloat(A);
            return v == a || (std::isnan(v) && std::isnan(a));
        }
        return v == 0 && !std::signbit(v);
    }
    case pkCurrency: {
        const Currency v = P->GetCurr(Instance);
        return A ? v == P->GetCurr(A) : v.Value == 0;
    }
    case pkString: {
        const QString v = P->GetStr(Instance);
        return A ? v == P->GetStr(A) : v.isEmpty();
    }
    case pkComponent: {
        TPersistent* v = P->GetObj(Instance);
        if (A) {
            auto* a = dynamic_cast<TComponent*>(P->GetObj(A));
            auto* c = dynamic_cast<TComponent*>(v);
            // Same object, or the same name relative to each root.
            if (v == a)
                return true;
            return c && a && ComponentRefName(c).compare(a->Name(), Qt::CaseInsensitive) == 0
                && (a->Owner() == FRootAncestor || a == FRootAncestor);
        }
        return v == nullptr || ComponentRefName(static_cast<TComponent*>(v)).isEmpty();
    }
    case pkVariant: {
        const Variant v = P->GetVar(Instance);
        if (!A)
            return v.IsEmpty();
        const Variant a = P->GetVar(A);
        return v.VarType() == a.VarType() && VarOrderEquals(v, a, {.Collation = vcOrdinal});
    }
    case pkCollection: {
        auto* c = static_cast<TCollection*>(P->GetObj(Instance));
        if (!c)
            return true;
        auto* a = A ? static_cast<TCollection*>(P->GetObj(A)) : nullptr;
        if (!a)
            return c->Count() == 0;
        // Equal when both write the same bytes.
        auto bytes = [this](TCollection* coll) {
            TMemoryStream ms;
            TWriter w(&ms);
            w.FRoot = FRoot;
            w.FLookupRoot = FLookupRoot;
            w.OnFindMethodName = OnFindMethodName;
            w.WriteCollection(coll);
            return QByteArray(static_cast<const char*>(ms.Memory()), qsizetype(ms.Size()));
        };
        return bytes(c) == bytes(a);
    }
    case pkEvent: {
        const std::any v = P->GetEvent(Instance);
        if (!P->EventAssigned(v))
            return !A || !P->EventAssigned(P->GetEvent(A));
        if (MethodName(P, v).isEmpty())
            return true;   // not a method of the root: nothing can name it
        if (A) {
            const std::any a = P->GetEvent(A);
            return P->EventAssigned(a) && MethodName(P, a, FRootAncestor) == MethodName(P, v);
        }
        return false;
    }
    case pkClass:
        return false;
    }
    return false;
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo* P)
{
    WritePropName(P->Name);
    switch (P->Kind) {
    case pkInteger: case pkInt64:
        WriteInteger(P->GetOrd(Instance));
        break;
    case pkBoolean:
        WriteBoolean(P->GetOrd(Instance) != 0);
        break;
    case pkEnum: {
        const int64_t v = P->GetOrd(Instance);
        const QString name = P->Enum->NameOf(v);
        if (name.isEmpty())
            throw EWriteError(QStringLiteral("Invalid value %d of property %s"), {v, P->Name});
        WriteIdent(name);
        break;
    }
    case pkSet: {
        const uint64_t bits = uint64_t(P->GetOrd(Instance));
        QStringList members;
        for (int i = 0; i < 64; ++i)
            if (bits & (uint64_t(1) << i)) {
                const QString name = P->Enum->NameOf(i);
                if (name.isEmpty())
                    throw EWriteError(QStringLiteral("Invalid value %d of property %s"), {i, P->Name});
                members << name;
            }
        WriteSet(members);
        break;
    }
    case pkFloat:
        WriteFloat(P->GetFloat(Instance));
        break;
    case pkDate:
        WriteDate(P->GetFloat(Instance));
        break;
    case pkCurrency:
        WriteCurrency(P->GetCurr(Instance));
        break;
    case pkString:
        WriteString(P->GetStr(Instance));
        break;
    case pkComponent: {
        auto* c = dynamic_cast<TComponent*>(P->GetObj(Instance));
        const QString name = ComponentRefName(c);
        if (name.isEmpty())
            WriteNil();
        else
            WriteIdent(name);
        break;
    }
    case pkCollection: {
        TPersistent* saved = FAncestor;
        FAncestor = nullptr;   // items are written whole
        WriteCollection(static_cast<TCollection*>(P->GetObj(Instance)));
        FAncestor = saved;
        break;
    }
    case pkEvent: {
        const std::any v = P->GetEvent(Instance);
        if (P->EventAssigned(v))
            WriteIdent(MethodName(P, v));
        else
            WriteNil();
        break;
    }
    case pkVariant:
        WriteVariant(P->GetVar(Instance));
        break;
    case pkClass:
        break;
    }
}

void TWriter::WriteVariant(const Variant& Value)
{
    switch (Value.VarType()) {
    case varEmpty: WriteNil(); break;
    case varNull: WriteNull(); break;
    case varShortInt: case varByte: case varSmallint: case varWord: case varInteger:
        WriteInteger(Value.AsInteger());
        break;
    case varLongWord: case varInt64:
        WriteValue(vaInt64);
        WriteLE(*this, Value.AsInt64());
        break;
    case varSingle: WriteSingle(float(Value.AsDouble())); break;
    case varDouble: WriteFloat(Value.AsDouble()); break;
    case varCurrency: WriteCurrency(Value.AsCurrency()); break;
    case varDate: WriteDate(Value.AsDateTime()); break;
    case varBoolean: WriteBoolean(Value.AsBoolean()); break;
    case varOleStr: WriteWideString(Value.AsString()); break;
    case varString: case varUString: WriteString(Value.AsString()); break;
    default:
        throw EWriteError(QStringLiteral("Invalid property value"));
    }
}

void TWriter::WriteCollection(TCollection* Value)
{
    WriteValue(vaCollection);
    if (Value) {
        const QString savedPath = FPropPath;
        TPersistent* savedAncestor = FAncestor;
        FPropPath.clear();
        FAncestor = nullptr;
        auto cleanup = Finally([&] {
            FPropPath = savedPath;
            FAncestor = savedAncestor;
        });
        for (int i = 0; i < Value->Count(); ++i) {
            WriteListBegin();
            WriteProperties(Value->Items(i));
            WriteListEnd();
        }
    }
    WriteListEnd();
}

// ---------------------------------------------------------------- TReader

TReader::TReader(TStream* Stream) : TFiler(Stream) {}

TReader::~TReader() = default;

void TReader::Read(void* Buf, int64_t Count)
{
    FStream->ReadBuffer(Buf, Count);
}

int64_t TReader::Remaining()
{
    return FStream->Size() - FStream->Position();
}

void TReader::PropValueError()
{
    throw EReadError(QStringLiteral("Invalid property value"));
}

void TReader::FormatError()
{
    throw EReadError(QStringLiteral("Invalid stream format"));
}

void TReader::EnterNesting()
{
    if (++FDepth > MaxDepth) {
        --FDepth;
        FormatError();
    }
}

void TReader::ReadSignature()
{
    char sig[4];
    Read(sig, 4);
    if (std::memcmp(sig, kSignature, 4) != 0)
        FormatError();
}

TValueType TReader::ReadValue()
{
    uint8_t b;
    Read(&b, 1);
    if (b > vaLastValueType)
        PropValueError();
    return TValueType(b);
}

TValueType TReader::NextValue()
{
    const TValueType v = ReadValue();
    FStream->Seek(-1, soCurrent);
    return v;
}

void TReader::CheckValue(TValueType Value)
{
    if (ReadValue() != Value) {
        FStream->Seek(-1, soCurrent);
        SkipValue();
        PropValueError();
    }
}

bool TReader::EndOfList()
{
    // A raw peek: a component list may go on with a prefix byte that is no value tag.
    uint8_t b;
    Read(&b, 1);
    FStream->Seek(-1, soCurrent);
    return b == vaNull;
}

void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

QString TReader::ReadStr()
{
    uint8_t n;
    Read(&n, 1);
    QByteArray b(n, Qt::Uninitialized);
    Read(b.data(), n);
    return QString::fromUtf8(b);
}

void TReader::ReadPrefix(TFilerFlags& Flags, int& ChildPos)
{
    Flags = TFilerFlags();
    ChildPos = 0;
    uint8_t b;
    Read(&b, 1);
    if ((b & 0xF0) == 0xF0) {
        Flags = TFilerFlags::FromBits(b & 0x07);
        if (Flags.Contains(ffChildPos))
            ChildPos = ReadInteger();
    } else {
        FStream->Seek(-1, soCurrent);
    }
}

int64_t TReader::ReadInt64()
{
    uint8_t buf[8];
    switch (ReadValue()) {
    case vaInt8: Read(buf, 1); return int8_t(buf[0]);
    case vaInt16: Read(buf, 2); return qFromLittleEndian<int16_t>(buf);
    case vaInt32: Read(buf, 4); return qFromLittleEndian<int32_t>(buf);
    case vaInt64: Read(buf, 8); return qFromLittleEndian<int64_t>(buf);
    default:
        PropValueError();
    }
}

int32_t TReader::ReadInteger()
{
    if (NextValue() == vaInt64)
        PropValueError();
    return int32_t(ReadInt64());
}

TExtended80 TReader::ReadExtended()
{
    if (NextValue() != vaExtended)
        return TExtended80::FromDouble(ReadFloat());
    ReadValue();
    TExtended80 x;
    Read(x.Bytes, 10);
    return x;
}

double TReader::ReadFloat()
{
    uint8_t buf[10];
    switch (NextValue()) {
    case vaExtended: {
        ReadValue();
        TExtended80 x;
        Read(x.Bytes, 10);
        return x.ToDouble();
    }
    case vaSingle:
        return ReadSingle();
    case vaDouble: case vaDate: {
        ReadValue();
        Read(buf, 8);
        const uint64_t bits = qFromLittleEndian<uint64_t>(buf);
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    case vaCurrency:
        return ReadCurrency().ToDouble();
    case vaInt8: case vaInt16: case vaInt32: case vaInt64:
        return double(ReadInt64());
    default:
        ReadValue();
        PropValueError();
    }
}

float TReader::ReadSingle()
{
    const TValueType t = NextValue();
    if (t != vaSingle)
        return float(ReadFloat());
    ReadValue();
    uint8_t buf[4];
    Read(buf, 4);
    const uint32_t bits = qFromLittleEndian<uint32_t>(buf);
    float f;
    std::memcpy(&f, &bits, 4);
    return f;
}

Currency TReader::ReadCurrency()
{
    if (NextValue() != vaCurrency) {
        const double d = ReadFloat();
        try {
            return Currency::FromDouble(d);
        } catch (const Exception&) {
            PropValueError();
        }
    }
    ReadValue();
    uint8_t buf[8];
    Read(buf, 8);
    return Currency::FromRaw(qFromLittleEndian<int64_t>(buf));
}

TDateTime TReader::ReadDate()
{
    return ReadFloat();
}

QString TReader::ReadWideChars(int64_t len)
{
    if (len < 0 || len * 2 > Remaining())
        throw EReadError(QStringLiteral("Stream read error"));
    QByteArray b(qsizetype(len * 2), Qt::Uninitialized);
    Read(b.data(), b.size());
    QString s(qsizetype(len), Qt::Uninitialized);
    for (qsizetype i = 0; i < len; ++i)
        s[i] = QChar(qFromLittleEndian<uint16_t>(b.constData() + 2 * i));
    return s;
}

QString TReader::ReadString()
{
    uint8_t buf[4];
    switch (ReadValue()) {
    case vaString: {
        Read(buf, 1);
        QByteArray b(buf[0], Qt::Uninitialized);
        Read(b.data(), b.size());
        return CP1251ToUnicode(b);
    }
    case vaLString: case vaUTF8String: {
        FStream->Seek(-1, soCurrent);
        const TValueType t = ReadValue();
        Read(buf, 4);
        const int32_t len = qFromLittleEndian<int32_t>(buf);
        if (len < 0 || len > Remaining())
            throw EReadError(QStringLiteral("Stream read error"));
        QByteArray b(len, Qt::Uninitialized);
        Read(b.data(), len);
        return t == vaUTF8String ? QString::fromUtf8(b) : CP1251ToUnicode(b);
    }
    case vaWString:
        Read(buf, 4);
        return ReadWideChars(qFromLittleEndian<int32_t>(buf));
    default:
        FStream->Seek(-1, soCurrent);
        SkipValue();
        PropValueError();
    }
}

QString TReader::ReadIdent()
{
    switch (ReadValue()) {
    case vaIdent: return ReadStr();
    case vaFalse: return QStringLiteral("False");
    case vaTrue: return QStringLiteral("True");
    case vaNil: return QStringLiteral("nil");
    case vaNull: return QStringLiteral("Null");
    default:
        FStream->Seek(-1, soCurrent);
        SkipValue();
        PropValueError();
    }
}

bool TReader::ReadBoolean()
{
    switch (ReadValue()) {
    case vaTrue: return true;
    case vaFalse: return false;
    default:
        FStream->Seek(-1, soCurrent);
        SkipValue();
        PropValueError();
    }
}

QStringList TReader::ReadSet()
{
    CheckValue(vaSet);
    QStringList members;
    for (;;) {
        const QString s = ReadStr();
        if (s.isEmpty())
            break;
        members << s;
    }
    return members;
}

Variant TReader::ReadVariant()
{
    switch (NextValue()) {
    case vaNil: ReadValue(); return Variant();
    case vaNull: ReadValue(); return Variant::Null();
    case vaInt8: return Variant::FromShortInt(int8_t(ReadInteger()));
    case vaInt16: return Variant::FromSmallint(int16_t(ReadInteger()));
    case vaInt32: return Variant(int(ReadInteger()));
    case vaInt64: return Variant(static_cast<long long>(ReadInt64()));
    case vaExtended: case vaDouble: return Variant(ReadFloat());
    case vaSingle: return Variant::FromSingle(ReadSingle());
    case vaCurrency: return Variant(ReadCurrency());
    case vaDate: return Variant::FromDate(ReadDate());
    case vaFalse: case vaTrue: return Variant(ReadBoolean());
    case vaString: case vaLString: case vaUTF8String: return Variant::FromString(ReadString());
    case vaWString: return Variant::FromOleStr(ReadString());
    default:
        SkipValue();
        PropValueError();
    }
}

QByteArray TReader::ReadBinary()
{
    CheckValue(vaBinary);
    uint8_t buf[4];
    Read(buf, 4);
    const int32_t len = qFromLittleEndian<int32_t>(buf);
    if (len < 0 || len > Remaining())
        throw EReadError(QStringLiteral("Stream read error"));
    QByteArray b(len, Qt::Uninitialized);
    Read(b.data(), len);
    return b;
}

void TReader::SkipValue()
{
    auto skip = [this](int64_t n) {
        if (n < 0 || n > Remaining())
            throw EReadError(QStringLiteral("Stream read error"));
        FStream->Seek(n, soCurrent);
    };
    auto len32 = [this]() {
        uint8_t buf[4];
        Read(buf, 4);
        return int64_t(qFromLittleEndian<int32_t>(buf));
    };
    switch (ReadValue()) {
    case vaNull: case vaFalse: case vaTrue: case vaNil:
        break;
    case vaList:
        EnterNesting();
        while (!EndOfList())
            SkipValue();
        ReadValue();
        LeaveNesting();
        break;
    case vaInt8: skip(1); break;
    case vaInt16: skip(2); break;
    case vaInt32: case vaSingle: skip(4); break;
    case vaInt64: case vaCurrency: case vaDate: case vaDouble: skip(8); break;
    case vaExtended: skip(10); break;
    case vaString: case vaIdent: {
        uint8_t n;
        Read(&n, 1);
        skip(n);
        break;
    }
    case vaLString: case vaBinary: case vaUTF8String: skip(len32()); break;
    case vaWString: skip(len32() * 2); break;
    case vaSet:
        while (!ReadStr().isEmpty()) {}
        break;
    case vaCollection:
        EnterNesting();
        while (!EndOfList()) {
            const TValueType t = NextValue();
            if (t == vaInt8 || t == vaInt16 || t == vaInt32)
                ReadInteger();
            CheckValue(vaList);
            while (!EndOfList()) {
                ReadStr();
                SkipValue();
            }
            ReadValue();
        }
        ReadValue();
        LeaveNesting();
        break;
    }
}

void TReader::DefineProperty(const QString& Name, const TReaderProc& ReadData, const TWriterProc&, bool)
{
    if (FCollectingDefined)
        FDefined.push_back({Name, ReadData, nullptr});
}

void TReader::DefineBinaryProperty(const QString& Name, const TStreamProc& ReadData, const TStreamProc&, bool)
{
    if (FCollectingDefined)
        FDefined.push_back({Name, nullptr, ReadData});
}

namespace {
thread_local int gCreatingFromStream = 0;
}

bool CreatingFromStream()
{
    return gCreatingFromStream > 0;
}

// The handler may supply the instance; otherwise the class makes one, which the reader
// frees again if the read fails.
TComponent* TReader::CreateComponentOf(const QString& ClassName, TComponent* Owner)
{
    TComponentClass cls = FindComponentClass(ClassName);
    TComponent* result = nullptr;
    if (OnCreateComponent)
        OnCreateComponent(this, cls, result);
    if (!result) {
        if (!cls->CreateComponent)
            throw EReadError(QStringLiteral("Cannot create an instance of %s"), {ClassName});
        {
            struct Creating {
                Creating() { ++gCreatingFromStream; }
                ~Creating() { --gCreatingFromStream; }
            } creating;
            result = cls->CreateComponent(Owner);
        }
        FCreated.append(result);
    }
    return result;
}

void TReader::MarkReading(TComponent* Component, TFilerFlags Flags)
{
    Component->FComponentState.Include(csLoading);
    Component->FComponentState.Include(csReading);
    if (Flags.Contains(ffInline))
        Component->FComponentState.Include(csInline);
}

TComponentClass TReader::FindComponentClass(const QString& ClassName)
{
    TComponentClass cls = nullptr;
    if (OnFindComponentClass)
        OnFindComponentClass(this, ClassName, cls);
    if (!cls)
        cls = FindClass(ClassName);   // EClassNotFound
    if (!cls->InheritsFrom(&TComponent::StaticClassInfo()))
        throw EClassNotFound(QStringLiteral("Class %s not found"), {ClassName});
    return cls;
}

QString TReader::ErrorContext() const
{
    QString s = FComponentPath;
    if (!FPropName.isEmpty())
        s += (s.isEmpty() ? QString() : QStringLiteral(".")) + FPropName;
    return s;
}

// Puts where the error happened in front of the message, once.
void TReader::Decorate(Exception& e, const QString& where)
{
    if (Decorated(e))
        return;
    e.SetMessage((SourceName.isEmpty() ? QString() : SourceName + QStringLiteral(": "))
                 + QStringLiteral("Error reading %1: ").arg(where) + e.Message());
    FDecorated = e.Message();
}

void TReader::ReadProperty(TPersistent* Instance)
{
    const QString name = ReadStr();
    TRestoreGuard<QString> prop(FPropName, FPropName.isEmpty() ? name : FPropName + u'.' + name);
    const int64_t valuePos = FStream->Position();
    try {
        TPersistent* obj = Instance;
        const QStringList parts = name.split(u'.');
        for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
            const TPropInfo* p = obj->ClassInfo().FindProperty(parts[i]);
            if (!p)
                throw EReadError(QStringLiteral("Property %s does not exist"), {parts[i]});
            if (p->Kind != pkClass && p->Kind != pkCollection)
                PropValueError();
            obj = p->GetObj(obj);
            if (!obj)
                PropValueError();
        }
        const QString last = parts.last();
        // Properties the object defines itself come first.
        FDefined.clear();
        {
            TRestoreGuard<bool> collecting(FCollectingDefined, true);
            obj->DefineProperties(this);
        }
        std::vector<DefinedProp> defined;
        defined.swap(FDefined);
        for (const DefinedProp& d : defined) {
            if (d.Name.compare(last, Qt::CaseInsensitive) != 0)
                continue;
            if (d.Read) {
                d.Read(this);
            } else if (d.ReadBinary) {
                const QByteArray data = ReadBinary();
                TMemoryStream ms;
                ms.WriteBytes(data);
                ms.SetPosition(0);
                d.ReadBinary(&ms);
            } else {
                SkipValue();
            }
            return;
        }
        const TPropInfo* p = obj->ClassInfo().FindProperty(last);
        if (!p)
            throw EReadError(QStringLiteral("Property %s does not exist"), {last});
        ReadPropValue(obj, p);
    } catch (Exception& e) {
        if (!Decorated(e)) {
            bool handled = false;
            if (OnError && dynamic_cast<EFilerError*>(&e)) {
                OnError(this, e.Message(), handled);
                if (handled) {
                    FStream->SetPosition(valuePos);
                    SkipValue();
                    return;
                }
            }
            Decorate(e, ErrorContext());
        }
        throw;
    }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo* P)
{
    if (!P->Writable()) {
        SkipValue();
        throw EReadError(QStringLiteral("Property %s is read-only"), {P->Name});
    }
    switch (P->Kind) {
    case pkInteger:
    case pkInt64: {
        int64_t v = 0;
        if (NextValue() == vaIdent) {
            if (!IdentToInteger(ReadIdent(), v))
                PropValueError();
        } else {
            v = ReadInt64();
        }
        if (P->Kind == pkInteger && (v < INT32_MIN || v > INT32_MAX))
            PropValueError();
        P->SetOrd(Instance, v);
        break;
    }
    case pkBoolean:
        P->SetOrd(Instance, ReadBoolean() ? 1 : 0);
        break;
    case pkEnum: {
        if (NextValue() != vaIdent) {
            SkipValue();
            PropValueError();
        }
        const int v = P->Enum->ValueOf(ReadIdent());
        if (v < 0)
            PropValueError();
        P->SetOrd(Instance, v);
        break;
    }
    case pkSet: {
        uint64_t bits = 0;
        for (const QString& m : ReadSet()) {
            const int v = P->Enum->ValueOf(m);
            if (v < 0 || v >= 64)
                PropValueError();
            bits |= uint64_t(1) << v;
        }
        P->SetOrd(Instance, int64_t(bits));
        break;
    }
    case pkFloat:
        P->SetFloat(Instance, ReadFloat());
        break;
    case pkDate:
        P->SetFloat(Instance, ReadDate());
        break;
    case pkCurrency:
        P->SetCurr(Instance, ReadCurrency());
        break;
    case pkString:
        P->SetStr(Instance, ReadString());
        break;
    case pkVariant:
        P->SetVar(Instance, ReadVariant());
        break;
    case pkComponent: {
        const TValueType t = NextValue();
        if (t == vaNil || t == vaNull) {
            ReadValue();
            P->SetObj(Instance, nullptr);
        } else if (t == vaIdent) {
            const QString ref = ReadIdent();
            FFixups.push_back({Instance, P, ref, ErrorContext()});
        } else {
            SkipValue();
            PropValueError();
        }
        break;
    }
    case pkCollection: {
        const TValueType t = NextValue();
        auto* coll = static_cast<TCollection*>(P->GetObj(Instance));
        if (t == vaNil) {
            ReadValue();
            if (coll)
                coll->Clear();
        } else if (t == vaCollection && coll) {
            ReadCollection(coll);
        } else {
            SkipValue();
            PropValueError();
        }
        break;
    }
    case pkClass: {
        if (NextValue() != vaNil) {
            SkipValue();
            PropValueError();
        }
        ReadValue();
        if (P->SetObj)
            P->SetObj(Instance, nullptr);
        break;
    }
    case pkEvent: {
        const TValueType t = NextValue();
        if (t == vaNil || t == vaNull) {
            ReadValue();
            P->SetEvent(Instance, std::any());
            break;
        }
        if (t != vaIdent) {
            SkipValue();
            PropValueError();
        }
        const QString name = ReadIdent();
        std::any method;
        bool error = true;
        if (OnFindMethod)
            OnFindMethod(this, name, method, error);
        if (!method.has_value()) {
            const TMethodInfo* m = FRoot ? FRoot->ClassInfo().FindMethod(name) : nullptr;
            if (!m)
                throw EReadError(QStringLiteral("Method %s not found"), {name});
            if (m->Type != P->EventType)
                throw EReadError(QStringLiteral("Method %s does not fit event %s"), {name, P->Name});
            method = m->Make(FRoot);
        } else if (std::type_index(method.type()) != P->EventType) {
            throw EReadError(QStringLiteral("Method %s does not fit event %s"), {name, P->Name});
        }
        P->SetEvent(Instance, method);
        break;
    }
    }
}

void TReader::ReadCollection(TCollection* Collection)
{
    CheckValue(vaCollection);
    EnterNesting();
    auto nesting = Finally([this] { LeaveNesting(); });
    TRestoreGuard<QString> prop(FPropName);
    const QString savedProp = FPropName;
    TUpdateGuard update(Collection);
    Collection->Clear();
    int index = 0;
    while (!EndOfList()) {
        const TValueType t = NextValue();
        if (t == vaInt8 || t == vaInt16 || t == vaInt32)
            ReadInteger();   // the item's order, kept for compatibility
        CheckValue(vaList);
        TCollectionItem* item = Collection->Add();
        FPropName = QStringLiteral("%1[%2]").arg(savedProp).arg(index);
        while (!EndOfList())
            ReadProperty(item);
        ReadValue();
        FPropName = savedProp;
        ++index;
    }
    ReadValue();
}

void TReader::ReadData(TComponent* Instance)
{
    EnterNesting();
    auto nesting = Finally([this] { LeaveNesting(); });
    TRestoreGuard<TComponent*> owner(FOwner);
    TRestoreGuard<TComponent*> parent(FParent);
    TRestoreGuard<QString> path(FComponentPath);
    TRestoreGuard<QString> prop(FPropName, QString());
    while (!EndOfList())
        ReadProperty(Instance);
    ReadValue();
    FOwner = Instance->GetChildOwner();
    if (!FOwner)
        FOwner = FRoot;
    FParent = Instance->GetChildParent();
    while (!EndOfList())
        ReadComponentInner(nullptr);
    ReadValue();
}

TComponent* TReader::ReadComponentInner(TComponent* Component)
{
    TFilerFlags flags;
    int pos = 0;
    QString className, name;
    TComponent* result = Component;
    try {
        ReadPrefix(flags, pos);
        className = ReadStr();
        name = ReadStr();
        FComponentPath = name.isEmpty() ? className : name;
        FPropName.clear();
        if (!result) {
            TComponent* owner = FOwner ? FOwner : FRoot;
            if (flags.Contains(ffInherited)) {
                result = owner ? owner->FindComponent(name) : nullptr;
                if (!result)
                    throw EReadError(QStringLiteral("Ancestor for '%s' not found"), {name});
            } else {
                result = CreateComponentOf(className, owner);
                MarkReading(result, flags);
                QString newName = name;
                if (OnSetName)
                    OnSetName(this, result, newName);
                result->SetName(newName);
            }
        }
        result->FComponentState.Include(csLoading);
        result->FComponentState.Include(csReading);
        if (FParent && FParent != result) {
            result->SetParentComponent(FParent);
            if (flags.Contains(ffChildPos))
                FParent->SetChildOrder(result, pos);
        }
        if (!FLoaded.contains(result))
            FLoaded.append(result);
        result->ReadState(this);
        result->FComponentState.Exclude(csReading);
    } catch (Exception& e) {
        Decorate(e, FComponentPath.isEmpty() ? QStringLiteral("component") : FComponentPath);
        throw;
    }
    return result;
}

TComponent* TReader::FindReference(const QString& Name)
{
    TComponent* c = nullptr;
    if (OnFindComponent)
        OnFindComponent(this, Name, c);
    if (c)
        return c;
    const QStringList parts = Name.split(u'.');
    auto first = [this](const QString& n) -> TComponent* {
        if (FRoot && FRoot->Name().compare(n, Qt::CaseInsensitive) == 0 && !n.isEmpty())
            return FRoot;
        if (FRoot)
            if (TComponent* x = FRoot->FindComponent(n))
                return x;
        return FindGlobalComponent(n);
    };
    c = first(parts[0]);
    for (qsizetype i = 1; c && i < parts.size(); ++i)
        c = c->FindComponent(parts[i]);
    return c;
}

void TReader::ResolveFixups()
{
    std::vector<Fixup> fixups;
    fixups.swap(FFixups);
    for (const Fixup& f : fixups) {
        TComponent* c = FindReference(f.Name);
        if (!c || (f.Prop->AcceptsObj && !f.Prop->AcceptsObj(c))) {
            EReadError e(c ? QStringLiteral("Invalid property value") : QStringLiteral("Component %1 not found").arg(f.Name));
            Decorate(e, f.Context);
            throw e;
        }
        f.Prop->SetObj(f.Instance, c);
    }
}

void TReader::CallLoaded()
{
    const QList<TComponent*> loaded = FLoaded;
    FLoaded.clear();
    for (TComponent* c : loaded) {
        c->Loaded();
        c->FComponentState.Exclude(csLoading);
    }
}

void TReader::DiscardCreated()
{
    // Those that existed before the read stay, no longer loading.
    for (TComponent* c : std::as_const(FLoaded))
        if (!FCreated.contains(c)) {
            c->FComponentState.Exclude(csLoading);
            c->FComponentState.Exclude(csReading);
        }
    FLoaded.clear();
    // Latest first: owners created in this read outlive what they own in the list.
    while (!FCreated.isEmpty())
        delete FCreated.takeLast();
    FFixups.clear();
}

TComponent* TReader::ReadRootComponent(TComponent* Root)
{
    ReadSignature();
    return ReadComponent(Root);
}

TComponent* TReader::ReadComponent(TComponent* Component)
{
    if (FInRoot)
        return ReadComponentInner(Component);

    FInRoot = true;
    FLoaded.clear();
    FCreated.clear();
    FFixups.clear();
    FDepth = 0;
    FComponentPath.clear();
    FPropName.clear();
    TComponent* savedRoot = FRoot;
    TComponent* result = Component;
    auto inRoot = Finally([this] { FInRoot = false; });
    auto undo = OnFailure([&] {
        DiscardCreated();
        FRoot = savedRoot;
    });
    try {
        TFilerFlags flags;
        int pos = 0;
        ReadPrefix(flags, pos);
        const QString className = ReadStr();
        const QString name = ReadStr();
        FComponentPath = name.isEmpty() ? className : name;
        if (!result) {
            result = CreateComponentOf(className, nullptr);
        }
        MarkReading(result, flags);
        FRoot = result;
        FLookupRoot = result;
        FOwner = result;
        FParent = result;
        // A root keeps a name it was given; an unnamed one takes the stream's (made unique
        // among its owner's components).
        if (result->Name().isEmpty() && !name.isEmpty()) {
            QString n = name;
            if (TComponent* owner = result->Owner())
                for (int i = 1; owner->FindComponent(n) && owner->FindComponent(n) != result; ++i)
                    n = QStringLiteral("%1_%2").arg(name).arg(i);
            result->SetName(n);
        }
        FLoaded.append(result);
        result->ReadState(this);
        result->FComponentState.Exclude(csReading);
        ResolveFixups();
        CallLoaded();
    } catch (Exception& e) {
        Decorate(e, FComponentPath.isEmpty() ? QStringLiteral("stream") : FComponentPath);
        FDecorated.clear();
        throw;
    }
    FCreated.clear();
    return result;
}

// ---------------------------------------------------------------- component hooks

void TComponent::ReadState(TReader* Reader)
{
    Reader->ReadData(this);
}

void TComponent::WriteState(TWriter* Writer)
{
    Writer->WriteData(this);
}

// ---------------------------------------------------------------- global component lookup

namespace {
std::vector<std::function<TComponent*(const QString&)>>& GlobalFinders()
{
    static std::vector<std::function<TComponent*(const QString&)>> f;
    return f;
}
}

void RegisterFindGlobalComponent(const std::function<TComponent*(const QString& Name)>& Finder)
{
    GlobalFinders().push_back(Finder);
}

TComponent* FindGlobalComponent(const QString& Name)
{
    for (const auto& f : GlobalFinders())
        if (TComponent* c = f(Name))
            return c;
    return nullptr;
}

namespace {
std::vector<std::function<bool(const QString&, int64_t&)>>& IntegerIdentFinders()
{
    static std::vector<std::function<bool(const QString&, int64_t&)>> f;
    return f;
}
}

void RegisterIntegerIdents(const std::function<bool(const QString& Ident, int64_t& Value)>& Finder)
{
    IntegerIdentFinders().push_back(Finder);
}

bool IdentToInteger(const QString& Ident, int64_t& Value)
{
    for (const auto& f : IntegerIdentFinders())
        if (f(Ident, Value))
            return true;
    return false;
}

// ---------------------------------------------------------------- conveniences

QByteArray ComponentToBinary(TComponent* Root)
{
    TMemoryStream ms;
    TWriter w(&ms);
    w.WriteRootComponent(Root);
    return QByteArray(static_cast<const char*>(ms.Memory()), qsizetype(ms.Size()));
}

QString ComponentToText(TComponent* Root)
{
    TMemoryStream bin;
    TWriter w(&bin);
    w.WriteRootComponent(Root);
    bin.SetPosition(0);
    TMemoryStream text;
    ObjectBinaryToText(&bin, &text);
    return QString::fromUtf8(static_cast<const char*>(text.Memory()), qsizetype(text.Size()));
}

TComponent* ReadComponentRes(const QByteArray& Data, TComponent* Root, const QString& SourceName)
{
    TMemoryStream input;
    input.WriteBytes(Data);
    input.SetPosition(0);
    TMemoryStream bin;
    try {
        ObjectTextOrBinaryToBinary(&input, &bin);
    } catch (Exception& e) {
        if (!SourceName.isEmpty())
            e.SetMessage(SourceName + QStringLiteral(": ") + e.Message());
        throw;
    }
    bin.SetPosition(0);
    TReader r(&bin);
    r.SourceName = SourceName;
    return r.ReadRootComponent(Root);
}

// ---------------------------------------------------------------- bare binary data

namespace {
// Takes the first binary property defined and runs its reader or writer on the stream.
class TPersistentDataFiler : public TFiler {
public:
    TPersistentDataFiler(TStream* Stream, bool Writing) : TFiler(Stream), FWriting(Writing) {}
    bool Run(TPersistent* Instance)
    {
        CallDefineProperties(Instance, this);
        return FDone;
    }
    void DefineProperty(const QString&, const TReaderProc&, const TWriterProc&, bool) override {}
    void DefineBinaryProperty(const QString&, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override
    {
        if (FDone)
            return;
        FDone = true;
        if (FWriting) {
            if (HasData && WriteData)
                WriteData(FStream);
        } else if (ReadData) {
            ReadData(FStream);
        }
    }

private:
    bool FWriting;
    bool FDone = false;
};
}

bool WritePersistentData(TPersistent* Instance, TStream* Stream)
{
    return Instance && TPersistentDataFiler(Stream, true).Run(Instance);
}

bool ReadPersistentData(TPersistent* Instance, TStream* Stream)
{
    return Instance && TPersistentDataFiler(Stream, false).Run(Instance);
}
