// The data-aware edit's layout (text, image and buttons box), height, painting, the flat
// border, the required-field underline, the image index, the MRU list and the tool tips.
#include "components/editors/DBCtrlsEh.h"

#include "components/foundation/GridsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/winapi/WinGdi.h"
#include "platform/winapi/WinUser.h"

#include <cmath>

DOV_PUBLISHED(TToolTipsWindow) {}

TRect TToolTipsWindow::CalcHintRect(int MaxWidth, const QString& AHint, void* AData)
{
    if (AData)
        Canvas()->Font()->Assign(static_cast<TFont*>(AData));
    return THintWindow::CalcHintRect(MaxWidth, AHint, AData);
}

namespace {
int FontTextHeight(TFont* Font)
{
    return MeasureCanvasEh(Font)->TextHeight(QStringLiteral("Wg"));
}
}

// ============================================================================================
// Layout
// ============================================================================================

int TCustomDBEditEh::ButtonsWidth() const
{
    return FButtonsBox && FButtonsBox->Visible() ? FButtonsBox->ButtonsWidth() : 0;
}

TRect TCustomDBEditEh::GetEditRect()
{
    TRect r = ClientRect();
    const int bw = ButtonsWidth();
    const int iw = FEditImage && FEditImage->Visible() && FEditImage->Images() ? FImageWidth : 0;
    if (UseRightToLeftAlignment()) {
        r.Left += bw;
        r.Right -= iw;
    } else {
        r.Right -= bw;
        r.Left += iw;
    }
    return r;
}

TRect TCustomDBEditEh::GetButtonsBoxRect()
{
    const int bw = FButtonsBox ? FButtonsBox->ButtonsWidth() : 0;
    const TRect c = ClientRect();
    TRect r(c.Width() - bw, 0, c.Width(), c.Height());
    if (UseRightToLeftAlignment())
        r = TRect(0, 0, bw, c.Height());
    return r;
}

TRect TCustomDBEditEh::GetImageRect()
{
    const TRect c = ClientRect();
    if (UseRightToLeftAlignment())
        return TRect(c.Width() - FImageWidth, 0, c.Width(), c.Height());
    return TRect(0, 0, FImageWidth, c.Height());
}

TRect TCustomDBEditEh::GetPaintTextRect()
{
    const TRect c = ClientRect();
    const int bw = ButtonsWidth();
    TRect r(FImageWidth, 0, c.Width() - bw - 1, c.Height());
    if (UseRightToLeftAlignment()) {
        r.Left += bw - FImageWidth;
        r.Right += bw - FImageWidth;
    }
    return r;
}

void TCustomDBEditEh::GetTextMargins(int& X, int& Y)
{
    TRect fr;
    Perform(EM_GETRECT, 0, LPARAM(&fr));
    Y = fr.Top;
    if (UseRightToLeftAlignment())
        X = ClientWidth() - fr.Right - FImageWidth;
    else
        X = fr.Left - FImageWidth;
    if (X < 0)
        X = 0;
}

TPoint TCustomDBEditEh::EditTextMargins()
{
    int x = 0, y = 0;
    GetTextMargins(x, y);
    return TPoint(x, y);
}

void TCustomDBEditEh::UpdateTextRect()
{
    if (!HandleAllocated())
        return;
    TRect r = GetEditRect();
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
}

void TCustomDBEditEh::UpdateEditButtons()
{
    if (!FButtonsBox)
        return;
    FButtonsChangePending = false;
    FButtonsBox->BeginLayout();
    {
        auto end = Finally([&] { FButtonsBox->EndLayout(); });
        FButtonsBox->SetButtonsCount(FEditButtons->Count() + 1);
        FButtonsBox->SetFlat(FFlat);
        FButtonsBox->SetMaxButtonHeight(ClientHeight());
        FButtonsBox->BtnCtlLine(0).EditButton = FEditButton;
        for (int i = 0; i < FEditButtons->Count(); ++i)
            FButtonsBox->BtnCtlLine(i + 1).EditButton = FEditButtons->Items(i);
    }
    if (FButtonsBox->ButtonsWidth() <= 0) {
        FButtonsBox->SetVisible(false);
    } else {
        FButtonsBox->SetBoundsRect(GetButtonsBoxRect());
        FButtonsBox->SetVisible(true);
    }
}

