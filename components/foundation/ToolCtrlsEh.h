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
