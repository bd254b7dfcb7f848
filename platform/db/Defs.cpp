#include "DB.h"

#include <memory>

// ---------------------------------------------------------------- TFieldDef

TFieldDef::TFieldDef(TCollection* Collection) : TCollectionItem(Collection) {}

TFieldDef::~TFieldDef()
{
    delete FChildDefs;
}

TFieldDefs* TFieldDef::FieldDefs() const
{
    return static_cast<TFieldDefs*>(Collection());
}

TDataSet* TFieldDef::DataSet() const
{
    return FieldDefs() ? FieldDefs()->DataSet() : nullptr;
}

bool TFieldDef::HasChildDefs() const
{
    return FChildDefs && FChildDefs->Count() > 0;
}

TFieldDefs* TFieldDef::ChildDefs()
{
    if (!FChildDefs)
        FChildDefs = new TFieldDefs(this);
    return FChildDefs;
}

void TFieldDef::Changed()
{
    TCollectionItem::Changed(false);
}

void TFieldDef::SetName(const QString& v)
{
    if (v != FName) {
        FName = v;
        Changed();
    }
}

void TFieldDef::SetDataType(TFieldType v)
{
    if (v == FDataType)
        return;
    FDataType = v;
    switch (v) {  // sizes the types carry by themselves
    case ftBCD: if (FSize == 0) FSize = 4; break;
    case ftFMTBcd: if (FSize == 0) FSize = 8; break;
    case ftGuid: if (FSize < 38) FSize = 38; break;
    case ftString: case ftWideString: case ftFixedChar: case ftFixedWideChar:
    case ftBytes: case ftVarBytes: case ftBlob: case ftMemo: case ftWideMemo: case ftGraphic:
    case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: case ftOraBlob: case ftOraClob:
        break;
    default: FSize = 0; break;
    }
    Changed();
}

void TFieldDef::SetSize(int v)
{
    if (v != FSize) {
        FSize = v;
        Changed();
    }
}

void TFieldDef::SetPrecision(int v)
{
    if (v != FPrecision) {
        FPrecision = v;
        Changed();
    }
}

void TFieldDef::SetAttributes(TFieldAttributes v)
{
    if (!(v == FAttributes)) {
        FAttributes = v;
        Changed();
    }
}

void TFieldDef::SetRequired(bool v)
{
    TFieldAttributes a = FAttributes;
    if (v)
        a.Include(faRequired);
    else
        a.Exclude(faRequired);
    SetAttributes(a);
}

void TFieldDef::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TFieldDef*>(Source);
    if (!s) {
        TCollectionItem::Assign(Source);
        return;
    }
    FName = s->FName;
    FDataType = s->FDataType;
    FSize = s->FSize;
    FPrecision = s->FPrecision;
    FAttributes = s->FAttributes;
    FInternalCalcField = s->FInternalCalcField;
    if (s->HasChildDefs())
        ChildDefs()->Assign(s->FChildDefs);
    else if (FChildDefs)
        FChildDefs->Clear();
    Changed();
}

TField* TFieldDef::CreateField(TComponent* Owner, const QString& FieldName)
{
    TDataSet* ds = DataSet();
    const TClassInfo* cls = ds ? ds->GetFieldClass(FDataType) : nullptr;
    if (!cls || !cls->CreateComponent)
        DatabaseErrorFmt(QStringLiteral("Field '%s' is of an unknown type"), {FName}, ds);
    // The component is the owner's only once it is fully set up.
    std::unique_ptr<TComponent> c(cls->CreateComponent(Owner));
    auto* f = dynamic_cast<TField*>(c.get());
    if (!f)
        DatabaseErrorFmt(QStringLiteral("Field '%s' is of an unknown type"), {FName}, ds);
    switch (FDataType) {
    case ftString: case ftWideString: case ftFixedChar: case ftFixedWideChar: case ftGuid:
    case ftBytes: case ftVarBytes:
        f->SetSize(FSize);
        break;
    case ftBCD: case ftFMTBcd:
        f->SetSize(FSize);
        static_cast<TBCDField*>(f)->SetPrecision(FPrecision);
        break;
    default:
        break;
    }
    if (auto* sf = dynamic_cast<TStringField*>(f); sf && (FDataType == ftFixedChar || FDataType == ftFixedWideChar)) {
        sf->SetFixedChar(true);
        f->SetDataType(FDataType);
    }
    if (auto* bf = dynamic_cast<TBlobField*>(f))
        bf->SetBlobType(FDataType);
    if (FDataType == ftOraTimeStamp)
        f->SetDataType(ftOraTimeStamp);
    f->FFieldName = FieldName.isEmpty() ? FName : FieldName;
    f->SetRequired(Required());
    f->FReadOnly = FAttributes.Contains(faReadonly);
    if (FAttributes.Contains(faHiddenCol))
        f->FVisible = false;
    if (FInternalCalcField)
        f->FFieldKind = fkInternalCalc;
    f->SetDataSet(ds);
    c.release();
    return f;
}

