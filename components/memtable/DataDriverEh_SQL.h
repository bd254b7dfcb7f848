// SQL data drivers of the DataDriverEh unit (DataDriverEh_SQL.cpp).
#pragma once

#include "DataDriverEh.h"
#include "components/foundation/core/DynVarsEh.h"

#include <functional>
#include <memory>

// ============================================================================================
// SQL data drivers (DataDriverEh_SQL.cpp): drivers that keep their own SQL commands, substitute
// macros into them, can generate update, insert and delete statements, and hand every command to
// whatever executes SQL for them: a connection provider, the process-wide resolver, or the
// command itself. Server operations fetch values the server gave an inserted row.
// ============================================================================================

class TCustomSQLDataDriverEh;
class TCustomSQLCommandEh;
class TServerSpecOperationsEh;

enum TSQLCommandTypeEh { cthSelectQuery, cthUpdateQuery, cthTable, cthStoredProc };
DOV_ENUM_INFO(TSQLCommandTypeEh, cthSelectQuery, cthUpdateQuery, cthTable, cthStoredProc)
enum TDynaSQLOptionEh { dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh };
DOV_ENUM_INFO(TDynaSQLOptionEh, dsoDynamicSQLInsertEh, dsoDynamicSQLUpdateEh, dsoDynamicSQLDeleteEh)
using TDynaSQLOptionsEh = TSet<TDynaSQLOptionEh>;
enum TSpecMacrosUsageEh {
    smuUseFilterMacroEh, smuFilterAsWhereClauseEh, smuFilterWithANDPrecedingEh,
    smuUseSortOrderMacroEh, smuSortOrderAsOrderByClauseEh, smuSortOrderWithCommaPrecedingEh
};
DOV_ENUM_INFO(TSpecMacrosUsageEh, smuUseFilterMacroEh, smuFilterAsWhereClauseEh, smuFilterWithANDPrecedingEh,
              smuUseSortOrderMacroEh, smuSortOrderAsOrderByClauseEh, smuSortOrderWithCommaPrecedingEh)
using TSpecMacrosUsagesEh = TSet<TSpecMacrosUsageEh>;

// What executes SQL for a concrete driver (a connection). Each operation reports through
// Processed whether it did the work.
class IConnectionProviderEh {
public:
    virtual ~IConnectionProviderEh() = default;
    virtual int ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                               bool& Processed, bool& FreeOnEof, TDataSet*& Cursor) = 0;
    virtual void UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                              TMemoryRecordEh* MemRec, bool& Processed) = 0;
    virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                      TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed) = 0;
    virtual void AddPostponedActivationDataSet(TDataSet*) {}
    virtual bool ConnectionIsPostponed() { return false; }
    virtual TComponent* GetDesignDataBase() { return nullptr; }
};

// One SQL statement of a driver: its text, and the text after macro substitution.
class TCustomSQLCommandEh : public TPersistent {
    DOV_PERSISTENT(TCustomSQLCommandEh, TPersistent)
public:
    explicit TCustomSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver = nullptr);
    ~TCustomSQLCommandEh() override;
    void Assign(TPersistent* Source) override;
    QString GetNamePath() const override { return QStringLiteral("SQLCommand"); }

    virtual TSQLCommandTypeEh GetDefaultCommandType() const;
    virtual TStrings* GetCommandText() const { return FCommandText.get(); }
    virtual TSQLCommandTypeEh GetCommandType() const { return FCommandType; }
    virtual void SetCommandText(TStrings* Value) { FCommandText->Assign(Value); }
    virtual void SetCommandType(TSQLCommandTypeEh Value) { FCommandType = Value; }
    // Cursor: the rows a select gives (nullptr for none); FreeOnEof: the caller frees it.
    // Returns the rows affected, -1 when not known.
    virtual int Execute(TDataSet*& Cursor, bool& FreeOnEof);
    virtual TParams* GetParams() { return nullptr; }
    virtual void RefreshParams() {}
    virtual void RebuildParams() {}
    virtual void SetParams(TParams*) {}

    TStrings* CommandText() const { return GetCommandText(); }
    TSQLCommandTypeEh CommandType() const { return GetCommandType(); }
    bool IsCommandTypeStored() const { return FCommandType != GetDefaultCommandType(); }
    TCustomSQLDataDriverEh* DataDriver() const { return FDataDriver; }
    // The text with its macros substituted (formed again after any change).
    QString FinalCommandText();
    void FinalTextObsolete() { FFinalCommandTextObsolete = true; }

