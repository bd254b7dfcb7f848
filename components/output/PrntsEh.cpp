// The virtual printer over the application's current printer. Nothing is cached: whichever
// printer is current when an operation runs is the one it reaches.
#include "PrntsEh.h"

#include <memory>

bool TVirtualPrinter::GetAborted() { return Printer()->Aborted(); }
TCanvas* TVirtualPrinter::GetCanvas() { return Printer()->Canvas(); }
TPrinterCapabilities TVirtualPrinter::GetCapabilities() { return Printer()->Capabilities(); }
TStrings* TVirtualPrinter::GetFonts() { return Printer()->Fonts(); }
HDC TVirtualPrinter::GetHandle() { return Printer()->Handle(); }
int TVirtualPrinter::GetCopies() { return Printer()->Copies(); }
TPrinterOrientation TVirtualPrinter::GetOrientation() { return Printer()->Orientation(); }
int TVirtualPrinter::GetPageHeight() { return Printer()->PageHeight(); }
int TVirtualPrinter::GetPageWidth() { return Printer()->PageWidth(); }
int TVirtualPrinter::GetPageNumber() { return Printer()->PageNumber(); }
bool TVirtualPrinter::GetPrinting() { return Printer()->Printing(); }
QString TVirtualPrinter::GetTitle() { return Printer()->Title(); }

int TVirtualPrinter::GetFullPageWidth()
{
    return Printer()->PageWidth() + 2 * GetDeviceCaps(Printer()->Handle(), PHYSICALOFFSETX);
}

int TVirtualPrinter::GetFullPageHeight()
{
    return Printer()->PageHeight() + 2 * GetDeviceCaps(Printer()->Handle(), PHYSICALOFFSETY);
}

int TVirtualPrinter::GetPrinterIndex() { return Printer()->PrinterIndex(); }
TStrings* TVirtualPrinter::GetPrinters() { return Printer()->Printers(); }
int TVirtualPrinter::GetPixelsPerInchX() { return GetDeviceCaps(Printer()->Handle(), LOGPIXELSX); }
int TVirtualPrinter::GetPixelsPerInchY() { return GetDeviceCaps(Printer()->Handle(), LOGPIXELSY); }
void TVirtualPrinter::SetPrinterIndex(int Value) { Printer()->SetPrinterIndex(Value); }
void TVirtualPrinter::SetCopies(int Value) { Printer()->SetCopies(Value); }
void TVirtualPrinter::SetOrientation(TPrinterOrientation Value) { Printer()->SetOrientation(Value); }
void TVirtualPrinter::SetTitle(const QString& Value) { Printer()->SetTitle(Value); }
void TVirtualPrinter::Abort() { Printer()->Abort(); }
void TVirtualPrinter::BeginDoc() { Printer()->BeginDoc(); }
void TVirtualPrinter::EndDoc() { Printer()->EndDoc(); }
void TVirtualPrinter::NewPage() { Printer()->NewPage(); }

void TVirtualPrinter::GetPrinter(QString& ADevice, QString& ADriver, THandle& ADeviceMode, QString& APort)
{
    Printer()->GetPrinter(ADevice, ADriver, APort, ADeviceMode);
}

void TVirtualPrinter::SetPrinter(const QString& ADevice, const QString& ADriver, THandle ADeviceMode, const QString& APort)
{
    Printer()->SetPrinter(ADevice, ADriver, APort, ADeviceMode);
}

TVirtualPrinter* VirtualPrinter()
{
    // One for the process, gone at its end; made on first use so no start-up order matters.
    static const std::unique_ptr<TVirtualPrinter> instance = std::make_unique<TVirtualPrinter>();
    return instance.get();
}
