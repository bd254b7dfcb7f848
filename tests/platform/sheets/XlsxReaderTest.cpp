#include "SheetFixtures.h"
#include "platform/sheets/Workbook.h"

#include <QRegularExpression>
#include <cmath>

namespace {

struct CellCase {
    const char* name;
    const char* cellXml;   // the attributes and children of one <c>, without r
    TCellKind kind;
    double num;            // Number, Date, Error code, Boolean as 0/1
    const char* text;      // Text
};

// Styles of the shared fixture: index -> numFmtId.
//  0 General, 1 id 14, 2 id 22, 3 "dd/mm/yyyy;@", 4 "[Red]0.00", 5 "0.00 "days"",
//  6 id 4, 7 "[$-419]d mmmm yyyy", 8 id 20, 9 "[h]:mm", 10 "_-* #,##0.00\ _-"
const CellCase kCases[] = {
    {"shared string", R"(t="s"><v>0</v>)", TCellKind::Text, 0, "Код страны поставщика"},
    {"shared rich string", R"(t="s"><v>1</v>)", TCellKind::Text, 0, "Счёт № 5"},
    {"phonetic hint left out", R"(t="s"><v>2</v>)", TCellKind::Text, 0, "漢字"},
    {"escaped control character", R"(t="s"><v>3</v>)", TCellKind::Text, 0, "a\rb"},
    {"inline string", R"(t="inlineStr"><is><t>встроенный</t></is>)", TCellKind::Text, 0, "встроенный"},
    {"inline rich string", R"(t="inlineStr"><is><r><t>ab</t></r><r><rPr/><t xml:space="preserve"> cd</t></r></is>)",
     TCellKind::Text, 0, "ab cd"},
    {"number", R"(><v>1234.5</v>)", TCellKind::Number, 1234.5, ""},
    {"number with exponent", R"(t="n"><v>1.5E-3</v>)", TCellKind::Number, 0.0015, ""},
    {"true", R"(t="b"><v>1</v>)", TCellKind::Boolean, 1, ""},
    {"false", R"(t="b"><v>0</v>)", TCellKind::Boolean, 0, ""},
    {"formula cached number", R"(><f>SUM(B1:B2)</f><v>42</v>)", TCellKind::Number, 42, ""},
    {"formula cached text", R"(t="str"><f>A1&amp;"x"</f><v>abc</v>)", TCellKind::Text, 0, "abc"},
    {"formula cached empty text", R"(t="str"><f>""</f><v></v>)", TCellKind::Text, 0, ""},
    {"formula cached boolean", R"(t="b"><f>1=1</f><v>1</v>)", TCellKind::Boolean, 1, ""},
    {"formula cached date", R"(s="1"><f>TODAY()</f><v>45366</v>)", TCellKind::Date, 45366, ""},
    {"error value", R"(t="e"><f>NA()</f><v>#N/A</v>)", TCellKind::Error, 2042, ""},
    {"division error", R"(t="e"><v>#DIV/0!</v>)", TCellKind::Error, 2007, ""},
    {"built-in short date 14", R"(s="1"><v>45366</v>)", TCellKind::Date, 45366, ""},
    {"built-in date time 22", R"(s="2"><v>45366.5</v>)", TCellKind::Date, 45366.5, ""},
    {"custom dd/mm/yyyy;@", R"(s="3"><v>45322</v>)", TCellKind::Date, 45322, ""},
    {"[Red] is no day", R"(s="4"><v>12.5</v>)", TCellKind::Number, 12.5, ""},
    {"quoted d is no day", R"(s="5"><v>3</v>)", TCellKind::Number, 3, ""},
    {"built-in number 4", R"(s="6"><v>1000.25</v>)", TCellKind::Number, 1000.25, ""},
    {"locale prefixed long date", R"(s="7"><v>34851</v>)", TCellKind::Date, 34851, ""},
    {"built-in time 20", R"(s="8"><v>0.75</v>)", TCellKind::Date, 0.75, ""},
    {"elapsed hours", R"(s="9"><v>1.25</v>)", TCellKind::Date, 2.25, ""},
    {"accounting format", R"(s="10"><v>7</v>)", TCellKind::Number, 7, ""},
    {"1 Jan 1900", R"(s="1"><v>1</v>)", TCellKind::Date, 2, ""},
    {"28 Feb 1900", R"(s="1"><v>59</v>)", TCellKind::Date, 60, ""},
    {"1 Mar 1900", R"(s="1"><v>61</v>)", TCellKind::Date, 61, ""},
    {"negative date-formatted stays a number", R"(s="1"><v>-5</v>)", TCellKind::Number, -5, ""},
    {"ISO date cell", R"(t="d"><v>2024-03-15T12:00:00</v>)", TCellKind::Date, 45366.5, ""},
    {"styled blank", R"(s="1"/>)", TCellKind::Empty, 0, ""},
    {"empty value", R"(s="1"><v></v>)", TCellKind::Empty, 0, ""},
};

XlsxParts CaseParts()
{
    XlsxParts p;
    p.SharedStrings = {
        "<t>Код страны поставщика</t>",
        "<r><rPr><b/></rPr><t xml:space=\"preserve\">Счёт </t></r><r><t>№ 5</t></r>",
        "<t>漢字</t><rPh sb=\"0\" eb=\"1\"><t>カンジ</t></rPh><phoneticPr fontId=\"1\"/>",
        "<t>a_x000D_b</t>",
    };
    p.NumFmts = {
        R"(<numFmt numFmtId="164" formatCode="dd/mm/yyyy;@"/>)",
        R"(<numFmt numFmtId="165" formatCode="[Red]0.00"/>)",
        R"(<numFmt numFmtId="166" formatCode="0.00 &quot;days&quot;"/>)",
        R"(<numFmt numFmtId="167" formatCode="[$-419]d mmmm yyyy"/>)",
        R"(<numFmt numFmtId="168" formatCode="[h]:mm"/>)",
        R"(<numFmt numFmtId="169" formatCode="_-* #,##0.00\ _-"/>)",
    };
    p.XfNumFmtIds = {0, 14, 22, 164, 165, 166, 4, 167, 20, 168, 169};
    return p;
}

QString ColName(int col)
{
    QString s;
    for (; col > 0; col = (col - 1) / 26)
        s.prepend(QChar(u'A' + (col - 1) % 26));
    return s;
}

class XlsxReaderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }
};

