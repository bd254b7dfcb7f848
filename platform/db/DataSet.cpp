#include "DB.h"
#include "DBCommon.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

// ---------------------------------------------------------------- errors and helpers

void DatabaseError(const QString& Message, TComponent* Component)
{
    if (Component && !Component->Name().isEmpty())
        throw EDatabaseError(QStringLiteral("%1: %2").arg(Component->Name(), Message));
    throw EDatabaseError(Message);
}

void DatabaseErrorFmt(const QString& Message, TVarRecs Args, TComponent* Component)
{
    DatabaseError(Format(Message, Args), Component);
}

TVarType FieldTypeVarType(TFieldType t)
{
    switch (t) {
    case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftGuid: case ftOraClob: case ftOraInterval:
        return varString;
    case ftWideString: case ftFixedWideChar: case ftWideMemo:
        return varOleStr;
    case ftSmallint: return varSmallint;
    case ftInteger: case ftWord: case ftAutoInc: return varInteger;
    case ftShortint: return varShortInt;
    case ftByte: return varByte;
    case ftLongWord: return varLongWord;
    case ftLargeint: return varInt64;
    case ftBoolean: return varBoolean;
    case ftFloat: case ftExtended: return varDouble;
    case ftSingle: return varSingle;
    case ftCurrency: case ftBCD: return varCurrency;
    case ftDate: case ftTime: case ftDateTime: return varDate;
    case ftBytes: case ftVarBytes: case ftBlob: case ftGraphic: case ftParadoxOle: case ftDBaseOle:
    case ftTypedBinary: case ftOraBlob:
        return varArray | varByte;
    case ftVariant: return varVariant;
    case ftInterface: return varUnknown;
    case ftIDispatch: return varDispatch;
    case ftTimeStamp: case ftOraTimeStamp: return varSQLTimeStamp;
    case ftFMTBcd: return varFMTBcd;
    case ftTimeStampOffset: case ftObject: return varEmpty;
    default: return varError;
    }
}

QStringList SplitFieldNames(const QString& Names)
{
    QStringList out;
    for (const QString& part : Names.split(u';')) {
        QString n = part.trimmed();
        if (!n.isEmpty())
            out << n;
    }
    return out;
}

// ---------------------------------------------------------------- TDataSet: life

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner)
{
    FFields = new TFields(this);
    FFieldList = new TFieldList(this);
    FFieldDefs = new TFieldDefs(this);
}

TDataSet::~TDataSet()
{
    // A descendant closes itself in its own destructor; what is left here can only be dropped.
    FState = dsInactive;
    while (!FDataSources.empty())
        FDataSources.back()->SetDataSet(nullptr);
    FFields->Clear();
    delete FFields;
    delete FFieldList;
    delete FFieldDefs;
}

void TDataSet::Loaded()
{
    TComponent::Loaded();
    try {
        if (FStreamedActive)
            SetActive(true);
    } catch (...) {
        if (!FComponentState.Contains(csDesigning))
            throw;
        InternalHandleException();
    }
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
        for (TField* f : FFields->List())
            if (f->FLookupDataSet == AComponent)
                f->FLookupDataSet = nullptr;
}

void TDataSet::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    for (TField* f : FFields->List())
        if (f->Owner() == Root)
            Proc(f);
}

void TDataSet::SetChildOrder(TComponent* Child, int Order)
{
    if (auto* f = dynamic_cast<TField*>(Child); f && f->DataSet() == this)
        f->SetIndex(Order);
}

void TDataSet::SetFieldDefs(TFieldDefs* v)
{
    FFieldDefs->Assign(v);
}

// ---------------------------------------------------------------- state

void TDataSet::CheckActive() const
{
    if (FState == dsInactive || FState == dsOpening)
        DatabaseError(QString::fromLatin1(DBMsg::DataSetClosed), const_cast<TDataSet*>(this));
}

void TDataSet::CheckInactive() const
{
    if (Active())
        DatabaseError(QString::fromLatin1(DBMsg::DataSetOpen), const_cast<TDataSet*>(this));
}

void TDataSet::SetState(TDataSetState Value)
{
    if (FState != Value) {
        FState = Value;
        FModified = false;
        DataEvent(deUpdateState, 0);
    }
}

TDataSetState TDataSet::SetTempState(TDataSetState Value)
{
    TDataSetState old = FState;
    FState = Value;
    ++FDisableCount;
    return old;
}

void TDataSet::RestoreState(TDataSetState Value)
{
    FState = Value;
    --FDisableCount;
}

void TDataSet::CheckCanModify()
{
    if (!CanModify())
        DatabaseError(QString::fromLatin1(DBMsg::DataSetReadOnly), this);
}

void TDataSet::CheckFieldWrite(TField* Field)
{
    switch (FState) {
    case dsEdit: case dsInsert: case dsSetKey: case dsCalcFields: case dsFilter: case dsNewValue: case dsInternalCalc:
        break;
    default:
        DatabaseError(QString::fromLatin1(DBMsg::NotEditing), this);
    }
    if (Field->IsDataField() && Field->ReadOnly() && FState != dsSetKey && FState != dsFilter
        && FState != dsCalcFields && FState != dsInternalCalc)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldReadOnly), {Field->DisplayName()}, this);
}

