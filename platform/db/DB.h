// The dataset framework: fields, field and index definitions, parameters, datasets with the
// record-buffer protocol, data sources and data links.
//
// Field values never live in a TField: every read and write goes through the dataset's
// GetFieldData / SetFieldData virtuals as a Variant (numbers never touch the heap).
//
// Record buffers are opaque handles (TRecordBuffer) that a descendant hands out from
// AllocRecordBuffer; the framework only keeps them in order and asks the descendant to fill
// them (GetRecord), to name them (bookmark data and flags) and to move its cursor to them.
// The framework keeps the values of calculated and lookup fields itself, per buffer.
//
// Descendants must call Close() (after Destroying()) in their own destructor, while their
// overrides still exist; the base destructor can only discard an open cursor.
#pragma once

#include "DBTypes.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Variants.h"

#include <QHash>
#include <atomic>
#include <QList>
#include <QStringList>
#include <unordered_map>
#include <vector>

class TDataSet;
class TDataSource;
class TDataLink;
class TField;
class TFields;
class TFieldDefs;
class TFieldDef;
class TIndexDefs;
class TParams;

// Raises EDatabaseError; when Component has a name the text starts with "<name>: ".
[[noreturn]] void DatabaseError(const QString& Message, TComponent* Component = nullptr);
[[noreturn]] void DatabaseErrorFmt(const QString& Message, TVarRecs Args, TComponent* Component = nullptr);

// The variant type in which values of a field type travel between fields and datasets.
TVarType FieldTypeVarType(TFieldType t);

// Splits "A; B;C" into names (blanks around names removed, empty names dropped).
QStringList SplitFieldNames(const QString& Names);

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };

using TDataSetNotifyEvent = Delegate<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = Delegate<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = Delegate<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = Delegate<void(TField* Sender)>;
using TFieldGetTextEvent = Delegate<void(TField* Sender, QString& Text, bool DisplayText)>;
using TFieldSetTextEvent = Delegate<void(TField* Sender, const QString& Text)>;
using TDataChangeEvent = Delegate<void(TObject* Sender, TField* Field)>;

// ---------------------------------------------------------------- field definitions

class TFieldDef : public TCollectionItem {
    DOV_PERSISTENT(TFieldDef, TCollectionItem)
public:
    explicit TFieldDef(TCollection* Collection);
    ~TFieldDef() override;

    QString Name() const { return FName; }
    void SetName(const QString& v);
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType v);
    int Size() const { return FSize; }
    void SetSize(int v);
    int Precision() const { return FPrecision; }
    void SetPrecision(int v);
    TFieldAttributes Attributes() const { return FAttributes; }
    void SetAttributes(TFieldAttributes v);
    bool Required() const { return FAttributes.Contains(faRequired); }
    void SetRequired(bool v);
    // 1-based position among the dataset's physical fields; Index + 1 unless set.
    int FieldNo() const { return FFieldNo > 0 ? FFieldNo : Index() + 1; }
    void SetFieldNo(int v) { FFieldNo = v; }
    bool InternalCalcField() const { return FInternalCalcField; }
    void SetInternalCalcField(bool v) { FInternalCalcField = v; }
    bool HasChildDefs() const;
    TFieldDefs* ChildDefs();
    TFieldDefs* FieldDefs() const;
    TDataSet* DataSet() const;

    // A field of the class the dataset uses for this type, owned by Owner and bound to the dataset.
    TField* CreateField(TComponent* Owner, const QString& FieldName = {});
    void Assign(TPersistent* Source) override;
    QString DisplayName() const override { return FName; }

private:
    QString FName;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;
    int FPrecision = 0;
    TFieldAttributes FAttributes;
    int FFieldNo = 0;
    bool FInternalCalcField = false;
    TFieldDefs* FChildDefs = nullptr;
    void Changed();
};

class TFieldDefs : public TOwnedCollection {
    DOV_PERSISTENT(TFieldDefs, TOwnedCollection)
public:
    // Owner: the dataset, or the parent definition for child definitions.
    explicit TFieldDefs(TPersistent* AOwner);

    TDataSet* DataSet() const { return FDataSet; }
    TFieldDef* ParentDef() const { return FParentDef; }
    TFieldDef* Items(int Index) const { return static_cast<TFieldDef*>(TCollection::Items(Index)); }
    TFieldDef* operator[](int Index) const { return Items(Index); }
    TFieldDef* AddFieldDef() { return static_cast<TFieldDef*>(TCollection::Add()); }
    TFieldDef* Add(const QString& Name, TFieldType DataType, int Size = 0, bool Required = false);
    TFieldDef* Find(const QString& Name) const;   // "Field '%s' not found"
    int IndexOf(const QString& Name) const;       // -1 when none; case-insensitive
    // Asks the dataset for its definitions when they are not up to date.
    void Update();
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool v) { FUpdated = v; }

protected:
    void Update(TCollectionItem* Item) override;

private:
    TDataSet* FDataSet = nullptr;
    TFieldDef* FParentDef = nullptr;
    bool FUpdated = false;
};

// ---------------------------------------------------------------- index definitions

class TIndexDef : public TCollectionItem {
    DOV_PERSISTENT(TIndexDef, TCollectionItem)
public:
    explicit TIndexDef(TCollection* Collection) : TCollectionItem(Collection) {}
    QString Name;
    QString Fields;
    QString DescFields;
    QString CaseInsFields;
    QString Expression;
    QString Source;
    TIndexOptions Options;
    int GroupingLevel = 0;

    QString GetName() const { return Name; }
    void SetName(const QString& v) { Name = v; }
    QString GetFields() const { return Fields; }
    void SetFields(const QString& v) { Fields = v; }
    QString GetDescFields() const { return DescFields; }
    void SetDescFields(const QString& v) { DescFields = v; }
    QString GetCaseInsFields() const { return CaseInsFields; }
    void SetCaseInsFields(const QString& v) { CaseInsFields = v; }
    QString GetExpression() const { return Expression; }
    void SetExpression(const QString& v) { Expression = v; }
    TIndexOptions GetOptions() const { return Options; }
    void SetOptions(TIndexOptions v) { Options = v; }
    int GetGroupingLevel() const { return GroupingLevel; }
    void SetGroupingLevel(int v) { GroupingLevel = v; }
    void Assign(TPersistent* From) override;
    QString DisplayName() const override { return Name; }
};

