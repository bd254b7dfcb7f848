// Standard controls: the push button, the label, the check box, the group box, the combo box and
// the list box. All are drawn by us; they take the keyboard as a dialog does (Tab order, space,
// arrows, F4 and Alt+Down, type-ahead) and answer the window system's item messages. The memo
// is the multi-line edit.
#pragma once

#include "Controls.h"
#include "Mask.h"

class TStringList;
class TStrings;
class TScrollBar;

// True when Caption marks Key with "&" (case-insensitive; "&&" is a plain ampersand).
bool IsAccel(QChar Key, const QString& Caption);

// Finds an item by the text typed so far: characters typed within the timeout make one prefix;
// a repeated single character steps through the items that start with it.
class TTypeAheadSearch {
public:
    static constexpr qint64 TimeoutMs = 1000;
    // The item to go to after typing Key while Current is the current item (-1: none found).
    int Type(QChar Key, const TStrings* Items, int Current);
    void Reset() { FPrefix.clear(); }
    QString Prefix() const { return FPrefix; }

private:
    QString FPrefix;
    qint64 FLastTick = 0;
};

class TCustomImageList;

class TButton : public TCustomControl {
    DOV_PERSISTENT(TButton, TCustomControl)
public:
    explicit TButton(TComponent* AOwner);
    bool Default = false;
    bool Cancel = false;
    int ModalResult = 0;
    // An image of the list left of the caption (-1: none).
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

protected:
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    TCustomImageList* FImages = nullptr;
    int FImageIndex = -1;
    bool FWordWrap = false;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
};

// ---------------------------------------------------------------- TCustomLabel

// A caption drawn on its parent. With AutoSize it takes the size of its text (word wrap keeps
// the width); "&x" in the caption underlines x, and Alt+x (or x on a button) focuses
// FocusControl.
class TCustomLabel : public TGraphicControl {
    DOV_PERSISTENT(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);

