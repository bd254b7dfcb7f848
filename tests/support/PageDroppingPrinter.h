// A virtual printer that records each page as a metafile for the PDF printer's resolution and
// drops it at the next one, so a long job holds one page's picture at a time. It stops the job
// after StopAfter pages, as a preview's stop button does.
#pragma once

#include "components/output/PrntsEh.h"
#include "platform/vcl/Metafiles.h"

#include <memory>

class TPageDroppingPrinter : public TVirtualPrinter {
public:
    int StopAfter = 1 << 30;
    int Pages = 0;
    bool Ended = false;

    TPageDroppingPrinter() { FPrinter->SetPrinterIndex(FPrinter->Printers()->IndexOf(TPrinter::PdfPrinterName())); }
    TCanvas* GetCanvas() override { return FCanvas.get(); }
    HDC GetHandle() override { return FPrinter->Handle(); }
    int GetPageWidth() override { return FPrinter->PageWidth(); }
    int GetPageHeight() override { return FPrinter->PageHeight(); }
    int GetFullPageWidth() override { return FPrinter->PageWidth(); }
    int GetFullPageHeight() override { return FPrinter->PageHeight(); }
    int GetPixelsPerInchX() override { return GetDeviceCaps(FPrinter->Handle(), LOGPIXELSX); }
    int GetPixelsPerInchY() override { return GetDeviceCaps(FPrinter->Handle(), LOGPIXELSY); }
    int GetPageNumber() override { return Pages; }
    bool GetPrinting() override { return FPrinting; }
    bool GetAborted() override { return Pages >= StopAfter; }
    void SetTitle(const QString&) override {}
    void BeginDoc() override
    {
        FPrinting = true;
        Ended = false;
        Pages = 0;
        NewPage();
    }
    void NewPage() override
    {
        FCanvas.reset();
        FPage = std::make_unique<TMetafile>();
        FCanvas = std::make_unique<TMetafileCanvas>(FPage.get(), FPrinter->Handle());
        ++Pages;
    }
    void EndDoc() override
    {
        FCanvas.reset();
        FPrinting = false;
        Ended = true;
    }

private:
    std::unique_ptr<TPrinter> FPrinter = std::make_unique<TPrinter>();
    std::unique_ptr<TMetafile> FPage;
    std::unique_ptr<TMetafileCanvas> FCanvas;
    bool FPrinting = false;
};