class TIndexDefs : public TOwnedCollection {
    DOV_PERSISTENT(TIndexDefs, TOwnedCollection)
public:
    explicit TIndexDefs(TDataSet* DataSet);
    TIndexDef* Items(int Index) const { return static_cast<TIndexDef*>(TCollection::Items(Index)); }
    TIndexDef* AddIndexDef() { return static_cast<TIndexDef*>(TCollection::Add()); }
    TIndexDef* Add(const QString& Name, const QString& Fields, TIndexOptions Options = {});
    TIndexDef* Find(const QString& Name) const;          // "Index '%s' not found"
    int IndexOf(const QString& Name) const;
    // The first index whose fields are exactly (CaseInsensitive) or start with the names.
    TIndexDef* FindIndexForFields(const QString& Fields) const;   // "No index for fields '%s'"
    TIndexDef* GetIndexForFields(const QString& Fields, bool CaseInsensitive) const;  // nullptr when none
    void Update();
    bool Updated() const { return FUpdated; }
    void SetUpdated(bool v) { FUpdated = v; }

protected:
    // The collection's item-change hook keeps its name beside the refresh above.
    using TOwnedCollection::Update;

private:
    TDataSet* FDataSet;
    bool FUpdated = false;
};

// ---------------------------------------------------------------- parameters

class TParam : public TCollectionItem {
    DOV_PERSISTENT(TParam, TCollectionItem)
public:
    explicit TParam(TCollection* Collection);

    QString Name() const { return FName; }
    void SetName(const QString& v) { FName = v; }
    TFieldType DataType() const { return FDataType; }
    void SetDataType(TFieldType v);
    TParamType ParamType() const { return FParamType; }
    void SetParamType(TParamType v) { FParamType = v; }
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int v) { FPrecision = v; }
    int NumericScale() const { return FNumericScale; }
    void SetNumericScale(int v) { FNumericScale = v; }
    bool Bound() const { return FBound; }
    void SetBound(bool v) { FBound = v; }

    const Variant& Value() const { return FValue; }
    // Takes the value; an unknown data type takes the value's type. Marks the parameter bound.
    void SetValue(const Variant& v);
    bool IsNull() const { return FValue.IsNull() || FValue.IsEmpty(); }
    void Clear();   // Null, data type kept

    QString AsString() const { return VarToStr(FValue); }
    void SetAsString(const QString& v);
    int AsInteger() const { return IsNull() ? 0 : FValue.AsInteger(); }
    void SetAsInteger(int v);
    int64_t AsLargeInt() const { return IsNull() ? 0 : FValue.AsInt64(); }
    void SetAsLargeInt(int64_t v);
    double AsFloat() const { return IsNull() ? 0 : FValue.AsDouble(); }
    void SetAsFloat(double v);
    Currency AsCurrency() const { return IsNull() ? Currency() : FValue.AsCurrency(); }
    void SetAsCurrency(Currency v);
    TDateTime AsDateTime() const { return IsNull() ? 0 : FValue.AsDateTime(); }
    void SetAsDateTime(TDateTime v);
    void SetAsDate(TDateTime v);
    bool AsBoolean() const { return !IsNull() && FValue.AsBoolean(); }
    void SetAsBoolean(bool v);
    // Takes name, type and value from a field.
    void AssignField(TField* Field);
    void AssignFieldValue(TField* Field, const Variant& Value);
    void Assign(TPersistent* Source) override;
    QString DisplayName() const override { return FName; }

private:
    QString FName;
    TFieldType FDataType = ftUnknown;
    TParamType FParamType = ptUnknown;
    int FSize = 0;
    int FPrecision = 0;
    int FNumericScale = 0;
    bool FBound = false;
    Variant FValue;
};

class TParams : public TOwnedCollection {
    DOV_PERSISTENT(TParams, TOwnedCollection)
public:
    explicit TParams(TPersistent* AOwner = nullptr);
    TParam* Items(int Index) const { return static_cast<TParam*>(TCollection::Items(Index)); }
    TParam* operator[](int Index) const { return Items(Index); }
    TParam* AddParam() { return static_cast<TParam*>(TCollection::Add()); }
    TParam* CreateParam(TFieldType DataType, const QString& Name, TParamType ParamType);
    TParam* FindParam(const QString& Name) const;      // case-insensitive; nullptr when none
    TParam* ParamByName(const QString& Name) const;    // "Parameter '%s' not found"
    // Values of the parameters whose names are in Source (by name).
    void AssignValues(TParams* Source);
    bool IsEqual(TParams* Other) const;
    // ":name" markers of an SQL text (outside quotes and brackets, "::" kept) in order;
    // with DoCreate each new name becomes a parameter. Returns the text unchanged.
    QString ParseSQL(const QString& SQL, bool DoCreate);
    // ParamValues["A;B"]: one value or an array for several names.
    Variant ParamValues(const QString& Names) const;
    void SetParamValues(const QString& Names, const Variant& Values);
};

// ---------------------------------------------------------------- lookup cache

// Key value → result value pairs of a lookup field with LookupCache set.
class TLookupList {
public:
    void Add(const Variant& Key, const Variant& Value);
    void Clear() { FKeys.clear(); FValues.clear(); }
    bool Empty() const { return FKeys.empty(); }
    Variant ValueOfKey(const Variant& Key) const;   // Null when absent

private:
    std::vector<Variant> FKeys;
    std::vector<Variant> FValues;
};

// ---------------------------------------------------------------- fields

class TField : public TComponent {
    DOV_PERSISTENT(TField, TComponent)
public:
    explicit TField(TComponent* AOwner);
    ~TField() override;

