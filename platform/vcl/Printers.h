// Printers: the installed printers and a PDF printer that is always there, printing through a
// canvas page by page at the printer's own resolution.
#pragma once

#include "Graphics.h"
#include "platform/winapi/Devices.h"

#include <memory>

class QPrinter;

DOV_DECLARE_EXCEPTION(EPrinter, Exception);

using THandle = uintptr_t;

enum TPrinterOrientation { poPortrait, poLandscape };
DOV_ENUM_INFO(TPrinterOrientation, poPortrait, poLandscape)
enum TPrinterCapability { pcCopies, pcOrientation, pcCollation };
DOV_ENUM_INFO(TPrinterCapability, pcCopies, pcOrientation, pcCollation)
using TPrinterCapabilities = TSet<TPrinterCapability>;

class TPrinter : public TObject {
public:
    TPrinter();
    ~TPrinter() override;

    // The printers by name: the installed ones, then the PDF printer.
    TStrings* Printers();
    // The selected printer; -1 selects the default one (the system's default, else PDF).
    int PrinterIndex();
    void SetPrinterIndex(int v);
    static QString PdfPrinterName();
    bool IsPdfPrinter();
    // Where the PDF printer writes (a file in the user's documents folder unless set).
    QString OutputFileName() const { return FOutputFileName; }
    void SetOutputFileName(const QString& v);
    // The device selection by name; driver, port and device mode are kept for callers that pass
    // them along.
    void GetPrinter(QString& device, QString& driver, QString& port, THandle& deviceMode);
    void SetPrinter(const QString& device, const QString& driver, const QString& port, THandle deviceMode);
    void Refresh();

    TPrinterCapabilities Capabilities();
    TStrings* Fonts();
    int Copies() const { return FCopies; }
    void SetCopies(int v);
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation v);
    // The paper in millimetres, portrait (A4 unless set).
    double PaperWidthMM() const { return FPaperW; }
    double PaperHeightMM() const { return FPaperH; }
    void SetPaperSizeMM(double width, double height);
    QString Title() const { return FTitle; }
    void SetTitle(const QString& v) { FTitle = v; }

    // The printable area in device pixels.
    int PageWidth();
    int PageHeight();
    int PageNumber() const { return FPageNumber; }
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }

    // The device context: the page being printed, or an information context that measures for
    // the printer outside a document. Its capabilities answer GetDeviceCaps.
    HDC Handle();
    // Draws on the current page; its font is sized for the printer's resolution.
    TCanvas* Canvas();

    void BeginDoc();
    void NewPage();
    void EndDoc();
    // Stops the document; nothing of it is kept (a PDF file is removed).
    void Abort();

private:
    void CheckPrinting(bool printing);
    void Configure();
    TDeviceCaps Caps();
    void SetCanvasHandle(HDC dc);
    std::unique_ptr<QPrinter> FQt;
    std::unique_ptr<TStringList> FPrinters;
    std::unique_ptr<TStringList> FFonts;
    std::unique_ptr<TCanvas> FCanvas;
    QPainter* FPainter = nullptr;
    HDC FDC = nullptr;
    int FPrinterIndex = -1;
    QString FOutputFileName;
    int FCopies = 1;
    TPrinterOrientation FOrientation = poPortrait;
    double FPaperW = 210;
    double FPaperH = 297;
    QString FTitle;
    int FPageNumber = 0;
    bool FPrinting = false;
    bool FAborted = false;
};

// The application's current printer (made on first use) and its replacement; SetPrinter returns
// the previous one, which the caller gets back to restore it. The caller keeps ownership of a
// printer it installs.
TPrinter* Printer();
TPrinter* SetPrinter(TPrinter* printer);