void TCustomDBEditEh::CreateParams(TCreateParams& Params)
{
    TCustomMaskEdit::CreateParams(Params);
    if (FWordWrap)
        Params.Style &= ~DWORD(ES_AUTOHSCROLL);
    if (PasswordChar().isNull())
        Params.Style |= ES_MULTILINE;
    Params.Style |= WS_CLIPCHILDREN;
    const TAlignment a = Alignment();
    const bool rtl = UseRightToLeftAlignment();
    DWORD align = ES_LEFT;
    if (!FWordWrap)
        align = rtl ? ES_RIGHT : ES_LEFT;
    else if (a == taCenter)
        align = ES_CENTER;
    else if ((a == taRightJustify) != rtl)
        align = ES_RIGHT;
    Params.Style |= align;
}

void TCustomDBEditEh::CreateWnd()
{
    TCustomMaskEdit::CreateWnd();
    AfterCreateWnd();
}

void TCustomDBEditEh::AfterCreateWnd()
{
    UpdateHeightStyle();
    UpdateBorderActive();
    UpdateEditButtons();
    UpdateEditButtonsState();
    FImageWidth = 0;
    if (FEditImage->Visible() && FEditImage->Images())
        FImageWidth = (FEditImage->Width() > 0 ? FEditImage->Width() : FEditImage->Images()->Width()) + 4;
    UpdateImageIndex();
    UpdateTextRect();
    UpdateReadOnlyState();
}

void TCustomDBEditEh::RecreateWindow()
{
    if (HandleAllocated())
        RecreateWnd();
}

void TCustomDBEditEh::ApplyWindowStyle()
{
    TCustomMaskEdit::ApplyWindowStyle();
    if (!ControlState.Contains(csRecreating))
        return;
    // The window keeps its widget: the edit styles and the layout are applied again.
    TCreateParams p;
    CreateParams(p);
    SetMultiLine((p.Style & ES_MULTILINE) != 0);
    if (MultiLine())
        TCustomEdit::WordWrap = (p.Style & ES_AUTOHSCROLL) == 0;
    AfterCreateWnd();
}

void TCustomDBEditEh::WMSize(TMessage& M)
{
    TCustomMaskEdit::WMSize(M);
    UpdateEditButtons();
    UpdateTextRect();
}

void TCustomDBEditEh::HandleEditImageChanged(TMessage&)
{
    RecreateWindow();
}

void TCustomDBEditEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TCustomMaskEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    AdjustLabelBounds();
}

void TCustomDBEditEh::SetParent(TWinControl* AParent)
{
    TCustomMaskEdit::SetParent(AParent);
    if (FControlLabel) {
        FControlLabel->UpdateParent();
        FControlLabel->UpdateVisibility();
        FControlLabel->UpdateCaption();
    }
}

void TCustomDBEditEh::AdjustLabelBounds()
{
    if (!FControlLabel || !FControlLabelLocation)
        return;
    TPoint p;
    FControlLabelLocation->CalcLabelPosForControl(FControlLabel->Width(), FControlLabel->Height(), p);
    FControlLabel->SetBounds(p.X, p.Y, FControlLabel->Width(), FControlLabel->Height());
}

void TCustomDBEditEh::LabelLocationChanged()
{
    if (!ComponentState().Contains(csLoading))
        AdjustLabelBounds();
}

int TCustomDBEditEh::GetControlTextBaseLine()
{
    return FontTextHeight(Font()) + 2 * GetSystemMetrics(SM_CYBORDER) + 1;
}

// ============================================================================================
// Height and settings that change the window
// ============================================================================================

void TCustomDBEditEh::UpdateHeightStyle()
{
    if (AutoSize() && BorderStyle() == bsSingle) {
        ControlStyle.Include(csFixedHeight);
        UpdateHeight();
    } else {
        ControlStyle.Exclude(csFixedHeight);
    }
}

void TCustomDBEditEh::UpdateHeight()
{
    const int extra = GetSystemMetrics(SM_CYBORDER) * ((Ctl3D ? 8 : 6) - (FFlat ? 2 : 0));
    const int textHeight = FontTextHeight(Font());
    TCustomImageList* images = FEditImage->Images();
    if (images && FEditImage->UseImageHeight() && images->Height() > textHeight)
        SetHeight(extra + images->Height());
    else
        SetHeight(extra + textHeight);
}

