// Queries as datasets: the statement runs on the connection's session, its whole result is
// read into one block of Variants (the static cursor) and the framework's record buffers are
// copies of rows of that block. Changes of a single-table result are written back at once.
#include "ADODB.h"
#include "platform/rtl/Guards.h"
#include "SqlFieldTypes.h"
#include "platform/db/DBCommon.h"

#include <QHash>
#include <algorithm>
#include <cstring>

struct TCustomADODataSet::RecBuf {
    int Id = -1;   // row id in the block; for an inserted buffer the row it stands before
    TBookmarkFlag Flag = bfCurrent;
    std::vector<Variant> Values;
};

namespace {

const char* const kNotSingleTable = "Insufficient key column information for updating or refreshing";

// The variant type values of a column are kept in, so fields read them without converting;
// varEmpty when values stay as they come.
TVarType StoredVarType(TField* f)
{
    if (!f)
        return varEmpty;
    TVarType vt = FieldTypeVarType(f->DataType());
    if (vt == varString || vt == varOleStr || vt == varVariant || vt == varError || (vt & varArray))
        return varEmpty;
    return vt;
}

void ConvertTo(Variant& v, TVarType vt)
{
    if (vt == varEmpty || v.IsNull() || v.IsEmpty() || (v.VarType() & varTypeMask) == vt)
        return;
    try {
        v = VarAsType(v, vt);
    } catch (const Exception&) {
        // left as it came: the field's own conversion reports it when read
    }
}

// Exact: a change of case is a change.
bool SameValue(const Variant& a, const Variant& b)
{
    return VarOrder(a, b, vcOrdinal) == 0;
}

QString Quoted(const QString& column)
{
    return QLatin1Char('[') + column + QLatin1Char(']');
}

}  // namespace

// ---------------------------------------------------------------- filter expressions

namespace {
// A recordset's filter takes "*" as well as "%" for any characters in a like pattern; the one
// filter language knows "%" only, so the patterns after LIKE are given "%" before compiling.
QString AdoLikePatterns(const QString& Text)
{
    QString out;
    out.reserve(Text.size());
    bool inQuote = false, likePattern = false;
    for (int i = 0; i < Text.size(); ++i) {
        const QChar c = Text[i];
        if (inQuote) {
            if (c == u'\'' && i + 1 < Text.size() && Text[i + 1] == u'\'') {
                out += c;
                out += Text[++i];
                continue;
            }
            if (c == u'\'')
                inQuote = false;
            out += (likePattern && c == u'*') ? QChar(u'%') : c;
            continue;
        }
        if (c == u'\'') {
            // A literal is a like pattern when LIKE is the word just before it.
            const QString before = out.trimmed();
            likePattern = before.endsWith(QLatin1String("LIKE"), Qt::CaseInsensitive) &&
                          (before.size() == 4 || !before[before.size() - 5].isLetterOrNumber());
            inQuote = true;
        }
        out += c;
    }
    return out;
}
}  // namespace

// The filter text in the datasets' one filter language, compiled against the fields and
// evaluated over a row of the block (fields are read from their slots).
struct TCustomADODataSet::FilterExpr : TExprEvaluator {
    TDataSet* ds = nullptr;
    TFilterOptions options;
    const Variant* row = nullptr;

    static std::unique_ptr<FilterExpr> Compile(const QString& text, TDataSet* ds, TFilterOptions options)
    {
        auto fe = std::make_unique<FilterExpr>();
        fe->ds = ds;
        fe->options = options;
        TExprParser parser(ds, AdoLikePatterns(text), options);
        for (const QString& name : parser.FieldNames()) {
            TField* f = ds->FindField(name);
            if (!f || !f->IsDataField() || f->FieldNo() < 1)
                DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {name}, ds);
        }
        fe->SetCompiled(parser.FilterData());
        return fe;
    }

    bool Accepts(const Variant* values)
    {
        row = values;
        const Variant r = Evaluate();
        return !r.IsNull() && !r.IsEmpty() && r.AsBoolean();
    }

protected:
    TFilterOptions EvalOptions() const override { return options; }
    Variant FieldValue(int FieldNo, const QString& Name) override
    {
        if (FieldNo < 1)
            DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {Name}, ds);
        return row[FieldNo - 1];
    }
};

// ---------------------------------------------------------------- TCustomADODataSet

TCustomADODataSet::TCustomADODataSet(TComponent* AOwner)
    : TDataSet(AOwner), FParameters(new TParameters(this))
{
    FParameters->SetPropName(QStringLiteral("Parameters"));
}

TCustomADODataSet::~TCustomADODataSet()
{
    Destroying();
    Close();
    if (FConnection)
        FConnection->UnRegisterClient(this);
    FCommand.reset();
    delete FPSParams;
    delete FParameters;
}

void TCustomADODataSet::Fail(const QString& message) const
{
    DatabaseError(message, const_cast<TCustomADODataSet*>(this));
}

