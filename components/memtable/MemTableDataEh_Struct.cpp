// The data structure: the ordered field list, lookups by name, copies and restructuring of
// the stored records when the structure is replaced.
#include "MemTableDataEh.h"
#include "platform/rtl/Guards.h"

DOV_PUBLISHED(TMTDataStructEh) {}

TMTDataStructEh::TMTDataStructEh(TComponent* AOwner) : TComponent(AOwner)
{
    FMemTableData = dynamic_cast<TMemTableDataEh*>(AOwner);
}

TMTDataStructEh::~TMTDataStructEh()
{
    Destroying();
    Clear();
}

TMTDataFieldEh* TMTDataStructEh::GetDataField(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(QStringLiteral("List index out of bounds (%d)"), {Index});
    return FList[size_t(Index)];
}

TMTDataFieldEh* TMTDataStructEh::CreateField(TMTDataFieldClassEh FieldClass)
{
    if (!FieldClass || !FieldClass->CreateComponent)
        throw Exception(QStringLiteral("Invalid field class"));
    auto* f = dynamic_cast<TMTDataFieldEh*>(FieldClass->CreateComponent(this));
    if (!f)
        throw Exception(QStringLiteral("Invalid field class"));
    f->FDataStruct = this;
    f->FFieldId = FNextFieldId++;
    FList.push_back(f);
    if (FUpdateCount == 0)
        StructChanged();
    return f;
}

void TMTDataStructEh::InsertField(TMTDataFieldEh* Field)
{
    if (Field->FDataStruct == this)
        return;
    if (Field->Owner() != this) {
        if (Field->Owner())
            Field->Owner()->RemoveComponent(Field);
        InsertComponent(Field);
    }
    Field->FDataStruct = this;
    Field->FFieldId = FNextFieldId++;
    FList.push_back(Field);
    if (FUpdateCount == 0)
        StructChanged();
}

void TMTDataStructEh::RemoveField(TMTDataFieldEh* Field)
{
    if (Field->FDataStruct != this)
        return;
    const auto it = std::find(FList.begin(), FList.end(), Field);
    if (it != FList.end())
        FList.erase(it);
    Field->FDataStruct = nullptr;
    if (Field->Owner() == this)
        RemoveComponent(Field);
    if (FUpdateCount == 0 && !ComponentState().Contains(csDestroying))
        StructChanged();
}

void TMTDataStructEh::MoveField(TMTDataFieldEh* Field, int NewIndex)
{
    const int cur = Field->Index();
    if (cur < 0 || NewIndex < 0 || NewIndex >= Count() || cur == NewIndex)
        return;
    FList.erase(FList.begin() + cur);
    FList.insert(FList.begin() + NewIndex, Field);
    StructChanged();
}

void TMTDataStructEh::Clear()
{
    std::vector<TMTDataFieldEh*> fields;
    fields.swap(FList);
    for (TMTDataFieldEh* f : fields) {
        f->FDataStruct = nullptr;
        delete f;
    }
    if (!fields.empty() && FUpdateCount == 0 && !ComponentState().Contains(csDestroying))
        StructChanged();
}

TMTDataFieldEh* TMTDataStructEh::FindField(const QString& FieldName) const
{
    for (TMTDataFieldEh* f : FList)
        if (AnsiSameText(f->GetFieldName(), FieldName))
            return f;
    return nullptr;
}

TMTDataFieldEh* TMTDataStructEh::FieldByName(const QString& FieldName) const
{
    TMTDataFieldEh* f = FindField(FieldName);
    if (!f)
        DatabaseErrorFmt(QStringLiteral("Field '%s' not found"), {FieldName});
    return f;
}

int TMTDataStructEh::FieldIndex(const QString& FieldName) const
{
    for (size_t i = 0; i < FList.size(); ++i)
        if (SameText(FList[i]->GetFieldName(), FieldName))
            return int(i);
    return -1;
}

TIntArray TMTDataStructEh::FieldsIndex(const QString& FieldNames) const
{
    TIntArray r;
    if (FieldNames.contains(u';')) {
        for (const QString& part : FieldNames.split(u';')) {
            const QString name = part.trimmed();
            if (name.isEmpty())
                continue;
            r.push_back(FieldByName(name)->Index());
        }
        return r;
    }
    const int i = FieldIndex(FieldNames.trimmed());
    if (i >= 0)
        r.push_back(i);
    return r;
}

void TMTDataStructEh::GetFieldList(std::vector<TMTDataFieldEh*>& List, const QString& FieldNames) const
{
    for (const QString& part : FieldNames.split(u';')) {
        const QString name = part.trimmed();
        if (!name.isEmpty())
            List.push_back(FieldByName(name));
    }
}

TMTDataFieldEh* TMTDataStructEh::FindFieldByGIUD(const QString& GUID) const
{
    for (TMTDataFieldEh* f : FList)
        if (f->FGUID == GUID)
            return f;
    return nullptr;
}