void TCustomDBEditEh::SetAutoSize(bool Value)
{
    if (TCustomEdit::AutoSize == Value)
        return;
    TCustomEdit::AutoSize = Value;
    UpdateHeightStyle();
}

void TCustomDBEditEh::SetFlat(bool Value)
{
    if (FFlat == Value)
        return;
    FFlat = Value;
    RecreateWindow();
    UpdateEditButtons();
}

void TCustomDBEditEh::SetWordWrap(bool Value)
{
    if (FWordWrap == Value)
        return;
    FWordWrap = Value;
    RecreateWindow();
}

void TCustomDBEditEh::SetPasswordChar(QChar Value)
{
    if (PasswordChar() == Value)
        return;
    TCustomMaskEdit::SetPasswordChar(Value);
    RecreateWindow();
}

void TCustomDBEditEh::SetAlwaysShowBorder(bool Value)
{
    if (FAlwaysShowBorder == Value)
        return;
    FAlwaysShowBorder = Value;
    UpdateBorderActive();
}

void TCustomDBEditEh::SetEditImage(TEditImageEh* Value)
{
    FEditImage->Assign(Value);
}

TCustomImageList* TCustomDBEditEh::Images() const
{
    return FEditImage->Images();
}

void TCustomDBEditEh::SetImages(TCustomImageList* Value)
{
    FEditImage->SetImages(Value);
    FEditImage->SetVisible(true);
}

void TCustomDBEditEh::SetOnGetImageIndex(const TGetImageIndexEventEh& Value)
{
    FOnGetImageIndex = Value;
    UpdateImageIndex();
}

void TCustomDBEditEh::SetEmptyDataInfo(TControlEmptyDataInfoEh* Value)
{
    FEmptyDataInfo->Assign(Value);
}

void TCustomDBEditEh::SetMRUList(TMRUListEh* Value)
{
    FMRUList->Assign(Value);
}

void TCustomDBEditEh::SetControlLabel(TControlLabelEh* Value)
{
    FControlLabel->Assign(Value);
}

void TCustomDBEditEh::SetControlLabelLocation(TControlLabelLocationEh* Value)
{
    FControlLabelLocation->Assign(Value);
}

TCanvas* TCustomDBEditEh::GetCanvas()
{
    if (!FCanvas) {
        FCanvas = new TControlCanvas;
        FCanvas->Control = this;
    }
    return FCanvas;
}

void TCustomDBEditEh::Deselect()
{
    Perform(EM_SETSEL, WPARAM(std::numeric_limits<int>::max()), LPARAM(-1));
}

// ============================================================================================
// Border, focus and mouse
// ============================================================================================

void TCustomDBEditEh::UpdateBorderActive()
{
    if (ComponentState().Contains(csLoading))
        return;
    const bool active = ComponentState().Contains(csDesigning) || FFocused || Focused() || FMouseAboveControl ||
                        FAlwaysShowBorder;
    if (active != FBorderActive) {
        FBorderActive = active;
        if (Ctl3D && BorderStyle() == bsSingle && FFlat && HandleAllocated())
            PaintFlatBorder(nullptr, active);
    }
    UpdateEditButtonsState();
}

void TCustomDBEditEh::PaintFlatBorder(HDC DC, bool Active)
{
    if (!HandleAllocated() || !Ctl3D || BorderStyle() != bsSingle)
        return;
    // The frame lives inside the window here: without a context it is painted with the rest.
    if (!DC) {
        Invalidate();
        return;
    }
    TRect r(0, 0, Width(), Height());
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    if (Active) {
        TRect e = r;
        DrawEdge(DC, e, BDR_SUNKENOUTER, BF_RECT);
    } else {
        FrameRect(DC, r, face);
    }
    InflateRect(r, -1, -1);
    FrameRect(DC, r, face);
}

void TCustomDBEditEh::WMNCPaint(TMessage& M)
{
    if (Ctl3D && BorderStyle() == bsSingle && FFlat) {
        PaintFlatBorder(nullptr, FBorderActive);
        M.Result = 1;
        return;
    }
    TCustomMaskEdit::WMNCPaint(M);
}

void TCustomDBEditEh::WMSetFocus(TMessage& M)
{
    TCustomMaskEdit::WMSetFocus(M);
    UpdateBorderActive();
    Invalidate();
}

