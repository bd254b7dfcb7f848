// SQL data drivers: commands with macros, generated statements, the process-wide resolver and
// the server operations that fetch values a server gave an inserted row.
#include "DataDriverEh_SQL.h"

#include "MemTableEh.h"
#include "platform/rtl/Guards.h"

#include <map>
#include <mutex>

// ---------------------------------------------------------------- macros

QString SubstituteMacro(const QString& Text, const QString& MacroName, const QString& MacroValue)
{
    if (MacroName.isEmpty())
        return Text;
    QString out;
    qsizetype from = 0;
    for (qsizetype at; (at = Text.indexOf(MacroName, from, Qt::CaseSensitive)) >= 0; from = at + MacroName.size()) {
        out += QStringView(Text).mid(from, at - from);
        out += MacroValue;
    }
    out += QStringView(Text).mid(from);
    return out;
}

DOV_PUBLISHED(TSpecMacrosEh)
{
    P.Prop("FilterMacroName", &TSpecMacrosEh::FilterMacroName, &TSpecMacrosEh::SetFilterMacroName)
        .Stored(&TSpecMacrosEh::IsFilterMacroNameStored);
    P.Prop("SortOrderMacroName", &TSpecMacrosEh::SortOrderMacroName, &TSpecMacrosEh::SetSortOrderMacroName)
        .Stored(&TSpecMacrosEh::IsSortOrderMacroNameStored);
}

void TSpecMacrosEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TSpecMacrosEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FFilterMacroName = s->FFilterMacroName;
    FSortOrderMacroName = s->FSortOrderMacroName;
    FFilterMacroValue = s->FFilterMacroValue;
    FSortOrderMacroValue = s->FSortOrderMacroValue;
    Changed();
}

void TSpecMacrosEh::Changed()
{
    if (FMacroVars)
        FMacroVars->MacrosChanged();
}

void TSpecMacrosEh::SetFilterMacroName(const QString& v) { FFilterMacroName = v; Changed(); }
void TSpecMacrosEh::SetSortOrderMacroName(const QString& v) { FSortOrderMacroName = v; Changed(); }
void TSpecMacrosEh::SetFilterMacroValue(const QString& v) { FFilterMacroValue = v; Changed(); }
void TSpecMacrosEh::SetSortOrderMacroValue(const QString& v) { FSortOrderMacroValue = v; Changed(); }

DOV_PUBLISHED(TMacroVarsEh)
{
    P.Prop("SpecMacros", &TMacroVarsEh::SpecMacros, &TMacroVarsEh::SetSpecMacros);
    P.Prop("SpecMacrosUsages", &TMacroVarsEh::SpecMacrosUsages, &TMacroVarsEh::SetSpecMacrosUsages)
        .Default(TSpecMacrosUsagesEh{smuFilterAsWhereClauseEh, smuSortOrderAsOrderByClauseEh});
    P.Prop("Macros", &TMacroVarsEh::Macros, &TMacroVarsEh::SetMacros);
}

TMacroVarsEh::TMacroVarsEh(TCustomSQLDataDriverEh* ADataDriver)
    : FDataDriver(ADataDriver), FMacros(std::make_unique<TStringVarsEh>(this)),
      FSpecMacros(std::make_unique<TSpecMacrosEh>(this))
{
    FMacros->OnChange = TNotifyEvent([this](TObject*) { MacrosChanged(); });
}

TMacroVarsEh::~TMacroVarsEh()
{
    FMacros->OnChange = TNotifyEvent();
}

void TMacroVarsEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TMacroVarsEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FMacros->Assign(s->FMacros.get());
    FSpecMacrosUsages = s->FSpecMacrosUsages;
    FSpecMacros->Assign(s->FSpecMacros.get());
    MacrosChanged();
}

void TMacroVarsEh::SetSpecMacrosUsages(TSpecMacrosUsagesEh v)
{
    FSpecMacrosUsages = v;
    MacrosChanged();
}

void TMacroVarsEh::MacrosChanged()
{
    if (FDataDriver)
        FDataDriver->MacrosChanged();
}

void TMacroVarsEh::ScanAllForMacros(TStrings* sl)
{
    if (!FDataDriver)
        return;
    for (TCustomSQLCommandEh* c : {FDataDriver->SelectCommand(), FDataDriver->InsertCommand(),
                                   FDataDriver->UpdateCommand(), FDataDriver->DeleteCommand(),
                                   FDataDriver->GetrecCommand()})
        ScanStrForMacros(c->CommandText()->Text(), sl);
}