bool TDataSet::GetActiveRecBuf(TRecordBuffer& Buffer) const
{
    switch (FState) {
    case dsBrowse:
        if (IsEmpty())
            return false;
        Buffer = ActiveBuffer();
        return Buffer != 0;
    case dsEdit: case dsInsert: case dsNewValue: case dsOldValue: case dsCurValue:
        Buffer = ActiveBuffer();
        return Buffer != 0;
    case dsCalcFields: case dsInternalCalc:
        Buffer = FCalcBuffer;
        return Buffer != 0;
    case dsFilter:
        Buffer = FTempBuffer;
        return Buffer != 0;
    default:
        return false;
    }
}

// ---------------------------------------------------------------- opening and closing

void TDataSet::SetActive(bool Value)
{
    if (FComponentState.Contains(csLoading)) {
        FStreamedActive = Value;
        return;
    }
    if (Active() == Value)
        return;
    if (Value) {
        DoBeforeOpen();
        FState = dsOpening;
        {
            // A failed open closes what it had opened (an error of the close is dropped: the
            // open's error is the one to report), then tells the links.
            auto notify = OnFailure([this] { DataEvent(deUpdateState, 0); });
            auto close = OnFailure([this] {
                FState = dsInactive;
                CloseCursor();
            });
            OpenCursor(false);
        }
        FState = dsInactive;  // so SetState reports the change
        SetState(dsBrowse);
        if (AfterOpen)
            AfterOpen(this);
        if (!IsEmpty())
            DoAfterScroll();
    } else {
        const bool destroying = FComponentState.Contains(csDestroying);
        if (!destroying && BeforeClose)
            BeforeClose(this);
        SetState(dsInactive);
        CloseCursor();
        if (!destroying && AfterClose)
            AfterClose(this);
    }
}

void TDataSet::OpenCursor(bool InfoQuery)
{
    if (InfoQuery)
        InternalInitFieldDefs();
    else
        DoInternalOpen();
}

void TDataSet::DoInternalOpen()
{
    FDefaultFields = FieldCount() == 0;
    InternalOpen();
    FInternalOpenComplete = true;
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    UpdateBufferCount();
    FBOF = true;
}

void TDataSet::CloseCursor()
{
    FreeAllBuffers();
    FInternalOpenComplete = false;
    FFieldDefs->SetUpdated(false);
    if (IsCursorOpen())
        InternalClose();
    FBOF = FEOF = true;
}

void TDataSet::FreeAllBuffers()
{
    for (TRecordBuffer& b : FBuffers)
        if (b) {
            FCalcValues.erase(b);
            FreeRecordBuffer(b);
        }
    FBuffers.clear();
    FBufferCount = 0;
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    if (FTempBuffer) {
        FCalcValues.erase(FTempBuffer);
        FreeRecordBuffer(FTempBuffer);
        FTempBuffer = 0;
    }
    FCalcValues.clear();
}

void TDataSet::InitFieldDefs()
{
    if (IsCursorOpen())
        InternalInitFieldDefs();
    else {
        OpenCursor(true);
        // the descendant may have opened its source just to describe it
        if (IsCursorOpen())
            InternalClose();
    }
    FFieldDefs->SetUpdated(true);
}

void TDataSet::InternalHandleException()
{
}

void TDataSet::Refresh()
{
    CheckBrowseMode();
    if (BeforeRefresh)
        BeforeRefresh(this);
    UpdateCursorPos();
    InternalRefresh();
    Resync({});
    if (AfterRefresh)
        AfterRefresh(this);
}

// ---------------------------------------------------------------- fields

const TClassInfo* TDataSet::GetFieldClass(TFieldType t) const
{
    switch (t) {
    case ftString: case ftFixedChar: return &TStringField::StaticClassInfo();
    case ftWideString: case ftFixedWideChar: return &TWideStringField::StaticClassInfo();
    case ftGuid: return &TGuidField::StaticClassInfo();
    case ftSmallint: return &TSmallintField::StaticClassInfo();
    case ftInteger: return &TIntegerField::StaticClassInfo();
    case ftWord: return &TWordField::StaticClassInfo();
    case ftAutoInc: return &TAutoIncField::StaticClassInfo();
    case ftLargeint: return &TLargeintField::StaticClassInfo();
    case ftLongWord: return &TLongWordField::StaticClassInfo();
    case ftShortint: return &TShortintField::StaticClassInfo();
    case ftByte: return &TByteField::StaticClassInfo();
    case ftBoolean: return &TBooleanField::StaticClassInfo();
    case ftFloat: return &TFloatField::StaticClassInfo();
    case ftExtended: return &TExtendedField::StaticClassInfo();
    case ftSingle: return &TSingleField::StaticClassInfo();
    case ftCurrency: return &TCurrencyField::StaticClassInfo();
    case ftBCD: return &TBCDField::StaticClassInfo();
    case ftFMTBcd: return &TFMTBCDField::StaticClassInfo();
    case ftDate: return &TDateField::StaticClassInfo();
    case ftTime: return &TTimeField::StaticClassInfo();
    case ftDateTime: return &TDateTimeField::StaticClassInfo();
    case ftTimeStamp: case ftOraTimeStamp: return &TSQLTimeStampField::StaticClassInfo();
    case ftBytes: return &TBytesField::StaticClassInfo();
    case ftVarBytes: return &TVarBytesField::StaticClassInfo();
    case ftBlob: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary: case ftOraBlob:
        return &TBlobField::StaticClassInfo();
    case ftMemo: case ftFmtMemo: case ftOraClob: return &TMemoField::StaticClassInfo();
    case ftWideMemo: return &TWideMemoField::StaticClassInfo();
    case ftGraphic: return &TGraphicField::StaticClassInfo();
    case ftVariant: return &TVariantField::StaticClassInfo();
    default: return nullptr;
    }
}