    void Dispatch(TMessage& Message) override;

public:
    void AfterConstruction() override;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void CMTextChanged(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    virtual void CMDialogChar(TMessage& M);
    // Sizes the label to its text (AutoSize); descendants place themselves after it.
    virtual void AdjustBounds();
    // The text as laid out: rectangle R receives the text's extent with DT_CALCRECT.
    void DoDrawText(TRect& R, UINT Flags);
    UINT TextFlags() const;

    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FAutoSize = true;
    bool FShowAccelChar = true;
    bool FTransparent = false;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    DOV_PERSISTENT(TLabel, TCustomLabel)
public:
    using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------- TButtonControl

// The base of button-like controls that paint themselves: a press on an unfocused control
// first takes the focus (with clicks disabled meanwhile) and is dropped when the focus did not
// come; Checked is virtual for the descendants that hold a state.
class TButtonControl : public TCustomControl {
    DOV_PERSISTENT(TButtonControl, TCustomControl)
public:
    explicit TButtonControl(TComponent* AOwner);

    bool Checked() const { return GetChecked(); }
    virtual void SetChecked(bool Value) {}

    void WndProc(TMessage& Message) override;

protected:
    virtual bool GetChecked() const { return false; }
    // The step a click, the space bar or the caption's accelerator makes.
    virtual void Toggle() {}
    bool ClicksDisabled() const { return FClicksDisabled; }
    void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
    void WMGetDlgCode(TMessage& M) override { M.Result = DLGC_BUTTON; }
    // The caption's accelerator focuses the button and steps it.
    void CMDialogChar(TMessage& M) override;
    // Caption and look follow the text and the enabled state.
    void CMTextChanged(TMessage& M) override;
    void CMEnabledChanged(TMessage& M) override;

    bool FClicksDisabled = false;
};

// ---------------------------------------------------------------- TCustomCheckBox

// A check box: click, space or its accelerator step unchecked -> checked (-> grayed with
// AllowGrayed) -> unchecked. Every change of State runs OnClick, as the platform does.
class TCustomCheckBox : public TButtonControl {
    DOV_PERSISTENT(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);

    TCheckBoxState State() const { return FState; }
    void SetState(TCheckBoxState Value);
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    // taRightJustify (the default) puts the box left of the caption.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // The user's step to the next state.
    void Toggle() override;
    bool Pressed() const { return FPressed; }

    void Dispatch(TMessage& Message) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    bool GetChecked() const override { return FState == cbChecked; }
    void WMKillFocus(TMessage& M) override;
    TRect BoxRect();

    TCheckBoxState FState = cbUnchecked;
    bool FAllowGrayed = false;
    TAlignment FAlignment = taRightJustify;
    bool FPressed = false;
    bool FTracking = false;
    bool FSpaceDown = false;
};

class TCheckBox : public TCustomCheckBox {
    DOV_PERSISTENT(TCheckBox, TCustomCheckBox)
public:
    using TCustomCheckBox::TCustomCheckBox;
};

// ---------------------------------------------------------------- TCustomGroupBox

// An etched frame with a caption that holds other controls.
class TCustomGroupBox : public TCustomControl {
    DOV_PERSISTENT(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* AOwner);

protected:
    void AdjustClientRect(TRect& Rect) override;
    void Paint() override;
    void CMTextChanged(TMessage& M) override;
    void CMFontChanged(TMessage& M) override;
    // Top of the frame: half the caption's height.
    int CaptionHeight();
};

class TGroupBox : public TCustomGroupBox {
    DOV_PERSISTENT(TGroupBox, TCustomGroupBox)
public:
    using TCustomGroupBox::TCustomGroupBox;
};

// ---------------------------------------------------------------- TCustomComboBox

enum TComboBoxStyle { csDropDown, csDropDownList };
DOV_ENUM_INFO(TComboBoxStyle, csDropDown, csDropDownList)

class TComboListWindow;

// A combo box: csDropDown edits its text and completes it from Items as the user types;
// csDropDownList shows Items[ItemIndex] only and types ahead through Items. F4 or Alt+Down
// opens the list; Enter, a click or F4 takes the highlighted item, Esc keeps the old one.
class TCustomComboBox : public TCustomControl {
    DOV_PERSISTENT(TCustomComboBox, TCustomControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    TStrings* Items() const;
    void SetItems(TStrings* Value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    // In csDropDownList only a text of Items is taken (it selects that item); others clear it.
    void SetText(const QString& Value);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = std::max(Value, 1); }
    bool AutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool Value) { FAutoComplete = Value; }
    bool DroppedDown() const;
    void SetDroppedDown(bool Value);
    int SelStart() const { return FSelStart; }
    int SelLength() const { return FSelLength; }
    void SelectAll();
    // The item the open list highlights (-1 when closed or none).
    int HighlightIndex() const;
    TComboListWindow* ListWindow() const { return FList; }

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

    void Dispatch(TMessage& Message) override;

public:
    void AfterConstruction() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void WMGetDlgCode(TMessage& M) override;
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void CMExit(TMessage& M) override;
    void CMTextChanged(TMessage& M) override;
    void CMEnabledChanged(TMessage& M) override;
    virtual void Change();
    // The user chose an item: OnSelect, or OnChange when there is no OnSelect handler.
    virtual void Select();
    virtual void DropDown();
    virtual void CloseUp();

    void ItemsChanged(TObject* Sender);
    // The user's choice of an item: text, index, OnClick and Select.
    void ChooseItem(int Index);
    void OpenList();
    void CloseList(bool Accept);
    TRect ButtonRect();
    TRect TextRect();
    void EditKey(Word& Key, TShiftState Shift);
    void TypeChar(QChar Key);
    void SetEditText(const QString& Value, int SelStart, int SelLength);

    TComboBoxStyle FStyle = csDropDown;
    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1;
    int FDropDownCount = 8;
    bool FAutoComplete = true;
    int FSelStart = 0;
    int FSelLength = 0;
    TComboListWindow* FList = nullptr;
    TTypeAheadSearch FSearch;
    bool FInTextChange = false;
    bool FClosedByThisPress = false;
    friend class TComboListWindow;
};

class TComboBox : public TCustomComboBox {
    DOV_PERSISTENT(TComboBox, TCustomComboBox)
public:
    using TCustomComboBox::TCustomComboBox;
};

// The open list of a combo box: a drop-down window that never takes the focus.
class TComboListWindow : public TCustomControl {
    DOV_PERSISTENT(TComboListWindow, TCustomControl)
public:
    explicit TComboListWindow(TComponent* AOwner);
    int ItemHeight();
    int TopIndex() const { return FTopIndex; }
    int Highlight() const { return FHighlight; }
    void SetHighlight(int Value);
    int Rows() const { return FRows; }
    void Place();

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void CMCancelMode(TMessage& M) override;
    int ItemAt(int Y);
    void ScrollTo(int Top);

    TCustomComboBox* FCombo;
    int FTopIndex = 0;
    int FHighlight = -1;
    int FRows = 1;
    TScrollBar* FScrollBar = nullptr;
};

// ---------------------------------------------------------------- TCustomListBox

// A list box over Items (their objects ride along). With MultiSelect every item has its own
// Selected flag; ExtendedSelect adds Shift ranges and Ctrl toggles. Typing goes to the item
// that starts with the typed text.
class TCustomListBox : public TCustomControl {
    DOV_PERSISTENT(TCustomListBox, TCustomControl)
public:
    explicit TCustomListBox(TComponent* AOwner);
    ~TCustomListBox() override;

    TStrings* Items() const;
    void SetItems(TStrings* Value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value);
    bool ExtendedSelect() const { return FExtendedSelect; }
    void SetExtendedSelect(bool Value) { FExtendedSelect = Value; }
    bool Selected(int Index) const;
    void SetSelected(int Index, bool Value);
    int SelCount() const;
    void ClearSelection();
    bool Sorted() const;
    void SetSorted(bool Value);
    int ItemHeight();
    int TopIndex() const { return FTopIndex; }
    void SetTopIndex(int Value);
    // The item at a client point (-1 outside the items).
    int ItemAtPos(TPoint Pos, bool Existing = true);
    TRect ItemRect(int Index);
    int VisibleRows();
    TScrollBar* ScrollBar() const { return FScrollBar; }

    void Dispatch(TMessage& Message) override;

public:
    void AfterConstruction() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
    void Resize() override;
    void WMGetDlgCode(TMessage& M) override { M.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; }
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;

    void ItemsChanged(TObject* Sender);
    // The user moved the caret to Index: selection by the mode and the keys, OnClick on change.
    void MoveCaret(int Index, TShiftState Shift, bool Toggle);
    void MakeVisible(int Index);
    void UpdateScrollBar();
    void SelectRange(int From, int To);

    std::unique_ptr<TStringList> FItems;
    std::vector<bool> FSelected;
    int FItemIndex = -1;
    int FAnchor = -1;
    int FTopIndex = 0;
    bool FMultiSelect = false;
    bool FExtendedSelect = true;
    bool FTracking = false;
    TTypeAheadSearch FSearch;
    TScrollBar* FScrollBar = nullptr;
};

class TListBox : public TCustomListBox {
    DOV_PERSISTENT(TListBox, TCustomListBox)
public:
    using TCustomListBox::TCustomListBox;
};

// ---------------------------------------------------------------- TCustomMemo

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
DOV_ENUM_INFO(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)

// A multi-line edit. Its text keeps line breaks as CR LF; Lines shows it as one line per
// paragraph. Enter makes a new line with WantReturns (else it goes to the form's default
// button), Tab types a tab with WantTabs (else it moves the focus).
class TCustomMemo : public TCustomEdit {
    DOV_PERSISTENT(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    TStrings* Lines() const;
    void SetLines(TStrings* Value);
    bool WordWrap() const { return TCustomEdit::WordWrap; }
    void SetWordWrap(bool Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    // The caret as line (paragraph) and column.
    TPoint CaretPos() const;
    // The vertical scroll bar (null until ScrollBars asks for one).
    TScrollBar* VertScrollBar() const { return FVertBar; }

protected:
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void WMGetDlgCode(TMessage& M) override;
    void Resize() override;
    void Paint() override;
    void CMTextChanged(TMessage& M) override;
    // A caret left between CR and LF steps on in the direction it came from.
    void KeepOffLineBreak(int OldCaret);
    void UpdateScrollBar();

    std::unique_ptr<TStrings> FLines;
    TScrollStyle FScrollBars = ssNone;
    bool FWantReturns = true;
    bool FWantTabs = false;
    TScrollBar* FVertBar = nullptr;
};

class TMemo : public TCustomMemo {
    DOV_PERSISTENT(TMemo, TCustomMemo)
public:
    using TCustomMemo::TCustomMemo;
};
