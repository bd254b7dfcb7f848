#include "GridsEh.h"

#include "GridToolCtrlsEh.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/SysUtils.h"
#include "platform/winapi/WinGdi.h"
#include "platform/winapi/WinUser.h"

#include <memory>

// ---------------------------------------------------------------- item objects

void TCustomListboxItemEh::GetDisplayText(TCustomListboxEh* Listbox, int Index, QString& Text)
{
    Listbox->GetItemText(Index, Text);
}

void TCustomListboxItemEh::DrawItem(TCustomListboxEh* Listbox, int Index, const TRect& ARect, TGridDrawState State)
{
    Listbox->DefaultDrawItem(Index, ARect, State);
}

void TPopupListboxItemEh::MouseUp(TCustomListboxEh* Listbox, int Index, bool& CloseListbox, TShiftState, TMouseButton,
                                  TPoint)
{
    CloseListbox = CloseOnExecute(Listbox, Index);
}

TPopupListboxItemEh* PopupListboxItemEh()
{
    static const std::unique_ptr<TPopupListboxItemEh> item(new TPopupListboxItemEh);
    return item.get();
}

// ---------------------------------------------------------------- TCustomListboxEh

DOV_PUBLISHED(TCustomListboxEh) {}

TCustomListboxEh::TCustomListboxEh(TComponent* AOwner) : TCustomGridEh(AOwner)
{
    FItems = std::make_unique<TStringList>();
    FItems->OnChange = TNotifyEvent(this, &TCustomListboxEh::ItemsChanged);
}

void TCustomListboxEh::AfterConstruction()
{
    TCustomGridEh::AfterConstruction();
    SetOptions(TGridOptionsEh{goDrawFocusSelectedEh});
    SetFixedColCount(0);
    SetColCount(1);
    SetFixedRowCount(0);
    SetRowCount(1);
    HorzScrollBar()->SetVisibleMode(sbNeverShowEh);
    SetSizeGripAlwaysShow(true);
    FRowSeleced = false;
}

TCustomListboxEh::~TCustomListboxEh()
{
    FItems->OnChange = nullptr;
    FItems.reset();
}

TStrings* TCustomListboxEh::GetItems()
{
    return FItems.get();
}

void TCustomListboxEh::SetItems(TStrings* Value)
{
    FItems->Assign(Value);
}

void TCustomListboxEh::ItemsChanged(TObject*)
{
    if (FVirtualItems)
        return;
    UpdateRowCount();
    Invalidate();
}

int TCustomListboxEh::Count()
{
    return FVirtualItems ? FVirtualRowCount : GetItems()->Count();
}

void TCustomListboxEh::SetCount(int Value)
{
    if (!FVirtualItems)
        throw Exception(QStringLiteral("Can't assign Count when list is not virtual"));
    FVirtualRowCount = std::max(Value, 0);
    UpdateRowCount();
}

void TCustomListboxEh::SetVirtualItems(bool Value)
{
    if (FVirtualItems == Value)
        return;
    FVirtualItems = Value;
    UpdateRowCount();
}

void TCustomListboxEh::SetItemHeight(int Value)
{
    if (FItemHeight == Value)
        return;
    FItemHeight = Value;
    SetDefaultRowHeight(Value);
    UpdateRowCount();
}

void TCustomListboxEh::UpdateRowCount()
{
    SetRowCount(std::max(Count(), 1));
    const int h = DefaultRowHeight();
    for (int i = 0; i < RowCount(); ++i)
        if (RowHeights(i) != h)
            SetRowHeights(i, h);
}

void TCustomListboxEh::SetItemIndex(int Value)
{
    if (Value < 0) {
        // The row keeps its highlight until it is painted again.
        FRowSeleced = false;
        return;
    }
    SetRow(Value);
    FRowSeleced = true;
}

void TCustomListboxEh::MoveToCell(int ACol, int ARow)
{
    TCustomGridEh::MoveToCell(ACol, ARow);
    FRowSeleced = true;
}

int TCustomListboxEh::ItemAtPos(TPoint Pos, bool)
{
    return MouseCoord(Pos.X, Pos.Y).Y;
}

int TCustomListboxEh::StrictIndexToClient(int X, int Y)
{
    if (X < 0 || X >= ClientWidth())
        X = 0;
    if (Y < 0)
        return TopRow();
    if (Y >= ClientHeight())
        return ItemAtPos(TPoint(X, ClientHeight() - 1), true);
    return ItemAtPos(TPoint(X, Y), true);
}