// Every case sits in its own column of row 2, so the table also exercises wide sparse rows.
TEST_F(XlsxReaderTest, CellKindsAsTheAutomationGivesThem)
{
    XlsxParts p = CaseParts();
    QString row = "<row r=\"2\">";
    int col = 2;
    for (const auto& c : kCases)
        row += QStringLiteral("<c r=\"%1%2\" %3</c>")
                   .arg(ColName(col++))
                   .arg(2)
                   .arg(QString::fromUtf8(c.cellXml).endsWith(u"/>") ? QString::fromUtf8(c.cellXml).chopped(2) + ">"
                                                                      : QString::fromUtf8(c.cellXml));
    row += "</row>";
    p.SheetData = row;
    WriteXlsx(Path("kinds.xlsx"), p);

    const TSheetCells cells = ReadXlsxFirstSheet(Path("kinds.xlsx"));
    EXPECT_EQ(cells.FirstRow(), 2);
    EXPECT_EQ(cells.FirstCol(), 2);
    EXPECT_EQ(cells.RowCount(), 1);
    EXPECT_EQ(cells.ColCount(), int(std::size(kCases)));
    col = 1;
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(int(cells.Kind(1, col)), int(c.kind));
        if (c.kind == TCellKind::Text)
            EXPECT_EQ(cells.Text(1, col), QString::fromUtf8(c.text));
        else if (c.kind == TCellKind::Boolean)
            EXPECT_EQ(cells.Boolean(1, col), c.num != 0);
        else
            EXPECT_NEAR(cells.Number(1, col), c.num, 1e-9);
        ++col;
    }
}

TEST_F(XlsxReaderTest, Date1904SystemShiftsSerials)
{
    XlsxParts p = CaseParts();
    p.Date1904 = true;
    p.SheetData = R"(<row r="1"><c r="A1" s="1"><v>43904</v></c><c r="B1"><v>43904</v></c></row>)";
    WriteXlsx(Path("d1904.xlsx"), p);
    const TSheetCells cells = ReadXlsxFirstSheet(Path("d1904.xlsx"));
    EXPECT_EQ(cells.Kind(1, 1), TCellKind::Date);
    EXPECT_DOUBLE_EQ(cells.Number(1, 1), 45366);   // 15 Mar 2024
    EXPECT_EQ(cells.Kind(1, 2), TCellKind::Number); // plain numbers are not shifted
    EXPECT_DOUBLE_EQ(cells.Number(1, 2), 43904);
}

