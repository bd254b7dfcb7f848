// The windowless part of the component library's shared helpers: values, the bookmark list,
// the sort-order parser and field display. Each section is implemented in its own
// ToolCtrlsEh_<Section>.cpp next to this header; drawing and controls are in ToolCtrlsEh.h.
#pragma once

#include "platform/rtl/Variants.h"
#include "platform/rtl/Classes.h"
#include "platform/db/DBTypes.h"
#include "platform/db/DB.h"

#include <functional>
#include <vector>

// ============================================================================================
// Values: comparison, text and array helpers for field values held as Variants
// (ToolCtrlsEh_Values.cpp)
// ============================================================================================

using TVariantArrayEh = std::vector<Variant>;

// Equality for lookups and key matching: arrays element by element, Empty equal only to
// Empty, Null equal to Null; never raises (values that cannot be compared are unequal).
bool VarEqualsEh(const Variant& a, const Variant& b);
// Ordering for sorting: Null before every value, arrays of the same bounds element by element;
// an array against a scalar, or arrays without elements, are vrNotEqual. Conversion errors
// (and arrays of different bounds) raise.
TVariantRelationship VarCompareEh(const Variant& a, const Variant& b);

// The value as text; array elements joined by ", " (leading blank elements leave no separator).
void VarArrayToText(const Variant& v, QString& text);
QString VarArrayToText(const Variant& v);

// Both raise Exception before touching the array when the range is not inside it.
// Insert grows by amount and shifts [start, end) up; the opened slots keep the shifted values
// (Unassigned past the old end), for the caller to assign.
void ArrayInsertRange(TVariantArrayEh& a, int startIndex, int amount);
void ArrayDeleteRange(TVariantArrayEh& a, int startIndex, int amount);

namespace ToolCtrlsEhDetail {
[[noreturn]] void RaiseArrayRangeError(const char* message);
}

// The same for a vector of any element type (grid axis extents and the like).
template <typename T>
void ArrayInsertRange(std::vector<T>& a, int startIndex, int amount)
{
    if (amount < 0)
        ToolCtrlsEhDetail::RaiseArrayRangeError("ArrayInsertRange: (Amount < 0)");
    if (startIndex < 0)
        ToolCtrlsEhDetail::RaiseArrayRangeError("ArrayInsertRange: (StartIndex < 0)");
    if (size_t(startIndex) > a.size())
        ToolCtrlsEhDetail::RaiseArrayRangeError("ArrayInsertRange: StartIndex > Length(Extents)");
    const size_t oldLen = a.size();
    a.resize(oldLen + size_t(amount));
    for (size_t i = oldLen; i-- > size_t(startIndex);)
        a[i + size_t(amount)] = a[i];
}

template <typename T>
void ArrayDeleteRange(std::vector<T>& a, int startIndex, int amount)
{
    if (amount < 0)
        ToolCtrlsEhDetail::RaiseArrayRangeError("ArrayDeleteRange: (Amount < 0)");
    if (startIndex < 0)
        ToolCtrlsEhDetail::RaiseArrayRangeError("ArrayDeleteRange: (StartIndex < 0)");
    if (int64_t(startIndex) + amount > int64_t(a.size()))
        ToolCtrlsEhDetail::RaiseArrayRangeError("ArrayDeleteRange: StartIndex + Amount > Length(Extents)");
    a.erase(a.begin() + startIndex, a.begin() + startIndex + amount);
}

// First item equal to text (loCaseInsensitive: Russian collation without case, else ordinal;
// loPartialKey: items starting with text), or -1.
int IndexOfTextInStrings(TStrings* strings, const QString& text, TLocateOptions options);
// Every 0-based position of searchText in text, overlapping hits included.
bool FindTextOccurrences(const QString& text, const QString& searchText, std::vector<int>& positions,
                         bool ignoreCase);

