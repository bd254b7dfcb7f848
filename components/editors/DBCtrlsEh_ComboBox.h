// The combo box edit: an edit with a drop-down list of values. Items holds the texts shown;
// with KeyItems filled the control is key based: the field holds the key at the chosen item's
// index and the control shows the item. Included at the end of DBCtrlsEh.h.
#pragma once

#include "components/editors/DBCtrlsEh_Edit.h"

class TCustomListboxEh;

// As the grid-drawn list boxes declare it.
using TListGetImageIndexEventEh = Delegate<void(TObject* Sender, int ItemIndex, int& ImageIndex)>;

using TNotInListEventEh = Delegate<void(TObject* Sender, QString NewText, bool& RecheckInList)>;
using TCloseUpEventEh = Delegate<void(TObject* Sender, bool Accept)>;
using TAcceptEventEh = Delegate<void(TObject* Sender, bool& Accept)>;

// Settings of the drop-down list.
class TDropDownBoxEh : public TPersistent {
    DOV_PERSISTENT(TDropDownBoxEh, TPersistent)
public:
    TDropDownBoxEh() = default;
    explicit TDropDownBoxEh(TPersistent* AOwner) : FOwner(AOwner) {}
    void Assign(TPersistent* Source) override;

    TDropDownAlign Align() const { return FAlign; }
    void SetAlign(TDropDownAlign Value) { FAlign = Value; }
    // Typing a character opens the list.
    bool AutoDrop() const { return FAutoDrop; }
    void SetAutoDrop(bool Value) { FAutoDrop = Value; }
    int Rows() const { return FRows; }
    void SetRows(int Value) { FRows = Value; }
    bool Sizable() const { return FSizable; }
    void SetSizable(bool Value) { FSizable = Value; }
    // 0: the control's width; -1: the widest item; else that width.
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }

protected:
    TPersistent* GetOwner() const override { return FOwner; }

    TPersistent* FOwner = nullptr;
    TDropDownAlign FAlign = daLeft;
    bool FAutoDrop = false;
    int FRows = 7;
    bool FSizable = false;
    int FWidth = 0;
};

