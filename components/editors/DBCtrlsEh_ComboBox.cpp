// The combo box edit: items and key items, the value and text flow, searching and completing
// typed text, keys, the mouse, and the drop-down list.
#include "components/editors/DBCtrlsEh.h"

#include "components/foundation/GridsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/winapi/WinUser.h"

namespace {
TShortCut ShortCutFromKeyboard(Word Key)
{
    TShortCut s = Key;
    if (GetKeyState(VK_SHIFT) < 0)
        s |= 0x2000;
    if (GetKeyState(VK_CONTROL) < 0)
        s |= 0x4000;
    if (GetKeyState(VK_MENU) < 0)
        s |= 0x8000;
    return s;
}

TAlignment ToAlignment(TDropDownAlign Align)
{
    switch (Align) {
    case daRight: return taRightJustify;
    case daCenter: return taCenter;
    default: return taLeftJustify;
    }
}

bool IsStringField(const TField* F)
{
    return F && (F->DataType() == ftString || F->DataType() == ftWideString);
}
}

// ============================================================================================
// TDropDownBoxEh
// ============================================================================================

DOV_PUBLISHED(TDropDownBoxEh)
{
    P.Prop("Align", &TDropDownBoxEh::Align, &TDropDownBoxEh::SetAlign).Default(daLeft);
    P.Prop("AutoDrop", &TDropDownBoxEh::AutoDrop, &TDropDownBoxEh::SetAutoDrop).Default(false);
    P.Prop("Rows", &TDropDownBoxEh::Rows, &TDropDownBoxEh::SetRows).Default(7);
    P.Prop("Sizable", &TDropDownBoxEh::Sizable, &TDropDownBoxEh::SetSizable).Default(false);
    P.Prop("Width", &TDropDownBoxEh::Width, &TDropDownBoxEh::SetWidth).Default(0);
}

void TDropDownBoxEh::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TDropDownBoxEh*>(Source)) {
        FAlign = s->FAlign;
        FRows = s->FRows;
        FWidth = s->FWidth;
        FSizable = s->FSizable;
        return;
    }
    TPersistent::Assign(Source);
}

// ============================================================================================
// Creation
// ============================================================================================

DOV_PUBLISHED(TCustomDBComboBoxEh) {}

DOV_PUBLISHED(TDBComboBoxEh)
{
    P.Prop("Alignment", &TDBComboBoxEh::Alignment, &TDBComboBoxEh::SetAlignment)
        .Stored(&TDBComboBoxEh::IsAlignmentStored);
    P.Prop("CaseInsensitiveTextSearch", &TDBComboBoxEh::CaseInsensitiveTextSearch,
           &TDBComboBoxEh::SetCaseInsensitiveTextSearch).Default(true);
    P.Prop("DataField", &TDBComboBoxEh::DataField, &TDBComboBoxEh::SetDataField);
    P.Prop("DataSource", &TDBComboBoxEh::DataSource, &TDBComboBoxEh::SetDataSource);
    P.Prop("DropDownBox", &TDBComboBoxEh::DropDownBox, &TDBComboBoxEh::SetDropDownBox);
    P.Prop("EditButton", &TDBComboBoxEh::EditButton, &TDBComboBoxEh::SetEditButton);
    P.Prop("EditButtons", &TDBComboBoxEh::EditButtons, &TDBComboBoxEh::SetEditButtons);
    P.Prop("EditMask", &TDBComboBoxEh::EditMask, &TDBComboBoxEh::SetEditMask)
        .Stored(&TDBComboBoxEh::IsEditMaskStored);
    P.Prop("Flat", &TDBComboBoxEh::Flat, &TDBComboBoxEh::SetFlat).Default(false);
    P.Prop("Images", &TDBComboBoxEh::Images, &TDBComboBoxEh::SetImages);
    P.Prop("Items", &TDBComboBoxEh::Items, &TDBComboBoxEh::SetItems);
    P.Prop("KeyItems", &TDBComboBoxEh::KeyItems, &TDBComboBoxEh::SetKeyItems);
    P.Prop("LimitTextToListValues", &TDBComboBoxEh::LimitTextToListValues,
           &TDBComboBoxEh::SetLimitTextToListValues).Stored(&TDBComboBoxEh::LimitTextToListValuesStored);
    P.Prop("LimitTextToListValuesStored", &TDBComboBoxEh::LimitTextToListValuesStored,
           &TDBComboBoxEh::SetLimitTextToListValuesStored).Default(false);
    P.Prop("MaxLength", &TDBComboBoxEh::MaxLength, &TDBComboBoxEh::SetMaxLength).Default(0);
    P.Prop("ReadOnly", &TDBComboBoxEh::ReadOnly, &TDBComboBoxEh::SetReadOnly).Default(false);
    P.Prop("Text", &TDBComboBoxEh::Text, &TDBComboBoxEh::SetText);
    P.Prop("WordWrap", &TDBComboBoxEh::WordWrap, &TDBComboBoxEh::SetWordWrap).Default(false);
}