bool IsNumericFieldType(TFieldType fieldType);
// By the first character's direction: right-to-left letters and Arabic digits are True,
// left-to-right letters False, anything else (digits, blanks, marks) the default.
bool IsRightToLeftText(const QString& text, bool defaultValue);

// ============================================================================================
// Lists: the bookmark list and the sort-order parser (ToolCtrlsEh_Lists.cpp)
// ============================================================================================

class TDataSet;
class TBMListEh;
// Order of the items at two indexes of the list.
using TBMListSortCompare = std::function<int(TBMListEh* List, TDataSet* DataSet, int Index1, int Index2)>;

// Bookmarks of one dataset in the dataset's bookmark order, found by binary search. Items are
// shared with whoever handed them in; the last search is cached by the bookmark's identity.
class TBMListEh : public TObject {
public:
    TBMListEh() = default;
    ~TBMListEh() override;

    int Count() const { return int(FList.size()); }
    // Raw access without checks, re-sorting or cache upkeep beyond forgetting the last search.
    const TBookmark& GetItem(int Index) const { return FList[size_t(Index)]; }
    void SetItem(int Index, const TBookmark& Item);
    TDataSet* DataSet() const { return GetDataSet(); }

    bool CurrentRowSelected();
    virtual void SetCurrentRowSelected(bool Value);

    // True when found; Index is then its position, otherwise where it belongs.
    bool Find(const TBookmark& Item, int& Index);
    int IndexOf(const TBookmark& Item);
    // Raw edits; EListError "List index out of bounds (%d)" outside 0..Count (Count - 1).
    void InsertItem(int Index, const TBookmark& Item);
    void DeleteItem(int Index);
    void AppendItem(const TBookmark& Item) { InsertItem(Count(), Item); }

    virtual void Clear();
    void Delete();     // deletes the listed records from the dataset
    bool Refresh();    // drops bookmarks the dataset no longer knows; True when any went
    void SelectAll();
    virtual void CustomSort(TDataSet* DataSet, const TBMListSortCompare& Compare);
    // Called by the owner when its dataset opens or closes.
    void LinkActive(bool Value);
    bool IsLinkActive() const { return FLinkActive; }
    TBookmark GetCurrentBookmark();
    int CompareItems(const TBookmark& Item1, const TBookmark& Item2) const;

protected:
    virtual TDataSet* GetDataSet() const { return nullptr; }
    virtual void Invalidate() {}                        // the contents changed
    [[noreturn]] virtual void RaiseError(const QString& Msg);
    virtual void InvalidateCache();
    virtual void UpdateState() {}                       // the list may have shrunk

private:
    void QuickSort(int L, int R, TDataSet* DataSet, const TBMListSortCompare& Compare);

    TBookmark FCache;
    bool FCacheFind = false;
    int FCacheIndex = 0;
    bool FLinkActive = false;
    std::vector<TBookmark> FList;
};

// One sort key: the field and its direction.
class TOrderByItemEh : public TObject {
public:
    int FieldIndex = 0;     // index in the owner's field list
    int MTFieldIndex = 0;   // index in the in-memory data structure (the parser writes FieldIndex)
    bool Desc = false;
    bool CaseIns = false;   // set by descendants from their own options
    int ExtObjIndex = 0;    // an outside value supplier; set by descendants
};

// Sort keys in order of significance, parsed from texts like "name, [Date] DESC; sum".
// The list owns its items.
class TOrderByList : public TObjectList {
public:
    TOrderByList() : TObjectList(true) {}

    // Replaces the items; on an error raises Exception and keeps the items it had.
    void ParseOrderByStr(const QString& OrderByStr);
    // The next token from the 1-based position FromIndex, which it advances: "," or ";",
    // a bracketed name without its brackets, or a name up to a blank, "," or ";".
    // Empty at the end of the text.
    static QString GetToken(const QString& Exp, int& FromIndex);

