// Building a structure from the dataset framework's definitions and fields, and back.
#include "components/memtable/MemTableDataEh.h"

#include <gtest/gtest.h>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

TEST(Framework, StructureFromFieldDefsAndBack)
{
    TFieldDefs defs(nullptr);
    defs.Add("Code", ftInteger, 0, true);
    defs.Add("Name", ftString, 30);
    TFieldDef* sum = defs.Add("Sum", ftBCD, 2);
    sum->SetPrecision(18);
    defs.Add("Id", ftAutoInc);
    auto dataHolder = CreateUnique<TMemTableDataEh>(nullptr);
    TMemTableDataEh& data = *dataHolder;
    TMTDataStructEh* ds = data.DataStruct();
    ds->BuildStructFromFieldDefs(&defs);
    ASSERT_EQ(ds->Count(), 4);
    EXPECT_TRUE(ds->GetDataField(0)->GetRequired());
    EXPECT_EQ(ds->GetDataField(1)->GetSize(), 30);
    auto* n = static_cast<TMTNumericDataFieldEh*>(ds->GetDataField(2));
    EXPECT_EQ(n->NumericDataType(), fdtBCDEh);
    EXPECT_EQ(n->Precision(), 18);
    EXPECT_EQ(n->Scale(), 2);
    EXPECT_TRUE(ds->GetDataField(3)->GetAutoIncrement());
    EXPECT_EQ(data.IncFieldIndexes(), TIntArray{3});

    TFieldDefs back(nullptr);
    ds->BuildFieldDefsFromStruct(&back);
    ASSERT_EQ(back.Count(), 4);
    EXPECT_EQ(back.Items(1)->Name(), "Name");
    EXPECT_EQ(back.Items(1)->Size(), 30);
    EXPECT_EQ(back.Items(2)->DataType(), ftBCD);
    EXPECT_EQ(back.Items(2)->Precision(), 18);
    EXPECT_TRUE(back.Items(0)->Required());
}

TEST(Framework, FieldPropertiesBothWays)
{
    auto fHolder = CreateUnique<TStringField>(nullptr);
    TStringField& f = *fHolder;
    f.SetFieldName("Title");
    f.SetSize(30);
    f.SetDisplayLabel("Заголовок");
    f.SetVisible(false);
    f.SetFixedChar(true);
    f.SetAlignment(taCenter);
    auto dataHolder = CreateUnique<TMemTableDataEh>(nullptr);
    TMemTableDataEh& data = *dataHolder;
    TMTDataFieldEh* d = data.DataStruct()->BuildAndCopyDataFieldForField(&f);
    EXPECT_EQ(d->GetFieldName(), "Title");
    EXPECT_EQ(d->GetSize(), 30);
    EXPECT_EQ(d->GetDisplayLabel(), "Заголовок");
    EXPECT_FALSE(d->GetVisible());
    EXPECT_EQ(d->GetAlignment(), taCenter);
    EXPECT_TRUE(static_cast<TMTStringDataFieldEh*>(d)->FixedChar());

    auto gHolder = CreateUnique<TStringField>(nullptr);
    TStringField& g = *gHolder;
    d->AssignPropsTo(&g);
    EXPECT_EQ(g.Size(), 30);
    EXPECT_EQ(g.DisplayLabel(), "Заголовок");
    EXPECT_FALSE(g.Visible());
    EXPECT_TRUE(g.FixedChar());

    auto moneyHolder = CreateUnique<TBCDField>(nullptr);
    TBCDField& money = *moneyHolder;
    money.SetFieldName("Money");
    money.SetPrecision(18);
    money.SetSize(2);
    money.SetMaxValue(Currency::FromInt(1000));
    TMTDataFieldEh* m = data.DataStruct()->BuildAndCopyDataFieldForField(&money);
    EXPECT_EQ(static_cast<TMTNumericDataFieldEh*>(m)->MaxValue(), 1000.0);
    EXPECT_EQ(static_cast<TMTNumericDataFieldEh*>(m)->Scale(), 2);
    auto money2Holder = CreateUnique<TBCDField>(nullptr);
    TBCDField& money2 = *money2Holder;
    m->AssignPropsTo(&money2);
    EXPECT_EQ(money2.MaxValue(), Currency::FromInt(1000));
    EXPECT_EQ(money2.Precision(), 18);
}
