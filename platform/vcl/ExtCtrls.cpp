#include "ExtCtrls.h"

#include <QPalette>
#include <QTimer>
#include <QWidget>

DOV_PUBLISHED(TPanel)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("BevelOuter", &TPanel::BevelOuter).Default(bvRaised);
    P.Prop("BevelInner", &TPanel::BevelInner).Default(bvNone);
    P.Prop("ShowCaption", &TPanel::ShowCaption).Default(true);
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    FWidth = 185;
    FHeight = 41;
    FParentColor = false;
    FColor = clBtnFace;
    ControlStyle = TControlStyle{csAcceptsControls, csSetCaption, csOpaque, csDoubleClicks};
}

void TPanel::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
    if (!ShowCaption || FText.isEmpty())
        return;
    c->Font()->Assign(Font());
    TRect r = ClientRect();
    QString text = FText;
    c->TextRect(r, text, TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine});
}

// ---------------------------------------------------------------- TTimer

DOV_PUBLISHED(TTimer)
{
    P.Prop("Enabled", &TTimer::Enabled, &TTimer::SetEnabled).Default(true);
    P.Prop("Interval", &TTimer::Interval, &TTimer::SetInterval).Default(1000);
    P.Prop("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {}
TTimer::~TTimer() = default;

void TTimer::SetEnabled(bool Value)
{
    if (Value != FEnabled) {
        FEnabled = Value;
        UpdateTimer();
    }
}

void TTimer::SetInterval(unsigned Value)
{
    if (Value != FInterval) {
        FInterval = Value;
        UpdateTimer();
    }
}

void TTimer::SetOnTimer(TNotifyEvent Value)
{
    FOnTimer = Value;
    UpdateTimer();
}

bool TTimer::Running() const { return FTimer && FTimer->isActive(); }

void TTimer::Loaded()
{
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::Timer()
{
    if (FOnTimer)
        FOnTimer(this);
}

void TTimer::UpdateTimer()
{
    if (FTimer)
        FTimer->stop();
    if (!FEnabled || FInterval == 0 || !FOnTimer || ComponentState().Contains(csLoading))
        return;
    if (!FTimer) {
        FTimer = std::make_unique<QTimer>();
        QObject::connect(FTimer.get(), &QTimer::timeout, [this] { GuardedCall([this] { Timer(); }); });
    }
    FTimer->start(int(std::clamp(FInterval, 10u, unsigned(INT_MAX))));
}

// ---------------------------------------------------------------- TCustomRadioGroup

namespace {
constexpr int RadioSize = 13;
}

DOV_PUBLISHED(TCustomRadioGroup) {}

DOV_PUBLISHED(TRadioGroup)
{
    P.Prop("Caption", &TControl::Caption, &TControl::SetCaption);
    P.Prop("Items", &TCustomRadioGroup::Items);
    P.Prop("ItemIndex", &TCustomRadioGroup::ItemIndex, &TCustomRadioGroup::SetItemIndex).Default(-1);
    P.Prop("Columns", &TCustomRadioGroup::Columns, &TCustomRadioGroup::SetColumns).Default(1);
}

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner)
    : TCustomGroupBox(AOwner), FItems(std::make_unique<TStringList>())
{
    FTabStop = true;
    ControlStyle >> csAcceptsControls;
}

TCustomRadioGroup::~TCustomRadioGroup() = default;

void TCustomRadioGroup::AfterConstruction()
{
    TCustomGroupBox::AfterConstruction();
    FItems->OnChange = TNotifyEvent(this, &TCustomRadioGroup::ItemsChanged);
}

TStrings* TCustomRadioGroup::Items() const { return FItems.get(); }
void TCustomRadioGroup::SetItems(TStrings* Value) { FItems->Assign(Value); }

void TCustomRadioGroup::ItemsChanged(TObject*)
{
    if (FItemIndex >= FItems->Count())
        FItemIndex = -1;
    FFocusIndex = std::clamp(FFocusIndex, 0, std::max(FItems->Count() - 1, 0));
    Invalidate();
}

void TCustomRadioGroup::SetItemIndex(int Value)
{
    if (Value < -1 || Value >= FItems->Count())
        Value = -1;
    if (Value >= 0)
        FFocusIndex = Value;
    if (Value == FItemIndex)
        return;
    FItemIndex = Value;
    Invalidate();
    if (!ComponentState().Contains(csLoading))
        Click();
}

void TCustomRadioGroup::SetColumns(int Value)
{
    FColumns = std::clamp(Value, 1, 16);
    Invalidate();
}

// Items run down the columns; each column holds (count + columns - 1) / columns buttons.
TRect TCustomRadioGroup::ButtonRect(int Index)
{
    TRect area = ClientRect();
    AdjustClientRect(area);
    InflateRect(area, -4, -2);
    const int count = std::max(FItems->Count(), 1);
    const int perColumn = (count + FColumns - 1) / FColumns;
    const int column = Index / perColumn;
    const int row = Index % perColumn;
    const int w = area.Width() / FColumns;
    const int h = std::max(area.Height() / perColumn, 1);
    return TRect(area.Left + column * w, area.Top + row * h, area.Left + (column + 1) * w, area.Top + (row + 1) * h);
}

void TCustomRadioGroup::Paint()
{
    TCustomGroupBox::Paint();
    TCanvas* c = Canvas();
    c->Font()->Assign(Font());
    HDC dc = c->Handle();
    const bool focused = Focused();
    for (int i = 0; i < FItems->Count(); ++i) {
        const TRect r = ButtonRect(i);
        const int top = r.Top + (r.Height() - RadioSize) / 2;
        TRect box(r.Left, top, r.Left + RadioSize, top + RadioSize);
        UINT state = DFCS_BUTTONRADIO;
        if (i == FItemIndex)
            state |= DFCS_CHECKED;
        if (!FEnabled)
            state |= DFCS_INACTIVE;
        DrawFrameControl(dc, box, DFC_BUTTON, state);
        const QString text = FItems->Strings(i);
        TRect t(box.Right + 4, r.Top, r.Right, r.Bottom);
        TRect calc = t;
        DrawText(dc, text, -1, calc, DT_SINGLELINE | DT_CALCRECT);
        TRect line(t.Left, t.Top + (t.Height() - calc.Height()) / 2, std::min(t.Right, t.Left + calc.Width()),
                   t.Top + (t.Height() - calc.Height()) / 2 + calc.Height());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(FEnabled ? Font()->GetColor() : clGrayText));
        DrawText(dc, text, -1, line, DT_SINGLELINE | DT_END_ELLIPSIS);
        if (focused && i == FFocusIndex) {
            InflateRect(line, 1, 1);
            DrawFocusRect(dc, line);
        }
    }
}

void TCustomRadioGroup::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomGroupBox::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !FEnabled)
        return;
    for (int i = 0; i < FItems->Count(); ++i) {
        if (!PtInRect(ButtonRect(i), TPoint{X, Y}))
            continue;
        if (!Focused() && CanFocus())
            SetFocus();
        SetItemIndex(i);
        return;
    }
}