void TCustomADODataSet::SetConnection(TADOConnection* v)
{
    if (v == FConnection)
        return;
    CheckInactive();
    if (FConnection) {
        FConnection->UnRegisterClient(this);
        FConnection->RemoveFreeNotification(this);
    }
    FConnection = v;
    FCommand.reset();
    if (v) {
        v->RegisterClient(this);
        v->FreeNotification(this);
    }
}

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation)
{
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnection) {
        if (Active() && !ComponentState().Contains(csDestroying))
            Close();
        FConnection->UnRegisterClient(this);
        FConnection = nullptr;
        FCommand.reset();
    }
}

void TCustomADODataSet::SetCommandTimeout(int v)
{
    FCommandTimeout = v;
    if (FCommand)
        FCommand->SetTimeout(v);
}

void TCustomADODataSet::SetPrepared(bool v)
{
    if (v)
        PrepareCommand();
    else
        FCommand.reset();
}

TADOConnection& TCustomADODataSet::CheckConnection()
{
    if (!FConnection || FConnection->ConnectionString().trimmed().isEmpty())
        Fail(QStringLiteral("Missing Connection or ConnectionString"));
    if (!FConnection->Connected()) {
        try {
            FConnection->Open();
        } catch (const Exception& e) {
            // opened on this query's behalf: say which query needed it
            Fail(e.Message());
        }
    }
    return *FConnection;
}

TSqlCommand& TCustomADODataSet::PrepareCommand()
{
    TADOConnection& c = CheckConnection();
    std::lock_guard<std::recursive_mutex> g(c.Mutex());
    if (!FCommand || FCommandConnection != &c || FCommandGeneration != c.Generation()) {
        FCommand.reset();
        const QString text = CommandText();
        if (text.trimmed().isEmpty())
            Fail(QStringLiteral("CommandText does not return a result set"));
        FCommand = c.Session().Prepare(text);
        FCommandConnection = &c;
        FCommandGeneration = c.Generation();
        ++FPrepareCount;
        TParams names;
        names.ParseSQL(text, true);
        FTextParams.clear();
        for (int i = 0; i < names.Count(); ++i)
            FTextParams << names[i]->Name();
    }
    FCommand->SetTimeout(FCommandTimeout);
    return *FCommand;
}

void TCustomADODataSet::CommandTextChanged()
{
    FCommand.reset();
    if (FParamCheck && !ComponentState().Contains(csLoading))
        FParameters->ParseSQL(CommandText(), true);
}

const TSqlParams& TCustomADODataSet::BindParams()
{
    TSqlParams& out = FBoundParams;
    out.resize(FTextParams.size());
    for (int i = 0; i < int(FTextParams.size()); ++i) {
        const QString& name = FTextParams[i];
        // parameters usually stand in the order of the text
        TParameter* p = i < FParameters->Count() ? FParameters->Items(i) : nullptr;
        if (!p || (p->NameRef() != name && p->NameRef().compare(name, Qt::CaseInsensitive) != 0))
            p = FParameters->FindParam(name);
        if (!p)
            Fail(QStringLiteral("Parameter '%1' has no value").arg(name));
        TSqlParam& sp = out[size_t(i)];
        sp.Name = name;
        sp.Value = p->Value().IsEmpty() ? Null() : p->Value();
        if (!sp.Value.IsNull() && p->DataType() != ftUnknown) {
            const TVarType vt = FieldTypeVarType(p->DataType());
            // a value of the parameter's own type needs no check
            if (vt != varString && vt != varOleStr && vt != varVariant && vt != varError && !(vt & varArray)
                && (sp.Value.VarType() & varTypeMask) != vt) {
                try {
                    // text goes by the regional settings, as a typed parameter takes it
                    Variant typed = VarAsType(sp.Value, vt);
                    if (VarIsStr(sp.Value))
                        sp.Value = typed;
                } catch (const Exception&) {
                    Fail(QStringLiteral("Parameter '%1': the value '%2' is not a valid %3")
                             .arg(name, VarToStr(sp.Value), QString::fromLatin1(FieldTypeName(p->DataType()))));
                }
            }
        }
        sp.Type = SqlParamType(p->DataType());
        sp.Size = p->Size();
        sp.Precision = p->Precision();
        sp.Scale = p->NumericScale();
    }
    return out;
}

int64_t TCustomADODataSet::ExecuteCommand()
{
    TADOConnection& c = CheckConnection();
    std::lock_guard<std::recursive_mutex> g(c.Mutex());
    TSqlCommand& cmd = PrepareCommand();
    FRowsAffected = cmd.Execute(BindParams());
    return FRowsAffected;
}

// ---- opening

void TCustomADODataSet::BuildFieldDefs()
{
    TFieldDefs* defs = FieldDefs();
    {
        TUpdateGuard update(defs);
        defs->Clear();
        for (int i = 0; i < FColCount; ++i) {
            const TSqlColumn& c = FColumns[i];
            QString name = c.Name.isEmpty() ? QStringLiteral("COLUMN%1").arg(i + 1) : c.Name;
            for (int k = 1; defs->IndexOf(name) >= 0; ++k)
                name = QStringLiteral("%1_%2").arg(c.Name).arg(k);
            const TFieldType t = SqlFieldType(c);
            TFieldDef* d = defs->AddFieldDef();
            d->SetName(name);
            d->SetDataType(t);
            switch (t) {
            case ftString: case ftFixedChar: case ftWideString: case ftFixedWideChar: case ftVarBytes: case ftBytes:
                d->SetSize(c.Size > 0 ? c.Size : 8000);
                break;
            case ftBCD: case ftFMTBcd:
                d->SetSize(c.Scale);
                d->SetPrecision(c.Precision);
                break;
            default:
                break;
            }
            if (c.AutoIncrement)
                d->SetAttributes({faReadonly});
        }
    }
    defs->SetUpdated(true);
    FHaveColumns = true;
}

