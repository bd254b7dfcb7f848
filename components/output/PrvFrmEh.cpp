// The print preview window.
#include "PrvFrmEh.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/PopupMenus.h"

static void InitPreviewFormResource() { Q_INIT_RESOURCE(PrvFrmEh); }

namespace {
constexpr unsigned kFirstRepeat = 400, kNextRepeats = 100;

void PreviewUnitStartUp()
{
    static const bool done = [] {
        InitPreviewFormResource();
        RegisterClasses<TToolBar, TToolButton, TSplitter, TStatusBar, TPopupMenu, TMenuItem, TTimer, TPreviewBox,
                        TDrawPanel, TPreviewFormEh>();
        return true;
    }();
    (void)done;
}

TPreviewFormEh* gPreviewForm = nullptr;
}

DOV_PUBLISHED(TPreviewFormEh)
{
    P.Field("tbrMain", &TPreviewFormEh::tbrMain);
    P.Field("tbtPrint", &TPreviewFormEh::tbtPrint);
    P.Field("tbtPrinterSetupDialog", &TPreviewFormEh::tbtPrinterSetupDialog);
    P.Field("tbtScale", &TPreviewFormEh::tbtScale);
    P.Field("tbtPrevPage", &TPreviewFormEh::tbtPrevPage);
    P.Field("tbtNextPage", &TPreviewFormEh::tbtNextPage);
    P.Field("tbStop", &TPreviewFormEh::tbStop);
    P.Field("tbClose", &TPreviewFormEh::tbClose);
    P.Field("Splitter", &TPreviewFormEh::Splitter);
    P.Field("PreviewEh1", &TPreviewFormEh::PreviewEh1);
    P.Field("stbMain", &TPreviewFormEh::stbMain);
    P.Field("pmnScale", &TPreviewFormEh::pmnScale);
    P.Field("mni500", &TPreviewFormEh::mni500);
    P.Field("mni200", &TPreviewFormEh::mni200);
    P.Field("mni150", &TPreviewFormEh::mni150);
    P.Field("mni100", &TPreviewFormEh::mni100);
    P.Field("mni75", &TPreviewFormEh::mni75);
    P.Field("mni50", &TPreviewFormEh::mni50);
    P.Field("mni25", &TPreviewFormEh::mni25);
    P.Field("mni10", &TPreviewFormEh::mni10);
    P.Field("mniWidth", &TPreviewFormEh::mniWidth);
    P.Field("mniFull", &TPreviewFormEh::mniFull);
    P.Field("Timer1", &TPreviewFormEh::Timer1);
    P.Method("tbtPrintClick", &TPreviewFormEh::tbtPrintClick);
    P.Method("tbtPrinterSetupDialogClick", &TPreviewFormEh::tbtPrinterSetupDialogClick);
    P.Method("tbtScaleClick", &TPreviewFormEh::tbtScaleClick);
    P.Method("tbtPrevPageClick", &TPreviewFormEh::tbtPrevPageClick);
    P.Method("tbtNextPageClick", &TPreviewFormEh::tbtNextPageClick);
    P.Method("tbStopClick", &TPreviewFormEh::tbStopClick);
    P.Method("tbCloseClick", &TPreviewFormEh::tbCloseClick);
    P.Method("mniScaleClick", &TPreviewFormEh::mniScaleClick);
    P.Method("PageButtonMouseDown", &TPreviewFormEh::PageButtonMouseDown);
    P.Method("PageButtonMouseUp", &TPreviewFormEh::PageButtonMouseUp);
    P.Method("Timer1Timer", &TPreviewFormEh::Timer1Timer);
    P.Method("PreviewEh1PrinterPreviewChanged", &TPreviewFormEh::PreviewEh1PrinterPreviewChanged);
    P.Method("PreviewEh1OpenPreviewer", &TPreviewFormEh::PreviewEh1OpenPreviewer);
}

TPreviewFormEh::TPreviewFormEh(TComponent* AOwner) : TForm(AOwner) {}

TPreviewFormEh::~TPreviewFormEh()
{
    if (gPreviewForm == this)
        gPreviewForm = nullptr;
}

void TPreviewFormEh::AfterConstruction()
{
    PreviewUnitStartUp();
    TForm::AfterConstruction();
    // Each zoom item's tag is its view mode.
    for (int i = 0; i <= vmFullPage; ++i)
        ZoomItem(TViewMode(i))->SetTag(i);
    Timer1->SetInterval(kFirstRepeat);
    PreviewEh1PrinterPreviewChanged(PreviewEh1);
}