// ---------------------------------------------------------------- TFieldDefs

TFieldDefs::TFieldDefs(TPersistent* AOwner) : TOwnedCollection(AOwner, TFieldDef::StaticClassInfo())
{
    FDataSet = dynamic_cast<TDataSet*>(AOwner);
    if (!FDataSet) {
        FParentDef = dynamic_cast<TFieldDef*>(AOwner);
        if (FParentDef)
            FDataSet = FParentDef->DataSet();
    }
}

TFieldDef* TFieldDefs::Add(const QString& Name, TFieldType DataType, int Size, bool Required)
{
    if (Name.isEmpty())
        DatabaseError(QString::fromLatin1(DBMsg::FieldNameMissing), FDataSet);
    if (IndexOf(Name) >= 0)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::DuplicateFieldName), {Name}, FDataSet);
    BeginUpdate();
    TFieldDef* d = AddFieldDef();
    d->SetName(Name);
    d->SetDataType(DataType);
    if (Size != 0 || DataType == ftString || DataType == ftWideString)
        d->SetSize(Size);
    d->SetRequired(Required);
    EndUpdate();
    return d;
}

int TFieldDefs::IndexOf(const QString& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name().compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TFieldDef* TFieldDefs::Find(const QString& Name) const
{
    int i = IndexOf(Name);
    if (i < 0)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {Name}, FDataSet);
    return Items(i);
}

void TFieldDefs::Update()
{
    if (FDataSet && !FUpdated)
        FDataSet->InitFieldDefs();
}

void TFieldDefs::Update(TCollectionItem* Item)
{
    if (FDataSet && !FParentDef)
        FDataSet->DefChanged(this);
}

// ---------------------------------------------------------------- index definitions

void TIndexDef::Assign(TPersistent* From)
{
    auto* s = dynamic_cast<TIndexDef*>(From);
    if (!s) {
        TCollectionItem::Assign(From);
        return;
    }
    Name = s->Name;
    Fields = s->Fields;
    DescFields = s->DescFields;
    CaseInsFields = s->CaseInsFields;
    Expression = s->Expression;
    Source = s->Source;
    Options = s->Options;
    GroupingLevel = s->GroupingLevel;
    Changed(false);
}

TIndexDefs::TIndexDefs(TDataSet* DataSet) : TOwnedCollection(DataSet, TIndexDef::StaticClassInfo()), FDataSet(DataSet) {}

TIndexDef* TIndexDefs::Add(const QString& Name, const QString& Fields, TIndexOptions Options)
{
    if (IndexOf(Name) >= 0)
        DatabaseErrorFmt(QStringLiteral("Duplicate index name '%s'"), {Name}, FDataSet);
    TIndexDef* d = AddIndexDef();
    d->Name = Name;
    d->Fields = Fields;
    d->Options = Options;
    return d;
}

int TIndexDefs::IndexOf(const QString& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name.compare(Name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

TIndexDef* TIndexDefs::Find(const QString& Name) const
{
    int i = IndexOf(Name);
    if (i < 0)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::IndexNotFound), {Name}, FDataSet);
    return Items(i);
}

