// Line parameters and the window border of the axis grid, and the process-wide center that runs
// the default actions of edit buttons and builds the system menu of a column.
#include "DBAxisGridsEh.h"

#include "components/editors/MemoEditFormsEh.h"
#include "components/editors/PictureEditFormsEh.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/rtl/Guards.h"
#include "platform/vcl/Themes.h"

#include <algorithm>

// ============================================================================================
// TDBAxisGridLineParamsEh
// ============================================================================================

DOV_PUBLISHED(TDBAxisGridLineParamsEh)
{
    P.Prop("ColorScheme", &TDBAxisGridLineParamsEh::ColorScheme, &TDBAxisGridLineParamsEh::SetColorScheme)
        .Default(glcsDefaultEh);
    P.Prop("DataBoundaryColor", &TDBAxisGridLineParamsEh::DataBoundaryColor,
           &TDBAxisGridLineParamsEh::SetDataBoundaryColor)
        .Default(clNone);
    P.Prop("DataHorzLines", &TDBAxisGridLineParamsEh::DataHorzLines, &TDBAxisGridLineParamsEh::SetDataHorzLines)
        .Stored(&TDBAxisGridLineParamsEh::DataHorzLinesStored);
    P.Prop("DataVertLines", &TDBAxisGridLineParamsEh::DataVertLines, &TDBAxisGridLineParamsEh::SetDataVertLines)
        .Stored(&TDBAxisGridLineParamsEh::DataVertLinesStored);
    P.Prop("GridBoundaries", &TDBAxisGridLineParamsEh::GridBoundaries, &TDBAxisGridLineParamsEh::SetGridBoundaries)
        .Default(false);
    P.Prop("VertEmptySpaceStyle", &TDBAxisGridLineParamsEh::VertEmptySpaceStyle,
           &TDBAxisGridLineParamsEh::SetVertEmptySpaceStyle)
        .Default(dessGradiendEh);
}

namespace {
// A colour the user left to be derived.
bool Derived(TColor c) { return c == clNone || c == clDefault; }
constexpr TColor FlatDarkLine = 8421504;      // RGB 128, 128, 128
constexpr TColor ThemedDarkLine = 12109771;   // RGB 203, 199, 184
}  // namespace

TDBAxisGridLineParamsEh::TDBAxisGridLineParamsEh(TCustomDBAxisGridEh* AGrid) : TGridLineColorsEh(AGrid) {}

TCustomDBAxisGridEh* TDBAxisGridLineParamsEh::Grid() const { return static_cast<TCustomDBAxisGridEh*>(FGrid); }

void TDBAxisGridLineParamsEh::InvalidateGrid()
{
    if (FGrid)
        FGrid->Invalidate();
}

bool TDBAxisGridLineParamsEh::DefaultDataHorzLines()
{
    throw Exception(QStringLiteral("Realize DefaultDataHorzLines in an inherited class"));
}

bool TDBAxisGridLineParamsEh::DefaultDataVertLines()
{
    throw Exception(QStringLiteral("Realize DefaultDataVertLines in an inherited class"));
}

TDBGridLinesColorSchemeEh TDBAxisGridLineParamsEh::GetActualColorScheme()
{
    throw Exception(QStringLiteral("Realize GetActualColorScheme in an inherited class"));
}

bool TDBAxisGridLineParamsEh::DataHorzLines()
{
    return FDataHorzLinesStored ? FDataHorzLines : DefaultDataHorzLines();
}

bool TDBAxisGridLineParamsEh::DataVertLines()
{
    return FDataVertLinesStored ? FDataVertLines : DefaultDataVertLines();
}

void TDBAxisGridLineParamsEh::SetDataHorzLines(bool Value)
{
    if (FDataHorzLinesStored && FDataHorzLines == Value)
        return;
    FDataHorzLinesStored = true;
    FDataHorzLines = Value;
    InvalidateGrid();
}

void TDBAxisGridLineParamsEh::SetDataVertLines(bool Value)
{
    if (FDataVertLinesStored && FDataVertLines == Value)
        return;
    FDataVertLinesStored = true;
    FDataVertLines = Value;
    InvalidateGrid();
}

