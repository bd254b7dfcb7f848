// The data-aware image control: the picture of a blob field (or its own when data independent),
// zoomed with the wheel, panned by dragging, edited through the clipboard, files, a popup menu,
// and one edit button (DBCtrlsEh_Image.cpp).
#pragma once

#include "components/foundation/PlatformBridgeEh.h"
#include "components/foundation/ToolCtrlsEh.h"
#include "components/foundation/ToolCtrlsEh_DropDowns.h"
#include "DBCtrlsEh_ButtonsBox.h"

class TFieldDataLinkEh;
class TDataSource;
class TField;
class TDynVarsEh;
class TPopupMenu;
class TMenuItem;

enum TSelectionDrawStyleEh { sdsDefaultEh, sdsClassicEh, sdsFramedEh, sdsThemedEh };
DOV_ENUM_INFO(TSelectionDrawStyleEh, sdsDefaultEh, sdsClassicEh, sdsFramedEh, sdsThemedEh)

class TCustomDBImageEh : public TCustomControlEh, public IControlLabelOwnerEh {
    DOV_PERSISTENT(TCustomDBImageEh, TCustomControlEh)
public:
    explicit TCustomDBImageEh(TComponent* AOwner);
    ~TCustomDBImageEh() override;
    void AfterConstruction() override;