void TCustomDBEditEh::WMKillFocus(TMessage& M)
{
    const HWND to = HWND(M.WParam);
    if (FMRUList->DroppedDown() && !(FMRUListControl && FMRUListControl->HandleAllocated() &&
                                     to == FMRUListControl->HandleIfAllocated()))
        FMRUList->CloseUp(false);
    TCustomMaskEdit::WMKillFocus(M);
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->MouseCapture())
            Controls(i)->Perform(WM_CANCELMODE, 0, 0);
    if (FButtonsBox)
        for (int i = 0; i < FButtonsBox->ControlCount(); ++i)
            if (FButtonsBox->Controls(i)->MouseCapture())
                FButtonsBox->Controls(i)->Perform(WM_CANCELMODE, 0, 0);
    UpdateBorderActive();
    Invalidate();
}

void TCustomDBEditEh::WMLButtonDown(TMessage& M)
{
    TCustomMaskEdit::WMLButtonDown(M);
    // A press that leaves the edit holding the capture without the focus lets it go.
    if (MouseCapture() && !Focused())
        SetMouseCapture(false);
}

void TCustomDBEditEh::WMSetCursor(TMessage& M)
{
    TPoint cursor;
    GetCursorPos(cursor);
    const TPoint p = ScreenToClient(cursor);
    if ((FButtonsBox && FButtonsBox->Visible() && PtInRect(GetButtonsBoxRect(), p)) ||
        (FImageWidth > 0 && PtInRect(GetImageRect(), p))) {
        ShowWindowCursor(crArrow);
        M.Result = 1;
        return;
    }
    TCustomMaskEdit::WMSetCursor(M);
}

void TCustomDBEditEh::CMMouseEnter(TMessage& M)
{
    TCustomMaskEdit::CMMouseEnter(M);
    FMouseAboveControl = true;
    UpdateBorderActive();
}

void TCustomDBEditEh::CMMouseLeave(TMessage& M)
{
    TCustomMaskEdit::CMMouseLeave(M);
    FMouseAboveControl = false;
    UpdateBorderActive();
}

void TCustomDBEditEh::CMMouseWheel(TMessage& M)
{
    if (FMRUList->DroppedDown() && FMRUListControl) {
        FMRUListControl->Perform(CM_MOUSEWHEEL, M.WParam, M.LParam);
        M.Result = 1;
        return;
    }
    TCustomMaskEdit::CMMouseWheel(M);
}

void TCustomDBEditEh::CMCancelMode(TMessage& M)
{
    TCustomMaskEdit::CMCancelMode(M);
    auto* sender = reinterpret_cast<TControl*>(M.LParam);
    if (FMRUList->DroppedDown() && sender != this && sender != FMRUListControl &&
        !(FMRUListControl && sender && sender->Parent() == FMRUListControl))
        FMRUList->CloseUp(false);
    for (int i = 0; i < ControlCount(); ++i)
        if (Controls(i)->MouseCapture())
            Controls(i)->Perform(WM_CANCELMODE, 0, 0);
}

void TCustomDBEditEh::CMRecreateWnd(TMessage& M)
{
    const bool focused = Focused();
    TCustomMaskEdit::CMRecreateWnd(M);
    if (focused)
        UpdateBorderActive();
}

void TCustomDBEditEh::CMFontChanged(TMessage& M)
{
    TCustomMaskEdit::CMFontChanged(M);
    if (ControlStyle.Contains(csFixedHeight) &&
        !(ComponentState().Contains(csDesigning) && ComponentState().Contains(csLoading)))
        UpdateHeight();
    UpdateTextRect();
    if (FEmptyDataInfo)
        FEmptyDataInfo->RefreshDefaultFont();
    AdjustLabelBounds();
}

void TCustomDBEditEh::CMColorChanged(TMessage& M)
{
    TCustomMaskEdit::CMColorChanged(M);
    UpdateEditButtonsState();
}

void TCustomDBEditEh::CMEnabledChanged(TMessage& M)
{
    TCustomMaskEdit::CMEnabledChanged(M);
    UpdateEditButtonsState();
}

void TCustomDBEditEh::CMVisibleChanged(TMessage& M)
{
    TCustomMaskEdit::CMVisibleChanged(M);
    if (FControlLabel)
        FControlLabel->UpdateVisibility();
}

void TCustomDBEditEh::CMBiDiModeChanged(TMessage& M)
{
    TCustomMaskEdit::CMBiDiModeChanged(M);
    if (FControlLabel)
        FControlLabel->SetBiDiMode(BiDiMode());
}

