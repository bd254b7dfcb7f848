// The print preview's recorder, its scrolling box and the page panel.
#include "PrViewEh.h"

#include "components/axisgrid/DBAxisGridsEh_Draw.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/winapi/Windows.h"

#include <QFile>
#include <algorithm>
#include <cmath>

TCursor crMagnifierEh = crDefault;
TCursor crHandEh = crDefault;

static void InitPreviewResource() { Q_INIT_RESOURCE(PrViewEh); }

void LoadPreviewCursors(const QStringList& ResourceNames)
{
    InitPreviewResource();
    TCursor* targets[] = {&crMagnifierEh, &crHandEh};
    int next = 1;
    for (int i = 0; i < ResourceNames.size() && i < 2; ++i) {
        const QString path = QStringLiteral(":/cursors/") + ResourceNames[i] + QStringLiteral(".png");
        if (!QFile::exists(path))
            throw EOutOfResources(QStringLiteral("Cannot load cursor resource"));
        // The first slot that holds no cursor of its own.
        while (next < 32768 && !Screen->CursorResource(TCursor(next)).isEmpty())
            ++next;
        if (next >= 32768)
            throw EOutOfResources(QStringLiteral("Too many user-defined cursors"));
        Screen->SetCursors(TCursor(next), path);
        *targets[i] = TCursor(next);
    }
}

namespace {
void LoadCursorsOnce()
{
    static bool loaded = false;
    if (loaded || !Screen)
        return;
    loaded = true;
    LoadPreviewCursors({QStringLiteral("MAGNIFIEREH"), QStringLiteral("HANDEH")});
}
}

namespace {
// A page of a machine without any printer.
constexpr int kNoPrinterWidth = 4676, kNoPrinterHeight = 6744;
constexpr int kNoPrinterOffsetX = 130, kNoPrinterOffsetY = 150;
constexpr int kNoPrinterPpi = 600;
constexpr double kNoPrinterRatio = 285.0 / 198.0;
// The system's lines per wheel notch.
constexpr int kWheelScrollLines = 3;
constexpr int kZoom[] = {500, 200, 150, 100, 75, 50, 25, 10};
}

// ---------------------------------------------------------------- recorder

TPrinterPreview::TPrinterPreview(TPreviewBox* Previewer) : FPrinter(std::make_unique<TPrinter>()), FPreviewer(Previewer) {}

TPrinterPreview::~TPrinterPreview()
{
    FMetafileCanvas.reset();
}

bool TPrinterPreview::HasPrinter() { return FPrinter->Printers()->Count() > 0; }

TPrinterCapabilities TPrinterPreview::GetCapabilities() { return FPrinter->Capabilities(); }
TStrings* TPrinterPreview::GetFonts() { return FPrinter->Fonts(); }
HDC TPrinterPreview::GetHandle() { return FPrinter->Handle(); }
int TPrinterPreview::GetCopies() { return FPrinter->Copies(); }
TPrinterOrientation TPrinterPreview::GetOrientation() { return FPrinter->Orientation(); }
int TPrinterPreview::GetPageHeight() { return HasPrinter() ? FPrinter->PageHeight() : kNoPrinterHeight; }
int TPrinterPreview::GetPageWidth() { return HasPrinter() ? FPrinter->PageWidth() : kNoPrinterWidth; }
QString TPrinterPreview::GetTitle() { return FPrinter->Title(); }

int TPrinterPreview::PhysicalOffsetX()
{
    return HasPrinter() ? GetDeviceCaps(FPrinter->Handle(), PHYSICALOFFSETX) : kNoPrinterOffsetX;
}

int TPrinterPreview::PhysicalOffsetY()
{
    return HasPrinter() ? GetDeviceCaps(FPrinter->Handle(), PHYSICALOFFSETY) : kNoPrinterOffsetY;
}