void TDataSet::CreateFields()
{
    for (int i = 0; i < FFieldDefs->Count(); ++i) {
        TFieldDef* def = FFieldDefs->Items(i);
        if (GetFieldClass(def->DataType()))  // object kinds and the like have no field class
            def->CreateField(this);
    }
}

void TDataSet::DestroyFields()
{
    FFields->Clear();
}

void TDataSet::BindFields(bool Binding)
{
    FCalcFieldsCount = 0;
    for (TField* f : FFields->List()) {
        if (Binding) {
            if (f->FieldKind() == fkData || f->FieldKind() == fkInternalCalc) {
                int i = FFieldDefs->IndexOf(f->FieldName());
                if (i < 0) {
                    if (f->FieldKind() == fkData)
                        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {f->DisplayName()}, this);
                    f->FFieldNo = -1;
                } else {
                    TFieldDef* def = FFieldDefs->Items(i);
                    f->FFieldNo = def->FieldNo();
                    // a field of the type's class, of one of its ancestors or descendants fits
                    const TClassInfo* want = GetFieldClass(def->DataType());
                    const TClassInfo& have = f->ClassInfo();
                    if (want && !have.InheritsFrom(want) && !want->InheritsFrom(&have))
                        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldTypeMismatch),
                                         {f->DisplayName(), QString::fromLatin1(FieldTypeName(f->DataType())),
                                          QString::fromLatin1(FieldTypeName(def->DataType()))}, this);
                }
                f->FOffset = -1;
            } else {
                f->FFieldNo = -1;
                f->FOffset = FCalcFieldsCount++;
            }
            if (f->FieldKind() == fkLookup && f->LookupCache())
                f->RefreshLookupList();
        } else {
            f->FOffset = -1;
            f->FFieldNo = 0;
        }
    }
    if (!Binding)
        FCalcFieldsCount = 0;
}

TField* TDataSet::FieldByName(const QString& FieldName) const
{
    TField* f = FFields->FindField(FieldName);
    if (!f)
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {FieldName}, const_cast<TDataSet*>(this));
    return f;
}

void TDataSet::GetFieldList(std::vector<TField*>& List, const QString& FieldNames) const
{
    for (const QString& n : SplitFieldNames(FieldNames))
        List.push_back(FieldByName(n));
}

Variant TDataSet::FieldValues(const QString& FieldName) const
{
    if (FieldName.contains(u';')) {
        std::vector<TField*> list;
        GetFieldList(list, FieldName);
        std::vector<Variant> values;
        for (TField* f : list)
            values.push_back(f->Value());
        return VarArrayOf(values);
    }
    return FieldByName(FieldName)->Value();
}

void TDataSet::SetFieldValues(const QString& FieldName, const Variant& Value)
{
    if (FieldName.contains(u';')) {
        std::vector<TField*> list;
        GetFieldList(list, FieldName);
        for (int i = 0; i < int(list.size()); ++i)
            list[i]->SetValue(Value.GetElement(Value.ArrayLowBound() + i));
    } else {
        FieldByName(FieldName)->SetValue(Value);
    }
}

std::vector<Variant>& TDataSet::CalcSlots(TRecordBuffer Buffer)
{
    std::vector<Variant>& values = FCalcValues[Buffer];
    if (int(values.size()) < FCalcFieldsCount)
        values.resize(FCalcFieldsCount, Null());
    return values;
}

bool TDataSet::GetFieldData(TField* Field, Variant& Value)
{
    TRecordBuffer buf;
    if (Field->FOffset < 0 || !GetActiveRecBuf(buf)) {
        Value = Null();
        return false;
    }
    auto it = FCalcValues.find(buf);
    if (it == FCalcValues.end() || Field->FOffset >= int(it->second.size())) {
        Value = Null();
        return false;
    }
    Value = it->second[Field->FOffset];
    return !(Value.IsNull() || Value.IsEmpty());
}