void TCustomDBEditEh::CMSysColorChange(TMessage& M)
{
    TCustomMaskEdit::CMSysColorChange(M);
    ResetButtonsBitmapCache();
}

// ============================================================================================
// Painting
// ============================================================================================

void TCustomDBEditEh::PaintWindow(HDC DC)
{
    PaintEditWindow(DC);
}

void TCustomDBEditEh::PaintImage(TCanvas* ACanvas)
{
    if (!FEditImage->Visible() || !FEditImage->Images() || FEditImage->ImageIndex() < 0)
        return;
    TRect r = GetImageRect();
    InflateRect(r, -2, -1);
    DrawImageCentered(ACanvas->Handle(), r, FEditImage->Images(), FEditImage->ImageIndex(), false);
}

void TCustomDBEditEh::PaintEditWindow(HDC DC)
{
    FlushEditButtonsChange();
    TCanvas* canvas = GetCanvas();
    TCanvasPaintScope scope(canvas, DC);
    PaintImage(canvas);
    TAlignment a = Alignment();
    if (UseRightToLeftAlignment()) {
        if (a == taLeftJustify)
            a = taRightJustify;
        else if (a == taRightJustify)
            a = taLeftJustify;
    }
    const bool designName = ComponentState().Contains(csDesigning) && !FDataLink->Active();
    const bool paintCopy = ControlState.Contains(csPaintCopy);
    if ((a == taLeftJustify || FFocused || Focused() || FWordWrap) && !paintCopy && !designName) {
        DrawRequiredState(canvas);
        TCustomMaskEdit::PaintWindow(DC);
        canvas->SetHandle(DC);
        PaintImage(canvas);
        DrawRequiredState(canvas);
        if (FEmptyDataInfo->Showing())
            FEmptyDataInfo->PaintEmptyDataInfo();
        return;
    }
    canvas->Font()->Assign(Font());
    TRect r = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(GetPaintTextRect());
    r = GetPaintTextRect();
    if (!Enabled())
        canvas->Font()->SetColor(clGrayText);
    QString s = GetDisplayTextForPaintCopy();
    if (!PasswordChar().isNull())
        s = QString(s.size(), PasswordChar());
    int mx = 0, my = 0;
    GetTextMargins(mx, my);
    const int w = canvas->TextWidth(s);
    int x = mx;
    if (a == taRightJustify)
        x = r.Right - w - mx;
    else if (a == taCenter)
        x = (r.Right - w) / 2;
    canvas->TextRect(r, x, my, s);
    DrawRequiredState(canvas);
    if (FEmptyDataInfo->Showing())
        FEmptyDataInfo->PaintEmptyDataInfo();
}

QString TCustomDBEditEh::GetDisplayTextForPaintCopy()
{
    if (ComponentState().Contains(csDesigning) && !FDataLink->Active())
        return Name();
    if (ControlState.Contains(csPaintCopy) && Field()) {
        const QString s = Field()->DisplayText();
        if (CharCase() == ecUpperCase)
            return s.toUpper();
        if (CharCase() == ecLowerCase)
            return s.toLower();
        return s;
    }
    return EditText();
}

void TCustomDBEditEh::DrawRequiredState(TCanvas* ACanvas)
{
    bool draw = false;
    if (FHighlightRequired && FDataLink->Active()) {
        if (DataIndepended()) {
            draw = FDataLink->DataIndependentValue.IsNull() || Text().isEmpty();
        } else if (TField* f = Field()) {
            TDataSet* ds = FDataLink->DataSet();
            draw = ds && (ds->State() == dsEdit || ds->State() == dsInsert) && f->Required() && f->IsNull();
        }
    }
    if (OnCheckDrawRequiredState)
        OnCheckDrawRequiredState(this, draw);
    if (!draw)
        return;
    const TRect r = GetEditRect();
    ACanvas->Pen()->SetColor(clRed);
    ACanvas->Pen()->SetStyle(psDot);
    ACanvas->MoveTo(r.Left + 2, ClientHeight() - 1);
    ACanvas->LineTo(r.Right - 3, ClientHeight() - 1);
    ACanvas->Pen()->SetStyle(psSolid);
}

