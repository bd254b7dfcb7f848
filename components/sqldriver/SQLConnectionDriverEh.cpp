// An SQL data driver whose commands run on a TADOConnection.
#include "SQLConnectionDriverEh.h"


// ---------------------------------------------------------------- command

DOV_PUBLISHED(TConnectionSQLCommandEh) {}

TConnectionSQLCommandEh::TConnectionSQLCommandEh(TCustomSQLDataDriverEh* ADataDriver)
    : TCustomSQLCommandEh(ADataDriver), FParams(std::make_unique<TParams>(this))
{
}

void TConnectionSQLCommandEh::RefreshParams()
{
    TParams fresh;
    fresh.ParseSQL(FinalCommandText(), true);
    fresh.AssignValues(FParams.get());
    FParams->Assign(&fresh);
}

void TConnectionSQLCommandEh::SetParams(TParams* Value)
{
    if (Value != FParams.get())
        FParams->AssignValues(Value);
}

// ---------------------------------------------------------------- provider

int TADOConnectionProviderEh::ExecuteCommand(TCustomSQLDataDriverEh*, TCustomSQLCommandEh* Command, bool& Processed,
                                             bool& FreeOnEof, TDataSet*& Cursor)
{
    Processed = true;
    Cursor = nullptr;
    FreeOnEof = false;
    TADOConnection* conn = FDriver->Connection();
    auto q = CreateUnique<TADOQuery>(nullptr);
    q->SetConnection(conn);
    q->SetCursorType(ctStatic);
    q->SQL()->SetText(Command->FinalCommandText());
    if (TParams* p = Command->GetParams())
        for (int i = 0; i < q->Parameters()->Count(); ++i) {
            TParameter* to = q->Parameters()->Items(i);
            if (TParam* from = p->FindParam(to->Name())) {
                if (from->DataType() != ftUnknown)
                    to->SetDataType(from->DataType());
                to->SetValue(from->Value());
            }
        }
    if (Command->CommandType() == cthSelectQuery) {
        q->Open();
        Cursor = q.release();
        FreeOnEof = true;
        return -1;
    }
    return int(q->ExecSQL());
}

// ---------------------------------------------------------------- driver

DOV_PUBLISHED(TConnectionSQLDataDriverEh)
{
    P.Prop("Connection", &TConnectionSQLDataDriverEh::Connection, &TConnectionSQLDataDriverEh::SetConnection);
}

TConnectionSQLDataDriverEh::TConnectionSQLDataDriverEh(TComponent* AOwner) : TCustomSQLDataDriverEh(AOwner) {}

TConnectionSQLDataDriverEh::~TConnectionSQLDataDriverEh()
{
    SetConnection(nullptr);
}

void TConnectionSQLDataDriverEh::SetConnection(TADOConnection* Value)
{
    if (Value == FConnection)
        return;
    if (FConnection)
        FConnection->RemoveFreeNotification(this);
    FConnection = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TConnectionSQLDataDriverEh::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomSQLDataDriverEh::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnection)
        FConnection = nullptr;
}
