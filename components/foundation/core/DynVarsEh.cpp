#include "DynVarsEh.h"
#include "platform/rtl/Guards.h"

#include "platform/rtl/Classes.h"

namespace {

// Names match without regard to letter case, letter for letter (no collation: "е" is not "ё").
bool SameVarName(const QString& a, const QString& b)
{
    return a.size() == b.size() && AnsiUpperCase(a) == AnsiUpperCase(b);
}

const QString kDuplicateName = QStringLiteral("Переменная с именем '%s' уже присутствует в Коллекции");

}  // namespace

// ---------------------------------------------------------------- TCustomDynVarEh

DOV_PUBLISHED(TCustomDynVarEh)
{
    P.Prop("Name", &TCustomDynVarEh::Name, &TCustomDynVarEh::SetName);
}

TCustomDynVarEh::TCustomDynVarEh(TCollection* Collection) : TCollectionItem(Collection) {}

TCustomDynVarEh::~TCustomDynVarEh() = default;

TCustomDynVarsEh* TCustomDynVarEh::VarCollection() const
{
    return dynamic_cast<TCustomDynVarsEh*>(Collection());
}

void TCustomDynVarEh::Clear()
{
    FData.Clear();
}

void TCustomDynVarEh::CheckRealize()
{
    if (!FIsDummy)
        return;
    TCustomDynVarsEh* owner = FOwnerWhenDummy;
    if (!owner || owner->FDummyVar != this)
        throw Exception(QStringLiteral("DummyVar must be same as collection DummyVar"));
    owner->AddDynVar(this);
    FIsDummy = false;
    FOwnerWhenDummy = nullptr;
    owner->NewDummyVar();
}

void TCustomDynVarEh::SetName(const QString& Value)
{
    // A stand-by variable is checked against the collection that keeps it in reserve.
    const TCustomDynVarsEh* coll = FIsDummy ? FOwnerWhenDummy : VarCollection();
    if (coll) {
        const TCustomDynVarEh* other = coll->FindDynVar(Value);
        if (other && other != this)
            coll->RaiseDuplicate(Value);
    }
    if (FIsDummy) {
        const QString old = FName;
        FName = Value;
        auto undo = OnFailure([&] { FName = old; });
        CheckRealize();
    } else {
        FName = Value;
    }
    Changed(false);
}

void TCustomDynVarEh::SetValue(const Variant& Value)
{
    CheckRealize();
    FData = Value;
    Changed(false);
}

bool TCustomDynVarEh::IsNull() const
{
    if (FData.IsEmpty() || FData.IsNull())
        return true;
    try {
        return FData == Variant();
    } catch (const EVariantError&) {
        return false;   // arrays and the like are never "no value"
    }
}

bool TCustomDynVarEh::AsBoolean() const { return IsNull() ? false : FData.AsBoolean(); }
int32_t TCustomDynVarEh::AsInteger() const { return IsNull() ? 0 : FData.AsInteger(); }
double TCustomDynVarEh::AsFloat() const { return IsNull() ? 0.0 : FData.AsDouble(); }
Currency TCustomDynVarEh::AsCurrency() const { return IsNull() ? Currency() : FData.AsCurrency(); }
TDateTime TCustomDynVarEh::AsDateTime() const { return IsNull() ? 0.0 : FData.AsDateTime(); }
TObject* TCustomDynVarEh::AsRefObject() const
{
    return IsNull() ? nullptr : static_cast<TObject*>(FData.AsObject());
}
QString TCustomDynVarEh::AsString() const { return VarToStr(FData); }

void TCustomDynVarEh::SetAsBoolean(bool v) { SetValue(Variant(v)); }
void TCustomDynVarEh::SetAsInteger(int32_t v) { SetValue(Variant(int(v))); }
void TCustomDynVarEh::SetAsFloat(double v) { SetValue(Variant(v)); }
void TCustomDynVarEh::SetAsCurrency(Currency v) { SetValue(Variant(v)); }
void TCustomDynVarEh::SetAsDateTime(TDateTime v) { SetValue(Variant::FromDate(v)); }
void TCustomDynVarEh::SetAsRefObject(const TObject* v) { SetValue(Variant::FromObject(v)); }

void TCustomDynVarEh::SetAsString(const QString& v)
{
    CheckRealize();
    FData = Variant(v);
}

bool TCustomDynVarEh::IsSameVar(const TCustomDynVarEh* Other) const
{
    if (!Other || FData.VarType() != Other->FData.VarType())
        return false;
    if (!FData.IsEmpty()) {
        try {
            if (!(FData == Other->FData))
                return false;
        } catch (const EVariantError&) {
            return false;
        }
    }
    return FName == Other->FName && IsNull() == Other->IsNull();
}

void TCustomDynVarEh::AssignTo(TPersistent* Dest) const
{
    if (auto* d = dynamic_cast<TCustomDynVarEh*>(Dest)) {
        d->SetName(FName);
        d->SetValue(FData);
        return;
    }
    TCollectionItem::AssignTo(Dest);
}

DOV_PUBLISHED(TDynVarEh) {}
DOV_PUBLISHED(TStringVarEh) {}

// ---------------------------------------------------------------- TCustomDynVarsEh

DOV_PUBLISHED(TCustomDynVarsEh) {}

TCustomDynVarsEh::TCustomDynVarsEh(TPersistent* AOwner)
    : TCustomDynVarsEh(AOwner, TCustomDynVarEh::StaticClassInfo())
{
}

TCustomDynVarsEh::TCustomDynVarsEh(TPersistent* AOwner, const TClassInfo& ItemClass)
    : TCollection(ItemClass), FOwner(AOwner)
{
    NewDummyVar();
}