    // ---- data ----
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    QString DataField() const;
    void SetDataField(const QString& Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    TField* Field() const;
    TFieldDataLinkEh* DataLink() const { return FDataLink; }
    bool CanModify() const;
    virtual bool IsDataActive();

    // ---- picture ----
    TPictureEh* Picture() const { return FPicture; }
    void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
    // The picture is stored with the form only when it is the control's own.
    bool IsPictureStored() const;
    bool AutoDisplay() const { return FAutoDisplay; }
    void SetAutoDisplay(bool Value);
    bool PictureLoaded() const { return FPictureLoaded; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TImagePlacementEh PicturePlacement() const { return FPicturePlacement; }
    void SetPicturePlacement(TImagePlacementEh Value);
    TSelectionDrawStyleEh SelectionDrawStyle() const { return FSelectionDrawStyle; }
    void SetSelectionDrawStyle(TSelectionDrawStyleEh Value);
    TDynVarsEh* DynProps() const { return FDynProps; }
    void SetDynProps(TDynVarsEh* Value);
    TEditButtonEh* EditButton() const { return FEditButton; }
    void SetEditButton(TEditButtonEh* Value);
    TEditButtonControlEh* EditButtonControl() const { return FEditButtonControl; }

    // ---- label ----
    TControlLabelEh* ControlLabel() const { return FControlLabel; }
    TControlLabelLocationEh* ControlLabelLocation() const { return FControlLabelLocation; }
    void SetControlLabelLocation(TControlLabelLocationEh* Value) { FControlLabelLocation->Assign(Value); }
    QString GetControlLabelCaption() override;
    int GetControlTextBaseLine() override;
    void AdjustLabelBounds() override;
    void LabelLocationChanged() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetParent(TWinControl* AParent) override;

    // ---- zoom and pan ----
    // Percent; negative values become 0.
    int Zoom() const { return FZoom; }
    void SetZoom(int Value);
    bool ZoomIsTemporary() const { return FZoomIsTemporary; }
    TPoint ImagePos() const { return FImagePos; }
    virtual void TemporaryZoomTo(int ZoomPercent);
    virtual void TemporaryMoveImageTo(TPoint Pos);
    void ResetZoom();
    void ResetPos();
    // Right and bottom scaled by the percentage; left and top kept.
    virtual TRect ScaleRect(const TRect& ARect, int ScalePercent);
    virtual TSelectionDrawStyleEh ActualSelectionDrawStyle();

    // ---- operations ----
    virtual void LoadPicture();
    virtual void CopyToClipboard();
    virtual void CutToClipboard();
    virtual void PasteFromClipboard();
    virtual void CloseUp(bool Accept);
    virtual TPopupMenu* GetSystemPopupMenu();
    virtual void FormPopupMenu(TPopupMenu* Menu);
    TPopupMenu* GetPopupMenu() override;
    virtual void MenuItemCopy(TObject* Sender);
    virtual void MenuItemCut(TObject* Sender);
    virtual void MenuItemPaste(TObject* Sender);
    virtual void MenuItemDelete(TObject* Sender);
    virtual void MenuItemDefaultZoom(TObject* Sender);
    virtual void MenuItemLoad(TObject* Sender);
    virtual void MenuItemSave(TObject* Sender);
    // Adds an item whose click runs the handler (none for a separator "-").
    void AddMenuItem(TPopupMenu* Menu, const QString& Caption, void (TCustomDBImageEh::*Handler)(TObject*));
    // The field takes the picture (unless the picture is the control's own).
    void UpdateData(TObject* Sender);

    // ---- edit button ----
    bool DroppedDown() const { return FDroppedDown; }
    virtual void EditButtonClick(TObject* Sender);
    virtual void EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {}
    virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void UpdateEditButtonControl();
    void UpdateEditButtonState();

    TButtonClickEventEh OnButtonClick;
    TButtonDownEventEh OnButtonDown;
    TEditControlShowDropDownFormEventEh OnOpenDropDownForm;
    TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;

protected:
    virtual TEditButtonEh* CreateEditButton();
    virtual TEditButtonControlEh* CreateEditButtonControl();
    virtual void SetDropDownState(bool Value);
    // The close callback of the button's drop-down form: an accepted form puts the record into
    // edit state and posts it (with the fields named to be assigned back); the picture itself
    // takes no value from the form.
    void CloseDropDownForm(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                           TDropDownFormSysParams* SysParams);
    void IgnoreFormValue(const Variant&) {}

    void DataChange(TObject* Sender);
    void PictureChanged(TObject* Sender);
    void EditButtonChanged(TObject* Sender);
    void EditButtonRefComponentChanged(TObject* Sender, TComponent* RefComponent);

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void DblClick() override;
    void DoEnter() override;
    void DoExit() override;
    void WMSize(TMessage& M) override;
    // The single border is a sunken client edge, two pixels wide.
    void WMNCCalcSize(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void CMTextChanged(TMessage& M) override;
    void CMVisibleChanged(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void CMBiDiModeChanged(TMessage& M) override;
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TFieldDataLinkEh* FDataLink = nullptr;
    TPictureEh* FPicture = nullptr;
    TBorderStyle FBorderStyle = bsSingle;
    bool FAutoDisplay = true;
    bool FPictureLoaded = false;
    TImagePlacementEh FPicturePlacement = ipReduceFitEh;
    TDynVarsEh* FDynProps = nullptr;
    int FZoom = 100;
    bool FZoomAllowed = true;
    TPopupMenu* FSystemPopupMenu = nullptr;
    TEditButtonEh* FEditButton = nullptr;
    TSelectionDrawStyleEh FSelectionDrawStyle = sdsDefaultEh;
    bool FZoomIsTemporary = false;
    TPoint FImageMouseDownPos;
    TPoint FMouseDownPos;
    TPoint FImagePos;
    TEditButtonControlEh* FEditButtonControl = nullptr;
    bool FDroppedDown = false;
    bool FNoClickCloseUp = false;
    bool FReadOnly = false;
    TControlLabelEh* FControlLabel = nullptr;
    TControlLabelLocationEh* FControlLabelLocation = nullptr;
    TEditButtonControlLineRec EditButtonControlLineRec;

private:
    // The name shown while no picture is loaded: the field's display label, else the name.
    QString PlaceholderText() const;
    // Opens the button's drop-down form, when it has one.
    void ShowImageDropDownForm(bool& Handled);
};

class TDBImageEh : public TCustomDBImageEh {
    DOV_PERSISTENT(TDBImageEh, TCustomDBImageEh)
public:
    explicit TDBImageEh(TComponent* AOwner) : TCustomDBImageEh(AOwner) {}
};

// Fills an image control's system popup menu; set by the unit to FillDBImagePopupMenu.
using TDBImagePopupMenuProcEh = void (*)(TCustomDBImageEh* Image, TPopupMenu* Menu);
extern TDBImagePopupMenuProcEh DBImageEhPopupMenuHook;
void FillDBImagePopupMenu(TCustomDBImageEh* Image, TPopupMenu* Menu);

// The edit button's action when the button asks for its default one; set by the unit to
// DefaultDBImageEditButtonAction.
using TDBImageEditButtonActionProcEh = void (*)(TControl* EditControl, TEditButtonEh* EditButton,
                                                TEditButtonControlEh* EditButtonControl, bool& Handled, bool FromDown);
extern TDBImageEditButtonActionProcEh DBImageEhDefaultActionHook;
void DefaultDBImageEditButtonAction(TControl* EditControl, TEditButtonEh* EditButton,
                                    TEditButtonControlEh* EditButtonControl, bool& Handled, bool FromDown);
