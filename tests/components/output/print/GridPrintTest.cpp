// Printing a data grid to the PDF printer and reading the file back with poppler's tools.
#include "components/output/PdfReadBack.h"
#include "components/output/PrnDbgeh.h"
#include "components/output/PrntsEh.h"
#include "platform/vcl/Metafiles.h"
#include "platform/rtl/Guards.h"
#include "support/DBGridFixtures.h"
#include "support/PageDroppingPrinter.h"

#include <QTemporaryDir>

using namespace testsupport;
using namespace pdfreadback;

namespace {

class GridPrint : public DBGridOverMemTable {
public:
    QTemporaryDir dir;
    std::unique_ptr<TPrintDBGridEh> prn = CreateUnique<TPrintDBGridEh>(nullptr);

    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        if (!HaveTools())
            GTEST_SKIP() << "pdfinfo/pdftotext are not installed";
        prn->SetDBGridEh(grid);
        grid->Columns()->Clear();
        for (const char* f : {"Code", "Name", "Sum"}) {
            TColumnEh* c = grid->Columns()->Add();
            c->SetFieldName(QString::fromLatin1(f));
        }
    }
    // Prints through the current printer, made the PDF printer meanwhile.
    QString PrintToPdf(const QString& name = QStringLiteral("grid.pdf"))
    {
        const QString file = dir.filePath(name);
        auto pdf = PdfPrinter(file);
        TPrinter* before = SetPrinter(pdf.get());
        auto restore = Finally([before] { SetPrinter(before); });
        prn->Print();
        return file;
    }
    void AddRows(int n)
    {
        for (int i = 0; i < n; ++i)
            AddDBGridRow(table, 100 + i, QStringLiteral("Строка %1").arg(100 + i), Variant(1.0), QStringLiteral("C"));
        table->First();
    }
};

TEST_F(GridPrint, TitlesCellsAndTheDocumentTitleReachThePdf)
{
    grid->Columns()->Items(1)->Title()->SetCaption(QStringLiteral("Наименование"));
    prn->Title()->Add(QStringLiteral("Сверка за март"));
    const QString file = PrintToPdf();
    ASSERT_EQ(PageCount(file), 1);
    EXPECT_EQ(Title(file), QStringLiteral("Табличная информация"));
    const QString page = PagesText(file).value(0);
    for (const char* s : {"Сверка за март", "Наименование", "Альфа", "Гамма", "10,5"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(s))) << s << "\n" << page.toStdString();
}

TEST_F(GridPrint, RowsBreakOverPagesAndEveryPageRepeatsTitlesAndCountsItsPages)
{
    AddRows(300);
    prn->PageHeader()->CenterText()->Add(QStringLiteral("Лист &[Page] из &[PAGES]"));
    prn->PageFooter()->RightText()->Add(QStringLiteral("&&[Page]"));
    prn->PageHeader()->SetLineType(pcltSingleLine);
    const QString file = PrintToPdf();
    const int pages = PageCount(file);
    ASSERT_GT(pages, 1);
    const QStringList text = PagesText(file);
    ASSERT_EQ(text.size(), pages);
    for (int i = 0; i < pages; ++i) {
        EXPECT_TRUE(text[i].contains(QStringLiteral("Лист %1 из %2").arg(i + 1).arg(pages))) << i;
        EXPECT_TRUE(text[i].contains(QStringLiteral("&&[Page]"))) << i;
        EXPECT_TRUE(text[i].contains(QStringLiteral("Name"))) << i;
    }
    EXPECT_TRUE(text.back().contains(QStringLiteral("Строка 399")));
    // No row is printed twice or lost at a page break.
    EXPECT_EQ(text.join(QString()).count(QStringLiteral("Строка 2")), 100);
}

