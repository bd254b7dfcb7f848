// The export walk and its writers, read back by outside readers: CSV by Python's csv module,
// worksheets by FreeXL; text by its exact bytes.
#include "ReadBack.h"
#include "components/output/DBGridEhImpExp.h"
#include "support/DBGridFixtures.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <unistd.h>

using namespace testsupport;
using namespace readback;

namespace {

// Columns Code, Name, Sum of the three rows; a sum footer on Sum and a count footer on Name.
class ExportFixture : public DBGridOverMemTable {
public:
    QTemporaryDir dir;

    void SetUp() override
    {
        DBGridOverMemTable::SetUp();
        grid->Columns()->Clear();
        for (const char* f : {"Code", "Name", "Sum"})
            grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
        grid->SetFooterRowCount(1);
        grid->Columns()->Items(1)->Footer()->SetValueType(fvtCount);
        grid->Columns()->Items(2)->Footer()->SetValueType(fvtSum);
    }
    QByteArray ToBytes(TDBGridEhExportClass cls, bool all = true)
    {
        TBytesStream s;
        ExportGridToStream(cls, grid, &s, all);
        return s.Bytes();
    }
    QString Path(const QString& name) { return dir.filePath(name); }
    QByteArray FileBytes(const QString& path)
    {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
};

TEST_F(ExportFixture, TextHasTitleRecordsAndFooterSeparatedWithoutATrailingLineEnd)
{
    const QByteArray expected = UnicodeToCP1251(QStringLiteral(
        "Code\tName\tSum\r\n1\tАльфа\t10,5\r\n2\tБета\t20\r\n3\tГамма\t\r\n\t3\t30,5"));
    EXPECT_EQ(ToBytes(MakeExporter<TDBGridEhExportAsText>), expected);

    grid->SetOptions(grid->Options().Exclude(dgTitles));
    EXPECT_TRUE(ToBytes(MakeExporter<TDBGridEhExportAsText>).startsWith("1\t"));

    const QByteArray utf16 = ToBytes(MakeExporter<TDBGridEhExportAsUnicodeText>);
    const QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.constData()), utf16.size() / 2);
    EXPECT_EQ(text, QStringLiteral("1\tАльфа\t10,5\r\n2\tБета\t20\r\n3\tГамма\t\r\n\t3\t30,5"));
}

TEST_F(ExportFixture, CsvCellsWithQuotesSeparatorsLineBreaksAndLeadingZerosReadBackWhole)
{
    table->Last();
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(QStringLiteral("ООО \"Ромашка\";\nфилиал"));
    table->Post();
    AddDBGridRow(table, 4, QStringLiteral("007"), Variant::Null(), QStringLiteral(""));
    AddDBGridRow(table, 5, QString(), Variant(0.25), QStringLiteral(""));
    const QString path = Path(QStringLiteral("Камеральный контроль 01.04.2020 - 30.04.2020.csv"));
    ExportGridToFile(MakeExporter<TDBGridEhExportAsCSV>, grid, path, true);

    const std::vector<QStringList> rows = ReadCsv(path);
    const std::vector<QStringList> expected = {
        {"Code", "Name", "Sum"},
        {"1", "Альфа", "10,5"},
        {"2", "Бета", "20"},
        {"3", "ООО \"Ромашка\";\nфилиал", ""},
        {"4", "007", ""},
        {"5", "", "0,25"},
        {"", "5", "30,75"},
    };
    EXPECT_EQ(rows, expected);
    // Every cell quoted, an empty one too.
    EXPECT_TRUE(FileBytes(path).endsWith("\r\n\"\";\"5\";\"30,75\""));
}

