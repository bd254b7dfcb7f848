// Printers over QPrinter. The PDF printer needs no system printer, so printing works anywhere.
#include "Printers.h"

#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace {
constexpr int kPdfResolution = 600;

class TPrinterCanvas : public TCanvas {
public:
    explicit TPrinterCanvas(TPrinter* printer) : FPrinter(printer) {}

protected:
    void CreateHandle() override { SetHandle(FPrinter->Handle()); }

private:
    TPrinter* FPrinter;
};
}

TPrinter::TPrinter() = default;

TPrinter::~TPrinter()
{
    if (FPrinting)
        Abort();
    if (FCanvas)
        FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
}

QString TPrinter::PdfPrinterName() { return QStringLiteral("PDF"); }

TStrings* TPrinter::Printers()
{
    if (!FPrinters) {
        FPrinters = std::make_unique<TStringList>();
        for (const QString& name : QPrinterInfo::availablePrinterNames())
            FPrinters->Add(name);
        FPrinters->Add(PdfPrinterName());
    }
    return FPrinters.get();
}

int TPrinter::PrinterIndex()
{
    if (FPrinterIndex < 0) {
        const QString def = QPrinterInfo::defaultPrinterName();
        const int i = def.isEmpty() ? -1 : Printers()->IndexOf(def);
        FPrinterIndex = i >= 0 ? i : Printers()->Count() - 1;
    }
    return FPrinterIndex;
}

void TPrinter::SetPrinterIndex(int v)
{
    CheckPrinting(false);
    if (v < -1 || v >= Printers()->Count())
        throw EPrinter(QStringLiteral("Printer index out of range"));
    FPrinterIndex = v;
    if (v == -1)
        PrinterIndex();
    Refresh();
}

bool TPrinter::IsPdfPrinter() { return Printers()->Strings(PrinterIndex()) == PdfPrinterName(); }

void TPrinter::SetOutputFileName(const QString& v)
{
    CheckPrinting(false);
    FOutputFileName = v;
}

void TPrinter::GetPrinter(QString& device, QString& driver, QString& port, THandle& deviceMode)
{
    device = Printers()->Strings(PrinterIndex());
    driver.clear();
    port = IsPdfPrinter() ? FOutputFileName : QString();
    deviceMode = 0;
}

void TPrinter::SetPrinter(const QString& device, const QString&, const QString&, THandle)
{
    const int i = Printers()->IndexOf(device);
    if (i < 0)
        throw EPrinter(QStringLiteral("Printer selected is not valid"));
    SetPrinterIndex(i);
}

void TPrinter::Refresh()
{
    // The device context and fonts are made again for the newly chosen device.
    if (FCanvas)
        FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
    FDC = nullptr;
    FQt.reset();
    FFonts.reset();
}

TPrinterCapabilities TPrinter::Capabilities()
{
    TPrinterCapabilities c;
    c.Include(pcCopies);
    c.Include(pcOrientation);
    if (!IsPdfPrinter())
        c.Include(pcCollation);
    return c;
}

TStrings* TPrinter::Fonts()
{
    if (!FFonts) {
        FFonts = std::make_unique<TStringList>();
        for (const QString& f : QFontDatabase::families())
            FFonts->Add(f);
    }
    return FFonts.get();
}

void TPrinter::SetCopies(int v)
{
    CheckPrinting(false);
    FCopies = std::max(1, v);
    if (FQt)
        FQt->setCopyCount(FCopies);
}

void TPrinter::SetOrientation(TPrinterOrientation v)
{
    CheckPrinting(false);
    if (v == FOrientation)
        return;
    FOrientation = v;
    Refresh();
}

void TPrinter::SetPaperSizeMM(double width, double height)
{
    CheckPrinting(false);
    if (width <= 0 || height <= 0)
        throw EPrinter(QStringLiteral("Invalid paper size"));
    FPaperW = width;
    FPaperH = height;
    Refresh();
}