void TDBAxisGridLineParamsEh::SetDataHorzLinesStored(bool Value)
{
    if (Value == FDataHorzLinesStored)
        return;
    FDataHorzLines = DefaultDataHorzLines();
    FDataHorzLinesStored = Value;
    InvalidateGrid();
}

void TDBAxisGridLineParamsEh::SetDataVertLinesStored(bool Value)
{
    if (Value == FDataVertLinesStored)
        return;
    FDataVertLines = DefaultDataVertLines();
    FDataVertLinesStored = Value;
    InvalidateGrid();
}

void TDBAxisGridLineParamsEh::SetGridBoundaries(bool Value) { SetAndInvalidate(FGridBoundaries, Value); }

void TDBAxisGridLineParamsEh::SetColorScheme(TDBGridLinesColorSchemeEh Value) { SetAndInvalidate(FColorScheme, Value); }

void TDBAxisGridLineParamsEh::SetVertEmptySpaceStyle(TDrawEmptySpaceStyle Value) { SetAndInvalidate(FVertEmptySpaceStyle, Value); }

void TDBAxisGridLineParamsEh::SetDataBoundaryColor(TColor Value) { SetAndInvalidate(FDataBoundaryColor, Value); }

TColor TDBAxisGridLineParamsEh::GetBrightColor()
{
    if (!Derived(FBrightColor))
        return FBrightColor;
    if (ThemesEnabledEh() && GetActualColorScheme() == glcsThemedEh)
        return clBtnFace;
    return TGridLineColorsEh::GetBrightColor();
}

TColor TDBAxisGridLineParamsEh::GetDarkColor()
{
    if (!Derived(FDarkColor))
        return FDarkColor;
    const TDBGridLinesColorSchemeEh scheme = GetActualColorScheme();
    // The header's edge-fill colour of the platform theme is the themed scheme's own grey.
    if (scheme == glcsThemedEh)
        return ThemedDarkLine;
    if (scheme == glcsFlatEh)
        return FlatDarkLine;
    if (scheme == glcsClassicEh && ThemesEnabledEh())
        return cl3DDkShadow;
    return clBlack;
}

TColor TDBAxisGridLineParamsEh::GetVertAreaContraVertColor() { return TGridLineColorsEh::GetVertAreaContraVertColor(); }

TColor TDBAxisGridLineParamsEh::GetDataBoundaryColor()
{
    if (!Derived(FDataBoundaryColor))
        return FDataBoundaryColor;
    const TColor vert = Derived(FDataVertColor) ? GetBrightColor() : FDataVertColor;
    const TColor horz = Derived(FDataHorzColor) ? GetBrightColor() : FDataHorzColor;
    if (vert == horz && vert != clDefault)
        return GetDarkColor();
    return ColorLuminance(horz) < ColorLuminance(vert) ? horz : vert;
}

void TDBAxisGridLineParamsEh::Assign(TPersistent* Source)
{
    TGridLineColorsEh::Assign(Source);
    if (auto* s = dynamic_cast<TDBAxisGridLineParamsEh*>(Source)) {
        FColorScheme = s->FColorScheme;
        FDataBoundaryColor = s->FDataBoundaryColor;
        FDataHorzLines = s->FDataHorzLines;
        FDataHorzLinesStored = s->FDataHorzLinesStored;
        FDataVertLines = s->FDataVertLines;
        FDataVertLinesStored = s->FDataVertLinesStored;
        FGridBoundaries = s->FGridBoundaries;
        FVertEmptySpaceStyle = s->FVertEmptySpaceStyle;
        InvalidateGrid();
    }
}

// ============================================================================================
// TControlBorderEh
// ============================================================================================