void TCustomADODataSet::InternalInitFieldDefs()
{
    if (!FHaveColumns) {
        TADOConnection& c = CheckConnection();
        std::lock_guard<std::recursive_mutex> g(c.Mutex());
        auto r = PrepareCommand().Open(BindParams());
        FColumns = r->Columns();
        FColCount = int(FColumns.size());
    }
    BuildFieldDefs();
}

void TCustomADODataSet::ReadResult(TSqlResult& r)
{
    FData.clear();
    std::vector<Variant> row;
    while (r.Next(row)) {
        if (int(row.size()) != FColCount)
            row.resize(FColCount, Null());
        for (Variant& v : row)
            FData.push_back(std::move(v));
    }
    FData.shrink_to_fit();
}

void TCustomADODataSet::ConvertColumns()
{
    const int rows = FColCount ? int(FData.size() / FColCount) : 0;
    for (TField* f : Fields()->List()) {
        if (!f->IsDataField() || f->FieldNo() < 1 || f->FieldNo() > FColCount)
            continue;
        const TVarType vt = StoredVarType(f);
        if (vt == varEmpty)
            continue;
        const int slot = f->FieldNo() - 1;
        for (int r = 0; r < rows; ++r)
            ConvertTo(FData[size_t(r) * FColCount + slot], vt);
    }
}

void TCustomADODataSet::InternalOpen()
{
    TADOConnection& c = CheckConnection();
    {
        std::lock_guard<std::recursive_mutex> g(c.Mutex());
        TSqlCommand& cmd = PrepareCommand();
        std::unique_ptr<TSqlResult> r = cmd.Open(BindParams());
        FColumns = r->Columns();
        FColCount = int(FColumns.size());
        ReadResult(*r);
        r.reset();   // the statements after the row set run now
    }
    BuildFieldDefs();
    if (DefaultFields())
        CreateFields();
    {
        auto undo = OnFailure([this] {
            if (DefaultFields())
                DestroyFields();
            FData.clear();
        });
        BindFields(true);
    }
    ConvertColumns();
    const int rows = FColCount ? int(FData.size() / FColCount) : 0;
    FOrder.resize(rows);
    for (int i = 0; i < rows; ++i)
        FOrder[i] = i;
    FCursor = -1;
    FCursorOpen = true;
    auto undo = OnFailure([&] { InternalClose(); });
    ApplySort(FSort);
    CompileFilter();
}

void TCustomADODataSet::InternalClose()
{
    BindFields(false);
    if (DefaultFields())
        DestroyFields();
    FFilterExpr.reset();
    FData.clear();
    FData.shrink_to_fit();
    FOrder.clear();
    FOrder.shrink_to_fit();
    FPosOfId.clear();
    FCursorOpen = false;
    FHaveColumns = false;
}

void TCustomADODataSet::InternalRefresh()
{
    TADOConnection& c = CheckConnection();
    std::lock_guard<std::recursive_mutex> g(c.Mutex());
    std::unique_ptr<TSqlResult> r = PrepareCommand().Open(BindParams());
    if (int(r->Columns().size()) != FColCount)
        Fail(QStringLiteral("The result of the query changed its columns"));
    FColumns = r->Columns();
    ReadResult(*r);
    r.reset();
    ConvertColumns();
    const int rows = FColCount ? int(FData.size() / FColCount) : 0;
    FOrder.resize(rows);
    for (int i = 0; i < rows; ++i)
        FOrder[i] = i;
    ApplySort(FSort);
    FCursor = std::min(FCursor, rows);
}

void TCustomADODataSet::Requery()
{
    CheckBrowseMode();
    Refresh();
}

// ---- cursor

int TCustomADODataSet::PosOfId(int id) const
{
    if (FPosDirty) {
        const size_t rows = FColCount ? FData.size() / FColCount : 0;
        FPosOfId.assign(rows, -1);
        for (int p = 0; p < int(FOrder.size()); ++p)
            FPosOfId[FOrder[p]] = p;
        FPosDirty = false;
    }
    return id >= 0 && id < int(FPosOfId.size()) ? FPosOfId[id] : -1;
}

bool TCustomADODataSet::FilterActive() const
{
    return Filtered() && (FFilterExpr || OnFilterRecord());
}

bool TCustomADODataSet::Accept(int pos)
{
    if (!FilterActive())
        return true;
    RecBuf* t = Buf(TempBuffer());
    Fill(t, pos);
    if (FFilterExpr && !FFilterExpr->Accepts(t->Values.data()))
        return false;
    return !OnFilterRecord() || DoFilterRecord();
}