QString TMacroVarsEh::Substitute(const QString& Text) const
{
    std::vector<std::pair<QString, QString>> macros;
    if (FSpecMacrosUsages.Contains(smuUseFilterMacroEh))
        macros.emplace_back(FSpecMacros->FilterMacroName(), FSpecMacros->FilterMacroValue());
    if (FSpecMacrosUsages.Contains(smuUseSortOrderMacroEh))
        macros.emplace_back(FSpecMacros->SortOrderMacroName(), FSpecMacros->SortOrderMacroValue());
    for (int i = 0; i < FMacros->Count(); ++i)
        macros.emplace_back(FMacros->GetItem(i)->Name(), FMacros->GetItem(i)->Value());
    std::erase_if(macros, [](const auto& m) { return m.first.isEmpty(); });
    if (macros.empty())
        return Text;
    QString out;
    out.reserve(Text.size());
    QChar quote;   // the quote of the literal being copied, or none
    for (qsizetype i = 0; i < Text.size();) {
        const QChar c = Text[i];
        if (!quote.isNull()) {
            out += c;
            ++i;
            if (c == quote)
                quote = QChar();   // a doubled quote closes and reopens: same result
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
            ++i;
            continue;
        }
        const auto hit = std::find_if(macros.begin(), macros.end(), [&](const auto& m) {
            return QStringView(Text).mid(i).startsWith(m.first, Qt::CaseSensitive);
        });
        if (hit != macros.end()) {
            out += hit->second;
            i += hit->first.size();
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// ---------------------------------------------------------------- commands

DOV_PUBLISHED(TCustomSQLCommandEh) {}

TCustomSQLCommandEh::TCustomSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver)
    : FCommandText(std::make_unique<TStringList>()), FDataDriver(ADataDriver)
{
    FCommandText->OnChange = TNotifyEvent([this](TObject*) { CommandTextChanged(); });
}

TCustomSQLCommandEh::~TCustomSQLCommandEh()
{
    FCommandText->OnChange = TNotifyEvent();
}

void TCustomSQLCommandEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TCustomSQLCommandEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetCommandText(s->GetCommandText());
    SetCommandType(s->GetCommandType());
}

TPersistent* TCustomSQLCommandEh::GetOwner() const
{
    return FDataDriver;
}

TSQLCommandTypeEh TCustomSQLCommandEh::GetDefaultCommandType() const
{
    return FDataDriver ? FDataDriver->GetDefaultCommandType(this) : cthSelectQuery;
}

void TCustomSQLCommandEh::CommandTextChanged()
{
    FFinalCommandTextObsolete = true;
    if (FDataDriver)
        FDataDriver->CommandTextChanged(this);
}

QString TCustomSQLCommandEh::FinalCommandText()
{
    if (FFinalCommandTextObsolete)
        FormFinalCommandText();
    return FFinalCommandText;
}

void TCustomSQLCommandEh::FormFinalCommandText()
{
    const QString text = FCommandText->Text();
    FFinalCommandText = FDataDriver ? FDataDriver->MacroVars()->Substitute(text) : text;
    FFinalCommandTextObsolete = false;
}

int TCustomSQLCommandEh::Execute(TDataSet*& Cursor, bool& FreeOnEof)
{
    Cursor = nullptr;
    FreeOnEof = false;
    if (!FDataDriver)
        return -1;
    if (IConnectionProviderEh* cp = FDataDriver->GetConnectionProvider()) {
        bool processed = false;
        const int r = cp->ExecuteCommand(FDataDriver, this, processed, FreeOnEof, Cursor);
        if (processed)
            return r;
    }
    bool processed = false;
    return SQLDataDriverResolver()->ExecuteCommand(FDataDriver, this, Cursor, FreeOnEof, processed);
}

// ---------------------------------------------------------------- generated statements

DOV_PUBLISHED(TDynaSQLParamsEh)
{
    P.Prop("KeyFields", &TDynaSQLParamsEh::KeyFields, &TDynaSQLParamsEh::SetKeyFields);
    P.Prop("UpdateFields", &TDynaSQLParamsEh::UpdateFields, &TDynaSQLParamsEh::SetUpdateFields);
    P.Prop("UpdateTable", &TDynaSQLParamsEh::UpdateTable, &TDynaSQLParamsEh::SetUpdateTable);
    P.Prop("SkipUnchangedFields", &TDynaSQLParamsEh::SkipUnchangedFields, &TDynaSQLParamsEh::SetSkipUnchangedFields)
        .Default(false);
    P.Prop("Options", &TDynaSQLParamsEh::Options, &TDynaSQLParamsEh::SetOptions).Default(TDynaSQLOptionsEh{});
}

void TDynaSQLParamsEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TDynaSQLParamsEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    FUpdateTable = s->FUpdateTable;
    FUpdateFields = s->FUpdateFields;
    FKeyFields = s->FKeyFields;
    FSkipUnchangedFields = s->FSkipUnchangedFields;
    FOptions = s->FOptions;
}

