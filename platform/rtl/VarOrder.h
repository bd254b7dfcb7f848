// The one ordering and equality of values, for every dataset, index, sort, locate and grouping.
#pragma once

#include "Variants.h"

// The one ordering and equality of values, for every dataset, index, sort, locate and grouping.
// Texts compare under the collation the caller names.
enum TVarCollation : uint8_t {
    vcOrdinal,        // code units, exact
    vcLocale,         // the Russian collation (AnsiCompareStr)
    vcLocaleNoCase,   // the Russian collation without case (AnsiCompareText)
};
struct TVarOrderOptions {
    TVarCollation Collation = vcLocale;
    // Off: a total order that never raises - Empty and Null first and equal, then numbers,
    // money, dates and Booleans by value, then texts, then arrays element by element (the
    // shorter first on a tie), then other kinds by type code.
    // On: the platform's relation for values of different kinds - Null first, a text against
    // a number converts and conversion errors raise, an array against a single value or an
    // array without elements is vrNotEqual, arrays of different bounds raise.
    bool ConvertKinds = false;
    // Empty is a value apart, equal only to Empty, instead of a Null (with ConvertKinds).
    bool EmptyApart = false;
};
// -1, 0, 1 under the total order.
int VarOrder(const Variant& a, const Variant& b, TVarCollation collation = vcLocale);
TVariantRelationship VarOrderRelation(const Variant& a, const Variant& b, const TVarOrderOptions& options);
// Equal under the options; never raises (values that cannot be compared are unequal).
bool VarOrderEquals(const Variant& a, const Variant& b, const TVarOrderOptions& options = {});
// Two texts under a collation: -1, 0, 1.
int CompareTextAs(const QString& a, const QString& b, TVarCollation collation);
