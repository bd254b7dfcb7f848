#include "support/ArrayDataSet.h"

#include <cstring>

DOV_PUBLISHED(TArrayDataSet)
{
    P.Prop("Active", &TArrayDataSet::Active, &TArrayDataSet::SetActive).Default(false);
    P.Prop("Filtered", &TArrayDataSet::Filtered, &TArrayDataSet::SetFiltered).Default(false);
    P.Event("AfterOpen", &TArrayDataSet::AfterOpen);
}

TArrayDataSet::TArrayDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TArrayDataSet::~TArrayDataSet()
{
    Destroying();
    Close();
}

void TArrayDataSet::AddRow(const std::vector<Variant>& Values)
{
    FRows.push_back(Stored{FNextId++, Values});
}

int TArrayDataSet::IndexOfId(int id) const
{
    for (int i = 0; i < int(FRows.size()); ++i)
        if (FRows[i].Id == id)
            return i;
    return -1;
}

bool TArrayDataSet::Accept(int index)
{
    if (!Filtered() || !OnFilterRecord())
        return true;
    Fill(Buf(TempBuffer()), index);
    return DoFilterRecord();
}

void TArrayDataSet::Fill(RecBuf* b, int index)
{
    b->Id = FRows[index].Id;
    b->Flag = bfCurrent;
    b->Values = FRows[index].Values;
    b->Values.resize(FieldDefs()->Count(), Null());
}

TRecordBuffer TArrayDataSet::AllocRecordBuffer()
{
    ++AllocatedBuffers;
    return reinterpret_cast<TRecordBuffer>(new RecBuf);
}

void TArrayDataSet::FreeRecordBuffer(TRecordBuffer& Buffer)
{
    --AllocatedBuffers;
    delete Buf(Buffer);
    Buffer = 0;
}

TGetResult TArrayDataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck)
{
    ++GetRecordCalls;
    const int n = int(FRows.size());
    TGetResult result = grOK;
    switch (GetMode) {
    case gmNext: {
        int i = FCursor + 1;
        while (i < n && !Accept(i))
            ++i;
        if (i >= n) {
            FCursor = n;
            result = grEOF;
        } else
            FCursor = i;
        break;
    }
    case gmPrior: {
        int i = std::min(FCursor, n) - 1;
        while (i >= 0 && !Accept(i))
            --i;
        if (i < 0) {
            FCursor = -1;
            result = grBOF;
        } else
            FCursor = i;
        break;
    }
    case gmCurrent:
        if (FCursor < 0 || FCursor >= n || !Accept(FCursor))
            result = grError;
        break;
    }
    if (result == grOK) {
        Fill(Buf(Buffer), FCursor);
        GetCalcFields(Buffer);
    } else if (result == grError && DoCheck) {
        DatabaseError(QString::fromLatin1(DBMsg::NoDataFound), this);
    }
    return result;
}

void TArrayDataSet::InternalOpen()
{
    if (DefaultFields())
        CreateFields();
    BindFields(true);
    FCursor = -1;
    FOpen = true;
}

void TArrayDataSet::InternalClose()
{
    BindFields(false);
    if (DefaultFields())
        DestroyFields();
    FOpen = false;
}

void TArrayDataSet::InternalInitRecord(TRecordBuffer Buffer)
{
    RecBuf* b = Buf(Buffer);
    b->Id = -1;
    b->Values.assign(FieldDefs()->Count(), Null());
}

void TArrayDataSet::InternalPost()
{
    TDataSet::InternalPost();
    RecBuf* b = Buf(ActiveBuffer());
    if (State() == dsEdit) {
        FRows[IndexOfId(b->Id)].Values = b->Values;
        return;
    }
    Stored row{FNextId++, b->Values};
    if (b->Flag == bfEOF || FCursor < 0 || FCursor >= int(FRows.size())) {
        FRows.push_back(row);
        FCursor = int(FRows.size()) - 1;
    } else {
        FRows.insert(FRows.begin() + FCursor, row);
    }
}

void TArrayDataSet::InternalDelete()
{
    FRows.erase(FRows.begin() + FCursor);
}