void TCustomADODataSet::Fill(RecBuf* b, int pos)
{
    const int id = FOrder[pos];
    b->Id = id;
    b->Flag = bfCurrent;
    const Variant* src = RowData(id);
    b->Values.assign(src, src + FColCount);
}

TRecordBuffer TCustomADODataSet::AllocRecordBuffer()
{
    return reinterpret_cast<TRecordBuffer>(new RecBuf);
}

void TCustomADODataSet::FreeRecordBuffer(TRecordBuffer& Buffer)
{
    delete Buf(Buffer);
    Buffer = 0;
}

TGetResult TCustomADODataSet::GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck)
{
    const int n = int(FOrder.size());
    TGetResult result = grOK;
    switch (GetMode) {
    case gmNext: {
        int i = std::max(FCursor, -1) + 1;
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
        Fail(QString::fromLatin1(DBMsg::NoDataFound));
    }
    return result;
}

void TCustomADODataSet::InternalInitRecord(TRecordBuffer Buffer)
{
    RecBuf* b = Buf(Buffer);
    b->Id = -1;
    b->Values.assign(FColCount, Null());
}

void TCustomADODataSet::InternalGotoBookmark(const TBookmark& Bookmark)
{
    int id = -1;
    if (Bookmark.size() == sizeof(int))
        std::memcpy(&id, Bookmark.constData(), sizeof id);
    const int pos = PosOfId(id);
    if (pos < 0)
        Fail(QString::fromLatin1(DBMsg::RecordNotFound));
    FCursor = pos;
}

void TCustomADODataSet::InternalSetToRecord(TRecordBuffer Buffer)
{
    TBookmark bm;
    GetBookmarkData(Buffer, bm);
    InternalGotoBookmark(bm);
}

void TCustomADODataSet::GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data)
{
    const int id = Buf(Buffer)->Id;
    Data = QByteArray(reinterpret_cast<const char*>(&id), sizeof id);
}

void TCustomADODataSet::SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data)
{
    if (Data.size() == sizeof(int))
        std::memcpy(&Buf(Buffer)->Id, Data.constData(), sizeof(int));
}

TBookmarkFlag TCustomADODataSet::GetBookmarkFlag(TRecordBuffer Buffer)
{
    return Buf(Buffer)->Flag;
}

void TCustomADODataSet::SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value)
{
    Buf(Buffer)->Flag = Value;
}

bool TCustomADODataSet::BookmarkValid(const TBookmark& Bookmark)
{
    if (!Active() || Bookmark.size() != sizeof(int))
        return false;
    int id = -1;
    std::memcpy(&id, Bookmark.constData(), sizeof id);
    return PosOfId(id) >= 0;
}

int TCustomADODataSet::CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2)
{
    if (Bookmark1.size() != sizeof(int) || Bookmark2.size() != sizeof(int))
        return TDataSet::CompareBookmarks(Bookmark1, Bookmark2);
    int a = -1, b = -1;
    std::memcpy(&a, Bookmark1.constData(), sizeof a);
    std::memcpy(&b, Bookmark2.constData(), sizeof b);
    const int pa = PosOfId(a), pb = PosOfId(b);
    return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

int TCustomADODataSet::RecordCount() const
{
    CheckActive();
    if (!FilterActive())
        return int(FOrder.size());
    auto* self = const_cast<TCustomADODataSet*>(this);
    int n = 0;
    for (int i = 0; i < int(FOrder.size()); ++i)
        if (self->Accept(i))
            ++n;
    return n;
}

int TCustomADODataSet::RecNo() const
{
    CheckActive();
    if (State() != dsBrowse || IsEmpty())
        return -1;
    const int pos = PosOfId(Buf(ActiveBuffer())->Id);
    if (pos < 0)
        return -1;
    if (!FilterActive())
        return pos + 1;
    auto* self = const_cast<TCustomADODataSet*>(this);
    int n = 0;
    for (int k = 0; k <= pos; ++k)
        if (self->Accept(k))
            ++n;
    return n;
}

void TCustomADODataSet::SetRecNo(int Value)
{
    CheckBrowseMode();
    if (Value < 1 || Value == RecNo())
        return;
    int pos = -1;
    if (!FilterActive()) {
        pos = Value <= int(FOrder.size()) ? Value - 1 : -1;
    } else {
        for (int i = 0, n = 0; i < int(FOrder.size()); ++i)
            if (Accept(i) && ++n == Value) {
                pos = i;
                break;
            }
    }
    if (pos < 0)
        return;
    DoBeforeScroll();
    FCursor = pos;
    Resync({rmCenter});
    DoAfterScroll();
}

bool TCustomADODataSet::Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options)
{
    CheckBrowseMode();
    std::vector<TField*> fields;
    GetFieldList(fields, KeyFields);
    for (TField* f : fields)
        if (!f->IsDataField() || f->FieldNo() < 1 || f->FieldNo() > FColCount)
            return TDataSet::Locate(KeyFields, KeyValues, Options);
    const int n = int(fields.size());
    std::vector<Variant> keys(static_cast<size_t>(n));
    std::vector<bool> text(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        keys[i] = LocateKeyAt(KeyValues, i, n);
        text[i] = IsLocateTextType(fields[i]->DataType());
    }
    auto matches = [&](const Variant* row) {
        for (int i = 0; i < n; ++i)
            if (!LocateValueMatches(row[fields[i]->FieldNo() - 1], keys[i], text[i], Options))
                return false;
        return true;
    };
    for (int pos = 0; pos < int(FOrder.size()); ++pos)
        if (matches(RowData(FOrder[pos])) && Accept(pos)) {
            const int id = FOrder[pos];
            GotoBookmark(QByteArray(reinterpret_cast<const char*>(&id), sizeof id));
            return true;
        }
    return false;
}