TDBComboBoxEh::TDBComboBoxEh(TComponent* AOwner) : TCustomDBComboBoxEh(AOwner) {}

TCustomDBComboBoxEh::TCustomDBComboBoxEh(TComponent* AOwner) : TCustomDBEditEh(AOwner) {}

void TCustomDBComboBoxEh::AfterConstruction()
{
    // The edit's creation steps already ask for the value, the read-only rule and the image,
    // which read the lists.
    FItems = new TStringList;
    FItems->SetCaseSensitive(false);
    FItems->OnChange = TNotifyEvent(this, &TCustomDBComboBoxEh::ItemsChanged);
    FKeyItems = new TStringList;
    FKeyItems->SetCaseSensitive(true);
    FKeyItems->OnChange = TNotifyEvent(this, &TCustomDBComboBoxEh::KeyItemsChanged);
    FDropDownBox = CreateDropDownBox();
    TCustomDBEditEh::AfterConstruction();
}

TCustomDBComboBoxEh::~TCustomDBComboBoxEh()
{
    // The list window shows Items; it goes before them.
    delete FPopupListbox;
    FPopupListbox = nullptr;
    delete FDropDownBox;
    FDropDownBox = nullptr;
    FKeyItems->OnChange = nullptr;
    delete FKeyItems;
    FKeyItems = nullptr;
    FItems->OnChange = nullptr;
    delete FItems;
    FItems = nullptr;
}

TDropDownBoxEh* TCustomDBComboBoxEh::CreateDropDownBox()
{
    return new TDropDownBoxEh(this);
}

TEditButtonEh* TCustomDBComboBoxEh::CreateEditButton()
{
    return Create<TVisibleEditButtonEh>(static_cast<TWinControl*>(this));
}

// ============================================================================================
// Properties
// ============================================================================================

void TCustomDBComboBoxEh::SetItems(TStrings* Value)
{
    FItems->Assign(Value);
}

void TCustomDBComboBoxEh::SetKeyItems(TStrings* Value)
{
    FKeyItems->Assign(Value);
}

void TCustomDBComboBoxEh::SetDropDownBox(TDropDownBoxEh* Value)
{
    FDropDownBox->Assign(Value);
}

void TCustomDBComboBoxEh::SetItemIndex(int Value)
{
    EditPutAndUpdate([&] { InternalSetItemIndex(Value); }, true, false);
}

bool TCustomDBComboBoxEh::LimitTextToListValues() const
{
    if (FLimitTextToListValuesStored)
        return FLimitTextToListValues;
    return FKeyItems->Count() > 0 && !FOnNotInList;
}

void TCustomDBComboBoxEh::SetLimitTextToListValues(bool Value)
{
    if (FLimitTextToListValuesStored && Value == FLimitTextToListValues)
        return;
    SetLimitTextToListValuesStored(true);
    FLimitTextToListValues = Value;
    UpdateReadOnlyState();
}

void TCustomDBComboBoxEh::SetLimitTextToListValuesStored(bool Value)
{
    if (Value == FLimitTextToListValuesStored)
        return;
    // Either way the value is the default at the moment of the change.
    FLimitTextToListValuesStored = false;
    FLimitTextToListValues = LimitTextToListValues();
    FLimitTextToListValuesStored = Value;
    UpdateReadOnlyState();
}

void TCustomDBComboBoxEh::SetCaseInsensitiveTextSearch(bool Value)
{
    if (FCaseInsensitiveTextSearch == Value)
        return;
    FCaseInsensitiveTextSearch = Value;
    FItems->SetCaseSensitive(!Value);
}

void TCustomDBComboBoxEh::SetOnNotInList(const TNotInListEventEh& Value)
{
    FOnNotInList = Value;
    // The default of LimitTextToListValues follows the handler.
    UpdateReadOnlyState();
}

