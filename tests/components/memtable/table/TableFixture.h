// A table over a small store: Code (integer), Name (text), Amount (money), and a receiver that
// writes down the row notices it gets.
#pragma once

#include "components/memtable/MemTableEh.h"
#include "support/ErrorCapture.h"

#include <gtest/gtest.h>

#include <ostream>
#include <tuple>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using Notice = std::tuple<int, TMTViewEventTypeEh, int>;

class TNoticeReceiver : public TComponent, public IMTEventReceiverEh {
public:
    explicit TNoticeReceiver(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    void MTEventReceived(int RowNum, TMTViewEventTypeEh Event, int OldRowNum) override
    {
        Got.emplace_back(RowNum, Event, OldRowNum);
        Threads.push_back(std::this_thread::get_id());
    }
    std::vector<Notice> Got;
    std::vector<std::thread::id> Threads;
};

struct TableFixture : ::testing::Test {
    std::unique_ptr<TComponent> ownerHolder = CreateUnique<TComponent>(nullptr);
    TComponent& owner = *ownerHolder;
    TMemTableEh* t = Create<TMemTableEh>(&owner);

    void SetUp() override
    {
        TMTDataStructEh* ds = t->RecordsStore()->DataStruct();
        auto* code = ds->CreateField<TMTNumericDataFieldEh>();
        code->SetFieldName("Code");
        auto* name = ds->CreateField<TMTStringDataFieldEh>();
        name->SetFieldName("Name");
        name->SetSize(40);
        auto* amount = ds->CreateField<TMTNumericDataFieldEh>();
        amount->SetNumericDataType(fdtCurrencyEh);
        amount->SetFieldName("Amount");
    }

    void Add(int code, const QString& name, const Variant& amount = Variant::Null())
    {
        t->AppendRecord({Variant(code), Variant(name), amount});
    }

    // Opens with rows "name1".."nameN", codes 1..N, amounts 10*code.
    void OpenWith(int n)
    {
        t->Open();
        for (int i = 1; i <= n; ++i)
            Add(i, QStringLiteral("n%1").arg(i), Variant(Currency::FromInt(10 * i)));
        t->First();
    }

    // Names of the rows in view order, read by instant reading (the cursor stays).
    QString Names()
    {
        QStringList s;
        for (int i = 0; i < t->InstantReadRowCount(); ++i) {
            TInstantReadGuardEh g(t, i);
            s << t->FieldByName("Name")->AsString();
        }
        return s.join(u',');
    }

    QString Cur() { return t->FieldByName("Name")->AsString(); }

    // Codes of a table's rows in view order.
    static QString Codes(TCustomMemTableEh* m)
    {
        QStringList s;
        for (int i = 0; i < m->InstantReadRowCount(); ++i) {
            TInstantReadGuardEh g(m, i);
            s << m->FieldByName("Code")->AsString();
        }
        return s.join(u',');
    }
};