// ---- fields

bool TCustomADODataSet::GetFieldData(TField* Field, Variant& Value)
{
    if (!Field->IsDataField())
        return TDataSet::GetFieldData(Field, Value);
    TRecordBuffer b;
    const int slot = Field->FieldNo() - 1;
    if (!GetActiveRecBuf(b) || slot < 0 || slot >= FColCount) {
        Value = Null();
        return false;
    }
    RecBuf* rb = Buf(b);
    if (State() == dsOldValue || State() == dsCurValue) {
        const bool stored = rb->Flag == bfCurrent && PosOfId(rb->Id) >= 0;
        Value = stored ? RowData(rb->Id)[slot] : Null();
    } else {
        Value = rb->Values[slot];
    }
    return !(Value.IsNull() || Value.IsEmpty());
}

void TCustomADODataSet::SetFieldData(TField* Field, const Variant& Value)
{
    if (!Field->IsDataField()) {
        TDataSet::SetFieldData(Field, Value);
        return;
    }
    CheckFieldWrite(Field);
    TRecordBuffer b;
    if (!GetActiveRecBuf(b))
        return;
    const int slot = Field->FieldNo() - 1;
    if (slot < 0 || slot >= FColCount)
        return;
    Field->Validate(Value);
    Buf(b)->Values[slot] = Value;
    if (State() != dsCalcFields && State() != dsFilter && State() != dsNewValue)
        DataEvent(deFieldChange, NativeInt(Field));
}

TUpdateStatus TCustomADODataSet::UpdateStatus() const
{
    return State() == dsInsert ? usInserted : usUnmodified;
}

bool TCustomADODataSet::GetCurrentRecord(TRecordBuffer Buffer)
{
    if (IsEmpty() || State() != dsBrowse)
        return false;
    *Buf(Buffer) = *Buf(ActiveBuffer());
    return true;
}

bool TCustomADODataSet::CanModify() const
{
    return FLockType != ltReadOnly;
}

// ---- filters

void TCustomADODataSet::CompileFilter()
{
    FFilterExpr.reset();
    if (Filtered() && !Filter().trimmed().isEmpty() && FCursorOpen)
        FFilterExpr = FilterExpr::Compile(Filter(), this, FilterOptions());
}

void TCustomADODataSet::SetFiltered(bool Value)
{
    if (Value == Filtered())
        return;
    if (Active()) {
        CheckBrowseMode();
        TDataSet::SetFiltered(Value);
        CompileFilter();
        First();
    } else {
        TDataSet::SetFiltered(Value);
    }
}

void TCustomADODataSet::SetFilterText(const QString& Value)
{
    if (Value == Filter())
        return;
    if (Active()) {
        CheckBrowseMode();
        TDataSet::SetFilterText(Value);
        CompileFilter();
        if (Filtered())
            First();
    } else {
        TDataSet::SetFilterText(Value);
    }
}

void TCustomADODataSet::SetSort(const QString& Value)
{
    if (Value == FSort)
        return;
    if (FCursorOpen) {
        CheckBrowseMode();
        ApplySort(Value);
    }
    FSort = Value;
    if (FCursorOpen)
        First();
}

void TCustomADODataSet::ApplySort(const QString& Text)
{
    struct Key { int slot; bool desc; };
    std::vector<Key> keys;
    for (QString item : Text.split(u',', Qt::SkipEmptyParts)) {
        item = item.trimmed();
        bool desc = false;
        const int blank = int(item.lastIndexOf(u' '));
        if (blank > 0) {
            const QString dir = item.mid(blank + 1);
            if (dir.compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0
                || dir.compare(QLatin1String("ASC"), Qt::CaseInsensitive) == 0) {
                desc = dir.size() == 4;
                item = item.left(blank).trimmed();
            }
        }
        if (item.startsWith(u'[') && item.endsWith(u']'))
            item = item.mid(1, item.size() - 2);
        TField* f = FindField(item);
        if (!f || !f->IsDataField() || f->FieldNo() < 1 || f->FieldNo() > FColCount)
            DatabaseErrorFmt(QString::fromLatin1(DBMsg::FieldNotFound), {item}, this);
        keys.push_back({f->FieldNo() - 1, desc});
    }
    const TVarCollation collation = FilterOptions().Contains(foCaseInsensitive) ? vcLocaleNoCase : vcLocale;
    std::stable_sort(FOrder.begin(), FOrder.end(), [&](int x, int y) {
        const Variant* a = RowData(x);
        const Variant* b = RowData(y);
        for (const Key& k : keys) {
            const int c = VarOrder(a[k.slot], b[k.slot], collation);
            if (c != 0)
                return k.desc ? c > 0 : c < 0;
        }
        return x < y;
    });
    FPosDirty = true;
}

