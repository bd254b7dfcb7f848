// The data-aware edit: TCustomDBEditEh and its published form TDBEditEh. Every editor of the
// unit derives from it. Included at the end of DBCtrlsEh.h; the bodies are split by area:
//   DBCtrlsEh_Edit.cpp          value and text flow, keys, focus, read-only logic, in-place
//   DBCtrlsEh_EditButtons.cpp   edit buttons, default actions and drop-down forms
//   DBCtrlsEh_EditPaint.cpp     layout, painting, image, MRU list and tool tips
//
// Message handlers: the edit overrides the platform's virtual handlers (WMSetFocus, CMEnter,
// ...); descendants override the same ones and call the edit's as the inherited step. Messages
// the platform has no handler for go through Dispatch to the Handle* methods below.
#pragma once

#include "components/editors/DBCtrlsEh_ButtonsBox.h"
#include "components/foundation/ToolCtrlsEh_DropDowns.h"
#include "platform/vcl/HintWindow.h"
#include "platform/vcl/Mask.h"

class TMRUListEh;
class TDynVarsEh;
class TCustomForm;
class TDataSource;
class TBasicAction;

enum TDBEditEhValue { evAlignmentEh, evEditMaskEh };
DOV_ENUM_INFO(TDBEditEhValue, evAlignmentEh, evEditMaskEh)
using TDBEditEhValues = TSet<TDBEditEhValue>;

using TOnCheckDrawRequiredStateEventEh = Delegate<void(TObject* Sender, bool& DrawState)>;
using TGetFieldDataEventEh = Delegate<void(TObject* Sender, Variant& Value, bool& Handled)>;
using TGetImageIndexEventEh = Delegate<void(TObject* Sender, int& ImageIndex)>;
using TUpdateDataEventEh = Delegate<void(TObject* Sender, bool& Handled)>;

// What a host (a grid cell editor holder) must offer an edit it hosts in place. Nothing in
// this system attaches one, so in-place mode stays off in every running edit.
// The shortcut of a key pressed with Shift, Ctrl and Alt as given.
TShortCut ShortCutOfKeyEh(Word Key, TShiftState Shift);

class IInplaceEditHolderEh {
public:
    virtual bool InplaceEditorCanModify(TWinControl* Control) = 0;
    virtual void GetDownMousePosAndTime(TPoint& Pos, int& Time) = 0;
    // Non-zero: the message stops here.
    virtual bool InplaceEditorWndProc(TWinControl* Control, TMessage& Message) = 0;
    virtual void InplaceEditorKeyDown(TWinControl* Control, Word& Key, TShiftState Shift) = 0;
    virtual void InplaceEditorKeyPress(TWinControl* Control, QChar& Key) = 0;
    virtual void InplaceEditorKeyUp(TWinControl* Control, Word& Key, TShiftState Shift) = 0;

protected:
    ~IInplaceEditHolderEh() = default;
};

// The edit's side of in-place hosting.
class IInplaceEditEh {
public:
    virtual TFont* GetFont() = 0;
    virtual void SetInplaceEditHolder(TWinControl* AInplaceEditHolder) = 0;
    virtual void SetBorderStyle(TBorderStyle ABorderStyle) = 0;
    virtual void SetFont(TFont* AFont) = 0;
    virtual void SetColor(TColor AColor) = 0;
    virtual void SetOnKeyPress(const TKeyPressEvent& AKeyPressEvent) = 0;
    virtual void SetOnExit(const TNotifyEvent& AExitEvent) = 0;

protected:
    ~IInplaceEditEh() = default;
};

// The hint window of the overflow tool tip: measures with the font handed over as hint data.
class TToolTipsWindow : public THintWindow {
    DOV_PERSISTENT(TToolTipsWindow, THintWindow)
public:
    using THintWindow::THintWindow;
    TRect CalcHintRect(int MaxWidth, const QString& AHint, void* AData) override;
};

// A control's default-action hook for its edit buttons: (edit control, button, button
// control, var Handled, FromDown).
using TDefaultEditButtonActionProcEh =
    void (*)(TWinControl* EditControl, TEditButtonEh* Button, TEditButtonControlEh* ButtonControl, bool& Handled,
             bool FromDown);
extern TDefaultEditButtonActionProcEh DefaultDBEditEhButtonAction;
// The memo editor form class the ellipsis default action and drop-down buttons without a form
// use (its global instance); set by the unit that defines the form.
extern const TClassInfo* DBEditEhMemoEditFormClass;
void DefaultEditButtonAction(TWinControl* EditControl, TEditButtonEh* Button, TEditButtonControlEh* ButtonControl,
                             bool& Handled, bool FromDown);