TEST_F(XlsxReaderTest, FirstSheetInTabOrderEvenWhenHidden)
{
    XlsxParts p = CaseParts();
    p.FirstSheetHidden = true;
    p.SheetData = R"(<row r="1"><c r="A1" t="inlineStr"><is><t>скрытый</t></is></c></row>)";
    p.SecondSheetData = R"(<row r="1"><c r="A1" t="inlineStr"><is><t>видимый</t></is></c></row>)";
    WriteXlsx(Path("hidden.xlsx"), p);
    EXPECT_EQ(ReadXlsxFirstSheet(Path("hidden.xlsx")).Text(1, 1), u"скрытый");
}

TEST_F(XlsxReaderTest, UsedRangeIsTheBoundingBoxNotTheDimension)
{
    XlsxParts p = CaseParts();
    p.BeforeSheetData = R"(<dimension ref="A1:Z100"/>)";
    p.SheetData = R"(<row r="3"><c r="C3" t="s"><v>0</v></c></row>)"
                  R"(<row r="5" spans="1:10"/>)"
                  R"(<row r="7"><c r="F7"><v>5</v></c></row>)";
    WriteXlsx(Path("range.xlsx"), p);
    const TSheetCells cells = ReadXlsxFirstSheet(Path("range.xlsx"));
    EXPECT_EQ(cells.FirstRow(), 3);
    EXPECT_EQ(cells.FirstCol(), 3);
    EXPECT_EQ(cells.RowCount(), 5);
    EXPECT_EQ(cells.ColCount(), 4);
    EXPECT_EQ(cells.Text(1, 1), u"Код страны поставщика");
    EXPECT_EQ(cells.Kind(5, 4), TCellKind::Number);
    EXPECT_EQ(cells.Kind(3, 2), TCellKind::Empty);   // a gap inside the range
    EXPECT_EQ(cells.Kind(6, 1), TCellKind::Empty);   // outside the range
}

TEST_F(XlsxReaderTest, ImplicitPositionsAndUnorderedCells)
{
    XlsxParts p = CaseParts();
    // Rows and cells without r follow their predecessor; a later row may come first.
    p.SheetData = R"(<row r="2"><c r="B2"><v>22</v></c></row>)"
                  R"(<row r="1"><c><v>11</v></c><c><v>12</v></c></row>)"
                  R"(<row><c r="B2"><v>99</v></c></row>)";
    WriteXlsx(Path("implicit.xlsx"), p);
    const TSheetCells cells = ReadXlsxFirstSheet(Path("implicit.xlsx"));
    EXPECT_EQ(cells.RowCount(), 2);
    EXPECT_EQ(cells.ColCount(), 2);
    EXPECT_DOUBLE_EQ(cells.Number(1, 1), 11);
    EXPECT_DOUBLE_EQ(cells.Number(1, 2), 12);
    EXPECT_DOUBLE_EQ(cells.Number(2, 2), 99);   // the later cell at B2 wins
    EXPECT_EQ(cells.Kind(2, 1), TCellKind::Empty);
}

TEST_F(XlsxReaderTest, EmptySheetIsOneEmptyCell)
{
    XlsxParts p = CaseParts();
    WriteXlsx(Path("empty.xlsx"), p);
    const TSheetCells cells = ReadXlsxFirstSheet(Path("empty.xlsx"));
    EXPECT_EQ(cells.RowCount(), 1);
    EXPECT_EQ(cells.ColCount(), 1);
    EXPECT_EQ(cells.Kind(1, 1), TCellKind::Empty);
}