TWinControl* TCustomDBComboBoxEh::GetPopupListbox()
{
    if (FPopupListbox)
        return FPopupListbox;
    TComponent* made = nullptr;
    if (FPopupListboxClass && FPopupListboxClass->CreateComponent)
        made = FPopupListboxClass->CreateComponent(this);
    FPopupListbox = made ? dynamic_cast<TWinControl*>(made) : nullptr;
    if (!FPopupListbox) {
        delete made;
        FPopupListbox = Create<TPopupListboxEh>(this);
    }
    FPopupListbox->SetVisible(false);
    FPopupListbox->SetParentWindow(nullptr);
    if (auto* list = dynamic_cast<TPopupListboxEh*>(FPopupListbox)) {
        list->SetCtl3D(true);
        list->OnMouseUp = TMouseEvent(this, &TCustomDBComboBoxEh::PopupListboxMouseUp);
        list->OnGetImageIndex = TListGetImageIndexEventEh(this, &TCustomDBComboBoxEh::PopupListboxGetImageIndex);
    }
    return FPopupListbox;
}

TCustomListboxEh* TCustomDBComboBoxEh::OpenList() const
{
    return FListVisible ? dynamic_cast<TCustomListboxEh*>(FPopupListbox) : nullptr;
}

void TCustomDBComboBoxEh::PopupListboxMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y)
{
    auto* list = dynamic_cast<TPopupListboxEh*>(FPopupListbox);
    if (Button == mbLeft && list && list->IsMouseUpCloseListbox())
        CloseUp(PtInRect(list->ClientRect(), TPoint(X, Y)));
}

void TCustomDBComboBoxEh::PopupListboxGetImageIndex(TObject*, int ItemIndex, int& ImageIndex)
{
    if (OnGetItemImageIndex)
        OnGetItemImageIndex(this, ItemIndex, ImageIndex);
}

// ============================================================================================
// Items
// ============================================================================================

void TCustomDBComboBoxEh::ItemsChanged(TObject*)
{
    // New lists are no edit of the user's: leaving the control must not write them back.
    const bool linkModified = FDataLink->IsModified();
    const bool modified = Modified;
    auto restore = Finally([&] {
        FDataLink->SetModified(linkModified);
        Modified = modified;
    });
    FItemsCount = FItems->Count();
    FKeyBased = FKeyItems->Count() > 0;
    if (FKeyBased) {
        FItemsCount = std::min(FItemsCount, FKeyItems->Count());
        // The text shows the item of the key the control holds, as far as the new lists know it.
        InternalSetValue(FVarValue);
    }
    UpdateReadOnlyState();
    UpdateItemIndexFromText();
    ResetMaxLength();
    if (TCustomListboxEh* list = OpenList()) {
        list->SetCount(FItemsCount);
        list->Invalidate();
    }
}

void TCustomDBComboBoxEh::KeyItemsChanged(TObject* Sender)
{
    ItemsChanged(Sender);
    LinkDataChanged(nullptr);
}

void TCustomDBComboBoxEh::RequestItemsList()
{
    if (FItems->Count() == 0 && OnGetItemsList)
        OnGetItemsList(this);
}

int TCustomDBComboBoxEh::FindItem(const QString& AText, bool Prefix, bool IgnoreCase) const
{
    // Only the usable items: an item without a key can be neither shown as a value nor chosen.
    const int len = int(AText.size());
    for (int i = 0; i < FItemsCount; ++i) {
        const QString item = FItems->Strings(i);
        if (item.size() < len || (!Prefix && item.size() != len))
            continue;
        const QString head = Prefix ? item.left(len) : item;
        if ((IgnoreCase ? AnsiCompareText(head, AText) : CompareStr(head, AText)) == 0)
            return i;
    }
    return -1;
}

void TCustomDBComboBoxEh::UpdateItemIndexFromText()
{
    FItemIndex = FindItem(EditText(), false, FCaseInsensitiveTextSearch);
    UpdatePopupListItemIndex();
    UpdateImageIndex();
}

void TCustomDBComboBoxEh::UpdatePopupListItemIndex()
{
    if (TCustomListboxEh* list = OpenList()) {
        list->SetItemIndex(FItemIndex);
        list->Invalidate();
    }
}

void TCustomDBComboBoxEh::InternalSetItemIndex(int Value)
{
    if (Value == FItemIndex)
        return;
    RequestItemsList();
    if (Value < 0 || Value >= FItemsCount) {
        FItemIndex = -1;
        FVarValue = Variant::Null();
    } else {
        FItemIndex = Value;
        if (FKeyBased)
            FVarValue = Variant(FKeyItems->Strings(Value));
    }
    UpdateImageIndex();
    UpdatePopupListItemIndex();
    const int index = FItemIndex;
    if (index >= 0)
        TCustomMaskEdit::SetEditText(FItems->Strings(index));
    else if (FKeyBased)
        // A key-based text only takes list texts, and an empty one is none of them.
        TCustomMaskEdit::SetEditText(QString());
    else
        InternalSetText(QString());
    // Of equal texts the chosen one stays current.
    FItemIndex = index;
}