int TPrinterPreview::GetFullPageWidth() { return GetPageWidth() + 2 * PhysicalOffsetX(); }
int TPrinterPreview::GetFullPageHeight() { return GetPageHeight() + 2 * PhysicalOffsetY(); }
int TPrinterPreview::GetPrinterIndex() { return FPrinter->PrinterIndex(); }
TStrings* TPrinterPreview::GetPrinters() { return FPrinter->Printers(); }

int TPrinterPreview::GetPixelsPerInchX()
{
    return HasPrinter() ? GetDeviceCaps(FPrinter->Handle(), LOGPIXELSX) : kNoPrinterPpi;
}

int TPrinterPreview::GetPixelsPerInchY()
{
    return HasPrinter() ? GetDeviceCaps(FPrinter->Handle(), LOGPIXELSY) : kNoPrinterPpi;
}

double TPrinterPreview::PageRatio()
{
    if (!HasPrinter())
        return kNoPrinterRatio;
    // The whole sheet, as the orientation turns it.
    const double w = GetDeviceCaps(FPrinter->Handle(), PHYSICALWIDTH);
    const double h = GetDeviceCaps(FPrinter->Handle(), PHYSICALHEIGHT);
    return w > 0 ? h / w : kNoPrinterRatio;
}

void TPrinterPreview::SetPrinterIndex(int Value) { FPrinter->SetPrinterIndex(Value); }
void TPrinterPreview::SetCopies(int Value) { FPrinter->SetCopies(Value); }
void TPrinterPreview::SetOrientation(TPrinterOrientation Value) { FPrinter->SetOrientation(Value); }
void TPrinterPreview::SetTitle(const QString& Value) { FPrinter->SetTitle(Value); }

void TPrinterPreview::GetPrinter(QString& ADevice, QString& ADriver, THandle& ADeviceMode, QString& APort)
{
    FPrinter->GetPrinter(ADevice, ADriver, APort, ADeviceMode);
}

void TPrinterPreview::SetPrinter(const QString& ADevice, const QString& ADriver, THandle ADeviceMode, const QString& APort)
{
    FPrinter->SetPrinter(ADevice, ADriver, APort, ADeviceMode);
}

void TPrinterPreview::StartPage()
{
    FMetafileList.push_back(std::make_unique<TMetafile>());
    TMetafile* page = FMetafileList.back().get();
    // The page is the printer's printable area; without a printer, the default sheet's.
    if (!HasPrinter()) {
        page->SetWidth(kNoPrinterWidth);
        page->SetHeight(kNoPrinterHeight);
    }
    FMetafileCanvas = std::make_unique<TMetafileCanvas>(page, HasPrinter() ? FPrinter->Handle() : nullptr);
    // The font keeps its point size at the printer's resolution.
    TFont* f = FMetafileCanvas->Font();
    const int size = f->GetSize();
    f->PixelsPerInch = std::min(GetPixelsPerInchX(), GetPixelsPerInchY());
    f->SetSize(size);
}

void TPrinterPreview::ClosePage() { FMetafileCanvas.reset(); }

void TPrinterPreview::BeginDoc()
{
    ClosePage();
    FMetafileList.clear();
    StartPage();
    FPageNumber = 1;
    FAborted = false;
    FPrinting = true;
    if (FPreviewer) {
        FPreviewer->SetPageCount(1);
        FPreviewer->SetPageIndex(1);
        FPreviewer->DoPrinterPreviewChanged();
    }
}

void TPrinterPreview::NewPage()
{
    ClosePage();
    StartPage();
    ++FPageNumber;
    if (!FPreviewer)
        return;
    if (FMetafileList.size() == 2)
        FPreviewer->UpdatePageSetup();
    FPreviewer->SetPageCount(PageCount() - 1);
    OpenPreview();
    FPreviewer->DoPrinterPreviewChanged();
}