namespace {

QStringList CommaList(const QString& Text)
{
    QStringList out;
    for (const QString& s : QString(Text).replace(u';', u',').split(u',', Qt::SkipEmptyParts))
        if (const QString t = s.trimmed(); !t.isEmpty())
            out << t;
    return out;
}

// Names separated by ", ", wrapped after 70 characters with continuation lines of three blanks.
void AddNameList(QStringList& Lines, const QStringList& Names, const QString& Prefix)
{
    QString line = QStringLiteral("  (");
    for (qsizetype i = 0; i < Names.size(); ++i) {
        line += Prefix + Names[i];
        if (i + 1 < Names.size()) {
            line += QStringLiteral(", ");
            if (line.size() > 70) {
                Lines << line;
                line = QStringLiteral("   ");
            }
        }
    }
    Lines << line + u')';
}

} // namespace

void TServerSpecOperationsEh::AddKeyWhereClause(QStringList& Lines, const QStringList& KeyFields)
{
    if (KeyFields.isEmpty())
        return;
    Lines << QStringLiteral("where");
    for (qsizetype i = 0; i < KeyFields.size(); ++i)
        Lines << QStringLiteral(" %1 = :OLD_%1").arg(KeyFields[i]) + (i + 1 < KeyFields.size() ? QStringLiteral(" and") : QString());
}

QStringList TServerSpecOperationsEh::GetChangedFields(const QStringList& Fields, TMemoryRecordEh* MemRec)
{
    TMTDataStructEh* st = MemRec->DataStruct();
    QStringList out;
    for (const QString& f : Fields) {
        const int i = st->FieldIndex(f);
        if (i < 0)
            throw Exception(QStringLiteral("Invalid field name \"%1\" in field list \"%2\"").arg(f, Fields.join(u',')));
        if (!VarEqualsEh(MemRec->GetDataValue(i, dvvValueEh), MemRec->GetDataValue(i, dvvOldestValue)))
            out << f;
    }
    return out;
}

void TServerSpecOperationsEh::GenerateDynaSQLCommand(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                     TCustomSQLCommandEh* Command)
{
    TDynaSQLParamsEh* dp = Driver->DynaSQLParams();
    Command->SetCommandType(cthUpdateQuery);
    QStringList fields = CommaList(dp->UpdateFields());
    const TUpdateStatus status = MemRec->UpdateStatus();
    if (dp->SkipUnchangedFields() && status == usModified)
        fields = GetChangedFields(fields, MemRec);
    const QStringList keys = CommaList(dp->KeyFields());
    QStringList lines;
    switch (status) {
    case usInserted: {
        QStringList names;
        for (const QString& k : keys)
            if (!fields.contains(k, Qt::CaseInsensitive))
                names << k;
        names << fields;
        names.removeIf([&](const QString& n) { return !Driver->IsFieldWritable(status, n); });
        lines << QStringLiteral("insert into %1").arg(dp->UpdateTable());
        AddNameList(lines, names, QString());
        lines << QStringLiteral("values");
        AddNameList(lines, names, QStringLiteral(":"));
        break;
    }
    case usModified:
        if (fields.isEmpty())
            break;
        lines << QStringLiteral("update %1").arg(dp->UpdateTable()) << QStringLiteral("set");
        for (qsizetype i = 0; i < fields.size(); ++i)
            lines << QStringLiteral(" %1 = :%1%2").arg(fields[i], i + 1 < fields.size() ? QStringLiteral(",") : QString());
        AddKeyWhereClause(lines, keys);
        break;
    case usDeleted:
        lines << QStringLiteral("delete from %1").arg(dp->UpdateTable());
        AddKeyWhereClause(lines, keys);
        break;
    default:
        break;
    }
    Command->CommandText()->SetText(lines.isEmpty() ? QString() : lines.join(u'\n'));
}

int TServerSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* Driver, TMemTableDataEh* MemTableData,
                                          TMemoryRecordEh* MemRec)
{
    return Driver->DoUpdateRecord(MemTableData, MemRec);
}

void TServerSpecOperationsEh::FetchIntoField(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                             const QString& SQL, const QString& FieldName)
{
    const int fi = MemRec->DataStruct()->FieldIndex(FieldName);
    if (fi < 0)
        return;
    TCustomSQLCommandEh* c = Driver->ServiceCommand();
    c->SetCommandType(cthSelectQuery);
    if (TParams* p = c->GetParams())
        p->Clear();
    c->CommandText()->SetText(SQL);
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    Driver->ExecuteCommand(c, cursor, freeOnEof);
    auto drop = Finally([&] {
        if (freeOnEof)
            delete cursor;
    });
    if (!cursor)
        return;
    if (!cursor->Active())
        cursor->Open();
    if (cursor->IsEmpty() || cursor->FieldCount() == 0)
        return;
    MemRec->SetDataValue(fi, dvvValueEh, cursor->Fields()->Fields(0)->AsVariant());
}

int TOracleSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* Driver, TMemTableDataEh* MemTableData,
                                          TMemoryRecordEh* MemRec)
{
    const QString seq = Driver->SpecParam(QStringLiteral("SEQUENCE"));
    if (MemRec->UpdateStatus() == usInserted && !seq.isEmpty())
        FetchIntoField(Driver, MemRec, QStringLiteral("SELECT %1.curval FROM dual").arg(seq),
                       Driver->SpecParam(QStringLiteral("SEQUENCE_FIELD")));
    return Driver->DoUpdateRecord(MemTableData, MemRec);
}