// ============================================================================================
// Value and text
// ============================================================================================

Variant TCustomDBComboBoxEh::InternalGetValue()
{
    return FKeyBased ? FVarValue : TCustomDBEditEh::InternalGetValue();
}

void TCustomDBComboBoxEh::InternalSetValue(const Variant& AValue)
{
    if (!FKeyBased) {
        TCustomDBEditEh::InternalSetValue(AValue);
        UpdateItemIndexFromText();
        return;
    }
    FVarValue = AValue;
    int index = -1;
    if (!AValue.IsNull() && !AValue.IsEmpty()) {
        index = FKeyItems->IndexOf(SafeVarToStr(AValue));
        // A key without an item is not among the values either.
        if (index >= FItemsCount)
            index = -1;
    }
    TCustomMaskEdit::SetEditText(index >= 0 ? FItems->Strings(index) : QString());
    FItemIndex = index;
    UpdateImageIndex();
    UpdatePopupListItemIndex();
}

void TCustomDBComboBoxEh::InternalSetText(const QString& AText)
{
    if (!FKeyBased) {
        TCustomDBEditEh::InternalSetText(AText);
        UpdateItemIndexFromText();
        return;
    }
    const int index = FindItem(AText, false, FCaseInsensitiveTextSearch);
    if (index < 0)
        return;
    FItemIndex = index;
    UpdateImageIndex();
    UpdatePopupListItemIndex();
    FVarValue = Variant(FKeyItems->Strings(index));
    TCustomDBEditEh::InternalSetText(AText);
    FItemIndex = index;
}

void TCustomDBComboBoxEh::Clear()
{
    if (FKeyBased)
        SetValue(Variant::Null());
    else
        TCustomDBEditEh::Clear();
}

void TCustomDBComboBoxEh::DataChanged()
{
    if (TField* f = FDataLink->Field()) {
        Variant value;
        bool handled = false;
        if (OnGetFieldData)
            OnGetFieldData(this, value, handled);
        const bool editable = FFocused && FDataLink->CanModify();
        if (!handled) {
            if (dynamic_cast<TMemoField*>(f) || dynamic_cast<TWideMemoField*>(f))
                value = Variant(f->AsString());
            else if (FKeyBased && f->IsNull())
                value = Variant::Null();
            else
                value = Variant(editable || FKeyBased ? f->Text() : f->DisplayText());
            if (f->Alignment() != FAlignment)
                Invalidate();
            if (!FAssignedValues.Contains(evEditMaskEh))
                TCustomMaskEdit::SetEditMask(f->EditMask());
            if (!ComponentState().Contains(csDesigning) && !FKeyBased && IsStringField(f) && MaxLength() == 0)
                SetMaxLength(f->Size());
        }
        if (editable || FKeyBased)
            InternalSetValue(value.IsNull() || value.IsEmpty() ? Variant::Null() : Variant(SafeVarToStr(value)));
        else
            TCustomMaskEdit::SetEditText(SafeVarToStr(value));
    } else {
        if (!FAssignedValues.Contains(evEditMaskEh))
            TCustomMaskEdit::SetEditMask(QString());
        if (DataIndepended() && FKeyBased)
            InternalSetValue(FDataLink->DataIndependentValue);
        else if (DataIndepended())
            TCustomMaskEdit::SetEditText(SafeVarToStr(FDataLink->DataIndependentValue));
        else if (FKeyBased)
            // The dataset went away: no key is held any more.
            InternalSetValue(Variant::Null());
        else
            TCustomMaskEdit::SetEditText(QString());
        // Nothing chosen from an open list can reach a dataset that is gone.
        if (!DataIndepended())
            CloseUp(false);
    }
    UpdateReadOnlyState();
    Modified = false;
}

void TCustomDBComboBoxEh::UpdateFieldFromText()
{
    if (!DataIndepended() || FKeyBased)
        FDataLink->SetText(SafeVarToStr(Value()));
    else
        FDataLink->SetText(EditText());
}

void TCustomDBComboBoxEh::UpdateData()
{
    if (FOnNotInList && FItemIndex == -1) {
        bool recheck = false;
        const QString typed = Text();
        FOnNotInList(this, typed, recheck);
        // The handler may have added the text to the lists (which shows the held value again):
        // then the typed text is a value like any other.
        if (recheck) {
            const int index = FindItem(typed, false, FCaseInsensitiveTextSearch);
            if (index >= 0) {
                FItemIndex = -1;
                InternalSetItemIndex(index);
            }
        }
    }
    TCustomDBEditEh::UpdateData();
}