void TCustomRadioGroup::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomGroupBox::KeyDown(Key, Shift);
    const int count = FItems->Count();
    if (Key == 0 || count == 0)
        return;
    switch (Key) {
    case VK_UP: case VK_LEFT: SetItemIndex((FFocusIndex + count - 1) % count); break;
    case VK_DOWN: case VK_RIGHT:
        SetItemIndex(FItemIndex < 0 ? FFocusIndex : (FFocusIndex + 1) % count);
        break;
    case VK_SPACE: SetItemIndex(FFocusIndex); break;
    default: return;
    }
    Key = 0;
}

void TCustomRadioGroup::WMSetFocus(TMessage& M)
{
    TCustomGroupBox::WMSetFocus(M);
    Invalidate();
}

void TCustomRadioGroup::WMKillFocus(TMessage& M)
{
    TCustomGroupBox::WMKillFocus(M);
    Invalidate();
}

void TCustomRadioGroup::CMDialogChar(TMessage& M)
{
    M.Result = 0;
    const QChar key(char16_t(M.WParam));
    for (int i = 0; i < FItems->Count(); ++i) {
        if (!IsAccel(key, FItems->Strings(i)))
            continue;
        if (!CanFocus())
            return;
        SetFocus();
        SetItemIndex(i);
        M.Result = 1;
        return;
    }
    // The group's own caption goes to the chosen (or first) button.
    if (IsAccel(key, FText) && CanFocus() && FItems->Count() > 0) {
        SetFocus();
        M.Result = 1;
    }
}

void TCustomRadioGroup::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_DIALOGCHAR) {
        CMDialogChar(Message);
        return;
    }
    TCustomGroupBox::Dispatch(Message);
}

// ---------------------------------------------------------------- TImage