protected:
    virtual void CommandTextChanged();
    virtual void FormFinalCommandText();
    TPersistent* GetOwner() const override;

    std::unique_ptr<TStringList> FCommandText;
    TSQLCommandTypeEh FCommandType = cthSelectQuery;
    TCustomSQLDataDriverEh* FDataDriver;
    QString FFinalCommandText;
    bool FFinalCommandTextObsolete = true;
};

// Settings of the statements the driver generates itself.
class TDynaSQLParamsEh : public TPersistent {
    DOV_PERSISTENT(TDynaSQLParamsEh, TPersistent)
public:
    explicit TDynaSQLParamsEh(TCustomSQLDataDriverEh* ADataDriver = nullptr) : FDataDriver(ADataDriver) {}
    void Assign(TPersistent* Source) override;
    QString UpdateTable() const { return FUpdateTable; }
    void SetUpdateTable(const QString& v) { FUpdateTable = v; }
    QString UpdateFields() const { return FUpdateFields; }
    void SetUpdateFields(const QString& v) { FUpdateFields = v; }
    QString KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QString& v) { FKeyFields = v; }
    bool SkipUnchangedFields() const { return FSkipUnchangedFields; }
    void SetSkipUnchangedFields(bool v) { FSkipUnchangedFields = v; }
    TDynaSQLOptionsEh Options() const { return FOptions; }
    void SetOptions(TDynaSQLOptionsEh v) { FOptions = v; }

private:
    TCustomSQLDataDriverEh* FDataDriver;
    QString FUpdateTable, FUpdateFields, FKeyFields;
    bool FSkipUnchangedFields = false;
    TDynaSQLOptionsEh FOptions;
};

class TMacroVarsEh;

// The names and current values of the filter and sort-order macros.
class TSpecMacrosEh : public TPersistent {
    DOV_PERSISTENT(TSpecMacrosEh, TPersistent)
public:
    explicit TSpecMacrosEh(TMacroVarsEh* AMacroVars = nullptr) : FMacroVars(AMacroVars) {}
    void Assign(TPersistent* Source) override;
    QString FilterMacroName() const { return FFilterMacroName; }
    void SetFilterMacroName(const QString& v);
    QString SortOrderMacroName() const { return FSortOrderMacroName; }
    void SetSortOrderMacroName(const QString& v);
    QString FilterMacroValue() const { return FFilterMacroValue; }
    void SetFilterMacroValue(const QString& v);
    QString SortOrderMacroValue() const { return FSortOrderMacroValue; }
    void SetSortOrderMacroValue(const QString& v);
    bool IsFilterMacroNameStored() const { return FFilterMacroName != QLatin1String("%Filter%"); }
    bool IsSortOrderMacroNameStored() const { return FSortOrderMacroName != QLatin1String("%SortOrder%"); }

private:
    void Changed();
    QString FFilterMacroName = QStringLiteral("%Filter%");
    QString FSortOrderMacroName = QStringLiteral("%SortOrder%");
    QString FSortOrderMacroValue, FFilterMacroValue;
    TMacroVarsEh* FMacroVars;
};

class TMacroVarsEh : public TPersistent {
    DOV_PERSISTENT(TMacroVarsEh, TPersistent)
public:
    explicit TMacroVarsEh(TCustomSQLDataDriverEh* ADataDriver = nullptr);
    ~TMacroVarsEh() override;
    void Assign(TPersistent* Source) override;
    TStringVarsEh* Macros() const { return FMacros.get(); }
    void SetMacros(TStringVarsEh* v) { FMacros->Assign(v); }
    TSpecMacrosEh* SpecMacros() const { return FSpecMacros.get(); }
    void SetSpecMacros(TSpecMacrosEh* v) { FSpecMacros->Assign(v); }
    TSpecMacrosUsagesEh SpecMacrosUsages() const { return FSpecMacrosUsages; }
    void SetSpecMacrosUsages(TSpecMacrosUsagesEh v);
    void ScanAllForMacros(TStrings* sl);
    void ScanStrForMacros(const QString& SrcStr, TStrings* sl) {}
    // Text with every macro of this set replaced by its value, in one pass: a value is put in
    // as it is and never scanned again, and nothing inside a quoted literal is replaced.
    QString Substitute(const QString& Text) const;
    void MacrosChanged();

private:
    TCustomSQLDataDriverEh* FDataDriver;
    std::unique_ptr<TStringVarsEh> FMacros;
    TSpecMacrosUsagesEh FSpecMacrosUsages{smuFilterAsWhereClauseEh, smuSortOrderAsOrderByClauseEh};
    std::unique_ptr<TSpecMacrosEh> FSpecMacros;
};