void TMTDataStructEh::CheckFieldName(const QString& Name) const
{
    if (Name.isEmpty())
        DatabaseError(QStringLiteral("Field name missing"));
    if (FindField(Name))
        DatabaseErrorFmt(QStringLiteral("Duplicate field name '%s'"), {Name});
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForDef(const QString& Name, TFieldType DataType, int Size, int Precision)
{
    TMTDataFieldClassEh cls = DefaultDataFieldClassForType(DataType);
    if (!cls)
        DatabaseErrorFmt(QStringLiteral("Field '%s' is of an unsupported type (%s)"), {Name, FieldTypeName(DataType)});
    TMTDataFieldEh* f = CreateField(cls);
    auto drop = OnFailure([f] { delete f; });
    f->AssignDataType(DataType);
    f->SetFieldName(Name);
    if (auto* n = dynamic_cast<TMTNumericDataFieldEh*>(f); n && Precision != 0)
        n->SetPrecision(Precision);
    if (f->CanDinaSize())
        f->SetSize(Size);
    if (DataType == ftAutoInc)
        f->SetAutoIncrement(true);
    return f;
}

TMTDataFieldEh* TMTDataStructEh::BuildDataFieldForFieldDef(TFieldDef* AFieldDef)
{
    TMTDataFieldEh* f = BuildDataFieldForDef(AFieldDef->Name(), AFieldDef->DataType(), AFieldDef->Size(),
                                             AFieldDef->Precision());
    f->SetRequired(AFieldDef->Required());
    return f;
}

void TMTDataStructEh::BuildStructFromFieldDefs(TFieldDefs* FieldDefs)
{
    if (FMemTableData)
        FMemTableData->DestroyTable();
    BeginUpdate();
    auto endUpdate = Finally([this] { EndUpdate(true); });
    for (int i = 0; i < FieldDefs->Count(); ++i)
        BuildDataFieldForFieldDef(FieldDefs->Items(i));
}

void TMTDataStructEh::EndUpdate(bool AStructChanged)
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    if (FUpdateCount == 0 && AStructChanged)
        StructChanged();
}

void TMTDataStructEh::StructChanged()
{
    if (FMemTableData && FMemTableData->DataStruct() == this)
        FMemTableData->NotifyStructChanged();
    else
        FStructChanged = true;
    if (OnStructChanged)
        OnStructChanged(this);
}

TMTDataStructEh* TMTDataStructEh::GetCopy()
{
    auto* copy = Create<TMTDataStructEh>(nullptr);
    copy->BeginUpdate();
    for (TMTDataFieldEh* f : FList) {
        TMTDataFieldEh* nf = copy->CreateField(&f->ClassInfo());
        nf->Assign(f);
        nf->FGUID = f->FGUID;
    }
    copy->EndUpdate(false);
    return copy;
}

void TMTDataStructEh::EndRestructure(TMTDataStructEh*& NewStrcuture, bool ApplyNewStrcuture)
{
    auto drop = Finally([&] {
        delete NewStrcuture;
        NewStrcuture = nullptr;
    });
    if (ApplyNewStrcuture)
        Assign(NewStrcuture);
}

void TMTDataStructEh::RestructRecordsData(TMTDataStructEh* NewStruct)
{
    TRecordsListEh* list = FMemTableData->RecordsList();
    const int n = NewStruct->Count();
    std::vector<TMTDataFieldEh*> pair(size_t(n), nullptr);
    std::vector<int> pairIndex(size_t(n), -1);
    for (int i = 0; i < n; ++i) {
        TMTDataFieldEh* nf = NewStruct->FList[size_t(i)];
        for (size_t j = 0; j < FList.size(); ++j)
            if (FList[j]->FGUID == nf->FGUID) {
                pair[size_t(i)] = FList[j];
                pairIndex[size_t(i)] = int(j);
                break;
            }
    }
    auto convert = [&](const TRecDataValues& src) {
        TRecDataValues dst(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            if (pair[size_t(i)] && size_t(pairIndex[size_t(i)]) < src.size())
                dst[size_t(i)] = ConvertRestructValueEh(pair[size_t(i)], src[size_t(pairIndex[size_t(i)])],
                                                        NewStruct->FList[size_t(i)]);
            else
                dst[size_t(i)] = Variant::Null();
        }
        return dst;
    };
    // Convert every record first, then swap, so a failure leaves the store as it was.
    std::vector<TRecDataValues> data, old;
    data.reserve(size_t(list->Count()));
    for (TMemoryRecordEh* r : list->Records()) {
        data.push_back(convert(r->Data()));
        old.push_back(r->HasOldData() ? convert(r->OldData()) : TRecDataValues());
    }
    for (int i = 0; i < list->Count(); ++i) {
        TMemoryRecordEh* r = list->Records()[size_t(i)];
        r->Data().swap(data[size_t(i)]);
        if (r->HasOldData())
            r->FExtra->OldData.swap(old[size_t(i)]);
    }
}

void TMTDataStructEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TMTDataStructEh*>(Source);
    if (!src) {
        TComponent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    BeginUpdate();
    auto endUpdate = Finally([this] { EndUpdate(true); });
    if (FMemTableData && FMemTableData->DataStruct() == this && FMemTableData->RecordsList()->Count() > 0)
        RestructRecordsData(src);
    Clear();
    for (TMTDataFieldEh* f : src->FList) {
        TMTDataFieldEh* nf = CreateField(&f->ClassInfo());
        nf->Assign(f);
    }
}

TMTDataFieldEh* TMTDataStructEh::ChangeFieldType(const QString& FieldName, TMTDataFieldClassEh FieldClass)
{
    TMTDataFieldEh* old = FieldByName(FieldName);
    const int idx = old->Index();
    TMTDataFieldEh* nf = CreateField(FieldClass);
    MoveField(nf, idx);
    RemoveField(old);
    nf->FFieldName.clear();
    nf->Assign(old);
    if (old->DefaultAlignment() != nf->DefaultAlignment())
        nf->SetAlignment(nf->DefaultAlignment());
    nf->FGUID = old->FGUID;
    const QString name = old->GetFieldName();
    delete old;
    nf->FFieldName.clear();
    nf->SetFieldName(name);
    return nf;
}

void TMTDataStructEh::GetChildren(const TGetChildProc& Proc, TComponent*)
{
    for (TMTDataFieldEh* f : FList)
        Proc(f);
}
