// The virtual printer reaches whichever printer is current when it is called.
#include "support/AppEnvironment.h"

#include "components/output/PrntsEh.h"
#include "components/output/PdfReadBack.h"
#include "platform/rtl/Guards.h"

#include <QFile>
#include <QTemporaryDir>

using namespace pdfreadback;

namespace {

// Makes the printer current for the test's scope.
auto MakeCurrent(TPrinter* p)
{
    TPrinter* before = SetPrinter(p);
    return Finally([before] { SetPrinter(before); });
}

void PrintOnePage(TVirtualPrinter* vp, const QString& text)
{
    vp->BeginDoc();
    vp->Canvas()->Font()->SetSize(14);
    vp->Canvas()->TextOut(300, 300, text);
    vp->EndDoc();
}

}  // namespace

TEST(VirtualPrinter, FullPageIsThePrintableAreaWhenTheDeviceHasNoMargins)
{
    QTemporaryDir dir;
    auto pdf = PdfPrinter(dir.filePath(QStringLiteral("a.pdf")));
    auto current = MakeCurrent(pdf.get());
    TVirtualPrinter* vp = VirtualPrinter();
    ASSERT_EQ(GetDeviceCaps(pdf->Handle(), PHYSICALOFFSETX), 0);
    EXPECT_EQ(vp->PageWidth(), pdf->PageWidth());
    EXPECT_EQ(vp->FullPageWidth(), vp->PageWidth());
    EXPECT_EQ(vp->FullPageHeight(), vp->PageHeight());
    EXPECT_EQ(vp->PixelsPerInchX(), 600);
    EXPECT_EQ(vp->PixelsPerInchY(), 600);

    // Settings written through it land on the printer, and are read back from it.
    vp->SetOrientation(poLandscape);
    EXPECT_EQ(pdf->Orientation(), poLandscape);
    EXPECT_GT(vp->FullPageWidth(), vp->FullPageHeight());
    vp->SetTitle(QStringLiteral("Табличная информация"));
    EXPECT_EQ(pdf->Title(), QStringLiteral("Табличная информация"));
    vp->SetCopies(3);
    EXPECT_EQ(vp->Copies(), 3);
    EXPECT_EQ(vp->Printers()->Strings(vp->PrinterIndex()), TPrinter::PdfPrinterName());
    QString device, driver, port;
    THandle mode = 7;
    vp->GetPrinter(device, driver, mode, port);
    EXPECT_EQ(device, TPrinter::PdfPrinterName());
    EXPECT_EQ(port, pdf->OutputFileName());
}

TEST(VirtualPrinter, ASecondJobGoesToTheNewCurrentPrinter)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("первый отчёт.pdf"));
    const QString second = dir.filePath(QStringLiteral("второй.pdf"));
    auto a = PdfPrinter(first);
    auto b = PdfPrinter(second);
    TVirtualPrinter* vp = VirtualPrinter();
    {
        auto current = MakeCurrent(a.get());
        PrintOnePage(vp, QStringLiteral("Первый"));
    }
    {
        auto current = MakeCurrent(b.get());
        vp->SetTitle(QStringLiteral("Второй документ"));
        PrintOnePage(vp, QStringLiteral("Второй"));
    }
    ASSERT_TRUE(QFile::exists(first));
    ASSERT_TRUE(QFile::exists(second));
    if (!HaveTools())
        GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_EQ(PageCount(second), 1);
    EXPECT_EQ(Title(second), QStringLiteral("Второй документ"));
    const QStringList a1 = PagesText(first), b1 = PagesText(second);
    ASSERT_EQ(a1.size(), 1);
    ASSERT_EQ(b1.size(), 1);
    EXPECT_TRUE(a1[0].contains(QStringLiteral("Первый"))) << a1[0].toStdString();
    EXPECT_FALSE(a1[0].contains(QStringLiteral("Второй")));
    EXPECT_TRUE(b1[0].contains(QStringLiteral("Второй"))) << b1[0].toStdString();
}

TEST(VirtualPrinter, PagesAndAbortReachThePrinter)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("pages.pdf"));
    auto pdf = PdfPrinter(file);
    auto current = MakeCurrent(pdf.get());
    TVirtualPrinter* vp = VirtualPrinter();
    EXPECT_FALSE(vp->Printing());
    vp->BeginDoc();
    EXPECT_TRUE(vp->Printing());
    vp->Canvas()->TextOut(300, 300, QStringLiteral("Страница 1"));
    vp->NewPage();
    EXPECT_EQ(vp->PageNumber(), 2);
    vp->Canvas()->TextOut(300, 300, QStringLiteral("Страница 2"));
    vp->EndDoc();
    EXPECT_FALSE(vp->Printing());
    if (HaveTools()) {
        EXPECT_EQ(PageCount(file), 2);
        const QStringList pages = PagesText(file);
        ASSERT_EQ(pages.size(), 2);
        EXPECT_TRUE(pages[1].contains(QStringLiteral("Страница 2")));
    }

    vp->BeginDoc();
    vp->Abort();
    EXPECT_TRUE(vp->Aborted());
    EXPECT_FALSE(vp->Printing());
    EXPECT_FALSE(QFile::exists(file));
}

TEST(VirtualPrinter, ThePrintersErrorsReachTheCaller)
{
    QTemporaryDir dir;
    auto pdf = PdfPrinter(dir.filePath(QStringLiteral("e.pdf")));
    auto current = MakeCurrent(pdf.get());
    TVirtualPrinter* vp = VirtualPrinter();
    EXPECT_THROW(vp->NewPage(), EPrinter);
    EXPECT_THROW(vp->EndDoc(), EPrinter);
    EXPECT_THROW(vp->SetPrinterIndex(vp->Printers()->Count()), EPrinter);
    EXPECT_THROW(vp->SetPrinter(QStringLiteral("нет такого"), QString(), 0, QString()), EPrinter);
}
