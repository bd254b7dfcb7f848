#include "DataModule.h"

#include <QFile>
#include <QMutex>

namespace {
struct FormResources {
    QMutex Lock;
    QHash<QString, std::pair<QByteArray, QString>> ByClass;   // upper-cased class name
    QStringList Dirs{QStringLiteral(":/forms")};
};
FormResources& Resources()
{
    static FormResources r;
    return r;
}

QList<TDataModule*>& LiveModules()
{
    static QList<TDataModule*> list;
    return list;
}
}

void RegisterFormResource(const QString& ClassName, const QByteArray& Data, const QString& SourceName)
{
    FormResources& r = Resources();
    QMutexLocker guard(&r.Lock);
    r.ByClass.insert(ClassName.toUpper(), {Data, SourceName.isEmpty() ? ClassName : SourceName});
}

void UnRegisterFormResource(const QString& ClassName)
{
    FormResources& r = Resources();
    QMutexLocker guard(&r.Lock);
    r.ByClass.remove(ClassName.toUpper());
}

void AddFormResourcePath(const QString& Dir)
{
    FormResources& r = Resources();
    QMutexLocker guard(&r.Lock);
    if (!r.Dirs.contains(Dir))
        r.Dirs.append(Dir);
}

bool FindFormResource(const QString& ClassName, QByteArray& Data, QString& SourceName)
{
    FormResources& r = Resources();
    QStringList dirs;
    {
        QMutexLocker guard(&r.Lock);
        auto it = r.ByClass.constFind(ClassName.toUpper());
        if (it != r.ByClass.constEnd()) {
            Data = it->first;
            SourceName = it->second;
            return true;
        }
        dirs = r.Dirs;
    }
    for (const QString& dir : dirs) {
        QFile f(dir + u'/' + ClassName + QStringLiteral(".form"));
        if (f.open(QIODevice::ReadOnly)) {
            Data = f.readAll();
            SourceName = f.fileName();
            return true;
        }
    }
    return false;
}

const TClassInfo* InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor,
                                         const TClassInfo* AlreadyRead)
{
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = &Instance->ClassInfo(); c && c != &RootAncestor && c != AlreadyRead; c = c->Parent)
        chain.push_back(c);
    const TClassInfo* deepest = nullptr;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        QByteArray data;
        QString source;
        if (!FindFormResource((*it)->Name, data, source))
            continue;
        ReadComponentRes(data, Instance, source);
        deepest = *it;
    }
    return deepest;
}

// ---------------------------------------------------------------- TDataModule

DOV_PUBLISHED(TDataModule)
{
    P.Event("OnCreate", &TDataModule::OnCreate);
    P.Event("OnDestroy", &TDataModule::OnDestroy);
}

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner)
{
    static bool finderRegistered = [] {
        RegisterFindGlobalComponent([](const QString& name) -> TComponent* {
            for (TDataModule* m : LiveModules())
                if (!m->Name().isEmpty() && m->Name().compare(name, Qt::CaseInsensitive) == 0)
                    return m;
            return nullptr;
        });
        return true;
    }();
    (void)finderRegistered;
    LiveModules().append(this);
}

TDataModule::~TDataModule()
{
    LiveModules().removeOne(this);
    // A handler of the module itself cannot run any more: its own class is gone by now.
    if (!FDestroyFired && OnDestroy && OnDestroy.Data() != static_cast<void*>(this))
        DoDestroy();
}

void TDataModule::DoDestroy()
{
    if (FDestroyFired)
        return;
    FDestroyFired = true;
    if (OnDestroy)
        OnDestroy(this);
}

void TDataModule::AfterConstruction()
{
    TComponent::AfterConstruction();
    if (!CreatingFromStream())
        LoadFromResource();
}

void TDataModule::LoadFromResource()
{
    const TClassInfo* read = InitInheritedComponent(this, TDataModule::StaticClassInfo(), FResourceClass);
    if (read)
        FResourceClass = read;
    else if (!FResourceClass && &ClassInfo() != &TDataModule::StaticClassInfo())
        throw EResNotFound(QStringLiteral("Resource %s not found"), {ClassInfo().Name});
    DoCreate();
}

void TDataModule::DoCreate()
{
    if (FCreateFired)
        return;
    FCreateFired = true;
    if (OnCreate)
        OnCreate(this);
}

void TDataModule::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!c->HasParent())
            Proc(c);
    }
}

void TDataModule::DefineProperties(TFiler* Filer)
{
    // Design-time placement: kept for form files, of no use at run time.
    auto readInt = [](int& target) { return [&target](TReader* r) { target = r->ReadInteger(); }; };
    auto ignore = [](TReader* r) { r->SkipValue(); };
    Filer->DefineProperty(QStringLiteral("Height"), readInt(DesignHeight),
                          [this](TWriter* w) { w->WriteInteger(DesignHeight); }, DesignHeight != 0);
    Filer->DefineProperty(QStringLiteral("Width"), readInt(DesignWidth),
                          [this](TWriter* w) { w->WriteInteger(DesignWidth); }, DesignWidth != 0);
    for (const char* name : {"Left", "Top", "OldCreateOrder", "HorizontalOffset", "VerticalOffset", "PixelsPerInch"})
        Filer->DefineProperty(QString::fromLatin1(name), ignore, nullptr, false);
}

int TDataModule::DataModuleCount()
{
    return int(LiveModules().size());
}

TDataModule* TDataModule::DataModules(int Index)
{
    return LiveModules().value(Index, nullptr);
}