TEST_F(GridPrint, FooterSumsCountThePrintedRows)
{
    grid->SetFooterRowCount(1);
    grid->Columns()->Items(2)->Footer()->SetValueType(fvtSum);
    grid->Columns()->Items(0)->Footer()->SetValueType(fvtCount);
    const QString page = PagesText(PrintToPdf()).value(0);
    EXPECT_TRUE(page.contains(QStringLiteral("30,5"))) << page.toStdString();
    EXPECT_TRUE(page.contains(QRegularExpression(QStringLiteral("\\b3\\b"))));
}

TEST_F(GridPrint, AWideGridSplitsIntoBandsUnlessFittedToThePageWidth)
{
    for (int i = 0; i < grid->Columns()->Count(); ++i)
        grid->Columns()->Items(i)->SetWidth(400);
    const QString banded = PrintToPdf(QStringLiteral("banded.pdf"));
    const QStringList bands = PagesText(banded);
    ASSERT_EQ(PageCount(banded), 3);
    EXPECT_TRUE(bands[0].contains(QStringLiteral("Code")) && !bands[0].contains(QStringLiteral("Альфа")));
    EXPECT_TRUE(bands[1].contains(QStringLiteral("Альфа")));
    EXPECT_TRUE(bands[2].contains(QStringLiteral("10,5")));

    prn->SetOptions(TPrintDBGridEhOptions{pghFitGridToPageWidth});
    const QString fitted = PrintToPdf(QStringLiteral("fitted.pdf"));
    ASSERT_EQ(PageCount(fitted), 1);
    const QString page = PagesText(fitted).value(0);
    EXPECT_TRUE(page.contains(QStringLiteral("Альфа")) && page.contains(QStringLiteral("10,5"))) << page.toStdString();

    prn->SetOptions(TPrintDBGridEhOptions{pghFitGridToPageWidth, pghFitingByColWidths});
    EXPECT_EQ(PageCount(PrintToPdf(QStringLiteral("narrowed.pdf"))), 1);
}

TEST_F(GridPrint, GroupRowsAndGroupFootersPrintAndTheTotalsCountDataRowsOnly)
{
    AddRows(200);   // kind "C": a group that runs over several pages
    grid->Columns()->Add()->SetFieldName(QStringLiteral("Kind"));
    TDBGridEhDataGroupsEh* groups = grid->DataGrouping();
    groups->SetDefaultStateExpanded(true);
    TGridDataGroupFooterEh* footer = groups->Footers()->Add();
    footer->SetVisible(true);
    auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(groups->GroupLevels()->Add());
    level->SetColumn(grid->FindFieldColumn(QStringLiteral("Kind")));
    groups->SetActive(true);
    TColumnEh* sum = grid->FindFieldColumn(QStringLiteral("Sum"));
    footer->ColumnItems()->Items(footer->ColumnItems()->ItemIndexByColumn(sum))->SetValueType(gfvSumEh);
    grid->SetFooterRowCount(1);
    grid->Columns()->Items(0)->Footer()->SetValueType(fvtCount);
    PumpDBGrid();

    const QString file = PrintToPdf();
    const QStringList pages = PagesText(file);
    ASSERT_GT(pages.size(), 1);
    const QString all = pages.join(QString());
    for (const char* s : {"Kind: A (2)", "Kind: B (1)", "Kind: C (200)", "Строка 299", "Гамма"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(s))) << s;
    // Group sums: 10,5 for A, 20 for B, 200 for C; the grid's count is of the 203 records only.
    EXPECT_TRUE(pages.back().contains(QStringLiteral("200"))) << pages.back().toStdString();
    EXPECT_TRUE(pages.back().contains(QStringLiteral("203"))) << pages.back().toStdString();
    EXPECT_EQ(all.count(QStringLiteral("Строка ")), 200);
}