TEST_F(XlsxReaderTest, WriterRoundTrip)
{
    for (bool shared : {true, false}) {
        for (bool date1904 : {false, true}) {
            SCOPED_TRACE(QStringLiteral("shared %1, 1904 %2").arg(shared).arg(date1904).toStdString());
            const QString path = Path("written.xlsx");
            {
                TXlsxWriter w(path);
                w.SetSharedStrings(shared);
                w.SetDate1904(date1904);
                const int dateStyle = w.CustomFormatStyle("dd.mm.yyyy");
                w.BeginSheet("Скрытый", true);
                w.SetDimension("A1:A1");
                w.WriteRow(4, {TXlsxCell::MakeText(2, "0012"), TXlsxCell::MakeText(3, "Текст <&> \"кавычки\""),
                               TXlsxCell::MakeNumber(5, 1234.56)});
                w.WriteRow(6, {TXlsxCell::MakeNumber(2, w.DateSerial(45366), dateStyle),
                               TXlsxCell::MakeNumber(3, w.DateSerial(45366.25), w.DateStyle()),
                               TXlsxCell::MakeBoolean(4, true), TXlsxCell::MakeError(5, "#REF!")});
                w.WriteRow(7, {TXlsxCell::MakeFormula(2, "B4+1", 13), TXlsxCell::MakeFormulaText(3, "B4", "0012"),
                               TXlsxCell::MakeBlank(6, dateStyle), TXlsxCell::MakeText(4, "0012")});
                w.BeginSheet("Второй");
                w.WriteRow(1, {TXlsxCell::MakeText(1, "другой лист")});
                w.Close();
            }
            const TSheetCells c = ReadXlsxFirstSheet(path);
            EXPECT_EQ(c.FirstRow(), 4);
            EXPECT_EQ(c.FirstCol(), 2);
            EXPECT_EQ(c.RowCount(), 4);
            EXPECT_EQ(c.ColCount(), 5);   // B..F, F being the styled blank
            EXPECT_EQ(c.Text(1, 1), u"0012");
            EXPECT_EQ(c.Text(1, 2), u"Текст <&> \"кавычки\"");
            EXPECT_DOUBLE_EQ(c.Number(1, 4), 1234.56);
            EXPECT_EQ(c.Kind(3, 1), TCellKind::Date);
            EXPECT_DOUBLE_EQ(c.Number(3, 1), 45366);
            EXPECT_EQ(c.Kind(3, 2), TCellKind::Date);
            EXPECT_DOUBLE_EQ(c.Number(3, 2), 45366.25);
            EXPECT_TRUE(c.Boolean(3, 3));
            EXPECT_EQ(c.Kind(3, 4), TCellKind::Error);
            EXPECT_DOUBLE_EQ(c.Number(3, 4), 2023);
            EXPECT_DOUBLE_EQ(c.Number(4, 1), 13);
            EXPECT_EQ(c.Text(4, 2), u"0012");
            EXPECT_EQ(c.Text(4, 3), u"0012");
            EXPECT_EQ(c.Kind(4, 5), TCellKind::Empty);
        }
    }
}

// Megabytes of sheet XML arrive through many reads of the zip entry.
TEST_F(XlsxReaderTest, LargeSheetStreamsThroughManyBlocks)
{
    const QString path = Path("large.xlsx");
    const int rows = 30000;
    {
        TXlsxWriter w(path);
        for (int r = 1; r <= rows; ++r)
            w.WriteRow(r, {TXlsxCell::MakeNumber(1, r), TXlsxCell::MakeText(2, QStringLiteral("строка %1").arg(r % 100)),
                           TXlsxCell::MakeText(3, QStringLiteral("уникальная %1").arg(r))});
        w.Close();
    }
    const TSheetCells c = ReadXlsxFirstSheet(path);
    ASSERT_EQ(c.RowCount(), rows);
    ASSERT_EQ(c.ColCount(), 3);
    for (int r : {1, 2, 4097, 12345, rows}) {
        EXPECT_DOUBLE_EQ(c.Number(r, 1), r);
        EXPECT_EQ(c.Text(r, 2), QStringLiteral("строка %1").arg(r % 100));
        EXPECT_EQ(c.Text(r, 3), QStringLiteral("уникальная %1").arg(r));
    }
}

struct BadCase {
    const char* name;
    std::function<void(const QString&)> make;
    const char* messagePart;
};