void TPrinterPreview::EndDoc()
{
    ClosePage();
    FPageNumber = -1;
    FPrinting = false;
    if (!FPreviewer)
        return;
    FPreviewer->SetPageCount(PageCount());
    if (PageCount() == 1)
        FPreviewer->UpdatePageSetup();
    FPreviewer->OnPrinterSetupDialog = OnPrinterSetupDialog;
    FPreviewer->OnPrinterSetupChanged = OnPrinterSetupChanged;
    FPreviewer->SetPrinterSetupOwner(PrinterSetupOwner);
    OnPrinterSetupDialog = nullptr;
    OnPrinterSetupChanged = nullptr;
    PrinterSetupOwner = nullptr;
    OpenPreview();
    FPreviewer->UpdatePreview();
    FPreviewer->DoPrinterPreviewChanged();
}

void TPrinterPreview::Abort() { FAborted = true; }

void TPrinterPreview::OpenPreview()
{
    if (FPreviewer)
        FPreviewer->DoOpenPreviewer();
}

void TPrinterPreview::Print() { PrintPages(1, PageCount()); }

void TPrinterPreview::PrintPages(int From, int To)
{
    From = std::max(From, 1);
    To = std::min(To, PageCount());
    if (From > To)
        return;
    TPrinter* before = ::SetPrinter(FPrinter.get());
    auto restore = Finally([before] { ::SetPrinter(before); });
    TPrinter* p = ::Printer();
    p->BeginDoc();
    auto stop = Finally([p] {
        if (p->Printing())
            p->Abort();
    });
    for (int i = From; i <= To; ++i) {
        if (i > From)
            p->NewPage();
        p->Canvas()->Draw(0, 0, Pages(i - 1));
    }
    p->EndDoc();
}

// ---------------------------------------------------------------- page panel

DOV_PUBLISHED(TDrawPanel) {}

TDrawPanel::TDrawPanel(TComponent* AOwner) : TPanel(AOwner)
{
    BevelOuter = bvNone;
    ShowCaption = false;
    SetColor(clWhite);
    SetParentColor(false);
    SetCursor(crMagnifierEh);
    ControlStyle.Include(csCaptureMouse);
}

TPreviewBox* TDrawPanel::Box() const { return dynamic_cast<TPreviewBox*>(Parent()); }

void TDrawPanel::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(ClientRect());
    c->Brush()->SetColor(clBlack);
    c->FrameRect(ClientRect());
    TPreviewBox* box = Box();
    if (!box || box->PageCount() == 0 || box->Printer()->PageCount() == 0)
        return;
    TPrinterPreview* rec = box->Printer();
    const int index = std::clamp(box->PageIndex(), 1, rec->PageCount()) - 1;
    TMetafile* page = rec->Pages(index);
    if (page->Empty())
        return;   // still being recorded
    // The whole sheet maps onto the panel; the printable area sits at the physical offsets.
    const double sx = double(ClientWidth()) / std::max(1, rec->FullPageWidth());
    const double sy = double(ClientHeight()) / std::max(1, rec->FullPageHeight());
    const int left = int(std::lround(rec->PhysicalOffsetX() * sx));
    const int top = int(std::lround(rec->PhysicalOffsetY() * sy));
    page->Draw(c, TRect(left, top, left + int(std::lround(page->Width() * sx)),
                        top + int(std::lround(page->Height() * sy))));
}

void TDrawPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TPanel::MouseDown(Button, Shift, X, Y);
    if (TPreviewBox* box = Box(); box && box->CanFocus())
        box->SetFocus();
    if (Button == mbLeft) {
        FPressed = true;
        FDragged = false;
        FOldMousePos = ClientToScreen(TPoint(X, Y));
    }
}

void TDrawPanel::MouseMove(TShiftState Shift, int X, int Y)
{
    TPanel::MouseMove(Shift, X, Y);
    if (!FPressed || !MouseCapture())
        return;
    const TPoint p = ClientToScreen(TPoint(X, Y));
    if (p.X == FOldMousePos.X && p.Y == FOldMousePos.Y)
        return;
    SetCursor(crHandEh);
    FDragged = true;
    if (TPreviewBox* box = Box()) {
        box->SetHorzPosition(box->HorzPosition() - (p.X - FOldMousePos.X));
        box->SetVertPosition(box->VertPosition() - (p.Y - FOldMousePos.Y));
    }
    FOldMousePos = p;
}

void TDrawPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TPanel::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FPressed)
        return;
    FPressed = false;
    TPreviewBox* box = Box();
    if (FDragged) {
        FDragged = false;
        SetCursor(crMagnifierEh);
        return;
    }
    if (!box)
        return;
    if (box->ViewMode() == vmFullPage) {
        // The clicked point stays near the pointer.
        const int oldW = std::max(1, Width()), oldH = std::max(1, Height());
        const int oldLeft = Left(), oldTop = Top();
        box->SetViewMode(vm150);
        const int h = X * Width() / oldW - oldLeft - X + 16;
        const int v = Y * Height() / oldH - oldTop - Y + 16;
        box->SetHorzPosition(h);
        box->SetVertPosition(v);
    } else {
        box->SetViewMode(vmFullPage);
    }
}

void TDrawPanel::CMCancelMode(TMessage& M)
{
    TPanel::CMCancelMode(M);
    FPressed = false;
    FDragged = false;
    SetCursor(crMagnifierEh);
}

// ---------------------------------------------------------------- box

DOV_PUBLISHED(TPreviewBox)
{
    P.Event("OnOpenPreviewer", &TPreviewBox::OnOpenPreviewer);
    P.Event("OnPrinterPreviewChanged", &TPreviewBox::OnPrinterPreviewChanged);
}

TPreviewBox::TPreviewBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FPrinter = std::make_unique<TPrinterPreview>(this);
    SetTabStop(true);
}

TPreviewBox::~TPreviewBox() = default;

void TPreviewBox::AfterConstruction()
{
    LoadCursorsOnce();
    TCustomControl::AfterConstruction();
    SetColor(clAppWorkSpace);
    SetParentColor(false);
    pnlShadow = Create<TPanel>(this);
    pnlShadow->BevelOuter = bvNone;
    pnlShadow->ShowCaption = false;
    pnlShadow->SetColor(TColor(4210752));
    pnlShadow->SetParentColor(false);
    pnlShadow->SetEnabled(false);
    pnlShadow->SetParent(this);
    FDrawPanel = Create<TDrawPanel>(this);
    FDrawPanel->SetBounds(8, 8, 100, 141);
    FDrawPanel->SetParent(this);
    // The bars lie over the box's right and bottom edges and track while dragged.
    for (TScrollBar** bar : {&FHorzBar, &FVertBar}) {
        *bar = Create<TScrollBar>(this);
        (*bar)->SetKind(bar == &FHorzBar ? sbHorizontal : sbVertical);
        (*bar)->SetVisible(false);
        (*bar)->SmallChange = Increment;
        (*bar)->OnScroll = TScrollEvent(this, &TPreviewBox::ScrollBarScroll);
        (*bar)->SetParent(this);
    }
}

void TPreviewBox::ScrollBarScroll(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)
{
    if (ScrollCode == scEndScroll)
        return;
    if (Sender == FVertBar)
        SetVertPosition(ScrollPos);
    else
        SetHorzPosition(ScrollPos);
}

void TPreviewBox::SetPrinterSetupOwner(TComponent* Value)
{
    if (FPrinterSetupOwner == Value)
        return;
    if (FPrinterSetupOwner)
        FPrinterSetupOwner->RemoveFreeNotification(this);
    FPrinterSetupOwner = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TPreviewBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPrinterSetupOwner)
        FPrinterSetupOwner = nullptr;
}

void TPreviewBox::SetPageIndex(int Value)
{
    Value = std::max(1, std::min(Value, FPageCount));
    if (Value == FPageIndex)
        return;
    FPageIndex = Value;
    UpdatePreview();
    DoPrinterPreviewChanged();
}

