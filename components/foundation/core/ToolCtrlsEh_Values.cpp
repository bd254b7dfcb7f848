#include "ToolCtrlsEh_Core.h"
#include "platform/rtl/VarOrder.h"

void ToolCtrlsEhDetail::RaiseArrayRangeError(const char* message)
{
    throw Exception(QString::fromLatin1(message));
}

// The shared ordering with the options these two are defined by: the platform's relation
// across kinds, and (for equality) Empty as a value apart.
bool VarEqualsEh(const Variant& a, const Variant& b)
{
    return VarOrderEquals(a, b, {vcLocale, true, true});
}

TVariantRelationship VarCompareEh(const Variant& a, const Variant& b)
{
    return VarOrderRelation(a, b, {vcLocale, true, false});
}

void VarArrayToText(const Variant& v, QString& text)
{
    text = VarArrayToText(v);
}

QString VarArrayToText(const Variant& v)
{
    if (!v.IsArray())
        return VarToStr(v);
    QString result;
    const int high = v.ArrayHighBound();
    for (int i = v.ArrayLowBound(); i <= high; ++i) {
        const QString item = VarArrayToText(v.GetElement(i));
        if (result.isEmpty())
            result = item;
        else
            result += QStringLiteral(", ") + item;
    }
    return result;
}

void ArrayInsertRange(TVariantArrayEh& a, int startIndex, int amount)
{
    ArrayInsertRange<Variant>(a, startIndex, amount);
}

void ArrayDeleteRange(TVariantArrayEh& a, int startIndex, int amount)
{
    ArrayDeleteRange<Variant>(a, startIndex, amount);
}

int IndexOfTextInStrings(TStrings* strings, const QString& text, TLocateOptions options)
{
    const bool ignoreCase = options.Contains(loCaseInsensitive);
    const bool partial = options.Contains(loPartialKey);
    const int len = int(text.size());
    const int count = strings->Count();
    for (int i = 0; i < count; ++i) {
        const QString item = strings->Strings(i);
        if (item.size() < len || (!partial && item.size() != len))
            continue;
        const QString head = partial ? item.left(len) : item;
        const int c = ignoreCase ? AnsiCompareText(head, text) : CompareStr(head, text);
        if (c == 0)
            return i;
    }
    return -1;
}

bool FindTextOccurrences(const QString& text, const QString& searchText, std::vector<int>& positions,
                         bool ignoreCase)
{
    positions.clear();
    const QString where = ignoreCase ? AnsiUpperCase(text) : text;
    const QString what = ignoreCase ? AnsiUpperCase(searchText) : searchText;
    int pos = PosEx(what, where, 1);
    while (pos > 0) {
        positions.push_back(pos - 1);
        pos = PosEx(what, where, pos + 1);
    }
    return !positions.empty();
}

bool IsNumericFieldType(TFieldType fieldType)
{
    switch (fieldType) {
    case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftFMTBcd:
        return true;
    default:
        return false;
    }
}

bool IsRightToLeftText(const QString& text, bool defaultValue)
{
    if (text.isEmpty())
        return false;
    char32_t first = text.at(0).unicode();
    if (text.at(0).isHighSurrogate() && text.size() > 1 && text.at(1).isLowSurrogate())
        first = QChar::surrogateToUcs4(text.at(0), text.at(1));
    switch (QChar::direction(first)) {
    case QChar::DirL:
        return false;
    case QChar::DirR:
    case QChar::DirAL:
    case QChar::DirAN:
        return true;
    default:
        return defaultValue;
    }
}
