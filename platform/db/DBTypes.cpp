#include "DBTypes.h"

#include <QString>

namespace {
const char* const kTypeNames[FieldTypeCount] = {
    "Unknown", "String", "Smallint", "Integer", "Word", "Boolean", "Float", "Currency", "BCD",
    "Date", "Time", "DateTime", "Bytes", "VarBytes", "AutoInc", "Blob", "Memo", "Graphic",
    "FmtMemo", "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor", "FixedChar", "WideString",
    "Largeint", "ADT", "Array", "Reference", "DataSet", "OraBlob", "OraClob", "Variant",
    "Interface", "IDispatch", "Guid", "TimeStamp", "FMTBcd", "FixedWideChar", "WideMemo",
    "OraTimeStamp", "OraInterval", "LongWord", "Shortint", "Byte", "Extended", "Connection",
    "Params", "Stream", "TimeStampOffset", "Object", "Single"};
const char* const kTypeIdents[FieldTypeCount] = {
    "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
    "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc",
    "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
    "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference",
    "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch", "ftGuid",
    "ftTimeStamp", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo", "ftOraTimeStamp",
    "ftOraInterval", "ftLongWord", "ftShortint", "ftByte", "ftExtended", "ftConnection",
    "ftParams", "ftStream", "ftTimeStampOffset", "ftObject", "ftSingle"};
}  // namespace

const char* FieldTypeName(TFieldType t)
{
    int i = int(t);
    return i >= 0 && i < FieldTypeCount ? kTypeNames[i] : "Unknown";
}

const char* FieldTypeIdent(TFieldType t)
{
    int i = int(t);
    return i >= 0 && i < FieldTypeCount ? kTypeIdents[i] : "ftUnknown";
}

bool FieldTypeFromIdent(const QString& ident, TFieldType& t)
{
    for (int i = 0; i < FieldTypeCount; ++i)
        if (ident.compare(QLatin1String(kTypeIdents[i]), Qt::CaseInsensitive) == 0) {
            t = TFieldType(i);
            return true;
        }
    return false;
}
