// Printing through the PDF printer, read back with poppler's tools (skipped without them).
#include "platform/vcl/VclTestSupport.h"

#include "platform/vcl/Metafiles.h"
#include "platform/vcl/Printers.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// The PDF printer of a fresh printer object, writing into the folder.
std::unique_ptr<TPrinter> PdfPrinter(const QString& file)
{
    auto p = std::make_unique<TPrinter>();
    p->SetPrinterIndex(p->Printers()->IndexOf(TPrinter::PdfPrinterName()));
    p->SetOutputFileName(file);
    return p;
}

bool HaveTool(const char* name) { return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty(); }

QString RunTool(const QString& tool, const QStringList& args)
{
    QProcess p;
    p.start(tool, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

TEST(Printers, ThePdfPrinterIsAlwaysListed)
{
    TPrinter p;
    ASSERT_GE(p.Printers()->Count(), 1);
    EXPECT_GE(p.Printers()->IndexOf(TPrinter::PdfPrinterName()), 0);
    EXPECT_GE(p.PrinterIndex(), 0);
    EXPECT_THROW(p.SetPrinterIndex(p.Printers()->Count()), EPrinter);
    EXPECT_THROW(p.NewPage(), EPrinter);   // printing not in progress
    EXPECT_THROW(p.EndDoc(), EPrinter);
    QString device, driver, port;
    THandle mode = 1;
    p.SetPrinter(TPrinter::PdfPrinterName(), QString(), QString(), 0);
    p.GetPrinter(device, driver, port, mode);
    EXPECT_EQ(device, TPrinter::PdfPrinterName());
    EXPECT_THROW(p.SetPrinter(QStringLiteral("no such printer"), QString(), QString(), 0), EPrinter);
}

TEST(Printers, PdfPageHasThePrinterResolution)
{
    QTemporaryDir dir;
    auto p = PdfPrinter(dir.filePath(QStringLiteral("a.pdf")));
    EXPECT_EQ(GetDeviceCaps(p->Handle(), LOGPIXELSX), 600);
    // A4 at 600 pixels per inch (the page is whole points), no unprintable margin on a PDF page.
    EXPECT_NEAR(p->PageWidth(), 4961, 4);
    EXPECT_NEAR(p->PageHeight(), 7016, 4);
    EXPECT_EQ(GetDeviceCaps(p->Handle(), PHYSICALOFFSETX), 0);
    EXPECT_EQ(GetDeviceCaps(p->Handle(), PHYSICALWIDTH), p->PageWidth());
    // The canvas font keeps its point size.
    EXPECT_EQ(p->Canvas()->Font()->PixelsPerInch, 600);
    EXPECT_EQ(p->Canvas()->Font()->GetSize(), 8);
    p->SetOrientation(poLandscape);
    EXPECT_GT(p->PageWidth(), p->PageHeight());
}

TEST(Printers, TwoPagesToPdfReadBack)
{
    if (!HaveTool("pdfinfo") || !HaveTool("pdftotext"))
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("two.pdf"));
    auto p = PdfPrinter(file);
    p->SetTitle(QStringLiteral("Табличная информация"));

    // Page two is recorded first, for the printer, and printed from the recording.
    TMetafile second;
    {
        TMetafileCanvas rec(&second, p->Handle());
        rec.Font()->PixelsPerInch = GetDeviceCaps(p->Handle(), LOGPIXELSY);
        rec.Font()->SetSize(12);
        rec.TextOut(600, 600, QStringLiteral("Вторая страница"));
    }
    p->BeginDoc();
    EXPECT_TRUE(p->Printing());
    EXPECT_EQ(p->PageNumber(), 1);
    p->Canvas()->Font()->SetSize(12);
    p->Canvas()->TextOut(600, 600, QStringLiteral("Первая страница"));
    p->NewPage();
    EXPECT_EQ(p->PageNumber(), 2);
    p->Canvas()->Draw(0, 0, &second);
    p->EndDoc();
    EXPECT_FALSE(p->Printing());

    const QString info = RunTool(QStringLiteral("pdfinfo"), {file});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+2\\b")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("Табличная информация"))) << info.toStdString();
    const QStringList pages = RunTool(QStringLiteral("pdftotext"), {file, QStringLiteral("-")}).split(QChar(u'\f'));
    ASSERT_GE(pages.size(), 2);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("Первая страница"))) << pages[0].toStdString();
    EXPECT_TRUE(pages[1].contains(QStringLiteral("Вторая страница"))) << pages[1].toStdString();
}

TEST(Printers, AbortKeepsNothing)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("stopped.pdf"));
    auto p = PdfPrinter(file);
    p->BeginDoc();
    p->Canvas()->TextOut(100, 100, QStringLiteral("x"));
    EXPECT_THROW(p->SetPrinterIndex(0), EPrinter);   // not while printing
    p->Abort();
    EXPECT_TRUE(p->Aborted());
    EXPECT_FALSE(p->Printing());
    EXPECT_FALSE(QFile::exists(file));
    // The printer serves the next document.
    p->BeginDoc();
    EXPECT_FALSE(p->Aborted());
    p->EndDoc();
    EXPECT_TRUE(QFile::exists(file));
}

TEST(Printers, CurrentPrinterCanBeReplacedAndRestored)
{
    TPrinter own;
    TPrinter* before = SetPrinter(&own);
    EXPECT_EQ(Printer(), &own);
    EXPECT_EQ(SetPrinter(before), &own);
    EXPECT_EQ(Printer(), before);
}