class TCustomDBComboBoxEh : public TCustomDBEditEh {
    DOV_PERSISTENT(TCustomDBComboBoxEh, TCustomDBEditEh)
public:
    explicit TCustomDBComboBoxEh(TComponent* AOwner);
    ~TCustomDBComboBoxEh() override;
    void AfterConstruction() override;

    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* Value);
    TStrings* KeyItems() const { return FKeyItems; }
    void SetKeyItems(TStrings* Value);
    TDropDownBoxEh* DropDownBox() const { return FDropDownBox; }
    void SetDropDownBox(TDropDownBoxEh* Value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    // Items usable for choosing: with keys, no more than there are keys.
    int ItemsCount() const { return FItemsCount; }
    bool KeyBased() const { return FKeyBased; }
    bool UseRightToLeftAlignment() const override;
    bool ListVisible() const { return FListVisible; }
    // The explicit value when stored; else True exactly for a key-based control without
    // OnNotInList.
    bool LimitTextToListValues() const;
    void SetLimitTextToListValues(bool Value);
    bool LimitTextToListValuesStored() const { return FLimitTextToListValuesStored; }
    void SetLimitTextToListValuesStored(bool Value);
    bool CaseInsensitiveTextSearch() const { return FCaseInsensitiveTextSearch; }
    void SetCaseInsensitiveTextSearch(bool Value);
    TNotInListEventEh OnNotInList() const { return FOnNotInList; }
    void SetOnNotInList(const TNotInListEventEh& Value);
    TComponentClass PopupListboxClass() const { return FPopupListboxClass; }
    void SetPopupListboxClass(TComponentClass Value) { FPopupListboxClass = Value; }
    // The list window, made on first use.
    TWinControl* PopupListbox() { return GetPopupListbox(); }
    TWinControl* GetPopupListbox();

    void Clear() override;
    void UpdateData() override;
    void CloseUp(bool Accept) override;
    virtual void DropDown(TEditButtonEh* AEditButton = nullptr);
    virtual void SelectNextValue(bool IsPrior);

    TCloseUpEventEh OnCloseUp;
    TAcceptEventEh OnClosingUp;
    TNotifyEvent OnDropDown;
    TListGetImageIndexEventEh OnGetItemImageIndex;
    TNotifyEvent OnGetItemsList;

protected:
    // ---- new operations, in the order descendants know them ----
    virtual TDropDownBoxEh* CreateDropDownBox();
    virtual bool LocateItemByText(const QString& AText, bool Prefix);
    virtual bool TypeTextIntoList(const QString& AText);
    virtual void RequestItemsList();
    virtual void InternalSetItemIndex(int Value);
    virtual void UpdateItemIndexFromText();
    virtual void UpdatePopupListItemIndex();
    virtual TColor GetPopupListboxColor();
    virtual TFont* GetPopupListboxFont();

    // ---- the edit's operations ----
    TEditButtonEh* CreateEditButton() override;
    TAlignment DefaultAlignment() const override;
    int DefaultImageIndex() override;
    QString GetDisplayTextForPaintCopy() override;
    Variant InternalGetValue() override;
    bool IsValidChar(QChar InputChar) override;
    void DataChanged() override;
    void EditButtonDownDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh* EditButtonControl,
                                     bool TopButton, bool& AutoRepeat, bool& Handled) override;
    void EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) override;
    void InternalSetText(const QString& AText) override;
    void InternalSetValue(const Variant& AValue) override;
    void UpdateFieldFromText() override;
    void ResetMaxLength() override;
    void UpdateReadOnlyState() override;
    void UpdateImageIndex() override;

    // ---- the platform's steps ----
    void Change() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void WMChar(TMessage& M) override;
    void WMPaste(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void WMSetCursor(TMessage& M) override;
    void CMWantSpecialKey(TMessage& M) override;
    void CMMouseWheel(TMessage& M) override;
    void CMCancelMode(TMessage& M) override;
    void WndProc(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void DoClick() override;
    bool DoMouseWheelDown(TShiftState Shift, TPoint MousePos) override;
    bool DoMouseWheelUp(TShiftState Shift, TPoint MousePos) override;

    // ---- own helpers ----
    void ItemsChanged(TObject* Sender);
    void KeyItemsChanged(TObject* Sender);
    void PopupListboxMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void PopupListboxGetImageIndex(TObject* Sender, int ItemIndex, int& ImageIndex);
    // The first usable item equal to (or, with Prefix, starting with) the text; with
    // IgnoreCase under the Russian collation.
    int FindItem(const QString& AText, bool Prefix, bool IgnoreCase) const;
    // The open list's row for the current item.
    TCustomListboxEh* OpenList() const;
    // A key-down that goes to the open list instead of the text.
    bool RouteKeyToList(TMessage& Message);
    bool IsEditButtonShortCut(Word Key) const;
    bool TextAreaPoint(TPoint P);

    // ---- fields ----
    TDropDownBoxEh* FDropDownBox = nullptr;
    int FItemIndex = -1;
    TStringList* FItems = nullptr;
    TStringList* FKeyItems = nullptr;
    bool FListVisible = false;
    TNotInListEventEh FOnNotInList;
    TWinControl* FPopupListbox = nullptr;
    TComponentClass FPopupListboxClass = nullptr;
    bool FCaseInsensitiveTextSearch = true;
    bool FLimitTextToListValues = false;
    bool FLimitTextToListValuesStored = false;
    int FItemsCount = 0;
    bool FKeyBased = false;
    Variant FVarValue = Variant::Null();
    int FDefaultItemIndex = -1;
    // The list's size when it opened: a different size at closing is the user's sizing.
    int FListOpenedWidth = 0;
    int FListOpenedHeight = 0;
};

class TDBComboBoxEh : public TCustomDBComboBoxEh {
    DOV_PERSISTENT(TDBComboBoxEh, TCustomDBComboBoxEh)
public:
    explicit TDBComboBoxEh(TComponent* AOwner);
};
