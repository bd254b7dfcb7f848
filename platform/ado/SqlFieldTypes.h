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