class TCustomDBEditEh : public TCustomMaskEdit,
                        public IControlLabelOwnerEh,
                        public IComboEditEh,
                        public IInplaceEditEh,
                        public IEmptyDataInfoHostEh {
    DOV_PERSISTENT(TCustomDBEditEh, TCustomMaskEdit)
public:
    explicit TCustomDBEditEh(TComponent* AOwner);
    ~TCustomDBEditEh() override;
    void AfterConstruction() override;

    // ---- value and text ----
    QString Text() const { return GetText(); }
    void SetText(const QString& Value);
    QString GetText() const;
    Variant Value() { return GetValue(); }
    void SetValue(const Variant& Value);
    Variant GetValue() { return InternalGetValue(); }
    virtual void Clear();
    void Undo();
    // The link reloads the control; then everything is selected.
    void Reset();
    virtual void UpdateData();
    virtual bool IsEmpty() override;
    QString GetCompleteKeyPress() const { return FCompleteKeyPress; }
    bool ExecuteAction(TBasicAction* Action);
    bool UpdateAction(TBasicAction* Action);
    bool UseRightToLeftAlignment() const override;
    void Deselect();

    // ---- data ----
    TDataSource* DataSource() const { return GetDataSource(); }
    virtual TDataSource* GetDataSource() const;
    virtual void SetDataSource(TDataSource* Value);
    QString DataField() const { return GetDataField(); }
    virtual QString GetDataField() const;
    virtual void SetDataField(const QString& Value);
    TField* Field() const;
    TFieldDataLinkEh* DataLink() const { return FDataLink; }
    bool ReadOnly() const { return GetReadOnly(); }
    bool GetReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    QString EditMask() const { return TCustomMaskEdit::EditMask(); }
    void SetEditMask(const QString& Value);
    bool IsEditMaskStored() const { return FAssignedValues.Contains(evEditMaskEh); }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment Value);
    bool IsAlignmentStored() const { return FAssignedValues.Contains(evAlignmentEh); }
    TDBEditEhValues AssignedValues() const { return FAssignedValues; }
    TDynVarsEh* DynProps() const { return FDynProps; }
    void SetDynProps(TDynVarsEh* Value);
    bool HighlightRequired() const { return FHighlightRequired; }
    void SetHighlightRequired(bool Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    void SetPasswordChar(QChar Value);
    bool AutoSize() const { return TCustomEdit::AutoSize; }
    void SetAutoSize(bool Value);
    // The focused state the control keeps (display text or edit text).
    bool IsFocused() const { return FFocused; }

    // ---- buttons and drop-down forms ----
    TEditButtonEh* EditButton() const { return FEditButton; }
    void SetEditButton(TEditButtonEh* Value);
    TEditButtonsEh* EditButtons() const { return FEditButtons; }
    void SetEditButtons(TEditButtonsEh* Value);
    TEditButtonsBoxEh* ButtonsBox() const { return FButtonsBox; }
    bool DroppedDown() const { return FDroppedDown; }
    TEditButtonEh* DroppedDownButton() const { return FDroppedDownButton; }
    TEditButtonControlEh* DroppedDownButtonControl() const { return FDroppedDownButtonControl; }
    TEditButtonControlEh* GetEditButtonControlByEditButton(TEditButtonEh* EditButton);
    TEditButtonEh* GetFirstDefaultActionEditButton();
    // Closes the open drop-down; nothing in the base.
    void CloseUp(bool Accept) override;
    void UpdateEditButtonsState();
    void UpdateEditButtons();
    int ButtonsWidth() const;

    // ---- look ----
    bool Flat() const { return FFlat; }
    void SetFlat(bool Value);
    bool AlwaysShowBorder() const { return FAlwaysShowBorder; }
    void SetAlwaysShowBorder(bool Value);
    bool BorderActive() const { return FBorderActive; }
    TEditImageEh* EditImage() const { return FEditImage; }
    void SetEditImage(TEditImageEh* Value);
    TCustomImageList* Images() const;
    void SetImages(TCustomImageList* Value);
    int ImageWidth() const { return FImageWidth; }
    TControlEmptyDataInfoEh* EmptyDataInfo() const { return FEmptyDataInfo; }
    void SetEmptyDataInfo(TControlEmptyDataInfoEh* Value);
    TMRUListEh* MRUList() const { return FMRUList; }
    void SetMRUList(TMRUListEh* Value);
    TWinControl* MRUListControl();
    bool Tooltips() const { return FTooltips; }
    void SetTooltips(bool Value);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool Value);
    TControlLabelEh* ControlLabel() const { return FControlLabel; }
    void SetControlLabel(TControlLabelEh* Value);
    TControlLabelLocationEh* ControlLabelLocation() const { return FControlLabelLocation; }
    void SetControlLabelLocation(TControlLabelLocationEh* Value);
    TCanvas* GetCanvas();
    QString DisplayTextForPaintCopy() { return GetDisplayTextForPaintCopy(); }
    // Does the text fit in the text area (the tool tip shows when it does not).
    bool TextFitsCheck();
    TRect GetButtonsBoxRect();
    TRect GetImageRect();
    TRect GetPaintTextRect();
    void GetTextMargins(int& X, int& Y);
    void UpdateTextRect();
    void UpdateBorderActive();
    void PaintFlatBorder(HDC DC, bool Active);
    // The window-painting step: the edit paints right-aligned and centred text itself
    // while unfocused, the window paints the rest.
    void PaintEditWindow(HDC DC);

    // ---- in-place services ----
    void Move(const TRect& Loc);
    void UpdateLoc(const TRect& Loc);
    // In place: hides the window and gives the focus back to the holder.
    void Hide();
    void SetFocus() override;
    bool GetVisible() const;
    void SetVisible(bool Value);
    bool InplaceMode() const { return FInplaceMode; }

    // ---- IInplaceEditEh ----
    TFont* GetFont() override { return Font(); }
    void SetInplaceEditHolder(TWinControl* AInplaceEditHolder) override;
    void SetBorderStyle(TBorderStyle ABorderStyle) override { TCustomEdit::SetBorderStyle(ABorderStyle); }
    void SetFont(TFont* AFont) override { TCustomMaskEdit::SetFont(AFont); }
    void SetColor(TColor AColor) override { TCustomMaskEdit::SetColor(AColor); }
    void SetOnKeyPress(const TKeyPressEvent& AKeyPressEvent) override { OnKeyPress = AKeyPressEvent; }
    void SetOnExit(const TNotifyEvent& AExitEvent) override { OnExit = AExitEvent; }

    // ---- IControlLabelOwnerEh ----
    QString GetControlLabelCaption() override;
    int GetControlTextBaseLine() override;
    void AdjustLabelBounds() override;
    void LabelLocationChanged() override;

    // ---- IEmptyDataInfoHostEh ----
    TWinControl* EmptyDataInfoControl() override { return this; }
    TAlignment EmptyDataInfoAlignment() override { return Alignment(); }
    TRect GetEditRect() override;
    TPoint EditTextMargins() override;
    TCanvas* EmptyDataInfoCanvas() override { return GetCanvas(); }

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetParent(TWinControl* AParent) override;

    // ---- events ----
    TButtonClickEventEh OnButtonClick;
    TButtonDownEventEh OnButtonDown;
    TOnCheckDrawRequiredStateEventEh OnCheckDrawRequiredState;
    TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;
    TGetFieldDataEventEh OnGetFieldData;
    TGetImageIndexEventEh OnGetImageIndex() const { return FOnGetImageIndex; }
    void SetOnGetImageIndex(const TGetImageIndexEventEh& Value);
    TEditControlShowDropDownFormEventEh OnOpenDropDownForm;
    TUpdateDataEventEh OnUpdateData;

