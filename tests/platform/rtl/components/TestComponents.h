// Small streamable classes that exercise every property kind.
#pragma once

#include "platform/rtl/DataModule.h"
#include "platform/rtl/Variants.h"

enum TShade { shRed, shGreen, shBlue, shGrey };
DOV_ENUM_INFO(TShade, shRed, shGreen, shBlue, shGrey)
using TShades = TSet<TShade>;

// An owned sub-object streamed as "Font.Name".
class TFontLike : public TPersistent {
    DOV_PERSISTENT(TFontLike, TPersistent)
public:
    QString Name = QStringLiteral("Arial");
    int Size = 8;
    bool IsNameStored() const { return Name != QLatin1String("Arial"); }
    void Assign(TPersistent* Source) override;
};

class TColumnItem : public TCollectionItem {
    DOV_PERSISTENT(TColumnItem, TCollectionItem)
public:
    explicit TColumnItem(TCollection* c) : TCollectionItem(c) {}
    QString Title;
    int Width = 64;
    void Assign(TPersistent* Source) override;
};

class TRecordingCollection : public TOwnedCollection {
public:
    using TOwnedCollection::TOwnedCollection;
    QList<TCollectionItem*> Updates;   // nullptr = everything
    QStringList Notes;
protected:
    void Update(TCollectionItem* Item) override { Updates << Item; }
    void Notify(TCollectionItem* Item, TCollectionNotification Action) override
    {
        Notes << QStringLiteral("%1:%2").arg(int(Action)).arg(Item->Index());
    }
};

// Every published kind, a binary and a list property of its own, a sub-object and a collection.
class TAllKinds : public TComponent {
    DOV_PERSISTENT(TAllKinds, TComponent)
public:
    explicit TAllKinds(TComponent* AOwner);
    ~TAllKinds() override;

    int Int32 = 0;
    int64_t Big = 0;
    double Ext = 0;
    Currency Money;
    TDateTime When = 0;
    QString Text;
    TShade Shade = shRed;
    TShades Shades;
    bool Flag = false;
    TFontLike* Font() const { return FFont; }
    TComponent* Link() const { return FLink; }
    void SetLink(TComponent* v);
    TRecordingCollection* Columns() const { return FColumns; }
    TNotifyEvent OnPing;
    int Scratch = 0;          // published, never stored
    Variant Any;              // streamed with its type tag
    QByteArray Blob;          // DefineBinaryProperty "Blob"
    QList<float> Samples;     // DefineProperty "Samples": a list of singles
    QStringList LoadedSeen;   // what Loaded found

protected:
    void DefineProperties(TFiler* Filer) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

private:
    TFontLike* FFont;
    TComponent* FLink = nullptr;
    TRecordingCollection* FColumns;
};

// A component that holds child components (owned by the root, parented here).
class TPanelLike : public TComponent {
    DOV_PERSISTENT(TPanelLike, TComponent)
public:
    explicit TPanelLike(TComponent* AOwner) : TComponent(AOwner) {}
    ~TPanelLike() override;
    QList<TComponent*> Kids;
    QString Caption;
    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
};

class TChildLike : public TComponent {
    DOV_PERSISTENT(TChildLike, TComponent)
public:
    explicit TChildLike(TComponent* AOwner) : TComponent(AOwner) {}
    ~TChildLike() override { SetParentComponent(nullptr); }
    TPanelLike* Parent = nullptr;
    TComponent* Peer = nullptr;
    bool HasParent() const override { return Parent != nullptr; }
    TComponent* GetParentComponent() const override { return Parent; }
    void SetParentComponent(TComponent* Value) override;
};

// A root: its owned components without a parent are its children in the stream.
class TTestRoot : public TDataModule {
    DOV_PERSISTENT(TTestRoot, TDataModule)
public:
    explicit TTestRoot(TComponent* AOwner) : TDataModule(AOwner) {}
    // Built in code, not from a form resource: the data module's resource step is skipped.
    void AfterConstruction() override { TComponent::AfterConstruction(); }
    TAllKinds* First = nullptr;    // published field
    int Pings = 0;
    void Ping(TObject*) { ++Pings; }
    void Other(TObject*) {}
    void Wrong(int) {}
};

void RegisterTestClasses();

#include <ostream>
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
