// Column footers: own values and their defaults, copying, change notices to the column, and
// the footer's total in the grid's sum list.
#include "support/DBGridFixtures.h"

#include <vector>

using namespace testsupport;

namespace {

// A column that counts the change notices it receives.
class TCountingColumnEh : public TDBGridColumnEh {
    DOV_PERSISTENT(TCountingColumnEh, TDBGridColumnEh)
public:
    explicit TCountingColumnEh(TCollection* Collection) : TDBGridColumnEh(Collection) {}
    void Changed(bool AllItems) override
    {
        ++Changes;
        if (AllItems)
            ++AllItemsChanges;
        TDBGridColumnEh::Changed(AllItems);
    }
    int Changes = 0;
    int AllItemsChanges = 0;
};

// A total that records what the footer asked of it.
struct TFakeSum : IFooterSumEh {
    TGroupOperation Op = goSum;
    QString Field;
    Currency Total;
    static inline int Alive = 0;
    TFakeSum() { ++Alive; }
    ~TFakeSum() override { --Alive; }
    void SetGroupOperation(TGroupOperation Value) override { Op = Value; }
    void SetFieldName(const QString& Value) override { Field = Value; }
    Currency SumValue() const override { return Total; }
};

std::vector<TFakeSum*> Made;

IFooterSumEh* MakeFakeSum(TCustomDBGridEh*, TGroupOperation Op, const QString& Field)
{
    auto* s = new TFakeSum;
    s->Op = Op;
    s->Field = Field;
    Made.push_back(s);
    return s;
}

}  // namespace

DOV_PUBLISHED(TCountingColumnEh) {}

// ============================================================================================
// Footers without a grid
// ============================================================================================

TEST(ColumnFooter, FooterOfNoColumnKeepsItsSettings)
{
    TColumnFooterEh footer;
    footer.SetValue(QStringLiteral("1 234,50"));
    footer.SetValueType(fvtStaticText);
    EXPECT_EQ(footer.Value(), QStringLiteral("1 234,50"));
    EXPECT_EQ(footer.ValueType(), fvtStaticText);
    EXPECT_EQ(footer.Color(), clWindow);
    EXPECT_EQ(footer.Alignment(), taLeftJustify);
    EXPECT_FALSE(footer.ToolTips());
    EXPECT_TRUE(footer.SumValue().IsNull());
}

TEST(ColumnFooter, EveryValueWriteReachesTheColumnAlsoWhenUnchanged)
{
    auto column = std::unique_ptr<TCountingColumnEh>(Create<TCountingColumnEh>(nullptr));
    TColumnFooterEh* footer = column->Footer();
    column->Changes = 0;
    footer->SetValue(QStringLiteral("10"));
    footer->SetValue(QStringLiteral("10"));
    EXPECT_EQ(column->Changes, 2);
    EXPECT_EQ(column->AllItemsChanges, 0);
}

TEST(ColumnFooter, FlaggedSettersNotifyOnlyOnRealChange)
{
    auto column = std::unique_ptr<TCountingColumnEh>(Create<TCountingColumnEh>(nullptr));
    TColumnFooterEh* footer = column->Footer();
    column->Changes = 0;
    footer->SetAlignment(taRightJustify);
    footer->SetAlignment(taRightJustify);
    footer->SetColor(clRed);
    footer->SetColor(clRed);
    footer->SetDisplayFormat(QStringLiteral("#,##0.00"));
    footer->SetDisplayFormat(QStringLiteral("#,##0.00"));
    EXPECT_EQ(column->Changes, 3);
    // ToolTips is a plain flag: no notice at all.
    footer->SetToolTips(true);
    EXPECT_EQ(column->Changes, 3);
    EXPECT_EQ(footer->AssignedValues(),
              (TColumnFooterEhValues{cvFooterAlignment, cvFooterColor, cvFooterToolTips}));
}

