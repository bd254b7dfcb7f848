// The in-memory table: filling it from other datasets and tables, writing its records into
// another dataset, taking over structures, and reading and writing table files.
#include "MemTableEh.h"

#include "DataDriverEh.h"
#include "platform/rtl/Guards.h"

namespace {

bool IsAutoIncDataField(const TMTDataFieldEh* f)
{
    return f->DataType() == ftAutoInc || f->GetAutoIncrement();
}

bool IsAutoIncField(const TField* f)
{
    return f->DataType() == ftAutoInc || f->AutoGenerateValue() == arAutoInc;
}

// Types the record store cannot hold a value of.
bool IsForeignToStore(TFieldType t)
{
    return t == ftCursor || t == ftArray || t == ftReference || t == ftDataSet || t > ftExtended;
}

void DropForeignDefs(TFieldDefs* Defs)
{
    for (int i = Defs->Count() - 1; i >= 0; --i) {
        TFieldDef* d = Defs->Items(i);
        if (IsForeignToStore(d->DataType()))
            delete d;
        else if (d->HasChildDefs())
            DropForeignDefs(d->ChildDefs());
    }
}

} // namespace

// ---------------------------------------------------------------- from and to other datasets

int TCustomMemTableEh::LoadFromDataSet(TDataSet* Source, int RecordCount, TLoadMode Mode, bool UseCachedUpdates)
{
    if (!Source || Source == this)
        return 0;
    const bool sourceWasActive = Source->Active();
    TDisableControlsGuard<TDataSet> sourceControls(Source);
    auto closeSource = Finally([&] {
        if (!sourceWasActive)
            Source->Close();
    });
    TDisableControlsGuard<TDataSet> ownControls(this);
    Source->Open();
    Source->CheckBrowseMode();
    Source->UpdateCursorPos();

    if (Mode == lmCopy || Mode == lmCopyStructureOnly) {
        Close();
        FMemData->DestroyTable();
        FMemData->DataStruct()->BuildStructFromFields(Source->Fields());
        InternalInitFieldDefs();
    }
    if (Mode == lmCopyStructureOnly)
        return 0;

    if (!Active())
        Open();
    CheckBrowseMode();
    if (RecordCount <= 0)
        Source->First();

    TMTDataStructEh* st = FMemData->DataStruct();
    const int n = st->Count();
    // Source field per data field of the store, matched by name once.
    std::vector<TField*> from(size_t(n), nullptr);
    std::vector<bool> autoInc(size_t(n), false), copiedInc(size_t(n), false);
    bool anyAutoInc = false;
    for (int i = 0; i < n; ++i) {
        TMTDataFieldEh* df = st->GetDataField(i);
        from[size_t(i)] = Source->FindField(df->GetFieldName());
        autoInc[size_t(i)] = Mode == lmAppend && IsAutoIncDataField(df);
        copiedInc[size_t(i)] = !autoInc[size_t(i)] && IsAutoIncDataField(df);
        anyAutoInc = anyAutoInc || autoInc[size_t(i)];
    }
    // Copied auto-increment values move the counter past them, so records added later
    // never repeat one.
    TAutoIncrementEh* counter = FMemData->AutoIncrement();
    auto passCounter = [counter](const Variant& v) {
        if (v.IsNull() || v.IsEmpty())
            return;
        const int x = v.AsInteger();
        const int step = counter->Step() == 0 ? 1 : counter->Step();
        if ((step > 0 && counter->CurValue() <= x) || (step < 0 && counter->CurValue() >= x))
            counter->SetCurValue(x + step);
    };
    const bool throughDataSet = UseCachedUpdates && CachedUpdates();
    int count = 0;
    while (!Source->Eof()) {
        if (throughDataSet) {
            Append();
            auto cancel = OnFailure([this] { Cancel(); });
            for (TField* f : Fields()->List()) {
                if (f->FieldKind() != fkData || (Mode == lmAppend && IsAutoIncField(f)))
                    continue;
                if (TField* sf = Source->FindField(f->FieldName()))
                    f->SetAsVariant(sf->AsVariant());
            }
            Post();
        } else {
            TNewRecordEh owned(FRecordsView->NewRecord());
            TMemoryRecordEh* rec = owned.get();
            const Variant nextInc = anyAutoInc ? Variant(FMemData->AutoIncrement()->Promote()) : Variant();
            for (int i = 0; i < n; ++i) {
                if (autoInc[size_t(i)]) {
                    rec->SetDataValue(i, dvvValueEh, nextInc);
                } else if (TField* sf = from[size_t(i)]) {
                    Variant v;
                    if (!sf->GetData(v))
                        v = Variant::Null();
                    if (copiedInc[size_t(i)])
                        passCounter(v);
                    rec->SetDataValue(i, dvvValueEh, v);
                }
            }
            FMemData->RecordsList()->FetchRecord(rec);
            owned.release();   // the records list owns it now
        }
        ++count;
        if (RecordCount > 0 && count >= RecordCount)
            break;
        Source->Next();
    }
    First();
    return count;
}

