// The size grip dragged with real mouse events over a drop-down window on two monitors side by
// side: 1280 x 1024 at (0, 0) and 1024 x 768 at (1280, 100).
#include "components/foundation/popups/TwoScreens.h"

#include "components/foundation/ToolCtrlsEh.h"
#include "platform/vcl/Forms.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

// A drop-down window with a two-pixel frame around its client area.
class TDropHost : public TCustomControl {
public:
    using TCustomControl::TCustomControl;

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TCustomControl::CreateParams(Params);
        Params.Style = WS_POPUP;
        Params.ExStyle |= WS_EX_TOOLWINDOW;
    }
    void WMNCCalcSize(TMessage& M) override { InflateRect(*reinterpret_cast<TRect*>(M.LParam), -2, -2); }
};

struct SizeGrip : ::testing::Test {
    std::unique_ptr<TDropHost> Host = CreateUnique<TDropHost>(nullptr);
    TSizeGripEh* Grip = nullptr;
    int Resized = 0;
    void Open(TRect bounds, TSizeGripPosition pos)
    {
        Host->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
        Host->HandleNeeded();
        Grip = Create<TSizeGripEh>(Host.get());
        Grip->SetParent(Host.get());
        Grip->SetPosition(pos);
        Grip->OnParentResized = TNotifyEvent([this](TObject*) { ++Resized; });
        Host->SetVisible(true);
        Grip->HandleNeeded();
        Grip->UpdatePosition();
    }
    void Send(QEvent::Type type, TPoint screen, Qt::MouseButtons buttons)
    {
        const QPointF g(screen.X, screen.Y);
        QMouseEvent e(type, Grip->Widget()->mapFromGlobal(g), g, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, Qt::NoModifier);
        QApplication::sendEvent(Grip->Widget(), &e);
    }
    // Presses in the middle of the grip, moves by each offset in turn and releases.
    void Drag(std::initializer_list<TPoint> moves)
    {
        const TPoint start = Grip->ClientToScreen(TPoint(Grip->Width() / 2, Grip->Height() / 2));
        Send(QEvent::MouseButtonPress, start, Qt::LeftButton);
        TPoint last = start;
        for (TPoint d : moves) {
            last = TPoint(start.X + d.X, start.Y + d.Y);
            Send(QEvent::MouseMove, last, Qt::LeftButton);
        }
        Send(QEvent::MouseButtonRelease, last, Qt::NoButton);
    }
    TRect HostRect() const { return Host->BoundsRect(); }
};

}  // namespace

TEST_F(SizeGrip, SitsInItsCornerWithItsSizeAndCursor)
{
    Open(TRect(100, 100, 300, 250), sgpBottomRight);
    EXPECT_EQ(Grip->Width(), GetSystemMetrics(SM_CXVSCROLL));
    EXPECT_EQ(Grip->Height(), GetSystemMetrics(SM_CYVSCROLL));
    struct Case {
        TSizeGripPosition pos;
        TPoint at;
        TCursor cursor;
    } cases[] = {
        {sgpBottomRight, TPoint(196 - Grip->Width(), 146 - Grip->Height()), crSizeNWSE},
        {sgpBottomLeft, TPoint(0, 146 - Grip->Height()), crSizeNESW},
        {sgpTopLeft, TPoint(0, 0), crSizeNWSE},
        {sgpTopRight, TPoint(196 - Grip->Width(), 0), crSizeNESW},
    };
    for (const Case& c : cases) {
        Grip->SetPosition(c.pos);
        EXPECT_EQ(TPoint(Grip->Left(), Grip->Top()), c.at) << int(c.pos);
        EXPECT_EQ(Grip->Cursor(), c.cursor) << int(c.pos);
        // The window is the triangle of its corner.
        EXPECT_FALSE(Grip->Widget()->mask().isEmpty());
    }
    Grip->SetTriangleWindow(false);
    EXPECT_TRUE(Grip->Widget()->mask().isEmpty());
    // Moved away, it snaps back into its corner.
    Grip->SetBounds(30, 30, Grip->Width(), Grip->Height());
    EXPECT_EQ(TPoint(Grip->Left(), Grip->Top()), TPoint(196 - Grip->Width(), 0));
    EXPECT_NE(GetClass(QStringLiteral("TSizeGripEh")), nullptr);
}