TEST_F(ExportFixture, FooterTotalsCountTheExportedRecordsExactly)
{
    table->First();
    for (double v : {0.1, 0.2}) {
        table->Edit();
        table->FieldByName(QStringLiteral("Sum"))->SetAsFloat(v);
        table->Post();
        table->Next();
    }
    // A footer over a field the dataset lacks totals nothing, neither sum nor count.
    grid->Columns()->Items(0)->Footer()->SetValueType(fvtSum);
    grid->Columns()->Items(0)->Footer()->SetFieldName(QStringLiteral("NoSuchField"));
    TDBGridEhExportAsText exporter;
    exporter.SetDBGridEh(grid);
    TBytesStream s;
    exporter.ExportToStream(&s, true);
    EXPECT_EQ(exporter.FooterValue(0, 2), Currency::FromRaw(3000));  // 0.1 + 0.2 + null
    EXPECT_EQ(exporter.FooterValue(0, 1), Currency::FromInt(3));     // nulls are counted
    EXPECT_EQ(exporter.FooterValue(0, 0), Currency());
    EXPECT_TRUE(s.Bytes().endsWith(UnicodeToCP1251(QStringLiteral("\r\n\t3\t0,3"))));
}

TEST_F(ExportFixture, TheGridKeepsItsRecordAndAnErrorStillRestoresIt)
{
    table->RecNo();
    table->First();
    table->Next();
    ToBytes(MakeExporter<TDBGridEhExportAsCSV>);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 2);
    EXPECT_FALSE(table->ControlsDisabled());

    grid->OnGetCellParams = [](TObject*, TColumnEh* c, TFont*, TColor&, TGridDrawState) {
        if (c->FieldName() == QStringLiteral("Sum") && c->Field()->IsNull())
            throw Exception(QStringLiteral("boom"));
    };
    EXPECT_THROW(ToBytes(MakeExporter<TDBGridEhExportAsCSV>), Exception);
    EXPECT_EQ(table->FieldByName(QStringLiteral("Code"))->AsInteger(), 2);
    EXPECT_FALSE(table->ControlsDisabled());
}

TEST_F(ExportFixture, WithoutASelectionOnlyTheCurrentCellIsWritten)
{
    table->First();
    table->Next();
    grid->SetSelectedIndex(1);
    EXPECT_EQ(ToBytes(MakeExporter<TDBGridEhExportAsText>, false), UnicodeToCP1251(QStringLiteral("Бета")));
}

TEST_F(ExportFixture, AGroupedGridWritesItsRecordsInTableOrderAndTotalsThemAlone)
{
    TColumnEh* kind = grid->Columns()->Add();
    kind->SetFieldName(QStringLiteral("Kind"));
    auto* level = static_cast<TDBGridEhDataGroupLevelEh*>(grid->DataGrouping()->GroupLevels()->Add());
    level->SetColumn(kind);
    grid->DataGrouping()->SetDefaultStateExpanded(true);
    grid->DataGrouping()->SetActive(true);
    PumpDBGrid();
    ASSERT_GT(grid->RowCount() - grid->TopDataOffset(), 3);  // group rows are on screen

    EXPECT_EQ(ToBytes(MakeExporter<TDBGridEhExportAsText>),
              UnicodeToCP1251(QStringLiteral("Code\tName\tSum\tKind\r\n1\tАльфа\t10,5\tA\r\n2\tБета\t20\tB\r\n"
                                             "3\tГамма\t\tA\r\n\t3\t30,5\t")));
}

// ---------------------------------------------------------------- worksheets

