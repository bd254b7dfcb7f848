#include "SheetFixtures.h"
#include "platform/sheets/Workbook.h"

namespace {

struct ValueCase {
    const char* field;     // UTF-8, the whole file: one cell
    TCellKind kind;
    double num;            // Number, Date, Boolean as 0/1
    const char* text;      // Text; nullptr: the field itself
};

const ValueCase kValues[] = {
    {"123", TCellKind::Number, 123, nullptr},
    {"-1 234 567,89", TCellKind::Number, -1234567.89, nullptr},
    {"1\u00A0234,5", TCellKind::Number, 1234.5, nullptr},
    {"1\u202F234", TCellKind::Number, 1234, nullptr},
    {" 42 ", TCellKind::Number, 42, nullptr},
    {"0,5", TCellKind::Number, 0.5, nullptr},
    {"0", TCellKind::Number, 0, nullptr},
    {"12,", TCellKind::Number, 12, nullptr},
    {"1,5E+3", TCellKind::Number, 1500, nullptr},
    {"12%", TCellKind::Number, 0.12, nullptr},
    {"123456789", TCellKind::Number, 123456789, nullptr},        // a nine-digit taxpayer number is safe
    {"1 234 567 890 123,45", TCellKind::Number, 1234567890123.45, nullptr},
    {"0012", TCellKind::Text, 0, nullptr},                      // a branch number keeps its zeros
    {"00,5", TCellKind::Text, 0, nullptr},
    {"1234.56", TCellKind::Text, 0, nullptr},                   // '.' is no decimal separator here
    {"12.05", TCellKind::Text, 0, nullptr},                     // no year: not a date
    {"1 23", TCellKind::Text, 0, nullptr},
    {"1234 567", TCellKind::Text, 0, nullptr},
    {"123456789012", TCellKind::Text, 0, nullptr},              // 12+ digits: an identifier
    {"+375291234567", TCellKind::Text, 0, nullptr},
    {"1234567890123456", TCellKind::Text, 0, nullptr},          // past a double's precision
    {"1 234 567 890 123 456,7", TCellKind::Text, 0, nullptr},
    {"100123456-2024-0000000123", TCellKind::Text, 0, nullptr}, // an e-invoice number
    {"15.03.2024", TCellKind::Date, 45366, nullptr},
    {"5.3.2024", TCellKind::Date, 45356, nullptr},
    {"15.03.24", TCellKind::Date, 45366, nullptr},
    {"15.03.2024 12:00", TCellKind::Date, 45366.5, nullptr},
    {"15.03.2024 06:00:36", TCellKind::Date, 45366.25 + 36.0 / 86400, nullptr},
    {"2024-03-15", TCellKind::Date, 45366, nullptr},
    {"12:00", TCellKind::Date, 0.5, nullptr},
    {"31.02.2024", TCellKind::Text, 0, nullptr},
    {"ИСТИНА", TCellKind::Boolean, 1, nullptr},
    {"ложь", TCellKind::Boolean, 0, nullptr},
    {"TRUE", TCellKind::Text, 0, nullptr},
    {"=SUM(A1)", TCellKind::Text, 0, nullptr},
    {"-", TCellKind::Text, 0, nullptr},
    {"   ", TCellKind::Text, 0, nullptr},
    {" текст ", TCellKind::Text, 0, nullptr},                   // text keeps its blanks
    {"\"0012\"", TCellKind::Text, 0, "0012"},
    {"\"1 234,5\"", TCellKind::Number, 1234.5, nullptr},          // quotes do not make text
};

TEST(CsvReaderTest, ValuesConvertAsUnderRussianSettings)
{
    for (const auto& c : kValues) {
        SCOPED_TRACE(c.field);
        const TSheetCells cells = ReadCsvText("k;" + QByteArray(c.field) + "\r\n");
        ASSERT_EQ(cells.RowCount(), 1);
        ASSERT_EQ(cells.ColCount(), 2);
        EXPECT_EQ(int(cells.Kind(1, 2)), int(c.kind));
        if (c.kind == TCellKind::Text)
            EXPECT_EQ(cells.Text(1, 2), QString::fromUtf8(c.text ? c.text : c.field));
        else
            EXPECT_NEAR(cells.Number(1, 2), c.num, 1e-9);
    }
}

struct DialectCase {
    const char* name;
    QByteArray bytes;
    std::vector<std::vector<const char*>> rows;   // expected texts; "" for Empty, numbers as "#1,5"
};

void ExpectGrid(const TSheetCells& cells, const std::vector<std::vector<const char*>>& rows)
{
    ASSERT_EQ(cells.RowCount(), int(rows.size()));
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            SCOPED_TRACE(testing::Message() << "row " << r + 1 << " col " << c + 1);
            const QString want = QString::fromUtf8(rows[r][c]);
            const int row = int(r) + 1, col = int(c) + 1;
            if (want.isEmpty())
                EXPECT_EQ(cells.Kind(row, col), TCellKind::Empty);
            else if (want.startsWith(u'#'))
                EXPECT_DOUBLE_EQ(cells.Number(row, col), want.mid(1).replace(u',', u'.').toDouble());
            else
                EXPECT_EQ(cells.Text(row, col), want);
        }
    }
}

