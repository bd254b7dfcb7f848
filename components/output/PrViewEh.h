// Print preview: a recorder that keeps a print job's pages as metafiles instead of printing
// them, the scrolling, zoomable view of one page, and printing the recorded pages on request.
#pragma once

#include "PrntsEh.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Metafiles.h"
#include "platform/vcl/ScrollBars.h"

#include <memory>
#include <vector>

class TPreviewBox;

// Cursor slots of the page's magnifier and of panning, taken from the first free slots when
// the first preview box is made.
extern TCursor crMagnifierEh;
extern TCursor crHandEh;
// Registers the two cursor pictures named (magnifier, hand) in the first free screen cursor
// slots; "Cannot load cursor resource" for a missing one.
void LoadPreviewCursors(const QStringList& ResourceNames);

class TPrinterPreview : public TVirtualPrinter {
public:
    explicit TPrinterPreview(TPreviewBox* Previewer);
    ~TPrinterPreview() override;

    bool GetAborted() override { return FAborted; }
    TCanvas* GetCanvas() override { return FMetafileCanvas.get(); }
    TPrinterCapabilities GetCapabilities() override;
    TStrings* GetFonts() override;
    HDC GetHandle() override;
    int GetCopies() override;
    TPrinterOrientation GetOrientation() override;
    int GetPageHeight() override;
    int GetPageWidth() override;
    int GetPageNumber() override { return FPageNumber; }
    bool GetPrinting() override { return FPrinting; }
    QString GetTitle() override;
    int GetFullPageWidth() override;
    int GetFullPageHeight() override;
    int GetPrinterIndex() override;
    TStrings* GetPrinters() override;
    int GetPixelsPerInchX() override;
    int GetPixelsPerInchY() override;
    void SetPrinterIndex(int Value) override;
    void SetCopies(int Value) override;
    void SetOrientation(TPrinterOrientation Value) override;
    void SetTitle(const QString& Value) override;
    void Abort() override;
    void BeginDoc() override;
    void EndDoc() override;
    void NewPage() override;
    void GetPrinter(QString& ADevice, QString& ADriver, THandle& ADeviceMode, QString& APort) override;
    void SetPrinter(const QString& ADevice, const QString& ADriver, THandle ADeviceMode, const QString& APort) override;

    // Raises the box's request to show the preview window.
    virtual void OpenPreview();
    // Prints every recorded page on the private printer.
    void Print();
    // Prints pages From..To (1-based, clamped) on the private printer, made current meanwhile.
    void PrintPages(int From, int To);

    // The private printer whose settings the job and the printing use.
    TPrinter* PrivatePrinter() { return FPrinter.get(); }
    bool HasPrinter();
    int PageCount() const { return int(FMetafileList.size()); }
    TMetafile* Pages(int Index) const { return FMetafileList[size_t(Index)].get(); }
    // The physical offsets and the page's height-to-width ratio of the paper.
    int PhysicalOffsetX();
    int PhysicalOffsetY();
    double PageRatio();

    TNotifyEvent OnPrinterSetupDialog;
    TNotifyEvent OnPrinterSetupChanged;
    TComponent* PrinterSetupOwner = nullptr;

private:
    void StartPage();
    void ClosePage();

    std::unique_ptr<TPrinter> FPrinter;
    std::vector<std::unique_ptr<TMetafile>> FMetafileList;
    std::unique_ptr<TMetafileCanvas> FMetafileCanvas;
    int FPageNumber = -1;
    bool FPrinting = false;
    bool FAborted = false;
    TPreviewBox* FPreviewer;
};

enum TViewMode { vm500, vm200, vm150, vm100, vm75, vm50, vm25, vm10, vmPageWidth, vmFullPage };
DOV_ENUM_INFO(TViewMode, vm500, vm200, vm150, vm100, vm75, vm50, vm25, vm10, vmPageWidth, vmFullPage)

// The page: a white sheet that plays the current page's recording at the panel's size. A click
// toggles the zoom, a drag pans the box.
class TDrawPanel : public TPanel {
    DOV_PERSISTENT(TDrawPanel, TPanel)
public:
    explicit TDrawPanel(TComponent* AOwner);
    TPreviewBox* Box() const;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMCancelMode(TMessage& M) override;

private:
    TPoint FOldMousePos;
    bool FPressed = false;
    bool FDragged = false;
};

class TPreviewBox : public TCustomControl {
    DOV_PERSISTENT(TPreviewBox, TCustomControl)
public:
    explicit TPreviewBox(TComponent* AOwner);
    ~TPreviewBox() override;
    void AfterConstruction() override;

    TPrinterPreview* Printer() const { return FPrinter.get(); }
    TDrawPanel* DrawPanel() const { return FDrawPanel; }
    TPanel* ShadowPanel() const { return pnlShadow; }
    int PageCount() const { return FPageCount; }
    void SetPageCount(int Value) { FPageCount = Value; }
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int Value);
    TViewMode ViewMode() const { return FViewMode; }
    void SetViewMode(TViewMode Value);
    int ScalePercent() const { return FScalePercent; }

    // Scrolling: positions within ranges (0 when the page fits that way).
    int HorzPosition() const { return FHorzPos; }
    int VertPosition() const { return FVertPos; }
    int HorzRange() const { return FHorzRange; }
    int VertRange() const { return FVertRange; }
    void SetHorzPosition(int Value);
    void SetVertPosition(int Value);
    // One arrow step of scrolling, in pixels.
    static constexpr int Increment = 8;

    void PrintDialog();
    void PrinterSetupDialog();
    void UpdatePageSetup();
    void UpdatePreview();
    void DoPrinterPreviewChanged();
    void DoOpenPreviewer();

    TNotifyEvent OnOpenPreviewer;
    TNotifyEvent OnPrinterPreviewChanged;
    TNotifyEvent OnPrinterSetupDialog;
    TNotifyEvent OnPrinterSetupChanged;
    TComponent* PrinterSetupOwner() const { return FPrinterSetupOwner; }
    void SetPrinterSetupOwner(TComponent* Value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void Resize() override;
    void WMGetDlgCode(TMessage& M) override;

private:
    void PlacePage();
    void ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos);

    std::unique_ptr<TPrinterPreview> FPrinter;
    TDrawPanel* FDrawPanel = nullptr;
    TPanel* pnlShadow = nullptr;
    TScrollBar* FHorzBar = nullptr;
    TScrollBar* FVertBar = nullptr;
    int FPageCount = 0;
    int FPageIndex = 1;
    TViewMode FViewMode = vmFullPage;
    int FScalePercent = 100;
    int FPageLeft = 8, FPageTop = 8, FPageWidth = 0, FPageHeight = 0;
    int FHorzPos = 0, FVertPos = 0, FHorzRange = 0, FVertRange = 0;
    TComponent* FPrinterSetupOwner = nullptr;
};