void TCustomDBComboBoxEh::ResetMaxLength()
{
    if (MaxLength() <= 0)
        return;
    if (FKeyBased)
        SetMaxLength(0);
    else
        TCustomDBEditEh::ResetMaxLength();
}

TAlignment TCustomDBComboBoxEh::DefaultAlignment() const
{
    return FKeyBased ? taLeftJustify : TCustomDBEditEh::DefaultAlignment();
}

bool TCustomDBComboBoxEh::UseRightToLeftAlignment() const
{
    // A key-based box shows item texts, not the field's value: it mirrors by the alignment
    // it shows, whatever the bound key field's own alignment.
    if (!FKeyBased)
        return TCustomDBEditEh::UseRightToLeftAlignment();
    return TControl::UseRightToLeftAlignment() && Alignment() == taLeftJustify;
}

bool TCustomDBComboBoxEh::IsValidChar(QChar InputChar)
{
    return FKeyBased || TCustomDBEditEh::IsValidChar(InputChar);
}

void TCustomDBComboBoxEh::UpdateReadOnlyState()
{
    // Limited to the list, the control edits the text itself.
    if (LimitTextToListValues())
        SetEditReadOnly(true);
    else
        TCustomDBEditEh::UpdateReadOnlyState();
}

void TCustomDBComboBoxEh::UpdateImageIndex()
{
    FDefaultItemIndex = FItemIndex;
    if (OnGetItemImageIndex)
        OnGetItemImageIndex(this, FItemIndex, FDefaultItemIndex);
    TCustomDBEditEh::UpdateImageIndex();
}

int TCustomDBComboBoxEh::DefaultImageIndex()
{
    return FDefaultItemIndex;
}

QString TCustomDBComboBoxEh::GetDisplayTextForPaintCopy()
{
    TField* f = Field();
    if (!FKeyBased || !f || !ControlState.Contains(csPaintCopy) ||
        (ComponentState().Contains(csDesigning) && !FDataLink->Active()))
        return TCustomDBEditEh::GetDisplayTextForPaintCopy();
    const int index = FKeyItems->IndexOf(f->Text());
    if (index < 0 || index >= FItemsCount)
        return QString();
    const QString s = FItems->Strings(index);
    if (CharCase() == ecUpperCase)
        return AnsiUpperCase(s);
    if (CharCase() == ecLowerCase)
        return AnsiLowerCase(s);
    return s;
}

TColor TCustomDBComboBoxEh::GetPopupListboxColor()
{
    return Color();
}

TFont* TCustomDBComboBoxEh::GetPopupListboxFont()
{
    return Font();
}

void TCustomDBComboBoxEh::Change()
{
    UpdateItemIndexFromText();
    TCustomDBEditEh::Change();
}

// ============================================================================================
// Searching and completing
// ============================================================================================

bool TCustomDBComboBoxEh::LocateItemByText(const QString& AText, bool Prefix)
{
    if (!EditCanModify())
        return false;
    const int old = FItemIndex;
    try {
        int found = FindItem(AText, Prefix, false);
        if (found < 0 && FCaseInsensitiveTextSearch)
            found = FindItem(AText, Prefix, true);
        if (found < 0) {
            if (!LimitTextToListValues())
                InternalSetItemIndex(-1);
        } else {
            InternalSetItemIndex(found);
            TCustomMaskEdit::SetEditText(FItems->Strings(found));
            FItemIndex = found;
            // The caret at the end, the completed part selected.
            const int len = int(Text().size());
            const int typed = std::min(int(AText.size()), len);
            SetSelStart(typed);
            SetSelLength(len - typed);
        }
        return FItemIndex != old;
    } catch (...) {
        FItemIndex = old;
        return false;
    }
}

bool TCustomDBComboBoxEh::TypeTextIntoList(const QString& AText)
{
    if ((!DataIndepended() && !Field()) || !EditCanModify())
        return false;
    const int len = int(Text().size());
    const int selStart = std::min(SelStart(), SelStart() + SelLength());
    const int selLength = std::abs(SelLength());
    if (AText == QString(QChar(8))) {
        // Backspace moves the boundary of the typed part one character to the left.
        const int grown = selLength >= len ? 1 : selLength + 1;
        const int start = std::max(len - grown, 0);
        SetSelStart(start);
        SetSelLength(len - start);
        return false;
    }
    const QString newText = Text().left(selStart) + AText;
    RequestItemsList();
    if (newText.isEmpty() || FItems->Count() == 0)
        return false;
    return LocateItemByText(newText, true);
}