void TCustomADODataSet::SetFilterOptions(TFilterOptions Value)
{
    TDataSet::SetFilterOptions(Value);
    if (Active()) {
        CheckBrowseMode();
        CompileFilter();
        if (Filtered())
            First();
    }
}

// ---- writing back

void TCustomADODataSet::SingleTable(QString& table, std::vector<int>& keyCols) const
{
    table.clear();
    keyCols.clear();
    for (const TSqlColumn& c : FColumns) {
        if (c.BaseTable.isEmpty())
            continue;
        if (table.isEmpty())
            table = c.BaseTable;
        else if (table.compare(c.BaseTable, Qt::CaseInsensitive) != 0) {
            table.clear();
            return;
        }
    }
    if (table.isEmpty())
        return;
    for (int i = 0; i < FColCount; ++i)
        if (FColumns[i].Key && !FColumns[i].BaseColumn.isEmpty())
            keyCols.push_back(i);
}

QString TCustomADODataSet::UpdateTableName() const
{
    QString table;
    std::vector<int> keys;
    SingleTable(table, keys);
    return table;
}

void TCustomADODataSet::WriteBack(Write kind, RecBuf* b)
{
    QString table;
    std::vector<int> keyCols;
    SingleTable(table, keyCols);
    if (table.isEmpty())
        Fail(QString::fromLatin1(kNotSingleTable));
    // without a declared key the row is found by all its plain values
    if (keyCols.empty())
        for (int i = 0; i < FColCount; ++i) {
            const TSqlColumn& c = FColumns[i];
            if (!c.BaseColumn.isEmpty() && c.Type != TSqlDataType::Binary && !(c.TypeInfo().IsText() && c.Size <= 0))
                keyCols.push_back(i);
        }
    auto param = [this](const QString& name, int col, const Variant& v) {
        const TSqlColumn& c = FColumns[col];
        TSqlParam p(name, v.IsEmpty() ? Null() : v, c.Type);
        p.Size = c.Size;
        p.Precision = c.Precision;
        p.Scale = c.Scale;
        return p;
    };
    TSqlParams params;
    QString where;
    const Variant* old = kind == Write::Insert ? nullptr : RowData(b->Id);
    if (old) {
        QStringList conds;
        for (int k : keyCols) {
            const QString col = Quoted(FColumns[k].BaseColumn);
            if (old[k].IsNull() || old[k].IsEmpty())
                conds << col + QStringLiteral(" IS NULL");
            else {
                const QString name = QStringLiteral("OLD_%1").arg(k);
                conds << col + QStringLiteral(" = :") + name;
                params.push_back(param(name, k, old[k]));
            }
        }
        if (conds.isEmpty())
            Fail(QString::fromLatin1(kNotSingleTable));
        where = QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
    }

    QString sql;
    if (kind == Write::Modify) {
        QStringList sets;
        for (int i = 0; i < FColCount; ++i) {
            const TSqlColumn& c = FColumns[i];
            if (c.BaseColumn.isEmpty() || c.AutoIncrement || SameValue(old[i], b->Values[i]))
                continue;
            const QString name = QStringLiteral("NEW_%1").arg(i);
            sets << Quoted(c.BaseColumn) + QStringLiteral(" = :") + name;
            params.push_back(param(name, i, b->Values[i]));
        }
        if (sets.isEmpty())
            return;   // nothing changed: nothing to write
        sql = QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + sets.join(QStringLiteral(", ")) + where;
    } else if (kind == Write::Delete) {
        sql = QStringLiteral("DELETE FROM ") + table + where;
    } else {
        QStringList cols, vals;
        for (int i = 0; i < FColCount; ++i) {
            const TSqlColumn& c = FColumns[i];
            const Variant& v = b->Values[i];
            if (c.BaseColumn.isEmpty() || c.AutoIncrement || v.IsNull() || v.IsEmpty())
                continue;
            const QString name = QStringLiteral("NEW_%1").arg(i);
            cols << Quoted(c.BaseColumn);
            vals << QLatin1Char(':') + name;
            params.push_back(param(name, i, v));
        }
        sql = cols.isEmpty() ? QStringLiteral("INSERT INTO ") + table + QStringLiteral(" DEFAULT VALUES")
                             : QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + cols.join(QStringLiteral(", "))
                                   + QStringLiteral(") VALUES (") + vals.join(QStringLiteral(", ")) + QLatin1Char(')');
    }

    TADOConnection& conn = CheckConnection();
    std::lock_guard<std::recursive_mutex> g(conn.Mutex());
    TSqlSession& s = conn.Session();
    const int64_t n = s.Execute(sql, params, FCommandTimeout);
    if (n == 0 && kind != Write::Insert)
        Fail(QString::fromLatin1(DBMsg::RecordNotFound));
    if (kind != Write::Insert)
        return;

    // the server's values of the new row: its identity, then the row itself by key
    for (int i = 0; i < FColCount; ++i)
        if (FColumns[i].AutoIncrement && !FColumns[i].BaseColumn.isEmpty()) {
            auto r = s.Open(QStringLiteral("SELECT SCOPE_IDENTITY()"), {}, FCommandTimeout);
            std::vector<Variant> row;
            if (r->Next(row) && !row.empty())
                b->Values[i] = row[0];
            break;
        }
    std::vector<int> keys;
    SingleTable(table, keys);
    if (keys.empty())
        return;
    QStringList conds, cols;
    TSqlParams keyParams;
    for (int k : keys) {
        if (b->Values[k].IsNull() || b->Values[k].IsEmpty())
            return;
        const QString name = QStringLiteral("KEY_%1").arg(k);
        conds << Quoted(FColumns[k].BaseColumn) + QStringLiteral(" = :") + name;
        keyParams.push_back(param(name, k, b->Values[k]));
    }
    std::vector<int> read;
    for (int i = 0; i < FColCount; ++i)
        if (!FColumns[i].BaseColumn.isEmpty()) {
            cols << Quoted(FColumns[i].BaseColumn);
            read.push_back(i);
        }
    auto r = s.Open(QStringLiteral("SELECT ") + cols.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + table
                        + QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND ")),
                    keyParams, FCommandTimeout);
    std::vector<Variant> row;
    if (r->Next(row))
        for (size_t j = 0; j < read.size() && j < row.size(); ++j)
            b->Values[read[j]] = row[j];
    while (r->Next(row)) {
    }
}