TCustomSQLCommandEh* TMSSQLSpecOperationsEh::CommandToRun(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                          TCustomSQLCommandEh* Command)
{
    if (MemRec->UpdateStatus() != usInserted || Driver->SpecParam(QStringLiteral("AUTO_INCREMENT_FIELD")).isEmpty())
        return Command;
    TCustomSQLCommandEh* run = Driver->ServiceCommand();
    QStringList lines = Command->CommandText()->Text().split(u'\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    lines << QStringLiteral("SELECT SCOPE_IDENTITY()");
    run->CommandText()->SetText(lines.join(u'\n'));
    run->SetCommandType(cthSelectQuery);
    return run;
}

void TMSSQLSpecOperationsEh::GetBackUpdatedValues(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                  TCustomSQLCommandEh*, TDataSet* ResDataSet)
{
    const QString field = Driver->SpecParam(QStringLiteral("AUTO_INCREMENT_FIELD"));
    if (field.isEmpty() || MemRec->UpdateStatus() != usInserted)
        return;
    const int fi = MemRec->DataStruct()->FieldIndex(field);
    if (fi < 0 || !ResDataSet)
        return;
    if (!ResDataSet->Active())
        ResDataSet->Open();
    if (!ResDataSet->IsEmpty() && ResDataSet->FieldCount() > 0)
        MemRec->SetDataValue(fi, dvvValueEh, ResDataSet->Fields()->Fields(0)->AsVariant());
}

int TInterbaseSpecOperationsEh::UpdateRecord(TCustomSQLDataDriverEh* Driver, TMemTableDataEh* MemTableData,
                                             TMemoryRecordEh* MemRec)
{
    const QString gen = Driver->SpecParam(QStringLiteral("GENERATOR"));
    if (MemRec->UpdateStatus() == usInserted && !gen.isEmpty())
        FetchIntoField(Driver, MemRec, QStringLiteral("SELECT GEN_ID(%1, %2) FROM RDB$DATABASE").arg(gen).arg(1),
                       Driver->SpecParam(QStringLiteral("GENERATOR_FIELD")));
    return Driver->DoUpdateRecord(MemTableData, MemRec);
}

void TInterbaseSpecOperationsEh::GetBackUpdatedValues(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                      TCustomSQLCommandEh*, TDataSet*)
{
    const QString gen = Driver->SpecParam(QStringLiteral("GENERATOR"));
    if (!gen.isEmpty())
        FetchIntoField(Driver, MemRec, QStringLiteral("SELECT GEN_ID(%1, %2) FROM RDB$DATABASE").arg(gen).arg(0),
                       Driver->SpecParam(QStringLiteral("GENERATOR_FIELD")));
}

void TInfromixSpecOperationsEh::GetBackUpdatedValues(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                     TCustomSQLCommandEh*, TDataSet*)
{
    const QString field = Driver->SpecParam(QStringLiteral("AUTO_INCREMENT_FIELD"));
    if (!field.isEmpty())
        FetchIntoField(Driver, MemRec,
                       QStringLiteral("select DBINFO(\"sqlca.sqlerrd1\") from systables where tabid=1"), field);
}

void TMSAccessSpecOperationsEh::GetBackUpdatedValues(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                     TCustomSQLCommandEh*, TDataSet*)
{
    const QString field = Driver->SpecParam(QStringLiteral("AUTO_INCREMENT_FIELD"));
    if (!field.isEmpty())
        FetchIntoField(Driver, MemRec, QStringLiteral("SELECT @@IDENTITY"), field);
}

// ---------------------------------------------------------------- registry and resolver

namespace {

struct Registry {
    std::mutex Lock;
    std::map<QString, TServerSpecOperationsFactoryEh> Factories;   // by upper-case name
};

Registry& ServerTypes()
{
    static Registry r;
    return r;
}

template <typename T>
void RegisterOps()
{
    RegisterServerSpecOperationsEh(T().GetServerTypeName(), [] { return new T(); });
}

TSQLDataDriverResolver* gResolver = nullptr;

// Unit start-up: the eight server types.
const bool kServerTypesRegistered = [] {
    RegisterOps<TServerSpecOperationsEh>();
    RegisterOps<TOracleSpecOperationsEh>();
    RegisterOps<TMSSQLSpecOperationsEh>();
    RegisterOps<TInterbaseSpecOperationsEh>();
    RegisterOps<TInfromixSpecOperationsEh>();
    RegisterOps<TDB2SpecOperationsEh>();
    RegisterOps<TSybaseSpecOperationsEh>();
    RegisterOps<TMSAccessSpecOperationsEh>();
    return true;
}();

} // namespace

void RegisterServerSpecOperationsEh(const QString& ServerTypeName, const TServerSpecOperationsFactoryEh& Factory)
{
    Registry& r = ServerTypes();
    std::lock_guard<std::mutex> g(r.Lock);
    if (!r.Factories.emplace(ServerTypeName.toUpper(), Factory).second)
        throw Exception(QStringLiteral("Server type with name: \"%1\" is already registered").arg(ServerTypeName));
}

TServerSpecOperationsEh* CreateServerSpecOperationsEh(const QString& ServerTypeName)
{
    Registry& r = ServerTypes();
    std::lock_guard<std::mutex> g(r.Lock);
    const auto it = r.Factories.find(ServerTypeName.toUpper());
    return it == r.Factories.end() ? nullptr : it->second();
}

TServerSpecOperationsEh* DefaultServerSpecOperationsEh()
{
    static TServerSpecOperationsEh ops;
    return &ops;
}

DOV_PUBLISHED(TSQLDataDriverResolver) {}

TSQLDataDriverResolver* SQLDataDriverResolver()
{
    static TSQLDataDriverResolver builtIn;
    return gResolver ? gResolver : &builtIn;
}

TSQLDataDriverResolver* RegisterSQLDataDriverResolver(TSQLDataDriverResolver* Value)
{
    TSQLDataDriverResolver* old = SQLDataDriverResolver();
    gResolver = Value;
    return old;
}

int TSQLDataDriverResolver::ExecuteCommand(TCustomSQLDataDriverEh* Driver, TCustomSQLCommandEh* Command,
                                           TDataSet*& Cursor, bool& FreeOnEof, bool& Processed)
{
    Processed = false;
    if (OnExecuteCommand)
        return OnExecuteCommand(Driver, Command, Cursor, FreeOnEof, Processed);
    return -1;
}

TServerSpecOperationsEh* TSQLDataDriverResolver::GetServerSpecOperations(bool& Processed)
{
    Processed = false;
    TServerSpecOperationsEh* ops = nullptr;
    if (OnGetServerSpecOperations)
        OnGetServerSpecOperations(Processed, ops);
    return Processed ? ops : FServerSpecOperations;
}

void TSQLDataDriverResolver::UpdateRecord(TCustomSQLDataDriverEh* Driver, TMemTableDataEh* MemTableData,
                                          TMemoryRecordEh* MemRec, bool& Processed)
{
    Processed = false;
    if (OnUpdateRecord)
        OnUpdateRecord(Driver, MemTableData, MemRec, Processed);
    if (Processed)
        return;
    if (FServerSpecOperations)
        FServerSpecOperations->UpdateRecord(Driver, MemTableData, MemRec);
    else if (Driver->ServerSpecOperations())
        Driver->ServerSpecOperations()->UpdateRecord(Driver, MemTableData, MemRec);
    else
        Driver->DoUpdateRecord(MemTableData, MemRec);
    Processed = true;
}

void TSQLDataDriverResolver::GetBackUpdatedValues(TCustomSQLDataDriverEh* Driver, TMemoryRecordEh* MemRec,
                                                  TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed)
{
    Processed = false;
    if (OnGetBackUpdatedValues) {
        OnGetBackUpdatedValues(Driver, MemRec, Command, ResDataSet, Processed);
        return;
    }
    TServerSpecOperationsEh* ops = FServerSpecOperations ? FServerSpecOperations : Driver->ServerSpecOperations();
    if (ops) {
        ops->GetBackUpdatedValues(Driver, MemRec, Command, ResDataSet);
        Processed = true;
    }
}

// ---------------------------------------------------------------- the driver

DOV_PUBLISHED(TCustomSQLDataDriverEh) {}

TCustomSQLDataDriverEh::TCustomSQLDataDriverEh(TComponent* AOwner)
    : TDataDriverEh(AOwner), FSpecParams(std::make_unique<TStringList>()),
      FDynaSQLParams(std::make_unique<TDynaSQLParamsEh>(this)), FMacroVars(std::make_unique<TMacroVarsEh>(this))
{
    FResolveToDataSet = false;
}

// The commands are made by a virtual factory: only once the whole driver exists.
void TCustomSQLDataDriverEh::AfterConstruction()
{
    TDataDriverEh::AfterConstruction();
    FSelectCommand.reset(CreateCommand());
    FUpdateCommand.reset(CreateCommand());
    FInsertCommand.reset(CreateCommand());
    FDeleteCommand.reset(CreateCommand());
    FGetrecCommand.reset(CreateCommand());
    FServiceCommand.reset(CreateCommand());
    for (TCustomSQLCommandEh* c : {FSelectCommand.get(), FUpdateCommand.get(), FInsertCommand.get(),
                                   FDeleteCommand.get(), FGetrecCommand.get(), FServiceCommand.get()})
        c->SetCommandType(GetDefaultCommandType(c));
}

TCustomSQLDataDriverEh::~TCustomSQLDataDriverEh()
{
    SetDesignDataBase(nullptr);
}

TCustomSQLCommandEh* TCustomSQLDataDriverEh::CreateCommand()
{
    return new TCustomSQLCommandEh(this);
}

TSQLCommandTypeEh TCustomSQLDataDriverEh::GetDefaultCommandType(const TCustomSQLCommandEh* Command) const
{
    return Command == FSelectCommand.get() || Command == FGetrecCommand.get() ? cthSelectQuery : cthUpdateQuery;
}

void TCustomSQLDataDriverEh::SetDesignDataBase(TComponent* Value)
{
    if (Value == FDesignDataBase)
        return;
    if (FDesignDataBase)
        FDesignDataBase->RemoveFreeNotification(this);
    FDesignDataBase = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TCustomSQLDataDriverEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TDataDriverEh::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDesignDataBase)
        FDesignDataBase = nullptr;
}

