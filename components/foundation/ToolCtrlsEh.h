// Shared helpers of the component library. Each section below is implemented in its own
// ToolCtrlsEh_<Section>.cpp; add new sections at the end, each with its own banner.
#pragma once

#include "platform/rtl/Variants.h"
#include "platform/rtl/Classes.h"
#include "platform/db/DBTypes.h"

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
// Lists: the sort-specification parser (ToolCtrlsEh_Lists.cpp)
// ============================================================================================

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
