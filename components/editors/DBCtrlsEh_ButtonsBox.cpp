#include "components/editors/DBCtrlsEh.h"

#include "platform/rtl/Guards.h"
#include "platform/vcl/ExtCtrls.h"

#include <climits>

// ============================================================================================
// TEditButtonsBoxEh
// ============================================================================================

DOV_PUBLISHED(TEditButtonsBoxEh) {}

TEditButtonsBoxEh::TEditButtonsBoxEh(TComponent* AOwner) : TWinControl(AOwner)
{
    ControlStyle.Include(csReplicatable);
    FCursor = crArrow;
}

TEditButtonsBoxEh::~TEditButtonsBoxEh() = default;

void TEditButtonsBoxEh::BeginLayout() { ++FLayoutCount; }

void TEditButtonsBoxEh::EndLayout()
{
    if (FLayoutCount > 0)
        --FLayoutCount;
    if (FLayoutCount == 0)
        LayoutChanged();
}

void TEditButtonsBoxEh::LayoutChanged() { UpdateEditButtonControlList(); }

void TEditButtonsBoxEh::SetButtonsCount(int Value)
{
    Value = std::max(Value, 0);
    const int old = ButtonsCount();
    if (Value == old)
        return;
    if (Value < old) {
        for (int i = Value; i < old; ++i) {
            TEditButtonControlLineRec& line = FBtnCtlList[size_t(i)];
            delete line.EditButtonControl;
            delete line.ButtonLine;
        }
        FBtnCtlList.resize(size_t(Value));
        return;
    }
    FBtnCtlList.resize(size_t(Value));
    for (int i = old; i < Value; ++i) {
        TEditButtonControlLineRec& line = FBtnCtlList[size_t(i)];
        TEditButtonControlEh* ctl = nullptr;
        if (FOnCreateEditButtonControl)
            FOnCreateEditButtonControl(ctl);
        // Without a factory the box makes and keeps a plain one.
        if (!ctl)
            ctl = Create<TEditButtonControlEh>(this);
        ctl->SetParent(this);
        line.EditButtonControl = ctl;
        auto* sep = Create<TShape>(this);
        sep->SetParent(this);
        line.ButtonLine = sep;
    }
}

void TEditButtonsBoxEh::SetBorderActive(bool Value)
{
    if (FBorderActive == Value)
        return;
    FBorderActive = Value;
    Invalidate();
}

void LayoutEditButtonLine(TEditButtonControlLineRec& Line, int Index, bool Flat, int& RowHeight,
                          int MaxButtonHeight)
{
    (void)Index;
    TEditButtonControlEh* ctl = Line.EditButtonControl;
    TEditButtonEh* btn = Line.EditButton;
    if (!ctl)
        return;
    const bool visible = btn && btn->GetVisible();
    if (btn) {
        ctl->SetVisible(visible);
        ctl->SetEnabled(btn->Enabled());
        ctl->SetStyle(btn->Style());
        ctl->SetGlyph(btn->Glyph());
        ctl->SetNumGlyphs(btn->NumGlyphs());
        ctl->Hint = btn->Hint();
        ctl->SetEditButtonImages(btn->Images());
    } else {
        ctl->SetVisible(false);
    }
    ctl->SetFlat(Flat);

    int width = 0;
    if (visible) {
        width = btn->Width();
        if (width < 1)
            width = Flat ? DefaultEditButtonWidth() : GetSystemMetrics(SM_CXVSCROLL);
    }
    int height = ctl->Height();
    if (visible) {
        height = MaxButtonHeight;
        // A tall control does not stretch its buttons into bars.
        if (MaxButtonHeight > RoundEh(width * 1.5))
            height = ScaleByFourThirds(width, Flat);
        RowHeight = std::min(RowHeight, height);
    }
    ctl->SetBounds(ctl->Left(), ctl->Top(), width, height);

    if (TShape* sep = Line.ButtonLine) {
        const bool shown = Flat && visible && !ThemesEnabledEh();
        sep->SetVisible(shown);
        sep->SetBounds(sep->Left(), sep->Top(), shown ? 1 : 0, sep->Height());
    }
}

