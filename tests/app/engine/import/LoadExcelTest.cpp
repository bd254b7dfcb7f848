// The workbook import on the demo catalogs: small workbooks written for each case, the
// job run against the stand-in window, its boxes answered by the hook, and "#svexceltmp"
// read back on the summary connection.
#include "app/engine/DemoData.h"
#include "app/engine/support/MainWindowStandIn.h"
#include "app/engine/uCompDM.h"
#include "app/engine/uLoadExcelThread.h"
#include "platform/sheets/XlsxWriter.h"

#include <QDate>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <map>

using namespace enginetest;

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

constexpr int kDate = -1;   // placeholder style: the writer's short date

// One worksheet row: cells by column.
struct TRow {
    std::map<int, TXlsxCell> Cells;
    TRow& Text(int col, const QString& v)
    {
        Cells[col] = TXlsxCell::MakeText(col, v);
        return *this;
    }
    TRow& Num(int col, double v)
    {
        Cells[col] = TXlsxCell::MakeNumber(col, v);
        return *this;
    }
    TRow& Date(int col, QDate d)
    {
        Cells[col] = TXlsxCell::MakeNumber(col, double(QDate(1899, 12, 30).daysTo(d)), kDate);
        return *this;
    }
    TRow& Drop(int col)
    {
        Cells.erase(col);
        return *this;
    }
};

// A filled e-invoice row as the tax authority writes it.
TRow Invoice(const QString& number, const QString& unn = QStringLiteral("190000001"), const QString& branch = QString())
{
    TRow r;
    r.Text(1, QStringLiteral("112")).Text(2, unn).Text(4, QStringLiteral("ООО \"Ромашка\""));
    if (!branch.isEmpty())
        r.Text(3, branch);
    r.Text(11, QStringLiteral("Филиал №2")).Text(14, QStringLiteral("Иванов И.И.")).Text(15, number);
    r.Date(20, QDate(2024, 2, 10)).Text(38, QStringLiteral("ТТН-0042")).Date(39, QDate(2024, 2, 9));
    r.Num(41, 1000.5).Num(43, 200.1).Num(44, 1200.6);
    return r;
}

// Rows from sheet row firstRow down, shifted right by colOffset columns.
void WriteBook(const QString& path, const std::vector<TRow>& rows, int firstRow = 1, int colOffset = 0)
{
    TXlsxWriter w(path);
    const int dateStyle = w.DateStyle();
    w.BeginSheet(QStringLiteral("Лист1"));
    int r = firstRow;
    for (const TRow& row : rows) {
        std::vector<TXlsxCell> cells;
        for (auto [col, cell] : row.Cells) {
            cell.Col = col + colOffset;
            if (cell.Style == kDate)
                cell.Style = dateStyle;
            cells.push_back(cell);
        }
        w.WriteRow(r++, cells);
    }
    w.EndSheet();
    w.Close();
}

TRow Caption()
{
    TRow r;
    r.Text(1, QStringLiteral("Код страны поставщика")).Text(2, QStringLiteral("УНН поставщика"));
    r.Text(15, QStringLiteral("Номер ЭСЧФ")).Text(44, QStringLiteral("Стоимость с НДС"));
    return r;
}

struct TStored {
    QString Invoice, NamePredpr, Signer, Recipient, DocNumber, SvPlace;
    int64_t IdPredpr = 0;
    Variant DopUnn, DocDate;
    TDateTime DateTrans = 0;
    Currency Vat, Cost, CostVat;
    int Status = 0;
};

class Import : public ::testing::Test {
protected:
    QTemporaryDir dir;
    demo::TDemoModel model;
    std::unique_ptr<TCompDM> dm;
    std::unique_ptr<TMainWindowStandIn> w;
    TBoxRecorder boxes;

    void Start(const QString& filial = QString())
    {
        demo::TDemoOptions o;
        o.Size = 3;
        o.Filial = filial;
        model = demo::BuildDemoModel(o);
        demo::WriteDemoDatabases(model, dir.path());
        TCompDM::ConfigPath = dir.filePath(QStringLiteral("Config.ini"));
        dm = CreateUnique<TCompDM>(nullptr);
        ASSERT_EQ(dm->CreateError, QString());
        CompDM = dm.get();
        w = CreateUnique<TMainWindowStandIn>();
    }
    void TearDown() override
    {
        w.reset();
        CompDM = nullptr;
        dm.reset();
        TCompDM::ConfigPath.clear();
    }
    QString Path(const QString& name) { return dir.filePath(name); }