void TPreviewBox::SetViewMode(TViewMode Value)
{
    if (Value != FViewMode) {
        FViewMode = Value;
        UpdatePageSetup();
    }
    DoPrinterPreviewChanged();
}

void TPreviewBox::DoPrinterPreviewChanged()
{
    if (OnPrinterPreviewChanged)
        OnPrinterPreviewChanged(this);
}

void TPreviewBox::DoOpenPreviewer()
{
    if (OnOpenPreviewer)
        OnOpenPreviewer(this);
}

void TPreviewBox::SetHorzPosition(int Value)
{
    Value = std::clamp(Value, 0, std::max(0, FHorzRange - ClientWidth()));
    if (Value == FHorzPos)
        return;
    FHorzPos = Value;
    PlacePage();
}

void TPreviewBox::SetVertPosition(int Value)
{
    Value = std::clamp(Value, 0, std::max(0, FVertRange - ClientHeight()));
    if (Value == FVertPos)
        return;
    FVertPos = Value;
    PlacePage();
}

void TPreviewBox::PlacePage()
{
    FDrawPanel->SetBounds(FPageLeft - FHorzPos, FPageTop - FVertPos, FPageWidth, FPageHeight);
    pnlShadow->SetBounds(FPageLeft - FHorzPos + 4, FPageTop - FVertPos + 4, FPageWidth, FPageHeight);
    if (!FHorzBar)
        return;
    const int thick = GetSystemMetrics(SM_CXVSCROLL);
    const int cw = ClientWidth(), ch = ClientHeight();
    const bool horz = FHorzRange > cw, vert = FVertRange > ch;
    FHorzBar->SetVisible(horz);
    FVertBar->SetVisible(vert);
    if (horz) {
        FHorzBar->SetBounds(0, ch - thick, cw - (vert ? thick : 0), thick);
        FHorzBar->LargeChange = std::max(1, cw - Increment);
        FHorzBar->SetParams(FHorzPos, 0, FHorzRange - cw);
        FHorzBar->BringToFront();
    }
    if (vert) {
        FVertBar->SetBounds(cw - thick, 0, thick, ch - (horz ? thick : 0));
        FVertBar->LargeChange = std::max(1, ch - Increment);
        FVertBar->SetParams(FVertPos, 0, FVertRange - ch);
        FVertBar->BringToFront();
    }
}

void TPreviewBox::UpdatePageSetup()
{
    const double ratio = FPrinter->PageRatio();
    const int cw = ClientWidth(), ch = ClientHeight();
    const int printerPpi = std::max(1, FPrinter->PixelsPerInchX());
    FHorzPos = FVertPos = 0;
    int a = 0, b = 0;
    if (FViewMode <= vm10) {
        const int z = kZoom[FViewMode];
        a = int(double(z) * FPrinter->FullPageWidth() * Screen->PixelsPerInch / printerPpi / 100);
        b = int(a * ratio);
        FHorzRange = a + 16;
        FVertRange = b + 16;
        FPageLeft = a + 16 < cw ? (cw - a) / 2 : 8;
        FPageTop = b + 16 < ch ? (ch - b) / 2 : 8;
        FScalePercent = z;
    } else if (FViewMode == vmPageWidth) {
        a = std::max(1, Width() - GetSystemMetrics(SM_CXVSCROLL) - 20);
        b = int(a * ratio);
        const int ppi = Screen->PixelsPerInch;
        FScalePercent = int(a * 100.0 / (FPrinter->FullPageWidth() * double(ppi) / printerPpi));
        FVertRange = b + 16;
        FHorzRange = 0;
        FPageLeft = FPageTop = 8;
    } else {
        FHorzRange = FVertRange = 0;
        b = std::max(1, ch - 16);
        a = int(b / ratio);
        if (cw - 16 < a) {
            a = std::max(1, cw - 16);
            b = int(a * ratio);
        }
        FScalePercent = 100;
        FPageLeft = (cw - a) / 2;
        FPageTop = (ch - b) / 2;
    }
    FPageWidth = a;
    FPageHeight = b;
    PlacePage();
    FDrawPanel->Invalidate();
}