void TCustomADODataSet::InternalPost()
{
    TDataSet::InternalPost();
    RecBuf* b = Buf(ActiveBuffer());
    if (State() == dsEdit) {
        WriteBack(Write::Modify, b);
        for (TField* f : Fields()->List())
            if (f->IsDataField() && f->FieldNo() >= 1 && f->FieldNo() <= FColCount)
                ConvertTo(b->Values[f->FieldNo() - 1], StoredVarType(f));
        std::copy(b->Values.begin(), b->Values.end(), FData.begin() + size_t(b->Id) * FColCount);
        return;
    }
    WriteBack(Write::Insert, b);
    for (TField* f : Fields()->List())
        if (f->IsDataField() && f->FieldNo() >= 1 && f->FieldNo() <= FColCount)
            ConvertTo(b->Values[f->FieldNo() - 1], StoredVarType(f));
    const int id = FColCount ? int(FData.size() / FColCount) : 0;
    int pos = b->Flag == bfInserted ? PosOfId(b->Id) : -1;
    if (pos < 0)
        pos = int(FOrder.size());
    FData.insert(FData.end(), b->Values.begin(), b->Values.end());
    FOrder.insert(FOrder.begin() + pos, id);
    FPosDirty = true;
    b->Id = id;
    FCursor = pos;
}

void TCustomADODataSet::InternalDelete()
{
    RecBuf* b = Buf(ActiveBuffer());
    WriteBack(Write::Delete, b);
    const int pos = PosOfId(b->Id);
    if (pos >= 0) {
        FOrder.erase(FOrder.begin() + pos);
        FPosDirty = true;
        FCursor = pos;
    }
}

// ---- provider access

TParams* TCustomADODataSet::PSGetParams()
{
    if (!FPSParams)
        FPSParams = new TParams(this);
    FPSParams->Clear();
    for (int i = 0; i < FParameters->Count(); ++i) {
        TParameter* p = FParameters->Items(i);
        TParam* q = FPSParams->AddParam();
        q->SetName(p->Name());
        q->SetDataType(p->DataType());
        q->SetParamType(ptInput);
        q->SetSize(p->Size());
        q->SetPrecision(p->Precision());
        q->SetNumericScale(p->NumericScale());
        if (!p->Value().IsEmpty())
            q->SetValue(p->Value());
        q->SetBound(false);
    }
    return FPSParams->Count() ? FPSParams : nullptr;
}

void TCustomADODataSet::PSSetParams(TParams* AParams)
{
    if (!AParams)
        return;
    for (int i = 0; i < AParams->Count(); ++i) {
        TParam* q = AParams->Items(i);
        TParameter* p = FParameters->FindParam(q->Name());
        if (!p)
            continue;
        if (q->DataType() != ftUnknown)
            p->SetDataType(q->DataType());
        p->SetValue(q->Value());
    }
}

QString TCustomADODataSet::PSGetTableName() const
{
    return UpdateTableName();
}

QString TCustomADODataSet::PSGetKeyFields() const
{
    QString table;
    std::vector<int> keys;
    SingleTable(table, keys);
    QStringList names;
    for (int k : keys) {
        const TFieldDef* d = k < FieldDefs()->Count() ? FieldDefs()->Items(k) : nullptr;
        names << (d ? d->Name() : FColumns[k].Name);
    }
    return names.join(u';');
}