    void Run(const QStringList& paths)
    {
        TStringList list;
        list.AddStrings(paths);
        auto* job = new TLoadExcelProcess(true, &list, w->MainProgressBar, w->MainStatusBar, w->MainPageControl,
                                          w->LoadExcelFileBtn, w->UpdateBtn, w->InstrumentsPanel, w->MainMenu);
        list.Clear();   // the window's dialog list may change once the job has it
        job->Start();
        job->WaitFor();
        EXPECT_EQ(job->FatalException(), nullptr);
        delete job;
    }

    std::vector<TStored> Table()
    {
        auto qHolder = CreateUnique<TADOQuery>(nullptr);
        TADOQuery& q = *qHolder;
        q.SetConnection(dm->SvodMDBConnection);
        q.SQL()->SetText(QStringLiteral(
            "SELECT invoicefullname, idPredpr, namePredpr, dopunn, signerfio, recipientname, docnumber, docdate,\n"
            " datetrans, ndsexcel, totalcostinv, totalcostvatinv, svplace, status\nFROM #svexceltmp\nORDER BY invoicefullname"));
        q.Open();
        std::vector<TStored> out;
        for (q.First(); !q.Eof(); q.Next()) {
            TStored s;
            s.Invoice = q.FieldByName(QStringLiteral("invoicefullname"))->AsString();
            s.IdPredpr = q.FieldByName(QStringLiteral("idPredpr"))->AsLargeInt();
            s.NamePredpr = q.FieldByName(QStringLiteral("namePredpr"))->AsString();
            s.DopUnn = q.FieldByName(QStringLiteral("dopunn"))->Value();
            s.Signer = q.FieldByName(QStringLiteral("signerfio"))->AsString();
            s.Recipient = q.FieldByName(QStringLiteral("recipientname"))->AsString();
            s.DocNumber = q.FieldByName(QStringLiteral("docnumber"))->AsString();
            s.DocDate = q.FieldByName(QStringLiteral("docdate"))->Value();
            s.DateTrans = q.FieldByName(QStringLiteral("datetrans"))->AsDateTime();
            s.Vat = q.FieldByName(QStringLiteral("ndsexcel"))->AsCurrency();
            s.Cost = q.FieldByName(QStringLiteral("totalcostinv"))->AsCurrency();
            s.CostVat = q.FieldByName(QStringLiteral("totalcostvatinv"))->AsCurrency();
            s.SvPlace = q.FieldByName(QStringLiteral("svplace"))->AsString();
            s.Status = q.FieldByName(QStringLiteral("status"))->AsInteger();
            out.push_back(s);
        }
        return out;
    }
    QStringList Numbers()
    {
        QStringList n;
        for (const TStored& s : Table())
            n << s.Invoice;
        return n;
    }
    void ExpectWindowRestored()
    {
        EXPECT_TRUE(w->LoadExcelFileBtn->Enabled());
        EXPECT_TRUE(w->UpdateBtn->Enabled());
        EXPECT_TRUE(w->MainPageControl->Enabled());
        EXPECT_TRUE(w->InstrumentsPanel->Enabled());
        EXPECT_TRUE(w->StateMMBtn->Enabled());
        EXPECT_EQ(w->MainProgressBar->Style(), pbstNormal);
        EXPECT_EQ(w->MainStatusBar->SimpleText(), QStringLiteral("Обработка завершена"));
    }
};

Currency Money(int64_t thousandths) { return Currency::FromRaw(thousandths * 10); }

const QString kN1 = QStringLiteral("190000001-2024-0000000001");
const QString kN2 = QStringLiteral("190000001-2024-0000000002");
const QString kN3 = QStringLiteral("190000001-2024-0000000003");

}  // namespace

