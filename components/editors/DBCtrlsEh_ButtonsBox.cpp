#include "components/editors/DBCtrlsEh.h"

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

    if (rowHeight != INT_MAX) {
        const bool rtl = UseRightToLeftAlignment();
        int x = rtl ? FButtonsWidth : 0;
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

    // The last separator falls on the edit's border and is not counted.
    if (FFlat && FButtonsWidth > 0 && !ThemesEnabledEh())
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

TControlLabelEh::TControlLabelEh(TComponent* AOwner) : TCustomLabel(AOwner) {}

void TControlLabelEh::AfterConstruction()
{
    TCustomLabel::AfterConstruction();
}

void TControlLabelEh::SetCaption(const QString& Value) { TControl::SetCaption(Value); }

void TControlLabelEh::SetVisible(bool Value) { FVisible = Value; }

void TControlLabelEh::UpdateVisibility() {}

void TControlLabelEh::UpdateCaption() {}

void TControlLabelEh::UpdateParent() {}

IControlLabelOwnerEh* TControlLabelEh::LabelOwner() const
{
    return dynamic_cast<IControlLabelOwnerEh*>(FocusControl());
}

void TControlLabelEh::AdjustBounds() { TCustomLabel::AdjustBounds(); }

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

void TControlLabelLocationEh::Assign(TPersistent* Source) { TPersistent::Assign(Source); }

TPersistent* TControlLabelLocationEh::GetOwner() const { return FEditControl; }

void TControlLabelLocationEh::Changed() {}

void TControlLabelLocationEh::SetSpacing(int Value) { FSpacing = Value; }
void TControlLabelLocationEh::SetOffset(int Value) { FOffset = Value; }
void TControlLabelLocationEh::SetPosition(TLabelPositionEh Value) { FPosition = Value; }
void TControlLabelLocationEh::SetLabelSpacingBound(TSpacingBoundEh Value) { FLabelSpacingBound = Value; }

void TControlLabelLocationEh::CalcLabelPosForControl(int, int, TPoint& LabelPos) { LabelPos = TPoint(0, 0); }