protected:
    // ---- the virtual operations, in the order the descendants know them ----
    virtual bool IsDataActive();
    virtual TFieldDataLinkEh* CreateDataLink();
    virtual TEditButtonEh* CreateEditButton();
    virtual TEditButtonsEh* CreateEditButtons();
    virtual TEditImageEh* CreateEditImage();
    virtual TWinControl* CreateMRUListControl();
    virtual bool DataIndepended() const;
    virtual TAlignment DefaultAlignment() const;
    virtual QString DefaultEditMask() const;
    virtual int DefaultImageIndex();
    virtual bool DefaultActionForButton(TEditButtonEh* Button);
    virtual QString GetDisplayTextForPaintCopy();
    virtual Variant InternalGetValue();
    virtual bool IsValidChar(QChar InputChar);
    virtual void UpdateState();
    virtual void UpdateHeight();
    virtual void EditButtonDropDownFormOpening(TControl* EditControl, TEditButtonEh* Button,
                                               TCustomForm*& DropDownForm, TDynVarsEh* DynParams);
    virtual TEditButtonControlEh* CreateEditButtonControl();
    virtual void DataChanged();
    virtual void DropDownButtonDown(TEditButtonControlEh* ButtonControl);
    virtual void EditButtonClick(TObject* Sender);
    virtual void EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonDownDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                             bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonClickDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                              bool& Handled);
    virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void EditingChanged();
    virtual void FilterMRUItem(const QString& AText, bool& Accept);
    virtual void InternalSetText(const QString& AText);
    virtual void InternalSetValue(const Variant& AValue);
    virtual void UpdateFieldFromText();
    virtual void MRUListControlResized(TObject* Sender);
    virtual void DrawRequiredState(TCanvas* ACanvas);
    virtual void ResetMaxLength();
    virtual void SetDropDownState(TEditButtonEh* Button, TEditButtonControlEh* ButtonControl);
    virtual void ClearDropDownState();
    virtual void SetFocused(bool Value);
    virtual void SetValueAndPost(const Variant& Value);
    virtual void UpdateReadOnlyState();
    virtual void UpdateHeightStyle();
    virtual void UpdateHintShowing();
    virtual void UpdateImageIndex();
    virtual void UserTextChanged();
    virtual void GetActualDropDownForm(TCustomForm*& DropDownForm, bool& FreeFormOnClose);
    void SetVarValue(const Variant& VarValue) { SetValueAndPost(VarValue); }
    void GetVarValue(Variant& VarValue) { VarValue = InternalGetValue(); }

    // ---- the platform's steps ----
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void ApplyWindowStyle() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    void DefaultHandler(TMessage& Message) override;
    void PaintWindow(HDC DC) override;
    void Change() override;