TEST_F(Import, RowsBelowTheCaptionWithTheirValues)
{
    Start();
    TRow title;
    title.Text(4, QStringLiteral("Сведения об ЭСЧФ, полученных покупателем"));
    TRow blank;
    blank.Text(15, QString());   // a row with nothing in it: skipped without a box
    TRow noDates = Invoice(kN2, QStringLiteral("190000002"), QStringLiteral("0007"));
    noDates.Drop(39).Text(10, QStringLiteral(" 3 "));
    WriteBook(Path(QStringLiteral("a.xlsx")), {title, Caption(), Invoice(kN1), noDates, TRow().Text(1, QStringLiteral("112"))});
    Run({Path(QStringLiteral("a.xlsx"))});

    EXPECT_TRUE(boxes.Boxes.empty());
    const std::vector<TStored> t = Table();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].Invoice, kN1);
    EXPECT_EQ(t[0].IdPredpr, 1900000010000LL);
    EXPECT_EQ(t[0].NamePredpr, QStringLiteral("190000001 - ООО \"Ромашка\""));
    EXPECT_TRUE(VarIsNull(t[0].DopUnn));
    EXPECT_EQ(t[0].Signer, QStringLiteral("Иванов И.И."));
    EXPECT_EQ(t[0].Recipient, QStringLiteral("Филиал №2"));
    EXPECT_EQ(t[0].DocNumber, QStringLiteral("ТТН-0042"));
    EXPECT_EQ(VarToDateTime(t[0].DocDate), EncodeDate(2024, 2, 9));
    EXPECT_EQ(t[0].DateTrans, EncodeDate(2024, 2, 10));
    EXPECT_EQ(t[0].Vat, Money(200100));
    EXPECT_EQ(t[0].Cost, Money(1000500));
    EXPECT_EQ(t[0].CostVat, Money(1200600));
    EXPECT_EQ(t[0].SvPlace, QStringLiteral("П"));
    EXPECT_EQ(t[0].Status, 5);
    // a branch number with leading zeros keeps them in the identifier and the name
    EXPECT_EQ(t[1].IdPredpr, 1900000020007LL);
    EXPECT_EQ(t[1].NamePredpr, QStringLiteral("190000002 0007 - ООО \"Ромашка\""));
    EXPECT_EQ(VarToStr(t[1].DopUnn), QStringLiteral("3"));
    EXPECT_TRUE(VarIsNull(t[1].DocDate));
    ExpectWindowRestored();
}

