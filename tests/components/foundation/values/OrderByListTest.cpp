#include "components/foundation/core/ToolCtrlsEh_Core.h"

#include <gtest/gtest.h>

namespace {

// Fields 0..3, names matched without case as the table's field lookup does.
class TestOrderByList : public TOrderByList {
public:
    int GetFieldIndex(const QString& FieldName) override
    {
        const QStringList fields{"namepredpr", "invoicefullname", "Status", "Сумма с НДС"};
        for (int i = 0; i < fields.size(); ++i)
            if (AnsiUpperCase(fields[i]) == AnsiUpperCase(FieldName))
                return i;
        return -1;
    }
};

struct Key { int field; bool desc; };

std::vector<Key> Keys(const TOrderByList& list)
{
    std::vector<Key> keys;
    for (int i = 0; i < list.Count(); ++i) {
        const TOrderByItemEh* item = list.GetItem(i);
        EXPECT_EQ(item->MTFieldIndex, item->FieldIndex);
        EXPECT_FALSE(item->CaseIns);
        EXPECT_EQ(item->ExtObjIndex, 0);
        keys.push_back({item->FieldIndex, item->Desc});
    }
    return keys;
}

TEST(OrderByList, GrammarCases)
{
    struct Case { QString text; std::vector<Key> keys; };
    const Case cases[] = {
        {"namepredpr,invoicefullname", {{0, false}, {1, false}}},
        {"[Status] desc", {{2, true}}},
        {"status DESC ASC", {{2, true}}},
        {"status;", {{2, false}}},
        {"  NamePredPr  ;  Status Desc , invoicefullname asc  ", {{0, false}, {2, true}, {1, false}}},
        {"[Сумма с НДС] DESC,status", {{3, true}, {2, false}}},
        {"status,status", {{2, false}, {2, false}}},
        {"[]", {}},
        {"", {}},
        {"    ", {}},
    };
    for (const auto& c : cases) {
        TestOrderByList list;
        list.ParseOrderByStr(QStringLiteral("status"));
        list.ParseOrderByStr(c.text);
        const auto keys = Keys(list);
        ASSERT_EQ(keys.size(), c.keys.size()) << c.text.toStdString();
        for (size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(keys[i].field, c.keys[i].field) << c.text.toStdString() << " #" << i;
            EXPECT_EQ(keys[i].desc, c.keys[i].desc) << c.text.toStdString() << " #" << i;
        }
    }
}

TEST(OrderByList, ErrorsNameTheTokenAndKeepTheOldKeys)
{
    struct Case { QString text; QString message; };
    const Case cases[] = {
        {"namepredpr status", " Invalid token - \"status\""},
        {"nosuch", " Field - \"nosuch\" not found."},
        {"status,,namepredpr", " Field - \",\" not found."},
        {",status", " Field - \",\" not found."},
        {"status, [no such]", " Field - \"no such\" not found."},
    };
    for (const auto& c : cases) {
        TestOrderByList list;
        list.ParseOrderByStr(QStringLiteral("invoicefullname desc"));
        QString message;
        try {
            list.ParseOrderByStr(c.text);
        } catch (const Exception& e) {
            message = e.Message();
        }
        EXPECT_EQ(message, c.message) << c.text.toStdString();
        const auto keys = Keys(list);
        ASSERT_EQ(keys.size(), 1u);
        EXPECT_EQ(keys[0].field, 1);
        EXPECT_TRUE(keys[0].desc);
    }
}

TEST(OrderByList, PlainListAcceptsOnlyNoOrder)
{
    TOrderByList list;
    list.ParseOrderByStr(QString());
    EXPECT_EQ(list.Count(), 0);
    EXPECT_THROW(list.ParseOrderByStr(QStringLiteral("a")), Exception);
}

TEST(OrderByList, Tokenizer)
{
    const QString exp = QStringLiteral(" a,[b c;d]  e;[f");
    int from = 1;
    QStringList tokens;
    for (QString t = TOrderByList::GetToken(exp, from); !t.isEmpty(); t = TOrderByList::GetToken(exp, from))
        tokens << t;
    EXPECT_EQ(tokens, (QStringList{"a", ",", "b c;d", "e", ";", "f"}));
    EXPECT_EQ(from, exp.size() + 1);
}

}  // namespace