int TCustomMemTableEh::LoadFromMemTableEh(TCustomMemTableEh* Source, int RecordCount, TLoadMode Mode,
                                          TMemTableLoadOptionsEh LoadOptions)
{
    // A table loaded from itself (or from a table showing the same store) would destroy the
    // records it is reading.
    if (!Source || Source == this || Source->FMemData == FMemData)
        return 0;
    const bool wasActive = Active();
    TDisableControlsGuard<TDataSet> controls(this);
    TMTDataStructEh* st = FMemData->DataStruct();
    TMemTableDataEh* srcData = Source->FMemData;

    if (Mode == lmCopy || Mode == lmCopyStructureOnly) {
        Close();
        FMemData->DestroyTable();
        st->Assign(srcData->DataStruct());
        for (TField* f : Source->Fields()->List())
            if (TMTDataFieldEh* df = st->FindField(f->FieldName())) {
                df->SetDisplayLabel(f->DisplayLabel());
                df->SetAlignment(f->Alignment());
                df->SetVisible(f->Visible());
            }
    }

    // The source records to copy.
    std::vector<TMemoryRecordEh*> recs;
    if (Mode != lmCopyStructureOnly) {
        const bool whole = LoadOptions.Contains(tloDisregardFilterEh);
        TRecordsViewEh* sv = Source->FRecordsView.get();
        const bool tree = !whole && sv->ViewAsTreeList();
        const int total = whole ? srcData->RecordsList()->Count() : tree ? sv->AccountableItemsCount() : sv->ViewItemsCount();
        int first = 0, last = total;
        if (RecordCount > 0) {
            first = total;
            if (Source->Active() && !Source->IsEmpty()) {
                TMemoryRecordEh* cur = Source->Rec();
                if (whole)
                    first = cur ? cur->Index() : total;
                else if (tree) {
                    for (int i = 0; i < total; ++i)
                        if (sv->GetAccountableRecord(i) == cur) {
                            first = i;
                            break;
                        }
                } else
                    first = Source->RecNo() - 1;
            }
            if (first < 0)
                first = total;
            last = std::min(total, first + RecordCount);
        }
        recs.reserve(size_t(std::max(0, last - first)));
        for (int i = first; i < last; ++i)
            recs.push_back(whole ? srcData->RecordsList()->Rec(i)
                                 : tree ? sv->GetAccountableRecord(i) : sv->GetViewRecord(i));
    }

    // Target slot per source value: by name when appending, else by position.
    const int srcCount = srcData->DataStruct()->Count();
    std::vector<int> to(size_t(srcCount), -1);
    for (int i = 0; i < srcCount; ++i)
        if (Mode == lmAppend)
            to[size_t(i)] = st->FieldIndex(srcData->DataStruct()->GetDataField(i)->GetFieldName());
        else if (i < st->Count())
            to[size_t(i)] = i;

    int count = 0;
    {
        TRecordsListEh* list = FMemData->RecordsList();
        TUpdateGuard<TRecordsListEh> update(list);
        const bool logged = LoadOptions.Contains(tloUseCachedUpdatesEh);
        for (TMemoryRecordEh* from : recs) {
            TNewRecordEh owned(list->NewRecord());
            TMemoryRecordEh* rec = owned.get();
            for (int i = 0; i < srcCount; ++i)
                if (to[size_t(i)] >= 0)
                    rec->SetDataValue(to[size_t(i)], dvvValueEh, from->ValueRef(i));
            if (logged)
                FRecordsView->AddRecord(rec);
            else
                list->FetchRecord(rec);
            owned.release();   // the records list owns it now
            ++count;
        }
    }

    if (LoadOptions.Contains(tloOpenOnLoad) || wasActive)
        Open();
    if (Active())
        for (TField* sf : Source->Fields()->List())
            if (TField* f = FindField(sf->FieldName()))
                f->SetIndex(sf->Index());
    return count;
}