    // ---- identity ----
    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    QString FullName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind Value);
    int FieldNo() const { return FFieldNo; }
    void SetFieldNo(int v) { FFieldNo = v; }
    int Index() const;                 // position in the dataset's Fields
    void SetIndex(int Value);
    int Offset() const { return FOffset; }   // slot among calculated and lookup fields
    bool Calculated() const { return FFieldKind == fkCalculated; }
    void SetCalculated(bool v) { SetFieldKind(v ? fkCalculated : fkData); }
    bool Lookup() const { return FFieldKind == fkLookup; }
    void SetLookup(bool v) { SetFieldKind(v ? fkLookup : fkData); }
    bool IsDataField() const { return FFieldKind == fkData || FFieldKind == fkInternalCalc; }
    bool IsIndexField() const { return FIsIndexField; }
    void SetIsIndexField(bool v) { FIsIndexField = v; }

    // ---- value ----
    // Reads through the dataset; False (and Value Null) when the field is null.
    bool GetData(Variant& Value) const;
    void SetData(const Variant& Value);
    bool IsNull() const;
    void Clear() { SetData(Null()); }
    Variant Value() const { return GetAsVariant(); }
    void SetValue(const Variant& v) { SetAsVariantImpl(v); }
    Variant AsVariant() const { return GetAsVariant(); }
    void SetAsVariant(const Variant& v) { SetAsVariantImpl(v); }
    QString AsString() const { return GetAsString(); }
    void SetAsString(const QString& v) { SetAsStringImpl(v); }
    int32_t AsInteger() const { return GetAsInteger(); }
    void SetAsInteger(int32_t v) { SetAsLargeIntImpl(v); }
    int64_t AsLargeInt() const { return GetAsLargeInt(); }
    void SetAsLargeInt(int64_t v) { SetAsLargeIntImpl(v); }
    double AsFloat() const { return GetAsFloat(); }
    void SetAsFloat(double v) { SetAsFloatImpl(v); }
    Currency AsCurrency() const { return GetAsCurrency(); }
    void SetAsCurrency(Currency v) { SetAsCurrencyImpl(v); }
    TBcd AsBCD() const { return GetAsBCD(); }
    void SetAsBCD(const TBcd& v) { SetAsVariantImpl(Variant(v)); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    void SetAsDateTime(TDateTime v) { SetAsDateTimeImpl(v); }
    bool AsBoolean() const { return GetAsBoolean(); }
    void SetAsBoolean(bool v) { SetAsBooleanImpl(v); }
    TSQLTimeStamp AsSQLTimeStamp() const;
    // Old and new values of the record being edited (the dataset's old- and new-value states).
    Variant OldValue() const;
    Variant NewValue() const;
    void SetNewValue(const Variant& v);
    Variant CurValue() const;

    // ---- text ----
    QString Text() const;          // the edit text (OnGetText with DisplayText False)
    void SetText(const QString& v);   // OnSetText when assigned
    QString DisplayText() const;   // OnGetText with DisplayText True
    virtual bool IsValidChar(QChar c) const;

    // ---- display ----
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& v);
    bool IsDisplayLabelStored() const { return !FDisplayLabel.isEmpty(); }
    QString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
    void SetDisplayWidth(int v);
    bool IsDisplayWidthStored() const { return FDisplayWidth > 0; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& v) { FEditMask = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    bool Required() const { return FRequired; }
    void SetRequired(bool v) { FRequired = v; }
    virtual bool CanModify() const;
    int Size() const { return FSize; }
    void SetSize(int v);
    QString Origin() const { return FOrigin; }
    void SetOrigin(const QString& v) { FOrigin = v; }
    TProviderFlags ProviderFlags() const { return FProviderFlags; }
    void SetProviderFlags(TProviderFlags v) { FProviderFlags = v; }
    TAutoRefreshFlag AutoGenerateValue() const { return FAutoGenerateValue; }
    void SetAutoGenerateValue(TAutoRefreshFlag v) { FAutoGenerateValue = v; }
    QString DefaultExpression() const { return FDefaultExpression; }
    void SetDefaultExpression(const QString& v) { FDefaultExpression = v; }
    QString ConstraintErrorMessage() const { return FConstraintErrorMessage; }
    void SetConstraintErrorMessage(const QString& v) { FConstraintErrorMessage = v; }

    // ---- lookup ----
    QString KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QString& v);
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* v);
    QString LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const QString& v);
    QString LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const QString& v);
    bool LookupCache() const { return FLookupCache; }
    void SetLookupCache(bool v);
    TLookupList* LookupList() { return &FLookupList; }
    void RefreshLookupList();
    // The looked-up value for the current key fields' values.
    Variant CalcLookupValue();

    // ---- events ----
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;
    TFieldNotifyEvent OnValidate;
    TFieldNotifyEvent OnChange;

    void FocusControl();
    void Assign(TPersistent* Source) override;
    // Called by the dataset with the value about to be written: OnValidate sees it as the value.
    void Validate(const Variant& NewValue);
    void Change();

    // Streaming: persistent fields are children of their dataset in form resources.
    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* Value) override;

    // Accessors of the published block.
    QString GetFieldNameProp() const { return FFieldName; }
    QString GetDisplayLabelProp() const { return FDisplayLabel; }
    int GetDisplayWidthProp() const { return DisplayWidth(); }
    TFieldKind GetFieldKindProp() const { return FFieldKind; }
    TDataSet* GetLookupDataSetProp() const { return FLookupDataSet; }
    TDataSet* GetDataSetProp() const { return FDataSet; }

protected:
    // Typed conversions; descendants override for their own types.
    virtual Variant GetAsVariant() const;
    virtual void SetAsVariantImpl(const Variant& v);
    virtual QString GetAsString() const;
    virtual void SetAsStringImpl(const QString& v);
    virtual int32_t GetAsInteger() const;
    virtual int64_t GetAsLargeInt() const;
    virtual void SetAsLargeIntImpl(int64_t v);
    virtual double GetAsFloat() const;
    virtual void SetAsFloatImpl(double v);
    virtual Currency GetAsCurrency() const;
    virtual void SetAsCurrencyImpl(Currency v);
    virtual TBcd GetAsBCD() const;
    virtual TDateTime GetAsDateTime() const;
    virtual void SetAsDateTimeImpl(TDateTime v);
    virtual bool GetAsBoolean() const;
    virtual void SetAsBooleanImpl(bool v);
    virtual void GetText(QString& Text, bool DisplayText) const;
    virtual void SetTextImpl(const QString& Text) { SetAsStringImpl(Text); }
    virtual int GetDefaultWidth() const { return 10; }
    virtual void CheckSize(int v) const;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void SetDataType(TFieldType v) { FDataType = v; }
    void PropertyChanged(bool LayoutAffected);
    [[noreturn]] void AccessError(const char* TypeName) const;
    [[noreturn]] void RangeError(double Value, double Min, double Max) const;
    void SetVarValue(const Variant& v);   // converts to the field's variant type and writes

    TAlignment FAlignment = taLeftJustify;
    int FSize = 0;
    QString FValidChars;   // empty: every character is valid
    bool FValidCharsAll = true;