void TDataSet::SetFieldData(TField* Field, const Variant& Value)
{
    if (Field->FOffset < 0 || Field->IsDataField())
        DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldReadOnly), {Field->DisplayName()}, this);
    if (FState != dsCalcFields && FState != dsInternalCalc && FState != dsFilter)
        CheckFieldWrite(Field);
    TRecordBuffer buf;
    if (!GetActiveRecBuf(buf))
        return;
    Field->Validate(Value);
    CalcSlots(buf)[Field->FOffset] = Value;
    if (FState != dsCalcFields && FState != dsInternalCalc && FState != dsFilter && FState != dsNewValue)
        DataEvent(deFieldChange, NativeInt(Field));
}

Variant TDataSet::GetStateFieldValue(TDataSetState State, TField* Field)
{
    TDataSetState old = SetTempState(State);
    Variant v;
    {
        auto cleanup = Finally([&] { RestoreState(old); });
        if (!Field->GetData(v))
            v = Null();
    }
    return v;
}

void TDataSet::SetStateFieldValue(TDataSetState State, TField* Field, const Variant& Value)
{
    TDataSetState old = SetTempState(State);
    auto cleanup = Finally([&] { RestoreState(old); });
    Field->SetAsVariant(Value);
}

void TDataSet::ClearCalcFields(TRecordBuffer Buffer)
{
    auto it = FCalcValues.find(Buffer);
    if (it != FCalcValues.end())
        std::fill(it->second.begin(), it->second.end(), Null());
}

void TDataSet::CalculateFields(TRecordBuffer Buffer)
{
    ClearCalcFields(Buffer);
    for (TField* f : FFields->List())
        if (f->FieldKind() == fkLookup)
            f->SetData(f->CalcLookupValue());
    if (OnCalcFields)
        OnCalcFields(this);
}

void TDataSet::GetCalcFields(TRecordBuffer Buffer)
{
    if (FCalcFieldsCount == 0 || (!FAutoCalcFields && FState != dsEdit && FState != dsInsert && FState != dsBrowse))
        return;
    TRecordBuffer oldCalc = FCalcBuffer;
    FCalcBuffer = Buffer;
    TDataSetState old = SetTempState(dsCalcFields);
    auto cleanup = Finally([&] {
        RestoreState(old);
        FCalcBuffer = oldCalc;
    });
    CalculateFields(Buffer);
}

void TDataSet::CalcFieldsChanged()
{
    if (FState != dsSetKey && FCalcFieldsCount > 0 && FAutoCalcFields && FRecordCount > 0 && ActiveBuffer())
        GetCalcFields(ActiveBuffer());
}

void TDataSet::InitRecord(TRecordBuffer Buffer)
{
    InternalInitRecord(Buffer);
    ClearCalcFields(Buffer);
    SetBookmarkFlag(Buffer, bfInserted);
}

bool TDataSet::DoFilterRecord()
{
    bool accept = true;
    if (!FOnFilterRecord)
        return accept;
    TDataSetState old = SetTempState(dsFilter);
    {
        auto cleanup = Finally([&] { RestoreState(old); });
        FOnFilterRecord(this, accept);
    }
    return accept;
}

void TDataSet::SetOnFilterRecord(const TFilterRecordEvent& Value)
{
    FOnFilterRecord = Value;
}

// ---------------------------------------------------------------- buffers

void TDataSet::UpdateBufferCount()
{
    if (!IsCursorOpen())
        return;
    int count = 1;
    for (TDataSource* ds : FDataSources)
        for (TDataLink* link : ds->FDataLinks)
            if (link->FBufferCount > count)
                count = link->FBufferCount;
    if (!FTempBuffer)
        FTempBuffer = AllocRecordBuffer();
    SetBufferCount(count);
}

void TDataSet::SetBufferCount(int Value)
{
    if (Value == FBufferCount)
        return;
    if (Value < FBufferCount && FRecordCount > 0) {
        // keep the active record inside the smaller window
        int drop = std::max(0, FActiveRecord - (Value - 1));
        if (drop > 0) {
            std::rotate(FBuffers.begin(), FBuffers.begin() + drop, FBuffers.begin() + FRecordCount);
            FRecordCount -= drop;
            FActiveRecord -= drop;
            CursorPosChanged();
        }
        if (FRecordCount > Value)
            FRecordCount = Value;
    }
    const int want = Value > 0 ? Value + 1 : 0;
    while (int(FBuffers.size()) > want) {
        TRecordBuffer b = FBuffers.back();
        FBuffers.pop_back();
        FCalcValues.erase(b);
        FreeRecordBuffer(b);
    }
    while (int(FBuffers.size()) < want)
        FBuffers.push_back(AllocRecordBuffer());
    FBufferCount = Value;
    if (FCurrentRecord >= FRecordCount)
        CursorPosChanged();
    if (Value > 0 && IsCursorOpen() && FState != dsInsert && FState != dsEdit) {
        GetNextRecords();
        if (FRecordCount < FBufferCount && FRecordCount > 0)
            FActiveRecord += GetPriorRecords();
    }
    for (TDataSource* ds : FDataSources)
        for (TDataLink* link : ds->FDataLinks)
            if (link->FActive)
                link->UpdateRange();
}

