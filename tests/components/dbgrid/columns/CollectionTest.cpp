// The column collection: change reactions, navigation, stored-property interceptors and the
// routines of the column unit.
#include "ColumnsFixtures.h"

#include "components/foundation/PropFilerEh.h"

using namespace testsupport;

TEST_F(ColumnsOverMemTable, FooterChangesInsideAnUpdateCauseOneLayoutChange)
{
    TColumnEh* col = Col("Sum");
    const int before = grid->Layouts;
    grid->Cols()->BeginUpdate();
    col->Footer()->SetValue(QStringLiteral("100"));
    col->Footer()->SetValueType(fvtStaticText);
    Col("Code")->Footer()->SetValue(QStringLiteral("x"));
    EXPECT_EQ(grid->Layouts, before);
    grid->Cols()->EndUpdate();
    EXPECT_EQ(grid->Layouts, before + 1);
    EXPECT_TRUE(grid->Cols()->ExistFooterValueType(fvtStaticText));
    EXPECT_FALSE(grid->Cols()->ExistFooterValueType(fvtSum));
}

class TabNavigation : public ColumnsOverMemTable {
public:
    // Five editable columns over the table's fields (Code twice).
    void SetUp() override
    {
        ColumnsOverMemTable::SetUp();
        TColumnEh* extra = grid->Cols()->Add();
        extra->SetFieldName(QStringLiteral("Code"));
        ASSERT_EQ(grid->Cols()->Count(), 5);
    }
    TColumnEh* At(int I) const { return grid->Cols()->Items(I); }
};

TEST_F(TabNavigation, TabStepsOverNonEditableColumnsAndDoesNotWrap)
{
    TDBGridColumnsEh* cols = grid->Cols();
    EXPECT_EQ(cols->GetFirstTabColumn(), At(0));
    EXPECT_EQ(cols->GetLastTabColumn(), At(4));
    EXPECT_EQ(cols->GetNextTabColumn(At(4), true), At(4));
    EXPECT_EQ(cols->GetNextTabColumn(At(0), false), At(0));

    At(1)->SetReadOnly(true);
    At(2)->SetVisible(false);
    EXPECT_EQ(cols->GetNextTabColumn(At(0), true), At(3));
    EXPECT_EQ(cols->GetNextTabColumn(At(3), false), At(0));

    At(4)->SetReadOnly(true);
    EXPECT_EQ(cols->GetLastTabColumn(), At(3));
    At(0)->SetVisible(false);
    EXPECT_EQ(cols->GetFirstTabColumn(), At(3));
}

TEST_F(TabNavigation, TrailingColumnsAreNoTabStops)
{
    grid->SetContraColCount(1);
    EXPECT_EQ(grid->Cols()->GetLastTabColumn(), At(3));
    EXPECT_EQ(grid->Cols()->GetNextTabColumn(At(3), true), At(3));
}

TEST_F(ColumnsOverMemTable, ColumnsIndexInterceptorReadsAndReordersByFieldName)
{
    RegisterColumnPropertyInterceptors();
    TStoragePropertyInterceptorClass make = StoragePropertyInterceptorFor(&TDBGridColumnsEh::StaticClassInfo());
    ASSERT_NE(make, nullptr);
    std::unique_ptr<TStoragePropertyInterceptor> icpt(make(grid->Cols()));
    EXPECT_EQ(GetStrProp(icpt.get(), QStringLiteral("ColumnsIndex")),
              QStringLiteral("\"Code\",\"Name\",\"Sum\",\"Kind\""));
    // Names match exactly; unknown ones are skipped.
    SetStrProp(icpt.get(), QStringLiteral("ColumnsIndex"), QStringLiteral("\"Kind\",\"nosuch\",\"sum\",\"Name\""));
    EXPECT_EQ(GetStrProp(icpt.get(), QStringLiteral("ColumnsIndex")),
              QStringLiteral("\"Kind\",\"Code\",\"Sum\",\"Name\""));

    make = StoragePropertyInterceptorFor(&TColumnEh::StaticClassInfo());
    ASSERT_NE(make, nullptr);
    std::unique_ptr<TStoragePropertyInterceptor> colIcpt(make(Col("Sum")));
    SetOrdProp(colIcpt.get(), QStringLiteral("Width"), 77);
    EXPECT_EQ(Col("Sum")->Width(), 77);
}

TEST(VariantToQuotedListText, PlainValuesAndArrays)
{
    EXPECT_EQ(VariantToQuotedListText(Variant(5)), QStringLiteral("5"));
    EXPECT_EQ(VariantToQuotedListText(Variant(QStringLiteral("a'b"))), QStringLiteral("a'b"));
    EXPECT_EQ(VariantToQuotedListText(VarArrayOf({Variant(1), Variant(QStringLiteral("x"))})),
              QStringLiteral("'1','x'"));
    EXPECT_EQ(VariantToQuotedListText(VarArrayOf({Variant(7)})), QStringLiteral("'7'"));
}

TEST_F(ColumnsOverMemTable, DropDownBoxFilterGoesToTheEventOrTheDefault)
{
    TColumnEh* col = Col("Name");
    std::unique_ptr<TMemTableEh> owned(MakeDBGridTable(nullptr));
    TMemTableEh* list = owned.get();
    col->DropDownBoxApplyTextFilter(list, QStringLiteral("Name"), QStringLiteral("Б"), lsftBeginsWithEh);
    EXPECT_EQ(list->Filter(), QStringLiteral("[Name] like 'Б*'"));

    QString seen;
    col->OnDropDownBoxApplyTextFilter = [&](TCustomDBGridEh* Sender, TColumnEh* Column, TDataSet* DataSet,
                                            const QString& FieldName, TLSAutoFilterTypeEh Operation,
                                            const QString& FilterText) {
        EXPECT_EQ(Sender, grid);
        EXPECT_EQ(Column, col);
        EXPECT_EQ(DataSet, list);
        seen = FieldName + u'|' + FilterText + u'|' + QString::number(int(Operation));
    };
    col->DropDownBoxApplyTextFilter(list, QStringLiteral("Name"), QStringLiteral("x"), lsftContainsEh);
    EXPECT_EQ(seen, QStringLiteral("Name|x|1"));
    EXPECT_EQ(list->Filter(), QStringLiteral("[Name] like 'Б*'"));
}

TEST_F(ColumnsOverMemTable, DropDownBoxEventsKeepTheirValueWithoutADataList)
{
    TColumnEh* col = Col("Name");
    int clicks = 0;
    col->SetOnDropDownBoxTitleBtnClick([&](TObject*, int, TColumnEh*) { ++clicks; });
    ASSERT_TRUE(col->OnDropDownBoxTitleBtnClick());
    col->OnDropDownBoxTitleBtnClick()(nullptr, 0, col);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(col->OnDropDownBoxSortMarkingChanged());
}