private:
    TDataSet* FDataSet = nullptr;
    QString FFieldName;
    TFieldType FDataType = ftUnknown;
    TFieldKind FFieldKind = fkData;
    int FFieldNo = 0;
    int FOffset = -1;
    bool FIsIndexField = false;
    QString FDisplayLabel;
    int FDisplayWidth = 0;
    bool FVisible = true;
    QString FEditMask;
    bool FReadOnly = false;
    bool FRequired = false;
    QString FOrigin;
    TProviderFlags FProviderFlags{pfInUpdate, pfInWhere};
    TAutoRefreshFlag FAutoGenerateValue = arNone;
    QString FDefaultExpression;
    QString FConstraintErrorMessage;
    QString FKeyFields;
    TDataSet* FLookupDataSet = nullptr;
    QString FLookupKeyFields;
    QString FLookupResultField;
    bool FLookupCache = false;
    TLookupList FLookupList;
    const Variant* FValidating = nullptr;   // the value under validation, read by OnValidate

    friend class TDataSet;
    friend class TFields;
    friend class TFieldDef;
};

class TStringField : public TField {
    DOV_PERSISTENT(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner);
    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool v);
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool v) { FTransliterate = v; }
    int GetSizeProp() const { return Size(); }
    void SetSizeProp(int v) { SetSize(v); }

protected:
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    int32_t GetAsInteger() const override;
    int64_t GetAsLargeInt() const override;
    double GetAsFloat() const override;
    bool GetAsBoolean() const override;
    TDateTime GetAsDateTime() const override;
    void SetAsVariantImpl(const Variant& v) override;
    int GetDefaultWidth() const override { return Size(); }
    void CheckSize(int v) const override;

private:
    bool FFixedChar = false;
    bool FTransliterate = true;
};

class TWideStringField : public TStringField {
    DOV_PERSISTENT(TWideStringField, TStringField)
public:
    explicit TWideStringField(TComponent* AOwner);
};

class TGuidField : public TStringField {
    DOV_PERSISTENT(TGuidField, TStringField)
public:
    explicit TGuidField(TComponent* AOwner);

protected:
    void CheckSize(int v) const override;
};

class TNumericField : public TField {
    DOV_PERSISTENT(TNumericField, TField)
public:
    explicit TNumericField(TComponent* AOwner);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);
    QString EditFormat() const { return FEditFormat; }
    void SetEditFormat(const QString& v);

protected:
    QString FDisplayFormat;
    QString FEditFormat;
};

class TIntegerField : public TNumericField {
    DOV_PERSISTENT(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* AOwner);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int v) { FMinValue = v; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int v) { FMaxValue = v; }

protected:
    TIntegerField(TComponent* AOwner, TFieldType Type, int64_t MinRange, int64_t MaxRange);
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsLargeIntImpl(int64_t v) override;
    void SetAsFloatImpl(double v) override;
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;
    void CheckRange(int64_t v) const;

    int FMinValue = 0;
    int FMaxValue = 0;
    int64_t FMinRange;
    int64_t FMaxRange;
};

class TSmallintField : public TIntegerField {
    DOV_PERSISTENT(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner);
};
class TShortintField : public TIntegerField {
    DOV_PERSISTENT(TShortintField, TIntegerField)
public:
    explicit TShortintField(TComponent* AOwner);
};
class TByteField : public TIntegerField {
    DOV_PERSISTENT(TByteField, TIntegerField)
public:
    explicit TByteField(TComponent* AOwner);
};
class TWordField : public TIntegerField {
    DOV_PERSISTENT(TWordField, TIntegerField)
public:
    explicit TWordField(TComponent* AOwner);
};
class TAutoIncField : public TIntegerField {
    DOV_PERSISTENT(TAutoIncField, TIntegerField)
public:
    explicit TAutoIncField(TComponent* AOwner);
};
class TLongWordField : public TIntegerField {
    DOV_PERSISTENT(TLongWordField, TIntegerField)
public:
    explicit TLongWordField(TComponent* AOwner);
};

class TLargeintField : public TIntegerField {
    DOV_PERSISTENT(TLargeintField, TIntegerField)
public:
    explicit TLargeintField(TComponent* AOwner);
    int64_t LargeMinValue() const { return FLargeMin; }
    void SetLargeMinValue(int64_t v) { FLargeMin = v; }
    int64_t LargeMaxValue() const { return FLargeMax; }
    void SetLargeMaxValue(int64_t v) { FLargeMax = v; }

protected:
    int GetDefaultWidth() const override { return 15; }
    void SetAsLargeIntImpl(int64_t v) override;

private:
    int64_t FLargeMin = 0;
    int64_t FLargeMax = 0;
};

class TFloatField : public TNumericField {
    DOV_PERSISTENT(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* AOwner);
    bool GetCurrency() const { return FCurrency; }
    void SetCurrency(bool v);
    int Precision() const { return FPrecision; }
    void SetPrecision(int v);
    double MinValue() const { return FMinValue; }
    void SetMinValue(double v) { FMinValue = v; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double v) { FMaxValue = v; }

protected:
    TFloatField(TComponent* AOwner, TFieldType Type);
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsFloatImpl(double v) override;
    void SetAsLargeIntImpl(int64_t v) override { SetAsFloatImpl(double(v)); }
    void SetAsCurrencyImpl(Currency v) override { SetAsFloatImpl(v.ToDouble()); }
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;

    bool FCurrency = false;
    int FPrecision = 15;
    double FMinValue = 0;
    double FMaxValue = 0;
};

class TCurrencyField : public TFloatField {
    DOV_PERSISTENT(TCurrencyField, TFloatField)
public:
    explicit TCurrencyField(TComponent* AOwner);
};
class TExtendedField : public TFloatField {
    DOV_PERSISTENT(TExtendedField, TFloatField)
public:
    explicit TExtendedField(TComponent* AOwner);
};
class TSingleField : public TFloatField {
    DOV_PERSISTENT(TSingleField, TFloatField)
public:
    explicit TSingleField(TComponent* AOwner);
};

