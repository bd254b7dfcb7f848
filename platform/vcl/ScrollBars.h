// A scroll-bar control drawn in the classic look: arrow buttons, track and thumb, with line,
// page, track and position codes reported through OnScroll.
#pragma once

#include "Controls.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
DOV_ENUM_INFO(TScrollBarKind, sbHorizontal, sbVertical)
// Numbered as the window system's SB_* codes.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
DOV_ENUM_INFO(TScrollCode, scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll)
using TScrollEvent = Delegate<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
    DOV_PERSISTENT(TScrollBar, TWinControl)
public:
    explicit TScrollBar(TComponent* AOwner);
    ~TScrollBar() override;

    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind v);
    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    int PageSize() const { return FPageSize; }
    // The largest position the thumb can reach with the page shown: Max - PageSize + 1.
    int MaxPos() const { return FMax - std::max(FPageSize - 1, 0); }
    void SetMin(int v) { SetParams(FPosition, v, FMax); }
    void SetMax(int v) { SetParams(FPosition, FMin, v); }
    void SetPosition(int v) { SetParams(v, FMin, FMax); }
    // "Property out of range" (EInvalidOperation) when the page is larger than the range.
    void SetPageSize(int v);
    // Min > Max raises "Property out of range"; the position is clamped.
    void SetParams(int APosition, int AMin, int AMax);
    int SmallChange = 1;
    int LargeChange = 1;
    TScrollEvent OnScroll;
    TNotifyEvent OnChange;

    // Geometry (client coordinates): arrow buttons, and the thumb of the current position.
    TRect FirstButtonRect();
    TRect SecondButtonRect();
    TRect ThumbRect();
    // Reports a scroll code as a user action would (OnScroll may change the position).
    void Scroll(TScrollCode Code, int Pos);

protected:
    void Paint() override;
    void PaintWindow(HDC DC) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMTimer(TMessage& M) override;
    virtual void Change();

private:
    int Length() { return FKind == sbHorizontal ? ClientWidth() : ClientHeight(); }
    int Thickness() { return FKind == sbHorizontal ? ClientHeight() : ClientWidth(); }
    int ButtonSize();
    void TrackRange(int& start, int& length, int& thumb);
    int PosFromPixel(int pixel);
    TRect Along(int from, int to);

    TScrollBarKind FKind = sbHorizontal;
    int FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0;
    int FPressed = 0;            // 0 none, 1 first button, 2 second, 3 page before, 4 page after, 5 thumb
    int FDragOffset = 0;
    int FTrackPos = 0;
    std::unique_ptr<TControlCanvas> FCanvas;
};
