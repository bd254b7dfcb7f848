// The connection component and the parameter collection of the queries.
#include "ADODB.h"
#include "platform/rtl/Guards.h"
#include "SqlFieldTypes.h"

#include "platform/rtl/Filer.h"

#include <algorithm>

// ---------------------------------------------------------------- TADOConnection

TADOConnection::TADOConnection(TComponent* AOwner) : TComponent(AOwner) {}

TADOConnection::~TADOConnection()
{
    Destroying();
    try {
        Close();
    } catch (...) {
    }
    for (TCustomADODataSet* ds : std::vector<TCustomADODataSet*>(FDataSets))
        ds->FConnection = nullptr;
}

void TADOConnection::SetConnectionString(const QString& v)
{
    if (v == FConnectionString)
        return;
    if (Connected())
        Close();
    FConnectionString = v;
}

bool TADOConnection::Connected() const
{
    return FConnected;
}

void TADOConnection::SetConnected(bool v)
{
    if (FComponentState.Contains(csLoading)) {
        FStreamedConnected = v;
        return;
    }
    if (v)
        Open();
    else
        Close();
}

void TADOConnection::Loaded()
{
    TComponent::Loaded();
    if (FStreamedConnected) {
        FStreamedConnected = false;
        Open();
    }
}

void TADOConnection::Open()
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    if (FSession)
        return;
    if (FConnectionString.trimmed().isEmpty())
        DatabaseError(QStringLiteral("Missing ConnectionString"), this);
    if (BeforeConnect)
        BeforeConnect(this);
    // "Driver=..." names the ODBC driver for a server data source (FreeTDS otherwise)
    TSqlConnectionInfo info = TSqlConnectionInfo::Parse(FConnectionString);
    QString driver = info.Values.value(QStringLiteral("driver")).trimmed();
    if (driver.startsWith(u'{') && driver.endsWith(u'}'))
        driver = driver.mid(1, driver.size() - 2);
    if (!driver.isEmpty() && !info.DataSource.isEmpty() && !info.IsFolder()) {
        info.Driver = driver;
        FSession = CreateOdbcSession(info);
    } else {
        FSession = TSqlSession::Connect(FConnectionString);
    }
    ++FGeneration;
    FConnected = true;
    if (AfterConnect)
        AfterConnect(this);
}

void TADOConnection::Close()
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    if (!FSession)
        return;
    const bool destroying = FComponentState.Contains(csDestroying);
    if (!destroying && BeforeDisconnect)
        BeforeDisconnect(this);
    // the datasets' rows came from this session; its temporary tables go with it
    for (TCustomADODataSet* ds : std::vector<TCustomADODataSet*>(FDataSets)) {
        if (ds->Active() && !ds->ComponentState().Contains(csDestroying))
            ds->Close();
        ds->FCommand.reset();
    }
    FConnected = false;
    FSession.reset();
    if (!destroying && AfterDisconnect)
        AfterDisconnect(this);
}

TSqlSession& TADOConnection::Session() const
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    if (!FSession)
        DatabaseError(QStringLiteral("Connection is closed"), const_cast<TADOConnection*>(this));
    return *FSession;
}

int64_t TADOConnection::Execute(const QString& CommandText)
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    Open();
    return FSession->Execute(CommandText, {}, FCommandTimeout);
}

void TADOConnection::BeginTrans()
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    Session().BeginTrans();
}

void TADOConnection::CommitTrans()
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    Session().CommitTrans();
}

void TADOConnection::RollbackTrans()
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    Session().RollbackTrans();
}

bool TADOConnection::InTransaction() const
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    return FSession && FSession->InTransaction();
}

QString TADOConnection::ProviderName() const
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    return FSession ? FSession->ProviderName() : QString();
}

void TADOConnection::RegisterClient(TCustomADODataSet* ds)
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    if (std::find(FDataSets.begin(), FDataSets.end(), ds) == FDataSets.end())
        FDataSets.push_back(ds);
}

void TADOConnection::UnRegisterClient(TCustomADODataSet* ds)
{
    std::lock_guard<std::recursive_mutex> g(FMutex);
    FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), ds), FDataSets.end());
}

// ---------------------------------------------------------------- TParameter

TParameter::TParameter(TCollection* Collection) : TCollectionItem(Collection) {}

void TParameter::SetValue(const Variant& v)
{
    FValue = v;
    if (FDataType != ftUnknown || v.IsNull() || v.IsEmpty())
        return;
    switch (v.VarType() & varTypeMask) {
    case varSmallint: FDataType = ftSmallint; break;
    case varShortInt: case varByte: case varWord: case varInteger: FDataType = ftInteger; break;
    case varLongWord: case varInt64: FDataType = ftLargeint; break;
    case varSingle: case varDouble: FDataType = ftFloat; break;
    case varCurrency: FDataType = ftBCD; break;
    case varFMTBcd: FDataType = ftFMTBcd; break;
    case varDate: FDataType = ftDateTime; break;
    case varBoolean: FDataType = ftBoolean; break;
    case varOleStr: FDataType = ftWideString; break;
    case varString: FDataType = ftString; break;
    default: break;
    }
}

void TParameter::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TParameter*>(Source)) {
        FName = p->FName;
        FDataType = p->FDataType;
        FDirection = p->FDirection;
        FAttributes = p->FAttributes;
        FSize = p->FSize;
        FPrecision = p->FPrecision;
        FNumericScale = p->FNumericScale;
        FValue = p->FValue;
        return;
    }
    TCollectionItem::Assign(Source);
}