DOV_PUBLISHED(TControlBorderEh)
{
    P.Prop("Color", &TControlBorderEh::Color, &TControlBorderEh::SetColor).Default(clNone);
    P.Prop("Ctl3D", &TControlBorderEh::Ctl3D, &TControlBorderEh::SetCtl3D).Default(true);
    P.Prop("EdgeBorders", &TControlBorderEh::EdgeBorders, &TControlBorderEh::SetEdgeBorders)
        .Default(TEdgeBorders{ebLeft, ebTop, ebRight, ebBottom});
    P.Prop("ExtendedDraw", &TControlBorderEh::ExtendedDraw, &TControlBorderEh::SetExtendedDraw)
        .Stored(&TControlBorderEh::ExtendedDrawStored);
    P.Prop("Style", &TControlBorderEh::Style, &TControlBorderEh::SetStyle).Default(bsSingle);
}

TControlBorderEh::TControlBorderEh(TCustomDBAxisGridEh* AGrid) : FGrid(AGrid) {}

bool TControlBorderEh::Ctl3D() const { return FGrid->Ctl3D(); }
void TControlBorderEh::SetCtl3D(bool Value) { FGrid->SetCtl3D(Value); }
TBorderStyle TControlBorderEh::Style() const { return FGrid->BorderStyle(); }
void TControlBorderEh::SetStyle(TBorderStyle Value) { FGrid->SetBorderStyle(Value); }

bool TControlBorderEh::DefaultExtendedDraw() const
{
    if (!FGrid->Flat())
        return false;
    return FGrid->Ctl3D() || FColor != clNone || !(FEdgeBorders == TEdgeBorders{ebLeft, ebTop, ebRight, ebBottom});
}

bool TControlBorderEh::ExtendedDraw() const { return FExtendedDrawStored ? FExtendedDraw : DefaultExtendedDraw(); }

void TControlBorderEh::SetColor(TColor Value)
{
    if (FColor == Value)
        return;
    FOldExtendedDraw = DefaultExtendedDraw();
    FColor = Value;
    FrameChanged();
    UpdateExtendedDraw();
}

void TControlBorderEh::SetEdgeBorders(TEdgeBorders Value)
{
    if (FEdgeBorders == Value)
        return;
    FOldExtendedDraw = DefaultExtendedDraw();
    FEdgeBorders = Value;
    FrameChanged();
    UpdateExtendedDraw();
}

void TControlBorderEh::SetExtendedDraw(bool Value)
{
    if (FExtendedDrawStored && FExtendedDraw == Value)
        return;
    FExtendedDrawStored = true;
    FExtendedDraw = Value;
    FGrid->RecreateBorderWnd();
}

void TControlBorderEh::SetExtendedDrawStored(bool Value)
{
    if (Value == FExtendedDrawStored)
        return;
    FExtendedDraw = DefaultExtendedDraw();
    FExtendedDrawStored = Value;
    FGrid->Invalidate();
}

void TControlBorderEh::FrameChanged() { FGrid->BorderFrameChanged(); }

void TControlBorderEh::UpdateExtendedDraw()
{
    if (FOldExtendedDraw != DefaultExtendedDraw())
        FGrid->RecreateBorderWnd();
}

void TControlBorderEh::Assign(TPersistent* Source)
{
    auto* s = dynamic_cast<TControlBorderEh*>(Source);
    if (!s) {
        TPersistent::Assign(Source);
        return;
    }
    SetColor(s->FColor);
    SetEdgeBorders(s->FEdgeBorders);
    if (s->FExtendedDrawStored)
        SetExtendedDraw(s->FExtendedDraw);
    else
        SetExtendedDrawStored(false);
}

// ============================================================================================
// The grid's side of the border
// ============================================================================================

void TCustomDBAxisGridEh::UpdateBorderWidth()
{
    FBorderWidth = FBorder && FBorder->ExtendedDraw() && BorderStyle() == bsSingle ? 1 : 0;
}

void TCustomDBAxisGridEh::CreateParams(TCreateParams& Params)
{
    TCustomGridEh::CreateParams(Params);
    UpdateBorderWidth();
    if (FBorder && FBorder->ExtendedDraw()) {
        Params.Style &= ~DWORD(WS_BORDER);
        Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE);
    }
    Params.Style |= WS_CLIPCHILDREN;
}