// ============================================================================================
// Keys
// ============================================================================================

bool TCustomDBComboBoxEh::IsEditButtonShortCut(Word Key) const
{
    const TShortCut s = ShortCutFromKeyboard(Key);
    if (FEditButton->ShortCut() == s)
        return true;
    for (int i = 0; i < FEditButtons->Count(); ++i)
        if (FEditButtons->Items(i)->ShortCut() == s)
            return true;
    return false;
}

bool TCustomDBComboBoxEh::RouteKeyToList(TMessage& Message)
{
    const Word key = Word(Message.WParam);
    if (!FPopupListbox || IsEditButtonShortCut(key))
        return false;
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN ||
        ((key == VK_HOME || key == VK_END) && ctrl)) {
        FPopupListbox->Perform(Message.Msg, Message.WParam, Message.LParam);
        return true;
    }
    return false;
}

void TCustomDBComboBoxEh::WndProc(TMessage& Message)
{
    if (FListVisible && (Message.Msg == WM_KEYDOWN || Message.Msg == WM_SYSKEYDOWN) && RouteKeyToList(Message))
        return;
    TCustomDBEditEh::WndProc(Message);
}

void TCustomDBComboBoxEh::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomDBEditEh::KeyDown(Key, Shift);
    if (Key == 0)
        return;
    if (Key == VK_UP || Key == VK_DOWN) {
        const bool wholeSelected = std::abs(SelLength()) == int(Text().size());
        if (!ReadOnly() && !FListVisible && (!WordWrap() || wholeSelected) && EditCanModify()) {
            SelectNextValue(Key == VK_UP);
            Key = 0;
        }
        return;
    }
    const bool limited = LimitTextToListValues();
    if (Key == VK_DELETE && limited && (DataIndepended() || !Field() || !Field()->Required()) && !ReadOnly() &&
        EditCanModify()) {
        InternalSetValue(Variant::Null());
        return;
    }
    if (Key == 'V' && Shift == TShiftState{ssCtrl} && limited && !ReadOnly()) {
        Perform(WM_PASTE, 0, 0);
        Key = 0;
    }
}

void TCustomDBComboBoxEh::KeyPress(QChar& Key)
{
    if (FListVisible && (Key == QChar(13) || Key == QChar(27))) {
        CloseUp(Key == QChar(13));
        Key = QChar(0);
        return;
    }
    TCustomDBEditEh::KeyPress(Key);
    if (Key.isNull())
        return;
    const bool limited = LimitTextToListValues() && !ReadOnly();
    if (Key == QChar(8) && limited) {
        TypeTextIntoList(QString(QChar(8)));
        Key = QChar(0);
        return;
    }
    if (Key.unicode() <= 31)
        return;
    if (FDropDownBox->AutoDrop() && !FListVisible)
        DropDown();
    if (limited) {
        QString typed = GetCompleteKeyPress();
        if (typed.isEmpty())
            typed = QString(Key);
        TypeTextIntoList(typed);
        Key = QChar(0);
    }
}

void TCustomDBComboBoxEh::WMChar(TMessage& M)
{
    TCustomDBEditEh::WMChar(M);
    const auto c = char16_t(M.WParam);
    // Typing only: control characters other than Backspace complete nothing.
    if (c == 0 || (c < 32 && c != 8) || c == u'.' || LimitTextToListValues() || GetKeyState(VK_CONTROL) < 0)
        return;
    const int len = int(Text().size());
    const int caret = std::min(SelStart(), SelStart() + SelLength());
    if (caret != len || SelLength() != 0 || c == 8) {
        RequestItemsList();
        if (LocateItemByText(Text(), false)) {
            SetSelStart(caret);
            SetSelLength(int(Text().size()) - caret);
        }
    } else {
        TypeTextIntoList(QString());
    }
}

void TCustomDBComboBoxEh::WMPaste(TMessage& M)
{
    if (!LimitTextToListValues()) {
        TCustomDBEditEh::WMPaste(M);
        return;
    }
    if (Clipboard()->HasFormat(CF_TEXT))
        TypeTextIntoList(Clipboard()->AsText());
}

void TCustomDBComboBoxEh::CMWantSpecialKey(TMessage& M)
{
    const Word key = Word(M.WParam);
    if (FListVisible && (key == VK_RETURN || key == VK_ESCAPE)) {
        M.Result = 1;
        return;
    }
    TCustomDBEditEh::CMWantSpecialKey(M);
}