void TDataSet::ClearBuffers()
{
    FRecordCount = 0;
    FActiveRecord = 0;
    FCurrentRecord = -1;
    FBOF = true;
    FEOF = true;
}

void TDataSet::ActivateBuffers()
{
    FRecordCount = 1;
    FActiveRecord = 0;
    FCurrentRecord = 0;
    FBOF = false;
    FEOF = false;
}

void TDataSet::MoveBuffer(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    TRecordBuffer b = FBuffers[CurIndex];
    FBuffers.erase(FBuffers.begin() + CurIndex);
    FBuffers.insert(FBuffers.begin() + NewIndex, b);
}

void TDataSet::SetCurrentRecord(int Index)
{
    if (FCurrentRecord == Index)
        return;
    TRecordBuffer b = FBuffers[Index];
    switch (GetBookmarkFlag(b)) {
    case bfCurrent:
    case bfInserted:
        InternalSetToRecord(b);
        break;
    case bfBOF:
        InternalFirst();
        break;
    case bfEOF:
        InternalLast();
        break;
    }
    FCurrentRecord = Index;
}

void TDataSet::UpdateCursorPos()
{
    if (FRecordCount > 0)
        SetCurrentRecord(FActiveRecord);
}

bool TDataSet::GetNextRecord()
{
    if (FRecordCount > 0)
        SetCurrentRecord(FRecordCount - 1);
    TRecordBuffer spare = FBuffers[FRecordCount];
    bool ok = GetRecord(spare, gmNext, true) == grOK;
    if (ok) {
        if (FRecordCount == 0)
            ActivateBuffers();
        else if (FRecordCount < FBufferCount)
            ++FRecordCount;
        else
            MoveBuffer(0, FRecordCount);
        FCurrentRecord = FRecordCount - 1;
    } else {
        CursorPosChanged();
    }
    return ok;
}

bool TDataSet::GetPriorRecord()
{
    if (FRecordCount > 0)
        SetCurrentRecord(0);
    TRecordBuffer spare = FBuffers[FRecordCount];
    bool ok = GetRecord(spare, gmPrior, true) == grOK;
    if (ok) {
        if (FRecordCount == 0) {
            ActivateBuffers();
        } else {
            MoveBuffer(FRecordCount, 0);
            if (FRecordCount < FBufferCount)
                ++FRecordCount;
        }
        FCurrentRecord = 0;
    } else {
        CursorPosChanged();
    }
    return ok;
}

int TDataSet::GetNextRecords()
{
    int n = 0;
    while (FRecordCount < FBufferCount && GetNextRecord())
        ++n;
    return n;
}

int TDataSet::GetPriorRecords()
{
    int n = 0;
    while (FRecordCount < FBufferCount && GetPriorRecord())
        ++n;
    return n;
}

// ---------------------------------------------------------------- navigation

bool TDataSet::IsEmpty() const
{
    return FBOF && FEOF && FState != dsInsert && FState != dsSetKey;
}

void TDataSet::First()
{
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    {
        auto cleanup = Finally([&] {
            FBOF = true;
            DataEvent(deDataSetChange, 0);
        });
        InternalFirst();
        GetNextRecord();
        GetNextRecords();
    }
    DoAfterScroll();
}

void TDataSet::Last()
{
    CheckBrowseMode();
    DoBeforeScroll();
    ClearBuffers();
    {
        auto cleanup = Finally([&] {
            FEOF = true;
            FActiveRecord = std::max(0, FRecordCount - 1);
            DataEvent(deDataSetChange, 0);
        });
        InternalLast();
        GetPriorRecord();
        GetPriorRecords();
    }
    DoAfterScroll();
}

int TDataSet::MoveBy(int Distance)
{
    CheckBrowseMode();
    int result = 0;
    DoBeforeScroll();
    if ((Distance > 0 && !FEOF) || (Distance < 0 && !FBOF)) {
        FBOF = false;
        FEOF = false;
        const int oldRecordCount = FRecordCount;
        int scrolled = 0;
        {
            auto undo = OnFailure([&] { DataEvent(deDataSetChange, 0); });
            while (Distance > 0) {
                if (FActiveRecord < FRecordCount - 1) {
                    ++FActiveRecord;
                } else {
                    const bool full = FRecordCount == FBufferCount;
                    if (!GetNextRecord()) {
                        FEOF = true;
                        break;
                    }
                    if (full)
                        --scrolled;
                    FActiveRecord = FRecordCount - 1;
                }
                --Distance;
                ++result;
            }
            while (Distance < 0) {
                if (FActiveRecord > 0) {
                    --FActiveRecord;
                } else {
                    if (!GetPriorRecord()) {
                        FBOF = true;
                        break;
                    }
                    ++scrolled;
                    FActiveRecord = 0;
                }
                ++Distance;
                --result;
            }
        }
        if (FRecordCount != oldRecordCount)
            DataEvent(deDataSetChange, 0);
        else
            DataEvent(deDataSetScroll, scrolled);
        DoAfterScroll();
    }
    return result;
}