TComponent* TCustomSQLDataDriverEh::GetDesignDataBase()
{
    if (IConnectionProviderEh* cp = GetConnectionProvider())
        return cp->GetDesignDataBase();
    return FDesignDataBase;
}

TCustomSQLDataDriverEh* TCustomSQLDataDriverEh::CreateDesignCopy()
{
    auto* copy = Create<TCustomSQLDataDriverEh>(nullptr);
    copy->AssignFromDesignDriver(this);
    return copy;
}

void TCustomSQLDataDriverEh::AssignFromDesignDriver(TCustomSQLDataDriverEh* D)
{
    FSelectCommand->Assign(D->FSelectCommand.get());
    FUpdateCommand->Assign(D->FUpdateCommand.get());
    FInsertCommand->Assign(D->FInsertCommand.get());
    FDeleteCommand->Assign(D->FDeleteCommand.get());
    FGetrecCommand->Assign(D->FGetrecCommand.get());
    FSpecParams->Assign(D->FSpecParams.get());
    FDynaSQLParams->Assign(D->FDynaSQLParams.get());
    FMacroVars->Assign(D->FMacroVars.get());
}

void TCustomSQLDataDriverEh::MacrosChanged()
{
    for (auto* c : {FSelectCommand.get(), FUpdateCommand.get(), FInsertCommand.get(), FDeleteCommand.get(),
                    FGetrecCommand.get()})
        if (c)
            c->FinalTextObsolete();
}