void TCustomDBComboBoxEh::SelectNextValue(bool IsPrior)
{
    if (!EditCanModify())
        return;
    RequestItemsList();
    const int old = FItemIndex;
    if (IsPrior) {
        if (FItemIndex > 0)
            InternalSetItemIndex(FItemIndex - 1);
        else if (FItemIndex < 0 && FItemsCount > 0)
            InternalSetItemIndex(FItemsCount - 1);
    } else if (FItemIndex < FItemsCount - 1) {
        InternalSetItemIndex(FItemIndex + 1);
    }
    if (FItemIndex != old)
        SelectAll();
}

// ============================================================================================
// Mouse
// ============================================================================================

void TCustomDBComboBoxEh::CMMouseWheel(TMessage& M)
{
    if (FListVisible && FPopupListbox) {
        if (FPopupListbox->Perform(CM_MOUSEWHEEL, M.WParam, M.LParam) != 0) {
            M.Result = 1;
            return;
        }
    }
    TCustomDBEditEh::CMMouseWheel(M);
}

bool TCustomDBComboBoxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (TCustomDBEditEh::DoMouseWheelDown(Shift, MousePos))
        return true;
    if (Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) || ReadOnly() ||
        !FDataLink->Edit())
        return false;
    SelectNextValue(false);
    return true;
}

bool TCustomDBComboBoxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (TCustomDBEditEh::DoMouseWheelUp(Shift, MousePos))
        return true;
    if (Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt) || ReadOnly() ||
        !FDataLink->Edit())
        return false;
    SelectNextValue(true);
    return true;
}

bool TCustomDBComboBoxEh::TextAreaPoint(TPoint P)
{
    return !(FButtonsBox && FButtonsBox->Visible() && PtInRect(GetButtonsBoxRect(), P));
}

void TCustomDBComboBoxEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!LimitTextToListValues()) {
        TCustomDBEditEh::MouseDown(Button, Shift, X, Y);
        return;
    }
    // The text is not the window's to edit: only the control's own mouse events, then the list.
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && TextAreaPoint(TPoint(X, Y)) && Enabled() && !FDroppedDown &&
        !Shift.Contains(ssDouble)) {
        if (CanFocus() && !Focused())
            SetFocus();
        FNoClickCloseUp = true;
        DropDown();
    }
}

void TCustomDBComboBoxEh::DoClick()
{
    if (LimitTextToListValues()) {
        if (FListVisible && !FNoClickCloseUp)
            CloseUp(false);
        FNoClickCloseUp = false;
    }
    TCustomDBEditEh::DoClick();
}

void TCustomDBComboBoxEh::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FListVisible && FPopupListbox && MouseCapture()) {
        // A press that opened the list and drags into it goes on as a press in the list.
        const TPoint p = FPopupListbox->ScreenToClient(ClientToScreen(TPoint(X, Y)));
        if (PtInRect(FPopupListbox->ClientRect(), p)) {
            SetMouseCapture(false);
            FPopupListbox->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(p.X), WORD(p.Y)));
            return;
        }
    }
    TCustomDBEditEh::MouseMove(Shift, X, Y);
}

void TCustomDBComboBoxEh::EditButtonMouseMove(TObject* Sender, TShiftState Shift, int X, int Y)
{
    auto* control = dynamic_cast<TControl*>(Sender);
    if (FListVisible && FPopupListbox && control && control->MouseCapture() &&
        control == GetEditButtonControlByEditButton(FEditButton)) {
        const TPoint p = FPopupListbox->ScreenToClient(control->ClientToScreen(TPoint(X, Y)));
        if (PtInRect(FPopupListbox->ClientRect(), p)) {
            control->SetMouseCapture(false);
            FPopupListbox->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(WORD(p.X), WORD(p.Y)));
            return;
        }
    }
    TCustomDBEditEh::EditButtonMouseMove(Sender, Shift, X, Y);
}

void TCustomDBComboBoxEh::WMSetCursor(TMessage& M)
{
    if (LimitTextToListValues()) {
        ShowWindowCursor(crArrow);
        M.Result = 1;
        return;
    }
    TCustomDBEditEh::WMSetCursor(M);
}

// ============================================================================================
// Buttons
// ============================================================================================

void TCustomDBComboBoxEh::EditButtonDownDefaultAction(TEditButtonEh* EditButton, TEditButtonControlEh*,
                                                      bool TopButton, bool&, bool& Handled)
{
    if (EditButton->Style() == ebsUpDownEh || EditButton->Style() == ebsAltUpDownEh) {
        if (!ReadOnly() && FDataLink->Edit())
            SelectNextValue(TopButton);
        Handled = true;
        return;
    }
    // A press on an open list's button is left to the click, which closes the list.
    if (!FDroppedDown) {
        DropDown(EditButton);
        FNoClickCloseUp = true;
    }
}

