#include "Fixture.h"

namespace dbtest {

std::unique_ptr<TArrayDataSet> MakePeople(TComponent* owner, bool open)
{
    auto ds = CreateUnique<TArrayDataSet>(owner);
    ds->SetName("People");
    ds->FieldDefs()->Add("Id", ftInteger);
    ds->FieldDefs()->Add("Name", ftString, 20);
    ds->FieldDefs()->Add("Amount", ftCurrency);
    ds->FieldDefs()->Add("Born", ftDate);
    ds->FieldDefs()->Add("Active", ftBoolean);
    const char* names[] = {"Ann", "Bob", "Cid", "Dan", "Eve", "Fay", "Gus", "Hal", "Ivy", "Jon"};
    for (int i = 1; i <= 10; ++i)
        ds->AddRow({Variant(i), Variant::FromString(QString::fromLatin1(names[i - 1])),
                    Variant(Currency::FromRaw(i * 105000)), Variant::FromDate(32874 + i), Variant(i % 2 == 1)});
    if (open)
        ds->Open();
    return ds;
}

QStringList WindowNames(TDataLink& link, TField* name)
{
    QStringList out;
    const int saved = link.ActiveRecord();
    for (int i = 0; i < link.RecordCount(); ++i) {
        link.SetActiveRecord(i);
        out << name->AsString();
    }
    link.SetActiveRecord(saved);
    return out;
}

}  // namespace dbtest
