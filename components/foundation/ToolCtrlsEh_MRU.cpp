#include "ToolCtrlsEh.h"

#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/winapi/WinUser.h"

// ---------------------------------------------------------------- TMRUListEh

TMRUListEh::TMRUListEh(TPersistent* AOwner) : FItems(new TStringList), FOwner(AOwner) {}

TMRUListEh::~TMRUListEh()
{
    delete FItems;
}

void TMRUListEh::SetActive(bool Value)
{
    if (FActive == Value)
        return;
    FActive = Value;
    if (OnActiveChanged)
        OnActiveChanged(this);
}

void TMRUListEh::SetLimit(int Value)
{
    Value = std::max(Value, 0);
    if (FLimit == Value)
        return;
    FLimit = Value;
    TrimToLimit();
}

void TMRUListEh::TrimToLimit()
{
    if (FItems->Count() <= FLimit)
        return;
    TUpdateGuard update(FItems);
    while (FItems->Count() > FLimit)
        FItems->Delete(0);
}

void TMRUListEh::Add(const QString& S)
{
    if (Trim(S).isEmpty())
        return;
    for (int i = 0; i < FItems->Count(); ++i) {
        const QString item = FItems->Strings(i);
        if (FCaseSensitive ? item == S : AnsiSameText(item, S)) {
            FItems->Move(i, FItems->Count() - 1);
            return;
        }
    }
    FItems->Add(S);
    TrimToLimit();
}

bool TMRUListEh::KeyInQueue()
{
    TMsg msg;
    return PeekMessage(msg, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE);
}

bool TMRUListEh::FilterItemsTo(TStrings* FilteredItems, const QString& MaskText)
{
    TUpdateGuard update(FilteredItems);
    FilteredItems->Clear();
    const qsizetype n = MaskText.size();
    for (int i = 0; i < FItems->Count(); ++i) {
        const QString item = FItems->Strings(i);
        // Only the item's head is compared: a huge text costs no more than the mask.
        bool accept = item.size() >= n
            && (FCaseSensitive ? AnsiCompareStr(item.left(n), MaskText) : AnsiCompareText(item.left(n), MaskText)) == 0;
        if (OnFilterItem)
            OnFilterItem(this, accept);
        if (accept)
            FilteredItems->Add(item);
        if (i % 100 == 0 && FCancelIfKeyInQueue && KeyInQueue())
            return false;
    }
    return true;
}

void TMRUListEh::DropDown()
{
    if (OnSetDropDown)
        OnSetDropDown(this);
}

void TMRUListEh::CloseUp(bool Accept)
{
    if (OnSetCloseUp)
        OnSetCloseUp(this, Accept);
}

void TMRUListEh::Assign(TPersistent* Source)
{
    if (auto* src = dynamic_cast<TMRUListEh*>(Source)) {
        SetActive(src->FActive);
        SetItems(src->FItems);
        SetLimit(src->FLimit);
        SetRows(src->FRows);
        SetCaseSensitive(src->FCaseSensitive);
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------- special row

void ParseSpecRowCellsText(const QString& Text, TStrings* Cells)
{
    TUpdateGuard update(Cells);
    Cells->Clear();
    const qsizetype n = Text.size();
    qsizetype p = 0;
    auto skip = [&](char16_t hi) {
        while (p < n && Text[p].unicode() >= 1 && Text[p].unicode() <= hi)
            ++p;
    };
    skip(0x20);
    while (p < n && Text[p].unicode() != 0) {
        QString cell;
        if (Text[p] == u'"') {
            // Doubled quotes stand for one; an unclosed quote runs to the end.
            ++p;
            while (p < n) {
                if (Text[p] == u'"') {
                    if (p + 1 < n && Text[p + 1] == u'"') {
                        cell += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                cell += Text[p++];
            }
        } else {
            const qsizetype start = p;
            while (p < n && Text[p] != u';' && Text[p].unicode() >= 0x20)
                ++p;
            cell = Text.mid(start, p - start);
        }
        Cells->Add(cell);
        skip(0x1F);
        if (p < n && Text[p] == u';') {
            ++p;
            skip(0x1F);
        }
    }
}

TSpecRowEh::TSpecRowEh(TPersistent* Owner) : FCellsStrings(new TStringList), FFont(new TFont), FOwner(Owner)
{
    FValue = Null();
    if (TFont* def = DefaultFont(); def && def != FFont)
        FFont->Assign(def);
    FFont->OnChange = TNotifyEvent(this, &TSpecRowEh::FontChanged);
}

TSpecRowEh::~TSpecRowEh()
{
    delete FCellsStrings;
    delete FFont;
}

void TSpecRowEh::Changed()
{
    if (FUpdateCount == 0 && OnChanged)
        OnChanged(this);
}

void TSpecRowEh::EndUpdate()
{
    if (FUpdateCount > 0)
        --FUpdateCount;
    Changed();
}

void TSpecRowEh::FontChanged(TObject*)
{
    FFontAssigned = true;
    Changed();
}

void TSpecRowEh::SetCellsText(const QString& Value)
{
    FCellsText = Value;
    ParseSpecRowCellsText(Value, FCellsStrings);
    Changed();
}

QString TSpecRowEh::GetCellText(int Index) const
{
    return Index >= 0 && Index < FCellsStrings->Count() ? FCellsStrings->Strings(Index) : QString();
}

TColor TSpecRowEh::Color() const
{
    return FColorAssigned ? FColor : DefaultColor();
}

void TSpecRowEh::SetColor(TColor Value)
{
    if (FColorAssigned && FColor == Value)
        return;
    FColor = Value;
    FColorAssigned = true;
    Changed();
}

TFont* TSpecRowEh::DefaultFont() const
{
    if (auto* c = dynamic_cast<TControl*>(FOwner))
        return c->Font();
    return FFont;
}

TColor TSpecRowEh::DefaultColor() const
{
    if (auto* c = dynamic_cast<TCustomControl*>(FOwner))
        return c->Color();
    return FColor;
}

TFont* TSpecRowEh::Font()
{
    if (FFontAssigned)
        return FFont;
    TFont* def = DefaultFont();
    if (def != FFont && !FFont->Equals(def)) {
        // Follow the owner's font without counting it as set.
        const TNotifyEvent saved = FFont->OnChange;
        FFont->OnChange = nullptr;
        auto restore = Finally([&] { FFont->OnChange = saved; });
        FFont->Assign(def);
    }
    return FFont;
}

void TSpecRowEh::SetValue(const Variant& Value)
{
    if (VarEqualsEh(FValue, Value))
        return;
    FValue = Value;
    Changed();
}

void TSpecRowEh::SetVisible(bool Value)
{
    if (FVisible == Value)
        return;
    FVisible = Value;
    Changed();
}

void TSpecRowEh::SetShowIfNotInKeyList(bool Value)
{
    if (FShowIfNotInKeyList == Value)
        return;
    FShowIfNotInKeyList = Value;
    Changed();
}

bool TSpecRowEh::LocateKey(const Variant& KeyValue) const
{
    return FVisible && VarEqualsEh(FValue, KeyValue);
}

void TSpecRowEh::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TSpecRowEh*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    auto end = Finally([this] { EndUpdate(); });
    SetCellsText(src->FCellsText);
    SetColor(src->Color());
    if (src->FFontAssigned)
        SetFont(src->FFont);
    FShortCut = src->FShortCut;
    SetShowIfNotInKeyList(src->FShowIfNotInKeyList);
    SetValue(src->FValue);
    SetVisible(src->FVisible);
}