void TCustomDBAxisGridEh::WMNCCalcSize(TMessage& M)
{
    TCustomGridEh::WMNCCalcSize(M);
    // The border's settings may have changed since the window was made.
    UpdateBorderWidth();
    if (FBorderWidth <= 0)
        return;
    auto* r = reinterpret_cast<TRect*>(M.LParam);
    const TEdgeBorders edges = FBorder->EdgeBorders();
    if (edges.Contains(ebLeft))
        r->Left += FBorderWidth;
    if (edges.Contains(ebTop))
        r->Top += FBorderWidth;
    if (edges.Contains(ebRight))
        r->Right -= FBorderWidth;
    if (edges.Contains(ebBottom))
        r->Bottom -= FBorderWidth;
}

void TCustomDBAxisGridEh::WMNCPaint(TMessage& M)
{
    TCustomGridEh::WMNCPaint(M);
    PaintBorder(reinterpret_cast<HDC>(M.LParam));
}

void TCustomDBAxisGridEh::PaintBorder(HDC WindowDC)
{
    if (FBorderWidth <= 0 || !WindowDC)
        return;
    const TRect r(0, 0, Width(), Height());
    const TEdgeBorders edges = FBorder->EdgeBorders();
    if (FBorder->Color() == clNone) {
        UINT flags = 0;
        if (edges.Contains(ebLeft))
            flags |= BF_LEFT;
        if (edges.Contains(ebTop))
            flags |= BF_TOP;
        if (edges.Contains(ebRight))
            flags |= BF_RIGHT;
        if (edges.Contains(ebBottom))
            flags |= BF_BOTTOM;
        if (!Ctl3D())
            flags |= BF_MONO;
        TRect e = r;
        DrawEdge(WindowDC, e, BDR_SUNKENOUTER, flags);
        return;
    }
    TCanvas* c = Canvas();
    const HDC own = c->HandleAllocated() ? c->Handle() : nullptr;
    c->SetHandle(WindowDC);
    const auto restore = Finally([c, own] { c->SetHandle(own); });
    c->Pen()->SetColor(FBorder->Color());
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    if (edges.Contains(ebLeft))
        PolylineRTL({TPoint(r.Left, r.Bottom - 1), TPoint(r.Left, r.Top - 1)});
    if (edges.Contains(ebTop))
        PolylineRTL({TPoint(r.Left, r.Top), TPoint(r.Right, r.Top)});
    if (edges.Contains(ebRight))
        PolylineRTL({TPoint(r.Right - 1, r.Top), TPoint(r.Right - 1, r.Bottom)});
    if (edges.Contains(ebBottom))
        PolylineRTL({TPoint(r.Right - 1, r.Bottom - 1), TPoint(r.Left - 1, r.Bottom - 1)});
}

void TCustomDBAxisGridEh::SetCtl3D(bool Value)
{
    if (FCtl3D == Value)
        return;
    FCtl3D = Value;
    RecreateBorderWnd();
}

void TCustomDBAxisGridEh::BorderFrameChanged()
{
    if (!HandleAllocated())
        return;
    UpdateBorderWidth();
    UpdateNonClient();
    UpdateWidgetBounds();
    Invalidate();
}

void TCustomDBAxisGridEh::RecreateBorderWnd()
{
    UpdateBorderWidth();
    if (HandleAllocated())
        RecreateWnd();
}

// ============================================================================================
// TDBAxisGridEhCenter
// ============================================================================================

DOV_PUBLISHED(TDBAxisGridEhCenter) {}
DOV_PUBLISHED(TAxisBarEhMenuItem) {}

namespace {

bool IsTextFieldType(TFieldType Type)
{
    switch (Type) {
    case ftString:
    case ftMemo:
    case ftFmtMemo:
    case ftFixedChar:
    case ftWideString:
    case ftOraClob:
    case ftGuid:
    case ftFixedWideChar:
    case ftWideMemo:
        return true;
    default:
        return false;
    }
}

bool IsDropDownStyle(TEditButtonEh* Button)
{
    return Button && (Button->Style() == ebsDropDownEh || Button->Style() == ebsAltDropDownEh);
}

bool IsEllipsisStyle(TEditButtonEh* Button) { return Button && Button->Style() == ebsEllipsisEh; }

TAxisBarEh* MenuItemBar(TObject* Sender)
{
    auto* item = dynamic_cast<TAxisBarEhMenuItem*>(Sender);
    return item ? item->AxisBar : nullptr;
}

}  // namespace