void TCustomSQLDataDriverEh::CommandTextChanged(TCustomSQLCommandEh* Command)
{
    if (Command == FSelectCommand.get())
        if (auto* t = dynamic_cast<TCustomMemTableEh*>(GetDataDriverConsumer()))
            t->DriverStructChanged();
}

bool TCustomSQLDataDriverEh::IsFieldWritable(TUpdateStatus Status, const QString& FieldName)
{
    return !(Status == usInserted && AnsiSameText(FieldName, SpecParam(QStringLiteral("AUTO_INCREMENT_FIELD"))));
}

bool TCustomSQLDataDriverEh::ConnectionIsPostponed()
{
    IConnectionProviderEh* cp = GetConnectionProvider();
    return cp && cp->ConnectionIsPostponed();
}

void TCustomSQLDataDriverEh::AddPostponedActivationDataSet(TDataSet* DataSet)
{
    if (IConnectionProviderEh* cp = GetConnectionProvider())
        cp->AddPostponedActivationDataSet(DataSet);
}

TServerSpecOperationsEh* TCustomSQLDataDriverEh::InternalGetServerSpecOperations()
{
    return FServerSpecOperations;
}

int TCustomSQLDataDriverEh::ExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof)
{
    if (OnExecuteCommand) {
        bool processed = false;
        return OnExecuteCommand(this, Command, Cursor, FreeOnEof, processed);
    }
    return DefaultExecuteCommand(Command, Cursor, FreeOnEof);
}

int TCustomSQLDataDriverEh::DefaultExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof)
{
    Cursor = nullptr;
    FreeOnEof = false;
    if (HaveDataConnection())
        return Command->Execute(Cursor, FreeOnEof);
    bool processed = false;
    const int r = SQLDataDriverResolver()->ExecuteCommand(this, Command, Cursor, FreeOnEof, processed);
    if (processed)
        return r;
    return Command->Execute(Cursor, FreeOnEof);
}

void TCustomSQLDataDriverEh::ApplyFilterText(const QString& Text)
{
    TSpecMacrosEh* sm = FMacroVars->SpecMacros();
    const TSpecMacrosUsagesEh u = FMacroVars->SpecMacrosUsages();
    if (Text.isEmpty())
        sm->SetFilterMacroValue(QString());
    else if (u.Contains(smuFilterAsWhereClauseEh))
        sm->SetFilterMacroValue(QStringLiteral("WHERE ") + Text);
    else if (u.Contains(smuFilterWithANDPrecedingEh))
        sm->SetFilterMacroValue(QStringLiteral("AND (") + Text + u')');
}

