#include "BiffFixture.h"
#include "SheetFixtures.h"
#include "platform/sheets/Workbook.h"

#include <QDir>
#include <sys/stat.h>

namespace {

class WorkbookTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QString WriteSampleXlsx(const QString& name)
    {
        const QString path = dir.filePath(name);
        TXlsxWriter w(path);
        w.WriteRow(2, {TXlsxCell::MakeText(2, "Код страны поставщика"), TXlsxCell::MakeNumber(3, 1.5),
                       TXlsxCell::MakeNumber(4, 45366, w.DateStyle())});
        w.WriteRow(3, {TXlsxCell::MakeBoolean(2, true), TXlsxCell::MakeError(3, "#N/A")});
        w.Close();
        return path;
    }
};

// The calls the import makes, in its order.
TEST_F(WorkbookTest, ImportSessionGivesVariantsAsTheAutomationDoes)
{
    const QString path = WriteSampleXlsx("sample.xlsx");
    TExcelApplication excel;
    excel.SetDisplayAlerts(false);
    excel.Workbooks().Open(path, true);
    TExcelWorksheet& sheet = excel.Workbooks(1).Worksheets(1);
    const int rows = sheet.UsedRange().Rows().Count();
    const TVariantMatrix v = sheet.UsedRange().Value();
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(v.RowCount(), 2);
    EXPECT_EQ(v.ColCount(), 3);
    EXPECT_EQ(v.LowBound(1), 1);
    EXPECT_EQ(v.HighBound(2), 3);

    EXPECT_EQ(VarType(v(1, 1)), varUString);
    EXPECT_EQ(v(1, 1).AsString(), u"Код страны поставщика");
    EXPECT_EQ(VarType(v(1, 2)), varDouble);
    EXPECT_DOUBLE_EQ(v(1, 2).AsDouble(), 1.5);
    EXPECT_EQ(VarType(v(1, 3)), varDate);
    EXPECT_DOUBLE_EQ(v(1, 3).AsDateTime(), 45366);
    EXPECT_EQ(VarType(v(2, 1)), varBoolean);
    EXPECT_TRUE(v(2, 1).AsBoolean());
    EXPECT_EQ(VarType(v(2, 2)), varError);
    EXPECT_EQ(uint32_t(v(2, 2).AsError()), 0x800A0000u + 2042);
    EXPECT_TRUE(VarIsEmpty(v(2, 3)));

    excel.Workbooks().Close();
    EXPECT_EQ(excel.Workbooks().Count(), 0);
    EXPECT_DOUBLE_EQ(v(1, 2).AsDouble(), 1.5);   // the values outlive the workbook
    excel.Quit();
}

TEST_F(WorkbookTest, IndexesOutsideRaise)
{
    TExcelApplication excel;
    excel.Workbooks().Open(WriteSampleXlsx("sample.xlsx"));
    const TVariantMatrix v = excel.Workbooks(1).Worksheets(1).UsedRange().Value();
    EXPECT_THROW(v(0, 1), EVariantBadIndexError);
    EXPECT_THROW(v(3, 1), EVariantBadIndexError);
    EXPECT_THROW(v(1, 4), EVariantBadIndexError);   // a narrow sheet's missing column
    EXPECT_THROW(excel.Workbooks(1).Worksheets(2), EExcelError);
    EXPECT_THROW(excel.Workbooks(2), EExcelError);
}

TEST_F(WorkbookTest, FormatChosenByContentThenExtension)
{
    // An xlsx package and a BIFF file under each other's names, and csv as .txt.
    const QString xlsxAsXls = dir.filePath("really xlsx.xls");
    QFile::copy(WriteSampleXlsx("src.xlsx"), xlsxAsXls);
    BiffBook book;
    BiffCell cell;
    cell.Num = 77;
    book.Cells = {cell};
    const QString xlsAsXlsx = dir.filePath("really xls.xlsx");
    WriteFile(xlsAsXlsx, MakeXls(book));
    const QString txt = dir.filePath("list.txt");
    WriteFile(txt, "a;1,5\n");

    TExcelApplication excel;
    EXPECT_EQ(excel.Workbooks().Open(xlsxAsXls).Worksheets(1).UsedRange().Value()(1, 1).AsString(),
              u"Код страны поставщика");
    EXPECT_DOUBLE_EQ(excel.Workbooks().Open(xlsAsXlsx).Worksheets(1).UsedRange().Value()(1, 1).AsDouble(), 77);
    EXPECT_DOUBLE_EQ(excel.Workbooks().Open(txt).Worksheets(1).UsedRange().Value()(1, 2).AsDouble(), 1.5);
    EXPECT_EQ(excel.Workbooks().Count(), 3);
    EXPECT_EQ(excel.Workbooks(3).Name(), u"list.txt");
}

TEST_F(WorkbookTest, OpenFailuresNameTheFileAndOpenNothing)
{
    const QString garbage = dir.filePath("data.bin");
    WriteFile(garbage, "\x01\x02\x03 not a workbook");
    const QString emptyXlsx = dir.filePath("empty.xlsx");
    WriteFile(emptyXlsx, "");
    TExcelApplication excel;
    for (const QString& path : {dir.filePath("missing.xlsx"), garbage, emptyXlsx}) {
        SCOPED_TRACE(path.toStdString());
        try {
            excel.Workbooks().Open(path, true);
            ADD_FAILURE() << "no exception";
        } catch (const EExcelError& e) {
            EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
        }
    }
    EXPECT_EQ(excel.Workbooks().Count(), 0);
}

// A folder, a pipe or a device is no workbook: every reader says so before opening it (a pipe
// would block the import for good), and a path that does not exist is still "not found".
TEST_F(WorkbookTest, OnlyRegularFilesAreOpened)
{
    const QString folder = dir.filePath("folder.xlsx");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString fifo = dir.filePath("pipe.csv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString link = dir.filePath("link.xls");
    ASSERT_TRUE(QFile::link(fifo, link));
    struct Case {
        QString path;
        const char* says;
    };
    const Case cases[] = {
        {folder, "не является обычным файлом (это папка)"},
        {fifo, "не является обычным файлом (это канал)"},
        {link, "не является обычным файлом (это канал)"},
        {QStringLiteral("/dev/null"), "не является обычным файлом (это устройство)"},
        {dir.filePath("missing.csv"), "не найден"},
    };
    using Reader = TSheetCells (*)(const QString&);
    const Reader readers[] = {ReadFirstWorksheet, ReadXlsxFirstSheet, ReadXlsFirstSheet, ReadCsvFirstSheet};
    for (const Case& k : cases) {
        for (Reader read : readers) {
            SCOPED_TRACE(k.path.toStdString());
            try {
                read(k.path);
                ADD_FAILURE() << "no exception";
            } catch (const EExcelError& e) {
                EXPECT_TRUE(e.Message().contains(k.path)) << e.Message().toStdString();
                EXPECT_TRUE(e.Message().contains(QString::fromUtf8(k.says))) << e.Message().toStdString();
            }
        }
    }
}

} // namespace
