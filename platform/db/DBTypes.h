// Enumerations and small value types of the dataset framework. Kept apart from the
// classes so that layers which only need a field type or a state can include it cheaply.
#pragma once

#include "platform/rtl/System.h"

#include <initializer_list>

// A set of enumeration values (up to 64 members), the form every option set takes.
template <typename E>
class TEnumSet {
    uint64_t FBits = 0;
    static constexpr uint64_t Bit(E e) { return uint64_t(1) << unsigned(e); }

public:
    constexpr TEnumSet() = default;
    constexpr TEnumSet(E e) : FBits(Bit(e)) {}
    constexpr TEnumSet(std::initializer_list<E> list)
    {
        for (E e : list)
            FBits |= Bit(e);
    }
    static constexpr TEnumSet FromBits(uint64_t bits) { TEnumSet s; s.FBits = bits; return s; }
    constexpr uint64_t Bits() const { return FBits; }

    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr TEnumSet& Include(E e) { FBits |= Bit(e); return *this; }
    constexpr TEnumSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }
    constexpr TEnumSet& operator<<(E e) { return Include(e); }
    constexpr TEnumSet& operator>>(E e) { return Exclude(e); }
    friend constexpr TEnumSet operator+(TEnumSet a, TEnumSet b) { return FromBits(a.FBits | b.FBits); }
    friend constexpr TEnumSet operator-(TEnumSet a, TEnumSet b) { return FromBits(a.FBits & ~b.FBits); }
    friend constexpr TEnumSet operator*(TEnumSet a, TEnumSet b) { return FromBits(a.FBits & b.FBits); }
    friend constexpr bool operator==(TEnumSet a, TEnumSet b) { return a.FBits == b.FBits; }
};

// The order is part of the stored forms (field definitions, record-store streams): never reorder.
enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD,
    ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic,
    ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString,
    ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant,
    ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo,
    ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection,
    ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle
};
constexpr int FieldTypeCount = int(ftSingle) + 1;
using TBlobType = TFieldType;  // ftBlob..ftWideMemo
using TFieldTypes = TEnumSet<TFieldType>;

// "String", "Smallint", ...: the type's name without the "ft" prefix.
const char* FieldTypeName(TFieldType t);
// "ftString", ...: the identifier as written in form resources.
const char* FieldTypeIdent(TFieldType t);
bool FieldTypeFromIdent(const QString& ident, TFieldType& t);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
using TFieldKinds = TEnumSet<TFieldKind>;

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
    dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
using TDataSetStates = TEnumSet<TDataSetState>;

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
using TUpdateStatusSet = TEnumSet<TUpdateStatus>;
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TDataAction { daFail, daAbort, daRetry };

enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TEnumSet<TResyncModeItem>;

enum TLocateOption { loCaseInsensitive, loPartialKey };
using TLocateOptions = TEnumSet<TLocateOption>;
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
using TFilterOptions = TEnumSet<TFilterOption>;

enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
    deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
    deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};

enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = TEnumSet<TFieldAttribute>;

enum TProviderFlag { pfInUpdate, pfInWhere, pfInKey, pfHidden, pfRefreshOnInsert, pfRefreshOnUpdate };
using TProviderFlags = TEnumSet<TProviderFlag>;

enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained };
using TIndexOptions = TEnumSet<TIndexOption>;

// What the filter-expression compiler is asked to accept.
enum TParserOption { poExtSyntax, poAggregate, poDefaultExpr, poUseOrigNames, poFieldNameGiven, poFieldDepend };
using TParserOptions = TEnumSet<TParserOption>;

// Alignment of a field's text; shared with the visual layer, which may declare the same
// enumeration: keep the values.
#ifndef DOV_TALIGNMENT_DECLARED
#define DOV_TALIGNMENT_DECLARED
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
#endif

// Opaque handle of a record buffer; 0 is none. A dataset decides what it stands for.
using TRecordBuffer = NativeUInt;
using TRecBuf = TRecordBuffer;