void TCustomSQLDataDriverEh::ApplyOrderByText(const QString& Text)
{
    TSpecMacrosEh* sm = FMacroVars->SpecMacros();
    const TSpecMacrosUsagesEh u = FMacroVars->SpecMacrosUsages();
    if (Text.isEmpty())
        sm->SetSortOrderMacroValue(QString());
    else if (u.Contains(smuSortOrderAsOrderByClauseEh))
        sm->SetSortOrderMacroValue(QStringLiteral("ORDER BY ") + Text);
    else if (u.Contains(smuSortOrderWithCommaPrecedingEh))
        sm->SetSortOrderMacroValue(QStringLiteral(", ") + Text);
}

// ---------------------------------------------------------------- reading

void TCustomSQLDataDriverEh::DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof)
{
    if (FProviderDataSet) {
        TDataDriverEh::DefaultProduceDataReader(DataSet, FreeOnEof);
        return;
    }
    DataSet = nullptr;
    ExecuteCommand(FSelectCommand.get(), DataSet, FreeOnEof);
    if (DataSet && !DataSet->Active())
        DataSet->Open();
}

void TCustomSQLDataDriverEh::DefaultBuildDataStruct(TMTDataStructEh* DataStruct)
{
    if (FReaderDataSet || FProviderDataSet) {
        TDataDriverEh::DefaultBuildDataStruct(DataStruct);
        return;
    }
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    ExecuteCommand(FSelectCommand.get(), cursor, freeOnEof);
    if (!cursor)
        throw Exception(QStringLiteral("SelectCommand.Execute does not get DataSet"));
    auto drop = Finally([&] {
        if (freeOnEof)
            delete cursor;
    });
    cursor->Open();
    DataStruct->BuildStructFromFields(cursor->Fields());
    AdjustDataStruct(cursor->Fields(), DataStruct);
    cursor->Close();
}

void TCustomSQLDataDriverEh::AdjustDataStruct(TFields*, TMTDataStructEh* DataStruct)
{
    const QString name = SpecParam(QStringLiteral("AUTO_INCREMENT_FIELD"));
    if (name.isEmpty())
        return;
    if (TMTDataFieldEh* f = DataStruct->FindField(name); f && dynamic_cast<TMTNumericDataFieldEh*>(f))
        f->SetAutoIncrement(true);
}

bool TCustomSQLDataDriverEh::RefreshReaderParamsFromCursor(TDataSet* DataSet)
{
    if (FProviderDataSet)
        return TDataDriverEh::RefreshReaderParamsFromCursor(DataSet);
    TParams* p = FSelectCommand->GetParams();
    if (!p || !DataSet)
        return false;
    bool changed = false;
    for (int i = 0; i < p->Count(); ++i)
        if (TField* f = DataSet->FindField(p->Items(i)->Name()))
            if (!VarEqualsEh(p->Items(i)->Value(), f->AsVariant())) {
                p->Items(i)->SetValue(f->AsVariant());
                changed = true;
            }
    return changed;
}

void TCustomSQLDataDriverEh::SetReaderParamsFromCursor(TDataSet* DataSet)
{
    if (FProviderDataSet) {
        TDataDriverEh::SetReaderParamsFromCursor(DataSet);
        return;
    }
    TParams* p = FSelectCommand->GetParams();
    if (!p || !DataSet)
        return;
    for (int i = 0; i < p->Count(); ++i)
        if (TField* f = DataSet->FindField(p->Items(i)->Name()))
            p->Items(i)->SetValue(f->AsVariant());
    FSelectCommand->SetParams(p);
}

// ---------------------------------------------------------------- writing

int TCustomSQLDataDriverEh::DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
    bool processed = false;
    if (IConnectionProviderEh* cp = GetConnectionProvider()) {
        cp->UpdateRecord(this, MemTableData, MemRec, processed);
        if (processed)
            return 1;
    }
    SQLDataDriverResolver()->UpdateRecord(this, MemTableData, MemRec, processed);
    if (processed)
        return 1;
    if (FServerSpecOperations)
        return FServerSpecOperations->UpdateRecord(this, MemTableData, MemRec);
    return DoUpdateRecord(MemTableData, MemRec);
}

bool TCustomSQLDataDriverEh::GenerateDynamicSQLCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command)
{
    TServerSpecOperationsEh* ops = FServerSpecOperations;
    if (!ops) {
        bool processed = false;
        ops = SQLDataDriverResolver()->GetServerSpecOperations(processed);
    }
    if (!ops)
        ops = DefaultServerSpecOperationsEh();
    ops->GenerateDynaSQLCommand(this, MemRec, Command);
    return !Command->CommandText()->Text().trimmed().isEmpty();
}