void TCustomDBEditEh::UpdateImageIndex()
{
    if (!FEditImage || !FEditImage->Visible() || !FEditImage->Images())
        return;
    int index = DefaultImageIndex();
    const Variant v = Value();
    switch (v.VarType()) {
    case varSmallint: case varInteger: case varSingle: case varDouble: case varCurrency:
        index = int(std::nearbyint(v.AsDouble()));
        break;
    default: break;
    }
    if (FOnGetImageIndex)
        FOnGetImageIndex(this, index);
    FEditImage->SetImageIndex(index);
}

// ============================================================================================
// The MRU list
// ============================================================================================

TWinControl* TCustomDBEditEh::CreateMRUListControl()
{
    auto* list = Create<TMRUListboxEh>(this);
    list->SetVisible(false);
    list->SetCtl3D(false);
    list->SetSorted(true);
    list->SetParentWindow(nullptr);
    list->OnMouseUp = TMouseEvent(this, &TCustomDBEditEh::MRUListControlMouseUp);
    return list;
}

TWinControl* TCustomDBEditEh::MRUListControl()
{
    if (!FMRUListControl)
        FMRUListControl = CreateMRUListControl();
    return FMRUListControl;
}

void TCustomDBEditEh::MRUListControlMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y)
{
    if (Button == mbLeft)
        FMRUList->CloseUp(PtInRect(FMRUListControl->ClientRect(), TPoint(X, Y)));
}

void TCustomDBEditEh::FilterMRUItem(const QString& AText, bool& Accept)
{
    const QString t = Text();
    const QString head = AText.left(t.size());
    Accept = QString::localeAwareCompare(FMRUList->CaseSensitive() ? head : head.toLower(),
                                         FMRUList->CaseSensitive() ? t : t.toLower()) == 0;
    if (FMRUList->OnFilterItem)
        FMRUList->OnFilterItem(this, Accept);
}

void TCustomDBEditEh::MRUListDropDown(TObject*)
{
    auto* list = static_cast<TMRUListboxEh*>(MRUListControl());
    const bool resized = list->SizeGripResized();
    list->Items()->BeginUpdate();
    {
        auto end = Finally([&] { list->Items()->EndUpdate(); });
        list->Items()->Clear();
        for (int i = 0; i < FMRUList->Items()->Count(); ++i) {
            bool accept = true;
            FilterMRUItem(FMRUList->Items()->Strings(i), accept);
            if (accept)
                list->Items()->Add(FMRUList->Items()->Strings(i));
        }
    }
    const int count = list->Items()->Count();
    if (count == 0) {
        if (FMRUList->DroppedDown())
            FMRUList->CloseUp(false);
        return;
    }
    const int rows = count < FMRUList->Rows() ? count : FMRUList->Rows();
    TRect fr;
    Perform(EM_GETRECT, 0, LPARAM(&fr));
    const TPoint tl = ClientToScreen(TPoint(fr.Left, 0));
    const TRect ownerRect(tl.X, ClientOrigin().Y, tl.X + fr.Width(), ClientOrigin().Y + Height());
    if (!FMRUList->DroppedDown()) {
        list->SetColor(Color());
        list->SetFont(Font());
        list->SetItemHeight(FontTextHeight(Font()));
        list->SetItemIndex(-1);
        list->SetRowCount(rows);
        list->SetWidth(FMRUList->Width() > 0 ? FMRUList->Width() : fr.Width());
    } else {
        list->SetRowCount(rows);
    }
    TPoint pos;
    PlaceDropDownInWorkArea(ownerRect, list, taLeftJustify, pos);
    list->SetBounds(pos.X, pos.Y, list->Width(), list->Height());
    if (!FMRUList->DroppedDown()) {
        list->SetVisible(true);
        list->UpdateScrollBar();
        FMRUList->SetDroppedDown(true);
        FMRUSizeGripResized = false;
    } else {
        FMRUSizeGripResized = resized;
    }
}

void TCustomDBEditEh::MRUListCloseUp(TObject*, bool Accept)
{
    if (!FMRUList->DroppedDown())
        return;
    auto* list = static_cast<TMRUListboxEh*>(FMRUListControl);
    if (list && list->MouseCapture())
        list->Perform(WM_CANCELMODE, 0, 0);
    if (list)
        list->SetVisible(false);
    FMRUList->SetDroppedDown(false);
    if (Accept && !FReadOnly && list && list->ItemIndex() >= 0 && FDataLink->Edit())
        InternalSetText(list->Items()->Strings(list->ItemIndex()));
    if (Focused())
        SelectAll();
}