// Money held as Currency (value × 10000); Size is the number of decimals.
class TBCDField : public TNumericField {
    DOV_PERSISTENT(TBCDField, TNumericField)
public:
    explicit TBCDField(TComponent* AOwner);
    bool GetCurrency() const { return FCurrency; }
    void SetCurrency(bool v);
    int Precision() const { return FPrecision; }
    void SetPrecision(int v);
    ::Currency MinValue() const { return FMinValue; }
    void SetMinValue(::Currency v) { FMinValue = v; }
    ::Currency MaxValue() const { return FMaxValue; }
    void SetMaxValue(::Currency v) { FMaxValue = v; }
    int GetSizeProp() const { return Size(); }
    void SetSizeProp(int v) { SetSize(v); }

protected:
    TBCDField(TComponent* AOwner, TFieldType Type);
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsCurrencyImpl(::Currency v) override;
    void SetAsFloatImpl(double v) override;
    void SetAsLargeIntImpl(int64_t v) override;
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;
    int GetDefaultWidth() const override { return FPrecision > 0 ? FPrecision + 1 : 10; }
    void CheckSize(int v) const override;

    bool FCurrency = false;
    int FPrecision = 0;
    ::Currency FMinValue;
    ::Currency FMaxValue;
};

class TFMTBCDField : public TBCDField {
    DOV_PERSISTENT(TFMTBCDField, TBCDField)
public:
    explicit TFMTBCDField(TComponent* AOwner);

protected:
    void CheckSize(int v) const override;   // the places a TBcd can carry (decimal(38, 38) included)
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;
};

class TBooleanField : public TField {
    DOV_PERSISTENT(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner);
    // "Yes;No": the texts for True and False.
    QString DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const QString& v);

protected:
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsVariantImpl(const Variant& v) override;
    int GetDefaultWidth() const override;

private:
    QString FDisplayValues;
    QString FTrueText = QStringLiteral("True");
    QString FFalseText = QStringLiteral("False");
};

class TDateTimeField : public TField {
    DOV_PERSISTENT(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);

protected:
    TDateTimeField(TComponent* AOwner, TFieldType Type);
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsDateTimeImpl(TDateTime v) override;
    void SetAsFloatImpl(double v) override { SetAsDateTimeImpl(v); }
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;
    int GetDefaultWidth() const override { return 18; }

    QString FDisplayFormat;
};

class TDateField : public TDateTimeField {
    DOV_PERSISTENT(TDateField, TDateTimeField)
public:
    explicit TDateField(TComponent* AOwner);
};
class TTimeField : public TDateTimeField {
    DOV_PERSISTENT(TTimeField, TDateTimeField)
public:
    explicit TTimeField(TComponent* AOwner);
};

class TSQLTimeStampField : public TField {
    DOV_PERSISTENT(TSQLTimeStampField, TField)
public:
    explicit TSQLTimeStampField(TComponent* AOwner);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);

protected:
    TSQLTimeStampField(TComponent* AOwner, TFieldType Type);
    TDateTime GetAsDateTime() const override;
    void SetAsDateTimeImpl(TDateTime v) override;
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;
    int GetDefaultWidth() const override { return 18; }

    QString FDisplayFormat;
};

class TBinaryField : public TField {
    DOV_PERSISTENT(TBinaryField, TField)
public:
    TBinaryField(TComponent* AOwner, TFieldType Type);
    int GetSizeProp() const { return Size(); }
    void SetSizeProp(int v) { SetSize(v); }

protected:
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;
    void CheckSize(int v) const override;
};
class TBytesField : public TBinaryField {
    DOV_PERSISTENT(TBytesField, TBinaryField)
public:
    explicit TBytesField(TComponent* AOwner);
};
class TVarBytesField : public TBinaryField {
    DOV_PERSISTENT(TVarBytesField, TBinaryField)
public:
    explicit TVarBytesField(TComponent* AOwner);
};

class TBlobField : public TField {
    DOV_PERSISTENT(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner);
    TBlobType BlobType() const { return DataType(); }
    void SetBlobType(TBlobType v);
    bool GraphicHeader() const { return FGraphicHeader; }
    void SetGraphicHeader(bool v) { FGraphicHeader = v; }
    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool v) { FTransliterate = v; }
    bool IsBlob() const { return true; }
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray& v);
    // Another blob's bytes, or an object that streams itself as binary data (a picture: its
    // graphic's class name, then the graphic's data; a graphic: its data alone).
    void Assign(TPersistent* Source) override;

protected:
    TBlobField(TComponent* AOwner, TFieldType Type);
    // Loads the bytes into an object that streams itself as binary data.
    void AssignTo(TPersistent* Dest) const override;
    QString GetAsString() const override;
    void SetAsStringImpl(const QString& v) override;
    void SetAsVariantImpl(const Variant& v) override;
    void GetText(QString& Text, bool DisplayText) const override;

    bool FGraphicHeader = true;
    bool FTransliterate = false;
};
class TMemoField : public TBlobField {
    DOV_PERSISTENT(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner);
};
class TWideMemoField : public TBlobField {
    DOV_PERSISTENT(TWideMemoField, TBlobField)
public:
    explicit TWideMemoField(TComponent* AOwner);
};
class TGraphicField : public TBlobField {
    DOV_PERSISTENT(TGraphicField, TBlobField)
public:
    explicit TGraphicField(TComponent* AOwner);
};

class TVariantField : public TField {
    DOV_PERSISTENT(TVariantField, TField)
public:
    explicit TVariantField(TComponent* AOwner);

protected:
    void SetAsVariantImpl(const Variant& v) override;
    void SetAsStringImpl(const QString& v) override { SetAsVariantImpl(Variant(v)); }
};

// A value the dataset aggregates over its records (the dataset computes it).
class TAggregateField : public TField {
    DOV_PERSISTENT(TAggregateField, TField)
public:
    explicit TAggregateField(TComponent* AOwner);
    QString Expression() const { return FExpression; }
    void SetExpression(const QString& v);
    bool Active() const { return FActive; }
    void SetActive(bool v);
    QString DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& v);
    TFieldType ResultType() const { return FResultType; }
    void SetResultType(TFieldType v) { FResultType = v; }

protected:
    void GetText(QString& Text, bool DisplayText) const override;

private:
    QString FExpression;
    bool FActive = false;
    QString FDisplayFormat;
    TFieldType FResultType = ftUnknown;
};

// ---------------------------------------------------------------- field lists

class TFields : public TObject {
public:
    explicit TFields(TDataSet* DataSet);
    ~TFields() override;