void TDBAxisGridEhCenter::EditButtonDefaultAction(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, bool& Handled,
                                                  bool IsMouseDown, TEditButtonControlEh* EditButtonControl,
                                                  TEditButtonEh* EditButton, TWinControl* EditControl)
{
    if (!AxisBar)
        return;
    const TAxisBarEhType type = AxisBar->GetBarType();
    if (type == ctGraphicData && !AxisBar->TextEditing()) {
        EditButtonDefaultActionForImage(Grid, AxisBar, Handled, IsMouseDown, EditButtonControl, EditButton);
        return;
    }
    TField* field = AxisBar->Field();
    if (type == ctCommon && !AxisBar->ImageList() && field && IsTextFieldType(field->DataType()))
        EditButtonDefaultActionText(Grid, AxisBar, Handled, IsMouseDown, EditButtonControl, EditButton, EditControl);
}

void TDBAxisGridEhCenter::EditButtonDefaultActionForImage(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                          bool& Handled, bool IsMouseDown,
                                                          TEditButtonControlEh* EditButtonControl,
                                                          TEditButtonEh* EditButton)
{
    if (IsDropDownStyle(EditButton) && IsMouseDown) {
        TPopupMenu* menu = AxisBar->GetPopupMenu();
        if (!menu || !EditButtonControl)
            return;
        TPoint p(menu->Alignment == paRight ? EditButtonControl->Width() : 0, EditButtonControl->Height());
        p = EditButtonControl->ClientToScreen(p);
        menu->PopupComponent = Grid;
        menu->Popup(p.X, p.Y);
        // The button saw its press but not the release: the menu took the mouse.
        if (EditButtonControl->HandleAllocated())
            SendMessage(EditButtonControl->Handle(), WM_LBUTTONUP, 0, 0);
        else
            EditButtonControl->Perform(WM_LBUTTONUP, 0, 0);
        Handled = true;
        return;
    }
    if (IsEllipsisStyle(EditButton) && !IsMouseDown) {
        // Without the picture editor there is nothing to open.
        if (!EditPictureHook)
            return;
        TField* field = AxisBar->Field();
        auto picture = std::make_unique<TPicture>();
        AssignBlobFieldToPicture(field, picture.get());
        if (EditPictureHook(picture.get()) && field && Grid->DataLink()->Edit())
            field->Assign(picture->Graphic());
    }
}

void TDBAxisGridEhCenter::FormSystemPopupMenuForColumn(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar,
                                                       TPopupMenu* APopupMenu)
{
    TField* field = AxisBar->Field();
    const bool modifiable = field && !AxisBar->ReadOnly() && !Grid->ReadOnly() && field->CanModify();
    const auto add = [&](const QString& Caption, void (TDBAxisGridEhCenter::*Handler)(TObject*)) {
        auto* item = Create<TAxisBarEhMenuItem>(APopupMenu);
        item->Caption = Caption;
        item->AxisBar = AxisBar;
        if (Handler)
            item->OnClick = TNotifyEvent(this, Handler);
        APopupMenu->Items()->Add(item);
    };
    if (modifiable)
        add(QStringLiteral("Cut"), &TDBAxisGridEhCenter::MenuItemCut);
    add(QStringLiteral("Copy"), &TDBAxisGridEhCenter::MenuItemCopy);
    if (modifiable && Clipboard()->HasFormat(CF_BITMAP))
        add(QStringLiteral("Paste"), &TDBAxisGridEhCenter::MenuItemPaste);
    if (modifiable)
        add(QStringLiteral("Delete"), &TDBAxisGridEhCenter::MenuItemDelete);
    add(QStringLiteral("-"), nullptr);
    if (modifiable)
        add(QStringLiteral("Load..."), &TDBAxisGridEhCenter::MenuItemLoad);
    if (field && !field->IsNull())
        add(QStringLiteral("Save..."), &TDBAxisGridEhCenter::MenuItemSave);
}