void TCustomListboxEh::InvalidateIndex(int Index)
{
    if (Index >= 0)
        InvalidateCell(0, Index);
}

int TCustomListboxEh::GetTextHeight()
{
    TTextMetric tm;
    GetTextMetrics(MeasureCanvasEh(Font())->Handle(), tm);
    return tm.tmHeight + tm.tmExternalLeading + tm.tmInternalLeading;
}

TCustomListboxItemEh* TCustomListboxEh::ItemObject(int Index)
{
    if (!FUseItemObjects || Index < 0)
        return nullptr;
    TObject* obj = nullptr;
    if (OnDataObject) {
        OnDataObject(this, Index, obj);
    } else {
        TStrings* items = GetItems();
        if (Index >= items->Count())
            return nullptr;
        // An integer slot reads as no object, whatever its value.
        obj = items->Objects(Index);
    }
    return dynamic_cast<TCustomListboxItemEh*>(obj);
}

void TCustomListboxEh::GetItemText(int Index, QString& Text)
{
    if (OnData) {
        OnData(this, Index, Text);
        return;
    }
    TStrings* items = GetItems();
    Text = Index >= 0 && Index < items->Count() ? items->Strings(Index) : QString();
}

void TCustomListboxEh::GetItemDisplayText(int Index, QString& Text)
{
    if (TCustomListboxItemEh* item = ItemObject(Index))
        item->GetDisplayText(this, Index, Text);
    else
        GetItemText(Index, Text);
}

void TCustomListboxEh::DrawCellContent(int, int ARow, TGridDrawState State, const TRect& ARect)
{
    if (Count() == 0) {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ARect);
        return;
    }
    if (!FRowSeleced)
        State.Exclude(gdSelected);
    DrawItem(ARow, ARect, State);
}

void TCustomListboxEh::DrawItem(int Index, const TRect& ARect, TGridDrawState State)
{
    if (TCustomListboxItemEh* item = ItemObject(Index))
        item->DrawItem(this, Index, ARect, State);
    else
        DefaultDrawItem(Index, ARect, State);
}

void TCustomListboxEh::DefaultDrawItem(int Index, const TRect& ARect, TGridDrawState State)
{
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    const bool selected = State.Contains(gdSelected);
    auto colours = [&](bool highlight) {
        c->Brush()->SetColor(highlight ? clHighlight : Color());
        c->Font()->SetColor(highlight ? clHighlightText : Font()->GetColor());
    };
    QString text;
    if (!FImageList) {
        GetItemDisplayText(Index, text);
        colours(Index == ItemIndex() || selected);
        c->FillRect(ARect);
        c->TextOut(ARect.Left + 2, ARect.Top, text);
        return;
    }
    const int iw = FImageList->Width();
    const bool rtl = UseRightToLeftAlignment();
    colours(selected);
    TRect imageRect = rtl ? TRect(ARect.Right - iw - 4, ARect.Top, ARect.Right, ARect.Bottom)
                          : TRect(0, ARect.Top, iw + 4, ARect.Bottom);
    int imageIndex = Index;
    if (OnGetImageIndex)
        OnGetImageIndex(EventSender(), Index, imageIndex);
    c->FillRect(imageRect);
    DrawImageCentered(c->Handle(), imageRect, FImageList, imageIndex, selected);
    TRect textRect = ARect;
    if (rtl)
        textRect.Right = imageRect.Left;
    else
        textRect.Left = imageRect.Right;
    if (Index == Row())
        colours(true);
    if (Index < Count()) {
        GetItemDisplayText(Index, text);
        const int x = rtl ? ARect.Right - c->TextWidth(text) - 2 : iw + 5;
        c->TextRect(textRect, x, ARect.Top, text);
    } else {
        c->FillRect(textRect);
    }
}

void TCustomListboxEh::Resize()
{
    TCustomGridEh::Resize();
    if (ColCount() > 0)
        SetColWidths(0, HandleAllocated() ? ClientWidth() : Width() - 1);
}

void TCustomListboxEh::KeyPress(QChar& Key)
{
    if (TCustomListboxItemEh* item = ItemObject(ItemIndex())) {
        bool flag = false;
        item->KeyPress(this, ItemIndex(), flag, GetShiftState(), Key);
        if (Key.isNull())
            return;
    }
    TCustomGridEh::KeyPress(Key);
}

void TCustomListboxEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomGridEh::MouseDown(Button, Shift, X, Y);
    const int index = ItemAtPos(TPoint(X, Y), true);
    if (TCustomListboxItemEh* item = ItemObject(index))
        item->MouseDown(this, index, Button, Shift, TPoint(X, Y));
}

void TCustomListboxEh::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomGridEh::MouseMove(Shift, X, Y);
    const int index = ItemAtPos(TPoint(X, Y), true);
    if (TCustomListboxItemEh* item = ItemObject(index))
        item->MouseMove(this, index, Shift, TPoint(X, Y));
}

void TCustomListboxEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    int index = ItemAtPos(TPoint(X, Y), true);
    if (index < 0)
        index = StrictIndexToClient(X, Y);
    if (TCustomListboxItemEh* item = ItemObject(index))
        item->MouseUp(this, index, Shift, Button, TPoint(X, Y));
    TCustomGridEh::MouseUp(Button, Shift, X, Y);
}

// ---------------------------------------------------------------- TPopupListboxEh

DOV_PUBLISHED(TPopupListboxEh) {}

TPopupListboxEh::TPopupListboxEh(TComponent* AOwner) : TCustomListboxEh(AOwner)
{
    OnDataObject = TLBGetDataObjectEvent(this, &TPopupListboxEh::GetItemDataObject);
    FVisible = false;
}

TStrings* TPopupListboxEh::GetItems()
{
    return FExtItems ? FExtItems : TCustomListboxEh::GetItems();
}

void TPopupListboxEh::SetItems(TStrings* Value)
{
    if (FExtItems)
        FExtItems->Assign(Value);
    else
        TCustomListboxEh::SetItems(Value);
}

void TPopupListboxEh::GetItemText(int Index, QString& Text)
{
    if (!FExtItems) {
        TCustomListboxEh::GetItemText(Index, Text);
        return;
    }
    Text = Index >= 0 && Index < FExtItems->Count() ? FExtItems->Strings(Index) : QString();
}

void TPopupListboxEh::GetItemDataObject(TWinControl*, int Index, TObject*& DataObject)
{
    TStrings* items = GetItems();
    DataObject = Index >= 0 && Index < items->Count() ? items->Objects(Index) : nullptr;
}

void TPopupListboxEh::SetExtItems(TStrings* Value)
{
    if (FExtItems == Value)
        return;
    FExtItems = Value;
    // The outside list's length is the count until the owner says otherwise.
    FVirtualRowCount = Value ? Value->Count() : 0;
    SetVirtualItems(Value != nullptr);
    UpdateRowCount();
    Invalidate();
}

int TPopupListboxEh::GetBorderSize()
{
    // Both frames: the raised edge of a three-dimensional list, else a one-pixel border.
    return 2 * (FCtl3D ? FBorderWidth : 1);
}

void TPopupListboxEh::SetCtl3D(bool Value)
{
    if (FCtl3D == Value)
        return;
    FCtl3D = Value;
    FBorderWidth = Value ? 2 : 0;
    if (HandleAllocated())
        RecreateWnd();
}

void TPopupListboxEh::SetRowCount(int Value)
{
    SetHeight(std::max(Value, 1) * ItemHeight() + GetBorderSize());
}

void TPopupListboxEh::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (!ComponentState().Contains(csReading) && !ComponentState().Contains(csDestroying)) {
        AWidth = std::max(AWidth, GetSystemMetrics(SM_CXVSCROLL));
        AHeight = std::max(AHeight, GetSystemMetrics(SM_CYVSCROLL));
    }
    const int border = GetBorderSize();
    const int rowHeight = ItemHeight() > 0 ? ItemHeight() : GetTextHeight();
    if (rowHeight > 0) {
        // Whole rows only: a height between two rows snaps to the lower one.
        const int rows = std::max((AHeight - border) / rowHeight, 1);
        FRowCount = rows;
        AHeight = border + rows * rowHeight;
    }
    TCustomListboxEh::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TPopupListboxEh::CreateParams(TCreateParams& Params)
{
    TCustomListboxEh::CreateParams(Params);
    Params.Style &= ~(WS_CHILD | WS_TABSTOP);
    Params.Style |= WS_POPUP | WS_CLIPCHILDREN;
    if (!FCtl3D)
        Params.Style |= WS_BORDER;
    Params.ExStyle &= ~WS_EX_CLIENTEDGE;
    Params.ExStyle |= WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
}