static bool SameFieldList(const QString& a, const QString& b)
{
    QStringList x = SplitFieldNames(a), y = SplitFieldNames(b);
    if (x.size() != y.size())
        return false;
    for (int i = 0; i < x.size(); ++i)
        if (x[i].compare(y[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

TIndexDef* TIndexDefs::FindIndexForFields(const QString& Fields) const
{
    if (TIndexDef* d = GetIndexForFields(Fields, false))
        return d;
    if (TIndexDef* d = GetIndexForFields(Fields, true))
        return d;
    QStringList want = SplitFieldNames(Fields);
    for (int i = 0; i < Count(); ++i) {
        QStringList have = SplitFieldNames(Items(i)->Fields);
        if (have.size() < want.size())
            continue;
        bool prefix = true;
        for (int k = 0; k < want.size(); ++k)
            if (have[k].compare(want[k], Qt::CaseInsensitive) != 0)
                prefix = false;
        if (prefix)
            return Items(i);
    }
    DatabaseErrorFmt(QString::fromLatin1(DBMsg::NoFieldIndexes), {Fields}, FDataSet);
}

TIndexDef* TIndexDefs::GetIndexForFields(const QString& Fields, bool CaseInsensitive) const
{
    for (int i = 0; i < Count(); ++i) {
        TIndexDef* d = Items(i);
        if (d->Options.Contains(ixExpression))
            continue;
        if (d->Options.Contains(ixCaseInsensitive) == CaseInsensitive && SameFieldList(d->Fields, Fields))
            return d;
    }
    return nullptr;
}

void TIndexDefs::Update()
{
    if (FDataSet)
        FDataSet->UpdateIndexDefs();
}

// ---------------------------------------------------------------- parameters

TParam::TParam(TCollection* Collection) : TCollectionItem(Collection), FValue(Null()) {}

static TFieldType TypeOfValue(const Variant& v)
{
    switch (v.VarType() & varTypeMask) {
    case varString: return ftString;
    case varUString: case varOleStr: return ftWideString;
    case varSmallint: return ftSmallint;
    case varShortInt: return ftShortint;
    case varByte: return ftByte;
    case varWord: return ftWord;
    case varInteger: return ftInteger;
    case varLongWord: return ftLongWord;
    case varInt64: case varUInt64: return ftLargeint;
    case varSingle: return ftSingle;
    case varDouble: return ftFloat;
    case varCurrency: return ftCurrency;
    case varDate: return ftDateTime;
    case varBoolean: return ftBoolean;
    case varFMTBcd: return ftFMTBcd;
    case varSQLTimeStamp: return ftTimeStamp;
    case varByte | varArray: return ftBlob;
    default: return ftUnknown;
    }
}

void TParam::SetDataType(TFieldType v)
{
    FDataType = v;
}

void TParam::SetValue(const Variant& v)
{
    FValue = v.IsEmpty() ? Null() : v;
    if (FDataType == ftUnknown && !FValue.IsNull()) {
        if (FValue.IsArray() && (FValue.VarType() & varTypeMask) == varByte)
            FDataType = ftBlob;
        else
            FDataType = TypeOfValue(FValue);
    }
    FBound = true;
}

void TParam::Clear()
{
    FValue = Null();
}

void TParam::SetAsString(const QString& v)
{
    if (FDataType == ftUnknown)
        FDataType = ftString;
    SetValue(Variant(v));
}

void TParam::SetAsInteger(int v)
{
    if (FDataType == ftUnknown)
        FDataType = ftInteger;
    SetValue(Variant(v));
}

void TParam::SetAsLargeInt(int64_t v)
{
    if (FDataType == ftUnknown)
        FDataType = ftLargeint;
    SetValue(Variant((long long)v));
}

void TParam::SetAsFloat(double v)
{
    if (FDataType == ftUnknown)
        FDataType = ftFloat;
    SetValue(Variant(v));
}

void TParam::SetAsCurrency(Currency v)
{
    if (FDataType == ftUnknown)
        FDataType = ftCurrency;
    SetValue(Variant(v));
}

void TParam::SetAsDateTime(TDateTime v)
{
    if (FDataType == ftUnknown)
        FDataType = ftDateTime;
    SetValue(Variant::FromDate(v));
}

void TParam::SetAsDate(TDateTime v)
{
    if (FDataType == ftUnknown)
        FDataType = ftDate;
    SetValue(Variant::FromDate(v));
}

void TParam::SetAsBoolean(bool v)
{
    if (FDataType == ftUnknown)
        FDataType = ftBoolean;
    SetValue(Variant(v));
}

void TParam::AssignField(TField* Field)
{
    if (!Field)
        return;
    FName = Field->FieldName();
    AssignFieldValue(Field, Field->Value());
}

void TParam::AssignFieldValue(TField* Field, const Variant& Value)
{
    if (!Field)
        return;
    FDataType = Field->DataType() == ftAutoInc ? ftInteger : Field->DataType();
    FSize = Field->Size();
    FValue = Value.IsEmpty() ? Null() : Value;
    FBound = true;
}

void TParam::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TParam*>(Source)) {
        FName = p->FName;
        FDataType = p->FDataType;
        FParamType = p->FParamType;
        FSize = p->FSize;
        FPrecision = p->FPrecision;
        FNumericScale = p->FNumericScale;
        FBound = p->FBound;
        FValue = p->FValue;
        return;
    }
    if (auto* f = dynamic_cast<TField*>(Source)) {
        AssignField(f);
        return;
    }
    TCollectionItem::Assign(Source);
}

TParams::TParams(TPersistent* AOwner) : TOwnedCollection(AOwner, TParam::StaticClassInfo()) {}

TParam* TParams::CreateParam(TFieldType DataType, const QString& Name, TParamType ParamType)
{
    TParam* p = AddParam();
    p->SetName(Name);
    p->SetDataType(DataType);
    p->SetParamType(ParamType);
    return p;
}

TParam* TParams::FindParam(const QString& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name().compare(Name, Qt::CaseInsensitive) == 0)
            return Items(i);
    return nullptr;
}

TParam* TParams::ParamByName(const QString& Name) const
{
    TParam* p = FindParam(Name);
    if (!p) {
        auto* owner = dynamic_cast<TComponent*>(GetOwner());
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::ParameterNotFound), {Name}, owner);
    }
    return p;
}

