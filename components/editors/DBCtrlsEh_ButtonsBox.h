// The buttons box at an edit's side and the caption label an edit places next to itself
// (DBCtrlsEh_ButtonsBox.cpp). Included at the end of DBCtrlsEh.h.
#pragma once

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/StdCtrls.h"

#include <functional>
#include <vector>

class TShape;

// ============================================================================================
// The buttons box
// ============================================================================================

// One button of the row: its control, the separator line after it and the description the
// control shows (filled by the box's owner).
struct TEditButtonControlLineRec {
    TShape* ButtonLine = nullptr;
    TEditButtonControlEh* EditButtonControl = nullptr;
    TEditButtonEh* EditButton = nullptr;
};
using TEditButtonControlList = std::vector<TEditButtonControlLineRec>;

// Makes the control of a new line (the owner's factory).
using TCreateEditButtonControlEvent = Delegate<void(TEditButtonControlEh*& EditButtonControl)>;

// A child window at the edit's right edge (left when right to left) holding one button control
// per edit button, laid out in a row, each followed by an optional one-pixel separator.
class TEditButtonsBoxEh : public TWinControl {
    DOV_PERSISTENT(TEditButtonsBoxEh, TWinControl)
public:
    explicit TEditButtonsBoxEh(TComponent* AOwner);
    ~TEditButtonsBoxEh() override;

    // Nested; the outermost EndLayout lays the row out.
    void BeginLayout();
    void EndLayout();
    int LayoutCount() const { return FLayoutCount; }

    int ButtonsCount() const { return int(FBtnCtlList.size()); }
    // Growing asks OnCreateEditButtonControl for each new control; shrinking frees the
    // surplus controls and separators.
    void SetButtonsCount(int Value);
    const TEditButtonControlList& BtnCtlList() const { return FBtnCtlList; }
    TEditButtonControlLineRec& BtnCtlLine(int Index) { return FBtnCtlList.at(size_t(Index)); }
    // The line whose control ButtonControl is; -1 when none.
    int LineOfControl(const TObject* ButtonControl) const;

    bool Flat() const { return FFlat; }
    void SetFlat(bool Value) { FFlat = Value; }
    bool BorderActive() const { return FBorderActive; }
    void SetBorderActive(bool Value);
    // The height the owner offers the row; set before the layout.
    int MaxButtonHeight() const { return FMaxButtonHeight; }
    void SetMaxButtonHeight(int Value) { FMaxButtonHeight = Value; }
    // Results of the last layout.
    int ButtonsWidth() const { return FButtonsWidth; }
    int ButtonHeight() const { return FButtonHeight; }

    void UpdateEditButtonControlList();
    void UpdateEditButtonControlsState();

    // Handed to every button control at layout, so the owner hears the buttons.
    TButtonDownEventEh OnDown() const { return FOnDown; }
    void SetOnDown(const TButtonDownEventEh& Value) { FOnDown = Value; }
    TNotifyEvent OnButtonClick() const { return FOnClick; }
    void SetOnButtonClick(const TNotifyEvent& Value) { FOnClick = Value; }
    TMouseMoveEvent OnButtonMouseMove() const { return FOnMouseMove; }
    void SetOnButtonMouseMove(const TMouseMoveEvent& Value) { FOnMouseMove = Value; }
    TMouseEvent OnButtonMouseUp() const { return FOnMouseUp; }
    void SetOnButtonMouseUp(const TMouseEvent& Value) { FOnMouseUp = Value; }
    TCreateEditButtonControlEvent OnCreateEditButtonControl() const { return FOnCreateEditButtonControl; }
    void SetOnCreateEditButtonControl(const TCreateEditButtonControlEvent& Value)
    {
        FOnCreateEditButtonControl = Value;
    }

protected:
    virtual void LayoutChanged();
    void Notification(TComponent* AComponent, TOperation Operation) override;

    int FLayoutCount = 0;
    TEditButtonControlList FBtnCtlList;
    TButtonDownEventEh FOnDown;
    TNotifyEvent FOnClick;
    TMouseMoveEvent FOnMouseMove;
    TMouseEvent FOnMouseUp;
    bool FFlat = false;
    int FButtonsWidth = 0;
    int FButtonHeight = 0;
    int FMaxButtonHeight = 0;
    bool FBorderActive = false;
    TCreateEditButtonControlEvent FOnCreateEditButtonControl;
};

// Lays out one line from its button: the control takes the button's look; its width is the
// button's, or the default when that is below 1; RowHeight shrinks to the control's height.
void LayoutEditButtonLine(TEditButtonControlLineRec& Line, int Index, bool Flat, int& RowHeight,
                          int MaxButtonHeight);