void TPopupListboxEh::CreateWnd()
{
    TCustomListboxEh::CreateWnd();
    // Painted as focused although the edit keeps the keyboard.
    TMessage m{WM_SETFOCUS, 0, 0, 0};
    TCustomListboxEh::WMSetFocus(m);
}

void TPopupListboxEh::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_SIZEGRIPNOTIFY_EH) {
        WMSizeGripNotify(Message);
        return;
    }
    TCustomListboxEh::WndProc(Message);
}

void TPopupListboxEh::WMNCCalcSize(TMessage& M)
{
    auto* r = reinterpret_cast<TRect*>(M.LParam);
    const int inset = GetBorderSize() / 2;
    InflateRect(*r, -inset, -inset);
}

void TPopupListboxEh::WMNCPaint(TMessage& M)
{
    PaintBorder(reinterpret_cast<HDC>(M.LParam));
}

void TPopupListboxEh::PaintBorder(HDC DC)
{
    PaintPopupBorderEh(DC, TRect(0, 0, Width(), Height()), FCtl3D);
}

void TPopupListboxEh::WMSize(TMessage& M)
{
    TCustomListboxEh::WMSize(M);
    FSizeGripResized = true;
    if (UseRightToLeftAlignment())
        Invalidate();
}

void TPopupListboxEh::WMSizeGripNotify(TMessage& M)
{
    SetSizeGripPostion(MovedSizeGripPosition(SizeGripPostion(), TSizeGripChangePosition(M.WParam)));
}

void TPopupListboxEh::CMMouseEnter(TMessage& M)
{
    TCustomListboxEh::CMMouseEnter(M);
    InvalidateIndex(ItemIndex());
}

void TPopupListboxEh::CMMouseLeave(TMessage& M)
{
    TCustomListboxEh::CMMouseLeave(M);
    InvalidateIndex(ItemIndex());
}

void TPopupListboxEh::KeyPress(QChar& Key)
{
    TCustomListboxEh::KeyPress(Key);
    const char16_t k = Key.unicode();
    if (k == 8 || k == 27) {
        FSearchText.clear();
        return;
    }
    if (k <= 31)
        return;
    const int now = SearchClock();
    if (now - FSearchTickCount > 2000)
        FSearchText.clear();
    FSearchTickCount = now;
    if (FSearchText.size() < 32)
        FSearchText += Key;
    Key = QChar();
    SelectBySearchText();
}

void TPopupListboxEh::SelectBySearchText()
{
    const qsizetype n = FSearchText.size();
    for (int i = 0; i < Count(); ++i) {
        QString text;
        GetItemDisplayText(i, text);
        if (text.size() >= n && AnsiCompareText(text.left(n), FSearchText) == 0) {
            SetItemIndex(i);
            return;
        }
    }
}

void TPopupListboxEh::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomListboxEh::MouseMove(Shift, X, Y);
    int index = ItemAtPos(TPoint(X, Y), true);
    if (index < 0)
        index = StrictIndexToClient(X, Y);
    if (FMousePos == TPoint(X, Y))
        return;
    if (index >= 0 && index != ItemIndex()) {
        InvalidateIndex(ItemIndex());
        SetItemIndex(index);
        InvalidateIndex(index);
    }
    const bool buttonHeld = Shift.Contains(ssLeft) || Shift.Contains(ssRight) || Shift.Contains(ssMiddle);
    if (!buttonHeld && index != FMouseIndex) {
        if (FMouseIndex >= 0 && FMouseIndex < Count())
            InvalidateIndex(FMouseIndex);
        InvalidateIndex(index);
        FMouseIndex = index;
    }
    FMousePos = TPoint(X, Y);
}

void TPopupListboxEh::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FIsMouseUpCloseListbox = true;
    TCustomListboxEh::MouseDown(Button, Shift, X, Y);
}

