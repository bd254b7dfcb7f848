// The data-aware rich edit: a text or blob field edited as formatted text. A blob holds the
// document as RTF; any other field is shown and written as plain text. Included at the end of
// DBCtrlsEh.h.
#pragma once

#include "components/editors/DBCtrlsEh_ButtonsBox.h"
#include "components/editors/DBCtrlsEh_Edit.h"
#include "platform/vcl/ComCtrls.h"

class TDynVarsEh;
class TDataSource;
class TField;

// The default action of a rich edit's buttons: the ellipsis opens the rich-text editor form
// modally, a drop-down button drops it down. Set by the unit's start-up.
extern TDefaultEditButtonActionProcEh DefaultDBRichEditButtonActionHook;
// The shared rich-text editor form the rich edit's buttons open (made on first use); set by
// the unit that defines the form.
extern TCustomForm* (*DBRichEditEhEditForm)();
void DefaultDBRichEditButtonAction(TWinControl* EditControl, TEditButtonEh* Button, TEditButtonControlEh* ButtonControl,
                                   bool& Handled, bool FromDown);

// A stored value counts as RTF exactly when it starts with "{\rtf" or "{urtf".
bool IsRtfTextEh(const QString& Value);
// Sets a rich edit's document from a stored value: RTF by its prefix (8-bit characters are
// the code page's bytes), else plain text; the caret goes to the start, unmodified.
void LoadRichEditDocument(TCustomRichEdit* Edit, const QString& Value);

class TCustomDBRichEditEh : public TCustomRichEdit, public IControlLabelOwnerEh {
    DOV_PERSISTENT(TCustomDBRichEditEh, TCustomRichEdit)
public:
    explicit TCustomDBRichEditEh(TComponent* AOwner);
    ~TCustomDBRichEditEh() override;
    void AfterConstruction() override;

    bool AutoDisplay() const { return FAutoDisplay; }
    void SetAutoDisplay(bool Value);
    QString DataField() const;
    void SetDataField(const QString& Value);
    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    TDynVarsEh* DynProps() const { return FDynProps; }
    TEditButtonsEh* EditButtons() const { return FEditButtons; }
    void SetEditButtons(TEditButtonsEh* Value);
    TField* Field() const;
    TFieldDataLinkEh* DataLink() const { return FDataLink; }
    // The control's own read-only flag (the window may be read-only for other reasons too).
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    QString RtfText();
    void SetRtfText(const QString& Value);
    TControlLabelEh* ControlLabel() const { return FControlLabel; }
    TControlLabelLocationEh* ControlLabelLocation() const { return FControlLabelLocation; }
    bool MemoLoaded() const { return FMemoLoaded; }
    TEditButtonsBoxEh* ButtonsBox() const { return FButtonsBox; }
    bool DroppedDown() const { return FDroppedDown; }

    TEditControlShowDropDownFormEventEh OnOpenDropDownForm;
    TEditControlCloseDropDownFormEventEh OnCloseDropDownForm;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetParent(TWinControl* AParent) override;
    void Dispatch(TMessage& Message) override;

    // ---- the control label's owner ----
    QString GetControlLabelCaption() override;
    int GetControlTextBaseLine() override;
    void AdjustLabelBounds() override;
    void LabelLocationChanged() override;

    // ---- buttons and drop-down ----
    virtual TEditButtonsEh* CreateEditButtons();
    virtual TRect GetButtonsBoxRect();
    virtual void EditButtonClick(TObject* Sender);
    virtual void EditButtonDown(TObject* Sender, bool TopButton, bool& AutoRepeat, bool& Handled);
    virtual void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
    virtual void EditButtonMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void ShowButtonDropDownForm(TEditButtonEh* Button, TEditButtonControlEh* ButtonControl, bool& Handled);
    virtual TEditButtonControlEh* CreateEditButtonControl();
    virtual void CloseUp(bool Accept);
    virtual TRect GetEditRect();
    virtual void GetActualDropDownForm(TCustomForm*& Form, bool& FreeFormOnClose);
    // Turns the change notification of the window on or off.
    virtual void SetChangeEvents(bool Value);
    virtual bool DataIndepended();
    virtual void LoadMemo();
    void UpdateEditButtons();
    // Sets the document from a stored value: RTF by its prefix, else plain text.
    void SetDocumentText(const QString& Value);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;
    void Resize() override;
    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DblClick() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void CMEnter(TMessage& M) override;
    void CMExit(TMessage& M) override;
    void CMVisibleChanged(TMessage& M) override;
    void CMBiDiModeChanged(TMessage& M) override;
    void WMCut(TMessage& M) override;
    void WMPaste(TMessage& M) override;
    void WMClear(TMessage& M) override;
    void EMSetCharFormat(TMessage& M) override;
    void EMSetParaFormat(TMessage& M) override;
    void DataChange(TObject* Sender);
    void EditingChange(TObject* Sender);
    void UpdateData(TObject* Sender);
    virtual bool EditCanModify();
    void UpdateEditButtonsState();
    void UpdateButtonsChanged(TObject* Sender);
    void CreateEditButtonControlEvent(TEditButtonControlEh*& EditButtonControl);
    void CloseDropDownFormProc(TControl* EditControl, TEditButtonEh* Button, bool Accept, TCustomForm* DropDownForm,
                               TDynVarsEh* DynParams);
    void SetVarValue(const Variant& Value);
    void GetVarValue(Variant& Value);
    friend void DefaultDBRichEditButtonAction(TWinControl*, TEditButtonEh*, TEditButtonControlEh*, bool&, bool);
    int LineOfButtonControl(TObject* ButtonControl) const;
    bool IsBlob() const;

    TFieldDataLinkEh* FDataLink = nullptr;
    bool FAutoDisplay = true;
    bool FFocused = false;
    bool FMemoLoaded = false;
    QString FDataSave;
    bool FDataSaveSet = false;
    int FCreatingWnd = 0;
    TDynVarsEh* FDynProps = nullptr;
    TControlLabelEh* FControlLabel = nullptr;
    TControlLabelLocationEh* FControlLabelLocation = nullptr;
    bool FDroppedDown = false;
    bool FNoClickCloseUp = false;
    TEditButtonsBoxEh* FButtonsBox = nullptr;
    TEditButtonsEh* FEditButtons = nullptr;
    bool FDataPosting = false;
    bool FReadOnlyProp = false;
    TEditButtonControlEh* FDroppedDownButtonControl = nullptr;
};

class TDBRichEditEh : public TCustomDBRichEditEh {
    DOV_PERSISTENT(TDBRichEditEh, TCustomDBRichEditEh)
public:
    using TCustomDBRichEditEh::TCustomDBRichEditEh;
};