// Replaces each occurrence of MacroName (case-sensitive) in Text by MacroValue.
QString SubstituteMacro(const QString& Text, const QString& MacroName, const QString& MacroValue);

// Operations of one server type: generating statements and fetching server-given values.
class TServerSpecOperationsEh : public TObject {
public:
    TServerSpecOperationsEh() = default;
    virtual QString GetServerTypeName() const { return QStringLiteral("AnsiServer"); }
    virtual void AddKeyWhereClause(QStringList& Lines, const QStringList& KeyFields);
    virtual QStringList GetChangedFields(const QStringList& Fields, TMemoryRecordEh* MemRec);
    virtual int UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                             TMemoryRecordEh* MemRec);
    virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                      TCustomSQLCommandEh* Command, TDataSet* ResDataSet) {}
    // Fills Command with the statement for the record's change; an empty text when there is none.
    virtual void GenerateDynaSQLCommand(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                        TCustomSQLCommandEh* Command);
    // The command that writes the record's change: Command itself, or the driver's scratch
    // command holding Command's text with what this server needs around it.
    virtual TCustomSQLCommandEh* CommandToRun(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                              TCustomSQLCommandEh* Command) { return Command; }
    virtual void GenerateDeleteCommand(TCustomSQLDataDriverEh*) {}
    virtual void GenerateUpdateCommand(TCustomSQLDataDriverEh*) {}
    virtual void GenerateInsertCommand(TCustomSQLDataDriverEh*) {}

protected:
    // Runs a select on the driver's scratch command and stores its first value into the
    // record's field FieldName (when the record has that field).
    void FetchIntoField(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec, const QString& SQL,
                        const QString& FieldName);
};

class TOracleSpecOperationsEh : public TServerSpecOperationsEh {
public:
    QString GetServerTypeName() const override { return QStringLiteral("Oracle"); }
    int UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) override;
};

// The identity of an inserted row: SCOPE_IDENTITY() read in the insert's own batch (a later
// batch is another scope, and @@IDENTITY also counts rows that triggers insert).
class TMSSQLSpecOperationsEh : public TServerSpecOperationsEh {
public:
    QString GetServerTypeName() const override { return QStringLiteral("MSSQL"); }
    void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                              TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
    // An insert with "AUTO_INCREMENT_FIELD" set runs with its identity selected in the same batch.
    TCustomSQLCommandEh* CommandToRun(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                      TCustomSQLCommandEh* Command) override;
};

class TInterbaseSpecOperationsEh : public TServerSpecOperationsEh {
public:
    QString GetServerTypeName() const override { return QStringLiteral("Interbase"); }
    int UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) override;
    void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                              TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
};

class TInfromixSpecOperationsEh : public TServerSpecOperationsEh {
public:
    QString GetServerTypeName() const override { return QStringLiteral("Infromix"); }
    void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                              TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
};

class TDB2SpecOperationsEh : public TServerSpecOperationsEh {
public:
    QString GetServerTypeName() const override { return QStringLiteral("DB2"); }
};

class TSybaseSpecOperationsEh : public TServerSpecOperationsEh {
public:
    QString GetServerTypeName() const override { return QStringLiteral("Sybase"); }
};

class TMSAccessSpecOperationsEh : public TServerSpecOperationsEh {
public:
    QString GetServerTypeName() const override { return QStringLiteral("MSAccess"); }
    void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                              TCustomSQLCommandEh* Command, TDataSet* ResDataSet) override;
};

// Server operation classes by server type name ("MSSQL", ...); a name registered twice raises.
using TServerSpecOperationsFactoryEh = std::function<TServerSpecOperationsEh*()>;
void RegisterServerSpecOperationsEh(const QString& ServerTypeName, const TServerSpecOperationsFactoryEh& Factory);
// A new operations object of that server type; nullptr for an unknown name.
TServerSpecOperationsEh* CreateServerSpecOperationsEh(const QString& ServerTypeName);
TServerSpecOperationsEh* DefaultServerSpecOperationsEh();