void TCustomSQLDataDriverEh::SetCommandParamsFromRecord(TCustomSQLCommandEh* Command, TMemoryRecordEh* MemRec)
{
    Command->RefreshParams();
    TParams* p = Command->GetParams();
    if (!p)
        return;
    TMTDataStructEh* st = MemRec->DataStruct();
    for (int i = 0; i < p->Count(); ++i) {
        TParam* prm = p->Items(i);
        QString name = prm->Name();
        TDataValueVersionEh ver = dvvValueEh;
        if (name.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive)) {
            name = name.mid(4);
            ver = dvvOldestValue;
        }
        const int fi = st->FieldIndex(name);
        if (fi < 0)
            continue;
        TMTDataFieldEh* df = st->GetDataField(fi);
        const Variant v = MemRec->GetDataValue(fi, ver);
        if (prm->DataType() == ftUnknown)
            prm->SetDataType(df->DataType() == ftAutoInc ? ftInteger : df->DataType());
        prm->SetValue(v.IsEmpty() ? Variant::Null() : v);
    }
    Command->SetParams(p);
}

int TCustomSQLDataDriverEh::DoUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec)
{
    if (FResolveToDataSet)
        return TDataDriverEh::DefaultUpdateRecord(MemTableData, MemRec);
    const TUpdateStatus status = MemRec->UpdateStatus();
    const TDynaSQLOptionsEh opts = FDynaSQLParams->Options();
    TCustomSQLCommandEh* command = nullptr;
    const bool dynamic = (status == usModified && opts.Contains(dsoDynamicSQLUpdateEh))
                         || (status == usInserted && opts.Contains(dsoDynamicSQLInsertEh))
                         || (status == usDeleted && opts.Contains(dsoDynamicSQLDeleteEh));
    if (dynamic) {
        if (GenerateDynamicSQLCommand(MemRec, FServiceCommand.get()))
            command = FServiceCommand.get();
        else if (status == usModified)
            return 0;   // nothing changed in the fields written back
    }
    if (!command)
        command = status == usModified ? FUpdateCommand.get() : status == usInserted ? FInsertCommand.get()
                                                                                     : FDeleteCommand.get();
    if (command->CommandText()->Count() == 0)
        return 0;
    if (TServerSpecOperationsEh* ops = FServerSpecOperations)
        command = ops->CommandToRun(this, MemRec, command);
    SetCommandParamsFromRecord(command, MemRec);
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    const int result = ExecuteCommand(command, cursor, freeOnEof);
    auto drop = Finally([&] {
        if (freeOnEof)
            delete cursor;
    });
    GetBackUpdatedValues(MemRec, command, cursor);
    return result;
}

void TCustomSQLDataDriverEh::GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                  TDataSet* ResDataSet)
{
    if (OnGetBackUpdatedValues)
        OnGetBackUpdatedValues(this, MemRec, Command, ResDataSet);
    else
        DefaultGetUpdatedServerValues(MemRec, Command, ResDataSet);
}

void TCustomSQLDataDriverEh::DefaultGetUpdatedServerValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command,
                                                           TDataSet* ResDataSet)
{
    bool processed = false;
    if (IConnectionProviderEh* cp = GetConnectionProvider()) {
        cp->GetBackUpdatedValues(this, MemRec, Command, ResDataSet, processed);
        if (processed)
            return;
    }
    SQLDataDriverResolver()->GetBackUpdatedValues(this, MemRec, Command, ResDataSet, processed);
    if (!processed && FServerSpecOperations)
        FServerSpecOperations->GetBackUpdatedValues(this, MemRec, Command, ResDataSet);
}

void TCustomSQLDataDriverEh::DefaultRefreshRecord(TMemoryRecordEh* MemRecord)
{
    if (FResolveToDataSet) {
        TDataDriverEh::DefaultRefreshRecord(MemRecord);
        return;
    }
    TCustomSQLCommandEh* c = FGetrecCommand.get();
    c->RefreshParams();
    if (TParams* p = c->GetParams()) {
        TMTDataStructEh* st = MemRecord->DataStruct();
        for (int i = 0; i < p->Count(); ++i) {
            QString name = p->Items(i)->Name();
            if (name.startsWith(QLatin1String("OLD_"), Qt::CaseInsensitive))
                name = name.mid(4);
            const int fi = st->FieldIndex(name);
            if (fi >= 0)
                p->Items(i)->SetValue(MemRecord->GetDataValue(fi, dvvOldestValue));
        }
        c->SetParams(p);
    }
    TDataSet* cursor = nullptr;
    bool freeOnEof = false;
    ExecuteCommand(c, cursor, freeOnEof);
    auto drop = Finally([&] {
        if (freeOnEof)
            delete cursor;
    });
    if (cursor && !cursor->Active())
        cursor->Open();
    if (!cursor || cursor->IsEmpty())
        throw Exception(QStringLiteral("There are no fresh record on server"));
    TMemTableDataEh* data = MemRecord->RecordsList()->MemTableData();
    MemRecord->EditForRefresh();
    auto cancel = OnFailure([&] { MemRecord->Cancel(); });
    FFieldMapBuilt = false;
    for (int i = 0; i < data->DataStruct()->Count(); ++i)
        AssignFieldValue(data, MemRecord, i, dvvOldestValue, cursor);
    FFieldMapBuilt = false;
    MemRecord->Post();
}