public:
    // Before any change of the text: not read-only and the link agrees to edit.
    bool EditCanModify() override;

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void WMChar(TMessage& M) override;
    void WMPaste(TMessage& M) override;
    void WMCut(TMessage& M) override;
    void WMUndo(TMessage& M) override;
    void WMGetDlgCode(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void CMEnter(TMessage& M) override;
    void CMExit(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void WMLButtonDown(TMessage& M) override;
    void WMSetCursor(TMessage& M) override;
    void CMMouseEnter(TMessage& M) override;
    void CMMouseLeave(TMessage& M) override;
    void CMMouseWheel(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;
    void CMRecreateWnd(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    void CMColorChanged(TMessage& M) override;
    void CMEnabledChanged(TMessage& M) override;
    void CMVisibleChanged(TMessage& M) override;
    void CMBiDiModeChanged(TMessage& M) override;
    void CMSysColorChange(TMessage& M) override;
    void CMParentShowHintChanged(TMessage& M) override;
    void WMNCPaint(TMessage& M) override;
    void WMSize(TMessage& M) override;

    // Messages the platform has no handler for.
    virtual void HandleCmGetDataLink(TMessage& M);
    virtual void HandleCmHintShow(TMessage& M);
    virtual void HandleCnCommand(TMessage& M);
    virtual void HandleEditImageChanged(TMessage& M);

    // ---- the edit's own helpers ----
    void SetEditReadOnly(bool Value);
    void RecreateWindow();
    void DoUpdateData(bool& Handled);
    // The writers' common steps: the dataset into edit state, Put, then UpdateData unless
    // posting (or focused, with SkipWhenFocused); Designing: a bound control ignores it at
    // design time.
    void EditPutAndUpdate(const std::function<void()>& Put, bool Designing, bool SkipWhenFocused);
    void AfterCreateWnd();
    void PaintImage(TCanvas* ACanvas);
    // The link's four handlers.
    void LinkDataChanged(TObject* Sender);
    void LinkEditingChanged(TObject* Sender);
    void LinkUpdateData(TObject* Sender);
    void LinkActiveChanged(TObject* Sender);
    // Button changes and referenced components.
    void EditButtonChanged(TObject* Sender);
    void EditButtonImagesRefComponentNotifyEvent(TObject* Sender, TComponent* RefComponent);
    // The MRU list's drop-down and close-up requests and its list window's mouse-up.
    void MRUListDropDown(TObject* Sender);
    void MRUListCloseUp(TObject* Sender, bool Accept);
    void MRUListControlMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    // The close handler handed to drop-down forms.
    void DropDownFormCloseProc(TControl* EditControl, TEditButtonEh* Button, bool Accept, TCustomForm* DropDownForm,
                               TDynVarsEh* DynParams);
    // The close callback of a form opened for a button through ShowEditButtonDropDownForm.
    void EditButtonDropDownFormCallback(TCustomForm* DropDownForm, bool Accept, TDynVarsEh* DynParams,
                                        TDropDownFormSysParams* SysParams);
    void CreateEditButtonControlEvent(TEditButtonControlEh*& EditButtonControl);
    TEditButtonEh* ButtonOfLine(int Line) const;
    int LineOfButtonControl(TObject* ButtonControl);
    // Rebuilds the buttons box after button changes (see EditButtonChanged).
    void FlushEditButtonsChange();
    void ClearButtonImagesOf(TComponent* AComponent);
    void ReleaseButtonControls();
    // Forms take nothing back into read-only data, a closed dataset or a field that went away.
    bool DataReadOnlyForForms() const;
    void CheckDataIsReadOnly(TObject* Sender, bool& ReadOnly);
    // The buttons' form parameters follow the link's field.
    void RefreshButtonFormParams();
    QString EmptyMaskedText() const;
    // Routes a key-down to the open MRU list; True when it was taken there.
    bool RouteKeyToMRUList(TMessage& Message);
    void FixCaretAfterMask();

    // ---- fields ----
    bool FAlwaysShowBorder = false;
    TDBEditEhValues FAssignedValues;
    TControlCanvas* FCanvas = nullptr;
    QString FCompleteKeyPress;
    TDynVarsEh* FDynProps = nullptr;
    TEditButtonEh* FEditButton = nullptr;
    TEditButtonsEh* FEditButtons = nullptr;
    TEditImageEh* FEditImage = nullptr;
    TControlEmptyDataInfoEh* FEmptyDataInfo = nullptr;
    bool FFlat = false;
    bool FHighlightRequired = false;
    TMRUListEh* FMRUList = nullptr;
    TWinControl* FMRUListControl = nullptr;
    TGetImageIndexEventEh FOnGetImageIndex;
    bool FReadOnly = false;
    bool FShowHint = false;
    bool FTooltips = false;
    bool FWantReturns = false;
    bool FWantTabs = false;
    bool FWordWrap = false;
    TControlLabelEh* FControlLabel = nullptr;
    TControlLabelLocationEh* FControlLabelLocation = nullptr;
    TAlignment FAlignment = taLeftJustify;
    bool FBorderActive = false;
    int FButtonHeight = 0;
    TFieldDataLinkEh* FDataLink = nullptr;
    bool FDataPosting = false;
    int FDownButton = 0;
    bool FDroppedDown = false;
    TEditButtonControlEh* FDroppedDownButtonControl = nullptr;
    TEditButtonEh* FDroppedDownButton = nullptr;
    bool FFocused = false;
    int FImageWidth = 0;
    TWinControl* FInplaceEditHolder = nullptr;
    bool FInplaceMode = false;
    IInplaceEditHolderEh* FIntfInplaceEditHolder = nullptr;
    bool FMouseAboveControl = false;
    bool FNoClickCloseUp = false;
    bool FPressed = false;
    TRect FPressedRect;
    bool FUserTextChanged = false;
    TEditButtonsBoxEh* FButtonsBox = nullptr;
    TDataSource* FInternalDataSourceRef = nullptr;
    bool FMRUSizeGripResized = false;
    bool FButtonsChangePending = false;

    friend void DefaultEditButtonAction(TWinControl*, TEditButtonEh*, TEditButtonControlEh*, bool&, bool);
};

// Opens the drop-down form of a button for an edit control (shared with the image control):
// the form, its parameters (the control's value or the record), the open event; Handled when
// a form was opened.
void ShowEditButtonDropDownForm(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TField* Field, bool& Handled,
                                const TDropDownFormCallbackProcEh& CallbackProc,
                                const TEditControlShowDropDownFormEventEh& OpenEvent,
                                TEditButtonControlEh* ButtonControl, TEditButtonEh* Button, const Variant& Value);
// The close half: writes the accepted values back (the value named after the control's field,
// or the fields named in AssignBackFieldNames), hides the form, tells the close event, posts
// the closed notice and frees the parameters. Errors go to the application's handler.
void CloseEditButtonDropDownForm(TWinControl* EditControl, TFieldDataLinkEh* DataLink, TCustomForm* DropDownForm,
                                 const TEditControlCloseDropDownFormEventEh& CloseEvent,
                                 const TSetVarValueProcEh& SetVarValue, TDropDownFormSysParams* SysParams,
                                 TDynVarsEh* DynParams, bool Accept, bool ReadOnly);

class TDBEditEh : public TCustomDBEditEh {
    DOV_PERSISTENT(TDBEditEh, TCustomDBEditEh)
public:
    explicit TDBEditEh(TComponent* AOwner);
};