TEST_F(SizeGrip, ChangePositionMirrorsToTheOtherSide)
{
    Open(TRect(100, 100, 300, 250), sgpBottomRight);
    struct Case {
        TSizeGripPosition from;
        TSizeGripChangePosition dir;
        TSizeGripPosition to;
    } cases[] = {
        {sgpBottomRight, sgcpToLeft, sgpBottomLeft}, {sgpTopRight, sgcpToLeft, sgpTopLeft},
        {sgpTopLeft, sgcpToLeft, sgpTopLeft},        {sgpBottomLeft, sgcpToRight, sgpBottomRight},
        {sgpTopLeft, sgcpToRight, sgpTopRight},      {sgpBottomRight, sgcpToTop, sgpTopRight},
        {sgpBottomLeft, sgcpToTop, sgpTopLeft},      {sgpTopRight, sgcpToTop, sgpTopRight},
        {sgpTopRight, sgcpToBottom, sgpBottomRight}, {sgpTopLeft, sgcpToBottom, sgpBottomLeft},
    };
    for (const Case& c : cases) {
        Grip->SetPosition(c.from);
        Grip->ChangePosition(c.dir);
        EXPECT_EQ(Grip->Position(), c.to) << int(c.from) << " " << int(c.dir);
    }
}

TEST_F(SizeGrip, BottomRightDragGrowsAndStopsAtTheWorkArea)
{
    Open(TRect(1000, 700, 1200, 850), sgpBottomRight);
    Drag({TPoint(30, 20), TPoint(50, 40)});
    EXPECT_EQ(HostRect(), TRect(1000, 700, 1250, 890));
    EXPECT_EQ(Resized, 2);
    EXPECT_EQ(TPoint(Grip->Left(), Grip->Top()), TPoint(Host->ClientWidth() - Grip->Width(), Host->ClientHeight() - Grip->Height()));
    // Past the right and bottom edges of the left monitor the window stops there.
    Drag({TPoint(200, 300)});
    EXPECT_EQ(HostRect(), TRect(1000, 700, 1280, 1024));
}

TEST_F(SizeGrip, TopLeftDragKeepsTheBottomRightCorner)
{
    Open(TRect(400, 300, 600, 450), sgpTopLeft);
    Drag({TPoint(-30, -20)});
    EXPECT_EQ(HostRect(), TRect(370, 280, 600, 450));
    Drag({TPoint(-500, -400)});
    EXPECT_EQ(HostRect(), TRect(0, 0, 600, 450));
    // Shrinking stops at the grip's own size.
    Drag({TPoint(1000, 1000)});
    EXPECT_EQ(HostRect().Right, 600);
    EXPECT_EQ(Host->ClientWidth(), Grip->Width());
}

TEST_F(SizeGrip, SameScreenPositionChangesNothing)
{
    Open(TRect(100, 100, 300, 250), sgpBottomRight);
    Drag({TPoint(10, 10), TPoint(10, 10), TPoint(10, 10)});
    EXPECT_EQ(Resized, 1);
    EXPECT_EQ(HostRect(), TRect(100, 100, 310, 260));
    // Without the button held, moves do nothing.
    Send(QEvent::MouseMove, TPoint(500, 500), Qt::NoButton);
    EXPECT_EQ(HostRect(), TRect(100, 100, 310, 260));
}

TEST_F(SizeGrip, OnTheSecondMonitorItsWorkAreaBounds)
{
    // Right monitor: 1280..2304 x 100..868.
    Open(TRect(2100, 700, 2250, 800), sgpBottomRight);
    Drag({TPoint(300, 300)});
    EXPECT_EQ(HostRect(), TRect(2100, 700, 2304, 868));
    Grip->SetPosition(sgpTopLeft);
    Drag({TPoint(-1000, -1000)});
    EXPECT_EQ(HostRect(), TRect(1280, 100, 2304, 868));
    // A grip on the left of a window at the right monitor's left edge does not push it onto
    // the left monitor.
    Grip->SetPosition(sgpBottomLeft);
    Drag({TPoint(-50, 0)});
    EXPECT_EQ(HostRect().Left, 1280);
}

TEST_F(SizeGrip, PaintsLinesTowardItsCorner)
{
    Open(TRect(100, 100, 300, 250), sgpBottomRight);
    const QImage img = Grip->Widget()->grab().toImage();
    const int w = Grip->Width(), h = Grip->Height();
    auto rgb = [&](int x, int y) { return img.pixelColor(x, y).rgb() & 0xFFFFFF; };
    auto sys = [](TColor c) {
        const COLORREF v = ColorToRGB(c);
        return uint32_t((v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF));
    };
    EXPECT_EQ(rgb(w - 1, 0), sys(clBtnHighlight));
    EXPECT_EQ(rgb(w - 1, 1), sys(clBtnShadow));
    EXPECT_EQ(rgb(w - 1, 2), sys(clBtnShadow));
    EXPECT_EQ(rgb(w - 1, 4), sys(clBtnHighlight));
    EXPECT_EQ(rgb(0, h - 1), sys(clBtnHighlight));
}
