// Data modules and form resources: roots whose components, properties and handlers come from
// a text form compiled into the program.
//
// A form resource is found by the root class's name: first among the resources registered
// with RegisterFormResource, then as the Qt resource "<dir>/<ClassName>.form" for each
// search directory (":/forms" by default, more with AddFormResourcePath). A root class reads
// its resource by calling InitInheritedComponent once it is constructed; data modules and
// forms do it in AfterConstruction (LoadFromResource), so create them with Create<T>:
//
//   class TdmMain : public TDataModule {
//       DOV_PERSISTENT(TdmMain, TDataModule)
//   public:
//       explicit TdmMain(TComponent* AOwner) : TDataModule(AOwner) {}
//       TADOQuery* qryInvoices = nullptr;               // filled in by name
//       void DataModuleCreate(TObject* Sender);
//   };
//   DOV_PUBLISHED(TdmMain)
//   {
//       P.Field("qryInvoices", &TdmMain::qryInvoices);
//       P.Method("DataModuleCreate", &TdmMain::DataModuleCreate);
//   }
//
// Every class named in the resource must be registered (RegisterClasses<...>()) first.
#pragma once

#include "Filer.h"

DOV_DECLARE_EXCEPTION(EResNotFound, Exception);

// Registers (or replaces) the form resource of a root class, in the text or the binary form.
void RegisterFormResource(const QString& ClassName, const QByteArray& Data, const QString& SourceName = QString());
void UnRegisterFormResource(const QString& ClassName);
// Adds a Qt resource directory searched for "<ClassName>.form" files.
void AddFormResourcePath(const QString& Dir);
// The resource of a class: false when there is none. SourceName names it in error messages.
bool FindFormResource(const QString& ClassName, QByteArray& Data, QString& SourceName);

// Reads into Instance the form resources of its class and its ancestors below RootAncestor,
// ancestors first, skipping those down to AlreadyRead (a class read before, or nullptr).
// Returns the deepest class whose resource was read, or nullptr when none was found.
// On a read error the components created by that read are freed and the error is raised.
const TClassInfo* InitInheritedComponent(TComponent* Instance, const TClassInfo& RootAncestor,
                                         const TClassInfo* AlreadyRead = nullptr);

class TDataModule : public TComponent {
    DOV_PERSISTENT(TDataModule, TComponent)
public:
    // Does not read anything: AfterConstruction does, once the descendant is constructed.
    explicit TDataModule(TComponent* AOwner);
    ~TDataModule() override;
    void AfterConstruction() override;

    // Reads the form resources not read yet for this object's class chain, then fires
    // OnCreate once. EResNotFound "Resource %s not found" when a descendant of TDataModule
    // has no resource at all.
    void LoadFromResource();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    // The design-time size kept in form files.
    int DesignWidth = 0;
    int DesignHeight = 0;

    // Every owned component without a parent component is a child in the stream.
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

    // A descendant's destructor may call this first so that OnDestroy sees the whole module.
    void DoDestroy();

    static int DataModuleCount();
    static TDataModule* DataModules(int Index);

protected:
    virtual void DoCreate();
    void DefineProperties(TFiler* Filer) override;

private:
    const TClassInfo* FResourceClass = nullptr;
    bool FCreateFired = false;
    bool FDestroyFired = false;
};