void TDBAxisGridEhCenter::MenuItemCopy(TObject* Sender)
{
    if (TAxisBarEh* bar = MenuItemBar(Sender))
        bar->CopyValueToClipboard();
}

void TDBAxisGridEhCenter::MenuItemCut(TObject* Sender)
{
    if (TAxisBarEh* bar = MenuItemBar(Sender))
        bar->CutValueToClipboard();
}

void TDBAxisGridEhCenter::MenuItemPaste(TObject* Sender)
{
    if (TAxisBarEh* bar = MenuItemBar(Sender))
        bar->PasteValueFromClipboard();
}

void TDBAxisGridEhCenter::MenuItemDelete(TObject* Sender)
{
    if (TAxisBarEh* bar = MenuItemBar(Sender))
        bar->ClearValue();
}

void TDBAxisGridEhCenter::MenuItemLoad(TObject* Sender)
{
    if (TAxisBarEh* bar = MenuItemBar(Sender))
        bar->LoadFromFileDialog();
}

void TDBAxisGridEhCenter::MenuItemSave(TObject* Sender)
{
    if (TAxisBarEh* bar = MenuItemBar(Sender))
        bar->SaveToFileDialog();
}

void TDBAxisGridEhCenter::EditButtonDefaultActionText(TCustomDBAxisGridEh* Grid, TAxisBarEh* AxisBar, bool& Handled,
                                                      bool IsMouseDown, TEditButtonControlEh* EditButtonControl,
                                                      TEditButtonEh* EditButton, TWinControl* EditControl)
{
    auto* editor = dynamic_cast<TDBAxisGridInplaceEdit*>(EditControl);
    if (!editor)
        throw EInvalidCast(QStringLiteral("Invalid class typecast"));
    if (IsDropDownStyle(EditButton) && IsMouseDown) {
        TDropDownFormCallParamsEh* params = EditButton->DropDownFormParams();
        if (!params)
            return;
        params->SetEditButton(EditButton);
        params->SetEditButtonControl(EditButtonControl);
        params->SetEditControl(editor);
        params->SetOnOpenDropDownFormProc(
            TEditControlShowDropDownFormEventEh(editor, &TDBAxisGridInplaceEdit::BarOpenDropDownForm));
        params->SetOnCloseDropDownFormProc(
            TEditControlCloseDropDownFormEventEh(editor, &TDBAxisGridInplaceEdit::BarCloseDropDownForm));
        params->SetDataLink(Grid->DataLink());
        params->SetField(AxisBar->Field());
        params->SetOnSetVarValueProc(TSetVarValueProcEh(editor, &TDBAxisGridInplaceEdit::SetVarValue));
        params->SetOnGetVarValueProc(TGetVarValueProcEh(editor, &TDBAxisGridInplaceEdit::GetVarValue));
        params->SetOnGetActualDropDownFormProc(
            TGetDropDownFormEventEh(editor, &TDBAxisGridInplaceEdit::GetActualDropDownForm));
        params->ShowDropDownForm(Handled);
        return;
    }
    if (IsEllipsisStyle(EditButton) && !IsMouseDown) {
        // Without the memo editor there is nothing to open.
        if (!EditMemoTextHook)
            return;
        const bool readOnly = !AxisBar->CanModify(false);
        QString text = editor->Text();
        if (!EditMemoTextHook(text, TRect(), readOnly))
            return;
        // A text the user could only look at is not written back.
        if (readOnly || !Grid->DataLink()->Edit())
            return;
        editor->SetText(text);
        Grid->UpdateEditText();
        Grid->UpdateData();
        Handled = true;
    }
}

// ============================================================================================
// TBaseColumnsEh
// ============================================================================================

DOV_PUBLISHED(TBaseColumnsEh) {}

TBaseColumnEh* TBaseColumnsEh::GetColumn(int Index) const { return static_cast<TBaseColumnEh*>(Items(Index)); }

void TBaseColumnsEh::SetColumn(int Index, TBaseColumnEh* Value) { SetItems(Index, Value); }