TEST_F(ExportFixture, WorksheetCellsReadBackWithTheirTypes)
{
    const QString longText(300, QChar(u'Ж'));
    table->Last();
    table->Edit();
    table->FieldByName(QStringLiteral("Name"))->SetAsString(longText.left(20));
    table->Post();
    grid->Columns()->Items(1)->Title()->SetCaption(longText);
    TColumnEh* unbound = grid->Columns()->Add();
    unbound->Title()->SetCaption(QStringLiteral("Пусто"));
    AddDBGridRow(table, -1, QStringLiteral("Минус"), Variant(1234.567), QStringLiteral(""));

    const QByteArray bytes = ToBytes(MakeExporter<TDBGridEhExportAsXLS>);
    ASSERT_TRUE(bytes.startsWith(QByteArray::fromHex("090808000000100000000000")));
    ASSERT_TRUE(bytes.endsWith(QByteArray::fromHex("0a000000")));
    // The integer -1 as an RK value: -1 x 4 + 2.
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("7e020a00040000000000feffffff")));

    const Sheet sheet = ReadWorksheet(bytes, Path(QStringLiteral("read.xls")));
    ASSERT_EQ(sheet.Rows, 6u);  // title, four records, footer
    ASSERT_EQ(sheet.Cols, 4u);
    EXPECT_EQ(sheet.At(0, 0), Cell(QStringLiteral("Code")));
    EXPECT_EQ(sheet.At(0, 1), Cell(longText.left(255)));
    EXPECT_EQ(sheet.At(1, 0), Cell(1));
    EXPECT_EQ(sheet.At(1, 1), Cell(QStringLiteral("Альфа")));
    EXPECT_EQ(sheet.At(1, 2), Cell(10.5));
    EXPECT_EQ(sheet.At(1, 3), Cell());         // no field
    EXPECT_EQ(sheet.At(3, 2), Cell());         // null
    EXPECT_EQ(sheet.At(4, 0), Cell(-1));
    EXPECT_EQ(sheet.At(4, 2), Cell(1234.567));
    EXPECT_EQ(sheet.At(5, 1), Cell(4.0));      // count as a number
    EXPECT_EQ(sheet.At(5, 2), Cell(1265.067)); // sum as a number, whatever its display format
}

TEST_F(ExportFixture, AnEmptyTableWritesTitlesAndZeroFooters)
{
    table->EmptyTable();
    const Sheet sheet = ReadWorksheet(ToBytes(MakeExporter<TDBGridEhExportAsXLS>), Path(QStringLiteral("e.xls")));
    ASSERT_EQ(sheet.Rows, 2u);
    EXPECT_EQ(sheet.At(0, 2), Cell(QStringLiteral("Sum")));
    EXPECT_EQ(sheet.At(1, 1), Cell(0.0));
    EXPECT_EQ(sheet.At(1, 2), Cell(0.0));
}

TEST_F(ExportFixture, MoreRowsThanASheetHoldsAreRefusedAndTheOldFileStays)
{
    const QString path = Path(QStringLiteral("big.xls"));
    {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    table->DisableControls();
    // Title + 65,534 records + footer fit; one more record does not.
    for (int i = 4; i <= 65535; ++i)
        AddDBGridRow(table, i, QStringLiteral("x"), Variant(1.0), QStringLiteral("A"));
    table->EnableControls();
    EXPECT_THROW(ExportGridToFile(MakeExporter<TDBGridEhExportAsXLS>, grid, path, true), EDBGridEhExportError);
    EXPECT_EQ(FileBytes(path), QByteArray("old"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("big.xls")});

    table->Last();
    table->Delete();
    ExportGridToFile(MakeExporter<TDBGridEhExportAsXLS>, grid, path, true);
    const Sheet sheet = ReadWorksheet(FileBytes(path), Path(QStringLiteral("read.xls")));
    EXPECT_EQ(sheet.Rows, 65536u);
    EXPECT_EQ(sheet.At(65535, 1), Cell(65534.0));
}

TEST_F(ExportFixture, AnUnwritableFolderIsAClearErrorAndLeavesNoFile)
{
    const QString folder = Path(QStringLiteral("закрыто"));
    ASSERT_TRUE(QDir().mkdir(folder));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString path = folder + QStringLiteral("/выгрузка.csv");
    try {
        ExportGridToFile(MakeExporter<TDBGridEhExportAsCSV>, grid, path, true);
        if (::geteuid() != 0) {
            ADD_FAILURE() << "no error";
        }
    } catch (const EFCreateError& e) {
        EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // A folder that does not exist fails for every user, root included.
    const QString missing = Path(QStringLiteral("нет такой папки/выгрузка 1.xls"));
    EXPECT_THROW(ExportGridToFile(MakeExporter<TDBGridEhExportAsXLS>, grid, missing, true), EFCreateError);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_TRUE(::geteuid() == 0 || QDir(folder).entryList(QDir::Files).isEmpty());
}

}  // namespace