void TCustomDBEditEh::MRUListControlResized(TObject*)
{
    if (!FMRUList->DroppedDown() || !FMRUListControl)
        return;
    auto* list = static_cast<TMRUListboxEh*>(FMRUListControl);
    FMRUList->SetRows(list->FittingRowCount());
    FMRUList->SetWidth(list->Width());
}

void TCustomDBEditEh::UserTextChanged()
{
    const QString empty = IsMasked() ? EmptyMaskedText() : QString();
    if (FMRUList->DroppedDown() && Text() == empty)
        FMRUList->CloseUp(false);
    else if (FMRUList->Active() && Showing() && !FDroppedDown && Text() != empty && Focused())
        FMRUList->DropDown();
}

QString TCustomDBEditEh::EmptyMaskedText() const
{
    // What Text gives for a masked edit nothing was typed into.
    QString s;
    for (const TMaskChar& m : FMask)
        if (!m.Kind.isNull())
            s += QLatin1Char(' ');
        else if (FSaveLiterals)
            s += m.Literal;
    return s;
}

bool TCustomDBEditEh::RouteKeyToMRUList(TMessage& Message)
{
    if (!FMRUList->DroppedDown() || !FMRUListControl)
        return false;
    const Word key = Word(Message.WParam);
    const bool alt = GetKeyState(VK_MENU) < 0;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    auto* list = static_cast<TMRUListboxEh*>(FMRUListControl);
    if (((key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN) && !alt) ||
        ((key == VK_HOME || key == VK_END) && ctrl)) {
        const int count = list->Items()->Count();
        // The first step into a list with nothing selected lands on its first or last item.
        if (list->ItemIndex() < 0 && count > 0)
            list->SetItemIndex(key == VK_UP || key == VK_PRIOR || key == VK_HOME ? count - 1 : 0);
        else
            FMRUListControl->Perform(Message.Msg, Message.WParam, Message.LParam);
    } else if (key == VK_RETURN) {
        FMRUList->CloseUp(true);
    } else if (key == VK_ESCAPE) {
        FMRUList->CloseUp(false);
    } else {
        return false;
    }
    Message.WParam = 0;   // taken here: no character follows
    return true;
}

// ============================================================================================
// Tool tips and hints
// ============================================================================================

void TCustomDBEditEh::SetTooltips(bool Value)
{
    if (FTooltips == Value)
        return;
    FTooltips = Value;
    UpdateHintShowing();
}

void TCustomDBEditEh::SetShowHint(bool Value)
{
    if (FShowHint == Value)
        return;
    FShowHint = Value;
    UpdateHintShowing();
}

void TCustomDBEditEh::UpdateHintShowing()
{
    // The platform's flag directly: its writer would drop ParentShowHint and notify again.
    TControl::FShowHint = FTooltips || FShowHint;
}

void TCustomDBEditEh::CMParentShowHintChanged(TMessage& M)
{
    if (ParentShowHint() && Parent())
        FShowHint = Parent()->ShowHint();
    UpdateHintShowing();
}

bool TCustomDBEditEh::TextFitsCheck()
{
    const TRect r = GetEditRect();
    TCanvas* measure = MeasureCanvasEh(Font());
    TRect m(0, 0, std::max(1, r.Width()), 0);
    UINT flags = DT_CALCRECT | DT_NOPREFIX;
    if (FWordWrap)
        flags |= DT_WORDBREAK;
    if (UseRightToLeftReading())
        flags |= DT_RTLREADING;
    DrawText(measure->Handle(), Text(), -1, m, flags);
    return !(r.Width() - 2 < m.Width() || r.Height() < m.Height());
}

void TCustomDBEditEh::HandleCmHintShow(TMessage& M)
{
    auto* info = reinterpret_cast<THintInfo*>(M.LParam);
    if (FTooltips && info && !TextFitsCheck()) {
        info->HintStr = Text();
        info->HintPos = ClientToScreen(TPoint(0, Height()));
        info->HintWindowClass = &TToolTipsWindow::StaticClassInfo();
        info->HintData = Font();
        M.Result = 0;
        return;
    }
    if (!FShowHint) {
        M.Result = 1;
        return;
    }
    M.Result = 0;
}