int64_t TCustomADODataSet::PSExecuteStatement(const QString& SQL, TParams* AParams)
{
    TADOConnection& c = CheckConnection();
    std::lock_guard<std::recursive_mutex> g(c.Mutex());
    TSqlParams params;
    if (AParams)
        for (int i = 0; i < AParams->Count(); ++i) {
            TParam* q = AParams->Items(i);
            TSqlParam p(q->Name(), q->IsNull() ? Null() : q->Value(), SqlParamType(q->DataType()));
            p.Size = q->Size();
            p.Precision = q->Precision();
            p.Scale = q->NumericScale();
            params.push_back(std::move(p));
        }
    return c.Session().Execute(SQL, params, FCommandTimeout);
}

// ---------------------------------------------------------------- TADOQuery

TADOQuery::TADOQuery(TComponent* AOwner) : TCustomADODataSet(AOwner), FSQL(new TStringList)
{
    FSQL->OnChange = TNotifyEvent(this, &TADOQuery::SQLChanged);
}

TADOQuery::~TADOQuery()
{
    Destroying();
    Close();
    delete FSQL;
}

QString TADOQuery::CommandText() const
{
    return FSQL->ToStringList().join(u'\n');
}

void TADOQuery::SQLChanged(TObject*)
{
    if (Active() && !ComponentState().Contains(csLoading))
        Close();
    CommandTextChanged();
}

void TADOQuery::Loaded()
{
    // parameters the resource declares stay; markers it does not declare get one
    if (ParamCheck())
        Parameters()->ParseSQL(CommandText(), true);
    TCustomADODataSet::Loaded();
}

int64_t TADOQuery::ExecSQL()
{
    return ExecuteCommand();
}

// ---------------------------------------------------------------- published

DOV_PUBLISHED(TCustomADODataSet) {}

DOV_PUBLISHED(TADOQuery)
{
    P.Prop("Active", &TADOQuery::Active, &TADOQuery::SetActive).Default(false);
    P.Prop("AutoCalcFields", &TADOQuery::AutoCalcFields, &TADOQuery::SetAutoCalcFields).Default(true);
    P.Prop("CommandTimeout", &TADOQuery::CommandTimeout, &TADOQuery::SetCommandTimeout).Default(30);
    P.Prop("Connection", &TADOQuery::Connection, &TADOQuery::SetConnection);
    P.Prop("CursorLocation", &TADOQuery::CursorLocation, &TADOQuery::SetCursorLocation).Default(clUseClient);
    P.Prop("CursorType", &TADOQuery::CursorType, &TADOQuery::SetCursorType).Default(ctKeyset);
    P.Prop("Filter", &TADOQuery::Filter, &TADOQuery::SetFilter);
    P.Prop("Sort", &TADOQuery::Sort, &TADOQuery::SetSort);
    P.Prop("Filtered", &TADOQuery::Filtered, &TADOQuery::SetFiltered).Default(false);
    P.Prop("FilterOptions", &TADOQuery::FilterOptions, &TADOQuery::SetFilterOptions).Default(TFilterOptions{});
    P.Prop("LockType", &TADOQuery::LockType, &TADOQuery::SetLockType).Default(ltOptimistic);
    P.Prop("ParamCheck", &TADOQuery::ParamCheck, &TADOQuery::SetParamCheck).Default(true);
    P.Prop("Parameters", &TADOQuery::Parameters, &TADOQuery::SetParameters);
    P.Prop("Prepared", &TADOQuery::Prepared, &TADOQuery::SetPrepared).Default(false);
    P.Prop("SQL", &TADOQuery::SQL, &TADOQuery::SetSQL);
    P.Event("AfterCancel", &TADOQuery::AfterCancel);
    P.Event("AfterClose", &TADOQuery::AfterClose);
    P.Event("AfterDelete", &TADOQuery::AfterDelete);
    P.Event("AfterEdit", &TADOQuery::AfterEdit);
    P.Event("AfterInsert", &TADOQuery::AfterInsert);
    P.Event("AfterOpen", &TADOQuery::AfterOpen);
    P.Event("AfterPost", &TADOQuery::AfterPost);
    P.Event("AfterScroll", &TADOQuery::AfterScroll);
    P.Event("BeforeCancel", &TADOQuery::BeforeCancel);
    P.Event("BeforeClose", &TADOQuery::BeforeClose);
    P.Event("BeforeDelete", &TADOQuery::BeforeDelete);
    P.Event("BeforeEdit", &TADOQuery::BeforeEdit);
    P.Event("BeforeInsert", &TADOQuery::BeforeInsert);
    P.Event("BeforeOpen", &TADOQuery::BeforeOpen);
    P.Event("BeforePost", &TADOQuery::BeforePost);
    P.Event("BeforeScroll", &TADOQuery::BeforeScroll);
    P.Event("OnCalcFields", &TADOQuery::OnCalcFields);
    P.Event("OnNewRecord", &TADOQuery::OnNewRecord);
    P.Event("OnPostError", &TADOQuery::OnPostError);
    P.Event("OnDeleteError", &TADOQuery::OnDeleteError);
    P.Event("OnEditError", &TADOQuery::OnEditError);
}

static const bool kAdoClassesRegistered = [] {
    RegisterClasses<TADOConnection, TADOQuery>();
    return true;
}();