// Where the rows start: the first filled column-1 cell that is not the caption, else row 3.
TEST_F(Import, FirstDataRowRule)
{
    Start();
    struct Case {
        const char* name;
        std::vector<TRow> rows;
        int firstRow, colOffset;
        QStringList imported;
        int boxes;
    };
    TRow titleInCol1;
    titleInCol1.Text(1, QStringLiteral("Реестр ЭСЧФ"));
    TRow noCol1 = Invoice(kN1);
    noCol1.Drop(1);
    TRow noCol1b = Invoice(kN2);
    noCol1b.Drop(1);
    const std::vector<Case> cases = {
        {"caption first", {Caption(), Invoice(kN1), Invoice(kN2)}, 1, 0, {kN1, kN2}, 0},
        // the used range starts at C4: columns and rows count from there
        {"range not at A1", {Caption(), Invoice(kN1), Invoice(kN2)}, 4, 2, {kN1, kN2}, 0},
        // other text above the caption: the rows start there, so the caption row is read as
        // data and fails on its identifier
        {"title in column 1", {titleInCol1, Caption(), Invoice(kN1)}, 1, 0, {kN1}, 1},
        // nothing in column 1 but the caption: from row 3, so row 2 is passed over
        {"only the caption in column 1", {Caption(), noCol1, noCol1b}, 1, 0, {kN2}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.Boxes.clear();
        const QString p = Path(QString::fromUtf8(c.name) + QStringLiteral(".xlsx"));
        WriteBook(p, c.rows, c.firstRow, c.colOffset);
        Run({p});
        EXPECT_EQ(Numbers(), c.imported);
        ASSERT_EQ(int(boxes.Boxes.size()), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(boxes.Boxes[0].Text.section(QStringLiteral("\n\r"), -1), QStringLiteral("Номер ЭСЧФ"));
        }
    }
}

TEST_F(Import, RepeatedNumberAcrossFilesFailsItsRowOnly)
{
    Start();
    WriteBook(Path(QStringLiteral("one.xlsx")), {Caption(), Invoice(kN1), Invoice(kN2)});
    WriteBook(Path(QStringLiteral("two.xlsx")), {Caption(), Invoice(kN2), Invoice(kN3)});
    QString statusDuringBox;
    TBaseCompThread::MessageBoxRoutine = [&](const QString& t, const QString& c, UINT f) {
        boxes.Boxes.push_back({t, c, f, IsUIThread()});
        statusDuringBox = w->MainStatusBar->SimpleText();
        return IDOK;
    };
    // a path written with back-slashes still shows the bare file name
    QFile::copy(Path(QStringLiteral("two.xlsx")), Path(QStringLiteral("dir\\two.xlsx")));
    Run({Path(QStringLiteral("one.xlsx")), Path(QStringLiteral("dir\\two.xlsx"))});

    EXPECT_EQ(Numbers(), (QStringList{kN1, kN2, kN3}));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    const QString text = boxes.Boxes[0].Text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("Ошибка при вставке информации из файла камерального контроля с текстом: ")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("duplicate key"))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n\r") + kN2)) << text.toStdString();
    EXPECT_EQ(boxes.Boxes[0].Flags, UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(statusDuringBox, QStringLiteral("Вставка записей two.xlsx в таблицу..."));
    ExpectWindowRestored();

    // the next import starts from an empty table
    boxes.Boxes.clear();
    Run({Path(QStringLiteral("two.xlsx"))});
    EXPECT_EQ(Numbers(), (QStringList{kN2, kN3}));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST(CellToCurrency, EitherDecimalMarkUnderEitherLocale)
{
    const QChar saved = FormatSettings.DecimalSeparator;
    const QChar savedThousand = FormatSettings.ThousandSeparator;
    struct Case {
        Variant cell;
        int64_t thousandths;
    };
    const std::vector<Case> cases = {
        {Variant(QStringLiteral("1 234,56")), 1234560}, {Variant(QStringLiteral("1 234.56")), 1234560},
        {Variant(QStringLiteral("12 345 678.9")), 12345678900}, {Variant(1234.5), 1234500},
        {Variant(QString()), 0}, {Variant(), 0}, {Variant(QStringLiteral("-0,125")), -125},
    };
    for (QChar sep : {u',', u'.'}) {
        FormatSettings.DecimalSeparator = sep;
        FormatSettings.ThousandSeparator = sep == u',' ? QChar(0xA0) : u',';
        for (const Case& c : cases) {
            SCOPED_TRACE(QStringLiteral("%1 under '%2'").arg(VarToStr(c.cell)).arg(sep).toStdString());
            EXPECT_EQ(TLoadExcelProcess::CellToCurrency(c.cell), Money(c.thousandths));
        }
        EXPECT_THROW(TLoadExcelProcess::CellToCurrency(Variant(QStringLiteral("сто"))), EConvertError);
    }
    FormatSettings.DecimalSeparator = saved;
    FormatSettings.ThousandSeparator = savedThousand;
}

TEST_F(Import, MoneyTextImportsUnderAPointLocale)
{
    Start();
    const QChar saved = FormatSettings.DecimalSeparator;
    FormatSettings.DecimalSeparator = u'.';
    TRow r = Invoice(kN1);
    r.Text(41, QStringLiteral("1 000,5")).Text(43, QStringLiteral("200.1")).Drop(44);
    WriteBook(Path(QStringLiteral("m.xlsx")), {Caption(), r});
    Run({Path(QStringLiteral("m.xlsx"))});
    FormatSettings.DecimalSeparator = saved;
    const std::vector<TStored> t = Table();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].Cost, Money(1000500));
    EXPECT_EQ(t[0].Vat, Money(200100));
    EXPECT_EQ(t[0].CostVat, Money(0));
    EXPECT_TRUE(boxes.Boxes.empty());
}

TEST_F(Import, BadCellsGiveOneBoxPerRowAndTheRestImports)
{
    Start();
    TRow badDate = Invoice(kN1);
    badDate.Text(20, QStringLiteral("вчера"));
    TRow badMoney = Invoice(kN2);
    badMoney.Text(43, QStringLiteral("двести"));
    TRow badUnn = Invoice(QStringLiteral("190000001-2024-0000000004"), QStringLiteral("19000000X"));
    WriteBook(Path(QStringLiteral("bad.xlsx")), {Caption(), badDate, badMoney, Invoice(kN3), badUnn});
    Run({Path(QStringLiteral("bad.xlsx"))});

    EXPECT_EQ(Numbers(), QStringList{kN3});
    ASSERT_EQ(boxes.Boxes.size(), 3u);
    EXPECT_EQ(boxes.Boxes[0].Text, QStringLiteral("Ошибка преобразования в строку в ЭСЧФ ") + kN1);
    EXPECT_TRUE(boxes.Boxes[1].Text.startsWith(QStringLiteral("Произошла ошибка с текстом: ")));
    EXPECT_TRUE(boxes.Boxes[1].Text.endsWith(QStringLiteral("\n\r") + kN2));
    EXPECT_TRUE(boxes.Boxes[2].Text.startsWith(QStringLiteral("Произошла ошибка с текстом: ")));
    EXPECT_TRUE(boxes.Boxes[2].Text.endsWith(QStringLiteral("\n\r190000001-2024-0000000004")));
    ExpectWindowRestored();
}