TEST_F(XlsxReaderTest, BrokenFilesRaiseNamingTheFile)
{
    const BadCase cases[] = {
        {"missing file", [](const QString&) {}, "не найден"},
        {"garbage bytes", [](const QString& p) { WriteFile(p, QByteArray("PK\x03\x04 this is not a zip at all")); },
         "повреждён"},
        {"truncated zip",
         [](const QString& p) {
             XlsxParts parts = CaseParts();
             parts.SheetData = R"(<row r="1"><c r="A1"><v>1</v></c></row>)";
             WriteXlsx(p, parts);
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.resize(f.size() / 2);
         },
         "повреждён"},
        {"zip without a workbook",
         [](const QString& p) { TXlsxWriter::WritePackage(p, {{"readme.txt", "hello"}}); }, "workbook.xml"},
        {"malformed sheet XML",
         [](const QString& p) {
             XlsxParts parts = CaseParts();
             parts.SheetData = R"(<row r="1"><c r="A1"><v>1</v></row>)";
             WriteXlsx(p, parts);
         },
         "sheet2.xml"},
        {"shared string index out of range",
         [](const QString& p) {
             XlsxParts parts = CaseParts();
             parts.SheetData = R"(<row r="1"><c r="A1" t="s"><v>17</v></c></row>)";
             WriteXlsx(p, parts);
         },
         "17"},
        {"bad cell reference",
         [](const QString& p) {
             XlsxParts parts = CaseParts();
             parts.SheetData = R"(<row r="1"><c r="1A"><v>1</v></c></row>)";
             WriteXlsx(p, parts);
         },
         "1A"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = Path(QStringLiteral("bad %1.xlsx").arg(QString::fromUtf8(c.name)));
        c.make(path);
        try {
            ReadFirstWorksheet(path);
            ADD_FAILURE() << "no exception";
        } catch (const EExcelError& e) {
            EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.messagePart))) << e.Message().toStdString();
        }
    }
}

} // namespace

namespace {

// Sheet XML is read in blocks of XlsxStretchBytes, a large sheet's inflated on a second thread;
// tiny blocks here make a small sheet take that road and put block ends inside tags and texts.
class XlsxStretchTest : public XlsxReaderTest {
protected:
    void SetUp() override { saved = XlsxStretchBytes; }
    void TearDown() override { XlsxStretchBytes = saved; }
    int saved = 0;

    // Rows 1..n: a number, an inline string, a shared string, a date; prefix "x:" or "".
    static QString Rows(int n, const QString& px, bool numbered = true)
    {
        QString xml;
        for (int r = 1; r <= n; ++r) {
            xml += numbered ? QStringLiteral("<%1row r=\"%2\">").arg(px).arg(r) : QStringLiteral("<%1row>").arg(px);
            QString cells = QStringLiteral("<%1c r=\"A%2\"><%1v>%2</%1v></%1c>"
                                           "<%1c r=\"B%2\" t=\"inlineStr\"><%1is><%1t>строка %2</%1t></%1is></%1c>"
                                           "<%1c r=\"C%2\" t=\"s\"><%1v>%3</%1v></%1c>"
                                           "<%1c r=\"D%2\" s=\"1\"><%1v>%4</%1v></%1c></%1row>")
                                .arg(px).arg(r).arg(r % 4).arg(45000 + r);
            if (!numbered)
                cells.replace(QRegularExpression(" r=\"[A-D]\\d+\""), QString());
            xml += cells;
        }
        return xml;
    }