    int Count() const { return int(FList.size()); }
    TField* Fields(int Index) const;           // "List index out of bounds (%d)"
    TField* operator[](int Index) const { return Fields(Index); }
    TDataSet* DataSet() const { return FDataSet; }
    void Add(TField* Field);
    void Remove(TField* Field);
    void Clear();   // frees every field
    TField* FindField(const QString& FieldName) const;   // case-insensitive; nullptr when none
    TField* FieldByName(const QString& FieldName) const; // "Field '%s' not found"
    TField* FieldByNumber(int FieldNo) const;
    int IndexOf(TField* Field) const;
    void GetFieldNames(QStringList& List) const;
    void SetFieldIndex(TField* Field, int Value);
    const std::vector<TField*>& List() const { return FList; }

private:
    TDataSet* FDataSet;
    std::vector<TField*> FList;
    friend class TDataSet;
    friend class TField;
};

// Every field including sub-fields, in a flat list (the same as Fields here: no object fields).
class TFieldList : public TObject {
public:
    explicit TFieldList(TDataSet* DataSet) : FDataSet(DataSet) {}
    int Count() const;
    TField* Fields(int Index) const;
    TField* Find(const QString& Name) const;
    TField* FieldByName(const QString& Name) const;

private:
    TDataSet* FDataSet;
};

// ---------------------------------------------------------------- data source and links

class TDataSource : public TComponent {
    DOV_PERSISTENT(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool v) { FAutoEdit = v; }
    TDataSetState State() const { return FState; }
    // Puts the dataset in edit state when AutoEdit allows and it browses.
    void Edit();
    // True when this source's dataset is DataSet or depends on it through master sources.
    bool IsLinkedTo(TDataSet* DataSet) const;
    int DataLinkCount() const { return int(FDataLinks.size()); }
    TDataLink* DataLinks(int i) const { return FDataLinks[i]; }

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TDataSet* FDataSet = nullptr;
    bool FEnabled = true;
    bool FAutoEdit = true;
    TDataSetState FState = dsInactive;
    std::vector<TDataLink*> FDataLinks;

    void AddDataLink(TDataLink* Link);
    void RemoveDataLink(TDataLink* Link);
    void DataEvent(TDataEvent Event, NativeInt Info);
    void NotifyDataLinks(TDataEvent Event, NativeInt Info);
    void SetState(TDataSetState Value);
    void UpdateState();

    friend class TDataLink;
    friend class TDataSet;
};

class TDataLink : public TPersistent {
public:
    TDataLink();
    ~TDataLink() override;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    bool DataSourceFixed() const { return FDataSourceFixed; }
    void SetDataSourceFixed(bool v) { FDataSourceFixed = v; }
    TDataSet* DataSet() const;
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    // The link's window of records: BufferCount records starting at the dataset buffer FirstRecord.
    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int Value);
    int ActiveRecord() const;
    // Makes another record of the window current for reading (no events).
    void SetActiveRecord(int Value);
    int RecordCount() const;
    bool VisualControl() const { return FVisualControl; }
    void SetVisualControl(bool v) { FVisualControl = v; }
    bool Bof() const;
    bool Eof() const;

    bool Edit();
    void UpdateRecord();
    bool ExecuteAction(TObject*) { return false; }
    int MoveBy(int Distance);

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataEvent(TDataEvent Event, NativeInt Info);
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField** Field) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) {}
    virtual void UpdateData() {}
    virtual void DisabledStateChanged(bool Disabled) {}
    // The dataset that depends on the source through this link (a detail), for the circularity test.
    virtual TDataSet* GetDetailDataSet() const { return nullptr; }
    int FirstRecord() const { return FFirstRecord; }

private:
    TDataSource* FDataSource = nullptr;
    int FFirstRecord = 0;
    int FBufferCount = 1;
    bool FActive = false;
    bool FEditing = false;
    bool FReadOnly = false;
    bool FUpdating = false;
    bool FVisualControl = false;
    bool FDataSourceFixed = false;

    void SetActive(bool Value);
    void SetEditing(bool Value);
    void UpdateRange();
    void UpdateState();

    friend class TDataSource;
    friend class TDataSet;
};

// A link that follows one field of the source's dataset (data-aware controls).
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    TField* Field() const { return FField; }
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* v) { FControl = v; }
    bool CanModify() const;
    bool Editing() const { return FEditing; }
    bool Edit();
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    void Reset() { RecordChanged(nullptr); }

    // Asked to focus the control showing Field; the handler clears *Field when it did.
    Delegate<void(TField** Field)> OnFocusControl;
    TNotifyEvent OnDataChange;
    TNotifyEvent OnEditingChange;
    TNotifyEvent OnUpdateData;
    TNotifyEvent OnActiveChange;

protected:
    void ActiveChanged() override;
    void DataEvent(TDataEvent Event, NativeInt Info) override;
    void EditingChanged() override;
    void FocusControl(TField** Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    TField* FField = nullptr;
    QString FFieldName;
    TComponent* FControl = nullptr;
    bool FEditing = false;
    bool FModified = false;

    void SetEditing(bool Value);
    void SetField(TField* Value);
    void UpdateField();
};

// ---------------------------------------------------------------- provider support

// What a provider dataset offers a data driver beside its rows: its parameters. PSGetParams
// hands a copy (nullptr without parameters) whose values are the provider's own, so none is
// marked bound; PSSetParams takes values back by name.
class IProviderSupportNG {
public:
    virtual ~IProviderSupportNG() = default;
    virtual TParams* PSGetParams() = 0;
    virtual void PSSetParams(TParams* AParams) = 0;
};

// ---------------------------------------------------------------- the dataset

class TDataSet : public TComponent {
    DOV_PERSISTENT(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner);
    ~TDataSet() override;

