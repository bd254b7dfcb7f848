// The column's width model: default widths from the field, limits, and what reaches the grid.
#include "ColumnsFixtures.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Streams.h"
#include "platform/winapi/WinGdi.h"

using namespace testsupport;

namespace {

int ExpectedFieldWidth(TColumnEh* Column, int DisplayWidth)
{
    TCanvas* canvas = MeasureCanvasEh(Column->Font());
    TTextMetric tm;
    GetTextMetrics(canvas->Handle(), tm);
    const int zero = canvas->TextWidth(QStringLiteral("0"));
    return DisplayWidth * (zero - tm.tmOverhang) + tm.tmOverhang + 4;
}

}  // namespace

TEST_F(ColumnsOverMemTable, DefaultWidthFollowsFieldOrGrid)
{
    TColumnEh* name = Col("Name");
    name->Field()->SetDisplayWidth(10);
    EXPECT_EQ(name->Width(), ExpectedFieldWidth(name, 10));
    EXPECT_FALSE(name->AssignedValues().Contains(cvWidth));

    TColumnEh* unbound = grid->Cols()->Add();
    unbound->SetFieldName(QStringLiteral("NoSuchField"));
    EXPECT_EQ(unbound->Width(), grid->DefaultColWidth());

    TDBGridColumnsEh loose(nullptr, TDBGridColumnEh::StaticClassInfo());
    EXPECT_EQ(static_cast<TColumnEh*>(Create<TDBGridColumnEh>(&loose))->Width(), 64);
}

struct WidthCase {
    const char* Name;
    int MinWidth, MaxWidth;   // set before the width
    int Width;
    int LaterMaxWidth;        // 0: none
    int Expected;
};

class WidthLimits : public ColumnsOverMemTable, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(WidthLimits, WidthIsKeptWithinLimits)
{
    const WidthCase& c = GetParam();
    TColumnEh* col = Col("Sum");
    col->SetMinWidth(c.MinWidth);
    col->SetMaxWidth(c.MaxWidth);
    col->SetWidth(c.Width);
    if (c.LaterMaxWidth)
        col->SetMaxWidth(c.LaterMaxWidth);
    EXPECT_EQ(col->Width(), c.Expected);
    EXPECT_EQ(col->ClampWidth(c.Width), c.LaterMaxWidth ? std::min(c.Expected, c.Width) : c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, WidthLimits,
                         ::testing::Values(WidthCase{"plain", 0, 0, 150, 0, 150},
                                           WidthCase{"above_max", 0, 100, 150, 0, 100},
                                           WidthCase{"max_lowered_later", 0, 100, 150, 50, 50},
                                           WidthCase{"below_min", 80, 0, 10, 0, 80},
                                           WidthCase{"min_wins_over_max", 120, 100, 150, 0, 120}),
                         [](const auto& info) { return std::string(info.param.Name); });

TEST_F(ColumnsOverMemTable, WidthMinusOneKeepsWidthButReportsChange)
{
    TColumnEh* col = Col("Sum");
    col->SetWidth(90);
    const int before = grid->CountingColumns()->Updates;
    col->SetWidth(-1);
    EXPECT_EQ(col->Width(), 90);
    EXPECT_EQ(grid->CountingColumns()->Updates, before + 1);
}

TEST_F(ColumnsOverMemTable, WidthIsStoredOnlyWhenOwnAndDifferentFromDefault)
{
    TColumnEh* col = Col("Code");
    EXPECT_FALSE(col->IsWidthStored());
    col->SetWidth(col->DefaultWidth());   // equal to the default: no own width
    EXPECT_FALSE(col->AssignedValues().Contains(cvWidth));
    col->SetWidth(col->DefaultWidth() + 7);
    EXPECT_TRUE(col->IsWidthStored());
}

TEST_F(ColumnsOverMemTable, ChangedWidthReachesTheGridColumn)
{
    TColumnEh* col = Col("Name");
    const int raw = grid->DataToRawColumn(col->Index());
    ASSERT_LT(raw, grid->ColCount());
    const int line = grid->Options().Contains(dgColLines) ? grid->GridLineWidth() : 0;
    col->SetWidth(133);
    EXPECT_EQ(grid->ColWidths(raw), 133 + line);
    col->SetVisible(false);
    PumpDBGrid();
    EXPECT_EQ(grid->ColWidths(raw), 0);
}

TEST_F(ColumnsOverMemTable, AssignCopiesWidthModel)
{
    TColumnEh* src = Col("Sum");
    src->SetMaxWidth(200);
    src->SetMinWidth(30);
    src->SetWidth(150);
    src->SetAutoFitColWidth(false);
    src->SetHideDuplicates(true);
    TColumnEh* dst = grid->Cols()->Add();
    dst->Assign(src);
    EXPECT_EQ(dst->Width(), 150);
    EXPECT_EQ(dst->MaxWidth(), 200);
    EXPECT_EQ(dst->MinWidth(), 30);
    EXPECT_FALSE(dst->AutoFitColWidth());
    EXPECT_TRUE(dst->HideDuplicates());
    EXPECT_EQ(dst->FieldName(), QStringLiteral("Sum"));
}

TEST_F(ColumnsOverMemTable, RowHeightGrowsForWrappedTextOnlyWhenFittingRows)
{
    table->First();
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("один два три четыре"));
    table->Post();
    TColumnEh* col = Col("Name");
    col->SetWidth(40);
    col->SetWordWrap(true);
    const int standard = col->CalcRowHeight();
    EXPECT_GT(standard, 0);

    grid->SetOptionsEh(grid->OptionsEh() | TDBGridEhOptions{dghAutoFitRowHeight});
    const int fitted = col->CalcRowHeight();
    EXPECT_GT(fitted, standard);
    col->SetWordWrap(false);
    EXPECT_EQ(col->CalcRowHeight(), standard);   // one line fits the standard height
}

TEST_F(ColumnsOverMemTable, ColumnSettingsSurviveStreaming)
{
    TColumnEh* col = Col("Sum");
    col->SetMaxWidth(300);
    col->SetWidth(123);
    col->SetAutoFitColWidth(false);
    col->SetHideDuplicates(true);
    col->Footer()->SetValueType(fvtStaticText);
    col->Footer()->SetValue(QStringLiteral("Итого"));
    col->Footers()->Add()->SetValue(QStringLiteral("second"));
    TMemoryStream stream;
    grid->Cols()->SaveToStream(&stream);
    grid->Cols()->Clear();
    stream.SetPosition(0);
    grid->Cols()->LoadFromStream(&stream);

    TColumnEh* back = Col("Sum");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->Width(), 123);
    EXPECT_EQ(back->MaxWidth(), 300);
    EXPECT_FALSE(back->AutoFitColWidth());
    EXPECT_TRUE(back->HideDuplicates());
    EXPECT_EQ(back->Footer()->Value(), QStringLiteral("Итого"));
    ASSERT_EQ(back->Footers()->Count(), 1);
    EXPECT_EQ(back->UsedFooter(0)->Value(), QStringLiteral("second"));
    EXPECT_FALSE(Col("Code")->AssignedValues().Contains(cvWidth));
}