DOV_PUBLISHED(TImage)
{
    P.Prop("Picture", &TImage::Picture);
    P.Prop("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(false);
    P.Prop("Proportional", &TImage::Proportional, &TImage::SetProportional).Default(false);
    P.Prop("Center", &TImage::Center, &TImage::SetCenter).Default(false);
    P.Prop("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(false);
    P.Prop("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(false);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>())
{
    FWidth = 105;
    FHeight = 105;
    ControlStyle << csReplicatable;
    FPicture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
}

TImage::~TImage() = default;

void TImage::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TImage::PictureChanged(TObject*)
{
    if (TGraphic* g = FPicture->Graphic())
        if (g->Transparent() != FTransparent)
            g->SetTransparent(FTransparent);
    if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
        SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
    Invalidate();
}

void TImage::SetStretch(bool Value)
{
    FStretch = Value;
    Invalidate();
}

void TImage::SetProportional(bool Value)
{
    FProportional = Value;
    Invalidate();
}

void TImage::SetCenter(bool Value)
{
    FCenter = Value;
    Invalidate();
}

void TImage::SetTransparent(bool Value)
{
    if (FTransparent == Value)
        return;
    FTransparent = Value;
    if (Value)
        ControlStyle >> csOpaque;
    PictureChanged(this);
}

void TImage::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    PictureChanged(this);
}

TRect TImage::DestRect()
{
    const int cw = ClientWidth(), ch = ClientHeight();
    int w = FPicture->Width(), h = FPicture->Height();
    if (w <= 0 || h <= 0)
        return TRect(0, 0, 0, 0);
    if (FStretch || (FProportional && (w > cw || h > ch))) {
        if (FProportional) {
            // Scale by the tighter side; an empty client gives an empty picture.
            const double scale = std::min(double(cw) / w, double(ch) / h);
            w = std::max(int(w * scale + 0.5), cw > 0 && ch > 0 ? 1 : 0);
            h = std::max(int(h * scale + 0.5), cw > 0 && ch > 0 ? 1 : 0);
        } else {
            w = cw;
            h = ch;
        }
    }
    int x = 0, y = 0;
    if (FCenter) {
        x = (cw - w) / 2;
        y = (ch - h) / 2;
    }
    return TRect(x, y, x + w, y + h);
}

void TImage::Paint()
{
    TGraphic* g = FPicture->Graphic();
    if (!g || g->Empty())
        return;
    const TRect r = DestRect();
    if (r.Width() > 0 && r.Height() > 0)
        Canvas()->StretchDraw(r, g);
}

// ---------------------------------------------------------------- TShape

DOV_PUBLISHED(TShape)
{
    P.Prop("Brush", &TShape::Brush);
    P.Prop("Pen", &TShape::Pen);
    P.Prop("Shape", &TShape::Shape, &TShape::SetShape).Default(stRectangle);
}

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
    FWidth = 65;
    FHeight = 65;
    ControlStyle << csReplicatable;
    FPen->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
    FBrush->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
}

TShape::~TShape() = default;

void TShape::SetShape(TShapeType Value)
{
    if (FShape == Value)
        return;
    FShape = Value;
    Invalidate();
}

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::Paint()
{
    TCanvas* c = Canvas();
    c->Pen()->Assign(FPen.get());
    c->Brush()->Assign(FBrush.get());
    // The pen is drawn inside the bounds, as a one-pixel line is.
    const int half = FPen->GetWidth() / 2;
    TRect r(half, half, FWidth - half, FHeight - half);
    if (FPen->GetWidth() == 0) {
        r.Right += 1;
        r.Bottom += 1;
    }
    c->Rectangle(r);
}

// ---------------------------------------------------------------- TSplitter

DOV_PUBLISHED(TSplitter)
{
    P.Prop("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
    P.Prop("ResizeStyle", &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle).Default(rsPattern);
    P.Event("OnMoved", &TSplitter::OnMoved);
}

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FWidth = 3;
    FHeight = 100;
    FAlign = alLeft;
    FCursor = crHSplit;
    ControlStyle << csCaptureMouse;
}

TSplitter::~TSplitter()
{
    if (FLine)
        delete FLine.data();
}

void TSplitter::Loaded()
{
    TGraphicControl::Loaded();
    UpdateCursor();
}

void TSplitter::UpdateCursor()
{
    const TCursor c = Horizontal() ? crVSplit : crHSplit;
    if (FCursor != c)
        SetCursor(c);
}

void TSplitter::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(FColor);
    c->FillRect(ClientRect());
}

TControl* TSplitter::FindNeighbour()
{
    if (!FParent)
        return nullptr;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
        TControl* c = FParent->Controls(i);
        if (c == this || !c->Visible() || c->Align() != FAlign)
            continue;
        bool touches = false;
        switch (FAlign) {
        case alLeft: touches = c->Left() + c->Width() == FLeft; break;
        case alRight: touches = c->Left() == FLeft + FWidth; break;
        case alTop: touches = c->Top() + c->Height() == FTop; break;
        case alBottom: touches = c->Top() == FTop + FHeight; break;
        default: break;
        }
        if (touches)
            return c;
    }
    return nullptr;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !FEnabled)
        return;
    FNeighbour = FindNeighbour();
    if (!FNeighbour)
        return;
    FNeighbour->FreeNotification(this);
    // Parent coordinates: they stay put while the splitter moves with its neighbour.
    FDownPos = TPoint{FLeft + X, FTop + Y};
    FOldSize = Horizontal() ? FNeighbour->Height() : FNeighbour->Width();
    FNewSize = FOldSize;
    // What the other aligned controls of this axis take stays theirs; the rest keeps MinSize.
    int taken = 0;
    for (int i = 0; i < FParent->ControlCount(); ++i) {
        TControl* c = FParent->Controls(i);
        if (c == FNeighbour || !c->Visible())
            continue;
        const TAlign a = c->Align();
        if (Horizontal() && (a == alTop || a == alBottom))
            taken += c->Height();
        else if (!Horizontal() && (a == alLeft || a == alRight))
            taken += c->Width();
    }
    const int room = Horizontal() ? FParent->ClientHeight() : FParent->ClientWidth();
    FMaxSize = std::max(room - taken - FMinSize, FMinSize);
    FDragging = true;
    if (FResizeStyle == rsLine || FResizeStyle == rsPattern)
        ShowLine(true);
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) {
        UpdateCursor();
        return;
    }
    int delta = Horizontal() ? FTop + Y - FDownPos.Y : FLeft + X - FDownPos.X;
    if (FAlign == alRight || FAlign == alBottom)
        delta = -delta;
    const int size = std::clamp(FOldSize + delta, std::min(FMinSize, FMaxSize), FMaxSize);
    if (size == FNewSize)
        return;
    FNewSize = size;
    if (FResizeStyle == rsUpdate)
        ApplySize();
    else if (FLine)
        ShowLine(true);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FDragging)
        return;
    const bool moved = FResizeStyle == rsUpdate ? true : FNewSize != (Horizontal() ? FNeighbour->Height() : FNeighbour->Width());
    if (FResizeStyle != rsUpdate)
        ApplySize();
    StopDrag();
    if (moved && OnMoved)
        OnMoved(this);
}