using TResolverExecuteCommandEhEvent = Delegate<int(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                                                    TDataSet*& Cursor, bool& FreeOnEof, bool& Processed)>;
using TResolverGetBackUpdatedValuesEhEvent = Delegate<void(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                                           TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed)>;
using TResolverGetServerSpecOperationsEh = Delegate<void(bool& Processed, TServerSpecOperationsEh*& ServerSpecOperations)>;
using TResolverUpdateRecordEhEvent = Delegate<void(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                                                   TMemoryRecordEh* MemRec, bool& Processed)>;

// The process-wide fallback that executes commands for drivers without a connection.
class TSQLDataDriverResolver : public TPersistent {
    DOV_PERSISTENT(TSQLDataDriverResolver, TPersistent)
public:
    TServerSpecOperationsEh* ServerSpecOperations() const { return FServerSpecOperations; }
    void SetServerSpecOperations(TServerSpecOperationsEh* v) { FServerSpecOperations = v; }
    virtual int ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command, TDataSet*& Cursor,
                               bool& FreeOnEof, bool& Processed);
    virtual void UpdateRecord(TCustomSQLDataDriverEh* SQLDataDriver, TMemTableDataEh* MemTableData,
                              TMemoryRecordEh* MemRec, bool& Processed);
    virtual void GetBackUpdatedValues(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                      TCustomSQLCommandEh* Command, TDataSet* ResDataSet, bool& Processed);
    virtual TServerSpecOperationsEh* GetServerSpecOperations(bool& Processed);

    TResolverExecuteCommandEhEvent OnExecuteCommand;
    TResolverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;
    TResolverGetServerSpecOperationsEh OnGetServerSpecOperations;
    TResolverUpdateRecordEhEvent OnUpdateRecord;

private:
    TServerSpecOperationsEh* FServerSpecOperations = nullptr;
};

TSQLDataDriverResolver* SQLDataDriverResolver();
// Puts Value in place of the process-wide resolver (not owned while set) and returns the one
// that was there; nullptr restores the built-in one.
TSQLDataDriverResolver* RegisterSQLDataDriverResolver(TSQLDataDriverResolver* Value);

using TDataDriverExecuteCommandEhEvent = Delegate<int(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command,
                                                      TDataSet*& Cursor, bool& FreeOnEof, bool& Processed)>;
using TDataDriverGetBackUpdatedValuesEhEvent = Delegate<void(TCustomSQLDataDriverEh* SQLDataDriver, TMemoryRecordEh* MemRec,
                                                             TCustomSQLCommandEh* Command, TDataSet* ResDataSet)>;

class TCustomSQLDataDriverEh : public TDataDriverEh {
    DOV_PERSISTENT(TCustomSQLDataDriverEh, TDataDriverEh)
public:
    explicit TCustomSQLDataDriverEh(TComponent* AOwner);
    void AfterConstruction() override;
    ~TCustomSQLDataDriverEh() override;

    TCustomSQLCommandEh* SelectCommand() const { return FSelectCommand.get(); }
    TCustomSQLCommandEh* UpdateCommand() const { return FUpdateCommand.get(); }
    TCustomSQLCommandEh* InsertCommand() const { return FInsertCommand.get(); }
    TCustomSQLCommandEh* DeleteCommand() const { return FDeleteCommand.get(); }
    TCustomSQLCommandEh* GetrecCommand() const { return FGetrecCommand.get(); }
    TCustomSQLCommandEh* ServiceCommand() const { return FServiceCommand.get(); }
    void SetSelectSQL(const QString& v) { FSelectCommand->CommandText()->SetText(v); }
    void SetUpdateSQL(const QString& v) { FUpdateCommand->CommandText()->SetText(v); }
    void SetInsertSQL(const QString& v) { FInsertCommand->CommandText()->SetText(v); }
    void SetDeleteSQL(const QString& v) { FDeleteCommand->CommandText()->SetText(v); }
    void SetGetrecSQL(const QString& v) { FGetrecCommand->CommandText()->SetText(v); }
    QString FinalSelectSQL() const { return FSelectCommand->FinalCommandText(); }
    QString FinalUpdateSQL() const { return FUpdateCommand->FinalCommandText(); }
    QString FinalInsertSQL() const { return FInsertCommand->FinalCommandText(); }
    QString FinalDeleteSQL() const { return FDeleteCommand->FinalCommandText(); }
    QString FinalGetrecSQL() const { return FGetrecCommand->FinalCommandText(); }
    TStringList* SpecParams() const { return FSpecParams.get(); }
    void SetSpecParams(TStrings* v) { FSpecParams->Assign(v); }
    TDynaSQLParamsEh* DynaSQLParams() const { return FDynaSQLParams.get(); }
    TMacroVarsEh* MacroVars() const { return FMacroVars.get(); }
    TServerSpecOperationsEh* ServerSpecOperations() const { return FServerSpecOperations; }
    void SetServerSpecOperations(TServerSpecOperationsEh* v) { FServerSpecOperations = v; }
    TComponent* DesignDataBase() const { return FDesignDataBase; }
    virtual void SetDesignDataBase(TComponent* Value);