TMenuItem* TPreviewFormEh::ZoomItem(TViewMode Mode) const { return pmnScale->Items()->Items(int(Mode)); }

void TPreviewFormEh::tbtPrintClick(TObject*) { PreviewEh1->PrintDialog(); }
void TPreviewFormEh::tbtPrinterSetupDialogClick(TObject*) { PreviewEh1->PrinterSetupDialog(); }

void TPreviewFormEh::tbtScaleClick(TObject*)
{
    const TPoint p = tbtScale->ClientToScreen(TPoint(0, tbtScale->Height()));
    pmnScale->Popup(p.X, p.Y);
}

void TPreviewFormEh::StepPage(TToolButton* Button)
{
    PreviewEh1->SetPageIndex(PreviewEh1->PageIndex() + (Button == tbtNextPage ? 1 : -1));
}

// The click a held button sends on its release adds no step to the repeats; a short press
// moves one page through it.
void TPreviewFormEh::tbtPrevPageClick(TObject*)
{
    if (Timer1->Interval() != kNextRepeats)
        StepPage(tbtPrevPage);
}

void TPreviewFormEh::tbtNextPageClick(TObject*)
{
    if (Timer1->Interval() != kNextRepeats)
        StepPage(tbtNextPage);
}

void TPreviewFormEh::PageButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int, int)
{
    if (Button != mbLeft)
        return;
    FPressedButton = dynamic_cast<TToolButton*>(Sender);
    Timer1->SetInterval(kFirstRepeat);
    Timer1->SetEnabled(true);
}

void TPreviewFormEh::PageButtonMouseUp(TObject*, TMouseButton Button, TShiftState, int, int)
{
    if (Button != mbLeft)
        return;
    Timer1->SetEnabled(false);
    FPressedButton = nullptr;
}

void TPreviewFormEh::Timer1Timer(TObject*)
{
    Timer1->SetInterval(kNextRepeats);
    if (!FPressedButton)
        return;
    auto stop = OnFailure([this] { Timer1->SetEnabled(false); });
    StepPage(FPressedButton);
}

void TPreviewFormEh::tbStopClick(TObject*) { PreviewEh1->Printer()->Abort(); }
void TPreviewFormEh::tbCloseClick(TObject*) { Close(); }

void TPreviewFormEh::mniScaleClick(TObject* Sender)
{
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        PreviewEh1->SetViewMode(TViewMode(item->Tag()));
}

void TPreviewFormEh::PreviewEh1PrinterPreviewChanged(TObject*)
{
    TPrinterPreview* rec = PreviewEh1->Printer();
    const bool printing = rec->Printing();
    tbStop->SetEnabled(printing);
    tbClose->SetEnabled(!printing);
    tbtPrint->SetEnabled(!printing && rec->HasPrinter());
    tbtPrinterSetupDialog->SetEnabled(!printing && (PreviewEh1->OnPrinterSetupDialog || PreviewEh1->OnPrinterSetupChanged)
                                      && PreviewEh1->PrinterSetupOwner());
    tbtPrevPage->SetEnabled(PreviewEh1->PageIndex() > 1);
    tbtNextPage->SetEnabled(PreviewEh1->PageIndex() < PreviewEh1->PageCount());
    stbMain->SetSimpleText(QStringLiteral("Страница %1 из %2").arg(PreviewEh1->PageIndex()).arg(PreviewEh1->PageCount()));
    for (int i = 0; i <= vmFullPage; ++i)
        ZoomItem(TViewMode(i))->Checked = i == PreviewEh1->ViewMode();
    SetCaption(QStringLiteral("Предварительный просмотр - ") + rec->Title());
}

void TPreviewFormEh::PreviewEh1OpenPreviewer(TObject*)
{
    // Not modal: the job goes on recording while the window is up.
    if (WindowState() == wsMinimized)
        SetWindowState(wsNormal);
    if (!Visible())
        Show();
    BringToFront();
}

TPrinterPreview* PrinterPreview()
{
    if (!gPreviewForm) {
        gPreviewForm = Create<TPreviewFormEh>(Application);
        // Gone with the application, while its windowing still stands.
        FreeWhenApplicationGoesEh([] { delete gPreviewForm; });
    }
    return gPreviewForm->PreviewEh1->Printer();
}

TPreviewFormEh* PreviewForm() { return gPreviewForm; }
