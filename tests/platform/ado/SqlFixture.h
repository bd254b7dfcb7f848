// Helpers for the engine tests: a temporary folder of catalogs and row rendering.
#pragma once

#include "platform/ado/SqlEngine.h"
#include "platform/ado/SqlInternal.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// An exact decimal Variant from text with a point, whatever the regional settings.
inline Variant Bcd(const char* text)
{
    sqlimpl::Dec d;
    sqlimpl::DecFromText(QString::fromLatin1(text), d);
    return Variant(sqlimpl::DecToBcd(d, d.scale));
}

inline QString ConnStr(const QString& folder, const QString& catalog, bool create = false)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Password=morvelink;Persist Security Info=True;User ID=transport;"
                          "Initial Catalog=%1;Data Source=%2%3")
        .arg(catalog, folder, create ? QStringLiteral(";Create Catalog=True") : QString());
}

// A value as the tests compare it: numbers plainly, exact decimals with their scale,
// dates as "yyyy-mm-dd hh:mm:ss.zzz" (time dropped when midnight), NULL as "NULL".
inline QString Render(const Variant& v)
{
    switch (v.VarType() & varTypeMask) {
    case varEmpty: return QStringLiteral("EMPTY");
    case varNull: return QStringLiteral("NULL");
    case varBoolean: return v.AsBoolean() ? QStringLiteral("1") : QStringLiteral("0");
    case varSmallint: case varInteger: case varShortInt: case varByte: case varWord: case varLongWord: case varInt64:
        return QString::number(v.AsInt64());
    case varDouble: case varSingle: return QString::number(v.AsDouble(), 'g', 15);
    case varCurrency: {
        sqlimpl::Dec d; d.c = v.AsCurrency().Value; d.scale = 4;
        return sqlimpl::DecToText(d);
    }
    case varFMTBcd: {
        TBcd b = v.AsBcd();
        int places = b.SignSpecialPlaces & 0x3F;
        QString digits;
        for (int k = 0; k < b.Precision; ++k) {
            uint8_t byte = b.Fraction[k / 2];
            digits += QChar(u'0' + ((k % 2 == 0) ? (byte >> 4) : (byte & 0x0F)));
        }
        if (digits.isEmpty()) digits = QStringLiteral("0");
        while (digits.size() <= places) digits.prepend(u'0');
        if (places) digits.insert(digits.size() - places, u'.');
        return ((b.SignSpecialPlaces & 0x80) ? QStringLiteral("-") : QString()) + digits;
    }
    case varDate: {
        QString s = sqlimpl::DateToCanon(v.AsDateTime());
        return s.endsWith(QLatin1String(" 00:00:00.000")) ? s.left(10) : s;
    }
    default: return v.AsString();
    }
}

inline QString RenderRow(const std::vector<Variant>& row)
{
    QStringList parts;
    for (const Variant& v : row) parts << Render(v);
    return parts.join(u'|');
}

inline QStringList RenderAll(TSqlResult& r)
{
    QStringList out;
    std::vector<Variant> row;
    while (r.Next(row)) out << RenderRow(row);
    return out;
}

inline QStringList Query(TSqlSession& s, const QString& sql, const TSqlParams& p = {})
{
    auto r = s.Open(sql, p);
    return RenderAll(*r);
}

class SqlFolder : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path() const { return dir.path(); }
    std::unique_ptr<TSqlSession> Create(const QString& catalog)
    {
        return TSqlSession::Connect(ConnStr(Path(), catalog, true));
    }
    std::unique_ptr<TSqlSession> Connect(const QString& catalog)
    {
        return TSqlSession::Connect(ConnStr(Path(), catalog));
    }
};
