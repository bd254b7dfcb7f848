// Connections and queries of the data module, as datasets of the dataset framework over the
// SQL engine (SqlEngine.h): SQLite for a folder data source, SQL Server through ODBC otherwise.
//
// TADOConnection holds one engine session (temporary tables and batch settings live as long
// as it stays open) and a lock that every statement run through it holds, so the UI thread
// and one job thread can share it.
//
// TADOQuery keeps its SQL as editable lines and its parameters as a collection parsed from the
// ":name" markers. Opening reads the whole result into a compact row buffer (a static cursor):
// navigation, bookmarks, Locate and filters work on that buffer. A query that reads one table
// writes Edit/Insert/Delete back to it by key, one statement per record.
// The command is prepared once per SQL text and run again with new parameter values.
#pragma once

#include "SqlEngine.h"
#include "platform/db/DB.h"
#include "platform/rtl/Classes.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TADOConnection;
class TCustomADODataSet;

enum TConnectModeItem {
    cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite, cmShareExclusive,
    cmShareDenyNone
};
DOV_ENUM_INFO(TConnectModeItem, cmUnknown, cmRead, cmWrite, cmReadWrite, cmShareDenyRead, cmShareDenyWrite,
              cmShareExclusive, cmShareDenyNone)
using TConnectMode = TConnectModeItem;

enum TCursorType { ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic };
DOV_ENUM_INFO(TCursorType, ctUnspecified, ctOpenForwardOnly, ctKeyset, ctDynamic, ctStatic)

enum TCursorLocation { clUseServer, clUseClient };
DOV_ENUM_INFO(TCursorLocation, clUseServer, clUseClient)

enum TADOLockType { ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic };
DOV_ENUM_INFO(TADOLockType, ltUnspecified, ltReadOnly, ltPessimistic, ltOptimistic, ltBatchOptimistic)

enum TParameterDirection { pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue };
DOV_ENUM_INFO(TParameterDirection, pdUnknown, pdInput, pdOutput, pdInputOutput, pdReturnValue)

enum TParameterAttribute { paSigned, paNullable, paLong };
DOV_ENUM_INFO(TParameterAttribute, paSigned, paNullable, paLong)
using TParameterAttributes = TSet<TParameterAttribute>;

using TConnectionNotifyEvent = Delegate<void(TADOConnection* Connection)>;

// ---------------------------------------------------------------- connection

class TADOConnection : public TComponent {
    DOV_PERSISTENT(TADOConnection, TComponent)
public:
    explicit TADOConnection(TComponent* AOwner);
    ~TADOConnection() override;

    QString ConnectionString() const { return FConnectionString; }
    // Closes an open connection first (its datasets close with it).
    void SetConnectionString(const QString& v);
    bool LoginPrompt() const { return FLoginPrompt; }
    void SetLoginPrompt(bool v) { FLoginPrompt = v; }   // there is no login dialog: credentials come from the string
    TConnectMode Mode() const { return FMode; }
    void SetMode(TConnectMode v) { FMode = v; }
    int CommandTimeout() const { return FCommandTimeout; }
    void SetCommandTimeout(int v) { FCommandTimeout = v; }
    int ConnectionTimeout() const { return FConnectionTimeout; }
    void SetConnectionTimeout(int v) { FConnectionTimeout = v; }
    bool KeepConnection() const { return FKeepConnection; }
    void SetKeepConnection(bool v) { FKeepConnection = v; }

    bool Connected() const;
    void SetConnected(bool v);
    void Open();
    void Close();

    // Runs a batch that returns no rows; the rows affected by its last changing statement.
    int64_t Execute(const QString& CommandText);
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const;
    QString ProviderName() const;   // "SQLite" or "ODBC"; empty while closed

    // The lock every statement through this connection holds (recursive).
    std::recursive_mutex& Mutex() const { return FMutex; }
    // The open session; raises "<name>: Connection is closed" when there is none.
    TSqlSession& Session() const;
    // Changes whenever the connection opens again, so prepared commands know they are stale.
    uint64_t Generation() const { return FGeneration; }

    int DataSetCount() const { return int(FDataSets.size()); }
    TCustomADODataSet* DataSets(int i) const { return FDataSets[i]; }

    TConnectionNotifyEvent BeforeConnect, AfterConnect, BeforeDisconnect, AfterDisconnect;

protected:
    void Loaded() override;

private:
    QString FConnectionString;
    bool FLoginPrompt = true;
    TConnectMode FMode = cmUnknown;
    int FCommandTimeout = 30;
    int FConnectionTimeout = 15;
    bool FKeepConnection = true;
    bool FStreamedConnected = false;
    uint64_t FGeneration = 0;
    std::unique_ptr<TSqlSession> FSession;
    std::atomic<bool> FConnected{false};   // read without the lock: a long statement must not block the UI asking
    mutable std::recursive_mutex FMutex;
    std::vector<TCustomADODataSet*> FDataSets;