TEST(CsvReaderTest, Dialects)
{
    const DialectCase cases[] = {
        {"semicolons with decimal commas", "Код;Сумма;Имя\n1;1,5;x\n", {{"Код", "Сумма", "Имя"}, {"#1", "#1,5", "x"}}},
        {"commas, numbers quoted", "a,b,\"1,5\",c\n", {{"a", "b", "#1,5", "c"}}},
        {"tabs", "a\tb,c\tx\n", {{"a", "b,c", "x"}}},
        {"separator inside quotes does not count", "\"a;b;c\",d,e\n", {{"a;b;c", "d", "e"}}},
        {"no separator at all", "один\nдва", {{"один"}, {"два"}}},
        {"a title line of commas, semicolons below",
         "Список ЭСЧФ, полученных за март\nКод;Сумма\n1;2,5\n",
         {{"Список ЭСЧФ, полученных за март", ""}, {"Код", "Сумма"}, {"#1", "#2,5"}}},
        {"quotes, doubled quotes, line breaks",
         "\"a \"\"q\"\" b\";\"x;y\";\"line1\nline2\";\"crlf\r\nin\"\r\nnext;\"\"\r\n",
         {{"a \"q\" b", "x;y", "line1\nline2", "crlf\nin"}, {"next", ""}}},
        {"text after a closing quote is kept", "\"ab\"cd;e\n", {{"abcd", "e"}}},
        {"quote inside an unquoted field is literal", "ab\"c;d\n", {{"ab\"c", "d"}}},
        {"empty fields and lines", "a;;c\n\n;;\rd\r", {{"a", "", "c"}, {"", "", ""}, {"", "", ""}, {"d", "", ""}}},
        {"UTF-8 BOM", "\xEF\xBB\xBFКод;Имя\n", {{"Код", "Имя"}}},
        {"CP1251", "\xCA\xEE\xE4;\xC8\xEC\xFF\n", {{"Код", "Имя"}}},
        {"UTF-16LE with BOM", QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(u"Код\tИмя\r\n"), 18),
         {{"Код", "Имя"}}},
    };
    // Also fed a byte or a few at a time: nothing may depend on where a chunk ends.
    for (const auto& c : cases) {
        for (int chunk : {1 << 20, 1, 2, 3}) {
            SCOPED_TRACE(testing::Message() << c.name << ", chunks of " << chunk);
            ExpectGrid(ReadCsvText(c.bytes, chunk), c.rows);
        }
    }
}

TEST(CsvReaderTest, Cp1251FoundOnlyFarIntoTheFile)
{
    const QByteArray bytes = QByteArray("a;b\n").repeated(30000) + "\xCA\xEE\xE4;\xC8\xEC\xFF\n";
    for (int chunk : {1 << 20, 4096}) {
        const TSheetCells cells = ReadCsvText(bytes, chunk);
        ASSERT_EQ(cells.RowCount(), 30001);
        EXPECT_EQ(cells.Text(30000, 2), u"b");
        EXPECT_EQ(cells.Text(30001, 1), u"Код");
        EXPECT_EQ(cells.Text(30001, 2), u"Имя");
    }
}

// With a byte order mark the file is UTF-8: a byte that is not does not turn the whole file
// into CP1251. It is replaced where it stands and its row noted with the file's line; a U+FFFD
// the file itself holds is no problem.
TEST(CsvReaderTest, Utf8WithBomKeepsItsTextAndNotesTheBadLines)
{
    const QByteArray bytes = "\xEF\xBB\xBFКод;Имя\n1;Иванов\n2;Пет\xFFров\n\"3\nстрока\";Сидоров \xD0\n4;\xEF\xBF\xBD\n";
    for (int chunk : {1 << 20, 1, 2, 3}) {
        SCOPED_TRACE(chunk);
        const TSheetCells c = ReadCsvText(bytes, chunk);
        ASSERT_EQ(c.RowCount(), 5);
        EXPECT_EQ(c.Text(1, 2), u"Имя");
        EXPECT_EQ(c.Text(2, 2), u"Иванов");
        EXPECT_EQ(c.Text(3, 2), u"Пет\uFFFDров");
        EXPECT_EQ(c.Text(4, 1), u"3\nстрока");
        EXPECT_EQ(c.Text(4, 2), u"Сидоров \uFFFD");
        EXPECT_EQ(c.Text(5, 2), u"\uFFFD");
        EXPECT_EQ(c.RowProblem(1), QString());
        EXPECT_EQ(c.RowProblem(2), QString());
        EXPECT_TRUE(c.RowProblem(3).contains(QStringLiteral("в строке 3 файла"))) << c.RowProblem(3).toStdString();
        EXPECT_TRUE(c.RowProblem(4).contains(QStringLiteral("в строке 5 файла"))) << c.RowProblem(4).toStdString();
        EXPECT_EQ(c.RowProblem(5), QString());
    }
}