TCustomDynVarsEh::~TCustomDynVarsEh()
{
    OnChange = nullptr;
    Clear();
    delete FDummyVar;
}

void TCustomDynVarsEh::NewDummyVar()
{
    const TClassInfo& cls = GetDynVarClass();
    auto* v = static_cast<TCustomDynVarEh*>(cls.CreateItem(nullptr));
    v->FIsDummy = true;
    v->FOwnerWhenDummy = this;
    FDummyVar = v;
}

void TCustomDynVarsEh::RaiseDuplicate(const QString& VarName) const
{
    throw Exception(kDuplicateName, {VarName});
}

TCustomDynVarEh* TCustomDynVarsEh::FindDynVar(const QString& VarName) const
{
    for (int i = 0; i < Count(); ++i) {
        auto* v = GetItem(i);
        if (SameVarName(v->FName, VarName))
            return v;
    }
    return nullptr;
}

TCustomDynVarEh* TCustomDynVarsEh::GetDynVar(const QString& VarName)
{
    if (TCustomDynVarEh* v = FindDynVar(VarName))
        return v;
    FDummyVar->FName = VarName;
    return FDummyVar;
}

TCustomDynVarEh* TCustomDynVarsEh::CreateDynVar(const QString& VarName, const Variant& AValue)
{
    if (FindDynVar(VarName))
        RaiseDuplicate(VarName);
    auto* v = static_cast<TCustomDynVarEh*>(Add());
    {
        auto undo = OnFailure([&] { delete v; });
        v->SetName(VarName);
        v->SetValue(AValue);
    }
    return v;
}

TCustomDynVarEh* TCustomDynVarsEh::CreateDynVar(const QString& VarName, const TObject* AValue)
{
    return CreateDynVar(VarName, Variant::FromObject(AValue));
}

void TCustomDynVarsEh::AddDynVar(TCustomDynVarEh* Value)
{
    const TCustomDynVarEh* found = FindDynVar(Value->FName);
    if (found && found != Value)
        RaiseDuplicate(Value->FName);
    Value->SetCollection(this);
}

void TCustomDynVarsEh::RemoveDynVar(TCustomDynVarEh* Value)
{
    if (Value && Value->Collection() == this)
        Value->SetCollection(nullptr);
}

void TCustomDynVarsEh::DeleteDynVar(const QString& VarName)
{
    delete FindDynVar(VarName);
}

void TCustomDynVarsEh::AssignValues(const TCustomDynVarsEh* Value)
{
    for (int i = 0; i < Value->Count(); ++i) {
        const TCustomDynVarEh* src = Value->GetItem(i);
        if (TCustomDynVarEh* dest = FindDynVar(src->FName)) {
            dest->SetName(src->FName);
            dest->SetValue(src->FData);
        }
    }
}

bool TCustomDynVarsEh::IsEqual(const TCustomDynVarsEh* Value) const
{
    if (!Value || Count() != Value->Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (!GetItem(i)->IsSameVar(Value->GetItem(i)))
            return false;
    return true;
}

void TCustomDynVarsEh::AssignTo(TPersistent* Dest) const
{
    if (auto* d = dynamic_cast<TCustomDynVarsEh*>(Dest)) {
        d->Assign(const_cast<TCustomDynVarsEh*>(this));
        return;
    }
    TCollection::AssignTo(Dest);
}

void TCustomDynVarsEh::Update(TCollectionItem*)
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------- TDynVarsEh

DOV_PUBLISHED(TDynVarsEh) {}

TDynVarsEh::TDynVarsEh(TPersistent* AOwner) : TCustomDynVarsEh(AOwner, TDynVarEh::StaticClassInfo()) {}

// ---------------------------------------------------------------- TStringVarsEh

DOV_PUBLISHED(TStringVarsEh) {}

TStringVarsEh::TStringVarsEh(TPersistent* AOwner) : TCustomDynVarsEh(AOwner, TStringVarEh::StaticClassInfo()) {}

TStringVarEh* TStringVarsEh::CreateDynVar(const QString& VarName, const QString& AValue)
{
    return static_cast<TStringVarEh*>(TCustomDynVarsEh::CreateDynVar(VarName, Variant(AValue)));
}

QString TStringVarsEh::GetVarValue(const QString& VarName) const
{
    const TStringVarEh* v = FindDynVar(VarName);
    if (!v)
        throw Exception(QStringLiteral("A Variable named '%s' doesn't exist in the Collection '%s'"),
                        {VarName, QStringLiteral("TStringVarsEh")});
    return v->Value();
}

void TStringVarsEh::SetVarValue(const QString& VarName, const QString& Value)
{
    TStringVarEh* v = FindDynVar(VarName);
    if (!v)
        throw Exception(QStringLiteral("A Variable named '%s' doesn't exist in the Collection '%s'"),
                        {VarName, QStringLiteral("TStringVarsEh")});
    v->SetValue(Value);
}

QString TStringVarsEh::GetAsTextString() const
{
    TStringList lines;
    for (int i = 0; i < Count(); ++i)
        lines.Add(GetItem(i)->Name() + u'=' + GetItem(i)->Value());
    return lines.Text();
}

void TStringVarsEh::SetFromTextString(const QString& TextString)
{
    TUpdateGuard update(this);
    Clear();
    TStringList lines;
    lines.SetText(TextString);
    for (int i = 0; i < lines.Count(); ++i) {
        const QString line = lines.Strings(i);
        const int eq = int(line.indexOf(u'='));
        if (eq < 0)
            CreateDynVar(line, QString());
        else
            CreateDynVar(line.left(eq), line.mid(eq + 1));
    }
}