void TDataSet::Resync(TResyncMode Mode)
{
    if (FBuffers.empty())
        return;  // no cursor, nothing buffered
    if (Mode.Contains(rmExact)) {
        CursorPosChanged();
        if (GetRecord(FBuffers[FRecordCount], gmCurrent, true) != grOK)
            DatabaseError(QString::fromLatin1(DBMsg::RecordNotFound), this);
    } else if (GetRecord(FBuffers[FRecordCount], gmCurrent, false) != grOK
               && GetRecord(FBuffers[FRecordCount], gmNext, false) != grOK
               && GetRecord(FBuffers[FRecordCount], gmPrior, false) != grOK) {
        ClearBuffers();
        DataEvent(deDataSetChange, 0);
        return;
    }
    int count = Mode.Contains(rmCenter) ? (FBufferCount - 1) / 2 : FActiveRecord;
    MoveBuffer(FRecordCount, 0);
    ActivateBuffers();
    auto cleanup = Finally([&] { DataEvent(deDataSetChange, 0); });
    while (count > 0 && GetPriorRecord()) {
        --count;
        ++FActiveRecord;
    }
    GetNextRecords();
    FActiveRecord += GetPriorRecords();
}

// ---------------------------------------------------------------- bookmarks

bool TDataSet::BookmarkAvailable() const
{
    return FState == dsBrowse && FRecordCount > 0 && ActiveBuffer()
           && const_cast<TDataSet*>(this)->GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
}

TBookmark TDataSet::GetBookmark()
{
    TBookmark bm;
    if (BookmarkAvailable())
        GetBookmarkData(ActiveBuffer(), bm);
    return bm;
}

void TDataSet::GotoBookmark(const TBookmark& Bookmark)
{
    if (Bookmark.isEmpty())
        return;
    CheckBrowseMode();
    DoBeforeScroll();
    InternalGotoBookmark(Bookmark);
    Resync({rmExact, rmCenter});
    DoAfterScroll();
}

int TDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2)
{
    if (Bookmark1.isEmpty() || Bookmark2.isEmpty())
        return Bookmark1.isEmpty() == Bookmark2.isEmpty() ? 0 : (Bookmark1.isEmpty() ? -1 : 1);
    int c = std::memcmp(Bookmark1.constData(), Bookmark2.constData(),
                        size_t(std::min(Bookmark1.size(), Bookmark2.size())));
    if (c == 0)
        c = int(Bookmark1.size() - Bookmark2.size());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// ---------------------------------------------------------------- editing

void TDataSet::CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent)
{
    for (;;) {
        try {
            UpdateCursorPos();
            (this->*Operation)();
            return;
        } catch (EDatabaseError& e) {
            TDataAction action = daFail;
            if (ErrorEvent)
                ErrorEvent(this, e, action);
            if (action == daFail)
                throw;
            if (action == daAbort)
                Abort();
        }
    }
}

void TDataSet::Edit()
{
    if (FState == dsEdit || FState == dsInsert)
        return;
    if (FRecordCount == 0) {
        Insert();
        return;
    }
    CheckBrowseMode();
    CheckCanModify();
    if (BeforeEdit)
        BeforeEdit(this);
    CheckOperation(&TDataSet::InternalEdit, OnEditError);
    GetCalcFields(ActiveBuffer());
    SetState(dsEdit);
    DataEvent(deRecordChange, 0);
    if (AfterEdit)
        AfterEdit(this);
}

void TDataSet::Insert()
{
    DoInsertAppend(false);
}

void TDataSet::Append()
{
    DoInsertAppend(true);
}

void TDataSet::DoInsertAppend(bool Append)
{
    CheckBrowseMode();
    CheckCanModify();
    if (BeforeInsert)
        BeforeInsert(this);
    DoBeforeScroll();
    if (!Append) {
        // The new buffer takes the place of the active record, which moves down.
        TBookmark below;
        const bool hasBelow = FRecordCount > 0 && GetBookmarkFlag(ActiveBuffer()) == bfCurrent;
        if (hasBelow)
            GetBookmarkData(ActiveBuffer(), below);
        if (FRecordCount > 0)
            UpdateCursorPos();
        MoveBuffer(FRecordCount, FActiveRecord);
        TRecordBuffer buf = ActiveBuffer();
        InitRecord(buf);
        if (hasBelow) {
            SetBookmarkData(buf, below);
            SetBookmarkFlag(buf, bfInserted);
        } else {
            SetBookmarkFlag(buf, bfEOF);
        }
        if (FRecordCount == 0)
            ActivateBuffers();
        else if (FRecordCount < FBufferCount)
            ++FRecordCount;
        FBOF = false;
        FEOF = false;
        FCurrentRecord = -1;
        InternalInsert();
    } else {
        // Append: the window shows the last records with the new one after them.
        ClearBuffers();
        InternalLast();
        TRecordBuffer buf = FBuffers[0];
        InitRecord(buf);
        SetBookmarkFlag(buf, bfEOF);
        FRecordCount = 1;
        FBOF = false;
        FActiveRecord = 0;
        FCurrentRecord = -1;
        // the records before it come in front (the first read goes to the end: its flag is EOF)
        GetPriorRecords();
        FActiveRecord = FRecordCount - 1;
        FCurrentRecord = -1;
        FEOF = true;  // descendants tell an append from an insert by it
        InternalInsert();
    }
    SetState(dsInsert);
    {
        auto undo = OnFailure([&] {
            UpdateCursorPos();
            SetState(dsBrowse);
            Resync({});
        });
        DoOnNewRecord();
    }
    FModified = false;
    DataEvent(deDataSetChange, 0);
    if (AfterInsert)
        AfterInsert(this);
    DoAfterScroll();
}