// A date the summary table cannot hold (before 1753, after 9999, no number at all) is a row
// error naming the sheet row, never a made-up date; the first and last days that fit import.
TEST_F(Import, DatesOutsideTheTablesRangeAreRowErrors)
{
    Start();
    struct Case {
        int col;
        double value;   // a day number, written as a date-formatted cell
        const char* text;   // or a typed date
    };
    const Case bad[] = {
        {20, 1e308, nullptr}, {20, -1e308, nullptr}, {20, std::nan(""), nullptr}, {39, 3000000, nullptr},
        {39, -693594, nullptr}, {20, 0, "31.12.1752"}, {39, -53689, nullptr},
    };
    std::vector<TRow> rows{Caption()};
    QStringList badNumbers;
    for (size_t i = 0; i < std::size(bad); ++i) {
        const QString number = QStringLiteral("190000001-2024-00000001%1").arg(i, 2, 10, QLatin1Char('0'));
        TRow r = Invoice(number);
        if (bad[i].text)
            r.Text(bad[i].col, QString::fromUtf8(bad[i].text));
        else
            r.Cells[bad[i].col] = TXlsxCell::MakeNumber(bad[i].col, bad[i].value, kDate);
        rows.push_back(r);
        badNumbers << number;
    }
    TRow first = Invoice(kN1), last = Invoice(kN2);
    first.Date(20, QDate(1753, 1, 1)).Date(39, QDate(1753, 1, 1));
    last.Date(20, QDate(9999, 12, 31));
    last.Cells[39] = TXlsxCell::MakeNumber(39, double(QDate(1899, 12, 30).daysTo(QDate(9999, 12, 31))) + 0.999, kDate);
    rows.push_back(first);
    rows.push_back(last);
    WriteBook(Path(QStringLiteral("dates.xlsx")), rows, 3);   // the caption on sheet row 3
    Run({Path(QStringLiteral("dates.xlsx"))});

    EXPECT_EQ(Numbers(), (QStringList{kN1, kN2}));
    ASSERT_EQ(boxes.Boxes.size(), std::size(bad));
    for (size_t i = 0; i < std::size(bad); ++i) {
        SCOPED_TRACE(i);
        const QString want = QStringLiteral("Произошла ошибка с текстом: Строка %1: в столбце %2 дата вне допустимого диапазона "
                                            "(01.01.1753 - 31.12.9999)")
                                 .arg(4 + i)
                                 .arg(bad[i].col);
        EXPECT_TRUE(boxes.Boxes[i].Text.startsWith(want)) << boxes.Boxes[i].Text.toStdString();
        EXPECT_TRUE(boxes.Boxes[i].Text.endsWith(QStringLiteral("\n\r") + badNumbers[int(i)])) << boxes.Boxes[i].Text.toStdString();
    }
    const std::vector<TStored> t = Table();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].DateTrans, EncodeDate(1753, 1, 1));
    EXPECT_EQ(t[1].DateTrans, EncodeDate(9999, 12, 31));
    ExpectWindowRestored();
}

