// The printer the grid print draws on: by default every operation goes to the application's
// current printer at the moment of the call, so one layout serves the printer and, through a
// descendant that records pages instead, the print preview.
#pragma once

#include "platform/vcl/Printers.h"

class TVirtualPrinter : public TObject {
public:
    TVirtualPrinter() = default;
    ~TVirtualPrinter() override = default;

    bool Aborted() { return GetAborted(); }
    TCanvas* Canvas() { return GetCanvas(); }
    TPrinterCapabilities Capabilities() { return GetCapabilities(); }
    TStrings* Fonts() { return GetFonts(); }
    HDC Handle() { return GetHandle(); }
    int Copies() { return GetCopies(); }
    TPrinterOrientation Orientation() { return GetOrientation(); }
    int PageHeight() { return GetPageHeight(); }
    int PageWidth() { return GetPageWidth(); }
    int PageNumber() { return GetPageNumber(); }
    bool Printing() { return GetPrinting(); }
    QString Title() { return GetTitle(); }
    // The printable size plus the unprintable margins on both sides.
    int FullPageWidth() { return GetFullPageWidth(); }
    int FullPageHeight() { return GetFullPageHeight(); }
    int PrinterIndex() { return GetPrinterIndex(); }
    TStrings* Printers() { return GetPrinters(); }
    int PixelsPerInchX() { return GetPixelsPerInchX(); }
    int PixelsPerInchY() { return GetPixelsPerInchY(); }

    // Property readers and writers, then the document operations; a descendant that replaces
    // them all may print on any device or on none.
    virtual bool GetAborted();
    virtual TCanvas* GetCanvas();
    virtual TPrinterCapabilities GetCapabilities();
    virtual TStrings* GetFonts();
    virtual HDC GetHandle();
    virtual int GetCopies();
    virtual TPrinterOrientation GetOrientation();
    virtual int GetPageHeight();
    virtual int GetPageWidth();
    virtual int GetPageNumber();
    virtual bool GetPrinting();
    virtual QString GetTitle();
    virtual int GetFullPageWidth();
    virtual int GetFullPageHeight();
    virtual int GetPrinterIndex();
    virtual TStrings* GetPrinters();
    virtual int GetPixelsPerInchX();
    virtual int GetPixelsPerInchY();
    virtual void SetPrinterIndex(int Value);
    virtual void SetCopies(int Value);
    virtual void SetOrientation(TPrinterOrientation Value);
    virtual void SetTitle(const QString& Value);
    virtual void Abort();
    virtual void BeginDoc();
    virtual void EndDoc();
    virtual void NewPage();
    virtual void GetPrinter(QString& ADevice, QString& ADriver, THandle& ADeviceMode, QString& APort);
    virtual void SetPrinter(const QString& ADevice, const QString& ADriver, THandle ADeviceMode, const QString& APort);
};

// The process-wide virtual printer over the current printer.
TVirtualPrinter* VirtualPrinter();