    // ---- opening and closing ----
    bool Active() const { return FState != dsInactive && FState != dsOpening; }
    void SetActive(bool Value);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    virtual void Refresh();
    TDataSetState State() const { return FState; }
    bool DefaultFields() const { return FDefaultFields; }
    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool v) { FAutoCalcFields = v; }
    virtual bool IsSequenced() { return true; }
    virtual bool CanModify() const { return true; }
    bool Modified() const { return FModified; }
    void CheckActive() const;      // "Cannot perform this operation on a closed dataset"
    void CheckInactive() const;    // "Cannot perform this operation on an open dataset"
    void CheckBrowseMode();

    // ---- navigation ----
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int Distance);      // the distance actually moved
    bool Bof() const { return FBOF; }
    bool Eof() const { return FEOF; }
    bool IsEmpty() const;
    virtual int RecNo() const { return -1; }
    virtual void SetRecNo(int Value) {}
    virtual int RecordCount() const { return -1; }
    virtual void Resync(TResyncMode Mode);
    void CursorPosChanged() { FCurrentRecord = -1; }
    void UpdateCursorPos();

    // ---- bookmarks ----
    TBookmark Bookmark() const { return const_cast<TDataSet*>(this)->GetBookmark(); }
    // The active record's bookmark; empty when there is none.
    virtual TBookmark GetBookmark();
    void SetBookmark(const TBookmark& Value) { GotoBookmark(Value); }
    void GotoBookmark(const TBookmark& Bookmark);
    virtual bool BookmarkValid(const TBookmark& Bookmark) { return false; }
    // Empty before anything else; otherwise the descendant's order (bytes compared here).
    virtual int CompareBookmarks(const TBookmark& Bookmark1, const TBookmark& Bookmark2);
    bool BookmarkAvailable() const;
    // Bytes in this dataset's bookmarks (0 when the descendant does not say).
    int BookmarkSize() const { return FBookmarkSize; }

    // ---- editing ----
    void Append();
    void Insert();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void AppendRecord(const std::vector<Variant>& Values);
    void InsertRecord(const std::vector<Variant>& Values);
    void SetFields(const std::vector<Variant>& Values);
    void UpdateRecord();   // lets the links write pending edits (deUpdateRecord)
    void ClearFields();
    virtual void CheckRequiredFields();

    // ---- fields ----
    TFields* Fields() const { return FFields; }
    TFieldList* FieldList() const { return FFieldList; }
    int FieldCount() const { return FFields->Count(); }
    TFieldDefs* FieldDefs() const { return FFieldDefs; }
    void SetFieldDefs(TFieldDefs* v);
    TFieldDefs* FieldDefList() const { return FFieldDefs; }
    TField* FindField(const QString& FieldName) const { return FFields->FindField(FieldName); }
    TField* FieldByName(const QString& FieldName) const;
    TField* FieldByNumber(int FieldNo) const { return FFields->FieldByNumber(FieldNo); }
    void GetFieldNames(QStringList& List) const { FFields->GetFieldNames(List); }
    // "A;B": the fields in order; a missing name raises "Field '%s' not found".
    void GetFieldList(std::vector<TField*>& List, const QString& FieldNames) const;
    Variant FieldValues(const QString& FieldName) const;
    void SetFieldValues(const QString& FieldName, const Variant& Value);
    virtual void CreateFields();   // one field per field definition (the default fields)
    void DestroyFields();
    virtual const TClassInfo* GetFieldClass(TFieldType FieldType) const;
    int CalcFieldsCount() const { return FCalcFieldsCount; }

    // ---- search ----
    virtual bool Locate(const QString& KeyFields, const Variant& KeyValues, TLocateOptions Options);
    virtual Variant Lookup(const QString& KeyFields, const Variant& KeyValues, const QString& ResultFields);

    // ---- filters ----
    QString Filter() const { return FFilterText; }
    void SetFilter(const QString& v) { SetFilterText(v); }
    virtual void SetFilterText(const QString& Value) { FFilterText = Value; }
    bool Filtered() const { return FFiltered; }
    virtual void SetFiltered(bool Value) { FFiltered = Value; }
    TFilterOptions FilterOptions() const { return FFilterOptions; }
    virtual void SetFilterOptions(TFilterOptions Value) { FFilterOptions = Value; }
    virtual void SetOnFilterRecord(const TFilterRecordEvent& Value);
    const TFilterRecordEvent& OnFilterRecord() const { return FOnFilterRecord; }

    // ---- links ----
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    // True from DisableControls to the matching EnableControls: a job may be filling the
    // dataset from another thread then, so the UI thread does not read its rows (grids paint
    // what they showed before). Any thread may ask.
    bool DataRefilling() const { return FRefilling.load(std::memory_order_acquire); }
    virtual TDataSource* GetDataSource() const { return nullptr; }
    // Every event passes here: the dataset's own reaction, then delivery to the sources
    // (held while controls are disabled).
    virtual void DataEvent(TDataEvent Event, NativeInt Info);
    bool IsLinkedTo(TDataSource* DataSource) const;
    int DataSourceCount() const { return int(FDataSources.size()); }

    // ---- record buffers ----
    int BufferCount() const { return FBufferCount; }
    int ActiveRecord() const { return FActiveRecord; }
    TRecordBuffer ActiveBuffer() const
    {
        return FActiveRecord >= 0 && FActiveRecord < int(FBuffers.size()) ? FBuffers[FActiveRecord] : 0;
    }
    TRecordBuffer CalcBuffer() const { return FCalcBuffer; }
    TRecordBuffer TempBuffer() const { return FTempBuffer; }
    TRecordBuffer Buffers(int Index) const { return FBuffers[Index]; }
    int BufferedRecordCount() const { return FRecordCount; }
    // Field values, variant first. False when the field is null (or there is no record).
    // The base keeps calculated and lookup values; descendants handle data fields.
    virtual bool GetFieldData(TField* Field, Variant& Value);
    virtual void SetFieldData(TField* Field, const Variant& Value);
    virtual Variant GetStateFieldValue(TDataSetState State, TField* Field);
    virtual void SetStateFieldValue(TDataSetState State, TField* Field, const Variant& Value);
    virtual TUpdateStatus UpdateStatus() const { return usUnmodified; }
    // A stream over a blob field's value; nullptr when the dataset offers none.
    virtual TStream* CreateBlobStream(TField* Field, TBlobStreamMode Mode) { return nullptr; }
    // Bytes of a record buffer; 0 when buffers are objects rather than byte blocks.
    virtual int GetRecordSize() const { return 0; }
    virtual bool GetCurrentRecord(TRecordBuffer Buffer) { return false; }

    // ---- events ----
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TDataSetErrorEvent OnEditError, OnPostError, OnDeleteError;

    void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
    void SetChildOrder(TComponent* Child, int Order) override;