void TDataSet::DoOnNewRecord()
{
    if (OnNewRecord)
        OnNewRecord(this);
}

void TDataSet::UpdateRecord()
{
    if (FState != dsEdit && FState != dsInsert && FState != dsSetKey)
        DatabaseError(QString::fromLatin1(DBMsg::NotEditing), this);
    DataEvent(deUpdateRecord, 0);
}

void TDataSet::CheckRequiredFields()
{
    for (TField* f : FFields->List())
        if (f->Required() && !f->ReadOnly() && f->FieldKind() == fkData && f->IsNull()) {
            f->FocusControl();
            DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldRequired), {f->DisplayName()}, this);
        }
}

void TDataSet::Post()
{
    UpdateRecord();
    if (FState != dsEdit && FState != dsInsert)
        return;
    DataEvent(deCheckBrowseMode, 0);
    if (BeforePost)
        BeforePost(this);
    CheckOperation(&TDataSet::InternalPost, OnPostError);
    SetState(dsBrowse);
    Resync({});
    if (AfterPost)
        AfterPost(this);
}

void TDataSet::Cancel()
{
    if (FState != dsEdit && FState != dsInsert)
        return;
    DataEvent(deCheckBrowseMode, 0);
    if (BeforeCancel)
        BeforeCancel(this);
    const bool inserting = FState == dsInsert;
    UpdateCursorPos();
    InternalCancel();
    if (inserting && FRecordCount > 0) {
        // the new buffer leaves the window; the record it pushed down comes back
        MoveBuffer(FActiveRecord, FRecordCount);
        --FRecordCount;
        if (FActiveRecord >= FRecordCount && FActiveRecord > 0)
            --FActiveRecord;
        CursorPosChanged();
    }
    SetState(dsBrowse);
    if (inserting && FRecordCount == 0)
        ClearBuffers();
    Resync({});
    if (AfterCancel)
        AfterCancel(this);
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == dsInsert || FState == dsSetKey) {
        Cancel();
        return;
    }
    if (FRecordCount == 0)
        DatabaseError(QString::fromLatin1(DBMsg::DataSetEmpty), this);
    DataEvent(deCheckBrowseMode, 0);
    if (BeforeDelete)
        BeforeDelete(this);
    DoBeforeScroll();
    CheckOperation(&TDataSet::InternalDelete, OnDeleteError);
    SetState(dsBrowse);
    Resync({});
    if (AfterDelete)
        AfterDelete(this);
    DoAfterScroll();
}

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    DataEvent(deCheckBrowseMode, 0);
    switch (FState) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (FModified)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

void TDataSet::SetFields(const std::vector<Variant>& Values)
{
    // aggregate fields hold no record value and take no position in the list
    size_t k = 0;
    for (int i = 0; i < FieldCount() && k < Values.size(); ++i) {
        TField* f = FFields->Fields(i);
        if (f->FieldKind() == fkAggregate) continue;
        if (!Values[k].IsEmpty())
            f->SetAsVariant(Values[k]);
        ++k;
    }
}

void TDataSet::AppendRecord(const std::vector<Variant>& Values)
{
    DoInsertAppend(true);
    SetFields(Values);
    Post();
}

void TDataSet::InsertRecord(const std::vector<Variant>& Values)
{
    DoInsertAppend(false);
    SetFields(Values);
    Post();
}

void TDataSet::ClearFields()
{
    if (FState != dsEdit && FState != dsInsert)
        DatabaseError(QString::fromLatin1(DBMsg::NotEditing), this);
    for (TField* f : FFields->List())
        if (f->IsDataField() && !f->ReadOnly())
            f->Clear();
}

// ---------------------------------------------------------------- events and links

void TDataSet::DisableControls()
{
    if (FDisableCount == 0) {
        FDisableState = FState;
        FEnableEvent = deDataSetChange;
    }
    ++FDisableCount;
    if (FDisableCount == 1) {
        FRefilling.store(true, std::memory_order_release);
        DataEvent(deDisabledStateChange, 1);
    }
}

