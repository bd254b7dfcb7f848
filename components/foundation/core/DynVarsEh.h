// Ordered collections of named values: the parameter bags that edit controls and grid
// columns hand to drop-down forms and get back.
//
// Asking a collection for a variable it does not have yields its stand-by variable under
// that name; reading it gives Unassigned, and the first write makes it a real member.
#pragma once

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Variants.h"

class TCustomDynVarsEh;

class TCustomDynVarEh : public TCollectionItem {
    DOV_PERSISTENT(TCustomDynVarEh, TCollectionItem)
public:
    explicit TCustomDynVarEh(TCollection* Collection);
    ~TCustomDynVarEh() override;

    TCustomDynVarsEh* VarCollection() const;
    bool IsDummy() const { return FIsDummy; }
    void Clear();   // the value becomes Unassigned

    const QString& Name() const { return FName; }
    // Unique within the collection without regard to case; realizes a stand-by variable.
    void SetName(const QString& Value);
    const Variant& Value() const { return FData; }
    void SetValue(const Variant& Value);

    // Unassigned, Null, or equal to Unassigned under Variant comparison (0, '').
    bool IsNull() const;

    // Typed reads give 0 / False when IsNull, else the Variant conversion (which may raise).
    bool AsBoolean() const;
    int32_t AsInteger() const;
    double AsFloat() const;
    Currency AsCurrency() const;
    TDateTime AsDateTime() const;
    TObject* AsRefObject() const;   // object references keep the full pointer width
    QString AsString() const;       // '' for Null and Unassigned

    void SetAsBoolean(bool v);
    void SetAsInteger(int32_t v);
    void SetAsFloat(double v);
    void SetAsCurrency(Currency v);
    void SetAsDateTime(TDateTime v);
    void SetAsRefObject(const TObject* v);
    void SetAsString(const QString& v);   // stores without a change notice

    // Same type, equal values (not compared while Unassigned), same name with case, same IsNull.
    bool IsSameVar(const TCustomDynVarEh* Other) const;

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    friend class TCustomDynVarsEh;
    void CheckRealize();

    Variant FData;
    bool FIsDummy = false;
    QString FName;
    TCustomDynVarsEh* FOwnerWhenDummy = nullptr;
};

class TDynVarEh : public TCustomDynVarEh {
    DOV_PERSISTENT(TDynVarEh, TCustomDynVarEh)
public:
    using TCustomDynVarEh::TCustomDynVarEh;
};

// A variable whose value is text.
class TStringVarEh : public TCustomDynVarEh {
    DOV_PERSISTENT(TStringVarEh, TCustomDynVarEh)
public:
    using TCustomDynVarEh::TCustomDynVarEh;
    QString Value() const { return AsString(); }
    void SetValue(const QString& v) { TCustomDynVarEh::SetValue(Variant(v)); }
};

class TCustomDynVarsEh : public TCollection {
    DOV_PERSISTENT(TCustomDynVarsEh, TCollection)
public:
    explicit TCustomDynVarsEh(TPersistent* AOwner);
    ~TCustomDynVarsEh() override;

    // The item class; every variable of the collection and its stand-by are of it.
    virtual const TClassInfo& GetDynVarClass() const { return ItemClass(); }

    TCustomDynVarEh* FindDynVar(const QString& VarName) const;
    bool VarExists(const QString& VarName) const { return FindDynVar(VarName) != nullptr; }
    // The variable, or the stand-by variable renamed to VarName (nothing is added).
    TCustomDynVarEh* GetDynVar(const QString& VarName);
    TCustomDynVarEh* CreateDynVar(const QString& VarName, const Variant& AValue);
    TCustomDynVarEh* CreateDynVar(const QString& VarName, const TObject* AValue);
    // Moves Value here from any collection it is in; raises on a duplicate name.
    void AddDynVar(TCustomDynVarEh* Value);
    void RemoveDynVar(TCustomDynVarEh* Value);   // takes it out without freeing it
    void DeleteDynVar(const QString& VarName);

    TCustomDynVarEh* GetItem(int Index) const { return ItemAs<TCustomDynVarEh>(Index); }
    void SetItem(int Index, TCustomDynVarEh* Value) { TCollection::SetItem(Index, Value); }

    // Namesakes here take the values of Value's variables; the others are ignored.
    void AssignValues(const TCustomDynVarsEh* Value);
    bool IsEqual(const TCustomDynVarsEh* Value) const;

    TNotifyEvent OnChange;
    TPersistent* GetOwner() const override { return FOwner; }
    TCustomDynVarEh* DummyVar() const { return FDummyVar; }

protected:
    TCustomDynVarsEh(TPersistent* AOwner, const TClassInfo& ItemClass);
    void AssignTo(TPersistent* Dest) const override;
    void Update(TCollectionItem* Item) override;
    [[noreturn]] void RaiseDuplicate(const QString& VarName) const;

private:
    friend class TCustomDynVarEh;
    void NewDummyVar();

    TCustomDynVarEh* FDummyVar = nullptr;
    TPersistent* FOwner = nullptr;
};

class TDynVarsEh : public TCustomDynVarsEh {
    DOV_PERSISTENT(TDynVarsEh, TCustomDynVarsEh)
public:
    explicit TDynVarsEh(TPersistent* AOwner);

    TDynVarEh* FindDynVar(const QString& VarName) const
    {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::FindDynVar(VarName));
    }
    TDynVarEh* GetDynVar(const QString& VarName)
    {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::GetDynVar(VarName));
    }
    TDynVarEh* CreateDynVar(const QString& VarName, const Variant& AValue)
    {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::CreateDynVar(VarName, AValue));
    }
    TDynVarEh* CreateDynVar(const QString& VarName, const TObject* AValue)
    {
        return static_cast<TDynVarEh*>(TCustomDynVarsEh::CreateDynVar(VarName, AValue));
    }
    TDynVarEh* GetItem(int Index) const { return ItemAs<TDynVarEh>(Index); }
    void SetItem(int Index, TDynVarEh* Value) { TCollection::SetItem(Index, Value); }
};

// Variables with text values and a "name=value" line form.
class TStringVarsEh : public TCustomDynVarsEh {
    DOV_PERSISTENT(TStringVarsEh, TCustomDynVarsEh)
public:
    explicit TStringVarsEh(TPersistent* AOwner);

    TStringVarEh* FindDynVar(const QString& VarName) const
    {
        return static_cast<TStringVarEh*>(TCustomDynVarsEh::FindDynVar(VarName));
    }
    TStringVarEh* GetDynVar(const QString& VarName)
    {
        return static_cast<TStringVarEh*>(TCustomDynVarsEh::GetDynVar(VarName));
    }
    TStringVarEh* CreateDynVar(const QString& VarName, const QString& AValue);
    TStringVarEh* GetItem(int Index) const { return ItemAs<TStringVarEh>(Index); }
    void SetItem(int Index, TStringVarEh* Value) { TCollection::SetItem(Index, Value); }

    // Both raise when there is no variable of that name.
    QString GetVarValue(const QString& VarName) const;
    void SetVarValue(const QString& VarName, const QString& Value);

    // One "name=value" line per variable, each ended by a line break.
    QString GetAsTextString() const;
    // Replaces the variables with one per line: the name before the first "=", the value after.
    void SetFromTextString(const QString& TextString);
};