void TEditButtonsBoxEh::UpdateEditButtonControlList()
{
    int rowHeight = INT_MAX;
    for (int i = 0; i < ButtonsCount(); ++i) {
        TEditButtonControlLineRec& line = FBtnCtlList[size_t(i)];
        LayoutEditButtonLine(line, i, FFlat, rowHeight, FMaxButtonHeight);
        if (TEditButtonControlEh* ctl = line.EditButtonControl) {
            ctl->OnDown = FOnDown;
            ctl->OnClick = FOnClick;
            ctl->OnMouseMove = FOnMouseMove;
            ctl->OnMouseUp = FOnMouseUp;
            ctl->SetTag(i);
        }
    }

    FButtonsWidth = 0;
    for (const TEditButtonControlLineRec& line : FBtnCtlList) {
        if (line.EditButtonControl)
            FButtonsWidth += line.EditButtonControl->Width();
        if (line.ButtonLine)
            FButtonsWidth += line.ButtonLine->Width();
    }

    // The last separator falls on the edit's border and is not counted.
    const bool dropLastSeparator = FFlat && FButtonsWidth > 0 && !ThemesEnabledEh();
    if (rowHeight != INT_MAX) {
        const bool rtl = UseRightToLeftAlignment();
        // Right to left the row is the mirror image: the dropped separator is the leftmost
        // pixel, never a column of the first button.
        int x = rtl ? FButtonsWidth - (dropLastSeparator ? 1 : 0) : 0;
        for (const TEditButtonControlLineRec& line : FBtnCtlList) {
            for (TControl* c : {static_cast<TControl*>(line.EditButtonControl), static_cast<TControl*>(line.ButtonLine)}) {
                if (!c)
                    continue;
                if (rtl)
                    x -= c->Width();
                c->SetBounds(x, 0, c->Width(), rowHeight);
                if (!rtl)
                    x += c->Width();
            }
        }
    }

    if (dropLastSeparator)
        --FButtonsWidth;
    FButtonHeight = rowHeight;
}

void TEditButtonsBoxEh::UpdateEditButtonControlsState()
{
    for (const TEditButtonControlLineRec& line : FBtnCtlList) {
        if (TEditButtonControlEh* ctl = line.EditButtonControl) {
            ctl->SetEnabled(Enabled() && (!line.EditButton || line.EditButton->Enabled()));
            ctl->SetActive(FBorderActive);
        }
        if (line.ButtonLine)
            line.ButtonLine->Pen()->SetColor(FBorderActive ? clBtnFace : Color());
    }
}

// ============================================================================================
// TControlLabelEh
// ============================================================================================

