// The grid print component's settings, its stored form, the header and footer macros and the
// page arithmetic.
#include "components/output/PrnDbgeh.h"
#include "platform/rtl/Filer.h"
#include "support/DBGridFixtures.h"

using namespace testsupport;
using namespace prnlayout;

namespace {

std::unique_ptr<TPrintDBGridEh> NewPrint() { return CreateUnique<TPrintDBGridEh>(nullptr); }

TEST(PrintSettings, OnlyMarginsOtherThanTwoAreStored)
{
    auto p = NewPrint();
    p->SetName(QStringLiteral("Prn"));
    EXPECT_FALSE(ComponentToText(p.get()).contains(QStringLiteral("Margin")));
    p->Page()->SetLeftMargin(Currency::FromDouble(2.5));
    const QString text = ComponentToText(p.get());
    EXPECT_TRUE(text.contains(QStringLiteral("Page.LeftMargin = 2.5")));
    EXPECT_FALSE(text.contains(QStringLiteral("TopMargin")));
    EXPECT_FALSE(text.contains(QStringLiteral("Title")));

    auto back = NewPrint();
    ReadComponentRes(text.toUtf8(), back.get());
    EXPECT_EQ(back->Page()->LeftMargin(), Currency::FromDouble(2.5));
    EXPECT_EQ(back->Page()->TopMargin(), Currency::FromInt(2));
}

TEST(PrintSettings, SwitchingUnitsConvertsMarginsButNotWhileLoading)
{
    auto p = NewPrint();
    p->SetUnits(Inches);
    EXPECT_EQ(p->Page()->TopMargin(), Currency::FromDouble(0.7874));
    p->SetUnits(MM);
    EXPECT_EQ(p->Page()->TopMargin(), Currency::FromDouble(0.7874 * 2.54));

    auto loaded = NewPrint();
    ReadComponentRes(QByteArrayLiteral("object Prn: TPrintDBGridEh\n"
                                       "  Page.TopMargin = 1\n"
                                       "  Units = Inches\n"
                                       "end\n"),
                     loaded.get());
    EXPECT_EQ(loaded->Units(), Inches);
    EXPECT_EQ(loaded->Page()->TopMargin(), Currency::FromInt(1));
    EXPECT_EQ(loaded->Page()->LeftMargin(), Currency::FromInt(2));
}

TEST(PrintSettings, HeaderTextsFontAndLineAreCopiedNotShared)
{
    TPageColontitle a;
    a.LeftText()->Add(QStringLiteral("Лист &[Page]"));
    a.Font()->SetName(QStringLiteral("Tahoma"));
    a.SetLineType(pcltDoubleLine);
    auto p = NewPrint();
    p->SetPageHeader(&a);
    a.LeftText()->Clear();
    EXPECT_EQ(p->PageHeader()->LeftText()->Strings(0), QStringLiteral("Лист &[Page]"));
    EXPECT_EQ(p->PageHeader()->Font()->GetName(), QStringLiteral("Tahoma"));
    EXPECT_EQ(p->PageHeader()->LineType(), pcltDoubleLine);
}

class PrintGridBinding : public DBGridOverMemTable {};

TEST_F(PrintGridBinding, FreeingTheGridEmptiesTheProperty)
{
    auto p = NewPrint();
    p->SetDBGridEh(grid);
    EXPECT_EQ(p->DBGridEh(), grid);
    delete grid;
    grid = nullptr;
    EXPECT_EQ(p->DBGridEh(), nullptr);
}

TEST(PrintMacros, EachMacroWhateverItsCase)
{
    TPrintMacrosEh m;
    m.Page = 3;
    m.Pages = 12;
    m.When = EncodeDate(2026, 3, 5) + EncodeTime(14, 7, 9, 0);
    struct Case {
        const char* In;
        const char* Out;
    } cases[] = {
        {"Лист &[Page] из &[Pages]", "Лист 3 из 12"},
        {"&[PAGES]/&[page]", "12/3"},
        {"&[ShortDate]", "05.03.2026"},
        {"&[Date]", "05.03.2026"},
        {"&[Time]", "14:07:09"},
        {"&&[Page] stays", "&&[Page] stays"},
        {"&[Pag]", "&[Pag]"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(m.Apply(QString::fromUtf8(c.In)), QString::fromUtf8(c.Out)) << c.In;
    EXPECT_TRUE(m.Apply(QStringLiteral("&[LongDate]")).startsWith(QStringLiteral("5 ")));
    EXPECT_TRUE(TPrintMacrosEh::UsesPages(QStringLiteral("из &[pages]")));
    EXPECT_FALSE(TPrintMacrosEh::UsesPages(QStringLiteral("&[Page]")));
}

TEST(PrintSubstitutes, AValueHoldingItsOwnNameEnds)
{
    auto p = NewPrint();
    p->SetSubstitutes({QStringLiteral("%Org%"), QStringLiteral("ООО %org% и филиалы"), QStringLiteral("%Y%"),
                       QStringLiteral("2026")});
    EXPECT_EQ(p->Substituted(QStringLiteral("Отчёт %ORG% за %y%, %Org%")),
              QStringLiteral("Отчёт ООО %org% и филиалы за 2026, ООО %org% и филиалы"));
    p->SetSubstitutes({QStringLiteral("%Y%"), QStringLiteral("2027")});
    EXPECT_EQ(p->Substituted(QStringLiteral("%Org% %Y%")), QStringLiteral("%Org% 2027"));
    EXPECT_THROW(p->SetSubstitutes({QStringLiteral("odd")}), EPrintLayoutEh);
}

TEST(PrintPage, MarginsAtThePrinterResolutionLessTheUnprintableOffset)
{
    TPageParams page;
    page.SetLeftMargin(Currency::FromInt(1));
    page.SetTopMargin(Currency::FromInt(1));
    page.SetRightMargin(Currency::FromInt(1));
    page.SetBottomMargin(Currency::FromInt(1));
    // A4 at 600 dpi with 100 unprintable pixels on each side.
    const TPageRect r = PageRect(&page, MM, 600, 600, 4760, 6816, 4960, 7016);
    EXPECT_EQ(r.Left, 236 - 100);
    EXPECT_EQ(r.Top, 236 - 100);
    EXPECT_EQ(r.Right, 4760 + 100 - 236);
    EXPECT_EQ(r.Bottom, 6816 + 100 - 236);
    const TPageRect inches = PageRect(&page, Inches, 300, 600, 2480, 3508, 2480, 3508);
    EXPECT_EQ(inches.Left, 300);
    EXPECT_EQ(inches.Top, 600);
}

TEST(PrintPage, MarginsLargerThanThePaperAreRefused)
{
    TPageParams page;
    page.SetLeftMargin(Currency::FromInt(15));
    page.SetRightMargin(Currency::FromInt(15));
    EXPECT_THROW(PageRect(&page, MM, 600, 600, 4960, 7016, 4960, 7016), EPrintLayoutEh);
    TPageParams tall;
    tall.SetTopMargin(Currency::FromInt(40));
    EXPECT_THROW(PageRect(&tall, MM, 600, 600, 4960, 7016, 4960, 7016), EPrintLayoutEh);
}

TEST(PrintPage, PrinterResolutionIsScaledEvenBelowTheScreens)
{
    EXPECT_DOUBLE_EQ(Scale(600, 96), 6.25);
    EXPECT_DOUBLE_EQ(Scale(72, 96), 0.75);
    EXPECT_EQ(LineWidth(600, 600), 6);
    EXPECT_EQ(LineWidth(72, 72), 1);
}

TEST(PrintPage, ColumnsSplitIntoBandsAtColumnBoundaries)
{
    struct Case {
        std::vector<int> Widths;
        std::vector<int> Ends;
    } cases[] = {
        {{100, 100, 100}, {2}},
        {{400, 400, 400}, {1, 2}},
        {{2000, 100}, {0, 1}},      // a column wider than the page stands alone
        {{100, 2000, 100}, {0, 1, 2}},
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Bands(c.Widths, 0, 1000, 6), c.Ends);
}

TEST(PrintPage, FittingByWidthsShrinksProportionallyAndTheLastColumnTakesTheRest)
{
    std::vector<int> w{300, 300, 401};
    FitWidths(w, 500);
    EXPECT_EQ(w, (std::vector<int>{149, 149, 200}));
    std::vector<int> narrow{100, 100};
    FitWidths(narrow, 500);
    EXPECT_EQ(narrow, (std::vector<int>{100, 100}));
}

TEST(PrintPage, ABlockTakesRowsWhileTheyFitAndAlwaysItsFirst)
{
    const std::vector<int> h{50, 50, 50, 500, 50};
    EXPECT_EQ(BlockRows(h, 0, 160), 3);
    EXPECT_EQ(BlockRows(h, 3, 160), 1);   // taller than the page: alone, cut to it
    EXPECT_EQ(BlockRows(h, 4, 160), 1);
    EXPECT_EQ(BlockRows(h, 5, 160), 0);
}

TEST(PrintPage, HeaderHeightGrowsWithItsRule)
{
    EXPECT_EQ(ColontitleHeight(0, pcltNon, 600), 0);
    EXPECT_EQ(ColontitleHeight(40, pcltNon, 600), 70);
    EXPECT_EQ(ColontitleHeight(40, pcltSingleLine, 600), 100);
    EXPECT_EQ(ColontitleHeight(40, pcltDoubleLine, 600), 120);
}

}  // namespace
