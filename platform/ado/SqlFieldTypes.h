// The dataset field type a query component makes of an engine column, as the server's
// types come through the data access layer.
#pragma once

#include "SqlEngine.h"
#include "platform/db/DBTypes.h"

inline TFieldType SqlFieldType(const TSqlColumn& c)
{
    switch (c.Type) {
    case TSqlDataType::Bit: return ftBoolean;
    case TSqlDataType::TinyInt: return ftWord;
    case TSqlDataType::SmallInt: return ftSmallint;
    case TSqlDataType::Int: return c.AutoIncrement ? ftAutoInc : ftInteger;
    case TSqlDataType::BigInt: return ftLargeint;
    case TSqlDataType::Decimal: return (c.Precision <= 18 && c.Scale <= 4) ? ftBCD : ftFMTBcd;
    case TSqlDataType::Money: return ftCurrency;
    case TSqlDataType::Float: return ftFloat;
    case TSqlDataType::Char: return ftFixedChar;
    case TSqlDataType::VarChar: return (c.Size <= 0 || c.Size > 8000) ? ftMemo : ftString;
    case TSqlDataType::NChar: return ftFixedWideChar;
    case TSqlDataType::NVarChar: return (c.Size <= 0 || c.Size > 4000) ? ftWideMemo : ftWideString;
    case TSqlDataType::DateTime: case TSqlDataType::SmallDateTime: return ftDateTime;
    case TSqlDataType::Date: return ftDate;
    case TSqlDataType::Binary: return (c.Size <= 0 || c.Size > 8000) ? ftBlob : ftVarBytes;
    default: return ftVariant;
    }
}

// The parameter type hint for a query parameter of a field type (Unknown: pass as it comes).
inline TSqlDataType SqlParamType(TFieldType t)
{
    switch (t) {
    case ftBoolean: return TSqlDataType::Bit;
    case ftByte: case ftWord: return TSqlDataType::Int;
    case ftShortint: case ftSmallint: return TSqlDataType::SmallInt;
    case ftInteger: case ftAutoInc: return TSqlDataType::Int;
    case ftLargeint: case ftLongWord: return TSqlDataType::BigInt;
    case ftBCD: case ftFMTBcd: return TSqlDataType::Decimal;
    case ftCurrency: return TSqlDataType::Money;
    case ftFloat: case ftSingle: case ftExtended: return TSqlDataType::Float;
    case ftString: case ftFixedChar: case ftMemo: return TSqlDataType::VarChar;
    case ftWideString: case ftFixedWideChar: case ftWideMemo: return TSqlDataType::NVarChar;
    case ftDate: case ftDateTime: case ftTimeStamp: return TSqlDataType::DateTime;
    default: return TSqlDataType::Unknown;
    }
}