    TDataDriverExecuteCommandEhEvent OnExecuteCommand;
    TDataDriverGetBackUpdatedValuesEhEvent OnGetBackUpdatedValues;

    virtual void MacrosChanged();
    virtual TCustomSQLDataDriverEh* CreateDesignCopy();
    virtual void AssignFromDesignDriver(TCustomSQLDataDriverEh* DesignDriver);
    virtual TComponent* CreateDesignDataBase() { return nullptr; }
    virtual TComponent* GetDesignDataBase();
    virtual TSQLCommandTypeEh GetDefaultCommandType(const TCustomSQLCommandEh* Command) const;
    virtual bool IsFieldWritable(TUpdateStatus Status, const QString& FieldName);
    virtual void CommandTextChanged(TCustomSQLCommandEh* Command);
    virtual TServerSpecOperationsEh* InternalGetServerSpecOperations();
    virtual int DoUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec);
    virtual int ExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof);
    virtual int DefaultExecuteCommand(TCustomSQLCommandEh* Command, TDataSet*& Cursor, bool& FreeOnEof);
    bool HaveDataConnection() { return GetConnectionProvider() != nullptr; }
    virtual IConnectionProviderEh* GetConnectionProvider() { return nullptr; }
    virtual bool OrderByTextSupported() const { return FMacroVars->SpecMacrosUsages().Contains(smuUseSortOrderMacroEh); }
    virtual bool FilterTextSupported() const { return FMacroVars->SpecMacrosUsages().Contains(smuUseFilterMacroEh); }
    virtual void ApplyOrderByText(const QString& Text);
    virtual void ApplyFilterText(const QString& Text);
    virtual void GetBackUpdatedValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet);
    virtual void DefaultGetUpdatedServerValues(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command, TDataSet* ResDataSet);
    // The generated statement for the record's change into Command; False when none came out.
    virtual bool GenerateDynamicSQLCommand(TMemoryRecordEh* MemRec, TCustomSQLCommandEh* Command);
    // Gives the command's parameters the record's values: "OLD_<field>" the value the record
    // had when read, any other name the field's current value.
    void SetCommandParamsFromRecord(TCustomSQLCommandEh* Command, TMemoryRecordEh* MemRec);
    // The settings of SpecParams by name ("AUTO_INCREMENT_FIELD", ...).
    QString SpecParam(const QString& Name) const { return FSpecParams->Values(Name); }

    bool ConnectionIsPostponed() override;
    void AddPostponedActivationDataSet(TDataSet* DataSet) override;
    int DefaultUpdateRecord(TMemTableDataEh* MemTableData, TMemoryRecordEh* MemRec) override;
    bool RefreshReaderParamsFromCursor(TDataSet* DataSet) override;
    void DefaultBuildDataStruct(TMTDataStructEh* DataStruct) override;
    void DefaultProduceDataReader(TDataSet*& DataSet, bool& FreeOnEof) override;
    void DefaultRefreshRecord(TMemoryRecordEh* MemRecord) override;
    void SetReaderParamsFromCursor(TDataSet* DataSet) override;

protected:
    virtual TCustomSQLCommandEh* CreateCommand();
    void AdjustDataStruct(TFields* Fields, TMTDataStructEh* DataStruct) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    std::unique_ptr<TCustomSQLCommandEh> FDeleteCommand, FGetrecCommand, FInsertCommand, FSelectCommand,
        FUpdateCommand, FServiceCommand;
    TComponent* FDesignDataBase = nullptr;
    std::unique_ptr<TStringList> FSpecParams;
    TServerSpecOperationsEh* FServerSpecOperations = nullptr;
    std::unique_ptr<TDynaSQLParamsEh> FDynaSQLParams;
    std::unique_ptr<TMacroVarsEh> FMacroVars;
};