void TPopupListboxEh::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    FIsMouseUpCloseListbox = true;
    int index = ItemAtPos(TPoint(X, Y), true);
    if (index < 0)
        index = StrictIndexToClient(X, Y);
    if (auto* item = dynamic_cast<TPopupListboxItemEh*>(ItemObject(index))) {
        item->MouseUp(this, index, FIsMouseUpCloseListbox, Shift, Button, TPoint(X, Y));
        if (GridState() != gsNormalEh)
            CancelGridState();
        if (OnMouseUp)
            OnMouseUp(this, Button, Shift, X, Y);
        return;
    }
    TCustomListboxEh::MouseUp(Button, Shift, X, Y);
}

bool TPopupListboxEh::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (TCustomListboxEh::DoMouseWheelDown(Shift, MousePos))
        return true;
    SafeSetTopRow(TopIndex() + 1);
    return true;
}

bool TPopupListboxEh::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (TCustomListboxEh::DoMouseWheelUp(Shift, MousePos))
        return true;
    SafeSetTopRow(std::max(TopIndex() - 1, 0));
    return true;
}

// ---------------------------------------------------------------- TMRUListboxEh

DOV_PUBLISHED(TMRUListboxEh) {}

TMRUListboxEh::TMRUListboxEh(TComponent* AOwner) : TPopupListboxEh(AOwner) {}

void TMRUListboxEh::AfterConstruction()
{
    TPopupListboxEh::AfterConstruction();
    VertScrollBar()->SetVisibleMode(sbNeverShowEh);
    FScrollBar = Create<TScrollBar>(this);
    FScrollBar->SetKind(sbVertical);
    FScrollBar->SetWidth(GetSystemMetrics(SM_CXVSCROLL));
    FScrollBar->SetTabStop(false);
    FScrollBar->SetVisible(false);
    FScrollBar->SetParent(this);
    FScrollBar->OnScroll = TScrollEvent(this, &TMRUListboxEh::BarScroll);
}

void TMRUListboxEh::BarScroll(TObject*, TScrollCode Code, int& Pos)
{
    const int page = std::max(VisibleRowCount(), 1);
    int top = TopIndex();
    switch (Code) {
    case scLineUp: --top; break;
    case scLineDown: ++top; break;
    case scPageUp: top -= page; break;
    case scPageDown: top += page; break;
    case scPosition:
    case scTrack: top = Pos; break;
    case scTop: top = 0; break;
    case scBottom: top = Count(); break;
    case scEndScroll: return;
    }
    SafeSetTopRow(std::clamp(top, 0, std::max(Count() - 1, 0)));
    UpdateScrollBar();
    Pos = FScrollBar->Position();
}

void TMRUListboxEh::UpdateScrollBar()
{
    if (!FScrollBar)
        return;
    const int count = Count();
    const int page = std::max(VisibleRowCount(), 1);
    const bool need = count > page;
    if (need) {
        FScrollBar->SetPageSize(0);
        FScrollBar->SetParams(TopIndex(), 0, count - 1);
        FScrollBar->SetPageSize(page);
        FScrollBar->LargeChange = page;
    }
    if (FScrollBar->Visible() != need) {
        FScrollBar->SetVisible(need);
        UpdateScrollBarPos();
    }
}

void TMRUListboxEh::UpdateScrollBarPos()
{
    if (!FScrollBar || FScrollBarLockMove)
        return;
    FScrollBarLockMove = true;
    auto unlock = Finally([this] { FScrollBarLockMove = false; });
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    // The grip square stays free at the bottom or the top of the bar's column.
    const int grip = GetSystemMetrics(SM_CYHSCROLL);
    const TSizeGripPosition g = SizeGripPostion();
    const bool gripRight = g == sgpBottomRight || g == sgpTopRight;
    const bool gripTop = g == sgpTopRight || g == sgpTopLeft;
    const int top = gripRight && gripTop ? grip : 0;
    const int bottom = ClientHeight() - (gripRight && !gripTop ? grip : 0);
    FScrollBar->SetBounds(ClientWidth() - w, top, w, std::max(bottom - top, 0));
    SetColWidths(0, std::max(ClientWidth() - (FScrollBar->Visible() ? w : 0), 0));
}

void TMRUListboxEh::Resize()
{
    TPopupListboxEh::Resize();
    UpdateScrollBar();
    UpdateScrollBarPos();
}

void TMRUListboxEh::WMSizeGripNotify(TMessage& M)
{
    TPopupListboxEh::WMSizeGripNotify(M);
    UpdateScrollBar();
    UpdateScrollBarPos();
}