    TOrderByItemEh* GetItem(int Index) const { return static_cast<TOrderByItemEh*>(Items(Index)); }
    void SetItem(int Index, TOrderByItemEh* Value) { SetItems(Index, Value); }
    // The index of the named field, or -1; the plain list knows no fields.
    virtual int GetFieldIndex(const QString& FieldName) { return -1; }
};

// ============================================================================================
// Fields: value display and field tests that need the dataset framework (ToolCtrlsEh_Fields.cpp)
// ============================================================================================

class TField;
using TFieldsArrEh = std::vector<TField*>;

// The display text of a value for the field's type; Empty and Null give ''. A non-empty
// format is used as the number or date format, else the field's own display settings.
// Conversion errors pass to the caller.
void FormatVariantByField(const Variant& Value, TField* Field, const QString& Format, QString& Text);
QString FormatVariantByField(const Variant& Value, TField* Field, const QString& Format = QString());
// True when every field can be modified (an empty list too).
bool FieldsCanModify(const std::vector<TField*>& Fields);
bool FieldsArrayCanModify(const TFieldsArrEh& Fields);

// Field-name lists: names separated by ";"; blanks around a name and empty names (doubled or
// trailing separators) are skipped. An unknown name raises "Field '%s' not found" before
// anything is appended or written.
class TComponent;
void AddFieldsByNames(TFieldsArrEh* List, TDataSet* DataSet, TComponent* Component, const QString& FieldNames);
TFieldsArrEh GetFieldsArrayByNames(TDataSet* DataSet, TComponent* Component, const QString& FieldNames);
// Null clears every named field; one field takes Value; several take the elements of a Variant
// array in order (an array with too few elements, or a scalar, raises before any write).
void SetFieldValuesByNames(TDataSet* DataSet, const QString& FieldNames, const Variant& Value);
// One field: its value; several: a Variant array 0..n-1 of their values. Raises for none.
Variant GetFieldsArrayValues(TDataSet* DataSet, const TFieldsArrEh& Fields);

// ============================================================================================
// Value lists: the data link with a data-event hook and the distinct texts of one field
// (ToolCtrlsEh_ValueLists.cpp)
// ============================================================================================

// Distinct display texts of one field's values.
class IMemTableDataFieldValueListEh {
public:
    virtual ~IMemTableDataFieldValueListEh() = default;
    virtual TStrings* GetValues() = 0;
    virtual void SetFilter(const QString& Filter) = 0;
};

using TDataEventEh = Delegate<void(TDataEvent Event, NativeInt Info)>;

// A data link that reports every data event after the inherited handling.
class TDataLinkEh : public TDataLink {
public:
    TDataLinkEh() = default;
    TDataEventEh OnDataEvent;

protected:
    void DataEvent(TDataEvent Event, NativeInt Info) override;
};

// The sorted distinct texts of one field, rebuilt lazily after the dataset changed. The
// rebuild sorts once over all records (no insertion per record), so a field with a million
// distinct values costs one sort.
class TDatasetFieldValueListEh : public TObject, public IMemTableDataFieldValueListEh {
public:
    TDatasetFieldValueListEh();
    ~TDatasetFieldValueListEh() override;

    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);
    TDataSet* DataSet() const;
    void SetDataSet(TDataSet* Value);
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    bool CaseSensitive() const;
    void SetCaseSensitive(bool Value);
    TStrings* Values() { return GetValues(); }
    bool DataObsoleted() const { return FDataObsoleted; }

    TStrings* GetValues() override;
    void SetFilter(const QString&) override {}

protected:
    virtual void DataSetEvent(TDataEvent Event, NativeInt Info);
    void RefreshValues();

    TStringList* FValues = nullptr;
    bool FDataObsoleted = true;
    bool FBuiltActive = false;
    QString FFieldName;
    TDataLinkEh* FDataLink = nullptr;
    TDataSource* FDataSource = nullptr;
};
