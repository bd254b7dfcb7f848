// The print preview window: a toolbar (print, printer setup, zoom, page buttons with
// auto-repeat, stop, close), the preview box and a status line of the page shown. One window
// serves the run; it is made on first use and owned by the application.
#pragma once

#include "PrViewEh.h"
#include "platform/vcl/Forms.h"

class TToolBar;
class TToolButton;
class TSplitter;
class TStatusBar;
class TPopupMenu;
class TMenuItem;
class TTimer;

class TPreviewFormEh : public TForm {
    DOV_PERSISTENT(TPreviewFormEh, TForm)
public:
    explicit TPreviewFormEh(TComponent* AOwner);
    ~TPreviewFormEh() override;
    void AfterConstruction() override;

    TToolBar* tbrMain = nullptr;
    TToolButton* tbtPrint = nullptr;
    TToolButton* tbtPrinterSetupDialog = nullptr;
    TToolButton* tbtScale = nullptr;
    TToolButton* tbtPrevPage = nullptr;
    TToolButton* tbtNextPage = nullptr;
    TToolButton* tbStop = nullptr;
    TToolButton* tbClose = nullptr;
    TSplitter* Splitter = nullptr;
    TPreviewBox* PreviewEh1 = nullptr;
    TStatusBar* stbMain = nullptr;
    TPopupMenu* pmnScale = nullptr;
    TMenuItem* mni500 = nullptr;
    TMenuItem* mni200 = nullptr;
    TMenuItem* mni150 = nullptr;
    TMenuItem* mni100 = nullptr;
    TMenuItem* mni75 = nullptr;
    TMenuItem* mni50 = nullptr;
    TMenuItem* mni25 = nullptr;
    TMenuItem* mni10 = nullptr;
    TMenuItem* mniWidth = nullptr;
    TMenuItem* mniFull = nullptr;
    TTimer* Timer1 = nullptr;

    // The zoom item of each view mode, in the modes' order.
    TMenuItem* ZoomItem(TViewMode Mode) const;

    void tbtPrintClick(TObject* Sender);
    void tbtPrinterSetupDialogClick(TObject* Sender);
    void tbtScaleClick(TObject* Sender);
    void tbtPrevPageClick(TObject* Sender);
    void tbtNextPageClick(TObject* Sender);
    void tbStopClick(TObject* Sender);
    void tbCloseClick(TObject* Sender);
    void mniScaleClick(TObject* Sender);
    void PageButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PageButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void Timer1Timer(TObject* Sender);
    void PreviewEh1PrinterPreviewChanged(TObject* Sender);
    void PreviewEh1OpenPreviewer(TObject* Sender);

private:
    void StepPage(TToolButton* Button);
    TToolButton* FPressedButton = nullptr;
    bool FNeedClose = false;
};

// The shared preview's recorder: the first call makes the preview window, later calls return
// the same recorder.
TPrinterPreview* PrinterPreview();
// The shared preview window, or nullptr before the first PrinterPreview().
TPreviewFormEh* PreviewForm();