    void RegisterClient(TCustomADODataSet* ds);
    void UnRegisterClient(TCustomADODataSet* ds);
    friend class TCustomADODataSet;
};

// ---------------------------------------------------------------- parameters

class TParameter : public TCollectionItem {
    DOV_PERSISTENT(TParameter, TCollectionItem)
public:
    explicit TParameter(TCollection* Collection);

    QString Name() const { return FName; }
    const QString& NameRef() const { return FName; }   // for lookups without a copy
    void SetName(const QString& v) { FName = v; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType v) { FDataType = v; }
    TParameterDirection Direction() const { return FDirection; }
    void SetDirection(TParameterDirection v) { FDirection = v; }
    TParameterAttributes Attributes() const { return FAttributes; }
    void SetAttributes(TParameterAttributes v) { FAttributes = v; }
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int v) { FPrecision = v; }
    int NumericScale() const { return FNumericScale; }
    void SetNumericScale(int v) { FNumericScale = v; }

    // Null and an empty text are different values; Empty (never set) binds NULL.
    const Variant& Value() const { return FValue; }
    // An unknown data type takes the value's.
    void SetValue(const Variant& v);
    bool IsNull() const { return FValue.IsNull() || FValue.IsEmpty(); }
    void Clear() { FValue = Null(); }

    void Assign(TPersistent* Source) override;
    QString DisplayName() const override { return FName; }

protected:
    void DefineProperties(TFiler* Filer) override;   // "Value"

private:
    QString FName;
    TFieldType FDataType = ftUnknown;
    TParameterDirection FDirection = pdInput;
    TParameterAttributes FAttributes;
    int FSize = 0;
    int FPrecision = 0;
    int FNumericScale = 0;
    Variant FValue;
};

class TParameters : public TOwnedCollection {
    DOV_PERSISTENT(TParameters, TOwnedCollection)
public:
    explicit TParameters(TPersistent* AOwner);
    TParameter* Items(int Index) const { return static_cast<TParameter*>(TCollection::Items(Index)); }
    TParameter* operator[](int Index) const { return Items(Index); }
    TParameter* AddParameter() { return static_cast<TParameter*>(TCollection::Add()); }
    TParameter* CreateParameter(const QString& Name, TFieldType DataType, TParameterDirection Direction,
                                int Size, const Variant& Value);
    TParameter* FindParam(const QString& Name) const;     // case-insensitive; nullptr when none
    // Raises "<query>: Parameter 'x' not found".
    TParameter* ParamByName(const QString& Name) const;
    // Adds a parameter for each ":name" marker of SQL not yet in the collection; the ones
    // already there keep their type and value (declared ones the text does not use stay).
    void ParseSQL(const QString& SQL, bool DoCreate);
    Variant ParamValues(const QString& Name) const { return ParamByName(Name)->Value(); }
    void SetParamValues(const QString& Name, const Variant& v) { ParamByName(Name)->SetValue(v); }
};

// ---------------------------------------------------------------- datasets

class TCustomADODataSet : public TDataSet, public IProviderSupportNG {
    DOV_PERSISTENT(TCustomADODataSet, TDataSet)
public:
    explicit TCustomADODataSet(TComponent* AOwner);
    ~TCustomADODataSet() override;

    TADOConnection* Connection() const { return FConnection; }
    void SetConnection(TADOConnection* v);
    TParameters* Parameters() const { return FParameters; }
    void SetParameters(TParameters* v) { FParameters->Assign(v); }
    int CommandTimeout() const { return FCommandTimeout; }
    void SetCommandTimeout(int v);
    TCursorType CursorType() const { return FCursorType; }
    void SetCursorType(TCursorType v) { FCursorType = v; }
    TCursorLocation CursorLocation() const { return FCursorLocation; }
    void SetCursorLocation(TCursorLocation v) { FCursorLocation = v; }
    TADOLockType LockType() const { return FLockType; }
    void SetLockType(TADOLockType v) { FLockType = v; }
    bool ParamCheck() const { return FParamCheck; }
    void SetParamCheck(bool v) { FParamCheck = v; }
    bool Prepared() const { return FCommand != nullptr; }
    void SetPrepared(bool v);
    int64_t RowsAffected() const { return FRowsAffected; }
    // How many times the current text was compiled (a new text or a new session compiles again).
    int PrepareCount() const { return FPrepareCount; }

    // The statement text the engine gets.
    virtual QString CommandText() const = 0;