    static void Check(const TSheetCells& c, int n)
    {
        ASSERT_EQ(c.RowCount(), n);
        ASSERT_EQ(c.ColCount(), 4);
        for (int r = 1; r <= n; ++r) {
            ASSERT_DOUBLE_EQ(c.Number(r, 1), r);
            ASSERT_EQ(c.Text(r, 2), QStringLiteral("строка %1").arg(r));
            ASSERT_EQ(c.Kind(r, 3), TCellKind::Text);
            ASSERT_EQ(c.Kind(r, 4), TCellKind::Date);
            ASSERT_DOUBLE_EQ(c.Number(r, 4), 45000 + r);
        }
        EXPECT_EQ(c.Text(4, 3), u"Код страны поставщика");
        EXPECT_EQ(c.Text(5, 3), u"Счёт № 5");
    }
};

TEST_F(XlsxStretchTest, StretchesGiveTheSameCellsAsOneRead)
{
    XlsxParts p = CaseParts();
    p.SheetData = Rows(2000, QString());
    WriteXlsx(Path("stretches.xlsx"), p);
    for (int stretch : {1024, 4 << 20}) {
        SCOPED_TRACE(stretch);
        XlsxStretchBytes = stretch;
        Check(ReadXlsxFirstSheet(Path("stretches.xlsx")), 2000);
    }
}

// Styled blanks (<c r=".."/>, no value) cost nothing each: only the two cells with values are
// kept, while the used range still reaches the farthest blank, whichever stretch read it.
TEST_F(XlsxStretchTest, BlanksAreNotKeptButWidenTheUsedRange)
{
    XlsxParts p = CaseParts();
    static const char* const columns[] = {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"};
    QString xml;
    for (int r = 2; r <= 6000; ++r) {
        xml += QStringLiteral("<row r=\"%1\">").arg(r);
        for (const char* c : columns)
            xml += r == 3 && c[0] == 'B'   ? QStringLiteral("<c r=\"B3\"><v>7</v></c>")
                   : r == 7 && c[0] == 'C' ? QStringLiteral("<c r=\"C7\" t=\"inlineStr\"><is><t>семь</t></is></c>")
                                           : QStringLiteral("<c r=\"%1%2\" s=\"1\"/>").arg(QLatin1String(c)).arg(r);
        xml += QStringLiteral("</row>");
    }
    xml += QStringLiteral("<row r=\"6001\"><c r=\"Z6001\"/></row>");
    p.SheetData = xml;
    WriteXlsx(Path("blanks.xlsx"), p);
    for (int stretch : {4096, 4 << 20}) {
        SCOPED_TRACE(stretch);
        XlsxStretchBytes = stretch;
        const TSheetCells c = ReadXlsxFirstSheet(Path("blanks.xlsx"));
        EXPECT_EQ(c.CellCount(), 2u);
        EXPECT_EQ(c.FirstRow(), 2);
        EXPECT_EQ(c.FirstCol(), 1);
        EXPECT_EQ(c.RowCount(), 6000);
        EXPECT_EQ(c.ColCount(), 26);
        EXPECT_DOUBLE_EQ(c.Number(2, 2), 7);
        EXPECT_EQ(c.Text(6, 3), u"семь");
        EXPECT_EQ(c.Kind(1, 1), TCellKind::Empty);
        EXPECT_EQ(c.Kind(6000, 26), TCellKind::Empty);
    }
}

// A part that inflates far past anything a workbook holds is refused, not read into memory.
TEST_F(XlsxStretchTest, PartInflatingPastTheBoundIsRefused)
{
    XlsxParts p = CaseParts();
    p.SheetData = Rows(2000, QString());
    WriteXlsx(Path("bomb.xlsx"), p);
    const int64_t savedBound = XlsxMaxPartBytes;
    XlsxMaxPartBytes = 64 * 1024;
    try {
        ReadXlsxFirstSheet(Path("bomb.xlsx"));
        ADD_FAILURE() << "a part past the bound was read";
    } catch (const EExcelError& e) {
        EXPECT_TRUE(e.Message().contains(u"распаковывается")) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(u"bomb.xlsx")) << e.Message().toStdString();
    }
    XlsxMaxPartBytes = savedBound;
    Check(ReadXlsxFirstSheet(Path("bomb.xlsx")), 2000);
}

TEST_F(XlsxStretchTest, PrefixedElementsKeepTheirNamespace)
{
    const QString sheet = "<?xml version=\"1.0\"?>\n<x:worksheet "
                          "xmlns:x=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                          "<x:dimension ref=\"A1\"/><x:sheetData>" + Rows(2000, "x:") + "</x:sheetData>"
                          "<x:mergeCells count=\"0\"/></x:worksheet>";
    QList<QPair<QString, QByteArray>> parts;
    XlsxStretchBytes = 1024;
    // A sheet part is the only thing that differs: write the whole package again by hand.
    const QString rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    parts.append({"_rels/.rels", Utf8("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                      "<Relationship Id=\"a\" Type=\"" + rel + "officeDocument\" Target=\"xl/workbook.xml\"/>"
                                      "</Relationships>")});
    parts.append({"xl/workbook.xml", Utf8("<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                                          "xmlns:r=\"" + rel.chopped(1) + "\"><sheets><sheet name=\"Л\" sheetId=\"1\" "
                                          "r:id=\"s\"/></sheets></workbook>")});
    parts.append({"xl/_rels/workbook.xml.rels",
                  Utf8("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                       "<Relationship Id=\"s\" Type=\"" + rel + "worksheet\" Target=\"worksheets/sheet1.xml\"/>"
                       "<Relationship Id=\"t\" Type=\"" + rel + "styles\" Target=\"styles.xml\"/>"
                       "<Relationship Id=\"u\" Type=\"" + rel + "sharedStrings\" Target=\"sharedStrings.xml\"/>"
                       "</Relationships>")});
    parts.append({"xl/styles.xml", Utf8("<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                        "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/></cellXfs></styleSheet>")});
    QString sst = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    for (const QString& si : CaseParts().SharedStrings)
        sst += "<si>" + si + "</si>";
    parts.append({"xl/sharedStrings.xml", Utf8(sst + "</sst>")});
    parts.append({"xl/worksheets/sheet1.xml", Utf8(sheet)});
    TXlsxWriter::WritePackage(Path("prefixed.xlsx"), parts);
    Check(ReadXlsxFirstSheet(Path("prefixed.xlsx")), 2000);
}

TEST_F(XlsxStretchTest, UnnumberedRowsAreCountedFromTheStart)
{
    XlsxParts p = CaseParts();
    // Row 1 is numbered, the 2000 after it and their cells are not: they are rows 2..2001.
    p.SheetData = Rows(1, QString()) + Rows(2000, QString(), false);
    WriteXlsx(Path("unnumbered.xlsx"), p);
    XlsxStretchBytes = 1024;
    const TSheetCells c = ReadXlsxFirstSheet(Path("unnumbered.xlsx"));
    ASSERT_EQ(c.RowCount(), 2001);
    EXPECT_DOUBLE_EQ(c.Number(2001, 1), 2000);
    EXPECT_EQ(c.Text(2001, 2), u"строка 2000");
    EXPECT_DOUBLE_EQ(c.Number(2, 4), 45001);
}

TEST_F(XlsxStretchTest, BrokenXmlInALaterStretchRaises)
{
    XlsxParts p = CaseParts();
    p.SheetData = Rows(1500, QString()) + "<row r=\"1501\"><c r=\"A1501\"><v>1</v></row>" + "<row r=\"1502\"/>";
    WriteXlsx(Path("broken.xlsx"), p);
    XlsxStretchBytes = 1024;
    try {
        ReadXlsxFirstSheet(Path("broken.xlsx"));
        ADD_FAILURE() << "no exception";
    } catch (const EExcelError& e) {
        EXPECT_TRUE(e.Message().contains(Path("broken.xlsx"))) << e.Message().toStdString();
    }
}

} // namespace

namespace {

// The sheet XML is read by a byte scanner in blocks: markup it must take as a general XML reader
// would, with blocks of 1 KiB so that tags, entities and characters fall across block ends.
TEST_F(XlsxStretchTest, ScannerReadsMarkupAsXmlDoes)
{
    struct Case {
        const char* name;
        const char* cellXml;   // a whole <c> in column A of its own row
        TCellKind kind;
        double num;
        const char* text;
    };
    const Case cases[] = {
        {"entities and character references", R"(<c r="A%1" t="inlineStr"><is><t>a&amp;b&lt;&gt;&quot;&apos;&#1046;&#x416;&#x1F600;</t></is></c>)",
         TCellKind::Text, 0, "a&b<>\"'ЖЖ😀"},
        {"single quotes, type before reference", R"(<c t='b' s='0' r='A%1'><v>1</v></c>)", TCellKind::Boolean, 1, ""},
        {"spaces around = and before >", "<c  r = \"A%1\"\n t =\t\"n\" ><v>2.5</v ></c >", TCellKind::Number, 2.5, ""},
        {"self-closing cell with a style", R"(<c r="A%1" s="1"/>)", TCellKind::Empty, 0, ""},
        {"CDATA keeps markup characters", R"(<c r="A%1" t="str"><v><![CDATA[<b>&amp;]]></v></c>)", TCellKind::Text, 0, "<b>&amp;"},
        {"stray > in text", R"(<c r="A%1" t="inlineStr"><is><t>a > b</t></is></c>)", TCellKind::Text, 0, "a > b"},
        {"> and / inside an attribute value", R"(<c r="A%1" x:y="a>b/" xmlns:x="urn:x"><v>7</v></c>)", TCellKind::Number, 7, ""},
        {"comment and processing instruction in a cell", R"(<c r="A%1"><!-- <v>9</v> --><v>5</v><?note x?></c>)", TCellKind::Number, 5, ""},
        {"type given by a character reference", R"(<c r="A%1" t="&#115;"><v>0</v></c>)", TCellKind::Text, 0, "Код страны поставщика"},
        {"value with surrounding blanks", "<c r=\"A%1\"><v> 12\n</v></c>", TCellKind::Number, 12, ""},
        {"prefixed cell inside plain row", R"(<s:c r="A%1" xmlns:s="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><s:v>3</s:v></s:c>)",
         TCellKind::Number, 3, ""},
    };
    // Long texts of entities and multi-byte characters, so that some fall across every block end.
    QString longXml, longText;
    for (int i = 0; i < 700; ++i) {
        longXml += QStringLiteral("&amp;Ж&#x416;%1").arg(i % 10);
        longText += QStringLiteral("&ЖЖ%1").arg(i % 10);
    }
    XlsxParts p = CaseParts();
    p.SharedStrings.append("<t>" + longXml + "</t>");
    int r = 1;
    for (const Case& c : cases) {
        p.SheetData += QStringLiteral("<row r=\"%1\">").arg(r) + QString::fromUtf8(c.cellXml).arg(r) + "</row>";
        ++r;
    }
    p.SheetData += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"inlineStr\"><is><t>%2</t></is></c>"
                                  "<c r=\"B%1\" t=\"s\"><v>4</v></c></row>").arg(r).arg(longXml);
    WriteXlsx(Path("markup.xlsx"), p);

    for (int block : {1024, 1 << 20}) {
        SCOPED_TRACE(block);
        XlsxStretchBytes = block;
        const TSheetCells cells = ReadXlsxFirstSheet(Path("markup.xlsx"));
        ASSERT_EQ(cells.RowCount(), int(std::size(cases)) + 1);
        int row = 1;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(int(cells.Kind(row, 1)), int(c.kind));
            if (c.kind == TCellKind::Text)
                EXPECT_EQ(cells.Text(row, 1), QString::fromUtf8(c.text));
            else
                EXPECT_DOUBLE_EQ(cells.Number(row, 1), c.num);
            ++row;
        }
        EXPECT_EQ(cells.Text(row, 1), longText);
        EXPECT_EQ(cells.Text(row, 2), longText);
    }
}

// What a general XML reader refuses, the scanner refuses too, naming the file and the part.
TEST_F(XlsxStretchTest, MalformedMarkupRaisesNamingThePart)
{
    const struct {
        const char* name;
        const char* sheetData;
        const char* sharedString;   // an extra <si> item, when not null
        const char* part;
    } cases[] = {
        {"unknown entity", R"(<row r="1"><c r="A1" t="inlineStr"><is><t>a&nbsp;b</t></is></c></row>)", nullptr, "sheet2.xml"},
        {"ampersand without a reference", R"(<row r="1"><c r="A1" t="str"><v>a & b</v></c></row>)", nullptr, "sheet2.xml"},
        {"surrogate character reference", R"(<row r="1"><c r="A1" t="str"><v>&#xD800;</v></c></row>)", nullptr, "sheet2.xml"},
        {"unquoted attribute", R"(<row r="1"><c r=A1><v>1</v></c></row>)", nullptr, "sheet2.xml"},
        {"< in an attribute value", R"(<row r="1"><c r="A<1"><v>1</v></c></row>)", nullptr, "sheet2.xml"},
        {"crossed end tags", R"(<row r="1"><c r="A1"><v>1</c></v></row>)", nullptr, "sheet2.xml"},
        {"prefix differs in the end tag", R"(<row r="1"><c r="A1"><v>1</v></x:c></row>)", nullptr, "sheet2.xml"},
        {"unclosed comment", R"(<row r="1"><!-- <c r="A1"><v>1</v></c></row>)", nullptr, "sheet2.xml"},
        {"broken string table", "", "<t>a</b>", "sharedStrings.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        XlsxParts p = CaseParts();
        p.SheetData = QString::fromUtf8(c.sheetData);
        if (c.sharedString)
            p.SharedStrings.append(QString::fromUtf8(c.sharedString));
        const QString path = Path(QStringLiteral("bad markup %1.xlsx").arg(QString::fromUtf8(c.name)));
        WriteXlsx(path, p);
        try {
            ReadXlsxFirstSheet(path);
            ADD_FAILURE() << "no exception";
        } catch (const EExcelError& e) {
            EXPECT_TRUE(e.Message().contains(path)) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.part))) << e.Message().toStdString();
        }
    }
}

} // namespace