DOV_PUBLISHED(TControlLabelEh)
{
    P.Prop("Caption", &TControlLabelEh::Caption, &TControlLabelEh::SetCaption)
        .Stored(&TControlLabelEh::IsCaptionStored);
    P.Prop("Visible", &TControlLabelEh::Visible, &TControlLabelEh::SetVisible).Default(false);
    P.Prop("Width", &TControl::Width, &TControl::SetWidth).Stored(&TControlLabelEh::IsSizeStored);
    P.Prop("Height", &TControl::Height, &TControl::SetHeight).Stored(&TControlLabelEh::IsSizeStored);
    P.Prop("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout).Default(tlTop);
    P.Prop("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar).Default(true);
    P.Prop("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent).Default(false);
    P.Prop("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap).Default(false);
}

TControlLabelEh::TControlLabelEh(TComponent* AOwner) : TCustomLabel(AOwner)
{
    TControl::FVisible = false;
}

void TControlLabelEh::AfterConstruction()
{
    TCustomLabel::AfterConstruction();
    SetName(QStringLiteral("SubLabel"));
    UpdateCaption();
}

void TControlLabelEh::SetCaption(const QString& Value)
{
    if (Value.isEmpty()) {
        FCaptionStored = false;
        TControl::SetCaption(QString());
        UpdateCaption();
        return;
    }
    TControl::SetCaption(Value);
    FCaptionStored = true;
    Invalidate();
}

void TControlLabelEh::UpdateCaption()
{
    if (FCaptionStored)
        return;
    if (IControlLabelOwnerEh* owner = LabelOwner())
        TControl::SetCaption(owner->GetControlLabelCaption());
}

void TControlLabelEh::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    UpdateParent();
    UpdateVisibility();
    Invalidate();
}

void TControlLabelEh::UpdateVisibility()
{
    if (ComponentState().Contains(csDesigning)) {
        if (FVisible)
            ControlStyle.Exclude(csNoDesignVisible);
        else
            ControlStyle.Include(csNoDesignVisible);
    }
    TWinControl* edit = FocusControl();
    const bool shown = FVisible && edit && edit->Visible();
    if (shown == TControl::Visible())
        Perform(CM_VISIBLECHANGED, shown, 0);
    else
        TControl::SetVisible(shown);
}

void TControlLabelEh::UpdateParent()
{
    TWinControl* edit = FocusControl();
    TWinControl* parent = FVisible && edit ? edit->Parent() : nullptr;
    if (parent != Parent())
        SetParent(parent);
}

IControlLabelOwnerEh* TControlLabelEh::LabelOwner() const
{
    return dynamic_cast<IControlLabelOwnerEh*>(FocusControl());
}

void TControlLabelEh::AdjustBounds()
{
    TCustomLabel::AdjustBounds();
    if (ComponentState().Contains(csDestroying))
        return;
    if (auto* owner = dynamic_cast<IControlLabelOwnerEh*>(Owner()))
        owner->AdjustLabelBounds();
}

void TControlLabelEh::Paint()
{
    // A label reads as part of its control: greyed while the control is disabled.
    TWinControl* edit = FocusControl();
    const bool ownEnabled = FEnabled;
    if (edit && !edit->Enabled())
        FEnabled = false;
    auto restore = Finally([&] { FEnabled = ownEnabled; });
    TCustomLabel::Paint();
}

// ============================================================================================
// TControlLabelLocationEh
// ============================================================================================

DOV_PUBLISHED(TControlLabelLocationEh)
{
    P.Prop("LabelSpacingBound", &TControlLabelLocationEh::LabelSpacingBound,
           &TControlLabelLocationEh::SetLabelSpacingBound)
        .Default(sbNearBoundEh);
    P.Prop("Spacing", &TControlLabelLocationEh::Spacing, &TControlLabelLocationEh::SetSpacing).Default(3);
    P.Prop("Offset", &TControlLabelLocationEh::Offset, &TControlLabelLocationEh::SetOffset).Default(0);
    P.Prop("Position", &TControlLabelLocationEh::Position, &TControlLabelLocationEh::SetPosition)
        .Default(lpAboveLeftEh);
}

TControlLabelLocationEh::TControlLabelLocationEh(TControl* EditControl) : FEditControl(EditControl) {}

void TControlLabelLocationEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TControlLabelLocationEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    if (src == this)
        return;
    const bool changed = FSpacing != src->FSpacing || FOffset != src->FOffset || FPosition != src->FPosition
        || FLabelSpacingBound != src->FLabelSpacingBound;
    FSpacing = src->FSpacing;
    FOffset = src->FOffset;
    FPosition = src->FPosition;
    FLabelSpacingBound = src->FLabelSpacingBound;
    if (changed)
        Changed();
}

TPersistent* TControlLabelLocationEh::GetOwner() const { return FEditControl; }

void TControlLabelLocationEh::Changed()
{
    if (auto* owner = dynamic_cast<IControlLabelOwnerEh*>(FEditControl))
        owner->LabelLocationChanged();
}

void TControlLabelLocationEh::SetSpacing(int Value)
{
    if (FSpacing == Value)
        return;
    FSpacing = Value;
    Changed();
}

void TControlLabelLocationEh::SetOffset(int Value)
{
    if (FOffset == Value)
        return;
    FOffset = Value;
    Changed();
}

void TControlLabelLocationEh::SetPosition(TLabelPositionEh Value)
{
    if (FPosition == Value)
        return;
    FPosition = Value;
    Changed();
}

void TControlLabelLocationEh::SetLabelSpacingBound(TSpacingBoundEh Value)
{
    if (FLabelSpacingBound == Value)
        return;
    FLabelSpacingBound = Value;
    Changed();
}

void TControlLabelLocationEh::CalcLabelPosForControl(int LabelWidth, int LabelHeight, TPoint& LabelPos)
{
    const int L = FEditControl ? FEditControl->Left() : 0;
    const int T = FEditControl ? FEditControl->Top() : 0;
    const int W = FEditControl ? FEditControl->Width() : 0;
    const int H = FEditControl ? FEditControl->Height() : 0;
    const int S = FSpacing;
    const int O = FOffset;
    const int LW = LabelWidth;
    const int LH = LabelHeight;
    const bool aboveBelow = FPosition <= lpBelowRightEh;
    const int adj = FLabelSpacingBound == sbFarBoundEh ? (aboveBelow ? LH : LW) : 0;
    auto baseLine = [&] {
        auto* owner = dynamic_cast<IControlLabelOwnerEh*>(FEditControl);
        return owner ? owner->GetControlTextBaseLine() : H;
    };
    const int above = T - LH - S + adj;
    const int below = T + H + S + adj;
    const int left = L - LW - S + adj;
    const int right = L + W + S + adj;
    switch (FPosition) {
    case lpAboveLeftEh: LabelPos = TPoint(L + O, above); break;
    case lpAboveCenterEh: LabelPos = TPoint(L + (W - LW) / 2 + O, above); break;
    case lpAboveRightEh: LabelPos = TPoint(L + W - LW + O, above); break;
    case lpBelowLeftEh: LabelPos = TPoint(L + O, below); break;
    case lpBelowCenterEh: LabelPos = TPoint(L + (W - LW) / 2 + O, below); break;
    case lpBelowRightEh: LabelPos = TPoint(L + W - LW + O, below); break;
    case lpLeftTopEh: LabelPos = TPoint(left, T + O); break;
    case lpLeftTextBaselineEh: LabelPos = TPoint(left, T + baseLine() - LH + O); break;
    case lpLeftCenterEh: LabelPos = TPoint(left, T + (H - LH) / 2 + O); break;
    case lpLeftBottomEh: LabelPos = TPoint(left, T + H - LH + O); break;
    case lpRightTopEh: LabelPos = TPoint(right, T + O); break;
    case lpRightTextBaselineEh: LabelPos = TPoint(right, T + baseLine() - LH + O); break;
    case lpRightCenterEh: LabelPos = TPoint(right, T + (H - LH) / 2 + O); break;
    case lpRightBottomEh: LabelPos = TPoint(right, T + H - LH + O); break;
    }
}
