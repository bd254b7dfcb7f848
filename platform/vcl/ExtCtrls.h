// Extra controls: the panel, the timer, the radio group, the image and the splitter.
#pragma once

#include "StdCtrls.h"

#include <QPointer>

class QWidget;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
DOV_ENUM_INFO(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)

class TPanel : public TCustomControl {
    DOV_PERSISTENT(TPanel, TCustomControl)
public:
    explicit TPanel(TComponent* AOwner);
    TBevelCut BevelOuter = bvRaised;
    TBevelCut BevelInner = bvNone;
    bool ShowCaption = true;

protected:
    void Paint() override;
};

class QTimer;

// Fires OnTimer every Interval milliseconds while enabled, on the UI thread. It runs only with an
// interval above 0 and a handler; intervals below 10 ms run at 10 ms. Changing the interval
// restarts the count. An exception from the handler goes to the application's error box.
class TTimer : public TComponent {
    DOV_PERSISTENT(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned Value);
    TNotifyEvent OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Value);
    // True while the timer is counting.
    bool Running() const;

protected:
    void Loaded() override;
    virtual void Timer();

private:
    void UpdateTimer();
    bool FEnabled = true;
    unsigned FInterval = 1000;
    TNotifyEvent FOnTimer;
    std::unique_ptr<QTimer> FTimer;
};

// ---------------------------------------------------------------- TCustomRadioGroup

// A group box of radio buttons drawn by itself, one per line of Items, laid out in Columns
// top to bottom. It is one tab stop: arrows move the choice (wrapping round), space chooses
// the focused button, and an accelerator in an item chooses it. Every change of ItemIndex
// runs OnClick, as the platform does.
class TCustomRadioGroup : public TCustomGroupBox {
    DOV_PERSISTENT(TCustomRadioGroup, TCustomGroupBox)
public:
    explicit TCustomRadioGroup(TComponent* AOwner);
    ~TCustomRadioGroup() override;

    TStrings* Items() const;
    void SetItems(TStrings* Value);
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);
    int Columns() const { return FColumns; }
    void SetColumns(int Value);
    // The button with the focus frame (the chosen one, or the first while none is chosen).
    int FocusIndex() const { return FFocusIndex; }
    // A button's rectangle (circle and caption) in client coordinates.
    TRect ButtonRect(int Index);

    void Dispatch(TMessage& Message) override;

public:
    void AfterConstruction() override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void WMGetDlgCode(TMessage& M) override { M.Result = DLGC_WANTARROWS | DLGC_RADIOBUTTON; }
    void WMSetFocus(TMessage& M) override;
    void WMKillFocus(TMessage& M) override;
    void CMDialogChar(TMessage& M) override;
    void ItemsChanged(TObject* Sender);

    std::unique_ptr<TStringList> FItems;
    int FItemIndex = -1;
    int FFocusIndex = 0;
    int FColumns = 1;
};

class TRadioGroup : public TCustomRadioGroup {
    DOV_PERSISTENT(TRadioGroup, TCustomRadioGroup)
public:
    using TCustomRadioGroup::TCustomRadioGroup;
};

// ---------------------------------------------------------------- TImage

// Shows a picture: at its own size from the top-left corner, centred, stretched to the
// client, or (Proportional) scaled down, or with Stretch also up, keeping its aspect.
class TImage : public TGraphicControl {
    DOV_PERSISTENT(TImage, TGraphicControl)
public:
    explicit TImage(TComponent* AOwner);
    ~TImage() override;

    TPicture* Picture() const { return FPicture.get(); }
    void SetPicture(TPicture* Value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool Proportional() const { return FProportional; }
    void SetProportional(bool Value);
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);
    // The bitmap's transparent colour lets the parent show through.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool Value);
    // Where the picture is drawn (client coordinates).
    TRect DestRect();

protected:
    void Paint() override;
    void PictureChanged(TObject* Sender);

    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FProportional = false;
    bool FCenter = false;
    bool FTransparent = false;
    bool FAutoSize = false;
};

// ---------------------------------------------------------------- TShape

enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
DOV_ENUM_INFO(TShapeType, stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle)

// A figure drawn with its pen and filled with its brush; only rectangles are drawn here (the
// other kinds draw as their bounding rectangle).
class TShape : public TGraphicControl {
    DOV_PERSISTENT(TShape, TGraphicControl)
public:
    explicit TShape(TComponent* AOwner);
    ~TShape() override;

    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
    TShapeType Shape() const { return FShape; }
    void SetShape(TShapeType Value);

protected:
    void Paint() override;
    void StyleChanged(TObject* Sender);

    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TShapeType FShape = stRectangle;
};

// ---------------------------------------------------------------- TSplitter

enum TResizeStyle { rsNone, rsPattern, rsUpdate, rsLine };
DOV_ENUM_INFO(TResizeStyle, rsNone, rsPattern, rsUpdate, rsLine)

// A bar between an aligned control and the rest of its parent: dragging it resizes that
// neighbour (the control aligned to the same side that touches it), never below MinSize and
// never leaving less than MinSize for the rest. rsUpdate resizes while dragging, rsLine and
// rsPattern show where the edge will go and resize on release, rsNone only on release.
class TSplitter : public TGraphicControl {
    DOV_PERSISTENT(TSplitter, TGraphicControl)
public:
    explicit TSplitter(TComponent* AOwner);
    ~TSplitter() override;

    int MinSize() const { return FMinSize; }
    void SetMinSize(int Value) { FMinSize = std::max(Value, 1); }
    TResizeStyle ResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle Value) { FResizeStyle = Value; }
    // The neighbour a drag would resize (nullptr when none touches the splitter).
    TControl* FindNeighbour();
    TNotifyEvent OnMoved;

protected:
    void Loaded() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void UpdateCursor();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void CMCancelMode(TMessage& M) override;
    bool Horizontal() const { return FAlign == alTop || FAlign == alBottom; }
    void ApplySize();
    void ShowLine(bool Show);
    void StopDrag();

    int FMinSize = 30;
    TResizeStyle FResizeStyle = rsPattern;
    TControl* FNeighbour = nullptr;
    TPoint FDownPos;
    int FOldSize = 0;
    int FNewSize = 0;
    int FMaxSize = 0;
    bool FDragging = false;
    // Lives in the parent's window, which may go first.
    QPointer<QWidget> FLine;
};