void TDataSet::EnableControls()
{
    if (FDisableCount == 0)
        return;
    if (FDisableCount == 1) {
        --FDisableCount;
        // the filling is over: the events below let the controls read the new rows
        FRefilling.store(false, std::memory_order_release);
        if (FDisableState != FState)
            DataEvent(deUpdateState, 0);
        if (FDisableState != dsInactive && FState != dsInactive)
            DataEvent(FEnableEvent, 0);
        DataEvent(deDisabledStateChange, 0);
        return;
    }
    --FDisableCount;
}

void TDataSet::DataEvent(TDataEvent Event, NativeInt Info)
{
    switch (Event) {
    case deFieldChange: {
        auto* f = reinterpret_cast<TField*>(Info);
        if (f && f->IsDataField())
            FModified = true;
        if (FState != dsSetKey) {
            if (f && f->FieldKind() == fkData)
                CalcFieldsChanged();
            if (f)
                f->Change();
        }
        break;
    }
    case dePropertyChange:
        FFieldDefs->SetUpdated(false);
        break;
    default:
        break;
    }
    if (FDisableCount == 0 || Event == deDisabledStateChange) {
        for (TDataSource* ds : std::vector<TDataSource*>(FDataSources))
            ds->DataEvent(Event, Info);
    } else if (Event == deLayoutChange || Event == deFieldListChange) {
        FEnableEvent = deLayoutChange;
    }
}

bool TDataSet::IsLinkedTo(TDataSource* DataSource) const
{
    // follows master sources upwards from this dataset
    const TDataSet* ds = this;
    for (int guard = 0; ds && guard < 1000; ++guard) {
        TDataSource* src = ds->GetDataSource();
        if (!src)
            return false;
        if (src == DataSource)
            return true;
        ds = src->DataSet();
    }
    return false;
}

// ---------------------------------------------------------------- search

bool IsLocateTextType(TFieldType t)
{
    return t == ftString || t == ftWideString || t == ftFixedChar || t == ftFixedWideChar || t == ftGuid
           || t == ftMemo || t == ftWideMemo;
}

bool LocateValueMatches(const Variant& Value, const Variant& Key, bool TextField, TLocateOptions Options)
{
    if (!TextField) {
        const bool keyNull = Key.IsNull() || Key.IsEmpty(), valueNull = Value.IsNull() || Value.IsEmpty();
        if (keyNull || valueNull)
            return keyNull == valueNull;
        return VarOrderEquals(Value, Key, {vcLocale, true, false});
    }
    const QString keyText = VarToStr(Key);
    QString text = VarToStr(Value);
    if (Options.Contains(loPartialKey))
        text.truncate(keyText.size());
    return CompareTextAs(text, keyText, Options.Contains(loCaseInsensitive) ? vcLocaleNoCase : vcLocale) == 0;
}

Variant LocateKeyAt(const Variant& KeyValues, int i, int n)
{
    if (n == 1 && !KeyValues.IsArray())
        return KeyValues;
    return KeyValues.GetElement(KeyValues.ArrayLowBound() + i);
}

bool TDataSet::RecordMatches(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options)
{
    const int n = int(Fields.size());
    for (int i = 0; i < n; ++i) {
        TField* f = Fields[i];
        if (!LocateValueMatches(f->Value(), LocateKeyAt(KeyValues, i, n), IsLocateTextType(f->DataType()), Options))
            return false;
    }
    return true;
}

// Both searches read the records one by one into the temporary buffer (filter state), so
// nothing moves and no event fires until a Locate has found its record.
void TDataSet::ScanRecords(const std::function<bool()>& Visit)
{
    if (!FTempBuffer)
        return;
    const TDataSetState old = SetTempState(dsFilter);
    {
        auto undo = OnFailure([&] {
            RestoreState(old);
            CursorPosChanged();
        });
        InternalFirst();
        while (GetRecord(FTempBuffer, gmNext, false) == grOK && Visit()) {
        }
    }
    RestoreState(old);
    CursorPosChanged();  // the descendant's cursor moved; the next operation puts it back
}

bool TDataSet::FindRecord(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options)
{
    bool found = false;
    ScanRecords([&] {
        found = RecordMatches(Fields, KeyValues, Options);
        return !found;
    });
    return found;
}

bool TDataSet::Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    if (IsEmpty() || !FindRecord(fields, KeyValues, Options))
        return false;
    TBookmark bm;
    GetBookmarkData(FTempBuffer, bm);
    DoBeforeScroll();
    InternalGotoBookmark(bm);
    Resync({rmExact, rmCenter});
    DoAfterScroll();
    return true;
}

Variant TDataSet::Lookup(const QString& KeyFields, const Variant& KeyValues, const QString& ResultFields)
{
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    if (IsEmpty() || !FindRecord(fields, KeyValues, {}))
        return Variant();
    const TDataSetState old = SetTempState(dsFilter);
    Variant result;
    {
        auto cleanup = Finally([&] { RestoreState(old); });
        result = FieldValues(ResultFields);
    }
    return result;
}