int TCustomMemTableEh::SaveToDataSet(TDataSet* Dest, int RecordCount)
{
    if (!Dest || Dest == this)
        return 0;
    CheckBrowseMode();
    UpdateCursorPos();
    TDisableControlsGuard<TDataSet> destControls(Dest);
    TDisableControlsGuard<TDataSet> ownControls(this);
    if (Dest->Active())
        Dest->CheckBrowseMode();
    else
        Dest->Open();
    if (RecordCount <= 0)
        First();
    // Dest field per table field of the same name.
    std::vector<std::pair<TField*, TField*>> pairs;
    for (TField* df : Dest->Fields()->List())
        if (df->FieldKind() == fkData)
            if (TField* f = FindField(df->FieldName()))
                pairs.emplace_back(df, f);
    int count = 0;
    while (!Eof()) {
        Dest->Append();
        {
            auto cancel = OnFailure([Dest] { Dest->Cancel(); });
            for (auto& [df, f] : pairs)
                df->SetAsVariant(f->AsVariant());
            Dest->Post();
        }
        ++count;
        if (RecordCount > 0 && count >= RecordCount)
            break;
        Next();
    }
    Dest->First();
    return count;
}

void TCustomMemTableEh::CopyStructure(TDataSet* Source)
{
    CheckInactive();
    for (int i = FieldCount() - 1; i >= 0; --i)
        delete Fields()->Fields(i);
    if (!Source)
        return;
    Source->FieldDefs()->Update();
    FieldDefs()->Assign(Source->FieldDefs());
    DropForeignDefs(FieldDefs());
}

void TCustomMemTableEh::DestroyTable()
{
    Close();
    FMemData->DestroyTable();
}

// ---------------------------------------------------------------- files

void TCustomMemTableEh::SaveToFile(const QString& FileName, TDfmStreamFormatEh Format)
{
    TMemoryStream bin;
    FMemData->SaveToStream(&bin);
    if (Format == dfmTextEh) {
        bin.SetPosition(0);
        TMemoryStream text;
        ObjectBinaryToText(&bin, &text);
        text.SaveToFile(FileName);
    } else {
        bin.SaveToFile(FileName);
    }
}

void TCustomMemTableEh::LoadFromFile(const QString& FileName)
{
    TMemoryStream file;
    {
        TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
        file.CopyFrom(&fs, 0);
    }
    file.SetPosition(0);
    if (TestStreamFormat(&file) == sofUnknown)
        throw Exception(QStringLiteral("Invalid stream format."));
    const bool wasActive = Active();
    // The file is read into a store of its own: a damaged file raises before the table
    // is touched.
    auto read = CreateUnique<TMemTableDataEh>(nullptr);
    read->LoadFromStream(&file);
    Close();
    FMemData->TakeOver(read.get());
    if (wasActive)
        Open();
}

// ---------------------------------------------------------------- the store with the form

void TCustomMemTableEh::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    TDataSet::GetChildren(Proc, Root);
    TMemTableDataEh* d = FInternMemTableData.get();
    if (FExternalMemData)
        return;
    if (FDataDriver ? !FOptions.Contains(mtoPersistentStructEh) : d->DataStruct()->Count() == 0)
        return;
    TRestoreGuard<bool> st(d->StoreStructInStream, true);
    TRestoreGuard<bool> recs(d->StoreRecordsInStream, !FDataDriver);
    Proc(d);
}

void TCustomMemTableEh::ReadState(TReader* Reader)
{
    TRestoreGuard<decltype(Reader->OnCreateComponent)> hook(Reader->OnCreateComponent);
    auto outer = Reader->OnCreateComponent;
    Reader->OnCreateComponent = [this, outer](TReader* r, TComponentClass cls, TComponent*& c) {
        if (cls && cls->InheritsFrom(&TMemTableDataEh::StaticClassInfo()))
            c = FInternMemTableData.get();
        else if (outer)
            outer(r, cls, c);
    };
    TDataSet::ReadState(Reader);
}

// ---------------------------------------------------------------- provider key

QString TCustomMemTableEh::ProviderKeyFields()
{
    if (!FIndexDefs)
        return {};
    for (int i = 0; i < FIndexDefs->Count(); ++i)
        if (FIndexDefs->Items(i)->GetOptions().Contains(ixPrimary))
            return FIndexDefs->Items(i)->GetFields();
    return {};
}

void TCustomMemTableEh::MarkProviderKeyFields()
{
    const QStringList keys = SplitFieldNames(ProviderKeyFields());
    if (keys.isEmpty())
        return;
    for (TField* f : Fields()->List())
        for (const QString& k : keys)
            if (AnsiSameText(f->FieldName(), k)) {
                TProviderFlags pf = f->ProviderFlags();
                pf.Include(pfInKey);
                f->SetProviderFlags(pf);
            }
}