// A press on a button control that the edit and the rich edit handle alike. Down runs the
// owner's and the button's own handlers; while nothing has handled the press, DropDownForm
// opens the button's form, then the button's menu pops up under its control (and takes the
// press), else DefaultAction runs when the button has the default action.
void PressEditButtonEh(TEditButtonEh* Button, TEditButtonControlEh* Control, bool& Handled,
                       const std::function<void(bool& Handled)>& Down,
                       const std::function<void(bool& Handled)>& DropDownForm,
                       const std::function<void(bool& Handled)>& DefaultAction);
// The mouse left a pressed button control before it went up: the click that follows is no
// close-up click.
inline bool ButtonReleasedOutside(TObject* ButtonControl, int X, int Y)
{
    auto* control = dynamic_cast<TControl*>(ButtonControl);
    return control && !PtInRect(control->ClientRect(), TPoint(X, Y));
}

// ============================================================================================
// The control label
// ============================================================================================

// What a control that owns a label offers it (the edit, image and rich-text controls).
class IControlLabelOwnerEh {
public:
    virtual ~IControlLabelOwnerEh() = default;
    // The bound field's display name, else the control's name.
    virtual QString GetControlLabelCaption() = 0;
    // From the control's top to the base of its text.
    virtual int GetControlTextBaseLine() = 0;
    // Places the label by the control's label location.
    virtual void AdjustLabelBounds() = 0;
    // The location changed: place the label again unless loading.
    virtual void LabelLocationChanged() = 0;
};

enum TLabelPositionEh {
    lpAboveLeftEh, lpAboveCenterEh, lpAboveRightEh, lpBelowLeftEh, lpBelowCenterEh, lpBelowRightEh,
    lpLeftTopEh, lpLeftTextBaselineEh, lpLeftCenterEh, lpLeftBottomEh, lpRightTopEh, lpRightTextBaselineEh,
    lpRightCenterEh, lpRightBottomEh
};
DOV_ENUM_INFO(TLabelPositionEh, lpAboveLeftEh, lpAboveCenterEh, lpAboveRightEh, lpBelowLeftEh, lpBelowCenterEh,
              lpBelowRightEh, lpLeftTopEh, lpLeftTextBaselineEh, lpLeftCenterEh, lpLeftBottomEh, lpRightTopEh,
              lpRightTextBaselineEh, lpRightCenterEh, lpRightBottomEh)
// Which edge of the label Spacing is measured to: the one facing the control or the far one.
enum TSpacingBoundEh { sbNearBoundEh, sbFarBoundEh };
DOV_ENUM_INFO(TSpacingBoundEh, sbNearBoundEh, sbFarBoundEh)

// The caption an edit owns and places next to itself. Its own Visible is independent of the
// window system's visibility: the label shows when it is on and its edit is visible.
class TControlLabelEh : public TCustomLabel {
    DOV_PERSISTENT(TControlLabelEh, TCustomLabel)
public:
    explicit TControlLabelEh(TComponent* AOwner);
    void AfterConstruction() override;

    // Empty brings back the caption the owner offers.
    QString Caption() const { return TControl::Caption(); }
    void SetCaption(const QString& Value);
    bool IsCaptionStored() const { return FCaptionStored; }

    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // Width and Height go with the form only while the label is on.
    bool IsSizeStored() const { return FVisible; }

    virtual void UpdateVisibility();
    virtual void UpdateCaption();
    void UpdateParent();
    // The owner behind the focus control (nullptr when there is none or it offers nothing).
    IControlLabelOwnerEh* LabelOwner() const;

protected:
    // The automatic size step, then the owner places the label.
    void AdjustBounds() override;
    void Paint() override;

    bool FCaptionStored = false;
    bool FVisible = false;
};

// Where the label sits relative to its control.
class TControlLabelLocationEh : public TPersistent {
    DOV_PERSISTENT(TControlLabelLocationEh, TPersistent)
public:
    explicit TControlLabelLocationEh(TControl* EditControl);

    // Copies the four settings from another location.
    void Assign(TPersistent* Source) override;

    TControl* EditControl() const { return FEditControl; }
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    int Offset() const { return FOffset; }
    void SetOffset(int Value);
    TLabelPositionEh Position() const { return FPosition; }
    void SetPosition(TLabelPositionEh Value);
    TSpacingBoundEh LabelSpacingBound() const { return FLabelSpacingBound; }
    void SetLabelSpacingBound(TSpacingBoundEh Value);

    // The label's top-left corner in the control's parent.
    void CalcLabelPosForControl(int LabelWidth, int LabelHeight, TPoint& LabelPos);
    TPersistent* GetOwner() const override;

protected:
    void Changed();

    int FSpacing = 3;
    int FOffset = 0;
    TLabelPositionEh FPosition = lpAboveLeftEh;
    TControl* FEditControl;
    TSpacingBoundEh FLabelSpacingBound = sbNearBoundEh;
};