// ============================================================================================
// The drop-down list
// ============================================================================================

void TCustomDBComboBoxEh::DropDown(TEditButtonEh* AEditButton)
{
    if (FListVisible)
        return;
    TEditButtonEh* button = AEditButton ? AEditButton : GetFirstDefaultActionEditButton();
    if (button)
        SetDropDownState(button, GetEditButtonControlByEditButton(button));
    if (OnDropDown)
        OnDropDown(this);
    auto* list = dynamic_cast<TPopupListboxEh*>(GetPopupListbox());
    if (!list) {
        ClearDropDownState();
        return;
    }
    RequestItemsList();
    list->SetColor(GetPopupListboxColor());
    list->SetFont(GetPopupListboxFont());
    TCustomImageList* images = Images();
    list->SetImageList(images);
    int itemHeight = list->GetTextHeight();
    if (images && FEditImage->UseImageHeight() && itemHeight <= images->Height())
        itemHeight = images->Height();
    list->SetItemHeight(itemHeight);
    list->SetExtItems(FItems);
    // Only the usable items are offered.
    list->SetCount(FItemsCount);
    list->SetItemIndex(FItemIndex < FItemsCount ? FItemIndex : -1);
    int rows = FDropDownBox->Rows();
    int width;
    if (FDropDownBox->Width() == -1) {
        TCanvas* c = MeasureCanvasEh(Font());
        int widest = 0;
        for (int i = 0; i < FItemsCount; ++i)
            widest = std::max(widest, c->TextWidth(FItems->Strings(i)));
        width = widest + (images ? images->Width() + 9 : 5) + list->GetBorderSize();
    } else if (FDropDownBox->Width() > 0) {
        width = FDropDownBox->Width();
    } else {
        width = Width();
    }
    width = std::max(width, Width());
    if (FItemsCount < rows)
        rows = std::max(FItemsCount, 1);
    list->SetWidth(width);
    list->SetRowCount(rows);
    TDropDownAlign align = FDropDownBox->Align();
    if (UseRightToLeftAlignment()) {
        if (align == daLeft)
            align = daRight;
        else if (align == daRight)
            align = daLeft;
    }
    TPoint pos;
    PlaceDropDownUnderControl(this, list, ToAlignment(align), pos);
    list->SetBounds(pos.X, pos.Y, list->Width(), list->Height());
    list->SetVisible(true);
    FListVisible = true;
    // What the size grip does from here on is the user's.
    FListOpenedWidth = list->Width();
    FListOpenedHeight = list->Height();
    FDroppedDown = true;
}

void TCustomDBComboBoxEh::CloseUp(bool Accept)
{
    if (!FListVisible)
        return;
    auto* list = dynamic_cast<TCustomListboxEh*>(FPopupListbox);
    if (HWND capture = GetCapture())
        if (TWinControl* holder = FindControl(capture))
            holder->Perform(WM_CANCELMODE, 0, 0);
    FPopupListbox->SetVisible(false);
    auto* popup = dynamic_cast<TPopupListboxEh*>(FPopupListbox);
    if (popup && (popup->Width() != FListOpenedWidth || popup->Height() != FListOpenedHeight)) {
        FDropDownBox->SetRows(popup->FittingRowCount());
        FDropDownBox->SetWidth(popup->Width());
    }
    if (FPopupListbox->Focused() && CanFocus())
        SetFocus();
    FListVisible = false;
    TCustomDBEditEh::CloseUp(Accept);
    if (OnClosingUp)
        OnClosingUp(this, Accept);
    if (Accept && !ReadOnly() && FDataLink->Edit()) {
        InternalSetItemIndex(list ? list->ItemIndex() : -1);
        if (Focused())
            SelectAll();
    }
    ClearDropDownState();
    if (OnCloseUp)
        OnCloseUp(this, Accept);
}

void TCustomDBComboBoxEh::WMKillFocus(TMessage& M)
{
    const HWND to = HWND(M.WParam);
    if (FListVisible && !(FPopupListbox && to && to == FPopupListbox->HandleIfAllocated()))
        CloseUp(false);
    TCustomDBEditEh::WMKillFocus(M);
}

void TCustomDBComboBoxEh::CMCancelMode(TMessage& M)
{
    TCustomDBEditEh::CMCancelMode(M);
    auto* sender = reinterpret_cast<TControl*>(M.LParam);
    if (FListVisible && sender != this && sender != FPopupListbox &&
        !(sender && FPopupListbox && sender->Parent() == FPopupListbox))
        CloseUp(false);
}
