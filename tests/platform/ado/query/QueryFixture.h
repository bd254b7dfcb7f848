// A connection on a fresh folder of catalogs and queries made on it.
#pragma once

#include "platform/ado/ADODB.h"
#include "platform/ado/SqlFixture.h"

#include <memory>

class QueryTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TADOConnection* conn = nullptr;

    void SetUp() override
    {
        conn = Create<TADOConnection>(&owner);
        conn->SetName(QStringLiteral("SvodMDBConnection"));
        conn->SetLoginPrompt(false);
        conn->SetConnectionString(ConnStr(dir.path(), QStringLiteral("maindatabase"), true));
        conn->Open();
    }

    // A query with the given lines (a trailing "" keeps an empty last line).
    TADOQuery* Q(const QString& name, const QStringList& lines)
    {
        auto* q = Create<TADOQuery>(&owner);
        q->SetName(name);
        q->SetConnection(conn);
        q->SQL()->AddStrings(lines);
        return q;
    }

    QStringList Rows(TDataSet* ds)
    {
        QStringList out;
        ds->First();
        while (!ds->Eof()) {
            QStringList cells;
            for (int i = 0; i < ds->FieldCount(); ++i)
                cells << (ds->Fields()->Fields(i)->IsNull() ? QStringLiteral("NULL") : ds->Fields()->Fields(i)->AsString());
            out << cells.join(u'|');
            ds->Next();
        }
        return out;
    }
};