void TParams::AssignValues(TParams* Source)
{
    if (!Source)
        return;
    for (int i = 0; i < Source->Count(); ++i)
        if (TParam* p = FindParam(Source->Items(i)->Name()))
            p->Assign(Source->Items(i));
}

bool TParams::IsEqual(TParams* Other) const
{
    if (!Other || Other->Count() != Count())
        return false;
    for (int i = 0; i < Count(); ++i) {
        TParam* a = Items(i);
        TParam* b = Other->Items(i);
        if (a->Name() != b->Name() || a->DataType() != b->DataType() || a->ParamType() != b->ParamType()
            || a->Bound() != b->Bound())
            return false;
        if (a->IsNull() != b->IsNull())
            return false;
        if (!a->IsNull()) {
            try {
                if (!(a->Value() == b->Value()))
                    return false;
            } catch (const EVariantError&) {
                return false;
            }
        }
    }
    return true;
}

QString TParams::ParseSQL(const QString& SQL, bool DoCreate)
{
    const int n = int(SQL.size());
    int i = 0;
    while (i < n) {
        const QChar c = SQL[i];
        if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            ++i;
            while (i < n && SQL[i] != close)
                ++i;
            ++i;
            continue;
        }
        if (c == u'-' && i + 1 < n && SQL[i + 1] == u'-') {
            while (i < n && SQL[i] != u'\n')
                ++i;
            continue;
        }
        if (c == u':') {
            if (i + 1 < n && SQL[i + 1] == u':') {
                i += 2;
                continue;
            }
            int j = i + 1;
            while (j < n && (SQL[j].isLetterOrNumber() || SQL[j] == u'_'))
                ++j;
            if (j > i + 1) {
                const QString name = SQL.mid(i + 1, j - i - 1);
                if (DoCreate && !FindParam(name))
                    CreateParam(ftUnknown, name, ptInput);
            }
            i = j;
            continue;
        }
        ++i;
    }
    return SQL;
}

Variant TParams::ParamValues(const QString& Names) const
{
    QStringList names = SplitFieldNames(Names);
    if (names.size() == 1)
        return ParamByName(names[0])->Value();
    std::vector<Variant> values;
    for (const QString& n : names)
        values.push_back(ParamByName(n)->Value());
    return VarArrayOf(values);
}

void TParams::SetParamValues(const QString& Names, const Variant& Values)
{
    QStringList names = SplitFieldNames(Names);
    if (names.size() == 1) {
        ParamByName(names[0])->SetValue(Values);
        return;
    }
    for (int i = 0; i < names.size(); ++i)
        ParamByName(names[i])->SetValue(Values.GetElement(Values.ArrayLowBound() + i));
}