TEST(ColumnFooter, OwnFontIsFlaggedAndRestoringDefaultsTellsAllItemsOnlyThen)
{
    auto column = std::unique_ptr<TCountingColumnEh>(Create<TCountingColumnEh>(nullptr));
    TColumnFooterEh* footer = column->Footer();
    // Without a grid the default font is the column's.
    EXPECT_TRUE(footer->Font()->Equals(column->Font()));

    footer->SetAlignment(taCenter);
    column->Changes = column->AllItemsChanges = 0;
    footer->RestoreDefaults();
    EXPECT_EQ(column->Changes, 1);
    EXPECT_EQ(column->AllItemsChanges, 0);
    EXPECT_EQ(footer->Alignment(), taLeftJustify);

    footer->Font()->SetSize(17);
    EXPECT_TRUE(footer->AssignedValues().Contains(cvFooterFont));
    EXPECT_EQ(column->AllItemsChanges, 1);
    column->Changes = column->AllItemsChanges = 0;
    footer->RestoreDefaults();
    EXPECT_EQ(column->AllItemsChanges, 1);
    EXPECT_TRUE(footer->AssignedValues().Empty());
    EXPECT_TRUE(footer->Font()->Equals(column->Font()));
}

TEST(ColumnFooter, AssignCopiesFlaggedLookOnlyAndEverythingElse)
{
    struct Case {
        const char* Name;
        TColumnFooterEhValues SourceFlags;
    };
    const Case cases[] = {
        {"nothing own", {}},
        {"own alignment", {cvFooterAlignment}},
        {"own colour and font", {cvFooterColor, cvFooterFont}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TColumnFooterEh src, dst;
        if (c.SourceFlags.Contains(cvFooterAlignment))
            src.SetAlignment(taRightJustify);
        if (c.SourceFlags.Contains(cvFooterColor))
            src.SetColor(clYellow);
        if (c.SourceFlags.Contains(cvFooterFont))
            src.Font()->SetSize(21);
        src.SetEndEllipsis(true);
        src.SetValueType(fvtStaticText);
        src.SetFieldName(QStringLiteral("Sum"));
        src.SetValue(QStringLiteral("итого"));
        src.SetWordWrap(true);
        src.SetDisplayFormat(QStringLiteral("0.00"));

        dst.Assign(&src);
        EXPECT_EQ(dst.AssignedValues().Contains(cvFooterAlignment), c.SourceFlags.Contains(cvFooterAlignment));
        EXPECT_EQ(dst.AssignedValues().Contains(cvFooterColor), c.SourceFlags.Contains(cvFooterColor));
        EXPECT_EQ(dst.AssignedValues().Contains(cvFooterFont), c.SourceFlags.Contains(cvFooterFont));
        EXPECT_EQ(dst.Alignment(), src.Alignment());
        EXPECT_EQ(dst.Color(), src.Color());
        EXPECT_EQ(dst.Font()->GetSize(), src.Font()->GetSize());
        EXPECT_TRUE(dst.EndEllipsis());
        EXPECT_EQ(dst.ValueType(), fvtStaticText);
        EXPECT_EQ(dst.FieldName(), QStringLiteral("Sum"));
        EXPECT_EQ(dst.Value(), QStringLiteral("итого"));
        EXPECT_TRUE(dst.WordWrap());
        EXPECT_EQ(dst.DisplayFormat(), QStringLiteral("0.00"));
        // The source's effective tool-tip setting becomes the copy's own.
        EXPECT_TRUE(dst.AssignedValues().Contains(cvFooterToolTips));
    }
}

TEST(ColumnFooter, StreamWritesOwnValuesOnlyAndToolTipsOnlyWhenTrue)
{
    TColumnFooterEh footer;
    auto stored = [&](const char* name) { return GetPropInfo(&footer, QString::fromLatin1(name))->IsStored(&footer); };
    EXPECT_FALSE(stored("Alignment"));
    EXPECT_FALSE(stored("Color"));
    EXPECT_FALSE(stored("Font"));
    EXPECT_FALSE(stored("ToolTips"));

    footer.SetToolTips(false);
    EXPECT_TRUE(footer.AssignedValues().Contains(cvFooterToolTips));
    EXPECT_FALSE(stored("ToolTips"));
    footer.SetToolTips(true);
    EXPECT_TRUE(stored("ToolTips"));

    // An own value equal to the default is not written; the font is whenever it is own.
    footer.SetAlignment(taLeftJustify);
    EXPECT_FALSE(stored("Alignment"));
    footer.SetAlignment(taCenter);
    EXPECT_TRUE(stored("Alignment"));
    footer.Font()->SetSize(footer.Font()->GetSize());
    EXPECT_FALSE(stored("Font"));
    footer.SetFont(footer.Font());
    footer.Font()->SetSize(30);
    EXPECT_TRUE(stored("Font"));
}

TEST(ColumnFooter, FootersCollectionBelongsToTheColumnAndUsedFooterFallsBack)
{
    auto column = std::unique_ptr<TCountingColumnEh>(Create<TCountingColumnEh>(nullptr));
    TColumnFooterEh* second = column->Footers()->Add();
    EXPECT_EQ(second->Column(), column.get());
    EXPECT_EQ(column->Footer()->Column(), column.get());
    EXPECT_EQ(column->UsedFooter(0), second);
    EXPECT_EQ(column->UsedFooter(1), column->Footer());
    EXPECT_EQ(column->UsedFooter(-1), column->Footer());

    // A change of an item reaches the column directly.
    column->Changes = 0;
    second->SetValue(QStringLiteral("x"));
    EXPECT_EQ(column->Changes, 1);
}

// ============================================================================================
// Footers of a grid's column
// ============================================================================================

class GridFooterTest : public DBGridOverMemTable {
public:
    TColumnEh* column = nullptr;
    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        Made.clear();
        SetFooterSumMakerEh(&MakeFakeSum);
        grid->Columns()->Clear();
        column = grid->Columns()->Add();
        column->SetFieldName(QStringLiteral("Sum"));
    }
    void TearDown() override
    {
        DBGridOverMemTable::TearDown();
        RegisterGridFooterSumMakerEh();
    }
};