void TPrinter::Configure()
{
    if (FQt)
        return;
    FQt = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (IsPdfPrinter()) {
        FQt->setOutputFormat(QPrinter::PdfFormat);
        FQt->setResolution(kPdfResolution);
        FQt->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    } else {
        FQt->setPrinterName(Printers()->Strings(PrinterIndex()));
    }
    FQt->setPageSize(QPageSize(QSizeF(FPaperW, FPaperH), QPageSize::Millimeter));
    FQt->setPageOrientation(FOrientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    FQt->setCopyCount(FCopies);
}

TDeviceCaps TPrinter::Caps()
{
    Configure();
    TDeviceCaps c;
    c.Technology = DT_RASPRINTER;
    const int res = FQt->resolution();
    c.PixelsPerInchX = c.PixelsPerInchY = res;
    const QPageLayout layout = FQt->pageLayout();
    const QRect paint = layout.paintRectPixels(res), full = layout.fullRectPixels(res);
    c.HorzRes = paint.width();
    c.VertRes = paint.height();
    c.PhysicalWidth = full.width();
    c.PhysicalHeight = full.height();
    c.PhysicalOffsetX = paint.left() - full.left();
    c.PhysicalOffsetY = paint.top() - full.top();
    return c;
}

int TPrinter::PageWidth() { return GetDeviceCaps(Handle(), HORZRES); }
int TPrinter::PageHeight() { return GetDeviceCaps(Handle(), VERTRES); }

HDC TPrinter::Handle()
{
    if (!FDC) {
        FDC = CreateDCForDevice(nullptr, Caps());
        SetDCMetricsDevice(FDC, FQt.get());
    }
    return FDC;
}

void TPrinter::SetCanvasHandle(HDC dc)
{
    TCanvas* c = Canvas();
    c->SetHandle(dc);
    if (!dc)
        return;
    // The font keeps its point size at the printer's resolution.
    TFont* f = c->Font();
    const int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    if (f->PixelsPerInch != ppi) {
        const int size = f->GetSize();
        f->PixelsPerInch = ppi;
        f->SetSize(size);
    }
}

TCanvas* TPrinter::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TPrinterCanvas>(this);
        SetCanvasHandle(Handle());
    }
    return FCanvas.get();
}

void TPrinter::CheckPrinting(bool printing)
{
    if (FPrinting != printing)
        throw EPrinter(printing ? QStringLiteral("Printing not in progress") : QStringLiteral("Printing in progress"));
}

void TPrinter::BeginDoc()
{
    CheckPrinting(false);
    const TDeviceCaps caps = Caps();
    if (IsPdfPrinter()) {
        if (FOutputFileName.isEmpty())
            FOutputFileName = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                                  .filePath((FTitle.isEmpty() ? QStringLiteral("Document") : FTitle) + QStringLiteral(".pdf"));
        FQt->setOutputFileName(FOutputFileName);
    }
    FQt->setDocName(FTitle);
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(FQt.get()))
        throw EPrinter(QStringLiteral("Printer is not available: %1").arg(Printers()->Strings(PrinterIndex())));
    FPainter = painter.release();
    if (FCanvas)
        FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
    FDC = CreateDCForDevice(FPainter, caps);
    SetDCMetricsDevice(FDC, FQt.get());
    SetCanvasHandle(FDC);
    FPrinting = true;
    FAborted = false;
    FPageNumber = 1;
}

void TPrinter::NewPage()
{
    CheckPrinting(true);
    if (!FQt->newPage())
        throw EPrinter(QStringLiteral("Printer error: a page could not be started"));
    ++FPageNumber;
    // The canvas selects its objects again on the new page.
    SetCanvasHandle(nullptr);
    SetCanvasHandle(FDC);
}

void TPrinter::EndDoc()
{
    CheckPrinting(true);
    FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
    FDC = nullptr;
    const bool ok = FPainter->end();
    delete FPainter;
    FPainter = nullptr;
    FPrinting = false;
    FPageNumber = 0;
    if (!ok)
        throw EPrinter(QStringLiteral("Printer error: the document could not be finished"));
}

void TPrinter::Abort()
{
    CheckPrinting(true);
    FCanvas->SetHandle(nullptr);
    DeleteDC(FDC);
    FDC = nullptr;
    FQt->abort();
    FPainter->end();
    delete FPainter;
    FPainter = nullptr;
    if (IsPdfPrinter())
        QFile::remove(FOutputFileName);
    FPrinting = false;
    FAborted = true;
    FPageNumber = 0;
}

namespace {
std::unique_ptr<TPrinter> gDefaultPrinter;
TPrinter* gPrinter = nullptr;
}

TPrinter* Printer()
{
    if (!gPrinter) {
        if (!gDefaultPrinter)
            gDefaultPrinter = std::make_unique<TPrinter>();
        gPrinter = gDefaultPrinter.get();
    }
    return gPrinter;
}

TPrinter* SetPrinter(TPrinter* printer)
{
    TPrinter* old = Printer();
    gPrinter = printer;
    return old;
}