TEST_F(GridPrint, HiddenDuplicatesStillShowOnTheFirstRowOfEveryPage)
{
    grid->Columns()->Clear();
    grid->Columns()->Add()->SetFieldName(QStringLiteral("Kind"));
    grid->Columns()->Add()->SetFieldName(QStringLiteral("Name"));
    grid->Columns()->Items(0)->SetHideDuplicates(true);
    table->Last();
    for (int i = 0; i < 300; ++i)
        AddDBGridRow(table, 1000 + i, QStringLiteral("Строка %1").arg(i), Variant(1.0), QStringLiteral("Итог"));
    table->First();
    const QStringList pages = PagesText(PrintToPdf());
    ASSERT_GT(pages.size(), 1);
    for (const QString& page : pages)
        EXPECT_EQ(page.count(QStringLiteral("Итог")), 1) << page.toStdString();
}

TEST_F(GridPrint, ANarrowColumnsTitleWrapsOverSeveralLines)
{
    TColumnEh* name = grid->Columns()->Items(1);
    name->Title()->SetCaption(QStringLiteral("Сумма НДС по книге покупок"));
    name->SetWidth(60);
    const QString page = PagesText(PrintToPdf()).value(0);
    EXPECT_FALSE(page.contains(QStringLiteral("Сумма НДС по книге покупок")));
    for (const char* w : {"Сумма", "книге", "покупок"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(w))) << w << "\n" << page.toStdString();
    EXPECT_TRUE(page.contains(QStringLiteral("Альфа")));
}

TEST_F(GridPrint, LongCellTextsWrapWithRowAutoStretch)
{
    table->First();
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("один два три четыре пять шесть"));
    table->Post();
    table->First();
    grid->Columns()->Items(1)->SetWidth(40);
    prn->SetOptions(TPrintDBGridEhOptions{pghRowAutoStretch});
    const QString page = PagesText(PrintToPdf()).value(0);
    EXPECT_TRUE(page.contains(QStringLiteral("шесть")));
    EXPECT_FALSE(page.contains(QStringLiteral("один два три четыре пять шесть")));
}

TEST_F(GridPrint, TheCurrentRecordComesBackAndAClosedDatasetPrintsNothing)
{
    table->RecNo();
    table->Last();
    const Variant code = table->FieldByName(QStringLiteral("Code"))->Value();
    int before = 0, after = 0;
    prn->OnBeforePrint = [&](TObject*) { ++before; };
    prn->OnAfterPrint = [&](TObject*) { ++after; };
    PrintToPdf();
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->Value(), code);
    EXPECT_FALSE(table->ControlsDisabled());
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);

    table->Close();
    const QString file = PrintToPdf(QStringLiteral("closed.pdf"));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
}

TEST_F(GridPrint, MarginsLargerThanThePaperAreAnErrorWithNoFileLeft)
{
    prn->Page()->SetLeftMargin(Currency::FromInt(30));
    int after = 0;
    prn->OnAfterPrint = [&](TObject*) { ++after; };
    const QString file = dir.filePath(QStringLiteral("bad.pdf"));
    EXPECT_THROW(
        {
            auto pdf = PdfPrinter(file);
            TPrinter* prev = SetPrinter(pdf.get());
            auto restore = Finally([prev] { SetPrinter(prev); });
            prn->Print();
        },
        EPrintLayoutEh);
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_FALSE(table->ControlsDisabled());
}

TEST_F(GridPrint, AStoppedJobEndsAtTheNextPageAndGivesTheGridBack)
{
    AddRows(500);
    table->MoveBy(7);
    const int code = table->FieldByName(QStringLiteral("Code"))->AsInteger();
    TPageDroppingPrinter full;
    prn->PrintTo(&full);
    ASSERT_GT(full.Pages, 3);

    TPageDroppingPrinter stopped;
    stopped.StopAfter = 2;
    int after = 0;
    prn->OnAfterPrint = [&](TObject*) { ++after; };
    prn->PrintTo(&stopped);
    EXPECT_EQ(stopped.Pages, 2);
    EXPECT_TRUE(stopped.Ended);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), code);
    EXPECT_FALSE(table->ControlsDisabled());
}

}  // namespace