TEST_F(GridFooterTest, DefaultsComeFromTheGridAndTheField)
{
    TColumnFooterEh* footer = column->Footer();
    grid->FooterParams()->SetColor(clAqua);
    EXPECT_EQ(footer->Color(), clAqua);
    EXPECT_EQ(footer->Alignment(), table->FieldByName(QStringLiteral("Sum"))->Alignment());
    grid->FooterFont()->SetSize(15);
    EXPECT_EQ(footer->Font()->GetSize(), 15);
    EXPECT_FALSE(footer->ToolTips());
    grid->ColumnDefValues()->Footer()->SetToolTips(true);
    EXPECT_TRUE(footer->ToolTips());
}

TEST_F(GridFooterTest, SumWithoutFieldNameTotalsTheColumnFieldAndFollowsFieldNameChanges)
{
    TColumnFooterEh* footer = column->Footer();
    EXPECT_TRUE(footer->SumValue().IsNull());
    footer->SetValueType(fvtSum);
    ASSERT_EQ(Made.size(), 1u);
    EXPECT_EQ(Made[0]->Op, goSum);
    EXPECT_EQ(Made[0]->Field, QStringLiteral("Sum"));

    footer->SetFieldName(QStringLiteral("Code"));
    ASSERT_EQ(Made.size(), 1u);   // the same item, re-pointed
    EXPECT_EQ(Made[0]->Field, QStringLiteral("Code"));

    footer->SetValueType(fvtAvg);
    EXPECT_EQ(Made[0]->Op, goAvg);
    footer->SetValueType(fvtCount);
    EXPECT_EQ(Made[0]->Op, goCount);
    EXPECT_EQ(Made[0]->Field, QString());

    Made[0]->Total = Currency::FromRaw(1234500);
    const Variant v = footer->SumValue();
    EXPECT_EQ(v.VarType(), varCurrency);
    EXPECT_EQ(v.AsCurrency(), Currency::FromRaw(1234500));
}

TEST_F(GridFooterTest, StaticTextFreesTheTotalAndSwitchingBackMakesANewOne)
{
    TColumnFooterEh* footer = column->Footers()->Add();
    footer->SetValueType(fvtSum);
    ASSERT_EQ(TFakeSum::Alive, 1);
    footer->SetValueType(fvtStaticText);
    EXPECT_EQ(TFakeSum::Alive, 0);
    EXPECT_TRUE(footer->SumValue().IsNull());
    footer->SetValueType(fvtSum);
    EXPECT_EQ(TFakeSum::Alive, 1);
    EXPECT_EQ(Made.size(), 2u);
    // The total leaves with its footer.
    delete footer;
    EXPECT_EQ(TFakeSum::Alive, 0);
}

TEST_F(GridFooterTest, FooterWithoutSumListMakerHasNoTotal)
{
    SetFooterSumMakerEh(nullptr);
    column->Footer()->SetValueType(fvtSum);
    EXPECT_TRUE(column->Footer()->SumValue().IsNull());
    EXPECT_EQ(column->Footer()->DBSum(), nullptr);
}