    bool CanModify() const override;
    int RecNo() const override;
    void SetRecNo(int Value) override;
    int RecordCount() const override;
    bool BookmarkValid(const TBookmark& Bookmark) override;
    int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2) override;
    bool GetFieldData(TField* Field, Variant& Value) override;
    void SetFieldData(TField* Field, const Variant& Value) override;
    TUpdateStatus UpdateStatus() const override;
    bool GetCurrentRecord(TRecordBuffer Buffer) override;
    void SetFiltered(bool Value) override;
    void SetFilterText(const QString& Value) override;
    void SetFilterOptions(TFilterOptions Value) override;
    // Orders the rows by "Field [ASC|DESC], ..." with the shared ordering of values (texts
    // without case under foCaseInsensitive); equal keys keep the order the server gave.
    QString Sort() const { return FSort; }
    void SetSort(const QString& Value);
    // Compares the row block directly (calculated and lookup keys go the framework's way).
    bool Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options) override;
    // Fresh rows from the server; the cursor stays on the same row number when possible.
    void Requery();

    // Provider-style access for data drivers.
    TParams* PSGetParams() override;                 // a copy of Parameters, owned by the dataset
    void PSSetParams(TParams* AParams) override;     // values (and types) by name
    QString PSGetTableName() const;         // the table a single-table result reads ("" otherwise)
    QString PSGetKeyFields() const;         // the key columns of that table, ";"-separated
    int64_t PSExecuteStatement(const QString& SQL, TParams* AParams);

    // The base table and key that writes use; "" when the result is not a single table.
    QString UpdateTableName() const;

protected:
    TRecordBuffer AllocRecordBuffer() override;
    void FreeRecordBuffer(TRecordBuffer& Buffer) override;
    TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) override;
    void InternalOpen() override;
    void InternalClose() override;
    bool IsCursorOpen() const override { return FCursorOpen; }
    void InternalFirst() override { FCursor = -1; }
    void InternalLast() override { FCursor = int(FOrder.size()); }
    void InternalInitFieldDefs() override;
    void InternalInitRecord(TRecordBuffer Buffer) override;
    void InternalPost() override;
    void InternalDelete() override;
    void InternalRefresh() override;
    void InternalGotoBookmark(const TBookmark& Bookmark) override;
    void InternalSetToRecord(TRecordBuffer Buffer) override;
    void GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) override;
    void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) override;
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) override;
    void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Runs the command without rows; the rows affected.
    int64_t ExecuteCommand();
    // The command text changed: the prepared command is dropped and parameters re-parsed.
    void CommandTextChanged();

private:
    struct RecBuf;
    TADOConnection* FConnection = nullptr;
    TParameters* FParameters;
    int FCommandTimeout = 30;
    TCursorType FCursorType = ctKeyset;
    TCursorLocation FCursorLocation = clUseClient;
    TADOLockType FLockType = ltOptimistic;
    bool FParamCheck = true;
    int64_t FRowsAffected = -1;
    int FPrepareCount = 0;
    TParams* FPSParams = nullptr;
    QStringList FTextParams;   // the names the prepared text uses
    TSqlParams FBoundParams;   // what the last run was given; reused, so a run copies no names

    std::unique_ptr<TSqlCommand> FCommand;
    uint64_t FCommandGeneration = 0;
    TADOConnection* FCommandConnection = nullptr;

    // The static cursor: rows of FColCount values in one block, addressed by row id; FOrder
    // lists the live ids in cursor order (deleted rows leave it).
    std::vector<TSqlColumn> FColumns;
    int FColCount = 0;
    std::vector<Variant> FData;
    std::vector<int> FOrder;
    mutable std::vector<int> FPosOfId;
    mutable bool FPosDirty = false;
    int FCursor = -1;
    bool FCursorOpen = false;
    bool FHaveColumns = false;   // field definitions describe FColumns
    struct FilterExpr;
    std::unique_ptr<FilterExpr> FFilterExpr;

    static RecBuf* Buf(TRecordBuffer b) { return reinterpret_cast<RecBuf*>(b); }
    TADOConnection& CheckConnection();
    TSqlCommand& PrepareCommand();
    const TSqlParams& BindParams();
    void ReadResult(TSqlResult& r);
    void BuildFieldDefs();
    void ConvertColumns();
    int PosOfId(int id) const;
    bool Accept(int pos);
    bool FilterActive() const;
    void CompileFilter();
    void ApplySort(const QString& Text);
    QString FSort;
    void Fill(RecBuf* b, int pos);
    const Variant* RowData(int id) const { return FData.data() + size_t(id) * FColCount; }
    // Writing back.
    enum class Write { Modify, Insert, Delete };
    void WriteBack(Write kind, RecBuf* b);
    void SingleTable(QString& table, std::vector<int>& keyCols) const;
    [[noreturn]] void Fail(const QString& message) const;
    friend class TADOConnection;
};

class TADOQuery : public TCustomADODataSet {
    DOV_PERSISTENT(TADOQuery, TCustomADODataSet)
public:
    explicit TADOQuery(TComponent* AOwner);
    ~TADOQuery() override;

    TStringList* SQL() const { return FSQL; }
    void SetSQL(TStrings* v) { FSQL->Assign(v); }
    QString CommandText() const override;
    // Runs the text without reading rows; returns the rows affected.
    int64_t ExecSQL();

protected:
    void Loaded() override;

private:
    TStringList* FSQL;
    void SQLChanged(TObject* Sender);
};
