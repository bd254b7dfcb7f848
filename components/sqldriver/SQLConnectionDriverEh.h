// An SQL data driver bound to a connection: its commands run as queries on a TADOConnection
// (the embedded catalogs or the server), with their ":name" parameters bound, never spliced.
#pragma once

#include "components/memtable/DataDriverEh_SQL.h"
#include "platform/ado/ADODB.h"

class TConnectionSQLDataDriverEh;

// A command with parameters parsed from its final text; values survive a re-parse by name.
class TConnectionSQLCommandEh : public TCustomSQLCommandEh {
    DOV_PERSISTENT(TConnectionSQLCommandEh, TCustomSQLCommandEh)
public:
    explicit TConnectionSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver = nullptr);
    TParams* GetParams() override { return FParams.get(); }
    void RefreshParams() override;
    void SetParams(TParams* Value) override;

private:
    std::unique_ptr<TParams> FParams;
};

// Executes a driver's commands on one connection.
class TADOConnectionProviderEh : public IConnectionProviderEh {
public:
    explicit TADOConnectionProviderEh(TConnectionSQLDataDriverEh* ADriver) : FDriver(ADriver) {}
    int ExecuteCommand(TCustomSQLDataDriverEh* SQLDataDriver, TCustomSQLCommandEh* Command, bool& Processed,
                       bool& FreeOnEof, TDataSet*& Cursor) override;
    void UpdateRecord(TCustomSQLDataDriverEh*, TMemTableDataEh*, TMemoryRecordEh*, bool& Processed) override
    {
        Processed = false;
    }
    void GetBackUpdatedValues(TCustomSQLDataDriverEh*, TMemoryRecordEh*, TCustomSQLCommandEh*, TDataSet*,
                              bool& Processed) override
    {
        Processed = false;
    }

private:
    TConnectionSQLDataDriverEh* FDriver;
};

class TConnectionSQLDataDriverEh : public TCustomSQLDataDriverEh {
    DOV_PERSISTENT(TConnectionSQLDataDriverEh, TCustomSQLDataDriverEh)
public:
    explicit TConnectionSQLDataDriverEh(TComponent* AOwner);
    ~TConnectionSQLDataDriverEh() override;

    TADOConnection* Connection() const { return FConnection; }
    void SetConnection(TADOConnection* Value);
    IConnectionProviderEh* GetConnectionProvider() override { return FConnection ? &FProvider : nullptr; }

protected:
    TCustomSQLCommandEh* CreateCommand() override { return new TConnectionSQLCommandEh(this); }
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TADOConnection* FConnection = nullptr;
    TADOConnectionProviderEh FProvider{this};
};