// Each maximal ill-formed part is one U+FFFD, as the Unicode standard recommends; well-formed
// sequences of every length decode, wherever a chunk ends.
TEST(CsvReaderTest, Utf8ReplacementFollowsTheMaximalParts)
{
    struct Case {
        const char* bytes;
        const char16_t* text;
    };
    const Case cases[] = {
        {"x\x80y", u"x\uFFFDy"},
        {"x\xC0\xAFy", u"x\uFFFD\uFFFDy"},                     // never a lead byte, then a lone tail
        {"x\xE0\x80\xAFy", u"x\uFFFD\uFFFD\uFFFDy"},            // overlong
        {"x\xED\xA0\x80y", u"x\uFFFD\uFFFD\uFFFDy"},            // a surrogate
        {"x\xF4\x90\x80\x80y", u"x\uFFFD\uFFFD\uFFFD\uFFFDy"},  // past U+10FFFF
        {"x\xF5y", u"x\uFFFDy"},
        {"x\xE2\x82y", u"x\uFFFDy"},                            // cut short
        {"x\xF0\x9F\x98y", u"x\uFFFDy"},
        {"x\xE2\x82", u"x\uFFFD"},                              // cut short by the end of the file
        {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"é€\U0001F600"},
    };
    for (const Case& k : cases) {
        for (int chunk : {1 << 20, 1, 2}) {
            SCOPED_TRACE(testing::Message() << k.bytes << ", chunks of " << chunk);
            const TSheetCells c = ReadCsvText(QByteArray("\xEF\xBB\xBF") + k.bytes, chunk);
            EXPECT_EQ(c.Text(1, 1), QString::fromUtf16(k.text));
            EXPECT_EQ(c.RowProblem(1).isEmpty(), QString::fromUtf16(k.text) == QStringLiteral("é€\U0001F600"));
        }
    }
}

TEST(CsvReaderTest, UsedRangeSkipsLeadingBlankRowsAndColumns)
{
    const TSheetCells cells = ReadCsvText(";;\n;;x;\n;;;7\n");
    EXPECT_EQ(cells.FirstRow(), 2);
    EXPECT_EQ(cells.FirstCol(), 3);
    EXPECT_EQ(cells.RowCount(), 2);
    EXPECT_EQ(cells.ColCount(), 2);
    EXPECT_EQ(cells.Text(1, 1), u"x");
    EXPECT_DOUBLE_EQ(cells.Number(2, 2), 7);
}

TEST(CsvReaderTest, DeskAuditRowKeepsIdentifiersAsText)
{
    // The columns the import reads: UNN, branch, name ... e-invoice number, dates, amounts.
    QByteArray line = "112;190000001;0012;ООО \"Ромашка\"";
    for (int col = 5; col <= 14; ++col)
        line += ";";
    line += ";190000001-2024-0000012345;;;;;05.02.2024";
    const TSheetCells cells = ReadCsvText(line + "\n");
    EXPECT_DOUBLE_EQ(cells.Number(1, 2), 190000001);
    EXPECT_EQ(cells.Text(1, 3), u"0012");
    EXPECT_EQ(cells.Text(1, 4), u"ООО \"Ромашка\"");
    EXPECT_EQ(cells.Text(1, 15), u"190000001-2024-0000012345");
    EXPECT_EQ(cells.Kind(1, 20), TCellKind::Date);
    EXPECT_DOUBLE_EQ(cells.Number(1, 20), 45327);
}

TEST(CsvReaderTest, MissingFileRaisesNamingIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("нет такого.csv");
    try {
        ReadFirstWorksheet(path);
        ADD_FAILURE() << "no exception";
    } catch (const EExcelError& e) {
        EXPECT_TRUE(e.Message().contains(path));
    }
}

} // namespace