void TSplitter::ApplySize()
{
    if (!FNeighbour)
        return;
    if (Horizontal())
        FNeighbour->SetHeight(FNewSize);
    else
        FNeighbour->SetWidth(FNewSize);
}

void TSplitter::StopDrag()
{
    ShowLine(false);
    FDragging = false;
    if (FNeighbour)
        FNeighbour->RemoveFreeNotification(this);
    FNeighbour = nullptr;
}

void TSplitter::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FNeighbour) {
        FNeighbour = nullptr;
        StopDrag();
    }
}

void TSplitter::CMCancelMode(TMessage& M)
{
    TGraphicControl::CMCancelMode(M);
    if (FDragging)
        StopDrag();
}

// The line where the neighbour's edge will go: a thin bar over the parent's window.
void TSplitter::ShowLine(bool Show)
{
    if (!Show) {
        if (FLine)
            FLine->hide();
        return;
    }
    QWidget* host = FParent ? FParent->Widget() : nullptr;
    if (!host || !FNeighbour)
        return;
    if (!FLine) {
        FLine = new QWidget(host);
        FLine->setAttribute(Qt::WA_TransparentForMouseEvents);
        FLine->setAutoFillBackground(true);
        QPalette pal = FLine->palette();
        pal.setColor(QPalette::Window, FResizeStyle == rsPattern ? QColor(128, 128, 128) : QColor(0, 0, 0));
        FLine->setPalette(pal);
    }
    const TRect n = FNeighbour->BoundsRect();
    QRect r;
    switch (FAlign) {
    case alLeft: r = QRect(n.Left + FNewSize, FTop, FWidth, FHeight); break;
    case alRight: r = QRect(n.Right - FNewSize - FWidth, FTop, FWidth, FHeight); break;
    case alTop: r = QRect(FLeft, n.Top + FNewSize, FWidth, FHeight); break;
    case alBottom: r = QRect(FLeft, n.Bottom - FNewSize - FHeight, FWidth, FHeight); break;
    default: return;
    }
    FLine->setGeometry(r);
    FLine->raise();
    FLine->show();
}