void TArrayDataSet::InternalGotoBookmark(const TBookmark& Bookmark)
{
    int id = 0;
    std::memcpy(&id, Bookmark.constData(), sizeof id);
    int i = IndexOfId(id);
    if (i < 0)
        DatabaseError(QString::fromLatin1(DBMsg::RecordNotFound), this);
    FCursor = i;
}

void TArrayDataSet::InternalSetToRecord(TRecordBuffer Buffer)
{
    TBookmark bm;
    GetBookmarkData(Buffer, bm);
    InternalGotoBookmark(bm);
}

void TArrayDataSet::GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data)
{
    int id = Buf(Buffer)->Id;
    Data = QByteArray(reinterpret_cast<const char*>(&id), sizeof id);
}

void TArrayDataSet::SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data)
{
    if (Data.size() == sizeof(int))
        std::memcpy(&Buf(Buffer)->Id, Data.constData(), sizeof(int));
}

TBookmarkFlag TArrayDataSet::GetBookmarkFlag(TRecordBuffer Buffer)
{
    return Buf(Buffer)->Flag;
}

void TArrayDataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value)
{
    Buf(Buffer)->Flag = Value;
}

bool TArrayDataSet::BookmarkValid(const TBookmark& Bookmark)
{
    if (!Active() || Bookmark.size() != sizeof(int))
        return false;
    int id = 0;
    std::memcpy(&id, Bookmark.constData(), sizeof id);
    return IndexOfId(id) >= 0;
}

int TArrayDataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2)
{
    if (Bookmark1.isEmpty() || Bookmark2.isEmpty())
        return TDataSet::CompareBookmarks(Bookmark1, Bookmark2);
    int a = 0, b = 0;
    std::memcpy(&a, Bookmark1.constData(), sizeof a);
    std::memcpy(&b, Bookmark2.constData(), sizeof b);
    int ia = IndexOfId(a), ib = IndexOfId(b);
    return ia < ib ? -1 : (ia > ib ? 1 : 0);
}

int TArrayDataSet::RecordCount() const
{
    CheckActive();
    if (!Filtered() || !OnFilterRecord())
        return int(FRows.size());
    int n = 0;
    auto* self = const_cast<TArrayDataSet*>(this);
    for (int i = 0; i < int(FRows.size()); ++i)
        if (self->Accept(i))
            ++n;
    return n;
}

int TArrayDataSet::RecNo() const
{
    CheckActive();
    if (State() != dsBrowse || IsEmpty())
        return -1;
    int i = IndexOfId(Buf(ActiveBuffer())->Id);
    if (i < 0)
        return -1;
    int n = 0;
    auto* self = const_cast<TArrayDataSet*>(this);
    for (int k = 0; k <= i; ++k)
        if (self->Accept(k))
            ++n;
    return n;
}

bool TArrayDataSet::GetFieldData(TField* Field, Variant& Value)
{
    if (!Field->IsDataField())
        return TDataSet::GetFieldData(Field, Value);
    TRecordBuffer b;
    const int slot = Field->FieldNo() - 1;
    if (!GetActiveRecBuf(b) || slot < 0) {
        Value = Null();
        return false;
    }
    if (State() == dsOldValue) {
        int i = IndexOfId(Buf(b)->Id);
        Value = i >= 0 ? FRows[i].Values[slot] : Null();
    } else {
        Value = Buf(b)->Values[slot];
    }
    return !(Value.IsNull() || Value.IsEmpty());
}

void TArrayDataSet::SetFieldData(TField* Field, const Variant& Value)
{
    if (!Field->IsDataField()) {
        TDataSet::SetFieldData(Field, Value);
        return;
    }
    CheckFieldWrite(Field);
    TRecordBuffer b;
    if (!GetActiveRecBuf(b))
        return;
    Field->Validate(Value);
    Buf(b)->Values[Field->FieldNo() - 1] = Value;
    if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
        DataEvent(deFieldChange, NativeInt(Field));
}

void TArrayDataSet::SetFiltered(bool Value)
{
    if (Value == Filtered())
        return;
    if (Active()) {
        CheckBrowseMode();
        TDataSet::SetFiltered(Value);
        First();
    } else {
        TDataSet::SetFiltered(Value);
    }
}
