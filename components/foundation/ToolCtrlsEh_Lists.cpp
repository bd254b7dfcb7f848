#include "ToolCtrlsEh.h"

#include <memory>

// ---------------------------------------------------------------- TOrderByList

namespace {

bool IsTokenEnd(QChar c)
{
    return c == u' ' || c == u',' || c == u';' || c == QChar(0);
}

}  // namespace

QString TOrderByList::GetToken(const QString& Exp, int& FromIndex)
{
    const int len = int(Exp.size());
    while (FromIndex <= len && Exp.at(FromIndex - 1) == u' ')
        ++FromIndex;
    if (FromIndex > len)
        return QString();
    const QChar c = Exp.at(FromIndex - 1);
    if (c == u',' || c == u';') {
        ++FromIndex;
        return QString(c);
    }
    if (c == u'[') {
        ++FromIndex;
        const int start = FromIndex;
        while (FromIndex <= len && Exp.at(FromIndex - 1) != u']' && Exp.at(FromIndex - 1) != QChar(0))
            ++FromIndex;
        const QString token = Exp.mid(start - 1, FromIndex - start);
        if (FromIndex <= len && Exp.at(FromIndex - 1) == u']')
            ++FromIndex;
        return token;
    }
    const int start = FromIndex;
    while (FromIndex <= len && !IsTokenEnd(Exp.at(FromIndex - 1)))
        ++FromIndex;
    return Exp.mid(start - 1, FromIndex - start);
}

void TOrderByList::ParseOrderByStr(const QString& OrderByStr)
{
    std::vector<std::unique_ptr<TOrderByItemEh>> parsed;
    auto fieldOf = [this](const QString& token) {
        const int field = GetFieldIndex(token);
        if (field == -1)
            throw Exception(QStringLiteral(" Field - \"") + token + QStringLiteral("\" not found."));
        return field;
    };

    int from = 1;
    QString token = GetToken(OrderByStr, from);
    if (!token.isEmpty()) {
        int field = fieldOf(token);
        bool desc = false;
        for (;;) {
            token = GetToken(OrderByStr, from);
            const QString upper = AnsiUpperCase(token);
            if (upper == QLatin1String("ASC"))
                continue;
            if (upper == QLatin1String("DESC")) {
                desc = true;
                continue;
            }
            if (token != QLatin1String(";") && token != QLatin1String(",") && !token.isEmpty())
                throw Exception(QStringLiteral(" Invalid token - \"") + token + u'"');
            auto item = std::make_unique<TOrderByItemEh>();
            item->FieldIndex = field;
            item->MTFieldIndex = field;
            item->Desc = desc;
            parsed.push_back(std::move(item));
            token = GetToken(OrderByStr, from);
            if (token.isEmpty())
                break;
            field = fieldOf(token);
            desc = false;
        }
    }

    Clear();
    for (auto& item : parsed)
        Add(item.release());
}