protected:
    // ---- the record-buffer protocol for descendants ----
    virtual TRecordBuffer AllocRecordBuffer() = 0;
    virtual void FreeRecordBuffer(TRecordBuffer& Buffer) = 0;
    virtual TGetResult GetRecord(TRecordBuffer Buffer, TGetMode GetMode, bool DoCheck) = 0;
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual bool IsCursorOpen() const = 0;
    virtual void InternalFirst() = 0;
    virtual void InternalLast() = 0;
    virtual void InternalInitFieldDefs() = 0;
    virtual void InternalHandleException();
    virtual void InternalInitRecord(TRecordBuffer Buffer) = 0;
    virtual void InternalInsert() {}
    virtual void InternalEdit() {}
    virtual void InternalPost() { CheckRequiredFields(); }
    // Stores the record in Buffer as a new one (at the end with Append, else at the cursor);
    // descendants call it from their InternalPost when inserting.
    virtual void InternalAddRecord(TRecordBuffer Buffer, bool Append) {}
    virtual void InternalDelete() = 0;
    virtual void InternalCancel() {}
    virtual void InternalRefresh() {}
    virtual void InternalGotoBookmark(const TBookmark& Bookmark) = 0;
    virtual void InternalSetToRecord(TRecordBuffer Buffer) = 0;
    virtual void GetBookmarkData(TRecordBuffer Buffer, TBookmark& Data) = 0;
    virtual void SetBookmarkData(TRecordBuffer Buffer, const TBookmark& Data) = 0;
    virtual TBookmarkFlag GetBookmarkFlag(TRecordBuffer Buffer) = 0;
    virtual void SetBookmarkFlag(TRecordBuffer Buffer, TBookmarkFlag Value) = 0;
    virtual void InitRecord(TRecordBuffer Buffer);
    virtual void ClearCalcFields(TRecordBuffer Buffer);
    virtual void CalculateFields(TRecordBuffer Buffer);
    virtual void OpenCursor(bool InfoQuery);
    virtual void CloseCursor();
    virtual void DoOnNewRecord();
    virtual void InitFieldDefs();
    virtual void BindFields(bool Binding);
    virtual void SetBufferCount(int Value);
    virtual void UpdateIndexDefs() {}
    // The field or index definitions changed (Sender is the collection).
    virtual void DefChanged(TObject* Sender) {}
    virtual void Loaded() override;
    virtual void SetDataSetField() {}
    virtual void DoBeforeScroll() { if (BeforeScroll) BeforeScroll(this); }
    virtual void DoAfterScroll() { if (AfterScroll) AfterScroll(this); }

    // Helpers for descendants.
    void GetCalcFields(TRecordBuffer Buffer);
    TDataSetState SetTempState(TDataSetState Value);
    void RestoreState(TDataSetState Value);
    void SetState(TDataSetState Value);
    void SetModified(bool Value) { FModified = Value; }
    void ClearBuffers();
    void CheckCanModify();
    void CheckFieldWrite(TField* Field);   // state and read-only checks of a field write
    // The buffer that fields of this state read and write; False when none.
    bool GetActiveRecBuf(TRecordBuffer& Buffer) const;
    // OnFilterRecord for the record in TempBuffer (filter state for the duration).
    bool DoFilterRecord();
    void SetCalcBuffer(TRecordBuffer Buffer) { FCalcBuffer = Buffer; }
    void UpdateBufferCount();
    bool InternalOpenComplete() const { return FInternalOpenComplete; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

    bool FBOF = true;
    bool FEOF = true;
    int FBookmarkSize = 0;
    int FRecordCount = 0;
    int FActiveRecord = 0;
    int FCurrentRecord = -1;
    int FBufferCount = 0;
    std::vector<TRecordBuffer> FBuffers;   // FBufferCount + 1: the last is the spare

private:
    TDataSetState FState = dsInactive;
    TDataSetState FDisableState = dsInactive;
    TDataEvent FEnableEvent = deDataSetChange;
    int FDisableCount = 0;
    std::atomic<bool> FRefilling{false};
    bool FModified = false;
    bool FDefaultFields = false;
    bool FAutoCalcFields = true;
    bool FInternalOpenComplete = false;
    bool FStreamedActive = false;
    bool FFiltered = false;
    QString FFilterText;
    TFilterOptions FFilterOptions;
    TFilterRecordEvent FOnFilterRecord;
    int FCalcFieldsCount = 0;
    TRecordBuffer FCalcBuffer = 0;
    TRecordBuffer FTempBuffer = 0;
    TFields* FFields;
    TFieldList* FFieldList;
    TFieldDefs* FFieldDefs;
    std::vector<TDataSource*> FDataSources;
    std::unordered_map<TRecordBuffer, std::vector<Variant>> FCalcValues;

    bool GetNextRecord();
    bool GetPriorRecord();
    int GetNextRecords();
    int GetPriorRecords();
    void SetCurrentRecord(int Index);
    void ActivateBuffers();
    void MoveBuffer(int CurIndex, int NewIndex);
    void DoInternalOpen();
    void DoInsertAppend(bool Append);
    void CheckOperation(void (TDataSet::*Operation)(), const TDataSetErrorEvent& ErrorEvent);
    void DoBeforeOpen() { if (BeforeOpen) BeforeOpen(this); }
    void CalcFieldsChanged();
    bool RecordMatches(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options);
    bool FindRecord(const std::vector<TField*>& Fields, const Variant& KeyValues, TLocateOptions Options);
    // Reads every record into the temporary buffer (filter state) until Visit answers false.
    void ScanRecords(const std::function<bool()>& Visit);
    std::vector<Variant>& CalcSlots(TRecordBuffer Buffer);
    void FreeAllBuffers();

    friend class TField;
    friend class TFields;
    friend class TDataSource;
    friend class TDataLink;
    friend class TFieldDefs;
    friend class TIndexDefs;
};

// Messages of the framework (texts used by the descendants as well).
namespace DBMsg {
inline constexpr const char* DataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* DataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* DataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* DataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* NotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* FieldNotFound = "Field '%s' not found";
inline constexpr const char* FieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* FieldRequired = "Field '%s' must have a value";
inline constexpr const char* RecordNotFound = "Record not found";
inline constexpr const char* NoDataFound = "No data found";
inline constexpr const char* CircularDataLink = "Circular datalinks are not allowed";
inline constexpr const char* InvalidFieldSize = "Invalid field size";
inline constexpr const char* ParameterNotFound = "Parameter '%s' not found";
inline constexpr const char* FieldRangeError = "%s is not a valid value for field '%s'. The allowed range is %s to %s";
inline constexpr const char* NotABoolean = "'%s' is not a valid boolean value for field '%s'";
inline constexpr const char* FieldAccessError = "Cannot access field '%s' as type %s";
inline constexpr const char* FieldTypeMismatch = "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char* DuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* FieldNameMissing = "Field name missing";
inline constexpr const char* NoDataSet = "Field '%s' has no dataset";
inline constexpr const char* IndexNotFound = "Index '%s' not found";
inline constexpr const char* NoFieldIndexes = "No index for fields '%s'";
}  // namespace DBMsg