void TPreviewBox::UpdatePreview()
{
    Invalidate();
    if (FDrawPanel)
        FDrawPanel->Invalidate();
}

void TPreviewBox::PrintDialog()
{
    TPrinter* before = ::SetPrinter(FPrinter->PrivatePrinter());
    auto restore = Finally([before] { ::SetPrinter(before); });
    auto dialog = std::unique_ptr<TPrintDialog>(Create<TPrintDialog>(nullptr));
    dialog->Options.Include(poPageNums);
    dialog->MinPage = 1;
    dialog->MaxPage = FPageCount;
    dialog->FromPage = 1;
    dialog->ToPage = FPageCount;
    if (!dialog->Execute() || FPrinter->PageCount() == 0)
        return;
    if (dialog->PrintRange == prPageNums)
        FPrinter->PrintPages(dialog->FromPage, dialog->ToPage);
    else
        FPrinter->Print();
}

void TPreviewBox::PrinterSetupDialog()
{
    TPrinter* before = ::SetPrinter(FPrinter->PrivatePrinter());
    auto restore = Finally([before] { ::SetPrinter(before); });
    if (OnPrinterSetupDialog) {
        OnPrinterSetupDialog(this);
        return;
    }
    auto dialog = std::unique_ptr<TPrinterSetupDialog>(Create<TPrinterSetupDialog>(nullptr));
    if (!dialog->Execute())
        return;
    UpdatePageSetup();
    if (OnPrinterSetupChanged)
        OnPrinterSetupChanged(this);
}

void TPreviewBox::WMGetDlgCode(TMessage& M) { M.Result = DLGC_WANTARROWS; }

void TPreviewBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (CanFocus())
        SetFocus();
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPreviewBox::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    const bool ctrl = Shift.Contains(ssCtrl);
    const int pageV = ClientHeight() - Increment, pageH = ClientWidth() - Increment;
    const int bottom = FVertRange, right = FHorzRange;
    switch (Key) {
    case VK_PRIOR: SetVertPosition(ctrl ? 0 : FVertPos - pageV); break;
    case VK_NEXT: SetVertPosition(ctrl ? bottom : FVertPos + pageV); break;
    case VK_UP: SetVertPosition(FVertPos - (ctrl ? pageV : Increment)); break;
    case VK_DOWN: SetVertPosition(FVertPos + (ctrl ? pageV : Increment)); break;
    case VK_END:
        if (ctrl)
            SetVertPosition(bottom);
        SetHorzPosition(right);
        break;
    case VK_HOME:
        if (ctrl)
            SetVertPosition(0);
        SetHorzPosition(0);
        break;
    case VK_LEFT: SetHorzPosition(FHorzPos - (ctrl ? pageH : Increment)); break;
    case VK_RIGHT: SetHorzPosition(FHorzPos + (ctrl ? pageH : Increment)); break;
    default: break;
    }
}

bool TPreviewBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos)
{
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos))
        return true;
    if (FVertRange < ClientHeight()) {
        SetPageIndex(FPageIndex + (WheelDelta < 0 ? 1 : -1));
        return true;
    }
    const int lines = kWheelScrollLines;
    const int step = Increment * lines * FScalePercent / 100;
    SetVertPosition(FVertPos + (WheelDelta < 0 ? step : -step));
    return true;
}

void TPreviewBox::Resize()
{
    TCustomControl::Resize();
    if (!FDrawPanel)
        return;
    if (FViewMode == vmPageWidth || FViewMode == vmFullPage
        || FPageWidth + 16 <= ClientWidth() || FPageHeight + 16 <= ClientHeight())
        UpdatePageSetup();
}