void TParameter::DefineProperties(TFiler* Filer)
{
    Filer->DefineProperty(
        QStringLiteral("Value"),
        [this](TReader* r) {
            switch (r->NextValue()) {
            case vaNull: r->ReadValue(); FValue = Null(); break;
            case vaNil: r->ReadValue(); FValue = Variant(); break;
            case vaFalse: case vaTrue: FValue = Variant(r->ReadBoolean()); break;
            case vaInt8: case vaInt16: case vaInt32: FValue = Variant(r->ReadInteger()); break;
            case vaInt64: FValue = Variant(r->ReadInt64()); break;
            case vaCurrency: FValue = Variant(r->ReadCurrency()); break;
            case vaDate: FValue = Variant::FromDate(r->ReadDate()); break;
            case vaExtended: case vaSingle: case vaDouble: FValue = Variant(r->ReadFloat()); break;
            case vaIdent: {
                QString id = r->ReadIdent();
                FValue = id.compare(QLatin1String("Null"), Qt::CaseInsensitive) == 0 ? Null() : Variant(id);
                break;
            }
            default: FValue = Variant(r->ReadString()); break;
            }
        },
        [this](TWriter* w) {
            const Variant& v = FValue;
            switch (v.VarType() & varTypeMask) {
            case varNull: w->WriteNull(); break;
            case varBoolean: w->WriteBoolean(v.AsBoolean()); break;
            case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord:
            case varInt64: w->WriteInteger(v.AsInt64()); break;
            case varCurrency: w->WriteCurrency(v.AsCurrency()); break;
            case varDate: w->WriteDate(v.AsDateTime()); break;
            case varSingle: case varDouble: w->WriteFloat(v.AsDouble()); break;
            default: w->WriteString(VarToStr(v)); break;
            }
        },
        !FValue.IsEmpty());
}

// ---------------------------------------------------------------- TParameters

TParameters::TParameters(TPersistent* AOwner) : TOwnedCollection(AOwner, TParameter::StaticClassInfo()) {}

TParameter* TParameters::CreateParameter(const QString& Name, TFieldType DataType, TParameterDirection Direction,
                                         int Size, const Variant& Value)
{
    TParameter* p = AddParameter();
    p->SetName(Name);
    p->SetDataType(DataType);
    p->SetDirection(Direction);
    p->SetSize(Size);
    p->SetValue(Value);
    return p;
}

TParameter* TParameters::FindParam(const QString& Name) const
{
    // names are unique without case, so an exact match is the match; callers mostly spell
    // the name as declared, and that test is much cheaper than the case-blind one
    const int n = Count();
    for (int i = 0; i < n; ++i)
        if (Items(i)->Name() == Name)
            return Items(i);
    for (int i = 0; i < n; ++i)
        if (Items(i)->Name().size() == Name.size() && Items(i)->Name().compare(Name, Qt::CaseInsensitive) == 0)
            return Items(i);
    return nullptr;
}

TParameter* TParameters::ParamByName(const QString& Name) const
{
    if (TParameter* p = FindParam(Name))
        return p;
    DatabaseErrorFmt(QString::fromLatin1(DBMsg::ParameterNotFound), {Name}, dynamic_cast<TComponent*>(GetOwner()));
}

void TParameters::ParseSQL(const QString& SQL, bool DoCreate)
{
    TParams names;
    names.ParseSQL(SQL, true);
    if (!DoCreate)
        return;
    TUpdateGuard update(this);
    for (int i = 0; i < names.Count(); ++i) {
        const QString n = names[i]->Name();
        if (!FindParam(n)) {
            TParameter* p = AddParameter();
            p->SetName(n);
            p->SetAttributes({paNullable});
        }
    }
}

// ---------------------------------------------------------------- published

DOV_PUBLISHED(TADOConnection)
{
    P.Prop("CommandTimeout", &TADOConnection::CommandTimeout, &TADOConnection::SetCommandTimeout).Default(30);
    P.Prop("Connected", &TADOConnection::Connected, &TADOConnection::SetConnected).Default(false);
    P.Prop("ConnectionString", &TADOConnection::ConnectionString, &TADOConnection::SetConnectionString);
    P.Prop("ConnectionTimeout", &TADOConnection::ConnectionTimeout, &TADOConnection::SetConnectionTimeout).Default(15);
    P.Prop("KeepConnection", &TADOConnection::KeepConnection, &TADOConnection::SetKeepConnection).Default(true);
    P.Prop("LoginPrompt", &TADOConnection::LoginPrompt, &TADOConnection::SetLoginPrompt).Default(true);
    P.Prop("Mode", &TADOConnection::Mode, &TADOConnection::SetMode).Default(cmUnknown);
    P.Event("AfterConnect", &TADOConnection::AfterConnect);
    P.Event("AfterDisconnect", &TADOConnection::AfterDisconnect);
    P.Event("BeforeConnect", &TADOConnection::BeforeConnect);
    P.Event("BeforeDisconnect", &TADOConnection::BeforeDisconnect);
}

DOV_PUBLISHED(TParameter)
{
    P.Prop("Name", &TParameter::Name, &TParameter::SetName);
    P.Prop("Attributes", &TParameter::Attributes, &TParameter::SetAttributes).Default(TParameterAttributes{});
    P.Prop("DataType", &TParameter::DataType, &TParameter::SetDataType).Default(ftUnknown);
    P.Prop("Direction", &TParameter::Direction, &TParameter::SetDirection).Default(pdInput);
    P.Prop("NumericScale", &TParameter::NumericScale, &TParameter::SetNumericScale).Default(0);
    P.Prop("Precision", &TParameter::Precision, &TParameter::SetPrecision).Default(0);
    P.Prop("Size", &TParameter::Size, &TParameter::SetSize).Default(0);
}

DOV_PUBLISHED(TParameters) {}
