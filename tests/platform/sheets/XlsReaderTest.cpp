#include "BiffFixture.h"
#include "SheetFixtures.h"
#include "platform/sheets/Workbook.h"

namespace {

BiffCell Cell(int row, int col, BiffCell::Kind kind, double num = 0, int xf = 0)
{
    BiffCell c;
    c.Row = row;
    c.Col = col;
    c.CellKind = kind;
    c.Num = num;
    c.Sst = int(num);
    c.Xf = xf;
    return c;
}

class XlsReaderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Write(const QString& name, const BiffBook& book)
    {
        const QString path = dir.filePath(name);
        WriteFile(path, MakeXls(book));
        return path;
    }
};

// Cells from C3 to F5 while the sheet declares A1:J20.
TEST_F(XlsReaderTest, BasicCellsAndTheUsedRange)
{
    BiffBook book;
    book.SharedStrings = {"Код страны поставщика", "ООО «Ромашка»"};
    book.DimLastRow = 19;
    book.DimLastCol = 9;
    book.Cells = {
        Cell(2, 2, BiffCell::SstText, 0),
        Cell(2, 3, BiffCell::SstText, 1),
        Cell(2, 5, BiffCell::Number, 1234.56),
        Cell(3, 2, BiffCell::Rk, 190000001),
        Cell(3, 3, BiffCell::Rk, 12.5),
        Cell(3, 4, BiffCell::Number, 45366, 1),   // short date
        Cell(3, 5, BiffCell::Number, 45322, 2),   // custom dd/mm/yyyy
    };
    BiffCell label = Cell(4, 4, BiffCell::Label);
    label.Text = "0012";
    book.Cells.push_back(label);

    const TSheetCells cells = ReadXlsFirstSheet(Write("basic.xls", book));
    EXPECT_EQ(cells.FirstRow(), 3);
    EXPECT_EQ(cells.FirstCol(), 3);
    EXPECT_EQ(cells.RowCount(), 3);
    EXPECT_EQ(cells.ColCount(), 4);
    EXPECT_EQ(cells.Text(1, 1), u"Код страны поставщика");
    EXPECT_EQ(cells.Text(1, 2), u"ООО «Ромашка»");
    EXPECT_EQ(cells.Kind(1, 3), TCellKind::Empty);
    EXPECT_DOUBLE_EQ(cells.Number(1, 4), 1234.56);
    EXPECT_EQ(cells.Kind(2, 1), TCellKind::Number);
    EXPECT_DOUBLE_EQ(cells.Number(2, 1), 190000001);
    EXPECT_DOUBLE_EQ(cells.Number(2, 2), 12.5);
    EXPECT_EQ(cells.Kind(2, 3), TCellKind::Date);
    EXPECT_DOUBLE_EQ(cells.Number(2, 3), 45366);
    EXPECT_EQ(cells.Kind(2, 4), TCellKind::Date);
    EXPECT_DOUBLE_EQ(cells.Number(2, 4), 45322);
    EXPECT_EQ(cells.Text(3, 3), u"0012");
}

TEST_F(XlsReaderTest, Date1904AndHiddenFirstSheet)
{
    BiffBook book;
    book.Date1904 = true;
    book.FirstSheetHidden = true;
    book.DimLastRow = 0;
    book.DimLastCol = 1;
    book.Cells = {Cell(0, 0, BiffCell::Number, 43904, 1), Cell(0, 1, BiffCell::Number, 7)};
    book.SecondSheetCells = {Cell(0, 0, BiffCell::Number, 99)};
    const TSheetCells cells = ReadXlsFirstSheet(Write("d1904.xls", book));
    ASSERT_EQ(cells.ColCount(), 2);
    EXPECT_EQ(cells.Kind(1, 1), TCellKind::Date);
    EXPECT_DOUBLE_EQ(cells.Number(1, 1), 45366);
    EXPECT_DOUBLE_EQ(cells.Number(1, 2), 7);
}

TEST_F(XlsReaderTest, BrokenFilesRaiseNamingTheFile)
{
    BiffBook book;
    book.Cells = {Cell(0, 0, BiffCell::Number, 1)};
    const QByteArray good = MakeXls(book);
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"garbage.xls", QByteArray("this is no workbook at all, just text\n").repeated(40)},
        {"truncated.xls", good.left(700)},
        {"bad signature.xls", QByteArray(good).replace(0, 4, "XXXX")},
        // A password-protected .xlsx is a compound file holding the encrypted package.
        {"protected.xlsx", biff::CompoundFile(QByteArray(4096, '\x5A'), QStringLiteral("EncryptedPackage"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.filePath(c.name);
        WriteFile(path, c.bytes);
        try {
            ReadFirstWorksheet(path);
            ADD_FAILURE() << "no exception";
        } catch (const EExcelError& e) {
            EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
        }
    }
}

} // namespace