// A sheet narrower than 44 columns fails row by row; one narrower than 15 cannot even name
// its row and ends the import, with the window given back and earlier rows kept.
TEST_F(Import, NarrowSheets)
{
    Start();
    auto cut = [](TRow r, int lastCol) {
        for (auto it = r.Cells.begin(); it != r.Cells.end();)
            it = it->first > lastCol ? r.Cells.erase(it) : std::next(it);
        return r;
    };
    WriteBook(Path(QStringLiteral("wide.xlsx")), {Caption(), Invoice(kN1)});
    WriteBook(Path(QStringLiteral("c30.xlsx")), {cut(Caption(), 30), cut(Invoice(kN2), 30).Text(30, QStringLiteral("x"))});
    WriteBook(Path(QStringLiteral("c12.xlsx")), {cut(Caption(), 12), cut(Invoice(kN3), 12).Text(12, QStringLiteral("x"))});
    WriteBook(Path(QStringLiteral("after.xlsx")), {Caption(), Invoice(QStringLiteral("190000001-2024-0000000009"))});
    Run({Path(QStringLiteral("wide.xlsx")), Path(QStringLiteral("c30.xlsx")), Path(QStringLiteral("c12.xlsx")),
         Path(QStringLiteral("after.xlsx"))});

    EXPECT_EQ(Numbers(), QStringList{kN1});
    ASSERT_EQ(boxes.Boxes.size(), 2u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Произошла ошибка с текстом: ")));
    EXPECT_TRUE(boxes.Boxes[0].Text.endsWith(QStringLiteral("\n\r") + kN2));
    EXPECT_TRUE(boxes.Boxes[1].Text.startsWith(QStringLiteral("Произошла ошибка с текстом: ")));
    EXPECT_FALSE(boxes.Boxes[1].Text.contains(QStringLiteral("\n\r")));
    ExpectWindowRestored();
}

TEST_F(Import, UnreadableWorkbookEndsTheImportWithTheWindowRestored)
{
    Start();
    WriteBook(Path(QStringLiteral("good.xlsx")), {Caption(), Invoice(kN1)});
    QFile bad(Path(QStringLiteral("broken.xlsx")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArrayLiteral("PK\x03\x04 this is no workbook"));
    bad.close();
    Run({Path(QStringLiteral("good.xlsx")), Path(QStringLiteral("broken.xlsx")), Path(QStringLiteral("missing.xlsx"))});

    EXPECT_EQ(Numbers(), QStringList{kN1});
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(QStringLiteral("Произошла ошибка с текстом: ")));
    EXPECT_TRUE(boxes.Boxes[0].Text.contains(QStringLiteral("broken.xlsx"))) << boxes.Boxes[0].Text.toStdString();
    ExpectWindowRestored();
}

TEST_F(Import, CsvWorkbook)
{
    Start();
    QFile f(Path(QStringLiteral("kk.csv")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QStringList caption(44), row(44);
    caption[0] = QStringLiteral("Код страны поставщика");
    caption[14] = QStringLiteral("Номер ЭСЧФ");
    row[0] = QStringLiteral("112");
    row[1] = QStringLiteral("190000001");
    row[2] = QStringLiteral("0012");
    row[3] = QStringLiteral("\"ООО \"\"Ромашка\"\"\"");
    row[13] = QStringLiteral("Петров П.П.");
    row[14] = kN1;
    row[19] = QStringLiteral("10.02.2024");
    row[40] = QStringLiteral("1 000,50");
    row[42] = QStringLiteral("200,1");
    row[43] = QStringLiteral("1 200,60");
    f.write((caption.join(u';') + QStringLiteral("\r\n") + row.join(u';') + QStringLiteral("\r\n")).toUtf8());
    f.close();
    Run({f.fileName()});

    EXPECT_TRUE(boxes.Boxes.empty()) << (boxes.Boxes.empty() ? std::string() : boxes.Boxes[0].Text.toStdString());
    const std::vector<TStored> t = Table();
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].IdPredpr, 1900000010012LL);
    EXPECT_EQ(t[0].NamePredpr, QStringLiteral("190000001 0012 - ООО \"Ромашка\""));
    EXPECT_EQ(t[0].DateTrans, EncodeDate(2024, 2, 10));
    EXPECT_EQ(t[0].Cost, Money(1000500));
    EXPECT_EQ(t[0].CostVat, Money(1200600));
}

// A csv that says it is UTF-8 stays UTF-8 when a byte is not: that row is a row error naming
// the file's line, and every other row keeps its Cyrillic text.
TEST_F(Import, CsvWithABomAndABadByteReportsTheLine)
{
    Start();
    QFile f(Path(QStringLiteral("bom.csv")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    auto line = [](const QString& number, const QByteArray& name) {
        QList<QByteArray> row(44);
        row[0] = "112";
        row[1] = "190000001";
        row[3] = name;
        row[14] = number.toUtf8();
        row[19] = "10.02.2024";
        row[42] = "200,1";
        row[43] = "1 200,6";
        return row.join(';') + "\r\n";
    };
    QByteArray caption(43, ';');
    caption.prepend(QStringLiteral("Код страны поставщика").toUtf8());
    f.write("\xEF\xBB\xBF" + caption + "\r\n" + line(kN1, QStringLiteral("ООО Ромашка").toUtf8()) +
            line(kN2, QStringLiteral("ООО Лют").toUtf8() + "\xFF" + QStringLiteral("ик").toUtf8()) +
            line(kN3, QStringLiteral("ЧУП Василёк").toUtf8()));
    f.close();
    Run({f.fileName()});

    EXPECT_EQ(Numbers(), (QStringList{kN1, kN3}));
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_TRUE(boxes.Boxes[0].Text.startsWith(
        QStringLiteral("Произошла ошибка с текстом: Строка 3: в строке 3 файла байты не в кодировке UTF-8")))
        << boxes.Boxes[0].Text.toStdString();
    EXPECT_TRUE(boxes.Boxes[0].Text.endsWith(QStringLiteral("\n\r") + kN2));
    const std::vector<TStored> t = Table();
    ASSERT_EQ(t.size(), 2u);
    EXPECT_EQ(t[0].NamePredpr, QStringLiteral("190000001 - ООО Ромашка"));
    EXPECT_EQ(t[1].NamePredpr, QStringLiteral("190000001 - ЧУП Василёк"));
    ExpectWindowRestored();
}

// In branch mode a row is kept when it carries the branch's number, or one of the branch's
// signers in any letter case, or neither a number nor a signer.
TEST_F(Import, BranchModeKeepsTheBranchsRows)
{
    demo::TDemoOptions o;
    o.Size = 3;
    const demo::TDemoModel probe = demo::BuildDemoModel(o);
    ASSERT_GE(probe.Branches.size(), 2u);
    const int mine = probe.Branches[0].Number, other = probe.Branches[1].Number;
    Start(QString::number(mine));
    const demo::TDemoSigner* ours = nullptr;
    const demo::TDemoSigner* theirs = nullptr;
    for (const demo::TDemoSigner& s : model.Signers) {
        if (s.Filial == mine && !ours) ours = &s;
        if (s.Filial == other && !theirs) theirs = &s;
    }
    ASSERT_TRUE(ours && theirs);
    ASSERT_NE(ours->Fio, ours->Fio.toUpper());

    auto row = [&](int n, const QString& dop, const QString& signer) {
        TRow r = Invoice(QStringLiteral("190000001-2024-%1").arg(n, 10, 10, QLatin1Char('0')));
        r.Text(10, dop).Text(14, signer);
        return r;
    };
    WriteBook(Path(QStringLiteral("b.xlsx")),
              {Caption(),
               row(1, QString::number(mine), QStringLiteral("Кто-то Иной")),          // our number
               row(2, QString::number(other), QStringLiteral("  ") + ours->Fio.toUpper() + QStringLiteral(" ")),   // our signer
               row(3, QString::number(other), QStringLiteral("Кто-то Иной")),         // theirs
               row(4, QString(), QString()),                                          // neither
               row(5, QString(), QStringLiteral("Кто-то Иной")),                      // unknown signer
               row(6, QString::number(other), theirs->Fio)});                         // their signer
    Run({Path(QStringLiteral("b.xlsx"))});

    EXPECT_TRUE(boxes.Boxes.empty());
    EXPECT_EQ(Numbers(), (QStringList{QStringLiteral("190000001-2024-0000000001"), QStringLiteral("190000001-2024-0000000002"),
                                      QStringLiteral("190000001-2024-0000000004")}));
    // the signer is stored as written
    EXPECT_EQ(Table()[1].Signer, QStringLiteral("  ") + ours->Fio.toUpper() + QStringLiteral(" "));
    ExpectWindowRestored();
}

// The window may re-open the shared signer query while the job runs (its branch filter);
// the job goes on with the signers it took at the start.
TEST_F(Import, BranchSignersAreTheJobsOwnSnapshot)
{
    demo::TDemoOptions o;
    o.Size = 3;
    const demo::TDemoModel probe = demo::BuildDemoModel(o);
    const int mine = probe.Branches[0].Number, other = probe.Branches[1].Number;
    Start(QString::number(mine));
    QString ourSigner, theirSigner;
    for (const demo::TDemoSigner& s : model.Signers) {
        if (s.Filial == mine && ourSigner.isEmpty()) ourSigner = s.Fio;
        if (s.Filial == other && theirSigner.isEmpty()) theirSigner = s.Fio;
    }
    ASSERT_FALSE(ourSigner.isEmpty() || theirSigner.isEmpty());
    TRow bad = Invoice(kN1);
    bad.Text(10, QString::number(mine)).Text(20, QStringLiteral("вчера"));
    TRow ours = Invoice(kN2);
    ours.Text(10, QString::number(other)).Text(14, ourSigner);
    TRow theirs = Invoice(kN3);
    theirs.Text(10, QString::number(other)).Text(14, theirSigner);
    WriteBook(Path(QStringLiteral("s.xlsx")), {Caption(), bad, ours, theirs});
    TBaseCompThread::MessageBoxRoutine = [&](const QString& t, const QString& c, UINT f) {
        boxes.Boxes.push_back({t, c, f, IsUIThread()});
        CompDM->GetSignersByFilial(Variant(other));   // what the window's branch filter does
        return IDOK;
    };
    Run({Path(QStringLiteral("s.xlsx"))});
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(Numbers(), QStringList{kN2});
}

// The demo's own desk-audit workbook, imported as a whole, gives back exactly the rows the
// generator wrote (in branch mode: the branch's share of them).
TEST_F(Import, DemoWorkbookRoundTrip)
{
    for (bool branchMode : {false, true}) {
        SCOPED_TRACE(branchMode ? "branch mode" : "all branches");
        TearDown();
        demo::TDemoOptions o;
        o.Size = 10;
        const demo::TDemoModel probe = demo::BuildDemoModel(o);
        const int mine = probe.Branches[0].Number;
        Start(branchMode ? QString::number(mine) : QString());
        QStringList signers;
        for (const demo::TDemoSigner& s : model.Signers)
            if (s.Filial == mine)
                signers << s.Fio.toLower();

        std::map<QString, const demo::TDemoWorkbookRow*> expected;
        for (const demo::TDemoWorkbookRow& r : model.Workbook) {
            const bool kept = !branchMode || (r.DopUnn == 0 && r.Signer.trimmed().isEmpty()) || r.DopUnn == mine ||
                              signers.contains(r.Signer.trimmed().toLower());
            if (kept)
                expected[r.Invoice] = &r;
        }
        ASSERT_GT(expected.size(), 3u);
        if (branchMode) {
            ASSERT_LT(expected.size(), model.Workbook.size());
        }
        Run({dir.filePath(QStringLiteral("desk_audit.xlsx"))});
        EXPECT_TRUE(boxes.Boxes.empty());

        const std::vector<TStored> t = Table();
        ASSERT_EQ(t.size(), expected.size());
        for (const TStored& s : t) {
            SCOPED_TRACE(s.Invoice.toStdString());
            ASSERT_TRUE(expected.count(s.Invoice));
            const demo::TDemoWorkbookRow& r = *expected[s.Invoice];
            const QString branch = r.SupplierBranch ? QStringLiteral("%1").arg(r.SupplierBranch, 4, 10, QLatin1Char('0')) : QString();
            EXPECT_EQ(s.IdPredpr, StrToInt64(r.SupplierUnn + (branch.isEmpty() ? QStringLiteral("0000") : branch)));
            EXPECT_EQ(s.NamePredpr, branch.isEmpty() ? r.SupplierUnn + QStringLiteral(" - ") + r.SupplierName
                                                     : r.SupplierUnn + u' ' + branch + QStringLiteral(" - ") + r.SupplierName);
            EXPECT_EQ(VarToStr(s.DopUnn), r.DopUnn ? QString::number(r.DopUnn) : QString());
            EXPECT_EQ(s.Signer, r.Signer);
            EXPECT_EQ(s.DocNumber, r.DocNumber);
            EXPECT_EQ(s.DateTrans, EncodeDate(r.DateTransaction.year(), r.DateTransaction.month(), r.DateTransaction.day()));
            EXPECT_EQ(VarIsNull(s.DocDate), !r.DocDate.isValid());
            EXPECT_EQ(s.Vat, Money(r.Vat));
            EXPECT_EQ(s.Cost, Money(r.Cost));
            EXPECT_EQ(s.CostVat, Money(r.CostVat));
        }
    }
}
