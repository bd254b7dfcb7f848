// Enumerations and small value types of the dataset framework, apart from the classes, for
// layers that only need a field type, a state or an option set.
#pragma once

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Persistent.h"

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
DOV_ENUM_INFO(TFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection, ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle)
constexpr int FieldTypeCount = int(ftSingle) + 1;
using TBlobType = TFieldType;  // ftBlob..ftWideMemo
using TFieldTypes = TSet<TFieldType>;

// "String", "Smallint", ...: the type's name without the "ft" prefix.
const char* FieldTypeName(TFieldType t);
// "ftString", ...: the identifier as written in form resources.
const char* FieldTypeIdent(TFieldType t);
bool FieldTypeFromIdent(const QString& ident, TFieldType& t);

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
DOV_ENUM_INFO(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)
using TFieldKinds = TSet<TFieldKind>;

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue,
    dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
DOV_ENUM_INFO(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue, dsCurValue, dsBlockRead, dsInternalCalc, dsOpening)
using TDataSetStates = TSet<TDataSetState>;

enum TUpdateStatus { usUnmodified, usModified, usInserted, usDeleted };
DOV_ENUM_INFO(TUpdateStatus, usUnmodified, usModified, usInserted, usDeleted)
using TUpdateStatusSet = TSet<TUpdateStatus>;
enum TUpdateKind { ukModify, ukInsert, ukDelete };
enum TDataAction { daFail, daAbort, daRetry };

enum TBookmarkFlag { bfCurrent, bfBOF, bfEOF, bfInserted };
enum TGetMode { gmCurrent, gmNext, gmPrior };
enum TGetResult { grOK, grBOF, grEOF, grError };
enum TResyncModeItem { rmExact, rmCenter };
using TResyncMode = TSet<TResyncModeItem>;

enum TLocateOption { loCaseInsensitive, loPartialKey };
DOV_ENUM_INFO(TLocateOption, loCaseInsensitive, loPartialKey)
using TLocateOptions = TSet<TLocateOption>;
enum TFilterOption { foCaseInsensitive, foNoPartialCompare };
DOV_ENUM_INFO(TFilterOption, foCaseInsensitive, foNoPartialCompare)
using TFilterOptions = TSet<TFilterOption>;

enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange,
    deUpdateRecord, deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange,
    deFocusControl, deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};

enum TFieldAttribute { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
DOV_ENUM_INFO(TFieldAttribute, faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed)
using TFieldAttributes = TSet<TFieldAttribute>;

enum TProviderFlag { pfInUpdate, pfInWhere, pfInKey, pfHidden, pfRefreshOnInsert, pfRefreshOnUpdate };
DOV_ENUM_INFO(TProviderFlag, pfInUpdate, pfInWhere, pfInKey, pfHidden, pfRefreshOnInsert, pfRefreshOnUpdate)
using TProviderFlags = TSet<TProviderFlag>;

enum TAutoRefreshFlag { arNone, arAutoInc, arDefault };
DOV_ENUM_INFO(TAutoRefreshFlag, arNone, arAutoInc, arDefault)

enum TParamType { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };
DOV_ENUM_INFO(TParamType, ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult)

enum TIndexOption { ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained };
DOV_ENUM_INFO(TIndexOption, ixPrimary, ixUnique, ixDescending, ixCaseInsensitive, ixExpression, ixNonMaintained)
using TIndexOptions = TSet<TIndexOption>;

// What the filter-expression compiler is asked to accept.
enum TParserOption { poExtSyntax, poAggregate, poDefaultExpr, poUseOrigNames, poFieldNameGiven, poFieldDepend };
using TParserOptions = TSet<TParserOption>;

// Opaque handle of a record buffer; 0 is none. A dataset decides what it stands for.
using TRecordBuffer = NativeUInt;
using TRecBuf = TRecordBuffer;

// Errors of the dataset framework; raised through DatabaseError so the text names the component.
DOV_DECLARE_EXCEPTION(EDatabaseError, Exception);
